// Shape layers drawn into bitmaps and recorded: fills, gradients, strokes on the pixel grid, dashes, border
// strokes, shadows and their zoom limits, halos, and the layer order.
#include "ShapeDrawingTestSupport.h"

#include "geometry/QVRect.h"

#include <QColor>

#include <cmath>
#include <string>
#include <vector>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color blue(0, 0, 1, 1);
const pf::Color black(0, 0, 0, 1);

// Channels within 2 of each other (blending rounds).
::testing::AssertionResult near(const QColor& actual, const pf::Color& expected)
{
    const auto close = [](int a, double e) { return std::abs(a - int(std::lround(e * 255))) <= 2; };
    if (close(actual.red(), expected.red) && close(actual.green(), expected.green)
        && close(actual.blue(), expected.blue) && close(actual.alpha(), expected.alpha))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got rgba(" << actual.red() << ", " << actual.green() << ", "
                                         << actual.blue() << ", " << actual.alpha() << ")";
}

// Run lengths of pixels whose alpha is above half along row y from x0 to x1 (exclusive), split into runs
// of covered and of uncovered pixels.
struct Runs {
    std::vector<int> on, off;
};
Runs runsAlongRow(const QImage& image, int y, int x0, int x1)
{
    Runs runs;
    bool current = image.pixelColor(x0, y).alpha() > 127;
    int length = 0;
    for (int x = x0; x < x1; ++x) {
        const bool on = image.pixelColor(x, y).alpha() > 127;
        if (on != current) {
            (current ? runs.on : runs.off).push_back(length);
            current = on;
            length = 0;
        }
        ++length;
    }
    return runs;
}

bool finite(const pf::Path& path)
{
    for (const pf::PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i)
            if (!std::isfinite(e.points[i].x) || !std::isfinite(e.points[i].y))
                return false;
    return true;
}

} // namespace

TEST_F(ShapeDrawingTest, SolidFillCoversItsFrameOnWholePixels)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    const QImage image = render(*shape, pf::Size(40, 40));
    // Unstroked: the fill's half-point shift cancels the canvas's offset, so the edges are exact.
    for (auto [x, y] : {std::pair{10, 10}, {29, 29}, {20, 15}})
        EXPECT_TRUE(near(colour(image, x, y), red)) << x << ", " << y;
    for (auto [x, y] : {std::pair{9, 20}, {30, 20}, {20, 9}, {20, 30}})
        EXPECT_EQ(alpha(image, x, y), 0) << x << ", " << y;
}

TEST_F(ShapeDrawingTest, FillShiftFollowsTheZoomAcrossScale1)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    const auto fillOrigin = [&] {
        const auto recording = record(*shape);
        for (const pf::RecordedCall& call : recording->calls())
            if (call.operation == "fill")
                return call.path.bounds().origin;
        return pf::Point(-1, -1);
    };
    // The cached fill path is remade when the zoom crosses 1, where the shift starts or stops.
    EXPECT_EQ(fillOrigin(), pf::Point(9.5, 9.5));
    canvasPage.zoom = 2.0;
    EXPECT_EQ(fillOrigin(), pf::Point(10, 10));
    canvasPage.zoom = 0.5;
    EXPECT_EQ(fillOrigin(), pf::Point(9.5, 9.5));
    // A stroke takes the shift away.
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(1);
    EXPECT_EQ(fillOrigin(), pf::Point(10, 10));
}

TEST_F(ShapeDrawingTest, GradientFollowsTheFillShiftWhenTheStrokeChanges)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(1);
    shape->setFillAngle(90);
    shape->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
    // Where the gradient runs, and whether it had to be clipped to a fill path unlike its own.
    const auto gradientAndClip = [&] {
        std::pair<std::pair<pf::Point, pf::Point>, bool> result{{pf::Point(-1, -1), pf::Point(-1, -1)}, false};
        for (const auto recording = record(*shape); const pf::RecordedCall& call : recording->calls()) {
            if (call.operation == "gradient")
                result.first = {call.start, call.end};
            if (call.operation == "clip")
                result.second = true;
        }
        return result;
    };
    const auto unstroked = gradientAndClip();
    EXPECT_FALSE(unstroked.second);
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(1);
    const auto stroked = gradientAndClip();
    EXPECT_FALSE(stroked.second);
    EXPECT_EQ(stroked.first.first.y - unstroked.first.first.y, 0.5);
    // Taking the stroke away again, by type or by width, brings the half-point shift back to both paths.
    shape->setStrokeType(3);
    EXPECT_EQ(gradientAndClip(), unstroked);
    shape->setStrokeType(0);
    EXPECT_EQ(gradientAndClip(), stroked);
    shape->setStrokeLineWidth(0);
    EXPECT_EQ(gradientAndClip(), unstroked);
}

TEST_F(ShapeDrawingTest, FillNeedsAnAreaAndAColour)
{
    auto flat = box(pf::Rect(10, 10, 0.5, 20));
    flat->setFillType(0);
    flat->setFillColor(red);
    auto colourless = box(pf::Rect(10, 10, 20, 20));
    colourless->setFillType(0);
    colourless->setFillColor(std::nullopt);
    for (Shape* shape : {static_cast<Shape*>(flat.get()), static_cast<Shape*>(colourless.get())})
        for (const auto recording = record(*shape); const pf::RecordedCall& call : recording->calls())
            EXPECT_NE(call.operation, "fill");
}

TEST_F(ShapeDrawingTest, LinearGradientAt90DegreesRunsFromTheFirstStopAtTheTop)
{
    auto shape = box(pf::Rect(10, 10, 40, 100));
    shape->setFillType(1);
    shape->setFillGradientElements({{pf::Color::white(), 0.0}, {black, 1.0}});
    shape->setFillAngle(90);
    const QImage image = render(*shape, pf::Size(60, 120));
    const int top = colour(image, 30, 15).red();
    const int middle = colour(image, 30, 60).red();
    const int bottom = colour(image, 30, 105).red();
    EXPECT_GT(top, 220);
    EXPECT_LT(bottom, 35);
    EXPECT_GT(top, middle);
    EXPECT_GT(middle, bottom);
    // Across a row the colour does not change.
    EXPECT_EQ(colour(image, 15, 60), colour(image, 45, 60));
}

TEST_F(ShapeDrawingTest, GradientAngleTurnsWithTheShape)
{
    auto shape = box(pf::Rect(10, 10, 40, 40));
    shape->setFillType(1);
    shape->setFillGradientElements({{pf::Color::white(), 0.0}, {black, 1.0}});
    shape->setFillAngle(0);
    shape->setRotationAngle(90);
    EXPECT_EQ(shape->fillGradientAngle(), 90.0);
    auto recording = record(*shape);
    int gradients = 0;
    for (const pf::RecordedCall& call : recording->calls()) {
        if (call.operation != "gradient")
            continue;
        ++gradients;
        EXPECT_FALSE(call.radial);
        EXPECT_NEAR(call.start.x, call.end.x, 1e-9);
        EXPECT_LT(call.start.y, call.end.y);
    }
    EXPECT_EQ(gradients, 1);
}

TEST_F(ShapeDrawingTest, RadialGradientRunsFromTheCentreToTheCorners)
{
    auto shape = box(pf::Rect(10, 10, 80, 80));
    shape->setFillType(2);
    shape->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
    const QImage image = render(*shape, pf::Size(100, 100));
    const QColor centre = colour(image, 50, 50);
    const QColor corner = colour(image, 11, 11);
    EXPECT_GT(centre.red(), 240);
    EXPECT_LT(centre.blue(), 15);
    EXPECT_LT(corner.red(), 40);
    EXPECT_GT(corner.blue(), 215);
    // Symmetric about the centre.
    EXPECT_EQ(colour(image, 30, 50), colour(image, 50, 30));
}

TEST_F(ShapeDrawingTest, GradientFillWithAnEmptyGradientPathDrawsNothingNotEvenTheShadow)
{
    class NoGradientArea : public Rectangle {
    public:
        std::optional<pf::Path> gradientFillPath() const override { return pf::Path(); }
    };
    auto shape = Shape::make<NoGradientArea>(pf::Rect(10, 10, 20, 20));
    shape->setComposition(&canvasPage);
    shape->setStrokeType(3);
    shape->setFillType(1);
    shape->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
    shape->setFillShadowHidden(false);
    shape->setFillShadowColor(black);
    shape->setFillShadowOffsetX(5);
    auto recording = record(*shape);
    for (const pf::RecordedCall& call : recording->calls()) {
        EXPECT_NE(call.operation, "gradient");
        EXPECT_NE(call.operation, "beginLayer");
        EXPECT_FALSE(call.state.shadow) << call.operation;
    }
}

// ---- strokes ----

struct StrokeCase {
    double width;
    double zoom;
    int firstPixel, lastPixel; // device columns fully covered on the left edge
};

class ShapeStrokeTest : public ShapeDrawingTest, public ::testing::WithParamInterface<StrokeCase> {};

TEST_P(ShapeStrokeTest, WholePointWidthsAlignedToPixels)
{
    const StrokeCase c = GetParam();
    canvasPage.zoom = c.zoom;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(c.width);
    shape->setStrokeColor(black);
    const QImage image = render(*shape, pf::Size(40, 40));
    const int y = int(20 * c.zoom);
    for (int x = c.firstPixel; x <= c.lastPixel; ++x)
        EXPECT_EQ(alpha(image, x, y), 255) << x;
    // No antialiased fringe: the stroke covers whole pixels.
    EXPECT_EQ(alpha(image, c.firstPixel - 1, y), 0);
    EXPECT_EQ(alpha(image, c.lastPixel + 1, y), 0);
}

// The left edge is at 10 points. Zoom 1 (canvas offset 0.5): 1.4 strokes 1 point, odd, unshifted, centred
// on 10.5; 2.4 strokes 2 points, even, shifted to 11. Zoom 2: nothing is shifted, the edge is at pixel 20.
INSTANTIATE_TEST_SUITE_P(Widths, ShapeStrokeTest,
                         ::testing::Values(StrokeCase{1.4, 1.0, 10, 10}, StrokeCase{2.4, 1.0, 10, 11},
                                           StrokeCase{3.0, 1.0, 9, 11}, StrokeCase{1.4, 2.0, 19, 20},
                                           StrokeCase{2.4, 2.0, 18, 21}));

TEST_F(ShapeDrawingTest, EvenStrokesAreShiftedByHalfAPointOnlyUpToScale1)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(2.4);
    shape->setStrokeColor(black);
    for (double zoom : {0.5, 1.0, 1.5, 2.0}) {
        canvasPage.zoom = zoom;
        auto recording = record(*shape);
        const pf::RecordedCall* stroke = nullptr;
        for (const pf::RecordedCall& call : recording->calls())
            if (call.operation == "stroke")
                stroke = &call;
        ASSERT_NE(stroke, nullptr) << zoom;
        EXPECT_EQ(stroke->line.width, 2.0);
        EXPECT_EQ(stroke->path.bounds().origin, zoom <= 1.0 ? pf::Point(10.5, 10.5) : pf::Point(10, 10)) << zoom;
        EXPECT_EQ(stroke->line.miterLimit, 2.4 * zoom);
    }
    // The shape's own path is untouched.
    EXPECT_EQ(shape->path().bounds(), pf::Rect(10, 10, 20, 20));
}

TEST_F(ShapeDrawingTest, StrokesBelowOnePointOrOfTypeNoneAreNotDrawn)
{
    auto thin = box(pf::Rect(10, 10, 20, 20));
    thin->setStrokeType(0);
    thin->setStrokeLineWidth(0.4);
    thin->setStrokeColor(black);
    auto none = box(pf::Rect(10, 10, 20, 20));
    none->setStrokeLineWidth(4);
    none->setStrokeColor(black);
    for (Shape* shape : {static_cast<Shape*>(thin.get()), static_cast<Shape*>(none.get())})
        for (const auto recording = record(*shape); const pf::RecordedCall& call : recording->calls())
            EXPECT_NE(call.operation, "stroke");
}

TEST_F(ShapeDrawingTest, DashedAndDottedStrokesAlongAnEdge)
{
    struct Case {
        std::uint64_t type;
        double width;
        double period;
    };
    // Dashed at width 1: 8 on, 4 off. Dotted at width 2: 2 on, 3 off.
    for (const Case c : {Case{1, 1.0, 12.0}, Case{2, 2.0, 5.0}}) {
        auto shape = box(pf::Rect(10, 10, 200, 20));
        shape->setStrokeType(c.type);
        shape->setStrokeLineWidth(c.width);
        shape->setStrokeColor(black);
        const LineDash dash = *shape->strokeLineDash();
        EXPECT_EQ(dash.onLength() + dash.offLength(), c.period);

        auto recording = record(*shape);
        bool stroked = false;
        for (const pf::RecordedCall& call : recording->calls())
            if (call.operation == "stroke") {
                stroked = true;
                EXPECT_EQ(call.line.dashPattern, (std::vector<double>{dash.onLength(), dash.offLength()}));
                EXPECT_EQ(call.line.dashPhase, dash.phase());
            }
        EXPECT_TRUE(stroked);

        // Along the top edge (row 10 at zoom 1 for both widths), away from the corners.
        const QImage image = render(*shape, pf::Size(220, 40));
        const Runs runs = runsAlongRow(image, 10, 30, 190);
        const double expectedRuns = 160 / c.period;
        EXPECT_NEAR(double(runs.on.size()), expectedRuns, 1.5) << c.type;
        for (size_t i = 1; i < runs.on.size(); ++i)
            EXPECT_NEAR(runs.on[i], dash.onLength(), 1.0) << c.type;
        for (size_t i = 1; i < runs.off.size(); ++i)
            EXPECT_NEAR(runs.off[i], dash.offLength(), 1.0) << c.type;
    }
}

TEST_F(ShapeDrawingTest, BorderStrokeWidths)
{
    struct Case {
        double width;
        double stroke1, stroke2;
        int firstPixel1, lastPixel1; // the first border stroke on the left edge at zoom 1
    };
    // Odd widths add 1 and 1.5; an even stroke is shifted to 11, an odd one centred on 10.5.
    for (const Case c : {Case{2, 4, 6, 9, 12}, Case{3, 7, 10.5, 7, 13}}) {
        auto shape = box(pf::Rect(10, 10, 20, 20));
        shape->setStrokeLineWidth(c.width);
        shape->setStroke1Color(blue);
        shape->setStroke2Color(red);
        EXPECT_EQ(shape->stroke1LineWidth(), c.stroke1);
        EXPECT_EQ(shape->stroke2LineWidth(), c.stroke2);

        pf::BitmapContext context(pf::Size(40, 40), 1.0);
        context.translate(0.5, 0.5);
        shape->drawStroke1InContext(context);
        const QImage image = context.bitmap();
        for (int x = c.firstPixel1; x <= c.lastPixel1; ++x)
            EXPECT_TRUE(near(colour(image, x, 20), blue)) << c.width << ": " << x;
        EXPECT_EQ(alpha(image, c.firstPixel1 - 1, 20), 0);
        EXPECT_EQ(alpha(image, c.lastPixel1 + 1, 20), 0);

        pf::RecordingContext recording;
        shape->drawStroke2InContext(recording);
        ASSERT_EQ(recording.calls().size(), 1u);
        EXPECT_EQ(recording.calls()[0].line.width, std::round(c.stroke2));
        EXPECT_TRUE(near(QColor::fromRgbF(1, 0, 0), recording.calls()[0].state.strokeColor));
    }
}

TEST_F(ShapeDrawingTest, ThumbnailsWidenStrokesAndDropShadows)
{
    canvasPage.thumbnail = true;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(2);
    shape->setStrokeColor(black);
    shape->setStrokeShadowHidden(false);
    shape->setStrokeShadowColor(black);
    auto recording = record(*shape);
    int strokes = 0;
    for (const pf::RecordedCall& call : recording->calls())
        if (call.operation == "stroke") {
            ++strokes;
            EXPECT_EQ(call.line.width, 5.0); // 2 w + 1
            EXPECT_FALSE(call.state.shadow);
        }
    EXPECT_EQ(strokes, 1);
}

// ---- shadows ----

struct ShadowCase {
    double zoom;
    bool exporting;
    bool shown;
};

class ShapeShadowTest : public ShapeDrawingTest, public ::testing::WithParamInterface<ShadowCase> {
protected:
    // Device pixel of a page point as the canvas shows it.
    static int device(double v, double zoom) { return int(std::floor(v * zoom + (zoom <= 1.0 ? 0.5 : 0.0))); }
};

TEST_P(ShapeShadowTest, FillShadowOnlyBetween100And200PercentOrInExports)
{
    const ShadowCase c = GetParam();
    canvasPage.zoom = c.zoom;
    canvasPage.exporting = c.exporting;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    shape->setFillShadowHidden(false);
    shape->setFillShadowColor(blue);
    shape->setFillShadowOffsetX(6);
    shape->setFillShadowOffsetY(4); // down the page
    const QImage image = render(*shape, pf::Size(60, 60));
    // Right of the shape, within the shadow moved by (6, 4) points.
    const QColor shadow = colour(image, device(33, c.zoom), device(24, c.zoom));
    if (c.shown)
        EXPECT_TRUE(near(shadow, blue));
    else
        EXPECT_EQ(shadow.alpha(), 0);
    // The offset is the stored one times the zoom, in device pixels.
    auto recording = record(*shape);
    for (const pf::RecordedCall& call : recording->calls())
        if (call.operation == "fill") {
            ASSERT_EQ(call.state.shadow.has_value(), c.shown);
            if (c.shown) {
                EXPECT_EQ(call.state.shadow->offset, pf::Size(6 * c.zoom, -4 * c.zoom));
            }
        }
}

TEST_P(ShapeShadowTest, StrokeShadowUnderTheSameLimits)
{
    const ShadowCase c = GetParam();
    canvasPage.zoom = c.zoom;
    canvasPage.exporting = c.exporting;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(4);
    shape->setStrokeColor(black);
    shape->setStrokeShadowHidden(false);
    shape->setStrokeShadowColor(blue);
    shape->setStrokeShadowOffsetX(6);
    shape->setStrokeShadowOffsetY(4);
    shape->setStrokeShadowBlur(0);
    const QImage image = render(*shape, pf::Size(60, 60));
    // The shadow of the right edge: the edge at 30 (plus the even shift up to zoom 1), moved by 6 points.
    const double shift = c.zoom <= 1.0 ? 0.5 : 0.0;
    const QColor shadow = colour(image, device(36 + shift, c.zoom), device(22, c.zoom));
    if (c.shown)
        EXPECT_TRUE(near(shadow, blue));
    else
        EXPECT_EQ(shadow.alpha(), 0);
}

INSTANTIATE_TEST_SUITE_P(Zooms, ShapeShadowTest,
                         ::testing::Values(ShadowCase{1.0, false, true}, ShadowCase{2.0, false, true},
                                           ShadowCase{1.5, false, true}, ShadowCase{0.5, false, false},
                                           ShadowCase{3.0, false, false}, ShadowCase{0.5, true, true}));

TEST_F(ShapeDrawingTest, ShadowOffsetIsInDevicePixels)
{
    // At zoom 2 the shadow of a (10, 10, 20, 20) fill moved by (6, 4) points ends at device (72, 68).
    canvasPage.zoom = 2.0;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    shape->setFillShadowHidden(false);
    shape->setFillShadowColor(blue);
    shape->setFillShadowOffsetX(6);
    shape->setFillShadowOffsetY(4);
    const QImage image = render(*shape, pf::Size(60, 60));
    EXPECT_TRUE(near(colour(image, 71, 50), blue));
    EXPECT_EQ(alpha(image, 72, 50), 0);
    EXPECT_TRUE(near(colour(image, 50, 67), blue));
    EXPECT_EQ(alpha(image, 50, 68), 0);
    // The shadow starts 12 pixels right of the shape and 8 below it.
    EXPECT_TRUE(near(colour(image, 65, 28), blue));
    EXPECT_EQ(alpha(image, 65, 27), 0);
    EXPECT_EQ(alpha(image, 61, 50), 255);
}

TEST_F(ShapeDrawingTest, OneShadowUnderAGradientFill)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(1);
    shape->setFillAngle(90);
    // Half transparent: a shadow drawn per piece would show through darker.
    shape->setFillGradientElements({{pf::Color(1, 0, 0, 0.5), 0.0}, {pf::Color(0, 0, 1, 0.5), 1.0}});
    shape->setFillShadowHidden(false);
    shape->setFillShadowColor(pf::Color(0, 0, 0, 0.5));
    shape->setFillShadowOffsetX(6);
    shape->setFillShadowOffsetY(4);

    auto recording = record(*shape);
    std::vector<std::string> withShadow;
    for (const pf::RecordedCall& call : recording->calls())
        if (call.state.shadow && call.operation.find("lip") == std::string::npos)
            withShadow.push_back(call.operation);
    // Only the layer, composited as one object, casts the shadow; nothing inside casts its own.
    EXPECT_EQ(withShadow, (std::vector<std::string>{"endLayer"}));

    // Half the shadow colour's alpha under half-transparent paint: one shadow, not one per piece.
    const QImage image = render(*shape, pf::Size(60, 60));
    EXPECT_TRUE(near(colour(image, 33, 24), pf::Color(0, 0, 0, 0.25)));
}

TEST_F(ShapeDrawingTest, GradientShadowIsTheSameAsASolidFillsWholeBlurIncluded)
{
    // The gradient's layer is bounded to what the fill and its shadow reach: the blur's tail stays whole.
    const auto shadowRow = [&](std::uint64_t fillType) {
        auto shape = box(pf::Rect(20, 20, 20, 20));
        shape->setFillType(fillType);
        shape->setFillColor(red);
        shape->setFillGradientElements({{red, 0.0}, {red, 1.0}});
        shape->setFillShadowHidden(false);
        shape->setFillShadowColor(black);
        shape->setFillShadowOffsetX(8);
        shape->setFillShadowOffsetY(-5);
        shape->setFillShadowBlur(6);
        const QImage image = render(*shape, pf::Size(80, 80));
        std::vector<int> row;
        for (int x = 0; x < 80; ++x)
            row.push_back(alpha(image, x, 25));
        return row;
    };
    const std::vector<int> solid = shadowRow(0);
    const std::vector<int> gradient = shadowRow(1);
    ASSERT_GT(solid[50], 0); // the blur reaches past the shadow's own edge at 48
    for (int x = 0; x < 80; ++x)
        EXPECT_NEAR(gradient[size_t(x)], solid[size_t(x)], 2) << x;
}

// ---- halos ----

TEST_F(ShapeDrawingTest, SelectionHaloOnlyOnScreen)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setSelected(true);
    // The halo is 10 points wide about the outline (at 10.5 on the canvas): pixels 6 to 14.
    const QImage screen = render(*shape, pf::Size(40, 40), true);
    EXPECT_TRUE(near(colour(screen, 7, 20), shape->shapeClass().selectionStrokeColor()));
    const QImage offScreen = render(*shape, pf::Size(40, 40), false);
    EXPECT_EQ(alpha(offScreen, 7, 20), 0);
    for (bool DrawingPage::*flag : {&DrawingPage::exporting, &DrawingPage::thumbnail, &DrawingPage::loupe}) {
        canvasPage.*flag = true;
        EXPECT_EQ(alpha(render(*shape, pf::Size(40, 40), true), 7, 20), 0);
        canvasPage.*flag = false;
    }
}

TEST_F(ShapeDrawingTest, HaloWidthAndColourBySelectionLockAndSnap)
{
    struct Case {
        bool selected, locked, snapped;
        int outerPixel; // the outermost halo pixel left of the outline
        pf::Color colour;
    };
    const ShapeClass& k = Rectangle::staticClass();
    // Selection halo 10 wide (pixels 5.5 to 15.5 about 10.5: 6 covered fully), snap halo 5 (8 to 13).
    for (const Case c : {Case{true, false, false, 6, k.selectionStrokeColor()},
                         Case{true, true, false, 6, k.lockedSelectionStrokeColor()},
                         Case{false, false, true, 8, k.snapStrokeColor()},
                         Case{false, true, true, 8, k.lockedSelectionStrokeColor()}}) {
        auto shape = box(pf::Rect(10, 10, 20, 20));
        shape->setSelected(c.selected);
        shape->setLocked(c.locked);
        shape->setSnapped(c.snapped);
        const QImage image = render(*shape, pf::Size(40, 40));
        EXPECT_TRUE(near(colour(image, c.outerPixel, 20), c.colour)) << c.selected << c.locked << c.snapped;
        EXPECT_EQ(alpha(image, c.outerPixel - 2, 20), 0) << c.selected << c.locked << c.snapped;
    }
}

TEST_F(ShapeDrawingTest, HaloWidthFollowsZoomAndStroke)
{
    canvasPage.zoom = 2.0;
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(3);
    shape->setStrokeColor(black);
    shape->setSelected(true);
    auto recording = record(*shape);
    ASSERT_FALSE(recording->calls().empty());
    const pf::RecordedCall& halo = recording->calls().front();
    EXPECT_EQ(halo.operation, "stroke");
    EXPECT_EQ(halo.line.width, 10.0 / 2.0 + 3.0);
    EXPECT_EQ(halo.line.miterLimit, 6.0);
    EXPECT_TRUE(halo.state.antialias);
}

TEST_F(ShapeDrawingTest, HiddenSelectedShapeDrawsOnlyItsHalo)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    shape->setSelected(true);
    shape->setHidden(true);
    auto recording = record(*shape);
    ASSERT_EQ(recording->calls().size(), 1u);
    EXPECT_EQ(recording->calls()[0].operation, "stroke");
}

// ---- order and the dirty test ----

// Records which layer draws when.
class LayeredBox : public Rectangle {
public:
    void drawImageInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        pf::SavedGState saved(context); // an image layer leaves the state as it found it
        context.clipToRect(pf::Rect(0, 0, 500, 500)); // a marker call
        layers.push_back("image");
    }
    void drawTextInContext(pf::GraphicsContext&) override { layers.push_back("text"); }
    void drawFillInContext(pf::GraphicsContext& context) override
    {
        layers.push_back("fill");
        Rectangle::drawFillInContext(context);
    }
    void drawAllStrokeInContext(pf::GraphicsContext& context) override
    {
        layers.push_back("stroke");
        Rectangle::drawAllStrokeInContext(context);
    }
    std::vector<std::string> layers;
};

TEST_F(ShapeDrawingTest, LayersInTheirFixedOrderEachInItsOwnState)
{
    auto shape = Shape::make<LayeredBox>(pf::Rect(10, 10, 20, 20));
    shape->setComposition(&canvasPage);
    shape->setFillType(0);
    shape->setFillColor(red);
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(2);
    shape->setStrokeColor(black);
    shape->setSelected(true);
    shape->setOpacity(0.5);
    auto recording = record(*shape);
    EXPECT_EQ(shape->layers, (std::vector<std::string>{"fill", "image", "stroke", "text"}));
    std::vector<std::string> operations;
    for (const pf::RecordedCall& call : recording->calls())
        operations.push_back(call.operation);
    EXPECT_EQ(operations, (std::vector<std::string>{"stroke", "fill", "clipToRect", "stroke"}));
    const auto& calls = recording->calls();
    EXPECT_EQ(calls[0].state.alpha, 1.0); // the halo is not faded with the shape
    EXPECT_EQ(calls[1].state.alpha, 0.5);
    EXPECT_TRUE(calls[1].state.clip.unbounded);
    EXPECT_TRUE(calls[3].state.clip.unbounded); // the image's clip ended with its layer
    EXPECT_EQ(recording->gstateDepth(), 0);
}

// The catalogue's first entry ("none") is no filter: the shape draws through its ordinary layers.
TEST_F(ShapeDrawingTest, AFilterSpecOfNoFilterDrawsTheContentAsItIs)
{
    auto shape = box(pf::Rect(10, 10, 20, 20));
    shape->setFillType(0);
    shape->setFillColor(red);
    auto spec = FilterSpec::filterSpec();
    spec->setEnabled(true);
    shape->setContentFilterSpecs({spec});
    EXPECT_FALSE(shape->hasContentFilters());
    EXPECT_TRUE(near(colour(render(*shape, pf::Size(40, 40)), 20, 20), red));
}

TEST_F(ShapeDrawingTest, DirtyTestOnlyOnAPageThatIsNotExporting)
{
    auto onPage = box(pf::Rect(10, 10, 20, 20));
    auto offPage = box(pf::Rect(10, 10, 20, 20), false);
    for (Shape* shape : {static_cast<Shape*>(onPage.get()), static_cast<Shape*>(offPage.get())}) {
        shape->setFillType(0);
        shape->setFillColor(red);
    }
    const auto fills = [](Shape& shape, const pf::Rect& dirty) {
        pf::RecordingContext context;
        shape.drawInContextDirtyRect(context, dirty);
        return !context.calls().empty();
    };
    const pf::Rect far(500, 500, 10, 10);
    EXPECT_TRUE(fills(*onPage, pf::Rect(0, 0, 15, 15)));
    EXPECT_FALSE(fills(*onPage, far));
    EXPECT_FALSE(fills(*onPage, pf::Rect::zero()));
    EXPECT_TRUE(fills(*offPage, far));
    EXPECT_TRUE(fills(*offPage, pf::Rect::zero()));
    canvasPage.exporting = true;
    EXPECT_TRUE(fills(*onPage, pf::Rect::zero()));
}

TEST_F(ShapeDrawingTest, FramesWithoutWidthOrHeightPutNoNaNIntoTheDrawing)
{
    for (const pf::Rect frame : {pf::Rect(10, 10, 0, 20), pf::Rect(10, 10, 20, 0), pf::Rect(10, 10, 0, 0)}) {
        for (std::int64_t angle : {std::int64_t(0), std::int64_t(30)}) {
            auto shape = box(frame);
            shape->setRotationAngle(angle);
            shape->setFillType(2);
            shape->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
            shape->setFillShadowHidden(false);
            shape->setFillShadowColor(black);
            shape->setStrokeType(1);
            shape->setStrokeLineWidth(2);
            shape->setStrokeColor(black);
            shape->setSelected(true);
            auto recording = record(*shape);
            ASSERT_FALSE(recording->calls().empty());
            for (const pf::RecordedCall& call : recording->calls()) {
                EXPECT_TRUE(finite(call.path)) << call.operation;
                EXPECT_TRUE(std::isfinite(call.line.width) && std::isfinite(call.line.miterLimit));
                for (double d : call.line.dashPattern)
                    EXPECT_TRUE(std::isfinite(d));
            }
            // The halo of a shape without area outlines the rect made not zero-sized.
            if (angle == 0) {
                EXPECT_EQ(recording->calls().front().path.bounds(), QVRectNotZeroSize(frame));
            }
        }
    }
}
