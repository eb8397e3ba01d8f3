// The cost of a page tab's picture: a page of 1,000 mixed shapes (ellipses with a gradient, rounded rects,
// stars, rectangles; 800 x 600 points) drawn into the picture of a 70 x 83 tab (61 x 45 points, scale
// 61 / 800) at pixel ratios 1 and 2. Refreshing the kept picture is compared with QPainter drawing the same
// shapes scaled into an image of the same size; a repaint of the tab from the kept picture is measured
// against the same peer.
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"
#include "shapes/SimpleOutlines.h"
#include "shapes/StarPolygonCylinder.h"
#include "shell/TKTabListItem.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr int columns = 40; // 40 x 25 cells of 20 x 24 points
constexpr int rows = 25;
const pf::Color light(0.95, 0.95, 1.0, 1.0);
const pf::Color dark(0.3, 0.4, 0.8, 1.0);
const pf::Color strokeColour(0.1, 0.1, 0.2, 1.0);

pf::Rect cell(int i)
{
    return pf::Rect((i % columns) * 20.0 + 2, (i / columns) * 24.0 + 2, 16, 20);
}

enum class Kind { Ellipse, RoundedRect, Star, Rect };
Kind kindOf(int i) { return Kind((i + i / columns) % 4); }

std::shared_ptr<Composition> mixedPage()
{
    // Shapes take their style from the user defaults: use empty ones, never the user's.
    static const auto usersDefaults = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(800);
    metrics->setHeight(600);
    auto page = Composition::make(metrics);
    for (int i = 0; i < columns * rows; ++i) {
        std::shared_ptr<Shape> shape;
        switch (kindOf(i)) {
        case Kind::Ellipse: shape = Shape::make<Ellipse>(cell(i)); break;
        case Kind::RoundedRect: shape = Shape::make<RoundRectangle>(cell(i)); break;
        case Kind::Star: shape = Shape::make<Star>(cell(i)); break;
        case Kind::Rect: shape = Shape::make<Rectangle>(cell(i)); break;
        }
        shape->setFillShadowHidden(true);
        shape->setStrokeShadowHidden(true);
        shape->setStrokeType(0);
        shape->setStrokeColor(strokeColour);
        shape->setStrokeLineWidth(1);
        if (kindOf(i) == Kind::Ellipse) {
            shape->setFillType(1);
            shape->setFillAngle(90);
            shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
        } else {
            shape->setFillType(0);
            shape->setFillColor(dark);
        }
        page->addShape(shape);
    }
    return page;
}

QPolygonF starPoints(const QRectF& r)
{
    QPolygonF points;
    const double outer = std::min(r.width(), r.height()) / 2;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? outer * 0.45 : outer;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        points << QPointF(r.center().x() + radius * std::cos(angle), r.center().y() + radius * std::sin(angle));
    }
    return points;
}

const pf::Rect square(4, 17.5, 61, 61); // the thumbnail square of a 70 x 83 tab

void BM_ThumbnailRefresh(benchmark::State& state)
{
    auto page = mixedPage();
    const auto geometry = TKPageThumbnailGeometry::forPage({800, 600}, square);
    const double ratio = double(state.range(0));
    for (auto _ : state) {
        auto picture = TKPageThumbnailImage::render(*page, geometry, ratio);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

// The same shapes through QPainter, scaled into an image of the picture's size: white, then each shape's
// fill and one-point stroke.
void BM_ThumbnailQPainterPeer(benchmark::State& state)
{
    const auto geometry = TKPageThumbnailGeometry::forPage({800, 600}, square);
    const double ratio = double(state.range(0));
    const pf::Rect p = geometry.pictureRect;
    const QSize pixels(int(std::ceil((std::ceil(p.maxX()) - std::floor(p.minX())) * ratio)),
                       int(std::ceil((std::ceil(p.maxY()) - std::floor(p.minY())) * ratio)));
    const QPen pen(strokeColour.toQt(), 1, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
    for (auto _ : state) {
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(ratio, ratio);
        painter.fillRect(QRectF(0.5, 0.5, p.width(), p.height()), Qt::white);
        painter.setClipRect(QRectF(0.5, 0.5, p.width(), p.height()));
        painter.translate(0.5, 0.5);
        painter.scale(geometry.scale, geometry.scale);
        for (int i = 0; i < columns * rows; ++i) {
            const QRectF r = cell(i).toQt();
            painter.setPen(pen);
            switch (kindOf(i)) {
            case Kind::Ellipse: {
                QLinearGradient g(r.center().x(), r.top(), r.center().x(), r.bottom());
                g.setColorAt(0, light.toQt());
                g.setColorAt(1, dark.toQt());
                painter.setBrush(g);
                painter.drawEllipse(r);
                break;
            }
            case Kind::RoundedRect:
                painter.setBrush(dark.toQt());
                painter.drawRoundedRect(r, 4, 4);
                break;
            case Kind::Star:
                painter.setBrush(dark.toQt());
                painter.drawPolygon(starPoints(r));
                break;
            case Kind::Rect:
                painter.setBrush(dark.toQt());
                painter.drawRect(r);
                break;
            }
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// A repaint of the tab's picture from the kept image, into a tab-sized bitmap.
void BM_ThumbnailRepaintFromKeptImage(benchmark::State& state)
{
    auto page = mixedPage();
    const auto geometry = TKPageThumbnailGeometry::forPage({800, 600}, square);
    const double ratio = double(state.range(0));
    const auto picture = TKPageThumbnailImage::render(*page, geometry, ratio);
    const pf::Image kept(picture.image, picture.rect.size);
    for (auto _ : state) {
        pf::BitmapContext context(pf::Size(70, 83), ratio);
        context.drawImage(kept, picture.rect);
        benchmark::DoNotOptimize(context.bitmap().constBits());
    }
}

} // namespace

BENCHMARK(BM_ThumbnailRefresh)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailQPainterPeer)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailRepaintFromKeptImage)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
