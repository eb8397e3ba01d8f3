#include "platform/text/StringDrawing.h"

namespace pf {

std::shared_ptr<const TextLayout> layoutForDrawing(const AttributedString& text, Size size, int options)
{
    if (!(options & UsesLineFragmentOrigin))
        return TextLayout::make(text, Size(unboundedTextExtent, unboundedTextExtent));
    TextLayoutOptions layoutOptions;
    layoutOptions.truncatesLastVisibleLine = (options & TruncatesLastVisibleLine) != 0;
    const double height = layoutOptions.truncatesLastVisibleLine && size.height > 0 ? size.height : unboundedTextExtent;
    const double width = size.width > 0 ? size.width : unboundedTextExtent;
    return TextLayout::make(text, Size(width, height), layoutOptions);
}

namespace {

double firstBaseline(const TextLayout& layout)
{
    return layout.lineFragments().empty() ? 0.0 : layout.lineFragments().front().baseline;
}

} // namespace

Rect boundingRectWithSize(const AttributedString& text, Size size, int options)
{
    const auto layout = layoutForDrawing(text, size, options);
    const Rect used = layout->usedRect();
    const double y = (options & UsesLineFragmentOrigin) ? 0.0 : -firstBaseline(*layout);
    return Rect(0, y, used.width(), used.height());
}

Size sizeOfAttributedString(const AttributedString& text)
{
    return boundingRectWithSize(text, Size(), UsesLineFragmentOrigin).size;
}

void drawAttributedString(GraphicsContext& context, const AttributedString& text, const Rect& rect, int options)
{
    const auto layout = layoutForDrawing(text, rect.size, options);
    Point origin = rect.origin;
    if (!(options & UsesLineFragmentOrigin))
        origin.y -= firstBaseline(*layout);
    layout->draw(context, layout->glyphRange(), origin);
}

} // namespace pf
