// Where a shape's text goes: pads and the text rect, which kinds override.
#include "model/Shape.h"

#include <cmath>

pf::Size Shape::textPadSize() const
{
    // A frame no larger than four pads has no room for them.
    const pf::Size pad = defaultTextPadSize();
    return {std::fabs(frame().size.width) > std::ceil(4 * pad.width) ? pad.width : 0.0,
            std::fabs(frame().size.height) > std::ceil(4 * pad.height) ? pad.height : 0.0};
}

pf::Rect Shape::textRect() const
{
    const pf::Size pad = textPadSize();
    const double halfStroke = strokeLineWidth() / 2;
    return frame().insetBy(pad.width + halfStroke, pad.height + halfStroke);
}
