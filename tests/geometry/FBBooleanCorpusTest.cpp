// Every operation on every corpus pair, checked point by point: away from all boundaries, the result filled
// with the non-zero rule must hold exactly the points the boolean of the two inputs' areas holds.
#include "FBTestPaths.h"
#include "geometry/FBPathBoolean.h"

#include <gtest/gtest.h>

#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdlib>
#include <random>
#include <span>

namespace {

using Polyline = std::vector<pf::Point>;

// Outlines as polylines (curves cut into 64 chords), each closed back to its start as a fill closes it.
std::vector<Polyline> flatten(const pf::Path& path)
{
    std::vector<Polyline> lines;
    pf::Point current;
    const auto cubic = [&](pf::Point p0, pf::Point p1, pf::Point p2, pf::Point p3) {
        for (int i = 1; i <= 64; ++i) {
            const double t = i / 64.0, s = 1 - t;
            lines.back().push_back(p0 * (s * s * s) + p1 * (3 * s * s * t) + p2 * (3 * s * t * t) + p3 * (t * t * t));
        }
    };
    for (const pf::PathElement& e : path.elements()) {
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            lines.push_back({e.points[0]});
            break;
        case pf::PathElementType::LineTo:
            lines.back().push_back(e.points[0]);
            break;
        case pf::PathElementType::QuadTo:
            cubic(current, current + (e.points[0] - current) * (2.0 / 3.0), e.points[1] + (e.points[0] - e.points[1]) * (2.0 / 3.0),
                  e.points[1]);
            break;
        case pf::PathElementType::CurveTo:
            cubic(current, e.points[0], e.points[1], e.points[2]);
            break;
        case pf::PathElementType::Close:
            break;
        }
        current = e.endPoint();
    }
    for (Polyline& line : lines)
        line.push_back(line.front());
    return lines;
}

double distanceToOutline(pf::Point p, const std::vector<Polyline>& lines)
{
    double best = INFINITY;
    for (const Polyline& line : lines) {
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            const pf::Point a = line[i], d = line[i + 1] - a;
            const double l2 = d.x * d.x + d.y * d.y;
            const double t = l2 == 0 ? 0 : std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / l2, 0.0, 1.0);
            best = std::min(best, std::hypot(p.x - a.x - d.x * t, p.y - a.y - d.y * t));
        }
    }
    return best;
}

struct Operation {
    const char* name;
    pf::Path (*run)(const pf::Path&, const pf::Path&);
    bool (*expected)(bool, bool);
};

const Operation operations[] = {
    {"union", CGPath_FBCreateUnion, [](bool a, bool b) { return a || b; }},
    {"intersection", CGPath_FBCreateIntersect, [](bool a, bool b) { return a && b; }},
    {"difference", CGPath_FBCreateDifference, [](bool a, bool b) { return a && !b; }},
    {"exclusion", CGPath_FBCreateXOR, [](bool a, bool b) { return a != b; }},
};

struct Extent {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    void add(const std::vector<Polyline>& lines)
    {
        for (const Polyline& l : lines)
            for (pf::Point p : l)
                minX = std::min(minX, p.x), minY = std::min(minY, p.y), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    double size() const { return std::max(maxX - minX, maxY - minY); }
};

} // namespace

namespace fbtest {
// Names the pair in failure messages rather than dumping its bytes.
void PrintTo(const CorpusPair& pair, std::ostream* out) { *out << pair.name; }
} // namespace fbtest

namespace {

// The path in the corpus language, to add a failing pair to the corpus.
std::string commands(const pf::Path& path)
{
    std::string text;
    const char* names[] = {"M", "L", "Q", "C", "Z"};
    for (const pf::PathElement& e : path.elements()) {
        text += names[int(e.type)];
        for (int i = 0; e.type != pf::PathElementType::Close && i < e.pointCount(); ++i)
            text += " " + std::to_string(e.points[i].x) + " " + std::to_string(e.points[i].y);
        text += " ";
    }
    return text;
}

// Checks each operation's result on the pair against the boolean of the inputs at sample points.
void checkPair(const fbtest::CorpusPair& pair, std::span<const Operation> operations)
{
    const auto outlineA = flatten(pair.a), outlineB = flatten(pair.b);
    Extent extentA, extentB, all;
    extentA.add(outlineA);
    extentB.add(outlineB);
    all.add(outlineA);
    all.add(outlineB);
    const double size = all.size();
    // Traced outlines are rounded to whole units when both inputs span 8 units or more.
    const double margin = size * 2e-3 + (extentA.size() >= 8 && extentB.size() >= 8 ? 0.75 : 0.0);
    // Qt flattens curves to a fixed absolute accuracy when testing containment, so tests run in a frame
    // scaled to about 1000 units.
    QTransform frame;
    frame.scale(1000 / size, 1000 / size);
    frame.translate(-all.minX, -all.minY);
    const QPainterPath qa = frame.map(pair.a.toQt(pf::WindingRule::EvenOdd));
    const QPainterPath qb = frame.map(pair.b.toQt(pf::WindingRule::EvenOdd));

    for (const Operation& operation : operations) {
        const pf::Path result = operation.run(pair.a, pair.b);
        for (const pf::PathElement& e : result.elements())
            EXPECT_NE(e.type, pf::PathElementType::Close) << operation.name;
        const auto outlineR = flatten(result);
        const QPainterPath qr = frame.map(result.toQt(pf::WindingRule::NonZero));

        std::mt19937 random(20261209);
        const auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (double(random()) / 4294967296.0); };
        int checked = 0, wrong = 0;
        std::string firstWrong;
        for (int i = 0; i < 3000; ++i) {
            const pf::Point p(uniform(all.minX - size * 0.05, all.maxX + size * 0.05),
                              uniform(all.minY - size * 0.05, all.maxY + size * 0.05));
            if (distanceToOutline(p, outlineA) <= margin || distanceToOutline(p, outlineB) <= margin
                || distanceToOutline(p, outlineR) <= margin)
                continue;
            ++checked;
            const QPointF q = frame.map(p.toQt());
            const bool expected = operation.expected(qa.contains(q), qb.contains(q));
            if (qr.contains(q) != expected) {
                if (wrong++ == 0)
                    firstWrong = "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ") expected "
                                 + (expected ? "inside" : "outside");
            }
        }
        EXPECT_GT(checked, 100) << operation.name;
        EXPECT_EQ(wrong, 0) << pair.name << ": " << operation.name << " wrong at " << wrong << " of " << checked
                            << " points, first " << firstWrong;
    }
}

class BooleanCorpus : public testing::TestWithParam<fbtest::CorpusPair> {};

TEST_P(BooleanCorpus, ResultHoldsExactlyThePointsOfTheBoolean) { checkPair(GetParam(), operations); }

// Shapes on a coarse grid share edges, vertices and stretches all the time: random pairs of them.
TEST(BooleanGrid, RandomShapesOnAGridSharingEdgesAndVertices)
{
    std::mt19937 random(std::getenv("QUORVEL_BOOLEAN_GRID_SEED") ? unsigned(std::atoi(std::getenv("QUORVEL_BOOLEAN_GRID_SEED"))) : 7u);
    const auto cell = [&](int n) { return double(random() % unsigned(n)) * 10; };
    const auto shape = [&]() {
        pf::Path p;
        const int count = 1 + int(random() % 2);
        for (int i = 0; i < count; ++i) {
            const double x = cell(8), y = cell(8), w = 10 + cell(5), h = 10 + cell(5);
            switch (random() % 3) {
            case 0:
                p.append(fbtest::rect(x, y, w, h));
                break;
            case 1:
                p.append(fbtest::oval(x, y, w, h));
                break;
            default:
                p.append(fbtest::polygon({{x, y}, {x + w, y + h}, {x, y + h}}));
                break;
            }
        }
        return p;
    };
    const int pairs = std::getenv("QUORVEL_BOOLEAN_GRID_PAIRS") ? std::atoi(std::getenv("QUORVEL_BOOLEAN_GRID_PAIRS")) : 30;
    for (int i = 0; i < pairs; ++i) {
        const pf::Path a = shape(), b = shape();
        checkPair({"grid pair " + std::to_string(i), a, b}, operations);
        if (HasFailure()) {
            ADD_FAILURE() << "A " << commands(a) << "\nB " << commands(b);
            break;
        }
    }
}

// Results fed back in: a union folded over many overlapping circles, each step checked.
TEST(BooleanFold, UnionOfManyOverlappingCirclesStaysExact)
{
    pf::Path all = fbtest::oval(200, 200, 60, 60);
    for (int i = 1; i < 60; ++i) {
        const double a = i * 0.7;
        const pf::Path circle = fbtest::oval(200 + 150 * std::cos(a) * (0.3 + i / 140.0),
                                             200 + 150 * std::sin(a) * (0.3 + i / 140.0), 60 + (i % 7) * 5,
                                             60 + (i % 5) * 6);
        if (i % 10 == 0)
            checkPair({"fold step " + std::to_string(i), all, circle}, std::span(operations, 1));
        all = CGPath_FBCreateUnion(all, circle);
        ASSERT_LT(all.elementCount(), 400) << "outline fragments at step " << i;
    }
}

std::string pairName(const testing::TestParamInfo<fbtest::CorpusPair>& info)
{
    std::string name;
    for (char c : info.param.name)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BooleanCorpus,
                         testing::ValuesIn(fbtest::readCorpus(QUORVEL_TEST_DATA "/boolean/corpus.txt")), pairName);

} // namespace
