// The application and its delegate: the per-user folders and the Scripts menu (IDEApplication), the launch
// and quit sequences with the user's start-up and shut-down scripts (IDEDocumentController), and the
// application's commands that do not belong to one window (DocumentController): the update check, the
// view toggles' notices, the grid menu of the front window, picture files as new documents.
//
// Main thread only.
#pragma once

#include "app/UserScripts.h"
#include "platform/docs/Application.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/Dispatch.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class CanvasWindowController;
class QMenuBar;
class ScriptingBridge;

namespace pf {
class Document;
}

class IDEApplication : public pf::Application {
public:
    // Makes the folders under dataHome (the XDG data folder in the program).
    IDEApplication(pf::DocumentController* delegate, const QString& dataHome, std::unique_ptr<ScriptRunner> runner);
    ~IDEApplication() override;

    static IDEApplication* instance();

    const QString& versionString() const { return versionString_; }
    const AppSupportFolders& folders() const { return scripts_.folders(); }
    UserScripts& scripts() { return scripts_; }

    // Fills the submenu of the menu bar's item whose menu is named "Scripts" (none: nothing).
    void updateScriptsInMainMenu(QMenuBar* menuBar);

    void showPreferencesPanel();
    // The product's support page in the web browser.
    void showHelp();

private:
    void readInfoPlist();

    QString versionString_;
    UserScripts scripts_;
};

class Application : public IDEApplication {
public:
    // Installs the application's action routing (routeAction); the destructor removes it.
    Application(pf::DocumentController* delegate, const QString& dataHome, std::unique_ptr<ScriptRunner> runner);
    ~Application() override;

    static Application* instance() { return dynamic_cast<Application*>(IDEApplication::instance()); }

    // Undo or redo (perform does the ordinary one). While the front document's window is key, its canvas
    // stops editing text first; a drawing tool in progress takes the command as its delete and nothing is
    // undone; otherwise the selection is kept across the step unless a page is selected. With another
    // window key (the preferences window, say), only the ordinary step runs. The canvas repaints only what
    // the step changes.
    void routeUndo(const std::function<void()>& perform);
    // The font panel's "changeFont:" goes to the window the user works in: the canvas of a document window
    // (an in-place editor, which passes it on to its canvas, takes it first), the General pane while the
    // preferences window is main. Other actions take the ordinary chain.
    bool routeAction(const QString& action);
};

class IDEDocumentController : public pf::DocumentController, public pf::DelayedCallOwner {
public:
    static IDEDocumentController* instance();

    void applicationDidFinishLaunching() override;
    // The shut-down scripts, one after another, before any window goes; the application waits for them.
    void applicationWillTerminate() override;

    // Hooks for subclasses.
    virtual void registerForAppleEventHandling() {}
    virtual void unregisterForAppleEventHandling() {}
    virtual void registerForNotifications() {}
    virtual void checkForUpdates() {}

    void runStartupItems();
    // done runs once the last shut-down script has ended (at once when there is none).
    void runShutdownItems(std::function<void()> done = {});

    // Full screen of the front window.
    void toggleFullScreen();
    CanvasWindowController* frontWindowController() const;

    // There is no script editor: the scripts folder is shown in the file manager.
    void openScriptEditor();
    void openScriptsFolder();
    // The scripting interface's description (ScriptingBridge.h), written to the cache folder and opened in
    // the desktop's viewer.
    void openScriptingDictionary();
};

class TKDocumentController : public IDEDocumentController {
public:
    // Closes the key window when it is not a document window (which closes its own tab first).
    void closeTab() override;
};

class DocumentController : public TKDocumentController {
public:
    static constexpr char StatusBarVisibilityDidChangeNotification[] = "StatusBarVisibilityDidChangeNotification";
    static constexpr char RulerVisibilityDidChangeNotification[] = "RulerVisibilityDidChangeNotification";
    static constexpr char GuidesVisibilityDidChangeNotification[] = "GuidesVisibilityDidChangeNotification";
    static constexpr char GuidesLockedDidChangeNotification[] = "GuidesLockedDidChangeNotification";
    static constexpr char GridVisibilityDidChangeNotification[] = "GridVisibilityDidChangeNotification";

    DocumentController();
    ~DocumentController() override;

    static DocumentController* instance();

    // A background check only when the updater checks by itself (the stand-in never does).
    void checkForUpdates() override;
    // The scripting bridge claims its name on the session bus at launch and gives it up after the
    // shut-down scripts, which may still drive the editor.
    void registerForAppleEventHandling() override;
    void unregisterForAppleEventHandling() override;
    const ScriptingBridge* scriptingBridge() const { return scriptingBridge_.get(); }
    void support();

    // The menu items change their setting; these announce it on the next turn.
    void toggleStatusBarVisible() { postNotificationLater(StatusBarVisibilityDidChangeNotification); }
    void toggleRulersVisible() { postNotificationLater(RulerVisibilityDidChangeNotification); }
    void toggleGuidesVisible() { postNotificationLater(GuidesVisibilityDidChangeNotification); }
    void toggleGuidesLocked() { postNotificationLater(GuidesLockedDidChangeNotification); }
    void toggleGridVisible() { postNotificationLater(GridVisibilityDidChangeNotification); }

    // The grid of the front window's page: on or off; a spacing in points for a positive tag, the unit
    // type minus the tag for a tag of 0 or below (the spacing kept); the item's state for a tag.
    void toggleGridEnabled();
    void changeGridTolerance(std::int64_t tag);
    bool isGridEnabledOnFrontPage() const;
    bool isGridToleranceItemOn(std::int64_t tag) const;

    // A picture file as a new untitled document named after the file, the page sized to the picture.
    std::shared_ptr<pf::Document> newDocumentWithImageFile(const QString& path, QString* error = nullptr);
    CanvasWindowController* frontCanvasWindowController() const;

    void postNotification(const QString& name);
    void postNotificationLater(const QString& name);

private:
    std::unique_ptr<ScriptingBridge> scriptingBridge_;
};
