// The application's document window: the shell's window controller with the main menu of the editor.
// Each window carries its own menu bar (the desktop has no global one); its commands act on this window,
// its document, or the whole application.
#pragma once

#include "platform/kit/Menu.h"
#include "shell/CanvasWindowController.h"

#include <QString>

#include <cstdint>

#include <functional>
#include <map>

class QAction;
class QKeySequence;
class QMenu;
class QMenuBar;

class AppWindowController : public CanvasWindowController {
public:
    void windowDidLoad() override;

    // The menu bar, made with the window; null before.
    QMenuBar* mainMenu() const { return menuBar_; }
    // The action of a menu item by its command ("save", "quit", "undo" …); null when none has it.
    QAction* menuAction(const QString& command) const;
    // Brings the items' enabled and checked states up to date (done each time a menu opens).
    void validateMenuItems();

    // Installs the factory that gives every application document this window.
    static void installAsDocumentWindow();
    // Gives every window made from then on its inspector palette in place of the placeholder, with the
    // inspector's interface files, transformers and colour dialog.
    static void installInspector();
    // Gives every window made from then on its outline palette in place of the placeholder.
    static void installOutline();

private:
    void buildMainMenu();
    // The editing commands the window hands to the canvas: more of Edit, and the Arrange and Shape menus;
    // the toolbar and full-screen items of View.
    void buildEditingMenus(QMenu* edit, QMenu* view);
    // The application's menus: the setting toggles of View, Scripts (with the user's menu scripts) and Help.
    void buildApplicationMenus(QMenu* view);
    // An item that sends the action along the responder chain as its menu item would, tag included, and is
    // enabled as the responder validates it. Without sendsItself the action goes with no sender.
    QAction* addChainCommand(QMenu* menu, const QString& action, const QString& title, const QKeySequence& keys,
                             std::int64_t tag = 0, bool sendsItself = true);
    // The menu validates its items each time it opens and leaves them enabled while closed.
    void validateWhileShown(QMenu* menu);

    QAction* addCommand(QMenu* menu, const QString& command, const QString& title, const QKeySequence& keys,
                        std::function<void()> run);
    // A command of the whole application (its run must not depend on this window): its keys act from
    // every window of the application.
    QAction* addApplicationCommand(QMenu* menu, const QString& command, const QString& title,
                                   const QKeySequence& keys, std::function<void()> run);

    QMenuBar* menuBar_ = nullptr;
    std::map<QString, QAction*> actions_;
    // The items of addChainCommand by action name.
    std::map<QString, pf::MenuItem> chainItems_;
};
