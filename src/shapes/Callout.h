// Callout: the speech bubble. An ellipse filling the frame united with a triangular tail whose tip is
// kept as an absolute point in the two adjustment ratios, so the tip stays put when the bubble is resized
// and follows it when it is moved.
#pragma once

#include "model/Shape.h"
#include "model/ShapeClass.h"

namespace pf {
class ClassRegistry;
}

class Callout : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The tip just below the bubble's bottom-right corner.
    void initWithFrame(const pf::Rect& frame) override;

    // The tail's tip, in the frame's coordinates.
    pf::Point tailTip() const { return {adjustmentRatioX(), adjustmentRatioY()}; }
    void setTailTip(const pf::Point& tip);
    pf::Point adjustPoint() const override { return tailTip(); }

    // While set, frame changes leave the tip alone.
    bool disableTailAdjustment() const { return disableTailAdjustment_; }
    void setDisableTailAdjustment(bool disable) { disableTailAdjustment_ = disable; }

    // A move carries the tip along; a change of size alone does not.
    void setFrame(const pf::Rect& frame) override;
    // The tip is a place on the page, which a move may leave behind.
    bool drawingMovesWithFrame() const override { return false; }
    // The whole drag is one frame change, without moving the tip a second time.
    void endDrag(const pf::Event& event) override;

    // The ellipse united with the tail.
    void appendPath(pf::Path& path) const override;
    // Covers the tip, which may lie far outside the frame.
    pf::Rect calcDirtyRect() const override;
    // Documents of version 7 and older kept the tip elsewhere: it is put back below the bubble.
    void readPlist(const pf::Value& plist) override;

    // The library preview.
    static std::shared_ptr<Shape> libraryCallout(const ShapeClass& kind, const pf::Rect& frame);

private:
    bool disableTailAdjustment_ = false;
    bool deferOutline_ = false;
};

// Registers Callout.
void registerCalloutShape(pf::ClassRegistry& registry);
