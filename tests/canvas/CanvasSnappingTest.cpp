// Snapping and user guides end to end: Qt events on the offscreen canvas, as a user drags.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Guide.h"
#include "platform/foundation/UserDefaultsStore.h"

class CanvasSnappingTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        pf::UserDefaultsStore::standard().setBoolForKey(true, QStringLiteral("SnapEnabled"));
    }
};

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
