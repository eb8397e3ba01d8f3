// Containment and bounds of pf::Path against QPainterPath on the same closed curve outline. Qt caches
// its bounding rect, so both sides move one point before each bounds query to measure the computation.

#include "platform/graphics/Path.h"

#include <QPainterPath>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// A closed star-like outline of cubics round (0, 0) with radii varying in [60, 140].
pf::Path curveOutline(int curves)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> radius(60, 140);
    pf::Path p;
    auto at = [&](double angle, double r) { return pf::Point(r * std::cos(angle), r * std::sin(angle)); };
    const double step = 2 * M_PI / curves;
    p.moveTo(at(0, 100));
    for (int i = 0; i < curves; ++i) {
        const double a = i * step;
        p.curveTo(at(a + step / 3, radius(random)), at(a + 2 * step / 3, radius(random)),
                  i + 1 == curves ? pf::Point(100, 0) : at(a + step, radius(random)));
    }
    p.close();
    return p;
}

std::vector<pf::Point> queryPoints()
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-150, 150);
    std::vector<pf::Point> points(256);
    for (pf::Point& p : points)
        p = {coordinate(random), coordinate(random)};
    return points;
}

void ContainsOurs(benchmark::State& state)
{
    const pf::Path path = curveOutline(int(state.range(0)));
    const std::vector<pf::Point> points = queryPoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(path.containsPoint(points[i++ & 255]));
    }
}

void ContainsQt(benchmark::State& state)
{
    const QPainterPath path = curveOutline(int(state.range(0))).toQt();
    std::vector<QPointF> points;
    for (const pf::Point& p : queryPoints())
        points.push_back(p.toQt());
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(path.contains(points[i++ & 255]));
    }
}

void BoundsOurs(benchmark::State& state)
{
    pf::Path path = curveOutline(int(state.range(0)));
    double x = 100;
    for (auto _ : state) {
        x = x == 100 ? 100.5 : 100;
        const pf::Point p(x, 0);
        path.setElementPoints(0, std::span(&p, 1));
        benchmark::DoNotOptimize(path.bounds());
    }
}

void BoundsQt(benchmark::State& state)
{
    QPainterPath path = curveOutline(int(state.range(0))).toQt();
    double x = 100;
    for (auto _ : state) {
        x = x == 100 ? 100.5 : 100;
        path.setElementPositionAt(0, x, 0);
        benchmark::DoNotOptimize(path.boundingRect());
    }
}

} // namespace

BENCHMARK(ContainsOurs)->Arg(8)->Arg(64);
BENCHMARK(ContainsQt)->Arg(8)->Arg(64);
BENCHMARK(BoundsOurs)->Arg(8)->Arg(64);
BENCHMARK(BoundsQt)->Arg(8)->Arg(64);

