// The cost of drawing a full page: 1,000 rectangles with a linear gradient fill and a 2-point stroke, into
// a 2,000 x 2,000 bitmap as the canvas draws at 100 % (on screen, half-point offset), with the fill and
// stroke shadows of the built-in style (offset 2, blur 3, black at 25 %) shown or hidden. The peer draws
// the same rectangles, gradients and strokes straight through QPainter, without our context or layers.
// A second page mixes outlines (ellipses, rounded rects, stars, lines with arrowheads) against the same
// content through QPainter.
#include "model/Rectangle.h"
#include "model/Shape.h"
#include "support/QuietShapePage.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/PainterContext.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr int side = 2000;
constexpr int columns = 40; // 40 x 25 cells of 50 x 80 points
constexpr int rows = 25;

const pf::Color light(0.95, 0.95, 1.0, 1.0);
const pf::Color dark(0.3, 0.4, 0.8, 1.0);
const pf::Color strokeColour(0.1, 0.1, 0.2, 1.0);

pf::Rect cell(int i)
{
    return pf::Rect((i % columns) * 50.0 + 5, (i / columns) * 80.0 + 5, 40, 70);
}

// What each rectangle draws: everything, or one part, to see where the time goes.
enum Content { GradientAndStroke = 0, GradientOnly = 1, StrokeOnly = 2, SolidFillOnly = 3 };

// Shapes take their style from the user defaults: use empty ones, never the user's.
void useEmptyDefaults()
{
    static const auto usersDefaults =
        pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
}

std::vector<std::shared_ptr<Shape>> page(QuietShapePage& owner, bool shadows, Content content)
{
    useEmptyDefaults();
    std::vector<std::shared_ptr<Shape>> shapes;
    for (int i = 0; i < columns * rows; ++i) {
        auto shape = Shape::make<Rectangle>(cell(i));
        shape->setComposition(&owner);
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(2);
        shape->setStrokeColor(strokeColour);
        for (auto setHidden : {&Shape::setFillShadowHidden, &Shape::setStrokeShadowHidden})
            (shape.get()->*setHidden)(!shadows);
        shape->setFillShadowColor(pf::Color(0, 0, 0, 0.25));
        shape->setStrokeShadowColor(pf::Color(0, 0, 0, 0.25));
        for (auto set : {&Shape::setFillShadowOffsetX, &Shape::setFillShadowOffsetY, &Shape::setStrokeShadowOffsetX,
                         &Shape::setStrokeShadowOffsetY})
            (shape.get()->*set)(2);
        shape->setFillShadowBlur(3);
        shape->setStrokeShadowBlur(3);
        if (content == StrokeOnly)
            shape->setFillType(5);
        if (content == SolidFillOnly) {
            shape->setFillType(0);
            shape->setFillColor(dark);
        }
        if (content == GradientOnly || content == SolidFillOnly)
            shape->setStrokeType(3);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

// Frame after frame, the shapes as the canvas draws them at 100 %: on screen, half a point in.
void drawFrames(benchmark::State& state, const std::vector<std::shared_ptr<Shape>>& shapes)
{
    const pf::Rect everything(0, 0, side, side);
    for (auto _ : state) {
        pf::BitmapContext context(pf::Size(side, side), 1.0, true, true);
        context.translate(0.5, 0.5);
        for (const auto& shape : shapes)
            shape->drawInContextDirtyRect(context, everything);
        benchmark::DoNotOptimize(context.bitmap().constBits());
    }
    state.counters["shapes"] = double(shapes.size());
}

// Frame after frame, what paint draws into a transparent image of the same size.
template <class Paint>
void paintFrames(benchmark::State& state, const Paint& paint)
{
    for (auto _ : state) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void drawPage(benchmark::State& state, bool shadows)
{
    QuietShapePage owner;
    drawFrames(state, page(owner, shadows, Content(state.range(0))));
}

void BM_ShapesWithShadows(benchmark::State& state) { drawPage(state, true); }
void BM_ShapesWithoutShadows(benchmark::State& state) { drawPage(state, false); }

// The same fills and strokes through QPainter alone, content for content.
void BM_QPainterPeer(benchmark::State& state)
{
    const auto content = Content(state.range(0));
    const bool fills = content != StrokeOnly;
    const bool strokes = content == GradientAndStroke || content == StrokeOnly;
    paintFrames(state, [&](QPainter& p) {
        const QPen pen(strokeColour.toQt(), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        for (int i = 0; i < columns * rows; ++i) {
            // Where the canvas puts them at 100 %: the fill half a point in (on whole pixels when nothing
            // strokes it), the even stroke one point.
            const QRectF r = cell(i).toQt().translated(strokes ? 0.5 : 0, strokes ? 0.5 : 0);
            if (fills && content == SolidFillOnly) {
                p.fillRect(r, dark.toQt());
            }
            else if (fills) {
                QLinearGradient g(r.center().x(), r.top(), r.center().x(), r.bottom());
                g.setColorAt(0, light.toQt());
                g.setColorAt(1, dark.toQt());
                p.fillRect(r, g);
            }
            if (strokes) {
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell(i).toQt().translated(1, 1));
            }
        }
    });
}

// ---- the mixed page ----
// Until the outline kinds land here, a bench-only kind draws each outline from the path builders; the
// page and its peer stay the same when the real kinds replace it.

enum class Outline { Ellipse, RoundedRect, Star, Arrow };

constexpr double cornerRadius = 8;
constexpr double headLength = 10;
constexpr double headHalfWidth = 5;

// Five points, alternating between the outer and the inner radius, first point up.
QPolygonF starPoints(const pf::Rect& r)
{
    QPolygonF points;
    const double cx = r.midX(), cy = r.midY();
    const double outer = std::min(r.width(), r.height()) / 2;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? outer * 0.45 : outer;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        points << QPointF(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
    }
    return points;
}

// The shaft of an arrow along the middle of its frame, and its head at the right end.
QLineF shaft(const pf::Rect& r) { return {r.minX(), r.midY(), r.maxX() - headLength, r.midY()}; }

QPolygonF head(const pf::Rect& r)
{
    return QPolygonF({QPointF(r.maxX() - headLength, r.midY() - headHalfWidth), QPointF(r.maxX(), r.midY()),
                      QPointF(r.maxX() - headLength, r.midY() + headHalfWidth)});
}

template <Outline kind>
class BenchOutline : public Rectangle {
public:
    void appendPath(pf::Path& path) const override
    {
        const pf::Rect r = frame();
        if constexpr (kind == Outline::Ellipse) {
            path.appendOval(r);
        }
        else if constexpr (kind == Outline::RoundedRect) {
            path.appendRoundedRect(r, cornerRadius, cornerRadius);
        }
        else if constexpr (kind == Outline::Star) {
            const QPolygonF star = starPoints(r);
            path.moveTo(pf::Point::fromQt(star[0]));
            for (const QPointF& p : star.mid(1))
                path.lineTo(pf::Point::fromQt(p));
            path.close();
        }
        else {
            const QLineF line = shaft(r);
            path.moveTo(pf::Point::fromQt(line.p1()));
            path.lineTo(pf::Point::fromQt(line.p2()));
        }
    }

    // The head is filled in the stroke colour, as arrowheads are.
    void drawArrowsInContext(pf::GraphicsContext& context) override
    {
        if constexpr (kind == Outline::Arrow) {
            if (!arrowHead_) {
                const QPolygonF corners = head(frame());
                arrowHead_.emplace();
                arrowHead_->moveTo(pf::Point::fromQt(corners[0]));
                arrowHead_->lineTo(pf::Point::fromQt(corners[1]));
                arrowHead_->lineTo(pf::Point::fromQt(corners[2]));
                arrowHead_->close();
            }
            context.setFillColor(*strokeColor());
            context.fillPath(*arrowHead_);
        }
    }

private:
    std::optional<pf::Path> arrowHead_;
};

Outline outlineOf(int i) { return Outline((i + i / columns) % 4); }

// Ellipses with the gradient and an even stroke, rounded rects with a solid fill and an odd stroke, stars
// with a solid fill and an even stroke, arrows with an even stroke.
std::vector<std::shared_ptr<Shape>> mixedPage(QuietShapePage& owner)
{
    useEmptyDefaults();
    std::vector<std::shared_ptr<Shape>> shapes;
    for (int i = 0; i < columns * rows; ++i) {
        std::shared_ptr<Shape> shape;
        switch (outlineOf(i)) {
        case Outline::Ellipse: shape = Shape::make<BenchOutline<Outline::Ellipse>>(cell(i)); break;
        case Outline::RoundedRect: shape = Shape::make<BenchOutline<Outline::RoundedRect>>(cell(i)); break;
        case Outline::Star: shape = Shape::make<BenchOutline<Outline::Star>>(cell(i)); break;
        case Outline::Arrow: shape = Shape::make<BenchOutline<Outline::Arrow>>(cell(i)); break;
        }
        shape->setComposition(&owner);
        shape->setFillShadowHidden(true);
        shape->setStrokeShadowHidden(true);
        shape->setStrokeType(0);
        shape->setStrokeColor(strokeColour);
        shape->setStrokeLineWidth(outlineOf(i) == Outline::RoundedRect ? 1 : 2);
        switch (outlineOf(i)) {
        case Outline::Ellipse:
            shape->setFillType(1);
            shape->setFillAngle(90);
            shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
            break;
        case Outline::RoundedRect:
        case Outline::Star:
            shape->setFillType(0);
            shape->setFillColor(dark);
            break;
        case Outline::Arrow:
            shape->setFillType(5);
            break;
        }
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

void BM_MixedShapes(benchmark::State& state)
{
    QuietShapePage owner;
    drawFrames(state, mixedPage(owner));
}

// The mixed page through QPainter: fills half a point in, even strokes one point, odd strokes half a point
// (where the canvas puts them at 100 %), solid butt-capped strokes with mitred joins; arrowheads are fills.
void BM_MixedQPainterPeer(benchmark::State& state)
{
    paintFrames(state, [](QPainter& p) {
        const QPen even(strokeColour.toQt(), 2, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
        const QPen odd(strokeColour.toQt(), 1, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
        for (int i = 0; i < columns * rows; ++i) {
            const pf::Rect r = cell(i);
            const QRectF fill = r.toQt().translated(0.5, 0.5);
            const QRectF evenStroke = r.toQt().translated(1, 1);
            switch (outlineOf(i)) {
            case Outline::Ellipse: {
                QLinearGradient g(fill.center().x(), fill.top(), fill.center().x(), fill.bottom());
                g.setColorAt(0, light.toQt());
                g.setColorAt(1, dark.toQt());
                p.setPen(Qt::NoPen);
                p.setBrush(g);
                p.drawEllipse(fill);
                p.setPen(even);
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(evenStroke);
                break;
            }
            case Outline::RoundedRect:
                p.setPen(Qt::NoPen);
                p.setBrush(dark.toQt());
                p.drawRoundedRect(fill, cornerRadius, cornerRadius);
                p.setPen(odd);
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(fill, cornerRadius, cornerRadius);
                break;
            case Outline::Star:
                p.setPen(Qt::NoPen);
                p.setBrush(dark.toQt());
                p.drawPolygon(starPoints(r).translated(0.5, 0.5));
                p.setPen(even);
                p.setBrush(Qt::NoBrush);
                p.drawPolygon(starPoints(r).translated(1, 1));
                break;
            case Outline::Arrow:
                p.setPen(even);
                p.drawLine(shaft(r).translated(1, 1));
                p.setPen(Qt::NoPen);
                p.setBrush(strokeColour.toQt());
                p.drawPolygon(head(r).translated(0.5, 0.5));
                break;
            }
        }
    });
}

// Argument: the Content drawn (0 is the full page; 1 to 3 break it down).
BENCHMARK(BM_ShapesWithShadows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapesWithoutShadows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterPeer)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedShapes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedQPainterPeer)->Unit(benchmark::kMillisecond);

} // namespace
