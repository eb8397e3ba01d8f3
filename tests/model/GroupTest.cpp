// Groups: child ratios and layout, the list operations, key-value fan-out, stored form, copy and drawing.
#include "CompositionTestSupport.h"

#include "platform/foundation/PropertyList.h"
#include "platform/graphics/RecordingContext.h"

class GroupTest : public CompositionTest {
protected:
    std::shared_ptr<Rectangle> rect(const pf::Rect& frame)
    {
        auto r = Shape::make<Rectangle>(frame);
        r->setFillType(0);
        r->setStrokeType(3);
        return r;
    }
};

TEST_F(GroupTest, LaysChildrenOutByTheirRatios)
{
    auto a = rect(pf::Rect(0, 0, 10, 10));
    auto b = rect(pf::Rect(30, 0, 10, 10));
    auto group = Group::groupWithShapes({a, b});
    EXPECT_EQ(group->frame(), pf::Rect(0, 0, 40, 10));
    group->setFrame(pf::Rect(0, 0, 80, 20)); // uncommitted: the children stay
    EXPECT_EQ(a->frame(), pf::Rect(0, 0, 10, 10));

    group->setFrame(pf::Rect(0, 0, 40, 10));
    group->commit();
    EXPECT_EQ(group->childRatios().value(a->identifier()), pf::Rect(0, 0, 0.25, 1));
    EXPECT_EQ(group->childRatios().value(b->identifier()), pf::Rect(0.75, 0, 0.25, 1));
    group->setFrame(pf::Rect(0, 0, 80, 20));
    EXPECT_EQ(a->frame(), pf::Rect(0, 0, 20, 20));
    EXPECT_EQ(b->frame(), pf::Rect(60, 0, 20, 20));

    // The same frame again lays nothing out.
    a->setFrame(pf::Rect(5, 5, 5, 5));
    group->setFrame(pf::Rect(0, 0, 80, 20));
    EXPECT_EQ(a->frame(), pf::Rect(5, 5, 5, 5));

    // A group without width or height keeps every child at the whole group.
    auto flat = Group::groupWithShapes({rect(pf::Rect(0, 0, 0, 10))});
    flat->captureChildRatios();
    EXPECT_EQ(flat->childRatios().begin().value(), pf::Rect(0, 0, 1, 1));
}

TEST_F(GroupTest, ListOperationsKeepTheFrameTheUnionOfTheChildren)
{
    auto a = rect(pf::Rect(0, 0, 10, 10));
    auto b = rect(pf::Rect(30, 0, 10, 10));
    auto group = Group::groupWithShapes({a, b});
    group->addShape(group);
    group->insertShapeAtIndex(a, 1);
    EXPECT_EQ(group->children().size(), 2u);
    group->commit();
    group->removeShape(b);
    EXPECT_EQ(group->frame(), pf::Rect(0, 0, 10, 10));
    EXPECT_FALSE(group->childRatios().contains(b->identifier()));
    EXPECT_EQ(b->parent(), nullptr);
    group->removeShape(b); // not a child: nothing
    EXPECT_EQ(group->children().size(), 1u);
}

TEST_F(GroupTest, KeyValueCodingReachesTheChildrenButNotTheGroupsOwnKeys)
{
    auto a = rect(pf::Rect(0, 0, 10, 10));
    auto b = rect(pf::Rect(30, 0, 10, 10));
    auto group = Group::groupWithShapes({a, b});
    a->setFillColor(pf::Color{1, 0, 0, 1});
    b->setFillColor(pf::Color{0, 0, 1, 1});
    EXPECT_TRUE(group->valueForKeyPath("fillColor").isNull());
    int notices = 0;
    auto token = group->addObserver("fillColor", [&notices](const auto&...) { ++notices; });
    group->setValueForKeyPath(pf::Variant(pf::Color{0, 1, 0, 1}), "fillColor");
    EXPECT_EQ(a->fillColor(), pf::OptionalColor(pf::Color{0, 1, 0, 1}));
    EXPECT_EQ(b->fillColor(), a->fillColor());
    EXPECT_EQ(group->valueForKeyPath("fillColor"), pf::Variant(pf::Color{0, 1, 0, 1}));
    EXPECT_GT(notices, 0);

    group->setValueForKeyPath(true, "locked");
    EXPECT_TRUE(group->isLocked());
    EXPECT_TRUE(a->isLocked() && b->isLocked());
    group->setHidden(true);
    EXPECT_TRUE(a->isHidden() && b->isHidden());
    auto connector = Shape::make<TestConnector>(pf::Rect(0, 0, 10, 1));
    EXPECT_FALSE(group->isConnectedToPointer(connector.get()));
    group->addShape(connector);
    EXPECT_TRUE(group->isConnectedToPointer(connector.get()));
    group->removeShape(connector);

    group->setValueForKeyPath(std::int64_t{30}, "rotationAngle");
    EXPECT_EQ(group->rotationAngle(), 30);
    EXPECT_EQ(a->rotationAngle(), 0);
    EXPECT_TRUE(Group::groupWithShapes({})->valueForKeyPath("opacity").isNull());
}

TEST_F(GroupTest, ReadsItsChildrenAndLaysThemOutOnTheGrid)
{
    auto a = rect(pf::Rect(3, 3, 14, 14));
    auto b = rect(pf::Rect(40, 3, 20, 14));
    auto group = Group::groupWithShapes({a, b});
    group->commit();
    page->addShape(group);
    pf::Value stored = page->asPlist();

    UserDefaults::instance().setGridTolerance(10);
    UserDefaults::instance().setGridEnabled(true);
    const auto read = Composition::fromPlist(*pf::readPropertyList(*pf::writePropertyList(stored).data).value);
    ASSERT_NE(read, nullptr);
    ASSERT_TRUE(read->isGridEnabled());
    const auto* readGroup = dynamic_cast<const Group*>(read->children()[0].get());
    ASSERT_NE(readGroup, nullptr);
    EXPECT_TRUE(readGroup->isCommitted());
    EXPECT_EQ(readGroup->children()[0]->frame(), pf::Rect(0, 0, 10, 10));
    EXPECT_EQ(readGroup->children()[1]->frame(), pf::Rect(40, 0, 20, 10));
    EXPECT_EQ(read->shapeForIdentifier(a->identifier()), readGroup->children()[0]);
}

TEST_F(GroupTest, CopiesItsChildren)
{
    auto a = rect(pf::Rect(0, 0, 10, 10));
    auto group = Group::groupWithShapes({a, rect(pf::Rect(30, 0, 10, 10))});
    group->commit();
    auto copy = std::dynamic_pointer_cast<Group>(group->copy());
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->children().size(), 2u);
    EXPECT_NE(copy->children()[0], a);
    EXPECT_EQ(copy->children()[0]->parent(), copy.get());
    EXPECT_EQ(copy->children()[0]->frame(), a->frame());
    copy->setFrame(pf::Rect(0, 0, 80, 20));
    EXPECT_EQ(copy->children()[1]->frame(), pf::Rect(60, 0, 20, 20));
    EXPECT_EQ(a->frame(), pf::Rect(0, 0, 10, 10));
}

TEST_F(GroupTest, DrawsItsChildrenTurnedByItsRotation)
{
    auto a = rect(pf::Rect(0, 0, 10, 10));
    a->setFillColor(pf::Color{0, 0, 1, 1});
    auto group = Group::groupWithShapes({a, rect(pf::Rect(30, 0, 10, 10))});
    group->commit();
    group->setRotationAngle(90);
    pf::RecordingContext context;
    group->drawInContextDirtyRect(context, pf::Rect(-100, -100, 300, 300));
    ASSERT_FALSE(context.calls().empty());
    const pf::RecordedCall& fill = context.calls()[0];
    EXPECT_EQ(fill.operation, "fill");
    // A quarter turn about the centre (20, 5): the origin goes to (25, -15).
    const pf::Point origin = fill.state.ctm.apply(pf::Point(0, 0));
    EXPECT_NEAR(origin.x, 25, 1e-9);
    EXPECT_NEAR(origin.y, -15, 1e-9);
    // The dirty rect covers the children whichever way the group turns.
    EXPECT_TRUE(group->dirtyRect().contains(pf::Point(20, -15)));
    EXPECT_TRUE(group->dirtyRect().contains(pf::Point(20, 25)));
}
