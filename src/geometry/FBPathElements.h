// Element access on paths as the boolean code sees them: one record per element, with the Quartz type
// numbers, and the small path-building helpers that go with it.
#pragma once

#include "geometry/MWPoint.h"
#include "platform/graphics/Path.h"

#include <cstdint>
#include <string>

enum FBBezierElementType : int32_t {
    FBBezierElementMoveTo = 0,
    FBBezierElementLineTo = 1,
    FBBezierElementQuadCurveTo = 2,
    FBBezierElementCurveTo = 3,
    FBBezierElementClose = 4,
};

struct FBBezierElement {
    int32_t type = FBBezierElementMoveTo;
    MWPoint point;            // the element's end point (the subpath start for a close)
    MWPoint controlPoints[2]; // a curve's control points, a quadratic's control point first; zero otherwise
};

struct FBElementRange {
    size_t location = 0;
    size_t length = 0;
};

size_t CGPath_MWElementCount(const pf::Path& path);
// The element at the index; past the end, a move-to with zero points.
FBBezierElement CGPath_FBElementAtIndex(const pf::Path& path, size_t index);
MWPoint CGPath_FBPointAtIndex(const pf::Path& path, size_t index);
// Appends a move-to, line-to, curve-to or close; other types are ignored.
void CGPath_FBAppendElement(pf::Path& path, const FBBezierElement& element);
// The elements of the range as a new path whose first element becomes a move-to to its point.
pf::Path CGPath_FBCreateSubpathWithRange(const pf::Path& path, FBElementRange range);
// Appends every element of `other`, move-tos as line-tos, except a move-to to exactly the last appended point.
void CGPath_FBAppendPath(pf::Path& path, const pf::Path& other);
// Debug text: address, bounds, control point bounds, then one line per element.
std::string CGPath_MWLog(const pf::Path& path);
