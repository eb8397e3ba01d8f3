// Fixed drawings stretched to the frame: a stick figure (Man, shown as "Person"), torn sheets (Tearaway,
// DoubleTearaway) and the tabulated designs Cloud, Blob, Fan and Bracket.
#pragma once

#include "shapes/OutlineSupport.h"

// A head and an open stick body; text is kept clear of the lines.
class Man : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void appendPath(pf::Path& path) const override;
    // While editing, the editor's band; otherwise the text's bounds; nothing without text (rotated).
    const pf::Path& textClipPath() const override;
    // The figure's lines stop at the text.
    void drawStrokeInContext(pf::GraphicsContext& context) override;
    // Upright or upside down the whole frame counts, so the thin figure is easy to hit.
    bool containsPoint(const pf::Point& point) const override;
    bool canConvertToBezier() const override { return false; }
    bool canInvert() const override { return false; }
    bool canIntersect() const override { return false; }

private:
    mutable pf::Path textClip_;
};

// A sheet torn along its bottom edge: two slanted teeth meeting at a notch in the middle.
class Tearaway : public outline::WithOutlineDepth<Shape, 8> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // Depth of the torn edge in points (8 in a new shape; not stored, so a shape read back has 8).
    double jaggedHeight() const { return outlineDepth(); }
    void setJaggedHeight(double height) { setOutlineDepth(height); }

    void appendPath(pf::Path& path) const override;
    // Above the torn edge.
    pf::Rect textRect() const override;
};

// Torn along the top edge too.
class DoubleTearaway : public Tearaway {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    // Between the torn edges.
    pf::Rect textRect() const override;
};

class Cloud : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

class Blob : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

// A cone opening upward from the bottom centre.
class Fan : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

// A left curly brace, its point at mid-height on the left; keeps its aspect ratio and takes neither text nor an image.
class Bracket : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override;
    void appendPath(pf::Path& path) const override;
    bool canEditText() const override { return false; }
    bool canEditImage() const override { return false; }
};
