// Where bytes made a piece at a time go (a file being written, a buffer): each call hands the next piece;
// false stops the maker, the sink keeping its own reason.
#pragma once

#include <QByteArrayView>

#include <functional>

namespace pf {

using ByteSink = std::function<bool(QByteArrayView bytes)>;

} // namespace pf
