// The face of one anchor-grid button: with the grid's chosen corner a and the button's own place p (its
// tag), an enabled button next to a (at most one row and one column away) shows an arrow pointing away
// from a; a disabled one shows a dot. Values outside the grid (a corner read from a document or set by a
// script) draw no arrow.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"

#include <cstdint>
#include <optional>

namespace pf {
class GraphicsContext;
}

namespace AnchorButtonCell {

const pf::Color& arrowColor();
const pf::Color& dotColor();

// The corner (0–8) the arrow of the button at `position` points to while `anchor` is chosen; nothing when
// the button shows no arrow.
std::optional<std::int64_t> arrowDirection(std::int64_t anchor, std::int64_t position);

// Draws the interior of a button of frame F.
void drawInterior(pf::GraphicsContext& context, const pf::Rect& frame, std::int64_t anchor, std::int64_t position,
                  bool enabled);

} // namespace AnchorButtonCell
