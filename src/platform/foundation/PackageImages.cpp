#include "platform/foundation/PackageImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pf {

namespace {

// Whether the real path lies strictly inside the real folder.
bool liesInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.size() > prefix.size() && path.startsWith(prefix);
}

} // namespace

PackageImages::PackageImages(const QString& packagePath)
    : packagePath_(QFileInfo(packagePath).canonicalFilePath())
    , resourcesPath_(QFileInfo(QDir(packagePath).filePath(QStringLiteral("Resources"))).canonicalFilePath())
{
    // A "Resources" that is a link to a folder outside the package holds none of its pictures.
    if (!liesInside(resourcesPath_, packagePath_))
        resourcesPath_.clear();
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
    // Resolving links before comparing folders keeps a link inside "Resources" from reaching out; the
    // package's own real folder is checked again, as links may have changed since this was made.
    const QFileInfo file(QDir(resourcesPath_).filePath(identifier));
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || QFileInfo(canonical).path() != resourcesPath_ || !liesInside(canonical, packagePath_)
        || !QFileInfo(canonical).isFile())
        return {};
    QFile bytes(canonical);
    if (!bytes.open(QIODevice::ReadOnly))
        return {};
    return bytes.readAll();
}

} // namespace pf
