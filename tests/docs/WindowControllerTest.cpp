#include "platform/docs/Document.h"
#include "platform/docs/WindowController.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"

#include <QDialog>
#include <QKeyEvent>
#include <QToolBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class PlainDocument : public pf::Document {
public:
    std::shared_ptr<pf::FileWrapper> fileWrapperOfType(const QString&, QString*) override
    {
        return pf::FileWrapper::directory();
    }
    bool readFromFileWrapper(const std::shared_ptr<pf::FileWrapper>&, const QString&, QString*) override
    {
        return true;
    }
};

class RecordingWindowController : public pf::WindowController {
public:
    using pf::WindowController::WindowController;

    void windowDidLoad() override { calls.push_back("didLoad"); }
    void windowWillClose() override { calls.push_back("willClose"); }
    void windowDidBecomeMain() override { calls.push_back("becomeMain"); }
    void windowDidResignMain() override { calls.push_back("resignMain"); }
    std::uint64_t windowWillUseFullScreenPresentationOptions(std::uint64_t proposed) override
    {
        return proposed | PresentationAutoHideDock;
    }
    void windowWillEnterFullScreen() override { calls.push_back(QString("willEnter %1").arg(isWindowFullScreen())); }
    void windowDidEnterFullScreen() override { calls.push_back(QString("didEnter %1").arg(isWindowFullScreen())); }
    void windowWillExitFullScreen() override { calls.push_back("willExit"); }
    void windowDidExitFullScreen() override { calls.push_back("didExit"); }

    QStringList calls;
    pf::Responder* builtFor = nullptr;
};

class WindowControllerTest : public ::testing::Test {
protected:
    pf::ScopedViewBuilder builder{"TestWindow", [](pf::Responder* owner) {
        auto* view = new pf::View;
        view->setFrame({{0, 0}, {300, 200}});
        if (auto* controller = dynamic_cast<RecordingWindowController*>(owner))
            controller->builtFor = owner;
        return view;
    }};
};

TEST_F(WindowControllerTest, LoadsItsWindowFromTheBuilderOnceAndHearsItsDelegateCalls)
{
    RecordingWindowController controller("TestWindow");
    EXPECT_FALSE(controller.isWindowLoaded());
    pf::Window* window = controller.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(controller.window(), window);
    EXPECT_EQ(controller.builtFor, &controller);
    EXPECT_NE(window->contentView(), nullptr);
    EXPECT_EQ(controller.calls, QStringList{"didLoad"});

    window->becomeMainWindow();
    window->resignMainWindow();
    controller.close();
    controller.close();
    EXPECT_EQ(controller.calls, (QStringList{"didLoad", "becomeMain", "resignMain", "willClose"}));
    EXPECT_TRUE(controller.isClosed());
}

TEST_F(WindowControllerTest, AMissingInterfaceFileGivesNoWindowAndIsLogged)
{
    QStringList logged;
    pf::ScopedLogSink log([&](const QString& message) { logged << message; });
    RecordingWindowController controller("NoSuchWindow");
    EXPECT_EQ(controller.window(), nullptr);
    EXPECT_TRUE(controller.calls.isEmpty());
    EXPECT_EQ(logged.size(), 1);
    controller.toggleFullScreen();
    EXPECT_TRUE(controller.performClose());
}

TEST_F(WindowControllerTest, FullScreenIsEnteredAndLeftWithWillAndDidCallsAround)
{
    RecordingWindowController controller("TestWindow");
    controller.window();
    controller.calls.clear();
    controller.toggleFullScreen();
    EXPECT_TRUE(controller.windowWidget()->isFullScreen());
    EXPECT_EQ(controller.fullScreenPresentationOptions(),
              pf::WindowController::PresentationFullScreen | pf::WindowController::PresentationAutoHideDock);
    controller.toggleFullScreen();
    EXPECT_FALSE(controller.windowWidget()->isFullScreen());
    EXPECT_EQ(controller.calls, (QStringList{"willEnter 0", "didEnter 1", "willExit", "didExit"}));
}

TEST_F(WindowControllerTest, TitleAndEditedMarkerFollowTheDocumentWhoseUndoManagerTheWindowUses)
{
    PlainDocument document;
    document.setDisplayName("Plans");
    RecordingWindowController controller("TestWindow");
    EXPECT_EQ(controller.windowUndoManager(), nullptr);
    controller.setDocument(&document);
    EXPECT_EQ(controller.windowUndoManager(), &document.undoManager());
    controller.window();
    EXPECT_EQ(controller.windowWidget()->windowTitle(), "Plans[*]");
    EXPECT_FALSE(controller.isDocumentEdited());
    document.updateChangeCount(pf::Document::ChangeType::Done);
    controller.synchronizeWindowTitleWithDocumentName();
    EXPECT_TRUE(controller.isDocumentEdited());
    controller.setDocumentEdited(false);
    EXPECT_FALSE(controller.windowWidget()->isWindowModified());
}

TEST_F(WindowControllerTest, TheUsersCloseAsksTheDocumentAndClosesItWhenAllowed)
{
    auto document = std::make_shared<PlainDocument>();
    document->updateChangeCount(pf::Document::ChangeType::Done);
    RecordingWindowController controller("TestWindow");
    controller.setDocument(document.get());
    controller.showWindow();

    // An untitled, edited document asks; "Cancel" keeps the window.
    int asked = 0;
    {
        pf::ScopedAlertSink alert([&](const pf::Alert&) { return ++asked, int(pf::Document::CloseAnswer::Cancel); });
        controller.windowWidget()->close();
    }
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(controller.isClosed());
    EXPECT_TRUE(controller.windowWidget()->isVisible());

    pf::ScopedAlertSink alert([&](const pf::Alert&) { return ++asked, int(pf::Document::CloseAnswer::DontSave); });
    EXPECT_TRUE(controller.performClose());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(controller.isClosed());
    EXPECT_FALSE(controller.windowWidget()->isVisible());
    EXPECT_TRUE(controller.calls.contains("willClose"));
}

TEST_F(WindowControllerTest, SheetsAreWindowModalAndTheirCompletionGetsTheReturnCode)
{
    RecordingWindowController controller("TestWindow");
    controller.showWindow();
    QDialog first, second;
    std::vector<int> codes;
    ASSERT_TRUE(controller.beginSheet(&first, [&](int code) { codes.push_back(code); }));
    EXPECT_EQ(first.windowModality(), Qt::WindowModal);
    EXPECT_EQ(first.parentWidget(), controller.windowWidget());
    EXPECT_TRUE(first.isVisible());
    EXPECT_FALSE(controller.beginSheet(&second, [&](int code) { codes.push_back(100 + code); }));

    controller.endSheet(&second, 5);
    controller.endSheet(&first, 1);
    controller.endSheet(&first, 1);
    EXPECT_FALSE(first.isVisible());
    EXPECT_EQ(controller.attachedSheet(), nullptr);

    // Escape dismisses the dialog: the answer is 0.
    ASSERT_TRUE(controller.beginSheet(&first, [&](int code) { codes.push_back(code); }));
    first.reject();
    EXPECT_EQ(codes, (std::vector<int>{1, 0}));

    // A window that closes ends its sheet with 0.
    ASSERT_TRUE(controller.beginSheet(&second, [&](int code) { codes.push_back(10 + code); }));
    controller.close();
    EXPECT_EQ(codes, (std::vector<int>{1, 0, 10}));
    first.setParent(nullptr);
    second.setParent(nullptr);
}

TEST_F(WindowControllerTest, WindowFrameAndToolbar)
{
    RecordingWindowController controller("TestWindow");
    controller.window();
    EXPECT_EQ(controller.toolbar(), nullptr);
    auto* bar = new QToolBar(controller.windowWidget());
    EXPECT_EQ(controller.toolbar(), bar);
    controller.setWindowFrame({{40, 50}, {320, 240}});
    EXPECT_EQ(controller.windowFrame(), (pf::Rect{{40, 50}, {320, 240}}));
}

} // namespace
