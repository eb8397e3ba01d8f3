// Measuring paths along their length and cutting pieces out of them by length. Distances between points
// are single precision (LineLength); a curve's length is estimated within a maximum error (0.1 where a
// form takes none). Where a trim keeps the whole path it answers a copy of it; new paths keep the source's
// line style and winding rule.
#pragma once

#include "platform/graphics/Path.h"

#include <vector>

namespace geom {

using pf::Path;
using pf::Point;

constexpr double defaultMaximumError = 0.1;

// Sum of the segments; a close counts the way back to its subpath's start. 0 for an empty path.
double lengthWithMaximumError(const Path& path, double maxError);
inline double length(const Path& path) { return lengthWithMaximumError(path, defaultMaximumError); }
// −1 for an index out of range; 0 for index 0 and for a move; otherwise the element's length from the
// previous end point (a close back to its own subpath's start), so the elements add up to length().
double lengthOfElement(const Path& path, int index);
// Sum of lengthOfElement from max(from, 0) to min(to, count − 1), inclusive; 0 when that is empty.
double lengthOfPathFromElementToElement(const Path& path, int from, int to);
// Moves among all elements but the last; 0 for fewer than two elements.
int countSubPaths(const Path& path);
// With more than one subpath, one new path per subpath of at least two elements; otherwise the path.
std::vector<Path> subPaths(const Path& path);
// Slope from element 0's point to element 1's first point; 0 for fewer than two elements.
double slopeStartingPath(const Path& path);
// The point at a length along the path and, when slope is given, the direction there (radians): see
// the implementation for the ends.
Point pointOnPathAtLengthSlope(const Path& path, double length, double* slope);
// The length along the path to the point of the element that p hits within the tolerance, −1 when p
// hits none (or only the first element).
double distanceFromStartOfPathAtPointTolerance(const Path& path, Point p, double tolerance);

// The first L of the path (L below 0, or not a number, counts as 0).
Path bezierPathByTrimmingToLengthWithMaximumError(const Path& path, double L, double maxError);
// The path without its first L.
Path bezierPathByTrimmingFromLengthWithMaximumError(const Path& path, double L, double maxError);
// Without L at both ends.
Path bezierPathByTrimmingFromBothEndsWithMaximumError(const Path& path, double L, double maxError);
// A gap of L in the middle.
Path bezierPathByTrimmingFromCentreWithMaximumError(const Path& path, double L, double maxError);
// Without its first a, then cut to b: b is the length kept, not an end position.
Path bezierPathByTrimmingFromLengthToLengthWithMaximumError(const Path& path, double a, double b, double maxError);

inline Path bezierPathByTrimmingToLength(const Path& path, double L)
{
    return bezierPathByTrimmingToLengthWithMaximumError(path, L, defaultMaximumError);
}
inline Path bezierPathByTrimmingFromLength(const Path& path, double L)
{
    return bezierPathByTrimmingFromLengthWithMaximumError(path, L, defaultMaximumError);
}
inline Path bezierPathByTrimmingFromBothEnds(const Path& path, double L)
{
    return bezierPathByTrimmingFromBothEndsWithMaximumError(path, L, defaultMaximumError);
}
inline Path bezierPathByTrimmingFromCentre(const Path& path, double L)
{
    return bezierPathByTrimmingFromCentreWithMaximumError(path, L, defaultMaximumError);
}
inline Path bezierPathByTrimmingFromLengthToLength(const Path& path, double a, double b)
{
    return bezierPathByTrimmingFromLengthToLengthWithMaximumError(path, a, b, defaultMaximumError);
}

} // namespace geom
