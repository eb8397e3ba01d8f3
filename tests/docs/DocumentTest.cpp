#include "docs/DocsTestSupport.h"

#include "platform/docs/Application.h"
#include "platform/docs/Document.h"
#include "platform/docs/DocumentController.h"
#include "platform/docs/PackageWriter.h"
#include "platform/kit/Services.h"

#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace docs_test;
using namespace std::chrono_literals;

namespace {

// A package holding one text file; every edit is one undoable step.
class TextDocument : public pf::Document {
public:
    std::shared_ptr<pf::FileWrapper> fileWrapperOfType(const QString&, QString* error) override
    {
        if (failSerialising) {
            *error = "cannot serialise";
            return nullptr;
        }
        if (!package)
            package = pf::FileWrapper::directory();
        package->setChild("text", pf::FileWrapper::regularFile(text.toUtf8()));
        return package;
    }
    bool readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>& wrapper, const QString&, QString* error) override
    {
        auto file = wrapper->child("text");
        if (!file) {
            *error = "no text";
            return false;
        }
        package = wrapper;
        text = QString::fromUtf8(file->regularFileContents());
        return true;
    }
    void closeWindows() override { ++windowsClosed; }

    void edit(const QString& to)
    {
        const QString from = text;
        text = to;
        undoManager().registerUndo([this, from] { edit(from); });
    }

    QString text;
    std::shared_ptr<pf::FileWrapper> package;
    bool failSerialising = false;
    int windowsClosed = 0;
};

class RecordingController : public pf::DocumentController {
public:
    void applicationWillTerminate() override { ++willTerminate; }
    int willTerminate = 0;
};

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pf::Document::setDraftsFolderForTesting(dir.filePath("Drafts"));
        controller.addDocumentType({"com.example.text", {"textdoc"}, true, "application/x-textdoc",
                                    [] { return std::make_shared<TextDocument>(); }, {}});
        controller.addDocumentType({"PNG image", {"png"}, false, "image/png", {},
                                    [this](const QString& path, QString*) {
                                        openedImages << path;
                                        return controller.newDocument();
                                    }});
        writeFile(dir.filePath("A.textdoc/text"), "opened");
    }
    void TearDown() override { pf::Document::setDraftsFolderForTesting({}); }

    std::shared_ptr<TextDocument> open(const QString& name)
    {
        QString error;
        auto document = std::dynamic_pointer_cast<TextDocument>(controller.openDocumentAtPath(dir.filePath(name), &error));
        EXPECT_TRUE(document) << error.toStdString();
        if (document)
            document->undoManager().setGroupsByEvent(false);
        return document;
    }
    std::shared_ptr<TextDocument> newDocument()
    {
        auto document = std::dynamic_pointer_cast<TextDocument>(controller.newDocument());
        document->undoManager().setGroupsByEvent(false);
        return document;
    }
    // Moves the clock on and lets what it started end (autosaves write in the background).
    void advance(std::chrono::nanoseconds by)
    {
        clock.advance(by);
        pf::drainMainQueue();
        finishBackgroundWork();
    }
    // Background work and what its completions start in turn (a save queued behind another).
    static void finishBackgroundWork()
    {
        do {
            QThreadPool::globalInstance()->waitForDone();
            pf::drainMainQueue();
        } while (QThreadPool::globalInstance()->activeThreadCount() > 0);
    }

    pf::VirtualClock clock;
    QTemporaryDir dir;
    RecordingController controller;
    QStringList openedImages;
    QStringList alerts;
    pf::ScopedLogSink quiet{[](const QString&) {}};
};

} // namespace

TEST_F(DocumentTest, TheChangeCountFollowsUndo)
{
    auto document = open("A.textdoc");
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->windowTitle(), "A[*]");
    document->edit("one");
    document->edit("two");
    EXPECT_TRUE(document->isDocumentEdited());
    document->undoManager().undo();
    document->undoManager().undo();
    EXPECT_FALSE(document->isDocumentEdited()); // back where it was saved
    document->undoManager().redo();
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentTest, TypesAreMatchedRegardlessOfCaseAndImagesOpenWithoutADocumentOfTheirOwn)
{
    writeFile(dir.filePath("B.TextDoc/text"), "b");
    writeFile(dir.filePath("Photo.PNG"), "png bytes");
    EXPECT_EQ(controller.typeForPath("x/B.TextDoc")->name, "com.example.text");
    EXPECT_EQ(controller.typeForPath("Photo.PNG")->name, "PNG image");
    EXPECT_EQ(controller.typeForPath("notes.txt"), nullptr);

    ASSERT_TRUE(open("B.TextDoc"));
    auto shown = controller.openDocumentAtPath(dir.filePath("Photo.PNG"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(openedImages, QStringList{dir.filePath("Photo.PNG")});
    // The image's document is the untitled one that shows it; no document of the image file exists.
    EXPECT_TRUE(shown->isUntitled());
    EXPECT_EQ(controller.documents().size(), 2u);
    EXPECT_EQ(controller.frontDocument(), shown);

    QString error;
    EXPECT_FALSE(controller.openDocumentAtPath(dir.filePath("notes.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
    // Opening an open file brings its document to the front.
    auto again = controller.openDocumentAtPath(dir.filePath("B.TextDoc"));
    EXPECT_EQ(controller.frontDocument(), again);
    EXPECT_EQ(controller.documents().size(), 2u);
}

TEST_F(DocumentTest, TitledDocumentsAutosaveInPlaceAfterTheLastChange)
{
    auto document = open("A.textdoc");
    ASSERT_TRUE(document);
    document->edit("first");
    advance(3s);
    document->edit("second"); // restarts the wait
    advance(3s);
    EXPECT_EQ(readFile(dir.filePath("A.textdoc/text")), "opened");
    advance(3s);
    EXPECT_EQ(readFile(dir.filePath("A.textdoc/text")), "second");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.textdoc"}));
}

TEST_F(DocumentTest, AnUntitledDocumentsDraftComesBackAfterACrashAndGoesOnceSaved)
{
    const QString drafts = dir.filePath("Drafts");
    {
        auto document = newDocument();
        document->edit("unsaved work");
        advance(6s);
        ASSERT_FALSE(document->draftPath().isEmpty());
        EXPECT_EQ(entriesOf(drafts).size(), 1u);
        EXPECT_TRUE(document->isDocumentEdited()); // a draft is no save
        // The crash: the process goes without closing anything.
        controller.removeDocument(document.get());
    }
    pf::DocumentController afterCrash;
    afterCrash.addDocumentType(controller.documentTypes().front());
    afterCrash.reopenDrafts();
    ASSERT_EQ(afterCrash.documents().size(), 1u);
    auto back = std::dynamic_pointer_cast<TextDocument>(afterCrash.documents().front());
    EXPECT_EQ(back->text, "unsaved work");
    EXPECT_TRUE(back->isUntitled());
    EXPECT_TRUE(back->isDocumentEdited());

    pf::ScopedSavePanelSink panel([&](const pf::SavePanelRequest& request) -> std::optional<QString> {
        EXPECT_EQ(request.extension, "textdoc");
        return dir.filePath("Kept");
    });
    ASSERT_TRUE(back->saveDocument());
    EXPECT_EQ(back->filePath(), dir.filePath("Kept.textdoc"));
    EXPECT_EQ(readFile(dir.filePath("Kept.textdoc/text")), "unsaved work");
    EXPECT_TRUE(entriesOf(drafts).isEmpty());
}

TEST_F(DocumentTest, TheThreeAnswersToSaveChanges)
{
    QStringList asked;
    int answer = 0;
    pf::ScopedAlertSink alert([&](const pf::Alert& a) {
        asked << a.messageText + " | " + a.buttons.join(",");
        return answer;
    });
    pf::ScopedSavePanelSink panel([&](const pf::SavePanelRequest&) -> std::optional<QString> {
        return dir.filePath("Saved.textdoc");
    });

    // Cancel: the document stays open and edited, its draft kept.
    auto document = newDocument();
    document->edit("work");
    advance(6s);
    const QString draft = document->draftPath();
    answer = 2;
    EXPECT_FALSE(controller.closeAllDocuments());
    EXPECT_EQ(asked, QStringList{"Save changes? | Save,Don't Save,Cancel"});
    EXPECT_EQ(controller.documents().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(draft));

    // Don't Save: closed, the draft gone.
    answer = 1;
    EXPECT_TRUE(controller.closeAllDocuments());
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_EQ(document->windowsClosed, 1);
    EXPECT_FALSE(QFileInfo::exists(draft));

    // Save: the save panel's place, then closed.
    auto other = newDocument();
    other->edit("kept");
    answer = 0;
    EXPECT_TRUE(controller.closeAllDocuments());
    EXPECT_EQ(readFile(dir.filePath("Saved.textdoc/text")), "kept");

    // A titled document saves in place on close without asking.
    asked.clear();
    auto titled = open("A.textdoc");
    titled->edit("closing");
    EXPECT_TRUE(controller.closeAllDocuments());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(readFile(dir.filePath("A.textdoc/text")), "closing");
}

TEST_F(DocumentTest, AFailedSaveChangesNothing)
{
    auto document = open("A.textdoc");
    ASSERT_TRUE(document);
    document->edit("changed");
    const auto before = treeOf(dir.filePath("A.textdoc"));
    QString error;
    document->failSerialising = true;
    EXPECT_FALSE(document->saveToPath(document->filePath(), document->fileType(), pf::Document::SaveOperation::Save, &error));
    EXPECT_EQ(error, "cannot serialise");
    document->failSerialising = false;
    {
        pf::ScopedPackageWriteFault fault(pf::packageWriter::Stage::Swap);
        EXPECT_FALSE(document->saveToPath(document->filePath(), document->fileType(), pf::Document::SaveOperation::Save, &error));
    }
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(treeOf(dir.filePath("A.textdoc")), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.textdoc"}));
}

TEST_F(DocumentTest, ABackgroundSaveWritesTheDocumentAsItWasWhenAsked)
{
    auto document = open("A.textdoc");
    ASSERT_TRUE(document);
    const QString file = dir.filePath("A.textdoc/text");
    document->edit("first");
    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    EXPECT_TRUE(document->isSaving());
    EXPECT_TRUE(pf::suddenTermination::isDisabled()); // quitting waits for it
    document->edit("second"); // while the bytes are written
    finishBackgroundWork();
    EXPECT_FALSE(document->isSaving());
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
    EXPECT_EQ(readFile(file), "first");
    EXPECT_TRUE(document->isDocumentEdited()); // "second" is not saved
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.textdoc"}));

    // Saves asked while one runs follow it in order; the last one asked is what stays.
    document->saveDocument(pf::Document::SaveMode::Background);
    document->edit("third");
    document->saveDocument(pf::Document::SaveMode::Background);
    document->edit("fourth");
    document->saveDocument(pf::Document::SaveMode::Background);
    finishBackgroundWork();
    EXPECT_EQ(readFile(file), "fourth");
    EXPECT_FALSE(document->isDocumentEdited());

    // A save waited for lets those under way end first.
    document->edit("fifth");
    document->saveDocument(pf::Document::SaveMode::Background);
    document->edit("sixth");
    QString error;
    ASSERT_TRUE(document->saveToPath(document->filePath(), document->fileType(), pf::Document::SaveOperation::Save, &error));
    EXPECT_EQ(readFile(file), "sixth");
    EXPECT_FALSE(document->isSaving());

    // A failure is shown once the save has ended; the package and the edited state stay as they were.
    QStringList alerts;
    pf::ScopedAlertSink alert([&](const pf::Alert& a) {
        alerts << a.messageText;
        return 0;
    });
    document->edit("seventh");
    const auto before = treeOf(dir.filePath("A.textdoc"));
    {
        pf::ScopedPackageWriteFault full(pf::packageWriter::Stage::Write, ENOSPC);
        document->saveDocument(pf::Document::SaveMode::Background);
        EXPECT_TRUE(alerts.isEmpty());
        document->waitForSaves();
    }
    EXPECT_EQ(alerts, QStringList{"The document \"A\" could not be saved."});
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(treeOf(dir.filePath("A.textdoc")), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"A.textdoc"}));

    // Closing a document whose save runs: the save ends first, and is what the file holds.
    document->saveDocument(pf::Document::SaveMode::Background);
    document->close();
    EXPECT_EQ(readFile(file), "seventh");
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
}

TEST_F(DocumentTest, ASaveAskedWhileTheFirstSaveAsRunsGoesWhereThatPutsTheDocument)
{
    auto document = newDocument();
    document->edit("new work");
    int panels = 0;
    pf::ScopedSavePanelSink panel([&](const pf::SavePanelRequest&) -> std::optional<QString> {
        ++panels;
        return dir.filePath("Named");
    });
    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    document->edit("more work");
    ASSERT_TRUE(document->saveDocument(pf::Document::SaveMode::Background));
    finishBackgroundWork();
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(document->filePath(), dir.filePath("Named.textdoc"));
    EXPECT_EQ(readFile(dir.filePath("Named.textdoc/text")), "more work");
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentTest, RevertReturnsToTheVersionAsOpened)
{
    auto document = open("A.textdoc");
    ASSERT_TRUE(document);
    document->edit("autosaved");
    advance(6s);
    ASSERT_EQ(readFile(dir.filePath("A.textdoc/text")), "autosaved");
    document->edit("more");
    QString error;
    ASSERT_TRUE(document->revertDocumentToSaved(&error)) << error.toStdString();
    EXPECT_EQ(document->text, "opened");
    EXPECT_EQ(readFile(dir.filePath("A.textdoc/text")), "opened");
    EXPECT_FALSE(document->undoManager().canUndo());
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentTest, QuittingAsksEveryDocumentAndWaitsForWorkUnderWay)
{
    pf::Application application(&controller);
    auto document = newDocument();
    document->edit("work");
    {
        pf::ScopedAlertSink cancel([](const pf::Alert&) { return 2; });
        EXPECT_FALSE(application.terminate());
        EXPECT_FALSE(application.isTerminating());
    }
    pf::ScopedAlertSink discard([](const pf::Alert&) { return 1; });
    auto titled = open("A.textdoc");
    pf::suddenTermination::disable(); // a save under way
    EXPECT_TRUE(application.terminate());
    advance(1s);
    EXPECT_TRUE(application.isTerminating());
    EXPECT_EQ(controller.willTerminate, 0);
    // The documents stay open for the shut-down work, and are closed when it has ended; what that work
    // changed in a saved document is saved with it.
    EXPECT_EQ(controller.documents().size(), 2u);
    titled->edit("by a shut-down script");
    pf::suddenTermination::enable();
    advance(200ms);
    EXPECT_EQ(controller.willTerminate, 1);
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_EQ(readFile(dir.filePath("A.textdoc/text")), "by a shut-down script");
}
