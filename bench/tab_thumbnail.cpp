// The cost of a page tab's picture: a page of 1,000 mixed shapes (ellipses with a gradient, rounded rects,
// stars, rectangles; 800 x 600 points) drawn into the picture of a 70 x 83 tab (61 x 45 points, scale
// 61 / 800) at pixel ratios 1 and 2. Refreshing the kept picture is compared with QPainter drawing the same
// shapes scaled into an image of the same size; a repaint of the tab from the kept picture is measured
// against the same peer.
//
// After a small edit on a large page (one shape moved 3 points, on pages of 1,000 and 10,000 shapes, the
// taller page drawn at the smaller scale of its height), the kept picture redraws the edit's area alone:
// BM_ThumbnailAfterSmallEdit beside its peer BM_ThumbnailWholeAfterSmallEdit, the whole render the
// picture cost before.
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

// One shape in the page's middle, moved 3 points across and back on alternate iterations.
struct SmallEdit {
    explicit SmallEdit(int shapes)
        : page(mixedpage::page(shapes)), geometry(TKPageThumbnailGeometry::forPage(page->frame().size, square)),
          moved(page->children()[std::size_t(shapes / 2 + columns / 2)]), frame(moved->frame())
    {
    }
    void step(int n)
    {
        moved->setFrame(frame.offsetBy(3.0 * (n % 2), 0));
    }
    std::shared_ptr<Composition> page;
    TKPageThumbnailGeometry geometry;
    std::shared_ptr<Shape> moved;
    pf::Rect frame;
};

void BM_ThumbnailAfterSmallEdit(benchmark::State& state)
{
    SmallEdit edit(int(state.range(0)));
    auto picture = TKPageThumbnailImage::render(*edit.page, edit.geometry, 1);
    std::uint64_t seen = edit.page->displayChangeCount();
    int n = 0;
    for (auto _ : state) {
        edit.step(++n);
        const auto area = edit.page->displayChangesSince(seen);
        if (!area || area->isNull() || !picture.redrawArea(*edit.page, edit.geometry, 1, *area)) {
            state.SkipWithError("the edit's area was not redrawn alone");
            break;
        }
        seen = edit.page->displayChangeCount();
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

void BM_ThumbnailWholeAfterSmallEdit(benchmark::State& state)
{
    SmallEdit edit(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        edit.step(++n);
        auto picture = TKPageThumbnailImage::render(*edit.page, edit.geometry, 1);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

} // namespace

BENCHMARK(BM_ThumbnailAfterSmallEdit)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailWholeAfterSmallEdit)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailAfterSmallEdit)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailWholeAfterSmallEdit)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailRefresh)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailQPainterPeer)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailRepaintFromKeptImage)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

