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
#include <QPointer>

#include <map>

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

QAction* AppWindowController::addApplicationCommand(QMenu* menu, const QString& command, const QString& title,
                                                    const QKeySequence& keys, std::function<void()> run)
{
    // One action per process for every window's menu: its keys then act from any window, and two document
    // windows do not make them ambiguous.
    static std::map<QString, QPointer<QAction>> shared;
    QPointer<QAction>& action = shared[command];
    if (!action) {
        action = new QAction(title, qApp);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, action, [run = std::move(run)] { run(); });
        pf::Window::addApplicationAction(action);
    }
    menu->addAction(action);
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
    addApplicationCommand(file, "new", tr("New"), QKeySequence::New, [] {
        if (auto* controller = pf::DocumentController::shared()) {
            QString error;
            if (!controller->newDocument(&error) && !error.isEmpty())
                pf::runAlert({tr("A new document could not be made."), error, {}});
        }
    });
    addApplicationCommand(file, "open", tr("Open…"), QKeySequence::Open, [] {
        if (auto* controller = pf::DocumentController::shared())
            controller->openDocument();
    });
    file->addSeparator();
    addCommand(file, "close", tr("Close"), QKeySequence::Close, [this] { performClose(); });
    addCommand(file, "save", tr("Save"), QKeySequence::Save, [this] {
        // In the background: a large document is written while the window stays with the user.
        if (pf::Document* document = TKMainWindowController::document())
            document->saveDocument(pf::Document::SaveMode::Background);
    });
    addCommand(file, "saveAs", tr("Save As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] {
        if (pf::Document* document = TKMainWindowController::document())
            document->saveDocumentAs(pf::Document::SaveMode::Background);
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
    addApplicationCommand(file, "quit", tr("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), [] {
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
    addApplicationCommand(edit, "showPreferencesPanel", tr("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
                          [] { OAPreferenceController::sharedPreferenceController().showPreferencesPanel(); });

    auto* view = menuBar_->addMenu(tr("&View"));
    // Each palette item says what it does now: "Hide Library Palette" or "Show Library Palette".
    const std::tuple<const char*, std::int64_t, void (CanvasWindowController::*)()> toggles[] = {
        {"toggleTabs", validationTag::TabsPalette, &CanvasWindowController::toggleTabsPalette},
        {"toggleLibrary", validationTag::LibraryPalette, &CanvasWindowController::toggleLibraryPalette},
        {"toggleOutline", validationTag::OutlinePalette, &CanvasWindowController::toggleOutlinePalette},
        {"toggleInspector", validationTag::InspectorPalette, &CanvasWindowController::toggleInspectorPalette},
    };
    for (const auto& [command, tag, toggle] : toggles)
        addCommand(view, command, paletteItemTitle(tag).value_or(QString()), QKeySequence(),
                   [this, toggle] { (this->*toggle)(); })
            ->setData(qlonglong(tag));
    buildEditingMenus(edit, view);
    buildApplicationMenus(view);
    // The window validates the canvas's commands by tag too (nothing during a full-screen transition).
    const std::pair<const char*, std::int64_t> tags[] = {
        {"selectNone:", 447},
        {"duplicate:", 547},
        {"group:", 647},
        {"ungroup:", 747},
        {"unlock:", 767},
        {"bringToFront:", 847},
        {"sendToBack:", 947},
        {"alignShapesLeft:", 1047},
        {"alignShapesCenterVertical:", 1147},
        {"alignShapesRight:", 1247},
        {"alignShapesTop:", 1347},
        {"alignShapesCenterHorizontal:", 1447},
        {"alignShapesBottom:", 1547},
        {"copyStyle:", 2047},
        {"pasteStyle:", 2147},
    };
    for (const auto& [action, tag] : tags)
        if (const auto it = chainItems_.find(QString::fromLatin1(action)); it != chainItems_.end())
            it->second.setTag(tag);

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
        if (QAction* a = menuAction(name)) {
            // The window's validation by tag holds wherever the keyboard is (the canvas answers the
            // commands itself while it has the keys).
            bool handled = false;
            const bool byTag = validateUIItem(item.tag(), handled);
            a->setEnabled((!handled || byTag) && item.isEnabledNow());
        }
    if (QAction* a = menuAction("removeImages:"))
        if (Canvas* canvas = canvasView())
            if (const char* title = Canvas::removeImagesTitle(canvas->selectedPictureCount()))
                a->setText(tr(title));
    if (QAction* a = menuAction("exportSelection")) {
        auto* appDocument = dynamic_cast<Document*>(document);
        a->setEnabled(appDocument && appDocument->canExportSelection());
    }
    if (QAction* a = menuAction("delete")) {
        Canvas* canvas = canvasView();
        a->setEnabled(canvas && canvas->canRemove());
    }
    for (const char* command : {"toggleTabs", "toggleLibrary", "toggleOutline", "toggleInspector"})
        if (QAction* a = menuAction(command))
            if (const auto title = paletteItemTitle(a->data().toLongLong()))
                a->setText(*title);
}
