// The user's own scripts: the per-user folders of the application ("Quorvel" in the XDG data folder with
// "Startup Items", "Shutdown Items", "Menu Scripts" and "Resources"), the runner that starts a script, the
// start-up, shut-down and menu items, and the alert a failing script raises.
//
// A script is any regular file with the executable bit, run without a shell. Main thread only.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/kit/Sink.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QUrl;

// Opens a file or address in the desktop's default application; tests replace the sink.
using DesktopOpenSink = std::function<void(const QUrl&)>;
template <>
DesktopOpenSink& pf::sinkOf<DesktopOpenSink>();
using ScopedDesktopOpenSink = pf::ScopedSink<DesktopOpenSink>;
void openInDesktop(const QUrl& url);

struct AppSupportFolders {
    QString appSupportDirPath;
    QString startupItemsDirPath;
    QString shutdownItemsDirPath;
    QString scriptsDirPath;
    QString resourcesDirPath;

    // Makes "Quorvel" in dataHome and its four subfolders; a folder that cannot be made is logged and its
    // path left empty (the application folder failing leaves every subfolder empty).
    static AppSupportFolders setUp(const QString& dataHome);
    // The XDG data folder ($XDG_DATA_HOME, else ~/.local/share).
    static QString defaultDataHome();
};

// True when a directory is at the path or one could be made there (with its parents); a failure is logged.
bool createDirAtPathIfDoesntExist(const QString& path);

struct ScriptResult {
    enum Kind { Succeeded, CouldNotOpen, CouldNotStart, RuntimeError, TimedOut };
    Kind kind = Succeeded;
    // What went wrong, for the alert (the start of the script's standard error for a runtime error).
    QString message;
};

// Starts one script and reports its end once, on the main thread.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    virtual void run(const QString& path, std::function<void(const ScriptResult&)> done) = 0;
};

// Runs executables with QProcess, without a shell; one that outlives the bound is killed and reported as
// timed out. The event loop keeps turning meanwhile.
class ProcessScriptRunner : public ScriptRunner {
public:
    static constexpr std::chrono::milliseconds defaultBound{30000};
    explicit ProcessScriptRunner(std::chrono::milliseconds bound = defaultBound) : bound_(bound) {}
    void run(const QString& path, std::function<void(const ScriptResult&)> done) override;

    // Whether the path names a script that can be opened: a regular file with the executable bit.
    static bool isRunnable(const QString& path);

private:
    std::chrono::milliseconds bound_;
};

// One entry of the Scripts menu: a title and the script's path; an empty path is the separator.
struct ScriptMenuEntry {
    QString title;
    QString path;
};

class UserScripts : public pf::DelayedCallOwner {
public:
    UserScripts(AppSupportFolders folders, std::unique_ptr<ScriptRunner> runner);
    ~UserScripts();

    const AppSupportFolders& folders() const { return folders_; }

    // The start-up items, one turn later.
    void runStartupItems();
    // The shut-down items one after another; done once the last has ended (at once when there is none).
    void runShutdownItems(std::function<void()> done);
    // Every entry of the folder not beginning with ".", in name order, one after the other.
    void runItemsAtPath(const QString& dir, std::function<void()> done);
    // From another thread, the call moves to the main thread.
    void runItemAtPath(const QString& path, std::function<void()> done = {});

    // The Scripts menu's entries: a separator when the folder lists anything, then one entry a runnable
    // file not beginning with ".", titled with its name less its extension.
    std::vector<ScriptMenuEntry> scriptMenuEntries() const;
    // Appends the entries to the menu; each item runs its script.
    void fillScriptsMenu(QMenu* menu);

    // The alert of a failed script: "Startup", "Shutdown" or "Menu" by the script's folder.
    void runAlertPanelForItem(const QString& path, const QString& format, const QString& error);

private:
    void runNext(std::shared_ptr<QStringList> items, std::function<void()> done);

    AppSupportFolders folders_;
    std::unique_ptr<ScriptRunner> runner_;
    // Guards the runner's late answers after the object is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
