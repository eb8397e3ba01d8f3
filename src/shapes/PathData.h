// The stored form of a free-form path ("pathData"): an XML property list of our own, versioned, holding the
// winding rule, one integer per element (0 move, 1 line, 2 quadratic, 3 cubic, 4 close) and the elements'
// points as a flat list of numbers, two per point (none for a close). Documents are untrusted, so the
// reader checks every type and count and refuses anything else whole: a path is never half read.
#pragma once

#include "platform/graphics/Path.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pathdata {

// The format written; readers refuse newer ones.
inline constexpr int currentVersion = 1;

QByteArray encode(const pf::Path& path);
// The path, or nothing with a reason in errorOut: not one of our property lists, a version from the
// future, an element type outside 0 to 4, a count of numbers that does not match the elements, a
// number that is not finite, or a path that does not start with a move.
std::optional<pf::Path> decode(const QByteArray& data, QString* errorOut = nullptr);

} // namespace pathdata
