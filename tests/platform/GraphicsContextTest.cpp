#include "GraphicsContextTestSupport.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace pf {
namespace {

using test::alphaAt;
using test::colorAt;

constexpr Color red{1, 0, 0, 1};
constexpr Color blue{0, 0, 1, 1};

TEST(GraphicsContextDefaults, QuartzLineSettingsNotQPens)
{
    BitmapContext context({10, 10}, 1);
    const LineStyle& line = context.gstate().line;
    EXPECT_EQ(line.width, 1.0);
    EXPECT_EQ(line.cap, LineCap::Butt);
    EXPECT_EQ(line.join, LineJoin::Miter);
    EXPECT_EQ(line.miterLimit, 10.0);
    EXPECT_TRUE(line.dashPattern.empty());
    EXPECT_TRUE(context.gstate().antialias);
    EXPECT_EQ(context.gstate().alpha, 1.0);
    EXPECT_FALSE(context.gstate().shadow.has_value());
    EXPECT_FALSE(context.drawsToScreen());
}

// A thick stroke with a right-angle corner and open ends: the miter point is painted, nothing beyond the
// ends (a square cap would reach 10 px past them).
TEST(GraphicsContextStroke, DefaultMiterJoinAndButtCap)
{
    BitmapContext context({100, 100}, 1);
    Path corner;
    corner.moveTo({20, 80});
    corner.lineTo({20, 20});
    corner.lineTo({80, 20});
    context.setLineWidth(20);
    context.setStrokeColor(red);
    context.strokePath(corner);
    const QImage image = context.bitmap();
    EXPECT_EQ(alphaAt(image, 12, 12), 255) << "miter point";
    EXPECT_EQ(alphaAt(image, 20, 85), 0) << "no cap past the start";
    EXPECT_EQ(alphaAt(image, 85, 20), 0) << "no cap past the end";
    EXPECT_EQ(alphaAt(image, 20, 75), 255);
}

// Quartz's miter limit is the miter length over the width: a right angle needs √2.
TEST(GraphicsContextStroke, MiterLimitInQuartzUnits)
{
    struct Case {
        double limit;
        bool mitered;
    };
    for (const Case c : {Case{1.3, false}, Case{1.5, true}, Case{10, true}}) {
        BitmapContext context({100, 100}, 1);
        Path corner;
        corner.moveTo({20, 80});
        corner.lineTo({20, 20});
        corner.lineTo({80, 20});
        context.setLineWidth(20);
        context.setMiterLimit(c.limit);
        context.strokePath(corner);
        EXPECT_EQ(alphaAt(context.bitmap(), 12, 12) == 255, c.mitered) << "limit " << c.limit;
    }
}

// Dash lengths are user units: at CTM scale 2, a 5-unit dash is 10 device pixels, whatever the width.
TEST(GraphicsContextStroke, DashInUserUnitsUnderScale)
{
    BitmapContext context({120, 20}, 1);
    context.scale(2, 2);
    context.setLineWidth(2);
    context.setLineDash(0, {5, 5});
    Path line;
    line.moveTo({0, 5});
    line.lineTo({60, 5});
    context.strokePath(line);
    const QImage image = context.bitmap();
    for (int x : {2, 8, 22, 28, 42})
        EXPECT_EQ(alphaAt(image, x, 10), 255) << "on at " << x;
    for (int x : {12, 18, 32, 38})
        EXPECT_EQ(alphaAt(image, x, 10), 0) << "off at " << x;
}

TEST(GraphicsContextStroke, DashPhaseAndOddPatternRepeat)
{
    BitmapContext context({100, 10}, 1);
    context.setLineWidth(4);
    context.setLineDash(5, {10});  // odd count: 10 on, 10 off; phase 5 starts half-way into a dash
    Path line;
    line.moveTo({0, 5});
    line.lineTo({100, 5});
    context.strokePath(line);
    const QImage image = context.bitmap();
    EXPECT_EQ(alphaAt(image, 2, 5), 255);
    EXPECT_EQ(alphaAt(image, 8, 5), 0);
    EXPECT_EQ(alphaAt(image, 17, 5), 255);
    EXPECT_EQ(alphaAt(image, 27, 5), 0);
}

// Width 0 is the thinnest line the device shows: one pixel, even under a large scale.
TEST(GraphicsContextStroke, ZeroWidthIsOneDevicePixel)
{
    BitmapContext context({100, 100}, 1);
    context.scale(10, 10);
    context.setLineWidth(0);
    context.setShouldAntialias(false);
    Path line;
    line.moveTo({1, 5.05});
    line.lineTo({9, 5.05});
    context.strokePath(line);
    const QImage image = context.bitmap();
    int painted = 0;
    for (int y = 40; y < 60; ++y)
        painted += alphaAt(image, 50, y) > 0 ? 1 : 0;
    EXPECT_EQ(painted, 1);
}

TEST(GraphicsContextStroke, BezierPathUsesItsOwnLineStyle)
{
    BitmapContext context({100, 100}, 1);
    Path line;
    line.moveTo({10, 50});
    line.lineTo({90, 50});
    line.setLineWidth(20);
    line.lineStyle().cap = LineCap::Square;
    context.setLineWidth(1);
    context.strokeBezierPath(line);
    const QImage image = context.bitmap();
    EXPECT_EQ(alphaAt(image, 50, 42), 255) << "the path's width";
    EXPECT_EQ(alphaAt(image, 95, 50), 255) << "the path's square cap";
}

// Offset and blur are device pixels: the same device geometry drawn at CTM scale 1 and 2 gives the
// same shadow, pixel for pixel; the offset's height points up.
TEST(GraphicsContextShadow, OffsetAndBlurInDevicePixelsWhateverTheCTM)
{
    const auto render = [](double scale, double blur) {
        BitmapContext context({160, 160}, 1);
        context.scale(scale, scale);
        context.setShadow({10, -10}, blur, Color(0, 0, 0, 1));
        context.setFillColor(red);
        context.fillRect(Rect(20 / scale, 20 / scale, 40 / scale, 40 / scale));
        return context.bitmap();
    };
    for (double blur : {0.0, 12.0}) {
        const QImage one = render(1, blur);
        const QImage two = render(2, blur);
        EXPECT_EQ(one, two) << "blur " << blur;
    }
    const QImage sharp = render(2, 0);
    EXPECT_EQ(colorAt(sharp, 30, 30), QColor(255, 0, 0));
    EXPECT_EQ(colorAt(sharp, 65, 65), QColor(0, 0, 0)) << "shadow 10 px right and 10 px down";
    EXPECT_EQ(alphaAt(sharp, 33, 65), 255);
    EXPECT_EQ(alphaAt(sharp, 75, 50), 0) << "not an offset scaled by the CTM";
    EXPECT_EQ(alphaAt(sharp, 65, 25), 0);

    const QImage soft = render(2, 12);  // sigma 6 px
    EXPECT_EQ(colorAt(soft, 30, 30), QColor(255, 0, 0));
    EXPECT_NEAR(alphaAt(soft, 70, 50), 128, 12) << "half coverage on the shadow's edge";
    EXPECT_GT(alphaAt(soft, 64, 50), alphaAt(soft, 70, 50));
    EXPECT_GT(alphaAt(soft, 70, 50), alphaAt(soft, 76, 50));
    EXPECT_EQ(alphaAt(soft, 95, 50), 0) << "nothing past three sigma";
}

TEST(GraphicsContextShadow, PositiveHeightCastsUpInBothOrientations)
{
    for (bool flipped : {true, false}) {
        BitmapContext context({100, 100}, 1, flipped);
        context.setShadow({0, 20}, 0, Color(0, 0, 0, 1));
        context.fillRect(Rect(40, 40, 20, 20));
        const QImage image = context.bitmap();
        EXPECT_EQ(alphaAt(image, 50, 30), 255) << "flipped " << flipped;
        EXPECT_EQ(alphaAt(image, 50, 70), 0) << "flipped " << flipped;
    }
}

TEST(GraphicsContextShadow, SavedAndRestoredWithTheState)
{
    BitmapContext context({100, 50}, 1);
    context.saveGState();
    context.setShadow({0, -10}, 0, Color(0, 0, 0, 1));
    context.restoreGState();
    context.fillRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(alphaAt(context.bitmap(), 20, 35), 0);
}

// Shadows come from stored documents: a non-finite one casts nothing, a huge blur or offset draws in
// bounded time and memory and never overflows pixel arithmetic.
TEST(GraphicsContextShadow, ExtremeValuesFromStoredDataStayBounded)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Size offset;
        double blur;
        bool casts;
    };
    for (const Case& c : {Case{{nan, 0}, 2, false}, Case{{0, 0}, inf, false}, Case{{0, 0}, 1e12, true},
                          Case{{1e12, -1e12}, 3, true}}) {
        BitmapContext context({60, 60}, 1);
        context.setShadow(c.offset, c.blur, Color(0, 0, 0, 1));
        EXPECT_EQ(context.gstate().shadow.has_value(), c.casts);
        context.fillRect(Rect(20, 20, 20, 20));
        EXPECT_EQ(alphaAt(context.bitmap(), 30, 30), 255);
    }
}

// A wide blur is made at a reduced size from the drawing drawn again, and the drawing is drawn at full size
// only where it is seen: what is seen is the same wherever the edge of sight falls. A shadow that cannot
// land in sight leaves the drawing as it is without one. With and without a path clip (a loupe's).
TEST(GraphicsContextShadow, WideAndUnseenShadowsShowWhatAWholeDrawingWould)
{
    constexpr double shift = 200;
    const auto render = [](double width, double x, bool clipped, Size offset, double blur) {
        BitmapContext context({width, 60}, 1);
        if (clipped)
            context.clip(Path::oval(Rect(x + 150, 0, 100, 60)));
        if (blur >= 0)  // else none
            context.setShadow(offset, blur, blue);
        context.setFillColor(red);
        context.fillRect(Rect(x, 10, 260, 40));
        return context.bitmap();
    };
    for (bool clipped : {false, true}) {
        const QImage part = render(100, -shift, clipped, {0, 0}, 140);
        const QImage whole = render(100 + shift, 0, clipped, {0, 0}, 140);
        const auto channels = [](QRgb c) { return std::array{qRed(c), qGreen(c), qBlue(c), qAlpha(c)}; };
        for (int y : {5, 30, 55})
            for (int x = 0; x < 100; x += 7) {
                const auto a = channels(part.pixel(x, y));
                const auto b = channels(whole.pixel(x + int(shift), y));
                for (size_t i = 0; i < a.size(); ++i)
                    ASSERT_NEAR(a[i], b[i], 3) << "clipped " << clipped << " at " << x << ", " << y << " channel " << i;
            }
        const QPoint besideTheFill = clipped ? QPoint(20, 5) : QPoint(80, 30);
        EXPECT_GT(alphaAt(part, besideTheFill.x(), besideTheFill.y()), 0) << "the blur is seen, clipped " << clipped;
        EXPECT_EQ(render(100, -shift, clipped, {1e5, 0}, 3), render(100, -shift, clipped, {0, 0}, -1))
            << "a shadow thrown out of sight, clipped " << clipped;
    }
}

// Two overlapping fills in a layer cast one shadow: where their shadows overlap outside the fills, the
// coverage is the shadow colour's alpha once, not twice.
TEST(GraphicsContextLayer, OneShadowUnderOverlappingFills)
{
    const auto render = [](bool layer) {
        BitmapContext context({140, 120}, 1);
        context.setShadow({30, 0}, 0, Color(0, 0, 0, 0.5));
        if (layer)
            context.beginTransparencyLayer();
        context.setFillColor(red);
        context.fillRect(Rect(20, 20, 40, 40));
        context.setFillColor(blue);
        context.fillRect(Rect(40, 40, 40, 40));
        if (layer)
            context.endTransparencyLayer();
        return context.bitmap();
    };
    const QImage grouped = render(true);
    const QImage separate = render(false);
    EXPECT_NEAR(alphaAt(grouped, 85, 50), 128, 2);
    EXPECT_NEAR(alphaAt(separate, 85, 50), 191, 2);
    EXPECT_EQ(colorAt(grouped, 50, 50), QColor(0, 0, 255));
    EXPECT_EQ(colorAt(grouped, 25, 25), QColor(255, 0, 0));
    EXPECT_NEAR(alphaAt(grouped, 100, 70), 128, 2);
}

TEST(GraphicsContextLayer, AlphaAppliesToTheGroupOnce)
{
    BitmapContext context({100, 100}, 1);
    context.setAlpha(0.5);
    context.beginTransparencyLayer();
    EXPECT_EQ(context.gstate().alpha, 1.0);
    context.fillRect(Rect(10, 10, 50, 50));
    context.fillRect(Rect(30, 30, 50, 50));
    context.endTransparencyLayer();
    EXPECT_EQ(context.gstate().alpha, 0.5);
    const QImage image = context.bitmap();
    EXPECT_NEAR(alphaAt(image, 40, 40), 128, 1) << "overlap not darker";
    EXPECT_NEAR(alphaAt(image, 15, 15), 128, 1);
}

TEST(GraphicsContextClip, EvenOddClipOutLeavesTheAreaUnpainted)
{
    for (bool curved : {false, true}) {
        BitmapContext context({100, 100}, 1);
        Path clipOut = Path::rect(Rect(-32767, -32767, 65535, 65535));
        const Path area = curved ? Path::oval(Rect(30, 30, 40, 40)) : Path::rect(Rect(30, 30, 40, 40));
        clipOut.append(area);
        context.saveGState();
        context.clip(clipOut, WindingRule::EvenOdd);
        context.setFillColor(red);
        context.fillRect(Rect(0, 0, 100, 100));
        context.restoreGState();
        const QImage image = context.bitmap();
        EXPECT_EQ(alphaAt(image, 50, 50), 0) << "curved " << curved;
        EXPECT_EQ(alphaAt(image, 36, 50), 0) << "curved " << curved;
        EXPECT_EQ(colorAt(image, 10, 10), QColor(255, 0, 0)) << "curved " << curved;
        EXPECT_EQ(colorAt(image, 90, 50), QColor(255, 0, 0)) << "curved " << curved;
    }
}

TEST(GraphicsContextClip, IntersectReplaceAndRestore)
{
    struct Case {
        const char* name;
        bool replace;
        bool restoreFirst;
        bool inA, inB, inBoth;
    };
    const Case cases[] = {
        {"intersect", false, false, false, false, true},
        {"replace", true, false, false, true, true},
        {"restored", false, true, true, false, true},
    };
    for (const Case& c : cases) {
        BitmapContext context({100, 100}, 1);
        context.clipToRect(Rect(0, 0, 60, 100));  // A: left part
        context.saveGState();
        const Path b = Path::oval(Rect(20, 20, 70, 60));   // B, overlapping A
        if (c.replace)
            context.setClip(b);
        else
            context.clip(b);
        if (c.restoreFirst)
            context.restoreGState();
        context.fillRect(Rect(0, 0, 100, 100));
        const QImage image = context.bitmap();
        EXPECT_EQ(alphaAt(image, 5, 50) == 255, c.inA) << c.name;
        EXPECT_EQ(alphaAt(image, 80, 50) == 255, c.inB) << c.name;
        EXPECT_EQ(alphaAt(image, 45, 50) == 255, c.inBoth) << c.name;
    }
}

// The same whether the fill is drawn directly or inside a layer (whose content is clipped once).
TEST(GraphicsContextClip, ClipsAreAntialiasedAndShadowsClipped)
{
    for (bool layer : {false, true}) {
        BitmapContext context({100, 100}, 1);
        context.clip(Path::rect(Rect(10.5, 10, 50, 50)));
        context.setShadow({20, -20}, 0, Color(0, 0, 0, 1));
        if (layer)
            context.beginTransparencyLayer();
        context.fillRect(Rect(0, 0, 40, 40));
        if (layer)
            context.endTransparencyLayer();
        const QImage image = context.bitmap();
        EXPECT_NEAR(alphaAt(image, 10, 20), 128, 2) << "half-covered pixel column, layer " << layer;
        EXPECT_EQ(alphaAt(image, 20, 20), 255) << "layer " << layer;
        EXPECT_EQ(alphaAt(image, 50, 50), 255) << "shadow inside the clip, layer " << layer;
        EXPECT_EQ(alphaAt(image, 65, 50), 0) << "shadow outside the clip, layer " << layer;
    }
}

TEST(GraphicsContextGradient, AngleNinetyInAFlippedContextRunsDownward)
{
    const Gradient lightToDark(Color(1, 1, 1, 1), Color(0, 0, 0, 1));
    for (bool flipped : {true, false}) {
        BitmapContext context({100, 100}, 1, flipped);
        context.drawLinearGradientInPath(lightToDark, Path::rect(Rect(0, 0, 100, 100)), 90);
        const QImage image = context.bitmap();
        const int top = colorAt(image, 50, 5).red();
        const int bottom = colorAt(image, 50, 95).red();
        if (flipped) {
            EXPECT_GT(top, bottom + 200) << "lighter at the top";
        }
        else {
            EXPECT_LT(top + 200, bottom) << "unflipped: lighter at the bottom";
        }
        EXPECT_NEAR(colorAt(image, 50, 50).red(), 128, 4);
    }
    BitmapContext context({100, 100}, 1);
    context.drawLinearGradientInPath(lightToDark, Path::oval(Rect(0, 0, 100, 100)), 0);
    const QImage image = context.bitmap();
    EXPECT_GT(colorAt(image, 5, 50).red(), colorAt(image, 95, 50).red() + 200) << "angle 0: lighter on the left";
    EXPECT_EQ(alphaAt(image, 3, 3), 0) << "painted inside the path only";
}

TEST(GraphicsContextGradient, LinearExtendOptions)
{
    const Gradient g(red, blue);
    for (int options : {0, DrawsBeforeStart | DrawsAfterEnd}) {
        BitmapContext context({100, 20}, 1);
        context.drawLinearGradient(g, {30, 0}, {70, 0}, options);
        const QImage image = context.bitmap();
        EXPECT_EQ(alphaAt(image, 10, 10), options ? 255 : 0);
        EXPECT_EQ(alphaAt(image, 90, 10), options ? 255 : 0);
        EXPECT_EQ(alphaAt(image, 50, 10), 255);
        if (options) {
            EXPECT_EQ(colorAt(image, 10, 10), QColor(255, 0, 0));
        }
    }
}

// Stops inside a run of one colour change nothing and are left out (stored gradients may hold thousands);
// the hard edge two stops at one location describe stays.
TEST(GraphicsContextGradient, StopsInsideARunOfOneColourAreLeftOut)
{
    std::vector<GradientStop> flat;
    for (int i = 0; i <= 5000; ++i)
        flat.push_back({red, i / 5000.0});
    struct Case {
        const char* what;
        std::vector<GradientStop> stops;
        QGradientStops expected;
    };
    const std::vector<Case> cases = {
        {"run, then a blend", {{red, 0}, {red, 0.25}, {red, 0.5}, {blue, 1}},
         {{0, Qt::red}, {0.5, Qt::red}, {1, Qt::blue}}},
        {"hard edge", {{red, 0}, {red, 0.5}, {blue, 0.5}, {blue, 1}},
         {{0, Qt::red}, {0.5, Qt::red}, {std::nextafter(0.5, 2.0), Qt::blue}, {1, Qt::blue}}},
        {"five thousand stops of one colour", flat, {{0, Qt::red}, {1, Qt::red}}},
    };
    for (const Case& c : cases) {
        const Gradient g(c.stops);
        EXPECT_EQ(g.linearBrush({0, 0}, {1, 0}).gradient()->stops(), c.expected) << c.what;
    }
    BitmapContext context({100, 20}, 1);
    context.drawLinearGradient(Gradient(cases[1].stops), {0, 0}, {100, 0}, 0);
    const QImage image = context.bitmap();
    EXPECT_EQ(colorAt(image, 45, 10), QColor(255, 0, 0));
    EXPECT_EQ(colorAt(image, 55, 10), QColor(0, 0, 255));
}

TEST(GraphicsContextGradient, RadialBetweenCirclesAndRelativeCentre)
{
    const Gradient g(Color(1, 1, 1, 1), Color(0, 0, 0, 1));
    BitmapContext context({100, 100}, 1);
    context.drawRadialGradient(g, {50, 50}, 0, {50, 50}, 40, 0);
    const QImage image = context.bitmap();
    EXPECT_GT(colorAt(image, 50, 50).red(), 245);
    EXPECT_NEAR(colorAt(image, 70, 50).red(), 128, 6);
    EXPECT_EQ(alphaAt(image, 5, 5), 0) << "outside the end circle without extension";

    BitmapContext shifted({100, 100}, 1);
    shifted.drawRadialGradientInPath(g, Path::rect(Rect(0, 0, 100, 100)), {0.5, 0});
    const QImage s = shifted.bitmap();
    EXPECT_GT(colorAt(s, 75, 50).red(), 245) << "centre moved by half the half-width";
    EXPECT_GT(colorAt(s, 60, 50).red(), colorAt(s, 30, 50).red());
    EXPECT_EQ(alphaAt(s, 1, 1), 255) << "the end circle encloses the bounds";
}

// A gradient whose points lie billions of pixels away (stored data may put them anywhere) is painted as
// the part of it in sight: pixel for pixel what the same gradient paints with its points near, where Qt
// still paints it whole. Each case puts the change from black to white in view, whatever the reach.
TEST(GraphicsContextGradient, FarGradientsPaintWhatIsInSight)
{
    const Color black(0, 0, 0, 1), white(1, 1, 1, 1);
    const double turn = M_PI / 6;
    const Point dir{std::cos(turn), std::sin(turn)};
    struct Case {
        const char* what;
        std::function<void(GraphicsContext&, double)> draw;  // given the reach
        int band = 50;  // the rows compared, about the middle one
    };
    const std::vector<Case> cases = {
        {"axis from far left to far right",
         [&](GraphicsContext& c, double far) {
             const Gradient g({{black, 0}, {black, (50 + far) / (2 * far)}, {white, (150 + far) / (2 * far)}, {white, 1}});
             c.drawLinearGradient(g, {-far, 0}, {far, 0}, DrawsBeforeStart | DrawsAfterEnd);
         }},
        {"turned axis through the view",
         [&](GraphicsContext& c, double far) {
             const Gradient g({{black, 0}, {black, 0.5 - 40 / (2 * far)}, {white, 0.5 + 40 / (2 * far)}, {white, 1}});
             c.drawLinearGradient(g, {100 - far * dir.x, 50 - far * dir.y}, {100 + far * dir.x, 50 + far * dir.y},
                                  DrawsBeforeStart | DrawsAfterEnd);
         }},
        {"axis ending far, in a path",
         [&](GraphicsContext& c, double far) {
             const Gradient g({{black, 0}, {black, 60 / far}, {white, 120 / far}, {white, 1}});
             c.saveGState();
             c.clip(Path::oval(Rect(10, 5, 180, 90)));
             c.drawLinearGradient(g, {0, 0}, {far, 0}, DrawsBeforeStart | DrawsAfterEnd);
             c.restoreGState();
         }},
        {"circles about a far centre",
         [&](GraphicsContext& c, double far) {
             const Gradient g({{black, 0}, {black, (far + 50) / (far + 200)}, {white, (far + 150) / (far + 200)}, {white, 1}});
             c.drawRadialGradient(g, {-far, 50}, 0, {-far, 50}, far + 200, DrawsBeforeStart | DrawsAfterEnd);
         },
         // Near the centre the circles bend: a few rows about the centre's, where they are straight.
         5},
        {"circles about a near centre out to far",
         [&](GraphicsContext& c, double far) {
             const Gradient g({{black, 0}, {black, 20 / far}, {white, 60 / far}, {white, 1}});
             c.drawRadialGradient(g, {100, 50}, 0, {100, 50}, far, DrawsBeforeStart | DrawsAfterEnd);
         }},
        {"shape's radial fill, scaled far",
         [&](GraphicsContext& c, double far) {
             // The view is a small part of a shape reaching that far, drawn at a scale.
             const Gradient g({{black, 0}, {black, 20 / far}, {white, 60 / far}, {white, 1}});
             const double k = far / 1e4;
             c.saveGState();
             c.translate(100, 50);
             c.scale(k, k);
             const double half = 1e4 / std::sqrt(2.0);
             c.drawRadialGradientInPath(g, Path::rect(Rect(-half, -half, 2 * half, 2 * half)), {0, 0});
             c.restoreGState();
         }},
    };
    const auto paint = [](const Case& c, double far) {
        BitmapContext context({200, 100}, 1);
        c.draw(context, far);
        return context.bitmap();
    };
    for (const Case& c : cases) {
        // A few hundred pixels away Qt paints the gradient as it is (its table of colours finer than a
        // pixel).
        const QImage near = paint(c, 300);
        int lightest = 0, darkest = 255;
        for (int y = 0; y < 100; y += 2)
            for (int x = 0; x < 200; x += 2)
                if (alphaAt(near, x, y) == 255)
                    lightest = std::max(lightest, colorAt(near, x, y).red()), darkest = std::min(darkest, colorAt(near, x, y).red());
        ASSERT_TRUE(lightest > 250 && darkest < 5) << c.what << ": black and white in view";
        for (double far : {1e10, 1e13}) {
            const QImage image = paint(c, far);
            int worst = 0;
            for (int y = 50 - c.band; y < 50 + c.band; ++y)
                for (int x = 0; x < 200; ++x) {
                    const QColor a = colorAt(near, x, y), b = colorAt(image, x, y);
                    worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.alpha() - b.alpha())});
                }
            EXPECT_LE(worst, 3) << c.what << " at " << far;
        }
    }
    // Points that are no numbers paint nothing (and reach no Qt drawing); the largest finite ones paint
    // the colour where the view lies.
    const Gradient g(black, white);
    struct Odd {
        const char* what;
        std::function<void(GraphicsContext&)> draw;
        int alpha;
        int red = 0;
    };
    const std::vector<Odd> odd = {
        {"NaN axis", [&](GraphicsContext& c) { c.drawLinearGradient(g, {std::nan(""), 0}, {10, 0}, 3); }, 0},
        {"infinite axis", [&](GraphicsContext& c) { c.drawLinearGradient(g, {-HUGE_VAL, 0}, {HUGE_VAL, 0}, 3); }, 0},
        {"largest axis", [&](GraphicsContext& c) { c.drawLinearGradient(g, {-1e308, 0}, {1e308, 0}, 3); }, 255, 128},
        {"NaN radius", [&](GraphicsContext& c) { c.drawRadialGradient(g, {10, 10}, 0, {10, 10}, std::nan(""), 3); }, 0},
        {"infinite centre", [&](GraphicsContext& c) { c.drawRadialGradient(g, {HUGE_VAL, 0}, 0, {HUGE_VAL, 0}, 10, 3); }, 0},
        // The circle through the view's centre is the one a fifth of the way.
        {"far moving circles", [&](GraphicsContext& c) { c.drawRadialGradient(g, {-1e12, 50}, 0, {1e12, 50}, 3e12, 3); }, 255, 51},
    };
    for (const Odd& o : odd) {
        BitmapContext context({200, 100}, 1);
        o.draw(context);
        const QImage image = context.bitmap();
        EXPECT_EQ(alphaAt(image, 100, 50), o.alpha) << o.what;
        if (o.alpha) {
            EXPECT_NEAR(colorAt(image, 100, 50).red(), o.red, 2) << o.what;
        }
    }
}

TEST(GraphicsContextImage, DrawnUprightInBothOrientations)
{
    QImage bitmap(2, 2, QImage::Format_ARGB32_Premultiplied);
    bitmap.setPixelColor(0, 0, Qt::red);
    bitmap.setPixelColor(1, 0, Qt::red);
    bitmap.setPixelColor(0, 1, Qt::blue);
    bitmap.setPixelColor(1, 1, Qt::blue);
    const Image image(bitmap);
    for (bool flipped : {true, false}) {
        BitmapContext context({40, 40}, 1, flipped);
        context.setInterpolationQuality(InterpolationQuality::None);
        context.drawImage(image, Rect(0, 0, 40, 40));
        const QImage out = context.bitmap();
        EXPECT_EQ(colorAt(out, 20, 5), QColor(255, 0, 0)) << "flipped " << flipped;
        EXPECT_EQ(colorAt(out, 20, 35), QColor(0, 0, 255)) << "flipped " << flipped;
    }
    // Quartz-style: the top row at the rect's maxY, so upside down in a y-down space, upright in a y-up one;
    // what drawing handlers draw follows the same rule.
    const Image handler = Image::withDrawingHandler({2, 2}, [&](GraphicsContext& c, const Rect&) {
        c.setFillColor(Color(1, 0, 0, 1));
        c.fillRect(Rect(0, 0, 2, 1));
        c.setFillColor(Color(0, 0, 1, 1));
        c.fillRect(Rect(0, 1, 2, 1));
        return true;
    });
    for (const Image& drawn : {image, handler})
        for (bool flipped : {true, false}) {
            BitmapContext context({40, 40}, 1, flipped);
            context.setInterpolationQuality(InterpolationQuality::None);
            context.drawImage(drawn, Rect(0, 0, 40, 40), {}, BlendMode::Normal, 1.0, false);
            const QImage out = context.bitmap();
            const QColor top = flipped ? QColor(0, 0, 255) : QColor(255, 0, 0);
            EXPECT_EQ(colorAt(out, 20, 5), top) << "flipped " << flipped << " handler " << drawn.hasDrawingHandler();
        }
}

TEST(GraphicsContextImage, SourceRectFractionAndOperation)
{
    QImage bitmap(4, 2, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::red);
    for (int y = 0; y < 2; ++y) {
        bitmap.setPixelColor(2, y, Qt::blue);
        bitmap.setPixelColor(3, y, Qt::blue);
    }
    const Image image(bitmap, {2, 1});  // two pixels per point
    BitmapContext context({40, 20}, 1);
    context.setInterpolationQuality(InterpolationQuality::None);
    context.drawImage(image, Rect(0, 0, 20, 20), Rect(1, 0, 1, 1), BlendMode::Normal, 0.5);
    context.fillRect(Rect(20, 0, 20, 20));
    context.drawImage(image, Rect(20, 0, 20, 20), Rect(0, 0, 1, 1), BlendMode::DestinationOut, 1.0);
    const QImage out = context.bitmap();
    EXPECT_EQ(colorAt(out, 10, 10).blue(), 255) << "right half of the image";
    EXPECT_NEAR(alphaAt(out, 10, 10), 128, 1) << "fraction";
    EXPECT_EQ(alphaAt(out, 30, 10), 0) << "destination-out punched the fill";
}

TEST(GraphicsContextImage, DrawingHandlerRunsAtEachDraw)
{
    int runs = 0;
    const Image image = Image::withDrawingHandler({10, 10}, [&](GraphicsContext& c, const Rect& r) {
        ++runs;
        EXPECT_EQ(r, Rect(0, 0, 10, 10));
        c.setFillColor(red);
        c.fillRect(Rect(0, 0, 10, 5));  // the top half, y down
        return true;
    });
    for (bool flipped : {true, false}) {
        BitmapContext context({40, 40}, 1, flipped);
        context.drawImage(image, Rect(0, 0, 40, 40));
        const QImage out = context.bitmap();
        EXPECT_EQ(alphaAt(out, 20, 10), 255) << "flipped " << flipped;
        EXPECT_EQ(alphaAt(out, 20, 30), 0) << "flipped " << flipped;
    }
    EXPECT_EQ(runs, 2);
}

// A drawing that sets an alpha of its own (a loupe's picture: each shape sets its opacity) is drawn at
// the state's alpha as a whole, as any drawing is: at none it shows nothing.
TEST(GraphicsContextImage, DrawingHandlerTakesTheStateAlpha)
{
    const Image image = Image::withDrawingHandler({10, 10}, [](GraphicsContext& c, const Rect&) {
        c.setAlpha(1);
        c.setFillColor(red);
        c.fillRect(Rect(0, 0, 10, 10));
        return true;
    });
    for (const auto& [alpha, expected] : {std::pair{1.0, 255}, std::pair{0.5, 128}, std::pair{0.0, 0}, std::pair{-1.0, 0}}) {
        BitmapContext context({20, 20}, 1);
        context.setAlpha(alpha);
        context.drawImage(image, Rect(0, 0, 20, 20));
        EXPECT_NEAR(alphaAt(context.bitmap(), 10, 10), expected, 1) << alpha;
    }
}

TEST(GraphicsContextState, TransformsAndConversions)
{
    BitmapContext context({100, 100}, 2);
    EXPECT_TRUE(context.isFlipped());
    context.translate(10, 20);
    context.scale(2, 4);
    EXPECT_EQ(context.convertToDeviceSpace(Point(1, 1)), Point(24, 48));
    EXPECT_EQ(context.convertToUserSpace(Point(24, 48)), Point(1, 1));
    EXPECT_EQ(context.convertToDeviceSpace(Rect(0, 0, 1, 1)), Rect(20, 40, 4, 8));
    context.saveGState();
    context.rotate(M_PI / 2);
    context.restoreGState();
    EXPECT_EQ(context.getCTM(), (AffineTransform{4, 0, 0, 8, 20, 40}));
    context.restoreGState();  // unbalanced: ignored
    EXPECT_EQ(context.gstateDepth(), 0);
    BitmapContext up({100, 100}, 1, false);
    EXPECT_FALSE(up.isFlipped());
    EXPECT_EQ(up.convertToDeviceSpace(Point(0, 0)), Point(0, 100));
}

TEST(GraphicsContextState, ClearRectIgnoresAlphaAndShadow)
{
    BitmapContext context({100, 100}, 1);
    context.fillRect(Rect(0, 0, 100, 100));
    context.setAlpha(0.2);
    context.setShadow({10, 10}, 0, Color(0, 0, 0, 1));
    context.clearRect(Rect(20, 20, 20, 20));
    const QImage image = context.bitmap();
    EXPECT_EQ(alphaAt(image, 30, 30), 0);
    EXPECT_EQ(alphaAt(image, 45, 15), 255);
}

TEST(GraphicsContextState, CurrentContextNests)
{
    EXPECT_EQ(GraphicsContext::current(), nullptr);
    BitmapContext outer({1, 1}, 1);
    {
        CurrentContext a(outer);
        Image::drawn({2, 2}, 1, [&](GraphicsContext& inner) { EXPECT_EQ(GraphicsContext::current(), &inner); });
        EXPECT_EQ(GraphicsContext::current(), &outer);
    }
    EXPECT_EQ(GraphicsContext::current(), nullptr);
}

} // namespace
} // namespace pf

namespace pf {
namespace {

// Glyphs fill with the fill colour and cast the shadow like any other drawing.
TEST(GraphicsContextGlyphs, FilledAndShadowed)
{
    const QRawFont font = QRawFont::fromFont(QFont("DejaVu Sans"));
    QRawFont sized = font;
    sized.setPixelSize(60);
    ASSERT_TRUE(sized.isValid());
    QGlyphRun run;
    run.setRawFont(sized);
    const QList<quint32> glyphs = sized.glyphIndexesForString("H");
    run.setGlyphIndexes(glyphs);
    run.setPositions({QPointF(0, 0)});
    BitmapContext context({140, 100}, 1);
    context.setFillColor(Color(1, 0, 0, 1));
    context.setShadow({60, 0}, 0, Color(0, 0, 1, 1));
    context.drawGlyphRun(run, {10, 80});
    const QImage image = context.bitmap();
    int red = 0;
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c == QColor(255, 0, 0) ? 1 : 0;
            blue += c == QColor(0, 0, 255) ? 1 : 0;
        }
    EXPECT_GT(red, 300);
    EXPECT_NEAR(blue, red, red / 10) << "the shadow is the glyph's shape";
}

} // namespace
} // namespace pf
