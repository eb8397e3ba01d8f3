// The marks of a running drag: the pending connection of a dragged connector end (its target highlighted,
// blinking at the end of the drag before the connection joins the page) and the shapes the selection
// snapped to.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Connection.h"
#include "platform/foundation/UndoManager.h"

#include <chrono>

namespace {

// A connection may join its page only while both of its ends are still shapes of that page.
bool endsAreOnPage(const Connection& connection, Composition& page)
{
    const auto shape = connection.shape();
    Shape* pointer = connection.pointer();
    return shape && pointer && page.isShapeRegistered(*shape) && page.isShapeRegistered(*pointer);
}


// Undo of the add (and the redo of it): the pending blink is stopped, or the connection leaves the page.
void registerConnectionUndo(Composition& page, const std::shared_ptr<Connection>& c, Canvas* canvas, bool added)
{
    QPointer<QWidget> view(canvas);
    const auto target = std::static_pointer_cast<Composition>(page.shared_from_this());
    pf::registerUndo(page.undoManager(), target, [c, view, added](Composition& p) {
        auto* cv = dynamic_cast<Canvas*>(view.data());
        if (added) {
            if (cv && cv->draggingConnection() == c) {
                cv->cancelConnectionFlash();
                cv->discardConnection();
                cv->setConnectionFlashOn(false);
            }
            p.removeConnection(c);
        } else if (endsAreOnPage(*c, p)) {
            p.addConnection(c);
        }
        registerConnectionUndo(p, c, cv, !added);
    });
}

} // namespace

void Canvas::addConnection(const std::shared_ptr<Connection>& connection)
{
    if (connection)
        if (const auto shape = connection->shape())
            shape->setNeedsDisplay();
    draggingConnection_ = connection;
}

void Canvas::discardConnection()
{
    if (!draggingConnection_)
        return;
    setConnectingShapesRectDirty();
    draggingConnection_.reset();
}

pf::Rect Canvas::clearConnectingSet() const
{
    pf::Rect r = manipulator_ ? manipulator_->dirtyRect() : pf::Rect();
    if (draggingConnection_)
        if (const auto shape = draggingConnection_->shape())
            r = QVCombineRects(r, shape->dirtyRect());
    return r;
}

void Canvas::setConnectingShapesRectDirty()
{
    if (draggingConnection_)
        if (const auto shape = draggingConnection_->shape())
            setNeedsDisplayInCompositionRect(shape->dirtyRect());
}

void Canvas::commitConnection()
{
    if (draggingConnection_)
        draggingConnection_->setCommitted(true);
}

void Canvas::addPendingConnectionToPage()
{
    const std::shared_ptr<Connection> connection = std::move(draggingConnection_);
    draggingConnection_.reset();
    const auto page = composition();
    // The page may have changed, or the target or the connector gone, while the connection blinked.
    if (!connection || !page || connection->composition() != page.get() || !endsAreOnPage(*connection, *page))
        return;
    page->addConnection(connection);
}

void Canvas::flashOn()
{
    connectionFlashOn_ = true;
    setConnectingShapesRectDirty();
}

void Canvas::flashOff()
{
    connectionFlashOn_ = false;
    setConnectingShapesRectDirty();
}

void Canvas::flashOffFinal()
{
    flashOff();
    setNeedsDisplayInCompositionRect(clearConnectingSet());
}

void Canvas::addConnectionAndFlashOffFinal()
{
    flashOffFinal();
    addPendingConnectionToPage();
}

void Canvas::cancelConnectionFlash()
{
    for (pf::DelayedCall& call : connectionFlashCalls_)
        call.cancel();
    connectionFlashCalls_.clear();
}

void Canvas::endConnectingWithFlash(bool flash)
{
    if (!draggingConnection_)
        return;
    if (!flash) {
        flashOffFinal();
        return;
    }
    commitConnection();
    cancelConnectionFlash();
    using std::chrono::milliseconds;
    connectionFlashCalls_.push_back(performAfterDelay([this] { flashOff(); }, milliseconds(80)));
    connectionFlashCalls_.push_back(performAfterDelay([this] { flashOn(); }, milliseconds(160)));
    connectionFlashCalls_.push_back(performAfterDelay([this] { flashOff(); }, milliseconds(240)));
    connectionFlashCalls_.push_back(performAfterDelay([this] { flashOn(); }, milliseconds(320)));
    connectionFlashCalls_.push_back(performAfterDelay(
        [this] {
            connectionFlashCalls_.clear();
            addConnectionAndFlashOffFinal();
        },
        milliseconds(400)));

    // The connection belongs to the drag that made it: undoing the drag (registered in the same step)
    // cancels the add still pending, or takes the added connection off the page; redo puts it back.
    const auto page = composition();
    pf::UndoManager* undo = page ? page->undoManager() : nullptr;
    if (!undo)
        return;
    const std::shared_ptr<Connection> connection = draggingConnection_;
    registerConnectionUndo(*page, connection, this, true);
}

void Canvas::addSnappedShape(const std::shared_ptr<Shape>& shape)
{
    if (!shape)
        return;
    shape->setSnapped(true);
    shape->setNeedsDisplay();
    if (std::find(snappedSet_.begin(), snappedSet_.end(), shape) == snappedSet_.end())
        snappedSet_.push_back(shape);
}

pf::Rect Canvas::clearSnappedSet()
{
    pf::Rect r = manipulator_ ? manipulator_->dirtyRect() : pf::Rect();
    for (const auto& shape : snappedSet_) {
        shape->setSnapped(false);
        r = QVCombineRects(r, shape->dirtyRect());
    }
    snappedSet_.clear();
    return r;
}

pf::Rect Canvas::snappedSetDirtyRect() const
{
    pf::Rect r;
    for (const auto& shape : snappedSet_)
        r = QVCombineRects(r, shape->dirtyRect());
    return r;
}
