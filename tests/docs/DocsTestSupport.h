// Helpers for tests of packages on disk: a folder that goes with the test, the tree of a path as a
// comparable value, and small file writers.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <unistd.h>

namespace docs_test {

// Every entry below root: relative path → "file:<bytes>", "link:<target>" or "dir".
inline std::map<QString, QByteArray> treeOf(const QString& root)
{
    std::map<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString relative = QDir(root).relativeFilePath(path);
        if (info.isSymLink()) {
            char target[4096];
            const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
            tree[relative] = "link:" + QByteArray(target, n < 0 ? 0 : static_cast<int>(n));
        } else if (info.isDir()) {
            tree[relative] = "dir";
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            tree[relative] = "file:" + file.readAll();
        }
    }
    return tree;
}

// Replaces the file rather than writing into it: it may be a hard link into a package or a fixture.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The names in a folder, hidden ones included (a temporary left by a failed save shows here).
inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace docs_test
