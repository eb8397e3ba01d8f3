// Parent: the topmost savable hit, lookups by identity, the page passed to every descendant, and list
// changes that do nothing until a container implements them.
#include "ShapeTestSupport.h"

#include "model/Parent.h"
#include "model/Rectangle.h"

namespace {

// Stands for a manipulator: a shape that is never stored.
class Unsavable : public Rectangle {
public:
    bool isSavable() const override { return false; }
};

class ParentTest : public ShapeTest {
protected:
    // Sets the children as a container does: the list, then each child's parent.
    static void adopt(Parent& parent, Parent::Children children)
    {
        parent.setChildren(std::move(children));
        for (const auto& child : parent.children())
            child->setParent(&parent);
    }
    static std::shared_ptr<Rectangle> rect(double x, double y, double w, double h)
    {
        return Shape::make<Rectangle>(pf::Rect(x, y, w, h));
    }
};

TEST_F(ParentTest, StartsEmpty)
{
    auto parent = Shape::make<Parent>(pf::Rect(0, 0, 100, 100));
    EXPECT_TRUE(parent->children().empty());
    EXPECT_EQ(parent->shapeAtPoint(pf::Point(10, 10)), nullptr);
    EXPECT_EQ(parent->title(), "Rectangle");
}

TEST_F(ParentTest, ShapeAtPointAnswersTheTopmostSavableVisibleChild)
{
    auto parent = Shape::make<Parent>(pf::Rect(0, 0, 500, 500));
    auto bottom = rect(0, 0, 100, 100);
    auto top = rect(50, 50, 100, 100);
    auto hidden = rect(0, 0, 200, 200);
    auto manipulator = Shape::make<Unsavable>(pf::Rect(0, 0, 300, 300));
    hidden->setHidden(true);
    adopt(*parent, {bottom, top, hidden, manipulator});

    const struct {
        pf::Point point;
        std::shared_ptr<Shape> hit;
    } cases[] = {
        {pf::Point(75, 75), top},     // both: the later one
        {pf::Point(10, 10), bottom},  // only the bottom one (under the hidden one and the manipulator)
        {pf::Point(120, 120), top},
        {pf::Point(180, 180), nullptr}, // only the hidden one and the manipulator
        {pf::Point(400, 400), nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parent->shapeAtPoint(c.point).get(), c.hit.get()) << pf::toString(c.point).toStdString();

    // Turned by 45 degrees, the bottom square no longer holds its corner.
    bottom->setRotationAngle(45);
    EXPECT_EQ(parent->shapeAtPoint(pf::Point(30, 30)).get(), bottom.get());
    EXPECT_EQ(parent->shapeAtPoint(pf::Point(3, 3)).get(), nullptr);
}

TEST_F(ParentTest, IndexOfShapeUsesIdentity)
{
    auto parent = Shape::make<Parent>(pf::Rect(0, 0, 500, 500));
    auto a = rect(0, 0, 10, 10);
    auto b = rect(20, 0, 10, 10);
    adopt(*parent, {a, b});
    EXPECT_EQ(parent->indexOfShape(a.get()), 0u);
    EXPECT_EQ(parent->indexOfShape(b.get()), 1u);
    EXPECT_TRUE(parent->containsShape(b.get()));

    const std::shared_ptr<Shape> twin = a->copy();
    ASSERT_TRUE(twin->isEqual(*a));
    EXPECT_EQ(parent->indexOfShape(twin.get()), pf::NotFound);
    EXPECT_FALSE(parent->containsShape(twin.get()));
    EXPECT_EQ(parent->indexOfShape(nullptr), pf::NotFound);
}

TEST_F(ParentTest, PageReachesEveryDescendant)
{
    auto root = Shape::make<Parent>(pf::Rect(0, 0, 500, 500));
    auto middle = Shape::make<Parent>(pf::Rect(0, 0, 200, 200));
    auto inner = Shape::make<Parent>(pf::Rect(0, 0, 100, 100));
    auto leaf = rect(0, 0, 10, 10);
    auto sibling = rect(50, 50, 10, 10);
    adopt(*inner, {leaf});
    adopt(*middle, {inner, sibling});
    adopt(*root, {middle});
    const std::vector<Shape*> all{root.get(), middle.get(), inner.get(), leaf.get(), sibling.get()};

    root->setComposition(&page);
    for (Shape* s : all)
        EXPECT_EQ(s->composition(), &page);
    // A descendant's changes now reach the page.
    leaf->setOpacity(0.5);
    EXPECT_EQ(page.undo.undoActionName(), "Opacity");

    root->setComposition(nullptr);
    for (Shape* s : all)
        EXPECT_EQ(s->composition(), nullptr);
}

TEST_F(ParentTest, ListChangesDoNothingInParent)
{
    auto parent = Shape::make<Parent>(pf::Rect(0, 0, 500, 500));
    auto a = rect(0, 0, 10, 10);
    auto b = rect(20, 0, 10, 10);
    adopt(*parent, {a, b});
    parent->addShape(rect(0, 0, 5, 5));
    parent->insertShapeAtIndex(rect(0, 0, 5, 5), 0);
    parent->removeShape(a);
    parent->removeAllShapes();
    parent->moveShapeAtIndexToIndex(0, 1);
    parent->copyShapeAtIndexToIndex(1, 0);
    EXPECT_EQ(parent->children(), (Parent::Children{a, b}));
}

TEST_F(ParentTest, ChildrenOutlivingTheirContainerForgetIt)
{
    auto child = rect(0, 0, 10, 10);
    {
        auto parent = Shape::make<Parent>(pf::Rect(0, 0, 100, 100));
        adopt(*parent, {child});
        parent->setComposition(&page);
    }
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_EQ(child->composition(), nullptr);
}

} // namespace
