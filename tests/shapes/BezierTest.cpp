// The Bezier shape: model, generated handles, handle numbering, frame mapping, rotation, stored form,
// conversions and editing.
#include "ConnectorTestSupport.h"

#include "geometry/BezierPathMeasure.h"
#include "geometry/FBPathBoolean.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/Bezier.h"
#include "shapes/SimpleOutlines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace {

class BezierPage : public ConnectorPage {
public:
    std::int64_t activeHandle() const override { return handle; }
    int handle = -1;
};

// Tolerances follow the size of the data: 1e-9 of the largest coordinate, at least 1e-9.
void expectNear(const pf::Point& actual, const pf::Point& expected, double scale = 100)
{
    const double tol = 1e-9 * std::max(scale, 1.0);
    EXPECT_NEAR(actual.x, expected.x, tol) << "x";
    EXPECT_NEAR(actual.y, expected.y, tol) << "y";
}

class BezierTest : public ConnectorTest {
protected:
    std::shared_ptr<Bezier> bezier(const pf::Rect& frame = pf::Rect(0, 0, 100, 60))
    {
        auto b = Shape::make<Bezier>(frame);
        b->setComposition(&bezierPage);
        b->setStrokeType(0);
        b->setStrokeLineWidth(1);
        b->setStrokeColor(pf::Color(0, 0, 0, 1));
        bezierPage.undo.removeAllActions();
        return b;
    }
    // An open chain through the points with straight pairs (each segment's controls on its ends).
    std::shared_ptr<Bezier> polyline(const Bezier::Points& points, bool closed = false)
    {
        auto b = bezier();
        Bezier::Pairs pairs;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const pf::Point prev = i == 0 ? points.back() : points[i - 1];
            pairs.push_back({prev, points[i]});
        }
        b->setClosed(closed);
        b->setModelControlPointsIndependent(Bezier::Flags(points.size(), false));
        b->setModelControlPointsInvisible(Bezier::Flags(points.size(), true));
        b->setModelPointsControlPointsRegen(points, pairs, true);
        bezierPage.undo.removeAllActions();
        return b;
    }
    BezierPage bezierPage;
};

// The cubic segments of a path as (start, c1, c2, end), lines as cubics with controls on their ends.
using Segment = std::array<pf::Point, 4>;
std::vector<Segment> segments(const pf::Path& path, bool reversed = false)
{
    std::vector<Segment> out;
    pf::Point current, start;
    for (const pf::PathElement& e : path.elements()) {
        Segment s{};
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            current = start = e.points[0];
            continue;
        case pf::PathElementType::LineTo:
            s = {current, current, e.points[0], e.points[0]};
            break;
        case pf::PathElementType::CurveTo:
            s = {current, e.points[0], e.points[1], e.points[2]};
            break;
        case pf::PathElementType::QuadTo:
            continue;
        case pf::PathElementType::Close:
            if (current == start)
                continue;
            s = {current, current, start, start};
            break;
        }
        current = s[3];
        if (reversed)
            s = {s[3], s[2], s[1], s[0]};
        out.push_back(s);
    }
    const auto less = [](const Segment& a, const Segment& b) {
        for (int i = 0; i < 4; ++i) {
            if (a[i].x != b[i].x)
                return a[i].x < b[i].x;
            if (a[i].y != b[i].y)
                return a[i].y < b[i].y;
        }
        return false;
    };
    std::sort(out.begin(), out.end(), less);
    return out;
}

// r = half the first chord; the direction is whole degrees (21 for a chord slope of 21.8 degrees).
const double r = std::hypot(25.0, 30.0) / 2;
const pf::Point handle21(r * std::cos(21 * M_PI / 180), r * std::sin(21 * M_PI / 180));

} // namespace

TEST_F(BezierTest, FreshShapeHasFourPointsAndGeneratedPairs)
{
    auto b = bezier();
    const Bezier::Points points{{0, 0}, {25, 30}, {75, 30}, {100, 60}};
    EXPECT_EQ(b->modelPoints(), points);
    EXPECT_EQ(b->modelControlPointsInvisible(), (Bezier::Flags{true, false, false, true}));
    EXPECT_EQ(b->modelControlPointsIndependent(), (Bezier::Flags{false, false, false, false}));
    EXPECT_EQ(b->frame(), pf::Rect(0, 0, 100, 60));
    const Bezier::Pairs& pairs = b->modelControlPoints();
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], (BezierControlPair{pf::Point(0, 0), pf::Point(0, 0)}));
    EXPECT_EQ(pairs[1][0], pf::Point(0, 0));
    expectNear(pairs[1][1], pf::Point(25, 30) - handle21);
    expectNear(pairs[2][0], pf::Point(25, 30) + handle21);
    expectNear(pairs[2][1], pf::Point(75, 30) - handle21);
    expectNear(pairs[3][0], pf::Point(75, 30) + handle21);
    EXPECT_EQ(pairs[3][1], pf::Point(100, 60));
    // The outline: a move and three curves through the pairs.
    const pf::Path& path = b->path();
    ASSERT_EQ(path.elementCount(), 4);
    EXPECT_EQ(path.element(0).type, pf::PathElementType::MoveTo);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(path.element(i).type, pf::PathElementType::CurveTo);
        EXPECT_EQ(path.element(i).points[0], pairs[std::size_t(i)][0]);
        EXPECT_EQ(path.element(i).points[1], pairs[std::size_t(i)][1]);
        EXPECT_EQ(path.element(i).points[2], points[std::size_t(i)]);
    }
}

TEST_F(BezierTest, GeneratedHandlesNeverExceedTwentyFiveNorHalfAChord)
{
    auto b = polyline({{0, 0}, {10, 0}, {200, 0}, {200, 300}});
    b->setModelPointsControlPointsRegen({{0, 0}, {10, 0}, {200, 0}, {200, 300}}, {}, true);
    b->jiggleFrameHandle();
    const Bezier::Pairs& pairs = b->modelControlPoints();
    ASSERT_EQ(pairs.size(), 4u);
    const auto length = [](pf::Point a, pf::Point b) { return std::hypot(a.x - b.x, a.y - b.y); };
    EXPECT_NEAR(length(pairs[1][1], {10, 0}), 5, 1e-9);   // half of the 10-long chord
    EXPECT_NEAR(length(pairs[2][0], {10, 0}), 5, 1e-9);
    EXPECT_NEAR(length(pairs[2][1], {200, 0}), 25, 1e-9); // capped
    EXPECT_NEAR(length(pairs[3][0], {200, 0}), 25, 1e-9);
}

TEST_F(BezierTest, HandleNumberingBothWays)
{
    auto b = bezier();
    // n = 4: points 9..12, control points 13..20.
    EXPECT_EQ(b->lastModelPointHandleIndex(), 12);
    EXPECT_EQ(b->firstControlPointHandleIndex(), 13);
    EXPECT_EQ(b->lastControlPointHandleIndex(), 20);
    struct Case {
        int handle;
        int userIndex;
        pf::Point point;
    };
    const Bezier::Pairs& p = b->modelControlPoints();
    for (const Case& c : {Case{13, 3, p[0][0]}, Case{14, 0, p[0][1]}, Case{15, 0, p[1][0]}, Case{16, 1, p[1][1]},
                          Case{19, 2, p[3][0]}, Case{20, 3, p[3][1]}}) {
        EXPECT_EQ(b->userIndexForHandleIndex(c.handle), c.userIndex) << c.handle;
        EXPECT_EQ(b->pointForHandleIndex(c.handle), c.point) << c.handle;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Bezier::modelIndexForHandleIndex(Bezier::handleIndexForModelIndex(i)), i);
        EXPECT_EQ(b->pointForHandleIndex(9 + i), b->modelPointAtIndex(i));
        EXPECT_EQ(b->firstControlPointHandleIndexForModelIndex(i), 13 + 2 * i);
        EXPECT_EQ(b->secondControlPointHandleIndexForModelIndex(i), 14 + 2 * i);
    }
    EXPECT_EQ(b->pointForHandleIndex(QVRectCornerBotRit), pf::Point(100, 60));
}

TEST_F(BezierTest, MoveTranslatesResizeScalesAndDisabledMappingLeavesTheModel)
{
    auto b = bezier();
    b->setFrame(pf::Rect(10, 20, 100, 60));
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{10, 20}, {35, 50}, {85, 50}, {110, 80}}));

    // A resize drag from the bottom-right handle scales from the drag's start.
    bezierPage.handle = QVRectCornerBotRit;
    b->beginDrag();
    b->setFrame(pf::Rect(10, 20, 150, 90));
    b->setFrame(pf::Rect(10, 20, 200, 120));
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{10, 20}, {60, 80}, {160, 80}, {210, 140}}));
    b->endDrag(pf::Event());
    bezierPage.handle = -1;
    EXPECT_EQ(b->frame(), pf::Rect(10, 20, 200, 120));
    EXPECT_EQ(bezierPage.undo.undoActionName(), QStringLiteral("Adjust Path"));
    bezierPage.undo.undo();
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{10, 20}, {35, 50}, {85, 50}, {110, 80}}));
    EXPECT_EQ(b->frame(), pf::Rect(10, 20, 100, 60));

    b->setFrameTranslationEnabled(false);
    b->setFrame(pf::Rect(500, 500, 100, 60));
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{10, 20}, {35, 50}, {85, 50}, {110, 80}}));
}

TEST_F(BezierTest, DisplaySizeScalesTheModel)
{
    auto b = bezier();
    b->setDisplayFrameWidth(200);
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{0, 0}, {50, 30}, {150, 30}, {200, 60}}));
    EXPECT_TRUE(b->frameTranslationEnabled());
    EXPECT_FALSE(b->frameScalingEnabled());
}

TEST_F(BezierTest, RotationTurnsTheModelAsOneUndoStep)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 60}});
    ASSERT_EQ(b->frame(), pf::Rect(0, 0, 100, 60));
    b->setRotationAngle(90);
    // About the centre (50, 30), clockwise on screen.
    expectNear(b->modelPointAtIndex(0), pf::Point(80, -20));
    expectNear(b->modelPointAtIndex(1), pf::Point(80, 80));
    expectNear(b->modelPointAtIndex(2), pf::Point(20, 80));
    // The frame is the unrotated frame of the turned outline: same size, same centre.
    EXPECT_EQ(b->frame(), pf::Rect(0, 0, 100, 60));
    EXPECT_EQ(b->path().bounds(), pf::Rect(20, -20, 60, 100));
    EXPECT_EQ(bezierPage.undo.undoActionName(), QStringLiteral("Rotation"));
    bezierPage.undo.undo();
    EXPECT_EQ(b->rotationAngle(), 0);
    expectNear(b->modelPointAtIndex(0), pf::Point(0, 0));
    expectNear(b->modelPointAtIndex(2), pf::Point(100, 60));
    EXPECT_FALSE(bezierPage.undo.canUndo());
}

TEST_F(BezierTest, RotatedResizeMapsInTheUnrotatedFrame)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 60}});
    b->setRotationAngle(90);
    bezierPage.handle = QVRectCornerMidRit;
    b->beginDrag();
    b->setFrame(pf::Rect(0, 0, 200, 60));
    // Unrotated, the chain becomes (0,0) (200,0) (200,60); turned about the new centre (100, 30).
    expectNear(b->modelPointAtIndex(0), pf::Point(130, -70));
    expectNear(b->modelPointAtIndex(1), pf::Point(130, 130));
    expectNear(b->modelPointAtIndex(2), pf::Point(70, 130));
    b->endDrag(pf::Event());
}

TEST_F(BezierTest, StoredFormRoundTrips)
{
    auto b = polyline({{0, 0}, {40, 10}, {60, 50}}, true);
    b->setFirstControlPointAtIndex({5, 7}, 1);
    b->setModelControlPointsIndependent({true, false, true});
    b->setArrowTypeB(3);
    const pf::Value plist = b->asPlist();
    EXPECT_EQ(plist.arrayForKey("modelPoints").size(), 3u);
    auto read = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->modelPoints(), b->modelPoints());
    EXPECT_EQ(read->modelControlPoints(), b->modelControlPoints());
    EXPECT_EQ(read->modelControlPointsIndependent(), b->modelControlPointsIndependent());
    EXPECT_EQ(read->modelControlPointsInvisible(), b->modelControlPointsInvisible());
    EXPECT_TRUE(read->closed());
    EXPECT_EQ(read->arrowTypeB(), 3u);
    EXPECT_TRUE(read->isEqualToShape(*b));
    EXPECT_EQ(read->asPlist(), plist);
}

TEST_F(BezierTest, ATurnedBezierStoredWithoutPointsReadsBackAsWritten)
{
    // Its frame and angle only: the points made for the frame must not be turned again on every read.
    pf::Value plist = bezier()->asPlist();
    plist.set("rotationAngle", std::int64_t(30));
    plist.set("frame", pf::toString(pf::Rect(10.5, 20.25, 120.75, 60.5)));
    for (const char* key : {"modelPoints", "modelControlPoints", "modelControlPointsInvisible", "modelControlPointsIndependent"})
        plist.remove(key);
    auto first = Shape::fromPlist(plist);
    ASSERT_TRUE(first);
    const pf::Value written = first->asPlist();
    auto second = Shape::fromPlist(written);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->asPlist(), written);
    EXPECT_EQ(second->frame(), first->frame());
    EXPECT_EQ(first->rotationAngle(), 30);
}

TEST_F(BezierTest, MalformedStoredArraysReadSafely)
{
    auto b = bezier();
    pf::Value plist = b->asPlist();
    // Two pairs for four points; flags too short and too long; a pair of one point.
    pf::Value::Array pairs{pf::Value(pf::Value::Array{pf::Value("{0, 0}"), pf::Value("{1, 1}")}),
                           pf::Value(pf::Value::Array{pf::Value("{2, 2}")})};
    plist.set("modelControlPoints", pf::Value(pairs));
    plist.set("modelControlPointsIndependent", pf::Value(pf::Value::Array{pf::Value(true)}));
    plist.set("modelControlPointsInvisible",
              pf::Value(pf::Value::Array(7, pf::Value(true))));
    auto read = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->modelPoints(), b->modelPoints());
    // The pairs are generated as for a fresh shape; flags padded with NO or cut.
    EXPECT_EQ(read->modelControlPoints(), b->modelControlPoints());
    EXPECT_EQ(read->modelControlPointsIndependent(), (Bezier::Flags{true, false, false, false}));
    EXPECT_EQ(read->modelControlPointsInvisible(), (Bezier::Flags{true, true, true, true}));
    EXPECT_EQ(read->path().elementCount(), 4);
    // Every handle reads within the model.
    for (int h = 9; h <= read->lastControlPointHandleIndex(); ++h)
        (void)read->pointForHandleIndex(h);
}

TEST_F(BezierTest, ClosedBezierDrawsNoArrowHeads)
{
    auto b = polyline({{0, 0}, {40, 10}, {60, 50}}, true);
    b->setArrowTypeA(1);
    b->setArrowTypeB(1);
    pf::RecordingContext context;
    b->drawArrowsInContext(context);
    EXPECT_TRUE(context.calls().empty());
}

// ---- conversions ----

TEST_F(BezierTest, RectangleBecomesFourStraightClosedPointsWithANewIdentifier)
{
    auto rect = make("Rectangle", pf::Rect(10, 20, 100, 50));
    auto b = Bezier::fromShape(rect);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->closed());
    EXPECT_NE(b->identifier(), rect->identifier());
    const Bezier::Points points{{110, 20}, {110, 70}, {10, 70}, {10, 20}};
    EXPECT_EQ(b->modelPoints(), points);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(b->modelControlPoints()[i], (BezierControlPair{points[(i + 3) % 4], points[i]})) << i;
    EXPECT_EQ(b->modelControlPointsInvisible(), Bezier::Flags(4, true));
    EXPECT_EQ(b->modelControlPointsIndependent(), Bezier::Flags(4, true));
    EXPECT_EQ(vertices(b->path()), (std::vector<pf::Point>{{10, 20}, {110, 20}, {110, 70}, {10, 70}, {10, 20}}));
    EXPECT_EQ(b->path().element(b->path().elementCount() - 1).type, pf::PathElementType::Close);
    EXPECT_EQ(b->frame(), pf::Rect(10, 20, 100, 50));
    // A Bezier converts to itself.
    EXPECT_EQ(Bezier::fromShape(b), b);
}

TEST_F(BezierTest, ConnectorStaysOpen)
{
    auto line = connector(pf::Rect(0, 0, 80, 40));
    auto b = Bezier::fromShape(line);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->closed());
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{0, 0}, {80, 40}}));
    EXPECT_EQ(b->modelControlPointsInvisible(), (Bezier::Flags{true, true}));
}

TEST_F(BezierTest, ABlockArrowConvertsClosedWithEveryBarb)
{
    auto arrow = connector<Pointer>(pf::Rect(10, 20, 200, 0));
    const pf::Path outline = arrow->path();
    ASSERT_EQ(outline.element(outline.elementCount() - 1).type, pf::PathElementType::Close);
    auto b = Bezier::fromShape(arrow);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->closed());
    EXPECT_EQ(segments(b->path()), segments(outline));
    EXPECT_EQ(b->path().bounds(), outline.bounds());
}

TEST_F(BezierTest, DifferenceWithAHoleKeepsItsHole)
{
    const pf::Path ring = CGPath_FBCreateDifference(pf::Path::rect(pf::Rect(0, 0, 100, 100)),
                                                    pf::Path::rect(pf::Rect(30, 30, 40, 40)));
    auto b = Bezier::fromBezierPath(ring, bezier()->asPlist(), true);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->path().containsPoint({10, 10}));
    EXPECT_TRUE(b->path().containsPoint({90, 50}));
    EXPECT_FALSE(b->path().containsPoint({50, 50}));
    EXPECT_FALSE(b->path().containsPoint({35, 65}));
    EXPECT_EQ(b->frame(), pf::Rect(0, 0, 100, 100));
}

TEST_F(BezierTest, OpenConversionDropsAClosedPointAndMarksFlatEndsInvisible)
{
    pf::Path path;
    path.moveTo({0, 0});
    path.curveTo({0, 0}, {5, 5}, {10, 0});
    path.curveTo({15, -5}, {20, 0}, {20, 0});
    path.lineTo({30, 0});
    path.close();
    auto b = Bezier::fromBezierPath(path, bezier()->asPlist(), false);
    ASSERT_TRUE(b);
    // The close removes the point added last, (30, 0).
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{0, 0}, {10, 0}, {20, 0}}));
    // Point 0's outgoing handle lies on it; point 1 has handles; the last point is always invisible.
    EXPECT_EQ(b->modelControlPointsInvisible(), (Bezier::Flags{true, false, true}));
    EXPECT_EQ(b->modelControlPointsIndependent(), (Bezier::Flags{false, false, false}));
}

// ---- editing ----

TEST_F(BezierTest, DraggingAControlPointMirrorsItsPeerUnlessIndependentOrAnOpenEnd)
{
    struct Case {
        const char* name;
        bool closed;
        bool independent;
        int handle;     // for three points: controls are 12..17
        int peerPair, peerSlot;
        bool mirrored;
    };
    const Case cases[] = {
        {"open, slot 1 of the last pair", false, false, 17, 0, 0, false},
        {"closed, slot 1 of the last pair", true, false, 17, 0, 0, true},
        {"slot 1 of a middle pair", false, false, 15, 2, 0, true},
        {"slot 0 of a middle pair", false, false, 16, 1, 1, true},
        {"independent junction", false, true, 15, 2, 0, false},
    };
    for (const Case& c : cases) {
        auto b = polyline({{0, 0}, {100, 0}, {100, 100}}, c.closed);
        if (c.independent) {
            EXPECT_FALSE(b->setIndependentAtHandleIndex(true, c.handle));
        }
        const pf::Point before = b->modelControlPoints()[std::size_t(c.peerPair)][std::size_t(c.peerSlot)];
        const int k = c.handle - 12;
        const int meeting = k % 2 == 1 ? k / 2 : (k / 2 == 0 ? 2 : k / 2 - 1);
        const pf::Point at = b->modelPointAtIndex(meeting);
        b->setPointAtHandleIndex(at + pf::Point(7, -3), c.handle);
        EXPECT_EQ(b->pointForHandleIndex(c.handle), at + pf::Point(7, -3)) << c.name;
        const pf::Point peer = b->modelControlPoints()[std::size_t(c.peerPair)][std::size_t(c.peerSlot)];
        EXPECT_EQ(peer, c.mirrored ? at - pf::Point(7, -3) : before) << c.name;
    }
}

TEST_F(BezierTest, MovingAPointCarriesItsTwoControlPoints)
{
    for (bool closed : {false, true}) {
        auto b = polyline({{0, 0}, {100, 0}, {100, 100}}, closed);
        b->setModelPointsControlPointsRegen(b->modelPoints(),
                                            {{{{1, 1}, {2, 2}}}, {{{3, 3}, {4, 4}}}, {{{5, 5}, {6, 6}}}}, true);
        b->setModelPointAtIndex({110, 120}, 2);
        // The last point's own slot 1 and the wrap-around slot 0 of pair 0.
        EXPECT_EQ(b->modelControlPoints(),
                  (Bezier::Pairs{{{{11, 21}, {2, 2}}}, {{{3, 3}, {4, 4}}}, {{{5, 5}, {16, 26}}}}))
            << closed;
        b->setPointAtHandleIndex({10, 10}, 10); // point 1 by its handle
        EXPECT_EQ(b->modelControlPoints()[1][1], pf::Point(-86, 14));
        EXPECT_EQ(b->modelControlPoints()[2][0], pf::Point(-85, 15));
    }
}

TEST_F(BezierTest, IndependenceOfAPointAndItsControlsIsOneFlag)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}});
    // Point 1 (handle 10), its slot 1 (handle 15) and the next pair's slot 0 (handle 16) share flag 2.
    EXPECT_TRUE(b->setIndependentAtHandleIndex(true, 10));
    EXPECT_EQ(b->modelControlPointsIndependent(), (Bezier::Flags{false, false, true}));
    EXPECT_FALSE(b->setIndependentAtHandleIndex(false, 16));
    EXPECT_FALSE(b->modelControlPointsIndependent()[2]);
    // The last point's flag is flag 0.
    EXPECT_TRUE(b->setIndependentAtHandleIndex(true, 11));
    EXPECT_FALSE(b->setIndependentAtHandleIndex(true, 17));
    EXPECT_EQ(b->modelControlPointsIndependent(), (Bezier::Flags{true, false, false}));
}

TEST_F(BezierTest, InsertingOnAClosedPathsSecondElementGoesBeforePointZero)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}}, true);
    // Element 1 runs from the last point (100, 100) to point 0.
    b->insertPoint({50, 51});
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{50, 51}, {0, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(b->modelControlPoints()[0], (BezierControlPair{pf::Point(100, 100), pf::Point(50, 51)}));
    EXPECT_EQ(b->modelControlPoints()[1], (BezierControlPair{pf::Point(50, 51), pf::Point(0, 0)}));
    EXPECT_EQ(b->modelControlPointsInvisible()[0], true);
    EXPECT_EQ(bezierPage.undo.undoActionName(), QStringLiteral("Adjust Path"));
    bezierPage.undo.undo();
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(b->modelControlPointsInvisible().size(), 3u);
    EXPECT_FALSE(bezierPage.undo.canUndo());
    // A miss changes nothing and opens no group.
    b->insertPoint({500, 500});
    EXPECT_FALSE(bezierPage.undo.canUndo());
}

TEST_F(BezierTest, RemovingAPointKeepsTheOuterControlsAndTheOnlyPointComesBack)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    b->setModelPointsControlPointsRegen(b->modelPoints(),
                                        {{{{0, 0}, {0, 0}}}, {{{10, 0}, {90, 0}}}, {{{100, 10}, {100, 90}}},
                                         {{{90, 100}, {10, 100}}}},
                                        true);
    b->removePointAtIndex(1);
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{0, 0}, {100, 100}, {0, 100}}));
    EXPECT_EQ(b->modelControlPoints()[1], (BezierControlPair{pf::Point(10, 0), pf::Point(100, 90)}));
    EXPECT_EQ(b->modelControlPointsInvisible().size(), 3u);

    auto single = polyline({{5, 5}});
    single->removeLastPoint();
    EXPECT_TRUE(single->modelPoints().empty());
    ASSERT_TRUE(bezierPage.undo.canUndo());
    bezierPage.undo.undo();
    EXPECT_EQ(single->modelPoints(), (Bezier::Points{{5, 5}}));
    EXPECT_EQ(single->modelControlPointsInvisible(), (Bezier::Flags{true}));
}

TEST_F(BezierTest, SlicesAndSplitsAddUpToTheWhole)
{
    auto open = polyline({{0, 0}, {100, 0}, {100, 100}});
    const double whole = geom::length(open->path());
    auto pieces = open->sliceAtLocation({100, 50});
    ASSERT_EQ(pieces.size(), 2u);
    const double a = geom::length(pieces[0]->path()), b = geom::length(pieces[1]->path());
    EXPECT_NEAR(a + b, whole, 1e-3 * whole);
    EXPECT_NEAR(a, 150, 0.2);
    EXPECT_NE(pieces[0]->identifier(), open->identifier());

    auto split = open->splitLengths({50, 100, 50});
    ASSERT_EQ(split.size(), 3u);
    double total = 0;
    for (const auto& piece : split)
        total += geom::length(piece->path());
    EXPECT_NEAR(total, whole, 1e-3 * whole);
    EXPECT_TRUE(open->splitLengths({}).empty());
    EXPECT_TRUE(open->sliceAtLocation({500, 500}).empty());

    auto loop = polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
    auto cut = loop->sliceAtLocation({100, 50});
    ASSERT_EQ(cut.size(), 1u);
    auto piece = std::dynamic_pointer_cast<Bezier>(cut[0]);
    ASSERT_TRUE(piece);
    EXPECT_FALSE(piece->closed());
    expectNear(piece->modelPoints().front(), pf::Point(100, 50));
    expectNear(piece->modelPoints().back(), pf::Point(100, 50));
    EXPECT_NEAR(geom::length(piece->path()), 400, 0.5);
    // Every corner once: no zero-length piece where the loop started.
    const Bezier::Points& points = piece->modelPoints();
    EXPECT_EQ(points.size(), 6u);
    for (std::size_t i = 1; i < points.size(); ++i)
        EXPECT_GT(std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y), 1.0) << i;
}

TEST_F(BezierTest, ADragIsOneAdjustPathStepAndAnUncommittedDragNone)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}});
    bezierPage.handle = 10;
    b->setFrameTranslationEnabled(false);
    b->beginDrag();
    b->setPointAtHandleIndex({50, 20}, 10);
    b->setPointAtHandleIndex({60, 30}, 10);
    b->endDragCommit(pf::Event(), false);
    EXPECT_FALSE(bezierPage.undo.canUndo());

    b->beginDrag();
    b->setPointAtHandleIndex({70, 40}, 10);
    b->setPointAtHandleIndex({80, 50}, 10);
    b->endDrag(pf::Event());
    bezierPage.handle = -1;
    EXPECT_EQ(b->modelPointAtIndex(1), pf::Point(80, 50));
    EXPECT_EQ(bezierPage.undo.undoActionName(), QStringLiteral("Adjust Path"));
    bezierPage.undo.undo();
    EXPECT_EQ(b->modelPointAtIndex(1), pf::Point(60, 30));
    EXPECT_FALSE(bezierPage.undo.canUndo());
    EXPECT_TRUE(b->frameTranslationEnabled());
}

TEST_F(BezierTest, ClosingReversingAndFlipping)
{
    // Closing a finished path adds a straight closing segment.
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}});
    b->closePath();
    EXPECT_TRUE(b->closed());
    EXPECT_EQ(b->modelControlPoints()[0], (BezierControlPair{pf::Point(100, 100), pf::Point(0, 0)}));
    EXPECT_TRUE(b->modelControlPointsIndependent()[0]);
    EXPECT_TRUE(b->modelControlPointsIndependent()[1]);

    // The pen clicking back on the first point: the copy goes and its handle closes the loop.
    auto pen = std::make_shared<Bezier>();
    pen->initWithFrameGeneratePath(pf::Rect(0, 0, 0, 0), false);
    pen->appendPoint({100, 0});
    pen->appendPoint({100, 100});
    pen->setWantsIndependentPhantomPoint(true);
    pen->setIndependentPhantomPoint({20, 110});
    pen->appendPoint({0, 0});
    pen->closePath();
    EXPECT_EQ(pen->modelPoints(), (Bezier::Points{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(pen->modelControlPoints()[0][0], pf::Point(20, 110));
    EXPECT_EQ(pen->modelControlPoints()[2][1], pf::Point(180, 90)); // mirrored through (100, 100)

    auto r = polyline({{0, 0}, {100, 0}, {100, 100}});
    r->setModelPointsControlPointsRegen(r->modelPoints(),
                                        {{{{0, 0}, {0, 0}}}, {{{10, 0}, {90, 0}}}, {{{100, 10}, {100, 90}}}}, true);
    const pf::Path before = r->path();
    r->reversePath();
    EXPECT_EQ(r->modelPoints(), (Bezier::Points{{100, 100}, {100, 0}, {0, 0}}));
    EXPECT_EQ(r->modelControlPoints()[1], (BezierControlPair{pf::Point(100, 90), pf::Point(100, 10)}));
    EXPECT_EQ(r->modelControlPoints()[2], (BezierControlPair{pf::Point(90, 0), pf::Point(10, 0)}));
    EXPECT_EQ(elementTexts(r->path()), elementTexts(before.reversed()));

    // A closed path reversed is the same outline traversed backwards, its closing segment included.
    auto rect = Bezier::fromShape(make("Rectangle", pf::Rect(10, 20, 100, 50)));
    ASSERT_TRUE(rect);
    const pf::Path square = rect->path();
    rect->reversePath();
    EXPECT_EQ(rect->path().bounds(), square.bounds());
    EXPECT_EQ(segments(rect->path()), segments(square, true));
    auto curved = polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
    curved->setModelPointsControlPointsRegen(
        curved->modelPoints(),
        {{{{-10, 80}, {-5, 10}}}, {{{30, -20}, {70, -15}}}, {{{120, 30}, {110, 70}}}, {{{80, 120}, {20, 110}}}}, true);
    curved->setModelControlPointsIndependent({true, false, true, false});
    const Bezier::Pairs pairs = curved->modelControlPoints();
    const pf::Path loop = curved->path();
    EXPECT_FALSE(curved->canReversePath());
    curved->reversePath();
    EXPECT_EQ(segments(curved->path()), segments(loop, true));
    curved->reversePath();
    EXPECT_EQ(curved->modelControlPoints(), pairs);
    EXPECT_EQ(curved->modelControlPointsIndependent(), (Bezier::Flags{true, false, true, false}));

    auto f = polyline({{0, 0}, {100, 0}, {100, 50}});
    f->flipHorizontalVertical(true, false);
    EXPECT_EQ(f->modelPoints(), (Bezier::Points{{100, 0}, {0, 0}, {0, 50}}));
    EXPECT_EQ(f->frame(), pf::Rect(0, 0, 100, 50));
}

TEST_F(BezierTest, JoiningAppendsOtherPathsFromTheNearerEnd)
{
    // Ends that meet become one subpath; ends apart stay two, with nothing drawn across the gap.
    struct Case {
        const char* name;
        Bezier::Points other;
        Bezier::Points joined;
        Bezier::Subpaths subpaths;
    };
    const Case cases[] = {
        {"meeting, reversed", {{100, 100}, {100, 0}}, {{0, 0}, {100, 0}, {100, 0}, {100, 100}}, {}},
        {"apart, reversed", {{100, 100}, {100, 10}}, {{0, 0}, {100, 0}, {100, 10}, {100, 100}},
         {{0, false}, {2, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = polyline({{0, 0}, {100, 0}});
        auto b = polyline(c.other);
        a->combineWithShapes({b});
        EXPECT_EQ(a->modelPoints(), c.joined);
        EXPECT_EQ(a->modelSubpaths(), c.subpaths);
        EXPECT_EQ(a->modelControlPointsInvisible().size(), 4u);
        EXPECT_EQ(a->frame(), pf::Rect(0, 0, 100, 100));
        // Every segment drawn lies on one of the two lines: none joins them.
        for (const Segment& s : segments(a->path()))
            EXPECT_TRUE((s[0].y == 0 && s[3].y == 0) || (s[0].x == 100 && s[3].x == 100))
                << s[0].x << "," << s[0].y << " to " << s[3].x << "," << s[3].y;
        EXPECT_EQ(a->pointA(), pf::Point(0, 0));
        EXPECT_EQ(a->pointB(), pf::Point(100, 100));
    }
}

// ---- subpaths ----

namespace {

// Two outlines apart, as a union of a box and a triangle that do not overlap returns them: each runs
// from its start back to it, without a close.
pf::Path boxAndTriangle()
{
    pf::Path path;
    for (const Bezier::Points& polygon : {Bezier::Points{{95, 420}, {95, 480}, {20, 480}, {20, 420}, {95, 420}},
                                          Bezier::Points{{115, 480}, {152.5, 420}, {190, 480}, {115, 480}}})
        for (std::size_t i = 0; i < polygon.size(); ++i)
            i == 0 ? path.moveTo(polygon[i]) : path.lineTo(polygon[i]);
    return path;
}

int moves(const pf::Path& path)
{
    return int(std::count_if(path.elements().begin(), path.elements().end(),
                             [](const pf::PathElement& e) { return e.type == pf::PathElementType::MoveTo; }));
}

} // namespace

TEST_F(BezierTest, OutlinesApartStaySubpathsStoredBesideTheModelAndAnOlderChainReadsAsBefore)
{
    auto b = Bezier::fromBezierPath(boxAndTriangle(), bezier()->asPlist(), true);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->closed());
    EXPECT_EQ(b->modelPoints(), (Bezier::Points{{95, 480}, {20, 480}, {20, 420}, {95, 420}, {152.5, 420}, {190, 480}, {115, 480}}));
    EXPECT_EQ(b->modelSubpaths(), (Bezier::Subpaths{{0, true}, {4, true}}));
    EXPECT_EQ(moves(b->path()), 2);
    EXPECT_FALSE(b->path().containsPoint({105, 460})) << "nothing filled between them";
    EXPECT_TRUE(b->path().containsPoint({50, 450}));
    EXPECT_TRUE(b->path().containsPoint({152.5, 470}));

    // Stored as one key of its own: a start and a closed flag for each subpath.
    const pf::Value plist = b->asPlist();
    const pf::Value::Array& stored = plist.arrayForKey("modelSubpaths");
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].integerForKey("start"), 4);
    EXPECT_TRUE(stored[1].boolForKey("closed"));
    auto read = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqualToShape(*b));
    EXPECT_TRUE(read->path().sameElements(b->path()));
    EXPECT_EQ(read->asPlist(), plist);
    // A model of one chain writes no key.
    EXPECT_TRUE(polyline({{0, 0}, {10, 0}})->asPlist().objectForKey("modelSubpaths").isNull());

    // An older document: the same kind of model as one chain, without the key. It reads and draws as it
    // always did, the chain's joining line included.
    pf::Value older = plist;
    older.remove("modelSubpaths");
    auto chain = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(older));
    ASSERT_TRUE(chain);
    EXPECT_TRUE(chain->modelSubpaths().empty());
    EXPECT_EQ(chain->modelPoints(), b->modelPoints());
    pf::Path drawn;
    const Bezier::Points& pts = chain->modelPoints();
    drawn.moveTo(pts.back());
    for (std::size_t i = 0; i < pts.size(); ++i)
        drawn.curveTo(chain->modelControlPoints()[i][0], chain->modelControlPoints()[i][1], pts[i]);
    drawn.close();
    EXPECT_EQ(elementTexts(chain->path()), elementTexts(drawn));
    EXPECT_EQ(chain->asPlist(), older);

    // Subpaths that do not fit the points read as one chain.
    for (const std::int64_t start : {std::int64_t(0), std::int64_t(7), std::int64_t(-3)}) {
        pf::Value bad = plist;
        pf::Value::Array runs = stored;
        runs[1].set("start", start);
        bad.set("modelSubpaths", pf::Value(runs));
        auto badRead = std::dynamic_pointer_cast<Bezier>(Shape::fromPlist(bad));
        ASSERT_TRUE(badRead);
        EXPECT_TRUE(badRead->modelSubpaths().empty()) << start;
        EXPECT_EQ(moves(badRead->path()), 1) << start;
    }
}

TEST_F(BezierTest, EditsStayWithinTheSubpathTheyTouch)
{
    // Two open lines of three points, y = 0 and y = 100, or two closed triangles there.
    const auto twoLines = [&](bool closed) {
        pf::Path path;
        for (const double y : {0.0, 100.0}) {
            path.moveTo({0, y});
            path.lineTo({50, y + 20});
            path.lineTo({100, y});
            if (closed)
                path.close();
        }
        auto b = Bezier::fromBezierPath(path, bezier()->asPlist(), closed);
        b->setComposition(&bezierPage);
        bezierPage.undo.removeAllActions();
        return b;
    };
    struct Case {
        const char* name;
        bool closed;
        std::function<void(Bezier&)> edit;
        int points; // after the edit
    };
    const Case cases[] = {
        {"moving the first line's end", false, [](Bezier& b) { b.setModelPointAtIndex({110, 10}, 2); }, 6},
        {"dragging the control into the first line's end", false,
         [](Bezier& b) { b.setPointAtHandleIndex({90, 30}, b.secondControlPointHandleIndexForModelIndex(2)); }, 6},
        {"dragging a loop's closing control", true,
         [](Bezier& b) {
             b.setIndependentAtHandleIndex(false, b.firstControlPointHandleIndexForModelIndex(0));
             b.setPointAtHandleIndex({-10, 10}, b.firstControlPointHandleIndexForModelIndex(0));
         },
         6},
        {"inserting on the second line", false, [](Bezier& b) { b.insertPoint({25, 110}); }, 7},
        {"inserting on the first loop's closing segment", true, [](Bezier& b) { b.insertPoint({50, 0}); }, 7},
        {"removing the first line's end", false, [](Bezier& b) { b.removePointAtIndex(2); }, 5},
        {"closing", false, [](Bezier& b) { b.closePath(); }, 6},
        {"reversing", false, [](Bezier& b) { b.reversePath(); }, 6},
        {"reversing loops", true, [](Bezier& b) { b.reversePath(); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = twoLines(c.closed);
        const Bezier::Points points = b->modelPoints();
        const Bezier::Pairs pairs = b->modelControlPoints();
        const Bezier::Subpaths subpaths = b->modelSubpaths();
        ASSERT_EQ(subpaths.size(), 2u);
        c.edit(*b);
        EXPECT_EQ(b->modelPointCount(), c.points);
        EXPECT_EQ(b->modelSubpaths().size(), 2u);
        EXPECT_EQ(moves(b->path()), 2);
        // Every segment stays on the side of its own subpath: nothing runs from one to the other.
        for (const Segment& s : segments(b->path())) {
            const bool upper = s[0].y < 50;
            for (const pf::Point& p : s)
                EXPECT_EQ(p.y < 50, upper) << p.x << "," << p.y;
        }
        if (bezierPage.undo.canUndo()) {
            bezierPage.undo.undo();
            EXPECT_EQ(b->modelPoints(), points);
            EXPECT_EQ(b->modelSubpaths(), subpaths);
        }
        (void)pairs;
    }

    // The ends of the whole shape carry its arrows: the first point of the first line, the last of the
    // last; reversed, they swap.
    auto b = twoLines(false);
    EXPECT_EQ(b->pointA(), pf::Point(0, 0));
    EXPECT_EQ(b->pointB(), pf::Point(100, 100));
    b->reversePath();
    EXPECT_EQ(b->pointA(), pf::Point(100, 100));
    EXPECT_EQ(b->pointB(), pf::Point(0, 0));

    // A drag on a loop's closing control mirrors its peer at that loop's own last point.
    auto loops = twoLines(true);
    loops->setIndependentAtHandleIndex(false, loops->firstControlPointHandleIndexForModelIndex(0));
    loops->setPointAtHandleIndex({-10, 10}, loops->firstControlPointHandleIndexForModelIndex(0));
    expectNear(loops->secondControlPointAtModelIndex(2), pf::Point(10, -10));
    EXPECT_EQ(loops->modelControlPoints()[5], twoLines(true)->modelControlPoints()[5]);
}

TEST_F(BezierTest, HeadsStandAtTheEndsAlongTheLastHandlesAndTheStrokeIsTheOutline)
{
    auto b = polyline({{0, 0}, {100, 0}, {100, 100}});
    b->setArrowTypeB(1);
    pf::RecordingContext heads;
    b->drawArrowsInContext(heads);
    ASSERT_FALSE(heads.calls().empty());
    for (const pf::RecordedCall& call : heads.calls()) {
        // The head's own frame: tip at the origin, the connector along -x, turned to point down at B.
        expectNear(call.state.ctm.apply(pf::Point(0, 0)), pf::Point(100, 100));
        expectNear(call.state.ctm.apply(pf::Point(-1, 0)), pf::Point(100, 99));
    }
    EXPECT_DOUBLE_EQ(b->currentAngleForArrowB(), 90);
    EXPECT_DOUBLE_EQ(b->currentAngleForArrowA(), 180);

    pf::RecordingContext stroke;
    b->drawStrokeInContext(stroke);
    const auto strokes = std::count_if(stroke.calls().begin(), stroke.calls().end(),
                                       [](const pf::RecordedCall& c) { return c.operation == "stroke"; });
    ASSERT_EQ(strokes, 1);
    for (const pf::RecordedCall& call : stroke.calls())
        if (call.operation == "stroke") {
            EXPECT_EQ(elementTexts(call.path),
                      (std::vector<std::string>{"M 0 0", "C 0 0 100 0 100 0", "C 100 0 100 100 100 100"}));
        }
}
