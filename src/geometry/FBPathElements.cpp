#include "geometry/FBPathElements.h"

#include "geometry/FBBezierCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
MWPoint mw(pf::Point p) { return {p.x, p.y}; }
pf::Point pfPoint(MWPoint p) { return {p.x, p.y}; }

struct Box {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    void add(MWPoint p)
    {
        minX = std::min(minX, p.x), minY = std::min(minY, p.y), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    std::string text() const
    {
        char buffer[160];
        if (minX > maxX)
            std::snprintf(buffer, sizeof buffer, "{{%f, %f}, {%f, %f}}", 0.0, 0.0, 0.0, 0.0);
        else
            std::snprintf(buffer, sizeof buffer, "{{%f, %f}, {%f, %f}}", minX, minY, maxX - minX, maxY - minY);
        return buffer;
    }
};

// Adds the curve's extremes in one coordinate (roots of the derivative) to the box.
void addExtremes(Box& box, const FBBezierCurve& c)
{
    const auto roots = [](double p0, double p1, double p2, double p3, double out[2]) {
        const double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), k = p1 - p0;
        int n = 0;
        if (std::fabs(a) < 1e-12) {
            if (std::fabs(b) > 1e-12)
                out[n++] = -k / b;
        } else {
            const double d = b * b - 4 * a * k;
            if (d >= 0) {
                out[n++] = (-b + std::sqrt(d)) / (2 * a);
                out[n++] = (-b - std::sqrt(d)) / (2 * a);
            }
        }
        return n;
    };
    double ts[2];
    for (int axis = 0; axis < 2; ++axis) {
        const auto v = [&](MWPoint p) { return axis == 0 ? p.x : p.y; };
        const int n = roots(v(c.endPoint1), v(c.controlPoint1), v(c.controlPoint2), v(c.endPoint2), ts);
        for (int i = 0; i < n; ++i)
            if (ts[i] > 0 && ts[i] < 1)
                box.add(c.pointAtParameter(ts[i]));
    }
}
} // namespace

size_t CGPath_MWElementCount(const pf::Path& path) { return size_t(path.elementCount()); }

FBBezierElement CGPath_FBElementAtIndex(const pf::Path& path, size_t index)
{
    FBBezierElement element;
    if (index >= size_t(path.elementCount()))
        return element;
    const pf::PathElement& e = path.element(int(index));
    element.type = int32_t(e.type);
    element.point = mw(e.endPoint());
    if (e.type == pf::PathElementType::CurveTo) {
        element.controlPoints[0] = mw(e.points[0]);
        element.controlPoints[1] = mw(e.points[1]);
    } else if (e.type == pf::PathElementType::QuadTo) {
        element.controlPoints[0] = mw(e.points[0]);
    }
    return element;
}

MWPoint CGPath_FBPointAtIndex(const pf::Path& path, size_t index) { return CGPath_FBElementAtIndex(path, index).point; }

void CGPath_FBAppendElement(pf::Path& path, const FBBezierElement& element)
{
    switch (element.type) {
    case FBBezierElementMoveTo:
        path.moveTo(pfPoint(element.point));
        break;
    case FBBezierElementLineTo:
        path.lineTo(pfPoint(element.point));
        break;
    case FBBezierElementCurveTo:
        path.curveTo(pfPoint(element.controlPoints[0]), pfPoint(element.controlPoints[1]), pfPoint(element.point));
        break;
    case FBBezierElementClose:
        path.close();
        break;
    default:
        break;
    }
}

pf::Path CGPath_FBCreateSubpathWithRange(const pf::Path& path, FBElementRange range)
{
    pf::Path subpath;
    const size_t end = std::min(range.location + range.length, size_t(path.elementCount()));
    for (size_t i = range.location; i < end; ++i) {
        FBBezierElement element = CGPath_FBElementAtIndex(path, i);
        if (i == range.location)
            element.type = FBBezierElementMoveTo;
        CGPath_FBAppendElement(subpath, element);
    }
    return subpath;
}

void CGPath_FBAppendPath(pf::Path& path, const pf::Path& other)
{
    MWPoint last = path.isEmpty() ? MWPoint() : mw(path.element(path.elementCount() - 1).endPoint());
    for (size_t i = 0; i < CGPath_MWElementCount(other); ++i) {
        FBBezierElement element = CGPath_FBElementAtIndex(other, i);
        if (element.type == FBBezierElementMoveTo) {
            if (element.point == last)
                continue;
            element.type = FBBezierElementLineTo;
        }
        CGPath_FBAppendElement(path, element);
        last = element.point;
    }
}

std::string CGPath_MWLog(const pf::Path& path)
{
    Box bounds, controlBounds;
    MWPoint current;
    std::string elements;
    char buffer[128];
    for (const pf::PathElement& e : path.elements()) {
        if (e.type == pf::PathElementType::Close) {
            elements += "\n    closepath";
            current = mw(e.endPoint());
            continue;
        }
        elements += "\n    ";
        for (int i = 0; i < e.pointCount(); ++i) {
            std::snprintf(buffer, sizeof buffer, "%f %f ", e.points[i].x, e.points[i].y);
            elements += buffer;
            controlBounds.add(mw(e.points[i]));
        }
        static const char* const names[] = {"moveto", "lineto", "quadcurveto", "curveto"};
        elements += names[int(e.type)];
        bounds.add(mw(e.endPoint()));
        if (e.type == pf::PathElementType::CurveTo)
            addExtremes(bounds, FBBezierCurve(current, mw(e.points[0]), mw(e.points[1]), mw(e.points[2])));
        else if (e.type == pf::PathElementType::QuadTo) {
            const MWPoint c = mw(e.points[0]), end = mw(e.points[1]);
            addExtremes(bounds, FBBezierCurve(current, FBAddPoint(current, FBScalePoint(FBSubtractPoint(c, current), 2.0 / 3)),
                                              FBAddPoint(end, FBScalePoint(FBSubtractPoint(c, end), 2.0 / 3)), end));
        }
        current = mw(e.endPoint());
    }
    std::snprintf(buffer, sizeof buffer, "CGPath <%#llx>", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&path)));
    std::string text = buffer;
    text += "\n  Bounds: ";
    text += bounds.text();
    text += "\n  Control point bounds: ";
    text += controlBounds.text();
    text += elements;
    return text;
}
