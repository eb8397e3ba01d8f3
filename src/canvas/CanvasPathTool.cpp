// The path tool (see MouseStrategyPath.h).
#include "canvas/MouseStrategyPath.h"

#include "canvas/Canvas.h"
#include "canvas/MouseStrategyShape.h"
#include "model/Connection.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/StickyDefaults.h"
#include "platform/kit/InputState.h"
#include "shapes/SmartPath.h"

#include <chrono>

Path* MouseStrategyPath::drawnPath(const Canvas& canvas)
{
    const auto& selection = canvas.manipulator();
    if (!selection || !selection->hasSingle())
        return nullptr;
    return dynamic_cast<Path*>(selection->children().front().get());
}

void MouseStrategyPath::activatedInCanvas(Canvas& canvas)
{
    canvas.showCursor(pf::Cursor::crosshair());
    currentModelIndex_ = -1;
}

void MouseStrategyPath::canvasWillRevertToDefaultMouseMode(Canvas& canvas)
{
    if (const auto& selection = canvas.manipulator())
        selection->setBlockDisableUndo(false);
}

void MouseStrategyPath::mouseDownInCanvas(const pf::Event& event, Canvas& canvas)
{
    shiftConstrain_ = event.isShiftKeyPressed();
    if (event.clickCount >= 2) {
        doubleClick(event, canvas);
        return;
    }
    // Later presses add nothing: a point is fixed when the button comes up.
    if (currentModelIndex_ == -1)
        firstClickInCanvas(event, canvas);
}

void MouseStrategyPath::firstClickInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (!canvas.composition())
        return;
    currentModelIndex_ = 0;
    canvas.beginDragAtPoint(event.location);
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    std::shared_ptr<Shape> shape = StickyDefaults::doWithoutStickySetting([&] {
        auto made = Path::staticClass().allocate();
        static_cast<Path&>(*made).initWithFrameMidPoints(QVRectRound(pf::Rect(p, pf::Size(1, 1))), false);
        return made;
    });
    auto& path = static_cast<Path&>(*shape);
    canvas.addShape(shape);
    canvas.addShapeToSelection(shape);
    path.removeLastPoint();
    path.setPointAtIndex(p, 1);
    canvas.optimizeSnapping(p);
    const std::shared_ptr<Manipulator> selection = canvas.manipulator();
    if (!selection)
        return;
    // The second point is the end that follows the pointer, from this press on: a drag out of the press
    // must not pull the first point (a connector drawn out of a shape is attached there) away.
    selection->setActiveHandle(1);
    selection->setBlockDisableUndo(true);
    selection->beginDragResizeAtPointWithHandle(p, 1);
}

void MouseStrategyPath::mouseUpInCanvas(const pf::Event& event, Canvas& canvas)
{
    // The release of a double-click's second press: the press has done its work.
    if (event.clickCount != 1 || currentModelIndex_ == -1)
        return;
    started_ = true;
    inProgress_ = true;
    // The following point where the button came up, constrained and snapped as a move there would be.
    if (currentModelIndex_ >= 1)
        mouseMovedInCanvas(event, canvas);
    const std::int64_t following = std::max<std::int64_t>(currentModelIndex_, 1);
    const Path* path = drawnPath(canvas);
    if (const auto& offered = canvas.draggingConnection()) {
        if (path && offered->pointer() == path && static_cast<std::int64_t>(offered->pointerCorner()) == following) {
            // Dropped on a shape's connection point: the path ends there on the next turn, once the drop
            // has been handled, and only if this is still the canvas's tool by then.
            const bool persist = event.isCommandKeyPressed();
            std::weak_ptr<MouseStrategy> self = shared_from_this();
            canvas.performAfterDelay(
                [&canvas, self, persist] {
                    const auto tool = self.lock();
                    if (!tool || canvas.mouseStrategy() != tool)
                        return;
                    canvas.endConnectingWithFlash(true);
                    static_cast<MouseStrategyPath&>(*tool).finishInCanvas(true, canvas, persist);
                },
                std::chrono::nanoseconds(0));
            return;
        }
        // An offer left from a point that is no longer an end.
        canvas.discardConnection();
    }
    if (currentModelIndex_ >= 1) {
        followingClick(event, canvas);
        return;
    }
    currentModelIndex_ = 1;
    // A first press dragged away puts the second point down where it is released, as a click there would;
    // a hand that shook during the click has drawn nothing.
    if (path && path->modelPoints().size() == 2
        && QVGetDiagonalBetween(path->modelPointAtIndex(1), path->modelPointAtIndex(0)) > MouseStrategyShape::startRadius)
        followingClick(event, canvas);
}

void MouseStrategyPath::followingClick(const pf::Event& event, Canvas& canvas)
{
    Path* path = drawnPath(canvas);
    if (!path)
        return;
    // The following point stays where it is, a middle point from now on; a new one follows the pointer.
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    ++currentModelIndex_;
    path->appendPoint(p);
    if (const auto& selection = canvas.manipulator())
        selection->setActiveHandle(currentModelIndex_);
}

void MouseStrategyPath::mouseMovedInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (currentModelIndex_ < 1)
        return;
    const auto& selection = canvas.manipulator();
    if (!selection)
        return;
    selection->setActiveHandle(currentModelIndex_);
    canvas.manipulatorDragged(event, event.location);
}

void MouseStrategyPath::mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas)
{
    const auto& selection = canvas.manipulator();
    if (currentModelIndex_ == -1 || !selection)
        return;
    selection->setActiveHandle(std::max<std::int64_t>(currentModelIndex_, 1));
    canvas.manipulatorDragged(event, event.location);
}

void MouseStrategyPath::doubleClick(const pf::Event& event, Canvas& canvas)
{
    Path* path = drawnPath(canvas);
    if (currentModelIndex_ < 1 || !path || path->modelPoints().size() < 3)
        return;
    path->removeLastPoint();
    finishInCanvas(true, canvas, event.isCommandKeyPressed());
}

void MouseStrategyPath::flagsChangedInCanvas(const pf::Event& event, Canvas& canvas)
{
    const bool shift = event.isShiftKeyPressed();
    if (shift == shiftConstrain_)
        return;
    shiftConstrain_ = shift;
    // The following point is constrained again at once, where the mouse is, without waiting for a move.
    pf::Event moved = event;
    moved.type = pf::EventType::MouseMoved;
    moved.location = canvas.convertPointFromScreen(pf::InputState::shared().mouseLocation());
    moved.clickCount = 0;
    mouseMovedInCanvas(moved, canvas);
    if (const auto& selection = canvas.manipulator())
        canvas.setNeedsDisplayInCompositionRect(selection->dirtyRect());
}

void MouseStrategyPath::deleteInCanvas(const pf::Event& event, Canvas& canvas)
{
    (void)event;
    Path* path = drawnPath(canvas);
    if (currentModelIndex_ == -1 || !path)
        return;
    if (path->modelPoints().size() < 3) {
        canvas.removeSelection();
        finishInCanvas(false, canvas, false);
        return;
    }
    // The last fixed point goes; the following point takes its place under the mouse.
    --currentModelIndex_;
    const pf::Point following = path->modelPoints().back();
    path->removeLastPoint();
    path->setPointAtIndex(following, static_cast<std::size_t>(currentModelIndex_));
    if (const auto& selection = canvas.manipulator())
        selection->setActiveHandle(currentModelIndex_);
}

void MouseStrategyPath::escapeInCanvas(const pf::Event& event, Canvas& canvas)
{
    (void)event;
    if (currentModelIndex_ == 0 || currentModelIndex_ == 1) {
        // No second point fixed yet: no path.
        canvas.removeSelection();
        finishInCanvas(false, canvas, false);
    } else if (currentModelIndex_ == -1) {
        finishInCanvas(false, canvas, false);
    } else {
        if (Path* path = drawnPath(canvas))
            path->removeLastPoint();
        finishInCanvas(true, canvas, false);
    }
}

void MouseStrategyPath::finishInCanvas(bool finished, Canvas& canvas, bool persist)
{
    currentModelIndex_ = -1;
    inProgress_ = false;
    if (finished) {
        if (const std::shared_ptr<Manipulator> selection = canvas.manipulator()) {
            selection->endDragResize(pf::Event());
            selection->setBlockDisableUndo(false);
        }
        canvas.clearTempGuidesNow();
        // A fresh selection for the finished path.
        if (drawnPath(canvas)) {
            const std::shared_ptr<Shape> shape = canvas.manipulator()->children().front();
            canvas.selectNone();
            canvas.addShapeToSelection(shape);
        }
    }
    if (const auto& selection = canvas.manipulator())
        selection->setBlockDisableUndo(false);
    canvas.mouseStrategyDidFinish(*this, persist);
}
