// Writes a file wrapper tree to disk atomically: the new tree is built in a temporary sibling of the
// destination, every file and folder synced, then swapped with the old one in one step (renameat2 with
// RENAME_EXCHANGE) and the old tree removed. A failure at any step leaves the old tree as it was and no
// temporary behind.
//
// Unchanged files (regular files read from disk whose source still looks as it did) are hard-linked from
// where they came instead of written again, so a save writes only what changed; where links cannot be made
// (another file system) the bytes are copied. After a save every regular file of the tree points at its
// new place.
#pragma once

#include "platform/docs/FileWrapper.h"

#include <QString>

#include <cerrno>
#include <memory>
#include <optional>

namespace pf {

namespace packageWriter {

// The steps a test may make fail.
enum class Stage { Write, Sync, Swap };

// Writes root to destination (replacing what is there). False with an error on failure. With leftBehind
// the tree replaced is not removed but moved aside and its path answered (empty when nothing was
// replaced): files of the old tree stay readable until the caller has moved their readers on.
bool write(FileWrapper& root, const QString& destination, QString* error = nullptr, QString* leftBehind = nullptr);

// Removes a tree without following links; false when something stayed.
bool removeTree(const QString& path);

// Copies the tree at source to destination (which must not exist), hard-linking regular files where it
// can: a cheap snapshot of a package that saves never modify in place.
bool linkCopyTree(const QString& source, const QString& destination, QString* error = nullptr);

} // namespace packageWriter

// Makes one stage of every write fail with the given errno while it exists (tests only).
class ScopedPackageWriteFault {
public:
    explicit ScopedPackageWriteFault(packageWriter::Stage stage, int error = EIO);
    ~ScopedPackageWriteFault();
    ScopedPackageWriteFault(const ScopedPackageWriteFault&) = delete;
    ScopedPackageWriteFault& operator=(const ScopedPackageWriteFault&) = delete;

private:
    std::optional<packageWriter::Stage> previous_;
    int previousError_;
};

} // namespace pf
