#include "platform/foundation/PackageImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pf {

PackageImages::PackageImages(const QString& packagePath)
    : resourcesPath_(QFileInfo(QDir(packagePath).filePath(QStringLiteral("Resources"))).canonicalFilePath())
{
}

bool PackageImages::isPlainFileName(const QString& identifier)
{
    return !identifier.isEmpty() && identifier != QLatin1String(".") && identifier != QLatin1String("..")
        && !identifier.contains(QLatin1Char('/')) && !identifier.contains(QLatin1Char('\\'))
        && !identifier.contains(QChar(0));
}

QByteArray PackageImages::dataForIdentifier(const QString& identifier) const
{
    if (resourcesPath_.isEmpty() || !isPlainFileName(identifier))
        return {};
    // Resolving links before comparing folders keeps a link inside "Resources" from reaching out.
    const QFileInfo file(QDir(resourcesPath_).filePath(identifier));
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || QFileInfo(canonical).path() != resourcesPath_ || !QFileInfo(canonical).isFile())
        return {};
    QFile bytes(canonical);
    if (!bytes.open(QIODevice::ReadOnly))
        return {};
    return bytes.readAll();
}

} // namespace pf
