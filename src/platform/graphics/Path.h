// Our own path model. QPainterPath has no close element, stores quadratics as cubics and fills even-odd
// by default, so the model keeps its own elements and converts to QPainterPath only to paint, stroke or
// clip. One type serves both roles the model knows: the "bezier path" (with line style attributes) and
// the "Quartz path" (which may hold quadratic elements).
#pragma once

#include "platform/foundation/Geometry.h"

#include <span>
#include <vector>

class QPainterPath;

namespace pf {

enum class PathElementType { MoveTo, LineTo, QuadTo, CurveTo, Close };

// points[0..n) per type: MoveTo/LineTo 1, QuadTo 2 (control, end), CurveTo 3 (control 1, control 2,
// end), Close 1 (the start of the subpath it closes).
struct PathElement {
    PathElementType type = PathElementType::MoveTo;
    Point points[3];

    int pointCount() const;
    // The point the element ends at (for Close, the subpath start).
    Point endPoint() const;
    friend bool operator==(const PathElement& a, const PathElement& b);
};

enum class WindingRule { NonZero = 0, EvenOdd = 1 };

// The stored Quartz numbering.
enum class LineCap { Butt = 0, Round = 1, Square = 2 };
enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };

struct LineStyle {
    double width = 1.0;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    double miterLimit = 10.0;
    std::vector<double> dashPattern; // in user units; empty is solid
    double dashPhase = 0.0;
    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

class Path {
public:
    Path() = default;

    // --- Building. A segment with no current point starts its own subpath at its first point. After a
    // close, the current point is the start of the closed subpath.
    void moveTo(Point p);
    void lineTo(Point p);
    void quadTo(Point control, Point end);
    void curveTo(Point control1, Point control2, Point end);
    // Closes the current subpath; nothing when there is no open subpath.
    void close();
    void clear();
    void append(const Path& other);

    // --- Elements.
    bool isEmpty() const { return elements_.empty(); }
    int elementCount() const { return int(elements_.size()); }
    const PathElement& element(int index) const { return elements_[size_t(index)]; }
    std::span<const PathElement> elements() const { return elements_; }
    bool hasCurrentPoint() const { return hasCurrentPoint_; }
    // The current point; (0, 0) when there is none.
    Point currentPoint() const { return currentPoint_; }
    // Replaces the points of one element in place (the type stays).
    void setElementPoints(int index, std::span<const Point> points);
    bool hasQuadElements() const;

    // --- Style, as a bezier path carries it.
    const LineStyle& lineStyle() const { return style_; }
    LineStyle& lineStyle() { return style_; }
    double lineWidth() const { return style_.width; }
    void setLineWidth(double w) { style_.width = w; }
    WindingRule windingRule() const { return winding_; }
    void setWindingRule(WindingRule rule) { winding_ = rule; }
    double flatness() const { return flatness_; }
    void setFlatness(double f) { flatness_ = f; }

    // Elements equal (the style is not compared).
    bool sameElements(const Path& other) const { return elements_ == other.elements_; }

    // --- Conversion to Qt, only to paint, stroke or clip. Quadratics stay exact (Qt raises them itself);
    // a close becomes closeSubpath; the fill rule comes from the winding rule.
    QPainterPath toQt() const;
    QPainterPath toQt(WindingRule rule) const;

    // --- Builders (PathBuilders.cpp).
    static Path rect(const Rect& r);
    // Four cubic quarter arcs, starting at the right-middle point and running clockwise on screen
    // (towards the bottom in y-down coordinates), then closed.
    static Path oval(const Rect& r);
    // The platform rounded rect: radii clamped to half the width and height.
    static Path roundedRect(const Rect& r, double radiusX, double radiusY);
    void appendRect(const Rect& r);
    void appendOval(const Rect& r);
    void appendRoundedRect(const Rect& r, double radiusX, double radiusY);
    // Arc about a centre from startDegrees to endDegrees in y-down page coordinates, in pieces of at most
    // 90°; a line joins the current point to the arc's start (a move when there is no current point).
    void addArc(Point centre, double radius, double startDegrees, double endDegrees, bool clockwise);
    // CGContextAddArcToPoint: the tangent arc of the corner current point -> p1 -> p2.
    void addArcToPoint(Point p1, Point p2, double radius);

    // --- Queries (PathQueries.cpp).
    // Tight bounds of the curves; zero rect for an empty path.
    Rect bounds() const;
    // Bounds of every point including control points; zero rect for an empty path.
    Rect controlPointBounds() const;
    bool containsPoint(Point p) const { return containsPoint(p, winding_); }
    bool containsPoint(Point p, WindingRule rule) const;
    void transform(const AffineTransform& t);
    Path transformed(const AffineTransform& t) const;
    Path reversed() const;
    // Lines only, within the flatness (deviation in user units).
    Path flattened(double flatness) const;
    // The outline of the stroke (CGPathCreateCopyByStrokingPath); a miter limit of 0 bevels every join.
    Path strokedOutline(double width, LineCap cap, LineJoin join, double miterLimit) const;
    Path strokedOutline() const { return strokedOutline(style_.width, style_.cap, style_.join, style_.miterLimit); }

private:
    void ensureCurrentPoint(Point p);

    std::vector<PathElement> elements_;
    LineStyle style_;
    WindingRule winding_ = WindingRule::NonZero;
    double flatness_ = 0.6;
    Point currentPoint_;
    Point subpathStart_;
    bool hasCurrentPoint_ = false;
    bool subpathOpen_ = false;
};

} // namespace pf
