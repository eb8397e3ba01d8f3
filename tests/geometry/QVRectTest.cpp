#include "geometry/QVRect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using pf::Point;
using pf::Rect;
using pf::Size;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RectCase {
    Rect in;
    Rect expected;
};

} // namespace

TEST(QVScalars, HalvesClosestAndDiagonals)
{
    EXPECT_EQ(QVRoundHalf(1.25), 1.5); // 2.5 rounds away from zero
    EXPECT_EQ(QVRoundHalf(-1.25), -1.5);
    EXPECT_EQ(QVRoundHalf(1.2), 1.0);
    EXPECT_EQ(QVFloorHalf(1.7), 1.5);
    EXPECT_EQ(QVFloorHalf(-1.7), -1.5); // magnitude floored, not toward −∞
    EXPECT_EQ(QVClosest(5, 4, 6), 6);   // a tie goes to b
    EXPECT_EQ(QVClosest(5, 4.5, 6), 4.5);
    EXPECT_EQ(QVMax(1, 2), 2);
    EXPECT_EQ(QVMin(1, 2), 1);
    EXPECT_EQ(QVGetDiagonalBetween(Point(1, 1), Point(4, 5)), 5);
    EXPECT_EQ(QVDiagonalFromRect(Rect(9, 9, -3, 4)), 5);
}

TEST(QVRectStandardize, FramesKeepWholePointsAndAtLeastOnePoint)
{
    const std::vector<RectCase> cases{
        {{10.7, 3.2, 0.4, -5}, {10, 3, 1, 1}},
        {{0, 0, 2.5, 2.5}, {0, 0, 3, 3}}, // halves away from zero, not to even
        {{-0.5, -1.5, 1.49, 7.5}, {-1, -2, 1, 8}},
        {{0, 0, kNaN, 4}, {0, 0, 1, 4}},
        {{0, 0, 3, kInf}, {0, 0, 3, 1}},
        {{0, 0, -kInf, 0.999}, {0, 0, 1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVRectStandardize(c.in), c.expected) << pf::toString(c.in).toStdString();
}

TEST(QVRectStandardize, ZeroVariantReplacesBadSizesWithZero)
{
    const std::vector<RectCase> cases{
        {{10.7, 3.2, 0.3, -5}, {10, 3, 0, 0}},
        {{0, 0, 0.5, kNaN}, {0, 0, 1, 0}},
        {{0, 0, kInf, 2.5}, {0, 0, 0, 3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVRectStandardizeZero(c.in), c.expected) << pf::toString(c.in).toStdString();
}

TEST(QVRectNotZeroSize, NormalisesThenReplacesOnlyOneEmptySide)
{
    const std::vector<RectCase> cases{
        {{0, 0, 0, 0}, {0, 0, 1, 0}},
        {{0, 0, 5, 0}, {0, 0, 5, 1}},
        {{10, 10, -4, 0}, {6, 10, 4, 1}},
        {{0, 0, kNaN, 0}, {0, 0, 1, 0}},
        {{1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVRectNotZeroSize(c.in), c.expected) << pf::toString(c.in).toStdString();
}

TEST(QVRectRounding, OriginAndSizeRules)
{
    const Rect r(1.5, -2.5, 2.5, -0.5);
    EXPECT_EQ(QVRectFloor(r), Rect(1, -3, 3, -1));
    EXPECT_EQ(QVRectCeil(r), Rect(2, -2, 3, -0.0));
    EXPECT_EQ(QVRectRound(r), Rect(2, -3, 3, -1));
    EXPECT_EQ(QVRectRoundHalf(Rect(0.3, 0.2, 1.75, -0.74)), Rect(0.5, 0, 2, -0.5));
    EXPECT_EQ(QVRectFloorPlusHalf(r), Rect(1.5, -2.5, 3, -1));
    EXPECT_EQ(QVRectRoundPlusHalf(r), Rect(2.5, -2.5, 3, -1));
    EXPECT_EQ(QVRectRoundMinusHalf(r), Rect(1.5, -3.5, 3, -1));

    const Point p(0.5, -0.5);
    EXPECT_EQ(QVPointRound(p), Point(1, -1));
    EXPECT_EQ(QVPointFloor(p), Point(0, -1));
    EXPECT_EQ(QVPointCeil(p), Point(1, 0));
    EXPECT_EQ(QVPointFloorPlusHalf(p), Point(0.5, -0.5));
    EXPECT_EQ(QVPointRoundPlusHalf(p), Point(1.5, -0.5));
    EXPECT_EQ(QVPointRoundMinusHalf(p), Point(0.5, -1.5));
    EXPECT_EQ(QVSizeRound(Size(2.5, -2.5)), Size(3, -3));
}

TEST(QVRectConstruction, OutsetCombineAndNormalise)
{
    // Grows outward whichever way the rect points.
    EXPECT_EQ(QVRectOutset(Rect(0, 0, 10, 10), 1, 2), Rect(-1, -2, 12, 14));
    EXPECT_EQ(QVRectOutset(Rect(10, 10, -10, -10), 1, 2), Rect(11, 12, -12, -14));

    // A zero rect is absent, so a union never reaches the origin.
    EXPECT_EQ(QVCombineRects(Rect(), Rect(5, 5, 1, 1)), Rect(5, 5, 1, 1));
    EXPECT_EQ(QVCombineRects(Rect(5, 5, 1, 1), Rect()), Rect(5, 5, 1, 1));
    EXPECT_EQ(QVCombineRects(Rect(), Rect()), Rect());
    EXPECT_EQ(QVCombineRects(Rect(0, 0, 1, 1), Rect(5, 5, 1, 1)), Rect(0, 0, 6, 6));
    // An empty rect away from the origin still counts.
    EXPECT_EQ(QVCombineRects(Rect(1, 1, 0, 0), Rect(5, 5, 1, 1)), Rect(1, 1, 5, 5));

    EXPECT_EQ(QVRectGetNormalizedRect(Rect(10, 10, -4, -6)), Rect(6, 4, 4, 6));
    EXPECT_EQ(QVRectGetNormalizedHeightRect(Rect(10, 10, -4, -6)), Rect(10, 4, -4, 6));

    EXPECT_EQ(QVRectFromPoints(Point(5, 5), Point(2, 9)), Rect(5, 5, -3, 4));
    EXPECT_EQ(QVRectAroundPoint(Point(5, 5), 4, 2), Rect(3, 4, 4, 2));
    EXPECT_EQ(QVSquareAroundPoint(Point(5, 5), 7), Rect(1.5, 1.5, 7, 7));
    EXPECT_EQ(QVRectGetPointClosestToPoint(Point(-3, 50), Rect(0, 0, 10, 10)), Point(0, 10));
    EXPECT_EQ(QVRectGetPointClosestToPoint(Point(4, 5), Rect(0, 0, 10, 10)), Point(4, 5));
}

TEST(QVRectPredicates, Table)
{
    EXPECT_TRUE(QVPointIsMaxFloat(Point(3.4028234663852886e38, 3.4028234663852886e38)));
    EXPECT_TRUE(QVPointIsMaxFloat(QVMaxFloatPoint));
    EXPECT_FALSE(QVPointIsMaxFloat(Point(3.4028234663852886e38, 0)));
    EXPECT_TRUE(QVRectIsZero(Rect(0, 0, 0, 0)));
    EXPECT_FALSE(QVRectIsZero(Rect(0, 0, 0, 1e-300)));
    EXPECT_TRUE(QVSizeContainsSize(Size(5, 5), Size(5, 4)));
    EXPECT_FALSE(QVSizeContainsSize(Size(5, 5), Size(6, 4)));
    EXPECT_TRUE(QVRectIsValid(Rect(-1e300, 0, 0, 0)));
    EXPECT_FALSE(QVRectIsValid(Rect(0, kNaN, 1, 1)));
    EXPECT_FALSE(QVRectIsValid(Rect(0, 0, kInf, 1)));
    EXPECT_TRUE(QVRectIsValidNotZeroSize(Rect(0, 0, -1, 1)));
    EXPECT_FALSE(QVRectIsValidNotZeroSize(Rect(0, 0, 0.99, 5)));
    EXPECT_FALSE(QVRectIsValidNotZeroSize(Rect(0, 0, 5, -0.5)));
    EXPECT_FALSE(QVRectIsValidNotZeroSize(Rect(kNaN, 0, 5, 5)));

    for (int c = -3; c < 20; ++c)
        EXPECT_EQ(QVRectCornerIsCorner(c), c == 0 || c == 2 || c == 6 || c == 8) << c;
}

TEST(QVRectCornerTable, EveryColumnForEveryValue)
{
    struct Row {
        QVRectCorner corner;
        const char* description;
        const char* displayName;
        Point point;
        QVRectCorner opposite;
        QVRectCorner stable;
        double angle;
    };
    // (10, 20, 30, -40): points are computed on the rect as it points, never normalised.
    const Rect r(10, 20, 30, -40);
    const std::vector<Row> rows{
        {-1, "QVRectCornerNone", "None", {0, 0}, -1, -1, 0},
        {0, "QVRectCornerTopLef", "Top Left", {10, 20}, 8, 0, 225},
        {1, "QVRectCornerTopMid", "Top Center", {25, 20}, 7, 0, 270},
        {2, "QVRectCornerTopRit", "Top Right", {40, 20}, 6, 2, 315},
        {3, "QVRectCornerMidLef", "Center Left", {10, 0}, 5, 0, 180},
        {4, "QVRectCornerMidMid", "Center", {25, 0}, 4, 4, 0},
        {5, "QVRectCornerMidRit", "Center Right", {40, 0}, 3, 8, 0},
        {6, "QVRectCornerBotLef", "Bottom Left", {10, -20}, 2, 6, 135},
        {7, "QVRectCornerBotMid", "Bottom Center", {25, -20}, 1, 8, 90},
        {8, "QVRectCornerBotRit", "Bottom Right", {40, -20}, 0, 8, 45},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.corner);
        EXPECT_EQ(QVRectCornerGetDescription(row.corner), QString::fromLatin1(row.description));
        EXPECT_EQ(QVRectCornerGetDisplayName(row.corner), QString::fromLatin1(row.displayName));
        EXPECT_EQ(QVRectGetCornerPoint(row.corner, r), row.point);
        EXPECT_EQ(QVRectGetOppositeCorner(row.corner), row.opposite);
        EXPECT_EQ(QVRectGetStableCorner(row.corner), row.stable);
        EXPECT_EQ(QVAngleForRectCorner(row.corner), row.angle);
    }
    // Handle numbers 9.. (and anything else) are not corners.
    for (int c : {-2, 9, 12, 16, 1000}) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(QVRectCornerGetDescription(c).has_value());
        EXPECT_FALSE(QVRectCornerGetDisplayName(c).has_value());
        EXPECT_EQ(QVRectGetCornerPoint(c, r), Point(0, 0));
        EXPECT_EQ(QVRectGetOppositeCorner(c), -1);
        EXPECT_EQ(QVRectGetStableCorner(c), -1);
        EXPECT_EQ(QVAngleForRectCorner(c), 0);
    }
    // The named point functions agree with the table.
    EXPECT_EQ(QVRectGetTopLefPoint(r), QVRectGetCornerPoint(0, r));
    EXPECT_EQ(QVRectGetTopMidPoint(r), QVRectGetCornerPoint(1, r));
    EXPECT_EQ(QVRectGetTopRitPoint(r), QVRectGetCornerPoint(2, r));
    EXPECT_EQ(QVRectGetMidLefPoint(r), QVRectGetCornerPoint(3, r));
    EXPECT_EQ(QVRectGetMidMidPoint(r), QVRectGetCornerPoint(4, r));
    EXPECT_EQ(QVRectGetMidRitPoint(r), QVRectGetCornerPoint(5, r));
    EXPECT_EQ(QVRectGetBotLefPoint(r), QVRectGetCornerPoint(6, r));
    EXPECT_EQ(QVRectGetBotMidPoint(r), QVRectGetCornerPoint(7, r));
    EXPECT_EQ(QVRectGetBotRitPoint(r), QVRectGetCornerPoint(8, r));
    // An infinite extent does not turn the origin-side corner into NaN.
    EXPECT_EQ(QVRectGetTopLefPoint(Rect(1, 2, kInf, kInf)), Point(1, 2));

    const std::vector<std::pair<QVRectEdge, const char*>> edges{
        {-1, "NONE"}, {0, "LEFT"}, {1, "RIGHT"}, {2, "TOP"}, {3, "BOTTOM"}, {4, "MID"}};
    for (const auto& [edge, text] : edges)
        EXPECT_EQ(QVRectEdgeGetDescription(edge), QString::fromLatin1(text));
    EXPECT_FALSE(QVRectEdgeGetDescription(5).has_value());
    EXPECT_FALSE(QVRectEdgeGetDescription(-2).has_value());
}

TEST(QVRectSetCorner, EachHandleMovesItsSidesOnly)
{
    const Rect r(10, 20, 30, 40);
    const Point p(5, 70);
    const std::vector<std::pair<QVRectCorner, Rect>> cases{
        {0, {5, 70, 35, -10}},
        {1, {10, 70, 30, -10}},
        {2, {10, 70, -5, -10}},
        {3, {5, 20, 35, 40}},
        {4, r},
        {5, {10, 20, -5, 40}},
        {6, {5, 20, 35, 50}},
        {7, {10, 20, 30, 50}},
        {8, {10, 20, -5, 50}},
        {-1, r},
        {9, r},
        {12, r},
    };
    for (const auto& [corner, expected] : cases)
        EXPECT_EQ(QVRectSetCorner(p, corner, r), expected) << corner;
    // Dragging the bottom-right handle above and left of the origin turns the rect inside out.
    EXPECT_EQ(QVRectSetCorner(Point(0, 0), 8, r), Rect(10, 20, -10, -20));
}

TEST(QVRectSetAnchor, MovesTheCornerOntoThePointKeepingTheSize)
{
    const Rect r(10, 20, 30, -40);
    for (QVRectCorner corner = 0; corner <= 8; ++corner) {
        const Rect moved = QVRectSetAnchor(Point(100, 100), corner, r);
        EXPECT_EQ(moved.size, r.size) << corner;
        EXPECT_EQ(QVRectGetCornerPoint(corner, moved), Point(100, 100)) << corner;
    }
    EXPECT_EQ(QVRectSetAnchor(Point(100, 100), 8, r), Rect(70, 140, 30, -40));
    EXPECT_EQ(QVRectSetAnchor(Point(100, 100), -1, r), r);
    EXPECT_EQ(QVRectSetAnchor(Point(100, 100), 12, r), r);
}

TEST(QVRectDenormalized, CornerFromSignsAndRectFromCorner)
{
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, 0, 0)), 0);
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, -1, 5)), 2);
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, 1, -5)), 6);
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, -1, -5)), 8);
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, kNaN, 5)), -1);
    EXPECT_EQ(QVRectGetDenomalizedCorner(Rect(0, 0, 5, kNaN)), -1);

    const Rect r(10, 20, 30, 40);
    EXPECT_EQ(QVRectGetDenormalizedRect(r, 8), Rect(40, 60, -30, -40));
    EXPECT_EQ(QVRectGetDenormalizedRect(r, 6), Rect(10, 60, 30, -40));
    EXPECT_EQ(QVRectGetDenormalizedRect(r, 2), Rect(40, 20, -30, 40));
    for (QVRectCorner c : {-1, 0, 1, 4, 7, 12})
        EXPECT_EQ(QVRectGetDenormalizedRect(r, c), r) << c;
    // Same area seen from the other corner, and the corner reads back.
    for (QVRectCorner c : {2, 6, 8}) {
        const Rect d = QVRectGetDenormalizedRect(r, c);
        EXPECT_EQ(QVRectGetNormalizedRect(d), r) << c;
        EXPECT_EQ(QVRectGetDenomalizedCorner(d), c);
    }
}

TEST(QVRectGetEdgeForPoint, BandsFractionsAndPriorities)
{
    struct Case {
        Point p;
        Rect r;
        QVRectEdge edge;
        double fraction;
    };
    const Rect r(0, 0, 10, 20);
    const std::vector<Case> cases{
        {{-0.5, 10}, r, QVRectEdgeLeft, 0.5},
        {{5, 10}, r, QVRectEdgeMid, 0.5},
        {{100, 100}, r, QVRectEdgeNone, 0},
        {{10.5, 5}, r, QVRectEdgeRight, 0.25},
        {{2.5, -1}, r, QVRectEdgeTop, 0.25},
        {{7.5, 19.5}, r, QVRectEdgeBottom, 0.75},
        // The bands reach 1 point past the ends, where the fraction is clamped.
        {{-0.9, -0.9}, r, QVRectEdgeTop, 0},
        {{10.9, 20.9}, r, QVRectEdgeBottom, 1},
        {{-0.5, 20.5}, r, QVRectEdgeBottom, 0},
        // Bands are half-open: 1 point past the edge is outside.
        {{-1.0001, 10}, r, QVRectEdgeNone, 0},
        {{11, 10}, r, QVRectEdgeNone, 0},
        // A denormalised rect names its bands from its origin (the left band lies at x, here the
        // larger x); fractions are measured on the normal form.
        {{10.5, 5}, Rect(10, 20, -10, -20), QVRectEdgeLeft, 0.25},
        {{-0.5, 5}, Rect(10, 20, -10, -20), QVRectEdgeRight, 0.25},
        {{2.5, -0.5}, Rect(10, 20, -10, -20), QVRectEdgeBottom, 0.25},
        // Zero extent: no division, the fraction is 0 rather than NaN or a clamped infinity.
        {{5, 0.5}, Rect(0, 0, 10, 0), QVRectEdgeBottom, 0.5},
        {{0.5, 5}, Rect(0, 0, 0, 10), QVRectEdgeRight, 0.5},
        {{0.5, 0.5}, Rect(0, 0, 0, 10), QVRectEdgeTop, 0},
        {{0, 0.5}, Rect(0, 0, 0, 0), QVRectEdgeBottom, 0},
        {{0.5, 0.5}, Rect(0, 0, 0, 0), QVRectEdgeBottom, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(pf::toString(c.p).toStdString() + " in " + pf::toString(c.r).toStdString());
        double fraction = -1;
        EXPECT_EQ(QVRectGetEdgeForPoint(&fraction, c.p, c.r), c.edge);
        EXPECT_FALSE(std::isnan(fraction));
        EXPECT_DOUBLE_EQ(fraction, c.fraction);
        EXPECT_EQ(QVRectGetEdgeForPoint(nullptr, c.p, c.r), c.edge);
    }
}

TEST(QVRectCornerForAngle, SectorsAndTheirBoundaries)
{
    const std::vector<std::pair<double, QVRectCorner>> cases{
        {0, 5},     {22.5, 5},  {22.50001, 8}, {45, 8},    {67.5, 8},   {67.51, 7}, {90, 7},
        {112.5, 7}, {135, 6},   {157.5, 6},    {180, 3},   {202.5, 3},  {225, 0},   {247.5, 0},
        {270, 1},   {292.5, 1}, {315, 2},      {337.5, 5}, {337.49, 2}, {360, 5},   {-90, 1},
        {-1, 5},    {-45, 2},   {400, -1},     {-400, -1}, {360.01, -1}, {kNaN, -1},
    };
    for (const auto& [angle, corner] : cases)
        EXPECT_EQ(QVRectCornerForAngle(angle), corner) << angle;
}

TEST(QVShiftConstrainedAngleForAngle, SnapsToTheSectorCentre)
{
    const std::vector<std::pair<double, double>> cases{
        {350, 0},   {300, 315}, {0, 0},     {10, 0},    {22.5, 0},  {23, 45},  {67.5, 45}, {100, 90},
        {200, 180}, {202.5, 180}, {240, 225}, {337.5, 0}, {360, 0},
        // Callers normalise first; out-of-range angles pass through (negative ones raised by 360).
        {-10, 350}, {370, 370},
    };
    for (const auto& [angle, snapped] : cases)
        EXPECT_EQ(QVShiftConstrainedAngleForAngle(angle), snapped) << angle;
}

TEST(QVMakeRotation, RotatesAboutTheCentreOfTheFrame)
{
    const Rect r(10, 20, 30, 40); // centre (25, 40)
    const auto t = QVMakeRotation(90, r);
    const auto near = [](Point a, Point b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; };
    EXPECT_TRUE(near(QVPointApplyRotation(Point(25, 40), t), Point(25, 40)));
    // 90 degrees turns right into down in flipped coordinates.
    EXPECT_TRUE(near(QVPointApplyRotation(Point(35, 40), t), Point(25, 50)));
    EXPECT_TRUE(near(QVPointApplyRotation(Point(10, 20), t), Point(45, 25)));
    EXPECT_TRUE(near(QVPointApplyRotation(Point(1, 2), QVMakeRotation(360, r)), Point(1, 2)));
    EXPECT_TRUE(QVMakeRotation(0, r).isIdentity());

    // The origin moves with the translation, the size vector without it; no bounding box.
    const Rect turned = QVRectApplyRotation(t, r);
    EXPECT_TRUE(near(turned.origin, Point(45, 25)));
    EXPECT_TRUE(near(Point(turned.size.width, turned.size.height), Point(-40, 30)));
}
