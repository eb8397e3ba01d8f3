#include "geometry/QVRect.h"

#include "platform/foundation/Localized.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

using pf::Point;
using pf::Rect;
using pf::Size;

namespace {

// Where a corner sits along one axis of the rect.
enum class Along { Min, Mid, Max };

struct CornerInfo {
    const char* description;
    const char* displayName;
    Along alongX;
    Along alongY;
    QVRectCorner opposite;
    QVRectCorner stable;
    double angle;
};

// Row i is corner i − 1, so the none row comes first.
constexpr std::array<CornerInfo, 10> cornerTable{{
    {"QVRectCornerNone", "None", Along::Min, Along::Min, -1, -1, 0},
    {"QVRectCornerTopLef", "Top Left", Along::Min, Along::Min, 8, 0, 225},
    {"QVRectCornerTopMid", "Top Center", Along::Mid, Along::Min, 7, 0, 270},
    {"QVRectCornerTopRit", "Top Right", Along::Max, Along::Min, 6, 2, 315},
    {"QVRectCornerMidLef", "Center Left", Along::Min, Along::Mid, 5, 0, 180},
    {"QVRectCornerMidMid", "Center", Along::Mid, Along::Mid, 4, 4, 0},
    {"QVRectCornerMidRit", "Center Right", Along::Max, Along::Mid, 3, 8, 0},
    {"QVRectCornerBotLef", "Bottom Left", Along::Min, Along::Max, 2, 6, 135},
    {"QVRectCornerBotMid", "Bottom Center", Along::Mid, Along::Max, 1, 8, 90},
    {"QVRectCornerBotRit", "Bottom Right", Along::Max, Along::Max, 0, 8, 45},
}};

const CornerInfo* cornerInfo(QVRectCorner corner)
{
    if (corner < QVRectCornerNone || corner > QVRectCornerBotRit)
        return nullptr;
    return &cornerTable[std::size_t(corner + 1)];
}

double along(double origin, double extent, Along where)
{
    switch (where) {
    case Along::Min:
        return origin;
    case Along::Mid:
        return origin + extent / 2;
    case Along::Max:
        return origin + extent;
    }
    return origin;
}

// The closed angle sectors in the order they are tested; a boundary belongs to the first that holds it.
struct Sector {
    double from;
    double to;
    QVRectCorner corner;
    double snapped;
};

constexpr std::array<Sector, 9> sectors{{
    {337.5, 360, QVRectCornerMidRit, 0},
    {0, 22.5, QVRectCornerMidRit, 0},
    {22.5, 67.5, QVRectCornerBotRit, 45},
    {67.5, 112.5, QVRectCornerBotMid, 90},
    {112.5, 157.5, QVRectCornerBotLef, 135},
    {157.5, 202.5, QVRectCornerMidLef, 180},
    {202.5, 247.5, QVRectCornerTopLef, 225},
    {247.5, 292.5, QVRectCornerTopMid, 270},
    {292.5, 337.5, QVRectCornerTopRit, 315},
}};

const Sector* sectorFor(double degrees)
{
    for (const Sector& s : sectors)
        if (degrees >= s.from && degrees <= s.to)
            return &s;
    return nullptr;
}

bool isZeroOrNotFinite(double v) { return v == 0 || !std::isfinite(v); }

template <typename OriginOp, typename SizeOp>
Rect mapRect(const Rect& r, OriginOp originOp, SizeOp sizeOp)
{
    return {originOp(r.origin.x), originOp(r.origin.y), sizeOp(r.size.width), sizeOp(r.size.height)};
}

template <typename Op>
Point mapPoint(const Point& p, Op op)
{
    return {op(p.x), op(p.y)};
}

double roundAway(double v) { return std::round(v); }
double floorPlusHalf(double v) { return std::floor(v) + 0.5; }
double roundPlusHalf(double v) { return std::round(v) + 0.5; }
double roundMinusHalf(double v) { return std::round(v) - 0.5; }
double floorOf(double v) { return std::floor(v); }
double ceilOf(double v) { return std::ceil(v); }

// Origin floored, size rounded, a size component under minimum (or not finite) replaced first.
Rect standardize(const Rect& r, double minimum, double replacement)
{
    auto fix = [&](double v) { return (v < minimum || !std::isfinite(v)) ? replacement : v; };
    return {std::floor(r.origin.x), std::floor(r.origin.y), std::round(fix(r.size.width)),
            std::round(fix(r.size.height))};
}

double clampedFraction(double offset, double extent)
{
    if (extent == 0)
        return 0;
    const double f = offset / extent;
    if (std::isnan(f))
        return 0;
    return std::clamp(f, 0.0, 1.0);
}

} // namespace

double QVMax(double a, double b) { return a > b ? a : b; }
double QVMin(double a, double b) { return a < b ? a : b; }

double QVRoundHalf(double v) { return std::copysign(std::round(2 * std::abs(v)) * 0.5, v); }
double QVFloorHalf(double v) { return std::copysign(std::floor(2 * std::abs(v)) * 0.5, v); }

double QVClosest(double target, double a, double b)
{
    return std::abs(a - target) < std::abs(b - target) ? a : b;
}

double QVGetDiagonalBetween(Point p1, Point p2)
{
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    return std::sqrt(dx * dx + dy * dy);
}

double QVDiagonalFromRect(Rect r) { return std::sqrt(r.size.width * r.size.width + r.size.height * r.size.height); }

Rect QVRectFromPoints(Point p1, Point p2) { return {p1.x, p1.y, p2.x - p1.x, p2.y - p1.y}; }

Rect QVRectAroundPoint(Point p, double width, double height)
{
    return {p.x - width / 2, p.y - height / 2, width, height};
}

Rect QVSquareAroundPoint(Point p, double side) { return QVRectAroundPoint(p, side, side); }

Point QVRectGetCornerPoint(QVRectCorner corner, Rect r)
{
    if (corner == QVRectCornerNone)
        return {};
    const CornerInfo* info = cornerInfo(corner);
    if (info == nullptr)
        return {};
    return {along(r.origin.x, r.size.width, info->alongX), along(r.origin.y, r.size.height, info->alongY)};
}

Point QVRectGetTopLefPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerTopLef, r); }
Point QVRectGetTopMidPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerTopMid, r); }
Point QVRectGetTopRitPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerTopRit, r); }
Point QVRectGetMidLefPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerMidLef, r); }
Point QVRectGetMidMidPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerMidMid, r); }
Point QVRectGetMidRitPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerMidRit, r); }
Point QVRectGetBotLefPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerBotLef, r); }
Point QVRectGetBotMidPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerBotMid, r); }
Point QVRectGetBotRitPoint(Rect r) { return QVRectGetCornerPoint(QVRectCornerBotRit, r); }

Point QVRectGetPointClosestToPoint(Point p, Rect r)
{
    // max(min(...)) rather than std::clamp: a denormalised rect must not make the bounds invalid.
    return {std::max(r.origin.x, std::min(p.x, r.origin.x + r.size.width)),
            std::max(r.origin.y, std::min(p.y, r.origin.y + r.size.height))};
}

bool QVPointIsMaxFloat(Point p) { return p.x == QVMaxFloat && p.y == QVMaxFloat; }

bool QVRectIsZero(Rect r) { return r == Rect::zero(); }

bool QVSizeContainsSize(Size a, Size b) { return a.width >= b.width && a.height >= b.height; }

bool QVRectIsValid(Rect r)
{
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width)
        && std::isfinite(r.size.height);
}

bool QVRectIsValidNotZeroSize(Rect r)
{
    auto tiny = [](double v) { return v > -1 && v < 1; };
    return QVRectIsValid(r) && !tiny(r.size.width) && !tiny(r.size.height);
}

bool QVRectCornerIsCorner(QVRectCorner corner)
{
    return corner >= 0 && corner < 9 && ((0x145 >> corner) & 1) != 0;
}

Rect QVRectOutset(Rect r, double dx, double dy)
{
    const double sx = r.size.width < 0 ? -1 : 1;
    const double sy = r.size.height < 0 ? -1 : 1;
    return {r.origin.x - sx * dx, r.origin.y - sy * dy, r.size.width + sx * 2 * dx, r.size.height + sy * 2 * dy};
}

Rect QVCombineRects(Rect a, Rect b)
{
    if (QVRectIsZero(a))
        return b;
    if (QVRectIsZero(b))
        return a;
    return a.united(b);
}

Rect QVRectFloor(Rect r) { return mapRect(r, floorOf, roundAway); }
Rect QVRectCeil(Rect r) { return mapRect(r, ceilOf, ceilOf); }
Rect QVRectRound(Rect r) { return mapRect(r, roundAway, roundAway); }
Rect QVRectRoundHalf(Rect r) { return mapRect(r, QVRoundHalf, QVRoundHalf); }
Rect QVRectFloorPlusHalf(Rect r) { return mapRect(r, floorPlusHalf, roundAway); }
Rect QVRectRoundPlusHalf(Rect r) { return mapRect(r, roundPlusHalf, roundAway); }
Rect QVRectRoundMinusHalf(Rect r) { return mapRect(r, roundMinusHalf, roundAway); }

Rect QVRectStandardize(Rect r) { return standardize(r, 1, 1); }
Rect QVRectStandardizeZero(Rect r) { return standardize(r, 0, 0); }

Rect QVRectNotZeroSize(Rect r)
{
    Rect n = r.insetBy(0, 0);
    if (isZeroOrNotFinite(n.size.width))
        n.size.width = 1;
    else if (isZeroOrNotFinite(n.size.height))
        n.size.height = 1;
    return n;
}

Rect QVRectGetNormalizedRect(Rect r)
{
    return {r.size.width < 0 ? r.origin.x + r.size.width : r.origin.x,
            r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y, std::abs(r.size.width),
            std::abs(r.size.height)};
}

Rect QVRectGetNormalizedHeightRect(Rect r)
{
    return {r.origin.x, r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y, r.size.width,
            std::abs(r.size.height)};
}

Point QVPointCeil(Point p) { return mapPoint(p, ceilOf); }
Point QVPointFloor(Point p) { return mapPoint(p, floorOf); }
Point QVPointRound(Point p) { return mapPoint(p, roundAway); }
Point QVPointFloorPlusHalf(Point p) { return mapPoint(p, floorPlusHalf); }
Point QVPointRoundPlusHalf(Point p) { return mapPoint(p, roundPlusHalf); }
Point QVPointRoundMinusHalf(Point p) { return mapPoint(p, roundMinusHalf); }
Size QVSizeRound(Size s) { return {std::round(s.width), std::round(s.height)}; }

std::optional<QString> QVRectCornerGetDescription(QVRectCorner corner)
{
    const CornerInfo* info = cornerInfo(corner);
    if (info == nullptr)
        return std::nullopt;
    return QString::fromLatin1(info->description);
}

std::optional<QString> QVRectCornerGetDisplayName(QVRectCorner corner)
{
    const CornerInfo* info = cornerInfo(corner);
    if (info == nullptr)
        return std::nullopt;
    return pf::localized(QString::fromLatin1(info->displayName));
}

QVRectCorner QVRectGetOppositeCorner(QVRectCorner corner)
{
    const CornerInfo* info = cornerInfo(corner);
    return info != nullptr ? info->opposite : QVRectCornerNone;
}

QVRectCorner QVRectGetStableCorner(QVRectCorner corner)
{
    const CornerInfo* info = cornerInfo(corner);
    return info != nullptr ? info->stable : QVRectCornerNone;
}

double QVAngleForRectCorner(QVRectCorner corner)
{
    const CornerInfo* info = cornerInfo(corner);
    return info != nullptr ? info->angle : 0;
}

std::optional<QString> QVRectEdgeGetDescription(QVRectEdge edge)
{
    static constexpr std::array<const char*, 6> names{"NONE", "LEFT", "RIGHT", "TOP", "BOTTOM", "MID"};
    if (edge < QVRectEdgeNone || edge > QVRectEdgeMid)
        return std::nullopt;
    return QString::fromLatin1(names[std::size_t(edge + 1)]);
}

QVRectEdge QVRectGetEdgeForPoint(double* fraction, Point p, Rect r)
{
    if (fraction != nullptr)
        *fraction = 0;
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    // Bands 2 points wide, centred on their edge and reaching 1 point past its ends, built on r as it
    // points; containment normalises them.
    const double bandY = h < 0 ? y + 1 : y - 1;
    const double bandH = h < 0 ? h - 2 : h + 2;
    const double bandX = w < 0 ? x + 1 : x - 1;
    const double bandW = w < 0 ? w - 2 : w + 2;
    const Rect left(x - 1, bandY, 2, bandH);
    const Rect right(x + w - 1, bandY, 2, bandH);
    const Rect top(bandX, y - 1, bandW, 2);
    const Rect bottom(bandX, y + h - 1, bandW, 2);
    const Rect mid(QVRectAroundPoint(Point(x + w / 2, y + h / 2), w / 4, h / 4));

    const std::array<std::pair<const Rect&, QVRectEdge>, 5> tests{{
        {mid, QVRectEdgeMid},
        {bottom, QVRectEdgeBottom},
        {top, QVRectEdgeTop},
        {right, QVRectEdgeRight},
        {left, QVRectEdgeLeft},
    }};
    const auto hit = std::find_if(tests.begin(), tests.end(), [&](const auto& t) { return t.first.contains(p); });
    if (hit == tests.end())
        return QVRectEdgeNone;
    const QVRectEdge edge = hit->second;

    if (fraction != nullptr) {
        const Rect n = QVRectGetNormalizedRect(r);
        // A zero-width or zero-height rect has no extent to divide by: the fraction is 0, never NaN.
        *fraction = (edge == QVRectEdgeLeft || edge == QVRectEdgeRight)
            ? clampedFraction(p.y - n.origin.y, n.size.height)
            : clampedFraction(p.x - n.origin.x, n.size.width);
    }
    return edge;
}

Rect QVRectSetAnchor(Point p, QVRectCorner corner, Rect r)
{
    if (corner < QVRectCornerTopLef || corner > QVRectCornerBotRit)
        return r;
    const Point at = QVRectGetCornerPoint(corner, r);
    return {r.origin + (p - at), r.size};
}

Rect QVRectSetCorner(Point p, QVRectCorner corner, Rect r)
{
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    switch (corner) {
    case QVRectCornerTopLef:
        return {p.x, p.y, w + (x - p.x), h + (y - p.y)};
    case QVRectCornerTopMid:
        return {x, p.y, w, y + h - p.y};
    case QVRectCornerTopRit:
        return {x, p.y, p.x - x, h + (y - p.y)};
    case QVRectCornerMidLef:
        return {p.x, y, x + w - p.x, h};
    case QVRectCornerMidRit:
        return {x, y, p.x - x, h};
    case QVRectCornerBotLef:
        return {p.x, y, w + (x - p.x), p.y - y};
    case QVRectCornerBotMid:
        return {x, y, w, p.y - y};
    case QVRectCornerBotRit:
        return {x, y, p.x - x, p.y - y};
    default:
        return r;
    }
}

QVRectCorner QVRectGetDenomalizedCorner(Rect r)
{
    if (std::isnan(r.size.width) || std::isnan(r.size.height))
        return QVRectCornerNone;
    const bool flippedX = r.size.width < 0;
    const bool flippedY = r.size.height < 0;
    if (flippedX)
        return flippedY ? QVRectCornerBotRit : QVRectCornerTopRit;
    return flippedY ? QVRectCornerBotLef : QVRectCornerTopLef;
}

Rect QVRectGetDenormalizedRect(Rect r, QVRectCorner corner)
{
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    switch (corner) {
    case QVRectCornerBotRit:
        return {x + w, y + h, -w, -h};
    case QVRectCornerBotLef:
        return {x, y + h, w, -h};
    case QVRectCornerTopRit:
        return {x + w, y, -w, h};
    default:
        return r;
    }
}

QVRectCorner QVRectCornerForAngle(double degrees)
{
    if (degrees < 0)
        degrees += 360;
    const Sector* s = sectorFor(degrees);
    return s != nullptr ? s->corner : QVRectCornerNone;
}

double QVShiftConstrainedAngleForAngle(double degrees)
{
    // Callers bring the angle into 0..360 first; anything else is passed through.
    if (degrees < 0)
        return degrees + 360;
    const Sector* s = sectorFor(degrees);
    return s != nullptr ? s->snapped : degrees;
}

pf::AffineTransform QVMakeRotation(int degrees, Rect r)
{
    const double cx = r.origin.x + r.size.width / 2;
    const double cy = r.origin.y + r.size.height / 2;
    return pf::AffineTransform::translation(cx, cy)
        .rotated(degrees * std::numbers::pi / 180)
        .translated(-cx, -cy);
}

Rect QVRectApplyRotation(const pf::AffineTransform& t, Rect r) { return {t.apply(r.origin), t.apply(r.size)}; }

Point QVPointApplyRotation(Point p, const pf::AffineTransform& t) { return t.apply(p); }
