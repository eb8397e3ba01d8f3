// The path tool: each click fixes a point of a new path while the point after it follows the pointer; a
// double-click, Escape, or dropping the following point on a shape's connection point ends the path. The
// following point is moved by the path selection's own point drag, so snapping, guides and the Shift and
// Option alignments are the selection's. Command at the end keeps the tool for another path. Every point
// placed is an undoable change inside the tool's undo step.
#pragma once

#include "canvas/MouseStrategy.h"

#include <cstdint>
#include <memory>

class Path;

class MouseStrategyPath : public MouseStrategy, public std::enable_shared_from_this<MouseStrategyPath> {
public:
    MouseStrategyPath() : MouseStrategy(QStringLiteral("Path")) {}

    void activatedInCanvas(Canvas& canvas) override;
    void canvasWillRevertToDefaultMouseMode(Canvas& canvas) override;
    void mouseDownInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseMovedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void mouseUpInCanvas(const pf::Event& event, Canvas& canvas) override;
    void flagsChangedInCanvas(const pf::Event& event, Canvas& canvas) override;
    void deleteInCanvas(const pf::Event& event, Canvas& canvas) override;
    void escapeInCanvas(const pf::Event& event, Canvas& canvas) override;
    bool wantsTempGuides() const override { return true; }

    // Puts a two-point path on the page at the click, selected, its second point following the pointer.
    void firstClickInCanvas(const pf::Event& event, Canvas& canvas) override;
    // Fixes the following point where the click is and appends the next one there.
    void followingClick(const pf::Event& event, Canvas& canvas);
    // The double-click's first click added a point: that one goes and the path is finished.
    void doubleClick(const pf::Event& event, Canvas& canvas);
    // Ends the path (finished: its drag ended and it is selected afresh) and reports to the canvas.
    void finishInCanvas(bool finished, Canvas& canvas, bool persist);

    // The point that follows the pointer; -1 while no path is being drawn.
    std::int64_t currentModelIndex() const { return currentModelIndex_; }
    bool shiftConstrain() const { return shiftConstrain_; }
    bool started() const { return started_; }
    bool inProgress() const { return inProgress_; }

private:
    // The path being drawn: the canvas's single selected shape.
    static Path* drawnPath(const Canvas& canvas);

    std::int64_t currentModelIndex_ = -1;
    bool shiftConstrain_ = false;
    bool started_ = false;
    bool inProgress_ = false;
};
