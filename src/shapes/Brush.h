// The free-hand stroke: a path of any form, drawn with the brush tool or placed from the library. Its
// outline is the stored path, not one computed from parameters, so the path is kept in the stored form
// ("pathData", PathData.h) and fitted to every new frame by moving and scaling. A brush is never rotated.
#pragma once

#include "model/Shape.h"

#include <optional>

namespace pf {
class ClassRegistry;
}

class Brush : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A new brush starts from the sample path of the "Brush" resource fitted to the frame, unless the
    // process has switched samples off (the preview generator does: a brush there starts empty).
    void initWithFrame(const pf::Rect& frame) override;
    void initWithFrameFromFile(const pf::Rect& frame, bool fromFile);
    static bool loadsSamplePath();
    static void setLoadsSamplePath(bool loads);
    // The path held by a "Brush" resource value (its "pathData"); empty when there is none or it does not
    // decode (logged).
    static pf::Path samplePathFromResource(const std::optional<pf::Value>& resource);

    // Replaces the stroke's path as it stands, in page coordinates (the brush tool's finished stroke).
    void setPath(pf::Path path);
    // While set, frame changes leave the path where it is (the end of a drag, which fitted it already).
    bool preventAppendPath() const { return preventAppendPath_; }
    void setPreventAppendPath(bool prevent) { preventAppendPath_ = prevent; }
    // The outline of the stroke widened by 10 screen points, which an unfilled brush is hit within.
    const pf::Path& intersectionPath() const;

    bool isBrush() const override { return true; }
    // The stroke follows the frame by whole points only.
    bool drawingMovesWithFrame() const override { return false; }
    // The rotation stays 0.
    void setRotationAngle(std::int64_t degrees) override;
    // At least one point in each direction.
    bool isValidFrame(const pf::Rect& frame) const override;
    // Moves the path by the change of origin and scales it about the new origin by the change of size;
    // changes under one point are left alone, so a frame rounded back and forth never drifts the path.
    void regeneratePathWithOldFrame(const pf::Rect& oldFrame) override;
    void appendPath(pf::Path& path) const override;
    // Inside the fill (when there is one) or within the widened stroke.
    bool containsPoint(const pf::Point& point) const override;
    void endDrag(const pf::Event& event) override;

    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    // The drawn path made again from the stroke, with every cache derived from it dropped.
    void rebuildPath();

    pf::Path stroke_;
    bool preventAppendPath_ = false;
    // The widened outline and the stroke it was made for: a new width, cap, join or zoom makes it again.
    struct HitOutline {
        pf::Path path;
        double width = 0;
        std::int32_t cap = 0;
        std::int32_t join = 0;
    };
    mutable std::optional<HitOutline> hitOutline_;
};

// Registers Brush.
void registerBrushShapes(pf::ClassRegistry& registry);
