#include "ConnectorTestSupport.h"

#include "platform/graphics/RecordingContext.h"
#include "shapes/Brush.h"
#include "shapes/PathData.h"
#include "shapes/SmartPath.h"
#include "model/Rectangle.h"

#include <cmath>

namespace {

using Points = Path::ModelPoints;

double cross(pf::Point a, pf::Point b) { return a.x * b.y - a.y * b.x; }
pf::Point minus(pf::Point a, pf::Point b) { return {a.x - b.x, a.y - b.y}; }

class SmartPathTest : public ConnectorTest {
protected:
    // A black path of width w through the points, on the page, with the outline of path type and ratio.
    std::shared_ptr<Path> path(Points points, std::uint64_t type, double ratio, double w = 1)
    {
        auto p = connector<Path>(pf::Rect(0, 0, 100, 100), w);
        p->setPathType(type);
        p->setCurveRatio(ratio);
        p->setModelPoints(std::move(points));
        page.undo.removeAllActions();
        return p;
    }
    static std::vector<pf::PathElement> elements(const Shape& s)
    {
        return {s.path().elements().begin(), s.path().elements().end()};
    }
};

pf::PathElement move(pf::Point p) { return {pf::PathElementType::MoveTo, {p}}; }
pf::PathElement line(pf::Point p) { return {pf::PathElementType::LineTo, {p}}; }
pf::PathElement curve(pf::Point a, pf::Point b, pf::Point c) { return {pf::PathElementType::CurveTo, {a, b, c}}; }

TEST_F(SmartPathTest, StraightCornersAreRoundedByTheRatioAndLimitedByHalfALeg)
{
    struct Case {
        Points points;
        double ratio;
        std::vector<pf::PathElement> expected;
    };
    const Case cases[] = {
        // Radius 25: the corner starts 25 before (100, 0) and ends 25 after it.
        {{{0, 0}, {100, 0}, {100, 100}},
         1,
         {move({0, 0}), line({75, 0}), curve({75, 0}, {100, 0}, {100, 25}), line({100, 100})}},
        // Ratio 0: a sharp corner.
        {{{0, 0}, {100, 0}, {100, 100}},
         0,
         {move({0, 0}), line({100, 0}), curve({100, 0}, {100, 0}, {100, 0}), line({100, 100})}},
        // A 10-long first leg takes at most 5 of it; the other side keeps the radius.
        {{{90, 0}, {100, 0}, {100, 100}},
         1,
         {move({90, 0}), line({95, 0}), curve({95, 0}, {100, 0}, {100, 25}), line({100, 100})}},
        // Two points: one line.
        {{{0, 0}, {40, 30}}, 1, {move({0, 0}), line({40, 30})}},
    };
    for (const Case& c : cases) {
        auto p = path(c.points, 0, c.ratio);
        EXPECT_EQ(elements(*p), c.expected) << c.points.size() << " points, ratio " << c.ratio;
    }
}

TEST_F(SmartPathTest, RoundedOutlinePassesThroughEveryPointParallelToTheNeighbourChord)
{
    auto p = path({{0, 0}, {100, 0}, {200, 100}, {300, 100}}, 1, 0.25);
    const auto e = elements(*p);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0], move({0, 0}));
    for (size_t i = 1; i < 4; ++i)
        EXPECT_EQ(e[i].endPoint(), p->modelPoints()[i]);
    // At (100, 0) the curve arrives along the chord (0,0)→(200,100) and leaves along it: the incoming
    // control and the next outgoing control are on a line through the point parallel to the chord. The
    // direction is taken in whole degrees, so the tolerance is a degree's worth of the control's length.
    const pf::Point chord = minus({200, 100}, {0, 0});
    const pf::Point in = minus(e[1].points[1], {100, 0}), out = minus(e[2].points[0], {100, 0});
    const double tolerance = std::hypot(in.x, in.y) * std::hypot(chord.x, chord.y) * 0.02;
    EXPECT_NEAR(cross(in, chord), 0, tolerance);
    EXPECT_NEAR(cross(out, chord), 0, tolerance);
    EXPECT_LT(in.x, 0);  // towards the previous point
    EXPECT_GT(out.x, 0); // towards the next
    // The last curve ends with its second control on the end point.
    EXPECT_EQ(e[3].points[1], pf::Point(300, 100));
}

TEST_F(SmartPathTest, FrameHugsTheOutlineMovesThePointsAndNeverScalesThem)
{
    auto p = path({{10, 20}, {110, 20}, {110, 70}}, 0, 0);
    EXPECT_EQ(p->frame(), pf::Rect(10, 20, 100, 50));
    p->setFrame(pf::Rect(20, 25, 100, 50));
    EXPECT_EQ(p->modelPoints(), (Points{{20, 25}, {120, 25}, {120, 75}}));
    // A new size alone leaves the points; the next edit refits the frame to them.
    p->setFrame(pf::Rect(20, 25, 300, 300));
    EXPECT_EQ(p->modelPoints(), (Points{{20, 25}, {120, 25}, {120, 75}}));
    p->setPointAtIndex({130.4, 75}, 2);
    EXPECT_EQ(p->modelPoints()[2], pf::Point(130, 75));
    EXPECT_EQ(p->frame(), pf::Rect(20, 25, 110, 50));
}

// The point halfway along an element of the outline.
pf::Point halfway(const pf::Path& path, int index)
{
    const pf::PathElement& e = path.element(index);
    const pf::Point a = path.element(index - 1).endPoint();
    if (e.type == pf::PathElementType::LineTo)
        return {(a.x + e.points[0].x) / 2, (a.y + e.points[0].y) / 2};
    const auto mid = [](double p0, double p1, double p2, double p3) { return (p0 + 3 * p1 + 3 * p2 + p3) / 8; };
    return {mid(a.x, e.points[0].x, e.points[1].x, e.points[2].x), mid(a.y, e.points[0].y, e.points[1].y, e.points[2].y)};
}

TEST_F(SmartPathTest, InsertionGoesBeforeThePointThatEndsTheHitLeg)
{
    struct Case {
        std::uint64_t type;
        int element;  // the new point lies halfway along it, 2 points off
        size_t index; // where it lands
    };
    const Case cases[] = {
        {0, 1, 1}, // first leg of a straight path
        {0, 3, 2}, // last leg: before the last point
        {1, 1, 1}, // rounded: the first curve
        {1, 2, 2}, // the last curve
    };
    for (const Case& c : cases) {
        auto p = path({{0, 0}, {100, 0}, {200, 100}}, c.type, 0.25);
        const pf::Point h = halfway(p->path(), c.element);
        const pf::Point at(h.x, h.y + 2);
        p->insertPoint(at);
        ASSERT_EQ(p->modelPoints().size(), 4u) << "type " << c.type << " element " << c.element;
        EXPECT_EQ(p->modelPoints()[c.index], at) << "type " << c.type << " element " << c.element;
        EXPECT_EQ(p->modelPoints().back(), pf::Point(200, 100));
    }
    // Away from the outline nothing is inserted.
    auto p = path({{0, 0}, {100, 0}, {200, 100}}, 0, 0.25);
    p->insertPoint({50, 6});
    EXPECT_EQ(p->modelPoints().size(), 3u);
}

TEST_F(SmartPathTest, RemovalKeepsTwoPointsAndIsOneUndoStep)
{
    auto p = path({{0, 0}, {50, 50}, {100, 0}}, 0, 0);
    p->removePoint({48, 49});
    EXPECT_EQ(p->modelPoints(), (Points{{0, 0}, {100, 0}}));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Adjust Path"));
    for (int i = 0; i < 3; ++i) {
        p->removePoint({0, 0});
        p->removeLastPoint();
        p->removeSecondPoint();
        p->removeModelPointAtIndex(0);
    }
    p->setModelPoints({{5, 5}});
    p->setModelPoints({});
    EXPECT_EQ(p->modelPoints(), (Points{{0, 0}, {100, 0}}));
    page.undo.undo();
    EXPECT_EQ(p->modelPoints(), (Points{{0, 0}, {50, 50}, {100, 0}}));
    EXPECT_EQ(p->frame(), pf::Rect(0, 0, 100, 50));
}

TEST_F(SmartPathTest, RotationTurnsThePointsAboutTheCentreAndUndoTurnsThemBack)
{
    auto p = path({{0, 0}, {100, 0}, {100, 100}}, 0, 0);
    p->setRotationAngle(90);
    EXPECT_EQ(p->modelPoints(), (Points{{100, 0}, {100, 100}, {0, 100}}));
    // Drawn from the turned points, not turned again.
    EXPECT_EQ(elements(*p).back(), line({0, 100}));
    EXPECT_EQ(p->rotationAngle(), 90);
    page.undo.undo();
    EXPECT_EQ(p->rotationAngle(), 0);
    EXPECT_EQ(p->modelPoints(), (Points{{0, 0}, {100, 0}, {100, 100}}));
}

TEST_F(SmartPathTest, EndsAndHeadAnglesPointAwayFromTheLine)
{
    auto straight = path({{0, 0}, {100, 0}, {100, 100}}, 0, 0);
    EXPECT_EQ(straight->pointA(), pf::Point(0, 0));
    EXPECT_EQ(straight->pointB(), pf::Point(100, 100));
    EXPECT_DOUBLE_EQ(straight->currentAngleForArrowA(), 180);
    EXPECT_DOUBLE_EQ(straight->currentAngleForArrowB(), 90);
    EXPECT_EQ(straight->cornerB(), 2);

    // Rounded with an even stroke: the ends sit half a point over, as the stroke does.
    auto rounded = path({{0, 0}, {100, 0}, {100, 100}}, 1, 0.25, 2);
    EXPECT_EQ(rounded->pointA(), pf::Point(0.5, 0.5));
    EXPECT_EQ(rounded->pointB(), pf::Point(100.5, 100.5));
}

TEST_F(SmartPathTest, HitsTheStrokedOutlineAndTheInteriorPointSquares)
{
    auto p = path({{0, 0}, {100, 0}, {100, 100}}, 0, 1);
    struct Case {
        pf::Point at;
        bool hit;
    } const cases[] = {
        {{50, 5.4}, true},    // within half of 1 + 10
        {{50, 5.6}, false},
        {{99, 1}, true},      // the cut corner's point square
        {{85, 15}, false},    // inside the corner, off the outline
        {{100, 104}, false},  // past the end: the cap is butt
    };
    for (const Case& c : cases)
        EXPECT_EQ(p->containsPoint(c.at), c.hit) << c.at.x << "," << c.at.y;
    // At 200 % the band is half as wide on the page.
    page.zoom = 2;
    p->setIntersectionPath(std::nullopt);
    EXPECT_TRUE(p->containsPoint({50, 2.9}));
    EXPECT_FALSE(p->containsPoint({50, 3.1}));
}

TEST_F(SmartPathTest, InsideAShapeAttachedAtItsCentreOnlyTextAndPointsHit)
{
    auto box = Shape::make<Rectangle>(pf::Rect(80, 60, 60, 60));
    auto p = path({{0, 0}, {100, 0}, {110, 90}}, 0, 0);
    attach(*p, p->cornerB(), box, QVRectEdgeMid);
    EXPECT_FALSE(p->containsPoint({109, 81}));       // on the outline inside the box
    EXPECT_TRUE(p->containsPoint({50, 0}));          // on the outline outside it
    auto q = path({{0, 0}, {100, 70}, {110, 90}}, 0, 0);
    attach(*q, q->cornerB(), box, QVRectEdgeMid);
    EXPECT_TRUE(q->containsPoint({102, 72}));        // the interior point's square
}

TEST_F(SmartPathTest, StrokeLeavesOutTheHeadsAndIsStrokedOnce)
{
    auto p = path({{0, 0}, {100, 0}, {100, 100}}, 0, 0);
    p->setArrowTypeB(1);
    pf::RecordingContext context;
    p->drawStrokeInContext(context);
    int clips = 0, strokes = 0;
    for (const pf::RecordedCall& c : context.calls()) {
        clips += c.operation == "clip";
        if (c.operation == "stroke") {
            ++strokes;
            EXPECT_EQ(c.path.element(0), move({0, 0}));
        }
    }
    EXPECT_EQ(clips, 1);
    EXPECT_EQ(strokes, 1);
}

TEST_F(SmartPathTest, StoredFormRoundTripsAndReadsLegacyAndShortLists)
{
    auto p = path({{0, 0}, {100.5, 0}, {100, 100}}, 1, 0.3);
    p->setArrowTypeA(2);
    const pf::Value stored = p->asPlist();
    auto back = std::dynamic_pointer_cast<Path>(Shape::fromPlist(stored));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->modelPoints(), p->modelPoints());
    EXPECT_TRUE(back->isEqual(*p));
    EXPECT_EQ(back->frame(), p->frame());
    EXPECT_EQ(back->fillType(), 5u);

    const auto read = [&](const pf::Value& changes) {
        pf::Value plist = stored;
        for (const auto& [key, value] : changes.asDictionary())
            plist.set(key, value);
        auto shape = std::dynamic_pointer_cast<Path>(Shape::fromPlist(plist));
        return shape ? shape->modelPoints() : Points{};
    };
    const auto strings = [](std::initializer_list<const char*> list) {
        pf::Value::Array a;
        for (const char* s : list)
            a.emplace_back(QString::fromLatin1(s));
        return pf::Value(std::move(a));
    };
    const auto dict = [](const char* key, pf::Value v) {
        pf::Value::Dictionary d;
        d[QString::fromLatin1(key)] = std::move(v);
        return pf::Value(std::move(d));
    };
    // One point stands for both ends; none leaves the stored frame's diagonal.
    EXPECT_EQ(read(dict("modelPoints", strings({"{7, 8}"}))), (Points{{7, 8}, {7, 8}}));
    const pf::Rect f = p->frame();
    EXPECT_EQ(read(dict("modelPoints", strings({}))), (Points{{f.x(), f.y()}, {f.maxX(), f.maxY()}}));

    // A legacy bezier path gives one point per element; a close adds none.
    pf::Path legacy;
    legacy.moveTo({1, 2});
    legacy.lineTo({30, 2});
    legacy.curveTo({40, 2}, {50, 10}, {50, 20});
    legacy.close();
    EXPECT_EQ(read(dict("pathData", pf::Value(pathdata::encode(legacy)))), (Points{{1, 2}, {30, 2}, {50, 20}}));
    // Foreign or broken data falls back to the stored points.
    EXPECT_EQ(read(dict("pathData", pf::Value(QByteArray("bplist00\x01\x02", 10)))), p->modelPoints());
    EXPECT_EQ(read(dict("pathData", pf::Value(QStringLiteral("not data")))), p->modelPoints());
}

TEST_F(SmartPathTest, DragIsOneAdjustPathStep)
{
    auto p = path({{0, 0}, {100, 0}, {100, 100}}, 0, 0);
    p->beginDrag();
    p->setFrame(pf::Rect(10, 0, 100, 100));
    p->setPointAtIndex({150, 100}, 2);
    page.undo.removeAllActions();
    p->endDrag(pf::Event());
    EXPECT_EQ(p->modelPoints(), (Points{{10, 0}, {110, 0}, {150, 100}}));
    page.undo.undo();
    EXPECT_EQ(p->modelPoints(), (Points{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(p->frame(), pf::Rect(0, 0, 100, 100));
}

TEST_F(SmartPathTest, NewPathsCopiesAndTheBrushPathClass)
{
    auto four = Shape::make<Path>(pf::Rect(0, 0, 100, 40));
    EXPECT_EQ(four->modelPoints(), (Points{{0, 0}, {25, 20}, {75, 20}, {100, 40}}));
    auto three = std::make_shared<Path>();
    three->initWithFrameMidPoints(pf::Rect(0, 0, 100, 40), false);
    EXPECT_EQ(three->modelPoints(), (Points{{0, 0}, {100, 40}, {100, 40}}));
    three->setFillColor(pf::Color(1, 0, 0, 1));
    EXPECT_FALSE(three->fillColor());
    // Stroked only, whoever sets the fill: the setter, the inspector's key path, a group's fan-out.
    three->setFillType(1);
    EXPECT_EQ(three->fillType(), 5u);
    three->setValueForKey(pf::Variant(std::int64_t(0)), QStringLiteral("fillType"));
    EXPECT_EQ(three->fillType(), 5u);
    Shape& plain = *three;
    plain.setFillType(2);
    EXPECT_EQ(three->fillType(), 5u);

    auto copy = std::dynamic_pointer_cast<Path>(four->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->modelPoints(), four->modelPoints());
    copy->setFrame(pf::Rect(copy->frame().x() + 5, copy->frame().y(), copy->frame().width(), copy->frame().height()));
    EXPECT_EQ(copy->modelPoints().front(), pf::Point(5, 0));
    EXPECT_EQ(four->modelPoints().front(), pf::Point(0, 0));

    const ShapeClass& brush = BrushPath::staticClass();
    EXPECT_EQ(brush.title(), Brush::staticClass().title());
    EXPECT_EQ(brush.manipulatorClassName(), QStringLiteral("BrushManipulator"));
    EXPECT_EQ(brush.stickyPhylumName(), Brush::staticClass().stickyTypeName());
    EXPECT_FALSE(brush.isStickySettingEnabled());
    EXPECT_EQ(Path::staticClass().manipulatorClassName(), QStringLiteral("PathManipulator"));
    EXPECT_NE(pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("BrushPath")), nullptr);
}

} // namespace

TEST_F(SmartPathTest, APathForAConnectionOptionHasMidPointsOnlyWhenAskedAndAnswersOne)
{
    struct Case {
        int handleIn;
        std::size_t points;
    };
    for (const Case c : {Case{1, 4}, Case{8, 3}, Case{-1, 3}}) {
        SCOPED_TRACE(c.handleIn);
        int handle = c.handleIn;
        const auto made = std::dynamic_pointer_cast<Path>(
            Path::staticClass().pointerFromConnectionOptionsWithFrame(pf::Rect(0, 0, 100, 40), 15, &handle));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->modelPoints().size(), c.points);
        EXPECT_EQ(made->modelPointAtIndex(0), pf::Point(0, 0));
        EXPECT_EQ(handle, 1);
    }
}
