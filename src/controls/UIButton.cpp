#include "controls/UIButton.h"

#include "controls/ControlCatalogue.h"
#include "controls/IconRenderer.h"
#include "controls/StoredControlValues.h"
#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/foundation/KeyValue.h"

#include <cmath>

namespace {

using PropertyChange = Shape::PropertyChange;

const PropertyChange iconTypeChange{"iconType", "Icon"};
const PropertyChange iconPositionChange{"iconPosition", "Icon Position", nullptr, Shape::Redisplay};
const PropertyChange iconSizeChange{"iconSize", "Icon Size", nullptr, Shape::Redisplay};
const PropertyChange borderedChange{"bordered", "Border"};
const PropertyChange iconMarginChange{"iconMargin", "Icon Margin"};

constexpr auto buttonFacets = {"OpacityFacet", "FilterFacet", "UIButtonFacet", "GeometryFacet",
                               "FillFacet",    "StrokeFacet", "TextFacet"};

// The library shows buttons as small sample shapes; `style` dresses one made at the frame.
template <class Base = UIControlClass>
class ButtonClass : public controls::CatalogueClass<Base> {
public:
    using Style = void (*)(UIButton&, double strokeWidth);
    ButtonClass(QString name, const pf::ClassObject* superclass, ShapeClass::Allocator allocator,
                const controls::Catalogue& row, Style style)
        : controls::CatalogueClass<Base>(std::move(name), superclass, allocator, row), style_(style)
    {
    }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        auto shape = this->newShape(frame);
        if (style_)
            style_(static_cast<UIButton&>(*shape), this->libraryListItemShapeStrokeLineWidth());
        return shape;
    }

private:
    Style style_;
};

// The back button lands at the page's left edge, just below a 20-point status bar.
class BackButtonClass : public ButtonClass<> {
public:
    using ButtonClass::ButtonClass;
    pf::Value plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect) const override
    {
        pf::Value result = ButtonClass::plistByEnsuringFrameToPlistInRect(plist, rect);
        pf::Rect frame = pf::rectFromString(result.stringForKey("frame"));
        frame.origin = pf::Point(rect.x(), rect.y() + 20);
        result.set(QStringLiteral("frame"), pf::toString(frame));
        return result;
    }
};

// The search field's icon and tint are a light grey.
class SearchFieldClass : public ButtonClass<> {
public:
    using ButtonClass::ButtonClass;
    pf::Color defaultTintColor() const override { return pf::Color(0.6, 0.6, 0.6, 1.0); }
};

void noText(UIButton& button) { button.setAttributedText(nullptr); }

} // namespace

// ---- classes ----

const UIControlClass& UIButton::staticClass()
{
    static const ButtonClass<> c(
        QStringLiteral("UIButton"), &UIControl::staticClass(), &Shape::allocate<UIButton>,
        {.title = "Plain Button", .longDescription = "A Plain Button.", .extraSearchString = "button",
         .defaultSize = {80, 44}, .manipulatorClassName = "UIButtonManipulator", .facets = buttonFacets,
         .hasRoundedCorners = true},
        [](UIButton& b, double strokeWidth) {
            b.setFillType(0);
            b.setFillColor(pf::Color::white());
            b.setStrokeType(0);
            b.setStrokeLineWidth(strokeWidth);
            b.setStrokeColor(QVHexColor(0xBBBBBB));
            b.setAdjustmentRatioX(0.33);
            b.setHighlighted(true);
            b.setIconType(0);
            b.setIconPosition(IconCentered);
            noText(b);
        });
    return c;
}

const UIControlClass& UIGradientButton::staticClass()
{
    static const ButtonClass<> c(
        QStringLiteral("UIGradientButton"), &UIButton::staticClass(), &Shape::allocate<UIGradientButton>,
        {.title = "Gradient Button", .longDescription = "A Gradient Button.",
         .extraSearchString = "gradient border button icon", .defaultSize = {76, 44},
         .manipulatorClassName = "UIButtonManipulator", .facets = buttonFacets, .hasRoundedCorners = true},
        [](UIButton& b, double strokeWidth) {
            b.setStrokeLineWidth(strokeWidth);
            b.setAdjustmentRatioX(0.33);
            b.setIconType(0);
            b.setIconPosition(IconCentered);
            noText(b);
        });
    return c;
}

const UIControlClass& UIBackButton::staticClass()
{
    static const BackButtonClass c(
        QStringLiteral("UIBackButton"), &UIButton::staticClass(), &Shape::allocate<UIBackButton>,
        {.title = "Back Button", .longDescription = "A Navigation Bar Back Button.",
         .extraSearchString = "button back navigationbar navback", .defaultSize = {76, 44},
         .manipulatorClassName = "UIButtonManipulator", .facets = buttonFacets, .hasRoundedCorners = true},
        [](UIButton& b, double strokeWidth) {
            b.setFillType(5);
            b.setStrokeType(3);
            b.setStrokeLineWidth(strokeWidth);
            b.setIconType(IconRenderer::IconBack);
            b.setIconPosition(IconCentered);
            b.setHighlighted(true);
            noText(b);
        });
    return c;
}

const UIControlClass& UIIcon::staticClass()
{
    static const ButtonClass<> c(
        QStringLiteral("UIIcon"), &UIButton::staticClass(), &Shape::allocate<UIIcon>,
        {.title = "Icon", .longDescription = "An Image Icon.", .extraSearchString = "icon image icon",
         .defaultSize = {60, 44}, .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIIconFacet", "GeometryFacet"}},
        [](UIButton& b, double) {
            b.setFillType(5);
            b.setStrokeType(3);
        });
    return c;
}

const UIControlClass& UISearchField::staticClass()
{
    static const SearchFieldClass c(
        QStringLiteral("UISearchField"), &UIButton::staticClass(), &Shape::allocate<UISearchField>,
        {.title = "Search Field", .longDescription = "iOS Search Field.", .iconImageName = "lib_uisearchfield32x32",
         .extraSearchString = "search searchbar field textfield bookmark", .defaultSize = {90, 30},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UISearchFieldFacet", "GeometryNoConstrainFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"}},
        nullptr);
    return c;
}

const pf::PropertyTable& UIButton::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&UIControl::properties());
        t.add("bordered", &UIButton::isBordered, &UIButton::setBordered);
        t.add("iconType", &UIButton::iconType, &UIButton::setIconType);
        t.add("iconPosition", &UIButton::iconPosition, &UIButton::setIconPosition);
        t.add("iconSize", &UIButton::iconSize, &UIButton::setIconSize);
        t.add("iconMargin", &UIButton::iconMargin, &UIButton::setIconMargin);
        return t;
    }();
    return table;
}

// ---- initialisers ----

void UIButton::setLabel(const char* key)
{
    setAttributedText(pf::AttributedString(pf::localized(QString::fromLatin1(key)), textAttributes()));
}

void UIButton::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillType(5);
    setFillShadowHidden(true);
    setStrokeType(3);
    setTextShadowColor(pf::Color::white());
    setIconType(IconRenderer::IconShare);
    setIconMargin(1.0);
    setIconPosition(IconLeft);
    setLabel("Title");
    update();
}

void UIGradientButton::initWithFrame(const pf::Rect& frame)
{
    UIButton::initWithFrame(frame);
    setFillType(1);
    setFillAngle(90);
    setFillGradientElements({{pf::Color::white(), 0.0}, {controlClass().controlBorderColor(), 1.0}});
    setStrokeType(0);
    setStrokeColor(QVHexColor(0x999999));
    setTextAlign(2);
    setAdjustmentRatioX(0.25);
    setIconType(0);
    update();
}

void UIBackButton::initWithFrame(const pf::Rect& frame)
{
    UIButton::initWithFrame(frame);
    setTextAlign(0);
    setIconType(IconRenderer::IconBack);
    setIconPosition(IconLeft);
    setIconMargin(-3.0);
    setHighlighted(true);
    setLabel("Back");
    update();
}

void UIIcon::initWithFrame(const pf::Rect& frame)
{
    UIButton::initWithFrame(frame);
    setIconType(IconRenderer::IconShare);
    setIconPosition(IconCentered);
    setAttributedText(nullptr);
    update();
}

void UISearchField::initWithFrame(const pf::Rect& frame)
{
    // Fixed before the base initialiser, so every frame change from now on keeps it.
    setFixedHeight(30);
    UIButton::initWithFrame(frame);
    setFillType(0);
    setFillColor(pf::Color::white());
    setFillShadowHidden(true);
    setStrokeType(0);
    setStrokeColor(pf::Color(0.7, 0.7, 0.7, 1.0));
    setStrokeShadowHidden(true);
    setTextAlign(0);
    setTextVerticalAlign(0);
    setLabel("Search");
    setHighlighted(true);
    setIconType(IconRenderer::IconSearch);
    setIconMargin(1.0);
    setIconPosition(IconLeft);
    setIconSize(IconRenderer::IconSizeSmall);
    clearTextAttributes();
    update();
}

// ---- setters ----

void UIButton::setBordered(bool v)
{
    setProperty(bordered_, v, &UIButton::setBordered, borderedChange, [this] { update(); });
}

void UIButton::setIconType(std::int64_t v)
{
    setProperty(iconType_, v, &UIButton::setIconType, iconTypeChange, [this] { update(); });
}

void UIButton::setIconPosition(std::int64_t v)
{
    setProperty(iconPosition_, v, &UIButton::setIconPosition, iconPositionChange);
}

void UIButton::setIconSize(std::int64_t v) { setProperty(iconSize_, v, &UIButton::setIconSize, iconSizeChange); }

void UIButton::setIconMargin(double v)
{
    setProperty(iconMargin_, v, &UIButton::setIconMargin, iconMarginChange, [this] { update(); });
}

// ---- layout ----

pf::Size UIButton::currentIconSize() const
{
    return iconType_ == 0 ? pf::Size() : IconRenderer::sizeForIconSize(iconSize_);
}

pf::Rect UIButton::iconRectForFrame(const pf::Rect& frame) const
{
    return iconRectForFrameTextBounds(frame, textBoundingRect());
}

pf::Rect UIButton::iconRectForFrameTextBounds(const pf::Rect& frame, const pf::Rect& t) const
{
    const pf::Size s = currentIconSize();
    const double w = s.width, h = s.height;
    pf::Point origin;
    switch (iconPosition_) {
    case IconCentered:
        origin = pf::Point(frame.midX() - w / 2, frame.midY() - h / 2);
        break;
    case IconLeft:
        origin = pf::Point(t.minX() - (iconMargin_ + w), t.midY() - h / 2);
        break;
    case IconRight:
        origin = pf::Point(t.maxX() + iconMargin_, t.midY() - h / 2);
        break;
    case IconAbove:
        origin = pf::Point(t.midX() - w / 2, t.minY() - (iconMargin_ + h));
        break;
    case IconBelow:
        origin = pf::Point(t.midX() - w / 2, t.maxY() + iconMargin_);
        break;
    default:
        break;
    }
    return QVRectRound(pf::Rect(origin, s));
}

pf::Rect UIButton::textRect() const
{
    const pf::Size pad = textPadSize();
    const double halfStroke = strokeLineWidth() / 2;
    pf::Rect r = QVRectGetNormalizedRect(frame());
    r = QVRectFloor(pf::Rect(r.x() + pad.width + halfStroke, r.y() + pad.height + halfStroke,
                             r.width() - 2 * (pad.width + halfStroke), r.height() - 2 * (pad.height + halfStroke)));
    // Without an icon the text has the whole padded frame: the margin alone makes no room.
    if (iconType_ == 0)
        return r;
    const pf::Size icon = currentIconSize();
    const bool centred = textAlign() == 2;
    const bool middle = textVerticalAlign() == 0;
    const double across = icon.width + iconMargin_;
    const double down = icon.height + iconMargin_;
    switch (iconPosition_) {
    case IconLeft:
        r.origin.x += centred ? across / 2 : across;
        if (!centred)
            r.size.width -= across;
        break;
    case IconRight:
        if (centred)
            r.origin.x -= across / 2;
        else
            r.size.width -= across;
        break;
    case IconAbove:
        r.origin.y += middle ? down / 2 : down;
        if (!middle)
            r.size.height -= down;
        break;
    case IconBelow:
        if (middle)
            r.origin.y -= down / 2;
        else
            r.size.height -= down;
        break;
    default:
        break;
    }
    return r;
}

// ---- shape overrides ----

bool UIButton::isSnapable() const
{
    if (isSelected() || isHidden())
        return false;
    return iconType_ != 0 || strokeType() != 3 || fillType() != 5 || !imageIdentifier().isNull() || hasText();
}

void UIButton::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect bounds = QVRectGetNormalizedRect(frame());
    context.clipToRect(bounds);
    // Placed as if not editing, so the icon stays put while the label is edited in place.
    const bool editing = isEditingText();
    setEditingText(false);
    const pf::Rect iconRect = iconRectForFrame(bounds);
    setEditingText(editing);
    context.saveGState();
    if (!path().isEmpty())
        context.clip(path());
    IconRenderer::instance().renderIcon(context, iconType_, iconSize_, isHighlighted(),
                                        tintColor().value_or(controlClass().defaultTintColor()), iconRect);
    context.restoreGState();
}

void UISearchField::appendPath(pf::Path& path) const
{
    path.appendRoundedRect(QVRectGetNormalizedRect(frame()), 7, 7);
}

// ---- copy, equality, stored form ----

void UIButton::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    const auto& s = static_cast<const UIButton&>(source);
    setIconType(s.iconType_);
    setIconPosition(s.iconPosition_);
    setIconSize(s.iconSize_);
    setBordered(s.bordered_);
    setIconMargin(s.iconMargin_);
}

bool UIButton::isEqualToControl(const UIControl& other) const
{
    const auto* button = dynamic_cast<const UIButton*>(&other);
    return button && isEqualToButton(*button);
}

bool UIButton::isEqualToButton(const UIButton& o) const
{
    return UIControl::isEqualToControl(o) && iconType_ == o.iconType_ && iconPosition_ == o.iconPosition_
        && iconSize_ == o.iconSize_ && bordered_ == o.bordered_ && iconMargin_ == o.iconMargin_;
}

pf::Value UIButton::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    plist.set(QStringLiteral("iconType"), iconType_);
    plist.set(QStringLiteral("iconPosition"), iconPosition_);
    plist.set(QStringLiteral("iconSize"), iconSize_);
    plist.set(QStringLiteral("bordered"), bordered_);
    plist.set(QStringLiteral("iconMargin"), iconMargin_);
    return plist;
}

void UIButton::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    setIconType(storedEnumeration(plist, "iconType", IconRenderer::iconTypeCount));
    setIconPosition(storedEnumeration(plist, "iconPosition", iconPositionCount));
    setIconSize(plist.integerForKey("iconSize"));
    setBordered(plist.boolForKey("bordered"));
    setIconMargin(finiteOrZero(plist.doubleForKey("iconMargin")));
}

void UIIcon::readPlist(const pf::Value& plist)
{
    UIButton::readPlist(plist);
    setAttributedText(nullptr);
}
