// The connection targets a shape shows while a connector end is dragged over it.
#include "model/Shape.h"

#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"

void Shape::drawConnectionHandleInContextRectActive(pf::GraphicsContext& context, const pf::Rect& rect,
                                                    bool active) const
{
    const double s = currentScale();
    const pf::Color cyan(0, 1, 1, 1);
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
