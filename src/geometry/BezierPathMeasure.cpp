#include "geometry/BezierPathMeasure.h"

#include "geometry/BezierPathAdditions.h"
#include "geometry/BezierPathFunctions.h"
#include "platform/graphics/PathMath.h"

#include <algorithm>

namespace geom {

using pf::PathElement;
using pf::PathElementType;
using pf::pathmath::Cubic;

namespace {

// One element seen as a piece of the walk: a move has no length; a close is the line back to its
// subpath's start.
struct Segment {
    PathElementType type;
    Point from;
    Point to;
    Cubic cubic; // curves only

    bool isCurve() const { return type == PathElementType::CurveTo || type == PathElementType::QuadTo; }
    double length(double maxError) const
    {
        if (type == PathElementType::MoveTo)
            return 0;
        return isCurve() ? curveLength(cubic.data(), maxError) : LineLength(from, to);
    }
};

// Walks the elements with a current point and a subpath start; fn(index, element, segment) answers
// false to stop.
template <typename Fn>
void walk(const Path& path, Fn fn)
{
    Point current;
    Point start;
    for (int i = 0; i < path.elementCount(); ++i) {
        const PathElement& e = path.element(i);
        Segment s{e.type, current, e.endPoint(), {}};
        switch (e.type) {
        case PathElementType::MoveTo:
            start = s.to;
            break;
        case PathElementType::Close:
            s.to = start;
            break;
        case PathElementType::QuadTo:
        case PathElementType::CurveTo:
            s.cubic = pf::pathmath::cubicOf(current, e);
            break;
        case PathElementType::LineTo:
            break;
        }
        current = s.to;
        if (!fn(i, e, s))
            return;
    }
}

Path emptyLike(const Path& path)
{
    Path out;
    out.lineStyle() = path.lineStyle();
    out.setWindingRule(path.windingRule());
    out.setFlatness(path.flatness());
    return out;
}

} // namespace

double lengthWithMaximumError(const Path& path, double maxError)
{
    double total = 0;
    walk(path, [&](int, const PathElement&, const Segment& s) {
        total += s.length(maxError);
        return true;
    });
    return total;
}

double lengthOfElement(const Path& path, int index)
{
    if (index < 0 || index >= path.elementCount())
        return -1;
    double result = 0;
    walk(path, [&](int i, const PathElement&, const Segment& s) {
        if (i < index)
            return true;
        if (i > 0)
            result = s.length(defaultMaximumError);
        return false;
    });
    return result;
}

double lengthOfPathFromElementToElement(const Path& path, int from, int to)
{
    const int first = std::max(from, 0);
    const int last = std::min(to, path.elementCount() - 1);
    double total = 0;
    walk(path, [&](int i, const PathElement&, const Segment& s) {
        if (i > last)
            return false;
        if (i >= first && i > 0)
            total += s.length(defaultMaximumError);
        return true;
    });
    return total;
}

int countSubPaths(const Path& path)
{
    int n = 0;
    for (int i = 0; i + 1 < path.elementCount(); ++i) {
        if (path.element(i).type == PathElementType::MoveTo)
            ++n;
    }
    return n;
}

std::vector<Path> subPaths(const Path& path)
{
    if (countSubPaths(path) <= 1)
        return {path};
    std::vector<Path> out;
    int i = 0;
    const int n = path.elementCount();
    while (i < n) {
        int end = i + 1;
        while (end < n && path.element(end).type != PathElementType::MoveTo)
            ++end;
        if (end - i >= 2) {
            Path sub = emptyLike(path);
            for (int k = i; k < end; ++k)
                sub.appendElement(path.element(k));
            out.push_back(std::move(sub));
        }
        i = end;
    }
    return out;
}

double slopeStartingPath(const Path& path)
{
    if (path.elementCount() < 2)
        return 0;
    return Slope(path.element(0).points[0], path.element(1).points[0]);
}

Point pointOnPathAtLengthSlope(const Path& path, double length, double* slope)
{
    if (path.elementCount() < 2)
        return {};
    if (length <= 0) {
        if (slope)
            *slope = slopeStartingPath(path);
        return path.element(0).points[0];
    }
    const Path trimmed = bezierPathByTrimmingToLength(path, length);
    const int n = trimmed.elementCount();
    if (n < 2) {
        if (slope)
            *slope = 1;
        return {};
    }
    // The direction at the end: along the last curve's end tangent, else from the previous end point.
    Point from;
    Point end;
    walk(trimmed, [&](int i, const PathElement&, const Segment& s) {
        if (i < n - 1)
            return true;
        end = s.to;
        from = s.isCurve() ? s.cubic[2] : s.from;
        return false;
    });
    if (slope)
        *slope = Slope(from, end);
    return end;
}

double distanceFromStartOfPathAtPointTolerance(const Path& path, Point p, double tolerance)
{
    double t = 0;
    const int hit = elementHitByPointToleranceTValue(path, p, tolerance, &t);
    if (hit <= 0)
        return -1;
    double result = lengthOfPathFromElementToElement(path, 0, hit - 1);
    walk(path, [&](int i, const PathElement&, const Segment& s) {
        if (i < hit)
            return true;
        if (s.isCurve()) {
            Point left[4];
            Point right[4];
            subdivideBezierAtT(s.cubic.data(), left, right, t);
            result += curveLength(left, defaultMaximumError);
        } else if (s.type != PathElementType::MoveTo) {
            result += LineLength(s.from, Interpolate(s.from, s.to, t));
        }
        return false;
    });
    return result;
}

Path bezierPathByTrimmingToLengthWithMaximumError(const Path& path, double L, double maxError)
{
    if (!(L > 0))
        L = 0;
    if (L >= length(path))
        return path;
    Path out = emptyLike(path);
    double accumulated = 0;
    walk(path, [&](int, const PathElement& e, const Segment& s) {
        if (s.type == PathElementType::MoveTo) {
            out.moveTo(s.to);
            return true;
        }
        const double d = s.length(maxError);
        if (L >= accumulated + d) {
            out.appendElement(e);
            accumulated += d;
            return true;
        }
        // d > 0 here, since L is at least the accumulated length.
        if (s.isCurve()) {
            Point left[4];
            Point right[4];
            subdivideBezierAtLength(s.cubic.data(), left, right, L - accumulated, maxError);
            out.curveTo(left[1], left[2], left[3]);
        } else {
            out.lineTo(Interpolate(s.from, s.to, (L - accumulated) / d));
        }
        return false;
    });
    return out;
}

Path bezierPathByTrimmingFromLengthWithMaximumError(const Path& path, double L, double maxError)
{
    if (!(L > 0))
        return path;
    Path out = emptyLike(path);
    double accumulated = 0;
    bool past = false;
    bool inCutSubpath = false;
    walk(path, [&](int, const PathElement& e, const Segment& s) {
        if (s.type == PathElementType::MoveTo) {
            if (past) {
                out.moveTo(s.to);
                inCutSubpath = false;
            }
            return true;
        }
        const double d = s.length(maxError);
        if (past) {
            if (s.type == PathElementType::Close) {
                // The cut subpath now starts at the cut point: closing it would draw the trimmed part
                // again, so it ends with the line back to its old start.
                out.lineTo(s.to);
                if (!inCutSubpath)
                    out.close();
            } else {
                out.appendElement(e);
            }
        } else if (accumulated + d > L) {
            if (s.isCurve()) {
                Point left[4];
                Point right[4];
                subdivideBezierAtLength(s.cubic.data(), left, right, L - accumulated, maxError);
                out.moveTo(right[0]);
                out.curveTo(right[1], right[2], right[3]);
            } else {
                out.moveTo(Interpolate(s.from, s.to, (L - accumulated) / d));
                out.lineTo(s.to);
            }
            past = true;
            inCutSubpath = true;
        }
        accumulated += d;
        return true;
    });
    return out;
}

Path bezierPathByTrimmingFromLengthToLengthWithMaximumError(const Path& path, double a, double b, double maxError)
{
    return bezierPathByTrimmingToLengthWithMaximumError(bezierPathByTrimmingFromLengthWithMaximumError(path, a, maxError),
                                                        b, maxError);
}

Path bezierPathByTrimmingFromBothEndsWithMaximumError(const Path& path, double L, double maxError)
{
    return bezierPathByTrimmingFromLengthToLengthWithMaximumError(path, L, length(path) - 2 * L, maxError);
}

Path bezierPathByTrimmingFromCentreWithMaximumError(const Path& path, double L, double maxError)
{
    const double half = length(path) / 2;
    Path out = bezierPathByTrimmingToLengthWithMaximumError(path, half - L / 2, maxError);
    out.append(bezierPathByTrimmingFromLengthWithMaximumError(path, half + L / 2, maxError));
    return out;
}

} // namespace geom
