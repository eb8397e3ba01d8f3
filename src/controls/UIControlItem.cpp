#include "controls/UIControlItem.h"

#include "controls/IconRenderer.h"
#include "controls/StoredControlValues.h"
#include "platform/foundation/KeyValue.h"
#include "platform/foundation/Localized.h"

#include <algorithm>

UIControlItem::UIControlItem() : title_(pf::localized(QStringLiteral("Untitled"))) {}

const pf::ClassObject& UIControlItem::staticClass()
{
    static const pf::ClassObject c(QStringLiteral("UIControlItem"), &pf::Object::staticClass());
    return c;
}

const pf::PropertyTable& UIControlItem::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add("highlighted", &UIControlItem::isHighlighted, &UIControlItem::setHighlighted);
        t.add("iconType", &UIControlItem::iconType, &UIControlItem::setIconType);
        t.add("accessory", &UIControlItem::accessory, &UIControlItem::setAccessory);
        t.add("title", &UIControlItem::title, &UIControlItem::setTitle);
        return t;
    }();
    return table;
}

bool operator==(const UIControlItem& a, const UIControlItem& b)
{
    return a.highlighted_ == b.highlighted_ && a.iconType_ == b.iconType_ && a.accessory_ == b.accessory_
        && a.title_ == b.title_ && a.title_.isNull() == b.title_.isNull();
}

pf::Value UIControlItem::asPlist() const
{
    pf::Value plist = pf::Value::dictionary();
    plist.set(QStringLiteral("iconType"), iconType_);
    plist.set(QStringLiteral("accessory"), accessory_);
    plist.set(QStringLiteral("highlighted"), highlighted_);
    if (!title_.isNull())
        plist.set(QStringLiteral("title"), title_);
    return plist;
}

std::shared_ptr<UIControlItem> UIControlItem::fromPlist(const pf::Value& plist)
{
    if (!plist.isDictionary())
        return nullptr;
    auto item = make();
    item->iconType_ = storedEnumeration(plist, "iconType", IconRenderer::iconTypeCount);
    item->accessory_ = storedEnumeration(plist, "accessory", accessoryCount);
    item->highlighted_ = plist.boolForKey("highlighted");
    item->title_ = plist.stringForKey("title");
    return item;
}

ControlItems copiedControlItems(const ControlItems& items)
{
    ControlItems copies;
    copies.reserve(items.size());
    for (const auto& item : items)
        if (item)
            copies.push_back(item->copy());
    return copies;
}

bool controlItemsEqual(const ControlItems& a, const ControlItems& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x == y || (x && y && *x == *y); });
}
