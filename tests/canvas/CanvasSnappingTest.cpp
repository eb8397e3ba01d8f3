// Snapping and user guides end to end: Qt events on the offscreen canvas, as a user drags.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Guide.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Poof.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>

class CanvasSnappingTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        pf::UserDefaultsStore::standard().setBoolForKey(true, QStringLiteral("SnapEnabled"));
    }
};

// The page's corner handles show a drawn double arrow turned to each corner, its hot spot on the arrow
// pointing at that corner; each cursor is made once.
TEST(CanvasResizeCursors, EachCornerHasItsTurnedArrowMadeOnce)
{
    const struct {
        const pf::Cursor& (*cursor)();
        pf::Point hotSpot;
        QPoint inkAt; // inside the arrow's head at that corner, at 1x
    } cases[] = {
        {&Canvas::resizeDiagonalTopLefCursor, {6.5, 6.5}, {2, 2}},
        {&Canvas::resizeDiagonalTopRitCursor, {12.5, 6.5}, {16, 2}},
        {&Canvas::resizeDiagonalBotLefCursor, {6.5, 12.5}, {2, 16}},
        {&Canvas::resizeDiagonalBotRitCursor, {12.5, 12.5}, {16, 16}},
    };
    for (const auto& c : cases) {
        const pf::Cursor& cursor = c.cursor();
        EXPECT_EQ(&cursor, &c.cursor());
        EXPECT_EQ(cursor.shape(), pf::Cursor::Shape::Custom);
        EXPECT_EQ(cursor.image().size(), pf::Size(19, 19));
        EXPECT_NEAR(cursor.hotSpot().x, c.hotSpot.x, 1e-9);
        EXPECT_NEAR(cursor.hotSpot().y, c.hotSpot.y, 1e-9);
        const QImage bitmap = cursor.image().bestBitmap(1);
        const QColor ink = bitmap.pixelColor(c.inkAt);
        EXPECT_GT(ink.alpha(), 200) << c.inkAt.x() << "," << c.inkAt.y();
        EXPECT_LT(ink.lightness(), 80);
        EXPECT_EQ(bitmap.pixelColor(QPoint(18 - c.inkAt.x(), c.inkAt.y())).alpha() < 100, true)
            << "the other corner across is clear";
    }
}

TEST_F(CanvasSnappingTest, ASlowDragLandsOnTheNeighboursEdgeAndOneUndoPutsItBack)
{
    // The rectangle (100, 100, 100, 60) is dragged slowly towards the ellipse, whose left edge is at 300:
    // its right edge ends 3 points short and snaps on.
    const pf::Rect before = rectangle->frame();
    const pf::Point start(150, 130);
    press(start);
    dragTo(start + pf::Point(40, 0));
    for (double x = 40; x <= 97; x += 0.5) // under a page point a step: snapping is wanted
        dragTo(start + pf::Point(x, 0.25));
    EXPECT_TRUE(canvas->wantsSnap());
    EXPECT_EQ(rectangle->frame().maxX(), 300);
    EXPECT_FALSE(canvas->tempGuides().empty());
    release(start + pf::Point(97, 0.25));
    endTurn();
    EXPECT_EQ(rectangle->frame().maxX(), 300);
    EXPECT_TRUE(canvas->tempGuides().empty());
    EXPECT_TRUE(canvas->snappedSet().empty());
    EXPECT_FALSE(ellipse->isSnapped());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->frame(), before);
}

TEST_F(CanvasSnappingTest, APageEdgeDraggedSlowlyPastAShapesEdgeIsNotPulledOntoIt)
{
    // A shape whose right edge is 3 points inside the page's right edge (800); the page's edge is dragged
    // slowly in to 2 points past it. The page's size is the user's: nothing pulls it, no guide shows.
    const auto shape = addShape("Rectangle", pf::Rect(600, 250, 197, 100));
    canvas->selectNone();
    endTurn();
    const double top = page->frame().y(), height = page->frame().height();
    hover(pf::Point(800, 300));
    press(pf::Point(800, 300));
    ASSERT_TRUE(canvas->hasCompositionSelection());
    for (double x = 800; x >= 795; x -= 0.5)
        dragTo(pf::Point(x, 300.25));
    EXPECT_TRUE(canvas->wantsSnap());
    EXPECT_TRUE(canvas->tempGuides().empty());
    EXPECT_FALSE(shape->isSnapped());
    release(pf::Point(795, 300.25));
    endTurn();
    EXPECT_EQ(page->frame().maxX(), 795) << "the page's edge follows the pointer, not the shape's edge";
    EXPECT_EQ(page->frame().y(), top);
    EXPECT_EQ(page->frame().height(), height);
}

TEST_F(CanvasSnappingTest, WithTheGridOffAToolsPlacedPointsSnapToShapes)
{
    // A slow approach to the ellipse's left edge (x 300) from below it, ending 3 points short: the brush's
    // release and the path's placed point land on the edge.
    ASSERT_FALSE(page->isGridEnabled());
    const pf::Point start(200, 220);
    const auto approach = [&] {
        for (double x = 250; x <= 297; x += 0.5)
            dragTo(pf::Point(x, 220.25));
    };
    struct Case {
        const char* name;
        int key;
        const char* text;
        std::function<void()> draw;
    };
    const Case cases[] = {
        {"brush", Qt::Key_B, "b",
         [&] {
             press(start);
             approach();
             release(pf::Point(297, 220.25));
         }},
        {"path", Qt::Key_S, "s",
         [&] {
             click(start);
             approach();
             click(pf::Point(297, 220.25));
             keyDown(Qt::Key_Escape);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keyDown(c.key, {}, QString::fromLatin1(c.text));
        ASSERT_TRUE(canvas->mouseStrategy());
        c.draw();
        advance(0.2);
        endTurn();
        const Canvas::Shapes shapes = pageShapes();
        ASSERT_FALSE(shapes.empty());
        const auto drawn = shapes.back();
        EXPECT_NEAR(drawn->frame().standardized().maxX(), 300, 1e-9 * 300);
        ASSERT_TRUE(undo.undo());
    }
}

TEST_F(CanvasSnappingTest, FastDragsDoNotSnap)
{
    // Fast on both axes at every step.
    const pf::Point start(150, 130);
    drag(start, start + pf::Point(97, 40), {}, 2);
    endTurn();
    EXPECT_EQ(rectangle->frame().maxX(), 297);
}

TEST_F(CanvasSnappingTest, AUserGuideDroppedOutOfSightIsDeletedAndOneUndoRestoresIt)
{
    auto guide = Guide::make(page.get(), Guide::UserGuide, pf::Point(250, -1e6), pf::Point(250, 1e6));
    canvas->addUserGuide(guide);
    endTurn();
    undo.removeAllActions();
    ASSERT_EQ(page->userGuides().size(), 1u);
    ASSERT_TRUE(canvas->userGuideAtPoint(viewPoint(pf::Point(250, 500))));

    // Dragged out of the visible area (far left of the canvas) and released there.
    press(pf::Point(250, 500));
    dragTo(pf::Point(100, 500));
    dragTo(canvas->convertPointToComposition(pf::Point(-200, 600)));
    release(canvas->convertPointToComposition(pf::Point(-200, 600)));
    endTurn();
    EXPECT_TRUE(page->userGuides().empty());
    // A puff at the drop point, gone after a quarter of a second.
    ASSERT_NE(pf::currentPoof(), nullptr);
    EXPECT_TRUE(pf::currentPoof()->isVisible());
    EXPECT_TRUE(pf::currentPoof()->geometry().contains(canvas->mapToGlobal(QPoint(-200, 600))));
    advance(0.3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(pf::currentPoof(), nullptr);
    ASSERT_TRUE(undo.undo());
    ASSERT_EQ(page->userGuides().size(), 1u);
    EXPECT_EQ(page->userGuides().front()->p1().x, 250);
}

TEST_F(CanvasSnappingTest, AUserGuideDragIsOneUndoStep)
{
    auto guide = Guide::make(page.get(), Guide::UserGuide, pf::Point(250, -1e6), pf::Point(250, 1e6));
    canvas->addUserGuide(guide);
    endTurn();
    undo.removeAllActions();
    press(pf::Point(250, 500));
    for (double x = 260; x <= 320; x += 10)
        dragTo(pf::Point(x, 500));
    release(pf::Point(320, 500));
    endTurn();
    ASSERT_EQ(page->userGuides().size(), 1u);
    EXPECT_EQ(page->userGuides().front()->p1().x, 320);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(page->userGuides().front()->p1().x, 250);
    EXPECT_FALSE(undo.canUndo());
}

// Where a dragged user guide lands and what its tool tip says: on the grid (from the page's corner at
// spacing 1 in points, from its centre otherwise), off it with Option, in the page's units.
TEST_F(CanvasSnappingTest, AUserGuideLandsOnTheGridAndShowsItsPositionInThePagesUnits)
{
    makeCanvas(805, 600); // centre x 402.5: off every grid step but 0.5
    struct Case {
        const char* what;
        bool grid;
        double spacing;
        Qt::KeyboardModifiers modifiers;
        double dropX;
        double expectedX;
    };
    const Case cases[] = {
        {"spacing 10 from the centre: 23.7 goes to 22.5", true, 10, {}, 23.7, 22.5},
        {"Option: the whole point below", true, 10, Qt::AltModifier, 23.7, 23},
        {"grid off: the whole point below", false, 10, {}, 23.7, 23},
        {"grid off, Option: snaps", false, 10, Qt::AltModifier, 23.7, 22.5},
        {"spacing 1 counts from the corner", true, 1, {}, 23.7, 23},
        {"spacing 8 counts from the centre", true, 8, {}, 23.7, 26.5},
        {"spacing 0.3: no step to offset by", true, 0.3, {}, 23.7, 23.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page->setGridEnabled(c.grid);
        page->setGridTolerance(c.spacing);
        auto guide = Guide::make(page.get(), Guide::UserGuide, pf::Point(250, -1e6), pf::Point(250, 1e6));
        canvas->addUserGuide(guide);
        endTurn();
        press(pf::Point(250, 300));
        dragTo(pf::Point(100, 300), c.modifiers);
        dragTo(pf::Point(c.dropX, 300), c.modifiers);
        const double x = guide->p1().x;
        EXPECT_TRUE(std::isfinite(x));
        EXPECT_NEAR(x, c.expectedX, 1e-9 * std::max(1.0, std::fabs(c.expectedX)));
        release(pf::Point(c.dropX, 300), c.modifiers);
        endTurn();
        canvas->removeUserGuide(guide);
        advance(0.3); // the puff plays out
    }
}

TEST_F(CanvasSnappingTest, TheGuideToolTipSaysThePositionInThePagesUnits)
{
    struct Case {
        unsigned unit;
        double points;
        const char* expected;
    };
    const Case cases[] = {
        {Metrics::Inches, 108, "1.5\""},
        {Metrics::Inches, 144, "2.0\""},
        {Metrics::Inches, -36, "-0.5\""},
        // A centimetre of the 72 dpi page is 72 / 2.54 points, shown in quarters.
        {Metrics::Centimeters, 2.25 * 72 / 2.54 + 1, "2.25cm"},
        {Metrics::Centimeters, -(2.25 * 72 / 2.54 - 1), "-2.25cm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        auto metrics = page->metrics()->copy();
        metrics->setUnitType(c.unit);
        page->setMetrics(metrics);
        EXPECT_EQ(canvas->guideToolTipTextForPosition(c.points, true), QString::fromUtf8(c.expected));
    }
}

TEST_F(CanvasSnappingTest, HoveringAUserGuideShowsItsCursorUnlessGuidesAreLockedOrHidden)
{
    auto vertical = Guide::make(page.get(), Guide::UserGuide, pf::Point(250, -1e6), pf::Point(250, 1e6));
    auto horizontal = Guide::make(page.get(), Guide::UserGuide, pf::Point(-1e6, 450), pf::Point(1e6, 450));
    canvas->addUserGuide(vertical);
    canvas->addUserGuide(horizontal);
    endTurn();
    struct Case {
        const char* what;
        bool locked, visible;
        pf::Point at;
        pf::Cursor::Shape cursor;
    };
    const Case cases[] = {
        {"vertical", false, true, {250, 300}, pf::Cursor::Shape::ResizeLeftRight},
        {"horizontal", false, true, {500, 450}, pf::Cursor::Shape::ResizeUpDown},
        {"off both: the default again", false, true, {500, 300}, pf::Cursor::Shape::Arrow},
        {"locked", true, true, {250, 300}, pf::Cursor::Shape::Arrow},
        {"hidden", false, false, {250, 300}, pf::Cursor::Shape::Arrow},
    };
    auto& store = pf::UserDefaultsStore::standard();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.setBoolForKey(c.locked, QStringLiteral("GuidesLocked"));
        store.setBoolForKey(c.visible, QStringLiteral("GuidesVisible"));
        hover(c.at);
        EXPECT_EQ(canvas->shownCursor().shape(), c.cursor);
        hover(pf::Point(500, 300));
    }
}
