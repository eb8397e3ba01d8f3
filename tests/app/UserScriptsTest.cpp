// The user's scripts: the per-user folders, the Scripts menu's listing, start-up and shut-down items with
// a scripted runner, the failure alert per folder, and the process runner on real executables.
#include "app/UserScripts.h"

#include "platform/foundation/Dispatch.h"
#include "platform/kit/Services.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

void writeFile(const QString& path, const QByteArray& text, bool executable)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    auto permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
}

// Answers each path with the result set for it (success otherwise) and records the order of runs.
class ScriptedRunner : public ScriptRunner {
public:
    void run(const QString& path, std::function<void(const ScriptResult&)> done) override
    {
        ran.push_back(QFileInfo(path).fileName());
        const auto it = results.find(QFileInfo(path).fileName());
        done(it == results.end() ? ScriptResult{} : it->second);
    }
    std::map<QString, ScriptResult> results;
    QStringList ran;
};

class UserScriptsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        auto runner = std::make_unique<ScriptedRunner>();
        scripted = runner.get();
        scripts = std::make_unique<UserScripts>(AppSupportFolders::setUp(home.path()), std::move(runner));
    }

    QTemporaryDir home;
    pf::VirtualClock clock;
    ScriptedRunner* scripted = nullptr;
    std::unique_ptr<UserScripts> scripts;
    QStringList logged;
    pf::ScopedLogSink logSink{[this](const QString& line) { logged << line; }};
    std::vector<pf::Alert> alerts;
    int alertAnswer = 0;
    pf::ScopedAlertSink alertSink{[this](const pf::Alert& alert) {
        alerts.push_back(alert);
        return alertAnswer;
    }};
    std::vector<QUrl> opened;
    ScopedDesktopOpenSink openSink{[this](const QUrl& url) { opened.push_back(url); }};
};

TEST_F(UserScriptsTest, TheFourFoldersAreMadeAndOneThatCannotBeIsLoggedAndLeftOut)
{
    const AppSupportFolders& folders = scripts->folders();
    EXPECT_EQ(folders.appSupportDirPath, home.filePath("Quorvel"));
    for (const auto& [path, name] : {std::pair{folders.startupItemsDirPath, "Startup Items"},
                                     std::pair{folders.shutdownItemsDirPath, "Shutdown Items"},
                                     std::pair{folders.scriptsDirPath, "Menu Scripts"},
                                     std::pair{folders.resourcesDirPath, "Resources"}}) {
        EXPECT_EQ(path, home.filePath(QStringLiteral("Quorvel/") + QLatin1String(name)));
        EXPECT_TRUE(QFileInfo(path).isDir()) << name;
    }
    EXPECT_TRUE(logged.isEmpty());

    // A file where a folder should be: that one is logged and left out, the others are made.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir("Quorvel"));
    writeFile(other.filePath("Quorvel/Shutdown Items"), "not a folder", false);
    const AppSupportFolders blocked = AppSupportFolders::setUp(other.path());
    EXPECT_TRUE(blocked.shutdownItemsDirPath.isEmpty());
    EXPECT_TRUE(QFileInfo(blocked.startupItemsDirPath).isDir());
    EXPECT_TRUE(QFileInfo(blocked.resourcesDirPath).isDir());
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].startsWith("could not create dir at path: " + other.filePath("Quorvel/Shutdown Items")));

    // The shut-down items of a missing folder are skipped after a log line, and the quit goes on.
    UserScripts skipped(blocked, std::make_unique<ScriptedRunner>());
    bool done = false;
    skipped.runShutdownItems([&done] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_TRUE(logged.last().startsWith("Could not find Startup Items folder at path:"));

    // The application's folder itself blocked: no subfolder.
    QTemporaryDir third;
    writeFile(third.filePath("Quorvel"), "", false);
    const AppSupportFolders none = AppSupportFolders::setUp(third.path());
    EXPECT_TRUE(none.appSupportDirPath.isEmpty());
    EXPECT_TRUE(none.startupItemsDirPath.isEmpty());
    EXPECT_TRUE(none.scriptsDirPath.isEmpty());
}

TEST_F(UserScriptsTest, TheScriptsMenuListsExecutableFilesByNameLessExtension)
{
    struct Case {
        const char* what;
        std::vector<std::pair<QString, bool>> files; // name, executable
        QStringList titles;                          // "-" for the separator
    };
    const Case cases[] = {
        {"empty folder", {}, {}},
        {"a lone text file", {{"notes.txt", false}}, {"-"}},
        {"a dot name never", {{".x", true}}, {"-"}},
        {"any case of extension", {{"Tidy.SH", true}}, {"-", "Tidy"}},
        {"not executable", {{"Tidy.sh", false}}, {"-"}},
        {"by name", {{"b.py", true}, {"a", true}, {"c.txt", false}}, {"-", "a", "b"}},
    };
    for (const Case& c : cases) {
        const QString dir = scripts->folders().scriptsDirPath;
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(QDir(dir).filePath(name));
        for (const auto& [name, executable] : c.files)
            writeFile(QDir(dir).filePath(name), "#!/bin/sh\n", executable);
        QStringList titles;
        for (const ScriptMenuEntry& entry : scripts->scriptMenuEntries())
            titles << (entry.path.isEmpty() ? QStringLiteral("-") : entry.title);
        EXPECT_EQ(titles, c.titles) << c.what;
    }

    // The menu gets the same entries, and an item runs its script.
    QMenu menu;
    scripts->fillScriptsMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_TRUE(menu.actions()[0]->isSeparator());
    menu.actions()[1]->trigger();
    EXPECT_EQ(scripted->ran, QStringList{"a"});
}

TEST_F(UserScriptsTest, StartupItemsRunOneTurnAfterLaunchAndShutdownItemsInOrderBeforeTheEnd)
{
    for (const char* name : {"2-second", "1-first", ".hidden"})
        writeFile(QDir(scripts->folders().startupItemsDirPath).filePath(name), "", true);
    for (const char* name : {"b", "a", "c"})
        writeFile(QDir(scripts->folders().shutdownItemsDirPath).filePath(name), "", true);

    scripts->runStartupItems();
    EXPECT_TRUE(scripted->ran.isEmpty());
    pf::drainMainQueue();
    EXPECT_EQ(scripted->ran, (QStringList{"1-first", "2-second"}));

    scripted->ran.clear();
    bool done = false;
    scripts->runShutdownItems([&] {
        done = true;
        EXPECT_EQ(scripted->ran, (QStringList{"a", "b", "c"}));
    });
    EXPECT_TRUE(done);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(UserScriptsTest, AFailureAlertsWithTheFolderKindAndEditScriptOpensTheFile)
{
    const AppSupportFolders& f = scripts->folders();
    struct Case {
        QString path;
        ScriptResult result;
        QString title;   // none: no alert
        QString message;
    };
    const Case cases[] = {
        {QDir(f.shutdownItemsDirPath).filePath("notes.txt"), {ScriptResult::CouldNotOpen, "not executable"},
         "Could not run Shutdown Item script", "Could not open Startup Item 'notes.txt'\n\nnot executable"},
        {QDir(f.startupItemsDirPath).filePath("bad"), {ScriptResult::CouldNotStart, "exec format error"},
         "Could not run Startup Item script",
         "Syntax error encountered while compiling Startup Item 'bad'\n\nexec format error"},
        {QDir(f.scriptsDirPath).filePath("Tidy.sh"), {ScriptResult::RuntimeError, "tidy: no window"},
         "Could not run Menu Item script", "Runtime error encountered while running Startup Item 'Tidy.sh'\n\ntidy: no window"},
        {QDir(f.shutdownItemsDirPath).filePath("slow"), {ScriptResult::TimedOut, "stopped"}, {}, {}},
    };
    for (const Case& c : cases) {
        alerts.clear();
        scripted->results[QFileInfo(c.path).fileName()] = c.result;
        bool done = false;
        scripts->runItemAtPath(c.path, [&done] { done = true; });
        EXPECT_TRUE(done) << c.path.toStdString();
        if (c.title.isEmpty()) {
            EXPECT_TRUE(alerts.empty()) << c.path.toStdString();
            continue;
        }
        ASSERT_EQ(alerts.size(), 1u) << c.path.toStdString();
        EXPECT_EQ(alerts[0].messageText, c.title);
        EXPECT_EQ(alerts[0].informativeText, c.message);
        EXPECT_EQ(alerts[0].buttons, (QStringList{"OK", "Edit script"}));
    }
    EXPECT_TRUE(opened.empty());

    alertAnswer = 1;
    scripts->runItemAtPath(cases[2].path);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(cases[2].path));
}

// The runner on real executables, on the real clock.
class ProcessScriptRunnerTest : public ::testing::Test {
protected:
    ScriptResult runToEnd(ProcessScriptRunner& runner, const QString& path)
    {
        std::optional<ScriptResult> result;
        runner.run(path, [&result](const ScriptResult& r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&result] { return result.has_value(); }, 20000)) << path.toStdString();
        // The runner lets go of the finished process on the next turn.
        pf::drainMainQueue();
        return result.value_or(ScriptResult{ScriptResult::Succeeded, "no answer"});
    }
    QString script(const char* name, const QByteArray& body, bool executable = true)
    {
        const QString path = dir.filePath(name);
        writeFile(path, "#!/bin/sh\n" + body, executable);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ProcessScriptRunnerTest, ExitStatusErrorsAndTheBound)
{
    ProcessScriptRunner runner(std::chrono::milliseconds(300));
    struct Case {
        const char* what;
        QString path;
        ScriptResult::Kind kind;
        QString message;
    };
    const Case cases[] = {
        {"exit 0", script("ok", "echo fine\nexit 0\n"), ScriptResult::Succeeded, {}},
        {"exit 3", script("three", "echo 'no page open' >&2\nexit 3\n"), ScriptResult::RuntimeError, "no page open"},
        {"not executable", script("plain", "exit 0\n", false), ScriptResult::CouldNotOpen, {}},
        {"a folder", dir.path(), ScriptResult::CouldNotOpen, {}},
        {"no interpreter", [this] {
             const QString path = dir.filePath("broken");
             writeFile(path, "#!/nonexistent/interpreter\n", true);
             return path;
         }(), ScriptResult::CouldNotStart, {}},
        {"outlives the bound", script("sleeper", "exec sleep 30\n"), ScriptResult::TimedOut, {}},
    };
    for (const Case& c : cases) {
        const ScriptResult result = runToEnd(runner, c.path);
        EXPECT_EQ(result.kind, c.kind) << c.what << ": " << result.message.toStdString();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(result.message, c.message) << c.what;
        }
    }
}

} // namespace
