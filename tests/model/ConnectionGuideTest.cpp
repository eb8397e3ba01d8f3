// Connections: where they put a connector's end, how the page keeps them. Guides: orientation, redisplay
// band, stored form and undoable moves.
#include "CompositionTestSupport.h"

#include "model/Connection.h"
#include "model/Guide.h"

namespace {

struct Connected {
    std::shared_ptr<Rectangle> shape;
    std::shared_ptr<TestConnector> connector;
    std::shared_ptr<Connection> connection;
};

// A box on the page with a connector attached to its right edge.
Connected connectBoxToConnector(Composition& page)
{
    auto shape = Shape::make<Rectangle>(pf::Rect(10, 20, 100, 50));
    auto connector = Shape::make<TestConnector>(pf::Rect(200, 200, 50, 1));
    page.addShape(shape);
    page.addShape(connector);
    auto c = Connection::make(&page);
    c->setShape(shape);
    c->setPointer(connector);
    c->setShapeEdge(QVRectEdgeRight);
    page.addConnection(c);
    return {shape, connector, c};
}

} // namespace

TEST_F(CompositionTest, ConnectionLocatesOnTheEdgeOfItsShape)
{
    auto shape = Shape::make<Rectangle>(pf::Rect(10, 20, 100, 50));
    page->addShape(shape);
    const std::pair<QVRectEdge, pf::Point> edges[] = {
        {QVRectEdgeTop, {35, 20}}, {QVRectEdgeLeft, {10, 33}} /* 32.5 rounded */, {QVRectEdgeRight, {110, 33}},
        {QVRectEdgeBottom, {35, 70}}, {QVRectEdgeMid, {60, 45}}, {QVRectEdgeNone, {0, 0}},
    };
    auto c = Connection::make(page.get());
    EXPECT_FALSE(c->isCommitted());
    c->setShape(shape);
    EXPECT_EQ(shape->provisionalConnection(), c);
    c->setShapeRatio(0.25);
    for (auto [edge, point] : edges) {
        c->setShapeEdge(edge);
        EXPECT_EQ(c->locationInComposition(), point) << edge;
    }
    shape->setRotationAngle(30);
    c->setShapeEdge(QVRectEdgeTop);
    EXPECT_EQ(c->locationInComposition(), pf::Point(60, 45));
    EXPECT_EQ(Connection::make(page.get())->locationInComposition(), pf::Point(0, 0));
}

TEST_F(CompositionTest, PageKeepsConnectionsWithBothEnds)
{
    auto [shape, connector, c] = connectBoxToConnector(*page);
    EXPECT_EQ(shape->provisionalConnection(), nullptr);
    EXPECT_EQ(shape->connections().size(), 1u);
    EXPECT_EQ(connector->connections().size(), 1u);
    EXPECT_TRUE(shape->isConnectedToPointer(connector.get()));

    const pf::Value stored = c->asPlist();
    EXPECT_EQ(stored.stringForKey("shapeIdentifier"), shape->identifier());
    EXPECT_EQ(stored.stringForKey("pointerIdentifier"), connector->identifier());
    EXPECT_EQ(stored.integerForKey("shapeEdge"), QVRectEdgeRight);
    auto read = Connection::fromPlist(stored, *page);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->isCommitted());
    EXPECT_EQ(read->shape(), shape);
    EXPECT_EQ(read->shapeRatio(), 0.5);
    EXPECT_EQ(page->pageConnections().size(), 2u);

    // Removing the shape detaches its connections from the connector and the page.
    page->removeShape(shape);
    EXPECT_TRUE(page->pageConnections().empty());
    EXPECT_TRUE(connector->connections().empty());
}

// Undoing a delete brings the attachments back, whichever end went first; redoing detaches them again.
TEST_F(CompositionTest, UndoingARemovalRestoresItsConnections)
{
    for (const bool shapeFirst : {true, false}) {
        SCOPED_TRACE(shapeFirst ? "shape removed first" : "connector removed first");
        auto [shape, connector, c] = connectBoxToConnector(*page);
        owner.undo.removeAllActions();

        page->removeShape(shapeFirst ? shape : std::shared_ptr<Shape>(connector));
        page->removeShape(shapeFirst ? std::shared_ptr<Shape>(connector) : shape);
        ASSERT_TRUE(page->pageConnections().empty());
        ASSERT_TRUE(owner.undo.undo());
        EXPECT_TRUE(page->pageConnections().empty()); // one end is still gone
        ASSERT_TRUE(owner.undo.undo());
        EXPECT_EQ(page->pageConnections().size(), 1u);
        EXPECT_TRUE(shape->isConnectedToPointer(connector.get()));
        EXPECT_EQ(connector->connections().size(), 1u);

        ASSERT_TRUE(owner.undo.redo());
        EXPECT_TRUE(page->pageConnections().empty());
        EXPECT_TRUE(shape->connections().empty());
        EXPECT_TRUE(connector->connections().empty());
        ASSERT_TRUE(owner.undo.redo());
        owner.undo.removeAllActions();
    }
}

TEST_F(CompositionTest, GuidesAreVerticalOrHorizontalAndRedrawABandByZoom)
{
    EXPECT_TRUE(Guide::make(nullptr, 0, pf::Point(100, 0), pf::Point(100, 500))->isVertical());
    auto flat = Guide::make(nullptr, 0, pf::Point(0, 100), pf::Point(500, 101));
    EXPECT_FALSE(flat->isVertical());
    EXPECT_EQ(flat->currentScale(), 1.0);
    EXPECT_EQ(flat->frame(), pf::Rect(0, 100, 500, 0));

    page->setZoomScaleIndex(2);
    auto guide = Guide::make(page.get(), Guide::UserGuide, pf::Point(0, 100), pf::Point(600, 100));
    EXPECT_EQ(guide->dirtyRect().y(), 98.5);
    EXPECT_EQ(guide->dirtyRect().maxY(), 101.5);
    EXPECT_TRUE(guide->containsPoint(pf::Point(300, 100.7)));
    EXPECT_FALSE(guide->containsPoint(pf::Point(300, 101)));
    EXPECT_EQ(guide->color(), pf::OptionalColor(pf::Color{0, 1, 1, 1}));
    EXPECT_FALSE(Guide::make(nullptr, 7, {}, {})->color());

    auto back = Guide::fromPlist(guide->asPlist());
    EXPECT_TRUE(back->isEqualToGuide(*guide));
    EXPECT_EQ(back->composition(), nullptr);
}

TEST_F(CompositionTest, GuideMovesAreUndoable)
{
    auto guide = Guide::make(page.get(), Guide::UserGuide, pf::Point(100, 0), pf::Point(100, 400));
    EXPECT_FALSE(owner.undo.canUndo()); // placing it is not a move
    guide->moveToP1P2(pf::Point(150, 0), pf::Point(150, 400));
    guide->moveToP1P2(pf::Point(200, 0), pf::Point(200, 400));
    EXPECT_EQ(owner.undo.undoActionName(), "Move Guide");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(guide->p1(), pf::Point(150, 0));
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(guide->p1(), pf::Point(100, 0));
    EXPECT_FALSE(owner.undo.canUndo());
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(guide->p1(), pf::Point(150, 0));
}
