// Off-screen renderings of a shape: for export, copy and share, and for a drag.
#include "model/Metrics.h"
#include "model/Shape.h"

#include "platform/graphics/GraphicsContext.h"

#include <cmath>

namespace {

// No image for a size without whole pixels (a shape without area) or one that is not finite.
bool drawable(const pf::Size& size)
{
    return std::isfinite(size.width) && std::isfinite(size.height) && size.width > 0 && size.height > 0;
}

} // namespace

pf::Image Shape::renderedImageAtScale(double scale)
{
    const pf::Rect render = renderRect();
    const pf::Size size(render.width() * scale, render.height() * scale);
    if (!(scale > 0) || !drawable(size))
        return {};
    // The half-point offset of the canvas at scales up to 1, so that strokes land as they do there.
    const double h = scale <= 1.0 ? 0.5 : 0.0;
    const pf::Point offset = render == frame_ ? pf::Point(-(frame_.x() - h), -(frame_.y() - h))
                                              : pf::Point(-(std::floor(render.x()) + h), -(std::floor(render.y()) + h));
    // A zero dirty rect: the shape draws only without a page or while its page is exporting.
    pf::Image image = pf::Image::drawn(size, 1.0, [&](pf::GraphicsContext& context) {
        context.saveGState();
        context.scale(scale, scale);
        context.translate(offset.x, offset.y);
        drawInContextDirtyRect(context, pf::Rect::zero());
        context.restoreGState();
    });
    // A page in a denser unit than points: more pixels than points.
    if (const Metrics* metrics = composition_ ? composition_->metrics() : nullptr;
        metrics && metrics->resolution() > metrics->baseResolution())
        image.setSize(pf::Size(size.width * metrics->baseResolution() / metrics->resolution(),
                               size.height * metrics->baseResolution() / metrics->resolution()));
    return image;
}

pf::Image Shape::draggingImage()
{
    const pf::Rect selection = selectionRect();
    const pf::Size size(selection.width() + 2, selection.height() + 2);
    if (!drawable(size))
        return {};
    // Drawn where the shape's own coordinates put it (library items are made at the origin).
    return pf::Image::drawn(size, 1.0, [&](pf::GraphicsContext& context) {
        context.translate(0.5, 0.5);
        drawInContextDirtyRect(context, pf::Rect(selection.origin, size));
    });
}
