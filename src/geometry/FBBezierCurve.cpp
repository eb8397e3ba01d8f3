#include "geometry/FBBezierCurve.h"

#include "platform/graphics/Path.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

// ---------------------------------------------------------------------------------------------------------
// Ranges

namespace {

constexpr FBRange kNothingLeft{1, 0};

// Whether each control point of one curve lies within `distance` of the matching one of the other, taken
// in the same or in the opposite direction: then the curves lie that close to each other throughout.
bool controlPointsWithin(const FBBezierCurve& a, const FBBezierCurve& b, double distance)
{
    const MWPoint p[4] = {a.endPoint1, a.controlPoint1, a.controlPoint2, a.endPoint2};
    const MWPoint q[4] = {b.endPoint1, b.controlPoint1, b.controlPoint2, b.endPoint2};
    const auto within = [&](bool reversed) {
        for (int i = 0; i < 4; ++i)
            if (!(FBDistanceBetweenPoints(p[i], q[reversed ? 3 - i : i]) <= distance))
                return false;
        return true;
    };
    return within(false) || within(true);
}

// Two curves' points together: the larger of their two extents (the size a search between them scales
// by), the box round both and its largest coordinate.
struct PairBounds {
    double size = 0;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double magnitude() const { return std::max({std::fabs(minX), std::fabs(minY), std::fabs(maxX), std::fabs(maxY)}); }
};

PairBounds boundsOfPair(const FBBezierCurve& a, const FBBezierCurve& b)
{
    double minX1, minY1, maxX1, maxY1, minX2, minY2, maxX2, maxY2;
    a.controlBounds(minX1, minY1, maxX1, maxY1);
    b.controlBounds(minX2, minY2, maxX2, maxY2);
    return {std::max({maxX1 - minX1, maxY1 - minY1, maxX2 - minX2, maxY2 - minY2}), std::min(minX1, minX2),
            std::min(minY1, minY2), std::max(maxX1, maxX2), std::max(maxY1, maxY2)};
}

// A curve clipped down to a point (the search runs on curves of about unit size). All four points count:
// a loop from a point back to it is no point.
bool shrunkToPoint(const FBBezierCurve& c)
{
    double minX, minY, maxX, maxY;
    c.controlBounds(minX, minY, maxX, maxY);
    return maxX - minX <= 1e-10 && maxY - minY <= 1e-10;
}

// Converged to six places, or too small to split further (a range straddling a decimal boundary would
// otherwise never count as converged).
bool rangeIsSettled(FBRange range) { return FBRangeHasConverged(range, 6) || FBRangeGetSize(range) < 1e-9; }

MWPoint lerp(MWPoint a, MWPoint b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

double cross(MWPoint a, MWPoint b) { return a.x * b.y - a.y * b.x; }

FBNormalizedLine lineThrough(MWPoint p1, MWPoint p2)
{
    double a = p1.y - p2.y;
    double b = p2.x - p1.x;
    double c = p1.x * p2.y - p1.y * p2.x;
    const double length = std::sqrt(a * a + b * b);
    if (length != 0) {
        a /= length;
        b /= length;
        c /= length;
    }
    return {a, b, c};
}

double distanceFromLine(const FBNormalizedLine& line, MWPoint p) { return line.a * p.x + line.b * p.y + line.c; }

// The chord used for the fat lines: the end points, or when they coincide the first end point and the
// control point farthest from it. False when all four points coincide.
bool fatLineChord(const FBBezierCurve& curve, MWPoint& from, MWPoint& to)
{
    from = curve.endPoint1;
    to = curve.endPoint2;
    if (from != to)
        return true;
    const double d1 = FBPointSquaredLength(FBSubtractPoint(curve.controlPoint1, from));
    const double d2 = FBPointSquaredLength(FBSubtractPoint(curve.controlPoint2, from));
    to = d1 >= d2 ? curve.controlPoint1 : curve.controlPoint2;
    return to != from;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Curve construction

std::vector<FBBezierCurve> FBBezierCurve::bezierCurvesFromBezierPath(const pf::Path& path)
{
    std::vector<FBBezierCurve> curves;
    MWPoint current;
    MWPoint subpathStart;
    for (const pf::PathElement& e : path.elements()) {
        const auto point = [&](int i) { return MWPoint{e.points[i].x, e.points[i].y}; };
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            current = subpathStart = point(0);
            break;
        case pf::PathElementType::LineTo:
            curves.push_back(bezierCurveWithLineStartPoint(current, point(0)));
            current = point(0);
            break;
        case pf::PathElementType::QuadTo: {
            // The exact cubic of the quadratic.
            const MWPoint c = point(0), end = point(1);
            curves.emplace_back(current, lerp(current, c, 2.0 / 3.0), lerp(end, c, 2.0 / 3.0), end);
            current = end;
            break;
        }
        case pf::PathElementType::CurveTo:
            curves.emplace_back(current, point(0), point(1), point(2));
            current = point(2);
            break;
        case pf::PathElementType::Close:
            current = subpathStart;
            break;
        }
    }
    return curves;
}

// ---------------------------------------------------------------------------------------------------------
// Geometry

std::array<FBBezierCurve, 2> FBBezierCurve::splitCurveAtParameter(double t) const
{
    std::array<FBBezierCurve, 2> parts;
    pointAtParameter(t, &parts[0], &parts[1]);
    return parts;
}

FBBezierCurve FBBezierCurve::subcurveWithRange(FBRange range) const
{
    FBBezierCurve right;
    pointAtParameter(range.minimum, nullptr, &right);
    if (range.minimum == 1.0)
        return right;
    FBBezierCurve left;
    right.pointAtParameter((range.maximum - range.minimum) / (1.0 - range.minimum), &left, nullptr);
    return left;
}

FBBezierCurve FBBezierCurve::reversed() const { return {endPoint2, controlPoint2, controlPoint1, endPoint1}; }


namespace {

// One Newton step for the parameter nearest `point`, given the curve's point at t.
double refineFrom(const FBBezierCurve& c, double t, MWPoint atT, MWPoint point)
{
    const MWPoint d0 = FBScalePoint(FBSubtractPoint(c.controlPoint1, c.endPoint1), 3);
    const MWPoint d1 = FBScalePoint(FBSubtractPoint(c.controlPoint2, c.controlPoint1), 3);
    const MWPoint d2 = FBScalePoint(FBSubtractPoint(c.endPoint2, c.controlPoint2), 3);
    const MWPoint first = lerp(lerp(d0, d1, t), lerp(d1, d2, t), t);
    const MWPoint second = lerp(FBScalePoint(FBSubtractPoint(d1, d0), 2), FBScalePoint(FBSubtractPoint(d2, d1), 2), t);
    const MWPoint diff = FBSubtractPoint(atT, point);
    const double denominator = FBDotMultiplyPoint(first, first) + FBDotMultiplyPoint(diff, second);
    if (denominator == 0)
        return t;
    const double next = t - FBDotMultiplyPoint(diff, first) / denominator;
    if (!std::isfinite(next))
        return t;
    return std::clamp(next, 0.0, 1.0);
}

// The curve in power form about its start, p0 + ((a t + b) t + c) t: a point and both derivatives by
// Horner's rule, the cheapest evaluation for the many Newton steps of the nearest-point search.
struct CubicPolynomial {
    MWPoint a, b, c, origin;
    explicit CubicPolynomial(const FBBezierCurve& k) : origin(k.endPoint1)
    {
        const MWPoint q1 = FBSubtractPoint(k.controlPoint1, k.endPoint1);
        const MWPoint q2 = FBSubtractPoint(k.controlPoint2, k.endPoint1);
        const MWPoint q3 = FBSubtractPoint(k.endPoint2, k.endPoint1);
        c = FBScalePoint(q1, 3);
        b = FBScalePoint(FBSubtractPoint(q2, FBScalePoint(q1, 2)), 3);
        a = FBAddPoint(FBSubtractPoint(q3, FBScalePoint(q2, 3)), FBScalePoint(q1, 3));
    }
    MWPoint at(double t) const
    {
        return {origin.x + ((a.x * t + b.x) * t + c.x) * t, origin.y + ((a.y * t + b.y) * t + c.y) * t};
    }
    MWPoint velocity(double t) const { return {(3 * a.x * t + 2 * b.x) * t + c.x, (3 * a.y * t + 2 * b.y) * t + c.y}; }
    MWPoint acceleration(double t) const { return {6 * a.x * t + 2 * b.x, 6 * a.y * t + 2 * b.y}; }
};

double squaredDistance(MWPoint a, MWPoint b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// The curve's nearest point to p: parameter, distance and the point itself.
struct Nearest {
    double parameter;
    double distance;
    MWPoint point;
};

// The nearest-point search on one curve: the power form is made once, and for a search asked many times
// the starting samples (the curve's points at sixteenths of its parameter) too; a single search takes
// them as it scans.
class NearestOnCurve {
public:
    explicit NearestOnCurve(const FBBezierCurve& curve) : NearestOnCurve(curve, curve.isUniformLine(), true) {}
    NearestOnCurve(const FBBezierCurve& curve, bool line, bool keepSamples)
        : curve_(curve), polynomial_(curve), line_(line), keptSamples_(keepSamples && !line)
    {
        if (keptSamples_)
            for (int i = 0; i <= kSamples; ++i)
                samples_[size_t(i)] = polynomial_.at(double(i) / kSamples);
    }
    // With a `hint` (the answer for a neighbouring point, on curves that run within a hair of each other)
    // Newton starts there and its answer stands once it settles; otherwise, or when it does not settle, it
    // starts from the best sample. It runs while it gains.
    Nearest operator()(MWPoint p, double hint = -1) const
    {
        Nearest nearest{};
        if (line_) {
            nearest.parameter = curve_.closestParameter(p, &nearest.distance);
            nearest.point = curve_.pointAtParameter(nearest.parameter);
            return nearest;
        }
        Start start;
        if (hint >= 0) {
            start = {hint, polynomial_.at(hint), 0};
            start.squared = squaredDistance(start.point, p);
            if (newton(p, start))
                return start.answer();
        }
        // The squares first, in a loop without branches, then the first nearest of them.
        std::array<double, kSamples + 1> squares;
        if (keptSamples_)
            for (int i = 0; i <= kSamples; ++i)
                squares[size_t(i)] = squaredDistance(samples_[size_t(i)], p);
        else
            for (int i = 0; i <= kSamples; ++i)
                squares[size_t(i)] = squaredDistance(polynomial_.at(double(i) / kSamples), p);
        Start best{0, {}, std::numeric_limits<double>::infinity()};
        int first = -1;
        for (int i = 0; i <= kSamples; ++i)
            if (squares[size_t(i)] < best.squared)
                best.squared = squares[size_t(i)], first = i;
        if (first >= 0) {
            best.t = double(first) / kSamples;
            best.point = keptSamples_ ? samples_[size_t(first)] : polynomial_.at(best.t);
        }
        if (hint >= 0 && start.squared < best.squared)
            best = start;
        newton(p, best);
        return best.answer();
    }
    const FBBezierCurve& curve() const { return curve_; }
    MWPoint tangentAt(double t) const
    {
        const MWPoint v = polynomial_.velocity(t);
        return FBPointSquaredLength(v) > 0 ? v : curve_.tangentAtParameter(t);
    }

private:
    struct Start {
        double t;
        MWPoint point;
        double squared;
        Nearest answer() const { return {t, std::sqrt(squared), point}; }
    };
    // Newton steps from `at` while they gain; answers whether the search settled (its last step was
    // within rounding, or it stayed at an end).
    bool newton(MWPoint p, Start& at) const
    {
        for (int i = 0; i < 6; ++i) {
            const MWPoint first = polynomial_.velocity(at.t);
            const MWPoint diff = FBSubtractPoint(at.point, p);
            const double denominator = FBDotMultiplyPoint(first, first)
                                       + FBDotMultiplyPoint(diff, polynomial_.acceleration(at.t));
            if (denominator == 0)
                return false;
            const double t = std::clamp(at.t - FBDotMultiplyPoint(diff, first) / denominator, 0.0, 1.0);
            if (!std::isfinite(t))
                return false;
            if (t == at.t)
                return true;
            const MWPoint point = polynomial_.at(t);
            const double squared = squaredDistance(point, p);
            if (!(squared < at.squared))
                return std::fabs(t - at.t) <= 1e-12;
            const bool settled = std::fabs(t - at.t) <= 1e-9; // the next step would move it by rounding only
            at = {t, point, squared};
            if (settled)
                return true;
        }
        return false;
    }

    static constexpr int kSamples = 16;
    const FBBezierCurve& curve_;
    CubicPolynomial polynomial_;
    bool line_;
    bool keptSamples_;
    std::array<MWPoint, kSamples + 1> samples_;
};

// Signed distance from us(t) to them, positive on the left of them; `foot` is the parameter of the
// nearest point on them, and on entry (when not negative) a hint for it.
double signedDistanceTo(const CubicPolynomial& us, const NearestOnCurve& them, double t, double& foot)
{
    const MWPoint p = us.at(t);
    const Nearest nearest = them(p, foot);
    foot = nearest.parameter;
    const MWPoint offset = FBSubtractPoint(p, nearest.point);
    const MWPoint tangent = them.tangentAt(foot);
    return tangent.x * offset.y - tangent.y * offset.x >= 0 ? nearest.distance : -nearest.distance;
}

void crossingsOfNearlyCoincidentCurves(const FBBezierCurve& us, const FBBezierCurve& them,
                                       std::vector<FBBezierIntersection>& results)
{
    // A sign change next to an end of `them` may come only from the nearest point stopping at that end;
    // each root is kept only where the curves truly meet (the curves are about unit size here).
    constexpr int samples = 64;
    constexpr int stride = 4; // samples per step of the first, coarse pass
    constexpr int steps = samples / stride;
    constexpr double meeting = 1e-9;
    constexpr double noise = 1e-15; // the rounding of a distance between curves of unit size
    const NearestOnCurve nearestOnThem(them);
    const CubicPolynomial usPolynomial(us);
    // A bound on the speed of `us`: its derivative's control points.
    const double speed = 3 * std::max({FBDistanceBetweenPoints(us.endPoint1, us.controlPoint1),
                                       FBDistanceBetweenPoints(us.controlPoint1, us.controlPoint2),
                                       FBDistanceBetweenPoints(us.controlPoint2, us.endPoint2)});
    // Regula falsi with the Illinois halving between samples of opposite signs: the distance is smooth
    // across a crossing, so this takes a few steps where bisection takes fifty. A crossing is kept where
    // the distance is within `meeting` on both sides of the narrowed bracket; a jump of the nearest point
    // (at an end of `them`, no crossing) leaves one side far.
    const auto narrow = [&](double lo, double hi, double loD, double hiD, double loFoot, double hiFoot) {
        double foot = hiFoot;
        double loGap = std::fabs(loD), hiGap = std::fabs(hiD);
        int kept = 0;
        for (int k = 0; k < 100 && hi - lo > 1e-16; ++k) {
            // Both ends as near the other curve as the distance can be told: the polish takes it from here.
            if (std::max(loGap, hiGap) <= noise)
                break;
            // The distance moves by at most the speed of `us` per unit of t: ends this far apart hold no
            // meeting between them, and the sign change is a jump of the nearest point.
            if (loGap + hiGap > speed * (hi - lo) + 2 * meeting)
                return;
            double middle = (lo * hiD - hi * loD) / (hiD - loD);
            if (!(middle > lo && middle < hi))
                middle = (lo + hi) / 2;
            if (!(middle > lo && middle < hi))
                break; // neighbouring numbers
            const double m = signedDistanceTo(usPolynomial, nearestOnThem, middle, foot);
            if (m == 0) {
                lo = hi = middle, loGap = hiGap = 0, loFoot = hiFoot = foot;
                break;
            }
            if ((m < 0) == (loD < 0)) {
                lo = middle, loD = m, loGap = std::fabs(m), loFoot = foot;
                if (kept == -1)
                    hiD /= 2;
                kept = -1;
            } else {
                hi = middle, hiD = m, hiGap = std::fabs(m), hiFoot = foot;
                if (kept == 1)
                    loD /= 2;
                kept = 1;
            }
        }
        if (std::max(loGap, hiGap) <= meeting) {
            if (loGap <= hiGap)
                results.emplace_back(us, lo, them, loFoot);
            else
                results.emplace_back(us, hi, them, hiFoot);
        }
    };
    // The coarse pass. The nearest points advance about evenly along a near copy: each search starts one
    // step on from the last answer, where Newton settles in a step or two.
    std::array<double, steps + 1> distance{}, feet{};
    double foot = -1, footStep = 0;
    for (int k = 0; k <= steps; ++k) {
        if (k > 0)
            foot = std::clamp(feet[size_t(k - 1)] + footStep, 0.0, 1.0);
        distance[size_t(k)] = signedDistanceTo(usPolynomial, nearestOnThem, double(k * stride) / samples, foot);
        feet[size_t(k)] = foot;
        if (k > 0)
            footStep = feet[size_t(k)] - feet[size_t(k - 1)];
    }
    const auto bend = [&](int k) {
        const size_t i = size_t(std::clamp(k, 1, steps - 1));
        return std::fabs(distance[i - 1] - 2 * distance[i] + distance[i + 1]);
    };
    for (int k = 0; k < steps; ++k) {
        const double d0 = distance[size_t(k)], d1 = distance[size_t(k + 1)];
        // Between two samples of one sign a smooth distance strays from their chord by about an eighth of
        // its second difference: where both lie farther from zero than twice the larger one about them,
        // nothing can cross in between. Elsewhere (a sign change, a jump of the nearest point, a graze) the
        // step is sampled in full.
        if ((d0 < 0) == (d1 < 0) && std::min(std::fabs(d0), std::fabs(d1)) > 2 * std::max(bend(k), bend(k + 1)))
            continue;
        const double foot0 = feet[size_t(k)], foot1 = feet[size_t(k + 1)];
        double previousT = double(k * stride) / samples, previous = d0, previousFoot = foot0;
        for (int j = 1; j <= stride; ++j) {
            const double t = double(k * stride + j) / samples;
            double d = d1;
            foot = foot1;
            if (j < stride) {
                foot = foot0 + (foot1 - foot0) * j / stride;
                d = signedDistanceTo(usPolynomial, nearestOnThem, t, foot);
            }
            if ((previous < 0) != (d < 0))
                narrow(previousT, t, previous, d, previousFoot, foot);
            previousT = t, previous = d, previousFoot = foot;
        }
    }
}

// The value at t of the cubic with Bernstein coefficients b, by de Casteljau's steps (stable where the
// coefficients are large and the value small, as near a meeting).
double bernsteinAt(const std::array<double, 4>& b, double t)
{
    const double s = 1 - t;
    const double b01 = b[0] * s + b[1] * t, b12 = b[1] * s + b[2] * t, b23 = b[2] * s + b[3] * t;
    return (b01 * s + b12 * t) * s + (b12 * s + b23 * t) * t;
}

// Where a curve meets a line (a segment, from `line`'s end points): the roots of the curve's signed
// distance from the line, a cubic in the curve's parameter. Between the ends and the turning points of the
// cubic it is monotone, so each piece holds at most one root, found by halving with Newton's steps; an end
// or turning point within `zero` of the line is a meeting too (an end on the line, a touch). Answers false,
// finding nothing, where the whole curve lies within `zero` of the line: that is no set of points.
bool lineCurveMeetings(const FBBezierCurve& line, const FBBezierCurve& curve, double zero,
                       std::vector<std::pair<double, double>>& meetings)
{
    const MWPoint from = line.endPoint1;
    const MWPoint direction = FBSubtractPoint(line.endPoint2, from);
    const double length = FBPointLength(direction);
    if (!(length > 0))
        return false;
    const auto offset = [&](MWPoint p) { return cross(direction, FBSubtractPoint(p, from)) / length; };
    const std::array<double, 4> b{offset(curve.endPoint1), offset(curve.controlPoint1), offset(curve.controlPoint2),
                                  offset(curve.endPoint2)};
    if (std::all_of(b.begin(), b.end(), [&](double v) { return std::fabs(v) <= zero; }))
        return false;
    // Turning points: roots in (0, 1) of the derivative, a quadratic with Bernstein coefficients q.
    const double q0 = b[1] - b[0], q1 = b[2] - b[1], q2 = b[3] - b[2];
    const double a = q0 - 2 * q1 + q2, h = q1 - q0; // q(t) = a t² + 2 h t + q0
    std::array<double, 4> breaks{0, 1, 1, 1};
    int count = 1;
    const auto addBreak = [&](double t) {
        if (t > 0 && t < 1)
            breaks[size_t(count++)] = t;
    };
    const double scale = std::max({std::fabs(q0), std::fabs(q1), std::fabs(q2)});
    if (std::fabs(a) <= 1e-12 * scale) {
        if (h != 0)
            addBreak(-q0 / (2 * h));
    } else {
        const double discriminant = h * h - a * q0;
        if (discriminant >= 0) {
            // The root of larger size without cancellation, the other from the product of the roots.
            const double root = -h - std::copysign(std::sqrt(discriminant), h);
            if (root != 0) { // zero only for a double root at 0, no turning point inside
                addBreak(root / a);
                addBreak(q0 / root);
            }
        }
    }
    breaks[size_t(count++)] = 1;
    if (count == 4 && breaks[2] < breaks[1])
        std::swap(breaks[1], breaks[2]);
    const auto add = [&](double t) {
        const MWPoint p = curve.pointAtParameter(t);
        // At an end of the line, that end's parameter: along a line shorter than the rounding its position
        // says nothing, and a joint must read as one.
        const double toStart = FBDistanceBetweenPoints(p, from), toEnd = FBDistanceBetweenPoints(p, line.endPoint2);
        if (std::min(toStart, toEnd) <= zero) {
            meetings.emplace_back(toStart <= toEnd ? 0.0 : 1.0, t);
            return;
        }
        const double along = FBDotMultiplyPoint(FBSubtractPoint(p, from), direction) / (length * length);
        if (along >= 0 && along <= 1)
            meetings.emplace_back(along, t);
    };
    std::array<double, 4> values{};
    for (int i = 0; i < count; ++i)
        values[size_t(i)] = bernsteinAt(b, breaks[size_t(i)]);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && breaks[size_t(i)] == breaks[size_t(i - 1)])
            continue;
        // A piece from the previous break whose ends lie strictly on either side holds one crossing.
        if (i > 0 && std::fabs(values[size_t(i - 1)]) > zero && std::fabs(values[size_t(i)]) > zero
            && (values[size_t(i - 1)] < 0) != (values[size_t(i)] < 0)) {
            double lo = breaks[size_t(i - 1)], hi = breaks[size_t(i)];
            const bool rising = values[size_t(i - 1)] < 0;
            double t = (lo + hi) / 2;
            for (int k = 0; k < 100 && hi - lo > 1e-16; ++k) {
                const double v = bernsteinAt(b, t);
                if (v == 0)
                    break;
                if ((v < 0) == rising)
                    lo = t;
                else
                    hi = t;
                // Newton from t where it stays inside the bracket, halving where it does not.
                const double u = 1 - t;
                const double slope = 3 * (q0 * u * u + 2 * q1 * u * t + q2 * t * t);
                const double next = slope != 0 ? t - v / slope : lo;
                const double previous = t;
                t = next > lo && next < hi ? next : (lo + hi) / 2;
                if (std::fabs(t - previous) <= 1e-16)
                    break;
            }
            add(t);
        }
        if (std::fabs(values[size_t(i)]) <= zero)
            add(breaks[size_t(i)]);
    }
    return true;
}

// A cubic's Bernstein coefficients on [0, s], from those on [0, 1]: de Casteljau's left edge.
std::array<double, 4> leftPiece(std::array<double, 4> b, double s)
{
    for (size_t level = 1; level < 4; ++level)
        for (size_t i = 3; i >= level; --i)
            b[i] = b[i - 1] + (b[i] - b[i - 1]) * s;
    return b;
}

// The range of y / x² over a curve from the origin, given the Bernstein coefficients of x and y (both
// starting at zero): x = t g(t) and y = 3 y1 t (1 - t)² + t² h(t), so y / x² = h / g² + 3 y1 (1 - t)² / (t g²).
// Nothing where x does not grow from the origin throughout.
std::optional<FBRange> bendRange(const std::array<double, 4>& x, const std::array<double, 4>& y)
{
    const double gLow = std::min({3 * x[1], 1.5 * x[2], x[3]}), gHigh = std::max({3 * x[1], 1.5 * x[2], x[3]});
    if (!(gLow > 0))
        return std::nullopt;
    const double hLow = std::min(3 * y[2], y[3]), hHigh = std::max(3 * y[2], y[3]);
    const double inf = std::numeric_limits<double>::infinity();
    FBRange range{hLow / (hLow >= 0 ? gHigh * gHigh : gLow * gLow), hHigh / (hHigh >= 0 ? gLow * gLow : gHigh * gHigh)};
    if (y[1] > 0)
        range.maximum = inf;
    else if (y[1] < 0)
        range.minimum = -inf;
    return range;
}

// Where two curves that share an end point meet near it. `usEnd` and `themEnd` are the shared end's
// parameters; the pieces of parameter length `near` from it, on both curves, meet nowhere else (1: the
// curves meet there only).
struct EndMeeting {
    double usEnd = 0;
    double themEnd = 0;
    double near = 0;
};

// Shapes touching at a joint, where clipping would crawl towards the touch, settled from the end point's
// neighbourhood. In a frame at the point with x along the first curve's first direction from it:
// - curves on opposite sides of that line (or of the other curve's) meet at the point only: a curve lies on
//   one side when its distances (Bernstein coefficients, the first zero) have one sign, the last not zero;
// - curves leaving the point along one direction (a touch) have pieces from it that meet nowhere else where
//   y / x² (about half the curvature there) has disjoint ranges over the two pieces: one point of both would
//   have one value. Pieces of halved length are tried until the ranges part.
std::optional<EndMeeting> meetingAtSharedEnd(const FBBezierCurve& a, const FBBezierCurve& b)
{
    for (const bool aFromEnd : {false, true}) {
        for (const bool bFromEnd : {false, true}) {
            const MWPoint p = aFromEnd ? a.endPoint2 : a.endPoint1;
            if (p != (bFromEnd ? b.endPoint2 : b.endPoint1))
                continue;
            const FBBezierCurve fromA = aFromEnd ? a.reversed() : a, fromB = bFromEnd ? b.reversed() : b;
            const auto firstDirection = [&](const FBBezierCurve& c) {
                return FBSubtractPoint(c.controlPoint1 != p   ? c.controlPoint1
                                       : c.controlPoint2 != p ? c.controlPoint2
                                                              : c.endPoint2,
                                       p);
            };
            const auto coefficients = [&](const FBBezierCurve& c, MWPoint direction, bool across) {
                std::array<double, 4> k{};
                const MWPoint q[3] = {c.controlPoint1, c.controlPoint2, c.endPoint2};
                for (size_t i = 0; i < 3; ++i) {
                    const MWPoint v = FBSubtractPoint(q[i], p);
                    k[i + 1] = across ? cross(direction, v) : FBDotMultiplyPoint(direction, v);
                }
                return k;
            };
            const auto side = [](const std::array<double, 4>& y) {
                if (y[3] < 0 && y[1] <= 0 && y[2] <= 0)
                    return -1;
                if (y[3] > 0 && y[1] >= 0 && y[2] >= 0)
                    return 1;
                return 0;
            };
            EndMeeting meeting{aFromEnd ? 1.0 : 0.0, bFromEnd ? 1.0 : 0.0, 1};
            for (const FBBezierCurve* along : {&fromA, &fromB}) {
                const MWPoint direction = firstDirection(*along);
                if (direction == MWPoint())
                    continue;
                const int sideA = side(coefficients(fromA, direction, true));
                const int sideB = side(coefficients(fromB, direction, true));
                if (sideA != 0 && sideB != 0 && sideA != sideB)
                    return meeting;
            }
            const MWPoint direction = firstDirection(fromA);
            if (direction == MWPoint())
                return std::nullopt;
            const auto xA = coefficients(fromA, direction, false), yA = coefficients(fromA, direction, true);
            const auto xB = coefficients(fromB, direction, false), yB = coefficients(fromB, direction, true);
            for (double s = 1; s >= 1.0 / 16; s /= 2) {
                const auto rangeA = bendRange(leftPiece(xA, s), leftPiece(yA, s));
                const auto rangeB = bendRange(leftPiece(xB, s), leftPiece(yB, s));
                if (!rangeA || !rangeB)
                    return std::nullopt;
                // Parted by more than the rounding of the ranges.
                const double margin = 1e-9 * std::max({std::fabs(rangeA->minimum), std::fabs(rangeA->maximum),
                                                       std::fabs(rangeB->minimum), std::fabs(rangeB->maximum)});
                if (rangeA->maximum + margin < rangeB->minimum || rangeB->maximum + margin < rangeA->minimum) {
                    meeting.near = s;
                    return meeting;
                }
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Whether every direction of one curve turns the same way to every direction of the other (their
// derivatives' control points, which span the directions, all cross with one sign). Such curves meet at
// most once: the chord between two meetings would run in a direction of both.
bool crossAtMostOnce(const FBBezierCurve& a, const FBBezierCurve& b)
{
    const MWPoint da[3] = {FBSubtractPoint(a.controlPoint1, a.endPoint1), FBSubtractPoint(a.controlPoint2, a.controlPoint1),
                           FBSubtractPoint(a.endPoint2, a.controlPoint2)};
    const MWPoint db[3] = {FBSubtractPoint(b.controlPoint1, b.endPoint1), FBSubtractPoint(b.controlPoint2, b.controlPoint1),
                           FBSubtractPoint(b.endPoint2, b.controlPoint2)};
    int positive = 0, negative = 0;
    for (const MWPoint& u : da)
        for (const MWPoint& v : db) {
            const double c = cross(u, v);
            positive += c > 0;
            negative += c < 0;
        }
    return positive == 9 || negative == 9;
}

// Newton on both parameters from the middles of two ranges that clipping has closed in on: true, with
// the meeting's parameters, where it settles on a point of both curves without leaving the ranges.
bool meetingByNewton(const FBBezierCurve& us, const FBBezierCurve& them, FBRange usRange, FBRange themRange,
                     double& t1, double& t2)
{
    const CubicPolynomial a(us), b(them);
    const double size = boundsOfPair(us, them).size;
    t1 = FBRangeAverage(usRange), t2 = FBRangeAverage(themRange);
    for (int i = 0; i < 8; ++i) {
        const MWPoint f = FBSubtractPoint(a.at(t1), b.at(t2));
        const MWPoint d1 = a.velocity(t1), d2 = b.velocity(t2);
        const double det = cross(d2, d1);
        if (!(std::fabs(det) > 1e-6 * FBPointLength(d1) * FBPointLength(d2)))
            return false; // too near a touch for Newton to tell one meeting from two
        const double step1 = cross(d2, f) / det, step2 = cross(d1, f) / det;
        t1 -= step1, t2 -= step2;
        if (!(t1 >= usRange.minimum && t1 <= usRange.maximum && t2 >= themRange.minimum && t2 <= themRange.maximum))
            return false;
        if (std::fabs(step1) <= 1e-12 && std::fabs(step2) <= 1e-12)
            return FBDistanceBetweenPoints(a.at(t1), b.at(t2)) <= 1e-12 * size;
    }
    return false;
}

} // namespace

double FBBezierCurve::refineParameter(double t, MWPoint point) const
{
    return refineFrom(*this, t, pointAtParameter(t), point);
}

double FBBezierCurve::closestParameter(MWPoint p, double* distance) const
{
    double bestT = 0;
    double bestD = std::numeric_limits<double>::infinity();
    if (isUniformLine()) {
        const MWPoint d = FBSubtractPoint(endPoint2, endPoint1);
        const double l2 = FBPointSquaredLength(d);
        bestT = l2 == 0 ? 0 : std::clamp(FBDotMultiplyPoint(FBSubtractPoint(p, endPoint1), d) / l2, 0.0, 1.0);
        bestD = FBDistanceBetweenPoints(pointAtParameter(bestT), p);
    } else {
        const Nearest nearest = NearestOnCurve(*this, false, false)(p);
        bestT = nearest.parameter;
        bestD = nearest.distance;
    }
    if (distance)
        *distance = bestD;
    return bestT;
}

bool FBBezierCurve::isFartherThan(MWPoint p, double distance) const
{
    const MWPoint chord = FBSubtractPoint(endPoint2, endPoint1);
    const double length = FBPointLength(chord);
    if (!(length > 0))
        return false;
    // Offsets from the chord's line, scaled by its length.
    const double o1 = cross(chord, FBSubtractPoint(controlPoint1, endPoint1));
    const double o2 = cross(chord, FBSubtractPoint(controlPoint2, endPoint1));
    const double offset = cross(chord, FBSubtractPoint(p, endPoint1));
    const double reach = distance * length;
    return offset < std::min({0.0, o1, o2}) - reach || offset > std::max({0.0, o1, o2}) + reach;
}

bool FBBezierCurve::isUniformLine() const
{
    const MWPoint d = FBSubtractPoint(endPoint2, endPoint1);
    const double scale = std::max({std::fabs(endPoint1.x), std::fabs(endPoint1.y), std::fabs(endPoint2.x),
                                   std::fabs(endPoint2.y), 1e-300});
    const double tolerance = scale * 1e-12;
    return FBArePointsCloseWithOptions(controlPoint1, FBAddPoint(endPoint1, FBScalePoint(d, 1.0 / 3.0)), tolerance)
           && FBArePointsCloseWithOptions(controlPoint2, FBAddPoint(endPoint1, FBScalePoint(d, 2.0 / 3.0)), tolerance);
}

bool FBBezierCurve::isStraightLine(double tolerance) const
{
    const MWPoint d = FBSubtractPoint(endPoint2, endPoint1);
    const double l2 = FBPointSquaredLength(d);
    if (l2 == 0)
        return false;
    for (MWPoint c : {controlPoint1, controlPoint2}) {
        if (FBDistancePointToLine(c, endPoint1, endPoint2) > tolerance)
            return false;
        const double along = FBDotMultiplyPoint(FBSubtractPoint(c, endPoint1), d) / l2;
        if (along < 0 || along > 1)
            return false;
    }
    return true;
}

bool FBBezierCurve::isPoint() const
{
    // The control points are not consulted: a closed loop segment counts as a point too.
    return FBArePointsClose(endPoint1, endPoint2);
}

void FBBezierCurve::round()
{
    endPoint1 = FBRoundPoint(endPoint1);
    controlPoint1 = FBRoundPoint(controlPoint1);
    controlPoint2 = FBRoundPoint(controlPoint2);
    endPoint2 = FBRoundPoint(endPoint2);
}

std::string FBBezierCurve::description() const
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "<FBBezierCurve (%f, %f)-[%f, %f] curve to [%f, %f]-(%f, %f)>", endPoint1.x,
                  endPoint1.y, controlPoint1.x, controlPoint1.y, controlPoint2.x, controlPoint2.y, endPoint2.x,
                  endPoint2.y);
    return buffer;
}

std::string MWPointValue::description() const
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "<MWPointValue %#llx {%f, %f}>",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(this)), point.x, point.y);
    return buffer;
}

// ---------------------------------------------------------------------------------------------------------
// Convex hull (Graham scan), counter-clockwise in a y-up sense from the lowest point.

namespace {
// The hull of the four points into `hull`; answers the number of vertices.
int hullOf(const FBBezierCurve& curve, std::array<MWPoint, 4>& hull)
{
    std::array<MWPoint, 4> points{curve.endPoint1, curve.controlPoint1, curve.controlPoint2, curve.endPoint2};
    size_t pivotIndex = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        const MWPoint& p = points[i];
        const MWPoint& pivot = points[pivotIndex];
        if (p.y < pivot.y || (p.y == pivot.y && p.x > pivot.x))
            pivotIndex = i;
    }
    std::swap(points[0], points[pivotIndex]);
    const MWPoint pivot = points[0];

    // Points on one line (a flat distance curve, within rounding) keep just their two extremes. The scan
    // below could lose one when rounding puts the pivot between them.
    size_t farA = 0, farB = 0;
    double farthest = -1;
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t j = i + 1; j < points.size(); ++j) {
            const double d = FBPointSquaredLength(FBSubtractPoint(points[i], points[j]));
            if (d > farthest)
                farthest = d, farA = i, farB = j;
        }
    if (farthest == 0) {
        hull[0] = pivot;
        return 1;
    }
    const double length = std::sqrt(farthest);
    const bool collinear = std::all_of(points.begin(), points.end(), [&](MWPoint p) {
        return FBDistancePointToLine(p, points[farA], points[farB]) <= 1e-12 * length;
    });
    if (collinear) {
        MWPoint a = points[farA], b = points[farB];
        if (b.y < a.y || (b.y == a.y && b.x > a.x))
            std::swap(a, b);
        hull[0] = a;
        hull[1] = b;
        return 2;
    }

    std::array<MWPoint, 3> rest;
    int restCount = 0;
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i] != pivot)
            rest[size_t(restCount++)] = points[i];
    // Insertion sort by angle about the pivot, nearer first among collinear points.
    const auto before = [&](MWPoint a, MWPoint b) {
        const double c = cross(FBSubtractPoint(a, pivot), FBSubtractPoint(b, pivot));
        if (!FBAreValuesClose(c, 0))
            return c > 0;
        return FBPointSquaredLength(FBSubtractPoint(a, pivot)) < FBPointSquaredLength(FBSubtractPoint(b, pivot));
    };
    for (int i = 1; i < restCount; ++i)
        for (int j = i; j > 0 && before(rest[size_t(j)], rest[size_t(j - 1)]); --j)
            std::swap(rest[size_t(j)], rest[size_t(j - 1)]);

    int count = 0;
    hull[size_t(count++)] = pivot;
    for (int i = 0; i < restCount; ++i) {
        const MWPoint p = rest[size_t(i)];
        // Of collinear points seen from the pivot only the farthest stays.
        if (i + 1 < restCount
            && FBAreValuesClose(cross(FBSubtractPoint(p, pivot), FBSubtractPoint(rest[size_t(i + 1)], pivot)), 0)
            && FBDotMultiplyPoint(FBSubtractPoint(p, pivot), FBSubtractPoint(rest[size_t(i + 1)], pivot)) > 0)
            continue;
        while (count >= 2) {
            const MWPoint last = hull[size_t(count - 1)];
            const MWPoint nextToLast = hull[size_t(count - 2)];
            if (cross(FBSubtractPoint(last, nextToLast), FBSubtractPoint(p, nextToLast)) > 0)
                break;
            --count;
        }
        hull[size_t(count++)] = p;
    }
    return count;
}
} // namespace

std::vector<MWPointValue> FBBezierCurve::convexHull() const
{
    std::array<MWPoint, 4> hull;
    const int count = hullOf(*this, hull);
    std::vector<MWPointValue> values;
    for (int i = 0; i < count; ++i)
        values.push_back({hull[size_t(i)]});
    return values;
}

// ---------------------------------------------------------------------------------------------------------
// Fat lines and clipping

namespace {

// range widened to hold the signed distance of each of the curve's four points from the line.
FBRange widenedByDistances(FBRange range, const FBNormalizedLine& line, const FBBezierCurve& curve)
{
    for (MWPoint p : {curve.endPoint1, curve.controlPoint1, curve.controlPoint2, curve.endPoint2}) {
        const double d = distanceFromLine(line, p);
        range.minimum = std::min(range.minimum, d);
        range.maximum = std::max(range.maximum, d);
    }
    return range;
}

} // namespace

FBNormalizedLine FBBezierCurve::regularFatLineBounds(FBRange& range, bool* usable) const
{
    MWPoint from, to;
    const bool ok = fatLineChord(*this, from, to);
    if (usable)
        *usable = ok;
    const FBNormalizedLine line = lineThrough(from, to);
    // The chord lies on the line, so the band always holds distance 0.
    range = widenedByDistances(FBRangeMake(0, 0), line, *this);
    return line;
}

FBNormalizedLine FBBezierCurve::perpendicularFatLineBounds(FBRange& range, bool* usable) const
{
    MWPoint from, to;
    const bool ok = fatLineChord(*this, from, to);
    if (usable)
        *usable = ok;
    const MWPoint middle = FBLineMidpoint(from, to);
    const FBNormalizedLine line = lineThrough(middle, FBAddPoint(middle, FBLineNormal(from, to)));
    const double inf = std::numeric_limits<double>::infinity();
    range = widenedByDistances(FBRangeMake(inf, -inf), line, *this);
    return line;
}

FBRange FBBezierCurve::clipWithFatLine(const FBNormalizedLine& line, FBRange bounds) const
{
    const double first = distanceFromLine(line, endPoint1), last = distanceFromLine(line, endPoint2);
    // Both ends strictly inside the band: the hull's first and last vertices (parameters 0 and 1) are in
    // it, so the whole range is kept. The common case of curves running close together, without the hull.
    if (bounds.minimum < first && first < bounds.maximum && bounds.minimum < last && last < bounds.maximum)
        return {0, 1};
    const MWPoint points[4] = {{0, first},
                               {0.3333333333333333, distanceFromLine(line, controlPoint1)},
                               {0.6666666666666666, distanceFromLine(line, controlPoint2)},
                               {1, last}};
    // The hull of the distance curve, whose points come in order of x, as a monotone chain: the lower chain
    // left to right, the upper one back, collinear points dropped. Its vertices are the chains' points but
    // their last, its edges the chains' edges, each walked in that direction.
    const auto turnsLeft = [](MWPoint a, MWPoint b, MWPoint c) { return cross(FBSubtractPoint(b, a), FBSubtractPoint(c, a)) > 0; };
    MWPoint lower[4], upper[4];
    int lowerCount = 0, upperCount = 0;
    for (int i = 0; i < 4; ++i) {
        while (lowerCount >= 2 && !turnsLeft(lower[lowerCount - 2], lower[lowerCount - 1], points[i]))
            --lowerCount;
        lower[lowerCount++] = points[i];
    }
    for (int i = 3; i >= 0; --i) {
        while (upperCount >= 2 && !turnsLeft(upper[upperCount - 2], upper[upperCount - 1], points[i]))
            --upperCount;
        upper[upperCount++] = points[i];
    }

    double tMin = 1, tMax = 0;
    const auto include = [&](double x) {
        tMin = std::min(tMin, x);
        tMax = std::max(tMax, x);
    };
    const auto clipEdge = [&](MWPoint p1, MWPoint p2) {
        const double yLow = std::min(p1.y, p2.y);
        const double yHigh = std::max(p1.y, p2.y);
        for (double bound : {bounds.minimum, bounds.maximum}) {
            if (yLow <= bound && bound <= yHigh) {
                if (p1.y == p2.y) {
                    // A horizontal edge on the boundary of the band lies in it from end to end.
                    include(p1.x);
                    include(p2.x);
                } else if (p1.x == p2.x) {
                    include(p1.x);
                } else {
                    include(p1.x + (bound - p1.y) / ((p2.y - p1.y) / (p2.x - p1.x)));
                }
            }
        }
        if (bounds.minimum < p1.y && p1.y < bounds.maximum)
            include(p1.x);
    };
    for (int i = 0; i + 1 < lowerCount; ++i)
        clipEdge(lower[i], lower[i + 1]);
    for (int i = 0; i + 1 < upperCount; ++i)
        clipEdge(upper[i], upper[i + 1]);
    if (tMin > tMax)
        return kNothingLeft;
    return {std::clamp(tMin, 0.0, 1.0), std::clamp(tMax, 0.0, 1.0)};
}

FBBezierCurve FBBezierCurve::bezierClipWithBezierCurve(const FBBezierCurve& curve, const FBBezierCurve& original,
                                                       FBRange& rangeOfOriginal, bool& intersects) const
{
    FBRange regularBounds;
    bool usable = true;
    const FBNormalizedLine regular = curve.regularFatLineBounds(regularBounds, &usable);
    if (!usable) {
        // The clipping curve is a single point: it gives no direction to clip with.
        intersects = true;
        return *this;
    }
    // Bands widened by the rounding of the coordinates: a meeting on a band's edge (a crossing at an end
    // point of both curves) must not fall out of it by a last-place error.
    double magnitude = 0;
    for (const FBBezierCurve* c : {this, &curve})
        for (MWPoint p : {c->endPoint1, c->controlPoint1, c->controlPoint2, c->endPoint2})
            magnitude = std::max({magnitude, std::fabs(p.x), std::fabs(p.y)});
    const double slack = magnitude * 1e-13;
    regularBounds = FBRangeMake(regularBounds.minimum - slack, regularBounds.maximum + slack);
    const FBRange regularRange = clipWithFatLine(regular, regularBounds);
    if (regularRange == kNothingLeft) {
        intersects = false;
        return *this;
    }
    FBRange perpendicularBounds;
    const FBNormalizedLine perpendicular = curve.perpendicularFatLineBounds(perpendicularBounds);
    perpendicularBounds = FBRangeMake(perpendicularBounds.minimum - slack, perpendicularBounds.maximum + slack);
    const FBRange perpendicularRange = clipWithFatLine(perpendicular, perpendicularBounds);
    if (perpendicularRange == kNothingLeft) {
        intersects = false;
        return *this;
    }
    FBRange kept{std::max(regularRange.minimum, perpendicularRange.minimum),
                 std::min(regularRange.maximum, perpendicularRange.maximum)};
    if (kept.minimum > kept.maximum) {
        // The two bands' parameter intervals miss each other: nothing lies in both, unless the gap is
        // rounding noise of bands that have become very thin.
        if (kept.minimum - kept.maximum > 1e-6) {
            intersects = false;
            return *this;
        }
        kept.minimum = kept.maximum = FBRangeAverage(kept);
    }
    const double size = FBRangeGetSize(rangeOfOriginal);
    rangeOfOriginal = FBRangeMake(rangeOfOriginal.minimum + kept.minimum * size,
                                  rangeOfOriginal.minimum + kept.maximum * size);
    intersects = true;
    return original.subcurveWithRange(rangeOfOriginal);
}

// ---------------------------------------------------------------------------------------------------------
// Intersection search

std::vector<FBBezierIntersection> FBBezierCurve::intersectionsWithBezierCurve(const FBBezierCurve& other) const
{
    std::vector<FBBezierIntersection> results;
    intersectionsWithBezierCurve(other, isUniformLine(), other.isUniformLine(), results);
    return results;
}

void FBBezierCurve::intersectionsWithBezierCurve(const FBBezierCurve& other, bool usIsLine, bool themIsLine,
                                                 std::vector<FBBezierIntersection>& results) const
{
    results.clear();
    const bool usIsDot = endPoint1 == controlPoint1 && endPoint1 == controlPoint2 && endPoint1 == endPoint2;
    const bool themIsDot = other.endPoint1 == other.controlPoint1 && other.endPoint1 == other.controlPoint2
                           && other.endPoint1 == other.endPoint2;
    if (usIsDot || themIsDot) {
        // A curve that is one point meets the other only where it lies on it.
        if (usIsDot && themIsDot) {
            if (endPoint1 == other.endPoint1)
                results.emplace_back(*this, 0, other, 0);
            return;
        }
        const FBBezierCurve& dot = usIsDot ? *this : other;
        const FBBezierCurve& curve = usIsDot ? other : *this;
        double distance = 0;
        const double t = curve.closestParameter(dot.endPoint1, &distance);
        double minX, minY, maxX, maxY;
        curve.controlBounds(minX, minY, maxX, maxY);
        const double scale = std::max({std::fabs(dot.endPoint1.x) * 1e-5, std::fabs(dot.endPoint1.y) * 1e-5, maxX - minX,
                                       maxY - minY});
        if (distance <= scale * 1e-9)
            results.push_back(usIsDot ? FBBezierIntersection(*this, 0, other, t) : FBBezierIntersection(*this, t, other, 0));
        return;
    }
    if (usIsLine && themIsLine) {
        // Two lines: solve directly.
        const MWPoint r = FBSubtractPoint(endPoint2, endPoint1);
        const MWPoint s = FBSubtractPoint(other.endPoint2, other.endPoint1);
        const double denominator = cross(r, s);
        if (denominator == 0 || std::fabs(denominator) <= 1e-14 * std::sqrt(FBPointSquaredLength(r) * FBPointSquaredLength(s)))
            return; // parallel (a shared stretch is the overlap test's business)
        const MWPoint q = FBSubtractPoint(other.endPoint1, endPoint1);
        double t = cross(q, s) / denominator;
        double u = cross(q, r) / denominator;
        constexpr double slack = 1e-12;
        if (t < -slack || t > 1 + slack || u < -slack || u > 1 + slack)
            return;
        results.emplace_back(*this, std::clamp(t, 0.0, 1.0), other, std::clamp(u, 0.0, 1.0));
        return;
    }
    if (usIsLine != themIsLine) {
        // A line and a curve: the roots of a cubic, exact where clipping would crawl towards a touch.
        const bool lineFirst = usIsLine;
        const FBBezierCurve& line = lineFirst ? *this : other;
        const FBBezierCurve& curve = lineFirst ? other : *this;
        const PairBounds bounds = boundsOfPair(*this, other);
        // Within rounding of the line: a relative hair of the curves' size, and the last places of their
        // coordinates (which dominate around a million).
        const double zero = 1e-12 * bounds.size + 8 * std::numeric_limits<double>::epsilon() * bounds.magnitude();
        std::vector<std::pair<double, double>> meetings;
        if (std::isfinite(zero) && lineCurveMeetings(line, curve, zero, meetings)) {
            results.reserve(meetings.size());
            for (const auto& [along, t] : meetings)
                results.emplace_back(*this, lineFirst ? along : t, other, lineFirst ? t : along);
            return;
        }
    }
    // The search runs on copies moved to the origin and scaled by a power of two to about unit size: the
    // fat lines' offsets and the hull's thresholds then mean the same at 1e6 and at 1e-3, and the
    // parameters found hold for the curves as given.
    const PairBounds bounds = boundsOfPair(*this, other);
    const MWPoint origin{(bounds.minX + bounds.maxX) / 2, (bounds.minY + bounds.maxY) / 2};
    const double size = bounds.size;
    if (!std::isfinite(size) || !std::isfinite(origin.x) || !std::isfinite(origin.y))
        return;
    int exponent = 0;
    std::frexp(size, &exponent);
    const double scale = std::ldexp(1.0, -exponent);
    const auto local = [&](const FBBezierCurve& c) {
        const auto map = [&](MWPoint p) { return MWPoint{(p.x - origin.x) * scale, (p.y - origin.y) * scale}; };
        return FBBezierCurve(map(c.endPoint1), map(c.controlPoint1), map(c.controlPoint2), map(c.endPoint2));
    };
    const FBBezierCurve us = local(*this), them = local(other);
    FBRange usRange{0, 1};
    FBRange themRange{0, 1};
    FBIntersectionBudget budget;
    std::vector<FBBezierIntersection> found;
    // A copy turned or moved by a hair has its control points that close to the original's: clipping
    // would only halve such curves until its budget ran out, so the search starts where it would end.
    const bool nearCopy = controlPointsWithin(us, them, 5e-4);
    const std::optional<EndMeeting> atEnd = nearCopy ? std::nullopt : meetingAtSharedEnd(us, them);
    if (atEnd && atEnd->near == 1) {
        results.emplace_back(*this, atEnd->usEnd, other, atEnd->themEnd);
        return;
    }
    if (atEnd) {
        // The pieces next to the shared end meet only there: the search runs on the rest, our far piece
        // against all of them and our near piece against their far piece.
        const auto pieces = [](double end, double near) {
            return end == 0 ? std::pair{FBRange{0, near}, FBRange{near, 1}} : std::pair{FBRange{1 - near, 1}, FBRange{0, 1 - near}};
        };
        const auto [usNear, usFar] = pieces(atEnd->usEnd, atEnd->near);
        const FBRange themFar = pieces(atEnd->themEnd, atEnd->near).second;
        FBRange usRange1 = usFar, themRange1{0, 1};
        us.subcurveWithRange(usFar).intersectionsWithBezierCurve(them, usRange1, themRange1, us, them, found, budget);
        FBRange usRange2 = usNear, themRange2 = themFar;
        us.subcurveWithRange(usNear).intersectionsWithBezierCurve(them.subcurveWithRange(themFar), usRange2, themRange2, us,
                                                                  them, found, budget);
    } else if (!nearCopy) {
        us.intersectionsWithBezierCurve(them, usRange, themRange, us, them, found, budget);
    }
    if (nearCopy || budget.remainingSearches < 0) {
        // Clipping only halves curves that run within a hair of each other (a copy turned or moved by a
        // little): their crossings are where the distance between them changes sign.
        std::vector<FBBezierIntersection> clipped;
        if (!nearCopy)
            clipped.swap(found);
        found.clear();
        crossingsOfNearlyCoincidentCurves(us, them, found);
        // The sign changes see only the nearest part of `them`: where it folds back close to itself (a loop
        // from a point back to it, as a leaf is drawn) a crossing with one branch hides behind the other.
        // What clipping found before it ran out stands too where the curves cross at a clear angle, which
        // curves a hair apart never do.
        for (const FBBezierIntersection& c : clipped) {
            const MWPoint a = us.tangentAtParameter(c.parameter1()), b = them.tangentAtParameter(c.parameter2());
            if (!(std::fabs(cross(a, b)) >= 1e-2 * FBPointLength(a) * FBPointLength(b)))
                continue;
            const bool known = std::any_of(found.begin(), found.end(), [&](const FBBezierIntersection& f) {
                return std::fabs(f.parameter1() - c.parameter1()) <= 1e-5
                       && std::fabs(f.parameter2() - c.parameter2()) <= 1e-5;
            });
            if (!known)
                found.push_back(c);
        }
    }
    results.reserve(found.size() + 1);
    if (atEnd)
        results.emplace_back(*this, atEnd->usEnd, other, atEnd->themEnd);
    for (const FBBezierIntersection& i : found)
        results.emplace_back(*this, i.parameter1(), other, i.parameter2());
}

void FBBezierCurve::intersectionsWithBezierCurve(const FBBezierCurve& them, FBRange& usRange, FBRange& themRange,
                                                 const FBBezierCurve& originalUs, const FBBezierCurve& originalThem,
                                                 std::vector<FBBezierIntersection>& results,
                                                 FBIntersectionBudget& budget, int depth) const
{
    if (--budget.remainingSearches < 0)
        return;
    constexpr int maximumDepth = 48;
    constexpr int maximumPasses = 500;
    FBBezierCurve us = *this;
    FBBezierCurve clippedThem = them;
    int passes = 0;
    // Convergence is tested before every pass, the first included, so a halved search that has already
    // settled does not split again.
    while (!rangeIsSettled(usRange) && !rangeIsSettled(themRange)) {
        const double previousUsSize = FBRangeGetSize(usRange);
        const double previousThemSize = FBRangeGetSize(themRange);
        const FBBezierCurve previousUs = us;

        bool intersects = false;
        us = us.bezierClipWithBezierCurve(clippedThem, originalUs, usRange, intersects);
        if (!intersects)
            return;
        // Once a range has settled, clipping the other curve by a sliver this thin is all rounding noise:
        // the other parameter comes from the refinement below, checked against the settled point.
        if (rangeIsSettled(usRange))
            break;
        const bool usIsPoint = shrunkToPoint(us);
        clippedThem = clippedThem.bezierClipWithBezierCurve(usIsPoint ? previousUs : us, originalThem, themRange,
                                                            intersects);
        if (!intersects)
            return;
        if (usIsPoint || shrunkToPoint(clippedThem))
            break;

        const double usShrink = (previousUsSize - FBRangeGetSize(usRange)) / previousUsSize;
        const double themShrink = (previousThemSize - FBRangeGetSize(themRange)) / previousThemSize;
        if (usShrink < 0.2 && themShrink < 0.2) {
            if (depth >= maximumDepth)
                break;
            if (FBRangeGetSize(usRange) > FBRangeGetSize(themRange)) {
                const double middle = FBRangeAverage(usRange);
                FBRange left{usRange.minimum, middle};
                FBRange right{middle, usRange.maximum};
                FBRange themCopy = themRange;
                originalUs.subcurveWithRange(left).intersectionsWithBezierCurve(
                    clippedThem, left, themCopy, originalUs, originalThem, results, budget, depth + 1);
                themCopy = themRange;
                originalUs.subcurveWithRange(right).intersectionsWithBezierCurve(
                    clippedThem, right, themCopy, originalUs, originalThem, results, budget, depth + 1);
            } else {
                const double middle = FBRangeAverage(themRange);
                FBRange left{themRange.minimum, middle};
                FBRange right{middle, themRange.maximum};
                FBRange usCopy = usRange;
                us.intersectionsWithBezierCurve(originalThem.subcurveWithRange(left), usCopy, left, originalUs,
                                                originalThem, results, budget, depth + 1);
                usCopy = usRange;
                us.intersectionsWithBezierCurve(originalThem.subcurveWithRange(right), usCopy, right, originalUs,
                                                originalThem, results, budget, depth + 1);
            }
            return;
        }
        // Pieces that can meet only once: Newton settles the meeting in a few steps where clipping takes
        // passes (when it does not settle in the ranges, clipping goes on).
        if (crossAtMostOnce(us, clippedThem)) {
            double t1, t2;
            if (meetingByNewton(originalUs, originalThem, usRange, themRange, t1, t2)) {
                usRange = FBRangeMake(t1, t1);
                themRange = FBRangeMake(t2, t2);
                break;
            }
        }
        if (++passes >= maximumPasses)
            break;
    }

    const bool usConverged = rangeIsSettled(usRange);
    const bool themConverged = rangeIsSettled(themRange);
    if (usConverged != themConverged) {
        const FBBezierCurve& settledCurve = usConverged ? originalUs : originalThem;
        const FBBezierCurve& otherCurve = usConverged ? originalThem : originalUs;
        FBRange& settled = usConverged ? usRange : themRange;
        FBRange& other = usConverged ? themRange : usRange;
        const MWPoint point = settledCurve.pointAtParameter(settled.minimum);
        // Newton until it settles, kept in the range the clips left: from the middle of a wide range three
        // steps can stop short by more than the meeting test below allows, and the crossing would be lost.
        double t = FBRangeAverage(other);
        for (int i = 0; i < 12; ++i) {
            const double next = std::clamp(otherCurve.refineParameter(t, point), other.minimum, other.maximum);
            const bool still = std::fabs(next - t) <= 1e-14;
            t = next;
            if (still)
                break;
        }
        other = FBRangeMake(t, t);
    }
    // A clip can close on a single parameter where two hull bounds merely touch, away from the other
    // curve: only a meeting whose two points agree is reported.
    const MWPoint onUs = originalUs.pointAtParameter(usRange.minimum);
    const MWPoint onThem = originalThem.pointAtParameter(themRange.minimum);
    const double tolerance = 1e-5 * std::max(boundsOfPair(originalUs, originalThem).size, 1e-300);
    if (FBDistanceBetweenPoints(onUs, onThem) > tolerance) {
        double distance = 0;
        const double t = originalThem.closestParameter(onUs, &distance);
        if (distance > tolerance)
            return;
        themRange = FBRangeMake(t, t);
    }
    results.emplace_back(originalUs, usRange.minimum, originalThem, themRange.minimum);
}

// ---------------------------------------------------------------------------------------------------------
// Intersection record

FBBezierIntersection::FBBezierIntersection(const FBBezierCurve& curve1, double parameter1, const FBBezierCurve& curve2,
                                           double parameter2)
    : curve1_(curve1), curve2_(curve2), parameter1_(parameter1), parameter2_(parameter2)
{
}

void FBBezierIntersection::setParameters(double parameter1, double parameter2)
{
    parameter1_ = parameter1;
    parameter2_ = parameter2;
    needToComputeCurve1_ = needToComputeCurve2_ = true;
    locationKnown_ = false;
}

void FBBezierIntersection::computeCurve1() const
{
    if (!needToComputeCurve1_)
        return;
    location_ = curve1_.pointAtParameter(parameter1_, &curve1LeftBezier_, &curve1RightBezier_);
    needToComputeCurve1_ = false;
}

void FBBezierIntersection::computeCurve2() const
{
    if (!needToComputeCurve2_)
        return;
    curve2_.pointAtParameter(parameter2_, &curve2LeftBezier_, &curve2RightBezier_);
    needToComputeCurve2_ = false;
}

MWPoint FBBezierIntersection::takeLocation() const
{
    // The point alone until the split curves are wanted: the same steps as computeCurve1's, which leaves
    // the same point.
    location_ = curve1_.pointAtParameter(parameter1_);
    locationKnown_ = true;
    return location_;
}
const FBBezierCurve& FBBezierIntersection::curve1LeftBezier() const
{
    computeCurve1();
    return curve1LeftBezier_;
}
const FBBezierCurve& FBBezierIntersection::curve1RightBezier() const
{
    computeCurve1();
    return curve1RightBezier_;
}
const FBBezierCurve& FBBezierIntersection::curve2LeftBezier() const
{
    computeCurve2();
    return curve2LeftBezier_;
}
const FBBezierCurve& FBBezierIntersection::curve2RightBezier() const
{
    computeCurve2();
    return curve2RightBezier_;
}

bool FBBezierIntersection::isAtStartOfCurve1() const { return FBAreValuesClose(parameter1_, 0); }
bool FBBezierIntersection::isAtStopOfCurve1() const { return FBAreValuesClose(parameter1_, 1); }
bool FBBezierIntersection::isAtStartOfCurve2() const { return FBAreValuesClose(parameter2_, 0); }
bool FBBezierIntersection::isAtStopOfCurve2() const { return FBAreValuesClose(parameter2_, 1); }

bool FBBezierIntersection::isTangent() const
{
    if (isAtEndPointOfCurve())
        return false;
    const MWPoint curve1Backward
        = FBNormalizePoint(FBSubtractPoint(curve1LeftBezier().controlPoint2, curve1LeftBezier().endPoint2));
    const MWPoint curve1Forward
        = FBNormalizePoint(FBSubtractPoint(curve1RightBezier().controlPoint1, curve1RightBezier().endPoint1));
    const MWPoint curve2Backward
        = FBNormalizePoint(FBSubtractPoint(curve2LeftBezier().controlPoint2, curve2LeftBezier().endPoint2));
    const MWPoint curve2Forward
        = FBNormalizePoint(FBSubtractPoint(curve2RightBezier().controlPoint1, curve2RightBezier().endPoint1));
    constexpr double threshold = 1e-7;
    if (FBArePointsCloseWithOptions(curve1Backward, curve2Backward, threshold)
        || FBArePointsCloseWithOptions(curve1Backward, curve2Forward, threshold)
        || FBArePointsCloseWithOptions(curve1Forward, curve2Backward, threshold)
        || FBArePointsCloseWithOptions(curve1Forward, curve2Forward, threshold))
        return true;
    // A tangent meeting is found only to about six places, and so are the directions there: directions
    // parallel to within a thousandth of a radian count as tangent too.
    constexpr double parallel = 1e-3;
    return std::fabs(cross(curve1Backward, curve2Backward)) <= parallel
           && std::fabs(cross(curve1Forward, curve2Forward)) <= parallel
           && std::fabs(cross(curve1Backward, curve1Forward)) <= parallel;
}

std::string FBBezierIntersection::description() const
{
    char buffer[160];
    const MWPoint p = location();
    std::snprintf(buffer, sizeof buffer, "<FBBezierIntersection: location = (%f, %f), isTangent = %d>", p.x, p.y,
                  isTangent() ? 1 : 0);
    return buffer;
}

// ---------------------------------------------------------------------------------------------------------
// Overlap

bool FBCurvesOverlap(const FBBezierCurve& curve1, const FBBezierCurve& curve2, double tolerance, FBCurveOverlap& overlap)
{
    double minX1, minY1, maxX1, maxY1, minX2, minY2, maxX2, maxY2;
    curve1.controlBounds(minX1, minY1, maxX1, maxY1);
    curve2.controlBounds(minX2, minY2, maxX2, maxY2);
    if (minX1 > maxX2 + tolerance || minX2 > maxX1 + tolerance || minY1 > maxY2 + tolerance || minY2 > maxY1 + tolerance)
        return false;
    // A cubic that follows a line over a stretch is that line: a straight curve only overlaps a straight one.
    const bool straight1 = curve1.isUniformLine() || curve1.isStraightLine(tolerance);
    const bool straight2 = curve2.isUniformLine() || curve2.isStraightLine(tolerance);
    if (straight1 != straight2)
        return false;
    if (straight1
        && (FBDistancePointToLine(curve2.endPoint1, curve1.endPoint1, curve1.endPoint2) > tolerance
            || FBDistancePointToLine(curve2.endPoint2, curve1.endPoint1, curve1.endPoint2) > tolerance))
        return false;

    struct Match {
        double t1;
        double t2;
    };
    std::array<Match, 4> matches;
    int count = 0;
    const auto near = [tolerance](MWPoint p, double minX, double minY, double maxX, double maxY) {
        return p.x >= minX - tolerance && p.x <= maxX + tolerance && p.y >= minY - tolerance && p.y <= maxY + tolerance;
    };
    for (double t2 : {0.0, 1.0}) {
        const MWPoint p = t2 == 0 ? curve2.endPoint1 : curve2.endPoint2;
        if (!near(p, minX1, minY1, maxX1, maxY1) || curve1.isFartherThan(p, tolerance))
            continue;
        double distance = 0;
        const double t1 = curve1.closestParameter(p, &distance);
        if (distance <= tolerance)
            matches[size_t(count++)] = {t1, t2};
    }
    for (double t1 : {0.0, 1.0}) {
        const MWPoint p = t1 == 0 ? curve1.endPoint1 : curve1.endPoint2;
        if (!near(p, minX2, minY2, maxX2, maxY2) || curve2.isFartherThan(p, tolerance))
            continue;
        double distance = 0;
        const double t2 = curve2.closestParameter(p, &distance);
        if (distance <= tolerance)
            matches[size_t(count++)] = {t1, t2};
    }
    if (count < 2)
        return false;
    Match first = matches[0], last = matches[0];
    for (int i = 1; i < count; ++i) {
        if (matches[size_t(i)].t1 < first.t1)
            first = matches[size_t(i)];
        if (matches[size_t(i)].t1 > last.t1)
            last = matches[size_t(i)];
    }
    if (last.t1 - first.t1 <= 1e-9 || std::fabs(last.t2 - first.t2) <= 1e-9)
        return false;
    if (FBDistanceBetweenPoints(curve1.pointAtParameter(first.t1), curve1.pointAtParameter(last.t1)) <= tolerance)
        return false;
    // The stretch between must lie on both curves.
    const double low2 = std::min(first.t2, last.t2), high2 = std::max(first.t2, last.t2);
    for (double u : {0.25, 0.5, 0.75}) {
        double distance = 0;
        const double t2 = curve2.closestParameter(curve1.pointAtParameter(first.t1 + u * (last.t1 - first.t1)), &distance);
        if (distance > tolerance || t2 < low2 - 1e-6 || t2 > high2 + 1e-6)
            return false;
        curve1.closestParameter(curve2.pointAtParameter(first.t2 + u * (last.t2 - first.t2)), &distance);
        if (distance > tolerance)
            return false;
    }
    overlap.curve1Range = {first.t1, last.t1};
    overlap.curve2Start = first.t2;
    overlap.curve2Stop = last.t2;
    return true;
}
