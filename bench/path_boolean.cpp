// Path booleans against QPainterPath (which flattens curves to polygons) and, when installed, lib2geom,
// on the same inputs in the same run: the corpus of the boolean tests and a stress set.
#include "../tests/geometry/FBTestPaths.h"
#include "geometry/FBPathBoolean.h"

#include <benchmark/benchmark.h>

#include <QPainterPath>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

#ifdef QUORVEL_HAVE_2GEOM
#include <2geom/intersection-graph.h>
#include <2geom/path.h>
#include <2geom/pathvector.h>
#endif

namespace {

struct Pair {
    pf::Path a;
    pf::Path b;
};

// A closed wavy loop of n cubic segments about a centre.
pf::Path wavyLoop(int n, double cx, double cy, double radius, double phase)
{
    const auto at = [&](double t) {
        const double a = 2 * std::numbers::pi * t;
        const double r = radius * (1 + 0.08 * std::sin(7 * a + phase));
        return pf::Point(cx + r * std::cos(a), cy + r * std::sin(a));
    };
    pf::Path p;
    p.moveTo(at(0));
    for (int i = 0; i < n; ++i) {
        const double t0 = double(i) / n, t1 = double(i + 1) / n, h = (t1 - t0) / 3;
        const pf::Point p0 = at(t0), p3 = at(t1);
        const pf::Point d0 = (at(t0 + 1e-6) - at(t0 - 1e-6)) * (h / 2e-6);
        const pf::Point d3 = (at(t1 + 1e-6) - at(t1 - 1e-6)) * (h / 2e-6);
        p.curveTo(p0 + d0, p3 - d3, p3);
    }
    p.close();
    return p;
}

// The corpus without its pairs holding non-finite numbers, which the peers do not survive.
const std::vector<Pair>& corpus()
{
    static const std::vector<Pair> pairs = [] {
        std::vector<Pair> result;
        for (const auto& pair : fbtest::readCorpus(std::string(QUORVEL_TEST_DATA) + "/boolean/corpus.txt"))
            if (fbtest::isFinite(pair.a) && fbtest::isFinite(pair.b))
                result.push_back({pair.a, pair.b});
        return result;
    }();
    return pairs;
}

// Star-shaped polygons of n vertices at random radii about nearby centres.
std::vector<Pair> polygons(int n)
{
    std::mt19937 random(5);
    const auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const auto star = [&](double cx, double cy) {
        std::vector<pf::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * i / n, r = uniform(60, 100);
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        return fbtest::polygon(points);
    };
    std::vector<Pair> pairs;
    for (int i = 0; i < 10; ++i)
        pairs.push_back({star(200, 200), star(200 + uniform(20, 80), 200 + uniform(-40, 40))});
    return pairs;
}

// Deeply concave stars of n vertices (points and notches alternating, radii jittered), the second turned
// and moved a little, so that their points cross each other's many times.
std::vector<Pair> crossingStars(int n)
{
    std::mt19937 random(8);
    const auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const auto star = [&](double cx, double cy, double turn) {
        std::vector<pf::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * i / n + turn, r = i % 2 ? uniform(35, 55) : uniform(85, 100);
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        return fbtest::polygon(points);
    };
    std::vector<Pair> pairs;
    for (int i = 0; i < 10; ++i)
        pairs.push_back({star(200, 200, 0), star(200 + uniform(-15, 15), 200 + uniform(-15, 15), uniform(0.02, 0.1))});
    return pairs;
}

std::vector<Pair> ellipses()
{
    std::mt19937 random(6);
    const auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    std::vector<Pair> pairs;
    for (int i = 0; i < 10; ++i)
        pairs.push_back({fbtest::oval(uniform(0, 40), uniform(0, 40), uniform(60, 120), uniform(60, 120)),
                         fbtest::oval(uniform(30, 70), uniform(30, 70), uniform(60, 120), uniform(60, 120))});
    return pairs;
}

std::vector<Pair> wavyCurves(int n)
{
    return {{wavyLoop(n, 300, 300, 200, 0), wavyLoop(n, 330, 310, 190, 1.3)},
            {wavyLoop(n, 300, 300, 150, 0.4), wavyLoop(n, 280, 320, 170, 2.1)}};
}

std::vector<pf::Path> circles()
{
    std::vector<pf::Path> shapes;
    for (int i = 0; i < 100; ++i) {
        const double a = i * 0.7;
        shapes.push_back(fbtest::oval(200 + 150 * std::cos(a) * (0.3 + i / 140.0), 200 + 150 * std::sin(a) * (0.3 + i / 140.0),
                                      60 + (i % 7) * 5, 60 + (i % 5) * 6));
    }
    return shapes;
}

std::vector<pf::Path> roundedGrid()
{
    std::vector<pf::Path> shapes;
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            shapes.push_back(fbtest::roundedRect(column * 40.0, row * 40.0, 55, 55, 12));
    return shapes;
}

const Pair& longCurves()
{
    static const Pair pair{wavyLoop(500, 300, 300, 200, 0), wavyLoop(500, 330, 310, 190, 1.3)};
    return pair;
}

// --- Peers' path forms.

QPainterPath toQt(const pf::Path& p) { return p.toQt(pf::WindingRule::EvenOdd); }

#ifdef QUORVEL_HAVE_2GEOM
Geom::PathVector to2geom(const pf::Path& path)
{
    Geom::PathVector result;
    for (const pf::PathElement& e : path.elements()) {
        const auto g = [](pf::Point p) { return Geom::Point(p.x, p.y); };
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            if (!result.empty())
                result.back().close(true);
            result.push_back(Geom::Path(g(e.points[0])));
            break;
        case pf::PathElementType::LineTo:
            result.back().appendNew<Geom::LineSegment>(g(e.points[0]));
            break;
        case pf::PathElementType::QuadTo:
            result.back().appendNew<Geom::QuadraticBezier>(g(e.points[0]), g(e.points[1]));
            break;
        case pf::PathElementType::CurveTo:
            result.back().appendNew<Geom::CubicBezier>(g(e.points[0]), g(e.points[1]), g(e.points[2]));
            break;
        case pf::PathElementType::Close:
            break;
        }
    }
    if (!result.empty())
        result.back().close(true);
    return result;
}
#endif

// --- The operations, 0 union, 1 intersection, 2 difference, 3 exclusion.

pf::Path ours(int op, const pf::Path& a, const pf::Path& b)
{
    switch (op) {
    case 0:
        return CGPath_FBCreateUnion(a, b);
    case 1:
        return CGPath_FBCreateIntersect(a, b);
    case 2:
        return CGPath_FBCreateDifference(a, b);
    default:
        return CGPath_FBCreateXOR(a, b);
    }
}

QPainterPath qt(int op, const QPainterPath& a, const QPainterPath& b)
{
    switch (op) {
    case 0:
        return a.united(b);
    case 1:
        return a.intersected(b);
    case 2:
        return a.subtracted(b);
    default:
        return a.subtracted(b).united(b.subtracted(a));
    }
}

#ifdef QUORVEL_HAVE_2GEOM
// lib2geom throws on some inputs (touching and shared edges among them); those count as failures.
int geomFailures = 0;

Geom::PathVector geom(int op, const Geom::PathVector& a, const Geom::PathVector& b)
{
    try {
        Geom::PathIntersectionGraph graph(a, b);
        switch (op) {
        case 0:
            return graph.getUnion();
        case 1:
            return graph.getIntersection();
        case 2:
            return graph.getAminusB();
        default:
            return graph.getXOR();
        }
    } catch (...) { // lib2geom throws its own error type too
        ++geomFailures;
        return {};
    }
}
#endif

const char* const opNames[] = {"union", "intersection", "difference", "exclusion"};

// --- Corpus: every pair once per iteration.

void corpusOurs(benchmark::State& state, int op, const std::vector<Pair>* pairs)
{
    for (auto _ : state)
        for (const Pair& p : *pairs)
            benchmark::DoNotOptimize(ours(op, p.a, p.b));
}

void corpusQt(benchmark::State& state, int op, const std::vector<Pair>* pairs)
{
    std::vector<std::pair<QPainterPath, QPainterPath>> inputs;
    for (const Pair& p : *pairs)
        inputs.emplace_back(toQt(p.a), toQt(p.b));
    for (auto _ : state)
        for (const auto& [a, b] : inputs)
            benchmark::DoNotOptimize(qt(op, a, b));
}

#ifdef QUORVEL_HAVE_2GEOM
void corpus2geom(benchmark::State& state, int op, const std::vector<Pair>* pairs)
{
    std::vector<std::pair<Geom::PathVector, Geom::PathVector>> inputs;
    for (const Pair& p : *pairs)
        inputs.emplace_back(to2geom(p.a), to2geom(p.b));
    geomFailures = 0;
    for (auto _ : state)
        for (const auto& [a, b] : inputs)
            benchmark::DoNotOptimize(geom(op, a, b));
    state.counters["failedPairs"] = double(geomFailures) / double(state.iterations());
}
#endif

// --- Stress: folding unions over many shapes, and the four operations on two long curves.

void foldOurs(benchmark::State& state, const std::vector<pf::Path>& shapes)
{
    for (auto _ : state) {
        pf::Path all = shapes.front();
        for (size_t i = 1; i < shapes.size(); ++i)
            all = CGPath_FBCreateUnion(all, shapes[i]);
        benchmark::DoNotOptimize(all);
    }
}

void foldQt(benchmark::State& state, const std::vector<pf::Path>& shapes)
{
    std::vector<QPainterPath> inputs;
    for (const pf::Path& p : shapes)
        inputs.push_back(toQt(p));
    for (auto _ : state) {
        QPainterPath all = inputs.front();
        for (size_t i = 1; i < inputs.size(); ++i)
            all = all.united(inputs[i]);
        benchmark::DoNotOptimize(all);
    }
}

#ifdef QUORVEL_HAVE_2GEOM
void fold2geom(benchmark::State& state, const std::vector<pf::Path>& shapes)
{
    std::vector<Geom::PathVector> inputs;
    for (const pf::Path& p : shapes)
        inputs.push_back(to2geom(p));
    for (auto _ : state) {
        Geom::PathVector all = inputs.front();
        for (size_t i = 1; i < inputs.size(); ++i)
            all = geom(0, all, inputs[i]);
        benchmark::DoNotOptimize(all);
    }
}
#endif

void longOurs(benchmark::State& state, int op)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ours(op, longCurves().a, longCurves().b));
}

void longQt(benchmark::State& state, int op)
{
    const QPainterPath a = toQt(longCurves().a), b = toQt(longCurves().b);
    for (auto _ : state)
        benchmark::DoNotOptimize(qt(op, a, b));
}

#ifdef QUORVEL_HAVE_2GEOM
void long2geom(benchmark::State& state, int op)
{
    const Geom::PathVector a = to2geom(longCurves().a), b = to2geom(longCurves().b);
    for (auto _ : state)
        benchmark::DoNotOptimize(geom(op, a, b));
}
#endif

const int registered = [] {
    // Sets of pairs, every pair once per iteration.
    static const std::vector<Pair> polygonSet = polygons(50), starSet = crossingStars(50), ellipseSet = ellipses(),
                                   wavySet = wavyCurves(200);
    for (const auto& [family, pairs] : {std::pair{"corpus", &corpus()}, std::pair{"polygons50", &polygonSet},
                                        std::pair{"stars50", &starSet},
                                        std::pair{"ellipses", &ellipseSet}, std::pair{"wavy200", &wavySet}}) {
        for (int op = 0; op < 4; ++op) {
            const std::string base = std::string(family) + "/" + opNames[op];
            benchmark::RegisterBenchmark((base + "/quorvel").c_str(), corpusOurs, op, pairs)->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((base + "/qt").c_str(), corpusQt, op, pairs)->Unit(benchmark::kMillisecond);
#ifdef QUORVEL_HAVE_2GEOM
            benchmark::RegisterBenchmark((base + "/2geom").c_str(), corpus2geom, op, pairs)->Unit(benchmark::kMillisecond);
#endif
        }
    }
    static const std::vector<pf::Path> circleSet = circles();
    static const std::vector<pf::Path> gridSet = roundedGrid();
    for (const auto& [name, set] : {std::pair{"circles100", &circleSet}, std::pair{"roundedGrid8x8", &gridSet}}) {
        const std::string base = std::string("stress/") + name + "/union";
        benchmark::RegisterBenchmark((base + "/quorvel").c_str(), foldOurs, *set)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((base + "/qt").c_str(), foldQt, *set)->Unit(benchmark::kMillisecond);
#ifdef QUORVEL_HAVE_2GEOM
        benchmark::RegisterBenchmark((base + "/2geom").c_str(), fold2geom, *set)->Unit(benchmark::kMillisecond);
#endif
    }
    for (int op = 0; op < 4; ++op) {
        const std::string base = std::string("stress/curves500/") + opNames[op];
        benchmark::RegisterBenchmark((base + "/quorvel").c_str(), longOurs, op)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((base + "/qt").c_str(), longQt, op)->Unit(benchmark::kMillisecond);
#ifdef QUORVEL_HAVE_2GEOM
        benchmark::RegisterBenchmark((base + "/2geom").c_str(), long2geom, op)->Unit(benchmark::kMillisecond);
#endif
    }
    return 0;
}();

} // namespace

