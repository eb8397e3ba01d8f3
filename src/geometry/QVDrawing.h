// Rounded rects for interface chrome and snapping points to device pixels.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/graphics/Path.h"

namespace pf {
class Gradient;
class GraphicsContext;
} // namespace pf

// The platform rounded rect with both radii equal to radius, its line width set.
pf::Path QVGetRoundRect(const pf::Rect& rect, double radius, double lineWidth);

// QVGetRoundRect filled with the gradient at angle 90 (first stop at the top of a y-down context), then
// stroked with the colour at the line width; answers the path.
pf::Path QVDrawRoundRect(pf::GraphicsContext& context, const pf::Gradient& gradient, const pf::Color& strokeColor,
                         const pf::Rect& rect, double radius, double lineWidth);

// The context's path for a rounded rect: path is begun afresh (cleared), then a move to (minX, midY),
// four arcs to point with the radius (through each corner towards the next side's middle, from the
// min-x/min-y corner round), and a close.
void QVAddRoundRect(pf::Path& path, const pf::Rect& rect, double radius);

// The point converted to device space, both coordinates floored, converted back.
pf::Point QVAlignPointToDeviceSpace(const pf::GraphicsContext& context, pf::Point point);
// QVAlignPointToDeviceSpace, then 0.5 added to both coordinates (the centre of a pixel at scale 1).
pf::Point QVDeviceFloorAlign(const pf::GraphicsContext& context, pf::Point point);
