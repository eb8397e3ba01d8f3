// A drawing tool: while the canvas has one, every key, mouse and modifier event of the canvas goes to it
// instead of the pointer logic. A tool is made fresh for each activation with the class name of the shape
// it makes, and ends when the user switches back or when it reports that it has finished.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"

#include <QString>

class Canvas;

class MouseStrategy {
public:
    explicit MouseStrategy(QString shapeClassName = {}) : shapeClassName_(std::move(shapeClassName)) {}
    virtual ~MouseStrategy() = default;
    MouseStrategy(const MouseStrategy&) = delete;
    MouseStrategy& operator=(const MouseStrategy&) = delete;

    const QString& shapeClassName() const { return shapeClassName_; }
    void setShapeClassName(const QString& name) { shapeClassName_ = name; }

    virtual void deleteInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void escapeInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void mouseDownInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void rightMouseDownInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void mouseMovedInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void mouseDraggedInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void flagsChangedInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    virtual void mouseUpInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    // The tool's own first click; also sent by the canvas when a connection-option drag makes a pointer.
    virtual void firstClickInCanvas(const pf::Event& event, Canvas& canvas) { (void)event, (void)canvas; }
    // Right after the tool became the canvas's tool (it shows its cursor).
    virtual void activatedInCanvas(Canvas& canvas) { (void)canvas; }
    // The tool is about to be removed.
    virtual void canvasWillRevertToDefaultMouseMode(Canvas& canvas) { (void)canvas; }
    // Whether temporary guides may appear while the tool drags.
    virtual bool wantsTempGuides() const { return false; }

    // The event's page point; with snap, on the grid when the page's grid is on.
    static pf::Point compositionPointFromEvent(const pf::Event& event, const Canvas& canvas, bool snap);

private:
    QString shapeClassName_;
};
