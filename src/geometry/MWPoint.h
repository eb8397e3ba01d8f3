// The coordinate type of the path boolean code, with the small pure vector functions it shares.
#pragma once

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct MWPoint {
    double x = 0;
    double y = 0;

    constexpr MWPoint() = default;
    constexpr MWPoint(double px, double py) : x(px), y(py) {}
    friend constexpr bool operator==(const MWPoint&, const MWPoint&) = default;
};

inline double FBDistanceBetweenPoints(MWPoint a, MWPoint b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}
inline MWPoint FBAddPoint(MWPoint a, MWPoint b) { return {a.x + b.x, a.y + b.y}; }
inline MWPoint FBSubtractPoint(MWPoint a, MWPoint b) { return {a.x - b.x, a.y - b.y}; }
inline MWPoint FBScalePoint(MWPoint p, double s) { return {p.x * s, p.y * s}; }
inline MWPoint FBNegatePoint(MWPoint p) { return {-p.x, -p.y}; }
inline double FBPointSquaredLength(MWPoint p) { return p.x * p.x + p.y * p.y; }
inline double FBPointLength(MWPoint p) { return std::sqrt(FBPointSquaredLength(p)); }
inline double FBDotMultiplyPoint(MWPoint a, MWPoint b) { return a.x * b.x + a.y * b.y; }
// std::round (halves away from zero, the sign of a zero kept) without its library call: results are rounded
// edge by edge, point by point.
inline double FBRoundValue(double x)
{
    if (!(std::fabs(x) < 4503599627370496.0)) // 2^52: already whole, or not finite
        return x;
    const double whole = double(static_cast<long long>(x));
    const double rest = x - whole; // exact
    // Without branches: the halves fall either way at random, which a predictor cannot follow.
    const double rounded = whole + double(rest >= 0.5) - double(rest <= -0.5);
    return std::copysign(rounded, x);
}
inline MWPoint FBRoundPoint(MWPoint p)
{
#if defined(__SSE2__)
    // Both coordinates at once, as FBRoundValue takes them, where their whole parts fit 32 bits (page
    // geometry always does).
    if (std::fabs(p.x) < 2147483647.0 && std::fabs(p.y) < 2147483647.0) {
        const __m128d v = _mm_set_pd(p.y, p.x);
        const __m128d whole = _mm_cvtepi32_pd(_mm_cvttpd_epi32(v));
        const __m128d rest = _mm_sub_pd(v, whole);
        const __m128d one = _mm_set1_pd(1.0);
        const __m128d up = _mm_and_pd(_mm_cmpge_pd(rest, _mm_set1_pd(0.5)), one);
        const __m128d down = _mm_and_pd(_mm_cmple_pd(rest, _mm_set1_pd(-0.5)), one);
        const __m128d rounded = _mm_sub_pd(_mm_add_pd(whole, up), down);
        const __m128d sign = _mm_set1_pd(-0.0);
        const __m128d result = _mm_or_pd(_mm_andnot_pd(sign, rounded), _mm_and_pd(sign, v));
        return {_mm_cvtsd_f64(result), _mm_cvtsd_f64(_mm_unpackhi_pd(result, result))};
    }
#endif
    return {FBRoundValue(p.x), FBRoundValue(p.y)};
}
inline MWPoint FBLineMidpoint(MWPoint a, MWPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

inline MWPoint FBUnitScalePoint(MWPoint p, double length)
{
    const double l = FBPointLength(p);
    return l == 0 ? p : FBScalePoint(p, length / l);
}
inline MWPoint FBNormalizePoint(MWPoint p) { return FBUnitScalePoint(p, 1.0); }

inline MWPoint FBLineNormal(MWPoint a, MWPoint b) { return FBNormalizePoint({a.y - b.y, b.x - a.x}); }

// Distance to the infinite line through start and end; 0 when they coincide.
inline double FBDistancePointToLine(MWPoint p, MWPoint start, MWPoint end)
{
    const double length = FBDistanceBetweenPoints(start, end);
    if (length == 0)
        return 0;
    return std::fabs((end.x - start.x) * (start.y - p.y) - (start.x - p.x) * (end.y - start.y)) / length;
}

inline bool FBAreValuesCloseWithOptions(double a, double b, double threshold) { return std::fabs(a - b) <= threshold; }
inline bool FBAreValuesClose(double a, double b) { return FBAreValuesCloseWithOptions(a, b, 1e-10); }
inline bool FBArePointsCloseWithOptions(MWPoint a, MWPoint b, double threshold)
{
    return FBAreValuesCloseWithOptions(a.x, b.x, threshold) && FBAreValuesCloseWithOptions(a.y, b.y, threshold);
}
inline bool FBArePointsClose(MWPoint a, MWPoint b) { return FBArePointsCloseWithOptions(a, b, 1e-10); }
