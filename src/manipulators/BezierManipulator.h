// The selection of a single Bezier, edited point by point and handle by handle: the frame, the outline, a
// round handle on every point and on every control point that stands off its point, with the lines that
// join them. A point drags with its control points; a control point drags its peer across the point unless
// the junction is independent. Shift holds a point on a horizontal or vertical line through where it
// started, a control point on the nearest of the horizontal, vertical and diagonal lines through its point.
// Command pulls a control out of a point, makes a control independent, and a Command-click collapses
// handles into a corner. A double-click on the outline puts a point in (the point and the drag that follows
// are one undo step); one on a point takes it out. While the pen tool is still drawing the curve it shows
// the pen's pending controls instead of the frame. With anything else selected it is the plain connector
// selection.
//
// Handle numbers are the Bezier's own (see Bezier.h): 0 to 8 the frame, 9 + i point i, n + 9 + 2i + s the
// control points. Ends A and B are handles 9 and n + 8, corners 0 and n − 1 of the connector.
#pragma once

#include "manipulators/PointerManipulators.h"

#include <vector>

class Bezier;

class BezierManipulator : public AbstractPointerManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // Hit squares of points and control points (page points at zoom 1); drawn sizes in view points.
    static constexpr double handleSide = 10.0;
    static constexpr double pointViewSide = 8.0;
    static constexpr double controlViewSide = 6.0;

    bool hasSingleBezier() const;
    // The single Bezier (null unless hasSingleBezier).
    Bezier* singleBezier() const;

    bool isPointer() const override { return true; }
    bool allowsRotation() const override { return false; }
    bool allowsAdjusting() const override { return false; }
    bool showsRotationHandle() const override { return false; }
    bool allowsInsertPoint() const override { return hasSingleBezier(); }
    bool allowsRemovePoint() const override;
    void insertPoint(const pf::Point& point) override;
    void removePoint(const pf::Point& point) override;
    // Every handle the hit test answers, frame handles included, is dragged by this selection.
    bool numbersHandlesByPoint() const override { return hasSingleBezier(); }
    // Dragging a control point (a handle past the points).
    bool isDraggingControlPoint() const;

    // ---- handles ----
    // A flat or upright curve has no middle handles on its zero side.
    pf::Rect topMidHandle() const override;
    pf::Rect midLefHandle() const override;
    pf::Rect midRitHandle() const override;
    pf::Rect botMidHandle() const override;
    // Entry k is the square of handle 9 + k: the points, then (unless ignored) each point's first and
    // second control point, the zero rect for a control that is hidden or lies on its point. Empty without
    // points.
    std::vector<pf::Rect> handleRects(bool ignoreControlPoints) const;
    // Control points before points, later before earlier; then the frame handles.
    std::int64_t handleForPoint(const pf::Point& point) const override { return handleForPoint(point, false); }
    std::int64_t handleForPoint(const pf::Point& point, bool ignoreControlPoints) const;
    // Frame and its handles (not while the pen draws), outline, control lines and handles, the pen's
    // pending controls; nothing off screen or in thumbnails.
    void drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    pf::Rect calcDirtyRect() const override;

    // ---- double-click: in-place text on the label, else a point put in or taken out ----
    bool doubleClickedAtPoint(const pf::Point& point) override;
    bool doubleClick() const { return doubleClick_; }
    bool doubleClickDrag() const { return doubleClickDrag_; }
    bool toggledIndependence() const { return toggledIndependence_; }

    // ---- drags ----
    void beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle) override;
    void mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void beginDrag() override;
    // A Command-click (no movement) on a handle makes a corner there.
    void endDrag(const pf::Event& event) override;
    void flagsChanged(const pf::Event& event) override;
    pf::Point gatherPoint() const override;

    // The Shift constraint of a point pulled away from `reference`: onto the horizontal, vertical or
    // diagonal line through it that the direction lies nearest to (45-degree sectors). lockType gets 1
    // horizontal, 2 vertical, 3 diagonal (dx = dy), 4 the other diagonal (dx = −dy), 0 none.
    static pf::Point constrainedToNearestLine(const pf::Point& point, const pf::Point& reference, int* lockType);

protected:
    std::int64_t cornerForHandle(std::int64_t handle) const override;
    bool dragChangedPointer(AbstractPointer& pointer) const override;

private:
    pf::Rect sideHandleUnlessFlat(pf::Rect rect) const;
    // The Command-click's corner at handle h.
    void collapseHandles(Bezier& bezier, std::int64_t h);

    bool doubleClick_ = false;
    bool doubleClickDrag_ = false;
    bool toggledIndependence_ = false;
    std::vector<pf::Point> dragStartPoints_;
    std::vector<std::array<pf::Point, 2>> dragStartPairs_;
};

void registerBezierManipulatorClass(pf::ClassRegistry& registry);
