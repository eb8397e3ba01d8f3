// The application's own menus in the document window: the view toggles that change a setting, Scripts,
// Check for Updates… and Help.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/UpdateStandIn.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("AppWindowController", text); }

} // namespace

void AppWindowController::buildApplicationMenus(QMenu* view)
{
    // Each toggle changes its setting; the controller announces it on the next turn.
    using Getter = bool (*)();
    using Setter = void (*)(bool);
    using Announce = void (DocumentController::*)();
    const std::tuple<const char*, QString, Getter, Setter, Announce> toggles[] = {
        {"toggleStatusBarVisible", tr("Status Bar"), [] { return UserDefaults::instance().statusBarVisible(); },
         [](bool on) { UserDefaults::instance().setStatusBarVisible(on); }, &DocumentController::toggleStatusBarVisible},
        {"toggleRulersVisible", tr("Rulers"), [] { return UserDefaults::instance().rulersVisible(); },
         [](bool on) { UserDefaults::instance().setRulersVisible(on); }, &DocumentController::toggleRulersVisible},
        {"toggleGuidesVisible", tr("Guides"), [] { return UserDefaults::instance().guidesVisible(); },
         [](bool on) { UserDefaults::instance().setGuidesVisible(on); }, &DocumentController::toggleGuidesVisible},
        {"toggleGuidesLocked", tr("Lock Guides"), [] { return UserDefaults::instance().guidesLocked(); },
         [](bool on) { UserDefaults::instance().setGuidesLocked(on); }, &DocumentController::toggleGuidesLocked},
        {"toggleGridVisible", tr("Grid"), [] { return UserDefaults::instance().gridVisibility() != 0; },
         [](bool on) { UserDefaults::instance().setGridVisibility(on ? 1 : 0); }, &DocumentController::toggleGridVisible},
    };
    view->addSeparator();
    for (const auto& [command, title, get, set, announce] : toggles) {
        QAction* action = addCommand(view, command, title, QKeySequence(), [get, set, announce] {
            set(!get());
            if (DocumentController* controller = DocumentController::instance())
                (controller->*announce)();
        });
        action->setCheckable(true);
        action->setChecked(get());
        // The check mark follows the setting, whichever window or pane changed it.
        QObject::connect(view, &QMenu::aboutToShow, action, [action, get] { action->setChecked(get()); });
    }

    // The grid of the front window's page: on or off, a spacing, or a unit to measure in.
    QMenu* grid = view->addMenu(tr("Grid Spacing"));
    addCommand(grid, "toggleGridEnabled", tr("Snap to Grid"), QKeySequence(), [] {
        if (DocumentController* controller = DocumentController::instance())
            controller->toggleGridEnabled();
    })->setCheckable(true);
    grid->addSeparator();
    std::vector<std::pair<QAction*, std::int64_t>> spacings;
    const auto addSpacing = [&](const QString& title, std::int64_t tag) {
        QAction* action = addCommand(grid, QStringLiteral("changeGridTolerance%1").arg(tag), title, QKeySequence(), [tag] {
            if (DocumentController* controller = DocumentController::instance())
                controller->changeGridTolerance(tag);
        });
        action->setCheckable(true);
        spacings.emplace_back(action, tag);
    };
    for (int spacing : {2, 4, 5, 8, 10, 16, 20, 32, 50, 64})
        addSpacing(QString::number(spacing), spacing);
    grid->addSeparator();
    for (unsigned unit : {0u, 1u, 2u})
        addSpacing(Metrics::unitNameForUnitType(unit), -std::int64_t(unit));
    QObject::connect(grid, &QMenu::aboutToShow, grid, [this, spacings] {
        DocumentController* controller = DocumentController::instance();
        menuAction("toggleGridEnabled")->setChecked(controller && controller->isGridEnabledOnFrontPage());
        for (const auto& [action, tag] : spacings)
            action->setChecked(controller && controller->isGridToleranceItemOn(tag));
    });

    QMenu* scripts = menuBar_->addMenu(tr("S&cripts"));
    scripts->setObjectName(QStringLiteral("Scripts"));
    addCommand(scripts, "openScriptsFolder", tr("Open Scripts Folder"), QKeySequence(), [] {
        if (IDEDocumentController* controller = IDEDocumentController::instance())
            controller->openScriptsFolder();
    });
    if (IDEApplication* application = IDEApplication::instance())
        application->updateScriptsInMainMenu(menuBar_);

    QMenu* help = menuBar_->addMenu(tr("&Help"));
    addCommand(help, "showHelp", tr("Quorvel Help"), QKeySequence(QKeySequence::HelpContents), [] {
        if (IDEApplication* application = IDEApplication::instance())
            application->showHelp();
    });
    addCommand(help, "openScriptingDictionary", tr("Scripting Dictionary"), QKeySequence(), [] {
        if (IDEDocumentController* controller = IDEDocumentController::instance())
            controller->openScriptingDictionary();
    });
    addCommand(help, "checkForUpdates", tr("Check for Updates…"), QKeySequence(),
               [] { Updater::sharedUpdater().checkForUpdates(); });
}
