// Rounded-corner paths, the bezier path / Quartz path conversions, and element hit testing on a path.
// A quadratic element, which only a Quartz path holds, is treated as its exact cubic throughout.
#pragma once

#include "platform/graphics/Path.h"

#include <optional>

namespace geom {

using pf::Path;
using pf::Point;
using pf::Rect;

// Corner bits in flipped (y-down) coordinates.
constexpr unsigned RoundedCornerTopLeft = 1;
constexpr unsigned RoundedCornerBottomLeft = 2;
constexpr unsigned RoundedCornerTopRight = 4;
constexpr unsigned RoundedCornerBottomRight = 8;
constexpr unsigned RoundedCornerAll = 15;

// --- Conversions and the rounded-corner rect.

// A closed path round the rect (not normalised) whose corners in the mask are rounded with radii limited
// to [0, half the width] and [0, half the height]. It starts on the left side (at the top-left corner's
// end, or the side's middle when that corner is square) and runs top-left, top-right, bottom-right,
// bottom-left. A rounded corner is one cubic whose first control point is its own start and whose second
// is the rect's corner: tighter than a circular arc.
Path bezierPathWithRoundRectXRadiusYRadiusCorners(const Rect& rect, double xRadius, double yRadius, unsigned corners);
// The elements as a Quartz path; a last subpath drawn into since the last close is closed (earlier open
// subpaths stay open). No path for a path without elements.
std::optional<Path> newQuartzPath(const Path& path);
// The elements without any close. No path for a path without elements.
std::optional<Path> newOpenQuartzPath(const Path& path);
// A bezier path from a Quartz path: each quadratic becomes its exact cubic, control points
// (c + 2q) / 3 and (e + 2q) / 3 for the current point c, control point q and end e.
Path bezierPathWithCGPath(const Path& quartzPath);

// --- Element hit testing.

// The element (never element 0 nor a move) that passes within the tolerance of p, or −1: elements whose
// own box holds p are tried first, in order, then those whose box grown by the tolerance holds it. t and
// nearest receive the parameter on the element and its nearest point, when given.
int elementHitByPointToleranceTValueNearestPoint(const Path& path, Point p, double tolerance, double* t,
                                                 Point* nearest);
int elementHitByPointToleranceTValue(const Path& path, Point p, double tolerance, double* t);
// From the index on, the first element whose box holds p, else the first whose box grown by the tolerance
// holds it (Rect::contains), else −1; −1 for an index at or beyond the element count.
int elementFromIndexBoundsContainsPointTolerance(const Path& path, int index, Point p, double tolerance);
// A move: the zero rect. A line: the rect spanned by the previous end and its point. A curve: the
// smallest rect holding the previous end and its control points. A close: the rect spanned by the
// previous end and its subpath's start. The zero rect for an index out of range.
Rect boundingBoxForElement(const Path& path, int index);
// Searching backward from the index, the first move; −1 for a negative index or when there is none.
int subpathStartingElementForElement(const Path& path, int index);
// Whether a close occurs at or after the index anywhere in the rest of the path (so an open subpath
// followed by a closed one answers true); false at or beyond the element count.
bool subpathContainingElementIsClosed(const Path& path, int index);
bool isPathClosed(const Path& path);

} // namespace geom
