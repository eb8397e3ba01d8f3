#include "model/Shape.h"
#include "model/StoredForms.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/foundation/Identifier.h"

#include <QLoggingCategory>

#include <atomic>
#include <cmath>
#include <utility>

namespace {

// A property the shape names for other areas but does not hold: reads null, ignores writes.
pf::Property unheldProperty()
{
    return pf::Property{[](const pf::Object&) { return pf::Variant(); }, [](pf::Object&, const pf::Variant&) {}};
}

// The localised format with "%@" replaced by the argument.
QString formatted(const char* format, const QString& argument)
{
    QString text = pf::localized(QString::fromLatin1(format));
    const qsizetype at = text.indexOf(QLatin1String("%@"));
    if (at >= 0)
        text.replace(at, 2, argument);
    return text;
}

template <class T>
bool equalWhenBothPresent(const std::optional<T>& a, const std::optional<T>& b)
{
    return !a || !b || *a == *b;
}

} // namespace

Shape::~Shape() { storedForms::forget(this); }

const ShapeClass& Shape::staticClass()
{
    static const ShapeClass c(QStringLiteral("Shape"), &pf::Object::staticClass(), &Shape::allocate<Shape>);
    return c;
}

const pf::PropertyTable& Shape::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add("identifier", &Shape::identifier);
        t.add("title", &Shape::title, &Shape::setTitle);
        t.add("userSetTitle", &Shape::userSetTitle, &Shape::setUserSetTitle);
        t.add("displayTitle", &Shape::displayTitle);
        t.add("hidden", &Shape::isHidden, &Shape::setHidden);
        t.add("locked", &Shape::isLocked, &Shape::setLocked);
        t.add("selected", &Shape::isSelected, &Shape::setSelected);
        t.add("frame", &Shape::frame, &Shape::setFrame);
        t.add("displayFrameX", &Shape::displayFrameX, &Shape::setDisplayFrameX);
        t.add("displayFrameY", &Shape::displayFrameY, &Shape::setDisplayFrameY);
        t.add("displayFrameWidth", &Shape::displayFrameWidth, &Shape::setDisplayFrameWidth);
        t.add("displayFrameHeight", &Shape::displayFrameHeight, &Shape::setDisplayFrameHeight);
        t.add("rotationAngle", &Shape::rotationAngle, &Shape::setRotationAngle);
        t.add("rotationHandleRadius", &Shape::rotationHandleRadius, &Shape::setRotationHandleRadius);
        t.add("adjustmentRatioX", &Shape::adjustmentRatioX, &Shape::setAdjustmentRatioX);
        t.add("adjustmentRatioY", &Shape::adjustmentRatioY, &Shape::setAdjustmentRatioY);
        t.add("constrainAspectRatio", &Shape::constrainAspectRatio, &Shape::setConstrainAspectRatio);
        t.add("opacity", &Shape::opacity, &Shape::setOpacity);
        t.add("fillType", &Shape::fillType, &Shape::setFillType);
        t.add("fillColor", &Shape::fillColor, &Shape::setFillColor);
        t.add("fillAngle", &Shape::fillAngle, &Shape::setFillAngle);
        // The stops as the inspector edits them: {"color", "ratio"} maps, through the shape's own setter.
        t.add("fillGradientElements",
              pf::Property{[](const pf::Object& o) {
                               return variantFromGradientElements(static_cast<const Shape&>(o).fillGradientElements());
                           },
                           [](pf::Object& o, const pf::Variant& value) {
                               if (value.array())
                                   static_cast<Shape&>(o).setFillGradientElements(gradientElementsFromVariant(value));
                           }});
        // The cached gradient: the inspector writes null before a colour change; any write drops it.
        t.add("gradient", pf::Property{[](const pf::Object&) { return pf::Variant(); },
                                       [](pf::Object& o, const pf::Variant&) { static_cast<Shape&>(o).setGradient(std::nullopt); }});
        t.add("fillShadowHidden", &Shape::fillShadowHidden, &Shape::setFillShadowHidden);
        t.add("fillShadowBlur", &Shape::fillShadowBlur, &Shape::setFillShadowBlur);
        t.add("fillShadowOffsetX", &Shape::fillShadowOffsetX, &Shape::setFillShadowOffsetX);
        t.add("fillShadowOffsetY", &Shape::fillShadowOffsetY, &Shape::setFillShadowOffsetY);
        t.add("fillShadowColor", &Shape::fillShadowColor, &Shape::setFillShadowColor);
        t.add("strokeType", &Shape::strokeType, &Shape::setStrokeType);
        t.add("strokeLineWidth", &Shape::strokeLineWidth, &Shape::setStrokeLineWidth);
        t.add("strokeLineCap", &Shape::strokeLineCap, &Shape::setStrokeLineCap);
        t.add("strokeLineJoin", &Shape::strokeLineJoin, &Shape::setStrokeLineJoin);
        t.add("strokeColor", &Shape::strokeColor, &Shape::setStrokeColor);
        t.add("stroke1Enabled", &Shape::stroke1Enabled, &Shape::setStroke1Enabled);
        t.add("stroke1Color", &Shape::stroke1Color, &Shape::setStroke1Color);
        t.add("stroke2Enabled", &Shape::stroke2Enabled, &Shape::setStroke2Enabled);
        t.add("stroke2Color", &Shape::stroke2Color, &Shape::setStroke2Color);
        t.add("strokeShadowHidden", &Shape::strokeShadowHidden, &Shape::setStrokeShadowHidden);
        t.add("strokeShadowBlur", &Shape::strokeShadowBlur, &Shape::setStrokeShadowBlur);
        t.add("strokeShadowOffsetX", &Shape::strokeShadowOffsetX, &Shape::setStrokeShadowOffsetX);
        t.add("strokeShadowOffsetY", &Shape::strokeShadowOffsetY, &Shape::setStrokeShadowOffsetY);
        t.add("strokeShadowColor", &Shape::strokeShadowColor, &Shape::setStrokeShadowColor);
        t.add("textAlign", &Shape::textAlign, &Shape::setTextAlign);
        t.add("textVerticalAlign", &Shape::textVerticalAlign, &Shape::setTextVerticalAlign);
        t.add("textAppearanceType", &Shape::textAppearanceType, &Shape::setTextAppearanceType);
        t.add("textDrawOnPath", &Shape::textDrawOnPath, &Shape::setTextDrawOnPath);
        t.add("textShadowHidden", &Shape::textShadowHidden, &Shape::setTextShadowHidden);
        t.add("textShadowBlur", &Shape::textShadowBlur, &Shape::setTextShadowBlur);
        t.add("textShadowOffsetX", &Shape::textShadowOffsetX, &Shape::setTextShadowOffsetX);
        t.add("textShadowOffsetY", &Shape::textShadowOffsetY, &Shape::setTextShadowOffsetY);
        t.add("textShadowColor", &Shape::textShadowColor, &Shape::setTextShadowColor);
        t.add("textColor", &Shape::textColor, &Shape::setTextColor);
        t.add("imageIdentifier", &Shape::imageIdentifier, &Shape::setImageIdentifier);
        t.add("imageType", &Shape::imageType, &Shape::setImageType);
        t.add("scaleImage", &Shape::scaleImage, &Shape::setScaleImage);
        t.add("imageAnchorRatio", &Shape::imageAnchorRatio, &Shape::setImageAnchorRatio);
        // The picture shown, named by its identifier (null without one); read only. Observers of the
        // picture hear every change of the identifier.
        t.add("image", pf::Property{[](const pf::Object& o) {
                                        const QString& id = static_cast<const Shape&>(o).imageIdentifier();
                                        return id.isNull() ? pf::Variant() : pf::Variant(id);
                                    },
                                    {}});
        t.addDependency("image", {QStringLiteral("imageIdentifier")});
        t.addObjectList("contentFilterSpecs", &Shape::contentFilterSpecs, &Shape::setContentFilterSpecs);
        // Named by the inspector and the selection for kinds that hold them.
        t.add("userProperties", unheldProperty());
        t.add("imageAnchorCorner", unheldProperty());
        return t;
    }();
    return table;
}

thread_local bool Shape::identifierFollows_ = false;

void Shape::initWithFrame(const pf::Rect& frame)
{
    const ShapeClass& k = shapeClass();
    identifier_ = std::exchange(identifierFollows_, false) ? QString() : pf::newIdentifier();
    title_ = k.shortTitle();
    dirtyRectDirty_ = true;
    frame_ = frame;
    displayFrameX_ = frame.x();
    displayFrameY_ = frame.y();
    displayFrameWidth_ = frame.width();
    displayFrameHeight_ = frame.height();
    regeneratePathWithOldFrame(pf::Rect::zero());
    setOpacity(1.0);
    setRotationHandleRadius(100.0);

    // The kind's sticky style, in the order of the setters below.
    static constexpr const char* styleKeys[] = {
        "fillType", "fillColor", "fillAngle", "fillShadowHidden", "fillShadowBlur", "fillShadowOffsetX",
        "fillShadowOffsetY", "fillShadowColor", "strokeType", "strokeLineWidth", "strokeLineCap", "strokeLineJoin",
        "strokeColor", "stroke1Enabled", "stroke1Color", "stroke2Enabled", "stroke2Color", "strokeShadowHidden",
        "strokeShadowBlur", "strokeShadowOffsetX", "strokeShadowOffsetY", "strokeShadowColor", "textAlign",
        "textVerticalAlign", "textAppearanceType", "textShadowHidden", "textShadowBlur", "textShadowColor",
        "scaleImage"};
    const std::span<const ShapeClass::StickyReading> style = k.stickyReadings(styleKeys);
    std::size_t next = 0;
    const auto read = [&style, &next]() -> const ShapeClass::StickyReading& { return style[next++]; };
    setFillType(static_cast<std::uint64_t>(read().integer));
    setFillColor(read().color);
    setFillAngle(read().integer);
    setFillShadowHidden(read().flag);
    setFillShadowBlur(read().number);
    setFillShadowOffsetX(read().number);
    setFillShadowOffsetY(read().number);
    setFillShadowColor(read().color);
    setStrokeType(static_cast<std::uint64_t>(read().integer));
    setStrokeLineWidth(read().number);
    setStrokeLineCap(static_cast<std::int32_t>(read().integer));
    setStrokeLineJoin(static_cast<std::int32_t>(read().integer));
    setStrokeColor(read().color);
    setStroke1Enabled(read().flag);
    setStroke1Color(read().color);
    setStroke2Enabled(read().flag);
    setStroke2Color(read().color);
    setStrokeShadowHidden(read().flag);
    setStrokeShadowBlur(read().number);
    setStrokeShadowOffsetX(read().number);
    setStrokeShadowOffsetY(read().number);
    setStrokeShadowColor(read().color);
    setTextAlign(static_cast<std::uint64_t>(read().integer));
    setTextVerticalAlign(static_cast<std::uint64_t>(read().integer));
    setTextAppearanceType(static_cast<std::uint64_t>(read().integer));
    setTextShadowHidden(read().flag);
    setTextShadowBlur(read().number);
    setTextShadowColor(read().color);
    const bool scaleImage = read().flag;
    Q_ASSERT(next == std::size(styleKeys));

    setImageAnchorRatio(pf::Point(0.5, 0.5));
    setScaleImage(scaleImage);
    contentFilterSpecs_.clear();
    setUpTextLayoutManager();
}

// ---- identity ----

QString Shape::displayTitle() const
{
    if (userSetTitle_ || !hasText())
        return title_;
    QString text = attributedText_->string();
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("%1 (%2)").arg(shapeClass().shortTitle(), text);
}

bool Shape::disableUndo()
{
    pf::UndoManager* undo = undoManager();
    if (!undo || !undo->isUndoRegistrationEnabled())
        return false;
    undo->disableUndoRegistration();
    return true;
}

void Shape::reenableUndoIf(bool disabled)
{
    pf::UndoManager* undo = undoManager();
    if (disabled && undo && !undo->isUndoRegistrationEnabled())
        undo->enableUndoRegistration();
}

void Shape::setSelected(bool selected)
{
    selected_ = selected;
    dirtyRectDirty_ = true;
    setNeedsDisplay();
}

bool Shape::isSnapable() const
{
    if (selected_ || hidden_)
        return false;
    return !(strokeType_ == 3 && fillType_ == 5 && imageIdentifier_.isNull() && !hasText());
}

bool Shape::isGrouped() const
{
    for (const Shape* p = parent_; p; p = p->parent_)
        if (p->isGroup())
            return true;
    return false;
}

bool Shape::isStrokeEven() const
{
    const double w = std::round(std::fabs(strokeLineWidth_));
    return std::fmod(w, 2.0) == 0.0;
}

// ---- fill and stroke ----

const GradientElements& Shape::fillGradientElements() const
{
    if (fillGradientElements_.empty() && (fillType_ == 1 || fillType_ == 2)) {
        const pf::OptionalColor c = backupFillColor_ ? backupFillColor_ : fillColor_;
        fillGradientElements_ = {{c, 0.0}, {c, 1.0}};
    }
    return fillGradientElements_;
}

const pf::Gradient& Shape::gradient() const
{
    if (!gradient_) {
        std::vector<pf::GradientStop> stops;
        if (fillType_ == 0 || fillType_ == 5 || fillType_ == 6) {
            const pf::Color c = (backupFillColor_ ? backupFillColor_ : fillColor_).value_or(pf::Color::clear());
            stops = {{c, 0.0}, {c, 1.0}};
        } else if (fillType_ == 1 || fillType_ == 2) {
            for (const QVGradientElement& e : fillGradientElements())
                stops.push_back({e.color().value_or(pf::Color::clear()), e.ratio()});
        }
        gradient_ = pf::Gradient(std::move(stops));
    }
    return *gradient_;
}

const std::optional<LineDash>& Shape::strokeLineDash() const
{
    if (!strokeLineDash_) {
        if (strokeType_ == 2)
            strokeLineDash_ = LineDash::dottedLineDashWithStrokeLineWidth(strokeLineWidth_);
        else if (strokeType_ == 1)
            strokeLineDash_ = LineDash::dashedLineDashWithStrokeLineWidth(strokeLineWidth_);
    }
    return strokeLineDash_;
}

// ---- image ----

const pf::Image& Shape::image() const
{
    if (image_.isNull() && !imageIdentifier_.isNull() && composition_)
        image_ = composition_->imageForIdentifier(imageIdentifier_);
    return image_;
}

// ---- redisplay ----

std::uint64_t Shape::newDisplayStamp()
{
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

void Shape::renewDisplayStamps(bool moved)
{
    // What is drawn differently is stored differently: the kept stored forms go too.
    storedForms::drop(this);
    for (Shape* s = this; s; s = s->parent_) {
        s->displayStamp_ = newDisplayStamp();
        if (!moved || s != this)
            s->lookStamp_ = s->displayStamp_;
        if (composition_)
            composition_->noteDisplayChange(s);
    }
}

void Shape::setNeedsDisplay() { setNeedsDisplayMoved(false); }

void Shape::setNeedsDisplayMoved(bool moved)
{
    // What was painted, as last worked out (by the last paint or request), and what is painted now: a
    // change that asks only afterwards still clears its old marks.
    const pf::Rect before = paintedRect_;
    renewDisplayStamps(moved);
    if (composition_)
        composition_->setNeedsDisplayInRectUpdatePalettes(QVCombineRects(before, paintedRect()), false);
}

void Shape::setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool updatePalettes)
{
    renewDisplayStamps();
    if (composition_)
        composition_->setNeedsDisplayInRectUpdatePalettes(rect, updatePalettes);
}

// ---- copy and equality ----

std::shared_ptr<Shape> Shape::copy() const
{
    StickyDefaults::WithoutSetting noSticky;
    auto copy = shapeClass().allocate();
    copy->copyFrom(*this);
    return copy;
}

void Shape::copyFrom(const Shape& s)
{
    identifier_ = pf::newIdentifier();
    if (s.userSetTitle_) {
        if (s.title_.isNull() || (s.composition_ && s.composition_->isDuplicating()))
            title_ = s.title_;
        else
            title_ = formatted("%@ copy", s.title_);
    } else {
        title_ = shapeClass().shortTitle();
    }
    userSetTitle_ = s.userSetTitle_;
    hidden_ = s.hidden_;
    locked_ = s.locked_;
    opacity_ = s.opacity_;
    constrainAspectRatio_ = s.constrainAspectRatio_;
    rotationAngle_ = s.rotationAngle_;
    rotationHandleRadius_ = s.rotationHandleRadius_;
    adjustmentRatioX_ = s.adjustmentRatioX_;
    adjustmentRatioY_ = s.adjustmentRatioY_;
    setCopyFrame(s.frame_);

    fillType_ = s.fillType_;
    fillColor_ = s.fillColor_;
    fillGradientElements_ = s.fillGradientElements_;
    fillAngle_ = s.fillAngle_;
    fillShadowHidden_ = s.fillShadowHidden_;
    fillShadowBlur_ = s.fillShadowBlur_;
    fillShadowOffsetX_ = s.fillShadowOffsetX_;
    fillShadowOffsetY_ = s.fillShadowOffsetY_;
    fillShadowColor_ = s.fillShadowColor_;
    strokeType_ = s.strokeType_;
    strokeLineWidth_ = s.strokeLineWidth_;
    strokeLineCap_ = s.strokeLineCap_;
    strokeLineJoin_ = s.strokeLineJoin_;
    strokeColor_ = s.strokeColor_;
    stroke1Enabled_ = s.stroke1Enabled_;
    stroke1Color_ = s.stroke1Color_;
    stroke2Enabled_ = s.stroke2Enabled_;
    stroke2Color_ = s.stroke2Color_;
    strokeShadowHidden_ = s.strokeShadowHidden_;
    strokeShadowBlur_ = s.strokeShadowBlur_;
    strokeShadowOffsetX_ = s.strokeShadowOffsetX_;
    strokeShadowOffsetY_ = s.strokeShadowOffsetY_;
    strokeShadowColor_ = s.strokeShadowColor_;
    textAttributes_ = s.textAttributes_;
    attributedText_ = s.attributedText_;
    textAlign_ = s.textAlign_;
    textVerticalAlign_ = s.textVerticalAlign_;
    textAppearanceType_ = s.textAppearanceType_;
    textDrawOnPath_ = s.textDrawOnPath_;
    textShadowHidden_ = s.textShadowHidden_;
    textShadowBlur_ = s.textShadowBlur_;
    textShadowOffsetX_ = s.textShadowOffsetX_;
    textShadowOffsetY_ = s.textShadowOffsetY_;
    textShadowColor_ = s.textShadowColor_;

    // The copy counts a reference to the image when a page registers it, not before.
    if (!s.imageIdentifier_.isNull()) {
        imageIdentifier_ = s.imageIdentifier_;
        image_ = s.image_;
    }
    imageType_ = s.imageType_;
    scaleImage_ = s.scaleImage_;
    imageAnchorRatio_ = s.imageAnchorRatio_;
    // The inspector edits a filter in place, so each copy gets its own.
    contentFilterSpecs_.clear();
    for (const auto& spec : s.contentFilterSpecs_)
        if (spec)
            contentFilterSpecs_.push_back(spec->copy());

    setUpTextLayoutManager();
    clearTextAttributes();
}

bool Shape::isEqual(const Shape& other) const
{
    if (this == &other)
        return true;
    return &classObject() == &other.classObject() && isEqualToShape(other);
}

bool Shape::isEqualToShape(const Shape& o) const
{
    const auto titlesEqual = title_.isNull() || o.title_.isNull() || title_ == o.title_;
    const auto textsEqual = !attributedText_ || !o.attributedText_ || *attributedText_ == *o.attributedText_;
    const auto imagesEqual = imageIdentifier_.isNull() || o.imageIdentifier_.isNull() || imageIdentifier_ == o.imageIdentifier_;
    return titlesEqual && userSetTitle_ == o.userSetTitle_ && hidden_ == o.hidden_ && locked_ == o.locked_
        && opacity_ == o.opacity_ && adjustmentRatioX_ == o.adjustmentRatioX_ && adjustmentRatioY_ == o.adjustmentRatioY_
        && rotationAngle_ == o.rotationAngle_ && frame_ == o.frame_
        // fill
        && fillType_ == o.fillType_ && fillAngle_ == o.fillAngle_ && equalWhenBothPresent(fillColor_, o.fillColor_)
        && fillGradientElements() == o.fillGradientElements() && fillShadowHidden_ == o.fillShadowHidden_
        && fillShadowBlur_ == o.fillShadowBlur_ && fillShadowOffsetX_ == o.fillShadowOffsetX_
        && fillShadowOffsetY_ == o.fillShadowOffsetY_ && equalWhenBothPresent(fillShadowColor_, o.fillShadowColor_)
        // stroke
        && strokeType_ == o.strokeType_ && strokeLineWidth_ == o.strokeLineWidth_ && strokeLineCap_ == o.strokeLineCap_
        && strokeLineJoin_ == o.strokeLineJoin_ && equalWhenBothPresent(strokeColor_, o.strokeColor_)
        && stroke1Enabled_ == o.stroke1Enabled_ && equalWhenBothPresent(stroke1Color_, o.stroke1Color_)
        && stroke2Enabled_ == o.stroke2Enabled_ && equalWhenBothPresent(stroke2Color_, o.stroke2Color_)
        && strokeShadowHidden_ == o.strokeShadowHidden_ && strokeShadowBlur_ == o.strokeShadowBlur_
        && strokeShadowOffsetX_ == o.strokeShadowOffsetX_ && strokeShadowOffsetY_ == o.strokeShadowOffsetY_
        && equalWhenBothPresent(strokeShadowColor_, o.strokeShadowColor_)
        // text and image
        && textAlign_ == o.textAlign_ && textVerticalAlign_ == o.textVerticalAlign_
        && textAppearanceType_ == o.textAppearanceType_ && textDrawOnPath_ == o.textDrawOnPath_
        && textShadowHidden_ == o.textShadowHidden_ && textShadowBlur_ == o.textShadowBlur_
        && textShadowOffsetX_ == o.textShadowOffsetX_ && textShadowOffsetY_ == o.textShadowOffsetY_
        && equalWhenBothPresent(textShadowColor_, o.textShadowColor_) && textsEqual && imagesEqual
        && imageType_ == o.imageType_ && scaleImage_ == o.scaleImage_ && imageAnchorRatio_ == o.imageAnchorRatio_;
}

QString Shape::description() const
{
    return QStringLiteral("<%1 0x%2 %3, '%4'>")
        .arg(classObject().className(), QString::number(reinterpret_cast<quintptr>(this), 16), pf::toString(frame_),
             hasText() ? attributedText_->string() : QString());
}

std::shared_ptr<Shape> Shape::makeManipulator() const
{
    const QString name = shapeClass().manipulatorClassName();
    const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
    if (!k)
        return nullptr;
    return k->newShape(frame_);
}
