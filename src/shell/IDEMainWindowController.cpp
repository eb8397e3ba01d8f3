#include "shell/IDEMainWindowController.h"

#include "platform/docs/DocumentController.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "shell/IDEMainWindow.h"

#include <QToolBar>

const QString IDEMainWindowController::willEnterVersionBrowserNotification =
    QStringLiteral("NSWindowWillEnterVersionBrowserNotification");
const QString IDEMainWindowController::didExitVersionBrowserNotification =
    QStringLiteral("NSWindowDidExitVersionBrowserNotification");
const QString IDEMainWindowController::hasRunKey = QStringLiteral("IDEHasRun");

IDEMainWindowController::IDEMainWindowController(QString windowNibName)
    : pf::WindowController(std::move(windowNibName))
{
}

IDEMainWindowController::~IDEMainWindowController() = default;

void IDEMainWindowController::windowDidLoad()
{
    pf::WindowController::windowDidLoad();
    checkForVirginLoad();
    registerForNotifications();
    if (isDocumentInViewingMode())
        updateUIForEnteringViewingMode();
}

void IDEMainWindowController::checkForVirginLoad()
{
    if (isVirginLoad())
        windowDidVirginLoad();
}

bool IDEMainWindowController::isVirginLoad()
{
    auto& defaults = pf::UserDefaultsStore::standard();
    if (!defaults.objectForKey(hasRunKey).isNull())
        return false;
    defaults.setBoolForKey(true, hasRunKey);
    return true;
}

void IDEMainWindowController::registerForNotifications()
{
    pf::Window* own = window();
    if (!own)
        return;
    auto& center = pf::NotificationCenter::defaultCenter();
    willEnterVersionsToken_ = center.addObserver(willEnterVersionBrowserNotification, own,
                                                 [this](const pf::Notification&) { windowWillEnterVersionBrowser(); });
    didExitVersionsToken_ = center.addObserver(didExitVersionBrowserNotification, own,
                                               [this](const pf::Notification&) { windowDidExitVersionBrowser(); });
}

void IDEMainWindowController::windowWillEnterVersionBrowser()
{
    pf::Window* own = window();
    if (inVersionBrowser_ || !own || !own->isMainWindow())
        return;
    inVersionBrowser_ = true;
    preVersionBrowserFrame_ = windowFrame();
    QToolBar* bar = toolbar();
    toolbarVisible_ = bar && !bar->isHidden();
    if (toolbarVisible_)
        bar->hide();
    updateUIForEnteringViewingMode();
}

void IDEMainWindowController::windowDidExitVersionBrowser()
{
    pf::Window* own = window();
    if (!inVersionBrowser_ || !own || !own->isMainWindow())
        return;
    inVersionBrowser_ = false;
    if (QToolBar* bar = toolbar(); bar && toolbarVisible_)
        bar->show();
    updateUIForExitingViewingMode();
    setWindowFrame(preVersionBrowserFrame_);
}

std::uint64_t IDEMainWindowController::windowWillUseFullScreenPresentationOptions(std::uint64_t)
{
    return PresentationFullScreen | PresentationAutoHideMenuBar | PresentationAutoHideDock;
}

void IDEMainWindowController::windowWillEnterFullScreen()
{
    if (auto* controller = pf::DocumentController::shared())
        controller->willEnterFullScreenMode();
    fullScreenTransitioning_ = true;
}

void IDEMainWindowController::windowDidEnterFullScreen()
{
    if (auto* controller = pf::DocumentController::shared())
        controller->didEnterFullScreenMode();
    fullScreen_ = true;
    fullScreenTransitioning_ = false;
}

void IDEMainWindowController::windowWillExitFullScreen()
{
    if (auto* controller = pf::DocumentController::shared())
        controller->willExitFullScreenMode();
    fullScreenTransitioning_ = true;
}

void IDEMainWindowController::windowDidExitFullScreen()
{
    if (auto* controller = pf::DocumentController::shared())
        controller->didExitFullScreenMode();
    fullScreen_ = false;
    fullScreenTransitioning_ = false;
}

QWidget* IDEMainWindowController::makeWindowWidget()
{
    return new IDEMainWindow(*this);
}
