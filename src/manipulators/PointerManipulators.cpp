// Connector selections: the end drags that loosen and make connections, and the handles of straight and
// elbow lines.
#include "manipulators/PointerManipulators.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"
#include "model/Connection.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/UndoManager.h"
#include "shapes/AbstractPointer.h"
#include "shapes/BentLines.h"

#include <algorithm>
#include <cmath>

namespace {

std::vector<std::shared_ptr<Connection>> connectionsAt(const AbstractPointer& pointer, std::optional<QVRectCorner> corner)
{
    std::vector<std::shared_ptr<Connection>> found;
    for (const auto& c : pointer.connections())
        if (auto connection = std::dynamic_pointer_cast<Connection>(c))
            if (!corner || connection->pointerCorner() == *corner)
                found.push_back(std::move(connection));
    return found;
}

bool endsAreOnPage(const Connection& connection, Composition& page)
{
    const auto shape = connection.shape();
    Shape* pointer = connection.pointer();
    return shape && pointer && page.isShapeRegistered(*shape) && page.isShapeRegistered(*pointer);
}

void reattach(Composition& page, const std::vector<std::shared_ptr<Connection>>& connections)
{
    for (const auto& c : connections)
        if (endsAreOnPage(*c, page))
            page.addConnection(c);
}

void registerDetachUndo(Composition& page, std::vector<std::shared_ptr<Connection>> connections, bool detached)
{
    const auto target = std::static_pointer_cast<Composition>(page.shared_from_this());
    pf::registerUndo(page.undoManager(), target, [connections = std::move(connections), detached](Composition& p) {
        if (detached)
            reattach(p, connections);
        else
            for (const auto& c : connections)
                p.removeConnection(c);
        registerDetachUndo(p, connections, !detached);
    });
}

} // namespace

// ---- AbstractPointerManipulator ----

const ManipulatorClass& AbstractPointerManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("AbstractPointerManipulator"), &Manipulator::staticClass(),
                                    &Shape::allocate<AbstractPointerManipulator>);
    return c;
}

bool AbstractPointerManipulator::hasSinglePointer() const { return hasSingle() && children().front()->isPointer(); }
bool AbstractPointerManipulator::hasSingleLine() const { return hasSingle() && children().front()->isLine(); }
bool AbstractPointerManipulator::hasSingleSegmentedLine() const
{
    return hasSingleLine() && dynamic_cast<const SegmentedLine*>(children().front().get());
}

AbstractPointer* AbstractPointerManipulator::singlePointer() const
{
    return hasSinglePointer() ? dynamic_cast<AbstractPointer*>(children().front().get()) : nullptr;
}

std::int64_t AbstractPointerManipulator::endForHandle(const AbstractPointer& pointer, std::int64_t handle) const
{
    const std::int64_t corner = cornerForHandle(handle);
    return corner == pointer.cornerA() || corner == pointer.cornerB() ? corner : -1;
}

double AbstractPointerManipulator::dragStartThresholdMultiplier() const
{
    return hasSinglePointer() ? 0.0 : Manipulator::dragStartThresholdMultiplier();
}

void AbstractPointerManipulator::beginDragResizeAtPointWithHandle(const pf::Point& point, std::int64_t handle)
{
    if (isLocked())
        return;
    loosenEndForHandle(handle);
    Manipulator::beginDragResizeAtPointWithHandle(point, handle);
}

void AbstractPointerManipulator::loosenEndForHandle(std::int64_t handle)
{
    loosened_.clear();
    AbstractPointer* pointer = singlePointer();
    if (const std::int64_t end = pointer ? endForHandle(*pointer, handle) : -1; end != -1) {
        // Loose at once, so the end is drawn free while it is dragged.
        loosened_ = connectionsAt(*pointer, static_cast<QVRectCorner>(end));
        if (Composition* p = page())
            for (const auto& c : loosened_)
                p->removeConnection(c);
    }
}

bool AbstractPointerManipulator::dragChangedPointer(AbstractPointer& pointer) const
{
    return pointer.frame() != pointer.dragStart().frame;
}

void AbstractPointerManipulator::endDragResize(const pf::Event& event)
{
    std::vector<std::shared_ptr<Connection>> loosened = std::move(loosened_);
    loosened_.clear();
    AbstractPointer* pointer = singlePointer();
    const bool moved = pointer && dragChangedPointer(*pointer);
    // The new place and the loosening are one step, however the caller groups its changes.
    {
        pf::UndoGrouping step(undoManagerOfPage());
        Manipulator::endDragResize(event);
        if (Composition* p = loosened.empty() ? nullptr : page()) {
            if (!moved)
                reattach(*p, loosened); // a click on an end handle is no reason to lose the attachment
            else
                registerDetachUndo(*p, std::move(loosened), true);
        }
    }
    // After the drag's own step has closed inside it.
    closeInsertGroup();
}

void AbstractPointerManipulator::openInsertGroup()
{
    closeInsertGroup();
    insertUndo_ = undoManagerOfPage();
    if (insertUndo_)
        insertGroup_ = insertUndo_->beginUndoGrouping();
}

void AbstractPointerManipulator::closeInsertGroup()
{
    if (insertUndo_ && insertGroup_.isValid())
        insertUndo_->endUndoGrouping(insertGroup_);
    insertUndo_ = nullptr;
    insertGroup_ = {};
}

void AbstractPointerManipulator::endDragMove(const pf::Event& event)
{
    if (isLocked())
        return closeInsertGroup();
    AbstractPointer* pointer = dragMoving() ? singlePointer() : nullptr;
    bool detach = false;
    if (pointer) {
        const pf::Rect start = pointer->dragStart().frame;
        const pf::Rect now = pointer->frame();
        detach = std::fabs(now.x() - start.x()) > moveDetachDistance || std::fabs(now.y() - start.y()) > moveDetachDistance;
    }
    {
        pf::UndoGrouping step(undoManagerOfPage());
        Manipulator::endDragMove(event);
        if (detach)
            detachWithUndo(connectionsAt(*pointer, std::nullopt));
    }
    closeInsertGroup();
}

pf::UndoManager* AbstractPointerManipulator::undoManagerOfPage() const
{
    Composition* p = page();
    return p ? p->undoManager() : nullptr;
}

void AbstractPointerManipulator::detachWithUndo(std::vector<std::shared_ptr<Connection>> connections)
{
    Composition* p = page();
    if (!p || connections.empty())
        return;
    for (const auto& c : connections)
        p->removeConnection(c);
    registerDetachUndo(*p, std::move(connections), true);
}

void AbstractPointerManipulator::setConnectingShapeAtPoint(const std::shared_ptr<Shape>& shape, const pf::Point& point)
{
    AbstractPointer* pointer = singlePointer();
    if (!shape || !pointer) {
        if (ManipulatorCanvas* c = canvas())
            c->discardConnection();
        return;
    }
    const std::int64_t end = endForHandle(*pointer, activeHandle());
    if (end == -1)
        return;
    double ratio = 0.0;
    const QVRectEdge edge = QVRectGetEdgeForPoint(&ratio, point, shape->snapRect());
    if (edge == QVRectEdgeNone)
        return;
    auto connection = std::dynamic_pointer_cast<Connection>(shape->provisionalConnection());
    if (!connection) {
        connection = Connection::make(page());
        connection->setShape(shape);
    }
    connection->setShapeEdge(edge);
    connection->setShapeRatio(ratio);
    connection->setPointer(children().front());
    connection->setPointerCorner(static_cast<QVRectCorner>(end));
    if (shape->isPointer()) {
        // A connector end never attaches to another connector; nor may the offer stay with it, where it
        // would be drawn as a connection being made.
        shape->setProvisionalConnection(nullptr);
        return;
    }
    if (ManipulatorCanvas* c = canvas())
        c->addConnection(connection);
}

// ---- LineManipulator ----

const ManipulatorClass& LineManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("LineManipulator"), &AbstractPointerManipulator::staticClass(),
                                    &Shape::allocate<LineManipulator>);
    return c;
}

void LineManipulator::drawHandleForCorner(pf::GraphicsContext& context, const HandleOverlay& overlay,
                                          std::int64_t corner, const pf::Rect& rect) const
{
    const bool active = activeHandle() == corner;
    drawSelectionHandle(context, overlay, rect, activeHandle() != -1 && dragResizing() && active, active);
}

void LineManipulator::drawEndHandles(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    const AbstractPointer* line = singlePointer();
    for (const QVRectCorner corner : {line->cornerA(), line->cornerB()})
        drawHandleForCorner(context, overlay, corner, rectForCorner(corner));
}

void LineManipulator::drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    if (!hasSingleLine())
        return AbstractPointerManipulator::drawSelectionHandlesInContext(context, overlay);
    drawEndHandles(context, overlay);
}

std::int64_t LineManipulator::handleForPoint(const pf::Point& point) const
{
    if (!hasSingleLine())
        return AbstractPointerManipulator::handleForPoint(point);
    const AbstractPointer* line = singlePointer();
    for (const QVRectCorner corner : {line->cornerA(), line->cornerB()})
        if (pathForHandleRect(rectForCorner(corner)).containsPoint(point))
            return corner;
    return -1;
}

// ---- SegmentedLineManipulator ----

const ManipulatorClass& SegmentedLineManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("SegmentedLineManipulator"), &LineManipulator::staticClass(),
                                    &Shape::allocate<SegmentedLineManipulator>);
    return c;
}

SegmentedLine* SegmentedLineManipulator::singleSegmentedLine() const
{
    return hasSingleSegmentedLine() ? dynamic_cast<SegmentedLine*>(children().front().get()) : nullptr;
}

void SegmentedLineManipulator::drawSelectionHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    const SegmentedLine* line = singleSegmentedLine();
    if (!line)
        return LineManipulator::drawSelectionHandlesInContext(context, overlay);
    drawEndHandles(context, overlay);
    if (line->flipped()) {
        drawHandleForCorner(context, overlay, line->cornerCp1(), midLefHandle());
        drawHandleForCorner(context, overlay, line->cornerCp2(), midRitHandle());
    } else {
        drawHandleForCorner(context, overlay, line->cornerCp1(), topMidHandle());
        drawHandleForCorner(context, overlay, line->cornerCp2(), botMidHandle());
    }
}

void SegmentedLineManipulator::drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const
{
    drawAdjustmentHandle(context, overlay, adjustHandle(), activeHandle() == ManipulatorHandleAdjust);
}

std::int64_t SegmentedLineManipulator::handleForPoint(const pf::Point& point) const
{
    const SegmentedLine* line = singleSegmentedLine();
    if (!line)
        return LineManipulator::handleForPoint(point);
    const auto hits = [this, &point](const pf::Rect& rect) { return pathForHandleRect(rect).containsPoint(point); };
    if (!provisional() && hits(adjustHandle()))
        return ManipulatorHandleAdjust;
    if (hits(rectForCorner(line->cornerA())))
        return line->cornerA();
    if (hits(rectForCorner(line->cornerB())))
        return line->cornerB();
    if (!line->flipped()) {
        if (hits(topMidHandle()))
            return QVRectCornerTopMid;
        if (hits(botMidHandle()))
            return QVRectCornerBotMid;
    } else {
        if (hits(midRitHandle()))
            return QVRectCornerMidRit;
        if (hits(midLefHandle()))
            return QVRectCornerMidLef;
    }
    return -1;
}

void SegmentedLineManipulator::mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point)
{
    const SegmentedLine* line = singleSegmentedLine();
    if (!dragAdjusting() || isLocked() || !line)
        return;
    const pf::Rect f = frame();
    const std::int64_t angle = rotationAngle();
    const pf::Point p = angle == 0 ? point : QVPointApplyRotation(point, QVMakeRotation(static_cast<int>(-angle), f));
    double rx = 0, ry = 0;
    if (!line->flipped()) {
        rx = (p.x - f.x()) / f.width();
        ry = (f.y() - p.y) / f.height();
    } else {
        rx = (p.y - f.y()) / f.height();
        ry = (f.x() - p.x) / f.width();
    }
    const bool shift = event.isShiftKeyPressed();
    const auto settle = [shift](double r) {
        r = std::max(std::min(r, 1.0), 0.0);
        return shift ? std::round(r * 20) * 0.05 : r;
    };
    // A frame without width or height has no ratio along it: that ratio stays as it is.
    if (std::isfinite(rx))
        setValueForKeyPath(settle(rx), QStringLiteral("adjustmentRatioX"));
    if (std::isfinite(ry))
        setValueForKeyPath(settle(ry), QStringLiteral("adjustmentRatioY"));
}

// ---- BrushManipulator ----

const ManipulatorClass& BrushManipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("BrushManipulator"), &AbstractPointerManipulator::staticClass(),
                                    &Shape::allocate<BrushManipulator>);
    return c;
}

void registerPointerManipulatorClasses(pf::ClassRegistry& registry)
{
    registry.add(AbstractPointerManipulator::staticClass());
    registry.add(LineManipulator::staticClass());
    registry.add(SegmentedLineManipulator::staticClass());
    registry.add(BrushManipulator::staticClass());
}
