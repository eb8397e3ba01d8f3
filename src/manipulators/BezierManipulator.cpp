// The Bezier's selection: point and control handles, their drags with the Shift and Command gestures, the
// Command-click corner, and points put in and taken out by double-click.
#include "manipulators/BezierManipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Event.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/Bezier.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

// Room about each handle for its outline and antialiasing (view points).
constexpr double handleMargin = 3.0;

const pf::Color& outlineColor()
{
    static const pf::Color c(0, 1, 1, 1);
    return c;
}

const pf::Color& controlLineColor()
{
    static const pf::Color c(1, 0, 1, 1);
    return c;
}

// The line each 45-degree sector of directions is held to (sectors by QVRectCornerForAngle).
constexpr std::array<int, 9> lockTypeForSector{3, 2, 4, 1, 0, 1, 4, 2, 3};

} // namespace

const ManipulatorClass& BezierManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("BezierManipulator"), &AbstractPointerManipulator::staticClass(),
                                    &Shape::allocate<BezierManipulator>);
    return c;
}

bool BezierManipulator::hasSingleBezier() const { return hasSingle() && children().front()->isBezier(); }

Bezier* BezierManipulator::singleBezier() const
{
    return hasSingleBezier() ? dynamic_cast<Bezier*>(children().front().get()) : nullptr;
}

bool BezierManipulator::allowsRemovePoint() const
{
    const Bezier* b = singleBezier();
    return b && b->modelPointCount() > 2;
}

void BezierManipulator::insertPoint(const pf::Point& point)
{
    if (Bezier* b = singleBezier()) {
        b->insertPoint(point);
        setFrameToChildren();
        setDirtyRectFlag();
    }
}

void BezierManipulator::removePoint(const pf::Point& point)
{
    if (Bezier* b = singleBezier(); b && allowsRemovePoint()) {
        b->removePoint(point);
        setFrameToChildren();
        setDirtyRectFlag();
    }
}

bool BezierManipulator::isDraggingControlPoint() const
{
    const Bezier* b = singleBezier();
    return b && activeHandle() >= b->firstControlPointHandleIndex();
}

pf::Point BezierManipulator::constrainedToNearestLine(const pf::Point& point, const pf::Point& reference, int* lockType)
{
    const double dx = point.x - reference.x, dy = point.y - reference.y;
    const double degrees = std::atan2(dy, dx) * 180.0 / std::numbers::pi + 180.0;
    const QVRectCorner corner = QVRectCornerForAngle(degrees);
    const int lock = corner >= 0 && corner < 9 ? lockTypeForSector[std::size_t(corner)] : 0;
    if (lockType)
        *lockType = lock;
    switch (lock) {
    case 1: return pf::Point(point.x, reference.y);
    case 2: return pf::Point(reference.x, point.y);
    case 3: {
        // The larger component sets both (y on a tie).
        const double d = std::fabs(dx) > std::fabs(dy) ? dx : dy;
        return pf::Point(reference.x + d, reference.y + d);
    }
    case 4:
        return std::fabs(dx) > std::fabs(dy) ? pf::Point(reference.x + dx, reference.y - dx)
                                             : pf::Point(reference.x - dy, reference.y + dy);
    default: return point;
    }
}

// ---- handles ----

pf::Rect BezierManipulator::sideHandleUnlessFlat(pf::Rect rect) const
{
    const pf::Rect f = frame();
    return f.width() == 0 || f.height() == 0 ? pf::Rect() : rect;
}

pf::Rect BezierManipulator::topMidHandle() const { return sideHandleUnlessFlat(AbstractPointerManipulator::topMidHandle()); }
pf::Rect BezierManipulator::midLefHandle() const { return sideHandleUnlessFlat(AbstractPointerManipulator::midLefHandle()); }
pf::Rect BezierManipulator::midRitHandle() const { return sideHandleUnlessFlat(AbstractPointerManipulator::midRitHandle()); }
pf::Rect BezierManipulator::botMidHandle() const { return sideHandleUnlessFlat(AbstractPointerManipulator::botMidHandle()); }

std::vector<pf::Rect> BezierManipulator::handleRects(bool ignoreControlPoints) const
{
    std::vector<pf::Rect> rects;
    const auto* b = isEmpty() ? nullptr : dynamic_cast<const Bezier*>(children().front().get());
    if (!b || b->modelPointCount() == 0)
        return rects;
    const int n = b->modelPointCount();
    const auto& points = b->modelPoints();
    rects.reserve(std::size_t(ignoreControlPoints ? n : 3 * n));
    for (const pf::Point& p : points)
        rects.push_back(QVSquareAroundPoint(p, handleSide));
    if (ignoreControlPoints || b->modelControlPoints().size() != points.size())
        return rects;
    const auto& pairs = b->modelControlPoints();
    for (int i = 0; i < n; ++i) {
        const int previous = b->previousModelIndex(i);
        const pf::Point c1 = pairs[std::size_t(i)][0], c2 = pairs[std::size_t(i)][1];
        // The segment into a subpath's first point exists only when it is closed: an open one has no
        // controls there to grab (they would lie over its end and take its clicks).
        const bool segment = b->hasSegmentEndingAt(i);
        const bool hide1 = !segment || b->isInvisibleAtModelIndex(previous) || c1 == points[std::size_t(previous)];
        const bool hide2 = !segment || b->isInvisibleAtModelIndex(i) || c2 == points[std::size_t(i)];
        rects.push_back(hide1 ? pf::Rect() : QVSquareAroundPoint(c1, handleSide));
        rects.push_back(hide2 ? pf::Rect() : QVSquareAroundPoint(c2, handleSide));
    }
    return rects;
}

std::int64_t BezierManipulator::handleForPoint(const pf::Point& point, bool ignoreControlPoints) const
{
    if (hasSingleBezier()) {
        // The same size on screen at every zoom.
        const double side = handleSide / currentScale();
        const std::vector<pf::Rect> rects = handleRects(ignoreControlPoints);
        for (std::size_t k = rects.size(); k-- > 0;)
            if (!QVRectIsZero(rects[k]) && QVSquareAroundPoint(QVRectGetMidMidPoint(rects[k]), side).contains(point))
                return Bezier::firstModelPointHandleIndex() + std::int64_t(k);
    }
    return AbstractPointerManipulator::handleForPoint(point);
}

void BezierManipulator::drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    const Bezier* b = singleBezier();
    if (!b)
        return AbstractPointerManipulator::drawSelectionHandlesInContext(context, overlay);
    if (const Composition* p = page(); !context.drawsToScreen() || (p && p->isDrawingThumbnail()))
        return;
    pf::SavedGState saved(context);
    context.setLineWidth(1.0);
    context.setStrokeColor(outlineColor());
    const auto view = [&](const pf::Point& p) { return overlay.pageToView.apply(p); };
    if (!b->isGenerating()) {
        const pf::Rect f = frame().standardized();
        const pf::Point a = view(pf::Point(f.minX(), f.minY())), z = view(pf::Point(f.maxX(), f.maxY()));
        context.strokeRect(pf::Rect(a, pf::Size(z.x - a.x, z.y - a.y)));
        AbstractPointerManipulator::drawSelectionHandlesInContext(context, overlay);
        context.setStrokeColor(outlineColor());
    }
    // The model is stored turned: its points are drawn where they are.
    context.strokePath(b->path().transformed(overlay.pageToView));

    const int n = b->modelPointCount();
    const auto& points = b->modelPoints();
    const auto& pairs = b->modelControlPoints();
    if (n == 0 || pairs.size() != points.size())
        return;
    const std::int64_t active = activeHandle();
    const auto handle = [&](const pf::Point& at, double side, std::int64_t number) {
        const bool on = active == number;
        drawAdjustmentHandleAtViewPoint(context, view(at), side, on && dragResizing(), on);
    };
    // Every control line in one stroke, under the handles.
    pf::Path lines;
    const auto line = [&](const pf::Point& from, const pf::Point& to) {
        lines.moveTo(view(from));
        lines.lineTo(view(to));
    };
    const bool editingText = b->isEditingText();
    const bool lastShown = !b->isInvisibleAtModelIndex(n - 1);
    const bool closing = (lastShown && b->isGenerating())
                         || (b->isSubpathClosedAt(n - 1) && (lastShown || !b->isInvisibleAtModelIndex(b->subpathStartOf(n - 1))));
    if (!editingText) {
        for (int i = 0; i < n; ++i) {
            if (!b->hasSegmentEndingAt(i))
                continue;
            const int previous = b->previousModelIndex(i);
            // A subpath's closing segment leaves its last point: the last subpath's is drawn as the
            // closing one below.
            if (i > b->subpathStartOf(i) && !b->isInvisibleAtModelIndex(previous))
                line(points[std::size_t(previous)], pairs[std::size_t(i)][0]);
            else if (i == b->subpathStartOf(i) && b->subpathEndOf(i) < n && !b->isInvisibleAtModelIndex(previous))
                line(points[std::size_t(previous)], pairs[std::size_t(i)][0]);
            if (!b->isInvisibleAtModelIndex(i))
                line(points[std::size_t(i)], pairs[std::size_t(i)][1]);
        }
    }
    if (closing)
        line(points.back(), b->phantomControlPoint());
    if (b->isGenerating())
        line(points.front(), b->initialPeerControlPoint());
    if (!lines.isEmpty()) {
        context.setStrokeColor(controlLineColor());
        context.strokePath(lines);
    }
    for (int i = 0; i < n; ++i) {
        if (!editingText && b->hasSegmentEndingAt(i)) {
            const int previous = b->previousModelIndex(i);
            const bool closingOfLast = i == b->subpathStartOf(i) && b->subpathEndOf(i) == n;
            if (!closingOfLast && !b->isInvisibleAtModelIndex(previous))
                handle(pairs[std::size_t(i)][0], controlViewSide, b->firstControlPointHandleIndexForModelIndex(i));
            if (!b->isInvisibleAtModelIndex(i))
                handle(pairs[std::size_t(i)][1], controlViewSide, b->secondControlPointHandleIndexForModelIndex(i));
        }
        // A point is drawn over the control lines that leave it.
        if (i > 0)
            handle(points[std::size_t(i - 1)], pointViewSide, Bezier::handleIndexForModelIndex(i - 1));
    }
    if (closing)
        handle(b->phantomControlPoint(), controlViewSide,
               b->firstControlPointHandleIndexForModelIndex(b->subpathStartOf(n - 1)));
    if (b->isGenerating())
        drawAdjustmentHandleAtViewPoint(context, view(b->initialPeerControlPoint()), controlViewSide, false, false);
    handle(points.back(), pointViewSide, Bezier::handleIndexForModelIndex(n - 1));
}

pf::Rect BezierManipulator::calcDirtyRect() const
{
    const Bezier* b = singleBezier();
    if (!b)
        return AbstractPointerManipulator::calcDirtyRect();
    pf::Rect r = QVCombineRects(AbstractPointerManipulator::calcDirtyRect(), b->dirtyRect());
    const double side = (handleSide + 2 * handleMargin) / currentScale();
    const auto add = [&](const pf::Point& p) { r = QVCombineRects(r, QVSquareAroundPoint(p, side)); };
    for (const pf::Point& p : b->modelPoints())
        add(p);
    for (const auto& pair : b->modelControlPoints())
        for (const pf::Point& p : pair)
            add(p);
    if (b->modelPointCount() > 0) {
        add(b->phantomControlPoint());
        add(b->initialPeerControlPoint());
    }
    return r;
}

// ---- double-click ----

bool BezierManipulator::doubleClickedAtPoint(const pf::Point& point)
{
    Bezier* b = singleBezier();
    if (!b)
        return AbstractPointerManipulator::doubleClickedAtPoint(point);
    if (b->isLocked())
        return true;
    const pf::AttributedString* text = b->attributedText();
    if (text && text->length() > 0 && b->textBoundingRect().contains(point))
        return AbstractPointerManipulator::doubleClickedAtPoint(point);
    const std::int64_t h = handleForPoint(point, true);
    bool consumed = false;
    if (h == -1) {
        // The new point and the drag that follows are one undo step.
        openInsertGroup();
        const int before = b->modelPointCount();
        b->insertPoint(point);
        if (b->modelPointCount() == before)
            closeInsertGroup(); // off the outline: nothing went in
        else
            doubleClick_ = true;
    } else if (h >= Bezier::firstModelPointHandleIndex() && h <= b->lastModelPointHandleIndex() && allowsRemovePoint()) {
        // Only a point under the click goes; a frame handle there is no point to take out.
        b->removePointAtIndex(Bezier::modelIndexForHandleIndex(int(h)));
        consumed = true;
    }
    setFrameToChildren();
    setDirtyRectFlag();
    return consumed;
}

// ---- drags ----

std::int64_t BezierManipulator::cornerForHandle(std::int64_t handle) const
{
    const Bezier* b = singleBezier();
    if (!b)
        return AbstractPointerManipulator::cornerForHandle(handle);
    // Ends are the first and last points; the frame's handles are no ends here.
    if (handle == Bezier::firstModelPointHandleIndex())
        return b->cornerA();
    if (handle == b->lastModelPointHandleIndex())
        return b->cornerB();
    return -1;
}

bool BezierManipulator::dragChangedPointer(AbstractPointer& pointer) const
{
    const auto* b = dynamic_cast<const Bezier*>(&pointer);
    if (!b || !dragResizing() || activeHandle() < Bezier::firstModelPointHandleIndex())
        return AbstractPointerManipulator::dragChangedPointer(pointer);
    return b->modelPoints() != dragStartPoints_ || b->modelControlPoints() != dragStartPairs_;
}

void BezierManipulator::beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle)
{
    if (isLocked())
        return;
    Bezier* b = singleBezier();
    if (!b)
        return AbstractPointerManipulator::beginDragResizeAtPointWithHandle(point, handle);
    if (handle < Bezier::firstModelPointHandleIndex()) {
        // The frame: the whole curve is resized.
        setActiveHandle(handle);
        return AbstractPointerManipulator::beginDragResizeAtPointWithHandle(point, handle);
    }
    if (handle > b->lastControlPointHandleIndex())
        return;
    const int h = int(handle);
    setLockType(0);
    setDragResizing(true);
    setDragResizingHandle(0);
    setActiveHandle(handle);
    dragStart().frame = frame();
    loosenEndForHandle(handle);
    const pf::Point at = h > b->lastModelPointHandleIndex() ? b->controlPointForHandleIndex(h) : b->modelPointForHandleIndex(h);
    setDragStartPoint(at);
    setDragResizingOffset(pf::Size(point.x - at.x, point.y - at.y));
    dragStartPoints_ = b->modelPoints();
    dragStartPairs_ = b->modelControlPoints();
    b->beginDrag();
    beginDrag();
}

void BezierManipulator::beginDrag()
{
    if (Bezier* b = singleBezier()) {
        if (doubleClick_) {
            doubleClick_ = false;
            doubleClickDrag_ = true;
        }
        toggledIndependence_ = false;
        // A handle drag moves points; a move carries every point with the frame.
        b->setFrameTranslationEnabled(!dragResizing());
    }
    AbstractPointerManipulator::beginDrag();
}

void BezierManipulator::flagsChanged(const pf::Event& event)
{
    (void)event;
    // Each modifier state may act once.
    toggledIndependence_ = false;
}

pf::Point BezierManipulator::gatherPoint() const
{
    const Bezier* b = dragResizing() ? singleBezier() : nullptr;
    const std::int64_t a = activeHandle();
    if (!b || a < Bezier::firstModelPointHandleIndex() || a > b->lastControlPointHandleIndex())
        return AbstractPointerManipulator::gatherPoint();
    return b->pointForHandleIndex(int(a));
}

void BezierManipulator::mouseDragResizeEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    if (!dragResizing() || isLocked())
        return;
    Bezier* b = singleBezier();
    const std::int64_t active = activeHandle();
    if (!b || active < Bezier::firstModelPointHandleIndex())
        return AbstractPointerManipulator::mouseDragResizeEventAtPoint(event, point);
    if (active > b->lastControlPointHandleIndex())
        return;
    // Only an end looks for shapes, to attach to; other handles snap to the grid, guides and page alone.
    if (cornerForHandle(active) != -1)
        gatherSnapShapes();
    else
        clearSnapShapes();
    const bool grid = isGridEnabled();
    setShiftConstrain(event.isShiftKeyPressed());
    setOptionCenter(event.isOptionKeyPressed());
    setCommandPressed(event.isCommandKeyPressed());
    if (!isShiftConstrain() && !isOptionCenter())
        setLockType(0);

    pf::Point p(point.x - dragResizingOffset().width, point.y - dragResizingOffset().height);
    if (grid)
        p = page()->gridAlignedPointForPoint(p);
    const pf::Point s = snapRectForRect(pf::Rect(p, pf::Size()), true, false, &event).origin;
    pf::Point q = s;
    if (isShiftConstrain()) {
        if (!isDraggingControlPoint()) {
            // A point keeps to the horizontal or vertical line through where it started, chosen on the
            // first step and applied at once.
            const pf::Point o = dragStartPoint();
            if (lockType() == 0)
                setLockType(std::lround(std::fabs(s.x - o.x)) < std::lround(std::fabs(s.y - o.y)) ? 2 : 1);
            if (lockType() == 1) {
                addHorizontalTempGuideAtY(o.y);
                q = pf::Point(s.x, o.y);
            } else {
                addVerticalTempGuideAtX(o.x);
                q = pf::Point(o.x, s.y);
            }
        } else {
            // A control keeps to the nearest line through its point, chosen afresh at every step.
            const pf::Point o = b->modelPointAtIndex(b->userIndexForHandleIndex(int(active)));
            int lock = 0;
            q = constrainedToNearestLine(s, o, &lock);
            setLockType(std::uint64_t(lock));
        }
    } else if (isCommandPressed() && !toggledIndependence_) {
        const bool control = active > b->lastModelPointHandleIndex();
        toggledIndependence_ = b->setIndependentAtHandleIndex(control, int(active));
        if (!control) {
            // Out of the point comes its outgoing control, and the drag pulls that from now on.
            const int m = Bezier::modelIndexForHandleIndex(int(active));
            const int end = b->subpathEndOf(m);
            b->setInvisibleAtModelIndex(false, m);
            setActiveHandle(m < end - 1 ? b->firstControlPointHandleIndexForModelIndex(m + 1)
                            : b->isSubpathClosedAt(m) ? b->firstControlPointHandleIndexForModelIndex(b->nextModelIndex(m))
                                                       : b->secondControlPointHandleIndexForModelIndex(m));
        }
    }
    b->setPointAtHandleIndex(q, int(activeHandle()));
    setFrameToChildren();
    setDirtyRectFlag();
    if (isShiftConstrain() || isOptionCenter() || grid)
        if (ManipulatorCanvas* c = canvas())
            c->cleanUpTempGuidesWithManipulatorRect(pf::Rect(q, pf::Size()));
    setNeedsDisplay();
}

void BezierManipulator::mouseDragMoveEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    AbstractPointerManipulator::mouseDragMoveEventAtPoint(event, point);
    if (hasSingleBezier())
        setFrameToChildren();
}

void BezierManipulator::endDrag(const pf::Event& event)
{
    Bezier* b = singleBezier();
    const std::int64_t h = activeHandle();
    const bool commandClick = b && dragResizing() && !dragDidChange() && isCommandPressed()
                              && h >= Bezier::firstModelPointHandleIndex() && h <= b->lastControlPointHandleIndex();
    // Undo recording is back on from here: the corner's flags are part of the drag's step.
    AbstractPointerManipulator::endDrag(event);
    if (commandClick)
        collapseHandles(*b, h);
    doubleClick_ = false;
    doubleClickDrag_ = false;
    toggledIndependence_ = false;
}

void BezierManipulator::collapseHandles(Bezier& b, std::int64_t handle)
{
    const int h = int(handle);
    const Bezier::Flags independent = b.modelControlPointsIndependent(), invisible = b.modelControlPointsInvisible();
    if (h <= b.lastModelPointHandleIndex()) {
        // A corner at the point: both its controls onto it, apart from each other.
        const int m = Bezier::modelIndexForHandleIndex(h);
        const pf::Point at = b.modelPointAtIndex(m);
        b.setIndependentAtHandleIndex(true, h);
        b.setInvisibleAtModelIndex(true, m);
        b.setPointAtHandleIndex(at, b.secondControlPointHandleIndexForModelIndex(m));
        if (b.isSubpathClosedAt(m) || m != b.subpathEndOf(m) - 1)
            b.setPointAtHandleIndex(at, b.firstControlPointHandleIndexForModelIndex(b.nextModelIndex(m)));
    } else {
        // Only this control onto its point; the point shows no handles once none stands off it.
        const int u = b.userIndexForHandleIndex(h);
        const pf::Point at = b.modelPointAtIndex(u);
        b.setIndependentAtHandleIndex(true, h);
        b.setPointAtHandleIndex(at, h);
        const bool end = !b.isSubpathClosedAt(u) && (u == b.subpathStartOf(u) || u == b.subpathEndOf(u) - 1);
        const bool bothOn = b.secondControlPointAtModelIndex(u) == at && b.firstControlPointAtModelIndex(b.nextModelIndex(u)) == at;
        b.setInvisibleAtModelIndex(end || bothOn, u);
    }
    // The flags as one undoable change with the drag (the points are recorded by the drag's end).
    const Bezier::Flags nowIndependent = b.modelControlPointsIndependent(), nowInvisible = b.modelControlPointsInvisible();
    Composition* p = page();
    const bool quiet = p && p->disableUndo();
    b.setModelControlPointsIndependent(independent);
    b.setModelControlPointsInvisible(invisible);
    if (p)
        p->reenableUndoIf(quiet);
    b.setModelControlPointsIndependent(nowIndependent);
    b.setModelControlPointsInvisible(nowInvisible);
    setFrameToChildren();
    setDirtyRectFlag();
}

void registerBezierManipulatorClass(pf::ClassRegistry& registry) { registry.add(BezierManipulator::staticClass()); }
