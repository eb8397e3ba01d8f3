#include "geometry/BezierPathAdditions.h"

#include "geometry/BezierPathFunctions.h"
#include "platform/graphics/PathMath.h"

#include <algorithm>

namespace geom {

using pf::PathElement;
using pf::PathElementType;

Path bezierPathWithRoundRectXRadiusYRadiusCorners(const Rect& rect, double xRadius, double yRadius, unsigned corners)
{
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const double rx = std::max(0.0, std::min(xRadius, w / 2));
    const double ry = std::max(0.0, std::min(yRadius, h / 2));
    Path p;
    if (corners & RoundedCornerTopLeft) {
        p.moveTo({x, y + ry});
        p.curveTo({x, y + ry}, {x, y}, {x + rx, y});
    } else {
        p.moveTo({x, y + h / 2});
        p.lineTo({x, y});
    }
    if (corners & RoundedCornerTopRight) {
        p.lineTo({x + w - rx, y});
        p.curveTo({x + w - rx, y}, {x + w, y}, {x + w, y + ry});
    } else {
        p.lineTo({x + w, y});
    }
    if (corners & RoundedCornerBottomRight) {
        p.lineTo({x + w, y + h - ry});
        p.curveTo({x + w, y + h - ry}, {x + w, y + h}, {x + w - rx, y + h});
    } else {
        p.lineTo({x + w, y + h});
    }
    if (corners & RoundedCornerBottomLeft) {
        p.lineTo({x + rx, y + h});
        p.curveTo({x + rx, y + h}, {x, y + h}, {x, y + h - ry});
    } else {
        p.lineTo({x, y + h});
    }
    p.close();
    return p;
}

std::optional<Path> newQuartzPath(const Path& path)
{
    if (path.isEmpty())
        return std::nullopt;
    Path out;
    bool closedSinceDrawing = true;
    for (const PathElement& e : path.elements()) {
        out.appendElement(e);
        if (e.type == PathElementType::Close)
            closedSinceDrawing = true;
        else if (e.type != PathElementType::MoveTo)
            closedSinceDrawing = false;
    }
    if (!closedSinceDrawing)
        out.close();
    return out;
}

std::optional<Path> newOpenQuartzPath(const Path& path)
{
    if (path.isEmpty())
        return std::nullopt;
    Path out;
    for (const PathElement& e : path.elements()) {
        if (e.type != PathElementType::Close)
            out.appendElement(e);
    }
    return out;
}

Path bezierPathWithCGPath(const Path& quartzPath)
{
    Path out;
    for (const PathElement& e : quartzPath.elements()) {
        if (e.type == PathElementType::QuadTo) {
            const auto c = pf::pathmath::cubicOf(out.currentPoint(), e);
            out.curveTo(c[1], c[2], c[3]);
        } else {
            out.appendElement(e);
        }
    }
    return out;
}

// --- Hit testing.

namespace {

bool validIndex(const Path& path, int index) { return index >= 0 && index < path.elementCount(); }

Point previousEnd(const Path& path, int index)
{
    return index > 0 ? path.element(index - 1).endPoint() : path.element(index).points[0];
}

// The point a close runs back to: its subpath's move.
Point closeTarget(const Path& path, int index)
{
    const int start = subpathStartingElementForElement(path, index);
    return start >= 0 ? path.element(start).points[0] : path.element(index).points[0];
}

} // namespace

int elementFromIndexBoundsContainsPointTolerance(const Path& path, int index, Point p, double tolerance)
{
    if (index >= path.elementCount())
        return -1;
    const int from = std::max(index, 0);
    for (int i = from; i < path.elementCount(); ++i) {
        if (boundingBoxForElement(path, i).contains(p))
            return i;
    }
    for (int i = from; i < path.elementCount(); ++i) {
        if (boundingBoxForElement(path, i).insetBy(-tolerance, -tolerance).contains(p))
            return i;
    }
    return -1;
}

namespace {

// Whether element k passes within the tolerance of p; fills t and nearest.
bool elementNear(const Path& path, int k, Point p, double tolerance, double& t, Point& nearest)
{
    const PathElement& e = path.element(k);
    const Point from = previousEnd(path, k);
    switch (e.type) {
    case PathElementType::MoveTo:
        return false;
    case PathElementType::LineTo:
    case PathElementType::Close: {
        const Point to = e.type == PathElementType::LineTo ? e.points[0] : closeTarget(path, k);
        nearest = NearestPointOnLine(p, from, to);
        t = RelPoint(nearest, from, to);
        break;
    }
    case PathElementType::QuadTo:
    case PathElementType::CurveTo: {
        const auto c = pf::pathmath::cubicOf(from, e);
        nearest = NearestPointOnCurve(p, c.data(), &t);
        break;
    }
    }
    return LineLength(p, nearest) <= tolerance;
}

} // namespace

int elementHitByPointToleranceTValueNearestPoint(const Path& path, Point p, double tolerance, double* t,
                                                 Point* nearest)
{
    const int n = path.elementCount();
    if (n < 2 || !path.bounds().insetBy(-tolerance, -tolerance).contains(p))
        return -1;
    // Elements whose own box holds p come first, then those within the grown box: a nearer-looking
    // element that turns out too far never hides a later or earlier one that is close enough.
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 1; k < n; ++k) {
            const Rect box = boundingBoxForElement(path, k);
            const bool candidate = pass == 0 ? box.contains(p)
                                             : !box.contains(p) && box.insetBy(-tolerance, -tolerance).contains(p);
            double tk = 0;
            Point near;
            if (candidate && elementNear(path, k, p, tolerance, tk, near)) {
                if (t)
                    *t = tk;
                if (nearest)
                    *nearest = near;
                return k;
            }
        }
    }
    return -1;
}

int elementHitByPointToleranceTValue(const Path& path, Point p, double tolerance, double* t)
{
    return elementHitByPointToleranceTValueNearestPoint(path, p, tolerance, t, nullptr);
}

Rect boundingBoxForElement(const Path& path, int index)
{
    if (!validIndex(path, index))
        return Rect::zero();
    const PathElement& e = path.element(index);
    const Point from = previousEnd(path, index);
    switch (e.type) {
    case PathElementType::MoveTo:
        return Rect::zero();
    case PathElementType::LineTo:
        return NSRectFromTwoPoints(from, e.points[0]);
    case PathElementType::Close:
        return NSRectFromTwoPoints(from, closeTarget(path, index));
    case PathElementType::QuadTo:
    case PathElementType::CurveTo: {
        pf::PointBounds bounds;
        for (const Point& q : pf::pathmath::cubicOf(from, e))
            bounds.add(q);
        return bounds.rect();
    }
    }
    return Rect::zero();
}

int subpathStartingElementForElement(const Path& path, int index)
{
    if (index < 0 || path.isEmpty())
        return -1;
    for (int i = std::min(index, path.elementCount() - 1); i >= 0; --i) {
        if (path.element(i).type == PathElementType::MoveTo)
            return i;
    }
    return -1;
}

bool subpathContainingElementIsClosed(const Path& path, int index)
{
    for (int i = std::max(index, 0); i < path.elementCount(); ++i) {
        if (path.element(i).type == PathElementType::Close)
            return true;
    }
    return false;
}

bool isPathClosed(const Path& path) { return subpathContainingElementIsClosed(path, 0); }

} // namespace geom
