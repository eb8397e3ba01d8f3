// Free functions on points, segments and cubic curves used by the path additions and path measurement.
// A result "in single precision" is computed from the double differences rounded to float (hypotf,
// atan2f) and widened back, so that measurements match the stored lengths exactly.
#pragma once

#include "platform/foundation/Geometry.h"

namespace geom {

using pf::Point;

// a + (b − a)·t
Point Interpolate(Point a, Point b, double t);
// Translate by the centre, rotate by the angle, translate back: a rotation about the centre.
pf::AffineTransform RotationTransform(double radians, Point centre);
// atan2(b.y − a.y, b.x − a.x) in single precision, radians.
double Slope(Point a, Point b);
// Slope(a, b) − Slope(b, c).
double AngleBetween(Point a, Point b, Point c);
// Where p projects on a -> b: 0 within the segment, −1 before a, 1 past b; −1 when a and b coincide.
int PointInLineSegment(Point p, Point a, Point b);
// Origin (min x, min y), size (|b.x − a.x|, |b.y − a.y|).
pf::Rect NSRectFromTwoPoints(Point a, Point b);
// The projection of p on the segment clamped to its ends; a when a and b coincide.
Point NearestPointOnLine(Point p, Point a, Point b);
// |p − a| / |b − a| in single precision; 0 when a and b coincide.
double RelPoint(Point p, Point a, Point b);
// Distance in single precision.
double LineLength(Point a, Point b);
double SquaredLength(Point v);
Point DiffPoint(Point a, Point b);
double DiffPointSquaredLength(Point a, Point b);
double DotProduct(Point u, Point v);

// The point at t of the Bezier curve of the given degree (control points v[0..degree], degree at most 7)
// by de Casteljau's construction; when given, left and right receive the degree + 1 control points of
// the two halves of the split at t.
Point Bezier(const Point* v, int degree, double t, Point* left = nullptr, Point* right = nullptr);
// Splits a cubic at t: the left half keeps the first point, the right half the last, both share the
// split point.
void subdivideBezierAtT(const Point bez[4], Point left[4], Point right[4], double t);
// The nearest point of the cubic v[0..3] to p, and its parameter in t when given (Schneider's root
// finding on the quintic (B(t) − p)·B′(t)).
Point NearestPointOnCurve(Point p, const Point v[4], double* t = nullptr);

// Length of a cubic estimated within maxError: split in halves until the control polygon is within the
// error of the chord, then (chord + polygon) / 2. The error is at least 1e-4 and the halving stops at
// depth 24, so a zero or negative error, or a curve too large for single precision, still ends.
double curveLength(const Point bez[4], double maxError);
// Splits a cubic where its length from the start is s within maxError (bisection on t); answers the t.
double subdivideBezierAtLength(const Point bez[4], Point left[4], Point right[4], double s, double maxError);

} // namespace geom
