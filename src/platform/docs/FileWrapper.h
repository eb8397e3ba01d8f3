// A package as kept in memory: a tree of directories, regular files and symbolic links.
//
// - Files read from disk stay unread until their bytes are asked for; the wrapper remembers where they came
//   from (and what the file looked like then), so a save can hard-link an unchanged file instead of writing
//   it again.
// - Symbolic links are kept as links: their target text is stored and written back, never followed.
// - Entries the reader does not know (anything in the package besides what the document uses) are kept and
//   written back unchanged. Devices, sockets and pipes are not package content and are skipped.
// - A child is named by one safe file-name component (see isSafeName): a name is looked up among the
//   children, never composed into a path, so no name reaches outside the tree.
//
// Main thread only, except reading the bytes of a detached regular file.
#pragma once

#include "platform/foundation/ByteSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pf {

class FileWrapper {
public:
    enum class Kind { Directory, RegularFile, SymbolicLink };

    // What a file on disk looked like when it was read: a file that changed since is not linked as unchanged.
    struct DiskIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        friend bool operator==(const DiskIdentity&, const DiskIdentity&) = default;
    };

    static std::shared_ptr<FileWrapper> directory();
    static std::shared_ptr<FileWrapper> regularFile(QByteArray contents);
    // Makes a regular file's bytes, handing them to the sink a piece at a time; false when they cannot be
    // made (error says why) or the sink refused a piece (error left empty).
    using ContentsWriter = std::function<bool(const ByteSink& sink, QString* error)>;
    // A regular file whose bytes are made as they are written, straight into the file on disk: a large
    // file is never whole in memory. Once written, the file lives where it was written (setSource).
    static std::shared_ptr<FileWrapper> regularFileWrittenBy(ContentsWriter writer);
    static std::shared_ptr<FileWrapper> symbolicLink(QString target);

    // Reads the tree at path: a directory (recursively), a regular file or a link (not followed). Regular
    // files are read lazily. Null with an error when the path cannot be read.
    static std::shared_ptr<FileWrapper> readFromPath(const QString& path, QString* error = nullptr);

    // One file-name component that may name a child: the preview's rule for picture names
    // (PackageImages::isPlainFileName: not empty, no separator or NUL, not "." or "..") and at most 255
    // bytes in UTF-8.
    static bool isSafeName(const QString& name);

    Kind kind() const { return kind_; }
    bool isDirectory() const { return kind_ == Kind::Directory; }
    bool isRegularFile() const { return kind_ == Kind::RegularFile; }
    bool isSymbolicLink() const { return kind_ == Kind::SymbolicLink; }

    // ---- regular files ----
    // The bytes; read from disk on first use (empty with an error when that fails). A file made by a
    // writer and not written yet makes them anew on every call.
    QByteArray regularFileContents(QString* error = nullptr) const;
    // Hands the bytes to the sink: made by the writer a piece at a time, or all at once. False when they
    // cannot be had or made (error says why) or the sink refused them (error left empty).
    bool writeContents(const ByteSink& sink, QString* error = nullptr) const;
    // Where the unchanged bytes live on disk, if anywhere (empty for bytes made in memory).
    const QString& sourcePath() const { return sourcePath_; }
    const std::optional<DiskIdentity>& sourceIdentity() const { return sourceIdentity_; }
    // After a save: the bytes now live at path (as identity says); a writer is no longer needed.
    void setSource(const QString& path, const DiskIdentity& identity);
    // Lets go of the bytes of a file that lives on disk; they are read again when next asked for.
    void forgetContents() const;

    // ---- links ----
    const QString& symbolicLinkTarget() const { return linkTarget_; }

    // ---- directories ----
    const std::map<QString, std::shared_ptr<FileWrapper>>& children() const { return children_; }
    std::shared_ptr<FileWrapper> child(const QString& name) const;
    // Adds the wrapper under name, or under a free variant of it when the name is taken ("2 name"); answers
    // the name used, or an empty string when the name is not a safe one (nothing is added then).
    QString addChild(const QString& preferredName, std::shared_ptr<FileWrapper> wrapper);
    // Adds or replaces the entry of that name; false (nothing changed) for a name that is not safe.
    bool setChild(const QString& name, std::shared_ptr<FileWrapper> wrapper);
    // Removes the named entry; false when there is none.
    bool removeChild(const QString& name);

    // A copy of the tree sharing nothing mutable with this one (bytes and sources are shared values).
    std::shared_ptr<FileWrapper> deepCopy() const;

    // A copy a save writes on another thread, its regular files paired with those they copy: once it is
    // written, adoptSources tells the originals still alive where their bytes now live (a regular file's
    // bytes never change, so the copy's place is the original's too).
    struct SaveCopy {
        std::shared_ptr<FileWrapper> root;
        std::vector<std::pair<std::weak_ptr<FileWrapper>, std::shared_ptr<FileWrapper>>> files;
        void adoptSources() const;
    };
    static SaveCopy copyForSave(const std::shared_ptr<FileWrapper>& root);

private:
    explicit FileWrapper(Kind kind) : kind_(kind) {}
    static std::shared_ptr<FileWrapper> readEntry(const QString& path, int depth, QString* error);

    Kind kind_;
    mutable std::optional<QByteArray> contents_; // loaded or made in memory
    std::shared_ptr<const ContentsWriter> writer_; // makes the bytes until they are on disk
    QString sourcePath_;
    std::optional<DiskIdentity> sourceIdentity_;
    QString linkTarget_;
    std::map<QString, std::shared_ptr<FileWrapper>> children_;
};

// The identity of the file at path now (links not followed); empty when it cannot be read.
std::optional<FileWrapper::DiskIdentity> diskIdentityOfPath(const QString& path);

} // namespace pf
