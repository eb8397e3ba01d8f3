#include "platform/foundation/Localized.h"

#include "platform/foundation/PropertyList.h"

#include <QFile>
#include <QtDebug>

#include <map>
#include <mutex>

namespace pf {

namespace {

// A string table: a dictionary from key to text, compiled in from resources/strings/. A missing table
// is empty (only the application's own is expected to exist).
Value loadTable(const QString& name)
{
    QFile file(QStringLiteral(":/strings/%1.plist").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        if (name == QLatin1String("Localizable"))
            qWarning("localisation: the string table cannot be opened");
        return {};
    }
    PropertyListReadResult table = readPropertyList(file.readAll());
    if (!table.ok() || !table.value->isDictionary()) {
        qWarning("localisation: the string table %s is not a dictionary: %s", qUtf8Printable(name),
                 qUtf8Printable(table.error));
        return {};
    }
    return std::move(*table.value);
}

// Tables are loaded once, on first use, and kept (callers hold references into them).
const Value& table(const QString& name)
{
    static std::mutex lock;
    // Map nodes stay where they are as tables are added.
    static std::map<QString, Value> tables;
    const std::lock_guard guard(lock);
    auto it = tables.find(name);
    if (it == tables.end())
        it = tables.emplace(name, loadTable(name)).first;
    return it->second;
}

} // namespace

QString localized(const QString& key)
{
    return localized(key, QStringLiteral("Localizable"));
}

QString localized(const QString& key, const QString& tableName)
{
    return localizedEntry(key, tableName).value_or(key);
}

std::optional<QString> localizedEntry(const QString& key, const QString& tableName)
{
    const QString& text = table(tableName).stringForKey(key);
    if (text.isNull())
        return std::nullopt;
    return text;
}

} // namespace pf
