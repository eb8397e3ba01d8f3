// One cubic segment and the Bezier-clipping search for where two of them meet, with the parameter range,
// fat line, hull point and intersection records it uses. Lines are cubics with control points at the
// thirds of the chord, so lines and curves share one search.
#pragma once

#include "geometry/MWPoint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace pf {
class Path;
}

// A parameter interval; minimum 1, maximum 0 is the marker for "nothing left".
struct FBRange {
    double minimum = 0;
    double maximum = 0;
    friend constexpr bool operator==(const FBRange&, const FBRange&) = default;
};

// Inline: the intersection search calls these on every clipping pass.
inline FBRange FBRangeMake(double minimum, double maximum) { return {minimum, maximum}; }
inline bool FBRangeHasConverged(FBRange range, int places)
{
    const double factor = places == 6 ? 1e6 : std::pow(10.0, places);
    return std::trunc(range.minimum * factor) == std::trunc(range.maximum * factor);
}
inline double FBRangeGetSize(FBRange range) { return range.maximum - range.minimum; }
inline double FBRangeAverage(FBRange range) { return (range.minimum + range.maximum) / 2; }
inline double FBRangeScaleNormalizedValue(FBRange range, double value)
{
    return range.minimum + (range.maximum - range.minimum) * value;
}

// a·x + b·y + c is the signed distance from the line; (a, b) is a unit normal.
struct FBNormalizedLine {
    double a = 0;
    double b = 0;
    double c = 0;
};

// One vertex of a convex hull.
struct MWPointValue {
    MWPoint point;
    std::string description() const;
};

class FBBezierIntersection;

// Bounds the work of one intersection search: the halving recursion stops when it runs out. Curves that
// truly cross settle in a handful of searches; those that need more run within a hair of each other, where
// the search gives way to the sign changes of their distance, so a search spent past this is wasted.
struct FBIntersectionBudget {
    int remainingSearches = 20;
};

class FBBezierCurve {
public:
    FBBezierCurve() = default;
    FBBezierCurve(MWPoint endPoint1, MWPoint controlPoint1, MWPoint controlPoint2, MWPoint endPoint2)
        : endPoint1(endPoint1), controlPoint1(controlPoint1), controlPoint2(controlPoint2), endPoint2(endPoint2)
    {
    }
    // Inline: every line a graph reads becomes one.
    static FBBezierCurve bezierCurveWithLineStartPoint(MWPoint start, MWPoint end)
    {
        const MWPoint d = FBSubtractPoint(end, start);
        // Thirds of the chord, so that the parameter runs at uniform speed along the line.
        return {start, FBAddPoint(start, FBScalePoint(d, 1.0 / 3.0)), FBAddPoint(start, FBScalePoint(d, 2.0 / 3.0)),
                end};
    }
    // One curve per line-to and curve-to. A quadratic is raised to the equivalent cubic; a segment after a
    // close starts at the closed subpath's start.
    static std::vector<FBBezierCurve> bezierCurvesFromBezierPath(const pf::Path& path);

    MWPoint endPoint1;
    MWPoint controlPoint1;
    MWPoint controlPoint2;
    MWPoint endPoint2;

    friend bool operator==(const FBBezierCurve&, const FBBezierCurve&) = default;

    // --- Intersection (this curve as curve 1).
    std::vector<FBBezierIntersection> intersectionsWithBezierCurve(const FBBezierCurve& other) const;
    // The same into `results` (cleared first), where whether each curve is a uniform line (isUniformLine)
    // is known already: the graph's edges keep it.
    void intersectionsWithBezierCurve(const FBBezierCurve& other, bool usIsLine, bool themIsLine,
                                      std::vector<FBBezierIntersection>& results) const;
    void intersectionsWithBezierCurve(const FBBezierCurve& them, FBRange& usRange, FBRange& themRange,
                                      const FBBezierCurve& originalUs, const FBBezierCurve& originalThem,
                                      std::vector<FBBezierIntersection>& results, FBIntersectionBudget& budget,
                                      int depth = 0) const;
    FBBezierCurve bezierClipWithBezierCurve(const FBBezierCurve& curve, const FBBezierCurve& original,
                                            FBRange& rangeOfOriginal, bool& intersects) const;
    // The fat lines; a false `usable` means all four points coincide and nothing can be clipped.
    FBNormalizedLine regularFatLineBounds(FBRange& range, bool* usable = nullptr) const;
    FBNormalizedLine perpendicularFatLineBounds(FBRange& range, bool* usable = nullptr) const;
    FBRange clipWithFatLine(const FBNormalizedLine& line, FBRange bounds) const;

    // --- Geometry.
    FBBezierCurve subcurveWithRange(FBRange range) const;
    MWPoint pointAtParameter(double t, FBBezierCurve* left = nullptr, FBBezierCurve* right = nullptr) const;
    std::array<FBBezierCurve, 2> splitCurveAtParameter(double t) const;
    // One Newton step towards the parameter nearest the point; keeps t where the step is undefined.
    double refineParameter(double t, MWPoint point) const;
    std::vector<MWPointValue> convexHull() const;
    bool isPoint() const;
    void round();
    FBBezierCurve reversed() const;
    // Derivative direction at t (falls back to the chord direction where the derivative vanishes).
    MWPoint tangentAtParameter(double t) const;
    // Bounds of the four points: they contain the curve.
    void controlBounds(double& minX, double& minY, double& maxX, double& maxY) const;
    // Control points at the thirds of the chord: a line with uniform speed.
    bool isUniformLine() const;
    // Control points on the chord, between its ends.
    bool isStraightLine(double tolerance) const;
    // The parameter of the point of the curve nearest p, and its distance.
    double closestParameter(MWPoint p, double* distance = nullptr) const;
    // Whether p is certainly farther than `distance` from the curve: outside the band its control points
    // span about its chord, widened by `distance`. A cheap test before closestParameter.
    bool isFartherThan(MWPoint p, double distance) const;

    std::string description() const;
};

// Inline: evaluation, tangents and bounds sit in the inner loops of the intersection search and the point queries.
inline MWPoint FBBezierCurve::pointAtParameter(double t, FBBezierCurve* left, FBBezierCurve* right) const
{
    const auto lerp = [t](MWPoint a, MWPoint b) { return MWPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
    const MWPoint p01 = lerp(endPoint1, controlPoint1);
    const MWPoint p12 = lerp(controlPoint1, controlPoint2);
    const MWPoint p23 = lerp(controlPoint2, endPoint2);
    const MWPoint p012 = lerp(p01, p12);
    const MWPoint p123 = lerp(p12, p23);
    const MWPoint p = lerp(p012, p123);
    if (left)
        *left = {endPoint1, p01, p012, p};
    if (right)
        *right = {p, p123, p23, endPoint2};
    return p;
}

inline MWPoint FBBezierCurve::tangentAtParameter(double t) const
{
    const auto lerp = [t](MWPoint a, MWPoint b) { return MWPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
    const MWPoint d0 = FBScalePoint(FBSubtractPoint(controlPoint1, endPoint1), 3);
    const MWPoint d1 = FBScalePoint(FBSubtractPoint(controlPoint2, controlPoint1), 3);
    const MWPoint d2 = FBScalePoint(FBSubtractPoint(endPoint2, controlPoint2), 3);
    const MWPoint d = lerp(lerp(d0, d1), lerp(d1, d2));
    if (FBPointSquaredLength(d) > 0)
        return d;
    // A cusp or a point-like control polygon: look a little further along, then fall back to the chord.
    const MWPoint second = FBSubtractPoint(lerp(d1, d2), lerp(d0, d1));
    if (FBPointSquaredLength(second) > 0)
        return t < 1 ? second : FBNegatePoint(second);
    return FBSubtractPoint(endPoint2, endPoint1);
}

[[gnu::always_inline]] inline void FBBezierCurve::controlBounds(double& minX, double& minY, double& maxX,
                                                                 double& maxY) const
{
    // The first of equal values, as std::min and std::max over the four take it, step by step.
    const auto first = [](auto better, double a, double b, double c, double d) {
        double r = a;
        if (better(b, r))
            r = b;
        if (better(c, r))
            r = c;
        if (better(d, r))
            r = d;
        return r;
    };
    minX = first(std::less<>(), endPoint1.x, controlPoint1.x, controlPoint2.x, endPoint2.x);
    maxX = first(std::greater<>(), endPoint1.x, controlPoint1.x, controlPoint2.x, endPoint2.x);
    minY = first(std::less<>(), endPoint1.y, controlPoint1.y, controlPoint2.y, endPoint2.y);
    maxY = first(std::greater<>(), endPoint1.y, controlPoint1.y, controlPoint2.y, endPoint2.y);
}

// Where two curves meet. The location and the split curves of each side are computed on first use.
class FBBezierIntersection {
public:
    FBBezierIntersection(const FBBezierCurve& curve1, double parameter1, const FBBezierCurve& curve2,
                         double parameter2);

    const FBBezierCurve& curve1() const { return curve1_; }
    double parameter1() const { return parameter1_; }
    const FBBezierCurve& curve2() const { return curve2_; }
    double parameter2() const { return parameter2_; }
    void setParameters(double parameter1, double parameter2);
    // Hands over the point location() would take (curve 1's point at parameter 1), found already by the
    // caller: the same steps, so the same point.
    void setKnownLocation(MWPoint pointOnCurve1)
    {
        location_ = pointOnCurve1;
        locationKnown_ = true;
    }

    // Inline where known (every crossing asks it of its meeting).
    MWPoint location() const { return needToComputeCurve1_ && !locationKnown_ ? takeLocation() : location_; }
    const FBBezierCurve& curve1LeftBezier() const;
    const FBBezierCurve& curve1RightBezier() const;
    const FBBezierCurve& curve2LeftBezier() const;
    const FBBezierCurve& curve2RightBezier() const;

    bool isTangent() const;
    bool isAtStartOfCurve1() const;
    bool isAtStopOfCurve1() const;
    bool isAtEndPointOfCurve1() const { return isAtStartOfCurve1() || isAtStopOfCurve1(); }
    bool isAtStartOfCurve2() const;
    bool isAtStopOfCurve2() const;
    bool isAtEndPointOfCurve2() const { return isAtStartOfCurve2() || isAtStopOfCurve2(); }
    bool isAtEndPointOfCurve() const { return isAtEndPointOfCurve1() || isAtEndPointOfCurve2(); }

    std::string description() const;

private:
    MWPoint takeLocation() const;
    void computeCurve1() const;
    void computeCurve2() const;

    FBBezierCurve curve1_;
    FBBezierCurve curve2_;
    double parameter1_ = 0;
    double parameter2_ = 0;
    mutable bool needToComputeCurve1_ = true;
    mutable bool needToComputeCurve2_ = true;
    mutable bool locationKnown_ = false;
    mutable MWPoint location_;
    mutable FBBezierCurve curve1LeftBezier_;
    mutable FBBezierCurve curve1RightBezier_;
    mutable FBBezierCurve curve2LeftBezier_;
    mutable FBBezierCurve curve2RightBezier_;
};

// A stretch along which two curves coincide: [curve1Range] on curve 1 runs over [curve2Start, curve2Stop] on
// curve 2 (curve2Start > curve2Stop when they run in opposite directions).
struct FBCurveOverlap {
    FBRange curve1Range;
    double curve2Start = 0;
    double curve2Stop = 0;
};

// Whether the two curves share a stretch of non-zero length (within the tolerance); fills the overlap.
bool FBCurvesOverlap(const FBBezierCurve& curve1, const FBBezierCurve& curve2, double tolerance,
                     FBCurveOverlap& overlap);
