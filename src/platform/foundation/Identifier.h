#pragma once

#include <QString>

namespace pf {

// A fresh identifier: a UUID as 36 upper-case characters with hyphens, as stored documents hold them.
QString newIdentifier();

} // namespace pf
