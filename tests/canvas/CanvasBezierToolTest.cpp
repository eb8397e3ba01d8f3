// The pen tool, driven by synthesized events: points placed by clicks and drags, the ways a curve ends
// (double-click, a click on the first point, Escape in every state, Delete), the Shift and Command
// gestures, the drag threshold at two zooms, the cursors and the undo step.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategyBezier.h"
#include "manipulators/BezierManipulator.h"
#include "model/UserDefaults.h"
#include "platform/kit/Cursor.h"
#include "shapes/Bezier.h"

#include <functional>

namespace {

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Command = Qt::ControlModifier;

using Points = std::vector<pf::Point>;

} // namespace

class CanvasBezierToolTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        UserDefaults::instance().setDragThreshold(4);
    }
    void choosePen()
    {
        keyDown(Qt::Key_P, {}, QStringLiteral("p"));
        ASSERT_TRUE(tool());
    }
    MouseStrategyBezier* tool() const { return dynamic_cast<MouseStrategyBezier*>(canvas->mouseStrategy().get()); }
    std::vector<std::shared_ptr<Bezier>> beziers() const
    {
        std::vector<std::shared_ptr<Bezier>> found;
        for (const auto& child : page->children())
            if (auto b = std::dynamic_pointer_cast<Bezier>(child))
                found.push_back(b);
        return found;
    }
    std::shared_ptr<Bezier> onlyBezier() const
    {
        const auto all = beziers();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? nullptr : all.front();
    }
    void setZoom(double scale)
    {
        page->setOverrideZoomScale(scale);
        canvas->updateForZoomScale();
    }
    // Click at each point in turn, moving there first as a hand does.
    void clickAt(std::initializer_list<pf::Point> points, Qt::KeyboardModifiers modifiers = {})
    {
        for (const pf::Point& p : points) {
            hover(p, modifiers);
            click(p, modifiers);
        }
    }
};

TEST_F(CanvasBezierToolTest, TheWaysOfEndingACurveLeaveItsPlacedPoints)
{
    const pf::Point a(103, 421), b(203, 441), c(263, 503), d(341, 470), mouse(402, 531);
    struct Case {
        const char* name;
        std::function<void()> gesture;
        Points expected; // empty: no curve left on the page
        bool closed;
        bool toolEnds;
    };
    const Case cases[] = {
        {"A, B, C, double-click D", [&] { clickAt({a, b, c, d}), click(d, {}, true); }, {a, b, c, d}, false, true},
        {"A, B, C, a click beside A closes",
         [&] { clickAt({a, b, c, pf::Point(a.x + 2, a.y - 2)}); }, {a, b, c}, true, true},
        {"A, B, C, a Command-click on A closes and keeps the tool",
         [&] { clickAt({a, b, c}), clickAt({a}, Command); }, {a, b, c}, true, false},
        {"A, B, double-click", [&] { clickAt({a, b}), click(b, {}, true); }, {a, b}, false, true},
        {"a double-click on A: one point is no curve to end", [&] { clickAt({a}), click(a, {}, true); }, {a, a}, false,
         false},
        {"A, B, C and the floating point, Delete", [&] { clickAt({a, b, c}), hover(mouse), keyDown(Qt::Key_Delete); },
         {a, b, mouse}, false, false},
        {"A and the floating point, Delete", [&] { clickAt({a}), hover(mouse), keyDown(Qt::Key_Delete); }, {}, false, true},
        {"Escape with nothing drawn", [&] { keyDown(Qt::Key_Escape); }, {}, false, true},
        {"Escape during the first press", [&] { hover(a), press(a), keyDown(Qt::Key_Escape); }, {}, false, true},
        {"Escape during the first press, dragged",
         [&] { hover(a), press(a), dragTo(pf::Point(a.x + 30, a.y)), keyDown(Qt::Key_Escape); }, {}, false, true},
        {"Escape during the first press, dragged and Shift changed",
         [&] { hover(a), press(a), dragTo(pf::Point(a.x + 30, a.y)), modifiersChange(Shift), keyDown(Qt::Key_Escape); },
         {}, false, true},
        {"A, Escape", [&] { clickAt({a}), hover(mouse), keyDown(Qt::Key_Escape); }, {}, false, true},
        {"A, B, Escape", [&] { clickAt({a, b}), hover(mouse), keyDown(Qt::Key_Escape); }, {a, b}, false, true},
        {"A, B, Escape with the floating point Shift-held away from the pointer, which is nearer A",
         [&] {
             clickAt({a, b});
             modifiersChange(Shift);
             hover(pf::Point(a.x + 2, a.y + 2), Shift);
             keyDown(Qt::Key_Escape);
         },
         {a, b}, false, true},
        {"A, B, pulling C's handles, Escape",
         [&] { clickAt({a, b}), hover(c), press(c), dragTo(pf::Point(c.x + 30, c.y)), keyDown(Qt::Key_Escape); },
         {a, b, c}, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        makeCanvas();
        UserDefaults::instance().setDragThreshold(4);
        choosePen();
        k.gesture();
        if (k.expected.empty()) {
            EXPECT_TRUE(beziers().empty());
        } else {
            const auto curve = onlyBezier();
            ASSERT_TRUE(curve);
            EXPECT_EQ(curve->modelPoints(), k.expected);
            EXPECT_EQ(curve->closed(), k.closed);
            EXPECT_EQ(curve->isGenerating(), !k.toolEnds && !k.closed);
        }
        EXPECT_EQ(canvas->mouseStrategy() == nullptr, k.toolEnds);
        if (!k.expected.empty() && (k.toolEnds || k.closed)) {
            // The finished curve is selected afresh by its own selection.
            const auto selection = std::dynamic_pointer_cast<BezierManipulator>(canvas->manipulator());
            ASSERT_TRUE(selection);
            EXPECT_EQ(selection->children().front(), beziers().front());
        }
        if (tool() && k.closed) {
            // Kept for another curve, which starts afresh.
            EXPECT_EQ(tool()->currentModelIndex(), 0);
            clickAt({pf::Point(500, 540), pf::Point(560, 550)});
            EXPECT_EQ(beziers().size(), 2u);
        }
    }
}

TEST_F(CanvasBezierToolTest, DeleteWhilePlacingTheFourthPointTakesBackTheThirdAndKeepsItsControl)
{
    const pf::Point a(103, 421), b(203, 441), c(263, 503), mouse(402, 531);
    choosePen();
    clickAt({a, b});
    // C's handles pulled out, so the segment B-C is a curve.
    hover(c);
    drag(c, pf::Point(c.x + 40, c.y + 10));
    hover(mouse);
    const auto curve = onlyBezier();
    ASSERT_EQ(curve->modelPointCount(), 4);
    const pf::Point bOutgoing = curve->firstControlPointAtModelIndex(2);
    keyDown(Qt::Key_Delete);
    EXPECT_EQ(curve->modelPoints(), (Points{a, b, mouse}));
    EXPECT_EQ(tool()->currentModelIndex(), 2);
    // The floating point's segment leaves B as B-C did, and it still follows the pointer.
    EXPECT_EQ(curve->firstControlPointAtModelIndex(2), bOutgoing);
    hover(pf::Point(420, 540));
    EXPECT_EQ(curve->modelPoints().back(), pf::Point(420, 540));
    EXPECT_EQ(curve->firstControlPointAtModelIndex(2), bOutgoing);
}

TEST_F(CanvasBezierToolTest, ADragPullsSymmetricHandlesAndCommandPullsTheOutgoingOneAlone)
{
    const pf::Point a(103, 421), b(203, 441);
    const pf::Point pulled(b.x + 40, b.y);
    for (const bool command : {false, true}) {
        SCOPED_TRACE(command ? "with Command" : "without");
        makeCanvas();
        UserDefaults::instance().setDragThreshold(4);
        choosePen();
        clickAt({a});
        hover(b);
        press(b);
        const Qt::KeyboardModifiers held = command ? Qt::KeyboardModifiers(Command) : Qt::KeyboardModifiers();
        for (const double x : {10.0, 25.0, 40.0})
            dragTo(pf::Point(b.x + x, b.y), held);
        release(pulled, held);
        const auto curve = onlyBezier();
        ASSERT_EQ(curve->modelPointCount(), 3);
        EXPECT_EQ(curve->modelPointAtIndex(1), b);
        // The floating point starts where the drag ended; the outgoing handle is where the pointer was.
        EXPECT_EQ(curve->modelPointAtIndex(2), pulled);
        EXPECT_EQ(curve->firstControlPointAtModelIndex(2), pulled);
        // The stored (incoming) control: as far to the left, or left on the point with Command.
        EXPECT_EQ(curve->secondControlPointAtModelIndex(1), command ? b : pf::Point(b.x - 40, b.y));
        // Moving the outgoing handle later carries the incoming one across only when they were not pulled
        // apart.
        const pf::Point before = curve->secondControlPointAtModelIndex(1);
        curve->setPointAtHandleIndex(pf::Point(b.x + 40, b.y + 40), curve->firstControlPointHandleIndexForModelIndex(2));
        if (command)
            EXPECT_EQ(curve->secondControlPointAtModelIndex(1), before);
        else
            EXPECT_EQ(curve->secondControlPointAtModelIndex(1), pf::Point(b.x - 40, b.y - 40));
    }
}

TEST_F(CanvasBezierToolTest, ADragUnderTheThresholdOverTheZoomIsACorner)
{
    const pf::Point a(103, 421), b(203, 441);
    struct Case {
        double zoom;
        double dragged; // page points
        bool pulls;
    };
    // Threshold 4 screen points: 4 page points at zoom 1, 2 at zoom 2.
    const Case cases[] = {{1, 3.5, false}, {1, 6, true}, {2, 1.5, false}, {2, 3, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << k.zoom << ", dragged " << k.dragged);
        makeCanvas();
        UserDefaults::instance().setDragThreshold(4);
        setZoom(k.zoom);
        choosePen();
        clickAt({a});
        hover(b);
        press(b);
        dragTo(pf::Point(b.x + k.dragged, b.y));
        release(pf::Point(b.x + k.dragged, b.y));
        const auto curve = onlyBezier();
        ASSERT_GE(curve->modelPointCount(), 3);
        EXPECT_EQ(curve->modelPointAtIndex(1), b);
        if (k.pulls) {
            EXPECT_FALSE(curve->isInvisibleAtModelIndex(1));
            EXPECT_EQ(curve->secondControlPointAtModelIndex(1), pf::Point(b.x - k.dragged, b.y));
        } else {
            // A corner: its handles lie on it and are not shown.
            EXPECT_TRUE(curve->isInvisibleAtModelIndex(1));
            EXPECT_EQ(curve->secondControlPointAtModelIndex(1), b);
        }
    }
}

TEST_F(CanvasBezierToolTest, ShiftHoldsTheFloatingPointToTheNearestOfTheEightDirections)
{
    const pf::Point r(300, 480);
    struct Case {
        pf::Point towards;
        pf::Point held;
    };
    const Case cases[] = {
        {{100, 10}, {100, 0}},    {{100, 90}, {100, 100}},   {{10, 100}, {0, 100}},     {{-90, 100}, {-100, 100}},
        {{-100, 10}, {-100, 0}},  {{-100, -90}, {-100, -100}}, {{-10, -100}, {0, -100}}, {{90, -100}, {100, -100}},
        {{100, -10}, {100, 0}},   {{-10, 100}, {0, 100}},
    };
    choosePen();
    clickAt({r});
    modifiersChange(Shift);
    const auto curve = onlyBezier();
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "towards (" << k.towards.x << ", " << k.towards.y << ")");
        hover(r + k.towards, Shift);
        EXPECT_EQ(curve->modelPoints().back(), r + k.held);
    }
}

TEST_F(CanvasBezierToolTest, ShiftPressedOrReleasedWithoutAMoveReappliesTheConstraint)
{
    const pf::Point r(300, 480);
    choosePen();
    clickAt({r});
    hover(pf::Point(400, 490));
    const auto curve = onlyBezier();
    EXPECT_EQ(curve->modelPoints().back(), pf::Point(400, 490));
    modifiersChange(Shift);
    EXPECT_TRUE(tool()->shiftConstrain());
    EXPECT_EQ(curve->modelPoints().back(), pf::Point(400, 480));
    modifiersChange({});
    EXPECT_EQ(curve->modelPoints().back(), pf::Point(400, 490));
    // While pulling handles, the pulled handle is held the same way, about the pressed point.
    const pf::Point b(400, 490);
    press(b);
    dragTo(pf::Point(b.x + 40, b.y + 6));
    EXPECT_EQ(curve->secondControlPointAtModelIndex(1), pf::Point(b.x - 40, b.y - 6));
    modifiersChange(Shift);
    EXPECT_EQ(curve->secondControlPointAtModelIndex(1), pf::Point(b.x - 40, b.y));
}

TEST_F(CanvasBezierToolTest, ThePenShowsItsCursorAndTheCloseCursorOverTheFirstPoint)
{
    const pf::Point a(103, 421), b(203, 441), c(263, 503);
    choosePen();
    EXPECT_EQ(canvas->shownCursor(), MouseStrategyBezier::penCursor());
    clickAt({a});
    // One point and the floating one: not yet.
    hover(pf::Point(a.x + 1, a.y));
    EXPECT_EQ(canvas->shownCursor(), MouseStrategyBezier::penCursor());
    clickAt({b, c});
    hover(pf::Point(a.x + 1, a.y));
    EXPECT_EQ(canvas->shownCursor(), MouseStrategyBezier::closeCursor());
    hover(pf::Point(a.x + 4, a.y));
    EXPECT_EQ(canvas->shownCursor(), MouseStrategyBezier::penCursor());
    // The cursors: pictures of their sizes, hot spot at the nib's tip, drawn at 1x and 2x.
    for (const auto* cursor : {&MouseStrategyBezier::penCursor(), &MouseStrategyBezier::closeCursor()}) {
        EXPECT_EQ(cursor->shape(), pf::Cursor::Shape::Custom);
        EXPECT_EQ(cursor->hotSpot(), pf::Point(7, 1));
        EXPECT_EQ(cursor->image().bitmapCount(), 2);
    }
    EXPECT_EQ(MouseStrategyBezier::penCursor().image().size(), pf::Size(16, 19));
    EXPECT_EQ(MouseStrategyBezier::closeCursor().image().size(), pf::Size(21, 24));
}

TEST_F(CanvasBezierToolTest, OneUndoRemovesAFinishedCurveAndRedoBringsItBack)
{
    const pf::Point a(103, 421), b(203, 441), c(263, 503), d(341, 470);
    choosePen();
    clickAt({a});
    endTurn();
    clickAt({b});
    endTurn();
    hover(c);
    drag(c, pf::Point(c.x + 30, c.y));
    endTurn();
    keyDown(Qt::Key_Delete);
    endTurn();
    clickAt({c, d});
    click(d, {}, true);
    endTurn();
    const auto curve = onlyBezier();
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->modelPoints(), (Points{a, b, c, d}));
    EXPECT_FALSE(undo.hasExplicitGroup());
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(beziers().empty());
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(onlyBezier()->modelPoints(), (Points{a, b, c, d}));
}

TEST_F(CanvasBezierToolTest, AnotherToolChosenMidCurveLeavesTheCurveDoneGenerating)
{
    const pf::Point a(103, 421), b(203, 441);
    choosePen();
    clickAt({a, b});
    const auto curve = onlyBezier();
    ASSERT_TRUE(curve->isGenerating());
    keyDown(Qt::Key_R, {}, QStringLiteral("r"));
    EXPECT_FALSE(tool());
    EXPECT_FALSE(curve->isGenerating());
    // Chosen again, the pen starts a new curve.
    choosePen();
    clickAt({pf::Point(500, 540), pf::Point(560, 550)});
    EXPECT_EQ(beziers().size(), 2u);
}
