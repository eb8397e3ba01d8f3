#pragma once

#include <QString>

#include <optional>

namespace pf {

// The user-facing text for key from the application's string table; the key itself when the table has
// no entry.
QString localized(const QString& key);
// The same from the named table (resources/strings/<table>.plist; "Localizable" is the application's).
QString localized(const QString& key, const QString& table);
// The table's entry for key; nothing when the table or the entry is missing.
std::optional<QString> localizedEntry(const QString& key, const QString& table);

} // namespace pf
