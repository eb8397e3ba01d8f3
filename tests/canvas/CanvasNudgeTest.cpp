// The arrow keys: nudge and jump distances, the guides shown after a nudge and their clearing, locked
// selections, and selecting the nearest shape in a direction.
#include "canvas/support/CanvasFixture.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Guide.h"
#include "platform/kit/Services.h"

namespace {

using CanvasNudgeTest = CanvasFixture;

TEST_F(CanvasNudgeTest, TheStepFollowsTheGridAndOption)
{
    makeCanvas();
    page->setGridTolerance(10);
    struct Case {
        bool grid;
        int key;
        Qt::KeyboardModifiers modifiers;
        pf::Point moved;
    };
    const Case cases[] = {
        {true, Qt::Key_Right, {}, {10, 0}},
        {true, Qt::Key_Right, Qt::AltModifier, {1, 0}},
        {true, Qt::Key_Down, Qt::ShiftModifier, {0, 100}},
        {true, Qt::Key_Up, Qt::ShiftModifier | Qt::AltModifier, {0, -10}},
        {false, Qt::Key_Left, {}, {-1, 0}},
        {false, Qt::Key_Left, Qt::ShiftModifier, {-10, 0}},
        {false, Qt::Key_Up, Qt::AltModifier, {0, -10}},
    };
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.grid << " " << c.key << " " << c.modifiers.toInt());
        page->setGridEnabled(c.grid);
        const pf::Rect before = rectangle->frame(), other = ellipse->frame();
        keyDown(c.key, c.modifiers);
        endTurn();
        EXPECT_EQ(rectangle->frame(), before.offsetBy(c.moved.x, c.moved.y));
        EXPECT_EQ(ellipse->frame(), other.offsetBy(c.moved.x, c.moved.y));
        EXPECT_EQ(canvas->manipulator()->frame(), QVCombineRects(rectangle->frame(), ellipse->frame()));
        // One press, one undo.
        undo.undo();
        EXPECT_EQ(rectangle->frame(), before);
        EXPECT_EQ(ellipse->frame(), other);
        undo.redo();
        advance(1);
    }
}

TEST_F(CanvasNudgeTest, ANudgeShowsTheGuidesOfItsNewPlaceForAQuarterSecond)
{
    makeCanvas();
    // The rectangle's top lies on the ellipse's: a guide along y 100 after a step right.
    canvas->replaceSelectionWithShape(rectangle);
    keyDown(Qt::Key_Right);
    EXPECT_TRUE(canvas->tempGuides().empty()); // shown after the key is handled
    advance(0);
    ASSERT_FALSE(canvas->tempGuides().empty());
    EXPECT_TRUE(std::any_of(canvas->tempGuides().begin(), canvas->tempGuides().end(),
                            [](const auto& g) { return !g->isVertical() && g->p1().y == 100; }));
    EXPECT_EQ(rectangle->frame(), pf::Rect(101, 100, 100, 60)); // the frame itself did not snap
    advance(0.2);
    EXPECT_FALSE(canvas->tempGuides().empty());
    advance(0.06);
    EXPECT_TRUE(canvas->tempGuides().empty());
    EXPECT_TRUE(canvas->snappedSet().empty());

    // Several quick nudges: each clearing takes whatever is shown when it comes.
    keyDown(Qt::Key_Right);
    advance(0.1);
    keyDown(Qt::Key_Right);
    advance(0.1);
    EXPECT_FALSE(canvas->tempGuides().empty());
    advance(0.3);
    EXPECT_TRUE(canvas->tempGuides().empty());
}

TEST_F(CanvasNudgeTest, ALockedSelectionStaysAndBeeps)
{
    makeCanvas();
    int beeps = 0;
    pf::ScopedBeepSink sink([&] { ++beeps; });
    rectangle->setLocked(true);
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    const pf::Rect before = ellipse->frame();
    keyDown(Qt::Key_Right);
    keyDown(Qt::Key_Down, Qt::ShiftModifier);
    advance(1);
    EXPECT_EQ(rectangle->frame(), pf::Rect(100, 100, 100, 60));
    EXPECT_EQ(ellipse->frame(), before);
    EXPECT_EQ(beeps, 2);
}

TEST_F(CanvasNudgeTest, TheNudgeIsInPageCoordinatesWhateverTheRulerOrigin)
{
    for (const QVRectCorner origin : {QVRectCornerTopLef, QVRectCornerMidMid, QVRectCornerBotRit}) {
        SCOPED_TRACE(static_cast<int>(origin));
        makeCanvas();
        page->setRulerOriginCorner(origin);
        canvas->replaceSelectionWithShape(rectangle);
        keyDown(Qt::Key_Left, Qt::ShiftModifier);
        EXPECT_EQ(rectangle->frame(), pf::Rect(90, 100, 100, 60));
        advance(1);
    }
}

// Line centre (175, 325); rectangle (150, 130), ellipse (340, 140), group (450, 340).
TEST_F(CanvasNudgeTest, ArrowsWithControlSelectTheNearestShapeThatWay)
{
    makeCanvas();
    struct Case {
        const char* what;
        std::shared_ptr<Shape> from; // null: nothing selected
        int key;
        Qt::KeyboardModifiers modifiers;
        std::shared_ptr<Shape> expected;
    };
    const Case cases[] = {
        {"up by height: the far-aside, slightly lower centre", line, Qt::Key_Up, {}, ellipse},
        {"up in a straight line", line, Qt::Key_Up, Qt::AltModifier, rectangle},
        {"down from the top of the page", nullptr, Qt::Key_Down, {}, rectangle},
        {"right: by width, the line just right and far below", rectangle, Qt::Key_Right, {}, line},
        {"left of the leftmost: nothing, the selection stays", rectangle, Qt::Key_Left, {}, rectangle},
        {"up from the ellipse: the rectangle's centre is above", ellipse, Qt::Key_Up, {}, rectangle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.from)
            canvas->replaceSelectionWithShape(c.from);
        else
            canvas->selectNone();
        keyDown(c.key, Qt::ControlModifier | c.modifiers);
        EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{c.expected});
    }

    // Centres level with the reference never qualify; shapes inside groups are never candidates; of two at
    // the same distance the lower in the page wins.
    auto level = addShape("Rectangle", pf::Rect(600, 120, 20, 20));   // centre y 130, as the rectangle's
    auto twinA = addShape("Rectangle", pf::Rect(140, 400, 20, 20));   // centre (150, 410)
    auto twinB = addShape("Rectangle", pf::Rect(140, 400, 20, 20));   // the same centre, above twinA
    (void)twinB;
    canvas->replaceSelectionWithShape(rectangle);
    keyDown(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{ellipse});
    canvas->replaceSelectionWithShape(line);
    keyDown(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{group}); // centre y 340 beats 410
    canvas->replaceSelectionWithShape(group);
    keyDown(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{twinA});
    (void)level;
}

} // namespace
