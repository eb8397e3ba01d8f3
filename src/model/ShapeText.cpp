// A shape's text: its attributes, its layout in the text rect (band and column), the setters the
// inspector and the in-place editor call, fitting the frame to the text, and drawing.
#include "model/Shape.h"
#include "model/StoredForms.h"

#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <optional>

namespace {

// Measures an empty text as one line of "W" in the shape's attributes, so an empty box is as tall as one
// line. Any other text is measured as it is, uncopied: a text box measures its text at every paint.
const pf::AttributedString& measurableText(const pf::AttributedString& text, const Shape& shape,
                                           std::optional<pf::AttributedString>& placeholder)
{
    if (!text.isEmpty())
        return text;
    return placeholder.emplace(QStringLiteral("W"), shape.textAttributes());
}

const pf::AttributedString& emptyText()
{
    static const pf::AttributedString empty;
    return empty;
}

} // namespace

// ---- text and attributes ----

void Shape::setAttributedText(const pf::AttributedString* text)
{
    std::optional<pf::MutableAttributedString> value;
    if (text && !text->isEmpty())
        value.emplace(*text);
    if (value == attributedText_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("attributedText"));
    std::optional<pf::MutableAttributedString> old = attributedText_;
    pf::registerUndo(undoManager(), this,
                     [old = std::move(old)](Shape& s) { s.setAttributedText(old ? &*old : nullptr); },
                     pf::localized("Edit Text"));
    // The band may shrink: redraw where the old text was too.
    if (composition_)
        setNeedsDisplay();
    attributedText_ = std::move(value);
    dirtyRectDirty_ = true;
    // Off a page nothing is redisplayed, yet the stored form changed.
    storedForms::drop(this);
    if (composition_)
        setNeedsDisplay();
}

pf::ParagraphStyle Shape::currentParagraphStyle() const
{
    pf::ParagraphStyle p = shapeClass().defaultTextAttributes().paragraphStyleOrDefault();
    p.alignment = pf::ParagraphStyle::alignmentFromInt(static_cast<long long>(textAlign_));
    return p;
}

pf::TextAttributes Shape::textAttributes() const
{
    if (!textAttributes_) {
        const ShapeClass& k = shapeClass();
        pf::TextAttributes a = k.defaultTextAttributes();
        a.font.reset();
        a.foregroundColor.reset();
        if (!hasText()) {
            a.font = k.currentFont();
            a.foregroundColor = k.currentTextColor();
        }
        a.paragraphStyle = currentParagraphStyle();
        if (textShadowHidden_) {
            a.shadow.reset();
        } else {
            pf::Shadow shadow;
            if (textShadowColor_)
                shadow.color = *textShadowColor_;
            shadow.offset = pf::Size(textShadowOffsetX_, -textShadowOffsetY_);
            shadow.blur = textShadowBlur_;
            a.shadow = shadow;
        }
        textAttributes_ = a;
    }
    return *textAttributes_;
}

void Shape::clearTextAttributes()
{
    textAttributes_.reset();
    cachedTextSize_ = pf::Size();
    dirtyRectDirty_ = true;
    if (!hasText())
        return;
    pf::MutableAttributedString text = *attributedText_;
    const pf::TextRange all{0, text.length()};
    text.addAttributes(textAttributes(), all);
    if (textShadowHidden())
        text.removeAttribute(pf::AttributeKey::Shadow, all);
    setAttributedText(text);
}

pf::TextAlignment Shape::editTextAlign() const
{
    return textAttributes().paragraphStyleOrDefault().alignment;
}

pf::OptionalColor Shape::textColor() const
{
    if (!hasText())
        return shapeClass().currentTextColor();
    return attributedText_->attributesAtIndex(0).foregroundColor.value_or(pf::Color::black());
}

pf::MutableAttributedString Shape::textWithAttributes(const pf::AttributedString& text, const pf::TextAttributes& change)
{
    pf::MutableAttributedString changed(text);
    changed.addAttributes(change, {0, changed.length()});
    return changed;
}

void Shape::setTextFont(const std::optional<pf::Font>& font)
{
    if (!font)
        return;
    if (hasText()) {
        // Through setAttributedText, so that the change is undoable and observed like any text edit.
        pf::TextAttributes change;
        change.font = font;
        setAttributedText(textWithAttributes(*attributedText_, change));
        cachedTextSize_ = pf::Size();
        setNeedsDisplay();
    }
    const ShapeClass& k = shapeClass();
    k.setStickyObjectForKey(pf::Value(font->fontName()), QStringLiteral("textFontName"));
    k.setStickyDoubleForKey(font->pointSize(), QStringLiteral("textFontSize"));
    pf::TextAttributes a = textAttributes();
    a.font = font;
    textAttributes_ = a;
    measureLabels();
}

void Shape::setTextColor(const pf::OptionalColor& color)
{
    if (!color)
        return;
    if (hasText()) {
        pf::TextAttributes change;
        change.foregroundColor = color;
        setAttributedText(textWithAttributes(*attributedText_, change));
    }
    shapeClass().setStickyColorForKey(color, QStringLiteral("textColor"));
    pf::TextAttributes a = textAttributes();
    a.foregroundColor = color;
    textAttributes_ = a;
}

// ---- layout ----

void Shape::setUpTextLayoutManager()
{
    textContainer_.setLineFragmentPadding(0);
    textLayoutManager_.setTextContainer(&textContainer_);
    textLayoutManager_.setTextStorage(&textStorage_);
}

namespace {

// The storage takes the text only when it holds another: every change moves its version on, which lays
// the text out again (and a redraw of unchanged text would do so at every paint).
void holdText(pf::TextStorage& storage, const pf::AttributedString& text)
{
    if (!(storage == text))
        storage.setAttributedString(text);
}

} // namespace

pf::Size Shape::stringSizeForTextRect(const pf::AttributedString& text, const pf::Rect& rect) const
{
    if (!textLayoutManager_.textStorage() || !textLayoutManager_.textContainer())
        return {4.0, 1.0};
    holdText(textStorage_, text);
    textContainer_.setSize({rect.size.width, pf::unboundedTextExtent});
    const pf::Size used = textLayoutManager_.usedRectForTextContainer().size;
    return {used.width + 4.0, used.height + 1.0};
}

bool Shape::isTextShownByEditor() const
{
    return editingText_ && !pageIsDrawingThumbnail();
}

// Besides the reset by attribute and font changes, a different text or width measures again: the text
// changes by undo and by reading, the width with the frame, and a stale height would misplace the band.
pf::Size Shape::measuredTextSize(const pf::AttributedString& text, const pf::Rect& t) const
{
    if (editingText_ || (cachedTextSize_.width == 0 && cachedTextSize_.height == 0)
        || cachedTextSizeWidth_ != t.size.width || !(cachedTextSizeText_ == text)) {
        cachedTextSize_ = stringSizeForTextRect(text, t);
        cachedTextSizeText_ = text;
        cachedTextSizeWidth_ = t.size.width;
    }
    return cachedTextSize_;
}

pf::Rect Shape::horizontalTextRectForText(const pf::AttributedString& text) const
{
    if (textAppearanceType_ == 2 && !editingText_)
        return pf::Rect::zero();
    const pf::Rect t = QVRectNotZeroSize(textRect());
    std::optional<pf::AttributedString> placeholder;
    const double h = measuredTextSize(measurableText(text, *this, placeholder), t).height;
    pf::Rect band;
    switch (textVerticalAlign_) {
    case 0:
        band = pf::Rect(t.origin.x, t.origin.y + t.size.height / 2 - h / 2, t.size.width, h);
        break;
    case 1:
        band = pf::Rect(t.origin.x, t.origin.y, t.size.width, h);
        break;
    case 2:
        band = pf::Rect(t.origin.x, t.origin.y + t.size.height - h, t.size.width, h);
        break;
    default:
        return pf::Rect::zero();
    }
    return QVRectIsValidNotZeroSize(band) ? band : pf::Rect::zero();
}

pf::Rect Shape::verticalTextRect() const
{
    if (textAppearanceType_ == 2 && !editingText_)
        return pf::Rect::zero();
    pf::Rect r = QVRectNotZeroSize(textRect());
    if (!editingText_) {
        std::optional<pf::AttributedString> placeholder;
        const double w =
            measuredTextSize(measurableText(hasText() ? *attributedText_ : emptyText(), *this, placeholder), r).width;
        switch (textAlign_) {
        case 2:
        case 3:
            r.origin.x = r.origin.x + r.size.width / 2 - w / 2;
            break;
        case 1:
            r.origin.x = r.origin.x + r.size.width - w;
            break;
        default:
            break;
        }
        r.size.width = w;
    }
    if (!QVRectIsValid(r))
        return pf::Rect::zero();
    return QVRectRound(r);
}

pf::Rect Shape::textBoundingRect() const
{
    const pf::Rect column = verticalTextRect();
    const pf::Rect band = horizontalTextRectForText(hasText() ? *attributedText_ : emptyText());
    return pf::Rect(column.origin.x - 2, band.origin.y, column.size.width + 4, band.size.height);
}

std::optional<pf::Path> Shape::textBoundingPath() const
{
    if (!hasText())
        return std::nullopt;
    return pf::Path::rect(textBoundingRect());
}

pf::Rect Shape::fieldEditorRectForText(const pf::AttributedString& text) const
{
    return horizontalTextRectForText(text);
}

void Shape::sizeToFitText(bool option)
{
    (void)option;
    const pf::Size p = textPadSize();
    const pf::Rect fitted = QVRectOutset(textBoundingRect(), 2 * p.width, 2 * p.height);
    if (fitted.size.width != frame_.size.width || fitted.size.height != frame_.size.height)
        setFrame(fitted);
}

// ---- drawing ----

void Shape::drawTextInContext(pf::GraphicsContext& context)
{
    if (!hasText() || isTextShownByEditor())
        return;
    const pf::Rect r = horizontalTextRectForText(*attributedText_);
    if (!isPointer() && !QVRectIsValidNotZeroSize(r))
        return;
    if (textAppearanceType_ == 2)
        return;
    if (textAppearanceType_ == 1 && QVRectIsValidNotZeroSize(frame_))
        context.clip(textClipPath());
    rotateInContext(context);
    holdText(textStorage_, *attributedText_);
    const pf::TextRange glyphs = textLayoutManager_.glyphRangeForTextContainer();
    textContainer_.setSize(r.size);
    textLayoutManager_.drawGlyphsForGlyphRange(glyphs, r.origin, context);
}
