#include "platform/foundation/Resources.h"

#include "platform/foundation/PropertyList.h"

#include <QDirIterator>
#include <QFile>

namespace pf {

QString resourcePath(const QString& name, const QString& type)
{
    if (name.isEmpty())
        return {};
    const QString fileName = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    QString best;
    qsizetype bestDepth = 0;
    QDirIterator it(QStringLiteral(":/"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() != fileName)
            continue;
        const qsizetype depth = path.count(QLatin1Char('/'));
        if (best.isEmpty() || depth < bestDepth || (depth == bestDepth && path < best)) {
            best = path;
            bestDepth = depth;
        }
    }
    return best;
}

std::optional<QByteArray> resourceData(const QString& name, const QString& type)
{
    const QString path = resourcePath(name, type);
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

const Value& mainBundleInfoDictionary()
{
    static const Value info = [] {
        QFile file(QStringLiteral(":/info/Info.plist"));
        if (file.open(QIODevice::ReadOnly))
            if (auto read = readPropertyList(file.readAll()); read.ok() && read.value->isDictionary())
                return std::move(*read.value);
        qWarning("The application's information dictionary is missing or unreadable.");
        return Value::dictionary();
    }();
    return info;
}

} // namespace pf
