#include "canvas/MouseStrategyShape.h"

#include "canvas/Canvas.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/ShapeClass.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/ClassRegistry.h"

#include <chrono>

namespace {

// The shape tool's finish waits this long after the last mouse-up, so a quick second click is not taken
// for the start of another shape.
constexpr auto finishDelay = std::chrono::milliseconds(100);

} // namespace

pf::Point MouseStrategy::compositionPointFromEvent(const pf::Event& event, const Canvas& canvas, bool snap)
{
    const pf::Point p = canvas.convertPointToComposition(event.location);
    if (!snap)
        return p;
    const auto page = canvas.composition();
    if (page && page->isGridEnabled())
        return page->gridAlignedPointForPoint(p);
    // Off the grid, the point is pulled onto the shapes and guides the selection would snap to.
    if (const std::shared_ptr<Manipulator> selection = canvas.manipulator()) {
        selection->moveSnapOrigin();
        return selection->snapRectForRect(pf::Rect(p, pf::Size()), false, false, &event).origin;
    }
    return p;
}

void MouseStrategyShape::activatedInCanvas(Canvas& canvas)
{
    canvas.showCursor(pf::Cursor::crosshair());
}

void MouseStrategyShape::mouseDownInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (started_ || event.clickCount >= 2)
        return;
    firstClickInCanvas(event, canvas);
}

void MouseStrategyShape::firstClickInCanvas(const pf::Event& event, Canvas& canvas)
{
    const auto page = canvas.composition();
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(shapeClassName());
    if (!page || !kind || !kind->isSavableKind())
        return;
    // The drag that sizes the shape is measured from this click, as a pointer press's is.
    canvas.beginDragAtPoint(event.location);
    const pf::Point p = compositionPointFromEvent(event, canvas, false);
    const bool drawn = kind->allowsShapeMode();
    std::shared_ptr<Shape> shape = StickyDefaults::doWithoutStickySetting([&] {
        auto made = kind->newShape(QVRectRound(pf::Rect(p, kind->provisionalSize())));
        if (!made->isControl())
            made->setConstrainAspectRatio(false);
        if (!drawn) {
            const pf::Size size = made->frame().size;
            made->setFrame(QVRectRound(pf::Rect(pf::Point(p.x - size.width * 0.5, p.y - size.height * 0.5), size)));
            // The kind may place itself (bars span the page) and keeps inside the page.
            const pf::Value placed = kind->plistByEnsuringFrameToPlistInRect(made->asPlist(), page->frame());
            made->setFrame(pf::rectFromString(placed.stringForKey("frame")));
        }
        return made;
    });
    canvas.addShape(shape);
    canvas.addShapeToSelection(shape);
    shape_ = shape;
    const std::shared_ptr<Manipulator> selection = canvas.manipulator();
    selection_ = selection;
    if (!drawn || !selection) {
        finishInCanvas(canvas, event.isCommandKeyPressed());
        return;
    }
    firstMouseDownCompPoint_ = p;
    selection->setProvisional(true);
    canvas.optimizeSnapping(p);
    // The pointer drags the bottom-right corner, a connector's second end, so connectors grow from their
    // first end at the click; the block arrow's tip is its first end and follows the pointer instead.
    const std::int64_t handle = shape->isPointerShape() ? QVRectCornerTopLef : QVRectCornerBotRit;
    selection->setActiveHandle(handle);
    selection->setBlockDisableUndo(true);
    selection->beginDragResizeAtPointWithHandle(p, handle);
    // The click is the fixed corner and the pointer the dragged one: the shape spans exactly the drag (the
    // start frame's size would otherwise be carried into the result), and a connector's ends are the press
    // and the release.
    // The resize keeps the start frame's opposite corner: the selection starts from the click itself.
    selection->setDragResizingOffset(pf::Size());
    selection->dragStart().frame = pf::Rect(p, pf::Size());
}

void MouseStrategyShape::mouseMovedInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (started_)
        canvas.manipulatorDragged(event, event.location);
}

void MouseStrategyShape::mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas)
{
    const pf::Point p = compositionPointFromEvent(event, canvas, false);
    if (!started_ && QVGetDiagonalBetween(p, firstMouseDownCompPoint_) > startRadius)
        started_ = true;
    canvas.manipulatorDragged(event, event.location);
}

void MouseStrategyShape::endResize(const pf::Event& event, Canvas& canvas)
{
    const auto selection = selection_.lock();
    if (!selection || !selection->dragResizing())
        return;
    // The drag's end first: the connection's undo then joins the same step as the resize.
    selection->endDragResize(event);
    canvas.endConnectingWithFlash(true);
    canvas.clearTempGuidesNow();
}

void MouseStrategyShape::mouseUpInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (!started_) {
        // A click without a drag: the shape follows the pointer until the next click ends it.
        started_ = true;
        return;
    }
    endResize(event, canvas);
    finishInCanvas(canvas, event.isCommandKeyPressed());
}

void MouseStrategyShape::escapeInCanvas(const pf::Event& event, Canvas& canvas)
{
    // The shape keeps the size it has; its resize ends as a mouse-up would end it, or the selection would
    // stay resizing and take the next drag for the end of this one.
    endResize(event, canvas);
    finishInCanvas(canvas, false);
}

void MouseStrategyShape::canvasWillRevertToDefaultMouseMode(Canvas& canvas)
{
    if (const auto& selection = canvas.manipulator())
        selection->setBlockDisableUndo(false);
}

void MouseStrategyShape::finishInCanvas(Canvas& canvas, bool persist)
{
    started_ = false;
    const auto selection = selection_.lock();
    if (selection)
        selection->setBlockDisableUndo(false);
    std::weak_ptr<MouseStrategy> self = shared_from_this();
    canvas.performAfterDelay(
        [&canvas, self, selection = selection_, persist] {
            const auto tool = self.lock();
            // Another tool, or none, by now: this finish is stale.
            if (!tool || canvas.mouseStrategy() != tool)
                return;
            if (const auto own = selection.lock())
                own->setProvisional(false);
            canvas.mouseStrategyDidFinish(*tool, persist);
        },
        finishDelay);
}
