// Every command of the document window reaches its receiver the way a user's menu item, key or toolbar
// item sends it: along the responder chain from wherever the keyboard is in the window.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "canvas/Canvas.h"
#include "canvas/CanvasViewController.h"
#include "platform/kit/ScrollView.h"
#include "model/Composition.h"
#include "model/Guide.h"
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowToolbar.h"
#include "shell/QVViewController.h"
#include "shell/TKTabsList.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class CommandRouteTest : public PalettedDocumentWindowFixture {
protected:
    void SetUp() override
    {
        PalettedDocumentWindowFixture::SetUp();
        window = openFixtureWindow().second;
        ASSERT_NE(window, nullptr);
        QWidget* top = window->windowWidget();
        top->show();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        window->window()->becomeMainWindow();
        window->window()->becomeKeyWindow();
        focusCanvas();
    }

    void focusCanvas()
    {
        window->window()->makeFirstResponder(window->canvasView());
        ASSERT_EQ(QApplication::focusWidget(), window->canvasView());
    }

    // A text field of a palette: the library's search field.
    QLineEdit* paletteField() const
    {
        for (QLineEdit* field : window->windowWidget()->findChildren<QLineEdit*>())
            if (field->isVisible() && window->libraryView() && window->libraryView()->isAncestorOf(field))
                return field;
        return nullptr;
    }

    // The menu bar's item that runs a command, looked for in the menus the user sees.
    QAction* visibleMenuItem(const QString& command) const
    {
        QAction* action = window->menuAction(command);
        if (!action)
            return nullptr;
        std::vector<QMenu*> menus;
        for (QAction* top : window->mainMenu()->actions())
            if (top->menu())
                menus.push_back(top->menu());
        for (std::size_t i = 0; i < menus.size(); ++i)
            for (QAction* a : menus[i]->actions()) {
                if (a == action)
                    return action;
                if (a->menu())
                    menus.push_back(a->menu());
            }
        return nullptr;
    }

    // The menus that hold an item, from the menu bar's down to its own.
    static std::vector<QMenu*> menusHolding(QAction* action)
    {
        std::vector<QMenu*> menus;
        for (QAction* a = action; a;) {
            QMenu* holder = nullptr;
            for (QObject* object : a->associatedObjects())
                if (auto* menu = qobject_cast<QMenu*>(object))
                    holder = menu;
            if (!holder)
                break;
            menus.insert(menus.begin(), holder);
            a = holder->menuAction();
        }
        return menus;
    }

    // The menu item as its menu shows it once opened (validated, titled).
    QAction* shownMenuItem(const QString& command) const
    {
        QAction* action = visibleMenuItem(command);
        EXPECT_NE(action, nullptr) << command.toStdString();
        if (action)
            for (QMenu* menu : menusHolding(action))
                emit menu->aboutToShow();
        return action;
    }

    // Whether the item shows enabled; its menus then close, which leaves its key live again.
    bool shownEnabled(const QString& command) const
    {
        QAction* action = shownMenuItem(command);
        const bool enabled = action && action->isEnabled();
        if (action)
            for (QMenu* menu : menusHolding(action))
                emit menu->aboutToHide();
        return enabled;
    }

    AppWindowController* window = nullptr;
};

} // namespace

TEST_F(CommandRouteTest, EveryRegisteredActionHasAWayInAndChainCommandsReachTheirReceiverFromAnywhereInTheWindow)
{
    // How a user sends each action. A menu command names the window's menu item; the others say where
    // the control that carries the action (with its own target) lives.
    struct Route {
        const char* action;
        const char* menuCommand;
        const char* otherWayIn;
    };
    const Route routes[] = {
        // Menu items that send their action along the chain.
        {"duplicate:", "duplicate:", nullptr}, {"selectNone:", "selectNone:", nullptr},
        {"copyStyle:", "copyStyle:", nullptr}, {"pasteStyle:", "pasteStyle:", nullptr},
        {"editText:", "editText:", nullptr}, {"resizeCanvasToFitSelection:", "resizeCanvasToFitSelection:", nullptr},
        {"clearGuides:", "clearGuides:", nullptr}, {"searchLibrary:", "searchLibrary:", nullptr},
        {"bringToFront:", "bringToFront:", nullptr}, {"sendToBack:", "sendToBack:", nullptr},
        {"group:", "group:", nullptr}, {"ungroup:", "ungroup:", nullptr},
        {"lock:", "lock:", nullptr}, {"unlock:", "unlock:", nullptr},
        {"hide:", "hide:", nullptr}, {"unhide:", "unhide:", nullptr},
        {"alignShapesLeft:", "alignShapesLeft:", nullptr}, {"alignShapesCenterVertical:", "alignShapesCenterVertical:", nullptr},
        {"alignShapesRight:", "alignShapesRight:", nullptr}, {"alignShapesTop:", "alignShapesTop:", nullptr},
        {"alignShapesCenterHorizontal:", "alignShapesCenterHorizontal:", nullptr}, {"alignShapesBottom:", "alignShapesBottom:", nullptr},
        {"evenlyDistributeShapesHorizontal:", "evenlyDistributeShapesHorizontal:", nullptr}, {"evenlyDistributeShapesVertical:", "evenlyDistributeShapesVertical:", nullptr},
        {"alignShapesToGrid:", "alignShapesToGrid:", nullptr}, {"nudgeUp:", "nudgeUp:", nullptr},
        {"nudgeDown:", "nudgeDown:", nullptr}, {"nudgeLeft:", "nudgeLeft:", nullptr},
        {"nudgeRight:", "nudgeRight:", nullptr}, {"jumpUp:", "jumpUp:", nullptr},
        {"jumpDown:", "jumpDown:", nullptr}, {"jumpLeft:", "jumpLeft:", nullptr},
        {"jumpRight:", "jumpRight:", nullptr}, {"selectShapeUp:", "selectShapeUp:", nullptr},
        {"selectShapeDown:", "selectShapeDown:", nullptr}, {"selectShapeLeft:", "selectShapeLeft:", nullptr},
        {"selectShapeRight:", "selectShapeRight:", nullptr}, {"union:", "union:", nullptr},
        {"intersection:", "intersection:", nullptr}, {"difference:", "difference:", nullptr},
        {"exclusion:", "exclusion:", nullptr}, {"invert:", "invert:", nullptr},
        {"flipHorizontal:", "flipHorizontal:", nullptr}, {"flipVertical:", "flipVertical:", nullptr},
        {"combineShapes:", "combineShapes:", nullptr}, {"closePath:", "closePath:", nullptr},
        {"reversePath:", "reversePath:", nullptr}, {"convertToBezier:", "convertToBezier:", nullptr},
        {"sizeToFitText:", "sizeToFitText:", nullptr}, {"removeImages:", "removeImages:", nullptr},
        {"zoomCanvasIn:", "zoomCanvasIn:", nullptr},
        {"zoomCanvasOut:", "zoomCanvasOut:", nullptr}, {"zoomCanvasToActualSize:", "zoomCanvasToActualSize:", nullptr},
        {"zoomCanvasToFit:", "zoomCanvasToFit:", nullptr}, {"editMetrics:", "editMetrics:", nullptr},
        {"toggleToolbarShown:", "toggleToolbarShown:", nullptr}, {"newTab:", "newTab:", nullptr},
        {"newBackgroundTab:", "newBackgroundTab:", nullptr}, {"duplicateTab:", "duplicateTab:", nullptr},
        {"selectNextTab:", "selectNextTab:", nullptr}, {"selectPreviousTab:", "selectPreviousTab:", nullptr},
        {"closeOtherTabs:", "closeOtherTabs:", nullptr}, {"takeTabIndexToMoveToNewWindowFrom:", "takeTabIndexToMoveToNewWindowFrom:", nullptr},
        // Menu items of the window's own commands, which act on the window or the application.
        {"cut:", "cut", nullptr}, {"copy:", "copy", nullptr}, {"paste:", "paste", nullptr},
        {"selectAll:", "selectAll", nullptr}, {"remove:", "delete", nullptr},
        {"toggleTabsPalette:", "toggleTabs", nullptr}, {"toggleLibraryPalette:", "toggleLibrary", nullptr},
        {"toggleOutlinePalette:", "toggleOutline", nullptr}, {"toggleInspectorPalette:", "toggleInspector", nullptr},
        {"toggleGridEnabled:", "toggleGridEnabled", nullptr}, {"changeGridTolerance:", "changeGridTolerance8", nullptr},
        // Controls that carry their target.
        {"shareOptions:", nullptr, "toolbar Share"},
        {"share:", nullptr, "the share menu"},
        {"shareExport:", nullptr, "the share menu"},
        {"shareExportSelection:", nullptr, "the share menu"},
        {"changeZoomScale:", nullptr, "the status bar's zoom pop-up"},
        {"changeRulerOriginCorner:", nullptr, "the rulers' context menu"},
        {"changeRulerUnitType:", nullptr, "the rulers' context menu"},
        {"changeFont:", nullptr, "the font panel"},
        {"browseForImage:", nullptr, "the canvas's context menu"},
        {"selectShape:", nullptr, "the canvas's context menu"},
        // These act at the point the context menu was opened.
        {"slicePath:", nullptr, "the canvas's context menu"},
        {"insertPoint:", nullptr, "the canvas's context menu"},
        {"removePoint:", nullptr, "the canvas's context menu"},
        {"takeTabIndexToCloseFrom:", nullptr, "a tab's context menu"},
        {"takeTabIndexToDuplicateFrom:", nullptr, "a tab's context menu"},
        {"takeTabIndexToEditTitleFrom:", nullptr, "a tab's context menu"},
        {"closeTab:", nullptr, "a tab's close button"},
        {"overflowTabSelected:", nullptr, "the tab strip's overflow menu"},
        {"orderOutConfirmTabCloseSheet:", nullptr, "the tab-close sheet's buttons"},
    };

    // Who registers what: the window, its controller and its views and palettes.
    std::map<QString, std::set<pf::Responder*>> registered;
    const auto collect = [&](pf::Responder* responder) {
        if (responder)
            for (const QString& name : responder->actionNames())
                registered[name].insert(responder);
    };
    collect(window);
    collect(dynamic_cast<pf::Responder*>(window->windowWidget()));
    for (QWidget* widget : window->windowWidget()->findChildren<QWidget*>())
        collect(dynamic_cast<pf::Responder*>(widget));
    collect(dynamic_cast<pf::Responder*>(window->canvasViewController()));
    collect(dynamic_cast<pf::Responder*>(window->inspectorViewController()));
    collect(dynamic_cast<pf::Responder*>(window->outlinePaletteController()));
    collect(dynamic_cast<pf::Responder*>(window->tabsListViewController()));
    for (pf::Responder* responder : pf::responderChain())
        collect(responder);

    std::map<QString, const Route*> table;
    for (const Route& route : routes)
        table[QString::fromLatin1(route.action)] = &route;
    QStringList unrouted;
    for (const auto& [name, owners] : registered)
        if (!table.count(name))
            unrouted << name;
    EXPECT_TRUE(unrouted.isEmpty()) << "actions without a way in: " << unrouted.join(' ').toStdString();

    QLineEdit* field = paletteField();
    ASSERT_NE(field, nullptr);
    for (const Route& route : routes) {
        const QString action = QString::fromLatin1(route.action);
        SCOPED_TRACE(route.action);
        EXPECT_TRUE(registered.count(action)) << "no receiver registers it";
        if (!route.menuCommand) {
            const QString way = QString::fromLatin1(route.otherWayIn);
            if (way.startsWith("toolbar ")) {
                const ToolbarItem* item = window->canvasToolbar()->itemWithIdentifier(way.mid(8));
                ASSERT_NE(item, nullptr);
                EXPECT_EQ(item->action(), action);
            }
            continue;
        }
        EXPECT_NE(visibleMenuItem(QString::fromLatin1(route.menuCommand)), nullptr) << "no menu item";
        // The chain from the canvas and from a palette's field finds the receiver, or the window that
        // hands the command to the canvas.
        for (QWidget* first : {static_cast<QWidget*>(window->canvasView()), static_cast<QWidget*>(field)}) {
            window->window()->makeFirstResponder(first);
            ASSERT_EQ(QApplication::focusWidget(), first);
            pf::Responder* target = pf::targetForAction(action);
            const bool reaches = target && (registered[action].count(target) != 0);
            EXPECT_TRUE(reaches) << (first == field ? "from the palette field" : "from the canvas");
        }
    }
}

TEST_F(CommandRouteTest, TheShareToolbarItemOpensTheShareMenuForThePageOrTheSelection)
{
    ToolbarItem* share = window->canvasToolbar()->itemWithIdentifier("Share");
    ASSERT_NE(share, nullptr);
    std::vector<QStringList> shown;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu& menu, pf::Point) {
        QStringList titles;
        for (QAction* action : menu.actions()) {
            titles << action->text();
            if (action->menu())
                for (QAction* type : action->menu()->actions())
                    titles << "  " + type->text();
        }
        shown.push_back(titles);
    });
    Canvas& canvas = *window->canvasView();
    canvas.selectNone();
    share->qAction()->trigger();
    pf::drainMainQueue();
    canvas.selectAll();
    share->qAction()->trigger();
    pf::drainMainQueue();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], (QStringList{"Export…", "  PNG", "  JPG", "  PDF", "  GIF", "  TIFF"}));
    EXPECT_EQ(shown[1], (QStringList{"Export Selection…", "  PNG", "  JPG", "  GIF", "  TIFF"}));
}

TEST_F(CommandRouteTest, PageKeysStepThroughThePagesAndCtrlFSearchesTheLibrary)
{
    ASSERT_EQ(window->numberOfTabs(), 2u);
    window->setSelectedTabIndex(0);
    const struct {
        Qt::Key key;
        std::size_t selected;
    } steps[] = {{Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 0}, {Qt::Key_PageUp, 1}, {Qt::Key_PageUp, 0}};
    for (const auto& step : steps) {
        focusCanvas();
        QTest::keyClick(window->canvasView(), step.key, Qt::ControlModifier);
        EXPECT_EQ(window->selectedTabIndex(), step.selected) << (step.key == Qt::Key_PageDown ? "down" : "up");
        EXPECT_EQ(window->canvasView()->composition(), window->selectedComposition());
    }

    // From the canvas, Ctrl+F takes the keys to the library's search field.
    focusCanvas();
    QTest::keyClick(window->canvasView(), Qt::Key_F, Qt::ControlModifier);
    pf::drainMainQueue();
    QLineEdit* field = paletteField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), field);
}

TEST_F(CommandRouteTest, MenusEnableACommandOnlyWhenItWouldAct)
{
    Canvas& canvas = *window->canvasView();
    focusCanvas();
    canvas.selectNone();
    EXPECT_FALSE(shownEnabled("convertToBezier:")) << "nothing to convert";
    for (const char* move : {"nudgeUp:", "jumpRight:"})
        EXPECT_FALSE(shownEnabled(QString::fromLatin1(move))) << move << ": nothing to move";

    // Clear Guides only while the page has guides of the user's.
    Composition& page = *window->selectedComposition();
    page.setUserGuides({});
    EXPECT_FALSE(shownEnabled("clearGuides:"));
    page.setUserGuides({Guide::make(&page, Guide::UserGuide, pf::Point(0, 40), pf::Point(800, 40))});
    QAction* clear = shownMenuItem("clearGuides:");
    ASSERT_TRUE(clear && clear->isEnabled());
    clear->trigger();
    EXPECT_TRUE(page.userGuides().empty());
    EXPECT_FALSE(shownEnabled("clearGuides:"));

    canvas.selectAll();
    for (const char* move : {"nudgeUp:", "jumpRight:"})
        EXPECT_TRUE(shownEnabled(QString::fromLatin1(move))) << move;
    const bool anyConvertible = canvas.canConvertToBezier();
    EXPECT_EQ(shownEnabled("convertToBezier:"), anyConvertible);

    const struct {
        const char* what;
        QString type;
        QByteArray bytes;
        bool enabled;
    } clips[] = {
        {"plain text", "public.utf8-plain-text", "hello", false},
        {"a picture", pf::PasteboardType::png, QByteArray::fromBase64(
             "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="), true},
    };
    for (const auto& clip : clips) {
        QMimeData* data = new QMimeData;
        if (clip.type.startsWith("public.utf8"))
            data->setText(QString::fromUtf8(clip.bytes));
        else
            data->setData(pf::mimeTypeForPasteboardType(clip.type), clip.bytes);
        QApplication::clipboard()->setMimeData(data);
        EXPECT_EQ(shownEnabled("paste"), clip.enabled) << clip.what;
    }
}

TEST_F(CommandRouteTest, UnhideAndRemoveImagesAreOfferedOnlyForASelectionTheyWouldChange)
{
    Canvas& canvas = *window->canvasView();
    focusCanvas();
    canvas.selectAll();
    ASSERT_EQ(canvas.selectedShapes().size(), 1u);
    const std::shared_ptr<Shape> first = canvas.selectedShapes().front();
    ASSERT_FALSE(first->imageIdentifier().isNull()) << "the fixture's rectangle carries a picture";
    pf::sendAction(QStringLiteral("duplicate:"));
    ASSERT_EQ(canvas.selectedShapes().size(), 1u);
    const std::shared_ptr<Shape> second = canvas.selectedShapes().front();
    ASSERT_NE(second, first);
    ASSERT_FALSE(second->imageIdentifier().isNull());
    const auto choose = [&](const char* command) {
        QAction* item = shownMenuItem(QString::fromLatin1(command));
        ASSERT_TRUE(item && item->isEnabled()) << command;
        item->trigger();
    };

    const struct {
        const char* what;
        Canvas::Shapes selection;
        bool hideFirst, lockSecond;
        bool unhide;
        const char* removeTitle; // nullptr: disabled
    } cases[] = {
        {"nothing selected", {}, false, false, false, nullptr},
        {"two pictures on show", {first, second}, false, false, false, "Remove Images"},
        {"one hidden picture", {first}, true, false, true, "Remove Image"},
        {"a hidden picture beside a shown one", {first, second}, true, false, true, "Remove Images"},
        {"a locked shape among them", {first, second}, true, true, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        canvas.selectNone();
        first->setHidden(c.hideFirst);
        second->setLocked(c.lockSecond);
        canvas.addShapesToSelection(c.selection);
        EXPECT_EQ(shownMenuItem("unhide:")->text(), "Unhide");
        EXPECT_EQ(shownEnabled("unhide:"), c.unhide);
        EXPECT_EQ(shownEnabled("removeImages:"), c.removeTitle != nullptr);
        if (c.removeTitle) {
            EXPECT_EQ(shownMenuItem("removeImages:")->text(), c.removeTitle);
        }
    }

    // Hide and Unhide from the Arrange menu, Remove Images from the Shape menu, each acting on the selection.
    second->setLocked(false);
    first->setHidden(false);
    canvas.selectNone();
    canvas.addShapesToSelection({first, second});
    choose("hide:");
    EXPECT_TRUE(first->isHidden() && second->isHidden());
    choose("unhide:");
    EXPECT_FALSE(first->isHidden() || second->isHidden());
    EXPECT_FALSE(shownEnabled("unhide:"));
    choose("removeImages:");
    EXPECT_TRUE(first->imageIdentifier().isNull() && second->imageIdentifier().isNull());
    EXPECT_FALSE(shownEnabled("removeImages:")) << "nothing left to remove";
}

TEST_F(CommandRouteTest, ThePageCommandsThatNeedAnotherPageAreOfferedOnlyWhileThereIsOne)
{
    const char* const needOthers[] = {"selectNextTab:", "selectPreviousTab:", "closeOtherTabs:",
                                      "takeTabIndexToMoveToNewWindowFrom:"};
    ASSERT_EQ(window->numberOfTabs(), 2u);
    focusCanvas();
    for (const char* command : needOthers)
        EXPECT_TRUE(shownEnabled(QString::fromLatin1(command))) << command;

    QAction* closeOthers = shownMenuItem("closeOtherTabs:");
    ASSERT_NE(closeOthers, nullptr);
    closeOthers->trigger();
    ASSERT_EQ(window->numberOfTabs(), 1u);
    for (const char* command : needOthers)
        EXPECT_FALSE(shownEnabled(QString::fromLatin1(command))) << command;
    EXPECT_TRUE(shownEnabled("newTab:"));

    // The key of a command that would do nothing says so.
    int beeps = 0;
    pf::ScopedBeepSink beep([&] { ++beeps; });
    focusCanvas();
    QTest::keyClick(window->canvasView(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(window->selectedTabIndex(), 0u);
}
