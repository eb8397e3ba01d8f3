#include "app/AppDelegate.h"

#include "app/Document.h"
#include "app/OAPreferenceController.h"
#include "app/PreferencePanes.h"
#include "app/ScriptingBridge.h"
#include "app/UpdateStandIn.h"
#include "canvas/Canvas.h"
#include "canvas/MouseStrategy.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/docs/Document.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Resources.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Panels.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <cmath>

#ifndef QUORVEL_SUPPORT_ADDRESS
#define QUORVEL_SUPPORT_ADDRESS "https://quorvel.org/support"
#endif

namespace {

IDEApplication* sharedIDEApplication = nullptr;

} // namespace

// ---- IDEApplication ----

IDEApplication::IDEApplication(pf::DocumentController* delegate, const QString& dataHome,
                               std::unique_ptr<ScriptRunner> runner)
    : pf::Application(delegate), scripts_(AppSupportFolders::setUp(dataHome), std::move(runner))
{
    if (!sharedIDEApplication)
        sharedIDEApplication = this;
    readInfoPlist();
}

IDEApplication::~IDEApplication()
{
    if (sharedIDEApplication == this)
        sharedIDEApplication = nullptr;
}

IDEApplication* IDEApplication::instance() { return sharedIDEApplication; }

void IDEApplication::readInfoPlist()
{
    versionString_ = pf::mainBundleInfoDictionary().stringForKey("CFBundleVersion");
}

void IDEApplication::updateScriptsInMainMenu(QMenuBar* menuBar)
{
    if (!menuBar)
        return;
    // The holder is found by name: a tag would also match items of other menus.
    for (QAction* action : menuBar->actions()) {
        if (QMenu* menu = action->menu(); menu && menu->objectName() == QLatin1String("Scripts")) {
            scripts_.fillScriptsMenu(menu);
            return;
        }
    }
}

void IDEApplication::showPreferencesPanel() { OAPreferenceController::sharedPreferenceController().showPreferencesPanel(); }

void IDEApplication::showHelp() { openInDesktop(QUrl(QStringLiteral(QUORVEL_SUPPORT_ADDRESS))); }

Application::Application(pf::DocumentController* delegate, const QString& dataHome, std::unique_ptr<ScriptRunner> runner)
    : IDEApplication(delegate, dataHome, std::move(runner))
{
    pf::setActionRouter([this](const QString& action, const pf::MenuItem*) { return routeAction(action); });
}

Application::~Application()
{
    pf::setActionRouter({});
}

bool Application::routeAction(const QString& action)
{
    if (action != QLatin1String("changeFont:"))
        return false;
    pf::Window* main = pf::Window::mainWindow();
    if (!main)
        return false;
    DocumentController* controller = DocumentController::instance();
    if (CanvasWindowController* front = controller ? controller->frontCanvasWindowController() : nullptr;
        front && front->windowWidget() == main->widget()) {
        Canvas* canvas = front->canvasView();
        // The editor is the main window's first responder and changes its own text as well.
        if (!canvas || canvas->isEditingText())
            return false;
        canvas->changeFont(pf::FontPanel::shared());
        return true;
    }
    OAPreferenceController& preferences = OAPreferenceController::sharedPreferenceController();
    if (preferences.windowWidget() == main->widget()) {
        if (auto* general = dynamic_cast<IDEGeneralPreferences*>(preferences.currentClient())) {
            general->changeFont(pf::FontPanel::shared());
            return true;
        }
    }
    return false;
}

void Application::routeUndo(const std::function<void()>& perform)
{
    DocumentController* controller = DocumentController::instance();
    CanvasWindowController* front = controller ? controller->frontCanvasWindowController() : nullptr;
    pf::Window* key = pf::Window::keyWindow();
    Canvas* canvas = front && key && front->windowWidget() == key->widget() ? front->canvasView() : nullptr;
    if (!canvas) {
        perform();
        return;
    }
    canvas->stopEditingText();
    // No redisplay of the whole canvas here: each shape, guide and selection the step changes asks for its
    // own area, and a whole view of a large page costs a third of a second.
    if (const auto& tool = canvas->mouseStrategy()) {
        const auto& event = pf::InputState::shared().currentEvent();
        tool->deleteInCanvas(event ? *event : pf::Event{}, *canvas);
    } else {
        const auto selection = canvas->selectedShapes();
        perform();
        // A selection the step left as it was is not made again: a new selection object changes the page's
        // list of shapes, which the canvas then indexes afresh.
        if (!canvas->hasCompositionSelection() && canvas->selectedShapes() != selection)
            canvas->replaceSelectionWithShapes(selection);
    }
}

// ---- IDEDocumentController ----

IDEDocumentController* IDEDocumentController::instance()
{
    auto* application = pf::Application::instance();
    return application ? dynamic_cast<IDEDocumentController*>(application->delegate()) : nullptr;
}

void IDEDocumentController::applicationDidFinishLaunching()
{
    registerForAppleEventHandling();
    registerForNotifications();
    runStartupItems();
    checkForUpdates();
}

void IDEDocumentController::applicationWillTerminate()
{
    // The shut-down scripts may still drive the editor through its scripting name.
    runShutdownItems([this] { unregisterForAppleEventHandling(); });
}

void IDEDocumentController::runStartupItems()
{
    if (IDEApplication* application = IDEApplication::instance())
        application->scripts().runStartupItems();
}

void IDEDocumentController::runShutdownItems(std::function<void()> done)
{
    IDEApplication* application = IDEApplication::instance();
    if (!application) {
        if (done)
            done();
        return;
    }
    // The application waits, with its event loop turning, while the count is held; each script has its
    // bound, so the wait ends.
    pf::suddenTermination::disable();
    application->scripts().runShutdownItems([done = std::move(done)] {
        if (done)
            done();
        pf::suddenTermination::enable();
    });
}

CanvasWindowController* IDEDocumentController::frontWindowController() const
{
    const auto front = frontDocument();
    auto* document = dynamic_cast<Document*>(front.get());
    return document ? dynamic_cast<CanvasWindowController*>(document->canvasWindowController().get()) : nullptr;
}

void IDEDocumentController::toggleFullScreen()
{
    if (CanvasWindowController* controller = frontWindowController())
        controller->toggleFullScreen();
}

void IDEDocumentController::openScriptEditor() { openScriptsFolder(); }

void IDEDocumentController::openScriptingDictionary()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Quorvel");
    const QString path = dir + QStringLiteral("/com.thistlewick.Quorvel.Scripting.xml");
    QSaveFile file(path);
    if (!createDirAtPathIfDoesntExist(dir) || !file.open(QIODevice::WriteOnly) || file.write(scriptingDictionary().toUtf8()) < 0 ||
        !file.commit()) {
        pf::logMessage(QStringLiteral("could not write the scripting dictionary to %1: %2").arg(path, file.errorString()));
        pf::beep();
        return;
    }
    openInDesktop(QUrl::fromLocalFile(path));
}

void IDEDocumentController::openScriptsFolder()
{
    if (IDEApplication* application = IDEApplication::instance(); application && !application->folders().scriptsDirPath.isEmpty())
        openInDesktop(QUrl::fromLocalFile(application->folders().scriptsDirPath));
}

// ---- TKDocumentController ----

void TKDocumentController::closeTab()
{
    pf::Window* key = pf::Window::keyWindow();
    CanvasWindowController* front = frontWindowController();
    if (key && (!front || front->windowWidget() != key->widget()))
        key->widget()->close();
}

// ---- DocumentController ----

DocumentController::DocumentController() = default;

DocumentController::~DocumentController() = default;

DocumentController* DocumentController::instance() { return dynamic_cast<DocumentController*>(IDEDocumentController::instance()); }

void DocumentController::registerForAppleEventHandling()
{
    if (!scriptingBridge_)
        scriptingBridge_ = std::make_unique<ScriptingBridge>(*this);
    scriptingBridge_->start();
}

void DocumentController::unregisterForAppleEventHandling()
{
    if (scriptingBridge_)
        scriptingBridge_->stop();
}

void DocumentController::checkForUpdates()
{
    Updater& updater = Updater::sharedUpdater();
    if (updater.automaticallyChecksForUpdates())
        updater.checkForUpdatesInBackground();
}

void DocumentController::support() { openInDesktop(QUrl(QStringLiteral(QUORVEL_SUPPORT_ADDRESS))); }

std::shared_ptr<pf::Document> DocumentController::newDocumentWithImageFile(const QString& path, QString* error)
{
    auto document = newDocument(error);
    auto* ours = dynamic_cast<Document*>(document.get());
    auto* window = ours ? dynamic_cast<CanvasWindowController*>(ours->canvasWindowController().get()) : nullptr;
    if (Canvas* canvas = window ? window->canvasView() : nullptr)
        canvas->addImagesForFilesAtPaths({path}, pf::Point{0, 0}, true);
    if (document)
        document->setDisplayName(QFileInfo(path).completeBaseName());
    return document;
}

void DocumentController::toggleGridEnabled()
{
    CanvasWindowController* window = frontCanvasWindowController();
    const auto page = window ? window->selectedComposition() : nullptr;
    if (!page)
        return;
    window->setGridEnabled(!window->gridEnabled());
    page->setGridEnabled(window->gridEnabled());
}

void DocumentController::changeGridTolerance(std::int64_t tag)
{
    CanvasWindowController* window = frontCanvasWindowController();
    const auto page = window ? window->selectedComposition() : nullptr;
    if (!page)
        return;
    if (tag > 0) {
        page->setGridTolerance(double(tag));
        return;
    }
    // The unit items: a spacing of zero or less would leave no grid at all.
    if (const Metrics* metrics = page->metrics(); metrics && metrics->unitType() != unsigned(-tag)) {
        auto changed = metrics->copy();
        changed->setUnitType(unsigned(-tag));
        page->setMetrics(std::move(changed));
    }
}

bool DocumentController::isGridEnabledOnFrontPage() const
{
    CanvasWindowController* window = frontCanvasWindowController();
    const auto page = window ? window->selectedComposition() : nullptr;
    return page && page->isGridEnabled();
}

bool DocumentController::isGridToleranceItemOn(std::int64_t tag) const
{
    CanvasWindowController* window = frontCanvasWindowController();
    const auto page = window ? window->selectedComposition() : nullptr;
    if (!page)
        return false;
    if (tag <= 0)
        return page->metrics() && page->metrics()->unitType() == unsigned(-tag);
    return std::llround(std::abs(page->storedGridTolerance())) == tag;
}

CanvasWindowController* DocumentController::frontCanvasWindowController() const { return frontWindowController(); }

void DocumentController::postNotification(const QString& name) { pf::NotificationCenter::defaultCenter().post(name); }

void DocumentController::postNotificationLater(const QString& name)
{
    performAfterDelay([this, name] { postNotification(name); }, {});
}
