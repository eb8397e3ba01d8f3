#include "shapes/TitleBox.h"

#include "geometry/BezierPathAdditions.h"
#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/Rtf.h"

#include <algorithm>
#include <cmath>

namespace {

const pf::AttributedString& noText()
{
    static const pf::AttributedString empty;
    return empty;
}

bool isEmpty(const pf::AttributedString* text) { return !text || text->isEmpty(); }

double maxY(const pf::Rect& r) { return r.origin.y + r.size.height; }

// The glyphs of a text laid out in rect, in the shape's own text machinery.
void drawTextInRect(const Shape& shape, const pf::AttributedString& text, const pf::Rect& rect, pf::GraphicsContext& context)
{
    shape.textStorage().setAttributedString(text);
    shape.textContainer().setSize(rect.size);
    const pf::LayoutManager& layout = shape.textLayoutManager();
    layout.drawGlyphsForGlyphRange(layout.glyphRangeForTextContainer(), rect.origin, context);
}

} // namespace

// ---- class ----

QString TitleBoxClass::title() const { return pf::localized(QStringLiteral("Title Box")); }
QString TitleBoxClass::shortTitle() const { return pf::localized(QStringLiteral("Title Box")); }
QString TitleBoxClass::longDescription() const { return pf::localized(QStringLiteral("A Title Box.")); }
QString TitleBoxClass::extraSearchString() const { return QStringLiteral("box title round rectangle header"); }
QString TitleBoxClass::negativeSearchString() const { return QStringLiteral(""); }

const QStringList& TitleBoxClass::facetClassNames() const
{
    static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                   QStringLiteral("ClassifierGeometryFacet"), QStringLiteral("FillFacet"),
                                   QStringLiteral("StrokeFacet"), QStringLiteral("ClassifierTextFacet")};
    return names;
}

pf::TextAttributes TitleBoxClass::makeDefaultTextAttributes() const
{
    pf::TextAttributes a = RectangleClass::makeDefaultTextAttributes();
    a.font = currentFont().withTrait(pf::FontTrait::Bold);
    return a;
}

pf::Value TitleBoxClass::plist() const
{
    pf::Value entry = RectangleClass::plist();
    entry.set(QStringLiteral("strokeLineWidth"), stickyDoubleForKey(QStringLiteral("strokeLineWidth")));
    entry.set(QStringLiteral("adjustmentRatioX"), stickyDoubleForKey(QStringLiteral("adjustmentRatioX")));
    return entry;
}

pf::Image TitleBoxClass::iconImage() const
{
    static const pf::Image icon = pf::Image::withDrawingHandler(pf::Size(32, 32), [](pf::GraphicsContext& c, const pf::Rect&) {
        const pf::Color outline(0.2, 0.2, 0.2, 1.0);
        pf::Path box;
        box.moveTo({2.5, 7.0});
        box.curveTo({2.5, 3.0}, {2.5, 3.0}, {6.5, 3.0});
        box.lineTo({25.4, 3.0});
        box.curveTo({29.5, 3.0}, {29.5, 3.0}, {29.5, 7.0});
        box.lineTo({29.5, 25.4});
        box.curveTo({29.5, 29.5}, {29.5, 29.5}, {25.4, 29.5});
        box.lineTo({6.5, 29.5});
        box.curveTo({2.5, 29.5}, {2.5, 29.5}, {2.5, 25.4});
        box.close();
        c.setFillColor(pf::Color::white());
        c.fillPath(box);
        c.setStrokeColor(outline);
        c.setLineWidth(1.0);
        c.strokePath(box);

        pf::Path band;
        band.moveTo({2.5, 6.6});
        band.curveTo({2.5, 2.5}, {2.5, 2.5}, {6.6, 2.5});
        band.lineTo({25.4, 2.5});
        band.curveTo({29.5, 2.5}, {29.5, 2.5}, {29.5, 6.6});
        band.lineTo({29.5, 12.5});
        band.lineTo({2.5, 12.5});
        band.close();
        c.saveGState();
        c.clip(band);
        const pf::Gradient gradient({{pf::Color(0.3, 0.7, 1.0, 1.0), 0.0}, {pf::Color(0.3, 0.5, 0.8, 1.0), 1.0}});
        c.drawLinearGradientInPath(gradient, band, 96);
        c.restoreGState();
        c.strokePath(band);
        return true;
    });
    return icon;
}

std::shared_ptr<Shape> TitleBoxClass::libraryListItemShapeWithFrame(const pf::Rect& frame) const
{
    auto shape = std::static_pointer_cast<TitleBox>(newShape(frame));
    const double w = libraryListItemShapeStrokeLineWidth();
    shape->setStrokeType(0);
    shape->setStrokeColor(QVHexColor(0x4086D5));
    shape->setFillShadowHidden(true); // the flat look of current systems
    shape->setBoxPaddingSize(pf::Size(-0.5, 1.0));
    shape->setMinBodyBoxHeight(5.0);
    shape->setTextShadowHidden(true);
    shape->setStrokeLineWidth(w);
    pf::Rect f = QVRectOutset(frame, 2, 1);
    f.size.width -= w;
    f.size.height -= w;
    shape->setFrame(f);
    return shape;
}

// ---- instance ----

const TitleBoxClass& TitleBox::staticClass()
{
    static const TitleBoxClass c(QStringLiteral("TitleBox"), &Rectangle::staticClass(), &Shape::allocate<TitleBox>);
    return c;
}

const pf::PropertyTable& TitleBox::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("editType", &TitleBox::editType, &TitleBox::setEditType);
        return t;
    }();
    return table;
}

void TitleBox::initWithFrame(const pf::Rect& frame)
{
    // Read from the sticky defaults (not a user's choice to write back) and set directly before the
    // inherited initialiser, so the frame is not laid out again before a stored turned box gets its angle.
    initAdjustmentRatioX(shapeClass().stickyDoubleForKey(QStringLiteral("adjustmentRatioX")));
    Rectangle::initWithFrame(frame);
    pf::TextAttributes title = textAttributes();
    title.font = title.fontOrDefault().withTrait(pf::FontTrait::Bold);
    setAttributedText(pf::AttributedString(QStringLiteral("Title"), title));
    const pf::AttributedString body(QStringLiteral("Body"), bodyTextAttributes());
    setAttributedText1(&body);
}

// ---- texts ----

void TitleBox::setAttributedText(const pf::AttributedString* text)
{
    Rectangle::setAttributedText(text);
    invalidateCachedSizes();
}

void TitleBox::setAttributedText1(const pf::AttributedString* text)
{
    std::optional<pf::MutableAttributedString> value;
    if (text && !text->isEmpty())
        value.emplace(*text);
    if (value == body_)
        return;
    pf::ChangeNotice notice(*this, QStringLiteral("attributedText1"));
    pf::registerUndo(undoManager(), this,
                     [old = body_](TitleBox& box) { box.setAttributedText1(old ? &*old : nullptr); },
                     pf::localized("Edit Attributes"));
    body_ = std::move(value);
    invalidateCachedSizes();
    setNeedsDisplay();
}

void TitleBox::setBoxPaddingSize(const pf::Size& size)
{
    boxPaddingSize_ = size;
    invalidateCachedSizes();
    setNeedsDisplay();
}

void TitleBox::setMinBodyBoxHeight(double height)
{
    minBodyBoxHeight_ = height;
    setNeedsDisplay();
}

// ---- attributes ----

pf::TextAttributes TitleBox::textAttributes() const
{
    switch (editType_) {
    case 0:
    case 1:
        return Rectangle::textAttributes();
    case 2:
        return bodyTextAttributes();
    default:
        return {};
    }
}

pf::TextAttributes TitleBox::bodyTextAttributes() const
{
    return textAttributesForText(body_ ? static_cast<const pf::AttributedString&>(*body_) : noText());
}

pf::TextAttributes TitleBox::textAttributesForText(const pf::AttributedString& text) const
{
    pf::TextAttributes a = Rectangle::textAttributes();
    if (text.isEmpty()) {
        a.font = shapeClass().currentFont();
        a.foregroundColor = pf::Color::black();
    } else {
        // A body keeps its own fonts and colours, also when the title (whose attributes these are) is empty.
        a.font.reset();
        a.foregroundColor.reset();
    }
    pf::ParagraphStyle p = a.paragraphStyleOrDefault();
    p.alignment = textAlign() == 3 ? pf::TextAlignment::Left
                                   : pf::ParagraphStyle::alignmentFromInt(static_cast<long long>(textAlign()));
    p.lineBreakMode = textAppearanceType() == 1 ? pf::LineBreakMode::Clipping : pf::LineBreakMode::WordWrapping;
    a.paragraphStyle = p;
    return a;
}

pf::ParagraphStyle TitleBox::currentParagraphStyle() const
{
    pf::ParagraphStyle p = pf::ParagraphStyle::defaultStyle();
    p.alignment = pf::TextAlignment::Center;
    return p;
}

void TitleBox::clearTextAttributes()
{
    {
        // The inherited restyling is the title's, whichever compartment is being edited.
        const std::uint64_t type = editType_;
        editType_ = 0;
        Rectangle::clearTextAttributes();
        editType_ = type;
    }
    invalidateCachedSizes();
    if (!body_)
        return;
    pf::MutableAttributedString body = *body_;
    const pf::TextRange all{0, body.length()};
    body.addAttributes(textAttributesForText(body), all);
    if (textShadowHidden())
        body.removeAttribute(pf::AttributeKey::Shadow, all);
    setAttributedText1(&body);
}

// ---- editing ----

void TitleBox::setEditingText(bool editing)
{
    // The manipulator's double click has chosen the compartment already.
    const bool chosen = editing && (editType_ == 1 || editType_ == 2);
    Rectangle::setEditingText(editing);
    if (!chosen)
        editType_ = editing ? 1 : 0;
    invalidateCachedSizes();
    setNeedsDisplay();
}

const pf::AttributedString* TitleBox::editText() const
{
    switch (editType_) {
    case 1:
        return attributedText();
    case 2:
        return attributedText1();
    default:
        return nullptr;
    }
}

void TitleBox::setEditText(const pf::AttributedString* text)
{
    if (editType_ == 1)
        setAttributedText(text);
    else if (editType_ == 2)
        setAttributedText1(text);
}

pf::TextAlignment TitleBox::editTextAlign() const
{
    if (editType_ != 2)
        return pf::TextAlignment::Center;
    return textAlign() == 3 ? pf::TextAlignment::Left : pf::ParagraphStyle::alignmentFromInt(static_cast<long long>(textAlign()));
}

pf::Rect TitleBox::fieldEditorRectForText(const pf::AttributedString& text) const
{
    (void)text;
    return fieldEditorRect();
}

pf::Rect TitleBox::fieldEditorRect() const
{
    const pf::Rect f = QVRectGetNormalizedRect(frame());
    if (editType_ == 2)
        return bodyTextRectForFrame(f);
    if (editType_ == 1)
        return titleTextRectForFrame(f);
    return pf::Rect::zero();
}

void TitleBox::changeCompartments(const pf::TextAttributes& change, const std::function<void()>& changeTitle)
{
    if (editType_ != 2)
        changeTitle();
    if (editType_ != 1 && body_) {
        const pf::MutableAttributedString body = textWithAttributes(*body_, change);
        setAttributedText1(&body);
    }
}

void TitleBox::setTextFont(const std::optional<pf::Font>& font)
{
    if (!font || editType_ > 2)
        return;
    pf::TextAttributes change;
    change.font = font;
    changeCompartments(change, [&] { Rectangle::setTextFont(font); });
    invalidateCachedSizes();
    setNeedsDisplay();
}

void TitleBox::setTextColor(const pf::OptionalColor& color)
{
    if (!color || editType_ > 2)
        return;
    pf::TextAttributes change;
    change.foregroundColor = color;
    changeCompartments(change, [&] { Rectangle::setTextColor(color); });
}

// ---- measurement ----

double TitleBox::maxTextWidth() const
{
    return std::fabs(frame().size.width) - 2 * boxPaddingSize_.width - strokeLineWidth();
}

pf::Size TitleBox::sizeOfText(const pf::AttributedString& text) const
{
    if (text.isEmpty())
        return pf::Size();
    double width = std::fabs(maxTextWidth());
    if (textAppearanceType() == 1)
        width = pf::unboundedTextExtent; // one line, clipped to its compartment
    else if (textAppearanceType() == 2)
        width = 0;
    return stringSizeForTextRect(text, pf::Rect(0, 0, width, 0));
}

void TitleBox::calculateTextSizes() const
{
    if (!cachedSizesInvalidated_)
        return;
    cachedSizesInvalidated_ = false;
    cachedTitleTextSize_ = sizeOfText(hasText() ? *attributedText() : noText());
    cachedBodyTextSize_ = sizeOfText(body_ ? static_cast<const pf::AttributedString&>(*body_) : noText());
    cachedEmptyTextSize_ = sizeOfText(pf::AttributedString(QStringLiteral("Wy"), textAttributes()));
}

pf::Size TitleBox::titleTextSize() const
{
    calculateTextSizes();
    return isEmpty(attributedText()) ? cachedEmptyTextSize_ : cachedTitleTextSize_;
}

pf::Size TitleBox::bodyTextSize() const
{
    calculateTextSizes();
    return isEmpty(attributedText1()) ? cachedEmptyTextSize_ : cachedBodyTextSize_;
}

// ---- layout ----

pf::Rect TitleBox::titleBoxRectForFrame(const pf::Rect& f) const
{
    return pf::Rect(f.origin.x, f.origin.y, f.size.width, titleTextSize().height + 2 * boxPaddingSize_.height);
}

pf::Rect TitleBox::titleTextRectForFrame(const pf::Rect& f) const
{
    const pf::Size s = titleTextSize();
    const pf::Rect box = titleBoxRectForFrame(f);
    return QVRectRound(pf::Rect(f.origin.x + f.size.width / 2 - s.width / 2,
                                box.origin.y + box.size.height / 2 - s.height / 2, s.width, s.height));
}

double TitleBox::remainderBoxHeight(const pf::Rect& f) const
{
    return std::fabs(maxY(f) - maxY(titleBoxRectForFrame(f)));
}

pf::Rect TitleBox::bodyBoxRectForFrame(const pf::Rect& f) const
{
    const double h = isEmpty(attributedText1()) && editType_ != 2 ? minBodyBoxHeight_ : remainderBoxHeight(f);
    return pf::Rect(f.origin.x, maxY(titleBoxRectForFrame(f)), f.size.width, h);
}

pf::Rect TitleBox::bodyTextRectForFrame(const pf::Rect& f) const
{
    const double half = strokeLineWidth() / 2;
    const pf::Rect box = bodyBoxRectForFrame(f);
    const pf::Rect b(box.origin.x + half, box.origin.y + half, box.size.width - 2 * half, box.size.height - 2 * half);
    const pf::Size s = bodyTextSize();
    const pf::Size pad = boxPaddingSize_;
    double x = 0;
    switch (textAlign()) {
    case 0:
        x = b.origin.x + pad.width;
        break;
    case 1:
        x = b.origin.x + b.size.width - pad.width - s.width;
        break;
    case 2:
        x = b.origin.x + b.size.width / 2 - s.width / 2;
        break;
    case 3:
        // Justified text is laid out left-aligned, its left edge that of a centred block as wide as the
        // wider of title and body.
        x = b.origin.x + b.size.width / 2 - std::max(titleTextSize().width, s.width) / 2;
        break;
    default:
        break;
    }
    double y = 0;
    switch (textVerticalAlign()) {
    case 0:
        y = b.origin.y + b.size.height / 2 - s.height / 2;
        break;
    case 1:
        y = b.origin.y + pad.height;
        break;
    case 2:
        y = b.origin.y + b.size.height - pad.height - s.height;
        break;
    default:
        break;
    }
    y = std::max(y, b.origin.y + pad.height);
    return QVRectRound(pf::Rect(x, y, s.width, s.height));
}

pf::Size TitleBox::idealSize() const
{
    const pf::Size title = titleTextSize();
    const pf::Size body = bodyTextSize();
    const pf::Size pad = boxPaddingSize_;
    const double bodyHeight = isEmpty(attributedText1()) ? minBodyBoxHeight_ : body.height + 2 * pad.height;
    return pf::Size(std::max(title.width, body.width) + 2 * pad.width, title.height + 2 * pad.height + bodyHeight);
}

void TitleBox::sizeToFitText(bool option)
{
    const double extra = option ? 0.0 : 8.0;
    const double s = (strokeLineWidth() - 1) / 2;
    const pf::Size ideal = idealSize();
    const pf::Point c = center();
    const pf::Rect r(c.x - ideal.width / 2, c.y - ideal.height / 2, ideal.width, ideal.height);
    setFrame(QVRectRound(QVRectOutset(r, extra + s, s)));
}

// ---- geometry ----

void TitleBox::appendPath(pf::Path& path) const
{
    const double x = adjustmentRatioX();
    const double w = frame().size.width;
    if (x <= 0) {
        path.appendRect(frame());
        return;
    }
    const pf::Rect f = QVRectGetNormalizedRect(frame());
    // Up to one half all four corners round; beyond it only the top two, as a tab.
    const double radius = x <= 0.5 ? std::fabs(w * x) : std::fabs(w * (1 - x));
    const unsigned corners = x <= 0.5 ? geom::RoundedCornerAll : geom::RoundedCornerTopLeft | geom::RoundedCornerTopRight;
    path.append(geom::bezierPathWithRoundRectXRadiusYRadiusCorners(f, radius, radius, corners));
}

pf::Point TitleBox::adjustPoint() const
{
    const pf::Rect r = QVRectRound(QVRectGetNormalizedRect(frame()));
    return pf::Point(std::round(r.origin.x + r.size.width - adjustmentRatioX() * r.size.width), r.origin.y);
}

pf::Rect TitleBox::boundingRect() const
{
    return boundingRectForFrame(frame());
}

void TitleBox::setFrame(const pf::Rect& frame)
{
    Rectangle::setFrame(frame);
    invalidateCachedSizes();
}

void TitleBox::setStrokeLineWidth(double width)
{
    Rectangle::setStrokeLineWidth(width);
    invalidateCachedSizes();
}

// ---- drawing ----

void TitleBox::drawTextInContext(pf::GraphicsContext& context)
{
    const bool editing = isTextShownByEditor();
    const pf::Rect f = QVRectGetNormalizedRect(frame());
    if (!QVRectIsValidNotZeroSize(f))
        return;
    context.saveGState();
    context.clip(textClipPath());
    rotateInContext(context);
    if (hasText() && !(editing && editType_ == 1)) {
        context.saveGState();
        context.clipToRect(titleBoxRectForFrame(f));
        drawTextInRect(*this, *attributedText(), titleTextRectForFrame(f), context);
        context.restoreGState();
    }
    if (body_ && !(editing && editType_ == 2)) {
        context.saveGState();
        context.clipToRect(bodyBoxRectForFrame(f));
        drawTextInRect(*this, *body_, bodyTextRectForFrame(f), context);
        context.restoreGState();
    }
    context.restoreGState();
}

void TitleBox::drawStrokeInContext(pf::GraphicsContext& context)
{
    const pf::Rect f = QVRectGetNormalizedRect(frame());
    if (isHidden() || !QVRectIsValidNotZeroSize(f) || !strokeColor())
        return;
    const pf::Color color = *strokeColor();
    context.saveGState();
    drawStrokeInContextColorPathLineWidth(context, color, path(), strokeLineWidth());
    context.clip(path());
    context.saveGState();
    context.setFillColor(color);
    context.fillRect(titleBoxRectForFrame(f));
    context.restoreGState();
    const pf::Rect body = bodyBoxRectForFrame(f);
    if (QVRectIsValidNotZeroSize(body)) {
        pf::Path line;
        line.moveTo(QVPointRound(QVRectGetTopLefPoint(body)));
        line.lineTo(QVPointRound(QVRectGetTopRitPoint(body)));
        drawStrokeInContextColorPathLineWidth(context, color, line, strokeLineWidth());
    }
    context.restoreGState();
}

// ---- copy, equality, stored form ----

void TitleBox::copyFrom(const Shape& source)
{
    Rectangle::copyFrom(source);
    const auto& s = static_cast<const TitleBox&>(source);
    body_ = s.body_;
    boxPaddingSize_ = s.boxPaddingSize_;
    minBodyBoxHeight_ = s.minBodyBoxHeight_;
    invalidateCachedSizes();
}

bool TitleBox::isEqualToShape(const Shape& other) const
{
    const auto* o = dynamic_cast<const TitleBox*>(&other);
    return o && Rectangle::isEqualToShape(other) && body_ == o->body_;
}

pf::Value TitleBox::asPlist() const
{
    pf::Value plist = Rectangle::asPlist();
    if (body_) {
        const QByteArray rtf = pf::rtfFromAttributedString(*body_);
        if (!rtf.isEmpty())
            plist.set(QStringLiteral("attributedText1Data"), rtf);
    }
    return plist;
}

void TitleBox::readPlist(const pf::Value& plist)
{
    Rectangle::readPlist(plist);
    const std::optional<pf::MutableAttributedString> body = storedText(plist, "attributedText1Data");
    setAttributedText1(body ? &*body : nullptr);
}
