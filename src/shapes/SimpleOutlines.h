// Fixed figures drawn into the frame, six of them shaped further by adjustmentRatioX: RoundRectangle,
// Ellipse, Triangle, RightTriangle, Diamond, Home, Parallelogram, Input, DoubleInput.
#pragma once

#include "model/Rectangle.h"
#include "shapes/OutlineSupport.h"

// adjustmentRatioX sets the corner radius as a fraction of the width: all four corners up to a stadium
// at 0.5, then only the top two, shrinking again to square at 1.
class RoundRectangle : public outline::WithStickyRatios<Rectangle> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    pf::Rect textRect() const override;
    // The rotated frame's bounds, not the outline's.
    pf::Rect boundingRect() const override;
};

class Ellipse : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

class Triangle : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

// The right angle at the bottom left; text in the lower-left quarter.
class RightTriangle : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Rect textRect() const override;
};

// adjustmentRatioX insets the top and bottom points: a hexagon with flat ends, a true diamond at 1.
class Diamond : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
};

// adjustmentRatioX is the width of the roof's slope; at 1 the roof peaks at the top centre.
class Home : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
};

// adjustmentRatioX is the slant as a fraction of the width.
class Parallelogram : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
};

// A rectangle whose left side is notched inward by adjustmentRatioX of half the width.
class Input : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    // From the notch point to the right edge.
    pf::Rect textRect() const override;
};

// Both sides notched by the same depth.
class DoubleInput : public Input {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    // The right notch point, the mirror of adjustPoint.
    pf::Point rightAdjustPoint() const;
};
