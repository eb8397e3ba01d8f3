// Rectangles, ovals, rounded rects and arcs. Every rect is normalised first; all angles are in y-down
// page coordinates, where the angle θ points at (cos θ, sin θ): 0° is +x and 90° is +y (down on screen).

#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pf {

namespace {

// 4/3·tan(π/8): the control-point distance of a cubic quarter arc of a unit circle.
constexpr double kappa = 0.5522847498;

constexpr double degreesToRadians(double deg) { return deg * std::numbers::pi / 180.0; }

// The unit vector at an angle in degrees, exact at multiples of 90° so that ovals and arcs land on their
// axis points without rounding noise.
Point unitAtDegrees(double deg)
{
    const double r = std::fmod(deg, 90.0) == 0 ? std::fmod(std::fmod(deg, 360.0) + 360.0, 360.0) : -1;
    if (r == 0)
        return {1, 0};
    if (r == 90)
        return {0, 1};
    if (r == 180)
        return {-1, 0};
    if (r == 270)
        return {0, -1};
    const double rad = degreesToRadians(deg);
    return {std::cos(rad), std::sin(rad)};
}

Point onEllipse(Point centre, double rx, double ry, Point unit)
{
    return {centre.x + rx * unit.x, centre.y + ry * unit.y};
}

// One cubic piece (at most 90°) of the ellipse about centre from direction u0 to direction u1; k is
// 4/3·tan(sweep/4), negative when the angle decreases. The current point is the piece's start.
void appendArcPiece(Path& path, Point centre, double rx, double ry, Point u0, Point u1, double k)
{
    path.curveTo(onEllipse(centre, rx, ry, {u0.x - k * u0.y, u0.y + k * u0.x}),
                 onEllipse(centre, rx, ry, {u1.x + k * u1.y, u1.y - k * u1.x}),
                 onEllipse(centre, rx, ry, u1));
}

// A circular arc from startDegrees through a signed sweep (|sweep| ≤ 360), current point at its start.
void appendArcSweep(Path& path, Point centre, double radius, double startDegrees, double sweepDegrees)
{
    const int pieces = int(std::ceil(std::abs(sweepDegrees) / 90.0 - 1e-12));
    if (pieces <= 0)
        return;
    const double step = sweepDegrees / pieces;
    const double k = 4.0 / 3.0 * std::tan(degreesToRadians(step) / 4);
    const Point first = unitAtDegrees(startDegrees);
    // A full turn ends exactly where it began.
    const Point last = std::abs(sweepDegrees) == 360 ? first : unitAtDegrees(startDegrees + sweepDegrees);
    Point u0 = first;
    for (int i = 1; i <= pieces; ++i) {
        const Point u1 = i == pieces ? last : unitAtDegrees(startDegrees + step * i);
        appendArcPiece(path, centre, radius, radius, u0, u1, k);
        u0 = u1;
    }
}

} // namespace

Path Path::rect(const Rect& r)
{
    Path p;
    p.appendRect(r);
    return p;
}

Path Path::oval(const Rect& r)
{
    Path p;
    p.appendOval(r);
    return p;
}

Path Path::roundedRect(const Rect& r, double radiusX, double radiusY)
{
    Path p;
    p.appendRoundedRect(r, radiusX, radiusY);
    return p;
}

void Path::appendRect(const Rect& r)
{
    // A path of a rect alone (a fill, a clip) is built at its size at once: growing it allocates four times.
    if (elements_.empty())
        elements_.reserve(5);
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    close();
}

void Path::appendOval(const Rect& r)
{
    const Point centre(r.midX(), r.midY());
    const double rx = r.standardized().width() / 2;
    const double ry = r.standardized().height() / 2;
    const Point dirs[5] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}};
    moveTo(onEllipse(centre, rx, ry, dirs[0]));
    for (int i = 0; i < 4; ++i)
        appendArcPiece(*this, centre, rx, ry, dirs[i], dirs[i + 1], kappa);
    close();
}

void Path::appendRoundedRect(const Rect& r, double radiusX, double radiusY)
{
    const Rect n = r.standardized();
    const double rx = std::clamp(radiusX, 0.0, n.width() / 2);
    const double ry = std::clamp(radiusY, 0.0, n.height() / 2);
    if (!(rx > 0 && ry > 0)) {
        appendRect(n);
        return;
    }
    const double x0 = n.minX(), y0 = n.minY(), x1 = n.maxX(), y1 = n.maxY();
    // Top edge, then each corner after its edge, clockwise on screen; lines are kept even when a radius
    // of half the size makes them zero-length, so the element list never changes shape.
    moveTo({x0 + rx, y0});
    lineTo({x1 - rx, y0});
    appendArcPiece(*this, {x1 - rx, y0 + ry}, rx, ry, {0, -1}, {1, 0}, kappa);
    lineTo({x1, y1 - ry});
    appendArcPiece(*this, {x1 - rx, y1 - ry}, rx, ry, {1, 0}, {0, 1}, kappa);
    lineTo({x0 + rx, y1});
    appendArcPiece(*this, {x0 + rx, y1 - ry}, rx, ry, {0, 1}, {-1, 0}, kappa);
    lineTo({x0, y0 + ry});
    appendArcPiece(*this, {x0 + rx, y0 + ry}, rx, ry, {-1, 0}, {0, -1}, kappa);
    // The last arc's end, computed about its centre, can miss the start by a unit in the last place.
    const PathElement& last = elements_.back();
    const Point points[3] = {last.points[0], last.points[1], {x0 + rx, y0}};
    setElementPoints(elementCount() - 1, points);
    close();
}

void Path::joinTo(Point start)
{
    if (!hasCurrentPoint_ || (!subpathOpen_ && currentPoint_ == start))
        moveTo(start);
    else if (!subpathOpen_ || !(currentPoint_ == start))
        lineTo(start);
}

void Path::addArc(Point centre, double radius, double startDegrees, double endDegrees, bool clockwise)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(endDegrees) || !std::isfinite(radius))
        return;
    // The sweep in the direction of travel, brought into [0, 360]; a sweep of a full turn or more is one
    // full circle.
    double sweep = clockwise ? startDegrees - endDegrees : endDegrees - startDegrees;
    if (std::abs(sweep) >= 360)
        sweep = 360;
    else if (sweep < 0)
        sweep += 360;
    joinTo(onEllipse(centre, radius, radius, unitAtDegrees(startDegrees)));
    appendArcSweep(*this, centre, radius, startDegrees, clockwise ? -sweep : sweep);
}

void Path::addArcToPoint(Point p1, Point p2, double radius)
{
    if (!hasCurrentPoint_) {
        moveTo(p1);
        return;
    }
    const Point p0 = currentPoint_;
    const Point a = p0 - p1;
    const Point b = p2 - p1;
    const double la = std::hypot(a.x, a.y);
    const double lb = std::hypot(b.x, b.y);
    const double cross = a.x * b.y - a.y * b.x;
    if (!(radius > 0) || la == 0 || lb == 0 || std::abs(cross) <= 1e-12 * la * lb) {
        lineTo(p1);
        return;
    }
    const Point ua = a * (1 / la);
    const Point ub = b * (1 / lb);
    // θ is the corner angle at p1; the circle touches both legs at distance r / tan(θ/2) from p1.
    const double cosTheta = std::clamp(ua.x * ub.x + ua.y * ub.y, -1.0, 1.0);
    const double half = std::acos(cosTheta) / 2;
    const double tangentDistance = radius / std::tan(half);
    const Point t1 = p1 + ua * tangentDistance;
    const Point t2 = p1 + ub * tangentDistance;
    Point bisector = ua + ub;
    const double lbis = std::hypot(bisector.x, bisector.y);
    bisector = bisector * (1 / lbis);
    const Point centre = p1 + bisector * (radius / std::sin(half));
    const double startDeg = std::atan2(t1.y - centre.y, t1.x - centre.x) * 180.0 / std::numbers::pi;
    const double endDeg = std::atan2(t2.y - centre.y, t2.x - centre.x) * 180.0 / std::numbers::pi;
    double sweep = endDeg - startDeg;
    if (sweep > 180)
        sweep -= 360;
    else if (sweep < -180)
        sweep += 360;
    joinTo(t1);
    const int pieces = int(std::ceil(std::abs(sweep) / 90.0 - 1e-12));
    if (pieces <= 0)
        return;
    // Pieces end exactly on the tangent point so the arc meets the second leg.
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(degreesToRadians(step) / 4);
    Point u0 = (t1 - centre) * (1 / radius);
    for (int i = 1; i <= pieces; ++i) {
        const Point u1 = i == pieces ? (t2 - centre) * (1 / radius) : unitAtDegrees(startDeg + step * i);
        appendArcPiece(*this, centre, radius, radius, u0, u1, k);
        u0 = u1;
    }
}

} // namespace pf
