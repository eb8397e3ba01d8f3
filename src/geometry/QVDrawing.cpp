#include "geometry/QVDrawing.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>

pf::Path QVGetRoundRect(const pf::Rect& rect, double radius, double lineWidth)
{
    pf::Path path = pf::Path::roundedRect(rect, radius, radius);
    path.setLineWidth(lineWidth);
    return path;
}

pf::Path QVDrawRoundRect(pf::GraphicsContext& context, const pf::Gradient& gradient, const pf::Color& strokeColor,
                         const pf::Rect& rect, double radius, double lineWidth)
{
    const pf::Path path = QVGetRoundRect(rect, radius, lineWidth);
    context.drawLinearGradientInPath(gradient, path, 90);
    context.saveGState();
    context.setStrokeColor(strokeColor);
    context.strokeBezierPath(path);
    context.restoreGState();
    return path;
}

void QVAddRoundRect(pf::Path& path, const pf::Rect& rect, double radius)
{
    path.clear();
    path.moveTo({rect.minX(), rect.midY()});
    path.addArcToPoint({rect.minX(), rect.minY()}, {rect.midX(), rect.minY()}, radius);
    path.addArcToPoint({rect.maxX(), rect.minY()}, {rect.maxX(), rect.midY()}, radius);
    path.addArcToPoint({rect.maxX(), rect.maxY()}, {rect.midX(), rect.maxY()}, radius);
    path.addArcToPoint({rect.minX(), rect.maxY()}, {rect.minX(), rect.midY()}, radius);
    path.close();
}

pf::Point QVAlignPointToDeviceSpace(const pf::GraphicsContext& context, pf::Point point)
{
    const pf::Point device = context.convertToDeviceSpace(point);
    return context.convertToUserSpace({std::floor(device.x), std::floor(device.y)});
}

pf::Point QVDeviceFloorAlign(const pf::GraphicsContext& context, pf::Point point)
{
    const pf::Point aligned = QVAlignPointToDeviceSpace(context, point);
    return {aligned.x + 0.5, aligned.y + 0.5};
}
