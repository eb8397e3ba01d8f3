// The pen tool (see MouseStrategyBezier.h).
#include "canvas/MouseStrategyBezier.h"

#include "canvas/Canvas.h"
#include "geometry/QVRect.h"
#include "manipulators/BezierManipulator.h"
#include "model/Composition.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/InputState.h"
#include "shapes/Bezier.h"

#include <cmath>

namespace {

// The side of the square about the first point where a click closes the curve, in screen points.
constexpr double closeSide = 5.0;

pf::Point mirrored(const pf::Point& p, const pf::Point& through) { return pf::Point(2 * through.x - p.x, 2 * through.y - p.y); }

} // namespace

// ---- cursors ----

void MouseStrategyBezier::drawPenInContext(pf::GraphicsContext& context)
{
    pf::SavedGState saved(context);
    context.setShadow(pf::Size(0, 0), 3, pf::Color(0, 0, 0, 0.2));
    const auto outlined = [&](const pf::Path& path, bool whiteFill) {
        context.setLineWidth(3);
        context.setStrokeColor(pf::Color::white());
        context.strokePath(path);
        context.setLineWidth(1);
        context.setFillColor(whiteFill ? pf::Color::white() : pf::Color::black());
        context.fillPath(path);
        context.setStrokeColor(pf::Color::black());
        context.strokePath(path);
    };
    // The cap: straight sides.
    pf::Path cap;
    const pf::Point corners[] = {{10.5, 13.5}, {7.5, 11.5}, {4.5, 13.5}, {4.5, 16.5}, {10.5, 16.5}, {10.5, 13.5}};
    cap.moveTo(corners[0]);
    for (std::size_t i = 1; i < std::size(corners); ++i)
        cap.curveTo(corners[i - 1], corners[i], corners[i]);
    cap.close();
    outlined(cap, false);
    // The nib.
    pf::Path nib;
    nib.moveTo(pf::Point(10.5, 8.5));
    nib.curveTo(pf::Point(9.5, 5.5), pf::Point(7.5, 2.5), pf::Point(7.5, 2.5));
    nib.curveTo(pf::Point(7.5, 2.5), pf::Point(5.5, 5.5), pf::Point(4.5, 8.5));
    nib.curveTo(pf::Point(4.5, 9.5), pf::Point(5.5, 12.5), pf::Point(7.5, 13.5));
    nib.curveTo(pf::Point(9.5, 12.5), pf::Point(10.5, 9.5), pf::Point(10.5, 8.5));
    nib.close();
    outlined(nib, true);
    // The slit.
    pf::Path slit;
    slit.moveTo(pf::Point(7.5, 1.5));
    slit.lineTo(pf::Point(7.5, 7.5));
    context.setStrokeColor(pf::Color::black());
    context.strokePath(slit);
}

const pf::Cursor& MouseStrategyBezier::penCursor()
{
    static const pf::Cursor cursor = pf::Cursor::drawn(pf::Size(16, 19), pf::Point(7, 1), &drawPenInContext);
    return cursor;
}

const pf::Cursor& MouseStrategyBezier::closeCursor()
{
    static const pf::Cursor cursor = pf::Cursor::drawn(pf::Size(21, 24), pf::Point(7, 1), [](pf::GraphicsContext& context) {
        drawPenInContext(context);
        pf::SavedGState saved(context);
        context.setShadow(pf::Size(0, 0), 3, pf::Color(0, 0, 0, 0.2));
        const pf::Path square = pf::Path::roundedRect(pf::Rect(15.5, 19.5, 3, 3), 1, 1);
        context.setLineWidth(3);
        context.setStrokeColor(pf::Color::white());
        context.strokePath(square);
        context.setLineWidth(1);
        context.setFillColor(pf::Color::black());
        context.fillPath(square);
        context.setStrokeColor(pf::Color::black());
        context.strokePath(square);
    });
    return cursor;
}

// ---- the curve ----

Bezier* MouseStrategyBezier::drawnBezier(const Canvas& canvas) const
{
    const auto& selection = canvas.manipulator();
    if (!drawing_ || !selection || !selection->hasSingle())
        return nullptr;
    return dynamic_cast<Bezier*>(selection->children().front().get());
}

pf::Rect MouseStrategyBezier::selectionDirtyRect(const Canvas& canvas) const
{
    const auto& selection = canvas.manipulator();
    return selection ? selection->dirtyRect() : pf::Rect();
}

void MouseStrategyBezier::shapeChanged(Canvas& canvas, const pf::Rect& before)
{
    const auto& selection = canvas.manipulator();
    if (!selection)
        return;
    selection->sizeToFitChildren();
    selection->setDirtyRectFlag();
    canvas.setNeedsDisplayInCompositionRect(QVCombineRects(before, selection->dirtyRect()));
}

// ---- activation ----

void MouseStrategyBezier::activatedInCanvas(Canvas& canvas)
{
    canvas.showCursor(penCursor());
}

void MouseStrategyBezier::canvasWillRevertToDefaultMouseMode(Canvas& canvas)
{
    // Another tool was chosen mid-curve: the curve stays as drawn, no longer generating (its fill whole
    // again).
    if (Bezier* b = drawnBezier(canvas))
        b->doneGenerating();
    drawing_ = false;
}

// ---- presses ----

void MouseStrategyBezier::mouseDownInCanvas(const pf::Event& event, Canvas& canvas)
{
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    shiftConstrain_ = event.isShiftKeyPressed();
    lastMouseDownPoint_ = p;
    if (event.clickCount < 2) {
        // A curve taken away meanwhile (undone, deleted) leaves nothing to go on with.
        if (drawing_ && !drawnBezier(canvas)) {
            drawing_ = dragging_ = initialized_ = hasMetDragThreshold_ = false;
            currentModelIndex_ = 0;
        }
        // Later presses wait for the drag or the release.
        if (!drawing_)
            firstClickInCanvas(event, canvas);
    } else if (initialized_) {
        doubleClick(event, canvas);
    }
}

void MouseStrategyBezier::firstClickInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (dragging_ || !canvas.composition())
        return;
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    firstMouseDownPoint_ = p;
    std::shared_ptr<Shape> shape = StickyDefaults::doWithoutStickySetting([&] {
        auto made = Bezier::staticClass().allocate();
        static_cast<Bezier&>(*made).initWithFrameGeneratePath(pf::Rect(p, pf::Size(1, 1)), false);
        return made;
    });
    auto& bezier = static_cast<Bezier&>(*shape);
    canvas.addShape(shape);
    canvas.addShapeToSelection(shape);
    bezier.setPointAtHandleIndex(p, Bezier::firstModelPointHandleIndex());
    currentModelIndex_ = 0;
    drawing_ = true;
    shapeChanged(canvas, {});
}

void MouseStrategyBezier::mouseUpInCanvas(const pf::Event& event, Canvas& canvas)
{
    // The release of a double-click's second press: the press has done its work.
    if (event.clickCount != 1)
        return;
    Bezier* b = drawnBezier(canvas);
    if (!b)
        return;
    const pf::Rect before = selectionDirtyRect(canvas);
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    lastMouseMovedPoint_ = p;
    if (dragging_) {
        // A new floating point starts where the drag ended.
        initialized_ = true;
        dragging_ = false;
        hasMetDragThreshold_ = false;
        b->setNeedsDisplay();
        b->appendPoint(p);
        currentModelIndex_ = b->lastModelPointIndex();
        // The pressed point's handles were pulled apart: they stay apart.
        if (wasCommandPressed_)
            b->setIndependentAtHandleIndex(true, Bezier::handleIndexForModelIndex(currentModelIndex_ - 1));
    } else if (!initialized_) {
        initialized_ = true;
        b->appendPoint(p);
        currentModelIndex_ = b->lastModelPointIndex();
    } else {
        followingClick(event, canvas);
    }
    wasCommandPressed_ = false;
    // The tool may have finished the curve and been dropped; the shape is still held by the page.
    if (Bezier* still = drawnBezier(canvas))
        still->setWantsIndependentPhantomPoint(false);
    shapeChanged(canvas, before);
}

void MouseStrategyBezier::followingClick(const pf::Event& event, Canvas& canvas)
{
    Bezier* b = drawnBezier(canvas);
    if (!b || currentModelIndex_ == 0 || dragging_)
        return;
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    ++currentModelIndex_;
    if (shouldClosePathForPoint(p, canvas)) {
        b->closePath();
        finishInCanvas(true, canvas, event.isCommandKeyPressed());
        return;
    }
    b->appendPoint(p);
}

void MouseStrategyBezier::doubleClick(const pf::Event& event, Canvas& canvas)
{
    Bezier* b = drawnBezier(canvas);
    if (!b || currentModelIndex_ == 0 || dragging_ || b->modelPointCount() <= 2)
        return;
    b->removeLastPoint();
    finishInCanvas(true, canvas, event.isCommandKeyPressed());
}

bool MouseStrategyBezier::shouldClosePathForPoint(const pf::Point& pagePoint, const Canvas& canvas) const
{
    const Bezier* b = drawnBezier(canvas);
    const auto page = canvas.composition();
    if (!b || !page || b->modelPointCount() < 3)
        return false;
    return QVSquareAroundPoint(b->modelPointAtIndex(0), closeSide / page->zoomScale()).contains(pagePoint);
}

// ---- the pointer ----

void MouseStrategyBezier::mouseMovedInCanvas(const pf::Event& event, Canvas& canvas)
{
    Bezier* b = drawnBezier(canvas);
    if (!b || currentModelIndex_ == 0 || dragging_)
        return;
    const pf::Rect before = selectionDirtyRect(canvas);
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    lastMouseMovedPoint_ = p;
    const pf::Point q = shiftConstrainedPointForPoint(p, *b);
    b->setPointAtHandleIndex(q, Bezier::handleIndexForModelIndex(currentModelIndex_));
    canvas.showCursor(shouldClosePathForPoint(q, canvas) ? closeCursor() : penCursor());
    shapeChanged(canvas, before);
}

void MouseStrategyBezier::mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (!drawnBezier(canvas))
        return;
    const pf::Rect before = selectionDirtyRect(canvas);
    if (dragging_)
        followingDrag(event, canvas);
    else
        firstDrag(event, canvas);
    shapeChanged(canvas, before);
}

bool MouseStrategyBezier::dragPointMeetsDragThreshold(const pf::Point& pagePoint, const Canvas& canvas)
{
    if (hasMetDragThreshold_)
        return true;
    const auto page = canvas.composition();
    const double t = UserDefaults::instance().dragThreshold() / (page ? page->zoomScale() : 1.0);
    hasMetDragThreshold_ = std::fabs(pagePoint.x - lastMouseDownPoint_.x) > t || std::fabs(pagePoint.y - lastMouseDownPoint_.y) > t;
    return hasMetDragThreshold_;
}

void MouseStrategyBezier::firstDrag(const pf::Event& event, Canvas& canvas)
{
    Bezier* b = drawnBezier(canvas);
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    if (!b || !dragPointMeetsDragThreshold(p, canvas))
        return;
    dragging_ = true;
    lastMouseDraggedPoint_ = p;
    // The pressed point is the last one: its handles show from now on, pulled as every later step pulls
    // them (the stored control opposite the pointer, or with Command left on the point).
    b->setInvisibleAtModelIndex(false, b->lastModelPointIndex());
    followingDrag(event, canvas);
}

void MouseStrategyBezier::followingDrag(const pf::Event& event, Canvas& canvas)
{
    Bezier* b = drawnBezier(canvas);
    if (!b)
        return;
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    const pf::Point a = b->modelPointAtIndex(b->lastModelPointIndex());
    lastMouseDraggedPoint_ = p;
    pf::Point q = shiftConstrainedPointForPoint(p, *b);
    b->setNeedsDisplay();
    if (!event.isCommandKeyPressed()) {
        // Symmetric handles: the stored (incoming) control sits opposite the pointer.
        b->setWantsIndependentPhantomPoint(false);
        b->setPointAtHandleIndex(mirrored(q, a), b->lastControlPointHandleIndex());
        return;
    }
    // Only the outgoing handle follows; close to the point it snaps back onto it.
    const auto page = canvas.composition();
    const double scale = canvas.currentScale();
    const double t = page && scale > 0 ? page->gridTolerance() / scale : 0;
    if (std::fabs(a.x - q.x) < t && std::fabs(a.y - q.y) < t)
        q = a;
    b->setIndependentPhantomPoint(q);
    b->setWantsIndependentPhantomPoint(true);
    wasCommandPressed_ = true;
}

pf::Point MouseStrategyBezier::shiftConstrainedPointForPoint(const pf::Point& point, const Bezier& shape)
{
    const int last = shape.lastModelPointIndex();
    const int reference = dragging_ ? last : last - 1;
    if (!shiftConstrain_ || reference < 0) {
        lockType_ = 0;
        return point;
    }
    return BezierManipulator::constrainedToNearestLine(point, shape.modelPointAtIndex(reference), &lockType_);
}

void MouseStrategyBezier::flagsChangedInCanvas(const pf::Event& event, Canvas& canvas)
{
    const bool shift = event.isShiftKeyPressed(), command = event.isCommandKeyPressed();
    const bool changed = shift != shiftConstrain_ || command != commandPressed_;
    shiftConstrain_ = shift;
    commandPressed_ = command;
    if (!changed || !drawnBezier(canvas))
        return;
    // The step runs again at once where the mouse is, without waiting for motion.
    pf::Event again = event;
    again.type = dragging_ ? pf::EventType::LeftMouseDragged : pf::EventType::MouseMoved;
    again.location = canvas.convertPointFromScreen(pf::InputState::shared().mouseLocation());
    again.clickCount = 0;
    if (dragging_)
        mouseDraggedInCanvas(again, canvas);
    else
        mouseMovedInCanvas(again, canvas);
    canvas.setNeedsDisplayInCompositionRect(selectionDirtyRect(canvas));
}

// ---- keys ----

void MouseStrategyBezier::deleteInCanvas(const pf::Event& event, Canvas& canvas)
{
    (void)event;
    Bezier* b = drawnBezier(canvas);
    if (!b)
        return;
    if (b->modelPointCount() < 3) {
        canvas.removeSelection();
        finishInCanvas(false, canvas, false);
        return;
    }
    // The last placed point goes; the floating point takes over the control that point's segment had.
    const pf::Rect before = selectionDirtyRect(canvas);
    const pf::Point floating = b->modelPointAtIndex(b->lastModelPointIndex());
    b->removeLastPoint();
    const pf::Point control = b->controlPointForHandleIndex(b->lastControlPointHandleIndex() - 1);
    b->removeLastPoint();
    b->appendPoint(floating);
    b->setIndependentAtHandleIndex(true, b->lastControlPointHandleIndex() - 1);
    b->setPointAtHandleIndex(control, b->lastControlPointHandleIndex() - 1);
    --currentModelIndex_;
    shapeChanged(canvas, before);
}

void MouseStrategyBezier::escapeInCanvas(const pf::Event& event, Canvas& canvas)
{
    (void)event;
    Bezier* b = drawnBezier(canvas);
    if (!b) {
        finishInCanvas(false, canvas, false);
        return;
    }
    // No second point placed (the first press, dragged or not, or one placed point and the floating
    // one): no curve.
    if (!initialized_ || currentModelIndex_ < 2) {
        canvas.removeSelection();
        finishInCanvas(false, canvas, false);
        return;
    }
    if (dragging_) {
        // The pressed point stays, as pressed.
        b->setPointAtHandleIndex(lastMouseDownPoint_, Bezier::handleIndexForModelIndex(currentModelIndex_));
        dragging_ = false;
    } else {
        b->removePointAtIndex(b->lastModelPointIndex());
    }
    finishInCanvas(true, canvas, false);
}

// ---- the end ----

void MouseStrategyBezier::finishInCanvas(bool finished, Canvas& canvas, bool persist)
{
    Bezier* b = drawnBezier(canvas);
    dragging_ = false;
    hasMetDragThreshold_ = false;
    currentModelIndex_ = 0;
    initialized_ = false;
    drawing_ = false;
    if (finished && b) {
        b->doneGenerating();
        // A fresh selection for the finished curve.
        const std::shared_ptr<Shape> shape = canvas.manipulator()->children().front();
        canvas.selectNone();
        canvas.addShapeToSelection(shape);
        canvas.showCursor(penCursor());
    }
    canvas.mouseStrategyDidFinish(*this, persist);
}
