#include "platform/docs/Document.h"

#include "platform/docs/DocumentController.h"
#include "platform/docs/PackageWriter.h"
#include "platform/foundation/FreedMemory.h"
#include "platform/foundation/Identifier.h"
#include "platform/kit/Services.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace pf {

namespace {

int suddenTerminationCount = 0;
QString draftsFolderOverride;

// A save of a package smaller than this frees too little for giving memory back to pay: the bytes go
// to the file a piece at a time, so what is freed is the snapshot's few containers.
constexpr std::int64_t largeSaveBytes = std::int64_t(8) << 20;

// The bytes of the regular files of a written tree, as they are on disk.
std::int64_t bytesOnDisk(const FileWrapper& node)
{
    if (node.isRegularFile())
        return node.sourceIdentity() ? node.sourceIdentity()->size : 0;
    std::int64_t total = 0;
    for (const auto& [name, child] : node.children())
        total += bytesOnDisk(*child);
    return total;
}

std::optional<QString> runSavePanel(const SavePanelRequest& request)
{
    const QString path = QFileDialog::getSaveFileName(nullptr, request.message, request.suggestedName,
                                                      QStringLiteral("*.%1").arg(request.extension));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QStringList runOpenPanel(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns << QStringLiteral("*.%1").arg(extension);
    QFileDialog dialog;
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(patterns.join(QLatin1Char(' ')));
    return dialog.exec() ? dialog.selectedFiles() : QStringList();
}

QString withExtension(const QString& path, const QString& extension)
{
    if (extension.isEmpty() || QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0)
        return path;
    return path + QLatin1Char('.') + extension;
}

QString snapshotsFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("Quorvel/Snapshots"));
}

} // namespace

template <>
SavePanelSink& sinkOf<SavePanelSink>()
{
    static SavePanelSink sink = runSavePanel;
    return sink;
}

template <>
OpenPanelSink& sinkOf<OpenPanelSink>()
{
    static OpenPanelSink sink = runOpenPanel;
    return sink;
}

namespace suddenTermination {
void disable() { ++suddenTerminationCount; }
void enable()
{
    if (suddenTerminationCount == 0) {
        qWarning("Sudden termination enabled more often than disabled; ignored");
        return;
    }
    --suddenTerminationCount;
}
bool isDisabled() { return suddenTerminationCount > 0; }
} // namespace suddenTermination

// One save: what was taken on the main thread, and what the background thread made of it.
struct Document::SaveJob {
    QString path;
    QString type;
    SaveOperation operation = SaveOperation::Save;
    // An autosave of the untitled document: it writes the draft.
    bool draft = false;
    // The change count the snapshot holds: the document is clean after the save only if it is still there.
    std::int64_t changeCount = 0;
    SaveSnapshot snapshot;
    SaveDone done;
    bool started = false;   // main thread
    bool completed = false; // main thread

    // The worker's part; read once `finished` is set.
    std::mutex mutex;
    std::condition_variable finishedSignal;
    bool finished = false;
    bool ok = false;
    QString error;
    std::shared_ptr<FileWrapper> written;
    std::int64_t writtenBytes = 0;
    QString leftBehind;

    // Makes and writes the package (any thread).
    void run()
    {
        QString why;
        std::shared_ptr<FileWrapper> package = snapshot.makePackage ? snapshot.makePackage(&why) : nullptr;
        QString aside;
        const bool wrote = package && packageWriter::write(*package, path, &why, &aside);
        if (!package && why.isEmpty())
            why = QStringLiteral("The document could not be saved.");
        std::lock_guard lock(mutex);
        ok = wrote;
        error = why;
        writtenBytes = wrote ? bytesOnDisk(*package) : 0;
        written = std::move(package);
        leftBehind = aside;
        finished = true;
        finishedSignal.notify_all();
    }
    void waitUntilFinished()
    {
        std::unique_lock lock(mutex);
        finishedSignal.wait(lock, [this] { return finished; });
    }
    // What outlives the document: the old tree goes (once its files' readers moved on), and the process
    // may quit again.
    void release()
    {
        // A few unlinks: the old package's files are links to, or older versions of, the new one's.
        if (!leftBehind.isEmpty())
            packageWriter::removeTree(leftBehind);
        leftBehind.clear();
        written.reset();
        snapshot = {};
        // What a large save freed (its value tree) does not stay resident.
        if (writtenBytes >= largeSaveBytes)
            returnFreedMemoryInBackground();
        suddenTermination::enable();
    }
};

Document::Document()
{
    undo_.setChangeListener([this](UndoManager::Change change) {
        switch (change) {
        case UndoManager::Change::Done: updateChangeCount(ChangeType::Done); break;
        case UndoManager::Change::Undone: updateChangeCount(ChangeType::Undone); break;
        case UndoManager::Change::Redone: updateChangeCount(ChangeType::Redone); break;
        case UndoManager::Change::Cleared: break; // the history went, the content did not change
        }
    });
}

Document::~Document()
{
    // Saves never started go with the document (close waits for them; a document dropped without
    // closing is a crash as far as its content is concerned). A save running ends on its own.
    for (const auto& job : saves_)
        if (!job->started) {
            job->completed = true;
            job->release();
        }
    undo_.setChangeListener({});
    removeSnapshot();
}

void Document::setFilePath(const QString& path)
{
    filePath_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    titleDidChange();
}

QString Document::displayName() const
{
    if (!displayName_.isEmpty())
        return displayName_;
    if (!filePath_.isEmpty())
        return QFileInfo(filePath_).completeBaseName();
    return untitledName_.isEmpty() ? QStringLiteral("Untitled") : untitledName_;
}

void Document::setDisplayName(const QString& name)
{
    displayName_ = name;
    titleDidChange();
}

QString Document::fileExtension() const
{
    if (controller_)
        if (const DocumentType* type = controller_->typeNamed(fileType_); type && !type->extensions.isEmpty())
            return type->extensions.front();
    return {};
}

void Document::updateChangeCount(ChangeType change)
{
    switch (change) {
    case ChangeType::Done:
    case ChangeType::Redone: ++changeCount_; break;
    case ChangeType::Undone: --changeCount_; break;
    case ChangeType::Cleared: savedChangeCount_ = changeCount_; break;
    }
    changeCountDidChange();
}

void Document::changeCountDidChange()
{
    const bool edited = isDocumentEdited();
    if (edited)
        scheduleAutosave();
    else
        autosaveCall_.cancel();
    if (edited != wasEdited_) {
        wasEdited_ = edited;
        titleDidChange();
    }
}

bool Document::isDocumentEdited() const { return changeCount_ != savedChangeCount_; }

void Document::scheduleAutosave()
{
    autosaveCall_.cancel();
    std::weak_ptr<Document> weak = weak_from_this();
    autosaveCall_ = calls_.performAfterDelay(
        [weak] {
            auto self = weak.lock();
            if (!self || !self->isDocumentEdited())
                return;
            // In the background: the window stays with the user while a large document is written.
            self->saveToPathInBackground(self->autosavePath(), self->fileType_, SaveOperation::Autosave,
                                         [weak](bool ok, const QString& error) {
                                             auto document = weak.lock();
                                             if (!ok && document)
                                                 logMessage(QStringLiteral("Autosave of \"%1\" failed: %2")
                                                                .arg(document->displayName(), error));
                                         });
        },
        autosaveDelay, QStringLiteral("autosave"));
}

std::optional<Document::SaveSnapshot> Document::snapshotForSave(const QString& type, QString* error)
{
    const std::shared_ptr<FileWrapper> wrapper = fileWrapperOfType(type, error);
    if (!wrapper)
        return std::nullopt;
    auto copy = std::make_shared<FileWrapper::SaveCopy>(FileWrapper::copyForSave(wrapper));
    SaveSnapshot snapshot;
    snapshot.makePackage = [root = copy->root](QString*) { return root; };
    snapshot.didWrite = [copy](const FileWrapper&) { copy->adoptSources(); };
    return snapshot;
}

std::shared_ptr<Document::SaveJob> Document::makeSaveJob(const QString& path, const QString& type,
                                                         SaveOperation operation, QString* error)
{
    auto job = std::make_shared<SaveJob>();
    job->path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    job->type = type;
    job->operation = operation;
    job->draft = operation == SaveOperation::Autosave && isUntitled();
    job->changeCount = changeCount_;
    std::optional<SaveSnapshot> snapshot = snapshotForSave(type, error);
    if (!snapshot) {
        if (error->isEmpty())
            *error = QStringLiteral("The document \"%1\" could not be saved.").arg(displayName());
        return nullptr;
    }
    job->snapshot = std::move(*snapshot);
    // Held until the save has ended: quitting waits for it.
    suddenTermination::disable();
    return job;
}

bool Document::prepareToStart(SaveJob& job)
{
    job.started = true;
    if (job.path.isEmpty())
        job.path = filePath_;
    if (!job.path.isEmpty())
        return true;
    // A Save asked during a Save As that failed: there is nowhere to write.
    std::lock_guard lock(job.mutex);
    job.error = QStringLiteral("The document \"%1\" has not been saved yet.").arg(displayName());
    job.finished = true;
    return false;
}

void Document::startSave(const std::shared_ptr<SaveJob>& job)
{
    if (!prepareToStart(*job)) {
        completeSave(job);
        return;
    }
    std::weak_ptr<Document> weak = weak_from_this();
    performOnBackgroundThread([weak, job] {
        job->run();
        performOnMainThread([weak, job] {
            if (auto self = weak.lock())
                self->completeSave(job);
            else if (!job->completed) {
                job->completed = true;
                job->release();
            }
        });
    });
}

void Document::completeSave(const std::shared_ptr<SaveJob>& job)
{
    if (job->completed)
        return;
    job->completed = true;
    job->waitUntilFinished();
    if (!saves_.empty() && saves_.front() == job)
        saves_.pop_front();
    if (job->ok) {
        if (job->snapshot.didWrite)
            job->snapshot.didWrite(*job->written);
        const SaveOperation operation = job->operation;
        if (job->draft) {
            if (isUntitled()) {
                draftPath_ = job->path;
            } else {
                // Saved under a name meanwhile: the draft is no longer wanted.
                packageWriter::removeTree(job->path);
            }
            plannedDraftPath_.clear();
        } else if (operation != SaveOperation::SaveTo) {
            const bool wasUntitled = isUntitled();
            fileType_ = job->type;
            if (job->path != filePath_)
                setFilePath(job->path);
            if (wasUntitled || operation == SaveOperation::SaveAs)
                removeDraft();
            savedChangeCount_ = job->changeCount;
            changeCountDidChange();
        }
    }
    const bool ok = job->ok;
    const QString error = job->error;
    SaveDone done = std::move(job->done);
    job->release();
    // The next save asked for starts before anyone hears of this one.
    if (!saves_.empty() && !saves_.front()->started)
        startSave(saves_.front());
    if (done)
        done(ok, error);
}

void Document::waitForSaves()
{
    while (!saves_.empty()) {
        const std::shared_ptr<SaveJob> job = saves_.front();
        // Not started yet: run here, as the caller waits anyway.
        if (!job->started && prepareToStart(*job))
            job->run();
        completeSave(job);
    }
}

void Document::saveToPathInBackground(const QString& path, const QString& type, SaveOperation operation,
                                      SaveDone done)
{
    QString error;
    std::shared_ptr<SaveJob> job = makeSaveJob(path, type, operation, &error);
    if (!job) {
        if (done)
            done(false, error);
        return;
    }
    job->done = std::move(done);
    saves_.push_back(job);
    if (saves_.size() == 1)
        startSave(job);
}

bool Document::saveToPath(const QString& path, const QString& type, SaveOperation operation, QString* error)
{
    QString localError;
    QString* err = error ? error : &localError;
    waitForSaves();
    std::shared_ptr<SaveJob> job = makeSaveJob(path, type, operation, err);
    if (!job)
        return false;
    saves_.push_back(job);
    waitForSaves();
    if (!job->ok)
        *err = job->error;
    return job->ok;
}

bool Document::saveDocument(SaveMode mode)
{
    // A Save asked while the first Save As of the document runs saves where that one puts it.
    const bool titling = std::any_of(saves_.begin(), saves_.end(), [](const auto& job) {
        return job->operation == SaveOperation::SaveAs;
    });
    if (isUntitled() && !(mode == SaveMode::Background && titling))
        return saveDocumentAs(mode);
    return saveShowingFailure(isUntitled() ? QString() : filePath_, SaveOperation::Save, mode);
}

bool Document::saveShowingFailure(const QString& path, SaveOperation operation, SaveMode mode)
{
    const SaveDone showFailure = [weak = weak_from_this()](bool ok, const QString& error) {
        if (auto self = weak.lock(); self && !ok)
            runAlert(Alert{QStringLiteral("The document \"%1\" could not be saved.").arg(self->displayName()), error, {}});
    };
    if (mode == SaveMode::Background) {
        saveToPathInBackground(path, fileType_, operation, showFailure);
        return true;
    }
    QString error;
    const bool ok = saveToPath(path, fileType_, operation, &error);
    showFailure(ok, error);
    return ok;
}

bool Document::saveDocumentAs(SaveMode mode)
{
    const QString extension = fileExtension();
    const std::optional<QString> chosen =
        sinkOf<SavePanelSink>()(SavePanelRequest{displayName(), extension, QStringLiteral("Save As")});
    if (!chosen)
        return false;
    return saveShowingFailure(withExtension(*chosen, extension), SaveOperation::SaveAs, mode);
}

QString Document::draftsFolder()
{
    if (!draftsFolderOverride.isEmpty())
        return draftsFolderOverride;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Quorvel/Drafts"));
}

void Document::setDraftsFolderForTesting(const QString& folder) { draftsFolderOverride = folder; }

QString Document::autosavePath()
{
    if (!isUntitled())
        return filePath_;
    if (!draftPath_.isEmpty())
        return draftPath_;
    if (plannedDraftPath_.isEmpty()) {
        QDir().mkpath(draftsFolder());
        const QString extension = fileExtension();
        plannedDraftPath_ = QDir(draftsFolder()).filePath(newIdentifier() + (extension.isEmpty() ? QString() : QLatin1Char('.') + extension));
    }
    return plannedDraftPath_;
}

bool Document::autosave(QString* error)
{
    autosaveCall_.cancel();
    waitForSaves();
    if (!isDocumentEdited())
        return true;
    return saveToPath(autosavePath(), fileType_, SaveOperation::Autosave, error);
}

void Document::adoptDraft(const QString& path)
{
    draftPath_ = QFileInfo(path).absoluteFilePath();
    // Unsaved work: edited until saved or discarded.
    savedChangeCount_ = changeCount_ - 1;
    wasEdited_ = true;
    titleDidChange();
}

void Document::removeDraft()
{
    if (draftPath_.isEmpty())
        return;
    packageWriter::removeTree(draftPath_);
    draftPath_.clear();
}

void Document::takeSnapshot()
{
    removeSnapshot();
    if (filePath_.isEmpty())
        return;
    QDir().mkpath(snapshotsFolder());
    const QString path = QDir(snapshotsFolder()).filePath(newIdentifier());
    QString error;
    if (packageWriter::linkCopyTree(filePath_, path, &error))
        snapshotPath_ = path;
    else
        logMessage(QStringLiteral("No version to revert to for \"%1\": %2").arg(displayName(), error));
}

void Document::removeSnapshot()
{
    if (snapshotPath_.isEmpty())
        return;
    packageWriter::removeTree(snapshotPath_);
    snapshotPath_.clear();
}

bool Document::revertDocumentToSaved(QString* error)
{
    QString localError;
    QString* err = error ? error : &localError;
    waitForSaves();
    if (snapshotPath_.isEmpty()) {
        *err = QStringLiteral("There is no saved version of \"%1\" to revert to.").arg(displayName());
        return false;
    }
    std::shared_ptr<FileWrapper> wrapper;
    {
        SuddenTerminationGuard guard;
        wrapper = FileWrapper::readFromPath(snapshotPath_, err);
        if (!wrapper || !readFromFileWrapper(wrapper, fileType_, err))
            return false;
    }
    undo_.removeAllActions();
    // The file on disk holds the autosaved changes: put the opened version back there too.
    if (!saveToPath(filePath_, fileType_, SaveOperation::Save, err)) {
        logMessage(QStringLiteral("Reverted \"%1\" but could not save it: %2").arg(displayName(), *err));
        updateChangeCount(ChangeType::Done);
        err->clear();
    }
    return true;
}

Document::CloseAnswer Document::askToSave()
{
    Alert alert;
    alert.messageText = QStringLiteral("Save changes?");
    alert.informativeText =
        QStringLiteral("Your changes to \"%1\" will be lost if you don't save them.").arg(displayName());
    alert.buttons = {QStringLiteral("Save"), QStringLiteral("Don't Save"), QStringLiteral("Cancel")};
    const int answer = runAlert(alert);
    if (answer == 0)
        return CloseAnswer::Save;
    if (answer == 1)
        return CloseAnswer::DontSave;
    return CloseAnswer::Cancel;
}

bool Document::canCloseDocument()
{
    documentWillClose();
    waitForSaves();
    if (!isDocumentEdited())
        return true;
    if (!isUntitled()) {
        QString error;
        if (autosave(&error))
            return true;
        logMessage(QStringLiteral("Saving \"%1\" on close failed: %2").arg(displayName(), error));
    }
    switch (askToSave()) {
    case CloseAnswer::Save:
        return isUntitled() ? saveDocumentAs() : saveDocument();
    case CloseAnswer::DontSave:
        removeDraft();
        savedChangeCount_ = changeCount_;
        return true;
    case CloseAnswer::Cancel:
        return false;
    }
    return false;
}

void Document::close()
{
    const auto keep = weak_from_this().lock(); // the controller may hold the last reference
    autosaveCall_.cancel();
    calls_.cancelPreviousPerformRequests();
    // What was asked to be saved is written before the document goes.
    waitForSaves();
    closeWindows();
    // An untitled document closed unsaved has been discarded (or asked about already).
    if (!isDocumentEdited())
        removeDraft();
    removeSnapshot();
    if (controller_)
        controller_->removeDocument(this);
}

} // namespace pf
