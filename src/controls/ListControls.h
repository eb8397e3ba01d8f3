// Vertical item controls, one row or button per UIControlItem: the table view (44-point rows with icon,
// title, accessory and separators), the action sheet (rounded button rows, the highlighted one red) and
// the alert dialog (a message, which is the shape's text, above a row of up to four buttons). The table
// and the sheet size their own height from the item count on every update.
#pragma once

#include "controls/StoredControlValues.h"
#include "controls/UIControl.h"
#include "platform/text/TextAttributes.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class UITableView : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    static constexpr double rowHeight = 44;

    // Three rows with icons and chevrons, titles on the left, separators 48 points in.
    void initWithFrame(const pf::Rect& frame) override;

    // 0 normal (28 points), any other value small (20 points). Undoable ("Icon Size"); redraws.
    std::int64_t iconSize() const { return iconSize_; }
    void setIconSize(std::int64_t size);
    // Extra room left of the titles. Undoable ("Icon Margin"); redraws.
    double iconMargin() const { return iconMargin_; }
    void setIconMargin(double margin);
    // How far in from the left the separators start. Undoable ("Cell Padding"); redraws.
    double cellPaddingWidth() const { return cellPaddingWidth_; }
    void setCellPaddingWidth(double width);

    // The rows' font: the one set or read from a stored table, else the font of the shape's text attributes.
    pf::Font rowFont() const;
    // The rows take the font (the inspector's font panel); undoable ("Edit Text") like a text's font.
    void setTextFont(const std::optional<pf::Font>& font) override;

    // The table fits its rows, not a text: one row per item, 44 high; an empty table keeps one row's
    // height, so it stays visible and selectable.
    void sizeToFitText(bool option) override;
    void updateFrame() override;
    // A new row takes the accessory of the current last row.
    std::shared_ptr<UIControlItem> makeControlItem() const override;

    // Row i of n in the frame: equal rounded heights, on a whole x and y.
    static pf::Rect itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count);
    // The icon 10 points in from the row's left, vertically centred, rounded.
    pf::Rect iconRectForItemRect(const pf::Rect& itemRect) const;
    // A small icon 10 points in from the row's right, vertically centred, rounded.
    static pf::Rect accessoryRectForItemRect(const pf::Rect& itemRect);
    // The title's band: after the margin and the icon, before the accessory, centred on the row.
    pf::Rect titleRectForItemRectStringSizeItem(const pf::Rect& itemRect, const pf::Size& stringSize,
                                                const UIControlItem& item) const;
    // The icon type painted for an accessory number (chevron, menu, info; none for any other).
    static std::int64_t iconTypeForAccessory(std::int64_t accessory);

    bool canEditText() const override { return false; }
    bool wantsFudgeAlways() const override { return true; }
    // The table draws its own lines.
    void drawStrokeInContext(pf::GraphicsContext& context) override { (void)context; }
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    // Equal as controls, in cell padding and icon size.
    bool isEqualToControl(const UIControl& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

    // The smallest font size a stored table's rows take.
    static constexpr double minimumStoredFontSize = ::minimumStoredFontSize;

protected:
    void copyFrom(const Shape& source) override;

private:
    std::int64_t iconSize_ = 0;
    double iconMargin_ = 0;
    double cellPaddingWidth_ = 0;
    std::optional<pf::Font> rowFont_;
};

class UIActionSheet : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // No fill, no stroke; three actions, the first highlighted.
    void initWithFrame(const pf::Rect& frame) override;

    // 44 points a row and 8 above and below; the height is fixed to it.
    void updateFrame() override;
    // Row i: 8 points in, 44 apart, 43 high, on half points.
    static pf::Rect itemRectForFrameAtIndexCount(const pf::Rect& frame, std::size_t index, std::size_t count);
    // A band of the string's height a point above the row's middle.
    static pf::Rect titleRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize);
    // The corners of row i of n that are rounded: all of a single row, the top of the first, the bottom
    // of the last.
    static unsigned roundedCornersAtIndexCount(std::size_t index, std::size_t count);

    bool canEditText() const override { return false; }
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    // The colour of a highlighted (destructive) action's title.
    static pf::Color destructiveColor();
};

class UIAlertDialog : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    static constexpr double buttonRowHeight = 36;

    // A translucent white card with a soft shadow and no stroke; "Cancel" and "OK" (highlighted).
    void initWithFrame(const pf::Rect& frame) override;

    // A rounded rect of radius 8.
    void appendPath(pf::Path& path) const override;
    // The message: above the button row, inset by the pads and half the stroke, rounded.
    pf::Rect textRect() const override;
    // The bottom 36 points of the frame.
    static pf::Rect itemsRectForFrame(const pf::Rect& frame);
    // Button i of n: equal widths rounded up, the last a point narrower.
    static pf::Rect itemRectForItemsRectAtIndexCount(const pf::Rect& itemsRect, std::size_t index, std::size_t count);
    // A band of the string's height two points above the button's middle.
    static pf::Rect titleRectForItemRectStringSize(const pf::Rect& itemRect, const pf::Size& stringSize);

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
};
