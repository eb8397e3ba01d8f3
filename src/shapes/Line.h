// Line: the straight connector from the frame's top-left corner (end A) to its bottom-right corner (end
// B); the frame's width and height may be negative so the segment runs any way. It draws its heads,
// keeps its stroke out from under them and its label, and carries a label centred on the segment.
// Pointer: a Line drawn as one filled block arrow from end B to a tip at end A.
#pragma once

#include "shapes/AbstractPointer.h"

namespace pf {
class ClassRegistry;
}

class Line : public AbstractPointer {
public:
    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    QVRectCorner cornerA() const override { return QVRectCornerTopLef; }
    QVRectCorner cornerB() const override { return QVRectCornerBotRit; }
    pf::Point pointA() const override;
    pf::Point pointB() const override;
    // θA points outward at A (from B through the arrow point of A), θB outward at B; 0 to 360 degrees.
    double currentAngleForArrowA() const override;
    double currentAngleForArrowB() const override;
    double currentAngle() const { return currentAngleForArrowA(); }
    // θA snapped to a multiple of 45 degrees.
    double currentShiftedAngle() const;
    pf::Size arrowAHeadSize() const { return arrowHeadSizeForType(arrowTypeA()); }
    pf::Size arrowBHeadSize() const { return arrowHeadSizeForType(arrowTypeB()); }

    void appendPath(pf::Path& path) const override;
    // Moves that end; the other stays and the size may turn negative.
    void setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner) override;
    // Every component finite; zero and negative sizes are lines too.
    bool isValidFrame(const pf::Rect& frame) const override { return QVRectIsValid(frame); }

    bool isLine() const override { return true; }
    bool canEditImage() const override { return false; }

    // ---- drawing ----
    // Only for kinds that want a fill.
    void drawFillInContext(pf::GraphicsContext& context) override;
    // The segment with nothing drawn under the heads or the label.
    void drawStrokeInContext(pf::GraphicsContext& context) override;
    void drawArrowsInContext(pf::GraphicsContext& context) override;
    // Turned along the segment when the text is drawn on the path.
    void drawTextInContext(pf::GraphicsContext& context) override;
    pf::Rect calcDirtyRect() const override;

    // ---- hit testing ----
    // The band between the end handles, except inside shapes attached at their centre; or the label.
    bool containsPoint(const pf::Point& point) const override;
    // The band between the end handles (cached until the path is rebuilt).
    virtual const pf::Path& intersectionPath() const;

    // ---- label ----
    pf::Rect textRect() const override;
    // Where a label shorter than the text rect is too low for its text (a flat line): the text's own size,
    // centred on the line's middle height and placed across by textAlign. Otherwise the shape's band.
    pf::Rect horizontalTextRectForText(const pf::AttributedString& text) const override;
    // The label's bounds (turned by θB about the centre when drawn along the path): what the stroke leaves
    // out and what hits.
    const pf::Path& textClipPath() const override;

    // The library preview, a line of the given class (a Line or a kind derived from it).
    static std::shared_ptr<Shape> libraryLine(const ShapeClass& kind, const pf::Rect& frame);

protected:
    // The bounds of the laid-out label (textBoundingRect); the zero rect when no label shows.
    virtual pf::Rect labelBoundingRect() const;
    // The outward angle at a from the other end b, in degrees.
    static double outwardAngle(const pf::Point& a, const pf::Point& b);

private:
    // The label's size, kept while its text and column width stay: hit tests and redraws ask for it often.
    struct MeasuredLabel {
        pf::AttributedString text;
        double width = 0;
        pf::Size size;
    };
    pf::Size measuredLabelSize(const pf::AttributedString& text, const pf::Rect& column) const;

    // Both outward angles, kept for the frame they were computed at: a frame drawn asks for each several
    // times (shortening, clip, heads). Only a line attached to nothing keeps them, as only its ends are
    // wholly its frame's; an attached end follows the shape it is attached to.
    struct KeptAngles {
        pf::Rect frame;
        double a = 0, b = 0;
    };
    const KeptAngles* keptAngles() const;

    mutable pf::Path textClip_;
    mutable std::optional<KeptAngles> keptAngles_;
    mutable std::optional<MeasuredLabel> measuredLabel_;
};

class Pointer : public Line {
public:
    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The library pictures' smaller proportions.
    bool isIcon() const { return isIcon_; }
    void setIcon(bool icon)
    {
        isIcon_ = icon;
        jiggleFrameWithoutUndo();
    }

    // The head is part of the outline: no separate heads.
    std::uint64_t arrowTypeA() const override { return 0; }
    std::uint64_t arrowTypeB() const override { return 0; }
    void setArrowTypeA(std::uint64_t type) override;
    void setArrowTypeB(std::uint64_t type) override;
    void drawArrowsInContext(pf::GraphicsContext& context) override { (void)context; }

    // The block arrow from end B to its tip at end A (from the visible part when attached).
    void appendPath(pf::Path& path) const override;
    // The closed segment A → B.
    pf::Path newQuartzPath() const override;
    // A hexagon about the full-size block arrow, grown by half the stroke widths.
    const pf::Path& intersectionPath() const override;

    bool isPointerShape() const override { return true; }
    bool wantsFill() const override { return true; }
    bool canIntersect() const override { return true; }
    bool canConvertToBezier() const override { return true; }
    int dropColorType() const override { return 0; }
    pf::Rect fillFrame() const override { return QVRectOutset(frame(), 1.0, 1.0); }
    double fillGradientAngle() const override { return static_cast<double>(fillAngle()) + currentAngleForArrowA(); }

    // The library preview.
    static std::shared_ptr<Shape> libraryPointer(const pf::Rect& frame);

private:
    // Appends the block arrow of length `length` whose tail is at `tail`, turned by `degrees`.
    void appendBlockArrow(pf::Path& path, double length, const pf::Point& tail, double degrees) const;
    bool isIcon_ = false;
};

// Registers Line and Pointer.
void registerConnectorShapes(pf::ClassRegistry& registry);
