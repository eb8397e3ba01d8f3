#include "platform/docs/PackageWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pf {

namespace {

std::optional<packageWriter::Stage> injectedFault;
int injectedError = EIO;

bool faultAt(packageWriter::Stage stage)
{
    if (injectedFault == stage) {
        errno = injectedError;
        return true;
    }
    return false;
}

QString systemError(const QString& what, const QString& path)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool syncPath(const QString& path, bool directory)
{
    if (faultAt(packageWriter::Stage::Sync))
        return false;
    const int fd = ::open(native(path).constData(), (directory ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The file's bytes, made or had, written a piece at a time as they come.
bool writeFile(const QString& path, const FileWrapper& file, QString* error)
{
    if (faultAt(packageWriter::Stage::Write)) {
        *error = systemError(QStringLiteral("Can't write"), path);
        return false;
    }
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = systemError(QStringLiteral("Can't write"), path);
        return false;
    }
    QString writeError;
    const ByteSink sink = [fd, &path, &writeError](QByteArrayView piece) {
        const char* p = piece.data();
        qsizetype left = piece.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                writeError = systemError(QStringLiteral("Can't write"), path);
                return false;
            }
            p += n;
            left -= n;
        }
        return true;
    };
    QString madeError;
    if (!file.writeContents(sink, &madeError)) {
        *error = madeError.isEmpty() ? writeError : madeError;
        ::close(fd);
        return false;
    }
    const bool synced = !faultAt(packageWriter::Stage::Sync) && ::fsync(fd) == 0;
    if (!synced)
        *error = systemError(QStringLiteral("Can't save"), path);
    ::close(fd);
    return synced;
}

struct Written {
    FileWrapper* file;
    QString relativePath;
};

bool unchangedOnDisk(const FileWrapper& file)
{
    if (file.sourcePath().isEmpty() || !file.sourceIdentity())
        return false;
    return diskIdentityOfPath(file.sourcePath()) == file.sourceIdentity();
}

bool writeNode(FileWrapper& node, const QString& path, const QString& relative, std::vector<Written>& written,
               QString* error)
{
    switch (node.kind()) {
    case FileWrapper::Kind::SymbolicLink:
        if (faultAt(packageWriter::Stage::Write)
            || ::symlink(native(node.symbolicLinkTarget()).constData(), native(path).constData()) != 0) {
            *error = systemError(QStringLiteral("Can't write the link"), path);
            return false;
        }
        return true;
    case FileWrapper::Kind::RegularFile: {
        written.push_back({&node, relative});
        if (unchangedOnDisk(node) && !faultAt(packageWriter::Stage::Write)
            && ::link(native(node.sourcePath()).constData(), native(path).constData()) == 0)
            return true;
        return writeFile(path, node, error);
    }
    case FileWrapper::Kind::Directory:
        if (faultAt(packageWriter::Stage::Write) || ::mkdir(native(path).constData(), 0755) != 0) {
            *error = systemError(QStringLiteral("Can't make the folder"), path);
            return false;
        }
        for (const auto& [name, child] : node.children()) {
            const QString childRelative = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
            if (!writeNode(*child, QDir(path).filePath(name), childRelative, written, error))
                return false;
        }
        if (!syncPath(path, true)) {
            *error = systemError(QStringLiteral("Can't save"), path);
            return false;
        }
        return true;
    }
    return false;
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*)
{
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
}

// A name in the destination's folder that nothing has; none, with errno set, when the folder cannot be
// looked into (missing, not a folder, unreadable, the path too long), which no retry would mend. The
// destination's own name is cut short in it, so a name that fits also has a temporary that fits.
std::optional<QString> temporarySibling(const QString& destination, const char* purpose)
{
    const QFileInfo info(destination);
    constexpr int attempts = 64;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QString name = QStringLiteral(".%1.%2-%3")
                                 .arg(info.fileName().left(64), QLatin1String(purpose))
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QString candidate = info.dir().filePath(name);
        struct stat st {};
        if (::lstat(native(candidate).constData(), &st) == 0)
            continue; // taken: another name
        if (errno != ENOENT)
            return std::nullopt;
        // ENOENT also answers for a missing folder: only a folder that is there can take the name.
        if (::stat(native(info.dir().path()).constData(), &st) != 0)
            return std::nullopt;
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return std::nullopt;
        }
        return candidate;
    }
    errno = EEXIST;
    return std::nullopt;
}

bool exchange(const QString& from, const QString& to)
{
    if (faultAt(packageWriter::Stage::Swap))
        return false;
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without exchange: move the old tree aside, the new one in, and back on failure.
    const std::optional<QString> taken = temporarySibling(to, "old");
    if (!taken)
        return false;
    const QString& aside = *taken;
    if (::rename(native(to).constData(), native(aside).constData()) != 0)
        return false;
    if (::rename(native(from).constData(), native(to).constData()) != 0) {
        const int saved = errno;
        ::rename(native(aside).constData(), native(to).constData());
        errno = saved;
        return false;
    }
    // The old tree goes where the caller removes it from.
    if (::rename(native(aside).constData(), native(from).constData()) != 0)
        packageWriter::removeTree(aside);
    return true;
}

} // namespace

namespace packageWriter {

bool removeTree(const QString& path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(native(path).constData()) == 0;
    return ::nftw(native(path).constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

bool write(FileWrapper& root, const QString& destination, QString* error, QString* leftBehind)
{
    if (leftBehind)
        leftBehind->clear();
    QString localError;
    QString* err = error ? error : &localError;
    const QString absolute = QFileInfo(destination).absoluteFilePath();
    const QString parent = QFileInfo(absolute).path();
    const std::optional<QString> sibling = temporarySibling(absolute, "saving");
    if (!sibling) {
        *err = systemError(QStringLiteral("Can't save"), absolute);
        return false;
    }
    const QString& temporary = *sibling;

    std::vector<Written> written;
    if (!writeNode(root, temporary, QString(), written, err)) {
        removeTree(temporary);
        return false;
    }
    struct stat st {};
    const bool replacing = ::lstat(native(absolute).constData(), &st) == 0;
    bool swapped = false;
    if (replacing)
        swapped = exchange(temporary, absolute);
    else
        swapped = !faultAt(Stage::Swap)
            && ::renameat2(AT_FDCWD, native(temporary).constData(), AT_FDCWD, native(absolute).constData(),
                           RENAME_NOREPLACE) == 0;
    if (!swapped) {
        *err = systemError(QStringLiteral("Can't save"), absolute);
        removeTree(temporary);
        return false;
    }
    syncPath(parent, true);
    // Sources inside the old tree are about to go: every file now lives in the new one.
    for (const Written& file : written) {
        const QString path = file.relativePath.isEmpty() ? absolute : QDir(absolute).filePath(file.relativePath);
        if (auto identity = diskIdentityOfPath(path))
            file.file->setSource(path, *identity);
    }
    if (replacing && leftBehind)
        *leftBehind = temporary;
    else if (replacing)
        removeTree(temporary);
    return true;
}

bool linkCopyTree(const QString& source, const QString& destination, QString* error)
{
    QString localError;
    QString* err = error ? error : &localError;
    auto tree = FileWrapper::readFromPath(source, err);
    if (!tree)
        return false;
    std::vector<Written> written;
    const bool ok = writeNode(*tree, destination, QString(), written, err);
    if (!ok)
        removeTree(destination);
    return ok;
}

} // namespace packageWriter

ScopedPackageWriteFault::ScopedPackageWriteFault(packageWriter::Stage stage, int error)
    : previous_(injectedFault), previousError_(injectedError)
{
    injectedFault = stage;
    injectedError = error;
}

ScopedPackageWriteFault::~ScopedPackageWriteFault()
{
    injectedFault = previous_;
    injectedError = previousError_;
}

} // namespace pf
