#include "platform/docs/FileWrapper.h"

#include "platform/foundation/PackageImages.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {

// Deeper trees are refused: a package is shallow, and a hostile one must not exhaust the stack.
constexpr int maxDepth = 64;

QString systemError(const QString& what, const QString& path)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

FileWrapper::DiskIdentity identityOf(const struct stat& st)
{
    FileWrapper::DiskIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

} // namespace

std::optional<FileWrapper::DiskIdentity> diskIdentityOfPath(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return identityOf(st);
}

std::shared_ptr<FileWrapper> FileWrapper::directory()
{
    return std::shared_ptr<FileWrapper>(new FileWrapper(Kind::Directory));
}

std::shared_ptr<FileWrapper> FileWrapper::regularFile(QByteArray contents)
{
    auto file = std::shared_ptr<FileWrapper>(new FileWrapper(Kind::RegularFile));
    file->contents_ = std::move(contents);
    return file;
}

std::shared_ptr<FileWrapper> FileWrapper::regularFileWrittenBy(ContentsWriter writer)
{
    auto file = std::shared_ptr<FileWrapper>(new FileWrapper(Kind::RegularFile));
    file->writer_ = std::make_shared<const ContentsWriter>(std::move(writer));
    return file;
}

std::shared_ptr<FileWrapper> FileWrapper::symbolicLink(QString target)
{
    auto link = std::shared_ptr<FileWrapper>(new FileWrapper(Kind::SymbolicLink));
    link->linkTarget_ = std::move(target);
    return link;
}

bool FileWrapper::isSafeName(const QString& name)
{
    // The preview's rule for picture names, and the longest name a Linux file system takes.
    return PackageImages::isPlainFileName(name) && name.toUtf8().size() <= 255;
}

std::shared_ptr<FileWrapper> FileWrapper::readFromPath(const QString& path, QString* error)
{
    return readEntry(path, 0, error);
}

std::shared_ptr<FileWrapper> FileWrapper::readEntry(const QString& path, int depth, QString* error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        if (error)
            *error = systemError(QStringLiteral("Can't read"), path);
        return nullptr;
    }
    if (S_ISLNK(st.st_mode)) {
        // Some file systems report no size for links: room for the longest path.
        QByteArray target(std::max<qsizetype>(static_cast<qsizetype>(st.st_size) + 1, PATH_MAX), '\0');
        const ssize_t n = ::readlink(native.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n < 0) {
            if (error)
                *error = systemError(QStringLiteral("Can't read the link"), path);
            return nullptr;
        }
        target.truncate(n);
        return symbolicLink(QFile::decodeName(target));
    }
    if (S_ISREG(st.st_mode)) {
        auto file = std::shared_ptr<FileWrapper>(new FileWrapper(Kind::RegularFile));
        file->sourcePath_ = path;
        file->sourceIdentity_ = identityOf(st);
        return file;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a file, folder or link").arg(path);
        return nullptr;
    }
    if (depth >= maxDepth) {
        if (error)
            *error = QStringLiteral("\"%1\" is nested too deeply").arg(path);
        return nullptr;
    }
    DIR* dir = ::opendir(native.constData());
    if (!dir) {
        if (error)
            *error = systemError(QStringLiteral("Can't read the folder"), path);
        return nullptr;
    }
    auto folder = directory();
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        QString childError;
        auto child = readEntry(QDir(path).filePath(name), depth + 1, &childError);
        if (!child) {
            // A pipe or device inside a package is no content; anything else unreadable fails the read.
            struct stat cst {};
            if (::lstat(QFile::encodeName(QDir(path).filePath(name)).constData(), &cst) == 0
                && !S_ISDIR(cst.st_mode) && !S_ISREG(cst.st_mode) && !S_ISLNK(cst.st_mode))
                continue;
            ::closedir(dir);
            if (error)
                *error = childError;
            return nullptr;
        }
        folder->children_[name] = std::move(child);
    }
    ::closedir(dir);
    return folder;
}

QByteArray FileWrapper::regularFileContents(QString* error) const
{
    if (kind_ != Kind::RegularFile)
        return {};
    if (contents_)
        return *contents_;
    if (writer_) {
        QByteArray made;
        const ByteSink append = [&made](QByteArrayView piece) {
            made.append(piece);
            return true;
        };
        QString why;
        if ((*writer_)(append, &why))
            return made;
        if (error)
            *error = why;
        return {};
    }
    QFile file(sourcePath_);
    // O_NOFOLLOW: the source was a regular file when read; a link put in its place is not followed.
    const int fd = ::open(QFile::encodeName(sourcePath_).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = systemError(QStringLiteral("Can't read"), sourcePath_);
        return {};
    }
    contents_ = file.readAll();
    return *contents_;
}

bool FileWrapper::writeContents(const ByteSink& sink, QString* error) const
{
    if (kind_ != Kind::RegularFile)
        return false;
    if (writer_)
        return (*writer_)(sink, error);
    QString readError;
    const QByteArray bytes = regularFileContents(&readError);
    if (!readError.isEmpty()) {
        if (error)
            *error = readError;
        return false;
    }
    return sink(bytes);
}

void FileWrapper::setSource(const QString& path, const DiskIdentity& identity)
{
    sourcePath_ = path;
    sourceIdentity_ = identity;
    writer_.reset();
}

void FileWrapper::forgetContents() const
{
    if (!sourcePath_.isEmpty())
        contents_.reset();
}

std::shared_ptr<FileWrapper> FileWrapper::child(const QString& name) const
{
    const auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second;
}

QString FileWrapper::addChild(const QString& preferredName, std::shared_ptr<FileWrapper> wrapper)
{
    if (kind_ != Kind::Directory || !wrapper || !isSafeName(preferredName))
        return {};
    QString name = preferredName;
    for (int n = 2; children_.count(name); ++n) {
        name = QStringLiteral("%1 %2").arg(n).arg(preferredName);
        if (!isSafeName(name))
            return {};
    }
    children_[name] = std::move(wrapper);
    return name;
}

bool FileWrapper::setChild(const QString& name, std::shared_ptr<FileWrapper> wrapper)
{
    if (kind_ != Kind::Directory || !wrapper || !isSafeName(name))
        return false;
    children_[name] = std::move(wrapper);
    return true;
}

bool FileWrapper::removeChild(const QString& name)
{
    return children_.erase(name) > 0;
}

std::shared_ptr<FileWrapper> FileWrapper::deepCopy() const
{
    auto copy = std::shared_ptr<FileWrapper>(new FileWrapper(kind_));
    copy->contents_ = contents_;
    copy->writer_ = writer_;
    copy->sourcePath_ = sourcePath_;
    copy->sourceIdentity_ = sourceIdentity_;
    copy->linkTarget_ = linkTarget_;
    for (const auto& [name, child] : children_)
        copy->children_[name] = child->deepCopy();
    return copy;
}

namespace {

std::shared_ptr<FileWrapper> copyPaired(const std::shared_ptr<FileWrapper>& node, FileWrapper::SaveCopy& copy)
{
    std::shared_ptr<FileWrapper> made;
    switch (node->kind()) {
    case FileWrapper::Kind::Directory:
        made = FileWrapper::directory();
        for (const auto& [name, child] : node->children())
            made->setChild(name, copyPaired(child, copy));
        return made;
    case FileWrapper::Kind::SymbolicLink:
        return FileWrapper::symbolicLink(node->symbolicLinkTarget());
    case FileWrapper::Kind::RegularFile:
        made = node->deepCopy();
        copy.files.emplace_back(node, made);
        return made;
    }
    return made;
}

} // namespace

FileWrapper::SaveCopy FileWrapper::copyForSave(const std::shared_ptr<FileWrapper>& root)
{
    SaveCopy copy;
    if (root)
        copy.root = copyPaired(root, copy);
    return copy;
}

void FileWrapper::SaveCopy::adoptSources() const
{
    for (const auto& [weakOriginal, copy] : files) {
        const auto original = weakOriginal.lock();
        if (original && !copy->sourcePath().isEmpty() && copy->sourceIdentity())
            original->setSource(copy->sourcePath(), *copy->sourceIdentity());
    }
}

} // namespace pf
