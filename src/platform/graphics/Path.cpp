#include "platform/graphics/Path.h"

#include <QPainterPath>

#include <algorithm>

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

void Path::moveTo(Point p)
{
    changed();
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
    changed();
    ensureCurrentPoint(p);
    elements_.push_back({PathElementType::LineTo, {p, {}, {}}});
    currentPoint_ = p;
}

void Path::quadTo(Point control, Point end)
{
    changed();
    ensureCurrentPoint(control);
    elements_.push_back({PathElementType::QuadTo, {control, end, {}}});
    currentPoint_ = end;
}

void Path::curveTo(Point control1, Point control2, Point end)
{
    changed();
    ensureCurrentPoint(control1);
    elements_.push_back({PathElementType::CurveTo, {control1, control2, end}});
    currentPoint_ = end;
}

void Path::close()
{
    if (!subpathOpen_)
        return;
    changed();
    elements_.push_back({PathElementType::Close, {subpathStart_, {}, {}}});
    currentPoint_ = subpathStart_;
    subpathOpen_ = false;
}

void Path::clear()
{
    changed();
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
    changed();
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

struct Path::PaintForms {
    QPainterPath qt;
    std::optional<RectShape> rect;
    std::optional<LineShape> line;
    Rect bounds;
};

const Path::PaintForms& Path::paintForms() const
{
    if (!paintForms_) {
        auto forms = std::make_shared<PaintForms>();
        forms->qt = converted(winding_);
        if (std::optional<Rect> r = rectAfter(AffineTransform::identity())) {
            const bool closed = elements_.back().type == PathElementType::Close;
            const double right = r->minX() + r->width(), bottom = r->minY() + r->height();
            const Point corners[] = {{r->minX(), r->minY()}, {right, r->minY()}, {right, bottom}, {r->minX(), bottom}};
            bool inQtOrder = closed;
            for (size_t i = 0; i < 4 && inQtOrder; ++i)
                inQtOrder = elements_[i].points[0] == corners[i];
            forms->rect = RectShape{*r, closed, inQtOrder};
        }
        if (elements_.size() == 2 && elements_[1].type == PathElementType::LineTo &&
            !(elements_[0].points[0] == elements_[1].points[0]))
            forms->line = LineShape{elements_[0].points[0], elements_[1].points[0]};
        forms->bounds = bounds();
        paintForms_ = std::move(forms);
    }
    return *paintForms_;
}

const QPainterPath& Path::toQt() const { return paintForms().qt; }

const std::optional<Path::RectShape>& Path::asRect() const { return paintForms().rect; }

const std::optional<Path::LineShape>& Path::asLine() const { return paintForms().line; }

const Rect& Path::paintBounds() const { return paintForms().bounds; }

std::optional<Rect> Path::rectAfter(const AffineTransform& t) const
{
    if (elements_.empty() || elements_[0].type != PathElementType::MoveTo)
        return std::nullopt;
    // The corners: a move and lines, perhaps back to the start, perhaps closed.
    Point pts[5];
    size_t n = 0;
    for (size_t i = 0; i < elements_.size(); ++i) {
        const PathElement& e = elements_[i];
        if (i > 0 && e.type == PathElementType::Close && i + 1 == elements_.size())
            break;
        if ((i > 0 && e.type != PathElementType::LineTo) || n == 5)
            return std::nullopt;
        pts[n++] = t.apply(e.points[0]);
    }
    if (n == 5 && pts[4] == pts[0])
        --n;
    if (n != 4)
        return std::nullopt;
    for (size_t i = 0; i < 4; ++i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % 4];
        const Point& c = pts[(i + 2) % 4];
        const bool abVertical = a.x == b.x;
        const bool abHorizontal = a.y == b.y;
        // Edges alternate between horizontal and vertical, each of some length.
        if (abVertical == abHorizontal)
            return std::nullopt;
        if (abVertical ? !(b.y == c.y) : !(b.x == c.x))
            return std::nullopt;
    }
    const double x0 = std::min({pts[0].x, pts[1].x, pts[2].x});
    const double x1 = std::max({pts[0].x, pts[1].x, pts[2].x});
    const double y0 = std::min({pts[0].y, pts[1].y, pts[2].y});
    const double y1 = std::max({pts[0].y, pts[1].y, pts[2].y});
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

QPainterPath Path::toQt(WindingRule rule) const { return rule == winding_ ? paintForms().qt : converted(rule); }

QPainterPath Path::converted(WindingRule rule) const
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
            if (p.elements_.back().type == PathElementType::LineTo) {
                p.elements_.pop_back();
                p.changed();
            }
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
