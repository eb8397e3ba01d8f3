// The path tool: points placed click by click, the ways a path ends (double-click, Escape, a drop on a
// connection point, Delete of the last point), Shift re-constraining without a move, and the undo step.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategyPath.h"
#include "manipulators/PathManipulator.h"
#include "model/Connection.h"
#include "shapes/SmartPath.h"

#include <functional>

namespace {

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Command = Qt::ControlModifier;

using Points = std::vector<pf::Point>;

} // namespace

class CanvasPathToolTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
    }
    void choosePathTool()
    {
        keyDown(Qt::Key_S, {}, QStringLiteral("s"));
        ASSERT_TRUE(tool());
    }
    MouseStrategyPath* tool() const { return dynamic_cast<MouseStrategyPath*>(canvas->mouseStrategy().get()); }
    // The paths on the page, in page order.
    std::vector<std::shared_ptr<Path>> paths() const
    {
        std::vector<std::shared_ptr<Path>> found;
        for (const auto& child : page->children())
            if (auto path = std::dynamic_pointer_cast<Path>(child))
                found.push_back(path);
        return found;
    }
    Points pointsOfOnlyPath() const
    {
        const auto all = paths();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? Points{} : all.front()->modelPoints();
    }
    // A path begun at (300, 460) whose pointer rests on the left connection point of a rectangle, then a
    // click there (which ends the path on the next turn); the rectangle.
    std::shared_ptr<Shape> clickPathOntoAConnectionPoint()
    {
        auto target = addShape("Rectangle", pf::Rect(500, 420, 100, 80));
        choosePathTool();
        click(pf::Point(300, 460));
        hover(pf::Point(498, 460));
        hover(pf::Point(500, 460));
        EXPECT_TRUE(canvas->draggingConnection());
        click(pf::Point(500, 460));
        return target;
    }
};

TEST_F(CanvasPathToolTest, TheWaysOfEndingAPathLeaveItsFixedPoints)
{
    const pf::Point a(100, 420), b(200, 440), c(260, 500), mouse(300, 520);
    struct Case {
        const char* name;
        std::function<void()> gesture;
        Points expected; // empty: no path left on the page
        bool toolEnds;
    };
    const Case cases[] = {
        {"click, click, double-click",
         [&] {
             click(a);
             hover(b);
             click(b);
             hover(c);
             click(c);
             click(c, {}, true);
         },
         {a, b, c}, true},
        {"a first press dragged away, a click, a double-click",
         [&] {
             press(a);
             dragTo(pf::Point(150, 430));
             dragTo(b);
             release(b);
             hover(c);
             click(c);
             click(c, {}, true);
         },
         {a, b, c}, true},
        {"a click that shook, click, double-click",
         [&] {
             press(a);
             dragTo(pf::Point(a.x + 2, a.y + 1));
             release(pf::Point(a.x + 2, a.y + 1));
             hover(b);
             click(b);
             hover(c);
             click(c);
             click(c, {}, true);
         },
         {a, b, c}, true},
        {"click, click, Escape",
         [&] {
             click(a);
             hover(b);
             click(b);
             hover(mouse);
             keyDown(Qt::Key_Escape);
         },
         {a, b}, true},
        {"click, Escape",
         [&] {
             click(a);
             hover(b);
             keyDown(Qt::Key_Escape);
         },
         {}, true},
        {"Delete with three fixed points and the following one",
         [&] {
             click(a);
             click(b);
             click(c);
             hover(mouse);
             keyDown(Qt::Key_Delete);
         },
         {a, b, mouse}, false},
        {"Delete before a second point is fixed",
         [&] {
             click(a);
             hover(b);
             keyDown(Qt::Key_Delete);
         },
         {}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        makeCanvas();
        choosePathTool();
        k.gesture();
        if (k.expected.empty())
            EXPECT_TRUE(paths().empty());
        else
            EXPECT_EQ(pointsOfOnlyPath(), k.expected);
        EXPECT_EQ(canvas->mouseStrategy() == nullptr, k.toolEnds);
        if (k.toolEnds && !k.expected.empty()) {
            // The finished path is selected afresh, by its own selection, with no drag left running.
            auto selection = std::dynamic_pointer_cast<PathManipulator>(canvas->manipulator());
            ASSERT_TRUE(selection);
            EXPECT_EQ(selection->children().front(), paths().front());
            EXPECT_FALSE(selection->dragResizing());
            EXPECT_FALSE(selection->blockDisableUndo());
        }
        if (!k.toolEnds) {
            // Drawing goes on: the following point is the last one.
            EXPECT_EQ(tool()->currentModelIndex(), static_cast<std::int64_t>(k.expected.size()) - 1);
            hover(pf::Point(320, 540));
            EXPECT_EQ(pointsOfOnlyPath().back(), pf::Point(320, 540));
        }
    }
}

TEST_F(CanvasPathToolTest, OneUndoRemovesAFinishedPathAndRedoBringsItBack)
{
    choosePathTool();
    click(pf::Point(100, 420));
    endTurn();
    hover(pf::Point(200, 440));
    click(pf::Point(200, 440));
    endTurn();
    hover(pf::Point(260, 500));
    click(pf::Point(260, 500));
    click(pf::Point(260, 500), {}, true);
    endTurn();
    ASSERT_EQ(paths().size(), 1u);
    EXPECT_FALSE(undo.hasExplicitGroup());
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(paths().empty());
    EXPECT_TRUE(!canvas->manipulator() || canvas->manipulator()->isEmpty()) << "no selection of a path that is gone";
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(pointsOfOnlyPath(), (Points{{100, 420}, {200, 440}, {260, 500}}));
}

TEST_F(CanvasPathToolTest, ShiftPressedAndReleasedWithoutAMoveReconstrainsTheFollowingPoint)
{
    choosePathTool();
    click(pf::Point(100, 420));
    hover(pf::Point(200, 430));
    EXPECT_EQ(pointsOfOnlyPath().back(), pf::Point(200, 430));
    // Shift lines the following point up with the nearest point at once: along x here.
    modifiersChange(Shift);
    EXPECT_TRUE(tool()->shiftConstrain());
    EXPECT_EQ(pointsOfOnlyPath().back(), pf::Point(200, 420));
    modifiersChange({});
    EXPECT_FALSE(tool()->shiftConstrain());
    EXPECT_EQ(pointsOfOnlyPath().back(), pf::Point(200, 430));
}

TEST_F(CanvasPathToolTest, ADropOnAConnectionPointEndsThePathAttachedAndCommandKeepsTheTool)
{
    for (const bool command : {false, true}) {
        SCOPED_TRACE(command ? "with Command" : "without");
        makeCanvas();
        // A target well away from the page's other shapes.
        addShape("Rectangle", pf::Rect(500, 420, 100, 80));
        choosePathTool();
        click(pf::Point(300, 460));
        // The following point onto the middle of the left edge.
        hover(pf::Point(420, 455));
        hover(pf::Point(498, 460));
        hover(pf::Point(500, 460));
        ASSERT_TRUE(canvas->draggingConnection());
        click(pf::Point(500, 460), command ? Command : Qt::KeyboardModifiers());
        // The end comes on the next turn of the main queue, with the connection made.
        EXPECT_TRUE(tool());
        advance(0.0);
        EXPECT_EQ(tool() != nullptr, command);
        advance(1.0);
        ASSERT_EQ(paths().size(), 1u);
        const auto path = paths().front();
        EXPECT_EQ(path->modelPoints().size(), 2u);
        EXPECT_TRUE(path->isConnectedAtCorner(path->cornerB()));
        if (command) {
            EXPECT_EQ(tool()->currentModelIndex(), -1);
            click(pf::Point(100, 300));
            EXPECT_EQ(paths().size(), 2u) << "another path is begun";
        }
    }
}

TEST_F(CanvasPathToolTest, ADoubleClickOnAConnectionPointEndsThePathAndOpensNoTextEditing)
{
    // The first release ends the path on the next turn; the second press and release come after it.
    const auto target = clickPathOntoAConnectionPoint();
    advance(0.0);
    ASSERT_FALSE(tool());
    click(pf::Point(500, 460), {}, true);
    // The connection is made once its flash is over.
    advance(1.0);
    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_FALSE(target->isEditingText());
    ASSERT_EQ(paths().size(), 1u);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{paths().front()});
    EXPECT_TRUE(paths().front()->isConnectedAtCorner(paths().front()->cornerB()));
    // A later click is an ordinary click again: a double-click there edits the shape's text.
    click(pf::Point(550, 460));
    click(pf::Point(550, 460), {}, true);
    EXPECT_TRUE(canvas->isEditingText());
}

TEST_F(CanvasPathToolTest, AStaleConnectionFinishDoesNothing)
{
    clickPathOntoAConnectionPoint();
    // The user switches tools before the next turn: the pending finish belongs to a tool that is gone.
    keyDown(Qt::Key_R, {}, QStringLiteral("r"));
    ASSERT_FALSE(tool());
    const auto now = canvas->mouseStrategy();
    advance(1.0);
    EXPECT_EQ(canvas->mouseStrategy(), now);
}

TEST_F(CanvasPathToolTest, ADragFromConnectionOptionFifteenDrawsAPathAttachedToTheShapesCentre)
{
    canvas->replaceSelectionWithShape(rectangle);
    const auto selection = canvas->manipulator();
    ASSERT_TRUE(selection);
    // The connection handle shows the options; option 15 is the path's.
    click(QVRectGetMidMidPoint(selection->connectionHandle()));
    ASSERT_TRUE(selection->connectionOptionsVisible());
    const pf::Rect option = selection->connectionOptionRects(selection->connectionHandle())[3];
    const pf::Point centre = QVPointRound(rectangle->center());
    press(QVRectGetMidMidPoint(option));
    ASSERT_TRUE(tool());
    dragTo(pf::Point(700, 100));
    dragTo(pf::Point(720, 110));
    release(pf::Point(720, 110));
    ASSERT_EQ(paths().size(), 1u);
    const auto path = paths().front();
    EXPECT_EQ(path->modelPointAtIndex(0), centre);
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(720, 110));
    EXPECT_TRUE(path->isConnectedAtCorner(0));
    // The release put the second point down; the path goes on point by point from there.
    EXPECT_EQ(tool()->currentModelIndex(), 2);
    hover(pf::Point(760, 200));
    click(pf::Point(760, 200));
    click(pf::Point(760, 200), {}, true);
    EXPECT_EQ(path->modelPoints(), (Points{centre, {720, 110}, {760, 200}}));
}
