// Item bars: a horizontal row of items (UIControlItem), one per segment, tab or toolbar button. Each
// kind lays its items out in its own table of rects, paints item icons through the IconRenderer and
// draws item titles itself with the text layer (the bars have no text of their own: the titles are
// their text). The tab bar and the toolbar keep the titles' font and store it by name.
#pragma once

#include "controls/StoredControlValues.h"
#include "controls/UIControl.h"
#include "platform/text/TextAttributes.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class UIItemBar : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // No fill shadow, no stroke, and two items: "Albums" (highlighted) and "Photos".
    void initWithFrame(const pf::Rect& frame) override;

    // 0 normal (28 points), any other value small (20 points). Undoable ("Icon Size"); redraws.
    std::int64_t iconSize() const { return iconSize_; }
    void setIconSize(std::int64_t size);

    // The titles' font: the one set or read from a stored bar, else the font of the shape's text attributes.
    pf::Font itemFont() const;
    // The titles take the font (the inspector's font panel); undoable ("Edit Text") like a text's font.
    void setTextFont(const std::optional<pf::Font>& font) override;

    // Item i of n in the frame (page coordinates): equal widths rounded up, the last one a point
    // narrower, on whole points, one point short of the bottom (tab bar and toolbar).
    virtual pf::Rect itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count) const;

    bool canEditText() const override { return false; }

    // The same kind, equal as controls and in icon size.
    bool isEqualToControl(const UIControl& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

    // The smallest font size a stored bar's titles take: smaller (or unreadable) sizes read as this.
    static constexpr double minimumStoredFontSize = ::minimumStoredFontSize;

protected:
    void copyFrom(const Shape& source) override;
    // Whether the titles' font is stored ("textFontName", "textFontSize").
    virtual bool storesItemFont() const { return false; }

    // The shape's text attributes with the item font and, when given, that colour.
    pf::TextAttributes titleAttributes(const pf::OptionalColor& color) const;
    // The tinted rounded background behind a highlighted item, when item borders are on.
    void drawHighlightBackground(pf::GraphicsContext& context, const pf::Rect& itemRect, bool highlighted) const;
    // The title in rect, wrapped at its width and truncated on its last visible line.
    static void drawTitle(pf::GraphicsContext& context, const pf::AttributedString& title, const pf::Rect& rect);
    pf::Color tint() const { return tintColor().value_or(controlClass().defaultTintColor()); }

private:
    std::int64_t iconSize_ = 0;
    std::optional<pf::Font> itemFont_;
};

// Segments inside a rounded tinted border; a highlighted segment is filled with the tint.
class UISegmentedControl : public UIItemBar {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    // Small icons.
    void initWithFrame(const pf::Rect& frame) override;

    bool canEditFontColor() const override { return false; }
    // Equal widths inside 8-point margins, one point short of the bottom, rounded.
    pf::Rect itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count) const override;
    // The icon centred in the item, rounded.
    pf::Rect iconRectForItemRect(const pf::Rect& itemRect) const;
    // A band of the string's height a point above the item's middle.
    static pf::Rect titleRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize);

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
};

// Tabs with an icon above a title, the pair centred in the tab.
class UITabBar : public UIItemBar {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The icon above a title of the string's height, centred as a pair, rounded.
    pf::Rect iconRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize) const;
    // A band of the string's height a point above the item's bottom.
    static pf::Rect titleRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize);

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

protected:
    bool storesItemFont() const override { return true; }
};

// Buttons showing an icon, or a title when they have none; plain items in grey.
class UIToolbar : public UIItemBar {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    bool canEditFontColor() const override { return false; }
    // The icon centred in the item, rounded.
    pf::Rect iconRectForItemRect(const pf::Rect& itemRect) const;
    // A band of the string's height two points above the item's middle.
    static pf::Rect titleRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize);

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    // The colour of the titles and icons of items that are not highlighted.
    static pf::Color plainItemColor() { return pf::Color(0.5, 0.5, 0.5, 1.0); }

protected:
    bool storesItemFont() const override { return true; }
};
