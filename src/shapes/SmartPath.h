// Path: the click-by-click connector, an open line through points the user places, drags, inserts and
// removes. It is drawn as a polyline with rounded corners (path type 0) or as a smooth curve through every
// point (path type 1). Its first and last points are ends A and B: they carry heads and attach to shapes.
// The points are in page coordinates and the frame follows them (the bounds of the drawn outline); moving
// the frame moves the points, resizing it does not scale them.
// BrushPath: the path the brush tool grows while dragging, shown as a Brush.
#pragma once

#include "shapes/AbstractPointer.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace pf {
class ClassRegistry;
}

class Path : public AbstractPointer {
public:
    using ModelPoints = std::vector<pf::Point>;

    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // Four points: the top-left corner, two on the middle line at a quarter and three quarters of the
    // width, and the bottom-right corner.
    void initWithFrame(const pf::Rect& frame) override { initWithFrameMidPoints(frame, true); }
    // Without mid points: the top-left corner and the bottom-right corner twice (the last point follows
    // the drawing tool's pointer).
    void initWithFrameMidPoints(const pf::Rect& frame, bool midPoints);

    // ---- points ----
    const ModelPoints& modelPoints() const { return modelPoints_; }
    // One undoable step "Adjust Path"; fewer than two points are refused (logged). Refits the frame.
    void setModelPoints(ModelPoints points);
    pf::Point modelPointAtIndex(std::size_t index) const { return modelPoints_.at(index); }
    // The point rounded to whole units; no undo. Out-of-range indexes are ignored.
    void setPointAtIndex(const pf::Point& point, std::size_t index);
    void appendPoint(const pf::Point& point);
    // Inserts the point where the outline passes within half the stroke plus 5 of it; nothing elsewhere.
    void insertPoint(const pf::Point& point);
    // Removal keeps at least two points.
    void removePoint(const pf::Point& point);
    void removeLastPoint();
    void removeSecondPoint();
    void removeModelPointAtIndex(std::size_t index);
    // The first of the nearest; 0 for no points.
    std::size_t modelIndexClosestToPoint(const pf::Point& point) const;
    // The point index before which a point on that element of the outline goes.
    std::size_t modelIndexForBezierIndex(int element) const;

    bool frameTranslationEnabled() const { return frameTranslationEnabled_; }
    void setFrameTranslationEnabled(bool enabled) { frameTranslationEnabled_ = enabled; }
    // Set by the brush tool: the manipulator draws no point handles.
    bool hideHandles() const { return hideHandles_; }
    void setHideHandles(bool hide) { hideHandles_ = hide; }

    // Sets the frame to the outline's bounds without moving the points.
    void refitFrame();

    // ---- ends ----
    QVRectCorner cornerA() const override { return 0; }
    QVRectCorner cornerB() const override
    {
        return modelPoints_.empty() ? 0 : static_cast<QVRectCorner>(modelPoints_.size() - 1);
    }
    // The first point, the point the head of A aims from, the point the head of B aims from, the last
    // point; answers the number of elements (rounded) or points (straight) they were taken from.
    std::size_t getEndPoints(pf::Point (&points)[4]) const;
    pf::Point pointA() const override;
    pf::Point pointB() const override;
    double currentAngleForArrowA() const override;
    double currentAngleForArrowB() const override;
    // 6 units in from each end along its segment.
    pf::Point labelPointA() const;
    pf::Point labelPointB() const;
    // Corner 0 moves the first point, any other corner the last.
    void setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner) override;

    // ---- outline and frame ----
    void appendPath(pf::Path& path) const override;
    void regeneratePathWithOldFrame(const pf::Rect& oldFrame) override;
    // The points themselves are turned.
    void applyRotationToPath() override {}
    void setRotationAngle(std::int64_t degrees) override;
    // The inherited setter, then the outline and frame follow.
    void setPathType(std::uint64_t type) override;
    void setEditingText(bool editing) override;

    // ---- drawing ----
    void drawFillInContext(pf::GraphicsContext& context) override { (void)context; }
    void drawStrokeInContext(pf::GraphicsContext& context) override;
    void drawArrowsInContext(pf::GraphicsContext& context) override;
    pf::Rect calcDirtyRect() const override;

    // ---- hit testing ----
    // The outline stroked 10 screen points wider than the line (cached until the path is rebuilt).
    const pf::Path& intersectionPath() const;
    bool containsPoint(const pf::Point& point) const override;

    // ---- fixed values: stroked only ----
    void setFillType(std::uint64_t type) override;
    void setFillColor(pf::OptionalColor color) override;
    bool isPath() const override { return true; }
    bool canEditImage() const override { return false; }
    const pf::Path& textClipPath() const override;

    // ---- drags ----
    void beginDrag() override;
    // One "Adjust Path" step from the points at the start of the drag.
    void endDrag(const pf::Event& event) override;

    // ---- equality, stored form ----
    bool isEqualToShape(const Shape& other) const override;
    bool isEqualToPath(const Path& other) const;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;
    void applyStyle(const pf::Value& style) override;

    // The library preview: a rounded path through four points.
    static std::shared_ptr<Shape> libraryPath(const ShapeClass& kind, const pf::Rect& frame);

protected:
    void copyFrom(const Shape& source) override;

private:
    void appendStraight(pf::Path& path) const;
    void appendRounded(pf::Path& path) const;
    // After every point edit: the outline rebuilt and the frame refitted.
    void pointsChanged();
    // Model points from the legacy stored bezier path; none when it does not decode (logged).
    static std::optional<ModelPoints> pointsFromPathData(const pf::Value& stored);

    ModelPoints modelPoints_;
    std::optional<ModelPoints> dragStartModelPoints_;
    bool frameTranslationEnabled_ = false;
    bool hideHandles_ = false;
    mutable pf::Path textClip_;
};

class BrushPath : public Path {
public:
    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

// Registers Path and BrushPath.
void registerPathShapes(pf::ClassRegistry& registry);
