// Cubic segments and their intersection by Bezier clipping.
#include "geometry/FBBezierCurve.h"
#include "platform/graphics/Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

FBBezierCurve line(double x1, double y1, double x2, double y2)
{
    return FBBezierCurve::bezierCurveWithLineStartPoint({x1, y1}, {x2, y2});
}

// The same line with its control points off the thirds, so the search goes through clipping.
FBBezierCurve unevenLine(double x1, double y1, double x2, double y2)
{
    return {{x1, y1}, {x1 + (x2 - x1) * 0.2, y1 + (y2 - y1) * 0.2}, {x1 + (x2 - x1) * 0.7, y1 + (y2 - y1) * 0.7}, {x2, y2}};
}

// The curve moved by `offset` on both axes after scaling by `scale`: the same search far out or tiny.
FBBezierCurve placed(const FBBezierCurve& c, double offset, double scale)
{
    const auto p = [&](MWPoint q) { return MWPoint{q.x * scale + offset, q.y * scale + offset}; };
    return {p(c.endPoint1), p(c.controlPoint1), p(c.controlPoint2), p(c.endPoint2)};
}

std::vector<FBBezierIntersection> clip(const FBBezierCurve& us, const FBBezierCurve& them)
{
    FBRange usRange{0, 1}, themRange{0, 1};
    std::vector<FBBezierIntersection> results;
    FBIntersectionBudget budget;
    us.intersectionsWithBezierCurve(them, usRange, themRange, us, them, results, budget);
    return results;
}

TEST(FBBezierCurve, LineHasControlPointsAtTheThirds)
{
    const FBBezierCurve c = line(0, 0, 9, 3);
    EXPECT_EQ(c.controlPoint1, MWPoint(3, 1));
    EXPECT_EQ(c.controlPoint2, MWPoint(6, 2));
    const FBBezierCurve dot = line(4, 4, 4, 4);
    EXPECT_EQ(dot.controlPoint1, MWPoint(4, 4));
    EXPECT_EQ(dot.controlPoint2, MWPoint(4, 4));
}

TEST(FBBezierCurve, LinesCrossingAtRightAnglesMeetOnceAtTheirParameters)
{
    for (const auto& [a, b] : {std::pair{line(0, 5, 10, 5), line(3, 0, 3, 10)},
                               std::pair{unevenLine(0, 5, 10, 5), unevenLine(3, 0, 3, 10)}}) {
        const auto found = a.isUniformLine() ? a.intersectionsWithBezierCurve(b) : clip(a, b);
        ASSERT_EQ(found.size(), 1u);
        const MWPoint at = found[0].location();
        EXPECT_NEAR(at.x, 3, 1e-5);
        EXPECT_NEAR(at.y, 5, 1e-5);
        EXPECT_NEAR(a.pointAtParameter(found[0].parameter1()).x, 3, 1e-5);
        EXPECT_NEAR(b.pointAtParameter(found[0].parameter2()).y, 5, 1e-5);
        if (a.isUniformLine()) {
            EXPECT_NEAR(found[0].parameter1(), 0.3, 1e-6);
            EXPECT_NEAR(found[0].parameter2(), 0.5, 1e-6);
        }
        EXPECT_FALSE(found[0].isTangent());
    }
}

TEST(FBBezierCurve, CurvesThatDoNotMeetGiveNothing)
{
    const FBBezierCurve arc({0, 0}, {0, 10}, {10, 10}, {10, 0});
    EXPECT_TRUE(arc.intersectionsWithBezierCurve(line(0, 20, 10, 20)).empty());
    EXPECT_TRUE(clip(arc, unevenLine(20, 0, 20, 10)).empty());
}

TEST(FBBezierCurve, TangencyIsReportedExceptAtEndPoints)
{
    // The arch's top is at (5, 7.5).
    const FBBezierCurve arch({0, 0}, {0, 10}, {10, 10}, {10, 0});
    const auto touching = arch.intersectionsWithBezierCurve(line(-5, 7.5, 15, 7.5));
    ASSERT_FALSE(touching.empty());
    for (const auto& i : touching) {
        EXPECT_NEAR(i.location().x, 5, 1e-3);
        EXPECT_NEAR(i.location().y, 7.5, 1e-6);
    }
    EXPECT_TRUE(std::any_of(touching.begin(), touching.end(), [](const auto& i) { return i.isTangent(); }));

    // Touching at an end point never counts as tangent.
    const auto atEnd = arch.intersectionsWithBezierCurve(line(0, -5, 0, 5));
    ASSERT_FALSE(atEnd.empty());
    EXPECT_TRUE(atEnd[0].isAtStartOfCurve1());
    EXPECT_FALSE(atEnd[0].isTangent());
}

TEST(FBBezierCurve, MultipleMeetingsAreFoundByHalving)
{
    // An S curve crossing its chord three times.
    const FBBezierCurve s({0, 0}, {10, 20}, {20, -20}, {30, 0});
    const auto found = s.intersectionsWithBezierCurve(line(-1, 0, 31, 0));
    std::vector<double> xs;
    for (const auto& i : found)
        if (xs.empty() || std::fabs(xs.back() - i.location().x) > 1e-4)
            xs.push_back(i.location().x);
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_NEAR(xs[0], 0, 1e-6);
    EXPECT_NEAR(xs[1], 15, 1e-5);
    EXPECT_NEAR(xs[2], 30, 1e-6);
}

// A line against a curve is solved directly: at the origin it meets where clipping finds the meetings (to
// clipping's six places), and moved to a million or shrunk to a thousandth it finds the same meetings at
// the same parameters (clipping loses an end meeting and spreads a touch there).
TEST(FBBezierCurve, LineAgainstCurveMeetsWhereClippingDoesAtAnyScale)
{
    const FBBezierCurve curves[] = {{{0, 0}, {10, 20}, {20, -20}, {30, 0}}, // an S
                                    {{0, 0}, {0, 10}, {10, 10}, {10, 0}},   // an arch
                                    {{0, 0}, {30, 20}, {-10, 20}, {20, 0}}}; // a loop
    const std::pair<MWPoint, MWPoint> lines[] = {
        {{-1, 0}, {31, 0}},     // through the S three times, and the arch's and loop's ends
        {{-5, 7.5}, {15, 7.5}}, // the arch's top, touched
        {{2, -3}, {14, 12}},    // slanted
        {{5, 1}, {5, 30}},      // vertical, starting inside
        {{0, 0}, {12, 9}},      // from an end point of each
        {{3, 20}, {25, 21}},    // missing
    };
    const auto near = [](const FBBezierIntersection& a, const std::vector<FBBezierIntersection>& in, double tolerance) {
        return std::any_of(in.begin(), in.end(), [&](const FBBezierIntersection& b) {
            return FBDistanceBetweenPoints(a.location(), b.location()) <= tolerance;
        });
    };
    for (const FBBezierCurve& curve : curves) {
        for (const auto& [from, to] : lines) {
            for (const bool lineFirst : {true, false}) {
                const auto meetings = [&](double offset, double scale) {
                    const FBBezierCurve c = placed(curve, offset, scale);
                    const FBBezierCurve l = placed(line(from.x, from.y, to.x, to.y), offset, scale);
                    return lineFirst ? l.intersectionsWithBezierCurve(c) : c.intersectionsWithBezierCurve(l);
                };
                SCOPED_TRACE(testing::Message() << curve.description() << " against " << from.x << "," << from.y << " "
                                                << to.x << "," << to.y << (lineFirst ? ", line first" : ""));
                const auto direct = meetings(0, 1);
                const FBBezierCurve straight = line(from.x, from.y, to.x, to.y);
                const auto clipped = lineFirst ? clip(straight, curve) : clip(curve, straight);
                for (const auto& i : direct) {
                    EXPECT_TRUE(near(i, clipped, 1e-3));
                    // Both parameters name one point.
                    EXPECT_LE(FBDistanceBetweenPoints(i.curve1().pointAtParameter(i.parameter1()),
                                                      i.curve2().pointAtParameter(i.parameter2())),
                              1e-12);
                }
                for (const auto& i : clipped)
                    EXPECT_TRUE(near(i, direct, 1e-3));
                for (const auto& [offset, scale] : {std::pair{1e6, 1.0}, std::pair{0.0, 1e-3}}) {
                    const auto moved = meetings(offset, scale);
                    ASSERT_EQ(moved.size(), direct.size()) << "at " << offset << ", scale " << scale;
                    for (size_t k = 0; k < moved.size(); ++k) {
                        EXPECT_NEAR(moved[k].parameter1(), direct[k].parameter1(), 1e-9);
                        EXPECT_NEAR(moved[k].parameter2(), direct[k].parameter2(), 1e-9);
                    }
                }
            }
        }
    }
}

// Curves sharing an end point: where they part from it (on either side of their tangent, or touching it
// with different bends) they meet there exactly, and elsewhere only where they cross later on.
TEST(FBBezierCurve, CurvesFromASharedEndMeetThereAndWhereTheyCrossLater)
{
    const double k = 0.5522847498307936 * 50; // a quarter circle of radius 50
    const FBBezierCurve outer({100, 50}, {100, 50 + k}, {50 + k, 100}, {50, 100});        // centre (50, 50)
    const FBBezierCurve outside({100, 50}, {100, 50 + k / 2}, {125 - k / 2, 75}, {125, 75}); // radius 25, centre (125, 50)
    const FBBezierCurve inside({100, 50}, {100, 50 + k / 2}, {75 + k / 2, 75}, {75, 75});     // radius 25, centre (75, 50)
    const FBBezierCurve swinging({100, 50}, {100, 60}, {80, 70}, {60, 110}); // inside at first, then out across
    const FBBezierCurve lens({100, 50}, {80, 60}, {60, 80}, {50, 100});      // back to the arc's other end
    struct Case {
        const char* name;
        FBBezierCurve a, b;
        size_t meetings;
        bool exactAtEnd; // parted at the end: met there by its end parameters
    };
    const Case cases[] = {
        {"touching from outside", outer, outside.reversed(), 1, true},
        {"touching from inside", outer, inside, 1, true},
        {"touching, then crossing", outer.reversed(), swinging, 2, true},
        {"a lens", outer, lens, 2, false},
    };
    for (const Case& c : cases) {
        for (const auto& [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e6, 1.0}, std::pair{0.0, 1e-3}}) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << offset << ", scale " << scale);
            const FBBezierCurve a = placed(c.a, offset, scale), b = placed(c.b, offset, scale);
            const auto found = a.intersectionsWithBezierCurve(b);
            std::vector<MWPoint> distinct;
            for (const auto& i : found) {
                EXPECT_LE(FBDistanceBetweenPoints(a.pointAtParameter(i.parameter1()), b.pointAtParameter(i.parameter2())),
                          1e-5 * 50 * scale);
                if (std::none_of(distinct.begin(), distinct.end(),
                                 [&](MWPoint q) { return FBDistanceBetweenPoints(q, i.location()) <= 1e-4 * scale; }))
                    distinct.push_back(i.location());
            }
            EXPECT_EQ(distinct.size(), c.meetings);
            if (c.exactAtEnd) {
                EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const FBBezierIntersection& i) {
                    return (i.parameter1() == 0 || i.parameter1() == 1) && (i.parameter2() == 0 || i.parameter2() == 1);
                }));
            }
        }
    }
}

TEST(FBBezierCurve, ClippingFindsEveryMeetingOnBothCurves)
{
    // Pieces that can meet only once are settled by Newton; pieces whose directions overlap (a lens, an S
    // across its chord) must still be halved until each meeting is found.
    struct Case {
        const char* name;
        FBBezierCurve a, b;
        size_t meetings;
    };
    const FBBezierCurve up({0, 0}, {0, 10}, {10, 10}, {10, 0});
    const Case cases[] = {
        {"a flat curve across one side of an arc", up, {{-2, 3}, {1, 3.2}, {2, 3.4}, {4, 3.6}}, 1},
        {"a lens of two arcs", up, {{0, 10}, {0, 0}, {10, 0}, {10, 10}}, 2},
        {"an S across its chord", {{0, 0}, {10, 20}, {20, -20}, {30, 0}}, unevenLine(-1, 0, 31, 0), 3},
        {"arcs that miss", up, {{0, 9}, {0, 19}, {10, 19}, {10, 9}}, 0},
    };
    for (const Case& c : cases) {
        std::vector<MWPoint> meetings;
        for (const FBBezierIntersection& i : clip(c.a, c.b)) {
            const MWPoint onA = c.a.pointAtParameter(i.parameter1()), onB = c.b.pointAtParameter(i.parameter2());
            EXPECT_LE(FBDistanceBetweenPoints(onA, onB), 1e-9) << c.name;
            // Halves may both report a meeting on their common end.
            if (std::none_of(meetings.begin(), meetings.end(), [&](MWPoint m) { return FBDistanceBetweenPoints(m, onA) < 1e-6; }))
                meetings.push_back(onA);
        }
        EXPECT_EQ(meetings.size(), c.meetings) << c.name;
    }
}

TEST(FBBezierCurve, ClippingFindsAsManyMeetingsAsFinePolylines)
{
    // Random pairs of cubics against their polylines of 400 pieces, where the polylines tell: meetings at
    // a clear angle, apart from each other and from the curves' ends.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0, 10);
    const auto curve = [&] {
        return FBBezierCurve({coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)},
                             {coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)});
    };
    constexpr int pieces = 400;
    int compared = 0;
    for (int pair = 0; pair < 300; ++pair) {
        const FBBezierCurve a = curve(), b = curve();
        std::vector<MWPoint> pa, pb;
        for (int i = 0; i <= pieces; ++i) {
            pa.push_back(a.pointAtParameter(double(i) / pieces));
            pb.push_back(b.pointAtParameter(double(i) / pieces));
        }
        struct Meeting {
            double t1, t2;
            MWPoint at;
        };
        std::vector<Meeting> expected;
        bool clear = true;
        for (int i = 0; i < pieces && clear; ++i)
            for (int j = 0; j < pieces && clear; ++j) {
                const MWPoint r = FBSubtractPoint(pa[size_t(i) + 1], pa[size_t(i)]);
                const MWPoint s = FBSubtractPoint(pb[size_t(j) + 1], pb[size_t(j)]);
                const MWPoint q = FBSubtractPoint(pb[size_t(j)], pa[size_t(i)]);
                const double d = r.x * s.y - r.y * s.x;
                if (d == 0)
                    continue;
                const double u = (q.x * s.y - q.y * s.x) / d, v = (q.x * r.y - q.y * r.x) / d;
                if (u < 0 || u >= 1 || v < 0 || v >= 1)
                    continue;
                const Meeting m{(i + u) / pieces, (j + v) / pieces, FBAddPoint(pa[size_t(i)], FBScalePoint(r, u))};
                const double sine = std::fabs(d) / (FBPointLength(r) * FBPointLength(s));
                clear = sine > 0.05 && std::min({m.t1, 1 - m.t1, m.t2, 1 - m.t2}) > 1e-2;
                for (const Meeting& e : expected)
                    clear = clear && FBDistanceBetweenPoints(e.at, m.at) > 0.05;
                expected.push_back(m);
            }
        if (!clear)
            continue;
        ++compared;
        std::vector<MWPoint> found;
        for (const FBBezierIntersection& i : clip(a, b)) {
            const MWPoint onA = a.pointAtParameter(i.parameter1());
            // The search settles to six places; the graph polishes its meetings afterwards.
            EXPECT_LE(FBDistanceBetweenPoints(onA, b.pointAtParameter(i.parameter2())), 1e-4) << pair;
            if (std::none_of(found.begin(), found.end(), [&](MWPoint m) { return FBDistanceBetweenPoints(m, onA) < 1e-6; }))
                found.push_back(onA);
        }
        EXPECT_EQ(found.size(), expected.size()) << "pair " << pair;
    }
    EXPECT_GT(compared, 200);
}

TEST(FBBezierCurve, SubcurvesAndSplits)
{
    const FBBezierCurve c({0, 0}, {10, 20}, {20, -20}, {30, 0});
    EXPECT_EQ(c.subcurveWithRange({0, 1}), c);
    const FBBezierCurve end = c.subcurveWithRange({1, 1});
    EXPECT_EQ(end.endPoint1, c.endPoint2);
    EXPECT_EQ(end.endPoint2, c.endPoint2);
    const auto parts = c.splitCurveAtParameter(0.25);
    EXPECT_EQ(parts[0].endPoint2, c.pointAtParameter(0.25));
    EXPECT_EQ(parts[1].endPoint1, c.pointAtParameter(0.25));
    const FBBezierCurve middle = c.subcurveWithRange({0.25, 0.75});
    EXPECT_NEAR(middle.pointAtParameter(0.5).x, c.pointAtParameter(0.5).x, 1e-12);
}

TEST(FBBezierCurve, ConvexHullDropsCollinearPointsAndRunsCounterClockwiseFromTheLowest)
{
    const auto straight = line(0, 0, 9, 3).convexHull();
    ASSERT_EQ(straight.size(), 2u);
    EXPECT_EQ(straight[0].point, MWPoint(0, 0));
    EXPECT_EQ(straight[1].point, MWPoint(9, 3));

    const auto hull = FBBezierCurve({0, 0}, {10, 10}, {0, 10}, {10, 0}).convexHull();
    ASSERT_EQ(hull.size(), 4u);
    EXPECT_EQ(hull[0].point, MWPoint(10, 0)); // lowest, larger x on a tie
    EXPECT_EQ(hull[1].point, MWPoint(10, 10));
    EXPECT_EQ(hull[2].point, MWPoint(0, 10));
    EXPECT_EQ(hull[3].point, MWPoint(0, 0));
    EXPECT_EQ(FBBezierCurve({1, 1}, {1, 1}, {1, 1}, {1, 1}).convexHull().size(), 1u);
}

TEST(FBBezierCurve, IsPointLooksAtTheEndPointsOnly)
{
    EXPECT_TRUE(FBBezierCurve({0, 0}, {50, 50}, {-50, 50}, {0, 0}).isPoint());
    EXPECT_FALSE(line(0, 0, 1e-9, 0).isPoint());
}

TEST(FBBezierCurve, HorizontalHullEdgeOnTheBandKeepsBothEnds)
{
    // Clipping a line by the fat line of a line it lies on: the distance curve is flat on the band's edge.
    const FBBezierCurve a = unevenLine(0, 0, 10, 0);
    FBRange bounds;
    const FBNormalizedLine fat = unevenLine(5, 0, 20, 0).regularFatLineBounds(bounds);
    const FBRange kept = a.clipWithFatLine(fat, bounds);
    EXPECT_EQ(kept.minimum, 0);
    EXPECT_EQ(kept.maximum, 1);
}

TEST(FBBezierCurve, NewtonStepKeepsItsParameterWhereItIsUndefined)
{
    const FBBezierCurve dot({2, 2}, {2, 2}, {2, 2}, {2, 2});
    EXPECT_EQ(dot.refineParameter(0.4, {5, 5}), 0.4);
    const FBBezierCurve c = line(0, 0, 10, 0);
    EXPECT_EQ(c.refineParameter(0.9, {50, 0}), 1.0); // clamped
    EXPECT_NEAR(c.refineParameter(0.1, {5, 3}), 0.5, 1e-12);
}

TEST(FBBezierCurve, CoincidentCurvesEndTheSearch)
{
    // Overlapping curves give clipping no progress; the search must settle rather than split for ever.
    const FBBezierCurve arc({0, 0}, {0, 10}, {10, 10}, {10, 0});
    const auto sameArc = clip(arc, arc);
    EXPECT_LE(sameArc.size(), size_t(FBIntersectionBudget().remainingSearches));
    const auto sameLine = clip(unevenLine(0, 0, 10, 0), unevenLine(5, 0, 20, 0));
    EXPECT_LE(sameLine.size(), size_t(FBIntersectionBudget().remainingSearches));
}

TEST(FBBezierCurve, CopiesAHairAwayMeetWhereTheirDistanceChangesSign)
{
    // Control points within a hair of each other: no clipping search, the sign changes of the distance.
    const FBBezierCurve arc({0, 0}, {0, 10}, {10, 10}, {10, 0});
    const MWPoint middle = arc.pointAtParameter(0.5);
    const auto turned = [&](double angle) {
        const auto turn = [&](MWPoint p) {
            const double dx = p.x - middle.x, dy = p.y - middle.y;
            return MWPoint{middle.x + dx * std::cos(angle) - dy * std::sin(angle),
                           middle.y + dx * std::sin(angle) + dy * std::cos(angle)};
        };
        return FBBezierCurve(turn(arc.endPoint1), turn(arc.controlPoint1), turn(arc.controlPoint2), turn(arc.endPoint2));
    };
    const auto raised = [&](double by) {
        const auto raise = [&](MWPoint p) { return MWPoint{p.x, p.y + by}; };
        return FBBezierCurve(raise(arc.endPoint1), raise(arc.controlPoint1), raise(arc.controlPoint2), raise(arc.endPoint2));
    };
    for (double angle : {1e-9, 1e-7, -1e-5}) {
        const auto found = arc.intersectionsWithBezierCurve(turned(angle));
        ASSERT_EQ(found.size(), 1u) << angle;
        EXPECT_NEAR(found[0].parameter1(), 0.5, 1e-6) << angle;
        EXPECT_NEAR(found[0].parameter2(), 0.5, 1e-6) << angle;
    }
    for (double by : {1e-6, 1e-4, 1e-3})
        EXPECT_TRUE(arc.intersectionsWithBezierCurve(raised(by)).empty()) << by;
}

TEST(FBBezierCurve, CopiesAHairApartFollowTheNearestPointAlongTheOtherCurve)
{
    // A rounded corner and its copy turned by a hair, crossing once: each sample's nearest point on the
    // other curve starts from the last one, and a start too far on settles on the wrong side of the corner,
    // where the distance never changes sign.
    const FBBezierCurve corner({0.33396396163152531, -0.038673908013151959}, {0.33396396163152531, 0.0040412386006209999},
                               {0.034937303367769346, 0.038668706692988053}, {-0.33393077308573993, 0.038668706692988053});
    const FBBezierCurve turned({0.33393077309301589, -0.038668706692988053}, {0.33393077309301589, 0.0040464399207849056},
                               {0.034904114836535882, 0.038673908013151959}, {-0.33396396162424935, 0.038673908013151959});
    const auto found = corner.intersectionsWithBezierCurve(turned);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].parameter1(), 0.4025, 1e-3);
    EXPECT_LE(FBDistanceBetweenPoints(corner.pointAtParameter(found[0].parameter1()),
                                      turned.pointAtParameter(found[0].parameter2())),
              1e-9);
}

TEST(FBBezierCurve, ZeroLengthChordsStillClip)
{
    // A loop whose ends coincide is crossed twice by a line through it.
    const FBBezierCurve loop({0, 0}, {20, 20}, {-20, 20}, {0, 0});
    const auto found = loop.intersectionsWithBezierCurve(line(-20, 10, 20, 10));
    std::vector<double> xs;
    for (const auto& i : found)
        if (std::none_of(xs.begin(), xs.end(), [&](double x) { return std::fabs(x - i.location().x) < 1e-4; }))
            xs.push_back(i.location().x);
    EXPECT_EQ(xs.size(), 2u);
    // A curve that is one point meets only what passes through it.
    const FBBezierCurve dot({5, 0}, {5, 0}, {5, 0}, {5, 0});
    EXPECT_EQ(dot.intersectionsWithBezierCurve(line(0, 0, 10, 0)).size(), 1u);
    EXPECT_TRUE(dot.intersectionsWithBezierCurve(line(0, 1, 10, 1)).empty());
}

TEST(FBBezierCurve, OverlapOfSharedStretches)
{
    FBCurveOverlap overlap;
    ASSERT_TRUE(FBCurvesOverlap(line(0, 0, 10, 0), line(15, 0, 5, 0), 1e-9, overlap));
    EXPECT_NEAR(overlap.curve1Range.minimum, 0.5, 1e-12);
    EXPECT_NEAR(overlap.curve1Range.maximum, 1, 1e-12);
    EXPECT_NEAR(overlap.curve2Start, 1, 1e-12); // runs the other way
    EXPECT_NEAR(overlap.curve2Stop, 0.5, 1e-12);

    const FBBezierCurve arc({0, 0}, {0, 10}, {10, 10}, {10, 0});
    ASSERT_TRUE(FBCurvesOverlap(arc, arc.subcurveWithRange({0.25, 0.5}), 1e-9, overlap));
    EXPECT_NEAR(overlap.curve1Range.minimum, 0.25, 1e-9);
    EXPECT_NEAR(overlap.curve1Range.maximum, 0.5, 1e-9);

    EXPECT_FALSE(FBCurvesOverlap(line(0, 0, 10, 0), line(10, 0, 20, 0), 1e-9, overlap)); // one point only
    EXPECT_FALSE(FBCurvesOverlap(line(0, 0, 10, 0), line(0, 1e-3, 10, 1e-3), 1e-9, overlap));
    EXPECT_FALSE(FBCurvesOverlap(arc, FBBezierCurve({0, 0}, {0, 11}, {10, 11}, {10, 0}), 1e-9, overlap));
}

TEST(FBBezierCurve, CurvesFromAPathRaiseQuadraticsAndRestartAfterClose)
{
    pf::Path path;
    path.moveTo({5, 5});
    path.quadTo({10, 15}, {15, 5});
    path.close();
    path.lineTo({20, 20});
    const auto curves = FBBezierCurve::bezierCurvesFromBezierPath(path);
    ASSERT_EQ(curves.size(), 2u);
    const MWPoint mid = curves[0].pointAtParameter(0.5);
    EXPECT_NEAR(mid.x, 10, 1e-12); // the quadratic's own midpoint
    EXPECT_NEAR(mid.y, 10, 1e-12);
    EXPECT_EQ(curves[1].endPoint1, MWPoint(5, 5)); // from the closed subpath's start, not the origin
}

TEST(FBBezierCurve, RangeAndPointHelpers)
{
    EXPECT_TRUE(FBRangeHasConverged({0.1234561, 0.1234569}, 6));
    EXPECT_FALSE(FBRangeHasConverged({0.1234559, 0.1234561}, 6));
    EXPECT_EQ(FBRangeScaleNormalizedValue({2, 4}, 0.25), 2.5);
    EXPECT_EQ(FBDistancePointToLine({0, 5}, {0, 0}, {0, 0}), 0);
    EXPECT_EQ(FBNormalizePoint({0, 0}), MWPoint(0, 0));
    EXPECT_EQ(FBLineNormal({0, 0}, {2, 0}), MWPoint(0, 1));
    EXPECT_EQ(FBRoundPoint({2.5, -2.5}), MWPoint(3, -3));
}

// Rounding takes both coordinates at once where they are small enough and one by one elsewhere: either way
// it must round as std::round does (halves away from zero, the sign of a zero kept, bit for bit).
TEST(FBBezierCurve, RoundPointMatchesStdRound)
{
    const double values[] = {0.0, -0.0, 0.49999999999999994, -0.49999999999999994, 0.5, -0.5, 1.5, -1.5, 2.5,
                             -2.5, 123.4999999999, -123.5000000001, 2147483646.5, -2147483646.5, 2147483647.5,
                             -2147483648.7, 4503599627370495.5, 1e300, -1e300, HUGE_VAL, -HUGE_VAL, std::nan("")};
    const auto same = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
    };
    for (double x : values) {
        for (double y : {0.25, -7.5, 3e9, x}) {
            const MWPoint r = FBRoundPoint({x, y});
            EXPECT_TRUE(same(r.x, std::round(x))) << x << " " << y << " gave " << r.x;
            EXPECT_TRUE(same(r.y, std::round(y))) << x << " " << y << " gave " << r.y;
        }
    }
}

TEST(FBBezierCurve, Descriptions)
{
    EXPECT_EQ(line(0, 0, 3, 0).description(),
              "<FBBezierCurve (0.000000, 0.000000)-[1.000000, 0.000000] curve to [2.000000, 0.000000]-(3.000000, 0.000000)>");
    const FBBezierIntersection i(line(0, 0, 2, 0), 0.5, line(1, -1, 1, 1), 0.5);
    EXPECT_EQ(i.description(), "<FBBezierIntersection: location = (1.000000, 0.000000), isTangent = 0>");
}

} // namespace
