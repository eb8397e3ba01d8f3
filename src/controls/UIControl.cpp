#include "controls/UIControl.h"

#include "controls/StoredControlValues.h"
#include "geometry/QVColor.h"
#include "geometry/QVImageAdditions.h"
#include "geometry/QVRect.h"
#include "platform/foundation/KeyValue.h"

#include <QStringList>

#include <cmath>

namespace {

using PropertyChange = Shape::PropertyChange;

// Every control setter updates the derived state itself (followUp), so no shape effects are asked for.
const PropertyChange deviceTypeChange{"deviceType", "Device Type"};
const PropertyChange deviceOrientationChange{"deviceOrientation", "Device Orientation"};
const PropertyChange controlSizeChange{"controlSize", "Control Size"};
const PropertyChange themeTypeChange{"themeType", "Theme Type"};
const PropertyChange tintColorChange{"tintColor", "Tint Color"};
const PropertyChange highlightedChange{"highlighted", "Highlighted"};
const PropertyChange highlightBorderEnabledChange{"highlightBorderEnabled", "Item Border"};

} // namespace

// ---- class ----

QString UIControlClass::manipulatorClassName() const { return QStringLiteral("UIControlManipulator"); }

pf::Color UIControlClass::defaultTintColor() const
{
    static const pf::Color tint = QVHexColor(0x0066FF);
    return tint;
}

pf::Color UIControlClass::controlBackgroundColor() const { return pf::Color(1.0, 1.0, 1.0, 0.9); }

pf::Color UIControlClass::controlBorderColor() const
{
    static const pf::Color border = QVHexColor(0xCCCCCC);
    return border;
}

const UIControlClass& UIControl::staticClass()
{
    static const UIControlClass c(QStringLiteral("UIControl"), &Shape::staticClass(), &Shape::allocate<UIControl>);
    return c;
}

const pf::PropertyTable& UIControl::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("highlighted", &UIControl::isHighlighted, &UIControl::setHighlighted);
        t.add("highlightBorderEnabled", &UIControl::isHighlightBorderEnabled, &UIControl::setHighlightBorderEnabled);
        t.add("deviceType", &UIControl::deviceType, &UIControl::setDeviceType);
        t.add("deviceOrientation", &UIControl::deviceOrientation, &UIControl::setDeviceOrientation);
        t.add("controlSize", &UIControl::controlSize, &UIControl::setControlSize);
        t.add("themeType", &UIControl::themeType, &UIControl::setThemeType);
        t.add("tintColor", &UIControl::tintColor, &UIControl::setTintColor);
        t.addObjectList("controlItems", &UIControl::controlItems, &UIControl::setControlItems);
        t.add("fixedWidth", &UIControl::fixedWidth, &UIControl::setFixedWidth);
        t.add("fixedHeight", &UIControl::fixedHeight, &UIControl::setFixedHeight);
        t.add("controlImageIdentifier", &UIControl::controlImageIdentifier);
        return t;
    }();
    return table;
}

void UIControl::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    const UIControlClass& k = controlClass();
    tintColor_ = k.defaultTintColor();
    setStrokeColor(k.controlBorderColor());
}

// ---- setters ----

void UIControl::setHighlighted(bool v)
{
    setProperty(highlighted_, v, &UIControl::setHighlighted, highlightedChange, [this] { update(); });
}

void UIControl::setHighlightBorderEnabled(bool v)
{
    setProperty(highlightBorderEnabled_, v, &UIControl::setHighlightBorderEnabled, highlightBorderEnabledChange,
                [this] { update(); });
}

void UIControl::setDeviceType(std::int64_t v)
{
    setProperty(deviceType_, v, &UIControl::setDeviceType, deviceTypeChange, [this] { update(); });
}

void UIControl::setDeviceOrientation(std::int64_t v)
{
    setProperty(deviceOrientation_, v, &UIControl::setDeviceOrientation, deviceOrientationChange, [this] { update(); });
}

void UIControl::setControlSize(std::int64_t v)
{
    setProperty(controlSize_, v, &UIControl::setControlSize, controlSizeChange, [this] { update(); });
}

void UIControl::setThemeType(std::int64_t v)
{
    setProperty(themeType_, v, &UIControl::setThemeType, themeTypeChange, [this] { update(); });
}

void UIControl::setTintColor(pf::OptionalColor v)
{
    setProperty(tintColor_, v, &UIControl::setTintColor, tintColorChange, [this] { update(); });
}

void UIControl::setControlItems(const ControlItems& items)
{
    // No equality test: the item editor hands back an edited list.
    pf::ChangeNotice notice(*this, QStringLiteral("controlItems"));
    pf::registerUndo(undoManager(), this,
                     [old = copiedControlItems(controlItems_)](UIControl& c) { c.setControlItems(old); },
                     pf::localized(QStringLiteral("Control Items")));
    controlItems_ = copiedControlItems(items);
    update();
}

bool UIControl::insertControlItemAtIndex(const UIControlItem& item, std::size_t index)
{
    if (index > controlItems_.size())
        return false;
    pf::ChangeNotice notice(*this, QStringLiteral("controlItems"));
    pf::registerUndo(undoManager(), this, [index](UIControl& c) { c.removeControlItemAtIndex(index); },
                     pf::localized(QStringLiteral("Control Items")));
    controlItems_.insert(controlItems_.begin() + std::ptrdiff_t(index), item.copy());
    update();
    return true;
}

bool UIControl::removeControlItemAtIndex(std::size_t index)
{
    if (index >= controlItems_.size())
        return false;
    pf::ChangeNotice notice(*this, QStringLiteral("controlItems"));
    const std::shared_ptr<UIControlItem> removed = controlItems_[index];
    pf::registerUndo(undoManager(), this,
                     [index, removed](UIControl& c) { c.insertControlItemAtIndex(*removed, index); },
                     pf::localized(QStringLiteral("Control Items")));
    controlItems_.erase(controlItems_.begin() + std::ptrdiff_t(index));
    update();
    return true;
}

bool UIControl::setControlItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key)
{
    static const QStringList itemKeys{QStringLiteral("title"), QStringLiteral("iconType"), QStringLiteral("accessory"),
                                      QStringLiteral("highlighted")};
    if (index >= controlItems_.size() || !itemKeys.contains(key))
        return false;
    UIControlItem& item = *controlItems_[index];
    const pf::Variant old = item.valueForKey(key);
    if (old == value)
        return false;
    pf::ChangeNotice notice(*this, QStringLiteral("controlItems"));
    pf::registerUndo(undoManager(), this,
                     [index, old, key](UIControl& c) { c.setControlItemValueForKey(index, old, key); },
                     pf::localized(QStringLiteral("Control Items")));
    item.setValueForKey(value, key);
    update();
    return true;
}

void UIControl::setFixedWidth(double width) { fixedWidth_ = std::isfinite(width) ? width : 0.0; }
void UIControl::setFixedHeight(double height) { fixedHeight_ = std::isfinite(height) ? height : 0.0; }

// ---- update chain ----

void UIControl::update()
{
    updateControlImageIdentifier();
    updateControlImage();
    updateFrame();
    Shape::update();
}

void UIControl::updateControlImage()
{
    if (controlImageIdentifier_.isNull())
        return;
    controlImage_ = imageNamedInBundleForClass(controlImageIdentifier_, classObject().className());
}

// ---- geometry ----

void UIControl::setFrame(const pf::Rect& frame)
{
    pf::Rect r = frame;
    if (fixedWidth_ != 0)
        r.size.width = fixedWidth_;
    if (fixedHeight_ != 0)
        r.size.height = fixedHeight_;
    Shape::setFrame(r);
}

void UIControl::appendPath(pf::Path& path) const
{
    if (controlClass().hasRoundedCorners() && adjustmentRatioX() > 0) {
        const double radius = std::fabs(adjustmentRatioX() * frame().width() * 0.5);
        path.appendRoundedRect(QVRectGetNormalizedRect(frame()), radius, radius);
    } else {
        path.appendRect(frame());
    }
}

pf::Point UIControl::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width() * 0.5), r.y());
}

bool UIControl::isSnapable() const
{
    return !isSelected() && !isHidden();
}

// ---- drawing ----

void UIControl::drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    Shape::drawContentInContextDirtyRect(context, dirty);
    context.saveGState();
    rotateInContext(context);
    drawControlInContextDirtyRect(context, dirty);
    context.restoreGState();
}

// ---- copy, equality, stored form ----

void UIControl::copyFrom(const Shape& source)
{
    Shape::copyFrom(source);
    const auto& s = static_cast<const UIControl&>(source);
    deviceType_ = s.deviceType_;
    deviceOrientation_ = s.deviceOrientation_;
    themeType_ = s.themeType_;
    tintColor_ = s.tintColor_;
    highlighted_ = s.highlighted_;
    // The copy's own items: the item table edits items in place.
    controlItems_ = copiedControlItems(s.controlItems_);
    highlightBorderEnabled_ = s.highlightBorderEnabled_;
    fixedWidth_ = s.fixedWidth_;
    fixedHeight_ = s.fixedHeight_;
    update();
}

bool UIControl::isEqualToShape(const Shape& other) const
{
    const auto* control = dynamic_cast<const UIControl*>(&other);
    return control && isEqualToControl(*control);
}

bool UIControl::isEqualToControl(const UIControl& o) const
{
    return Shape::isEqualToShape(o) && deviceType_ == o.deviceType_ && deviceOrientation_ == o.deviceOrientation_
        && themeType_ == o.themeType_ && tintColor_ == o.tintColor_ && highlighted_ == o.highlighted_
        && highlightBorderEnabled_ == o.highlightBorderEnabled_ && fixedWidth_ == o.fixedWidth_
        && fixedHeight_ == o.fixedHeight_ && controlItemsEqual(controlItems_, o.controlItems_);
}

pf::Value UIControl::asPlist() const
{
    pf::Value plist = Shape::asPlist();
    plist.set(QStringLiteral("deviceType"), deviceType_);
    plist.set(QStringLiteral("deviceOrientation"), deviceOrientation_);
    plist.set(QStringLiteral("themeType"), themeType_);
    plist.set(QStringLiteral("tintColor"), QVStringFromColor(tintColor_));
    plist.set(QStringLiteral("highlighted"), highlighted_);
    pf::Value::Array items;
    for (const auto& item : controlItems_)
        items.push_back(item->asPlist());
    plist.set(QStringLiteral("controlItems"), std::move(items));
    plist.set(QStringLiteral("highlightBorderEnabled"), highlightBorderEnabled_);
    plist.set(QStringLiteral("fixedWidth"), fixedWidth_);
    plist.set(QStringLiteral("fixedHeight"), fixedHeight_);
    return plist;
}

void UIControl::readPlist(const pf::Value& plist)
{
    Shape::readPlist(plist);
    setDeviceType(storedEnumeration(plist, "deviceType", deviceTypeCount));
    setDeviceOrientation(storedEnumeration(plist, "deviceOrientation", deviceOrientationCount));
    setThemeType(storedEnumeration(plist, "themeType", themeTypeCount));
    const pf::OptionalColor tint = QVColorFromString(plist.stringForKey("tintColor"));
    setTintColor(tint ? tint : controlClass().defaultTintColor());
    setHighlighted(plist.boolForKey("highlighted"));
    ControlItems items;
    for (const pf::Value& entry : plist.arrayForKey("controlItems"))
        if (auto item = UIControlItem::fromPlist(entry))
            items.push_back(std::move(item));
    setControlItems(items);
    setHighlightBorderEnabled(plist.boolForKey("highlightBorderEnabled"));
    setFixedWidth(storedFixedSide(plist, "fixedWidth"));
    setFixedHeight(storedFixedSide(plist, "fixedHeight"));
}
