// The connector ends attached to a shape: they follow the shape's frame (unless the connector is selected
// and moves with the selection), each connection is kept once, and removing them all goes through the page.
#include "ShapeTestSupport.h"

#include "geometry/QVRect.h"
#include "model/Rectangle.h"

namespace {

// A connector that records where its ends are sent.
class RecordingConnector : public Shape {
public:
    struct Move {
        pf::Point point;
        QVRectCorner corner;
        friend bool operator==(const Move&, const Move&) = default;
    };
    void setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner) override { moves.push_back({point, corner}); }
    std::vector<Move> moves;
};

// Attached at the middle of the shape's right side.
class TestConnection : public ShapeConnection {
public:
    TestConnection(const Shape* shape, Shape* pointer, QVRectCorner corner) : shape_(shape), pointer_(pointer), corner_(corner) {}
    Shape* pointer() const override { return pointer_; }
    QVRectCorner pointerCorner() const override { return corner_; }
    pf::Point locationInComposition() const override { return QVRectGetMidRitPoint(shape_->frame()); }

private:
    const Shape* shape_;
    Shape* pointer_;
    QVRectCorner corner_;
};

class ShapeConnectionTest : public ShapeTest {
protected:
    void SetUp() override
    {
        ShapeTest::SetUp();
        shape = Shape::make<Rectangle>(pf::Rect(0, 0, 100, 50));
        shape->setComposition(&page);
        free = Shape::make<RecordingConnector>(pf::Rect(0, 0, 10, 10));
        selected = Shape::make<RecordingConnector>(pf::Rect(0, 0, 10, 10));
        selected->setSelected(true);
        toFree = attach(free.get(), QVRectCornerTopLef);
        toSelected = attach(selected.get(), QVRectCornerBotRit);
    }
    std::shared_ptr<TestConnection> attach(Shape* connector, QVRectCorner corner)
    {
        auto c = std::make_shared<TestConnection>(shape.get(), connector, corner);
        shape->addConnection(c);
        page.connectionShapes[c.get()] = shape.get();
        return c;
    }

    std::shared_ptr<Rectangle> shape;
    std::shared_ptr<RecordingConnector> free, selected;
    std::shared_ptr<TestConnection> toFree, toSelected;
};

TEST_F(ShapeConnectionTest, UnselectedConnectorEndsFollowTheFrame)
{
    EXPECT_TRUE(shape->isConnectedToPointer(free.get()));
    EXPECT_TRUE(shape->isConnectedToPointer(selected.get()));
    EXPECT_FALSE(shape->isConnectedToPointer(shape.get()));
    EXPECT_FALSE(shape->isConnectedToPointer(nullptr));

    shape->setFrame(pf::Rect(10, 20, 200, 60));
    EXPECT_EQ(free->moves, (std::vector<RecordingConnector::Move>{{pf::Point(210, 50), QVRectCornerTopLef}}));
    EXPECT_TRUE(selected->moves.empty());
    // Undo moves the ends back too.
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(free->moves.back(), (RecordingConnector::Move{pf::Point(100, 25), QVRectCornerTopLef}));
}

TEST_F(ShapeConnectionTest, AddingClearsTheProvisionalConnectionAndKeepsEachOnce)
{
    auto pending = std::make_shared<TestConnection>(shape.get(), free.get(), QVRectCornerBotLef);
    shape->setProvisionalConnection(pending);
    shape->addConnection(pending);
    shape->addConnection(pending);
    EXPECT_EQ(shape->provisionalConnection(), nullptr);
    EXPECT_EQ(shape->connections().size(), 3u);

    shape->removeConnection(toSelected.get());
    EXPECT_FALSE(shape->isConnectedToPointer(selected.get()));
    EXPECT_EQ(shape->connections().size(), 2u);
}

TEST_F(ShapeConnectionTest, RemovingAllConnectionsGoesThroughThePage)
{
    shape->removeAllConnections();
    EXPECT_TRUE(shape->connections().empty());
    ASSERT_EQ(page.removedConnections.size(), 2u);
    EXPECT_EQ(page.removedConnections[0], toFree);
    EXPECT_EQ(page.removedConnections[1], toSelected);

    // Off a page nothing can detach them.
    auto loose = Shape::make<Rectangle>(pf::Rect(0, 0, 10, 10));
    loose->addConnection(std::make_shared<TestConnection>(loose.get(), free.get(), QVRectCornerTopLef));
    loose->removeAllConnections();
    EXPECT_EQ(loose->connections().size(), 1u);
}

} // namespace
