// Resizing a 40-character resizing text 100 times, each resize followed by a draw as the canvas does,
// with the font search cached per text and width against the same work with the cache off, and against
// the floor of one bare search per resize. Then 100 redraws of an unchanged outlined text, keeping its
// glyph outlines against gathering them on every draw.
#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/ResizeText.h"
#include "shapes/ShapeKinds.h"

#include <benchmark/benchmark.h>

namespace {

const QString forty = QStringLiteral("Forty characters of text, resized often.");

std::shared_ptr<ResizeText> resizingText()
{
    static const bool registered = [] {
        registerShapeKinds(pf::ClassRegistry::shared());
        return true;
    }();
    (void)registered;
    auto shape = Shape::make<ResizeText>(pf::Rect(0, 0, 300, 40));
    pf::TextAttributes a;
    a.font = pf::Font(QStringLiteral("Helvetica"), 12);
    shape->setAttributedText(pf::AttributedString(forty, a));
    shape->clearTextAttributes();
    return shape;
}

void resizeAndDraw(benchmark::State& state, bool cached)
{
    ResizeText::setFitCacheEnabled(cached);
    auto shape = resizingText();
    pf::RecordingContext context;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            shape->setFrame(pf::Rect(0, 0, 200 + 3 * i, 40));
            shape->drawTextInContext(context);
            context.clearCalls();
        }
    }
    ResizeText::setFitCacheEnabled(true);
}

void BM_ResizeText_100Resizes_Cached(benchmark::State& state) { resizeAndDraw(state, true); }
void BM_ResizeText_100Resizes_Uncached(benchmark::State& state) { resizeAndDraw(state, false); }

void BM_ResizeText_100BareSearches(benchmark::State& state)
{
    pf::TextAttributes a;
    a.font = pf::Font(QStringLiteral("Helvetica"), 12);
    const pf::AttributedString text(forty, a);
    for (auto _ : state)
        for (int i = 0; i < 100; ++i)
            benchmark::DoNotOptimize(ResizeText::fittedFontSize(text, 200 + 3 * i));
}

void redraw(benchmark::State& state, bool keepOutlines)
{
    auto shape = resizingText();
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(1);
    shape->setStrokeColor(pf::Color(1, 0, 0, 1));
    pf::RecordingContext context;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            if (!keepOutlines)
                shape->clearBorderPaths();
            shape->drawTextInContext(context);
            context.clearCalls();
        }
    }
}

void BM_ResizeText_100Redraws_KeptOutlines(benchmark::State& state) { redraw(state, true); }
void BM_ResizeText_100Redraws_GatheredEachDraw(benchmark::State& state) { redraw(state, false); }

BENCHMARK(BM_ResizeText_100Redraws_KeptOutlines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeText_100Redraws_GatheredEachDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeText_100Resizes_Cached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeText_100Resizes_Uncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeText_100BareSearches)->Unit(benchmark::kMillisecond);

} // namespace
