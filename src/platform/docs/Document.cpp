#include "platform/docs/Document.h"

#include "platform/docs/DocumentController.h"
#include "platform/docs/PackageWriter.h"
#include "platform/foundation/Identifier.h"
#include "platform/kit/Services.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace pf {

namespace {

int suddenTerminationCount = 0;
QString draftsFolderOverride;

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
            if (auto self = weak.lock()) {
                QString error;
                if (!self->autosave(&error))
                    logMessage(QStringLiteral("Autosave of \"%1\" failed: %2").arg(self->displayName(), error));
            }
        },
        autosaveDelay, QStringLiteral("autosave"));
}

bool Document::saveToPath(const QString& path, const QString& type, SaveOperation operation, QString* error)
{
    QString localError;
    QString* err = error ? error : &localError;
    SuddenTerminationGuard guard;
    std::shared_ptr<FileWrapper> wrapper = fileWrapperOfType(type, err);
    if (!wrapper) {
        if (err->isEmpty())
            *err = QStringLiteral("The document \"%1\" could not be saved.").arg(displayName());
        return false;
    }
    if (!packageWriter::write(*wrapper, path, err))
        return false;
    if (operation == SaveOperation::SaveTo)
        return true;
    if (operation == SaveOperation::Autosave && isUntitled()) {
        draftPath_ = QFileInfo(path).absoluteFilePath();
        return true;
    }
    const bool wasUntitled = isUntitled();
    fileType_ = type;
    if (QFileInfo(path).absoluteFilePath() != filePath_)
        setFilePath(path);
    if (wasUntitled || operation == SaveOperation::SaveAs)
        removeDraft();
    updateChangeCount(ChangeType::Cleared);
    return true;
}

bool Document::saveDocument()
{
    if (isUntitled())
        return saveDocumentAs();
    QString error;
    if (saveToPath(filePath_, fileType_, SaveOperation::Save, &error))
        return true;
    runAlert(Alert{QStringLiteral("The document \"%1\" could not be saved.").arg(displayName()), error, {}});
    return false;
}

bool Document::saveDocumentAs()
{
    const QString extension = fileExtension();
    const std::optional<QString> chosen =
        sinkOf<SavePanelSink>()(SavePanelRequest{displayName(), extension, QStringLiteral("Save As")});
    if (!chosen)
        return false;
    const QString path = withExtension(*chosen, extension);
    QString error;
    if (saveToPath(path, fileType_, SaveOperation::SaveAs, &error))
        return true;
    runAlert(Alert{QStringLiteral("The document \"%1\" could not be saved.").arg(displayName()), error, {}});
    return false;
}

QString Document::draftsFolder()
{
    if (!draftsFolderOverride.isEmpty())
        return draftsFolderOverride;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Quorvel/Drafts"));
}

void Document::setDraftsFolderForTesting(const QString& folder) { draftsFolderOverride = folder; }

bool Document::autosave(QString* error)
{
    autosaveCall_.cancel();
    if (!isDocumentEdited())
        return true;
    if (!isUntitled())
        return saveToPath(filePath_, fileType_, SaveOperation::Autosave, error);
    QString path = draftPath_;
    if (path.isEmpty()) {
        QDir().mkpath(draftsFolder());
        const QString extension = fileExtension();
        path = QDir(draftsFolder()).filePath(newIdentifier() + (extension.isEmpty() ? QString() : QLatin1Char('.') + extension));
    }
    return saveToPath(path, fileType_, SaveOperation::Autosave, error);
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
    closeWindows();
    // An untitled document closed unsaved has been discarded (or asked about already).
    if (!isDocumentEdited())
        removeDraft();
    removeSnapshot();
    if (controller_)
        controller_->removeDocument(this);
}

} // namespace pf
