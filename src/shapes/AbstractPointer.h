// The base of every connector: two ends, A and B, each of which may carry an arrowhead and may be
// attached to another shape. It owns the arrow types, flip and path style with their setters and stored
// form, finds the connection of an end, computes the part of the connector outside shapes it is attached
// to at their centre, and keeps its stroke out of attached shapes. The arrowheads themselves (sizes,
// outlines, paint and clips) are in Arrowheads.cpp; subclasses supply the ends, angles and outline.
#pragma once

#include "model/Shape.h"
#include "model/ShapeClass.h"

#include <cstdint>
#include <memory>
#include <optional>

class AbstractPointerClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;
    QString stickyPhylumName() const override;
    double libraryListItemShapeStrokeLineWidth() const override;
    // A new connector of this class at the frame, dragged out of a shape's connection-option handle; the
    // caller resizes it by the handle written to `resizeHandle` (BotRit). The option handle is not read
    // here; kinds with a choice of route read it.
    virtual std::shared_ptr<Shape> pointerFromConnectionOptionsWithFrame(const pf::Rect& frame, int optionHandle,
                                                                 int* resizeHandle) const;
};

class AbstractPointer : public Shape {
public:
    // How a head is painted and what clip keeps the connector's stroke out of it.
    enum ArrowPaint : unsigned { PaintNone = 0, PaintStroke = 1, PaintFill = 2 };
    enum class ArrowClip { None, Line, Solid, BarCircle, CircleBar, ClawCircle };

    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    void initWithFrame(const pf::Rect& frame) override;

    // ---- attributes (setters: undoable; pathType and curveRatio sticky) ----
    // 0 straight, 1 rounded; read by the kinds with corners.
    std::uint64_t pathType() const { return pathType_; }
    // hook: kinds whose outline depends on it rebuild it (undo comes back through here).
    virtual void setPathType(std::uint64_t type);
    double curveRatio() const { return curveRatio_; }
    void setCurveRatio(double ratio);
    // The mirror choice of the kind's route. "Flip <short title>".
    bool flipped() const { return flipped_; }
    void setFlipped(bool flipped);
    // 0 no head, 1 to 57 heads. Not sticky.
    virtual std::uint64_t arrowTypeA() const { return arrowTypeA_; }
    virtual std::uint64_t arrowTypeB() const { return arrowTypeB_; }
    virtual void setArrowTypeA(std::uint64_t type);
    virtual void setArrowTypeB(std::uint64_t type);
    // Some end has a head and the two types differ (kept up to date by the arrow-type setters).
    bool canSwapArrow() const { return canSwapArrow_; }
    // Set by the inspector around the drawing of its arrow-type menus (menu variants of some heads).
    bool drawingMenuItem() const { return drawingMenuItem_; }
    void setDrawingMenuItem(bool drawing) { drawingMenuItem_ = drawing; }
    // The width head builders use: the stroke width.
    double currentArrowStrokeLineWidth() const { return strokeLineWidth(); }
    void setCurrentArrowStrokeLineWidth(double width) { currentArrowStrokeLineWidth_ = width; }
    virtual double currentArrowStrokeLineWidthFor(double width) const { return width; }
    bool hasArrow() const { return arrowTypeA() != 0 || arrowTypeB() != 0; }
    bool hasDoubleArrow() const { return arrowTypeA() != 0 && arrowTypeB() != 0; }

    // ---- ends (the base has none; kinds override) ----
    virtual QVRectCorner cornerA() const { return QVRectCornerNone; }
    virtual QVRectCorner cornerB() const { return QVRectCornerNone; }
    virtual pf::Point pointA() const { return {}; }
    virtual pf::Point pointB() const { return {}; }
    // Outward directions at the ends in degrees (0 right, 90 down).
    virtual double currentAngleForArrowA() const { return 0; }
    virtual double currentAngleForArrowB() const { return 0; }
    // Where the head of an end is drawn: the end itself, or where the connector leaves the shape the end
    // is attached to at its centre.
    pf::Point arrowPointA() const;
    pf::Point arrowPointB() const;

    // ---- connections ----
    // The first connection of the shape's list on that end; null when none.
    std::shared_ptr<ShapeConnection> connectionForCorner(QVRectCorner corner) const;
    bool isConnectedAtCorner(QVRectCorner corner) const { return connectionForCorner(corner) != nullptr; }
    // Asks the page to remove every connection on that end.
    void removeConnectionForCorner(QVRectCorner corner);
    void addConnection(std::shared_ptr<ShapeConnection> connection) override;
    void removeConnection(const ShapeConnection* connection) override;
    bool isConnectedToPointer(const Shape* pointer) const override
    {
        (void)pointer;
        return false;
    }
    // Connectors move with their ends, not with their attachments.
    void updateConnections() override {}

    // ---- visible parts (cached until the path is rebuilt) ----
    // The connector outside the shape end A (B) is attached to at its centre, when that end has a head;
    // none otherwise (the whole connector is then used).
    const std::optional<pf::Path>& visibleQuartzPathA() const;
    const std::optional<pf::Path>& visibleQuartzPathB() const;
    // newQuartzPath with the shapes both ends are attached to at their centre cut away.
    const pf::Path& visibleQuartzPath() const;
    // The outline the visible parts are cut from: the shape's path.
    virtual pf::Path newQuartzPath() const { return path(); }

    // Hit-test outline, built by the kinds and dropped with every rebuild.
    const std::optional<pf::Path>& cachedIntersectionPath() const { return intersectionPath_; }
    void setIntersectionPath(std::optional<pf::Path> path) const { intersectionPath_ = std::move(path); }

    void regeneratePathWithOldFrame(const pf::Rect& oldFrame) override;

    // The normalised frame's larger side as a square about its centre, grown by the larger head on
    // each axis plus 2.
    pf::Rect contentRect() const;
    pf::Rect renderRect() const override { return dirtyRect(); }
    // The line by its joins, the heads at both ends with their strokes, and the label.
    pf::Rect calcPaintedRect() const override;
    // The bounds of both ends' heads as placed (the zero rect without heads).
    pf::Rect arrowHeadsRect() const;

    // ---- drawing ----
    // Strokes with nothing drawn inside attached shapes that are rotated or attached at their centre.
    void drawStrokeInContextColorPathLineWidth(pf::GraphicsContext& context, const pf::Color& color,
                                               const pf::Path& path, double lineWidth) const override;
    virtual bool wantsFill() const { return false; }

    // ---- arrowheads (Arrowheads.cpp) ----
    // (W, H) of a head type; (0, 6) for 0 and (0, 0) above 57.
    static pf::Size arrowHeadSizeForType(std::uint64_t type);
    static unsigned arrowPaintForType(std::uint64_t type);
    static ArrowClip arrowClipForType(std::uint64_t type);
    // The head outline in its own frame (tip at the origin, the connector along -x) with its line width;
    // none for types without a builder. The menu variants apply while drawingMenuItem is set.
    std::optional<pf::Path> arrowPathForArrowType(std::uint64_t type) const;
    // Draws the head in the current colour into a context moved to the tip and turned to the end's angle.
    void drawFillStrokeArrowForArrowType(pf::GraphicsContext& context, std::uint64_t type) const;
    // arrowPathForArrowType with this cap and join, kept for the next heads drawn alike on this thread.
    std::shared_ptr<const pf::Path> keptArrowPath(std::uint64_t type, pf::LineCap cap, pf::LineJoin join) const;
    // The area of the head frame the connector's stroke must not reach; none for types without one.
    std::optional<pf::Path> clipPathForArrowType(std::uint64_t type) const;
    // Both ends' heads in the stroke colour, each at its arrow point moved by (offset, offset) and turned
    // to its end's angle; nothing for an end without a head.
    void drawArrowHeadsInContext(pf::GraphicsContext& context, double offset) const;
    // Clips the stroke out from under both ends' heads, placed as drawArrowHeadsInContext places them.
    void clipOutArrowHeads(pf::GraphicsContext& context, double offset) const;
    // The straight segment (stroked moved by (shift, shift), this wide, with this cap) shortened so that its
    // stroke stops where clipOutArrowHeads(context, offset) would clip it: the same pixels without a clip
    // mask. None when a shortening cannot stand for the clip (a curve, a head's clip not a rect square
    // across the stroke, a cut round cap, any cut when keepEnds); the segment itself when nothing is cut.
    std::optional<pf::Path> segmentCutAtHeads(const pf::Path& segment, double offset, double shift, double width,
                                              pf::LineCap cap, bool keepEnds) const;

    // ---- predicates ----
    bool isPointer() const override { return true; }
    // The ends clip to the shapes they attach to.
    bool drawingMovesWithFrame() const override { return false; }
    bool canConvertToBezier() const override { return false; }
    bool canInvert() const override { return false; }
    bool canIntersect() const override { return false; }
    int dropColorType() const override { return 1; }

    // ---- equality, copy, stored form, style ----
    bool isEqualToShape(const Shape& other) const override;
    bool isEqualToPointer(const AbstractPointer& other) const;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;
    void applyStyle(const pf::Value& style) override;
    void applyArrowStyle(const pf::Value& style);
    void applyPathStyle(const pf::Value& style);

    // The library previews' stroke: solid, the library colour and width, a soft shadow (hidden).
    void setLibraryStrokeStyle();

protected:
    void copyFrom(const Shape& source) override;
    // Both heads in the stroke colour at the arrow points moved by (shift, shift), turned outward; nothing
    // when hidden, unstroked or without heads.
    void drawArrowHeads(pf::GraphicsContext& context, double shift) const;
    // The visible part of the connector at one end (its head's type, its corner).
    std::optional<pf::Path> visiblePartAtCorner(std::uint64_t arrowType, QVRectCorner corner) const;
    // The shape attached to the end at its centre (edge Mid, or any edge of a turned shape, whose ends are
    // placed at its centre); null when none.
    std::shared_ptr<Shape> shapeAttachedAtCentre(QVRectCorner corner) const;

private:
    void afterArrowTypeChange();
    void dropVisiblePaths() const;

    std::uint64_t pathType_ = 0;
    double curveRatio_ = 0;
    double currentArrowStrokeLineWidth_ = 0;
    mutable std::optional<pf::Path> intersectionPath_;
    mutable std::optional<pf::Path> visibleQuartzPathA_;
    mutable std::optional<pf::Path> visibleQuartzPathB_;
    mutable std::optional<pf::Path> visibleQuartzPath_;
    bool canSwapArrow_ = false;
    bool flipped_ = false;
    bool drawingMenuItem_ = false;
    std::uint64_t arrowTypeA_ = 0;
    std::uint64_t arrowTypeB_ = 0;
};
