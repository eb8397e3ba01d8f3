// The base of the editor's window controllers: it follows full-screen transitions (and tells the
// application's document controller of each), notices the first window the editor ever loads, and hides
// the toolbar while the window shows an older version of its document (the versions browser), restoring
// the toolbar and the frame afterwards.
//
// The desktop has no versions browser of its own: whoever shows one posts
// "NSWindowWillEnterVersionBrowserNotification" and "NSWindowDidExitVersionBrowserNotification" with the
// window as object. Presentation options are answered for full screen, though the window manager decides.
#pragma once

#include "platform/docs/WindowController.h"
#include "platform/foundation/NotificationCenter.h"

class IDEMainWindowController : public pf::WindowController {
public:
    static const QString willEnterVersionBrowserNotification;
    static const QString didExitVersionBrowserNotification;
    // The user default that marks that a window has loaded before.
    static const QString hasRunKey;

    explicit IDEMainWindowController(QString windowNibName);
    ~IDEMainWindowController() override;

    void windowDidLoad() override;
    // An IDEMainWindow.
    QWidget* makeWindowWidget() override;

    // ---- the first load ----
    void checkForVirginLoad();
    // True for the first window ever loaded: records "IDEHasRun" in the user defaults.
    bool isVirginLoad();
    virtual void windowDidVirginLoad() {}

    // ---- viewing an older version ----
    void registerForNotifications();
    virtual void windowWillEnterVersionBrowser();
    virtual void windowDidExitVersionBrowser();
    virtual void updateUIForEnteringViewingMode() {}
    virtual void updateUIForExitingViewingMode() {}
    // Whether the document shows a version read-only; nothing here does.
    virtual bool isDocumentInViewingMode() const { return false; }

    // ---- full screen ----
    std::uint64_t windowWillUseFullScreenPresentationOptions(std::uint64_t proposed) override;
    void windowWillEnterFullScreen() override;
    void windowDidEnterFullScreen() override;
    void windowWillExitFullScreen() override;
    void windowDidExitFullScreen() override;

    bool isToolbarVisible() const { return toolbarVisible_; }
    const pf::Rect& preVersionBrowserFrame() const { return preVersionBrowserFrame_; }
    bool isFullScreen() const { return fullScreen_; }
    bool isFullScreenTransitioning() const { return fullScreenTransitioning_; }
    bool isInVersionBrowser() const { return inVersionBrowser_; }

private:
    bool toolbarVisible_ = false;
    pf::Rect preVersionBrowserFrame_;
    bool fullScreen_ = false;
    bool fullScreenTransitioning_ = false;
    bool inVersionBrowser_ = false;
    pf::NotificationToken willEnterVersionsToken_, didExitVersionsToken_;
};
