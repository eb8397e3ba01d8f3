// The brush tool (see MouseStrategyBrush.h).
#include "canvas/MouseStrategyBrush.h"

#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/StickyDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/Brush.h"
#include "shapes/SmartPath.h"

#include <algorithm>
#include <cmath>

namespace {

// The temporary path's point edits record no undo: the path leaves the page at the end of the stroke, and
// one registration per point would keep a copy of every point list the stroke went through.
template <class F>
void withoutUndo(const Canvas& canvas, F&& edit)
{
    const auto page = canvas.composition();
    pf::UndoManager* undo = page ? page->undoManager() : nullptr;
    if (undo)
        undo->disableUndoRegistration();
    edit();
    if (undo)
        undo->enableUndoRegistration();
}

} // namespace

void MouseStrategyBrush::drawBrushInContext(pf::GraphicsContext& context, double zoomScale)
{
    (void)zoomScale;
    pf::SavedGState saved(context);
    context.setShadow(pf::Size(0, 0), 3.0, pf::Color(0, 0, 0, 0.2));
    context.setStrokeColor(pf::Color(0, 0, 0, 1));
    context.setLineWidth(1.0);
    context.setLineDash(0, {4, 2});
    context.strokePath(pf::Path::oval(pf::Rect(3, 3, 10, 10)));
}

const pf::Cursor& MouseStrategyBrush::brushCursorWithZoomScale(double zoomScale)
{
    static const pf::Cursor cursor = pf::Cursor::drawn(pf::Size(16, 19), pf::Point(8, 8), [zoomScale](pf::GraphicsContext& c) {
        drawBrushInContext(c, zoomScale);
    });
    return cursor;
}

void MouseStrategyBrush::activatedInCanvas(Canvas& canvas)
{
    const auto page = canvas.composition();
    canvas.showCursor(brushCursorWithZoomScale(page ? page->zoomScale() : 1.0));
}

void MouseStrategyBrush::mouseDownInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (!canvas.composition())
        return;
    // A stroke still open (its release was lost) is kept as it stands before the next one starts.
    if (strokePath())
        replacePathWithBrush(canvas, nullptr);
    const pf::Point p = compositionPointFromEvent(event, canvas, false);
    auto shape = StickyDefaults::doWithoutStickySetting([&] {
        auto made = std::static_pointer_cast<BrushPath>(BrushPath::staticClass().allocate());
        made->initWithFrameMidPoints(pf::Rect(p, pf::Size(1, 1)), false);
        made->setHideHandles(true);
        made->setPathType(1);
        made->setCurveRatio(0.2);
        return made;
    });
    // Only the release point snaps: the grid must not move the stroke's start.
    canvas.insertShapeInPlace(shape, pf::NotFound);
    canvas.addShapeToSelection(shape);
    path_ = shape;
    // Every stroke starts afresh: a kept tool must not carry the last stroke's state into this one.
    lastMouseDraggedPoint_ = p;
    hasRemovedSecondPoint_ = false;
    // A slow end of the stroke lets the release snap, as a slow drag of a shape does.
    canvas.optimizeSnapping(p);
}

void MouseStrategyBrush::mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas)
{
    const auto path = strokePath();
    if (!path)
        return;
    const pf::Point p = compositionPointFromEvent(event, canvas, false);
    canvas.noteDragPointForSnapping(p);
    withoutUndo(canvas, [&] {
        // The end follows the pointer.
        path->removeLastPoint();
        path->appendPoint(p);
        if (std::fabs(p.x - lastMouseDraggedPoint_.x) <= 10.0 && std::fabs(p.y - lastMouseDraggedPoint_.y) <= 10.0)
            return;
        // Far enough on some axis: the point stays and a new end starts there.
        path->appendPoint(p);
        lastMouseDraggedPoint_ = p;
        // The made-up second point of the new path goes once the stroke has a real one.
        if (!hasRemovedSecondPoint_) {
            path->removeSecondPoint();
            hasRemovedSecondPoint_ = true;
        }
    });
    path->setNeedsDisplay();
}

void MouseStrategyBrush::mouseUpInCanvas(const pf::Event& event, Canvas& canvas)
{
    if (!strokePath())
        return;
    const pf::Point p = compositionPointFromEvent(event, canvas, true);
    replacePathWithBrush(canvas, &p);
    finishInCanvas(canvas, event.isCommandKeyPressed());
}

void MouseStrategyBrush::escapeInCanvas(const pf::Event& event, Canvas& canvas)
{
    (void)event;
    // Mid-stroke the ink drawn so far is kept, as at a release where the pointer is now (no snap); left
    // as the temporary path, it would be stored with the document.
    if (strokePath())
        replacePathWithBrush(canvas, nullptr);
    finishInCanvas(canvas, false);
}

void MouseStrategyBrush::replacePathWithBrush(Canvas& canvas, const pf::Point* endPoint)
{
    const auto path = strokePath();
    path_.reset();
    const auto page = canvas.composition();
    if (!path || !page)
        return;
    if (endPoint)
        withoutUndo(canvas, [&] { path->appendPoint(*endPoint); });
    // At least a point each way: a brush fits its ink to frame changes only from a frame with an area,
    // and a straight stroke along an axis has none.
    pf::Rect frame = path->frame();
    frame.size = pf::Size(std::max(frame.width(), 1.0), std::max(frame.height(), 1.0));
    auto brush = StickyDefaults::doWithoutStickySetting([&] {
        auto made = std::static_pointer_cast<Brush>(Brush::staticClass().allocate());
        made->initWithFrameFromFile(frame, false);
        return made;
    });
    brush->setPath(path->path().flattened(0.1));
    // The temporary path leaves the page whatever the selection allows (a text field holding the keys
    // would refuse the canvas's removal).
    canvas.selectNone();
    if (path->composition() == page.get())
        page->removeShape(path);
    canvas.insertShapeInPlace(brush, pf::NotFound);
    canvas.addShapeToSelection(brush);
}

void MouseStrategyBrush::finishInCanvas(Canvas& canvas, bool persist)
{
    canvas.mouseStrategyDidFinish(*this, persist);
}
