// Outlines set by both adjustment ratios through one handle: block arrows, a note with a folded corner,
// a folder with a tab, a box in oblique projection, and a pie wedge (X only).
#pragma once

#include "shapes/OutlineSupport.h"

// A block arrow pointing right: X is the head's length (of half the width), Y the shaft's thickness.
class Arrow : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
};

// Heads at both ends, each as long as Arrow's.
class DoubleArrow : public Arrow {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
};

// A sheet whose top-right corner is folded: X the fold's width, Y its height.
class Note : public outline::WithInnerLines<outline::WithStickyRatios<>> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    // The fold (rotated).
    std::optional<pf::Path> interiorStrokePath() const override;
    // The sheet without the folded triangle (rotated).
    const pf::Path& imageClipPath() const override;

private:
    outline::CachedPath imageClip_;
};

// A body with a tab on its top left: X the tab's width, Y its height (of half the height).
class Folder : public outline::WithInnerLines<outline::WithStickyRatios<>> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    // The line under the tab (rotated).
    std::optional<pf::Path> interiorStrokePath() const override;
    // In the body, below the tab.
    pf::Rect textRect() const override;
    const pf::Path& textClipPath() const override;

private:
    pf::Rect bodyRect() const;
    outline::CachedPath textClip_;
};

// A cuboid: front face at the bottom left, depth X across and Y up towards the top right.
class Box : public outline::WithInnerLines<outline::WithStickyRatios<>> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    // The front face's top and right edges and the depth edge to the top-right corner (rotated).
    std::optional<pf::Path> interiorStrokePath() const override;
    pf::Size defaultTextPadSize() const override { return {6.0, 6.0}; }
    // In the front face.
    pf::Rect textRect() const override;
    // The front face in the unrotated frame; the image clip is the same rect turned with the shape.
    const pf::Path& textClipPath() const override;
    const pf::Path& imageClipPath() const override;

private:
    pf::Rect frontFace() const;
    outline::CachedPath textClip_;
    outline::CachedPath imageClip_;
};

// An elliptical wedge from 3 o'clock, clockwise on screen through X of a full turn.
class Pie : public outline::WithStickyRatios<> {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    // Nothing for a frame without width (the wedge is made round and then scaled by h / w).
    void appendPath(pf::Path& path) const override;
    // On the top edge of a wide frame, on the left edge of a tall one.
    pf::Point adjustPoint() const override;
    // The whole ellipse (rotated), so a gradient spreads over it rather than over the wedge.
    std::optional<pf::Path> gradientFillPath() const override;
    // The whole rotated frame, whatever the wedge.
    pf::Rect boundingRect() const override;
};
