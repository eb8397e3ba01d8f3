// The Bezier shape: model, generated handles, handle numbering, frame mapping, rotation, stored form,
// conversions and editing.
#include "ConnectorTestSupport.h"

#include "geometry/BezierPathMeasure.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/Bezier.h"
#include "shapes/SimpleOutlines.h"

#include <cmath>

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
