// Reading paths into contours, containment, hole flags and the crossings between two graphs.
#include "FBTestPaths.h"
#include "geometry/FBBezierGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

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

// A five-pointed star drawn in one stroke: its outline goes round twice, crossing itself.
pf::Path pentagram()
{
    std::vector<pf::Point> points;
    for (int i = 0; i < 5; ++i) {
        const double a = 2 * std::numbers::pi * (2 * i) / 5;
        points.push_back({50 + 40 * std::cos(a), 50 + 40 * std::sin(a)});
    }
    return fbtest::polygon(points);
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

// A ray meets a curve that is nearly a line (a traced line rounded to whole units) on the side its chord
// gives when the point lies clear of the band its points span; run either way round and mirrored.
TEST(FBBezierGraph, ContainmentBesideANearlyStraightCurve)
{
    struct Case {
        pf::Point point;
        bool inside;
    } cases[] = {{{60, 20}, true}, {{30, 20}, false}, {{60, 29}, true}, {{60, 31}, false},
                 {{99, 49}, true}, {{1, 0.2}, true}, {{1, 2}, false}, {{50, -1}, false}};
    for (const bool reversed : {false, true}) {
        for (const double flip : {1.0, -1.0}) {
            // The triangle (0, 0), (100, 50), (100, 0), its long side a cubic with control points off the
            // thirds of its chord by a sixth of a unit.
            const auto at = [flip](double x, double y) { return pf::Point(x, flip * y); };
            pf::Path path;
            if (!reversed) {
                path.moveTo(at(0, 0));
                path.curveTo(at(33.5, 16.5), at(66.5, 33.5), at(100, 50));
                path.lineTo(at(100, 0));
            } else {
                path.moveTo(at(100, 0));
                path.lineTo(at(100, 50));
                path.curveTo(at(66.5, 33.5), at(33.5, 16.5), at(0, 0));
            }
            path.close();
            const FBBezierGraph graph(path);
            for (const Case& c : cases)
                EXPECT_EQ(graph.containsPoint(MWPoint{c.point.x, flip * c.point.y}), c.inside)
                    << c.point.x << ", " << c.point.y << (reversed ? " reversed" : "") << (flip < 0 ? " mirrored" : "");
        }
    }
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

pf::Path moved(const pf::Path& path, double scale, double offset)
{
    pf::Path result;
    for (const pf::PathElement& e : path.elements()) {
        pf::Point q[3];
        for (int i = 0; i < e.pointCount(); ++i)
            q[i] = {e.points[i].x * scale + offset, e.points[i].y * scale + offset};
        switch (e.type) {
        case pf::PathElementType::MoveTo: result.moveTo(q[0]); break;
        case pf::PathElementType::LineTo: result.lineTo(q[0]); break;
        case pf::PathElementType::QuadTo: result.quadTo(q[0], q[1]); break;
        case pf::PathElementType::CurveTo: result.curveTo(q[0], q[1], q[2]); break;
        case pf::PathElementType::Close: result.close(); break;
        }
    }
    return result;
}

TEST(FBBezierGraph, ConvexContoursTurningOnceMeetThemselvesOnlyAtJoints)
{
    pf::Path lens;
    lens.moveTo({0, 0});
    lens.curveTo({3, 4}, {7, 4}, {10, 0});
    lens.curveTo({7, -4}, {3, -4}, {0, 0});
    lens.close();
    pf::Path loop;
    loop.moveTo({0, 0});
    loop.curveTo({10, 10}, {0, 10}, {10, 0});
    loop.close();
    pf::Path dentingHandles;
    dentingHandles.moveTo({0, 0});
    dentingHandles.lineTo({10, 0});
    dentingHandles.curveTo({12, 0}, {13, 5}, {14, 4});
    dentingHandles.close();
    const struct {
        const char* name;
        pf::Path path;
        bool expected;
    } cases[] = {
        {"square", fbtest::rect(0, 0, 10, 10), true},
        {"square the other way round", polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true), true},
        {"hexagon", fbtest::polygon({{10, 0}, {20, 0}, {25, 8}, {20, 16}, {10, 16}, {5, 8}}), true},
        {"a side in two collinear runs", polyline({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}, true), true},
        {"rounded rect", fbtest::roundedRect(3.3, 7.1, 40, 25, 6), true},
        {"oval", fbtest::oval(0, 0, 30, 12), true},
        {"oval, a thousandth across", moved(fbtest::oval(0, 0, 3, 1.2), 1e-3, 0), true},
        {"oval about a million", moved(fbtest::oval(0, 0, 30, 12), 1, 1e6), true},
        {"square about a million", moved(fbtest::rect(0, 0, 10, 10), 1, 1e6 + 0.3), true},
        {"a run that doubles back", polyline({{0, 0}, {10, 0}, {5, 0}, {5, 5}}, true), false},
        {"a spike back along a side", polyline({{0, 0}, {10, 0}, {10, 10}, {10, 5}, {0, 10}}, true), false},
        {"figure eight", polyline({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true), false},
        {"star", pentagram(), false},
        {"L shape", polyline({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}}, true), false},
        {"two edges", lens, false},
        {"a loop in one edge", loop, false},
        {"control points denting the polygon", dentingHandles, false},
        // Within the crossing search's tolerance of each other, edges that do not meet may still be found.
        {"a side a hair long", fbtest::roundedRect(0, 0, 10, 4 + 2e-12, 2), false},
        {"a sliver", polyline({{0, 0}, {1000, 0}, {500, 1e-6}}, true), false},
    };
    for (const auto& c : cases) {
        const FBBezierGraph graph(c.path);
        ASSERT_EQ(graph.contours().size(), 1u) << c.name;
        const pf::Rect b = graph.bounds();
        const double tolerance = 1e-9 * std::max(b.width(), b.height());
        EXPECT_EQ(graph.contours()[0]->meetsItselfOnlyAtJoints(tolerance), c.expected) << c.name;
    }
    // Non-finite numbers and gaps between edges: the reader drops or closes them, so built here directly.
    FBBezierContour nonFinite;
    nonFinite.addLine({0, 0}, {10, 0});
    nonFinite.addLine({10, 0}, {NAN, 10});
    nonFinite.addLine({NAN, 10}, {0, 0});
    EXPECT_FALSE(nonFinite.meetsItselfOnlyAtJoints(1e-8));
    FBBezierContour gap;
    gap.addLine({0, 0}, {10, 0});
    gap.addLine({10, 0}, {10, 10});
    gap.addLine({10, 10.5}, {0, 0});
    EXPECT_FALSE(gap.meetsItselfOnlyAtJoints(1e-8));
}

// Concave stars about the mean of their vertices: the crossing search could find no own crossing there. A
// certified polygon's edges must be as the certificate says: neighbours not parallel, every two others
// farther apart than ten thousand times the tolerance.
TEST(FBBezierGraph, PolygonsStarShapedAboutTheirVerticesMeetThemselvesOnlyAtJoints)
{
    const auto star = [](int n, double inner, double outer, double scale, double offset) {
        std::vector<pf::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * i / n, r = i % 2 ? inner : outer;
            points.push_back({offset + scale * (50 + r * std::cos(a)), offset + scale * (50 + r * std::sin(a))});
        }
        return fbtest::polygon(points);
    };
    const struct {
        const char* name;
        pf::Path path;
        bool expected;
    } cases[] = {
        {"concave star", star(50, 20, 45, 1, 0), true},
        {"concave star the other way round", star(50, 20, 45, 1, 0).reversed(), true},
        {"concave star about a million", star(50, 20, 45, 1, 1e6), true},
        {"concave star a thousandth across", star(50, 20, 45, 1e-3, 0), true},
        {"hexagon", fbtest::polygon({{10, 0}, {20, 0}, {25, 8}, {20, 16}, {10, 16}, {5, 8}}), true},
        {"pentagram, round twice", pentagram(), false},
        {"figure eight", polyline({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true), false},
        {"L shape, its vertices' mean in its notch", polyline({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}}, true), false},
        {"a side in two collinear runs", polyline({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}, true), false},
        {"rounded rect (curves)", fbtest::roundedRect(0, 0, 40, 25, 6), false},
        {"a notch a hair wide", polyline({{0, 0}, {10, 0}, {10, 10}, {5 + 1e-7, 10}, {5, 3}, {5 - 1e-7, 10}, {0, 10}}, true), false},
        {"a notch a hair wide, off the centre", polyline({{0, 0}, {10, 0}, {10, 10}, {8 + 1e-7, 10}, {8, 7}, {8 - 1e-7, 10}, {0, 10}}, true), false},
        {"a point past the centre", polyline({{0, 0}, {10, 0}, {10, 10}, {-5, 5}, {0, 10}}, true), false},
    };
    for (const auto& c : cases) {
        const FBBezierGraph graph(c.path);
        ASSERT_EQ(graph.contours().size(), 1u) << c.name;
        const pf::Rect b = graph.bounds();
        const double tolerance = 1e-9 * std::max(b.width(), b.height());
        EXPECT_EQ(graph.contours()[0]->isStarShapedPolygon(tolerance), c.expected) << c.name;
    }

    const auto segmentDistance = [](MWPoint a, MWPoint b, MWPoint c, MWPoint d) {
        const auto toSegment = [](MWPoint p, MWPoint s, MWPoint e) {
            const MWPoint v = FBSubtractPoint(e, s);
            const double t = std::clamp(FBDotMultiplyPoint(FBSubtractPoint(p, s), v) / FBPointSquaredLength(v), 0.0, 1.0);
            return FBDistanceBetweenPoints(p, FBAddPoint(s, FBScalePoint(v, t)));
        };
        const auto side = [](MWPoint p, MWPoint s, MWPoint e) {
            const MWPoint v = FBSubtractPoint(e, s), w = FBSubtractPoint(p, s);
            return v.x * w.y - v.y * w.x;
        };
        if ((side(c, a, b) > 0) != (side(d, a, b) > 0) && (side(a, c, d) > 0) != (side(b, c, d) > 0))
            return 0.0;
        return std::min({toSegment(a, c, d), toSegment(b, c, d), toSegment(c, a, b), toSegment(d, a, b)});
    };
    std::mt19937 random(3);
    const auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    int certified = 0;
    for (int k = 0; k < 300; ++k) {
        const int n = 3 + int(random() % 60);
        const double cx = uniform(-100, 100), cy = uniform(-100, 100);
        std::vector<pf::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * (i + uniform(-0.45, 0.45)) / n, r = uniform(0.5, 100);
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        const FBBezierGraph graph(fbtest::polygon(points));
        const FBBezierContour& contour = *graph.contours()[0];
        const pf::Rect b = graph.bounds();
        const double tolerance = 1e-9 * std::max(b.width(), b.height());
        if (!contour.isStarShapedPolygon(tolerance))
            continue;
        ++certified;
        const auto& edges = contour.edges();
        for (size_t i = 0; i < edges.size(); ++i) {
            const FBBezierCurve& e = edges[i].curve();
            const FBBezierCurve& next = edges[(i + 1) % edges.size()].curve();
            const MWPoint d1 = FBSubtractPoint(e.endPoint2, e.endPoint1), d2 = FBSubtractPoint(next.endPoint2, next.endPoint1);
            EXPECT_GT(std::fabs(d1.x * d2.y - d1.y * d2.x), 1e-6 * FBPointLength(d1) * FBPointLength(d2)) << k << " " << i;
            for (size_t j = i + 2; j < edges.size(); ++j) {
                if (i == 0 && j + 1 == edges.size())
                    continue;
                const FBBezierCurve& f = edges[j].curve();
                EXPECT_GT(segmentDistance(e.endPoint1, e.endPoint2, f.endPoint1, f.endPoint2), 1e4 * tolerance)
                    << k << " " << i << " " << j;
            }
        }
    }
    EXPECT_GT(certified, 50);
}

TEST(FBBezierGraph, OwnCrossingsAreFoundBetweenContoursAndInLoopingOnes)
{
    pf::Path twoSquares = fbtest::rect(0, 0, 10, 10);
    twoSquares.append(fbtest::rect(5, 5, 10, 10));
    pf::Path twoOvals = fbtest::oval(0, 0, 10, 10);
    twoOvals.append(fbtest::oval(20, 0, 10, 10));
    const struct {
        const char* name;
        pf::Path path;
        size_t crossings;
    } cases[] = {
        {"two overlapping convex subpaths", twoSquares, 4},
        {"figure eight", polyline({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true), 2},
        {"star", fbtest::polygon({{50, 10}, {74, 82}, {12, 36}, {88, 36}, {26, 82}}), 10},
        {"one oval", fbtest::oval(0, 0, 30, 12), 0},
        {"two ovals apart", twoOvals, 0},
    };
    for (const auto& c : cases) {
        FBBezierGraph graph(c.path);
        graph.insertSelfCrossings();
        EXPECT_EQ(graph.crossingCount(), c.crossings) << c.name;
        EXPECT_EQ(graph.hasSelfCrossings(), c.crossings != 0) << c.name;
    }
}

// The bands only narrow the search: every item whose height range holds a height must be filed under it,
// at the ranges' very ends too, at every scale; a height off every range, or not a number, finds nothing.
TEST(FBHeightBands, EveryItemWhoseRangeHoldsAHeightIsFiledUnderIt)
{
    std::mt19937 random(4);
    for (const double scale : {1e-3, 1.0, 1e6}) {
        for (const double origin : {0.0, 1e6}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", origin " << origin);
            std::vector<std::pair<double, double>> ranges;
            for (int i = 0; i < 300; ++i) {
                const double lo = origin + std::uniform_real_distribution<double>(0, 100)(random) * scale;
                // Mostly short ranges, some spanning nearly everything, some a single height.
                const double span = i % 10 == 0 ? 90 * scale : i % 17 == 0 ? 0 : std::uniform_real_distribution<double>(0, 8)(random) * scale;
                ranges.emplace_back(lo, lo + span);
            }
            FBHeightBands bands;
            ASSERT_TRUE(bands.build(ranges));
            std::vector<double> heights;
            for (const auto& [lo, hi] : ranges)
                heights.insert(heights.end(), {lo, hi, std::nextafter(lo, -INFINITY), std::nextafter(hi, INFINITY), (lo + hi) / 2});
            for (const double y : heights) {
                const auto [first, last] = bands.at(y);
                const std::vector<uint32_t> filed(first, last);
                for (size_t i = 0; i < ranges.size(); ++i) {
                    if (ranges[i].first <= y && y <= ranges[i].second) {
                        ASSERT_NE(std::find(filed.begin(), filed.end(), uint32_t(i)), filed.end()) << "item " << i << " at " << y;
                    }
                }
                ASSERT_TRUE(std::is_sorted(filed.begin(), filed.end())) << "items filed out of their order";
            }
            for (const double y : {origin - 200 * scale, origin + 300 * scale, std::nan("")}) {
                const auto [first, last] = bands.at(y);
                EXPECT_EQ(first, last) << y;
            }
        }
    }
    // No span to band: nothing is filed, and the caller scans as before.
    FBHeightBands flat;
    EXPECT_FALSE(flat.build({{5, 5}, {5, 5}}));
    EXPECT_FALSE(flat.build({{0, INFINITY}}));
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
