#include "platform/graphics/Path.h"

#include <QPainterPath>
#include <QPainterPathStroker>

namespace pf {

Path Path::strokedOutline(double width, LineCap cap, LineJoin join, double miterLimit) const
{
    if (!(width > 0) || elements_.empty())
        return {};
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    switch (cap) {
    case LineCap::Butt:
        stroker.setCapStyle(Qt::FlatCap);
        break;
    case LineCap::Round:
        stroker.setCapStyle(Qt::RoundCap);
        break;
    case LineCap::Square:
        stroker.setCapStyle(Qt::SquareCap);
        break;
    }
    switch (join) {
    case LineJoin::Miter:
        // Qt's MiterJoin clips a long miter at the limit; the SVG join falls back to a bevel as Quartz
        // does. Both measure the limit as miter length over width, like Quartz, but Qt reads a limit of 0
        // as no limit, while for Quartz every join (miter length ≥ width) exceeds a limit of 1 or less.
        stroker.setJoinStyle(miterLimit > 1 ? Qt::SvgMiterJoin : Qt::BevelJoin);
        stroker.setMiterLimit(miterLimit);
        break;
    case LineJoin::Round:
        stroker.setJoinStyle(Qt::RoundJoin);
        break;
    case LineJoin::Bevel:
        stroker.setJoinStyle(Qt::BevelJoin);
        break;
    }
    // Converted afresh: outlines are geometry, not painting, and need not keep a painting form.
    Path outline = fromQt(stroker.createStroke(converted(winding_)));
    outline.setWindingRule(WindingRule::NonZero);
    return outline;
}

} // namespace pf
