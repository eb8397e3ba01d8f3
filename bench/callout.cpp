// Callout rebuilds (each an ellipse united with the tail) against QPainterPath's union of the same
// ellipse and triangle, which flattens the curves to polygons, in the same run.
#include "geometry/FBPathBoolean.h"
#include "shapes/Callout.h"

#include <benchmark/benchmark.h>

#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

constexpr int rebuilds = 1000;
const pf::Rect bubble(0, 0, 100, 70);

// Tips all around the bubble, near and far.
pf::Point tipAt(int i)
{
    const double a = 2 * std::numbers::pi * i / rebuilds, r = 45 + (i % 7) * 20;
    return {50 + r * std::cos(a), 35 + r * std::sin(a)};
}

// The tail as the callout builds it: base of half-width 10 through the centre, across the tip.
pf::Path tail(const pf::Point& t)
{
    const pf::Point c(50, 35);
    const double a = std::atan2(t.y - c.y, t.x - c.x);
    pf::Path p;
    p.moveTo(t);
    p.lineTo({c.x + 10 * std::sin(a), c.y - 10 * std::cos(a)});
    p.lineTo({c.x - 10 * std::sin(a), c.y + 10 * std::cos(a)});
    p.close();
    return p;
}

void BM_CalloutRebuilds(benchmark::State& state)
{
    std::vector<std::shared_ptr<Callout>> callouts;
    for (int i = 0; i < rebuilds; ++i) {
        callouts.push_back(Shape::make<Callout>(bubble));
        callouts.back()->setStrokeLineWidth(1);
        callouts.back()->setTailTip(tipAt(i));
    }
    for (auto _ : state)
        for (const auto& callout : callouts) {
            callout->jiggleFrameWithoutUndo();
            benchmark::DoNotOptimize(callout->path().elementCount());
        }
    state.SetItemsProcessed(state.iterations() * rebuilds);
}
BENCHMARK(BM_CalloutRebuilds)->Unit(benchmark::kMillisecond);

void BM_UnionsOwn(benchmark::State& state)
{
    const pf::Path oval = pf::Path::oval(bubble);
    for (auto _ : state)
        for (int i = 0; i < rebuilds; ++i)
            benchmark::DoNotOptimize(CGPath_FBCreateUnion(oval, tail(tipAt(i))).elementCount());
    state.SetItemsProcessed(state.iterations() * rebuilds);
}
BENCHMARK(BM_UnionsOwn)->Unit(benchmark::kMillisecond);

void BM_UnionsPeerQPainterPath(benchmark::State& state)
{
    QPainterPath oval;
    oval.addEllipse(0, 0, 100, 70);
    for (auto _ : state)
        for (int i = 0; i < rebuilds; ++i)
            benchmark::DoNotOptimize(oval.united(tail(tipAt(i)).toQt()).elementCount());
    state.SetItemsProcessed(state.iterations() * rebuilds);
}
BENCHMARK(BM_UnionsPeerQPainterPath)->Unit(benchmark::kMillisecond);

} // namespace
