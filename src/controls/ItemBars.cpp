#include "controls/ItemBars.h"

#include "controls/ControlDocking.h"
#include "controls/IconRenderer.h"
#include "geometry/QVDrawing.h"
#include "geometry/QVRect.h"
#include "platform/foundation/KeyValue.h"
#include "platform/text/StringDrawing.h"

#include <algorithm>
#include <cmath>

namespace {

const Shape::PropertyChange iconSizeChange{"iconSize", "Icon Size", nullptr, Shape::Redisplay};
const Shape::PropertyChange itemFontChange{"itemFont", "Edit Text", nullptr, Shape::Redisplay};

using controls::Docking;
using controls::DockingCatalogueClass;

std::shared_ptr<UIControlItem> newItem(const char* title, std::int64_t icon, bool highlighted)
{
    auto item = UIControlItem::make();
    item->setTitle(pf::localized(QString::fromLatin1(title)));
    item->setIconType(icon);
    item->setHighlighted(highlighted);
    return item;
}

// The rect grown by d on each side without the platform inset's normalising (which would give a null
// rect for items narrower than the inset).
pf::Rect outset(const pf::Rect& r, double d) { return pf::Rect(r.x() - d, r.y() - d, r.width() + 2 * d, r.height() + 2 * d); }

} // namespace

// ---- classes ----

const UIControlClass& UIItemBar::staticClass()
{
    static const UIControlClass c(QStringLiteral("UIItemBar"), &UIControl::staticClass(),
                                  &Shape::allocate<UIItemBar>);
    return c;
}

const UIControlClass& UISegmentedControl::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UISegmentedControl"), &UIItemBar::staticClass(), &Shape::allocate<UISegmentedControl>,
        {.title = "Segmented Control", .longDescription = "iOS Segmented Control.",
         .iconImageName = "lib_uisegmentedcontrol32x32",
         .extraSearchString = "toolbar uitoolbar segmentedcontrol uisegmentedcontrol tabs tabbar",
         .defaultSize = {320, 40}, .manipulatorClassName = "UISegmentedControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UISegmentedControlFacet", "GeometryFacet", "FillFacet",
                    "StrokeFacet", "TextFacet"},
         .maxControlItems = 12},
        Docking::SpanWidth);
    return c;
}

const UIControlClass& UITabBar::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UITabBar"), &UIItemBar::staticClass(), &Shape::allocate<UITabBar>,
        {.title = "Tab Bar", .longDescription = "iOS Tab Bar.", .iconImageName = "lib_uitabbarbutton32x32",
         .extraSearchString = "tabs uitabbarcontroller tabbar bar uitabbar uibar", .defaultSize = {320, 50},
         .manipulatorClassName = "UIControlManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UITabBarFacet", "GeometryFacet", "FillFacet", "StrokeFacet",
                    "TextFacet"},
         .maxControlItems = 12},
        Docking::BottomEdge);
    return c;
}

const UIControlClass& UIToolbar::staticClass()
{
    static const DockingCatalogueClass<> c(
        QStringLiteral("UIToolbar"), &UIItemBar::staticClass(), &Shape::allocate<UIToolbar>,
        {.title = "Toolbar", .longDescription = "iOS Toolbar.", .iconImageName = "lib_uitoolbar32x32",
         .extraSearchString = "toolbar uitoolbar bar", .defaultSize = {320, 44},
         .manipulatorClassName = "UIToolbarManipulator",
         .facets = {"OpacityFacet", "FilterFacet", "UIToolbarFacet", "GeometryFacet", "FillFacet", "StrokeFacet",
                    "TextFacet"},
         .maxControlItems = 12},
        Docking::SpanWidth);
    return c;
}

const pf::PropertyTable& UIItemBar::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&UIControl::properties());
        t.add("iconSize", &UIItemBar::iconSize, &UIItemBar::setIconSize);
        return t;
    }();
    return table;
}

// ---- state ----

void UIItemBar::initWithFrame(const pf::Rect& frame)
{
    UIControl::initWithFrame(frame);
    setFillShadowHidden(true);
    setStrokeType(3);
    setControlItems({newItem("Albums", IconRenderer::IconAlbums, true), newItem("Photos", IconRenderer::IconPhotos, false)});
    update();
}

void UISegmentedControl::initWithFrame(const pf::Rect& frame)
{
    UIItemBar::initWithFrame(frame);
    setIconSize(IconRenderer::IconSizeSmall);
    update();
}

void UIItemBar::setIconSize(std::int64_t v) { setProperty(iconSize_, v, &UIItemBar::setIconSize, iconSizeChange); }

pf::Font UIItemBar::itemFont() const { return itemFont_ ? *itemFont_ : textAttributes().fontOrDefault(); }

void UIItemBar::setTextFont(const std::optional<pf::Font>& font)
{
    setTitleFont(itemFont_, font, &UIItemBar::setTextFont, itemFontChange);
}

pf::TextAttributes UIItemBar::titleAttributes(const pf::OptionalColor& color) const
{
    pf::TextAttributes a = textAttributes();
    a.font = itemFont();
    if (color)
        a.foregroundColor = color;
    return a;
}

// ---- layout ----

pf::Rect UIItemBar::itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count) const
{
    const double w = std::ceil(frame.width() / double(count));
    const double width = index + 1 == count ? w - 1 : w;
    return pf::Rect(std::floor(frame.x() + double(index) * w), std::floor(frame.y()), width,
                    std::floor(frame.height() - 1));
}

pf::Rect UISegmentedControl::itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index,
                                                          std::size_t count) const
{
    const double w = (frame.width() - 16) / double(count);
    return QVRectRound(pf::Rect(frame.x() + 8 + double(index) * w, frame.y(), w, frame.height() - 1));
}

pf::Rect UISegmentedControl::iconRectForItemRect(const pf::Rect& r) const
{
    return QVRectRound(QVRectAroundPoint(QVRectGetMidMidPoint(r), IconRenderer::sizeForIconSize(iconSize()).width,
                                         IconRenderer::sizeForIconSize(iconSize()).height));
}

pf::Rect UISegmentedControl::titleRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s)
{
    return pf::Rect(r.x(), r.midY() - s.height / 2 - 1, r.width(), s.height);
}

pf::Rect UITabBar::iconRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s) const
{
    const pf::Size icon = IconRenderer::sizeForIconSize(iconSize());
    return QVRectRound(
        pf::Rect(r.midX() - icon.width / 2, r.midY() - icon.height / 2 - s.height / 2 + 2, icon.width, icon.height));
}

pf::Rect UITabBar::titleRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s)
{
    return pf::Rect(r.x(), r.maxY() - (s.height + 1), r.width(), s.height);
}

pf::Rect UIToolbar::iconRectForItemRect(const pf::Rect& r) const
{
    const pf::Size icon = IconRenderer::sizeForIconSize(iconSize());
    return QVRectRound(QVRectAroundPoint(QVRectGetMidMidPoint(r), icon.width, icon.height));
}

pf::Rect UIToolbar::titleRectForItemRectStringSize(const pf::Rect& r, const pf::Size& s)
{
    return pf::Rect(r.x(), r.midY() - s.height / 2 - 2, r.width(), s.height);
}

// ---- drawing ----

void UIItemBar::drawHighlightBackground(pf::GraphicsContext& context, const pf::Rect& r, bool highlighted) const
{
    if (!highlighted || !isHighlightBorderEnabled())
        return;
    const pf::Rect b = QVRectRoundPlusHalf(outset(r, -1));
    const double radius = std::min(10.0, std::floor((std::min(r.width(), r.height()) - 2) * 0.5));
    if (!(b.width() > 0 && b.height() > 0 && radius >= 0))
        return;
    pf::Path path;
    QVAddRoundRect(path, b, radius);
    context.saveGState();
    context.setFillColor(tint().withAlpha(0.25));
    context.fillPath(path);
    context.restoreGState();
}

void UIItemBar::drawTitle(pf::GraphicsContext& context, const pf::AttributedString& title, const pf::Rect& rect)
{
    pf::drawAttributedString(context, title, rect, pf::UsesLineFragmentOrigin | pf::TruncatesLastVisibleLine);
}

void UISegmentedControl::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect r = QVRectStandardize(QVRectGetNormalizedRect(frame()));
    context.clipToRect(r);
    const pf::Color tintColour = tint();
    const pf::Color fill = fillColor().value_or(pf::Color::white());
    context.setStrokeColor(tintColour);
    context.setLineWidth(1);
    const pf::Rect b = QVRectNotZeroSize(outset(r, -8));
    if (QVRectIsValidNotZeroSize(b)) {
        pf::Path border;
        QVAddRoundRect(border, b, 6);
        context.strokePath(border);
        context.clip(border);
    }
    const pf::TextAttributes plain = titleAttributes(tintColour);
    const pf::TextAttributes highlighted = titleAttributes(fill);
    const ControlItems& items = controlItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const UIControlItem& item = *items[i];
        const pf::Rect itemRect = itemRectForFrameAtIndexCount(r, i, items.size());
        if (item.isHighlighted()) {
            context.setFillColor(tintColour);
            context.fillRect(itemRect);
        }
        if (item.iconType() != 0) {
            IconRenderer::instance().renderIcon(context, item.iconType(), iconSize(), item.isHighlighted(),
                                                item.isHighlighted() ? fill : tintColour, iconRectForItemRect(itemRect));
        } else if (!item.title().isEmpty()) {
            const pf::AttributedString title(item.title(), item.isHighlighted() ? highlighted : plain);
            drawTitle(context, title,
                      titleRectForItemRectStringSize(itemRect, pf::sizeOfAttributedString(title)));
        }
        if (i + 1 < items.size()) {
            pf::Path separator;
            separator.moveTo(pf::Point(itemRect.maxX(), itemRect.minY()));
            separator.lineTo(pf::Point(itemRect.maxX(), itemRect.maxY()));
            context.setStrokeColor(tintColour);
            context.strokePath(separator);
        }
    }
}

void UITabBar::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    context.clipToRect(n);
    const pf::TextAttributes plain = titleAttributes(std::nullopt);
    const pf::TextAttributes highlighted = titleAttributes(tint());
    const ControlItems& items = controlItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const UIControlItem& item = *items[i];
        const pf::Rect itemRect = itemRectForFrameAtIndexCount(n, i, items.size());
        drawHighlightBackground(context, itemRect, item.isHighlighted());
        const pf::TextAttributes& attributes = item.isHighlighted() ? highlighted : plain;
        pf::Size s;
        if (!item.title().isEmpty()) {
            const pf::AttributedString title(item.title(), attributes);
            s = pf::sizeOfAttributedString(title);
            context.saveGState();
            drawTitle(context, title, titleRectForItemRectStringSize(itemRect, s));
            context.restoreGState();
        }
        if (item.iconType() != 0)
            IconRenderer::instance().renderIcon(context, item.iconType(), iconSize(), item.isHighlighted(),
                                                attributes.colorOrDefault(), iconRectForItemRectStringSize(itemRect, s));
    }
}

void UIToolbar::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)dirty;
    const pf::Rect n = QVRectGetNormalizedRect(frame());
    const pf::TextAttributes plain = titleAttributes(plainItemColor());
    const pf::TextAttributes highlighted = titleAttributes(tint());
    const ControlItems& items = controlItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const UIControlItem& item = *items[i];
        const pf::Rect itemRect = itemRectForFrameAtIndexCount(n, i, items.size());
        drawHighlightBackground(context, itemRect, item.isHighlighted());
        const pf::TextAttributes& attributes = item.isHighlighted() ? highlighted : plain;
        if (item.iconType() != 0) {
            IconRenderer::instance().renderIcon(context, item.iconType(), iconSize(), item.isHighlighted(),
                                                attributes.colorOrDefault(), iconRectForItemRect(itemRect));
        } else if (!item.title().isEmpty()) {
            const pf::AttributedString title(item.title(), attributes);
            drawTitle(context, title, titleRectForItemRectStringSize(itemRect, pf::sizeOfAttributedString(title)));
        }
    }
}

// ---- copy, equality, stored form ----

void UIItemBar::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    const auto& s = static_cast<const UIItemBar&>(source);
    itemFont_ = s.itemFont_;
    setIconSize(s.iconSize_);
}

bool UIItemBar::isEqualToControl(const UIControl& other) const
{
    if (&other.classObject() != &classObject())
        return false;
    return UIControl::isEqualToControl(other) && iconSize_ == static_cast<const UIItemBar&>(other).iconSize_;
}

pf::Value UIItemBar::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    if (storesItemFont())
        storeFont(plist, itemFont());
    plist.set(QStringLiteral("iconSize"), iconSize_);
    return plist;
}

void UIItemBar::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    if (storesItemFont())
        if (auto font = storedFont(plist))
            itemFont_ = font;
    setIconSize(plist.integerForKey("iconSize"));
}
