// The document window with a real document: pages handed over as tabs, undoable page operations, the
// layout's regions and palettes following the settings, scroll centres per page, the restorable state,
// the bezier hint, the tool keys, and centring on a screen.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"
#include "canvas/CanvasViewController.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "model/UserDefaults.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowContainerView.h"

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class DocumentWindowTest : public DocumentFixture {
protected:
    static void SetUpTestSuite()
    {
        registerControlKinds(pf::ClassRegistry::shared());
        registerManipulatorClasses(pf::ClassRegistry::shared());
        CanvasWindowController::registerInterfaceFiles();
    }

    void SetUp() override
    {
        setUpDocuments();
        AppWindowController::installAsDocumentWindow();
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

TEST_F(DocumentWindowTest, TabsFollowTheirPlacementInEveryOpenWindow)
{
    UserDefaults::instance().setTabsPlacedOnTop(true);
    UserDefaults::instance().setTabsPaletteVisible(true);
    AppWindowController& first = openFixture();
    auto second = controller.newDocument();
    pf::drainMainQueue();
    AppWindowController& other = windowOf(*second);
    for (AppWindowController* window : {&first, &other}) {
        EXPECT_TRUE(window->innerUberView()->isTopViewOpen());
        EXPECT_EQ(window->innerUberView()->topView(), window->tabsView());
        EXPECT_TRUE(window->isTabsPaletteVisible());
    }

    UserDefaults::instance().setTabsPlacedOnTop(false);
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(CanvasWindowController::TabsPlacementDidChangeNotification), nullptr);
    for (AppWindowController* window : {&first, &other}) {
        EXPECT_FALSE(window->innerUberView()->isTopViewOpen());
        EXPECT_EQ(window->innerUberView()->topView(), nullptr);
        EXPECT_TRUE(window->outerUberView()->isLeftTopViewOpen());
        EXPECT_EQ(window->outerUberView()->leftTopView(), window->tabsView());
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

TEST_F(DocumentWindowTest, TheSelectedPageIsRestoredOnReopenAndABadIndexIsIgnored)
{
    {
        AppWindowController& window = openFixture();
        window.setSelectedTabIndex(1);
        window.TKMainWindowController::document()->close();
        pf::drainMainQueue();
    }
    {
        AppWindowController& window = openFixture();
        EXPECT_EQ(window.selectedTabIndex(), 1u);

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
    ASSERT_NE(canvas.mouseStrategy(), nullptr);
    QTest::keyClick(&canvas, Qt::Key_A);
    pf::drainMainQueue();
    EXPECT_EQ(canvas.mouseStrategy(), nullptr);
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
