// Small cubic-curve helpers shared by the path queries and the path measurement code. Quadratics are
// handled by raising them to their exact cubic, so every curve query has one code path.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Path.h"

#include <array>

namespace pf::pathmath {

using Cubic = std::array<Point, 4>;

inline Point lerp(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// The exact cubic form of the quadratic start -> (control) -> end.
inline Cubic raiseQuad(Point start, Point control, Point end)
{
    return {start,
            Point((start.x + 2 * control.x) / 3, (start.y + 2 * control.y) / 3),
            Point((end.x + 2 * control.x) / 3, (end.y + 2 * control.y) / 3),
            end};
}

// The curve of a QuadTo or CurveTo element that starts at `start`.
inline Cubic cubicOf(Point start, const PathElement& e)
{
    if (e.type == PathElementType::QuadTo)
        return raiseQuad(start, e.points[0], e.points[1]);
    return {start, e.points[0], e.points[1], e.points[2]};
}

inline double cubicCoord(double a, double b, double c, double d, double t)
{
    const double mt = 1 - t;
    return mt * mt * mt * a + 3 * mt * mt * t * b + 3 * mt * t * t * c + t * t * t * d;
}

inline Point cubicPoint(const Cubic& c, double t)
{
    return {cubicCoord(c[0].x, c[1].x, c[2].x, c[3].x, t), cubicCoord(c[0].y, c[1].y, c[2].y, c[3].y, t)};
}

// Roots in the open interval (0, 1) of the derivative of one coordinate of a cubic, ascending; answers
// how many (0 to 2).
int derivativeRoots(double a, double b, double c, double d, double out[2]);

// de Casteljau split at t: left keeps the first point, right the last, both share the split point.
void splitCubic(const Cubic& c, double t, Cubic& left, Cubic& right);

} // namespace pf::pathmath
