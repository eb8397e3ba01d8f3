// Controls without items: the navigation bar (a centred title, which is the shape's text, over a bottom
// line), the text field (a rounded input field held at 30 points high) and the keyboard (a picture chosen
// by device, orientation, theme and keyboard kind, sized by device and orientation).
#pragma once

#include "controls/UIControl.h"

#include <cstdint>

class UINavigationBar : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // No fill shadow, the border colour for the line, and the text "Title".
    void initWithFrame(const pf::Rect& frame) override;

    bool wantsFudgeAlways() const override { return true; }
    // The bar draws its one line itself.
    void drawStrokeInContext(pf::GraphicsContext& context) override { (void)context; }
    // The bottom line, unless the stroke type is none.
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    bool isEqualToControl(const UIControl& other) const override;
};

class UITextField : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    static constexpr double height = 30;

    // 30 points high from the next frame change on; white, a light grey stroke, text on the left.
    void initWithFrame(const pf::Rect& frame) override;
    // A rounded rect of radius 7.
    void appendPath(pf::Path& path) const override;
    bool isEqualToControl(const UIControl& other) const override;
};

class UIKeyboard : public UIControl {
public:
    enum KeyboardType : std::int64_t { KeyboardStandard = 0, KeyboardNumeric = 1, KeyboardNumberPad = 2, KeyboardEmoji = 3 };
    static constexpr std::int64_t keyboardTypeCount = 4;

    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // No fill, a light grey stroke, the aspect ratio kept.
    void initWithFrame(const pf::Rect& frame) override;

    // Undoable ("Keyboard Type"); the picture follows.
    std::int64_t keyboardType() const { return keyboardType_; }
    void setKeyboardType(std::int64_t type);

    // "uikeyboard_<device>_<orientation>_<theme>_<kind>"; values outside their range name the default word.
    static QString imageIdentifierFor(std::int64_t device, std::int64_t orientation, std::int64_t theme,
                                      std::int64_t keyboard);
    // The keyboard's size on a device in an orientation (phone and portrait for values out of range).
    static pf::Size sizeFor(std::int64_t device, std::int64_t orientation);
    void updateControlImageIdentifier() override;
    // After the device or orientation changed: the size for them, about the same centre.
    void deviceDidChange();

    bool canEditText() const override { return false; }
    bool canEditFontColor() const override { return false; }
    // The picture over the whole frame; nothing when it is missing.
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    bool isEqualToControl(const UIControl& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    std::int64_t keyboardType_ = 0;
};
