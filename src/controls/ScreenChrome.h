// The phone screen's chrome, drawn in vector form: the status bar at the top (clock, signal, wifi,
// battery; for screens with rounded corners and a sensor array, those cut in black) and the home
// indicator at the bottom (the rounded bottom corners and the drag pill). Both span the page they are
// added to.
#pragma once

#include "controls/UIControl.h"
#include "platform/text/TextAttributes.h"

#include <cstdint>

class UIStatusBar : public UIControl {
public:
    // 0: a plain 20-point bar; 1: a 44-point bar for a screen with rounded corners and a sensor array. Other
    // values keep the bar's height and draw as 0.
    enum SensorArrayType : std::int64_t { SensorArrayNone = 0, SensorArrayNotch = 1 };
    static constexpr std::int64_t sensorArrayTypeCount = 2;

    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // 20 high, filled, unstroked; the clock "9:42" centred, bold, in the tint, which is black.
    void initWithFrame(const pf::Rect& frame) override;

    // Undoable ("Sensory Array Type"); the height follows.
    std::int64_t sensorArrayType() const { return sensorArrayType_; }
    void setSensorArrayType(std::int64_t type);

    // The height for the type, the frame's own for other values; fixed to it.
    void updateFrame() override;
    // For the sensor-array bar the clock sits left of the array.
    pf::Rect textRect() const override;
    // The clock's attributes: the text's own font (the class default for new text) made bold, the tint as
    // its colour. Restyling and new text in the editor take them.
    pf::TextAttributes textAttributes() const override;
    // The clock follows the tint.
    void setTintColor(pf::OptionalColor color) override;

    // Boxes of the drawing, from a frame (x, y, w, h); Y centres a 20-point box on the bar.
    pf::Rect signalRectForFrame(const pf::Rect& frame) const;
    pf::Rect wifiRectForFrame(const pf::Rect& frame) const;
    pf::Rect batteryRectForFrame(const pf::Rect& frame) const;
    // The right-hand boxes are origins of mirrored drawings, so they start at the right edge.
    static pf::Rect leftCornerRectForFrame(const pf::Rect& frame);
    static pf::Rect rightCornerRectForFrame(const pf::Rect& frame);
    static pf::Rect leftSensorArrayRectForFrame(const pf::Rect& frame);
    static pf::Rect rightSensorArrayRectForFrame(const pf::Rect& frame);

    // The area outside a rounded screen corner of radius 44, in a 44-point box.
    static const pf::Path& cornerRadiusPath();
    // The left half of the sensor array, 110.5 wide and 30 high, its flat side at x 110.5.
    static const pf::Path& sensorArrayPath();

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    bool isEqualToControl(const UIControl& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    bool hasSensorArray() const { return sensorArrayType_ == SensorArrayNotch; }
    std::int64_t sensorArrayType_ = 0;
};

class UIHomeIndicator : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    static constexpr double height = 44;

    // 44 high from the next frame change on, no fill, no stroke, a black pill.
    void initWithFrame(const pf::Rect& frame) override;

    static pf::Rect leftCornerRectForFrame(const pf::Rect& frame);
    static pf::Rect rightCornerRectForFrame(const pf::Rect& frame);
    static pf::Rect leftDragIndicatorRectForFrame(const pf::Rect& frame);
    static pf::Rect rightDragIndicatorRectForFrame(const pf::Rect& frame);
    // The left half of the pill, 67 × 5.
    static const pf::Path& dragIndicatorPath();

    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    bool isEqualToControl(const UIControl& other) const override;
};
