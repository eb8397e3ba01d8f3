// The base of every phone-control shape: the state all controls share (device, orientation, theme, tint,
// highlight, items, fixed sizes, a picture named from that state), its undoable setters, copy,
// equality and stored form. Concrete controls draw in drawControlInContextDirtyRect and fill in the
// update steps.
//
// Derived state (the picture, and for some controls the frame) is never stored: every setter and every
// copy rebuilds it through update(), which runs updateControlImageIdentifier, updateControlImage,
// updateFrame and then the shape's own update.
//
// Text: the control's label is the shape's text, drawn by the shape's text pass (drawTextInContext)
// after the control and not turned by the control's rotation here; controls with a label place it
// through the shape's text-rect hooks.
#pragma once

#include "controls/UIControlItem.h"
#include "model/Shape.h"

#include <QString>

#include <cstdint>
#include <optional>

class UIControlClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;

    // Controls keep no remembered style: each kind is its own family, and nothing is written.
    QString stickyPhylumName() const override { return stickyTypeName(); }
    bool isStickySettingEnabled() const override { return false; }
    pf::Size provisionalSize() const override { return defaultSize(); }
    QString manipulatorClassName() const override;
    bool allowsShapeMode() const override { return false; }

    // The outline follows adjustmentRatioX as a corner radius.
    virtual bool hasRoundedCorners() const { return false; }
    // Bounds of the inspector's item editor.
    virtual std::int64_t minControlItems() const { return 0; }
    virtual std::int64_t maxControlItems() const { return 0; }

    // Blue 0066FF.
    virtual pf::Color defaultTintColor() const;
    // White at alpha 0.9.
    virtual pf::Color controlBackgroundColor() const;
    // Grey CCCCCC.
    virtual pf::Color controlBorderColor() const;
};

class UIControl : public Shape {
public:
    enum DeviceType : std::int64_t { DevicePhone = 0, DevicePad = 1 };
    enum DeviceOrientation : std::int64_t { OrientationPortrait = 0, OrientationLandscape = 1 };
    enum ThemeType : std::int64_t { ThemeLight = 0, ThemeDark = 1 };
    static constexpr std::int64_t deviceTypeCount = 2;
    static constexpr std::int64_t deviceOrientationCount = 2;
    static constexpr std::int64_t themeTypeCount = 2;

    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    const UIControlClass& controlClass() const { return static_cast<const UIControlClass&>(classObject()); }
    static const pf::PropertyTable& properties();
    // Controls draw knobs, pictures and shadows of their own past their outline's stroke.
    pf::Rect calcPaintedRect() const override { return paintedRectFor(false); }
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // The shape's initialiser, then the class's tint and border colour. Kinds with a fixed width or height
    // set it before calling this, so that it holds for every frame change from then on.
    void initWithFrame(const pf::Rect& frame) override;

    // ---- state; each setter: nothing when unchanged, else notices, undo under its name, update ----
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    // Item bars draw a tinted background behind highlighted items.
    bool isHighlightBorderEnabled() const { return highlightBorderEnabled_; }
    void setHighlightBorderEnabled(bool enabled);
    std::int64_t deviceType() const { return deviceType_; }
    void setDeviceType(std::int64_t type);
    std::int64_t deviceOrientation() const { return deviceOrientation_; }
    void setDeviceOrientation(std::int64_t orientation);
    // Kept and undoable only: nothing draws, stores, compares or copies it.
    std::int64_t controlSize() const { return controlSize_; }
    void setControlSize(std::int64_t size);
    std::int64_t themeType() const { return themeType_; }
    void setThemeType(std::int64_t type);
    const pf::OptionalColor& tintColor() const { return tintColor_; }
    // hook: kinds whose text takes the tint restyle it.
    virtual void setTintColor(pf::OptionalColor color);
    // The control's own items. Edit copies and hand the list back through setControlItems, which keeps
    // copies of the given items, so undo and other controls never see a later in-place edit.
    const ControlItems& controlItems() const { return controlItems_; }
    void setControlItems(const ControlItems& items);
    // A new item with the defaults; kinds adjust it.
    virtual std::shared_ptr<UIControlItem> makeControlItem() const { return UIControlItem::make(); }
    // Item edits of the inspector's item table, each one undo step under "Control Items" whose inverse
    // acts on this control, with "controlItems" notices and an update. Each answers false and changes
    // nothing for an index out of range (an insert takes indexes up to the count), and the property edit
    // also for a key items lack or a value equal to the one held.
    // Inserts a copy of the item (the caller keeps its own).
    bool insertControlItemAtIndex(const UIControlItem& item, std::size_t index);
    bool removeControlItemAtIndex(std::size_t index);
    // One of "title", "iconType", "accessory", "highlighted" of the item at the index.
    bool setControlItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key);

    // ---- fixed sizes: 0 leaves the side free; plain values (no undo, the frame is not re-applied) ----
    double fixedWidth() const { return fixedWidth_; }
    void setFixedWidth(double width);
    double fixedHeight() const { return fixedHeight_; }
    void setFixedHeight(double height);
    bool isHorizontallyFlexible() const { return fixedWidth_ <= 0; }
    bool isVerticallyFlexible() const { return fixedHeight_ <= 0; }

    // ---- the picture named from the state ----
    const QString& controlImageIdentifier() const { return controlImageIdentifier_; }
    const pf::Image& controlImage() const { return controlImage_; }

    // ---- update chain ----
    void update() override;
    // hook: names the picture for the current state (kinds with pictures).
    virtual void updateControlImageIdentifier() {}
    // Loads the named picture from the resources; none without a name or when it is missing.
    virtual void updateControlImage();
    // hook: sizes the frame to the content (kinds that size themselves).
    virtual void updateFrame() {}

    // ---- shape overrides ----
    // The requested size with the fixed width and height forced on it.
    void setFrame(const pf::Rect& frame) override;
    // A rounded rect of radius |adjustmentRatioX × width / 2| when the class has rounded corners and the
    // ratio is positive, else the frame.
    void appendPath(pf::Path& path) const override;
    // The corner-radius handle on the top edge, the radius in from the right.
    pf::Point adjustPoint() const override;
    // Not while selected or hidden; a control always shows something.
    bool isSnapable() const override;
    bool isControl() const override { return true; }
    bool canEditImage() const override { return false; }
    bool canIntersect() const override { return false; }
    bool canConvertToBezier() const override { return false; }

    // ---- drawing ----
    // The shape's fill, image and strokes, then the control turned by the rotation about the centre.
    void drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    // hook: the control itself, unrotated, in page coordinates (nothing in the base).
    virtual void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
    {
        (void)context, (void)dirty;
    }

    // ---- equality and stored form ----
    // Another control, equal as a shape and in the control state.
    bool isEqualToShape(const Shape& other) const override;
    // The shape comparison, then device, orientation, theme, tint, highlight flags, fixed sizes and the
    // items by value (controlSize and the picture take no part).
    virtual bool isEqualToControl(const UIControl& other) const;
    pf::Value asPlist() const override;
    // The shape's keys, then the control's through the setters; out-of-range enumerations read as 0, a
    // tint that is not four numbers as the class's default tint, fixed sizes that are not positive and
    // finite as 0.
    void readPlist(const pf::Value& plist) override;

protected:
    // Copies the control state with copies of the items, then updates the copy.
    void copyFrom(const Shape& source) override;
    // For kinds that draw item titles in a font of their own (`field`, none until set or read): the font
    // panel's font, one undo step through `setter`, which undo calls with the font the titles showed.
    template <class Kind>
    void setTitleFont(std::optional<pf::Font>& field, const std::optional<pf::Font>& font,
                      void (Kind::*setter)(const std::optional<pf::Font>&), const PropertyChange& change)
    {
        if (!font)
            return;
        if (!field)
            field = textAttributes().fontOrDefault();
        Shape::setTextFont(font);
        setProperty(field, font, setter, change);
    }
    void setControlImageIdentifier(const QString& identifier) { controlImageIdentifier_ = identifier; }

private:
    bool highlighted_ = false;
    bool highlightBorderEnabled_ = false;
    std::int64_t deviceType_ = 0;
    std::int64_t deviceOrientation_ = 0;
    std::int64_t controlSize_ = 0;
    std::int64_t themeType_ = 0;
    pf::OptionalColor tintColor_;
    ControlItems controlItems_;
    QString controlImageIdentifier_;
    pf::Image controlImage_;
    double fixedWidth_ = 0;
    double fixedHeight_ = 0;
};
