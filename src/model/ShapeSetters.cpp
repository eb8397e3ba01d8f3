// The setters of Shape: one PropertyChange each (key, undo action name, effects) through setProperty.
#include "model/Shape.h"
#include "model/StoredForms.h"

namespace {
namespace change {

using enum Shape::ChangeEffect;
using PropertyChange = Shape::PropertyChange;

constexpr unsigned Style = Sticky | Dirty | ContentImage | Redisplay;
constexpr unsigned TextStyle = Sticky | Redisplay;

const PropertyChange title{"title", "Edit Title"};
const PropertyChange hidden{"hidden", "Hide Object", "Show Object", Dirty | RedisplayPalettes};
const PropertyChange locked{"locked", "Lock Object", nullptr, Dirty | RedisplayPalettes};
const PropertyChange opacity{"opacity", "Opacity", nullptr, Dirty | Redisplay};
const PropertyChange constrainAspectRatio{"constrainAspectRatio", "Constrain Aspect Ration"};
const PropertyChange rotationAngle{"rotationAngle", "Rotation", nullptr, RedisplayBefore | Dirty | Redisplay};
const PropertyChange adjustmentRatioX{"adjustmentRatioX", "Adjustment", nullptr,
                                      Sticky | RedisplayBefore | Dirty | Redisplay};
const PropertyChange adjustmentRatioY{"adjustmentRatioY", "Adjustment", nullptr,
                                      Sticky | RedisplayBefore | Dirty | Redisplay};

const PropertyChange fillType{"fillType", "Fill Type", nullptr, Style | DropGradient};
const PropertyChange fillAngle{"fillAngle", "Fill Angle", nullptr, Style};
const PropertyChange fillColor{"fillColor", "Fill Color", nullptr, Style | DropGradient};
const PropertyChange fillGradientElements{"fillGradientElements", "Fill Gradient Colors", nullptr,
                                          (Style & ~Sticky) | DropGradient};
const PropertyChange fillShadowHidden{"fillShadowHidden", "Hide Fill Shadow", "Show Fill Shadow", Style};
const PropertyChange fillShadowBlur{"fillShadowBlur", "Fill Shadow Blur", nullptr, Style};
const PropertyChange fillShadowOffsetX{"fillShadowOffsetX", "Fill Shadow Offset X", nullptr, Style};
const PropertyChange fillShadowOffsetY{"fillShadowOffsetY", "Fill Shadow Offset Y", nullptr, Style};
const PropertyChange fillShadowColor{"fillShadowColor", "Fill Shadow Color", nullptr, Style};

const PropertyChange strokeType{"strokeType", "Stroke Type", nullptr, Style | DropFinalFillPath | DropDash};
const PropertyChange strokeLineWidth{"strokeLineWidth", "Stroke Width", nullptr,
                                     Style | RedisplayBefore | DropFinalFillPath | DropDash};
const PropertyChange strokeLineCap{"strokeLineCap", "Stroke Line Cap", nullptr, Style | RedisplayBefore | DropDash};
const PropertyChange strokeLineJoin{"strokeLineJoin", "Stroke Line Join", nullptr, Style | RedisplayBefore | DropDash};
const PropertyChange strokeColor{"strokeColor", "Stroke Color", nullptr, Style};
const PropertyChange stroke1Enabled{"stroke1Enabled", "Show Stroke Border", "Hide Stroke Border", Style};
const PropertyChange stroke2Enabled{"stroke2Enabled", "Show Stroke Border", "Hide Stroke Border", Style};
const PropertyChange stroke1Color{"stroke1Color", "Stroke Border Color", nullptr, Style};
const PropertyChange stroke2Color{"stroke2Color", "Stroke Border Color", nullptr, Style};
const PropertyChange strokeShadowHidden{"strokeShadowHidden", "Hide Stroke Shadow", "Show Stroke Shadow", Style};
const PropertyChange strokeShadowBlur{"strokeShadowBlur", "Stroke Shadow Blur", nullptr, Style};
const PropertyChange strokeShadowOffsetX{"strokeShadowOffsetX", "Stroke Shadow Offset X", nullptr, Style};
const PropertyChange strokeShadowOffsetY{"strokeShadowOffsetY", "Stroke Shadow Offset Y", nullptr, Style};
const PropertyChange strokeShadowColor{"strokeShadowColor", "Stroke Shadow Color", nullptr, Style};

const PropertyChange scaleImage{"scaleImage", "Scale Image", nullptr, Style};
const PropertyChange imageAnchorRatio{"imageAnchorRatio", "Image Clip", nullptr, Dirty | ContentImage | Redisplay};
const PropertyChange imageIdentifier{"imageIdentifier", "Image", nullptr,
                                     RedisplayBefore | Dirty | ContentImage | Redisplay};
const PropertyChange contentFilterSpecs{"contentFilterSpecs", "Change Filter"};

const PropertyChange textAlign{"textAlign", "Text Horizontal Alignment", nullptr, TextStyle};
const PropertyChange textVerticalAlign{"textVerticalAlign", "Text Vertical Alignment", nullptr, TextStyle | Dirty};
const PropertyChange textAppearanceType{"textAppearanceType", "Text Appearance", nullptr, TextStyle | Dirty};
const PropertyChange textDrawOnPath{"textDrawOnPath", "Draw Text on Path", nullptr, TextStyle | Dirty};
const PropertyChange textShadowHidden{"textShadowHidden", "Hide Text Shadow", "Show Text Shadow", TextStyle | Dirty};
const PropertyChange textShadowBlur{"textShadowBlur", "Text Shadow Blur", nullptr, TextStyle | Dirty};
const PropertyChange textShadowOffsetX{"textShadowOffsetX", "Text Shadow Offset X", nullptr, TextStyle | Dirty};
const PropertyChange textShadowOffsetY{"textShadowOffsetY", "Text Shadow Offset Y", nullptr, TextStyle | Dirty};
const PropertyChange textShadowColor{"textShadowColor", "Text Shadow Color", nullptr, TextStyle};

} // namespace change
} // namespace

void Shape::setTitle(const QString& v) { setProperty(title_, v, &Shape::setTitle, change::title); }
void Shape::setHidden(bool v) { setProperty(hidden_, v, &Shape::setHidden, change::hidden); }
void Shape::setLocked(bool v) { setProperty(locked_, v, &Shape::setLocked, change::locked); }
void Shape::setOpacity(double v) { setProperty(opacity_, v, &Shape::setOpacity, change::opacity); }

void Shape::setConstrainAspectRatio(bool v)
{
    setProperty(constrainAspectRatio_, v, &Shape::setConstrainAspectRatio, change::constrainAspectRatio);
}

// The frame is set again with undo suspended, so the path is rebuilt and rotated in the same step.
void Shape::setRotationAngle(std::int64_t v)
{
    setProperty(rotationAngle_, v, &Shape::setRotationAngle, change::rotationAngle, [this] { jiggleFrameWithoutUndo(); });
}

void Shape::setAdjustmentRatioX(double v)
{
    setProperty(adjustmentRatioX_, v, &Shape::setAdjustmentRatioX, change::adjustmentRatioX, [this] { jiggleFrameWithoutUndo(); });
}

void Shape::setAdjustmentRatioY(double v)
{
    setProperty(adjustmentRatioY_, v, &Shape::setAdjustmentRatioY, change::adjustmentRatioY, [this] { jiggleFrameWithoutUndo(); });
}

void Shape::setFillType(std::uint64_t v) { setProperty(fillType_, v, &Shape::setFillType, change::fillType); }
void Shape::setFillAngle(std::int64_t v) { setProperty(fillAngle_, v, &Shape::setFillAngle, change::fillAngle); }
void Shape::setFillColor(pf::OptionalColor v) { setProperty(fillColor_, v, &Shape::setFillColor, change::fillColor); }

void Shape::setFillGradientElements(GradientElements v)
{
    setProperty(fillGradientElements_, std::move(v), &Shape::setFillGradientElements, change::fillGradientElements);
}

void Shape::setFillShadowHidden(bool v) { setProperty(fillShadowHidden_, v, &Shape::setFillShadowHidden, change::fillShadowHidden); }
void Shape::setFillShadowBlur(double v) { setProperty(fillShadowBlur_, v, &Shape::setFillShadowBlur, change::fillShadowBlur); }
void Shape::setFillShadowOffsetX(double v) { setProperty(fillShadowOffsetX_, v, &Shape::setFillShadowOffsetX, change::fillShadowOffsetX); }
void Shape::setFillShadowOffsetY(double v) { setProperty(fillShadowOffsetY_, v, &Shape::setFillShadowOffsetY, change::fillShadowOffsetY); }
void Shape::setFillShadowColor(pf::OptionalColor v) { setProperty(fillShadowColor_, v, &Shape::setFillShadowColor, change::fillShadowColor); }

void Shape::setStrokeType(std::uint64_t v) { setProperty(strokeType_, v, &Shape::setStrokeType, change::strokeType); }
void Shape::setStrokeLineWidth(double v) { setProperty(strokeLineWidth_, v, &Shape::setStrokeLineWidth, change::strokeLineWidth); }
void Shape::setStrokeLineCap(std::int32_t v) { setProperty(strokeLineCap_, v, &Shape::setStrokeLineCap, change::strokeLineCap); }
void Shape::setStrokeLineJoin(std::int32_t v) { setProperty(strokeLineJoin_, v, &Shape::setStrokeLineJoin, change::strokeLineJoin); }
void Shape::setStrokeColor(pf::OptionalColor v) { setProperty(strokeColor_, v, &Shape::setStrokeColor, change::strokeColor); }
void Shape::setStroke1Enabled(bool v) { setProperty(stroke1Enabled_, v, &Shape::setStroke1Enabled, change::stroke1Enabled); }
void Shape::setStroke1Color(pf::OptionalColor v) { setProperty(stroke1Color_, v, &Shape::setStroke1Color, change::stroke1Color); }
void Shape::setStroke2Enabled(bool v) { setProperty(stroke2Enabled_, v, &Shape::setStroke2Enabled, change::stroke2Enabled); }
void Shape::setStroke2Color(pf::OptionalColor v) { setProperty(stroke2Color_, v, &Shape::setStroke2Color, change::stroke2Color); }
void Shape::setStrokeShadowHidden(bool v) { setProperty(strokeShadowHidden_, v, &Shape::setStrokeShadowHidden, change::strokeShadowHidden); }
void Shape::setStrokeShadowBlur(double v) { setProperty(strokeShadowBlur_, v, &Shape::setStrokeShadowBlur, change::strokeShadowBlur); }
void Shape::setStrokeShadowOffsetX(double v) { setProperty(strokeShadowOffsetX_, v, &Shape::setStrokeShadowOffsetX, change::strokeShadowOffsetX); }
void Shape::setStrokeShadowOffsetY(double v) { setProperty(strokeShadowOffsetY_, v, &Shape::setStrokeShadowOffsetY, change::strokeShadowOffsetY); }
void Shape::setStrokeShadowColor(pf::OptionalColor v) { setProperty(strokeShadowColor_, v, &Shape::setStrokeShadowColor, change::strokeShadowColor); }

// Switching scaling on centres the anchor again; switching it off fits the frame to the image. Either way
// the image is fetched again.
void Shape::setScaleImage(bool v)
{
    setProperty(scaleImage_, v, &Shape::setScaleImage, change::scaleImage, [this] {
        if (scaleImage_)
            imageAnchorRatio_ = pf::Point(0.5, 0.5);
        else
            sizeToFitImage(false);
        image_ = pf::Image();
    });
}

void Shape::setImageAnchorRatio(const pf::Point& v)
{
    setProperty(imageAnchorRatio_, v, &Shape::setImageAnchorRatio, change::imageAnchorRatio);
}

// The page counts the references to each image identifier, for the shapes it has registered (registering
// and deregistering count the rest, so undo keeps the counts balanced).
void Shape::setImageIdentifier(const QString& v)
{
    const QString old = imageIdentifier_;
    setProperty(imageIdentifier_, v, &Shape::setImageIdentifier, change::imageIdentifier, [this, &old] {
        const bool counted = composition_ && composition_->isShapeRegistered(*this);
        if (counted && !old.isNull())
            composition_->decrementRefCountForImageIdentifier(old);
        image_ = pf::Image();
        if (counted && !imageIdentifier_.isNull())
            composition_->incrementRefCountForImageIdentifier(imageIdentifier_);
    });
}

void Shape::setContentFilterSpecs(FilterSpecs v)
{
    setProperty(contentFilterSpecs_, std::move(v), &Shape::setContentFilterSpecs, change::contentFilterSpecs,
                [this] { updateContentFilters(); });
}

// A text style change restyles the characters of the text too; both are one undo step, named after the
// setter.
void Shape::setTextAlign(std::uint64_t v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textAlign_, v, &Shape::setTextAlign, change::textAlign, restyleText(change::textAlign, true));
}

void Shape::setTextVerticalAlign(std::uint64_t v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textVerticalAlign_, v, &Shape::setTextVerticalAlign, change::textVerticalAlign, restyleText(change::textVerticalAlign, true));
}

void Shape::setTextAppearanceType(std::uint64_t v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textAppearanceType_, v, &Shape::setTextAppearanceType, change::textAppearanceType, restyleText(change::textAppearanceType, true));
}

void Shape::setTextDrawOnPath(bool v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textDrawOnPath_, v, &Shape::setTextDrawOnPath, change::textDrawOnPath, restyleText(change::textDrawOnPath, v));
}

void Shape::setTextShadowHidden(bool v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textShadowHidden_, v, &Shape::setTextShadowHidden, change::textShadowHidden, restyleText(change::textShadowHidden, v));
}

void Shape::setTextShadowBlur(double v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textShadowBlur_, v, &Shape::setTextShadowBlur, change::textShadowBlur, restyleText(change::textShadowBlur, true));
}

void Shape::setTextShadowOffsetX(double v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textShadowOffsetX_, v, &Shape::setTextShadowOffsetX, change::textShadowOffsetX, restyleText(change::textShadowOffsetX, true));
}

void Shape::setTextShadowOffsetY(double v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textShadowOffsetY_, v, &Shape::setTextShadowOffsetY, change::textShadowOffsetY, restyleText(change::textShadowOffsetY, true));
}

void Shape::setTextShadowColor(pf::OptionalColor v)
{
    pf::UndoGrouping group(undoManager());
    setProperty(textShadowColor_, v, &Shape::setTextShadowColor, change::textShadowColor, restyleText(change::textShadowColor, true));
}

void Shape::Restyle::operator()() const
{
    shape->clearTextAttributes();
    // Storing the restyled text named the step "Edit Text"; the menu shows the setter's name.
    if (pf::UndoManager* undo = shape->undoManager())
        undo->setActionName(actionName(*change, on));
}

QString Shape::actionName(const PropertyChange& change, bool on)
{
    return pf::localized(QString::fromLatin1(on || !change.actionNameWhenOff ? change.actionName : change.actionNameWhenOff));
}

void Shape::writeSticky(const char* key, const pf::Value& value)
{
    shapeClass().setStickyObjectForKey(value, literalKey(key));
}

void Shape::finishChange(unsigned effects)
{
    storedForms::drop(this);
    if (effects & Dirty)
        dirtyRectDirty_ = true;
    if (effects & DropGradient)
        gradient_.reset();
    if (effects & DropFinalFillPath) {
        // Both carry the unstroked shape's half-point shift: a gradient left behind is clipped by it.
        finalFillPath_.reset();
        finalGradientFillPath_.reset();
    }
    if (effects & DropDash)
        strokeLineDash_.reset();
    if (effects & ContentImage)
        updateContentImage();
    if (effects & Redisplay)
        setNeedsDisplay();
    if (effects & RedisplayPalettes)
        setNeedsDisplayInRectUpdatePalettes(dirtyRect(), true);
}
