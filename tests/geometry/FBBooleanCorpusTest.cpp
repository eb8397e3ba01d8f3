// Every operation on every corpus pair, checked point by point: away from all boundaries, the result filled
// with the non-zero rule must hold exactly the points the boolean of the two inputs' areas holds.
#include "FBBooleanOracle.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>

namespace fbtest {
// Names the pair in failure messages rather than dumping its bytes.
void PrintTo(const CorpusPair& pair, std::ostream* out) { *out << pair.name; }
} // namespace fbtest

namespace {

using fbtest::checkPair;
using fbtest::commands;
using fbtest::operations;

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

// Deeply concave polygons crossing each other many times: stretches placed through the index of the other
// graph's edges, and many result pieces, apart from each other or (cut from a ring) nested in its hole.
TEST(BooleanStars, ConcaveStarsCrossingManyTimesComeOutRight)
{
    std::mt19937 random(8);
    const auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const auto star = [&](int n, double cx, double cy, double scale, double turn) {
        std::vector<pf::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * i / n + turn, r = scale * (i % 2 ? uniform(35, 55) : uniform(85, 100));
            points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        return fbtest::polygon(points);
    };
    for (int i = 0; i < 4; ++i) {
        const int n = 20 + 10 * i;
        checkPair({"crossing stars " + std::to_string(i), star(n, 200, 200, 1, 0),
                   star(n, 200 + uniform(-15, 15), 200 + uniform(-15, 15), 1, uniform(0.02, 0.1))},
                  operations, 1500);
    }
    pf::Path ring = fbtest::rect(0, 0, 400, 400);
    ring.append(fbtest::rect(120, 120, 160, 160).reversed());
    checkPair({"a star across a ring's hole", ring, star(40, 200, 200, 1.3, 0.05)}, operations, 1500);
    checkPair({"a star within a ring's hole", ring, star(40, 200, 200, 0.7, 0.05)}, operations, 1500);
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
