// Reading paths into contours, containment, hole flags and the crossings between two graphs.
#include "FBTestPaths.h"
#include "geometry/FBBezierGraph.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

pf::Path polyline(std::initializer_list<pf::Point> points, bool close)
{
    pf::Path p;
    for (pf::Point q : points)
        p.isEmpty() ? p.moveTo(q) : p.lineTo(q);
    if (close)
        p.close();
    return p;
}

TEST(FBBezierGraph, ReadsSubpathsIntoClosedContours)
{
    struct Case {
        const char* name;
        pf::Path path;
        size_t edges;
    } cases[] = {
        {"closed triangle", polyline({{0, 0}, {10, 0}, {10, 10}}, true), 3},
        {"last point on the start", polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0}}, true), 3},
        {"repeated point", polyline({{0, 0}, {10, 0}, {10, 0}, {10, 10}}, true), 3},
        // Filled as if closed, so the graph closes it too.
        {"open subpath", polyline({{0, 0}, {10, 0}, {10, 10}}, false), 3},
        // An end within rounding of the start is the start: no sliver edge to split the outline at.
        {"last point a rounding off the start", polyline({{0, 0}, {10, 0}, {10, 10}, {0, 7e-15}}, true), 3},
        {"last point a rounding off the start, open", polyline({{0, 0}, {10, 0}, {10, 10}, {-7e-15, 0}}, false), 3},
        {"last point a twentieth off the start", polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0.05}}, true), 4},
    };
    for (const Case& c : cases) {
        const FBBezierGraph graph(c.path);
        ASSERT_EQ(graph.contours().size(), 1u) << c.name;
        const auto& edges = graph.contours()[0]->edges();
        ASSERT_EQ(edges.size(), c.edges) << c.name;
        if (c.edges == 3) {
            EXPECT_EQ(edges.back().curve().endPoint1, MWPoint(10, 10)) << c.name;
        }
        EXPECT_EQ(edges.back().curve().endPoint2, MWPoint(0, 0)) << c.name;
    }
}

TEST(FBBezierGraph, RoundedRectsAtFractionalPositionsEndExactlyAtTheirStart)
{
    for (double x : {0.1, 81.98106733539662, 1e6 + 0.3, 3.7e-3}) {
        const pf::Path p = pf::Path::roundedRect(pf::Rect(x, x / 3, x / 2 + 0.7, 0.9), 0.21, 0.3);
        EXPECT_EQ(p.element(p.elementCount() - 2).endPoint(), p.element(0).endPoint()) << x;
        const FBBezierGraph graph(p);
        ASSERT_EQ(graph.contours().size(), 1u);
        EXPECT_EQ(graph.contours()[0]->edges().size(), 8u) << x;
    }
}

TEST(FBBezierGraph, SubpathsWithNonFiniteNumbersAreDropped)
{
    for (double bad : {NAN, INFINITY, -INFINITY}) {
        pf::Path path = polyline({{0, 0}, {100, 0}, {bad, 50}, {0, 100}}, true);
        path.append(fbtest::rect(200, 0, 10, 10));
        path.append(polyline({{bad, 0}, {100, 0}, {50, 50}}, true));
        path.moveTo({300, 0});
        path.curveTo({310, bad}, {320, 0}, {330, 10});
        const FBBezierGraph graph(path);
        ASSERT_EQ(graph.contours().size(), 1u) << bad;
        EXPECT_EQ(graph.contours()[0]->firstPoint(), MWPoint(200, 0)) << bad;
        EXPECT_EQ(graph.contours()[0]->inside(), 0);
    }
}

TEST(FBBezierGraph, QuadraticsBecomeTheirExactCubic)
{
    pf::Path path;
    path.moveTo({0, 0});
    path.quadTo({5, 10}, {10, 0});
    path.close();
    const FBBezierGraph graph(path);
    ASSERT_EQ(graph.contours()[0]->edges().size(), 2u); // no gap: the quadratic is an edge
    const FBBezierCurve& c = graph.contours()[0]->edges()[0].curve();
    EXPECT_NEAR(c.controlPoint1.x, 10.0 / 3, 1e-12);
    EXPECT_NEAR(c.controlPoint1.y, 20.0 / 3, 1e-12);
    EXPECT_NEAR(c.pointAtParameter(0.5).y, 5, 1e-12);
}

TEST(FBBezierGraph, SegmentAfterCloseStartsANewContourAtTheSubpathStart)
{
    pf::Path path = polyline({{5, 5}, {10, 5}, {10, 10}}, true);
    path.lineTo({20, 20});
    path.lineTo({5, 20});
    const FBBezierGraph graph(path);
    ASSERT_EQ(graph.contours().size(), 2u);
    EXPECT_EQ(graph.contours()[1]->firstPoint(), MWPoint(5, 5));
}

TEST(FBBezierGraph, HoleFlagsFollowNestingParity)
{
    pf::Path path = fbtest::rect(0, 0, 100, 100);
    path.append(fbtest::rect(10, 10, 80, 80));
    path.append(fbtest::rect(20, 20, 60, 60));
    path.append(fbtest::rect(200, 0, 10, 10));
    const FBBezierGraph graph(path);
    ASSERT_EQ(graph.contours().size(), 4u);
    EXPECT_EQ(graph.contours()[0]->inside(), 0);
    EXPECT_EQ(graph.contours()[1]->inside(), 1);
    EXPECT_EQ(graph.contours()[2]->inside(), 0);
    EXPECT_EQ(graph.contours()[3]->inside(), 0);
}

TEST(FBBezierGraph, ContainmentCountsARayThroughAVertexOnce)
{
    const FBBezierGraph diamond(polyline({{5, 0}, {10, 5}, {5, 10}, {0, 5}}, true));
    const FBBezierContour& c = *diamond.contours()[0];
    EXPECT_TRUE(c.containsPoint({2, 5}));   // ray through the vertex (10, 5): edges leave on both sides
    EXPECT_FALSE(c.containsPoint({-3, 0})); // ray through (5, 0): both edges below
    EXPECT_FALSE(c.containsPoint({-3, 5})); // left of the contour
    EXPECT_FALSE(c.containsPoint({12, 5}));
    EXPECT_TRUE(c.containsPoint({5, 5}));
}

TEST(FBBezierGraph, BoundsContainTheControlPoints)
{
    pf::Path arch;
    arch.moveTo({0, 0});
    arch.curveTo({0, 20}, {10, 20}, {10, 0});
    arch.close();
    const pf::Rect b = FBBezierGraph(arch).contours()[0]->bounds();
    EXPECT_EQ(b, pf::Rect(0, 0, 10, 20));
}

struct CrossingCase {
    const char* name;
    pf::Path a;
    pf::Path b;
    size_t crossings;
};

TEST(FBBezierGraph, CrossingsArePairedAndMadeOnlyWhereBoundariesCross)
{
    const CrossingCase cases[] = {
        {"corner overlap", fbtest::rect(0, 0, 10, 10), fbtest::rect(5, 5, 10, 10), 2},
        {"vertex touching an edge", fbtest::rect(0, 0, 10, 10), polyline({{10, 5}, {20, 0}, {20, 10}}, true), 0},
        {"disjoint", fbtest::rect(0, 0, 10, 10), fbtest::rect(20, 0, 10, 10), 0},
        // The edge from (5, 5) to (15, 15) leaves through the corner (10, 10): one crossing there, not two.
        {"crossing at a joint", fbtest::rect(0, 0, 10, 10), polyline({{5, 5}, {15, 15}, {5, 15}}, true), 2},
    };
    for (const CrossingCase& c : cases) {
        FBBezierGraph a(c.a), b(c.b);
        a.insertCrossingsWithBezierGraph(b);
        EXPECT_EQ(a.crossingCount(), c.crossings) << c.name;
        EXPECT_EQ(b.crossingCount(), c.crossings) << c.name;
        for (const auto& contour : a.contours())
            for (const FBContourEdge& edge : contour->edges())
                for (const auto& crossing : edge.crossings())
                    EXPECT_EQ(crossing->counterpart()->counterpart(), crossing.get()) << c.name;
    }
    FBBezierGraph a(fbtest::rect(0, 0, 10, 10)), b(polyline({{5, 5}, {15, 15}, {5, 15}}, true));
    a.insertCrossingsWithBezierGraph(b);
    // The crossing at the joint stays on the earlier edge, at its end.
    const FBContourEdge& right = a.contours()[0]->edges()[1];
    ASSERT_EQ(right.crossings().size(), 1u);
    EXPECT_TRUE(right.crossings()[0]->isAtEnd());
    EXPECT_TRUE(right.stopShared());
    EXPECT_TRUE(a.contours()[0]->edges()[2].startShared());
    a.removeCrossings();
    EXPECT_EQ(a.crossingCount(), 0u);
}

TEST(FBBezierGraph, SharedStretchesAreSplitAtTheirEnds)
{
    // Side by side: the stretch x = 10, 0 <= y <= 10 is on both outlines.
    FBBezierGraph a(fbtest::rect(0, 0, 10, 10)), b(fbtest::rect(10, 0, 10, 10));
    a.insertCrossingsWithBezierGraph(b);
    std::vector<MWPoint> at;
    for (const auto& contour : a.contours())
        for (const FBContourEdge& edge : contour->edges())
            for (const auto& crossing : edge.crossings())
                at.push_back(FBRoundPoint(crossing->location()));
    EXPECT_EQ(at, (std::vector<MWPoint>{{10, 0}, {10, 10}}));
}

TEST(FBBezierGraph, DescriptionsAndArrays)
{
    EXPECT_EQ(FBArrayDescription(std::vector<int>{}, [](int) { return std::string(); }), "[]");
    EXPECT_EQ(FBArrayDescription(std::vector<int>{7}, [](int i) { return std::to_string(i); }), "[\n\t0\t=\t7\n]");
    const FBBezierGraph graph(polyline({{0, 0}, {2, 0}, {2, 1}}, true));
    const std::string text = graph.description();
    EXPECT_EQ(text.rfind("<FBBezierGraph: bounds = (0.000000, 0.000000)(2.000000, 1.000000) contours = [\n\t0\t=\t"
                         "<FBBezierContour: bounds = (0.000000, 0.000000)(2.000000, 1.000000) edges = [\n\t0\t=\t"
                         "<FBContourEdge: curve = <FBBezierCurve (0.000000, 0.000000)",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("crossings = []>"), std::string::npos);
}

} // namespace
