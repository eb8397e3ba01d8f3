// Cutting a stroked path at a closed area: bent and curved connectors whose chord would cross the area,
// lines through it, and the trivial cases.
#include "geometry/FBOpenPathClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Piece {
    std::vector<pf::Point> ends; // the end point of every element but closes
    bool closed = false;
};

std::vector<Piece> pieces(const pf::Path& path)
{
    std::vector<Piece> result;
    for (const pf::PathElement& e : path.elements()) {
        if (e.type == pf::PathElementType::MoveTo)
            result.push_back({});
        if (e.type == pf::PathElementType::Close)
            result.back().closed = true;
        else
            result.back().ends.push_back(e.endPoint());
    }
    return result;
}

double distance(pf::Point a, pf::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The square 40..60 and the circle of radius 10 about (50, 50), the size of a small attached shape.
const pf::Path square = pf::Path::rect(pf::Rect(40, 40, 20, 20));
const pf::Path circle = pf::Path::oval(pf::Rect(40, 40, 20, 20));
// Crossings are found to well within a millionth of the coordinates' size.
constexpr double tolerance = 100 * 1e-6;
// The circle is four cubic quarters, which stray from the true radius by up to 0.03 %.
constexpr double roundness = 10 * 3e-4;

} // namespace

TEST(FBOpenPathClip, ABentConnectorKeepsItsCornerAndLeavesTheShapeWhereItCrossesIt)
{
    // From the centre up and then right: the chord to (100, 0) would cut the square elsewhere.
    pf::Path bent;
    bent.moveTo({50, 50});
    bent.lineTo({50, 0});
    bent.lineTo({100, 0});
    const auto parts = pieces(FBCreateOpenPathOutside(bent, square));
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].ends.size(), 3u);
    EXPECT_LT(distance(parts[0].ends[0], {50, 40}), tolerance);
    EXPECT_EQ(parts[0].ends[1], pf::Point(50, 0));
    EXPECT_EQ(parts[0].ends[2], pf::Point(100, 0));

    // Passing over the square without touching it: nothing is cut, though the chord runs through it.
    pf::Path over;
    over.moveTo({0, 50});
    over.lineTo({50, 0});
    over.lineTo({100, 50});
    EXPECT_TRUE(FBCreateOpenPathOutside(over, square).sameElements(over));
}

TEST(FBOpenPathClip, ACurvedConnectorStartsOnTheOutlineAndStaysOutside)
{
    pf::Path curve;
    curve.moveTo({50, 50});
    curve.curveTo({50, 0}, {100, 0}, {100, 50});
    const pf::Path visible = FBCreateOpenPathOutside(curve, circle);
    const auto parts = pieces(visible);
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(visible.elementCount(), 2);
    EXPECT_EQ(visible.element(1).type, pf::PathElementType::CurveTo);
    EXPECT_NEAR(distance(parts[0].ends[0], {50, 50}), 10, roundness);
    EXPECT_EQ(parts[0].ends.back(), pf::Point(100, 50));
    // The kept piece is the original curve from the crossing on: every point of it lies outside.
    const pf::PathElement& c = visible.element(1);
    const pf::Point p0 = parts[0].ends[0], p1 = c.points[0], p2 = c.points[1], p3 = c.points[2];
    for (double t = 0.05; t < 1; t += 0.05) {
        const double u = 1 - t;
        const pf::Point p(u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                          u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y);
        EXPECT_GT(distance(p, {50, 50}), 10 - roundness) << t;
    }
}

TEST(FBOpenPathClip, ALineThroughTheShapeBecomesTwoPiecesInItsDirection)
{
    pf::Path line;
    line.moveTo({100, 50});
    line.lineTo({0, 50});
    const auto parts = pieces(FBCreateOpenPathOutside(line, square));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].ends.front(), pf::Point(100, 50));
    EXPECT_LT(distance(parts[0].ends.back(), {60, 50}), tolerance);
    EXPECT_LT(distance(parts[1].ends.front(), {40, 50}), tolerance);
    EXPECT_EQ(parts[1].ends.back(), pf::Point(0, 50));
}

TEST(FBOpenPathClip, WholeInsideOutsideAndEmptyCases)
{
    pf::Path inside;
    inside.moveTo({45, 45});
    inside.lineTo({55, 55});
    EXPECT_TRUE(FBCreateOpenPathOutside(inside, square).isEmpty());

    // A closed outline kept whole keeps its close.
    const pf::Path far = pf::Path::rect(pf::Rect(100, 100, 10, 10));
    const auto parts = pieces(FBCreateOpenPathOutside(far, square));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_TRUE(parts[0].closed);

    EXPECT_TRUE(FBCreateOpenPathOutside(inside, pf::Path()).sameElements(inside));
    EXPECT_TRUE(FBCreateOpenPathOutside(pf::Path(), square).isEmpty());
}
