// The application and its delegate: the launch sequence and the updater, the quit that waits for the
// shut-down scripts before any window goes, the toggles' notices, picture files as new documents, and the
// Scripts and Help menus of the document window.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/ScriptingBridge.h"
#include "app/DocumentFixture.h"
#include "app/OAPreferenceController.h"
#include "app/PreferencePanes.h"
#include "app/UpdateStandIn.h"
#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "canvas/MouseStrategy.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Panels.h"
#include "platform/kit/Window.h"
#include "platform/kit/Services.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class RecordingUpdater : public Updater {
public:
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void checkForUpdatesInBackground() override { ++background; }
    void checkForUpdates() override { ++requested; }
    bool automatic = false;
    int background = 0;
    int requested = 0;
};

// Holds each script until the test ends it, so the quit can be seen waiting.
class HeldRunner : public ScriptRunner {
public:
    void run(const QString& path, std::function<void(const ScriptResult&)> done) override
    {
        held.emplace_back(QFileInfo(path).fileName(), std::move(done));
    }
    void finishNext()
    {
        auto [name, done] = std::move(held.front());
        held.erase(held.begin());
        finished << name;
        done({});
    }
    std::vector<std::pair<QString, std::function<void(const ScriptResult&)>>> held;
    QStringList finished;
};

class ApplicationTest : public BasicDocumentFixture<DocumentController> {
protected:
    static void SetUpTestSuite()
    {
        registerControlKinds(pf::ClassRegistry::shared());
        registerManipulatorClasses(pf::ClassRegistry::shared());
        CanvasWindowController::registerInterfaceFiles();
        registerPreferencePanes(pf::ClassRegistry::shared());
    }

    void SetUp() override
    {
        setUpDocuments([this](const QString& path, QString* error) {
            return controller.newDocumentWithImageFile(path, error);
        });
        AppWindowController::installAsDocumentWindow();
        auto held = std::make_unique<HeldRunner>();
        runner = held.get();
        application = std::make_unique<Application>(&controller, dir.filePath("data"), std::move(held));
    }

    void TearDown() override
    {
        BasicDocumentFixture::TearDown();
        application.reset();
    }

    void addScript(const QString& folder, const char* name)
    {
        QFile file(QDir(folder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    pf::VirtualClock clock;
    RecordingUpdater updater;
    ScopedUpdater scopedUpdater{updater};
    HeldRunner* runner = nullptr;
    std::unique_ptr<Application> application;
    std::vector<pf::Alert> alerts;
    pf::ScopedAlertSink alertSink{[this](const pf::Alert& alert) {
        alerts.push_back(alert);
        return 0;
    }};
};

TEST_F(ApplicationTest, LaunchChecksNoUpdateAndRunsTheStartupItemsOneTurnLater)
{
    addScript(application->folders().startupItemsDirPath, "hello");
    EXPECT_EQ(IDEApplication::instance(), application.get());
    EXPECT_EQ(DocumentController::instance(), &controller);
    EXPECT_EQ(application->versionString(), "0.1");

    application->finishLaunching();
    EXPECT_TRUE(runner->held.empty());
    pf::drainMainQueue();
    ASSERT_EQ(runner->held.size(), 1u);
    EXPECT_EQ(runner->held[0].first, "hello");
    EXPECT_EQ(updater.background, 0);
    EXPECT_EQ(updater.requested, 0);

    // An updater that checks by itself is asked in the background at launch.
    updater.automatic = true;
    controller.checkForUpdates();
    EXPECT_EQ(updater.background, 1);
}

TEST_F(ApplicationTest, TheStandInSaysUpdatesComeFromThePackageManager)
{
    Updater standIn;
    EXPECT_FALSE(standIn.automaticallyChecksForUpdates());
    standIn.checkForUpdates();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].messageText.contains("package manager"));
}

TEST_F(ApplicationTest, QuitWaitsForEachShutdownItemBeforeAnyWindowCloses)
{
    addScript(application->folders().shutdownItemsDirPath, "b");
    addScript(application->folders().shutdownItemsDirPath, "a");
    QString error;
    auto document = controller.newDocument(&error);
    ASSERT_TRUE(document) << error.toStdString();
    pf::drainMainQueue();
    // A clean untitled document closes without a question; its window is gone with it. Keep a second
    // window open that no document owns, as a stand-in for windows that close at the very end.
    QWidget lastWindow;
    lastWindow.show();

    ASSERT_TRUE(application->terminate());
    ASSERT_EQ(runner->held.size(), 1u);
    EXPECT_EQ(runner->held[0].first, "a");
    clock.advance(std::chrono::seconds(1));
    pf::drainMainQueue();
    EXPECT_TRUE(lastWindow.isVisible());

    runner->finishNext();
    ASSERT_EQ(runner->held.size(), 1u);
    EXPECT_EQ(runner->held[0].first, "b");
    clock.advance(std::chrono::seconds(1));
    pf::drainMainQueue();
    EXPECT_TRUE(lastWindow.isVisible());

    runner->finishNext();
    clock.advance(std::chrono::seconds(1));
    pf::drainMainQueue();
    EXPECT_FALSE(lastWindow.isVisible());
    EXPECT_EQ(runner->finished, (QStringList{"a", "b"}));
}

// The scripting name on the session bus. CTest runs these under a private bus (app_tests_scripting_bus);
// without a bus only the refusal can be seen.
bool nameIsClaimed()
{
    auto* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QLatin1String(ScriptingBridge::ServiceName)).value();
}

// A call from another connection, answered while the test's event loop turns.
QDBusMessage callBridge(const QString& method, const QVariantList& arguments)
{
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(ScriptingBridge::ServiceName),
                                                          QLatin1String(ScriptingBridge::ObjectPath),
                                                          QLatin1String(ScriptingBridge::InterfaceName), method);
    message.setArguments(arguments);
    QDBusPendingCall pending = client.asyncCall(message, 5000);
    (void)QTest::qWaitFor([&pending] { return pending.isFinished(); }, 6000); // the reply says how it ended
    const QDBusMessage reply = pending.reply();
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    return reply;
}

TEST_F(ApplicationTest, ScriptingBusNameIsHeldFromLaunchUntilTheLastShutdownItemHasEnded)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no session bus";
    addScript(application->folders().shutdownItemsDirPath, "a");
    application->finishLaunching();
    ASSERT_TRUE(controller.scriptingBridge() && controller.scriptingBridge()->isRunning());
    EXPECT_TRUE(nameIsClaimed());

    // The shut-down script may still drive the editor: the name stays while it runs.
    ASSERT_TRUE(application->terminate());
    ASSERT_EQ(runner->held.size(), 1u);
    pf::drainMainQueue();
    EXPECT_TRUE(controller.scriptingBridge()->isRunning());
    EXPECT_TRUE(nameIsClaimed());
    // And the editor answers while it waits.
    EXPECT_EQ(callBridge("Elements", {QVariantMap(), QString("docu")}).type(), QDBusMessage::ReplyMessage);
    runner->finishNext();
    pf::drainMainQueue();
    EXPECT_FALSE(controller.scriptingBridge()->isRunning());
    EXPECT_FALSE(nameIsClaimed());
}

TEST_F(ApplicationTest, ScriptingBusChecksEachCallsArgumentsAndNamesItsErrors)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no session bus";
    QString error;
    ASSERT_TRUE(controller.newDocument(&error)) << error.toStdString();
    pf::drainMainQueue();
    application->finishLaunching();
    ASSERT_TRUE(controller.scriptingBridge()->isRunning());

    const QDBusMessage documents = callBridge("Elements", {QVariantMap(), QString("docu")});
    ASSERT_EQ(documents.type(), QDBusMessage::ReplyMessage) << documents.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<QVariantList>(documents.arguments().value(0)).size(), 1);

    const QDBusMessage wrong = callBridge("Get", {QVariantMap(), 7});
    EXPECT_EQ(wrong.errorName(), "com.thistlewick.Quorvel.Error.CoercionFailed");
    EXPECT_TRUE(wrong.errorMessage().contains("a{sv}s"));
    const QDBusMessage unknown = callBridge("Quit", {});
    EXPECT_EQ(unknown.errorName(), "com.thistlewick.Quorvel.Error.EventNotHandled");
    const QDBusMessage noPage = callBridge("Delete", {QVariantMap{{"want", QVariant::fromValue(QDBusVariant("cTab"))},
                                                                  {"form", QVariant::fromValue(QDBusVariant("indx"))},
                                                                  {"seld", QVariant::fromValue(QDBusVariant(1))}}});
    EXPECT_EQ(noPage.errorName(), "com.thistlewick.Quorvel.Error.NoSuchObject");
    controller.unregisterForAppleEventHandling();
}

TEST_F(ApplicationTest, ScriptingBusTakenOrAbsentIsLoggedOnceAndTheEditorRunsWithout)
{
    QStringList logged;
    pf::ScopedLogSink logSink([&logged](const QString& message) { logged << message; });
    // With a bus, another program holds the name first.
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    if (other.isConnected()) {
        ASSERT_TRUE(other.registerService(QLatin1String(ScriptingBridge::ServiceName)));
    }
    ScriptingBridge bridge(controller);
    EXPECT_FALSE(bridge.start());
    EXPECT_FALSE(bridge.isRunning());
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].startsWith("Scripting is off")) << logged[0].toStdString();
    if (other.isConnected())
        other.unregisterService(QLatin1String(ScriptingBridge::ServiceName));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
}

TEST_F(ApplicationTest, TogglesPostTheirNoticesOneTurnLater)
{
    const std::pair<void (DocumentController::*)(), const char*> toggles[] = {
        {&DocumentController::toggleStatusBarVisible, "StatusBarVisibilityDidChangeNotification"},
        {&DocumentController::toggleRulersVisible, "RulerVisibilityDidChangeNotification"},
        {&DocumentController::toggleGuidesVisible, "GuidesVisibilityDidChangeNotification"},
        {&DocumentController::toggleGuidesLocked, "GuidesLockedDidChangeNotification"},
        {&DocumentController::toggleGridVisible, "GridVisibilityDidChangeNotification"},
    };
    for (const auto& [toggle, name] : toggles) {
        int posts = 0;
        auto token = pf::NotificationCenter::defaultCenter().addObserver(QString::fromLatin1(name), nullptr,
                                                                          [&posts](const pf::Notification&) { ++posts; });
        (controller.*toggle)();
        EXPECT_EQ(posts, 0) << name;
        pf::drainMainQueue();
        EXPECT_EQ(posts, 1) << name;
    }
}

TEST_F(ApplicationTest, APictureOfAnyCaseOpensAsAnUntitledDocumentNamedAfterIt)
{
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QString path = dir.filePath("Photo.PNG");
    ASSERT_TRUE(picture.save(path, "PNG"));

    QString error;
    auto document = controller.openDocumentAtPath(path, &error);
    ASSERT_TRUE(document) << error.toStdString();
    pf::drainMainQueue();
    EXPECT_EQ(document->displayName(), "Photo");
    EXPECT_TRUE(document->filePath().isEmpty());
    EXPECT_EQ(controller.documents().size(), 1u);
    CanvasWindowController* window = controller.frontCanvasWindowController();
    ASSERT_TRUE(window);
    auto page = window->selectedComposition();
    ASSERT_TRUE(page);
    // The picture is stored in the background; the page then takes its size and the picture lies on it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&page] {
            pf::drainMainQueue();
            return page->frame().size == pf::Size{40, 30};
        },
        10000));
    EXPECT_EQ(page->children().back()->frame().size, (pf::Size{40, 30}));
    EXPECT_EQ(page->frame().size, (pf::Size{40, 30}));
}

TEST_F(ApplicationTest, TheWindowHasTheScriptsMenuAndCheckForUpdates)
{
    addScript(application->folders().scriptsDirPath, "Tidy.SH");
    QString error;
    auto document = controller.newDocument(&error);
    ASSERT_TRUE(document);
    pf::drainMainQueue();
    auto* window = dynamic_cast<AppWindowController*>(controller.frontCanvasWindowController());
    ASSERT_TRUE(window);
    QMenu* scripts = nullptr;
    for (QAction* action : window->mainMenu()->actions())
        if (action->menu() && action->menu()->objectName() == "Scripts")
            scripts = action->menu();
    ASSERT_TRUE(scripts);
    QStringList titles;
    for (QAction* action : scripts->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, (QStringList{"Open Scripts Folder", "-", "Tidy"}));
    scripts->actions().last()->trigger();
    ASSERT_EQ(runner->held.size(), 1u);
    EXPECT_EQ(runner->held[0].first, "Tidy.SH");

    window->menuAction("checkForUpdates")->trigger();
    EXPECT_EQ(updater.requested, 1);
}

TEST_F(ApplicationTest, TheGridMenuActsOnTheFrontPageAndUnitItemsKeepTheSpacing)
{
    QString error;
    ASSERT_TRUE(controller.newDocument(&error));
    pf::drainMainQueue();
    const auto page = controller.frontCanvasWindowController()->selectedComposition();
    ASSERT_TRUE(page);

    const bool wasOn = page->isGridEnabled();
    controller.toggleGridEnabled();
    EXPECT_EQ(page->isGridEnabled(), !wasOn);
    EXPECT_EQ(controller.isGridEnabledOnFrontPage(), !wasOn);

    const struct {
        std::int64_t tag;
        double spacing;   // stored afterwards
        unsigned unit;    // afterwards
        std::vector<std::int64_t> on;
    } steps[] = {
        {16, 16, Metrics::Points, {16, 0}},
        {-1, 16, Metrics::Inches, {16, -1}},      // a unit: the spacing stays
        {-2, 16, Metrics::Centimeters, {16, -2}},
        {5, 5, Metrics::Centimeters, {5, -2}},
        {0, 5, Metrics::Points, {5, 0}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.tag);
        controller.changeGridTolerance(step.tag);
        EXPECT_EQ(page->storedGridTolerance(), step.spacing);
        EXPECT_EQ(page->metrics()->unitType(), step.unit);
        for (std::int64_t tag : {2, 5, 16, 64, 0, -1, -2}) {
            const bool expected = std::find(step.on.begin(), step.on.end(), tag) != step.on.end();
            EXPECT_EQ(controller.isGridToleranceItemOn(tag), expected) << tag;
        }
    }
}

TEST_F(ApplicationTest, UndoKeepsTheSelectionYieldsToADrawingToolAndIsOrdinaryWhenAnotherWindowIsKey)
{
    QString error;
    ASSERT_TRUE(controller.newDocument(&error));
    pf::drainMainQueue();
    auto* window = dynamic_cast<AppWindowController*>(controller.frontCanvasWindowController());
    ASSERT_TRUE(window);
    Canvas& canvas = *window->canvasView();
    pf::UndoManager& undo = *window->windowUndoManager();
    const auto box = Shape::make<Rectangle>(pf::Rect(30, 40, 50, 60));
    window->selectedComposition()->addShape(box);
    window->window()->becomeKeyWindow();

    // A step that, undone, drops the selection: the routing puts it back.
    int undone = 0;
    const auto stepDroppingSelection = [&] {
        undo.registerUndo([&canvas, &undone] {
            ++undone;
            canvas.selectNone();
        });
        pf::drainMainQueue();
    };
    pf::drainMainQueue();
    canvas.replaceSelectionWithShape(box);
    stepDroppingSelection();
    window->menuAction("undo")->trigger();
    EXPECT_EQ(undone, 1);
    EXPECT_EQ(canvas.selectedShapes(), Canvas::Shapes{box});

    // A drawing tool in progress takes undo as its delete; nothing is undone.
    struct Tool : MouseStrategy {
        void deleteInCanvas(const pf::Event&, Canvas&) override { ++deletes; }
        int deletes = 0;
    };
    auto tool = std::make_shared<Tool>();
    stepDroppingSelection();
    canvas.mouseModeWasActivated(tool);
    pf::drainMainQueue();
    window->menuAction("undo")->trigger();
    EXPECT_EQ(tool->deletes, 1);
    EXPECT_EQ(undone, 1);

    // Another window key: the ordinary step, the tool untouched.
    QWidget other;
    pf::Window::attach(&other)->becomeKeyWindow();
    window->menuAction("undo")->trigger();
    EXPECT_EQ(tool->deletes, 1);
    EXPECT_GE(undone, 1);
}

// The font panel's change goes to the window the user works in: the document window's canvas (which
// remembers the font and sets it on the selection), or the General pane while the preferences window is main.
TEST_F(ApplicationTest, TheFontPanelChangesTheMainWindowsCanvasOrTheDefaultFont)
{
    struct Panel : pf::FontPanel {
        void orderFront() override { ++shown; }
        int shown = 0;
    } panel;
    pf::FontPanel::setShared(&panel);
    struct Restore {
        ~Restore()
        {
            pf::FontPanel::setShared(nullptr);
            OAPreferenceController::sharedPreferenceController().performClose();
        }
    } restore;
    QString error;
    ASSERT_TRUE(controller.newDocument(&error));
    pf::drainMainQueue();
    auto* window = dynamic_cast<AppWindowController*>(controller.frontCanvasWindowController());
    ASSERT_TRUE(window);
    window->window()->becomeMainWindow();
    UserDefaults& defaults = UserDefaults::instance();
    defaults.setSelectedFontSize(12);
    defaults.setDefaultFontSize(14);

    panel.setPanelFont(pf::Font(QStringLiteral("Helvetica"), 12));
    panel.userChoseFont(pf::Font(QStringLiteral("Helvetica"), 30));
    EXPECT_EQ(defaults.selectedFontSize(), 30);
    EXPECT_EQ(defaults.defaultFontSize(), 14);

    OAPreferenceController& preferences = OAPreferenceController::sharedPreferenceController();
    preferences.showPreferencesPanel();
    preferences.setCurrentClientFromToolbarItem(QStringLiteral("General"));
    pf::Window::of(preferences.windowWidget())->becomeMainWindow();
    auto* general = dynamic_cast<IDEGeneralPreferences*>(preferences.currentClient());
    ASSERT_TRUE(general);
    QPushButton* change = nullptr;
    for (QPushButton* button : general->controlBox()->findChildren<QPushButton*>())
        if (button->text().startsWith(QStringLiteral("Change")))
            change = button;
    ASSERT_TRUE(change);
    change->click();
    EXPECT_EQ(panel.shown, 1);
    EXPECT_EQ(panel.panelFont().pointSize(), 14) << "the panel starts from the default font";

    const struct {
        double chosen;
        double stored;
    } sizes[] = {{20, 20}, {6, 20}, {6.5, 6.5}};
    for (const auto& c : sizes) {
        panel.userChoseFont(panel.panelFont().withSize(c.chosen));
        EXPECT_EQ(defaults.defaultFontSize(), c.stored) << c.chosen;
    }
    EXPECT_EQ(defaults.selectedFontSize(), 30) << "the canvas is not asked while the preferences window is main";
    EXPECT_EQ(general->defaultFontTextField()->font().pixelSize(), 12) << "the sample keeps one size";
}

} // namespace
