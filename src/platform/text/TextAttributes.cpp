#include "platform/text/TextAttributes.h"

namespace pf {

TextAlignment ParagraphStyle::alignmentFromInt(long long value)
{
    return value >= 0 && value <= 4 ? TextAlignment(int(value)) : TextAlignment::Natural;
}

LineBreakMode ParagraphStyle::lineBreakModeFromInt(long long value)
{
    return value >= 0 && value <= 5 ? LineBreakMode(int(value)) : LineBreakMode::WordWrapping;
}

bool TextAttributes::has(AttributeKey key) const
{
    switch (key) {
    case AttributeKey::Font: return font.has_value();
    case AttributeKey::ForegroundColor: return foregroundColor.has_value();
    case AttributeKey::ParagraphStyle: return paragraphStyle.has_value();
    case AttributeKey::Shadow: return shadow.has_value();
    case AttributeKey::BaselineOffset: return baselineOffset.has_value();
    }
    return false;
}

void TextAttributes::remove(AttributeKey key)
{
    switch (key) {
    case AttributeKey::Font: font.reset(); break;
    case AttributeKey::ForegroundColor: foregroundColor.reset(); break;
    case AttributeKey::ParagraphStyle: paragraphStyle.reset(); break;
    case AttributeKey::Shadow: shadow.reset(); break;
    case AttributeKey::BaselineOffset: baselineOffset.reset(); break;
    }
}

void TextAttributes::add(const TextAttributes& other)
{
    if (other.font) font = other.font;
    if (other.foregroundColor) foregroundColor = other.foregroundColor;
    if (other.paragraphStyle) paragraphStyle = other.paragraphStyle;
    if (other.shadow) shadow = other.shadow;
    if (other.baselineOffset) baselineOffset = other.baselineOffset;
}

} // namespace pf
