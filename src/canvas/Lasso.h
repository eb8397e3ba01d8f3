// The rubber band: a rectangle put into the page's shape list while it is dragged and taken out at
// mouse-up. Two bands exist, one object each for the whole program: the selection band, which selects what
// it touches, and the zoom band of the Control-drag, whose rect the canvas zooms to. A band is never
// stored, selected or registered and records no undo.
#pragma once

#include "model/Rectangle.h"

class LassoClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    bool wantsRegistration() const override { return false; }
    bool isStickySettingEnabled() const override { return false; }
    bool isSavableKind() const override { return false; }
};

class Lasso : public Rectangle {
public:
    static const LassoClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // Cyan, translucent.
    static const std::shared_ptr<Lasso>& selectionLasso();
    // Light grey, translucent, with a dark grey outline.
    static const std::shared_ptr<Lasso>& zoomLasso();

    // Filled, with one plain outline; no shadows.
    void initWithFrame(const pf::Rect& frame) override;

    bool isLasso() const override { return true; }
    bool isSavable() const override { return false; }
    bool isSelectable() const override { return false; }
    bool isSnapable() const override { return false; }

    // Only on screen, never in a thumbnail or a loupe.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    // The frame's outline, one screen point wide at any zoom.
    void drawStrokeInContext(pf::GraphicsContext& context) override;
    // The frame and the outline's screen point.
    pf::Rect calcDirtyRect() const override;
};
