// The four path operations: which contours come back, in what order and form, and the cases the
// callers rely on (callout outlines, connectors cut at a shape, canvas booleans).
#include "FBTestPaths.h"
#include "geometry/FBBezierGraph.h"
#include "geometry/FBPathBoolean.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <cmath>

namespace {

struct Subpath {
    std::vector<pf::Point> points; // the start and the end point of every segment
};

std::vector<Subpath> subpaths(const pf::Path& path)
{
    std::vector<Subpath> result;
    for (const pf::PathElement& e : path.elements()) {
        if (e.type == pf::PathElementType::MoveTo)
            result.push_back({});
        result.back().points.push_back(e.endPoint());
    }
    return result;
}

bool fills(const pf::Path& path, pf::Point p) { return path.toQt(pf::WindingRule::NonZero).contains(p.toQt()); }

TEST(FBBooleanOperations, DisjointSquaresComeBackUnchangedInOrder)
{
    const pf::Path a = fbtest::rect(0.25, 0.5, 10, 10), b = fbtest::rect(200, 0, 10, 10);
    const auto parts = subpaths(CGPath_FBCreateUnion(a, b));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].points, (std::vector<pf::Point>{{0.25, 0.5}, {10.25, 0.5}, {10.25, 10.5}, {0.25, 10.5}, {0.25, 0.5}}));
    EXPECT_EQ(parts[1].points, (std::vector<pf::Point>{{200, 0}, {210, 0}, {210, 10}, {200, 10}, {200, 0}}));
    EXPECT_TRUE(CGPath_FBCreateIntersect(a, b).isEmpty());
    EXPECT_EQ(subpaths(CGPath_FBCreateDifference(a, b)).size(), 1u);
}

TEST(FBBooleanOperations, NestedSquares)
{
    const pf::Path big = fbtest::rect(0, 0, 100, 100), small = fbtest::rect(25, 25, 50, 50);
    const auto bigOnly = subpaths(CGPath_FBCreateUnion(big, small));
    ASSERT_EQ(bigOnly.size(), 1u);
    EXPECT_EQ(bigOnly[0].points[1], pf::Point(100, 0));
    const auto smallOnly = subpaths(CGPath_FBCreateIntersect(big, small));
    ASSERT_EQ(smallOnly.size(), 1u);
    EXPECT_EQ(smallOnly[0].points[0], pf::Point(25, 25));
    EXPECT_TRUE(CGPath_FBCreateDifference(small, big).isEmpty());

    // Big minus small keeps the small square as an inner subpath running the other way, so the non-zero
    // rule leaves it empty.
    const pf::Path ring = CGPath_FBCreateDifference(big, small);
    const auto parts = subpaths(ring);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1].points.front(), parts[1].points.back());
    EXPECT_FALSE(fills(ring, {50, 50}));
    EXPECT_TRUE(fills(ring, {10, 50}));
}

TEST(FBBooleanOperations, ContoursUnderOneUnitAreStillFoundInside)
{
    const pf::Path big = fbtest::rect(0, 0, 100, 100), speck = fbtest::rect(50, 50, 0.5, 0.5);
    EXPECT_EQ(subpaths(CGPath_FBCreateIntersect(big, speck)).size(), 1u);
    EXPECT_EQ(subpaths(CGPath_FBCreateUnion(big, speck)).size(), 1u);
    EXPECT_FALSE(fills(CGPath_FBCreateDifference(big, speck), {50.25, 50.25}));
}

TEST(FBBooleanOperations, TracedOutlinesAreWholeNumbersAndComeFirst)
{
    pf::Path a = fbtest::rect(0.3, 0.6, 10.25, 10.5);
    a.append(fbtest::rect(100.5, 100.5, 3.25, 3.25)); // crosses nothing
    const pf::Path b = fbtest::rect(5.7, 5.2, 10.1, 10.9);
    const pf::Path result = CGPath_FBCreateUnion(a, b);
    const auto parts = subpaths(result);
    ASSERT_EQ(parts.size(), 2u);
    for (const pf::PathElement& e : result.elements()) {
        EXPECT_NE(e.type, pf::PathElementType::Close);
        if (&e - result.elements().data() < int(result.elementCount()) - 5)
            for (int i = 0; i < e.pointCount(); ++i) {
                EXPECT_EQ(e.points[i].x, std::round(e.points[i].x));
                EXPECT_EQ(e.points[i].y, std::round(e.points[i].y));
            }
    }
    EXPECT_EQ(parts[0].points.front(), parts[0].points.back()); // a traced contour ends at its start
    EXPECT_EQ(parts[1].points.front(), pf::Point(100.5, 100.5)); // kept whole, fractions and all
}

TEST(FBBooleanOperations, RoundingIsLeftOutOnDrawingsAFewUnitsAcross)
{
    const pf::Path a = fbtest::oval(0, 0, 0.01, 0.01), b = fbtest::oval(0.005, 0, 0.01, 0.01);
    const pf::Path united = CGPath_FBCreateUnion(a, b);
    ASSERT_FALSE(united.isEmpty());
    EXPECT_TRUE(fills(united, {0.0125, 0.005}));
    EXPECT_TRUE(fills(united, {0.002, 0.005}));
}

TEST(FBBooleanOperations, SharedEdges)
{
    const pf::Path left = fbtest::rect(0, 0, 100, 100), right = fbtest::rect(100, 0, 100, 100);
    const pf::Path united = CGPath_FBCreateUnion(left, right);
    const auto parts = subpaths(united);
    ASSERT_EQ(parts.size(), 1u); // one outline, without the shared edge
    EXPECT_EQ(parts[0].points.size(), 7u);
    EXPECT_EQ(FBBezierGraph(united).bounds(), pf::Rect(0, 0, 200, 100));
    EXPECT_FALSE(fills(CGPath_FBCreateIntersect(left, right), {100, 50}));
    EXPECT_TRUE(fills(CGPath_FBCreateDifference(left, right), {99, 50}));
    EXPECT_FALSE(fills(CGPath_FBCreateDifference(left, right), {101, 50}));

    // Identical shapes.
    EXPECT_EQ(subpaths(CGPath_FBCreateUnion(left, left)).size(), 1u);
    EXPECT_EQ(subpaths(CGPath_FBCreateIntersect(left, left)).size(), 1u);
    EXPECT_FALSE(fills(CGPath_FBCreateDifference(left, left), {50, 50}));
    EXPECT_FALSE(fills(CGPath_FBCreateXOR(left, left), {50, 50}));
}

TEST(FBBooleanOperations, CalloutTailInsideTheBodyAddsNothing)
{
    const pf::Path body = fbtest::oval(0, 0, 100, 70);
    const pf::Path tail = fbtest::polygon({{60, 40}, {50, 25}, {50, 45}});
    const pf::Path outline = CGPath_FBCreateUnion(body, tail);
    const auto parts = subpaths(outline);
    ASSERT_EQ(parts.size(), 1u);
    std::vector<pf::Point> bodyPoints = subpaths(body)[0].points;
    bodyPoints.pop_back(); // the close element's point; results have none
    EXPECT_EQ(parts[0].points, bodyPoints);
}

TEST(FBBooleanOperations, CalloutTailOutsideJoinsTheBody)
{
    const pf::Path body = fbtest::oval(0, 0, 100, 70);
    const pf::Path tail = fbtest::polygon({{97, 80}, {40, 35}, {60, 25}});
    const pf::Path outline = CGPath_FBCreateUnion(body, tail);
    EXPECT_EQ(subpaths(outline).size(), 1u);
    EXPECT_TRUE(fills(outline, {90, 70}));
    EXPECT_TRUE(fills(outline, {50, 10}));
}

TEST(FBBooleanOperations, ConnectorIsCutWhereItEntersTheShape)
{
    pf::Path connector;
    connector.moveTo({-50, 50});
    connector.lineTo({50, 50});
    const pf::Path visible = CGPath_FBCreateDifference(connector, fbtest::rect(0, 0, 100, 100));
    ASSERT_FALSE(visible.isEmpty());
    EXPECT_EQ(visible.currentPoint(), pf::Point(0, 50));
    for (const pf::PathElement& e : visible.elements())
        EXPECT_LE(e.endPoint().x, 0);
}

TEST(FBBooleanOperations, ExclusionAsTwoDifferencesWhenOneShapeHoldsTheOther)
{
    const pf::Path a = fbtest::rect(25, 25, 50, 50), b = fbtest::rect(0, 0, 100, 100);
    EXPECT_TRUE(CGPath_FBCreateDifference(a, b).isEmpty());
    const pf::Path bMinusA = CGPath_FBCreateDifference(b, a);
    EXPECT_FALSE(fills(bMinusA, {50, 50}));
    EXPECT_TRUE(fills(bMinusA, {10, 10}));
    const pf::Path exclusion = CGPath_FBCreateXOR(a, b);
    EXPECT_FALSE(fills(exclusion, {50, 50}));
    EXPECT_TRUE(fills(exclusion, {10, 10}));
}

TEST(FBBooleanOperations, EmptyInputs)
{
    const pf::Path square = fbtest::rect(0, 0, 10, 10), empty;
    EXPECT_EQ(subpaths(CGPath_FBCreateUnion(square, empty)).size(), 1u);
    EXPECT_EQ(subpaths(CGPath_FBCreateUnion(empty, square)).size(), 1u);
    EXPECT_TRUE(CGPath_FBCreateIntersect(square, empty).isEmpty());
    EXPECT_EQ(subpaths(CGPath_FBCreateDifference(square, empty)).size(), 1u);
    EXPECT_TRUE(CGPath_FBCreateDifference(empty, square).isEmpty());
    EXPECT_TRUE(CGPath_FBCreateUnion(empty, empty).isEmpty());
}

TEST(FBBooleanOperations, OperationsLeaveTheGraphsWithoutCrossings)
{
    FBBezierGraph a(fbtest::rect(0, 0, 10, 10)), b(fbtest::rect(5, 5, 10, 10));
    const FBBezierGraph result = a.unionWithBezierGraph(b);
    EXPECT_EQ(a.crossingCount(), 0u);
    EXPECT_EQ(b.crossingCount(), 0u);
    ASSERT_EQ(result.contours().size(), 1u);
    EXPECT_EQ(result.contours()[0]->edges().size(), 8u);
}

} // namespace
