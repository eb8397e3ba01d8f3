// Random pairs from the families of shapes an editor produces, in the placements that break tolerances:
// far from the origin and tiny, nearly coincident copies, curves crossing at small angles, subpaths ending
// a hair off their start, and non-finite points. Each pair is checked by the oracle of FBBooleanOracle.h.
// QUORVEL_BOOLEAN_RANDOM_PAIRS and QUORVEL_BOOLEAN_RANDOM_SEED run other and longer series by hand.
#include "FBBooleanOracle.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numbers>
#include <random>

namespace {

class Shapes {
public:
    explicit Shapes(unsigned seed) : random_(seed) {}

    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
    int below(int n) { return int(random_() % unsigned(n)); }

    pf::Path polygon()
    {
        // Vertices at random angles about a centre: simple but often concave.
        const double cx = uniform(20, 80), cy = uniform(20, 80);
        const int n = 3 + below(8);
        std::vector<double> angles;
        for (int i = 0; i < n; ++i)
            angles.push_back(uniform(0, 2 * std::numbers::pi));
        std::sort(angles.begin(), angles.end());
        std::vector<pf::Point> points;
        for (double a : angles) {
            const double r = uniform(8, 45);
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        return fbtest::polygon(points);
    }

    pf::Path ellipse() { return fbtest::oval(uniform(0, 60), uniform(0, 60), uniform(10, 60), uniform(10, 60)); }

    pf::Path roundedRect()
    {
        const pf::Rect r(uniform(0, 60), uniform(0, 60), uniform(10, 60), uniform(10, 60));
        return pf::Path::roundedRect(r, uniform(1, 15), uniform(1, 15));
    }

    pf::Path wavy()
    {
        // A closed loop of cubics whose radius wobbles.
        const double cx = uniform(30, 70), cy = uniform(30, 70), radius = uniform(15, 40), phase = uniform(0, 6);
        const int n = 4 + below(12), waves = 2 + below(5);
        const auto at = [&](double t) {
            const double a = 2 * std::numbers::pi * t;
            const double r = radius * (1 + 0.15 * std::sin(waves * a + phase));
            return pf::Point(cx + r * std::cos(a), cy + r * std::sin(a));
        };
        pf::Path p;
        p.moveTo(at(0));
        for (int i = 0; i < n; ++i) {
            const double t0 = double(i) / n, t1 = double(i + 1) / n, h = (t1 - t0) / 3;
            const pf::Point d0 = (at(t0 + 1e-6) - at(t0 - 1e-6)) * (h / 2e-6);
            const pf::Point d3 = (at(t1 + 1e-6) - at(t1 - 1e-6)) * (h / 2e-6);
            p.curveTo(at(t0) + d0, at(t1) - d3, i + 1 == n ? at(0) : at(t1));
        }
        p.close();
        return p;
    }

    // A thin loop of one cubic from a point back to it, as in a leaf or a swoosh.
    pf::Path leaf(pf::Point tip, double length, double width, double angle)
    {
        const pf::Point u(std::cos(angle), std::sin(angle)), n(-u.y, u.x);
        pf::Path p;
        p.moveTo(tip);
        p.curveTo(tip - u * length + n * width, tip - u * (length * 0.6) - n * (width * 0.2), tip);
        p.close();
        return p;
    }

    pf::Path anyShape()
    {
        switch (below(4)) {
        case 0:
            return polygon();
        case 1:
            return ellipse();
        case 2:
            return roundedRect();
        default:
            return wavy();
        }
    }

    std::mt19937& engine() { return random_; }

private:
    std::mt19937 random_;
};

pf::Path transformed(const pf::Path& path, const std::function<pf::Point(pf::Point)>& map)
{
    pf::Path result = path;
    for (int i = 0; i < result.elementCount(); ++i) {
        const pf::PathElement& e = result.element(i);
        pf::Point points[3];
        for (int k = 0; k < e.pointCount(); ++k)
            points[k] = map(e.points[k]);
        result.setElementPoints(i, std::span<const pf::Point>(points, size_t(e.pointCount())));
    }
    return result;
}

pf::Path rotated(const pf::Path& path, double degrees, pf::Point centre)
{
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    return transformed(path, [&](pf::Point p) {
        const pf::Point d = p - centre;
        return pf::Point(centre.x + d.x * c - d.y * s, centre.y + d.x * s + d.y * c);
    });
}

// The path with its last segment ending `gap` away from its subpath's start, then closed.
pf::Path endingOffStart(const pf::Path& path, pf::Point gap)
{
    pf::Path result = path;
    for (int i = result.elementCount() - 1; i > 0; --i) {
        const pf::PathElement& e = result.element(i);
        if (e.type == pf::PathElementType::Close)
            continue;
        pf::Point points[3] = {e.points[0], e.points[1], e.points[2]};
        points[e.pointCount() - 1] = points[e.pointCount() - 1] + gap;
        result.setElementPoints(i, std::span<const pf::Point>(points, size_t(e.pointCount())));
        break;
    }
    return result;
}

fbtest::CorpusPair randomPair(Shapes& shapes, int index)
{
    fbtest::CorpusPair pair;
    std::string kind;
    switch (index % 7) {
    case 0:
        kind = "two shapes";
        pair.a = shapes.anyShape();
        pair.b = shapes.anyShape();
        if (shapes.below(3) == 0)
            pair.a.append(shapes.anyShape());
        break;
    case 1: {
        kind = "a slightly rotated copy";
        pair.a = shapes.anyShape();
        const double degrees = std::pow(10.0, shapes.uniform(-6, -3)) * (shapes.below(2) ? 1 : -1);
        pair.b = rotated(pair.a, degrees, {shapes.uniform(0, 100), shapes.uniform(0, 100)});
        break;
    }
    case 2: {
        kind = "a slightly moved copy";
        pair.a = shapes.anyShape();
        const double d = std::pow(10.0, shapes.uniform(-6, -3));
        const double angle = shapes.uniform(0, 2 * std::numbers::pi);
        pair.b = transformed(pair.a, [&](pf::Point p) { return p + pf::Point(d * std::cos(angle), d * std::sin(angle)); });
        if (shapes.below(2) == 0)
            pair.b.append(shapes.anyShape());
        break;
    }
    case 3: {
        kind = "concentric circles";
        const double cx = shapes.uniform(30, 70), cy = shapes.uniform(30, 70), r = shapes.uniform(10, 40);
        const double apart = std::pow(10.0, shapes.uniform(-9, -5)) * r;
        pair.a = fbtest::oval(cx - r, cy - r, 2 * r, 2 * r);
        pair.b = fbtest::oval(cx - r - apart, cy - r - apart, 2 * (r + apart), 2 * (r + apart));
        if (shapes.below(2) == 0)
            std::swap(pair.a, pair.b);
        if (shapes.below(2) == 0)
            pair.b.append(shapes.anyShape());
        break;
    }
    case 4: {
        kind = "curves crossing at small angles";
        const pf::Point tip(shapes.uniform(60, 100), shapes.uniform(30, 70));
        const double length = shapes.uniform(30, 60), width = shapes.uniform(10, 30), angle = shapes.uniform(-0.3, 0.3);
        pair.a = shapes.leaf(tip, length, width, angle);
        pair.b = shapes.leaf(tip + pf::Point(shapes.uniform(-5, 5), shapes.uniform(-2, 2)), length * shapes.uniform(0.9, 1.1),
                             width * shapes.uniform(0.7, 1.3), angle + shapes.uniform(-0.05, 0.05));
        break;
    }
    case 5: {
        kind = "subpaths ending a hair off their start";
        const double hair = std::pow(10.0, shapes.uniform(-15, -11)) * 100;
        pair.a = endingOffStart(shapes.anyShape(), {hair * shapes.uniform(-1, 1), hair * shapes.uniform(-1, 1)});
        pair.b = endingOffStart(shapes.roundedRect(), {hair * shapes.uniform(-1, 1), hair * shapes.uniform(-1, 1)});
        break;
    }
    default: {
        kind = "a non-finite point";
        const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
        pf::Path broken = shapes.polygon();
        pf::Point points[1] = {broken.element(1).points[0]};
        (shapes.below(2) ? points[0].x : points[0].y) = bad[shapes.below(3)];
        broken.setElementPoints(1, points);
        pair.a = shapes.anyShape();
        pair.b = shapes.anyShape();
        (shapes.below(2) ? pair.a : pair.b).append(broken);
        break;
    }
    }
    // Placement: at the origin, around a million, or a thousandth of the size.
    switch (shapes.below(4)) {
    case 0:
        kind += ", around a million";
        pair.a = transformed(pair.a, [](pf::Point p) { return p + pf::Point(1e6, 1e6); });
        pair.b = transformed(pair.b, [](pf::Point p) { return p + pf::Point(1e6, 1e6); });
        break;
    case 1:
        kind += ", a thousandth";
        pair.a = transformed(pair.a, [](pf::Point p) { return p * 1e-3; });
        pair.b = transformed(pair.b, [](pf::Point p) { return p * 1e-3; });
        break;
    default:
        break;
    }
    pair.name = "random pair " + std::to_string(index) + " (" + kind + ")";
    return pair;
}

TEST(BooleanRandom, PairsFromEveryFamilyAndPlacementComeOutRight)
{
    const char* seed = std::getenv("QUORVEL_BOOLEAN_RANDOM_SEED");
    const char* count = std::getenv("QUORVEL_BOOLEAN_RANDOM_PAIRS");
    Shapes shapes(seed ? unsigned(std::atoi(seed)) : 11u);
    const int pairs = count ? std::atoi(count) : 210;
    int failed = 0;
    for (int i = 0; i < pairs; ++i) {
        const fbtest::CorpusPair pair = randomPair(shapes, i);
        const auto* result = testing::UnitTest::GetInstance()->current_test_info()->result();
        const int before = result->total_part_count();
        fbtest::checkPair(pair, fbtest::operations, 400);
        if (result->total_part_count() != before) {
            ADD_FAILURE() << pair.name << "\nA " << fbtest::commands(pair.a) << "\nB " << fbtest::commands(pair.b);
            if (++failed == 5)
                break;
        }
    }
}

} // namespace
