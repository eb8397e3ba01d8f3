// Connectors on the canvas, as a user makes them: drawn out of a shape's connection options, and ends
// dragged onto another shape, where they attach after a short blink.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategy.h"
#include "manipulators/AdjustManipulators.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Connection.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shapes/AbstractPointer.h"
#include "shapes/SmartPath.h"

#include <algorithm>

namespace {

pf::Point middle(const pf::Rect& r) { return pf::Point(r.midX(), r.midY()); }

} // namespace

class CanvasConnectorsTest : public CanvasFixture {
protected:
    // The shapes on the page that the fixture did not put there.
    std::vector<std::shared_ptr<Shape>> newShapes(const std::vector<std::shared_ptr<Shape>>& before) const
    {
        std::vector<std::shared_ptr<Shape>> made;
        for (const auto& child : page->children())
            if (!child->isManipulator() && std::find(before.begin(), before.end(), child) == before.end())
                made.push_back(child);
        return made;
    }

    // Selects the rectangle (100, 100, 100, 60), shows its connection options and drags a connector out of
    // option `handle` to `to`; the tool finishes.
    void drawFromOption(std::int64_t handle, const pf::Point& to)
    {
        canvas->replaceSelectionWithShape(rectangle);
        const pf::Rect connection = canvas->manipulator()->connectionHandle();
        click(middle(connection));
        ASSERT_TRUE(canvas->manipulator()->connectionOptionsVisible());
        const auto options = canvas->manipulator()->connectionOptionRects(connection);
        const pf::Point from = middle(options[static_cast<std::size_t>(handle - ManipulatorHandleConnectionOption)]);
        press(from);
        for (int i = 1; i <= 4; ++i)
            dragTo(from + (to - from) * (i / 4.0));
        release(to);
        // A path goes on point by point after the drag; Escape ends it at the point the drag put down.
        if (handle == ManipulatorHandleConnectionOption + 3)
            keyDown(Qt::Key_Escape);
        advance(0.2);
        EXPECT_FALSE(canvas->mouseStrategy()) << "the tool ends with the connector";
    }

    // Drags the fixture line's end B (250, 350) slowly onto the ellipse's left edge, which it snaps to.
    void dragLineEndOntoTheEllipse()
    {
        pf::UserDefaultsStore::standard().setBoolForKey(true, QStringLiteral("SnapEnabled"));
        canvas->replaceSelectionWithShape(line);
        const pf::Point from(250, 350), to(299.5, 140.25);
        press(from);
        for (double t = 0; t < 1; t += 0.002)
            dragTo(from + (to - from) * t);
        dragTo(to);
        ASSERT_TRUE(canvas->draggingConnection());
        release(to);
        endTurn();
    }
};

TEST_F(CanvasConnectorsTest, EachOptionDrawsItsConnectorAttachedAtTheShapesCentre)
{
    struct Case {
        std::int64_t handle;
        const char* kind;
        bool flipped;
    };
    const Case cases[] = {
        {12, "Arc", false},
        {13, "SegmentedLine", false},
        {14, "SegmentedLine", true},
        {15, "Path", false},
        {16, "Line", false},
    };
    const std::vector<std::shared_ptr<Shape>> before(page->children().begin(), page->children().end());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        drawFromOption(c.handle, {420, 420});
        const auto made = newShapes(before);
        ASSERT_EQ(made.size(), 1u);
        auto* pointer = dynamic_cast<AbstractPointer*>(made[0].get());
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->classObject().className(), QString::fromLatin1(c.kind));
        if (c.handle == 13 || c.handle == 14) {
            EXPECT_EQ(pointer->flipped(), c.flipped);
        }
        // The first end on the rectangle's centre, the other where the drag ended.
        if (auto* path = dynamic_cast<Path*>(pointer))
            EXPECT_EQ(path->modelPointAtIndex(0), pf::Point(150, 130));
        else
            EXPECT_EQ(pointer->frame().origin, pf::Point(150, 130));
        EXPECT_EQ(QVRectGetCornerPoint(QVRectCornerBotRit, pointer->frame()), pf::Point(420, 420));

        ASSERT_EQ(page->pageConnections().size(), 1u);
        const auto& connection = page->pageConnections().front();
        EXPECT_EQ(connection->shape(), rectangle);
        EXPECT_EQ(connection->pointer(), pointer);
        EXPECT_EQ(connection->shapeEdge(), QVRectEdgeMid);
        EXPECT_EQ(connection->shapeRatio(), 0.5);
        EXPECT_EQ(connection->pointerCorner(), QVRectCornerTopLef);
        EXPECT_TRUE(connection->isCommitted());

        // One undo takes back the connector and its attachment.
        ASSERT_TRUE(undo.undo());
        EXPECT_TRUE(newShapes(before).empty());
        EXPECT_TRUE(page->pageConnections().empty());
        EXPECT_TRUE(rectangle->connections().empty());
    }
}

TEST_F(CanvasConnectorsTest, ALineDrawnOutOfAShapeFollowsItWhenTheShapeMoves)
{
    const std::vector<std::shared_ptr<Shape>> before(page->children().begin(), page->children().end());
    drawFromOption(16, {420, 420});
    const auto made = newShapes(before);
    ASSERT_EQ(made.size(), 1u);
    const auto& connector = made[0];
    canvas->replaceSelectionWithShape(rectangle);
    drag({120, 110}, {120, 210});
    endTurn();
    EXPECT_EQ(rectangle->frame().origin, pf::Point(100, 200));
    EXPECT_EQ(connector->frame().origin, pf::Point(150, 230));
    EXPECT_EQ(QVRectGetCornerPoint(QVRectCornerBotRit, connector->frame()), pf::Point(420, 420));
}

TEST_F(CanvasConnectorsTest, AnEndDroppedOnAShapeBlinksTwiceThenAttaches)
{
    auto* pointer = dynamic_cast<AbstractPointer*>(line.get());
    ASSERT_NE(pointer, nullptr);
    dragLineEndOntoTheEllipse();
    EXPECT_EQ(QVRectGetCornerPoint(QVRectCornerBotRit, line->frame()).x, 300);
    EXPECT_TRUE(page->pageConnections().empty()) << "attached only after the blink";
    // Off, on, off, on, then attached with the mark off.
    const bool blink[] = {false, true, false, true};
    for (const bool on : blink) {
        advance(0.08);
        EXPECT_EQ(canvas->connectionFlashOn(), on);
        EXPECT_TRUE(page->pageConnections().empty());
    }
    advance(0.08);
    EXPECT_FALSE(canvas->connectionFlashOn());
    ASSERT_EQ(page->pageConnections().size(), 1u);
    EXPECT_EQ(page->pageConnections().front()->shape(), ellipse);
    EXPECT_TRUE(pointer->isConnectedAtCorner(QVRectCornerBotRit));

    // Attached: the end follows the ellipse.
    const double endY = QVRectGetCornerPoint(QVRectCornerBotRit, line->frame()).y;
    canvas->replaceSelectionWithShape(ellipse);
    drag({340, 120}, {340, 170});
    endTurn();
    EXPECT_EQ(QVRectGetCornerPoint(QVRectCornerBotRit, line->frame()).y, endY + 50);
}

TEST_F(CanvasConnectorsTest, UndoDuringTheBlinkTakesBackTheDragAndTheAttachment)
{
    auto* pointer = dynamic_cast<AbstractPointer*>(line.get());
    const pf::Rect before = line->frame();
    dragLineEndOntoTheEllipse();
    advance(0.2);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(line->frame(), before);
    EXPECT_FALSE(canvas->draggingConnection());
    advance(0.5);
    EXPECT_TRUE(page->pageConnections().empty());
    EXPECT_FALSE(pointer->isConnectedAtCorner(QVRectCornerBotRit));
}

TEST_F(CanvasConnectorsTest, AnAdjustmentHandleDragIsOneUndoStep)
{
    const auto rounded = addShape("RoundRectangle", {500, 100, 100, 60});
    canvas->replaceSelectionWithShape(rounded);
    ASSERT_NE(dynamic_cast<RoundRectManipulator*>(canvas->manipulator().get()), nullptr);
    const double start = rounded->adjustmentRatioX();
    const pf::Point handle = middle(canvas->manipulator()->adjustHandle());
    drag(handle, {525, handle.y});
    endTurn();
    EXPECT_DOUBLE_EQ(rounded->adjustmentRatioX(), 0.75);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rounded->adjustmentRatioX(), start);
}
