#include "geometry/BezierPathFunctions.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace geom {

Point Interpolate(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

pf::AffineTransform RotationTransform(double radians, Point centre)
{
    return pf::AffineTransform::translation(centre.x, centre.y).rotated(radians).translated(-centre.x, -centre.y);
}

double Slope(Point a, Point b) { return double(std::atan2(float(b.y - a.y), float(b.x - a.x))); }

double AngleBetween(Point a, Point b, Point c) { return Slope(a, b) - Slope(b, c); }

int PointInLineSegment(Point p, Point a, Point b)
{
    const Point d = DiffPoint(b, a);
    const double len2 = SquaredLength(d);
    if (len2 == 0)
        return -1;
    const double s = DotProduct(DiffPoint(p, a), d) / len2;
    if (s < 0)
        return -1;
    return s > 1 ? 1 : 0;
}

pf::Rect NSRectFromTwoPoints(Point a, Point b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

Point NearestPointOnLine(Point p, Point a, Point b)
{
    const Point d = DiffPoint(b, a);
    const double len2 = SquaredLength(d);
    if (len2 == 0)
        return a;
    const double s = DotProduct(DiffPoint(p, a), d) / len2;
    if (s <= 0)
        return a;
    if (s >= 1)
        return b;
    return Interpolate(a, b, s);
}

double RelPoint(Point p, Point a, Point b)
{
    const float whole = float(LineLength(a, b));
    if (whole == 0)
        return 0;
    return double(float(LineLength(p, a)) / whole);
}

double LineLength(Point a, Point b) { return double(std::hypot(float(b.x - a.x), float(b.y - a.y))); }

double SquaredLength(Point v) { return v.x * v.x + v.y * v.y; }

Point DiffPoint(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }

double DiffPointSquaredLength(Point a, Point b) { return SquaredLength(DiffPoint(a, b)); }

double DotProduct(Point u, Point v) { return u.x * v.x + u.y * v.y; }

Point Bezier(const Point* v, int degree, double t, Point* left, Point* right)
{
    constexpr int maxDegree = 7;
    if (degree < 0 || degree > maxDegree)
        throw std::out_of_range("Bezier: degree must be 0 to 7");
    Point tri[maxDegree + 1][maxDegree + 1];
    for (int j = 0; j <= degree; ++j)
        tri[0][j] = v[j];
    for (int i = 1; i <= degree; ++i) {
        for (int j = 0; j <= degree - i; ++j)
            tri[i][j] = Interpolate(tri[i - 1][j], tri[i - 1][j + 1], t);
    }
    if (left) {
        for (int j = 0; j <= degree; ++j)
            left[j] = tri[j][0];
    }
    if (right) {
        for (int j = 0; j <= degree; ++j)
            right[j] = tri[degree - j][j];
    }
    return tri[degree][0];
}

void subdivideBezierAtT(const Point bez[4], Point left[4], Point right[4], double t)
{
    Bezier(bez, 3, t, left, right);
}

// --- Nearest point on a cubic.

namespace {

constexpr int quinticDegree = 5;
constexpr int maxRootDepth = 64;
const double flatEnough = std::ldexp(1.0, -maxRootDepth - 1);

// (B(t) − p)·B′(t) as a quintic in Bernstein form; x holds the parameter, y the value.
void quinticOfDistance(Point p, const Point v[4], Point w[6])
{
    static constexpr double z[3][4] = {{1.0, 0.6, 0.3, 0.1}, {0.4, 0.6, 0.6, 0.4}, {0.1, 0.3, 0.6, 1.0}};
    Point c[4];
    Point d[3];
    for (int i = 0; i < 4; ++i)
        c[i] = DiffPoint(v[i], p);
    for (int i = 0; i < 3; ++i)
        d[i] = DiffPoint(v[i + 1], v[i]) * 3.0;
    for (int i = 0; i <= quinticDegree; ++i)
        w[i] = {double(i) / quinticDegree, 0};
    for (int k = 0; k <= quinticDegree; ++k) {
        const int lb = std::max(0, k - 2);
        const int ub = std::min(k, 3);
        for (int i = lb; i <= ub; ++i) {
            const int j = k - i;
            w[i + j].y += DotProduct(d[j], c[i]) * z[j][i];
        }
    }
}

int crossingCount(const Point w[6])
{
    int n = 0;
    int sign = w[0].y < 0 ? -1 : 1;
    for (int i = 1; i <= quinticDegree; ++i) {
        const int s = w[i].y < 0 ? -1 : 1;
        if (s != sign)
            ++n;
        sign = s;
    }
    return n;
}

// Whether the control polygon lies within flatEnough (measured along the axis) of its chord.
bool polygonFlatEnough(const Point w[6])
{
    const double a = w[0].y - w[quinticDegree].y;
    const double b = w[quinticDegree].x - w[0].x;
    const double c = w[0].x * w[quinticDegree].y - w[quinticDegree].x * w[0].y;
    double above = 0;
    double below = 0;
    for (int i = 1; i < quinticDegree; ++i) {
        const double value = a * w[i].x + b * w[i].y + c;
        above = std::max(above, value);
        below = std::min(below, value);
    }
    if (a == 0)
        return false;
    // Where the two lines parallel to the chord through the extremes cross the axis.
    const double i1 = (c - above) / -a;
    const double i2 = (c - below) / -a;
    return std::abs(i1 - i2) < flatEnough;
}

double chordCrossing(const Point w[6])
{
    const double dx = w[quinticDegree].x - w[0].x;
    const double dy = w[quinticDegree].y - w[0].y;
    return w[0].x - dx * w[0].y / dy;
}

// Roots in [0, 1] of the quintic by recursive halving; at most five.
int findRoots(const Point w[6], double* roots, int depth)
{
    const int crossings = crossingCount(w);
    if (crossings == 0)
        return 0;
    if (depth >= maxRootDepth) {
        // Only a root that halving cannot isolate gets here (a single crossing would be flat by now).
        roots[0] = (w[0].x + w[quinticDegree].x) / 2;
        return 1;
    }
    if (crossings == 1 && polygonFlatEnough(w)) {
        roots[0] = chordCrossing(w);
        return 1;
    }
    Point left[6];
    Point right[6];
    Bezier(w, quinticDegree, 0.5, left, right);
    double leftRoots[quinticDegree];
    double rightRoots[quinticDegree];
    const int nl = findRoots(left, leftRoots, depth + 1);
    const int nr = findRoots(right, rightRoots, depth + 1);
    int n = 0;
    for (int i = 0; i < nl && n < quinticDegree; ++i)
        roots[n++] = leftRoots[i];
    for (int i = 0; i < nr && n < quinticDegree; ++i)
        roots[n++] = rightRoots[i];
    return n;
}

} // namespace

Point NearestPointOnCurve(Point p, const Point v[4], double* t)
{
    Point w[6];
    quinticOfDistance(p, v, w);
    double roots[quinticDegree];
    const int n = findRoots(w, roots, 0);
    double best = DiffPointSquaredLength(p, v[0]);
    double bestT = 0;
    for (int i = 0; i < n; ++i) {
        const double d = DiffPointSquaredLength(p, Bezier(v, 3, roots[i]));
        if (d < best) {
            best = d;
            bestT = roots[i];
        }
    }
    if (DiffPointSquaredLength(p, v[3]) < best)
        bestT = 1;
    if (t)
        *t = bestT;
    return Bezier(v, 3, bestT);
}

// --- Curve length.

namespace {

constexpr int maxLengthDepth = 24;

double curveLengthAt(const Point bez[4], double error, int depth)
{
    const double chord = LineLength(bez[0], bez[3]);
    const double polygon = LineLength(bez[0], bez[1]) + LineLength(bez[1], bez[2]) + LineLength(bez[2], bez[3]);
    if (polygon - chord > error && depth < maxLengthDepth) {
        Point left[4];
        Point right[4];
        subdivideBezierAtT(bez, left, right, 0.5);
        return curveLengthAt(left, error, depth + 1) + curveLengthAt(right, error, depth + 1);
    }
    return (chord + polygon) / 2;
}

} // namespace

double curveLength(const Point bez[4], double maxError)
{
    return curveLengthAt(bez, std::max(maxError, 1e-4), 0);
}

double subdivideBezierAtLength(const Point bez[4], Point left[4], Point right[4], double s, double maxError)
{
    const double error = std::max(maxError, 1e-4);
    double t = 0.5;
    double lo = 0;
    double hi = 1;
    // Halving t: 60 steps are past double precision, so the loop also ends for an unreachable s.
    for (int i = 0; i < 60; ++i) {
        subdivideBezierAtT(bez, left, right, t);
        const double leftLength = curveLength(left, error / 2);
        if (std::abs(s - leftLength) < error)
            break;
        double next;
        if (s > leftLength) {
            lo = t;
            next = (t + hi) / 2;
        } else {
            hi = t;
            next = (lo + t) / 2;
        }
        if (next == t)
            break;
        t = next;
    }
    return t;
}

} // namespace geom
