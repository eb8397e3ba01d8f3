// Outlines, handles and text rects of the simple figures.
#include "OutlineTestSupport.h"

#include "geometry/QVRect.h"
#include "shapes/SimpleOutlines.h"

#include <cmath>

using Texts = std::vector<std::string>;

TEST_F(OutlineTest, RoundRectangleRadiusGrowsToAStadiumThenRoundsOnlyTheTop)
{
    const pf::Rect frame(0, 0, 100, 40);
    // No rounding: the bare frame.
    EXPECT_EQ(elementTexts(make<RoundRectangle>(frame, 0)->path()), (Texts{"M 0 0", "L 100 0", "L 100 40", "L 0 40", "Z"}));
    EXPECT_EQ(elementTexts(make<RoundRectangle>(frame, -0.3)->path()).size(), 5u);

    // Radius 50 on all corners, limited to half the height in y.
    const pf::Path stadium = make<RoundRectangle>(frame, 0.5)->path();
    EXPECT_EQ(stadium.bounds(), frame);
    EXPECT_EQ(stadium.element(0).endPoint(), pf::Point(50, 0));
    const pf::PathElement& topRight = stadium.element(2);
    EXPECT_EQ(topRight.type, pf::PathElementType::CurveTo);
    EXPECT_EQ(topRight.points[0].y, 0);
    EXPECT_EQ(topRight.endPoint(), pf::Point(100, 20));

    // Past the middle only the top corners are rounded, radius 25; the bottom stays square.
    const pf::Path tab = make<RoundRectangle>(frame, 0.75)->path();
    EXPECT_EQ(tab.bounds(), frame);
    EXPECT_TRUE(tab.containsPoint({0.5, 39.5}));
    EXPECT_TRUE(tab.containsPoint({99.5, 39.5}));
    EXPECT_FALSE(tab.containsPoint({1, 1}));
    EXPECT_FALSE(tab.containsPoint({99, 1}));
    for (const pf::Point& p : vertices(tab))
        EXPECT_TRUE(p.x == 0 || p.x == 100 || p.x == 25 || p.x == 75 || p.y == 40) << p.x << ", " << p.y;

    // At 1 the radius is 0 again.
    const pf::Path square = make<RoundRectangle>(frame, 1)->path();
    EXPECT_EQ(square.bounds(), frame);
    EXPECT_TRUE(square.containsPoint({0.01, 0.01}));
    EXPECT_TRUE(square.containsPoint({99.9, 0.01}));
}

TEST_F(OutlineTest, RoundRectangleTextKeepsClearOfCornersOnlyWhereItHugsASide)
{
    auto shape = make<RoundRectangle>(pf::Rect(0, 0, 100, 60), 0.2);
    shape->setStrokeLineWidth(2);
    // Pads (6, 3), half the stroke 1, a quarter of the 20-point radius 5.
    shape->setTextAlign(0);
    shape->setTextVerticalAlign(0);
    EXPECT_EQ(shape->textRect(), pf::Rect(12, 4, 76, 52));
    shape->setTextVerticalAlign(1);
    EXPECT_EQ(shape->textRect(), pf::Rect(12, 9, 76, 42));
    shape->setTextAlign(2);
    EXPECT_EQ(shape->textRect(), pf::Rect(7, 9, 86, 42));
    // Past the middle the radius shrinks again: 0.8 is a radius of 20 too.
    shape->setAdjustmentRatioX(0.8);
    EXPECT_EQ(shape->textRect(), pf::Rect(7, 9, 86, 42));
}

TEST_F(OutlineTest, RoundRectangleBoundsAreTheRotatedFrame)
{
    auto shape = make<RoundRectangle>(pf::Rect(0, 0, 100, 40), 0.5);
    shape->setRotationAngle(45);
    const pf::Rect expected = shape->boundingRectForFrame(shape->frame());
    EXPECT_EQ(shape->boundingRect(), expected);
    // The outline of a stadium turned by 45 degrees is well inside its turned frame.
    EXPECT_LT(shape->path().bounds().width(), expected.width() - 5);
}

TEST_F(OutlineTest, FixedFiguresFollowTheFrame)
{
    const pf::Rect frame(10, 20, 40, 30);
    EXPECT_EQ(elementTexts(Shape::make<Triangle>(frame)->path()), (Texts{"M 10 50", "L 30 20", "L 50 50", "Z"}));
    EXPECT_EQ(elementTexts(Shape::make<RightTriangle>(frame)->path()), (Texts{"M 10 20", "L 50 50", "L 10 50", "Z"}));
    const pf::Path oval = Shape::make<Ellipse>(frame)->path();
    EXPECT_EQ(oval.bounds(), frame);
    EXPECT_EQ(oval.elements().back().type, pf::PathElementType::Close);
}

TEST_F(OutlineTest, DiamondIsARectangleUnderAPointOfInsetAndFourPointedAtOne)
{
    const pf::Rect frame(0, 0, 100, 50);
    // d = 0.5: a rectangle.
    EXPECT_EQ(elementTexts(make<Diamond>(frame, 0.01)->path()), (Texts{"M 0 0", "L 100 0", "L 100 50", "L 0 50", "Z"}));
    // d = w/2: the extra points fall on TopMid and BotMid.
    EXPECT_EQ(vertices(make<Diamond>(frame, 1)->path()),
              (std::vector<pf::Point>{{50, 0}, {50, 0}, {100, 25}, {50, 50}, {50, 50}, {50, 50}, {0, 25}, {50, 0}}));
    // A hexagon with flat ends between 25 and 75.
    EXPECT_EQ(vertices(make<Diamond>(frame, 0.5)->path()),
              (std::vector<pf::Point>{{50, 0}, {75, 0}, {100, 25}, {75, 50}, {50, 50}, {25, 50}, {0, 25}, {25, 0}}));
}

TEST_F(OutlineTest, HomeIsARectangleWithoutASlope)
{
    const pf::Rect frame(0, 0, 100, 60);
    for (double x : {0.0, -0.5})
        EXPECT_EQ(elementTexts(make<Home>(frame, x)->path()), (Texts{"M 0 0", "L 100 0", "L 100 60", "L 0 60", "Z"}));
    EXPECT_EQ(vertices(make<Home>(frame, 1)->path()),
              (std::vector<pf::Point>{{50, 0}, {50, 0}, {100, 30}, {100, 60}, {0, 60}, {0, 30}, {50, 0}}));
}

TEST_F(OutlineTest, ParallelogramSlantsFromRectangleToDiagonal)
{
    const pf::Rect frame(0, 0, 100, 40);
    EXPECT_EQ(elementTexts(make<Parallelogram>(frame, 0)->path()), (Texts{"M 0 0", "L 100 0", "L 100 40", "L 0 40", "Z"}));
    EXPECT_EQ(elementTexts(make<Parallelogram>(frame, 0.25)->path()), (Texts{"M 0 0", "L 75 0", "L 100 40", "L 25 40", "Z"}));
    EXPECT_EQ(elementTexts(make<Parallelogram>(frame, 1)->path()), (Texts{"M 0 0", "L 0 0", "L 100 40", "L 100 40", "Z"}));
}

TEST_F(OutlineTest, InputNotchesTheLeftSideAndDoubleInputBoth)
{
    const pf::Rect frame(0, 0, 100, 40);
    // X = 0: the notch point on the left edge.
    EXPECT_EQ(elementTexts(make<Input>(frame, 0)->path()),
              (Texts{"M 50 0", "L 100 0", "L 100 40", "L 0 40", "L 0 20", "L 0 0", "Z"}));
    auto input = make<Input>(frame, 0.4);
    EXPECT_EQ(input->adjustPoint(), pf::Point(20, 20));
    input->setStrokeLineWidth(0);
    // From the notch to the right edge, inset by the pads.
    EXPECT_EQ(input->textRect(), pf::Rect(26, 3, 68, 34));
    // X = 1: both notches meet at the centre.
    auto twice = make<DoubleInput>(frame, 1);
    EXPECT_EQ(twice->adjustPoint(), pf::Point(50, 20));
    EXPECT_EQ(twice->rightAdjustPoint(), pf::Point(50, 20));
    EXPECT_EQ(elementTexts(make<DoubleInput>(frame, 0.4)->path()),
              (Texts{"M 50 0", "L 100 0", "L 80 20", "L 100 40", "L 0 40", "L 20 20", "L 0 0", "Z"}));
}

// Each handle inverts the manipulator's ratio formula: the ratio read back from the handle is the ratio.
TEST_F(OutlineTest, AdjustPointsSitWhereTheirRatioPutsThem)
{
    const pf::Rect frame(10, 20, 200, 80);
    struct Case {
        std::shared_ptr<Shape> shape;
        pf::Point expected;
    } cases[] = {
        {make<RoundRectangle>(frame, 0.25), {160, 20}},
        {make<Diamond>(frame, 0.25), {185, 20}},
        {make<Home>(frame, 0.5), {160, 20}},
        {make<Parallelogram>(frame, 0.3), {150, 20}},
        {make<Input>(frame, 0.3), {40, 60}},
        {Shape::make<Ellipse>(frame), QVMaxFloatPoint},
        {Shape::make<Triangle>(frame), QVMaxFloatPoint},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shape->adjustPoint(), c.expected) << c.shape->shapeClass().className().toStdString();
}

TEST_F(OutlineTest, RightTriangleTextSitsInTheLowerLeftQuarter)
{
    auto shape = Shape::make<RightTriangle>(pf::Rect(0, 0, 101, 60));
    EXPECT_EQ(shape->textRect(), pf::Rect(6, 33, 39, 24));
}
