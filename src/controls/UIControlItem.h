// One item of an item control: a segment, tab, toolbar button, table row or sheet button.
//
// Items are shared objects so that the item table of the inspector can edit them by key, but a control
// never shares its items with another control or with an undo snapshot: copying a control and
// setControlItems copy them (UIControl). Items compare by value.
#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class UIControlItem : public pf::Object {
public:
    // The accessory a table row shows at its trailing end.
    enum Accessory : std::int64_t { AccessoryNone = 0, AccessoryChevron = 1, AccessoryMenu = 2, AccessoryInfo = 3 };
    static constexpr std::int64_t accessoryCount = 4;

    // Not highlighted, no icon, no accessory, titled "Untitled".
    UIControlItem();
    static std::shared_ptr<UIControlItem> make() { return std::make_shared<UIControlItem>(); }
    std::shared_ptr<UIControlItem> copy() const { return std::make_shared<UIControlItem>(*this); }

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    // An IconRenderer icon type; 0 is none.
    std::int64_t iconType() const { return iconType_; }
    void setIconType(std::int64_t type) { iconType_ = type; }
    std::int64_t accessory() const { return accessory_; }
    void setAccessory(std::int64_t accessory) { accessory_ = accessory; }
    // Null after reading an item stored without a title.
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // The four fields; a null title equals only a null title.
    friend bool operator==(const UIControlItem& a, const UIControlItem& b);

    // "iconType", "accessory", "highlighted" and, when there is a title, "title".
    pf::Value asPlist() const;
    // Null for a value that is not a dictionary. Icon types and accessories out of range read as none.
    static std::shared_ptr<UIControlItem> fromPlist(const pf::Value& plist);

private:
    bool highlighted_ = false;
    std::int64_t iconType_ = 0;
    std::int64_t accessory_ = 0;
    QString title_;
};

using ControlItems = std::vector<std::shared_ptr<UIControlItem>>;

// A list holding copies of the items (null entries dropped).
ControlItems copiedControlItems(const ControlItems& items);
// Same length and equal items at each index.
bool controlItemsEqual(const ControlItems& a, const ControlItems& b);
