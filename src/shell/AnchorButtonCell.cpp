#include "shell/AnchorButtonCell.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <cstdlib>
#include <numbers>

namespace AnchorButtonCell {

const pf::Color& arrowColor()
{
    static const pf::Color color = QVHexColor(0xAAAAAA);
    return color;
}

const pf::Color& dotColor()
{
    static const pf::Color color = QVHexColor(0x666666);
    return color;
}

std::optional<std::int64_t> arrowDirection(std::int64_t anchor, std::int64_t position)
{
    const auto inGrid = [](std::int64_t v) { return v >= 0 && v <= 8; };
    if (!inGrid(anchor) || !inGrid(position) || anchor == position)
        return std::nullopt;
    const std::int64_t rows = position / 3 - anchor / 3;
    const std::int64_t columns = position % 3 - anchor % 3;
    if (std::abs(rows) > 1 || std::abs(columns) > 1)
        return std::nullopt;
    return (1 + rows) * 3 + (1 + columns);
}

void drawInterior(pf::GraphicsContext& context, const pf::Rect& frame, std::int64_t anchor, std::int64_t position,
                  bool enabled)
{
    const pf::Point centre = QVRectGetMidMidPoint(frame);
    if (!enabled) {
        context.setFillColor(dotColor());
        context.fillPath(pf::Path::oval(QVSquareAroundPoint(centre, 7)));
        return;
    }
    const std::optional<std::int64_t> direction = arrowDirection(anchor, position);
    if (!direction)
        return;
    const pf::Rect r = frame.insetBy(6, 8);
    pf::Path arrow;
    arrow.moveTo({r.minX(), r.minY()});
    arrow.lineTo({r.maxX(), r.midY()});
    arrow.lineTo({r.minX(), r.maxY()});
    arrow.close();
    const pf::SavedGState saved(context);
    context.translate(centre.x, centre.y);
    context.rotate(QVAngleForRectCorner(QVRectCorner(*direction)) * std::numbers::pi / 180);
    context.translate(-centre.x, -centre.y);
    context.setFillColor(arrowColor());
    context.fillPath(arrow);
}

} // namespace AnchorButtonCell
