// Grid alignment and snapping of the selection's drags, and the temporary guides they show on the canvas.
// Snapping to other shapes, the page and the user guides is not built yet: a snap answers the rect it was
// given and there are no targets to gather.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"

#include <cmath>
#include <numbers>

bool Manipulator::isGridEnabled() const
{
    const Composition* p = page();
    return p && p->isGridEnabled();
}

pf::Rect Manipulator::gridAlignedRectForRect(const pf::Rect& rect, Shape& shape) const
{
    const Composition* p = page();
    if (!p)
        return rect;
    pf::Rect w(rect.origin, p->gridAlignedSizeForSize(rect.size));
    if (!(hasSingle() && (dragMoving_ || dragResizing_))) {
        w.origin = p->gridAlignedPointForPoint(rect.origin);
        return w;
    }
    // One shape under the pointer: only its size goes to the grid, its anchor stays where it was on screen,
    // so the edge being dragged is the one that moves.
    const Shape::DragStart& start = shape.dragStart();
    const std::int64_t angle = shape.rotationAngle();
    if (angle == 0)
        return QVRectSetAnchor(start.anchorPoint, start.anchorCorner, w);
    const int a = static_cast<int>(currentRotationAngleForAngle(angle) % 360);
    w = QVRectApplyRotation(QVMakeRotation(a, w), w);
    const pf::Point anchor = QVMakeRotation(static_cast<int>(angle % 360), start.frame).apply(start.anchorPoint);
    w = QVRectSetAnchor(anchor, start.anchorCorner, w);
    return QVRectApplyRotation(QVMakeRotation(-a, w), w);
}

pf::Rect Manipulator::snapRectForRect(const pf::Rect& rect, bool isResize, bool isZeroTolerance, const pf::Event* event)
{
    (void)isResize, (void)isZeroTolerance, (void)event;
    return rect;
}

void Manipulator::gatherSnapShapes()
{
    snapShapes_.clear();
}

bool Manipulator::isDiagonalLine() const
{
    if (!isPointer() || !shiftConstrain_)
        return false;
    const pf::Rect f = frame();
    const double degrees = std::atan2(f.height(), f.width()) * 180.0 / std::numbers::pi + 180.0;
    return QVRectCornerIsCorner(QVRectCornerForAngle(degrees));
}

void Manipulator::addTempGuide(std::uint64_t type, const pf::Point& from, const pf::Point& to)
{
    if (canvas_)
        canvas_->addTempGuide(type, from, to);
}

void Manipulator::addHorizontalTempGuideAtY(double y)
{
    if (const Composition* p = page()) {
        const pf::Rect b = p->bounds();
        addTempGuide(0, pf::Point(0, y), pf::Point(b.x() + b.width(), y));
    }
}

void Manipulator::addVerticalTempGuideAtX(double x)
{
    if (const Composition* p = page()) {
        const pf::Rect b = p->bounds();
        addTempGuide(0, pf::Point(x, 0), pf::Point(x, b.y() + b.height()));
    }
}
