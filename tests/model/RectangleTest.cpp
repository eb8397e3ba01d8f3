// Rectangle: its catalogue, registration, outline and stored form.
#include "ShapeTestSupport.h"

#include "model/Parent.h"
#include "model/Rectangle.h"

namespace {

using RectangleTest = ShapeTest;

TEST_F(RectangleTest, Catalogue)
{
    const ShapeClass& k = Rectangle::staticClass();
    EXPECT_EQ(k.className(), "Rectangle");
    EXPECT_EQ(k.title(), "Rectangle (R)");
    EXPECT_EQ(k.shortTitle(), "Rectangle");
    EXPECT_EQ(k.longDescription(), "A Rectangle.");
    EXPECT_EQ(k.extraSearchString(), "rects squares boxes trapezoids uml state activity");
    EXPECT_EQ(k.negativeSearchString(), "");
    EXPECT_FALSE(k.negativeSearchString().isNull());
    // Everything else is Shape's.
    EXPECT_EQ(k.manipulatorClassName(), "Manipulator");
    EXPECT_EQ(k.defaultSize(), pf::Size(100, 100));
    // A new rectangle takes its short title.
    EXPECT_EQ(Shape::make<Rectangle>(pf::Rect(0, 0, 10, 10))->title(), "Rectangle");
}

TEST_F(RectangleTest, RegisteredAsShapeKinds)
{
    EXPECT_EQ(pf::ClassRegistry::shared().lookup<ShapeClass>("Rectangle"), &Rectangle::staticClass());
    EXPECT_EQ(pf::ClassRegistry::shared().lookup<ShapeClass>("Parent"), &Parent::staticClass());
    EXPECT_TRUE(Parent::staticClass().isSubclassOf(Rectangle::staticClass()));
}

TEST_F(RectangleTest, OutlineIsTheFrameTurnedAboutItsCentre)
{
    auto r = Shape::make<Rectangle>(pf::Rect(10, 20, 100, 50));
    const pf::Path expected = pf::Path::rect(pf::Rect(10, 20, 100, 50));
    EXPECT_TRUE(r->path().sameElements(expected));
    ASSERT_TRUE(r->quartzPath().has_value());
    EXPECT_EQ(r->quartzPath()->element(r->quartzPath()->elementCount() - 1).type, pf::PathElementType::Close);

    r->setRotationAngle(180);
    EXPECT_EQ(r->path().bounds(), pf::Rect(10, 20, 100, 50));
    EXPECT_EQ(r->path().element(0).points[0], pf::Point(110, 70)); // the top left corner went to the bottom right
    r->setFrame(pf::Rect(0, 0, 40, 40));
    EXPECT_EQ(r->quartzPath()->bounds(), pf::Rect(0, 0, 40, 40));
}

TEST_F(RectangleTest, StoredFormReadsBackAsAnEqualRectangle)
{
    auto r = Shape::make<Rectangle>(pf::Rect(10, 20, 100, 50));
    r->setRotationAngle(30);
    const std::shared_ptr<Shape> back = Shape::fromPlist(r->asPlist());
    ASSERT_TRUE(back);
    EXPECT_EQ(&back->classObject(), &Rectangle::staticClass());
    EXPECT_TRUE(back->isEqual(*r));
    EXPECT_TRUE(back->path().sameElements(r->path()));
}

} // namespace
