// The pen tool: draws a Bezier point by point. A click places a corner; a press dragged past the drag
// threshold places a point and pulls its handles out symmetrically (with Command only the outgoing one); a
// click on the first point closes the curve; a double-click ends it open. Between clicks a floating point
// follows the pointer, so the next segment shows as it will be. Shift holds the floating point and the
// pulled handle to horizontal, vertical or 45 degrees. Delete takes back the last placed point; Escape ends
// the curve without the floating point. Command at the closing click or the double-click keeps the tool
// for another curve. The curve being drawn is the canvas's single selected shape; the tool keeps only the
// gesture. A curve that never got a second placed point is taken off the page whatever ends it.
#pragma once

#include "canvas/MouseStrategy.h"

class Bezier;
namespace pf {
class Cursor;
class GraphicsContext;
}

class MouseStrategyBezier : public MouseStrategy {
public:
    MouseStrategyBezier() : MouseStrategy(QStringLiteral("Bezier")) {}

    void activatedInCanvas(Canvas& canvas) override;
    void canvasWillRevertToDefaultMouseMode(Canvas& canvas) override;
    void rightMouseDownInCanvas(const pf::Event& event, Canvas& canvas) override { (void)event, (void)canvas; }
    void mouseDownInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseMovedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseUpInCanvas(const pf::Event& event, Canvas& canvas) override;
    void flagsChangedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void deleteInCanvas(const pf::Event& event, Canvas& canvas) override;
    void escapeInCanvas(const pf::Event& event, Canvas& canvas) override;

    // Puts a one-point Bezier, generating, on the page at the press, selected.
    void firstClickInCanvas(const pf::Event& event, Canvas& canvas) override;
    // The floating point stays where it is, placed; a new one floats from the click (or the curve closes).
    void followingClick(const pf::Event& event, Canvas& canvas);
    // The double-click's first click added a point: that one goes and the curve is finished.
    void doubleClick(const pf::Event& event, Canvas& canvas);
    // The first step past the threshold of a press: the pressed point shows handles, pulled to the pointer.
    void firstDrag(const pf::Event& event, Canvas& canvas);
    // Later steps: the pressed point's handles follow the pointer (see the header comment).
    void followingDrag(const pf::Event& event, Canvas& canvas);
    bool dragPointMeetsDragThreshold(const pf::Point& pagePoint, const Canvas& canvas);
    // Within 5 screen points of the first point, with at least three points counting the floating one.
    bool shouldClosePathForPoint(const pf::Point& pagePoint, const Canvas& canvas) const;
    // Shift held: the point held to the nearest of the horizontal, vertical and diagonal lines through the
    // pressed point (while pulling handles) or the last placed point (while placing).
    pf::Point shiftConstrainedPointForPoint(const pf::Point& point, const Bezier& shape);
    // Ends the curve (finished: done generating and selected afresh) and reports to the canvas.
    void finishInCanvas(bool finished, Canvas& canvas, bool persist);

    // The pen, and the pen with a small square beside it (over the first point, where a click closes).
    static const pf::Cursor& penCursor();
    static const pf::Cursor& closeCursor();
    // The pen picture in a 16 x 19 point area, y down.
    static void drawPenInContext(pf::GraphicsContext& context);

    // ---- gesture state ----
    int currentModelIndex() const { return currentModelIndex_; }
    bool dragging() const { return dragging_; }
    bool initialized() const { return initialized_; }
    bool hasMetDragThreshold() const { return hasMetDragThreshold_; }
    int lockType() const { return lockType_; }
    bool shiftConstrain() const { return shiftConstrain_; }
    bool commandPressed() const { return commandPressed_; }
    bool wasCommandPressed() const { return wasCommandPressed_; }
    const pf::Point& firstMouseDownPoint() const { return firstMouseDownPoint_; }
    const pf::Point& lastMouseDownPoint() const { return lastMouseDownPoint_; }
    const pf::Point& lastMouseMovedPoint() const { return lastMouseMovedPoint_; }
    const pf::Point& lastMouseDraggedPoint() const { return lastMouseDraggedPoint_; }

private:
    // The curve being drawn: the canvas's single selected shape, while one is.
    Bezier* drawnBezier(const Canvas& canvas) const;
    // The selection follows the curve's frame and the canvas redraws what changed.
    void shapeChanged(Canvas& canvas, const pf::Rect& before);
    pf::Rect selectionDirtyRect(const Canvas& canvas) const;

    pf::Point firstMouseDownPoint_;
    pf::Point lastMouseDownPoint_;
    pf::Point lastMouseMovedPoint_;
    pf::Point lastMouseDraggedPoint_;
    int currentModelIndex_ = 0;
    bool drawing_ = false;
    bool dragging_ = false;
    bool initialized_ = false;
    bool hasMetDragThreshold_ = false;
    int lockType_ = 0;
    bool shiftConstrain_ = false;
    bool commandPressed_ = false;
    bool wasCommandPressed_ = false;
};
