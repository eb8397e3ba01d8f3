// The pictures of a document package, read-only: each lives in the package's "Resources" folder under
// its image identifier. Identifiers come from the document, which may be anybody's: only a plain file
// name that stays inside "Resources" (no separator, no "..", no link leading out) is read, and only when
// its real path lies inside the package's own real path, whatever links the package path or "Resources"
// go through. The preview and the document reader share this one rule.
#pragma once

#include <QByteArray>
#include <QString>

namespace pf {

class PackageImages {
public:
    explicit PackageImages(const QString& packagePath);

    // Whether an identifier may name a file: a plain file name.
    static bool isPlainFileName(const QString& identifier);

    // The file's bytes; empty when the identifier is refused or names no readable regular file inside
    // "Resources".
    QByteArray dataForIdentifier(const QString& identifier) const;

private:
    QString packagePath_;   // canonical, or empty when there is no such folder
    QString resourcesPath_; // canonical, or empty when the package has no "Resources" folder inside itself
};

} // namespace pf
