// The path's selection: point handles at every zoom, points put in and taken out by double-click, the point
// drag's Shift and Option alignments, and the loosening of a dragged end.
#include "ManipulatorTestSupport.h"

#include "manipulators/PathManipulator.h"
#include "model/Connection.h"
#include "platform/foundation/Event.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/SmartPath.h"

#include <cmath>

namespace {

using Points = std::vector<pf::Point>;

pf::Event dragEvent(pf::ModifierFlags modifiers = 0)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.modifierFlags = modifiers;
    return e;
}

} // namespace

class PathManipulatorTest : public ManipulatorTest {
protected:
    // A path through the points, selected, its making left out of the undo history.
    std::shared_ptr<PathManipulator> selectPath(const Points& points)
    {
        shape = add("Path", {0, 0, 100, 100});
        path = dynamic_cast<Path*>(shape.get());
        path->setModelPoints(points);
        owner.undo.removeAllActions();
        auto m = selectAs<PathManipulator>({shape});
        m->setCanvas(&canvas);
        return m;
    }
    // A point drag of handle i from its point through the steps, ended.
    void dragPoint(PathManipulator& m, std::int64_t i, const std::vector<std::pair<pf::Point, pf::ModifierFlags>>& steps)
    {
        m.beginDragResizeAtPointWithHandle(path->modelPointAtIndex(std::size_t(i)), i);
        for (const auto& [p, flags] : steps)
            m.mouseDragResizeEventAtPoint(dragEvent(flags), p);
        m.endDragResize(dragEvent());
    }

    EditingCanvas canvas;
    std::shared_ptr<Shape> shape;
    Path* path = nullptr;
};

TEST_F(PathManipulatorTest, AHandleKeepsItsSizeOnScreenAndHitsEvenWhenHidden)
{
    const auto m = selectPath({{100, 100}, {200, 150}, {300, 100}});
    for (const double zoom : {1.0, 2.0}) {
        SCOPED_TRACE(zoom);
        page->setOverrideZoomScale(zoom);
        const double half = 5.0 / zoom;
        // Just inside and just outside each edge of point 1's square.
        const double in = half * 0.9, out = half * 1.1;
        EXPECT_EQ(m->handleForPoint({200 + in, 150 - in}), 1);
        EXPECT_EQ(m->handleForPoint({200 - in, 150 + in}), 1);
        EXPECT_EQ(m->handleForPoint({200 + out, 150}), -1);
        EXPECT_EQ(m->handleForPoint({200, 150 - out}), -1);
        EXPECT_EQ(m->handleForPoint({100, 100}), 0);
        EXPECT_EQ(m->handleForPoint({300, 100}), 2);
    }
    page->setOverrideZoomScale(1.0);
    path->setHideHandles(true);
    EXPECT_EQ(m->handleForPoint({200, 150}), 1);
}

TEST_F(PathManipulatorTest, HandlesAreDrawnOnScreenOnlyAtTheirScreenSizeWithTheirStates)
{
    const auto m = selectPath({{100, 100}, {200, 150}, {300, 100}});
    const auto draw = [&](bool onScreen) {
        pf::RecordingContext context(QRectF(0, 0, 1200, 1000), onScreen);
        const double s = m->currentScale();
        m->drawHandlesInContext(context, Manipulator::HandleOverlay{pf::AffineTransform{s, 0, 0, s, 50, 50}, s});
        std::vector<pf::Rect> squares;
        std::vector<double> fills;
        std::vector<pf::Color> outlines;
        for (const pf::RecordedCall& c : context.calls()) {
            const pf::Rect b = c.path.bounds();
            if (b.width() != 10 || b.height() != 10 || c.path.elementCount() != 5)
                continue;
            if (c.operation == "fill") {
                squares.push_back(b);
                fills.push_back(c.state.fillColor.red);
            } else if (c.operation == "stroke") {
                outlines.push_back(c.state.strokeColor);
            }
        }
        return std::make_tuple(squares, fills, outlines);
    };
    for (const double zoom : {1.0, 2.0}) {
        SCOPED_TRACE(zoom);
        page->setOverrideZoomScale(zoom);
        m->setActiveHandle(1);
        m->beginDragResizeAtPointWithHandle({200, 150}, 1);
        const auto [squares, fills, outlines] = draw(true);
        ASSERT_EQ(squares.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const pf::Point p = path->modelPointAtIndex(i);
            EXPECT_NEAR(squares[i].midX(), 50 + p.x * zoom, 1.0);
            EXPECT_NEAR(squares[i].midY(), 50 + p.y * zoom, 1.0);
        }
        // The dragged handle is grey, the others white; only the active one is outlined in cyan.
        EXPECT_NE(fills[1], fills[0]);
        EXPECT_EQ(fills[0], fills[2]);
        ASSERT_EQ(outlines.size(), 3u);
        EXPECT_EQ(outlines[1], ManipulatorClass::activeStrokeColor());
        EXPECT_NE(outlines[0], ManipulatorClass::activeStrokeColor());
        m->endDragResize(dragEvent());
        EXPECT_TRUE(std::get<0>(draw(false)).empty()) << "nothing in a picture that is not the screen";
        // The whole handle lies inside the redisplay rect.
        const pf::Rect dirty = m->dirtyRect();
        EXPECT_TRUE(dirty.contains(pf::Point(100 - 5 / zoom, 100 - 5 / zoom)));
    }
    path->setHideHandles(true);
    EXPECT_TRUE(std::get<0>(draw(true)).empty());
}

TEST_F(PathManipulatorTest, ADoubleClickOnTheOutlinePutsInAPointThatTheDragMovesAsOneUndoStep)
{
    const auto m = selectPath({{100, 100}, {300, 100}});
    EXPECT_FALSE(m->doubleClickedAtPoint({200, 101})) << "the press goes on into a drag";
    ASSERT_EQ(path->modelPoints().size(), 3u);
    EXPECT_TRUE(m->doubleClick());
    const std::int64_t h = m->handleForPoint({200, 101});
    ASSERT_EQ(h, 1);
    m->beginDragResizeAtPointWithHandle({200, 101}, h);
    EXPECT_TRUE(m->doubleClickDrag());
    m->mouseDragResizeEventAtPoint(dragEvent(), {210, 160});
    m->endDragResize(dragEvent());
    EXPECT_EQ(path->modelPoints(), (Points{{100, 100}, {210, 160}, {300, 100}}));
    EXPECT_FALSE(m->doubleClickDrag());
    EXPECT_EQ(owner.undo.groupingLevel(), 0) << "the insert's group is closed, and no other";
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(path->modelPoints(), (Points{{100, 100}, {300, 100}}));
    EXPECT_FALSE(owner.undo.canUndo());

    // A press that does not drag closes the group as well.
    EXPECT_FALSE(m->doubleClickedAtPoint({150, 100}));
    m->beginDragResizeAtPointWithHandle({150, 100}, 1);
    m->endDragResize(dragEvent());
    EXPECT_EQ(owner.undo.groupingLevel(), 0);

    // An explicit group someone else opened stays open.
    const pf::UndoGroupToken foreign = owner.undo.beginUndoGrouping();
    EXPECT_FALSE(m->doubleClickedAtPoint({250, 100}));
    m->beginDragResizeAtPointWithHandle({250, 100}, 2);
    m->endDragResize(dragEvent());
    EXPECT_EQ(owner.undo.groupingLevel(), 1);
    EXPECT_TRUE(owner.undo.endUndoGrouping(foreign));
}

TEST_F(PathManipulatorTest, ADoubleClickOnAHandleTakesThePointOutWhileMoreThanTwoRemain)
{
    const auto m = selectPath({{100, 100}, {200, 150}, {300, 100}});
    EXPECT_TRUE(m->allowsRemovePoint());
    EXPECT_TRUE(m->doubleClickedAtPoint({201, 149}));
    EXPECT_EQ(path->modelPoints(), (Points{{100, 100}, {300, 100}}));
    EXPECT_FALSE(m->allowsRemovePoint());
    EXPECT_FALSE(m->doubleClickedAtPoint({300, 100}));
    EXPECT_EQ(path->modelPoints().size(), 2u);
}

TEST_F(PathManipulatorTest, ALockedPathIgnoresPointDragsAndUsesUpDoubleClicks)
{
    const auto m = selectPath({{100, 100}, {300, 100}});
    path->setLocked(true);
    owner.undo.removeAllActions();
    EXPECT_TRUE(m->doubleClickedAtPoint({200, 100}));
    dragPoint(*m, 1, {{{320, 140}, 0}});
    EXPECT_EQ(path->modelPoints(), (Points{{100, 100}, {300, 100}}));
    EXPECT_FALSE(owner.undo.canUndo());
}

TEST_F(PathManipulatorTest, OptionKeepsAMiddlePointOnALineThroughItsNeighboursMidpoint)
{
    // Neighbours (100, 100) and (300, 200): midpoint (200, 150).
    const auto m = selectPath({{100, 100}, {200, 300}, {300, 200}});
    m->beginDragResizeAtPointWithHandle({200, 300}, 1);
    // Nearer the midpoint across than along: the point stays on the vertical line x = 200.
    m->mouseDragResizeEventAtPoint(dragEvent(pf::OptionKeyMask), {205, 260});
    EXPECT_EQ(m->lockType(), 2u);
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(200, 260));
    canvas.guides.clear();
    m->mouseDragResizeEventAtPoint(dragEvent(pf::OptionKeyMask), {260, 240});
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(200, 240));
    ASSERT_FALSE(canvas.guides.empty());
    EXPECT_EQ(canvas.guides.front().from.x, 200);
    EXPECT_EQ(canvas.guides.front().to.x, 200);
    // Released: free again on the next event.
    m->mouseDragResizeEventAtPoint(dragEvent(), {260, 240});
    EXPECT_EQ(m->lockType(), 0u);
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(260, 240));
    m->endDragResize(dragEvent());
}

TEST_F(PathManipulatorTest, ShiftAlignsWithTheNearestPointThenSnapsToANeighbourAlongTheAxis)
{
    const double tolerance = UserDefaults::instance().snapTolerance();
    ASSERT_GT(tolerance, 1.0);
    const auto m = selectPath({{100, 100}, {200, 300}, {300, 200}});
    m->beginDragResizeAtPointWithHandle({200, 300}, 1);
    // Nearest other point (300, 200); further from it in x than in y: y is taken from it, horizontally.
    m->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {240, 210});
    EXPECT_EQ(m->lockType(), 1u);
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(240, 200));
    // Along y = 200, x comes onto the next neighbour's within the tolerance; beyond it, x is free.
    m->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {300 - tolerance / 2, 230});
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(300, 200));
    m->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {300 - tolerance * 2, 230});
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(std::round(300 - tolerance * 2), 200));
    // Released: free again.
    m->mouseDragResizeEventAtPoint(dragEvent(), {250, 260});
    EXPECT_EQ(m->lockType(), 0u);
    EXPECT_EQ(path->modelPointAtIndex(1), pf::Point(250, 260));
    m->endDragResize(dragEvent());
}

TEST_F(PathManipulatorTest, ShiftOnAnEndNearThePagesAxesDoesNotSnapToThem)
{
    const double tolerance = UserDefaults::instance().snapTolerance();
    // The first point has no previous neighbour: nothing stands for one at the page's origin.
    const auto m = selectPath({{2, 300}, {200, 100}, {400, 200}});
    m->beginDragResizeAtPointWithHandle({2, 300}, 0);
    // Nearest other point (200, 100), further across than along: locked to y = 100.
    m->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {2, 250});
    EXPECT_EQ(m->lockType(), 1u);
    EXPECT_EQ(path->modelPointAtIndex(0), pf::Point(2, 100));
    m->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {tolerance / 2, 120});
    EXPECT_EQ(path->modelPointAtIndex(0), pf::Point(std::round(tolerance / 2), 100));
    m->endDragResize(dragEvent());
}

TEST_F(PathManipulatorTest, DraggingAnEndLoosensItAndUndoAttachesItAgain)
{
    const auto target = box({400, 50, 100, 100});
    const auto m = selectPath({{100, 100}, {200, 150}, {400, 100}});
    auto c = Connection::make(page.get());
    c->setShape(target);
    c->setPointer(shape);
    c->setPointerCorner(static_cast<QVRectCorner>(path->cornerB()));
    c->setShapeEdge(QVRectEdgeLeft);
    c->setShapeRatio(0.5);
    c->setCommitted(true);
    page->addConnection(c);
    owner.undo.removeAllActions();

    // A middle point's drag leaves the end attached; the end's own drag loosens it.
    dragPoint(*m, 1, {{{210, 170}, 0}});
    EXPECT_TRUE(path->isConnectedAtCorner(path->cornerB()));
    dragPoint(*m, 2, {{{380, 250}, 0}});
    EXPECT_FALSE(path->isConnectedAtCorner(path->cornerB()));
    EXPECT_EQ(path->modelPointAtIndex(2), pf::Point(380, 250));
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_TRUE(path->isConnectedAtCorner(path->cornerB()));
    EXPECT_EQ(path->modelPointAtIndex(2), pf::Point(400, 100));
}
