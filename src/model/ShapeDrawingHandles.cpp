// The connection targets a shape shows while a connector end is dragged over it.
#include "model/Shape.h"

#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"

#include <utility>

namespace {

const pf::Color cyan(0, 1, 1, 1);

} // namespace

void Shape::drawConnectionHandlesInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) const
{
    (void)dirty;
    const std::shared_ptr<const ShapeConnection> connection = provisionalConnection_.lock();
    if (!connection || !context.drawsToScreen())
        return;
    context.saveGState();
    context.setAlpha(1.0);
    const double s = currentScale();
    drawStrokeInContextColorPathLineWidth(context, cyan, path_, 3 / s);
    const auto handleRect = [s](pf::Point p) { return QVRectOutset(QVSquareAroundPoint(p, 10 / s), 2 / s, 2 / s); };

    const pf::Point active = connection->locationInComposition();
    if (active != pf::Point(0, 0))
        drawConnectionHandleInContextRectActive(context, handleRect(active), true);
    if (!connection->isCommitted()) {
        const pf::Rect r = snapRect();
        const QVRectEdge taken = connection->shapeEdge();
        // The side targets only while the sides are upright; the centre always.
        if (rotationAngle_ == 0) {
            for (const auto& [edge, point] : {std::pair{QVRectEdgeLeft, QVRectGetMidLefPoint(r)},
                                              {QVRectEdgeRight, QVRectGetMidRitPoint(r)},
                                              {QVRectEdgeTop, QVRectGetTopMidPoint(r)},
                                              {QVRectEdgeBottom, QVRectGetBotMidPoint(r)}})
                if (taken != edge)
                    drawConnectionHandleInContextRectActive(context, handleRect(point), false);
        }
        if (taken != QVRectEdgeMid)
            drawConnectionHandleInContextRectActive(context, handleRect(QVRectGetMidMidPoint(r)), false);
    }
    context.restoreGState();
}

void Shape::drawConnectionHandleInContextRectActive(pf::GraphicsContext& context, const pf::Rect& rect,
                                                    bool active) const
{
    const double s = currentScale();
    const auto grown = [&rect](double by) { return QVRectOutset(rect, by, by); };

    const pf::Path outer = pf::Path::oval(active ? grown(5 / s) : rect);
    context.setFillColor(pf::Color::white());
    context.fillPath(outer);
    context.setStrokeColor(cyan);
    context.setLineWidth(2 / s);
    context.strokePath(outer);

    const pf::Path middle = pf::Path::oval(active ? grown(3 / s) : grown(-3 / s));
    context.drawLinearGradientInPath(shapeClass().handleGradient(), middle, 90);

    // An explicit width: no process-wide default line width is changed for later paths.
    context.setStrokeColor(pf::Color(0, 0, 0, 0.3));
    context.setLineWidth(1 / s);
    context.strokePath(pf::Path::oval(active ? grown(1 / s) : grown(-1 / s)));
}
