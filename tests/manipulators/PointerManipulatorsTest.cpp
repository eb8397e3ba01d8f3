// Connector selections: attachments that come loose and come back with the drag's undo, the ends as the only
// handles of a line, the elbow line's bends and elbow, and the offer of the shape under a dragged end.
#include "ManipulatorTestSupport.h"

#include "manipulators/PointerManipulators.h"
#include "model/Connection.h"
#include "platform/foundation/Event.h"
#include "shapes/AbstractPointer.h"

namespace {

pf::Event dragEvent(pf::ModifierFlags modifiers = 0)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.modifierFlags = modifiers;
    return e;
}

} // namespace

class PointerManipulatorTest : public ManipulatorTest {
protected:
    // A line from the right edge of one box to the left edge of another, attached at both ends.
    void SetUp() override
    {
        ManipulatorTest::SetUp();
        left = box({0, 100, 100, 100});
        right = box({300, 100, 100, 100});
        line = add("Line", {100, 150, 200, 0});
        pointer = dynamic_cast<AbstractPointer*>(line.get());
        ASSERT_NE(pointer, nullptr);
        attach(left, QVRectCornerTopLef, QVRectEdgeRight);
        attach(right, QVRectCornerBotRit, QVRectEdgeLeft);
        owner.undo.removeAllActions();
    }
    void attach(const std::shared_ptr<Shape>& shape, QVRectCorner corner, QVRectEdge edge)
    {
        auto c = Connection::make(page.get());
        c->setShape(shape);
        c->setPointer(line);
        c->setPointerCorner(corner);
        c->setShapeEdge(edge);
        c->setShapeRatio(0.5);
        c->setCommitted(true);
        page->addConnection(c);
    }
    std::pair<bool, bool> attached() const
    {
        return {pointer->isConnectedAtCorner(QVRectCornerTopLef), pointer->isConnectedAtCorner(QVRectCornerBotRit)};
    }

    std::shared_ptr<Shape> left, right, line;
    AbstractPointer* pointer = nullptr;
};

TEST_F(PointerManipulatorTest, AMovedConnectorComesLooseOnlyPastFourPointsAndUndoAttachesItAgain)
{
    auto m = selectAs<LineManipulator>({line});
    EXPECT_EQ(m->dragStartThresholdMultiplier(), 0.0) << "a single connector drags at the first movement";
    struct Case {
        pf::Size by;
        bool loose;
    };
    for (const Case c : {Case{{3, 3}, false}, Case{{4, -4}, false}, Case{{5, 0}, true}, Case{{0, -5}, true}}) {
        SCOPED_TRACE(testing::Message() << c.by.width << ", " << c.by.height);
        const pf::Rect start = line->frame();
        m->beginDragMoveAtPoint({200, 150});
        m->mouseDragMoveEventAtPoint(dragEvent(), {200 + c.by.width, 150 + c.by.height});
        m->endDragMove(dragEvent());
        EXPECT_EQ(attached(), std::make_pair(!c.loose, !c.loose));
        // One undo takes back the move and the loosening together.
        ASSERT_TRUE(owner.undo.undo());
        EXPECT_EQ(line->frame(), start);
        EXPECT_EQ(attached(), std::make_pair(true, true));
        ASSERT_TRUE(owner.undo.redo());
        EXPECT_EQ(attached(), std::make_pair(!c.loose, !c.loose));
        ASSERT_TRUE(owner.undo.undo());
    }

    // Two selected connectors keep the usual threshold.
    const auto other = add("Line", {0, 300, 50, 50});
    auto both = select({line, other});
    EXPECT_EQ(both->dragStartThresholdMultiplier(), 1.0);
}

TEST_F(PointerManipulatorTest, AGrabbedEndComesLooseAloneAndAClickPutsItBack)
{
    auto m = selectAs<LineManipulator>({line});
    // Grabbing end B loosens it at once, before any movement.
    m->beginDragResizeAtPointWithHandle({300, 150}, QVRectCornerBotRit);
    EXPECT_EQ(attached(), std::make_pair(true, false));
    // Released where it was: the attachment is back, and nothing was recorded.
    m->endDragResize(dragEvent());
    EXPECT_EQ(attached(), std::make_pair(true, true));
    EXPECT_FALSE(owner.undo.canUndo());

    // Dragged away: loose; one undo puts back the end and its attachment.
    m->beginDragResizeAtPointWithHandle({300, 150}, QVRectCornerBotRit);
    m->mouseDragResizeEventAtPoint(dragEvent(), {250, 220});
    m->endDragResize(dragEvent());
    EXPECT_EQ(line->frame(), pf::Rect(100, 150, 150, 70));
    EXPECT_EQ(attached(), std::make_pair(true, false));
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(line->frame(), pf::Rect(100, 150, 200, 0));
    EXPECT_EQ(attached(), std::make_pair(true, true));

    // A locked connector neither loosens nor moves.
    line->setLocked(true);
    m->beginDragResizeAtPointWithHandle({100, 150}, QVRectCornerTopLef);
    EXPECT_EQ(attached(), std::make_pair(true, true));
    EXPECT_FALSE(m->dragResizing());
}

TEST_F(PointerManipulatorTest, TheEndsAreALinesOnlyHandlesAndBothKindsOfEndsMove)
{
    for (const char* kind : {"Line", "Arc", "Pointer"}) {
        SCOPED_TRACE(kind);
        const auto shape = add(kind, {100, 250, 100, 50});
        auto m = selectAs<LineManipulator>({shape});
        EXPECT_EQ(m->handleForPoint({100, 250}), QVRectCornerTopLef);
        EXPECT_EQ(m->handleForPoint({200, 300}), QVRectCornerBotRit);
        for (const pf::Point p : {pf::Point(150, 250), pf::Point(200, 250), pf::Point(150, 275), pf::Point(100, 300)})
            EXPECT_EQ(m->handleForPoint(p), -1) << p.x << ", " << p.y;
        EXPECT_EQ(m->handleForPoint(centreOf(*m, m->rotationHandle())), -1);
        EXPECT_FALSE(m->allowsConnection());

        m->beginDragResizeAtPointWithHandle({200, 300}, QVRectCornerBotRit);
        m->mouseDragResizeEventAtPoint(dragEvent(), {230, 340});
        m->endDragResize(dragEvent());
        EXPECT_EQ(shape->frame(), pf::Rect(100, 250, 130, 90));
        m->beginDragResizeAtPointWithHandle({100, 250}, QVRectCornerTopLef);
        m->mouseDragResizeEventAtPoint(dragEvent(), {120, 260});
        m->endDragResize(dragEvent());
        EXPECT_EQ(shape->frame(), pf::Rect(120, 260, 110, 80));
        page->removeShape(m);
    }
}

TEST_F(PointerManipulatorTest, AnElbowLinesBendsAndElbow)
{
    // Bend handles close enough to overlap: the flipped line answers 5 before 3, the upright one 1 before 7.
    struct Case {
        bool flipped;
        pf::Rect frame;
        pf::Point point;
        std::int64_t handle;
    };
    for (const Case c : {Case{true, {100, 250, 4, 60}, {102, 284}, QVRectCornerMidRit},
                         Case{false, {100, 250, 60, 4}, {134, 252}, QVRectCornerTopMid}}) {
        SCOPED_TRACE(c.flipped ? "flipped" : "upright");
        const auto shape = add("SegmentedLine", c.frame);
        dynamic_cast<AbstractPointer*>(shape.get())->setFlipped(c.flipped);
        shape->setAdjustmentRatioX(0.1); // the elbow away from the bends
        auto m = selectAs<SegmentedLineManipulator>({shape});
        ASSERT_FALSE(m->adjustHandle().contains(c.point));
        EXPECT_EQ(m->handleForPoint(c.point), c.handle);
        page->removeShape(m);
    }

    // The elbow: ratios of the frame, kept to 0..1, in steps of 0.05 with Shift.
    const auto elbow = add("SegmentedLine", {100, 100, 200, 100});
    dynamic_cast<AbstractPointer*>(elbow.get())->setFlipped(false);
    auto m = selectAs<SegmentedLineManipulator>({elbow});
    EXPECT_EQ(m->handleForPoint(centreOf(*m, m->adjustHandle())), ManipulatorHandleAdjust);
    struct Step {
        pf::Point point;
        pf::ModifierFlags modifiers;
        double x, y;
    };
    for (const Step s : {Step{{151, 90}, pf::ShiftKeyMask, 0.25, 0.1}, Step{{153, 90}, 0, 0.265, 0.1},
                         Step{{500, -50}, pf::ShiftKeyMask, 1.0, 1.0}, Step{{0, 400}, pf::ShiftKeyMask, 0.0, 0.0}}) {
        m->beginDragAdjustAtPointWithHandle(s.point, ManipulatorHandleAdjust);
        m->mouseDragAdjustEventAtPoint(dragEvent(s.modifiers), s.point);
        m->endDragAdjust(dragEvent());
        EXPECT_NEAR(elbow->adjustmentRatioX(), s.x, 1e-9) << s.point.x;
        EXPECT_NEAR(elbow->adjustmentRatioY(), s.y, 1e-9) << s.point.y;
    }
}

TEST_F(PointerManipulatorTest, TheShapeUnderADraggedEndIsOfferedButNeverAnotherConnector)
{
    const auto free = add("Line", {100, 300, 100, 50});
    auto m = selectAs<LineManipulator>({free});
    EditingCanvas canvas;
    m->setCanvas(&canvas);
    m->beginDragResizeAtPointWithHandle({200, 350}, QVRectCornerBotRit);
    m->setConnectingShapeAtPoint(right, {300, 175});
    ASSERT_EQ(canvas.offered.size(), 1u);
    const auto& c = canvas.offered[0];
    EXPECT_EQ(c->shape(), right);
    EXPECT_EQ(c->pointer(), free.get());
    EXPECT_EQ(c->pointerCorner(), QVRectCornerBotRit);
    EXPECT_EQ(c->shapeEdge(), QVRectEdgeLeft);
    EXPECT_EQ(right->provisionalConnection(), c) << "shown on the target while it is being made";

    // Over another connector: no offer, and nothing left on that connector.
    m->setConnectingShapeAtPoint(line, {200, 150});
    EXPECT_EQ(canvas.offered.size(), 1u);
    EXPECT_EQ(line->provisionalConnection(), nullptr);
    // Over nothing: the offer is withdrawn.
    m->setConnectingShapeAtPoint(nullptr, {250, 400});
    EXPECT_EQ(canvas.discards, 1);
    m->endDragResize(dragEvent());
    m->setCanvas(nullptr);
}
