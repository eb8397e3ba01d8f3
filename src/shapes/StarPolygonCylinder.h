// Star (five points, inner radius by adjustmentRatioX), PolygonShape (5 to 8 sides from vertex tables)
// and Cylinder (cap depth by adjustmentRatioY, with the front edge of its top cap drawn as an inner line).
#pragma once

#include "shapes/OutlineSupport.h"

#include <cstdint>

class Star : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    std::uint64_t numberOfSides() const { return 5; }
    double radius() const { return frame().width() / 2; }
    double centerRadius() const { return frame().width() / 4 * adjustmentRatioX(); }
    // The angle between two points, in radians.
    double centralAngle() const;

    // Always fills the frame's width and height; nothing for a frame without width or height.
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
};

class PolygonShape : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    void initWithFrame(const pf::Rect& frame) override;
    // 0 draws as 5; counts outside 5..8 draw nothing. Undoable ("Number of Sides"), not sticky.
    std::uint64_t numberOfSides() const { return numberOfSides_; }
    void setNumberOfSides(std::uint64_t sides);

    void appendPath(pf::Path& path) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    std::uint64_t numberOfSides_ = 5;
};

class Cylinder : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void appendPath(pf::Path& path) const override;
    // The front edge of the top cap, on the centre line.
    pf::Point adjustPoint() const override;
    // The outline with its top along the front edge of the top cap (rotated).
    pf::Path bodyPath() const;
    // The whole top cap (rotated).
    std::optional<pf::Path> interiorStrokePath() const override;
    void drawStrokeInContext(pf::GraphicsContext& context) override;

    pf::Size defaultTextPadSize() const override { return {3.0, 6.0}; }
    // Below the top cap while the cap is shallow, inside it once it is deep.
    pf::Rect textRect() const override;
    const pf::Path& textClipPath() const override;
    const pf::Path& imageClipPath() const override { return textClipPath(); }

private:
    struct Points;
    Points points() const;
    // Move to P1, curve to the adjust point and on to P3: the front edge of the top cap.
    static void appendFrontEdge(pf::Path& path, const Points& p);
    outline::CachedPath textClip_;
};
