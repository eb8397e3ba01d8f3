#include "shapes/ResizeText.h"

#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>

// ---- class ----

const QStringList& ResizeTextClass::facetClassNames() const
{
    static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("GeometryNoConstrainFacet"),
                                   QStringLiteral("ResizeTextFacet"), QStringLiteral("StrokeFacet")};
    return names;
}

pf::Image ResizeTextClass::iconImage() const
{
    static const pf::Image icon = [this] {
        const pf::Color color = libraryListItemShapeStrokeColor();
        const double width = libraryListItemShapeStrokeLineWidth();
        return pf::Image::withDrawingHandler(pf::Size(32, 32), [color, width](pf::GraphicsContext& c, const pf::Rect&) {
            thread_local const pf::Path letter = [] { // per thread, as it keeps its painting forms
                pf::Path p;
                p.moveTo({5, 2});
                p.lineTo({27, 2});
                p.lineTo({27, 8});
                p.lineTo({5, 8});
                p.close();
                p.moveTo({13, 8});
                p.lineTo({19, 8});
                p.lineTo({19, 30});
                p.lineTo({13, 30});
                p.close();
                return p;
            }();
            c.translate(1, 0);
            c.setFillColor(color);
            c.setLineWidth(width);
            c.fillPath(letter);
            return true;
        });
    }();
    return icon;
}

// ---- instance ----

const ResizeTextClass& ResizeText::staticClass()
{
    static const ResizeTextClass c(QStringLiteral("ResizeText"), &Text::staticClass(), &Shape::allocate<ResizeText>);
    return c;
}

const pf::PropertyTable& ResizeText::properties()
{
    // The inspector's fill colour is the text colour, and its stroke shadow shows the fill shadow.
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("fillColor", &ResizeText::textFillColor, &ResizeText::setFillColor);
        t.add("strokeShadowHidden", &Shape::fillShadowHidden, &Shape::setStrokeShadowHidden);
        t.add("strokeShadowBlur", &Shape::fillShadowBlur, &Shape::setStrokeShadowBlur);
        t.add("strokeShadowOffsetX", &Shape::fillShadowOffsetX, &Shape::setStrokeShadowOffsetX);
        t.add("strokeShadowOffsetY", &Shape::fillShadowOffsetY, &Shape::setStrokeShadowOffsetY);
        return t;
    }();
    return table;
}

void ResizeText::initWithFrame(const pf::Rect& frame)
{
    Text::initWithFrame(frame);
    clearTextAttributes();
}

// ---- fitting ----

namespace {
bool fitCacheEnabled = true;
} // namespace

void ResizeText::setFitCacheEnabled(bool enabled)
{
    fitCacheEnabled = enabled;
}

pf::Size ResizeText::sizeOfText(const pf::AttributedString& text)
{
    return pf::TextLayout::make(text, {pf::unboundedTextExtent, pf::unboundedTextExtent})->usedRect().size;
}

double ResizeText::fittedFontSize(const pf::AttributedString& text, double width)
{
    constexpr double smallest = 6;
    if (text.isEmpty())
        return smallest;
    pf::TextAttributes a = text.attributesAtIndex(0);
    const pf::Font first = a.fontOrDefault();
    double lo = smallest;
    double hi = 500;
    for (;;) {
        const double d = hi - lo;
        const double mid = std::round(lo + d / 2);
        if (std::fabs(d) < 2)
            return lo;
        if (mid <= 7)
            return smallest;
        a.font = first.withSize(mid);
        const double w = sizeOfText(pf::AttributedString(text.string(), a)).width;
        if (w == width)
            return mid;
        if (w > width)
            hi = mid;
        else
            lo = mid;
    }
}

pf::TextAttributes ResizeText::textAttributes() const
{
    pf::TextAttributes a = hasText() ? attributedText()->attributesAtIndex(0) : Text::textAttributes();
    a.paragraphStyle = currentParagraphStyle();
    const pf::Font font = a.fontOrDefault();
    double size = 6;
    if (hasText()) {
        // Attributes are asked for on every layout; the search lays the text out about nine times.
        const double width = std::fabs(textRect().size.width);
        const pf::AttributedString& text = *attributedText();
        if (!fitCacheEnabled || fit_.width != width || fit_.fontName != font.fontName() || fit_.string != text.string())
            fit_ = {text.string(), font.fontName(), width, fittedFontSize(text, width)};
        size = fit_.size;
    }
    a.font = font.withSize(size);
    if (fillShadowHidden() || stroke1Enabled()) {
        a.shadow.reset();
    } else {
        pf::Shadow shadow;
        if (fillShadowColor())
            shadow.color = *fillShadowColor();
        shadow.offset = pf::Size(fillShadowOffsetX(), -fillShadowOffsetY());
        shadow.blur = fillShadowBlur();
        a.shadow = shadow;
    }
    return a;
}

void ResizeText::clearTextAttributes()
{
    Text::clearTextAttributes();
    clearBorderPaths();
}

void ResizeText::calcSizeRatio()
{
    const pf::AttributedString measured
        = hasText() ? *attributedText() : pf::AttributedString(QStringLiteral("W"), textAttributes());
    const pf::Size size = sizeOfText(measured);
    setFrame(QVRectSetAnchor(center(), QVRectCornerMidMid, pf::Rect(pf::Point(0, 0), size)));
}

pf::Rect ResizeText::horizontalTextRectForText(const pf::AttributedString& text) const
{
    const pf::Rect t = QVRectNotZeroSize(frame());
    const pf::AttributedString measured
        = text.isEmpty() ? pf::AttributedString(QStringLiteral("W"), textAttributes()) : text;
    if (isEditingText() || bandWidth_ != t.size.width || !(bandText_ == measured)) {
        bandText_ = measured;
        bandWidth_ = t.size.width;
        bandHeight_ = sizeOfText(measured).height;
    }
    const double h = bandHeight_;
    const pf::Rect band(t.origin.x, t.origin.y + t.size.height / 2 - h / 2, t.size.width, h);
    if (!QVRectIsValidNotZeroSize(band))
        return pf::Rect::zero();
    return QVRectRound(QVRectOutset(band, 2, 2).offsetBy(0, 1));
}

pf::Rect ResizeText::calcDirtyRect() const
{
    const pf::Rect r = Text::calcDirtyRect();
    if (QVRectIsZero(r) || !hasText() || fillShadowHidden() || stroke1Enabled())
        return r;
    const pf::Rect band = horizontalTextRectForText(*attributedText());
    if (QVRectIsZero(band))
        return r;
    const double g = std::max(std::fabs(fillShadowOffsetX()), std::fabs(fillShadowOffsetY())) + std::fabs(fillShadowBlur()) + 2.0;
    return QVCombineRects(r, QVRectOutset(band, g, g));
}

void ResizeText::setEditText(const pf::AttributedString* text)
{
    const pf::AttributedString* current = attributedText();
    const bool same = (!text || text->isEmpty()) ? !current : (current && *current == *text);
    if (same)
        return;
    Text::setEditText(text);
    calcSizeRatio();
}

void ResizeText::setTextFont(const std::optional<pf::Font>& font)
{
    clearBorderPaths();
    Text::setTextFont(font);
    clearTextAttributes();
    calcSizeRatio();
}

void ResizeText::setFrame(const pf::Rect& frame)
{
    const pf::Rect old = this->frame();
    Text::setFrame(frame);
    if (this->frame() == old)
        return;
    clearBorderPaths();
    if (!(this->frame().size == old.size))
        clearTextAttributes(); // the font is fitted again
}

// ---- redirected style ----

void ResizeText::setFillColor(pf::OptionalColor color)
{
    if (hasText())
        setTextColor(color);
}

void ResizeText::setStroke2Enabled(bool enabled)
{
    (void)enabled;
    Text::setStroke2Enabled(false);
}

void ResizeText::setStroke2Color(pf::OptionalColor color)
{
    (void)color;
    Text::setStroke2Color(std::nullopt);
}

void ResizeText::setTextAppearanceType(std::uint64_t type)
{
    (void)type;
    Text::setTextAppearanceType(0);
}

template <class F>
void ResizeText::restyled(F inheritedSetter, const char* actionName)
{
    // The letters' shadow follows: one undo step, named after the setter rather than the text edit.
    pf::UndoGrouping group(undoManager());
    inheritedSetter();
    clearTextAttributes();
    if (pf::UndoManager* undo = undoManager())
        undo->setActionName(pf::localized(QString::fromLatin1(actionName)));
}

void ResizeText::setStroke1Enabled(bool on)
{
    restyled([&] { Shape::setStroke1Enabled(on); }, on ? "Show Stroke Border" : "Hide Stroke Border");
}

void ResizeText::setStroke1Color(pf::OptionalColor color)
{
    restyled([&] { Shape::setStroke1Color(color); }, "Stroke Border Color");
}

void ResizeText::setFillShadowHidden(bool hidden)
{
    restyled([&] { Shape::setFillShadowHidden(hidden); }, hidden ? "Hide Fill Shadow" : "Show Fill Shadow");
}

void ResizeText::setFillShadowBlur(double blur)
{
    restyled([&] { Shape::setFillShadowBlur(blur); }, "Fill Shadow Blur");
}

void ResizeText::setFillShadowOffsetX(double offset)
{
    restyled([&] { Shape::setFillShadowOffsetX(offset); }, "Fill Shadow Offset X");
}

void ResizeText::setFillShadowOffsetY(double offset)
{
    restyled([&] { Shape::setFillShadowOffsetY(offset); }, "Fill Shadow Offset Y");
}

void ResizeText::setFillShadowColor(pf::OptionalColor color)
{
    restyled([&] { Shape::setFillShadowColor(color); }, "Fill Shadow Color");
}

// ---- drawing ----

void ResizeText::clearBorderPaths()
{
    borderPaths_.clear();
    borderLineWidth_ = -1;
}

void ResizeText::gatherBorderPaths(const pf::Rect& band)
{
    // Glyph outlines are the costly part of a redraw: keep them while the text and its band stay.
    const pf::AttributedString* text = attributedText();
    if (borderLineWidth_ != -1 && band == borderBand_ && text && *text == borderText_)
        return;
    clearBorderPaths();
    if (!QVRectIsValidNotZeroSize(band))
        return;
    borderBand_ = band;
    borderText_ = text ? *text : pf::AttributedString();
    borderLineWidth_ = text ? static_cast<std::int64_t>(std::sqrt(text->attributesAtIndex(0).fontOrDefault().pointSize())) + 5 : 1;
    // The layout the letters are drawn from (the container is at the band's size).
    if (const pf::TextLayout* layout = textLayoutManager().layout())
        borderPaths_ = layout->glyphOutlines(layout->glyphRange(), band.origin);
}

void ResizeText::drawTextStroke(pf::GraphicsContext& context, double lineWidth, const pf::Color& color)
{
    context.setLineWidth(strokeLineWidth() + lineWidth);
    context.setLineJoin(pf::LineJoin::Round);
    context.setLineCap(pf::LineCap::Round);
    context.setFillColor(color);
    context.setStrokeColor(color);
    // Twice: with the shadow, then over it without, so that the shadow lies only outside the halo.
    for (const bool shadowed : {true, false}) {
        context.saveGState();
        if (shadowed && !fillShadowHidden())
            setFillShadowInContext(context);
        else
            context.clearShadow();
        for (const pf::Path& glyph : borderPaths_) {
            if (glyph.isEmpty())
                continue;
            context.fillPath(glyph);
            context.strokePath(glyph);
        }
        context.restoreGState();
    }
}

void ResizeText::drawTextInContext(pf::GraphicsContext& context)
{
    if (!hasText() || isTextShownByEditor())
        return;
    const pf::Rect r = horizontalTextRectForText(*attributedText());
    if (!QVRectIsValidNotZeroSize(r))
        return;
    rotateInContext(context);
    textStorage().setAttributedString(*attributedText());
    const pf::TextRange glyphs = textLayoutManager().glyphRangeForTextContainer();
    textContainer().setSize(r.size);

    const bool thumbnail = composition() && composition()->isDrawingThumbnail();
    const bool halo = stroke1Enabled() && stroke1Color().has_value();
    const bool stroked = strokeType() != 3 && strokeLineWidth() > 0;
    if (!thumbnail && stroked && halo) {
        gatherBorderPaths(r);
        drawTextStroke(context, static_cast<double>(borderLineWidth_) + strokeLineWidth(), *stroke1Color());
    }
    if (fillType() != 5) {
        context.saveGState();
        textLayoutManager().drawGlyphsForGlyphRange(glyphs, r.origin, context);
        context.restoreGState();
    }
    if (stroked && strokeColor()) {
        gatherBorderPaths(r);
        context.saveGState();
        if (!fillShadowHidden() && fillType() == 5 && halo)
            setFillShadowInContext(context);
        context.setLineWidth(strokeLineWidth() - 0.5);
        context.setLineJoin(pf::LineJoin::Round);
        context.setLineCap(pf::LineCap::Round);
        context.setStrokeColor(*strokeColor());
        for (const pf::Path& glyph : borderPaths_)
            if (!glyph.isEmpty())
                context.strokePath(glyph);
        context.restoreGState();
    }
}
