// The document window with a real document: pages handed over as tabs, undoable page operations, the
// layout's regions and palettes following the settings, scroll centres per page, the restorable state,
// the bezier hint, the tool keys, and centring on a screen.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "app/OAPreferenceController.h"
#include "app/PreferencePanes.h"
#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"
#include "canvas/CanvasViewController.h"
#include "canvas/MouseStrategy.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "model/UserDefaults.h"
#include "palettes/InspectorViewController.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowContainerView.h"
#include "shell/IDEUberViewSplitView.h"
#include "shell/QVBar.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "shell/TKTabListItem.h"
#include "shell/TKTabsListViewController.h"
#include "kit/KitTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class DocumentWindowTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        package = copyFixturePackage();
    }

    // The fixture's two pages ("Home", "Settings") in a loaded window.
    AppWindowController& openFixture()
    {
        QString error;
        auto document = controller.openDocumentAtPath(package, &error);
        EXPECT_TRUE(document) << error.toStdString();
        pf::drainMainQueue();
        return windowOf(*document);
    }

    // The fixture with the tab strip shown above the canvas, in an active window of 1000 x 700.
    AppWindowController& openFixtureWithTabsOnTop()
    {
        UserDefaults::instance().setTabsPlacedOnTop(true);
        UserDefaults::instance().setTabsPaletteVisible(true);
        AppWindowController& window = openFixture();
        EXPECT_TRUE(showActive(window));
        window.windowWidget()->resize(1000, 700);
        pf::drainMainQueue();
        return window;
    }

    // Shown and made the active window (menus validate along the active window's responder chain).
    static bool showActive(AppWindowController& window)
    {
        QWidget* top = window.windowWidget();
        top->show();
        top->activateWindow();
        return QTest::qWaitForWindowActive(top);
    }

    static AppWindowController& windowOf(pf::Document& document)
    {
        auto& app = static_cast<Document&>(document);
        return *static_cast<AppWindowController*>(app.canvasWindowController().get());
    }

    static QStringList titles(const CanvasWindowController& window)
    {
        QStringList out;
        for (const auto& model : window.tabModels())
            out << model->title();
        return out;
    }

    QString package;
};

TEST_F(DocumentWindowTest, OpeningHandsThePagesOverWithTheCanvasOnTheFirstAndNothingToUndo)
{
    AppWindowController& window = openFixture();
    ASSERT_TRUE(window.isInitialized());
    EXPECT_EQ(titles(window), (QStringList{"Home", "Settings"}));
    EXPECT_EQ(window.selectedTabIndex(), 0u);
    ASSERT_NE(window.canvasView(), nullptr);
    EXPECT_EQ(window.canvasView()->composition(), window.selectedComposition());
    EXPECT_EQ(window.canvasViewController()->composition(), window.selectedComposition());
    for (const auto& model : window.tabModels())
        EXPECT_EQ(std::dynamic_pointer_cast<Composition>(model->representedObject())->compositionDelegate(),
                  window.canvasViewController());
    ASSERT_NE(window.windowUndoManager(), nullptr);
    EXPECT_FALSE(window.windowUndoManager()->canUndo());
    EXPECT_FALSE(window.TKMainWindowController::document()->isDocumentEdited());
    // The window's layout: the outer layout above the status bar, the canvas in the inner middle.
    EXPECT_EQ(window.outerUberView()->midView(), window.innerUberView());
    EXPECT_EQ(window.innerUberView()->midView(), static_cast<QWidget*>(window.canvasViewController()->view()));
    EXPECT_EQ(window.windowContainerView()->uberView(), window.outerUberView());
}

TEST_F(DocumentWindowTest, PagesAreAddedRemovedReorderedAndUndoneByName)
{
    AppWindowController& window = openFixture();
    pf::UndoManager& undo = *window.windowUndoManager();
    undo.setGroupsByEvent(false);

    window.addTabModelAtIndex(2);
    EXPECT_EQ(titles(window), (QStringList{"Home", "Settings", "Page 3"}));
    EXPECT_EQ(undo.undoActionName(), "Add Page");
    window.addTabModelAtIndex(3);
    EXPECT_EQ(titles(window).last(), "Page 4");
    auto added = window.selectedComposition();
    EXPECT_EQ(added->compositionDelegate(), window.canvasViewController());

    // Removing a page clears its delegate; undoing puts it back at its index, selected.
    window.removeTabModelAtIndex(1);
    EXPECT_EQ(titles(window), (QStringList{"Home", "Page 3", "Page 4"}));
    EXPECT_EQ(undo.undoActionName(), "Remove Page");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titles(window), (QStringList{"Home", "Settings", "Page 3", "Page 4"}));
    EXPECT_EQ(window.selectedTabIndex(), 1u);
    EXPECT_EQ(window.canvasView()->composition(), window.selectedComposition());
    EXPECT_EQ(window.selectedComposition()->compositionDelegate(), window.canvasViewController());

    window.swapTabModelsAtIndex(0, 3);
    EXPECT_EQ(undo.undoActionName(), "Reorder Page");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titles(window), (QStringList{"Home", "Settings", "Page 3", "Page 4"}));

    // Undoing the addition removes it again.
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titles(window), (QStringList{"Home", "Settings"}));
    EXPECT_EQ(added->compositionDelegate(), nullptr);

    // The context menu names the page and carries the index.
    auto menu = window.contextMenuForTabModelAtIndex(1);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items().size(), 4u);
    EXPECT_EQ(menu->items()[0].title(), "Remove Page");
    EXPECT_EQ(menu->items()[2].title(), "Edit Title");
    EXPECT_EQ(menu->items()[3].title(), "Duplicate Page");
    EXPECT_EQ(menu->items()[3].tag(), 1);
}

// The words drawn in a tab's title band: pixels that stand out from the band's own background.
int titleInk(TKTabListItem& item)
{
    const QImage picture = item.grab().toImage();
    const double ratio = picture.devicePixelRatio();
    const QRect band(int(4 * ratio), int(5 * ratio), picture.width() - int(8 * ratio), int(10 * ratio));
    const QColor background = picture.pixelColor(band.topLeft());
    int ink = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            ink += std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                           std::abs(c.blue() - background.blue()) > 150;
        }
    return ink;
}

// Pages added with "+", renamed in place, duplicated from the tab's menu and undone and redone from the
// Edit menu: each tab draws its page's title at once, and each step is offered back by its own name.
TEST_F(DocumentWindowTest, TabsDrawEachTitleAtOnceAndEachPageStepIsUndoneAndRedoneByItsName)
{
    AppWindowController& window = openFixtureWithTabsOnTop();
    auto* strip = dynamic_cast<TKTabsListViewController*>(window.tabsListViewController());
    ASSERT_NE(strip, nullptr);
    TKTabsListView* list = strip->listView();
    const auto tab = [&](std::size_t index) { return dynamic_cast<TKTabListItem*>(list->itemAtIndex(index)); };
    const auto editMenu = [&] {
        window.validateMenuItems();
        return QStringList{window.menuAction("undo")->text(), window.menuAction("redo")->text()};
    };
    // Opened, then chosen: the menu validates its items as it opens.
    const auto choose = [&](const char* command) {
        window.validateMenuItems();
        QAction* action = window.menuAction(command);
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
        pf::drainMainQueue();
    };
    const auto expectTab = [&](std::size_t index, const QString& title) {
        SCOPED_TRACE(title.toStdString());
        TKTabListItem* item = tab(index);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->title(), title);
        EXPECT_GT(titleInk(*item), 0) << "the title is drawn";
    };

    // "+" adds Page 3, selected and titled, with no reload in between.
    ASSERT_NE(strip->addButton(), nullptr);
    QTest::mouseClick(strip->addButton(), Qt::LeftButton, {}, strip->addButton()->rect().center());
    ASSERT_EQ(window.numberOfTabs(), 3u);
    expectTab(2, "Page 3");
    EXPECT_EQ(editMenu(), (QStringList{"Undo Add Page", "Redo"}));
    choose("undo");
    EXPECT_EQ(window.numberOfTabs(), 2u);
    EXPECT_EQ(editMenu(), (QStringList{"Undo", "Redo Add Page"}));
    choose("redo");
    EXPECT_EQ(window.numberOfTabs(), 3u);
    expectTab(2, "Page 3");
    EXPECT_EQ(editMenu(), (QStringList{"Undo Add Page", "Redo"}));

    // A double click on the first tab's title renames it in place; Undo puts the old title back on the tab.
    TKTabListItem* home = tab(0);
    ASSERT_NE(home, nullptr);
    const QPoint title = home->mapTo(list, QPoint(home->width() / 2, 9));
    quint64 time = 100000;
    for (int i = 0; i < 2; ++i, time += 50) {
        kittest::sendMouse(*list, QEvent::MouseButtonPress, title, Qt::LeftButton, Qt::LeftButton, time);
        kittest::sendMouse(*list, QEvent::MouseButtonRelease, title, Qt::LeftButton, {}, time + 5);
    }
    ASSERT_NE(strip->fieldEditor(), nullptr);
    strip->fieldEditor()->setText("Start");
    kittest::sendKey(*strip->fieldEditor(), QEvent::KeyPress, Qt::Key_Return);
    pf::drainMainQueue();
    expectTab(0, "Start");
    choose("undo");
    EXPECT_EQ(titles(window).front(), "Home");
    expectTab(0, "Home");
    choose("redo");
    expectTab(0, "Start");

    // Duplicate from the tab's own menu.
    auto menu = window.contextMenuForTabModelAtIndex(1);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items()[3].title(), "Duplicate Page");
    ASSERT_TRUE(menu->items()[3].perform());
    ASSERT_EQ(window.numberOfTabs(), 4u);
    expectTab(2, "Settings (copy)");
    EXPECT_EQ(editMenu(), (QStringList{"Undo Duplicate Page", "Redo"}));
    choose("undo");
    EXPECT_EQ(titles(window), (QStringList{"Start", "Settings", "Page 3"}));
    EXPECT_EQ(editMenu().back(), "Redo Duplicate Page");
    choose("redo");
    expectTab(2, "Settings (copy)");
}

TEST_F(DocumentWindowTest, TabsFollowTheirPlacementInEveryOpenWindow)
{
    UserDefaults::instance().setTabsPlacedOnTop(true);
    UserDefaults::instance().setTabsPaletteVisible(true);
    AppWindowController& first = openFixture();
    auto second = controller.newDocument();
    pf::drainMainQueue();
    AppWindowController& other = windowOf(*second);
    const auto listOf = [](AppWindowController* window) {
        auto* strip = dynamic_cast<TKTabsListViewController*>(window->tabsListViewController());
        return strip ? strip->listView() : nullptr;
    };
    for (AppWindowController* window : {&first, &other}) {
        EXPECT_TRUE(window->innerUberView()->isTopViewOpen());
        EXPECT_EQ(window->innerUberView()->topView(), window->tabsView());
        EXPECT_TRUE(window->isTabsPaletteVisible());
        // The real strip, in the page style, renaming in place, running across above the canvas.
        auto* strip = dynamic_cast<TKTabsListViewController*>(window->tabsListViewController());
        ASSERT_NE(strip, nullptr);
        EXPECT_EQ(window->tabsView(), strip->view());
        EXPECT_NE(strip->listItemStyle(), nullptr);
        EXPECT_TRUE(strip->allowsTabTitleEditing());
        ASSERT_NE(listOf(window), nullptr);
        EXPECT_TRUE(listOf(window)->isLandscape());
        EXPECT_NE(listOf(window)->itemAtIndex(window->tabModels().size() - 1), nullptr);
    }

    UserDefaults::instance().setTabsPlacedOnTop(false);
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(CanvasWindowController::TabsPlacementDidChangeNotification), nullptr);
    for (AppWindowController* window : {&first, &other}) {
        EXPECT_FALSE(window->innerUberView()->isTopViewOpen());
        EXPECT_EQ(window->innerUberView()->topView(), nullptr);
        EXPECT_TRUE(window->outerUberView()->isLeftTopViewOpen());
        EXPECT_EQ(window->outerUberView()->leftTopView(), window->tabsView());
        EXPECT_TRUE(listOf(window)->isPortrait());
    }
}

// Chosen in Preferences › General while windows are open: every region shows what it holds at once, on
// screen, however often the strip and the inspector move.
TEST_F(DocumentWindowTest, PlacementsChosenInPreferencesShowTheStripOutlineAndInspectorAtOnce)
{
    UserDefaults& defaults = UserDefaults::instance();
    defaults.setTabsPlacedOnTop(true);
    defaults.setInspectorPlacedBesideOutline(false);
    defaults.setTabsPaletteVisible(true);
    defaults.setOutlinePaletteVisible(true);
    defaults.setInspectorPaletteVisible(true);
    AppWindowController& first = openFixture();
    auto second = controller.newDocument();
    pf::drainMainQueue();
    AppWindowController& other = windowOf(*second);
    for (AppWindowController* window : {&first, &other})
        window->windowWidget()->show();

    registerPreferencePanes(pf::ClassRegistry::shared());
    for (const auto& [className, description] :
         pf::mainBundleInfoDictionary()["OFRegistrations"]["OAPreferenceController"].asDictionary())
        OAPreferenceController::registerItemName(className, description);
    OAPreferenceController preferences;
    auto* general = dynamic_cast<IDEGeneralPreferences*>(preferences.clientWithIdentifier("General"));
    ASSERT_NE(general, nullptr);
    const auto choose = [](QComboBox* popUp, int tag) {
        const int index = popUp->findData(tag);
        ASSERT_GE(index, 0);
        popUp->setCurrentIndex(index);
        popUp->activated(index);
        pf::drainMainQueue();
    };
    // Shown on screen, with some room, inside the window.
    const auto showing = [](QWidget* view) {
        return view && view->isVisible() && view->width() > 0 && view->height() > 0;
    };

    const struct {
        int tabsTag, inspectorTag;
        bool onTop, beside;
    } steps[] = {{0, 0, false, false}, {0, 1, false, true}, {1, 1, true, true}, {1, 0, true, false},
                 {0, 1, false, true}, {1, 0, true, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "tabs on top " << step.onTop << ", inspector beside " << step.beside);
        choose(general->tabsPopUpButton(), step.tabsTag);
        choose(general->inspectorPopUpButton(), step.inspectorTag);
        for (AppWindowController* window : {&first, &other}) {
            IDEUberView* inner = window->innerUberView();
            IDEUberView* outer = window->outerUberView();
            EXPECT_EQ(step.onTop ? inner->topView() : outer->leftTopView(), window->tabsView());
            EXPECT_TRUE(showing(window->tabsView()));
            auto* strip = dynamic_cast<TKTabsListViewController*>(window->tabsListViewController());
            ASSERT_NE(strip, nullptr);
            EXPECT_TRUE(showing(strip->listView()->itemAtIndex(0)));
            EXPECT_EQ(step.beside ? inner->rightTopView() : outer->rightBottomView(), window->inspectorView());
            EXPECT_TRUE(showing(window->inspectorView()));
            EXPECT_TRUE(showing(window->outlineView()));
            EXPECT_TRUE(showing(static_cast<QWidget*>(window->canvasViewController()->view())));
            // The region left behind is closed, not an empty row or column.
            EXPECT_EQ(inner->isTopViewOpen(), step.onTop);
            EXPECT_EQ(outer->isLeftTopViewOpen(), !step.onTop);
        }
    }
}

TEST_F(DocumentWindowTest, EachPaletteIsOpenExactlyWhenItsSettingSays)
{
    UserDefaults& defaults = UserDefaults::instance();
    struct Case {
        bool library, outline, inspector, beside;
    };
    for (const Case c : {Case{true, true, true, true}, Case{false, true, false, false}, Case{true, false, true, false},
                         Case{false, false, false, true}}) {
        defaults.setLibraryPaletteVisible(c.library);
        defaults.setOutlinePaletteVisible(c.outline);
        defaults.setInspectorPaletteVisible(c.inspector);
        defaults.setInspectorPlacedBesideOutline(c.beside);
        auto document = controller.newDocument();
        pf::drainMainQueue();
        AppWindowController& window = windowOf(*document);
        EXPECT_EQ(window.isLibraryPaletteVisible(), c.library);
        EXPECT_EQ(window.isOutlinePaletteVisible(), c.outline);
        EXPECT_EQ(window.isInspectorPaletteVisible(), c.inspector);
        // The inspector beside the outline sits in the inner layout, else below the outline.
        EXPECT_EQ(window.innerUberView()->rightTopView(), c.beside ? window.inspectorView() : nullptr);
        EXPECT_EQ(window.outerUberView()->rightBottomView(), c.beside ? nullptr : window.inspectorView());
        EXPECT_EQ(window.outerUberView()->rightTopView(), window.outlineView());

        // A toggle flips the palette and stores the new state.
        window.toggleInspectorPalette();
        EXPECT_EQ(window.isInspectorPaletteVisible(), !c.inspector);
        EXPECT_EQ(defaults.isInspectorPaletteVisible(), !c.inspector);
        window.toggleLibraryPalette();
        EXPECT_EQ(defaults.isLibraryPaletteVisible(), !c.library);
        document->close();
        pf::drainMainQueue();
    }
}

// The library's width is what the user sets with its divider: a window squeezed for a moment narrows it,
// growing the window gives it back, and the width chosen is the one kept for the next window.
TEST_F(DocumentWindowTest, AWindowSqueezedForAMomentGivesTheLibraryBackItsChosenWidth)
{
    pf::VirtualClock clock;
    UserDefaults::instance().setLibraryPaletteVisible(true);
    AppWindowController& window = openFixture();
    QWidget* top = window.windowWidget();
    top->show();
    const auto resizeTo = [&](int w, int h) {
        top->resize(w, h);
        QApplication::processEvents();
        pf::drainMainQueue();
        clock.advance(std::chrono::milliseconds(200)); // past the store that follows a burst of resizes
        pf::drainMainQueue();
    };
    resizeTo(1400, 800);
    IDEUberView& inner = *window.innerUberView();
    ASSERT_TRUE(inner.isLeftViewOpen());
    QWidget* library = window.libraryView();
    ASSERT_NE(library, nullptr);

    // Dragged with the mouse to 120.
    auto& columns = *inner.verticalSplitView();
    QWidget& divider = *columns.dividerWidget(0);
    const auto drag = [&](QEvent::Type type, double x, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF local(x - divider.x(), 50);
        QMouseEvent e(type, local, divider.mapToGlobal(local), button, held, {});
        QCoreApplication::sendEvent(&divider, &e);
    };
    const double start = inner.leftSuperview()->frame().width();
    drag(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    drag(QEvent::MouseMove, 120, Qt::NoButton, Qt::LeftButton);
    drag(QEvent::MouseButtonRelease, 120, Qt::LeftButton, Qt::NoButton);
    resizeTo(1400, 800);
    ASSERT_EQ(inner.leftSuperview()->frame().width(), 120);

    resizeTo(250, 300);
    EXPECT_LT(inner.leftSuperview()->frame().width(), 120) << "squeezed while the window is small";
    resizeTo(1400, 800);
    EXPECT_EQ(inner.leftSuperview()->frame().width(), 120);
    EXPECT_EQ(library->width(), 120);
    EXPECT_TRUE(library->isVisible());

    // The next window opens with the chosen width.
    auto [document, next] = newDocumentWindow();
    ASSERT_NE(next, nullptr);
    next->windowWidget()->show();
    next->windowWidget()->resize(1400, 800);
    QApplication::processEvents();
    pf::drainMainQueue();
    EXPECT_EQ(next->innerUberView()->leftSuperview()->frame().width(), 120);
}

TEST_F(DocumentWindowTest, EachPageKeepsItsScrollCentre)
{
    AppWindowController& window = openFixture();
    window.windowWidget()->resize(500, 400);
    pf::drainMainQueue();
    Canvas& canvas = *window.canvasView();
    const auto home = window.selectedComposition();
    canvas.scrollPointToCenter(canvas.convertPointFromComposition(pf::Point(40, 60)));
    const pf::Rect before = canvas.visibleRect();

    window.setSelectedTabIndex(1);
    EXPECT_EQ(canvas.composition(), window.selectedComposition());
    window.setSelectedTabIndex(0);
    EXPECT_EQ(canvas.composition(), home);
    const pf::Rect after = canvas.visibleRect();
    const double tolerance = 1e-9 * std::max(1.0, std::abs(before.origin.x) + std::abs(before.origin.y));
    EXPECT_NEAR(after.origin.x, before.origin.x, 1 + tolerance);
    EXPECT_NEAR(after.origin.y, before.origin.y, 1 + tolerance);
}

TEST_F(DocumentWindowTest, TheSelectedPageAndFrameAreRestoredOnReopenAndBadValuesAreIgnored)
{
    const pf::Rect left(30, 40, 600, 400);
    {
        AppWindowController& window = openFixture();
        window.setSelectedTabIndex(1);
        window.setWindowFrame(left);
        window.TKMainWindowController::document()->close();
        pf::drainMainQueue();
    }
    {
        AppWindowController& window = openFixture();
        EXPECT_EQ(window.selectedTabIndex(), 1u);
        EXPECT_EQ(window.windowFrame(), left);

        // A frame on no screen, or too small to be a window, leaves the window where it is.
        for (const char* frame : {"{{50000, 50000}, {600, 400}}", "{{10, 10}, {5, 5}}", "nonsense"}) {
            pf::Value state = pf::Value::dictionary();
            pf::Value inner = pf::Value::dictionary();
            inner.set("frame", QString::fromLatin1(frame));
            state.set("CanvasWindowController", inner);
            window.restoreState(state);
            EXPECT_EQ(window.windowFrame(), left) << frame;
        }

        pf::Value state = pf::Value::dictionary();
        pf::Value inner = pf::Value::dictionary();
        inner.set("selectedIndex", std::int64_t(7));
        state.set("CanvasWindowController", inner);
        window.restoreState(state);
        EXPECT_EQ(window.selectedTabIndex(), 1u);
        inner.set("selectedIndex", std::int64_t(-1));
        state.set("CanvasWindowController", inner);
        window.restoreState(state);
        EXPECT_EQ(window.selectedTabIndex(), 1u);
        inner.set("selectedIndex", std::int64_t(0));
        state.set("CanvasWindowController", inner);
        window.restoreState(state);
        EXPECT_EQ(window.selectedTabIndex(), 0u);
    }
}

TEST_F(DocumentWindowTest, TheToolKeyOnTheCanvasStartsTheToolThroughTheLibrary)
{
    AppWindowController& window = openFixture();
    Canvas& canvas = *window.canvasView();
    canvas.setFocus();
    QTest::keyClick(&canvas, Qt::Key_R);
    pf::drainMainQueue();
    const std::shared_ptr<MouseStrategy> rectangleTool = canvas.mouseStrategy();
    ASSERT_NE(rectangleTool, nullptr);
    // The pointer key chooses the library's Pointer row, a kind drawn like any other.
    QTest::keyClick(&canvas, Qt::Key_A);
    pf::drainMainQueue();
    EXPECT_NE(canvas.mouseStrategy(), nullptr);
    EXPECT_NE(canvas.mouseStrategy(), rectangleTool);
}

TEST_F(DocumentWindowTest, AToolKeyPressedAgainKeepsItsToolAndStartsItAfreshOnceTheToolHasEnded)
{
    AppWindowController& window = openFixture();
    Canvas& canvas = *window.canvasView();
    canvas.setFocus();
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(&canvas, key);
        pf::drainMainQueue();
        return canvas.mouseStrategy();
    };
    const std::shared_ptr<MouseStrategy> pen = press(Qt::Key_P);
    ASSERT_NE(pen, nullptr);
    // The library's row is already the pen's: choosing it again changes nothing, and the pen goes on.
    EXPECT_EQ(press(Qt::Key_P), pen);
    // V puts the tool down and clears the row, so the key chooses a new pen.
    EXPECT_EQ(press(Qt::Key_V), nullptr);
    const std::shared_ptr<MouseStrategy> again = press(Qt::Key_P);
    EXPECT_NE(again, nullptr);
    EXPECT_NE(again, pen);
}

TEST_F(DocumentWindowTest, TheLibraryInTheWindowAddsTheKindTypedIntoItsSearch)
{
    AppWindowController& window = openFixture();
    Canvas& canvas = *window.canvasView();
    ASSERT_NE(window.libraryView(), nullptr);
    auto* search = window.libraryView()->findChild<QLineEdit*>();
    ASSERT_NE(search, nullptr);
    auto stars = [&] {
        std::size_t n = 0;
        for (const auto& shape : window.selectedComposition()->children())
            n += shape->classObject().className() == u"Star";
        return n;
    };
    const std::size_t before = stars();

    QTest::keyClicks(search, QStringLiteral("star"));
    QTest::keyClick(search, Qt::Key_Return);
    pf::drainMainQueue();
    EXPECT_EQ(stars(), before + 1);
    ASSERT_EQ(canvas.selectedShapes().size(), 1u);
    EXPECT_EQ(canvas.selectedShapes().front()->classObject().className(), u"Star");
    EXPECT_EQ(window.windowWidget()->focusWidget(), &canvas);
}

TEST_F(DocumentWindowTest, SearchLibraryGivesTheSearchFieldTheKeysAndFoldsTheLibraryWhenAskedAgain)
{
    AppWindowController& window = openFixture();
    auto* search = window.libraryView()->findChild<QLineEdit*>();
    ASSERT_NE(search, nullptr);
    window.searchLibrary();
    pf::drainMainQueue();
    EXPECT_EQ(window.windowWidget()->focusWidget(), search);
    const double open = window.libraryView()->width();
    EXPECT_GT(open, 0);

    window.searchLibrary();
    pf::drainMainQueue();
    EXPECT_LT(window.libraryView()->width(), open);
}

TEST_F(DocumentWindowTest, MenuCommandsAndTheAlignChordReachTheCanvasFromAnywhereInTheWindow)
{
    AppWindowController& window = openFixture();
    Canvas& canvas = *window.canvasView();
    QWidget* top = window.windowWidget();
    ASSERT_TRUE(showActive(window));
    window.selectedComposition()->addShape(Shape::make<Rectangle>(pf::Rect(300, 40, 50, 80)));
    canvas.selectAll();
    const auto shapes = canvas.selectedShapes();
    ASSERT_GE(shapes.size(), 2u);

    // Control and Command with a key, pressed on the canvas: the vertical centres line up.
    canvas.setFocus();
    QTest::keyClick(&canvas, Qt::Key_K, Qt::ControlModifier | Qt::MetaModifier);
    for (const auto& shape : shapes)
        EXPECT_DOUBLE_EQ(shape->frame().midX(), shapes.front()->frame().midX());

    // With the keyboard taken from the canvas, the Arrange menu's Group still groups the selection, and
    // the menu shows it enabled only while the canvas can.
    top->setFocus();
    ASSERT_NE(QApplication::focusWidget(), &canvas);
    QAction* group = window.menuAction("group:");
    ASSERT_NE(group, nullptr);
    window.validateMenuItems();
    EXPECT_TRUE(group->isEnabled());
    group->trigger();
    ASSERT_EQ(canvas.selectedShapes().size(), 1u);
    EXPECT_TRUE(canvas.selectedShapes().front()->isGroup());
    window.validateMenuItems();
    EXPECT_FALSE(group->isEnabled());
    EXPECT_TRUE(window.menuAction("ungroup:")->isEnabled());
}

TEST_F(DocumentWindowTest, TheShapeMenuRunsTheBooleanAndPathCommandsWhenTheyApply)
{
    AppWindowController& window = openFixture();
    Canvas& canvas = *window.canvasView();
    ASSERT_TRUE(showActive(window));
    const auto page = window.selectedComposition();
    const auto a = Shape::make<Rectangle>(pf::Rect(300, 40, 80, 80));
    const auto b = Shape::make<Rectangle>(pf::Rect(340, 80, 80, 80));
    page->addShape(a);
    page->addShape(b);
    const std::size_t count = page->children().size();
    QAction* difference = window.menuAction("difference:");
    QAction* flip = window.menuAction("flipHorizontal:");
    ASSERT_TRUE(difference && flip);

    canvas.replaceSelectionWithShape(a);
    window.validateMenuItems();
    EXPECT_FALSE(difference->isEnabled()) << "two shapes are wanted";
    canvas.replaceSelectionWithShapes({a, b});
    window.validateMenuItems();
    EXPECT_TRUE(difference->isEnabled());
    EXPECT_FALSE(flip->isEnabled()) << "rectangles are not flipped";
    difference->trigger();
    pf::drainMainQueue();
    ASSERT_EQ(canvas.selectedShapes().size(), 1u);
    EXPECT_TRUE(canvas.selectedShapes().front()->isBezier());
    EXPECT_EQ(page->children().size(), count - 1);
    window.validateMenuItems();
    EXPECT_TRUE(flip->isEnabled());
}

TEST_F(DocumentWindowTest, TheStatusBarHoldsThePageSizeButtonTheZoomAndGridPopUpsAndTheGridCheckbox)
{
    AppWindowController& window = openFixture();
    auto* bar = dynamic_cast<QVDraggableBar*>(window.statusBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(window.windowContainerView()->statusBar(), bar);
    for (QWidget* control : std::initializer_list<QWidget*>{window.canvasSizeButton(), window.zoomPopUpView(),
                                                            window.gridPopUpView()}) {
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), bar);
    }
    EXPECT_EQ(window.zoomPopUpView()->labelText(), "Zoom:");
    EXPECT_EQ(window.gridPopUpView()->labelText(), QString(12, u' '));
    ASSERT_NE(window.gridCheckbox(), nullptr);
    EXPECT_EQ(window.gridPopUpView()->checkbox(), window.gridCheckbox());
    EXPECT_EQ(window.gridCheckbox()->isChecked(), window.selectedComposition()->isGridEnabled());
    // The zoom pop-up lists the page's zoom steps by tag and shows the selected one.
    const auto& zoom = *window.zoomPopUpView()->popUpButton();
    EXPECT_EQ(zoom.menu()->itemWithTag(-4)->title(), "10%");
    EXPECT_EQ(zoom.menu()->itemWithTag(50)->title(), "5000%");
    EXPECT_EQ(window.zoomPopUpView()->valueText(), zoom.selectedItem()->title());
    // The grid pop-up ends with the units, tagged by minus their unit type.
    const auto& grid = *window.gridPopUpView()->popUpButton();
    EXPECT_EQ(grid.menu()->itemWithTag(-1)->title(), Metrics::unitNameForUnitType(1));
}

TEST_F(DocumentWindowTest, TheBezierHintShowsOnceAcrossWindowsAndPlacesItselfUnderTheRuler)
{
    UserDefaults::instance().setHasShownBezierModeHint(false);
    AppWindowController& first = openFixture();
    auto second = controller.newDocument();
    pf::drainMainQueue();
    AppWindowController& other = windowOf(*second);

    auto& center = pf::NotificationCenter::defaultCenter();
    center.post(QString::fromLatin1(Canvas::BezierModeWasActivatedNotification), first.windowWidget());
    EXPECT_TRUE(first.hintPanel()->isVisible());
    EXPECT_TRUE(UserDefaults::instance().hasShownBezierModeHint());
    center.post(QString::fromLatin1(Canvas::BezierModeWasActivatedNotification), other.windowWidget());
    EXPECT_FALSE(other.hintPanel()->isVisible());

    const pf::Size size(200, 80);
    UserDefaults::instance().setRulersVisible(true);
    const pf::Rect withRulers = first.hintPanelFrameInWindow(size);
    UserDefaults::instance().setRulersVisible(false);
    const pf::Rect without = first.hintPanelFrameInWindow(size);
    EXPECT_EQ(withRulers.origin.y - without.origin.y, 20);
    EXPECT_EQ(withRulers.origin.x, without.origin.x);
    EXPECT_EQ(withRulers.size, size);
}

TEST_F(DocumentWindowTest, TheBezierHintIsAPanelOfItsWindowThatTheToolOrTheUserPutsAway)
{
    AppWindowController& window = openFixture();
    QWidget* top = window.windowWidget();
    top->show();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    Canvas* canvas = window.canvasView();
    QWidget* hint = window.hintPanel();
    ASSERT_TRUE(canvas && hint);
    // P chooses the pen, as the user does from the canvas (after Escape has put down any tool).
    const auto choosePen = [&] {
        UserDefaults::instance().setHasShownBezierModeHint(false);
        window.window()->makeFirstResponder(canvas);
        QTest::keyClick(canvas, Qt::Key_Escape);
        QTest::keyClick(canvas, Qt::Key_P);
        pf::drainMainQueue();
    };

    choosePen();
    ASSERT_TRUE(hint->isVisible());
    // Inside its window, under the scroll view's top-right corner: it moves and hides with the window.
    EXPECT_FALSE(hint->isWindow());
    EXPECT_EQ(hint->window(), top);
    const QPoint inWindow = hint->mapTo(top, QPoint());
    EXPECT_EQ(inWindow, QPoint(int(window.hintPanelFrameInWindow(pf::Size(hint->width(), hint->height())).origin.x),
                               int(window.hintPanelFrameInWindow(pf::Size(hint->width(), hint->height())).origin.y)));
    EXPECT_TRUE(top->rect().contains(QRect(inWindow, hint->size())));
    // It says how the curve ends, and not by Return, which does not end it.
    const QString text = hint->findChild<QLabel*>()->text();
    EXPECT_TRUE(text.contains("Escape") && text.contains("double-click")) << text.toStdString();
    EXPECT_FALSE(text.contains("Return"));
    // Escape ends the tool, and the hint goes with it.
    QTest::keyClick(canvas, Qt::Key_Escape);
    pf::drainMainQueue();
    EXPECT_FALSE(hint->isVisible());

    // Its close button, or a click on it, closes it.
    choosePen();
    ASSERT_TRUE(hint->isVisible());
    QTest::mouseClick(hint->findChild<QToolButton*>("close"), Qt::LeftButton);
    EXPECT_FALSE(hint->isVisible());
    choosePen();
    ASSERT_TRUE(hint->isVisible());
    QTest::mouseClick(hint, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(DocumentWindowTest, AnOlderVersionHidesTheOpenPalettesAndLeavingItShowsThemAgain)
{
    UserDefaults& defaults = UserDefaults::instance();
    defaults.setLibraryPaletteVisible(true);
    defaults.setOutlinePaletteVisible(false);
    defaults.setInspectorPaletteVisible(true);
    AppWindowController& window = openFixture();
    window.window()->becomeMainWindow();
    window.windowWillEnterVersionBrowser();
    EXPECT_FALSE(window.isLibraryPaletteVisible());
    EXPECT_FALSE(window.isOutlinePaletteVisible());
    EXPECT_FALSE(window.isInspectorPaletteVisible());
    // The settings are the user's choice, not the browser's.
    EXPECT_TRUE(defaults.isLibraryPaletteVisible());
    window.windowDidExitVersionBrowser();
    EXPECT_TRUE(window.isLibraryPaletteVisible());
    EXPECT_FALSE(window.isOutlinePaletteVisible());
    EXPECT_TRUE(window.isInspectorPaletteVisible());
}

TEST_F(DocumentWindowTest, AChosenImageIsTakenByItsAbsolutePath)
{
    AppWindowController& window = openFixture();
    const QString relative = QDir(QDir::currentPath()).relativeFilePath(dir.filePath("pictures/../photo.png"));
    for (const QString& chosen : {relative, dir.filePath("pictures/../photo.png")}) {
        pf::ScopedOpenPanelSink panel([&](const QStringList& extensions) {
            EXPECT_TRUE(extensions.contains("pdf"));
            return QStringList{chosen};
        });
        window.browseForImage();
        EXPECT_EQ(window.lastBrowsedImagePath(), QDir::cleanPath(dir.filePath("photo.png")));
        // The panel starts in that file's folder next time.
        EXPECT_EQ(QDir::cleanPath(UserDefaults::instance().imageBrowseURL().toLocalFile()), QDir::cleanPath(dir.path()));
    }
}

TEST(DocumentWindowCentring, TheWindowFitsTheScreenLessItsMarginsAtMost1400By800)
{
    struct Case {
        pf::Rect visible;
        std::optional<pf::Rect> frame;
    };
    for (const Case& c : {
             Case{{0, 0, 2560, 1417}, pf::Rect(580, 308.5, 1400, 800)},
             Case{{0, 0, 1440, 878}, pf::Rect(100, 100, 1240, 678)},
             Case{{1440, 22, 1920, 1058}, pf::Rect(1440 + 260, 22 + 129, 1400, 800)},
             // No screen (a zero area) or one too small for the margins: the frame stays.
             Case{{0, 0, 0, 0}, std::nullopt},
             Case{{0, 0, 150, 900}, std::nullopt},
         }) {
        const auto frame = CanvasWindowController::centeredFrame(c.visible);
        ASSERT_EQ(frame.has_value(), c.frame.has_value()) << pf::toString(c.visible).toStdString();
        if (frame) {
            EXPECT_EQ(*frame, *c.frame) << pf::toString(c.visible).toStdString();
        }
    }
}

TEST(DocumentWindowContainer, TheStatusBarTakesTwentyPointsAtTheBottomWhenShown)
{
    auto store = std::make_unique<pf::UserDefaultsStore>();
    UserDefaults::registerDefaultValues(*store);
    auto previous = pf::UserDefaultsStore::replaceStandard(std::move(store));
    CanvasWindowContainerView container(pf::Rect(0, 0, 800, 600));
    UserDefaults::instance().setStatusBarVisible(true);
    EXPECT_EQ(container.uberViewRectForBounds(container.bounds()), pf::Rect(0, 0, 800, 580));
    EXPECT_EQ(container.statusBarRectForBounds(container.bounds()), pf::Rect(0, 580, 800, 20));
    UserDefaults::instance().setStatusBarVisible(false);
    EXPECT_EQ(container.uberViewRectForBounds(container.bounds()), pf::Rect(0, 0, 800, 600));
    EXPECT_EQ(container.statusBarRectForBounds(container.bounds()), pf::Rect(0, 580, 800, 0));
    pf::UserDefaultsStore::replaceStandard(std::move(previous));
}

TEST_F(DocumentWindowTest, TheEditMenuOpensThePreferences)
{
    AppWindowController& window = openFixture();
    QAction* preferences = window.menuAction("showPreferencesPanel");
    ASSERT_NE(preferences, nullptr);
    EXPECT_EQ(preferences->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->trigger();
    OAPreferenceController& controller = OAPreferenceController::sharedPreferenceController();
    ASSERT_TRUE(controller.isWindowVisible());
    EXPECT_TRUE(controller.windowWidget()->windowTitle().endsWith(" Preferences"));
    controller.performClose();
    EXPECT_FALSE(controller.isWindowVisible());
}

} // namespace

namespace {

TEST_F(DocumentWindowTest, TheInspectorTakesItsRegionAndFollowsTheSelection)
{
    AppWindowController::installInspector();
    struct Uninstall {
        ~Uninstall() { CanvasWindowController::setInspectorMaker(nullptr); }
    } uninstall;
    AppWindowController& window = openFixture();
    auto* inspector = dynamic_cast<InspectorViewController*>(window.inspectorViewController());
    ASSERT_TRUE(inspector);
    ASSERT_TRUE(window.inspectorView());
    EXPECT_EQ(window.inspectorView(), inspector->view());
    EXPECT_TRUE(window.inspectorView()->parentWidget());
    Canvas* canvas = window.canvasView();
    ASSERT_TRUE(canvas);
    EXPECT_EQ(inspector->canvas(), canvas);
    const auto settle = [] {
        pf::drainMainQueue();
        pf::drainMainQueue();
    };
    settle();
    EXPECT_EQ(inspector->listView()->hintText(), QStringLiteral("Inspector"));

    std::shared_ptr<Shape> shape;
    for (const auto& child : canvas->composition()->children())
        if (!child->isManipulator() && !shape)
            shape = child;
    ASSERT_TRUE(shape) << "the fixture's first page has a shape";
    canvas->replaceSelectionWithShape(shape);
    settle();
    EXPECT_EQ(inspector->selectedObject(), canvas->manipulator().get());
    ASSERT_TRUE(inspector->facets());
    EXPECT_FALSE(inspector->facets()->empty());
    EXPECT_TRUE(inspector->listView()->hintText().isEmpty());

    canvas->selectNone();
    settle();
    EXPECT_TRUE(!inspector->facets() || inspector->facets()->empty());
}

} // namespace

TEST_F(DocumentWindowTest, UndoDuringAnInPlaceEditEndsItAndTakesTheWholeEditBack)
{
    AppWindowController& window = openFixture();
    Canvas* canvas = window.canvasView();
    ASSERT_NE(canvas, nullptr);
    pf::UndoManager* undo = window.windowUndoManager();
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
    ASSERT_NE(kind, nullptr);
    auto shape = kind->newShape(pf::Rect(40, 40, 160, 60));
    canvas->composition()->addShape(shape);
    pf::drainMainQueue();
    const QString before = shape->attributedText() ? shape->attributedText()->string() : QString();

    canvas->beginEditingTextIn(*shape);
    canvas->fieldEditor().insertText(QStringLiteral("typed"));
    pf::drainMainQueue();
    ASSERT_TRUE(canvas->isEditingText());
    window.menuAction("undo")->trigger();
    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_EQ(shape->attributedText() ? shape->attributedText()->string() : QString(), before);
    window.menuAction("redo")->trigger();
    EXPECT_EQ(shape->attributedText()->string(), QStringLiteral("typed"));
    EXPECT_FALSE(undo->hasExplicitGroup());
}

// A shape dragged across the page on the canvas: the page's tab is not drawn again at every step, and once
// the drag has ended and the refresh interval has passed it shows the page exactly as a fresh drawing does.
TEST_F(DocumentWindowTest, ADraggedShapeShowsInThePagesTabExactlyOnceTheDragHasEnded)
{
    AppWindowController& window = openFixtureWithTabsOnTop();
    pf::VirtualClock clock;
    const auto settle = [&](pf::Nanoseconds time) {
        clock.advance(time);
        pf::drainMainQueue();
    };
    Canvas& canvas = *window.canvasView();
    const auto page = window.selectedComposition();
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
    ASSERT_NE(kind, nullptr);
    auto shape = kind->newShape(pf::Rect(60, 60, 160, 120));
    shape->setFillType(0);
    shape->setFillColor(pf::Color(1, 0, 0, 1));
    page->addShape(shape);
    canvas.selectNone();
    settle(TKTabListItem::pictureRefreshInterval);

    auto* strip = dynamic_cast<TKTabsListViewController*>(window.tabsListViewController());
    ASSERT_NE(strip, nullptr);
    auto* tab = dynamic_cast<TKTabListItem*>(strip->listView()->itemAtIndex(0));
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->representedObject(), page);
    // The inside of the page's picture, as painted (its frame shows the list's focus).
    const auto picture = [&](TKTabListItem& item) {
        const pf::Rect p = TKPageThumbnailGeometry::forPage(page->frame().size,
                                                            item.thumbnailRectForBounds(item.bounds()))
                               .pictureRect;
        QImage image(item.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        item.render(&image);
        return image.copy(int(std::ceil(p.minX())) + 1, int(std::ceil(p.minY())) + 1, int(p.width()) - 2,
                          int(p.height()) - 2);
    };
    const auto fresh = [&] {
        TKTabListItem item;
        standInFor(item, *tab, strip);
        return picture(item);
    };
    // The shape's addition reaches the tab within an interval or two.
    for (int i = 0; i < 3 && tab->isThumbnailRefreshPending(); ++i)
        settle(TKTabListItem::pictureRefreshInterval);
    const QImage before = picture(*tab);
    ASSERT_EQ(before, fresh());

    // Pressed in the middle, dragged 300 points across in steps at 60 a second, released.
    const pf::Point from = canvas.convertPointFromComposition(pf::Point(140, 120));
    quint64 time = 100000;
    kittest::sendMouse(canvas, QEvent::MouseButtonPress, from.toQt(), Qt::LeftButton, Qt::LeftButton, time);
    const int drawsBefore = tab->pageDrawCount();
    for (int step = 1; step <= 10; ++step) {
        kittest::sendMouse(canvas, QEvent::MouseMove, (from + pf::Point(30.0 * step, 15.0 * step)).toQt(),
                           Qt::NoButton, Qt::LeftButton, time += 16);
        settle(std::chrono::milliseconds(16));
        picture(*tab);
    }
    kittest::sendMouse(canvas, QEvent::MouseButtonRelease, (from + pf::Point(300, 150)).toQt(), Qt::LeftButton,
                       Qt::NoButton, time += 16);
    pf::drainMainQueue();
    ASSERT_EQ(shape->frame().origin, pf::Point(360, 210));
    EXPECT_LE(tab->pageDrawCount() - drawsBefore, 1);

    settle(TKTabListItem::pictureRefreshInterval);
    const QImage after = picture(*tab);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, fresh());
}
