#include "platform/graphics/Path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace pf;

namespace {

constexpr double k = 0.5522847498;

std::vector<PathElementType> types(const Path& p)
{
    std::vector<PathElementType> out;
    for (const PathElement& e : p.elements())
        out.push_back(e.type);
    return out;
}

Point cubicAt(Point a, Point b, Point c, Point d, double t)
{
    const double m = 1 - t;
    return a * (m * m * m) + b * (3 * m * m * t) + c * (3 * m * t * t) + d * (t * t * t);
}

double dist(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

using T = PathElementType;

} // namespace

TEST(PathBuilders, RectIsNormalisedAndRunsClockwiseOnScreen)
{
    const Path p = Path::rect(Rect(10, 20, -4, -6));
    EXPECT_EQ(types(p), (std::vector<T>{T::MoveTo, T::LineTo, T::LineTo, T::LineTo, T::Close}));
    EXPECT_EQ(p.element(0).points[0], Point(6, 14));
    EXPECT_EQ(p.element(1).points[0], Point(10, 14));
    EXPECT_EQ(p.element(2).points[0], Point(10, 20));
    EXPECT_EQ(p.element(3).points[0], Point(6, 20));
}

TEST(PathBuilders, OvalStartsRightMiddleAndTurnsTowardsTheBottom)
{
    const Path p = Path::oval(Rect(0, 0, 40, 20));
    ASSERT_EQ(types(p), (std::vector<T>{T::MoveTo, T::CurveTo, T::CurveTo, T::CurveTo, T::CurveTo, T::Close}));
    EXPECT_EQ(p.element(0).points[0], Point(40, 10));
    // Quarter ends, exactly on the axes, in y-down clockwise order: bottom, left, top, right.
    EXPECT_EQ(p.element(1).points[2], Point(20, 20));
    EXPECT_EQ(p.element(2).points[2], Point(0, 10));
    EXPECT_EQ(p.element(3).points[2], Point(20, 0));
    EXPECT_EQ(p.element(4).points[2], Point(40, 10));
    EXPECT_EQ(p.element(1).points[0], Point(40, 10 + 10 * k));
    EXPECT_EQ(p.element(1).points[1], Point(20 + 20 * k, 20));
    // A circle's quarter stays within 0.03 % of the radius.
    const Path c = Path::oval(Rect(0, 0, 200, 200));
    for (int i = 1; i <= 4; ++i) {
        const PathElement& e = c.element(i);
        for (double t = 0; t <= 1; t += 0.0625) {
            const Point q = cubicAt(c.element(i - 1).endPoint(), e.points[0], e.points[1], e.points[2], t);
            EXPECT_NEAR(dist(q, {100, 100}), 100, 0.03);
        }
    }
}

TEST(PathBuilders, RoundedRectHasAFixedElementListAndClampsItsRadii)
{
    const std::vector<T> rounded{T::MoveTo, T::LineTo,  T::CurveTo, T::LineTo, T::CurveTo,
                                 T::LineTo, T::CurveTo, T::LineTo,  T::CurveTo, T::Close};
    const Path p = Path::roundedRect(Rect(0, 0, 100, 50), 10, 5);
    ASSERT_EQ(types(p), rounded);
    EXPECT_EQ(p.element(0).points[0], Point(10, 0));
    EXPECT_EQ(p.element(1).points[0], Point(90, 0));
    EXPECT_EQ(p.element(2).points[0], Point(90 + 10 * k, 0));
    EXPECT_EQ(p.element(2).points[1], Point(100, 5 - 5 * k));
    EXPECT_EQ(p.element(2).points[2], Point(100, 5));
    EXPECT_EQ(p.element(8).points[2], Point(10, 0));

    // Radii past half the size are clamped; the now empty side lines stay.
    const Path pill = Path::roundedRect(Rect(0, 0, 100, 20), 500, 500);
    ASSERT_EQ(types(pill), rounded);
    EXPECT_EQ(pill.element(0).points[0], Point(50, 0));
    EXPECT_EQ(pill.element(3).points[0], Point(100, 10));
    EXPECT_EQ(pill.element(4).points[2], Point(50, 20));
    EXPECT_EQ(pill.bounds(), Rect(0, 0, 100, 20));

    // No radius in either direction is the plain rect.
    EXPECT_TRUE(Path::roundedRect(Rect(0, 0, 10, 10), 0, 4).sameElements(Path::rect(Rect(0, 0, 10, 10))));
    EXPECT_TRUE(Path::roundedRect(Rect(0, 0, 10, 10), -3, 4).sameElements(Path::rect(Rect(0, 0, 10, 10))));
}

// Every piece of an arc: at most 90°, on the circle, and turning in the expected direction.
TEST(PathBuilders, ArcSweepsAndDirections)
{
    struct Case {
        double start, end;
        bool clockwise;
        int pieces;
        double sweep; // signed, degrees
    };
    const Case cases[] = {
        {0, 90, false, 1, 90},     // increasing angles: towards +y, clockwise on screen
        {0, 90, true, 3, -270},    // decreasing angles the long way round
        {90, 0, false, 3, 270},    // end before start, increasing: the rest of the turn
        {30, 200, false, 2, 170},  //
        {0, 360, false, 4, 360},   // a full turn
        {0, -360, true, 4, -360},  //
        {10, 1000, false, 4, 360}, // more than a turn is one full circle
        {45, 45, false, 0, 0},     // no sweep: only the start point
        {-90, 90, true, 2, -180},  //
        {0, 270, true, 1, -90},    // decreasing: back through 315°
    };
    const Point c(50, 50);
    const double r = 20;
    for (const Case& tc : cases) {
        SCOPED_TRACE(testing::Message() << tc.start << " -> " << tc.end << (tc.clockwise ? " cw" : " ccw"));
        Path p;
        p.addArc(c, r, tc.start, tc.end, tc.clockwise);
        ASSERT_EQ(p.elementCount(), 1 + tc.pieces);
        const double a0 = tc.start * std::numbers::pi / 180;
        EXPECT_NEAR(p.element(0).points[0].x, c.x + r * std::cos(a0), 1e-12);
        EXPECT_NEAR(p.element(0).points[0].y, c.y + r * std::sin(a0), 1e-12);
        const double a1 = (tc.start + tc.sweep) * std::numbers::pi / 180;
        EXPECT_NEAR(p.currentPoint().x, c.x + r * std::cos(a1), 1e-9);
        EXPECT_NEAR(p.currentPoint().y, c.y + r * std::sin(a1), 1e-9);
        if (std::abs(tc.sweep) == 360) {
            EXPECT_EQ(p.currentPoint(), p.element(0).points[0]);
        }
        for (int i = 1; i < p.elementCount(); ++i) {
            const PathElement& e = p.element(i);
            ASSERT_EQ(e.type, PathElementType::CurveTo);
            const Point from = p.element(i - 1).endPoint();
            const Point mid = cubicAt(from, e.points[0], e.points[1], e.points[2], 0.5);
            EXPECT_NEAR(dist(mid, c), r, r * 3e-4);
            // The signed turn of from -> mid about the centre follows the sweep's sign.
            const double turn = (from.x - c.x) * (mid.y - c.y) - (from.y - c.y) * (mid.x - c.x);
            EXPECT_GT(turn * tc.sweep, 0);
            const double pieceAngle = std::acos(std::clamp(
                ((from.x - c.x) * (e.points[2].x - c.x) + (from.y - c.y) * (e.points[2].y - c.y)) / (r * r), -1.0, 1.0));
            EXPECT_LE(pieceAngle, std::numbers::pi / 2 + 1e-9);
        }
    }
}

TEST(PathBuilders, ArcJoinsTheCurrentPoint)
{
    Path p;
    p.moveTo({0, 0});
    p.addArc({50, 0}, 10, 180, 0, false); // starts at (40, 0): a line joins it
    ASSERT_EQ(p.element(1).type, PathElementType::LineTo);
    EXPECT_EQ(p.element(1).points[0], Point(40, 0));
    EXPECT_EQ(p.currentPoint(), Point(60, 0));
    const int before = p.elementCount();
    p.addArc({70, 0}, 10, 180, 270, false); // already at its start: no line
    EXPECT_EQ(p.elementCount(), before + 1);
    EXPECT_EQ(p.element(before).type, PathElementType::CurveTo);
    // After a close the join starts a new subpath at the closed one's start.
    p.close();
    p.addArc({0, 0}, 5, 0, 90, false);
    const int n = p.elementCount();
    EXPECT_EQ(p.element(n - 3).type, PathElementType::MoveTo);
    EXPECT_EQ(p.element(n - 3).points[0], Point(0, 0));
    EXPECT_EQ(p.element(n - 2).type, PathElementType::LineTo);
    EXPECT_EQ(p.element(n - 2).points[0], Point(5, 0));
    // Closed exactly at the arc's start: a move, not an empty line.
    Path q = Path::rect(Rect(5, 0, 10, 10));
    q.addArc({0, 0}, 5, 0, 90, false);
    EXPECT_EQ(q.element(5).type, PathElementType::MoveTo);
    EXPECT_EQ(q.element(6).type, PathElementType::CurveTo);
}

TEST(PathBuilders, ArcToPointTouchesBothLegs)
{
    Path p;
    p.moveTo({0, 0});
    p.addArcToPoint({10, 0}, {10, 10}, 3);
    ASSERT_EQ(types(p), (std::vector<T>{T::MoveTo, T::LineTo, T::CurveTo}));
    EXPECT_NEAR(p.element(1).points[0].x, 7, 1e-12);
    EXPECT_NEAR(p.element(1).points[0].y, 0, 1e-12);
    EXPECT_NEAR(p.currentPoint().x, 10, 1e-12);
    EXPECT_NEAR(p.currentPoint().y, 3, 1e-12);
    const PathElement& arc = p.element(2);
    EXPECT_NEAR(dist(cubicAt({7, 0}, arc.points[0], arc.points[1], arc.points[2], 0.5), {7, 3}), 3, 1e-3);

    // An acute corner: tangent points at r / tan(θ/2) from the corner on both legs.
    Path acute;
    acute.moveTo({0, 0});
    acute.addArcToPoint({100, 0}, {0, 50}, 5);
    const double theta = std::atan2(50, 100);
    const double d = 5 / std::tan(theta / 2);
    EXPECT_NEAR(acute.element(1).points[0].x, 100 - d, 1e-9);
    const Point t2(100 - d * 100 / std::hypot(100, 50), d * 50 / std::hypot(100, 50));
    EXPECT_NEAR(acute.currentPoint().x, t2.x, 1e-9);
    EXPECT_NEAR(acute.currentPoint().y, t2.y, 1e-9);
}

TEST(PathBuilders, DegenerateArcToPointIsALineToTheCorner)
{
    struct Case {
        const char* name;
        Point p1, p2;
        double radius;
    };
    const Case cases[] = {
        {"collinear onward", {10, 0}, {20, 0}, 3},
        {"collinear back", {10, 0}, {5, 0}, 3},
        {"zero radius", {10, 0}, {10, 10}, 0},
        {"negative radius", {10, 0}, {10, 10}, -2},
        {"corner at the current point", {0, 0}, {10, 10}, 3},
        {"second point at the corner", {10, 0}, {10, 0}, 3},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        Path p;
        p.moveTo({0, 0});
        p.addArcToPoint(tc.p1, tc.p2, tc.radius);
        ASSERT_EQ(types(p), (std::vector<T>{T::MoveTo, T::LineTo}));
        EXPECT_EQ(p.currentPoint(), tc.p1);
    }
    Path empty;
    empty.addArcToPoint({4, 4}, {8, 0}, 2);
    ASSERT_EQ(types(empty), std::vector<T>{T::MoveTo});
    EXPECT_EQ(empty.currentPoint(), Point(4, 4));
}
