// The tool that makes one shape of a named kind: the first click puts the shape on the page as a
// provisional selection and starts resizing it by the corner that follows the pointer (the end, for
// connectors); a drag sizes it, or a click, a move and a second click do. Kinds without a drawn size are
// placed centred on the click and finish at once. Command held at the end keeps the tool for another shape.
#pragma once

#include "canvas/MouseStrategy.h"
#include "platform/foundation/Geometry.h"

#include <memory>

class Manipulator;
class Shape;

class MouseStrategyShape : public MouseStrategy, public std::enable_shared_from_this<MouseStrategyShape> {
public:
    using MouseStrategy::MouseStrategy;

    // The first drag leaves this radius (page points) before the shape counts as started.
    static constexpr double startRadius = 5.0;

    void activatedInCanvas(Canvas& canvas) override;
    void mouseDownInCanvas(const pf::Event& event, Canvas& canvas) override;
    void firstClickInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseMovedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseUpInCanvas(const pf::Event& event, Canvas& canvas) override;
    void escapeInCanvas(const pf::Event& event, Canvas& canvas) override;
    void canvasWillRevertToDefaultMouseMode(Canvas& canvas) override;
    bool wantsTempGuides() const override { return true; }

    // Reports the end of the shape to the canvas 0.1 s later, if the canvas lives and this is still its
    // tool by then; the shape's own selection stops being provisional.
    void finishInCanvas(Canvas& canvas, bool persist);

    bool started() const { return started_; }
    const pf::Point& firstMouseDownCompPoint() const { return firstMouseDownCompPoint_; }

private:
    // Ends the running resize of the new shape as a mouse-up does.
    void endResize(const pf::Event& event, Canvas& canvas);

    bool started_ = false;
    pf::Point firstMouseDownCompPoint_;
    std::weak_ptr<Shape> shape_;
    std::weak_ptr<Manipulator> selection_;
};
