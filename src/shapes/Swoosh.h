// A box whose bottom edge is a wave: a crest at three quarters of the width, a trough at one quarter.
#pragma once

#include "shapes/OutlineSupport.h"

class Swoosh : public outline::WithOutlineDepth<Shape, 1> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The wave's depth factor (1 in a new swoosh; not stored, so a swoosh read back has 1).
    double swooshHeight() const { return outlineDepth(); }
    void setSwooshHeight(double height) { setOutlineDepth(height); }
    // The wave's depth: √|h| × swooshHeight, negative for a negative height, so tall and short swooshes
    // look alike.
    double currentSwooshHeight() const;

    void appendPath(pf::Path& path) const override;
    // Above the wave's crest.
    pf::Rect textRect() const override;
};
