// The document base: one file or package on disk (or none yet), its undo manager and change count, saving
// (atomically, through the package writer), autosave, drafts of untitled documents, revert and the close
// question. Subclasses give the content: fileWrapperOfType and readFromFileWrapper, and the window hooks.
//
// - Saving: the main thread takes what the package needs of the document as it is (snapshotForSave); the
//   bytes are made and written on a background thread, and the document learns the outcome back on the
//   main thread. Saves run one at a time in the order asked; a save waited for (saveToPath, the close
//   question, revert) first lets those under way finish. Changes made while a save runs stay unsaved.
// - Changes: the undo manager's done, undone and redone steps drive the change count; the document is
//   edited while the count differs from the count at the last save (undoing back to it makes it clean).
// - Autosave: a few seconds after the last change a titled document saves in place and an untitled one
//   writes a draft into the drafts folder; the draft goes once the document is saved or discarded, and
//   the controller reopens leftover drafts after a crash.
// - Revert returns to the version as opened: a snapshot of the package taken at open (hard links, since
//   saves never change a written file in place), read back, undo cleared, saved in place.
// - Questions and panels go through sinks (runAlert, the save panel sink) that tests answer.
//
// Main thread only.
#pragma once

#include "platform/docs/FileWrapper.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/kit/Sink.h"

#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace pf {

class DocumentController;

// The save panel: the folder and the name to offer, the extension the type needs. Answers the chosen path,
// or nothing when cancelled.
struct SavePanelRequest {
    QString suggestedName;
    QString extension;
    QString message;
};
using SavePanelSink = std::function<std::optional<QString>(const SavePanelRequest&)>;
// The open panel: answers the chosen paths, empty when cancelled.
using OpenPanelSink = std::function<QStringList(const QStringList& extensions)>;
template <>
SavePanelSink& sinkOf<SavePanelSink>();
template <>
OpenPanelSink& sinkOf<OpenPanelSink>();
using ScopedSavePanelSink = ScopedSink<SavePanelSink>;
using ScopedOpenPanelSink = ScopedSink<OpenPanelSink>;

// The process's count of work that must finish before it may quit (saves, reads, image stores).
namespace suddenTermination {
void disable();
void enable();
bool isDisabled();
} // namespace suddenTermination

// Holds the count for its scope.
class SuddenTerminationGuard {
public:
    SuddenTerminationGuard() { suddenTermination::disable(); }
    ~SuddenTerminationGuard() { suddenTermination::enable(); }
    SuddenTerminationGuard(const SuddenTerminationGuard&) = delete;
    SuddenTerminationGuard& operator=(const SuddenTerminationGuard&) = delete;
};

class Document : public std::enable_shared_from_this<Document> {
public:
    enum class ChangeType { Done, Undone, Redone, Cleared };
    enum class SaveOperation { Save, SaveAs, SaveTo, Autosave };
    enum class CloseAnswer { Save = 0, DontSave = 1, Cancel = 2 };

    // The delay between the last change and the autosave.
    static constexpr std::chrono::seconds autosaveDelay{5};

    Document();
    virtual ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // ---- content (subclasses) ----
    virtual std::shared_ptr<FileWrapper> fileWrapperOfType(const QString& type, QString* error) = 0;
    // What a save took of the document on the main thread, and the rest of its work.
    struct SaveSnapshot {
        // Makes the package from what was taken; runs on a background thread, so it reads nothing the
        // main thread may change. Null with an error when it cannot be made.
        std::function<std::shared_ptr<FileWrapper>(QString* error)> makePackage;
        // Main thread, once the package is on disk (the tree makePackage answered, with its sources).
        std::function<void(const FileWrapper& written)> didWrite;
    };
    // The main thread's part of a save. By default a copy of fileWrapperOfType's package, whose files
    // then learn where the save put them.
    virtual std::optional<SaveSnapshot> snapshotForSave(const QString& type, QString* error);
    virtual bool readFromFileWrapper(const std::shared_ptr<FileWrapper>& wrapper, const QString& type,
                                     QString* error) = 0;

    // ---- windows (subclasses) ----
    virtual void makeWindowControllers() {}
    virtual void showWindows() {}
    // The document is going: close its windows.
    virtual void closeWindows() {}
    // The edited state or the display name changed: refresh the window's title.
    virtual void titleDidChange() {}

    // ---- identity ----
    const QString& filePath() const { return filePath_; }
    void setFilePath(const QString& path);
    const QString& fileType() const { return fileType_; }
    void setFileType(const QString& type) { fileType_ = type; }
    bool isUntitled() const { return filePath_.isEmpty(); }
    // The name given, else the file's name less its extension, else the untitled name.
    QString displayName() const;
    void setDisplayName(const QString& name);
    void setUntitledName(const QString& name) { untitledName_ = name; }
    // The display name with Qt's placeholder for the edited marker ("[*]"); the window shows the marker
    // while isDocumentEdited.
    QString windowTitle() const { return displayName() + QStringLiteral("[*]"); }
    // The extension a package of this document's type takes ("quorveldoc"); from the controller's table.
    QString fileExtension() const;

    DocumentController* controller() const { return controller_; }
    // The document's scripting specifier; null where scripting does not reach.
    virtual Variant objectSpecifier() { return {}; }

    // ---- changes ----
    UndoManager& undoManager() { return undo_; }
    void updateChangeCount(ChangeType change);
    bool isDocumentEdited() const;

    // ---- saving ----
    // Writes the document to path; Save and SaveAs make it the document's file, SaveTo and Autosave of an
    // untitled document (a draft) do not. On failure nothing changes and the error says why. Waits for the
    // saves under way, then for this one.
    bool saveToPath(const QString& path, const QString& type, SaveOperation operation, QString* error);
    // The same without waiting: the document as it is now is written in the background, after the saves
    // under way; done (may be empty) hears the outcome on the main thread. An empty path is the
    // document's file when the save starts (a Save asked while a Save As runs).
    using SaveDone = std::function<void(bool ok, const QString& error)>;
    void saveToPathInBackground(const QString& path, const QString& type, SaveOperation operation, SaveDone done);
    // Whether a save was asked for and has not ended.
    bool isSaving() const { return !saves_.empty(); }
    // Lets every save asked for end (main thread).
    void waitForSaves();
    enum class SaveMode { Wait, Background };
    // Titled: saves in place; untitled: asks where (Save As). Errors are shown. True when saved (Wait) or
    // when the save was started (Background; a failure is shown when it ends).
    bool saveDocument(SaveMode mode = SaveMode::Wait);
    bool saveDocumentAs(SaveMode mode = SaveMode::Wait);
    // Saves now what the autosave would save later; true when nothing needed saving or it was saved.
    bool autosave(QString* error = nullptr);
    bool hasPendingAutosave() const { return autosaveCall_.isPending(); }
    // The draft of an untitled document, if one was written.
    const QString& draftPath() const { return draftPath_; }
    // The folder of drafts ("Quorvel/Drafts" under the XDG data folder); tests move it.
    static QString draftsFolder();
    static void setDraftsFolderForTesting(const QString& folder);

    // ---- revert ----
    // Keeps the version at path (the file just opened) to return to.
    void takeSnapshot();
    bool canRevert() const { return !snapshotPath_.isEmpty(); }
    bool revertDocumentToSaved(QString* error = nullptr);

    // ---- closing ----
    // Before the close question (the app collects unused images here).
    virtual void documentWillClose() {}
    // Whether the document may close: clean ones may; titled ones save in place; untitled ones ask "Save
    // changes?" (Save, Don't Save, Cancel). A titled one whose save fails asks too.
    bool canCloseDocument();
    // Closes at once: windows, draft of a discarded document, snapshot; the controller forgets it.
    void close();

protected:
    // A draft reopened after a crash: the document is untitled, edited, and keeps writing that draft.
    void adoptDraft(const QString& path);

private:
    friend class DocumentController;
    struct SaveJob;
    std::shared_ptr<SaveJob> makeSaveJob(const QString& path, const QString& type, SaveOperation operation,
                                         QString* error);
    // Fixes where the save writes; false (the save has ended, failed) when there is nowhere.
    bool prepareToStart(SaveJob& job);
    void startSave(const std::shared_ptr<SaveJob>& job);
    void completeSave(const std::shared_ptr<SaveJob>& job);
    // Saves (waiting or not) and shows a failure in an alert.
    bool saveShowingFailure(const QString& path, SaveOperation operation, SaveMode mode);
    // The path an autosave writes: the file, or the draft (chosen once).
    QString autosavePath();
    void changeCountDidChange();
    void scheduleAutosave();
    void removeDraft();
    void removeSnapshot();
    CloseAnswer askToSave();

    UndoManager undo_;
    QString filePath_;
    QString fileType_;
    QString displayName_;
    QString untitledName_;
    QString draftPath_;
    // The draft path of an autosave under way, until it has written it.
    QString plannedDraftPath_;
    QString snapshotPath_;
    // The saves asked for, in order; the first runs.
    std::deque<std::shared_ptr<SaveJob>> saves_;
    DocumentController* controller_ = nullptr;
    std::int64_t changeCount_ = 0;
    std::int64_t savedChangeCount_ = 0;
    bool wasEdited_ = false;
    DelayedCallOwner calls_;
    DelayedCall autosaveCall_;
};

} // namespace pf
