// The brush tool: a free-hand stroke. While the button is down a temporary BrushPath grows point by point
// (its end follows the pointer; a point is kept each time the pointer has gone more than 10 points from the
// last kept one on either axis); at the release, or at Escape, the path is swapped for a Brush holding its
// outline flattened at 0.1. Only the release point is snapped. Command at the release keeps the tool.
#pragma once

#include "canvas/MouseStrategy.h"
#include "platform/kit/Cursor.h"

#include <memory>

class BrushPath;

namespace pf {
class GraphicsContext;
}

class MouseStrategyBrush : public MouseStrategy {
public:
    MouseStrategyBrush() : MouseStrategy(QStringLiteral("Brush")) {}

    // The dashed circle of the cursor, in a 16 x 19 picture (the zoom is not used).
    static void drawBrushInContext(pf::GraphicsContext& context, double zoomScale);
    // Made once, at 1x and 2x, hot spot (8, 8); the same cursor at every zoom.
    static const pf::Cursor& brushCursorWithZoomScale(double zoomScale);

    void activatedInCanvas(Canvas& canvas) override;
    void mouseDownInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseUpInCanvas(const pf::Event& event, Canvas& canvas) override;
    // Mid-stroke the ink is kept as a brush (ending at the last drag point); the tool ends either way.
    void escapeInCanvas(const pf::Event& event, Canvas& canvas) override;
    void finishInCanvas(Canvas& canvas, bool persist);

    const pf::Point& lastMouseDraggedPoint() const { return lastMouseDraggedPoint_; }
    bool hasRemovedSecondPoint() const { return hasRemovedSecondPoint_; }
    // The temporary path of the stroke in progress; null between strokes.
    std::shared_ptr<BrushPath> strokePath() const { return path_.lock(); }

private:
    // The stroke's path replaced by its brush, selected; snapPoint is appended first when given.
    void replacePathWithBrush(Canvas& canvas, const pf::Point* endPoint);

    std::weak_ptr<BrushPath> path_;
    pf::Point lastMouseDraggedPoint_;
    bool hasRemovedSecondPoint_ = false;
};
