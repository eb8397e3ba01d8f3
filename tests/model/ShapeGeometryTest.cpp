// Shape geometry: setFrame's rounding, validation, undo and rotation-handle clearance; the derived rects at
// two zoom scales; rotation; hit tests; and no NaN anywhere from a frame with a side of zero.
#include "ShapeTestSupport.h"

#include "geometry/QVRect.h"
#include "model/Rectangle.h"
#include "platform/graphics/RecordingContext.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A kind whose outline is a fixed path, whatever the frame.
class TestOutline : public Shape {
public:
    void setOutline(pf::Path outline)
    {
        outline_ = std::move(outline);
        jiggleFrameWithoutUndo();
    }
    void appendPath(pf::Path& path) const override
    {
        path.append(outline_);
        path.setWindingRule(outline_.windingRule());
    }

private:
    pf::Path outline_;
};

// A rectangle whose text occupies a given band (the zero rect: no band, as for hidden text).
class TestLabel : public Rectangle {
public:
    pf::Rect band;
    pf::Rect horizontalTextRectForText(const pf::AttributedString&) const override { return band; }
};

bool isFinite(const pf::Rect& r)
{
    return QVRectIsValid(r);
}

bool isFinite(const pf::Path& path)
{
    for (const pf::PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i)
            if (!std::isfinite(e.points[i].x) || !std::isfinite(e.points[i].y))
                return false;
    return true;
}

void expectRectNear(const pf::Rect& actual, const pf::Rect& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << pf::toString(actual).toStdString();
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << pf::toString(actual).toStdString();
    EXPECT_NEAR(actual.width(), expected.width(), tolerance) << pf::toString(actual).toStdString();
    EXPECT_NEAR(actual.height(), expected.height(), tolerance) << pf::toString(actual).toStdString();
}

class ShapeGeometryTest : public ShapeTest {
protected:
    std::shared_ptr<Rectangle> rectangle(const pf::Rect& frame)
    {
        auto r = Shape::make<Rectangle>(frame);
        r->setComposition(&page);
        return r;
    }
    // A 4-point round-joined stroke, no shadow reach: the rects' margins are then the handles' and the
    // stroke's alone.
    static void plainStroke(Shape& s)
    {
        s.setStrokeType(0);
        s.setStrokeLineWidth(4);
        s.setStrokeLineJoin(1);
        s.setFillShadowHidden(true);
        s.setStrokeShadowHidden(true);
        s.setFillShadowBlur(0);
        s.setFillShadowOffsetX(0);
        s.setFillShadowOffsetY(0);
        s.setStrokeShadowBlur(0);
        s.setStrokeShadowOffsetX(0);
        s.setStrokeShadowOffsetY(0);
    }
};

TEST_F(ShapeGeometryTest, SetFrameRoundsOnlyAtZeroAndHalfTurn)
{
    const pf::Rect requested(10.4, 20.6, 100.5, 50.2);
    const struct {
        std::int64_t angle;
        pf::Rect stored;
    } cases[] = {
        {0, pf::Rect(10, 21, 101, 50)},
        {180, pf::Rect(10, 21, 101, 50)},
        {30, requested},
        {90, requested},
        {-180, requested},
    };
    for (const auto& c : cases) {
        auto r = rectangle(pf::Rect(0, 0, 10, 10));
        r->setRotationAngle(c.angle);
        r->setFrame(requested);
        EXPECT_EQ(r->frame(), c.stored) << c.angle;
    }
}

TEST_F(ShapeGeometryTest, SetFrameRoundsTheEdgesSoAWholeEdgeStaysPut)
{
    const struct {
        const char* what;
        pf::Rect requested;
        pf::Rect stored;
    } cases[] = {
        // Sizes with fractions, as a resized selection hands its children: the whole right or bottom edge
        // stays, where rounding the origin and the size apart would end it one point further.
        {"right edge on a whole line", {580.5, 10, 99.5, 40}, {581, 10, 99, 40}},
        {"bottom edge on a whole line", {10, 400.5, 40, 376.5}, {10, 401, 40, 376}},
        {"both edges fractional", {10.3, 0, 20.4, 10}, {10, 0, 21, 10}},
        // A whole size moved by any fraction keeps its size, on either side of the page's origin.
        {"moved by halves", {0.5, 2.5, 100, 50}, {1, 3, 100, 50}},
        {"moved left of the origin by halves", {-0.5, -20.5, 100, 50}, {-1, -21, 100, 50}},
        {"straddling the origin", {-30.5, -0.5, 61, 1}, {-31, -1, 61, 1}},
        {"a negative width keeps its edges", {100.5, 0, -50.5, 10}, {101, 0, -51, 10}},
    };
    for (const auto& c : cases) {
        auto r = rectangle(pf::Rect(0, 0, 10, 10));
        r->setFrame(c.requested);
        EXPECT_EQ(r->frame(), c.stored) << c.what;
    }
}

TEST_F(ShapeGeometryTest, SetFrameRefusesNonFiniteFramesSilently)
{
    auto r = rectangle(pf::Rect(0, 0, 100, 50));
    r->setRotationAngle(30);
    page.undo.removeAllActions();
    int notices = 0;
    auto token = r->addObserver("frame", [&notices](pf::Object&, const QString&, pf::ChangePhase) { ++notices; });
    for (const pf::Rect& bad : {pf::Rect(nan, 0, 10, 10), pf::Rect(0, inf, 10, 10), pf::Rect(0, 0, -inf, 10), pf::Rect(0, 0, 10, nan)})
        r->setFrame(bad);
    EXPECT_EQ(r->frame(), pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(notices, 0);
    EXPECT_FALSE(page.undo.canUndo());

    // Negative zeros are stored as positive ones.
    r->setFrame(pf::Rect(-0.0, -0.0, 10.5, 20.5));
    EXPECT_FALSE(std::signbit(r->frame().x()));
    EXPECT_FALSE(std::signbit(r->frame().y()));
}

TEST_F(ShapeGeometryTest, SettingTheSameFrameTwiceIsOneReposition)
{
    auto r = rectangle(pf::Rect(0, 0, 100, 50));
    page.undo.removeAllActions();
    r->setFrame(pf::Rect(10, 10, 60, 40));
    r->setFrame(pf::Rect(10.2, 9.8, 60, 40)); // rounds to the same frame
    EXPECT_EQ(page.undo.undoActionName(), "Reposition");
    ASSERT_TRUE(page.undo.undo());
    EXPECT_FALSE(page.undo.canUndo());
    EXPECT_EQ(r->frame(), pf::Rect(0, 0, 100, 50));
    // The outline follows the frame through undo.
    EXPECT_EQ(r->path().bounds(), pf::Rect(0, 0, 100, 50));
    ASSERT_TRUE(page.undo.redo());
    EXPECT_EQ(r->frame(), pf::Rect(10, 10, 60, 40));
}

TEST_F(ShapeGeometryTest, RotationHandleMovesOutOnceWhenItMeetsASideHandle)
{
    // The 15-point rotation handle at 100 from the centre spans centre + 92.5 .. 107.5; the right side
    // handle of a frame of width w at x 0 spans w ± 5 and the centre is w / 2: they meet for 175 < w < 225.
    const struct {
        double width;
        double radius;
    } cases[] = {{20, 100}, {175, 100}, {176, 115}, {200, 115}, {224, 115}, {225, 100}};
    for (const auto& c : cases) {
        auto r = rectangle(pf::Rect(0, 0, 20, 20));
        ASSERT_EQ(r->rotationHandleRadius(), 100);
        r->setFrame(pf::Rect(0, 0, c.width, 20));
        EXPECT_EQ(r->rotationHandleRadius(), c.radius) << c.width;
    }
    // Once per call, without undo.
    auto r = rectangle(pf::Rect(0, 0, 20, 20));
    page.undo.removeAllActions();
    r->setFrame(pf::Rect(0, 0, 200, 20));
    r->setFrame(pf::Rect(0, 0, 230, 20)); // the handle at 115 spans 222.5 .. 237.5, the side handle 225 .. 235
    EXPECT_EQ(r->rotationHandleRadius(), 130);
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(r->rotationHandleRadius(), 130);
}

TEST_F(ShapeGeometryTest, RotationHandleRadiusIsRefusedWhereItMeetsASideHandleOnScreen)
{
    // At zoom 2 the frame (1000, 0, 100, 20) shows as (2000, 0, 200, 40): centre 2100, right side handle
    // 2195 .. 2205. A radius of 100 puts the 10-point handle square on it; 50 keeps it clear.
    page.zoom = 2;
    auto r = rectangle(pf::Rect(1000, 0, 100, 20));
    r->setRotationHandleRadius(50.4);
    EXPECT_EQ(r->rotationHandleRadius(), 50);
    r->setRotationHandleRadius(100);
    EXPECT_EQ(r->rotationHandleRadius(), 50);
    r->setRotationHandleRadius(111);
    EXPECT_EQ(r->rotationHandleRadius(), 111);
}

TEST_F(ShapeGeometryTest, DerivedRectsAtZoomOneAndTwo)
{
    const pf::Rect frame(0, 0, 100, 100);
    const struct {
        double zoom;
        double handle;   // handle side
        double dirtyMargin; // max(handle, stroke 4) + 14
    } cases[] = {{1, 10, 24}, {2, 5, 19}};
    for (const auto& c : cases) {
        page.zoom = c.zoom;
        auto r = rectangle(frame);
        plainStroke(*r);
        r->setDirtyRectFlag();
        EXPECT_EQ(r->handleSide(), c.handle);
        EXPECT_EQ(r->strokedRect(), pf::Rect(-2, -2, 104, 104));
        const double grow = 2 + c.handle / 2;
        EXPECT_EQ(r->selectionRect(), pf::Rect(-grow, -grow, 100 + 2 * grow, 100 + 2 * grow)) << c.zoom;
        EXPECT_EQ(r->boundingRect(), frame);
        EXPECT_EQ(r->snapRect(), frame);
        EXPECT_EQ(r->rectForCorner(QVRectCornerBotRit), pf::Rect(100 - c.handle / 2, 100 - c.handle / 2, c.handle, c.handle));
        const double m = c.dirtyMargin;
        EXPECT_EQ(r->dirtyRect(), pf::Rect(-m, -m, 100 + 2 * m, 100 + 2 * m)) << c.zoom;
        // A miter join reaches three stroke widths further.
        r->setStrokeLineJoin(0);
        EXPECT_EQ(r->dirtyRect(), pf::Rect(-m - 12, -m - 12, 124 + 2 * m, 124 + 2 * m)) << c.zoom;
    }
}

TEST_F(ShapeGeometryTest, DirtyRectTakesTheTextBandWithItsShadow)
{
    auto label = Shape::make<TestLabel>(pf::Rect(100, 100, 50, 50));
    label->setComposition(&page);
    plainStroke(*label);
    const pf::Rect plain(76, 76, 98, 98); // margin 24
    label->setDirtyRectFlag();
    EXPECT_EQ(label->dirtyRect(), plain);

    label->setAttributedText(pf::AttributedString("text"));
    label->band = pf::Rect(90, 120, 200, 10);
    label->setTextShadowHidden(true);
    label->setDirtyRectFlag();
    EXPECT_EQ(label->dirtyRect(), plain.united(label->band));
    // A shown text shadow widens the band by its reach and blur plus 2.
    label->setTextShadowHidden(false);
    label->setTextShadowOffsetX(3);
    label->setTextShadowOffsetY(-4);
    label->setTextShadowBlur(1);
    label->setDirtyRectFlag();
    EXPECT_EQ(label->dirtyRect(), plain.united(pf::Rect(83, 113, 214, 24)));
    // No band adds nothing (not a rect about the page origin).
    label->band = pf::Rect::zero();
    label->setDirtyRectFlag();
    EXPECT_EQ(label->dirtyRect(), plain);
}

TEST_F(ShapeGeometryTest, StrokedRectIgnoresNoStrokeAndHairlines)
{
    const struct {
        std::uint64_t type;
        double width;
        pf::Rect stroked;
    } cases[] = {
        {0, 4, pf::Rect(8, 8, 104, 104)},
        {1, 0.5, pf::Rect(9.75, 9.75, 100.5, 100.5)},
        {0, 0.4, pf::Rect(10, 10, 100, 100)},
        {3, 4, pf::Rect(10, 10, 100, 100)},
    };
    for (const auto& c : cases) {
        auto r = rectangle(pf::Rect(10, 10, 100, 100));
        r->setStrokeType(c.type);
        r->setStrokeLineWidth(c.width);
        EXPECT_EQ(r->strokedRect(), c.stroked) << c.type << " " << c.width;
    }
}

TEST_F(ShapeGeometryTest, ProximityRectGrowsBySnapTolerance)
{
    registerDefault("SnapTolerance", 6.0);
    auto r = rectangle(pf::Rect(10, 10, 100, 50));
    EXPECT_EQ(r->proximityRect(), pf::Rect(4, 4, 112, 62));
}

TEST_F(ShapeGeometryTest, RenderRectTakesTheShadowsShown)
{
    auto r = rectangle(pf::Rect(0, 0, 100, 100));
    plainStroke(*r);
    EXPECT_EQ(r->renderRect(), pf::Rect(-2, -2, 104, 104));
    // Fill shadow (3, 4) blur 2: the frame moved and grown is (1, 2, 104, 104); the union (-2, -2, 107,
    // 108) keeps its floored origin and takes its size plus a half, rounded.
    r->setFillShadowHidden(false);
    r->setFillShadowOffsetX(3);
    r->setFillShadowOffsetY(4);
    r->setFillShadowBlur(2);
    EXPECT_EQ(r->renderRect(), pf::Rect(-2, -2, 108, 109));
    r->setFillShadowHidden(true);
    r->setStrokeShadowHidden(false);
    r->setStrokeShadowOffsetX(-10);
    r->setStrokeShadowBlur(1);
    EXPECT_EQ(r->renderRect(), pf::Rect(-11, -2, 114, 105));
}

TEST_F(ShapeGeometryTest, RotatedBoundingRectEnclosesTheRotatedOutline)
{
    for (double zoom : {1.0, 2.0}) {
        page.zoom = zoom;
        auto r = rectangle(pf::Rect(0, 0, 100, 50));
        r->setRotationAngle(30);
        const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
        const double w = 100 * c + 50 * s, h = 100 * s + 50 * c;
        expectRectNear(r->boundingRect(), pf::Rect(50 - w / 2, 25 - h / 2, w, h));
        const pf::Rect outline = r->path().bounds();
        expectRectNear(outline, r->boundingRect());
        EXPECT_TRUE(QVRectOutset(r->boundingRect(), 1e-9, 1e-9).contains(outline));
        // The dirty rect holds the rotated outline too.
        EXPECT_TRUE(r->dirtyRect().contains(outline));
        EXPECT_TRUE(r->intersectsRect(pf::Rect(50, -5, 2, 2)));  // above the frame, inside the turned corner
        EXPECT_FALSE(r->intersectsRect(pf::Rect(-10, -10, 2, 2)));
    }
    // Quarter turns are exact.
    auto r = rectangle(pf::Rect(0, 0, 100, 50));
    r->setRotationAngle(90);
    EXPECT_EQ(r->boundingRect(), pf::Rect(25, -25, 50, 100));
    EXPECT_EQ(r->path().bounds(), pf::Rect(25, -25, 50, 100));
}

TEST_F(ShapeGeometryTest, RotationTurnsClockwiseOnScreenAboutTheCentre)
{
    auto r = rectangle(pf::Rect(0, 0, 100, 50));
    const pf::AffineTransform t = r->rotationTransform(90);
    EXPECT_EQ(t.apply(pf::Point(50, 25)), pf::Point(50, 25));
    EXPECT_EQ(t.apply(pf::Point(60, 25)), pf::Point(50, 35)); // right of the centre goes below it

    r->setRotationAngle(90);
    pf::RecordingContext context;
    r->rotateInContext(context);
    const pf::AffineTransform ctm = context.getCTM();
    EXPECT_NEAR(ctm.apply(pf::Point(60, 25)).x, 50, 1e-9);
    EXPECT_NEAR(ctm.apply(pf::Point(60, 25)).y, 35, 1e-9);
    r->rotateInContext(context, true);
    EXPECT_NEAR(context.getCTM().apply(pf::Point(60, 25)).x, 60, 1e-9);
    EXPECT_NEAR(context.getCTM().apply(pf::Point(60, 25)).y, 25, 1e-9);
}

TEST_F(ShapeGeometryTest, HitTestsHonourRotationHiddenAndSize)
{
    auto r = rectangle(pf::Rect(0, 0, 100, 20));
    EXPECT_TRUE(r->containsPoint(pf::Point(90, 10)));
    EXPECT_FALSE(r->containsPoint(pf::Point(50, -30)));
    r->setRotationAngle(90); // now x 40 .. 60, y -40 .. 60
    EXPECT_FALSE(r->containsPoint(pf::Point(90, 10)));
    EXPECT_TRUE(r->containsPoint(pf::Point(50, -30)));
    r->setHidden(true);
    EXPECT_FALSE(r->containsPoint(pf::Point(50, 10)));
    EXPECT_FALSE(r->intersectsRect(pf::Rect(0, 0, 100, 100)));

    // A frame under one point on a side contains nothing, even where the path does.
    auto outline = Shape::make<TestOutline>(pf::Rect(0, 0, 0, 50));
    outline->setOutline(pf::Path::rect(pf::Rect(0, 0, 50, 50)));
    EXPECT_TRUE(outline->path().containsPoint(pf::Point(10, 10)));
    EXPECT_FALSE(outline->containsPoint(pf::Point(10, 10)));
}

TEST_F(ShapeGeometryTest, HitTestsUseThePathsWindingRule)
{
    // Two nested squares drawn the same way round: the inner one is inside with the non-zero rule and a
    // hole with the even-odd rule.
    for (pf::WindingRule rule : {pf::WindingRule::NonZero, pf::WindingRule::EvenOdd}) {
        pf::Path ring = pf::Path::rect(pf::Rect(0, 0, 100, 100));
        ring.appendRect(pf::Rect(25, 25, 50, 50));
        ring.setWindingRule(rule);
        auto outline = Shape::make<TestOutline>(pf::Rect(0, 0, 100, 100));
        outline->setOutline(ring);
        EXPECT_TRUE(outline->containsPoint(pf::Point(10, 10)));
        EXPECT_EQ(outline->containsPoint(pf::Point(50, 50)), rule == pf::WindingRule::NonZero);
    }
}

TEST_F(ShapeGeometryTest, ZeroSidesPutNoNaNAnywhere)
{
    for (const pf::Rect& frame : {pf::Rect(10, 10, 0, 40), pf::Rect(10, 10, 40, 0), pf::Rect(10, 10, 0, 0)}) {
        for (std::int64_t angle : {0, 30}) {
            auto r = rectangle(pf::Rect(0, 0, 40, 40));
            r->setConstrainAspectRatio(true);
            r->setRotationAngle(angle);
            r->setFrame(frame);
            ASSERT_EQ(r->frame(), frame);
            const std::string where = pf::toString(frame).toStdString() + " at " + std::to_string(angle);
            for (const pf::Rect& derived : {r->strokedRect(), r->selectionRect(), r->boundingRect(), r->snapRect(),
                                            r->proximityRect(), r->renderRect(), r->dirtyRect(), r->offscreenImageRect(),
                                            r->rectForCorner(QVRectCornerTopLef), r->rectForCorner(QVRectCornerBotRit)})
                EXPECT_TRUE(isFinite(derived)) << where << ": " << pf::toString(derived).toStdString();
            EXPECT_TRUE(isFinite(r->path())) << where;
            EXPECT_TRUE(std::isfinite(r->diagonal()));
            EXPECT_FALSE(r->containsPoint(pf::Point(10, 10)));
            r->beginDrag();
            EXPECT_TRUE(std::isfinite(r->dragStart().aspectRatio)) << where;
            // With the ratio constrained, a zero side has no ratio: the other side stays as it is.
            r->setDisplayFrameWidth(frame.width() + 30);
            EXPECT_EQ(r->frame().width(), frame.width() + 30) << where;
            EXPECT_EQ(r->frame().height(), frame.height()) << where;
        }
    }
}

TEST_F(ShapeGeometryTest, AdjustPointOfAShapeWithoutAdjustmentHandle)
{
    auto r = rectangle(pf::Rect(0, 0, 10, 10));
    EXPECT_TRUE(QVPointIsMaxFloat(r->adjustPoint()));
}

} // namespace
