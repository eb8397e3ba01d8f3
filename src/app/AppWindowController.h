// The application's document window: the shell's window controller with the main menu of the editor.
// Each window carries its own menu bar (the desktop has no global one); its commands act on this window,
// its document, or the whole application.
#pragma once

#include "shell/CanvasWindowController.h"

#include <QString>

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

private:
    void buildMainMenu();

    QAction* addCommand(QMenu* menu, const QString& command, const QString& title, const QKeySequence& keys,
                        std::function<void()> run);

    QMenuBar* menuBar_ = nullptr;
    std::map<QString, QAction*> actions_;
};
