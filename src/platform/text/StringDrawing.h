// Measuring and drawing an attributed string in a rect, with the options the controls use. Layouts
// come from TextLayout's cache, so measuring the same text at the same width again is a lookup.
#pragma once

#include "platform/text/TextLayout.h"

namespace pf {

// The platform's string-drawing option bits.
enum StringDrawingOption : int {
    UsesLineFragmentOrigin = 1 << 0,
    TruncatesLastVisibleLine = 1 << 5,
};

// The layout the options imply for a rect of `size`: with UsesLineFragmentOrigin the text wraps at the
// width (and stops at the height when truncating); without it each paragraph is one line from a baseline
// origin.
std::shared_ptr<const TextLayout> layoutForDrawing(const AttributedString& text, Size size, int options);

// boundingRectWithSize:options:. With UsesLineFragmentOrigin the rect starts at (0, 0); without it the
// origin is the baseline origin, so the rect starts one ascent above.
Rect boundingRectWithSize(const AttributedString& text, Size size, int options);
// The size of the text on unbounded lines (each paragraph on one line).
Size sizeOfAttributedString(const AttributedString& text);

// drawWithRect:options:. Without UsesLineFragmentOrigin the rect's origin is the first baseline origin.
void drawAttributedString(GraphicsContext& context, const AttributedString& text, const Rect& rect, int options);

} // namespace pf
