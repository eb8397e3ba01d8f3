// Two small stand-alone controls drawn in vector form: the on/off switch (on is the highlighted state)
// and the activity indicator, sixteen spokes fading clockwise.
#pragma once

#include "controls/UIControl.h"

class UISwitch : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    static constexpr double width = 51, height = 31;

    // Fixed at 51 × 31 from the next frame change on; no fill, no stroke.
    void initWithFrame(const pf::Rect& frame) override;

    // "uiswitch_on" when highlighted, else "uiswitch_off" (the drawing itself does not use the picture).
    void updateControlImageIdentifier() override;
    // A rounded rect of radius 15.
    void appendPath(pf::Path& path) const override;
    // The knob's oval: at the right end when on, the left end when off.
    pf::Rect knobRect() const;
    // The track filled in the tint when on (white when off), the knob over it with a shadow kept at the
    // same size on screen at any zoom.
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    bool canEditText() const override { return false; }
    bool canEditFontColor() const override { return false; }
    bool isEqualToControl(const UIControl& other) const override;

    // The track's outline in the switch's own box, made once.
    static const pf::Path& trackPath();
};

class UIActivityIndicator : public UIControl {
public:
    static const UIControlClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    static constexpr int spokeCount = 16;

    // No fill, no stroke, grey, the aspect ratio kept.
    void initWithFrame(const pf::Rect& frame) override;

    // Spoke i's alpha: a sixteenth fainter each, never under 0.2.
    static double alphaForSpoke(int index);
    // The upright spoke at the top of the frame, centred; it is turned about the centre for the others.
    pf::Rect spokeRect() const;
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    bool canEditText() const override { return false; }
    bool canEditFontColor() const override { return false; }
    bool isEqualToControl(const UIControl& other) const override;
};
