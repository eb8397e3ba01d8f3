#include "geometry/BezierPathAdditions.h"
#include "geometry/BezierPathFunctions.h"

#include "BezierPathTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace geom;
using pf::PathElement;
using T = pf::PathElementType;

namespace {

using test::polyline;
using test::types;

} // namespace

TEST(BezierPathAdditions, RoundRectCornerMasks)
{
    const Rect r(10, 20, 40, 30);
    struct Case {
        unsigned mask;
        std::vector<T> types;
        Point start;
    };
    const Case cases[] = {
        {0, {T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::LineTo, T::Close}, {10, 35}},
        {RoundedCornerAll,
         {T::MoveTo, T::CurveTo, T::LineTo, T::CurveTo, T::LineTo, T::CurveTo, T::LineTo, T::CurveTo, T::Close},
         {10, 25}},
        {RoundedCornerTopLeft | RoundedCornerTopRight,
         {T::MoveTo, T::CurveTo, T::LineTo, T::CurveTo, T::LineTo, T::LineTo, T::Close},
         {10, 25}},
        {RoundedCornerBottomLeft | RoundedCornerBottomRight,
         {T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::CurveTo, T::LineTo, T::CurveTo, T::Close},
         {10, 35}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.mask);
        const Path p = bezierPathWithRoundRectXRadiusYRadiusCorners(r, 8, 5, tc.mask);
        EXPECT_EQ(types(p), tc.types);
        EXPECT_EQ(p.element(0).points[0], tc.start);
        EXPECT_EQ(p.bounds(), r);
        // Rounded corners cut their rect corner off; square ones keep it.
        const struct {
            unsigned bit;
            Point nearCorner;
        } corners[] = {{RoundedCornerTopLeft, {10.5, 20.5}},
                       {RoundedCornerBottomLeft, {10.5, 49.5}},
                       {RoundedCornerTopRight, {49.5, 20.5}},
                       {RoundedCornerBottomRight, {49.5, 49.5}}};
        for (const auto& c : corners)
            EXPECT_EQ(p.containsPoint(c.nearCorner), !(tc.mask & c.bit)) << c.bit;
    }
    // Each corner is a cubic from its start, with its start and the rect's corner as control points.
    const Path all = bezierPathWithRoundRectXRadiusYRadiusCorners(r, 8, 5, RoundedCornerAll);
    const PathElement& topRight = all.element(3);
    EXPECT_EQ(all.element(2).points[0], Point(42, 20));
    EXPECT_EQ(topRight.points[0], Point(42, 20));
    EXPECT_EQ(topRight.points[1], Point(50, 20));
    EXPECT_EQ(topRight.points[2], Point(50, 25));
    // Radii past half the size are limited to it; negative radii to 0.
    const Path big = bezierPathWithRoundRectXRadiusYRadiusCorners(r, 100, 100, RoundedCornerAll);
    EXPECT_EQ(big.element(0).points[0], Point(10, 35));
    EXPECT_EQ(big.element(1).points[2], Point(30, 20));
    const Path negative = bezierPathWithRoundRectXRadiusYRadiusCorners(r, -4, -4, RoundedCornerAll);
    EXPECT_EQ(negative.controlPointBounds(), r);
}

TEST(BezierPathAdditions, QuartzPathConversions)
{
    // Two open subpaths: only the last is closed.
    Path two = polyline({{0, 0}, {10, 0}, {10, 10}});
    two.moveTo({20, 0});
    two.lineTo({30, 0});
    const auto closed = newQuartzPath(two);
    ASSERT_TRUE(closed);
    EXPECT_EQ(types(*closed), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::MoveTo, T::LineTo, T::Close}));
    EXPECT_EQ(closed->element(5).points[0], Point(20, 0));
    // Already closed: nothing added, even with a lone move after it.
    Path square = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    EXPECT_TRUE(newQuartzPath(square)->sameElements(square));
    square.moveTo({50, 50});
    EXPECT_TRUE(newQuartzPath(square)->sameElements(square));
    EXPECT_FALSE(newQuartzPath(Path()));
    EXPECT_FALSE(newOpenQuartzPath(Path()));

    const auto open = newOpenQuartzPath(polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true));
    ASSERT_TRUE(open);
    EXPECT_EQ(types(*open), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo}));

    // A quadratic becomes the exact cubic.
    Path quartz;
    quartz.moveTo({0, 0});
    quartz.quadTo({3, 3}, {6, 0});
    quartz.close();
    const Path bezier = bezierPathWithCGPath(quartz);
    ASSERT_EQ(types(bezier), (std::vector<T>{T::MoveTo, T::CurveTo, T::Close}));
    EXPECT_EQ(bezier.element(1).points[0], Point(2, 2));
    EXPECT_EQ(bezier.element(1).points[1], Point(4, 2));
    EXPECT_EQ(bezier.element(1).points[2], Point(6, 0));
    const Point cubic[4] = {{0, 0}, {2, 2}, {4, 2}, {6, 0}};
    for (double t = 0; t <= 1; t += 0.125) {
        const Point q = Bezier(cubic, 3, t);
        EXPECT_NEAR(q.x, 6 * t, 1e-12);
        EXPECT_NEAR(q.y, 2 * (1 - t) * t * 3, 1e-12);
    }
}

TEST(BezierPathAdditions, HitTestingLinesClosesAndCurves)
{
    const Path line = polyline({{0, 0}, {10, 0}});
    double t = -1;
    Point nearest;
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(line, {5, 1}, 2, &t, &nearest), 1);
    EXPECT_EQ(t, 0.5);
    EXPECT_EQ(nearest, Point(5, 0));
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(line, {5, 1}, 0.5, &t, &nearest), -1);
    EXPECT_EQ(elementHitByPointToleranceTValue(line, {10, 1}, 2, nullptr), 1);

    // The closing side of a square runs back to the subpath's start.
    Path squares = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    squares.appendRect(Rect(20, 0, 10, 10));
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(squares, {1, 2.5}, 1.5, &t, &nearest), 4);
    EXPECT_FLOAT_EQ(t, 0.75);
    EXPECT_EQ(nearest, Point(0, 2.5));
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(squares, {21, 2.5}, 1.5, &t, &nearest), 9);
    EXPECT_EQ(nearest, Point(20, 2.5));

    Path curve;
    curve.moveTo({0, 0});
    curve.curveTo({0, -40}, {100, -40}, {100, 0});
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(curve, {50, -31}, 2, &t, &nearest), 1);
    EXPECT_NEAR(t, 0.5, 1e-9);
    EXPECT_NEAR(nearest.y, -30, 1e-9);
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(curve, {50, -20}, 2, &t, &nearest), -1);
}

// Two faults of the straightforward search: a move's zero box grown by the tolerance made the origin hit
// it, and an element whose own box held the point but was too far hid a near element found only in the
// grown boxes.
TEST(BezierPathAdditions, HitTestingNeverAnswersAMoveAndMissesNoNearElement)
{
    Path two = polyline({{-10, -10}, {10, -10}});
    two.moveTo({-10, 10});
    two.lineTo({10, 10});
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(two, 1, {0, 0.5}, 2), 2); // the move's box
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(two, {0, 0.5}, 2, nullptr, nullptr), -1);

    Path hidden = polyline({{0, 0}, {100, 0}});
    hidden.curveTo({100, 40}, {0, 40}, {0, 0.5}); // its box holds (50, 1), the curve is far from it
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(hidden, 1, {50, 1}, 2), 2);
    double t = 0;
    EXPECT_EQ(elementHitByPointToleranceTValueNearestPoint(hidden, {50, 1}, 2, &t, nullptr), 1);
    EXPECT_EQ(t, 0.5);
}

TEST(BezierPathAdditions, ElementBoxesAndSubpathQueries)
{
    Path p = polyline({{10, 10}, {0, 20}});
    p.curveTo({-5, 30}, {20, 40}, {15, 25});
    p.close();
    p.moveTo({50, 50});
    p.lineTo({60, 50});
    p.moveTo({70, 70});

    EXPECT_EQ(boundingBoxForElement(p, 0), Rect::zero());
    EXPECT_EQ(boundingBoxForElement(p, 1), Rect(0, 10, 10, 10));
    EXPECT_EQ(boundingBoxForElement(p, 2), Rect(-5, 20, 25, 20));
    EXPECT_EQ(boundingBoxForElement(p, 3), Rect(10, 10, 5, 15));
    EXPECT_EQ(boundingBoxForElement(p, 99), Rect::zero());

    // The horizontal line's box has no height: found only in the grown pass.
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(p, 5, {55, 50}, 1), 5);
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(p, 5, {55, 50}, 0), -1);
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(p, 1, {5, 15}, 0), 1);
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(p, 2, {5, 15}, 0), -1);
    EXPECT_EQ(elementFromIndexBoundsContainsPointTolerance(p, p.elementCount(), {5, 15}, 9), -1);

    const struct {
        int index, start;
    } starts[] = {{-1, -1}, {0, 0}, {3, 0}, {4, 4}, {5, 4}, {6, 6}, {50, 6}};
    for (const auto& s : starts)
        EXPECT_EQ(subpathStartingElementForElement(p, s.index), s.start) << s.index;

    // A close anywhere later counts, even one of another subpath.
    Path openThenClosed = polyline({{0, 0}, {10, 0}});
    openThenClosed.appendRect(Rect(20, 0, 5, 5));
    EXPECT_TRUE(subpathContainingElementIsClosed(openThenClosed, 1));
    EXPECT_TRUE(isPathClosed(openThenClosed));
    EXPECT_FALSE(subpathContainingElementIsClosed(openThenClosed, openThenClosed.elementCount()));
    EXPECT_FALSE(isPathClosed(polyline({{0, 0}, {10, 0}})));
}

TEST(BezierPathFunctions, PointAndSegmentFunctions)
{
    EXPECT_EQ(Interpolate({0, 10}, {10, 30}, 0.25), Point(2.5, 15));
    EXPECT_EQ(Slope({0, 0}, {1, 2}), double(std::atan2(2.0f, 1.0f)));
    EXPECT_NE(Slope({0, 0}, {1, 2}), std::atan2(2.0, 1.0)); // single precision, widened
    EXPECT_EQ(AngleBetween({0, 0}, {1, 0}, {1, 1}), double(-std::atan2(1.0f, 0.0f)));
    EXPECT_EQ(LineLength({0, 0}, {0.1, 0.2}), double(std::hypot(0.1f, 0.2f)));
    EXPECT_EQ(LineLength({1, 1}, {4, 5}), 5);

    const struct {
        Point p;
        int where;
        Point nearest;
    } segment[] = {{{-1, 3}, -1, {0, 0}}, {{0, 3}, 0, {0, 0}}, {{5, -3}, 0, {5, 0}}, {{10, 1}, 0, {10, 0}},
                   {{12, 0}, 1, {10, 0}}};
    for (const auto& s : segment) {
        EXPECT_EQ(PointInLineSegment(s.p, {0, 0}, {10, 0}), s.where) << s.p.x;
        EXPECT_EQ(NearestPointOnLine(s.p, {0, 0}, {10, 0}), s.nearest) << s.p.x;
    }
    EXPECT_EQ(PointInLineSegment({1, 1}, {2, 2}, {2, 2}), -1);
    EXPECT_EQ(NearestPointOnLine({1, 1}, {2, 2}, {2, 2}), Point(2, 2));
    EXPECT_EQ(RelPoint({2.5, 0}, {0, 0}, {10, 0}), 0.25);
    EXPECT_EQ(RelPoint({2.5, 0}, {3, 3}, {3, 3}), 0);
    EXPECT_EQ(NSRectFromTwoPoints({5, 1}, {2, 7}), Rect(2, 1, 3, 6));
    EXPECT_EQ(SquaredLength({3, 4}), 25);
    EXPECT_EQ(DiffPoint({3, 4}, {1, 1}), Point(2, 3));
    EXPECT_EQ(DiffPointSquaredLength({3, 4}, {0, 0}), 25);
    EXPECT_EQ(DotProduct({1, 2}, {3, 4}), 11);

    const Point turned = RotationTransform(std::numbers::pi / 2, {10, 10}).apply(Point(20, 10));
    EXPECT_NEAR(turned.x, 10, 1e-12);
    EXPECT_NEAR(turned.y, 20, 1e-12);
}

TEST(BezierPathFunctions, DeCasteljauSplitsReproduceTheCurve)
{
    const Point c[4] = {{0, 0}, {10, 40}, {50, -20}, {60, 10}};
    Point left[4];
    Point right[4];
    subdivideBezierAtT(c, left, right, 0.3);
    EXPECT_EQ(left[0], c[0]);
    EXPECT_EQ(right[3], c[3]);
    EXPECT_EQ(left[3], right[0]);
    for (double s = 0; s <= 1; s += 0.1) {
        const Point a = Bezier(left, 3, s);
        const Point b = Bezier(c, 3, 0.3 * s);
        EXPECT_NEAR(a.x, b.x, 1e-12);
        EXPECT_NEAR(a.y, b.y, 1e-12);
        const Point r = Bezier(right, 3, s);
        const Point q = Bezier(c, 3, 0.3 + 0.7 * s);
        EXPECT_NEAR(r.x, q.x, 1e-12);
        EXPECT_NEAR(r.y, q.y, 1e-12);
    }
    EXPECT_THROW(Bezier(c, 8, 0.5), std::out_of_range);
}

// The nearest point on random (seeded) cubics agrees with dense sampling of the curve.
TEST(BezierPathFunctions, NearestPointOnCurveAgreesWithDenseSampling)
{
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> coordinate(-100, 100);
    auto point = [&] { return Point(coordinate(random), coordinate(random)); };
    constexpr int samples = 20000;
    for (int curve = 0; curve < 40; ++curve) {
        const Point v[4] = {point(), point(), point(), point()};
        std::vector<Point> dense(samples + 1);
        for (int i = 0; i <= samples; ++i)
            dense[size_t(i)] = Bezier(v, 3, double(i) / samples);
        for (int k = 0; k < 5; ++k) {
            const Point p = point();
            double sampled = INFINITY;
            for (const Point& q : dense)
                sampled = std::min(sampled, std::sqrt(DiffPointSquaredLength(p, q)));
            double t = -1;
            const Point found = NearestPointOnCurve(p, v, &t);
            const double d = std::sqrt(DiffPointSquaredLength(p, found));
            SCOPED_TRACE(testing::Message() << "curve " << curve << " point " << k);
            ASSERT_GE(t, 0);
            ASSERT_LE(t, 1);
            EXPECT_EQ(found, Bezier(v, 3, t));
            // Never farther than the best sample, and the samples are at most half a step apart.
            EXPECT_LE(d, sampled + 1e-9);
            EXPECT_GE(d, sampled - 0.05);
        }
    }
    // Degenerate cubics: a point, and a straight line.
    const Point dot[4] = {{3, 3}, {3, 3}, {3, 3}, {3, 3}};
    double t = -1;
    EXPECT_EQ(NearestPointOnCurve({10, 10}, dot, &t), Point(3, 3));
    EXPECT_EQ(t, 0);
    const Point straight[4] = {{0, 0}, {10, 0}, {20, 0}, {30, 0}};
    const Point onLine = NearestPointOnCurve({12, 5}, straight, &t);
    EXPECT_NEAR(onLine.x, 12, 1e-9);
    EXPECT_NEAR(t, 0.4, 1e-9);
}
