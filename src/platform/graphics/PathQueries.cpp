#include "platform/graphics/Path.h"
#include "platform/graphics/PathMath.h"

#include <algorithm>
#include <cmath>

namespace pf {

using pathmath::Cubic;

namespace {

// Widens [lo, hi], which already holds the cubic's ends, by one coordinate of its extrema. The curve lies
// in the hull of its control points, so control values inside [lo, hi] cannot widen it.
void addCubicExtrema(double a, double b, double c, double d, double& lo, double& hi)
{
    if (b >= lo && b <= hi && c >= lo && c <= hi)
        return;
    double ts[2];
    const int n = pathmath::derivativeRoots(a, b, c, d, ts);
    for (int i = 0; i < n; ++i) {
        const double v = pathmath::cubicCoord(a, b, c, d, ts[i]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

// Counts the crossings of the ray from `p` towards +x. An edge counts over the half-open y range
// [low, high) and only where it crosses strictly right of p: the classification of a point just right of
// and below p, which also counts a ray through a vertex exactly once.
struct RayCrossings {
    Point p;
    int winding = 0;
    int count = 0;

    void cross(int direction)
    {
        winding += direction;
        ++count;
    }

    void line(Point a, Point b)
    {
        if (a.y == b.y)
            return;
        const bool up = a.y < b.y;
        const double low = up ? a.y : b.y;
        const double high = up ? b.y : a.y;
        if (p.y < low || p.y >= high)
            return;
        const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
        if (x > p.x)
            cross(up ? 1 : -1);
    }

    void cubic(const Cubic& c)
    {
        const double maxY = std::max({c[0].y, c[1].y, c[2].y, c[3].y});
        const double minY = std::min({c[0].y, c[1].y, c[2].y, c[3].y});
        const double maxX = std::max({c[0].x, c[1].x, c[2].x, c[3].x});
        if (p.y < minY || p.y > maxY || maxX <= p.x)
            return;
        double cuts[4] = {0, 0, 0, 1};
        const int roots = pathmath::derivativeRoots(c[0].y, c[1].y, c[2].y, c[3].y, cuts + 1);
        cuts[roots + 1] = 1;
        double ya = c[0].y;
        for (int i = 0; i <= roots; ++i) {
            const double ta = cuts[i];
            const double tb = cuts[i + 1];
            const double yb = i == roots ? c[3].y : pathmath::cubicCoord(c[0].y, c[1].y, c[2].y, c[3].y, tb);
            monotonePiece(c, ta, tb, ya, yb);
            ya = yb;
        }
    }

    // One y-monotone piece of a cubic from (ta, ya) to (tb, yb).
    void monotonePiece(const Cubic& c, double ta, double tb, double ya, double yb)
    {
        if (ya == yb)
            return;
        const bool up = ya < yb;
        if (p.y < (up ? ya : yb) || p.y >= (up ? yb : ya))
            return;
        const double t = solveY(c, ta, tb, ya, yb);
        if (pathmath::cubicCoord(c[0].x, c[1].x, c[2].x, c[3].x, t) > p.x)
            cross(up ? 1 : -1);
    }

    // y(t) = p.y on a monotone piece: Newton steps kept inside a shrinking bracket, bisecting whenever
    // Newton would leave it.
    double solveY(const Cubic& c, double lo, double hi, double ylo, double yhi) const
    {
        const double sign = yhi > ylo ? 1 : -1;
        double t = lo + (hi - lo) * (p.y - ylo) / (yhi - ylo);
        for (int i = 0; i < 100; ++i) {
            const double f = (pathmath::cubicCoord(c[0].y, c[1].y, c[2].y, c[3].y, t) - p.y) * sign;
            if (f == 0)
                return t;
            if (f < 0)
                lo = t;
            else
                hi = t;
            if (hi - lo <= 1e-15)
                break;
            const double mt = 1 - t;
            const double d = 3 * (mt * mt * (c[1].y - c[0].y) + 2 * mt * t * (c[2].y - c[1].y)
                                  + t * t * (c[3].y - c[2].y)) * sign;
            double next = d > 0 ? t - f / d : lo - 1;
            if (!(next > lo && next < hi))
                next = (lo + hi) / 2;
            if (std::abs(next - t) <= 1e-15)
                return next;
            t = next;
        }
        return (lo + hi) / 2;
    }
};

} // namespace

Rect Path::bounds() const
{
    if (elements_.empty())
        return Rect::zero();
    PointBounds box;
    box.add(elements_.front().points[0]);
    auto addCubic = [&box](const Point& a, const Point& b, const Point& c, const Point& d) {
        box.add(d);
        addCubicExtrema(a.x, b.x, c.x, d.x, box.minX, box.maxX);
        addCubicExtrema(a.y, b.y, c.y, d.y, box.minY, box.maxY);
    };
    Point current;
    for (const PathElement& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
        case PathElementType::LineTo:
        case PathElementType::Close:
            current = e.points[0];
            box.add(current);
            break;
        case PathElementType::QuadTo: {
            const Cubic c = pathmath::raiseQuad(current, e.points[0], e.points[1]);
            addCubic(c[0], c[1], c[2], c[3]);
            current = e.points[1];
            break;
        }
        case PathElementType::CurveTo:
            addCubic(current, e.points[0], e.points[1], e.points[2]);
            current = e.points[2];
            break;
        }
    }
    return box.rect();
}

Rect Path::controlPointBounds() const
{
    if (elements_.empty())
        return Rect::zero();
    PointBounds box;
    for (const PathElement& e : elements_) {
        for (int i = 0; i < e.pointCount(); ++i)
            box.add(e.points[i]);
    }
    return box.rect();
}

bool Path::containsPoint(Point p, WindingRule rule) const
{
    RayCrossings ray{p};
    Point current;
    Point start;
    for (const PathElement& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
            // A fill closes every open subpath.
            ray.line(current, start);
            start = e.points[0];
            break;
        case PathElementType::LineTo:
            ray.line(current, e.points[0]);
            break;
        case PathElementType::QuadTo:
        case PathElementType::CurveTo:
            ray.cubic(pathmath::cubicOf(current, e));
            break;
        case PathElementType::Close:
            ray.line(current, start);
            break;
        }
        current = e.endPoint();
    }
    ray.line(current, start);
    return rule == WindingRule::NonZero ? ray.winding != 0 : (ray.count & 1) != 0;
}

void Path::transform(const AffineTransform& t)
{
    changed();
    for (PathElement& e : elements_) {
        for (int i = 0; i < e.pointCount(); ++i)
            e.points[i] = t.apply(e.points[i]);
    }
    currentPoint_ = t.apply(currentPoint_);
    subpathStart_ = t.apply(subpathStart_);
}

Path Path::transformed(const AffineTransform& t) const
{
    Path p = *this;
    p.transform(t);
    return p;
}

Path Path::reversed() const
{
    Path out;
    out.style_ = style_;
    out.winding_ = winding_;
    out.flatness_ = flatness_;
    size_t first = 0;
    while (first < elements_.size()) {
        // One subpath: [first, last), beginning with its move.
        size_t last = first + 1;
        while (last < elements_.size() && elements_[last].type != PathElementType::MoveTo)
            ++last;
        bool closed = false;
        size_t segmentsEnd = last;
        while (segmentsEnd > first + 1 && elements_[segmentsEnd - 1].type == PathElementType::Close) {
            closed = true;
            --segmentsEnd;
        }
        out.moveTo(elements_[segmentsEnd - 1].endPoint());
        for (size_t i = segmentsEnd - 1; i > first; --i) {
            const PathElement& e = elements_[i];
            const Point before = elements_[i - 1].endPoint();
            switch (e.type) {
            case PathElementType::LineTo:
                out.lineTo(before);
                break;
            case PathElementType::QuadTo:
                out.quadTo(e.points[0], before);
                break;
            case PathElementType::CurveTo:
                out.curveTo(e.points[1], e.points[0], before);
                break;
            default:
                break;
            }
        }
        if (closed)
            out.close();
        first = last;
    }
    return out;
}

Path Path::flattened(double flatness) const
{
    const double tolerance = std::max(flatness, 1e-4);
    Path out;
    out.style_ = style_;
    out.winding_ = winding_;
    out.flatness_ = flatness_;
    Point current;
    for (const PathElement& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
            out.moveTo(e.points[0]);
            break;
        case PathElementType::LineTo:
            out.lineTo(e.points[0]);
            break;
        case PathElementType::QuadTo:
        case PathElementType::CurveTo: {
            const Cubic c = pathmath::cubicOf(current, e);
            // Uniform steps: a cubic stays within 3/4·M/n² of its n-gon, M the largest second
            // difference of its control points.
            const double ddx = std::max(std::abs(c[0].x - 2 * c[1].x + c[2].x), std::abs(c[1].x - 2 * c[2].x + c[3].x));
            const double ddy = std::max(std::abs(c[0].y - 2 * c[1].y + c[2].y), std::abs(c[1].y - 2 * c[2].y + c[3].y));
            const double m = std::hypot(ddx, ddy);
            const double steps = std::ceil(std::sqrt(0.75 * m / tolerance));
            const int n = std::isfinite(steps) ? int(std::clamp(steps, 1.0, 65536.0)) : 1;
            for (int i = 1; i < n; ++i)
                out.lineTo(pathmath::cubicPoint(c, double(i) / n));
            out.lineTo(c[3]);
            break;
        }
        case PathElementType::Close:
            out.close();
            break;
        }
        current = e.endPoint();
    }
    return out;
}

} // namespace pf
