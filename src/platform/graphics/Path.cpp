#include "platform/graphics/Path.h"

#include <QPainterPath>

namespace pf {

int PathElement::pointCount() const
{
    switch (type) {
    case PathElementType::QuadTo:
        return 2;
    case PathElementType::CurveTo:
        return 3;
    default:
        return 1;
    }
}

Point PathElement::endPoint() const { return points[pointCount() - 1]; }

bool operator==(const PathElement& a, const PathElement& b)
{
    if (a.type != b.type)
        return false;
    for (int i = 0; i < a.pointCount(); ++i) {
        if (!(a.points[i] == b.points[i]))
            return false;
    }
    return true;
}

void Path::moveTo(Point p)
{
    elements_.push_back({PathElementType::MoveTo, {p, {}, {}}});
    currentPoint_ = p;
    subpathStart_ = p;
    hasCurrentPoint_ = true;
    subpathOpen_ = true;
}

void Path::ensureCurrentPoint(Point p)
{
    if (!hasCurrentPoint_) {
        moveTo(p);
    } else if (!subpathOpen_) {
        // A segment right after a close starts a new subpath at the closed one's start.
        moveTo(currentPoint_);
    }
}

void Path::lineTo(Point p)
{
    ensureCurrentPoint(p);
    elements_.push_back({PathElementType::LineTo, {p, {}, {}}});
    currentPoint_ = p;
}

void Path::quadTo(Point control, Point end)
{
    ensureCurrentPoint(control);
    elements_.push_back({PathElementType::QuadTo, {control, end, {}}});
    currentPoint_ = end;
}

void Path::curveTo(Point control1, Point control2, Point end)
{
    ensureCurrentPoint(control1);
    elements_.push_back({PathElementType::CurveTo, {control1, control2, end}});
    currentPoint_ = end;
}

void Path::close()
{
    if (!subpathOpen_)
        return;
    elements_.push_back({PathElementType::Close, {subpathStart_, {}, {}}});
    currentPoint_ = subpathStart_;
    subpathOpen_ = false;
}

void Path::clear()
{
    elements_.clear();
    currentPoint_ = {};
    subpathStart_ = {};
    hasCurrentPoint_ = false;
    subpathOpen_ = false;
}

void Path::append(const Path& other)
{
    for (const PathElement& e : other.elements_)
        appendElement(e);
}

void Path::appendElement(const PathElement& e)
{
    switch (e.type) {
    case PathElementType::MoveTo:
        moveTo(e.points[0]);
        break;
    case PathElementType::LineTo:
        lineTo(e.points[0]);
        break;
    case PathElementType::QuadTo:
        quadTo(e.points[0], e.points[1]);
        break;
    case PathElementType::CurveTo:
        curveTo(e.points[0], e.points[1], e.points[2]);
        break;
    case PathElementType::Close:
        close();
        break;
    }
}

void Path::setElementPoints(int index, std::span<const Point> points)
{
    PathElement& e = elements_[size_t(index)];
    const int n = std::min<int>(e.pointCount(), int(points.size()));
    for (int i = 0; i < n; ++i)
        e.points[i] = points[size_t(i)];
}

bool Path::hasQuadElements() const
{
    for (const PathElement& e : elements_) {
        if (e.type == PathElementType::QuadTo)
            return true;
    }
    return false;
}

QPainterPath Path::toQt() const { return toQt(winding_); }

QPainterPath Path::toQt(WindingRule rule) const
{
    QPainterPath q;
    q.setFillRule(rule == WindingRule::NonZero ? Qt::WindingFill : Qt::OddEvenFill);
    for (const PathElement& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
            q.moveTo(e.points[0].toQt());
            break;
        case PathElementType::LineTo:
            q.lineTo(e.points[0].toQt());
            break;
        case PathElementType::QuadTo:
            q.quadTo(e.points[0].toQt(), e.points[1].toQt());
            break;
        case PathElementType::CurveTo:
            q.cubicTo(e.points[0].toQt(), e.points[1].toQt(), e.points[2].toQt());
            break;
        case PathElementType::Close:
            q.closeSubpath();
            break;
        }
    }
    return q;
}

Path Path::fromQt(const QPainterPath& q)
{
    Path p;
    p.setWindingRule(q.fillRule() == Qt::WindingFill ? WindingRule::NonZero : WindingRule::EvenOdd);
    int segments = 0;
    auto endSubpath = [&] {
        if (segments >= 2 && p.subpathOpen_ && p.currentPoint_ == p.subpathStart_) {
            if (p.elements_.back().type == PathElementType::LineTo)
                p.elements_.pop_back();
            p.close();
        }
        segments = 0;
    };
    const int n = q.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element& e = q.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            endSubpath();
            p.moveTo({e.x, e.y});
            break;
        case QPainterPath::LineToElement:
            p.lineTo({e.x, e.y});
            ++segments;
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < n) {
                const QPainterPath::Element& c2 = q.elementAt(i + 1);
                const QPainterPath::Element& end = q.elementAt(i + 2);
                p.curveTo({e.x, e.y}, {c2.x, c2.y}, {end.x, end.y});
                ++segments;
            }
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    endSubpath();
    return p;
}

} // namespace pf
