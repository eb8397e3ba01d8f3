#include "shell/TabbedWindowTestSupport.h"

#include "shell/IDEMainWindowController.h"

#include "platform/docs/DocumentController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Window.h"

#include <QToolBar>
#include <QWidget>

namespace {

using namespace tabbed_test;

class FullScreenRecorder : public pf::DocumentController {
public:
    void willEnterFullScreenMode() override { calls << "willEnter"; }
    void didEnterFullScreenMode() override { calls << "didEnter"; }
    void willExitFullScreenMode() override { calls << "willExit"; }
    void didExitFullScreenMode() override { calls << "didExit"; }
    QStringList calls;
};

class ViewingModeRecorder : public IDEMainWindowController {
public:
    using IDEMainWindowController::IDEMainWindowController;
    void updateUIForEnteringViewingMode() override { calls << "enterViewing"; }
    void updateUIForExitingViewingMode() override { calls << "exitViewing"; }
    void windowDidVirginLoad() override { calls << "virginLoad"; }
    void windowWillEnterFullScreen() override
    {
        IDEMainWindowController::windowWillEnterFullScreen();
        calls << QString("transitioning %1 fullScreen %2").arg(isFullScreenTransitioning()).arg(isFullScreen());
    }
    void windowDidEnterFullScreen() override
    {
        IDEMainWindowController::windowDidEnterFullScreen();
        calls << QString("transitioning %1 fullScreen %2").arg(isFullScreenTransitioning()).arg(isFullScreen());
    }
    QStringList calls;
};

using MainWindowControllerTest = TabbedWindowTest;

TEST_F(MainWindowControllerTest, OnlyTheFirstWindowEverLoadedIsAVirginLoad)
{
    ViewingModeRecorder first("TestTabbedWindow"), second("TestTabbedWindow");
    first.window();
    second.window();
    EXPECT_EQ(first.calls, QStringList{"virginLoad"});
    EXPECT_TRUE(second.calls.isEmpty());
    EXPECT_TRUE(pf::UserDefaultsStore::standard().boolForKey("IDEHasRun"));

    // Any value counts as having run, even NO.
    pf::UserDefaultsStore::standard().setBoolForKey(false, "IDEHasRun");
    EXPECT_FALSE(first.isVirginLoad());
}

TEST_F(MainWindowControllerTest, FullScreenTellsTheDocumentControllerAndKeepsItsFlags)
{
    FullScreenRecorder documents;
    ViewingModeRecorder controller("TestTabbedWindow");
    controller.window();
    controller.calls.clear();
    controller.toggleFullScreen();
    EXPECT_TRUE(controller.isFullScreen());
    EXPECT_FALSE(controller.isFullScreenTransitioning());
    EXPECT_EQ(controller.fullScreenPresentationOptions(), 0x405u);
    controller.toggleFullScreen();
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(controller.isFullScreenTransitioning());
    EXPECT_EQ(documents.calls, (QStringList{"willEnter", "didEnter", "willExit", "didExit"}));
    EXPECT_EQ(controller.calls, (QStringList{"transitioning 1 fullScreen 0", "transitioning 0 fullScreen 1"}));
}

TEST_F(MainWindowControllerTest, TheVersionsBrowserHidesTheToolbarAndGivesBackToolbarAndFrame)
{
    ViewingModeRecorder controller("TestTabbedWindow");
    pf::Window* window = controller.window();
    auto* bar = new QToolBar(controller.windowWidget());
    controller.setWindowFrame({{100, 80}, {640, 480}});
    controller.calls.clear();
    auto& center = pf::NotificationCenter::defaultCenter();

    // Only the main window enters.
    center.post(IDEMainWindowController::willEnterVersionBrowserNotification, window);
    EXPECT_FALSE(controller.isInVersionBrowser());

    window->becomeMainWindow();
    controller.windowWillEnterVersionBrowser();
    EXPECT_TRUE(controller.isInVersionBrowser());
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(controller.isToolbarVisible());
    center.post(IDEMainWindowController::willEnterVersionBrowserNotification, window);
    controller.setWindowFrame({{0, 0}, {1000, 700}});

    center.post(IDEMainWindowController::didExitVersionBrowserNotification, window);
    EXPECT_FALSE(controller.isInVersionBrowser());
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(controller.windowFrame(), (pf::Rect{{100, 80}, {640, 480}}));
    EXPECT_EQ(controller.calls, (QStringList{"enterViewing", "exitViewing"}));

    // A toolbar hidden before stays hidden.
    bar->hide();
    controller.windowWillEnterVersionBrowser();
    controller.windowDidExitVersionBrowser();
    EXPECT_TRUE(bar->isHidden());
    window->resignMainWindow();
}

} // namespace
