#include "geometry/FBOpenPathClip.h"

#include "geometry/FBBezierCurve.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Segment {
    FBBezierCurve curve;
    bool line = false;
};

struct Subpath {
    std::vector<Segment> segments;
    bool closed = false;
};

MWPoint toMW(const pf::Point& p) { return {p.x, p.y}; }
pf::Point toPoint(const MWPoint& p) { return {p.x, p.y}; }

// Every subpath with its segments as cubics (lines keep a flag so they come back as lines); `closeAll`
// closes open subpaths too, as a fill does. Zero-length closing segments are left out.
std::vector<Subpath> subpathsOf(const pf::Path& path, bool closeAll)
{
    std::vector<Subpath> result;
    MWPoint current, start;
    const auto finish = [&](bool closed) {
        if (result.empty())
            return;
        Subpath& s = result.back();
        if ((closed || closeAll) && !s.segments.empty() && !(current == start))
            s.segments.push_back({FBBezierCurve::bezierCurveWithLineStartPoint(current, start), true});
        s.closed = closed;
    };
    bool open = false;
    for (const pf::PathElement& e : path.elements()) {
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            if (open)
                finish(false);
            result.emplace_back();
            current = start = toMW(e.points[0]);
            open = true;
            break;
        case pf::PathElementType::LineTo:
        case pf::PathElementType::QuadTo:
        case pf::PathElementType::CurveTo: {
            if (!open) {
                // A segment after a close starts a new subpath at the closed one's start.
                result.emplace_back();
                open = true;
            }
            MWPoint end;
            Segment s;
            if (e.type == pf::PathElementType::LineTo) {
                end = toMW(e.points[0]);
                s = {FBBezierCurve::bezierCurveWithLineStartPoint(current, end), true};
            } else if (e.type == pf::PathElementType::QuadTo) {
                const MWPoint c = toMW(e.points[0]);
                end = toMW(e.points[1]);
                const auto lerp = [](MWPoint a, MWPoint b, double t) { return MWPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
                s = {FBBezierCurve(current, lerp(current, c, 2.0 / 3.0), lerp(end, c, 2.0 / 3.0), end), false};
            } else {
                end = toMW(e.points[2]);
                s = {FBBezierCurve(current, toMW(e.points[0]), toMW(e.points[1]), end), false};
            }
            result.back().segments.push_back(s);
            current = end;
            break;
        }
        case pf::PathElementType::Close:
            if (open)
                finish(true);
            open = false;
            current = start;
            break;
        }
    }
    if (open)
        finish(false);
    return result;
}

struct Box {
    double minX, minY, maxX, maxY;
    bool meets(const Box& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
};

Box boxOf(const FBBezierCurve& c)
{
    Box b{};
    c.controlBounds(b.minX, b.minY, b.maxX, b.maxY);
    return b;
}

} // namespace

pf::Path FBCreateOpenPathOutside(const pf::Path& path, const pf::Path& area)
{
    if (area.isEmpty())
        return path;
    std::vector<Segment> edges;
    for (const Subpath& s : subpathsOf(area, true))
        edges.insert(edges.end(), s.segments.begin(), s.segments.end());
    std::vector<Box> edgeBoxes;
    edgeBoxes.reserve(edges.size());
    for (const Segment& e : edges)
        edgeBoxes.push_back(boxOf(e.curve));

    pf::Path result;
    for (const Subpath& sub : subpathsOf(path, false)) {
        bool whole = true;
        bool joined = false; // the last kept piece ends where the next one starts
        const int startElement = result.elementCount();
        for (const Segment& seg : sub.segments) {
            std::vector<double> cuts{0.0, 1.0};
            const Box box = boxOf(seg.curve);
            for (std::size_t i = 0; i < edges.size(); ++i) {
                if (!box.meets(edgeBoxes[i]))
                    continue;
                for (const FBBezierIntersection& x : seg.curve.intersectionsWithBezierCurve(edges[i].curve))
                    if (x.parameter1() > 0.0 && x.parameter1() < 1.0)
                        cuts.push_back(x.parameter1());
            }
            std::sort(cuts.begin(), cuts.end());
            // Crossings found twice (at a vertex of the outline) are one cut.
            cuts.erase(std::unique(cuts.begin(), cuts.end(), [](double a, double b) { return b - a < 1e-9; }), cuts.end());
            if (cuts.back() != 1.0)
                cuts.back() = 1.0;
            for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
                const FBRange range = FBRangeMake(cuts[k], cuts[k + 1]);
                const MWPoint middle = seg.curve.pointAtParameter(FBRangeAverage(range));
                if (area.containsPoint(toPoint(middle))) {
                    whole = false;
                    joined = false;
                    continue;
                }
                const FBBezierCurve piece = seg.curve.subcurveWithRange(range);
                if (!joined)
                    result.moveTo(toPoint(piece.endPoint1));
                if (seg.line)
                    result.lineTo(toPoint(piece.endPoint2));
                else
                    result.curveTo(toPoint(piece.controlPoint1), toPoint(piece.controlPoint2), toPoint(piece.endPoint2));
                joined = true;
            }
            if (cuts.size() > 2)
                whole = false;
        }
        if (whole && sub.closed && result.elementCount() > startElement)
            result.close();
    }
    return result;
}
