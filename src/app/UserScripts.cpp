#include "app/UserScripts.h"

#include "platform/kit/Services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("UserScripts", text); }

// How much of a failing script's standard error the alert shows.
constexpr int errorMessageLimit = 1000;

QString errorStart(QProcess& process)
{
    QString text = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (text.size() > errorMessageLimit)
        text = text.left(errorMessageLimit) + u'…';
    return text;
}

// The folder's entries not beginning with ".", by name (the order a listing of the desktop shows).
QStringList visibleEntries(const QString& dir, bool* listed)
{
    QDir folder(dir);
    *listed = !dir.isEmpty() && folder.exists();
    if (!*listed)
        return {};
    QStringList names = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                         QDir::Name);
    names.removeIf([](const QString& name) { return name.startsWith(u'.'); });
    return names;
}

} // namespace

template <>
DesktopOpenSink& pf::sinkOf<DesktopOpenSink>()
{
    static DesktopOpenSink sink = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return sink;
}

void openInDesktop(const QUrl& url)
{
    if (auto& sink = pf::sinkOf<DesktopOpenSink>())
        sink(url);
}

bool createDirAtPathIfDoesntExist(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    pf::logMessage(QStringLiteral("could not create dir at path: %1: %2")
                       .arg(path, QFileInfo::exists(path) ? tr("a file is in the way") : tr("it cannot be made")));
    return false;
}

QString AppSupportFolders::defaultDataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

AppSupportFolders AppSupportFolders::setUp(const QString& dataHome)
{
    AppSupportFolders folders;
    const QString app = QDir(dataHome).filePath(QStringLiteral("Quorvel"));
    if (!createDirAtPathIfDoesntExist(app))
        return folders;
    folders.appSupportDirPath = app;
    const auto sub = [&app](QString* path, const char* name) {
        const QString candidate = QDir(app).filePath(QString::fromLatin1(name));
        if (createDirAtPathIfDoesntExist(candidate))
            *path = candidate;
    };
    sub(&folders.startupItemsDirPath, "Startup Items");
    sub(&folders.shutdownItemsDirPath, "Shutdown Items");
    sub(&folders.scriptsDirPath, "Menu Scripts");
    sub(&folders.resourcesDirPath, "Resources");
    return folders;
}

bool ProcessScriptRunner::isRunnable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

void ProcessScriptRunner::run(const QString& path, std::function<void(const ScriptResult&)> done)
{
    if (!isRunnable(path)) {
        done({ScriptResult::CouldNotOpen, QFileInfo(path).isFile() ? tr("The file is not executable.")
                                                                    : tr("It is not a regular file.")});
        return;
    }
    // The process, its bound and its one answer share this record. The process's connections hold it
    // until the answer; they are dropped on the next turn, which frees it.
    struct Run {
        QProcess process;
        std::function<void(const ScriptResult&)> done;
        pf::DelayedCall bound;
        bool timedOut = false;
    };
    auto run = std::make_shared<Run>();
    run->done = std::move(done);
    const auto finish = [](const std::shared_ptr<Run>& run, const ScriptResult& result) {
        if (!run->done)
            return;
        run->bound.cancel();
        auto call = std::exchange(run->done, nullptr);
        pf::performOnMainThread([run] { run->process.disconnect(); });
        call(result);
    };
    QProcess& process = run->process;
    process.setProgram(path);
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(&process, &QProcess::errorOccurred, [run, finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(run, {ScriptResult::CouldNotStart, run->process.errorString()});
    });
    QObject::connect(&process, &QProcess::finished, [run, finish](int code, QProcess::ExitStatus status) {
        const QString error = errorStart(run->process);
        if (run->timedOut)
            finish(run, {ScriptResult::TimedOut, tr("The script ran too long and was stopped.")});
        else if (status == QProcess::CrashExit)
            finish(run, {ScriptResult::RuntimeError, error.isEmpty() ? tr("The script crashed.") : error});
        else if (code != 0)
            finish(run, {ScriptResult::RuntimeError,
                         error.isEmpty() ? tr("The script ended with status %1.").arg(code) : error});
        else
            finish(run, {});
    });
    std::weak_ptr<Run> weak = run;
    run->bound = pf::performOnMainThreadAfterDelay(
        [weak] {
            if (auto alive = weak.lock(); alive && alive->process.state() != QProcess::NotRunning) {
                alive->timedOut = true;
                alive->process.kill();
            }
        },
        bound_);
    process.start();
}

UserScripts::UserScripts(AppSupportFolders folders, std::unique_ptr<ScriptRunner> runner)
    : folders_(std::move(folders)), runner_(std::move(runner))
{
}

UserScripts::~UserScripts() { *alive_ = false; }

void UserScripts::runStartupItems()
{
    performAfterDelay([this] { runItemsAtPath(folders_.startupItemsDirPath, [] {}); }, {});
}

void UserScripts::runShutdownItems(std::function<void()> done)
{
    runItemsAtPath(folders_.shutdownItemsDirPath, std::move(done));
}

void UserScripts::runItemsAtPath(const QString& dir, std::function<void()> done)
{
    bool listed = false;
    auto items = std::make_shared<QStringList>(visibleEntries(dir, &listed));
    if (!listed) {
        pf::logMessage(tr("Could not find Startup Items folder at path: %1:\n\n%2")
                           .arg(dir, tr("The folder does not exist.")));
        done();
        return;
    }
    for (QString& name : *items)
        name = QDir(dir).filePath(name);
    runNext(std::move(items), std::move(done));
}

void UserScripts::runNext(std::shared_ptr<QStringList> items, std::function<void()> done)
{
    if (items->isEmpty()) {
        done();
        return;
    }
    const QString path = items->takeFirst();
    runItemAtPath(path, [this, alive = std::weak_ptr<bool>(alive_), items, done = std::move(done)]() mutable {
        if (alive.lock())
            runNext(std::move(items), std::move(done));
    });
}

void UserScripts::runItemAtPath(const QString& path, std::function<void()> done)
{
    if (!pf::isMainThread()) {
        pf::performOnMainThread([this, alive = std::weak_ptr<bool>(alive_), path, done = std::move(done)]() mutable {
            if (alive.lock())
                runItemAtPath(path, std::move(done));
        });
        return;
    }
    runner_->run(path, [this, alive = std::weak_ptr<bool>(alive_), path, done = std::move(done)](const ScriptResult& result) {
        if (!alive.lock())
            return;
        switch (result.kind) {
        case ScriptResult::Succeeded:
            break;
        case ScriptResult::TimedOut:
            // A script that hangs must not hold the program; it is stopped and otherwise ignored.
            pf::logMessage(QStringLiteral("%1: %2").arg(path, result.message));
            break;
        case ScriptResult::CouldNotOpen:
            runAlertPanelForItem(path, tr("Could not open Startup Item '%1'\n\n%2"), result.message);
            break;
        case ScriptResult::CouldNotStart:
            runAlertPanelForItem(path, tr("Syntax error encountered while compiling Startup Item '%1'\n\n%2"),
                                 result.message);
            break;
        case ScriptResult::RuntimeError:
            runAlertPanelForItem(path, tr("Runtime error encountered while running Startup Item '%1'\n\n%2"),
                                 result.message);
            break;
        }
        if (done)
            done();
    });
}

void UserScripts::runAlertPanelForItem(const QString& path, const QString& format, const QString& error)
{
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    const auto same = [&dir](const QString& folder) {
        return !folder.isEmpty() && QFileInfo(folder).absoluteFilePath() == dir;
    };
    const QString kind = same(folders_.startupItemsDirPath)    ? tr("Startup")
                         : same(folders_.shutdownItemsDirPath) ? tr("Shutdown")
                                                               : tr("Menu");
    const int button = pf::runAlert({tr("Could not run %1 Item script").arg(kind), format.arg(info.fileName(), error),
                                     {tr("OK"), tr("Edit script")}});
    if (button == 1)
        openInDesktop(QUrl::fromLocalFile(path));
    pf::logMessage(QStringLiteral("%1: %2").arg(path, error));
}

std::vector<ScriptMenuEntry> UserScripts::scriptMenuEntries() const
{
    const QString dir = folders_.scriptsDirPath.isEmpty() ? QString() : QDir::cleanPath(folders_.scriptsDirPath);
    QDir folder(dir);
    if (dir.isEmpty() || !folder.exists()) {
        pf::logMessage(tr("Could not find Script Menu Items folder at path: %1:\n\n%2")
                           .arg(dir, tr("The folder does not exist.")));
        return {};
    }
    const QStringList names =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    std::vector<ScriptMenuEntry> entries;
    if (names.isEmpty())
        return entries;
    entries.push_back({});
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (name.startsWith(u'.') || !ProcessScriptRunner::isRunnable(path))
            continue;
        // The title is the name less its last extension, whatever its case.
        const qsizetype dot = name.lastIndexOf(u'.');
        entries.push_back({dot > 0 ? name.left(dot) : name, path});
    }
    return entries;
}

void UserScripts::fillScriptsMenu(QMenu* menu)
{
    if (!menu)
        return;
    for (const ScriptMenuEntry& entry : scriptMenuEntries()) {
        if (entry.path.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(entry.title);
        QObject::connect(action, &QAction::triggered, action,
                         [this, alive = std::weak_ptr<bool>(alive_), path = entry.path] {
                             if (alive.lock())
                                 runItemAtPath(path);
                         });
    }
}
