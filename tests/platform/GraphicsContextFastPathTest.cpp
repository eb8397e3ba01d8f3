// Rects and straight lines take QPainter's rect fills instead of general paths and strokers. They must
// paint what the general path paints: each case is drawn through the context and, as the reference,
// straight through QPainter with the same path, pen and transform.
#include "GraphicsContextTestSupport.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/PainterContext.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace pf {
namespace {

constexpr Color ink{0.2, 0.4, 0.8, 0.9};
constexpr int side = 64;

// The largest difference of any channel of any pixel.
int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return worst;
}

QImage reference(const AffineTransform& ctm, const std::function<void(QPainter&)>& paint)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(ctm.toQt());
    paint(p);
    return image;
}

QPen referencePen(const LineStyle& style)
{
    QPen pen(ink.toQt(), style.width);
    pen.setCapStyle(style.cap == LineCap::Square ? Qt::SquareCap : style.cap == LineCap::Round ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(style.join == LineJoin::Miter ? Qt::SvgMiterJoin : style.join == LineJoin::Round ? Qt::RoundJoin : Qt::BevelJoin);
    pen.setMiterLimit(style.miterLimit);
    return pen;
}

Path line(Point from, Point to)
{
    Path p;
    p.moveTo(from);
    p.lineTo(to);
    return p;
}

const AffineTransform halfPoint = AffineTransform::translation(0.5, 0.5);
const AffineTransform zoomed = AffineTransform{1.5, 0, 0, 1.5, 0.25, 0.5};
const AffineTransform quarterTurn = AffineTransform{0, 1, -1, 0, 60, 0};
const AffineTransform yUp = AffineTransform{1, 0, 0, -1, 0, side};

// Whole-pixel results are the same bytes; elsewhere the rect rasteriser and the path rasteriser may round a
// partly covered pixel differently by a level.
TEST(GraphicsContextFastPaths, FillsPaintWhatThePathPaints)
{
    struct Case {
        const char* name;
        Rect rect;
        AffineTransform ctm;
        int tolerance;
    };
    const Case cases[] = {
        {"whole pixels", Rect(4, 6, 30, 20), {}, 0},
        {"half pixels", Rect(4, 6, 30, 20), halfPoint, 1},
        {"quarter pixels", Rect(4.25, 6.75, 30.5, 20.25), {}, 1},
        {"zoomed", Rect(4, 6, 30, 20), zoomed, 1},
        {"quarter turn", Rect(4, 6, 30, 20), quarterTurn, 0},
        {"y up", Rect(4.5, 6, 30, 20.5), yUp, 1},
    };
    for (const Case& c : cases) {
        const Path path = Path::rect(c.rect);
        BitmapContext context(Size(side, side), 1);
        context.concat(c.ctm);
        context.setFillColor(ink);
        context.fillPath(path);
        const QImage expected = reference(c.ctm, [&](QPainter& p) { p.fillPath(path.toQt(), ink.toQt()); });
        EXPECT_LE(largestDifference(context.bitmap(), expected), c.tolerance) << c.name;
    }
}

TEST(GraphicsContextFastPaths, GradientsInRectsPaintWhatThePathPaints)
{
    const Gradient gradient(Color(1, 0, 0, 1), Color(0, 0, 1, 0.5));
    BitmapContext context(Size(side, side), 1);
    context.concat(halfPoint);
    QImage expected = reference(halfPoint, [](QPainter&) {});
    // The same gradient twice, at two places: the brush kept from the first must not paint the second.
    for (const Rect& r : {Rect(2, 2, 30, 20), Rect(10.5, 30, 40, 25)}) {
        const Path path = Path::rect(r);
        context.drawLinearGradientInPath(gradient, path, 90);
        QPainter p(&expected);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(halfPoint.toQt());
        QLinearGradient q(r.midX(), r.minY(), r.midX(), r.maxY());
        gradient.applyTo(q);
        p.fillPath(path.toQt(), q);
    }
    EXPECT_LE(largestDifference(context.bitmap(), expected), 1);
}

// Rings of mitred rects and bands of straight lines on whole pixels are filled as rects; every other
// stroke (fractional edges, bevels, round caps, rings without a hole) goes through QPainter's stroker.
TEST(GraphicsContextFastPaths, StrokesPaintWhatTheStrokerPaints)
{
    struct Case {
        const char* name;
        Path path;
        LineStyle style;
        AffineTransform ctm;
    };
    const LineStyle two{2, LineCap::Butt, LineJoin::Miter, 10, {}, 0};
    const LineStyle three{3, LineCap::Butt, LineJoin::Miter, 10, {}, 0};
    const Case cases[] = {
        {"ring on pixels", Path::rect(Rect(5, 5, 30, 20)), two, {}},
        {"odd ring on pixels", Path::rect(Rect(5.5, 5.5, 30, 20)), three, {}},
        {"ring, canvas offset", Path::rect(Rect(5.5, 5.5, 30, 20)), two, halfPoint},
        {"ring zoomed", Path::rect(Rect(4, 4, 20, 20)), two, AffineTransform::scale(2, 2)},
        {"ring turned a quarter", Path::rect(Rect(5, 5, 30, 20)), two, quarterTurn},
        {"ring off pixels", Path::rect(Rect(5.25, 5, 30, 20)), two, {}},
        {"bevelled ring", Path::rect(Rect(5, 5, 30, 20)), LineStyle{2, LineCap::Butt, LineJoin::Miter, 1, {}, 0}, {}},
        {"round ring", Path::rect(Rect(5, 5, 30, 20)), LineStyle{2, LineCap::Butt, LineJoin::Round, 10, {}, 0}, {}},
        {"ring without a hole", Path::rect(Rect(10, 10, 3, 20)), LineStyle{4, LineCap::Butt, LineJoin::Miter, 10, {}, 0}, {}},
        // Off whole pixels a rect in Qt's order is stroked by QPainter::drawRect.
        {"thumbnail ring", Path::rect(Rect(53.3, 71.1, 600, 400)), three, AffineTransform::scale(0.076, 0.076)},
        {"hairline ring turned", Path::rect(Rect(10.2, 12.7, 30, 20)), LineStyle{0.5, LineCap::Butt, LineJoin::Miter, 10, {}, 0},
         AffineTransform{0.955, 0.296, -0.296, 0.955, 12, 0}},
        {"ring upside down", Path::rect(Rect(5.25, 5.5, 30, 20)), two, yUp},
        {"wide bevelled ring off pixels", Path::rect(Rect(8.4, 9.6, 30, 20)), LineStyle{5, LineCap::Square, LineJoin::Bevel, 10, {}, 0}, zoomed},
        {"horizontal line", line({5, 10}, {50, 10}), two, {}},
        {"vertical line, square cap", line({20, 50}, {20, 8}), LineStyle{4, LineCap::Square, LineJoin::Miter, 10, {}, 0}, {}},
        {"line, round cap", line({5, 10}, {50, 10}), LineStyle{4, LineCap::Round, LineJoin::Miter, 10, {}, 0}, {}},
        {"line off pixels", line({5, 10.25}, {50, 10.25}), two, {}},
        {"slanted line", line({5, 10}, {50, 30}), two, {}},
    };
    for (const Case& c : cases) {
        BitmapContext context(Size(side, side), 1);
        context.concat(c.ctm);
        context.setStrokeColor(ink);
        context.setLineWidth(c.style.width);
        context.setLineCap(c.style.cap);
        context.setLineJoin(c.style.join);
        context.setMiterLimit(c.style.miterLimit);
        context.strokePath(c.path);
        const QImage expected = reference(c.ctm, [&](QPainter& p) { p.strokePath(c.path.toQt(), referencePen(c.style)); });
        EXPECT_EQ(largestDifference(context.bitmap(), expected), 0) << c.name;
    }
}

// The pen is kept between strokes: a stroke with other settings must not use the last one's.
TEST(GraphicsContextFastPaths, EachStrokeUsesItsOwnSettings)
{
    BitmapContext context(Size(side, side), 1);
    const Path slanted = line({5, 5}, {40, 30});
    context.setStrokeColor(ink);
    context.setLineWidth(2);
    context.strokePath(slanted);
    context.setStrokeColor(Color(1, 0, 0, 1));
    context.setLineWidth(6);
    context.setLineDash(0, {4, 4});
    const Path lower = line({5, 50}, {60, 50});
    context.strokePath(lower);
    const QImage expected = reference({}, [&](QPainter& p) {
        p.strokePath(slanted.toQt(), referencePen(LineStyle{2, LineCap::Butt, LineJoin::Miter, 10, {}, 0}));
        QPen dashed(QColor(255, 0, 0), 6, Qt::CustomDashLine, Qt::FlatCap, Qt::SvgMiterJoin);
        dashed.setMiterLimit(10);
        dashed.setDashPattern({4.0 / 6, 4.0 / 6});
        p.strokePath(lower.toQt(), dashed);
    });
    EXPECT_EQ(largestDifference(context.bitmap(), expected), 0);
}

// A picture made at the pixels of a denser target (a view painted at pixel ratio 2) and put on whole pixels
// of it is copied there: the same pixels as Qt's smooth scaling, which sends it over a pool of threads.
TEST(GraphicsContextFastPaths, APictureAtADenseTargetsPixelsPaintsWhatScalingPaints)
{
    QImage picture(37, 23, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int a = (x * 7 + y * 13) % 256;
            picture.setPixel(x, y, qPremultiply(qRgba((x * 29) % 256, (y * 41) % 256, (x * y) % 256, a)));
        }
    const auto target = [] {
        QImage image(2 * side, 2 * side, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(QColor(250, 240, 200));
        return image;
    };
    struct Case {
        const char* name;
        Point at;
    };
    // On whole target pixels (half view pixels), with and without the rounding of a placement worked
    // out from the page; and off them, where both scale.
    const Case cases[] = {{"whole", {10, 12}}, {"half", {10.5, 7.5}}, {"rounded", {3.5 + 1e-9, 20 - 1e-10}},
                          {"off", {10.25, 12}}};
    for (const Case& c : cases) {
        const Rect dest(c.at.x, c.at.y, picture.width() / 2.0, picture.height() / 2.0);
        QImage drawn = target();
        {
            QPainter painter(&drawn);
            PainterContext context(painter, QRect(0, 0, side, side), {}, 1.0, true);
            EXPECT_EQ(context.targetPixelRatio(), 2);
            context.drawImage(Image(picture, dest.size), dest);
        }
        QImage expected = target();
        {
            QPainter p(&expected);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(dest.toQt(), picture);
        }
        EXPECT_EQ(largestDifference(drawn, expected), 0) << c.name;
    }
}

// A small drawing under a path clip, wholly on the target, goes through the thread's scratch layer on a
// screen; elsewhere through a layer of its own (a bitmap context that does not draw to the screen keeps
// its layers). Both must leave the same bytes: shafts cut at their heads, fills and strokes under a clip
// out of a polygon, at several scales, alphas and blend modes, one after another on the same target (the
// scratch keeps nothing of the drawing before), and drawings cut by the target's edge or too large for
// the scratch.
TEST(GraphicsContextFastPaths, ClippedDrawingsOnTheScratchLayerPaintWhatTheirOwnLayersPaint)
{
    struct Case {
        const char* name;
        double scale;
        double alpha;
        BlendMode mode;
    };
    const Case cases[] = {
        {"one to one", 1, 1, BlendMode::Normal},
        {"zoomed out (hairlines)", 0.25, 1, BlendMode::Normal},
        {"dense", 2, 1, BlendMode::Normal},
        {"fractional zoom", 0.37, 1, BlendMode::Normal},
        {"half alpha", 1, 0.5, BlendMode::Normal},
        {"multiply", 0.5, 1, BlendMode::Multiply},
    };
    constexpr double page = 400;
    const auto draw = [&](GraphicsContext& context, const Case& c) {
        context.setFillColor(Color(0.9, 0.95, 1.0, 1.0));
        context.fillRect(Rect(0, 0, page, page));
        context.scale(c.scale, c.scale);
        context.setAlpha(c.alpha);
        context.setBlendMode(c.mode);
        for (int i = 0; i < 12; ++i) {
            // A shaft with a head clipped out of its end, a filled and stroked shape under a clip out of a
            // polygon; the last ones reach past the target's edge or are too large for the scratch.
            const double x = 10 + 33 * i - (i == 11 ? 60 : 0), y = 14 + 29 * i;
            const double w = i == 10 ? 900 : 24 + i, h = 18 + i % 4;
            context.saveGState();
            Path head;
            head.moveTo(Point(x + w, y + h));
            head.lineTo(Point(x + w - 6, y + h - 1.5));
            head.lineTo(Point(x + w - 4.5, y + h - 6));
            head.close();
            Path everythingBut = Path::rect(Rect(-32767, -32767, 65535, 65535));
            everythingBut.append(head);
            context.clip(everythingBut, WindingRule::EvenOdd);
            context.setStrokeColor(Color(0.1 * (i % 3), 0.05, 0.2, 1.0));
            context.setLineWidth(1 + i % 3);
            context.strokePath(line(Point(x, y), Point(x + w, y + h)));
            context.setFillColor(Color(0.3 + 0.05 * i, 0.6, 0.2, 0.8));
            const Path oval = Path::oval(Rect(x + w - 10, y + h - 9, 14, 12));
            context.fillPath(oval);
            context.strokePath(oval);
            context.restoreGState();
        }
    };
    for (const Case& c : cases) {
        const int pixels = int(page * std::max(c.scale, 0.5));
        BitmapContext screen(Size(pixels, pixels), 1, true, true);
        BitmapContext own(Size(pixels, pixels), 1, true, false);
        draw(screen, c);
        draw(own, c);
        EXPECT_EQ(largestDifference(screen.bitmap(), own.bitmap()), 0) << c.name;
    }
}

// A gradient running straight down the device, drawn onto a bitmap, paints its rows from colours kept
// from the frame before instead of its colour table. Each case paints what QPainter paints with the
// gradient itself, byte for byte: shapes over others (partly covered pixels blend with what is below),
// each drawn twice (the second from the kept rows) and again elsewhere (rows of another place), under
// scales with whole, half and odd offsets, a flip and a dense target's doubling; opaque, translucent and
// three-stop gradients. A gradient at an angle is painted by its table still, as the reference.
TEST(GraphicsContextFastPaths, VerticalGradientsFromKeptRowsPaintWhatTheGradientPaints)
{
    const AffineTransform quarter{0.25, 0, 0, 0.25, 0.375, 3};
    const AffineTransform dense{2, 0, 0, 2, 0.5, 0};
    const AffineTransform odd{0.37, 0, 0, 0.37, 1.1, 2.9};
    const AffineTransform flipped{1, 0, 0, -1, 0.5, side - 0.25};
    const AffineTransform cases[] = {{}, halfPoint, zoomed, quarter, dense, odd, flipped, yUp};
    const Gradient gradients[] = {
        Gradient(Color(1, 0, 0, 1), Color(0, 0, 1, 1)),
        Gradient(Color(1, 0.5, 0, 1), Color(0, 0.2, 1, 0.4)),
        Gradient({{Color(0.9, 0.9, 0.1, 1), 0}, {Color(0.1, 0.6, 0.3, 0.7), 0.3}, {Color(0.3, 0.1, 0.8, 1), 1}}),
    };
    for (const AffineTransform& ctm : cases) {
        const double k = 1 / std::fabs(ctm.a);
        // Shapes of a few rows (a tall one keeps its gradient: a texture over many spans goes to Qt's threads).
        const Rect places[] = {Rect(2 * k, 3 * k, 30 * k, 9 * k), Rect(6.5 * k, 20.25 * k, 41 * k, 12.5 * k),
                               Rect(2 * k, 3 * k, 30 * k, 9 * k), Rect(3 * k, 34.5 * k, 50 * k, 27 * k)};
        for (const double angle : {90.0, 60.0}) {
            BitmapContext context(Size(side, side), 1, true, true);
            context.concat(ctm);
            QImage expected = reference(ctm, [](QPainter&) {});
            for (size_t i = 0; i < std::size(places); ++i) {
                const Rect& r = places[i];
                const Gradient& gradient = gradients[i % std::size(gradients)];
                for (const Path& path : {Path::oval(r), Path::roundedRect(r, 3 * k, 3 * k)}) {
                    context.drawLinearGradientInPath(gradient, path, angle);
                    QPainter p(&expected);
                    p.setRenderHint(QPainter::Antialiasing);
                    p.setTransform(ctm.toQt());
                    const double turn = angle * M_PI / 180.0;
                    const double ux = angle == 90 ? 0 : std::cos(turn), uy = angle == 90 ? 1 : std::sin(turn);
                    const QRectF b = path.paintBounds().toQt();
                    const double half = b.width() / 2 * std::abs(ux) + b.height() / 2 * std::abs(uy);
                    const QPointF c = b.center();
                    QLinearGradient q(c.x() - half * ux, c.y() - half * uy, c.x() + half * ux, c.y() + half * uy);
                    gradient.applyTo(q);
                    p.fillPath(path.toQt(), q);
                }
            }
            EXPECT_EQ(largestDifference(context.bitmap(), expected), 0) << ctm.a << " " << ctm.d << " " << angle;
        }
    }
}

} // namespace
} // namespace pf
