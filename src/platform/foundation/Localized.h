#pragma once

#include <QString>

namespace pf {

// The user-facing text for key from the application's string table; the key itself when the table has
// no entry.
QString localized(const QString& key);

} // namespace pf
