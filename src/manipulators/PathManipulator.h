// The selection of a single path, edited point by point: a square handle on every point (handle i is point
// i), a point dragged with snapping and with Shift or Option aligning it with its neighbours, a point put
// in where the user double-clicks the outline and taken out where the user double-clicks a point, as long
// as more than two remain. With anything else selected it is the plain connector selection.
#pragma once

#include "manipulators/PointerManipulators.h"

#include <optional>
#include <vector>

class Path;

class PathManipulator : public AbstractPointerManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // The side of a point handle in view points (page points at zoom 1).
    static constexpr double pointHandleSide = 10.0;

    bool hasSinglePath() const;
    // The single path (null unless hasSinglePath).
    Path* singlePath() const;

    bool isPointer() const override { return true; }
    bool allowsRotation() const override { return false; }
    bool allowsAdjusting() const override { return false; }
    bool isSizeEditable() const override { return false; }
    bool showsRotationHandle() const override { return false; }
    std::int64_t rotationAngle() const override { return 0; }
    void setRotationAngle(std::int64_t degrees) override { (void)degrees; }
    bool allowsInsertPoint() const override { return hasSinglePath(); }
    bool allowsRemovePoint() const override;
    // The menu commands, at the page point the menu was opened at.
    void insertPoint(const pf::Point& point) override;
    void removePoint(const pf::Point& point) override;
    bool numbersHandlesByPoint() const override { return hasSinglePath(); }

    // ---- handles ----
    // One square of pointHandleSide page points about each point (none without points).
    std::vector<pf::Rect> handleRects() const;
    // The first point whose handle, kept at its size on screen, holds the page point; -1 for none.
    std::int64_t handleForPoint(const pf::Point& point) const override;
    // Every point's handle (none when the path hides them): grey while dragged, outlined when active.
    void drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    // The path's own, with the point handles.
    pf::Rect calcDirtyRect() const override;

    // ---- double-click: in-place text on the path's label, else a point put in or taken out ----
    // True when the double-click was used up; false lets the press go on (a drag of the point just put in).
    bool doubleClickedAtPoint(const pf::Point& point) override;
    bool doubleClick() const { return doubleClick_; }
    bool doubleClickDrag() const { return doubleClickDrag_; }

    // ---- drags ----
    // A point drag: handle i moves point i; an end comes loose from its shape.
    void beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle) override;
    void mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void beginDrag() override;
    void endDrag(const pf::Event& event) override;
    // The dragged point during a point drag.
    pf::Point gatherPoint() const override;
    // Where point `active` goes for the pointer at `point`: less the grab offset, on the grid, snapped;
    // with Shift in line with the nearest point and then along that axis snapping to a neighbour; with
    // Option on a line through the neighbours' midpoint.
    pf::Point snappedPointForPoint(const pf::Point& point, const pf::Event& event, const Path& path, std::size_t active);

protected:
    bool dragChangedPointer(AbstractPointer& pointer) const override;

private:
    bool doubleClick_ = false;
    bool doubleClickDrag_ = false;
    std::vector<pf::Point> dragStartPoints_;
};

void registerPathManipulatorClass(pf::ClassRegistry& registry);
