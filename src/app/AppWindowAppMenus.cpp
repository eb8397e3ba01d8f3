// The application's own menus in the document window: the view toggles that change a setting, Scripts,
// Check for Updates… and Help.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/UpdateStandIn.h"
#include "model/UserDefaults.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <tuple>

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
    addCommand(help, "checkForUpdates", tr("Check for Updates…"), QKeySequence(),
               [] { Updater::sharedUpdater().checkForUpdates(); });
}
