#include "platform/foundation/Localized.h"

#include "platform/foundation/PropertyList.h"

#include <QFile>
#include <QtDebug>

namespace pf {

namespace {

// The string table: a dictionary from key to text, compiled in from resources/strings/.
Value loadTable()
{
    QFile file(QStringLiteral(":/strings/Localizable.plist"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("localisation: the string table cannot be opened");
        return {};
    }
    PropertyListReadResult table = readPropertyList(file.readAll());
    if (!table.ok() || !table.value->isDictionary()) {
        qWarning("localisation: the string table is not a dictionary: %s", qUtf8Printable(table.error));
        return {};
    }
    return std::move(*table.value);
}

} // namespace

QString localized(const QString& key)
{
    // Loaded once, on first use; a function-local static is initialised once even when threads race.
    static const Value table = loadTable();
    const QString& text = table.stringForKey(key);
    return text.isNull() ? key : text;
}

} // namespace pf
