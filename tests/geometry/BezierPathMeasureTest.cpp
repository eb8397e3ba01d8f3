#include "geometry/BezierPathMeasure.h"

#include "geometry/BezierPathFunctions.h"

#include "BezierPathTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

using namespace geom;
using pf::PathElement;
using pf::Rect;
using T = pf::PathElementType;

namespace {

using test::polyline;
using test::types;

// Closed square of side 10 from (0, 0), first along the x axis.
Path square() { return polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true); }

Path arch()
{
    Path p;
    p.moveTo({0, 0});
    p.curveTo({0, -40}, {100, -40}, {100, 0});
    return p;
}

} // namespace

TEST(BezierPathMeasure, Lengths)
{
    EXPECT_EQ(length(polyline({{0, 0}, {3, 4}})), 5);
    EXPECT_EQ(length(polyline({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true)), 4);
    EXPECT_EQ(length(Path()), 0);
    // Against a dense polyline of the same four cubics (which are within 0.03 % of the true circle).
    const Path circle = Path::oval(Rect(0, 0, 200, 200));
    double dense = 0;
    for (int i = 1; i <= 4; ++i) {
        const PathElement& e = circle.element(i);
        const Point c[4] = {circle.element(i - 1).endPoint(), e.points[0], e.points[1], e.points[2]};
        Point prev = c[0];
        for (int k = 1; k <= 10000; ++k) {
            const Point q = Bezier(c, 3, k / 10000.0);
            dense += std::hypot(q.x - prev.x, q.y - prev.y);
            prev = q;
        }
    }
    EXPECT_NEAR(dense, 2 * std::numbers::pi * 100, 0.2);
    EXPECT_NEAR(length(circle), dense, 0.4);
    EXPECT_NEAR(lengthWithMaximumError(circle, 0.001), dense, 0.004);
    // Quadratics measure as their cubic.
    Path quad;
    quad.moveTo({0, 0});
    quad.quadTo({50, 50}, {100, 0});
    Path cubic;
    cubic.moveTo({0, 0});
    cubic.curveTo({100 / 3.0, 100 / 3.0}, {200 / 3.0, 100 / 3.0}, {100, 0});
    EXPECT_DOUBLE_EQ(length(quad), length(cubic));
}

// An error of 0 or below never let the halving stop; it is clamped to 1e-4 and the depth capped.
TEST(BezierPathMeasure, NonPositiveErrorStillEnds)
{
    const Path a = arch();
    const double fine = lengthWithMaximumError(a, 1e-4);
    for (double error : {0.0, -1.0}) {
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(lengthWithMaximumError(a, error), fine);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(60)) << "a hang, not a slow machine";
    }
    // A curve far too large for single-precision distances reaches the depth cap and answers.
    Path huge;
    huge.moveTo({0, 0});
    huge.curveTo({0, -4e30}, {1e31, -4e30}, {1e31, 0});
    EXPECT_GT(lengthWithMaximumError(huge, 0), 1e31);
    // Zero-length and NaN curves answer without dividing by zero or looping.
    Path dot;
    dot.moveTo({5, 5});
    dot.curveTo({5, 5}, {5, 5}, {5, 5});
    EXPECT_EQ(length(dot), 0);
    EXPECT_EQ(bezierPathByTrimmingFromLength(dot, 1).elementCount(), 0);
    EXPECT_TRUE(bezierPathByTrimmingToLength(dot, 1).sameElements(dot));
}

TEST(BezierPathMeasure, ElementLengthsAddUpOverSeveralSubpaths)
{
    Path p = square();
    p.moveTo({100, 100});
    p.lineTo({103, 104});
    p.lineTo({100, 104});
    p.close();
    EXPECT_EQ(lengthOfElement(p, 0), 0);
    EXPECT_EQ(lengthOfElement(p, -1), -1);
    EXPECT_EQ(lengthOfElement(p, p.elementCount()), -1);
    EXPECT_EQ(lengthOfElement(p, 4), 10);
    EXPECT_EQ(lengthOfElement(p, 5), 0); // a move
    EXPECT_EQ(lengthOfElement(p, 8), 4); // back to its own subpath's start, not to element 0
    double sum = 0;
    for (int i = 0; i < p.elementCount(); ++i)
        sum += lengthOfElement(p, i);
    EXPECT_EQ(sum, length(p));
    EXPECT_EQ(lengthOfPathFromElementToElement(p, -5, 100), length(p));
    EXPECT_EQ(lengthOfPathFromElementToElement(p, 2, 3), 20);
    EXPECT_EQ(lengthOfPathFromElementToElement(p, 3, 2), 0);
}

TEST(BezierPathMeasure, SubPaths)
{
    const Path one = square();
    EXPECT_EQ(countSubPaths(one), 1);
    ASSERT_EQ(subPaths(one).size(), 1u);
    EXPECT_TRUE(subPaths(one)[0].sameElements(one));
    EXPECT_EQ(countSubPaths(Path()), 0);

    Path p = square();
    p.moveTo({50, 50});
    p.lineTo({60, 60});
    p.moveTo({70, 70}); // a trailing lone move forms no subpath
    EXPECT_EQ(countSubPaths(p), 2);
    const std::vector<Path> subs = subPaths(p);
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_TRUE(subs[0].sameElements(square()));
    EXPECT_EQ(types(subs[1]), (std::vector<T>{T::MoveTo, T::LineTo}));

    Path lone = polyline({{0, 0}, {1, 1}});
    lone.moveTo({5, 5});
    lone.moveTo({6, 6});
    lone.lineTo({7, 7});
    ASSERT_EQ(subPaths(lone).size(), 2u);
    EXPECT_EQ(subPaths(lone)[1].element(0).points[0], Point(6, 6));
}

TEST(BezierPathMeasure, TrimmingToALength)
{
    const Path sq = square();
    EXPECT_TRUE(bezierPathByTrimmingToLength(sq, 40).sameElements(sq));
    EXPECT_TRUE(bezierPathByTrimmingToLength(sq, 1000).sameElements(sq));
    // The last 2 of the closing side are cut: it ends 2 short of the start, without a close.
    const Path cut = bezierPathByTrimmingToLength(sq, 38);
    EXPECT_EQ(types(cut), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::LineTo}));
    EXPECT_EQ(cut.element(4).points[0], Point(0, 2));
    EXPECT_EQ(bezierPathByTrimmingToLength(sq, 15).element(2).points[0], Point(10, 5));
    // A negative length keeps nothing of the first side.
    for (double L : {-3.0, std::nan("")}) {
        const Path none = bezierPathByTrimmingToLength(sq, L);
        ASSERT_EQ(none.elementCount(), 2);
        EXPECT_EQ(none.element(1).points[0], Point(0, 0));
    }

    // A cut curve keeps the length asked for within the error, and its end lies on the curve.
    const Path a = arch();
    const double whole = length(a);
    for (double L : {10.0, whole / 2, whole - 1}) {
        const Path piece = bezierPathByTrimmingToLengthWithMaximumError(a, L, 0.01);
        EXPECT_NEAR(lengthWithMaximumError(piece, 0.001), L, 0.02) << L;
    }
}

TEST(BezierPathMeasure, TrimmingFromALength)
{
    const Path sq = square();
    EXPECT_TRUE(bezierPathByTrimmingFromLength(sq, 0).sameElements(sq));
    EXPECT_TRUE(bezierPathByTrimmingFromLength(sq, -2).sameElements(sq));
    // The cut subpath starts at the cut point and ends with the line back to its old start; closing it
    // would draw the trimmed 2 again.
    const Path rest = bezierPathByTrimmingFromLength(sq, 2);
    EXPECT_EQ(types(rest), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::LineTo}));
    EXPECT_EQ(rest.element(0).points[0], Point(2, 0));
    EXPECT_EQ(rest.element(4).points[0], Point(0, 0));
    EXPECT_EQ(length(rest), 38);
    // A cut inside the closing side.
    const Path tail = bezierPathByTrimmingFromLength(sq, 35);
    EXPECT_EQ(types(tail), (std::vector<T>{T::MoveTo, T::LineTo}));
    EXPECT_EQ(tail.element(0).points[0], Point(0, 5));
    EXPECT_EQ(tail.element(1).points[0], Point(0, 0));
    // Later subpaths are kept whole; their close becomes a line back to the start and a close.
    Path two = square();
    two.appendRect(Rect(20, 0, 10, 10));
    const Path later = bezierPathByTrimmingFromLength(two, 5);
    EXPECT_EQ(types(later), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::LineTo, T::MoveTo,
                                            T::LineTo, T::LineTo, T::LineTo, T::LineTo, T::Close}));
    EXPECT_EQ(later.element(0).points[0], Point(5, 0));
    EXPECT_EQ(later.element(9).points[0], Point(20, 0));
    EXPECT_EQ(length(later), 75);
    EXPECT_EQ(types(bezierPathByTrimmingFromLength(two, 45)),
              (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::LineTo}));
    EXPECT_EQ(bezierPathByTrimmingFromLength(two, 80).elementCount(), 0);

    // On curves the two trims add up to the whole.
    const Path a = arch();
    const double whole = lengthWithMaximumError(a, 0.001);
    for (double L : {5.0, whole / 3, whole - 5}) {
        const Path front = bezierPathByTrimmingToLengthWithMaximumError(a, L, 0.001);
        const Path back = bezierPathByTrimmingFromLengthWithMaximumError(a, L, 0.001);
        EXPECT_NEAR(lengthWithMaximumError(back, 0.001), whole - L, 0.01) << L;
        EXPECT_EQ(back.element(0).points[0], front.currentPoint());
    }
}

TEST(BezierPathMeasure, TrimmingBothEndsTheCentreAndARange)
{
    const Path line = polyline({{0, 0}, {100, 0}});
    const Path both = bezierPathByTrimmingFromBothEnds(line, 10);
    EXPECT_EQ(both.element(0).points[0], Point(10, 0));
    EXPECT_EQ(both.element(1).points[0], Point(90, 0));
    const Path gap = bezierPathByTrimmingFromCentre(line, 20);
    ASSERT_EQ(types(gap), (std::vector<T>{T::MoveTo, T::LineTo, T::MoveTo, T::LineTo}));
    EXPECT_EQ(gap.element(1).points[0], Point(40, 0));
    EXPECT_EQ(gap.element(2).points[0], Point(60, 0));
    EXPECT_EQ(gap.element(3).points[0], Point(100, 0));
    // b is the length kept after dropping a.
    const Path range = bezierPathByTrimmingFromLengthToLength(line, 10, 30);
    EXPECT_EQ(range.element(0).points[0], Point(10, 0));
    EXPECT_EQ(range.element(1).points[0], Point(40, 0));
    // Trimmed paths keep the source's style.
    Path styled = line;
    styled.setLineWidth(7);
    EXPECT_EQ(bezierPathByTrimmingFromBothEnds(styled, 10).lineWidth(), 7);
}

TEST(BezierPathMeasure, PointAndSlopeAtALength)
{
    double slope = 42;
    const Path line = polyline({{0, 0}, {100, 0}});
    EXPECT_EQ(pointOnPathAtLengthSlope(line, 0, &slope), Point(0, 0));
    EXPECT_EQ(slope, 0);
    EXPECT_EQ(pointOnPathAtLengthSlope(line, 30, &slope), Point(30, 0));
    EXPECT_EQ(slope, 0);
    slope = 42;
    EXPECT_EQ(pointOnPathAtLengthSlope(polyline({{5, 5}}), 3, &slope), Point(0, 0));
    EXPECT_EQ(slope, 42); // not written

    const Path a = arch();
    EXPECT_EQ(pointOnPathAtLengthSlope(a, length(a), &slope), Point(100, 0));
    EXPECT_EQ(slope, Slope({100, -40}, {100, 0}));
    // On the closing side of a square, heading back up to the start (y down).
    EXPECT_EQ(pointOnPathAtLengthSlope(square(), 35, &slope), Point(0, 5));
    EXPECT_EQ(slope, Slope({0, 10}, {0, 5}));
    EXPECT_EQ(pointOnPathAtLengthSlope(square(), 40, nullptr), Point(0, 0));
    EXPECT_EQ(slopeStartingPath(a), Slope({0, 0}, {0, -40}));
    EXPECT_EQ(slopeStartingPath(Path()), 0);
}

TEST(BezierPathMeasure, DistanceFromStartAtAPoint)
{
    Path p = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    EXPECT_EQ(distanceFromStartOfPathAtPointTolerance(p, {50, 50}, 2), -1);
    EXPECT_FLOAT_EQ(distanceFromStartOfPathAtPointTolerance(p, {11, 4}, 2), 14);
    // On the closing side: measured like a line back to the start.
    EXPECT_FLOAT_EQ(distanceFromStartOfPathAtPointTolerance(p, {-1, 3}, 2), 37);

    const Path a = arch();
    const double d = distanceFromStartOfPathAtPointTolerance(a, {50, -31}, 2);
    EXPECT_NEAR(d, length(a) / 2, 0.1);
    // The distance found leads back to the point.
    const Point back = pointOnPathAtLengthSlope(a, d, nullptr);
    EXPECT_NEAR(back.x, 50, 0.2);
    EXPECT_NEAR(back.y, -30, 0.2);
}
