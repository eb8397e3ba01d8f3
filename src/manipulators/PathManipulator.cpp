// The path's selection: point handles, the point drag with its alignments, and points put in and taken out
// by double-click.
#include "manipulators/PathManipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Event.h"
#include "shapes/SmartPath.h"

#include <cfloat>
#include <cmath>

namespace {

// Room about each handle for its outline and antialiasing (view points).
constexpr double handleMargin = 3.0;

} // namespace

const ManipulatorClass& PathManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("PathManipulator"), &AbstractPointerManipulator::staticClass(),
                                    &Shape::allocate<PathManipulator>);
    return c;
}

bool PathManipulator::hasSinglePath() const { return hasSingle() && children().front()->isPath(); }

Path* PathManipulator::singlePath() const
{
    return hasSinglePath() ? dynamic_cast<Path*>(children().front().get()) : nullptr;
}

bool PathManipulator::allowsRemovePoint() const
{
    const Path* path = singlePath();
    return path && path->modelPoints().size() > 2;
}

void PathManipulator::insertPoint(const pf::Point& point)
{
    if (Path* path = singlePath())
        path->insertPoint(point);
}

void PathManipulator::removePoint(const pf::Point& point)
{
    if (Path* path = singlePath())
        path->removePoint(point);
}

// ---- handles ----

std::vector<pf::Rect> PathManipulator::handleRects() const
{
    std::vector<pf::Rect> rects;
    if (isEmpty())
        return rects;
    const auto* path = dynamic_cast<const Path*>(children().front().get());
    if (!path)
        return rects;
    rects.reserve(path->modelPoints().size());
    for (const pf::Point& p : path->modelPoints())
        rects.push_back(QVSquareAroundPoint(p, pointHandleSide));
    return rects;
}

std::int64_t PathManipulator::handleForPoint(const pf::Point& point) const
{
    if (!hasSinglePath())
        return AbstractPointerManipulator::handleForPoint(point);
    // The same size on screen at every zoom: the squares shrink about their centres as the page grows.
    const double side = pointHandleSide / currentScale();
    const std::vector<pf::Rect> rects = handleRects();
    for (std::size_t i = 0; i < rects.size(); ++i)
        if (QVSquareAroundPoint(QVRectGetMidMidPoint(rects[i]), side).contains(point))
            return static_cast<std::int64_t>(i);
    return -1;
}

void PathManipulator::drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    const Path* path = singlePath();
    if (!path)
        return AbstractPointerManipulator::drawSelectionHandlesInContext(context, overlay);
    if (path->hideHandles())
        return;
    const double side = pointHandleSide / overlay.scale;
    const auto& points = path->modelPoints();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool active = activeHandle() == static_cast<std::int64_t>(i);
        drawSelectionHandle(context, overlay, QVSquareAroundPoint(points[i], side), dragResizing() && active, active);
    }
}

pf::Rect PathManipulator::calcDirtyRect() const
{
    const Path* path = singlePath();
    if (!path)
        return AbstractPointerManipulator::calcDirtyRect();
    // The handles are drawn at their size on screen, out past the outline where the zoom is small.
    pf::Rect r = path->dirtyRect();
    const double side = (pointHandleSide + 2 * handleMargin) / currentScale();
    for (const pf::Point& p : path->modelPoints())
        r = QVCombineRects(r, QVSquareAroundPoint(p, side));
    return r;
}

// ---- double-click ----

bool PathManipulator::doubleClickedAtPoint(const pf::Point& point)
{
    Path* path = singlePath();
    if (!path)
        return AbstractPointerManipulator::doubleClickedAtPoint(point);
    if (path->isLocked())
        return true;
    const pf::AttributedString* text = path->attributedText();
    if (text && text->length() > 0 && path->textBoundingRect().contains(point))
        return AbstractPointerManipulator::doubleClickedAtPoint(point);
    if (handleForPoint(point) == -1) {
        // The new point and the drag that follows are one undo step.
        openInsertGroup();
        const std::size_t before = path->modelPoints().size();
        path->insertPoint(point);
        if (path->modelPoints().size() == before) {
            // Off the outline: nothing went in, and no drag of a new point follows.
            closeInsertGroup();
            return false;
        }
        doubleClick_ = true;
        setFrameToChildren();
        setDirtyRectFlag();
        return false;
    }
    if (allowsRemovePoint()) {
        path->removePoint(point);
        setFrameToChildren();
        setDirtyRectFlag();
        return true;
    }
    return false;
}

// ---- drags ----

void PathManipulator::beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle)
{
    if (isLocked())
        return;
    Path* path = singlePath();
    if (!path)
        return AbstractPointerManipulator::beginDragResizeAtPointWithHandle(point, handle);
    if (handle < 0 || static_cast<std::size_t>(handle) >= path->modelPoints().size())
        return;
    setLockType(0);
    setDragResizing(true);
    setDragResizingHandle(0);
    setActiveHandle(handle);
    dragStart().frame = frame();
    loosenEndForHandle(handle);
    const pf::Point at = path->modelPointAtIndex(static_cast<std::size_t>(handle));
    setDragStartPoint(at);
    setDragResizingOffset(pf::Size(point.x - at.x, point.y - at.y));
    dragStartPoints_ = path->modelPoints();
    path->beginDrag();
    beginDrag();
}

void PathManipulator::beginDrag()
{
    if (Path* path = singlePath()) {
        if (doubleClick_) {
            doubleClick_ = false;
            doubleClickDrag_ = true;
        }
        // A point drag moves one point; a move carries every point with the frame.
        path->setFrameTranslationEnabled(!dragResizing());
    }
    AbstractPointerManipulator::beginDrag();
}

void PathManipulator::endDrag(const pf::Event& event)
{
    AbstractPointerManipulator::endDrag(event);
    // Setting the frame (the inspector, a nudge) moves the points again.
    if (Path* path = singlePath())
        path->setFrameTranslationEnabled(true);
    doubleClick_ = false;
    doubleClickDrag_ = false;
}

bool PathManipulator::dragChangedPointer(AbstractPointer& pointer) const
{
    const auto* path = dynamic_cast<const Path*>(&pointer);
    return path ? path->modelPoints() != dragStartPoints_ : AbstractPointerManipulator::dragChangedPointer(pointer);
}

pf::Point PathManipulator::gatherPoint() const
{
    const Path* path = dragResizing() ? singlePath() : nullptr;
    const std::int64_t a = activeHandle();
    if (!path || a < 0 || static_cast<std::size_t>(a) >= path->modelPoints().size())
        return AbstractPointerManipulator::gatherPoint();
    return path->modelPointAtIndex(static_cast<std::size_t>(a));
}

void PathManipulator::mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragResizing() || isLocked())
        return;
    Path* path = singlePath();
    if (!path)
        return AbstractPointerManipulator::mouseDragResizeEventAtPoint(event, point);
    const std::int64_t a = activeHandle();
    if (a < 0 || static_cast<std::size_t>(a) >= path->modelPoints().size())
        return;
    gatherSnapShapes();
    const pf::Point q = snappedPointForPoint(point, event, *path, static_cast<std::size_t>(a));
    path->setPointAtIndex(q, static_cast<std::size_t>(a));
    setFrameToChildren();
    setDirtyRectFlag();
    if (isShiftConstrain() || isOptionCenter() || isGridEnabled())
        if (ManipulatorCanvas* c = canvas())
            c->cleanUpTempGuidesWithManipulatorRect(pf::Rect(q, pf::Size()));
    setNeedsDisplay();
}

void PathManipulator::mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    AbstractPointerManipulator::mouseDragMoveEventAtPoint(event, point);
    if (hasSinglePath())
        setFrameToChildren();
}

pf::Point PathManipulator::snappedPointForPoint(const pf::Point& point, const pf::Event& event, const Path& path,
                                                std::size_t active)
{
    const auto& points = path.modelPoints();
    const std::size_t n = points.size();
    setShiftConstrain(event.isShiftKeyPressed());
    setOptionCenter(event.isOptionKeyPressed());
    setCommandPressed(event.isCommandKeyPressed());
    if (!isShiftConstrain() && !isOptionCenter())
        setLockType(0);

    pf::Point p(point.x - dragResizingOffset().width, point.y - dragResizingOffset().height);
    if (isGridEnabled())
        p = page()->gridAlignedPointForPoint(p);
    const pf::Point s = snapRectForRect(pf::Rect(p, pf::Size()), true, false, &event).origin;
    // The neighbours along the path; an end has one.
    const std::optional<pf::Point> previous = active > 0 ? std::optional(points[active - 1]) : std::nullopt;
    const std::optional<pf::Point> next = active + 1 < n ? std::optional(points[active + 1]) : std::nullopt;

    if (isShiftConstrain()) {
        const pf::Point c = points[active];
        if (lockType() == 0) {
            // The first constrained step lines the point up with the nearest other point, on the axis it is
            // nearer to, and keeps that axis.
            pf::Point nearest;
            double kept = DBL_MAX;
            for (std::size_t i = 0; i < n; ++i)
                if (i != active && QVGetDiagonalBetween(s, points[i]) < kept) {
                    kept = QVGetDiagonalBetween(s, points[i]);
                    nearest = points[i];
                }
            const double dx = std::fabs(s.x - nearest.x), dy = std::fabs(s.y - nearest.y);
            if (dx > dy) {
                setLockType(1);
                return pf::Point(s.x, nearest.y);
            }
            setLockType(2);
            return pf::Point(nearest.x, s.y);
        }
        // Along the kept axis the free coordinate snaps to the nearer neighbour within the tolerance (the
        // previous one only when strictly nearer).
        const double tolerance = UserDefaults::instance().snapTolerance();
        const auto snapFree = [&](double free, double pf::Point::*axis) -> std::optional<double> {
            const std::optional<pf::Point>* nearer = nullptr;
            if (previous && (!next || std::fabs((*previous).*axis - free) < std::fabs((*next).*axis - free)))
                nearer = &previous;
            else if (next)
                nearer = &next;
            if (nearer && std::fabs((**nearer).*axis - free) < tolerance)
                return (**nearer).*axis;
            return std::nullopt;
        };
        if (lockType() == 1) {
            addHorizontalTempGuideAtY(c.y);
            if (const auto x = snapFree(s.x, &pf::Point::x)) {
                addVerticalTempGuideAtX(*x);
                return pf::Point(*x, c.y);
            }
            return pf::Point(s.x, c.y);
        }
        addVerticalTempGuideAtX(c.x);
        if (const auto y = snapFree(s.y, &pf::Point::y)) {
            addHorizontalTempGuideAtY(*y);
            return pf::Point(c.x, *y);
        }
        return pf::Point(c.x, s.y);
    }

    if (isOptionCenter() && n >= 2) {
        // The reference: the one neighbour of an end, else the midpoint between both neighbours.
        const pf::Point r = previous && next ? QVRectGetMidMidPoint(QVRectFromPoints(*previous, *next))
                                             : previous ? *previous : *next;
        // The axis is chosen on the first step and applied at once: a drag whose only step chose it must
        // not end off the line.
        if (lockType() == 0)
            setLockType(std::lround(std::fabs(s.x - r.x)) < std::lround(std::fabs(s.y - r.y)) ? 2 : 1);
        if (lockType() == 1) {
            addHorizontalTempGuideAtY(r.y);
            return pf::Point(s.x, r.y);
        }
        addVerticalTempGuideAtX(r.x);
        return pf::Point(r.x, s.y);
    }
    return s;
}

void registerPathManipulatorClass(pf::ClassRegistry& registry) { registry.add(PathManipulator::staticClass()); }
