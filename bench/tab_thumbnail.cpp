// The cost of a page tab's picture: a page of 1,000 mixed shapes (ellipses with a gradient, rounded rects,
// stars, rectangles; 800 x 600 points) drawn into the picture of a 70 x 83 tab (61 x 45 points, scale
// 61 / 800) at pixel ratios 1 and 2. Refreshing the kept picture is compared with QPainter drawing the same
// shapes scaled into an image of the same size; a repaint of the tab from the kept picture is measured
// against the same peer.
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"
#include "shell/TKTabListItem.h"
#include "support/MixedPage.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

using namespace mixedpage;

const pf::Rect square(4, 17.5, 61, 61); // the thumbnail square of a 70 x 83 tab

void BM_ThumbnailRefresh(benchmark::State& state)
{
    auto page = mixedpage::page();
    const auto geometry = TKPageThumbnailGeometry::forPage({800, 600}, square);
    const double ratio = double(state.range(0));
    for (auto _ : state) {
        auto picture = TKPageThumbnailImage::render(*page, geometry, ratio);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

// The same shapes through QPainter, scaled into an image of the picture's size: white, then each shape's
// fill and stroke. A thumbnail widens a w-point stroke to 2w + 1 points so that it still shows: the peer's
// pen is that wide too (a pen under one device pixel costs QPainter the same at any width, but only the
// same width draws the same picture).
void BM_ThumbnailQPainterPeer(benchmark::State& state)
{
    const auto geometry = TKPageThumbnailGeometry::forPage({800, 600}, square);
    const double ratio = double(state.range(0));
    const pf::Rect p = geometry.pictureRect;
    const QSize pixels(int(std::ceil((std::ceil(p.maxX()) - std::floor(p.minX())) * ratio)),
                       int(std::ceil((std::ceil(p.maxY()) - std::floor(p.minY())) * ratio)));
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
        paintShapes(painter, Shape::thumbnailLineWidthForLineWidth(1));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// A repaint of the tab's picture from the kept image, into a tab-sized bitmap.
void BM_ThumbnailRepaintFromKeptImage(benchmark::State& state)
{
    auto page = mixedpage::page();
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

