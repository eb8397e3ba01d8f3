#include "app/AppWindowController.h"

#include "app/AppDelegate.h"

#include "app/Document.h"
#include "app/OAPreferenceController.h"
#include "canvas/Canvas.h"
#include "palettes/InspectorSetUp.h"
#include "palettes/InspectorViewController.h"
#include "palettes/LibraryWindowServices.h"
#include "palettes/OutlineViewController.h"
#include "platform/docs/Application.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("AppWindowController", text);
}

} // namespace

void AppWindowController::installAsDocumentWindow()
{
    Document::windowControllerFactory() = [](Document& document) -> std::shared_ptr<TabHost> {
        auto controller = std::make_shared<AppWindowController>();
        controller->setDocument(&document);
        return controller;
    };
    installLibraryPalette([]() -> CanvasWindowController* {
        const pf::DocumentController* documents = pf::DocumentController::shared();
        const auto front = documents ? std::dynamic_pointer_cast<Document>(documents->frontDocument()) : nullptr;
        return front ? dynamic_cast<CanvasWindowController*>(front->canvasWindowController().get()) : nullptr;
    });
}

void AppWindowController::installInspector()
{
    registerInspector();
    registerPendingFacetInterfaceFiles();
    installInspectorColorDialog();
    setInspectorMaker([](CanvasWindowController& window) -> std::unique_ptr<QVViewController> {
        auto inspector = std::make_unique<InspectorViewController>();
        inspector->setCanvasProvider([&window] { return window.canvasView(); });
        return inspector;
    });
}

void AppWindowController::installOutline()
{
    OutlineViewController::registerInterfaceFile();
    setOutlineMaker([](CanvasWindowController&) -> std::unique_ptr<QVViewController> {
        return std::make_unique<OutlineViewController>();
    });
}

void AppWindowController::windowDidLoad()
{
    CanvasWindowController::windowDidLoad();
    buildMainMenu();
}

QAction* AppWindowController::menuAction(const QString& command) const
{
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* AppWindowController::addCommand(QMenu* menu, const QString& command, const QString& title,
                                         const QKeySequence& keys, std::function<void()> run)
{
    QAction* action = menu->addAction(title);
    action->setShortcut(keys);
    // The window's commands work wherever the keyboard is in it, a palette included.
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, action, [run = std::move(run)] { run(); });
    actions_[command] = action;
    return action;
}

void AppWindowController::buildMainMenu()
{
    pf::Window* window = this->window();
    if (!window || menuBar_)
        return;
    menuBar_ = new QMenuBar();
    // The menu bar goes with the window; the controller outlives neither, so `this` is safe in the commands.
    auto* file = menuBar_->addMenu(tr("&File"));
    addCommand(file, "new", tr("New"), QKeySequence::New, [] {
        if (auto* controller = pf::DocumentController::shared()) {
            QString error;
            if (!controller->newDocument(&error) && !error.isEmpty())
                pf::runAlert({tr("A new document could not be made."), error, {}});
        }
    });
    addCommand(file, "open", tr("Open…"), QKeySequence::Open, [] {
        if (auto* controller = pf::DocumentController::shared())
            controller->openDocument();
    });
    file->addSeparator();
    addCommand(file, "close", tr("Close"), QKeySequence::Close, [this] { performClose(); });
    addCommand(file, "save", tr("Save"), QKeySequence::Save, [this] {
        if (pf::Document* document = TKMainWindowController::document())
            document->saveDocument();
    });
    addCommand(file, "revert", tr("Revert to Saved"), QKeySequence(), [this] {
        pf::Document* document = TKMainWindowController::document();
        QString error;
        if (document && !document->revertDocumentToSaved(&error) && !error.isEmpty())
            pf::runAlert({tr("The document could not be reverted."), error, {}});
    });
    file->addSeparator();
    // Export and printing act on this window's document (Document's export and print commands).
    const auto appDocument = [this] { return dynamic_cast<Document*>(TKMainWindowController::document()); };
    addCommand(file, "export", tr("Export…"), QKeySequence(Qt::CTRL | Qt::Key_E), [appDocument] {
        if (Document* document = appDocument())
            document->exportDocument();
    });
    addCommand(file, "exportSelection", tr("Export Selection…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
               [appDocument] {
                   if (Document* document = appDocument())
                       document->exportSelection();
               });
    file->addSeparator();
    addCommand(file, "pageSetup", tr("Page Setup…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), [appDocument] {
        if (Document* document = appDocument())
            document->runPageLayout();
    });
    addCommand(file, "print", tr("Print…"), QKeySequence::Print, [appDocument] {
        if (Document* document = appDocument())
            document->printDocument();
    });
    file->addSeparator();
    addCommand(file, "quit", tr("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), [] {
        if (auto* application = pf::Application::instance())
            application->terminate();
    });

    auto* edit = menuBar_->addMenu(tr("&Edit"));
    // An in-place text edit ends first (its undo group closes, and the edit becomes the step undone); then
    // through the application, which keeps the canvas's tool and selection right across the step.
    const auto routed = [this](std::function<void()> perform) {
        if (Canvas* canvas = canvasView())
            canvas->stopEditingText();
        if (Application* application = Application::instance())
            application->routeUndo(perform);
        else
            perform();
    };
    addCommand(edit, "undo", tr("Undo"), QKeySequence::Undo, [this, routed] {
        routed([this] {
            if (pf::UndoManager* undo = windowUndoManager())
                undo->undo();
        });
    });
    addCommand(edit, "redo", tr("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this, routed] {
        routed([this] {
            if (pf::UndoManager* undo = windowUndoManager())
                undo->redo();
        });
    });
    edit->addSeparator();
    for (const auto& [command, title, keys] :
         {std::tuple{"cut", tr("Cut"), QKeySequence(QKeySequence::Cut)},
          std::tuple{"copy", tr("Copy"), QKeySequence(QKeySequence::Copy)},
          std::tuple{"paste", tr("Paste"), QKeySequence(QKeySequence::Paste)}})
        addCommand(edit, command, title, keys, [action = QString::fromLatin1(command) + u':'] { pf::sendAction(action); });
    addCommand(edit, "delete", tr("Delete"), QKeySequence(), [this] {
        if (Canvas* canvas = canvasView(); canvas && canvas->canRemove())
            canvas->removeSelection();
    });
    addCommand(edit, "selectAll", tr("Select All"), QKeySequence::SelectAll,
               [] { pf::sendAction(QStringLiteral("selectAll:")); });
    edit->addSeparator();
    // The desktop keeps an application's settings under its Edit menu.
    addCommand(edit, "showPreferencesPanel", tr("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
               [] { OAPreferenceController::sharedPreferenceController().showPreferencesPanel(); });

    auto* view = menuBar_->addMenu(tr("&View"));
    const std::tuple<const char*, QString, void (CanvasWindowController::*)()> toggles[] = {
        {"toggleTabs", tr("Pages"), &CanvasWindowController::toggleTabsPalette},
        {"toggleLibrary", tr("Library"), &CanvasWindowController::toggleLibraryPalette},
        {"toggleOutline", tr("Outline"), &CanvasWindowController::toggleOutlinePalette},
        {"toggleInspector", tr("Inspector"), &CanvasWindowController::toggleInspectorPalette},
    };
    for (const auto& [command, title, toggle] : toggles)
        addCommand(view, command, title, QKeySequence(), [this, toggle] { (this->*toggle)(); })->setCheckable(true);
    buildEditingMenus(edit, view);
    buildApplicationMenus(view);

    for (QMenu* menu : {file, edit, view})
        validateWhileShown(menu);
    window->setMenuBar(menuBar_);
}

void AppWindowController::validateWhileShown(QMenu* menu)
{
    // Items are checked while their menu shows; their keys stay live (each command checks for itself).
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { validateMenuItems(); });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [this] {
        for (const auto& [command, action] : actions_)
            action->setEnabled(true);
    });
}

void AppWindowController::validateMenuItems()
{
    pf::Document* document = TKMainWindowController::document();
    pf::UndoManager* undo = windowUndoManager();
    if (QAction* a = menuAction("revert"))
        a->setEnabled(document && document->canRevert() && document->isDocumentEdited());
    Canvas* editing = canvasView();
    if (editing && !editing->isEditingText())
        editing = nullptr;
    if (QAction* a = menuAction("undo")) {
        // An in-place edit is undoable once it ends, which Undo does first.
        a->setEnabled(undo && (undo->canUndo() || editing));
        a->setText(undo ? undo->undoMenuItemTitle() : tr("Undo"));
    }
    if (QAction* a = menuAction("redo")) {
        a->setEnabled(undo && undo->canRedo());
        a->setText(undo ? undo->redoMenuItemTitle() : tr("Redo"));
    }
    for (const char* command : {"cut", "copy", "paste", "selectAll"})
        if (QAction* a = menuAction(command))
            a->setEnabled(pf::MenuItem(QString(), QString::fromLatin1(command) + u':').isEnabledNow());
    for (const auto& [name, item] : chainItems_)
        if (QAction* a = menuAction(name))
            a->setEnabled(item.isEnabledNow());
    if (QAction* a = menuAction("exportSelection")) {
        auto* appDocument = dynamic_cast<Document*>(document);
        a->setEnabled(appDocument && appDocument->canExportSelection());
    }
    if (QAction* a = menuAction("delete")) {
        Canvas* canvas = canvasView();
        a->setEnabled(canvas && canvas->canRemove());
    }
    const std::pair<const char*, bool> states[] = {
        {"toggleTabs", isTabsPaletteVisible()},
        {"toggleLibrary", isLibraryPaletteVisible()},
        {"toggleOutline", isOutlinePaletteVisible()},
        {"toggleInspector", isInspectorPaletteVisible()},
    };
    for (const auto& [command, on] : states)
        if (QAction* a = menuAction(command))
            a->setChecked(on);
}
