// Our own path model. QPainterPath has no close element, stores quadratics as cubics and fills even-odd
// by default, so the model keeps its own elements and converts to QPainterPath only to paint, stroke or
// clip. One type serves both roles the model knows: the "bezier path" (with line style attributes) and
// the "Quartz path" (which may hold quadratic elements).
#pragma once

#include "platform/foundation/Geometry.h"

#include <algorithm>
#include <memory>
#include <optional>
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
    // Inline: drawing compares the paths it keeps on every frame.
    friend bool operator==(const PathElement& a, const PathElement& b)
    {
        if (a.type != b.type)
            return false;
        const int n = a.type == PathElementType::CurveTo ? 3 : a.type == PathElementType::QuadTo ? 2 : 1;
        for (int i = 0; i < n; ++i) {
            if (!(a.points[i] == b.points[i]))
                return false;
        }
        return true;
    }
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
    // Replays one element through the builders above (a close closes the current subpath).
    void appendElement(const PathElement& e);
    // Room for this many elements in all, for builders that know the count ahead.
    void reserve(int elementCount) { elements_.reserve(size_t(std::max(elementCount, 0))); }

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
    void setWindingRule(WindingRule rule)
    {
        winding_ = rule;
        changed();
    }
    double flatness() const { return flatness_; }
    void setFlatness(double f) { flatness_ = f; }

    // Elements equal (the style is not compared). Copies that still share what painting keeps are equal
    // without a look at their elements.
    bool sameElements(const Path& other) const
    {
        return (paintForms_ && paintForms_ == other.paintForms_) || elements_ == other.elements_;
    }

    // --- Conversion to Qt, only to paint, stroke or clip. Quadratics stay exact (Qt raises them itself);
    // a close becomes closeSubpath; the fill rule comes from the winding rule. The conversion with the
    // path's own rule is made once and shared by copies until the path changes (a copy of a QPainterPath
    // costs no allocation), so a path kept by its shape converts once, not on every draw.
    // The reference stays valid until the path changes or goes.
    const QPainterPath& toQt() const;
    QPainterPath toQt(WindingRule rule) const;

    // --- The shapes painting has fast paths for, found once per path like toQt(). Like QPainterPath's
    // own caches, these are made on first use: paint a path from one thread at a time.
    // One axis-aligned rectangle of some width and height: a move, three lines round it (in either
    // direction), maybe a fourth back to the start, maybe a close.
    struct RectShape {
        Rect rect;            // normalised
        bool closed = false;  // ends with a close element, so a stroke joins at every corner
        // Closed, from the corner of least x and y towards greater x, each corner exactly where Qt puts
        // it for the rect (x + width, y + height): QPainter::drawRect strokes the same pixels, with no
        // QPainterPath to read.
        bool inQtOrder = false;
    };
    const std::optional<RectShape>& asRect() const;
    // One line segment of some length: a move and a line.
    struct LineShape {
        Point from, to;
    };
    const std::optional<LineShape>& asLine() const;
    // bounds(), found once: a gradient is spread over the bounds of the path it fills at every paint.
    const Rect& paintBounds() const;
    // The rect the path outlines after the transform, when that is one axis-aligned rectangle.
    std::optional<Rect> rectAfter(const AffineTransform& t) const;
    // From Qt (stroker and boolean results). Qt marks a closed subpath only by ending it on its start
    // point, as its own stroker reads it: such a subpath of two or more segments gets a close element,
    // which replaces a final line back to the start. The fill rule becomes the winding rule.
    static Path fromQt(const QPainterPath& q);

    // --- Builders (PathBuilders.cpp). Rects are normalised first.
    // Move to the min-x min-y corner, lines to (max x, min y), (max x, max y), (min x, max y), close.
    static Path rect(const Rect& r);
    // Four cubic quarter arcs (kappa 0.5522847498), starting at the right-middle point and running
    // clockwise on screen (towards the bottom in y-down coordinates), then closed: move, 4 curves, close.
    static Path oval(const Rect& r);
    // The platform rounded rect: radii clamped to [0, half the width] and [0, half the height]; when
    // either is then 0 it is the plain rect. Otherwise always 10 elements: move to (min x + rx, min y),
    // then clockwise on screen a line and a quarter arc (kappa cubic) per side, starting with the top
    // side, and a close; lines stay in the list even when a radius of half the size makes them empty.
    static Path roundedRect(const Rect& r, double radiusX, double radiusY);
    void appendRect(const Rect& r);
    void appendOval(const Rect& r);
    void appendRoundedRect(const Rect& r, double radiusX, double radiusY);
    // Arc about a centre from startDegrees to endDegrees in y-down page coordinates, where the angle θ
    // points at (cos θ, sin θ), in equal pieces of at most 90°. As for the platform's bezier path in a
    // flipped view, `clockwise` names the direction in unflipped terms: false runs through increasing
    // angles (clockwise on a y-down screen), true through decreasing ones. The sweep in the direction of
    // travel gains a turn when negative (with clockwise true, 0 -> 270 sweeps 90° back through 315°);
    // end = start draws no curve, and a difference of a full turn or more either way draws one circle. A line joins the current point to the arc's start unless it is already
    // there (after a close, from the closed subpath's start, in a new subpath); a move when there is no
    // current point.
    void addArc(Point centre, double radius, double startDegrees, double endDegrees, bool clockwise);
    // CGContextAddArcToPoint: a line from the current point to where the circle of the radius touches
    // current -> p1, then the shorter arc to where it touches p1 -> p2. Collinear points, a point equal
    // to p1, or a radius of 0 or less give a line to p1; without a current point it moves to p1.
    void addArcToPoint(Point p1, Point p2, double radius);

    // --- Queries (PathQueries.cpp).
    // Tight bounds of the curves (extrema from the derivative roots), move-to points included; zero rect
    // for an empty path.
    Rect bounds() const;
    // Bounds of every point including control points; zero rect for an empty path.
    Rect controlPointBounds() const;
    // Exact on curves: crossings of a horizontal ray are solved on each y-monotone piece of a curve.
    // Open subpaths are closed implicitly, as a fill does. A point on the boundary is classified as a
    // point an infinitesimal step to its right and below it, so a rect path holds its min-x and min-y
    // edges but not its max-x and max-y edges, like Rect::contains.
    bool containsPoint(Point p) const { return containsPoint(p, winding_); }
    bool containsPoint(Point p, WindingRule rule) const;
    void transform(const AffineTransform& t);
    Path transformed(const AffineTransform& t) const;
    // Subpath by subpath, in the same order: each moves to its old end, runs its segments backwards and
    // is closed when it was closed.
    Path reversed() const;
    // Lines only, within the flatness (deviation in user units; at least 1e-4). Closes are kept.
    Path flattened(double flatness) const;
    // The outline of the stroke (CGPathCreateCopyByStrokingPath), to be filled with the non-zero rule;
    // a miter join falls back to a bevel where the miter length exceeds miterLimit × width, so a limit
    // of 1 or less (0 included) bevels every join. A width of 0 or less gives an empty path.
    Path strokedOutline(double width, LineCap cap, LineJoin join, double miterLimit) const;
    Path strokedOutline() const { return strokedOutline(style_.width, style_.cap, style_.join, style_.miterLimit); }

private:
    void ensureCurrentPoint(Point p);
    // Every change of the elements or the winding rule drops the painting forms.
    void changed() { paintForms_.reset(); }
    struct PaintForms;
    const PaintForms& paintForms() const;
    QPainterPath converted(WindingRule rule) const;
    // Joins the current point to the start of a new piece (arcs): a line, or a move when needed.
    void joinTo(Point start);

    std::vector<PathElement> elements_;
    // Next to the elements: drawing reads them and the winding rule, from paths that have gone cold since
    // the last frame.
    mutable std::shared_ptr<const PaintForms> paintForms_;
    WindingRule winding_ = WindingRule::NonZero;
    LineStyle style_;
    double flatness_ = 0.6;
    Point currentPoint_;
    Point subpathStart_;
    bool hasCurrentPoint_ = false;
    bool subpathOpen_ = false;
};

} // namespace pf
