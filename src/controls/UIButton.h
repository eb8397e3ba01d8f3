// Buttons: a label (the shape's text) with one built-in icon beside, above, below or instead of it, and
// four presets of it: a gradient button, the navigation bar's back button, an icon without text and a
// rounded search field of fixed height.
//
// The icon is placed against the label's bounding rect, and the text rect makes room for the icon, so
// centred text stays centred on the whole button while the icon sits beside it.
#pragma once

#include "controls/UIControl.h"

#include <cstdint>

class UIButton : public UIControl {
public:
    // Where the icon goes (iconPosition).
    enum IconPosition : std::int64_t {
        IconCentered = 0, IconLeft = 1, IconRight = 2, IconAbove = 3, IconBelow = 4,
    };
    static constexpr std::int64_t iconPositionCount = 5;

    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // No fill, no stroke, white text shadow, the Share icon left of the text "Title" with a 1-point gap.
    void initWithFrame(const pf::Rect& frame) override;

    // ---- state; undoable setters (the control pattern) ----
    // Held, stored and undoable; the drawing does not read it.
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered);
    // An IconRenderer icon type; 0 is none.
    std::int64_t iconType() const { return iconType_; }
    void setIconType(std::int64_t type);
    std::int64_t iconPosition() const { return iconPosition_; }
    void setIconPosition(std::int64_t position);
    // 0 normal (28 points), any other value small (20 points).
    std::int64_t iconSize() const { return iconSize_; }
    void setIconSize(std::int64_t size);
    // Gap between icon and text, points.
    double iconMargin() const { return iconMargin_; }
    void setIconMargin(double margin);

    // ---- layout ----
    // Zero without an icon, else the renderer's size for iconSize.
    pf::Size currentIconSize() const;
    // The icon's rect for the frame, placed against the label's bounding rect (textBoundingRect).
    pf::Rect iconRectForFrame(const pf::Rect& frame) const;
    // The same against a given text bounding rect: centred in the frame (0), left of (1), right of (2),
    // above (3) or below (4) the text, at the origin for any other position; rounded.
    pf::Rect iconRectForFrameTextBounds(const pf::Rect& frame, const pf::Rect& textBounds) const;
    // The padded frame with room made for the icon on its side (only half of it, on the far side, when the
    // text is centred that way).
    pf::Rect textRect() const override;

    // ---- shape overrides ----
    // Not while selected or hidden; otherwise only when something shows: an icon, a stroke, a fill, an
    // image or text.
    bool isSnapable() const override;
    // The icon over the shape's layers, clipped to the frame and the outline.
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    // ---- equality and stored form ----
    bool isEqualToControl(const UIControl& other) const override;
    // The control comparison, then icon type, position, size, border flag and margin.
    bool isEqualToButton(const UIButton& other) const;
    pf::Value asPlist() const override;
    // Icon types and positions out of range read as 0; a margin that is not finite as 0.
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;
    // Sets the label to a localised text in the shape's current text attributes.
    void setLabel(const char* key);

private:
    bool bordered_ = false;
    std::int64_t iconType_ = 0;
    std::int64_t iconPosition_ = 0;
    std::int64_t iconSize_ = 0;
    double iconMargin_ = 0;
};

// A bordered button with a white-to-grey gradient and centred text, without an icon.
class UIGradientButton : public UIButton {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override;
};

// The chevron "Back" button of a navigation bar; placed on a page just below a 20-point status bar.
class UIBackButton : public UIButton {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override;
};

// An icon alone: no text, and the text rects are the frame.
class UIIcon : public UIButton {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override;

    bool canEditText() const override { return false; }
    bool canEditFontColor() const override { return false; }
    // No text attributes, and every text rect is the frame, so the icon is placed against the frame.
    pf::TextAttributes textAttributes() const override { return {}; }
    pf::Rect textRect() const override { return frame(); }
    pf::Rect verticalTextRect() const override { return frame(); }
    pf::Rect horizontalTextRectForText(const pf::AttributedString& text) const override
    {
        (void)text;
        return frame();
    }
    void setUpTextLayoutManager() override {}
    void clearTextAttributes() override {}
    // A stored text is dropped: an icon has none.
    void readPlist(const pf::Value& plist) override;
};

// A white rounded field, 30 points high whatever its frame, with a small magnifier left of "Search".
class UISearchField : public UIButton {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override;
    // A rounded rect of radius 7 on the frame.
    void appendPath(pf::Path& path) const override;
};
