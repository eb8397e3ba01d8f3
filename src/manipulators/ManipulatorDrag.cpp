// The drags run on the selection: the begin-end bracket every drag shares, and the rotate, adjust and
// move drags. The resize drag is in ManipulatorResize.cpp, grid alignment and snapping in
// ManipulatorSnapping.cpp.
//
// Every drag runs with the page's undo recording off; its end has each child put its start value back
// quietly and set the value it reached through its setter, so the whole drag is one undoable change per
// child, all registered while the canvas handles the mouse-up. A drag that was never begun (a locked
// selection, a handle the resize does not know) has nothing to step or to end.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "platform/foundation/Event.h"

#include <cmath>
#include <numbers>

namespace {

QVRectCorner cornerOf(std::int64_t handle)
{
    return handle >= QVRectCornerNone && handle <= QVRectCornerBotRit ? static_cast<QVRectCorner>(handle)
                                                                      : QVRectCornerNone;
}

// Where a frame shows at the angle, turned about its own centre.
pf::Rect shownBounds(const pf::Rect& frame, std::int64_t angle)
{
    if (angle % 360 == 0)
        return frame.standardized();
    return QVMakeRotation(static_cast<int>(angle % 360), frame).apply(frame);
}

} // namespace

// ---- the bracket ----

void Manipulator::anchorDragStart(Shape::DragStart& start) const
{
    start.anchorCorner = QVRectGetOppositeCorner(cornerOf(dragResizingHandle_));
    start.anchorPoint = QVRectGetCornerPoint(start.anchorCorner, start.frame);
}

void Manipulator::beginDraggingShape(Shape& child)
{
    child.beginDrag();
    anchorDragStart(child.dragStart());
}

void Manipulator::beginDrag()
{
    // Kept across a second begin without an end: recording is switched back on once, by the end.
    if (!blockDisableUndo_)
        if (Composition* p = page())
            undoDisabledByDrag_ = p->disableUndo() || undoDisabledByDrag_;
    Shape::beginDrag();
    anchorDragStart(dragStart());
}

void Manipulator::beginWholeDrag(bool& running, std::int64_t handle)
{
    if (isLocked())
        return;
    running = true;
    activeHandle_ = handle;
    dragStart().frame = frame();
    beginDrag();
    // Each child records its start value, to put back and set again as one change at the end.
    for (const auto& child : children_)
        child->beginDrag();
}

void Manipulator::endWholeDrag(bool& running, const pf::Event& event, void (Shape::*endChild)(const pf::Event&))
{
    if (!running)
        return;
    endDrag(event);
    for (const auto& child : children_)
        (child.get()->*endChild)(event);
    running = false;
}

void Manipulator::endDrag(const pf::Event& event)
{
    (void)event;
    // Only what the begin switched off: recording that someone else turned off stays off.
    if (Composition* p = page())
        p->reenableUndoIf(undoDisabledByDrag_);
    undoDisabledByDrag_ = false;
    shiftConstrain_ = false;
    setOptionCenter(false);
    commandPressed_ = false;
}

// ---- rotate ----

void Manipulator::beginDragRotateAtPointWithHandle(const pf::Point&, std::int64_t)
{
    beginWholeDrag(dragRotating_, ManipulatorHandleRotation);
}

void Manipulator::mouseDragRotateEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragRotating_ || isLocked())
        return;
    const pf::Point c = center();
    // 90 with the pointer straight below the centre, 180 to its left, 360 straight to its right.
    double degrees = std::atan2(c.y - point.y, c.x - point.x) * 180.0 / std::numbers::pi + 180.0;
    if (!std::isfinite(degrees))
        return;
    shiftConstrain_ = event.isShiftKeyPressed();
    if (shiftConstrain_)
        degrees = QVShiftConstrainedAngleForAngle(degrees);
    const double radius = std::hypot(point.x - c.x, point.y - c.y) * currentScale();
    // Whole degrees, the fraction dropped. A full turn is stored as 0: a shape at 360 would count as
    // turned, losing the snapping and the whole-point frames of upright shapes.
    const std::int64_t angle = static_cast<std::int64_t>(degrees) % 360;
    setDirtyRectFlag();
    for (const auto& child : children_) {
        child->setValueForKeyPath(radius, QStringLiteral("rotationHandleRadius"));
        child->setValueForKeyPath(angle, QStringLiteral("rotationAngle"));
    }
    childrenChanged();
}

void Manipulator::endDragRotate(const pf::Event& event)
{
    endWholeDrag(dragRotating_, event, &Shape::endRotationDrag);
}

// ---- adjust ----

void Manipulator::beginDragAdjustAtPointWithHandle(const pf::Point&, std::int64_t)
{
    beginWholeDrag(dragAdjusting_, ManipulatorHandleAdjust);
}

// The kinds with an adjustment handle turn the point into their ratios.
void Manipulator::mouseDragAdjustEventAtPoint(const pf::Event&, const pf::Point&) {}

void Manipulator::endDragAdjust(const pf::Event& event)
{
    endWholeDrag(dragAdjusting_, event, &Shape::endAdjustDrag);
}

void Manipulator::beginDragAdjust1AtPointWithHandle(const pf::Point&, std::int64_t)
{
    beginWholeDrag(dragAdjusting1_, QVRectCornerMidMid);
}

void Manipulator::mouseDragAdjust1EventAtPoint(const pf::Event&, const pf::Point&) {}

void Manipulator::endDragAdjust1(const pf::Event& event)
{
    endWholeDrag(dragAdjusting1_, event, &Shape::endAdjust1Drag);
}

// ---- move ----

void Manipulator::beginDragMoveAtPoint(const pf::Point& point)
{
    if (isLocked())
        return;
    dragMoving_ = true;
    dragStartPoint_ = point;
    lockType_ = 0;
    const pf::Rect f = frame();
    childOffsets_.clear();
    for (const auto& child : children_) {
        const pf::Rect c = child->frame();
        childOffsets_.emplace_back(c.x() - f.x(), c.y() - f.y());
        beginDraggingShape(*child);
    }
    gatherSnapShapes();
    beginDrag();
}

void Manipulator::mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragMoving_ || isLocked())
        return;
    const bool shift = event.isShiftKeyPressed();
    if (!shift)
        lockType_ = 0;
    const pf::Rect s = dragStart().frame;
    pf::Rect f(s.origin + (point - dragStartPoint_), s.size);
    const std::int64_t angle = rotationAngle();

    // What shows lands on the grid: the bounds of the turned frame, not the frame.
    if (isGridEnabled()) {
        const pf::Rect b = shownBounds(f, angle);
        f.origin = f.origin + (page()->gridAlignedPointForPoint(b.origin) - b.origin);
    }

    if (shift) {
        // The axis is chosen on the first step with Shift and applied at once: a drag whose only step
        // chose it must not end off the axis. Equal distances lock horizontally.
        if (lockType_ == 0)
            lockType_ = std::round(std::fabs(f.x() - s.x())) < std::round(std::fabs(f.y() - s.y())) ? 2 : 1;
        if (lockType_ == 1) {
            f.origin.y = s.y();
            addHorizontalTempGuideAtY(s.y() + s.height() / 2);
        } else if (lockType_ == 2) {
            f.origin.x = s.x();
            addVerticalTempGuideAtX(s.x() + s.width() / 2);
        }
    }

    const pf::Rect b = shownBounds(f, angle);
    const pf::Rect snapped = snapRectForRect(b, false, false, &event);
    f.origin = f.origin + (snapped.origin - b.origin);

    // Children keep their sizes and their places relative to the selection.
    for (std::size_t i = 0; i < children_.size(); ++i) {
        Shape& child = *children_[i];
        const pf::Size offset = i < childOffsets_.size() ? childOffsets_[i] : pf::Size();
        child.setFrame(pf::Rect(f.x() + offset.width, f.y() + offset.height, child.frame().width(),
                                child.frame().height()));
    }
    setFrame(f);
}

void Manipulator::endDragMove(const pf::Event& event)
{
    if (!dragMoving_)
        return;
    endWholeDrag(dragMoving_, event, &Shape::endDrag);
    childOffsets_.clear();
    clearSnapShapes();
}
