#include "platform/kit/DraggingSource.h"

#include "platform/kit/View.h"

#include <QCursor>
#include <QDrag>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace pf {

DraggingSource::~DraggingSource() = default;

namespace {

const DraggingSession*& runningSession()
{
    static const DraggingSession* session = nullptr;
    return session;
}

Qt::DropActions qtActionsForMask(DragOperation mask)
{
    Qt::DropActions actions;
    if (mask & (DragOp::Move | DragOp::Generic))
        actions |= Qt::MoveAction;
    if (mask & DragOp::Copy)
        actions |= Qt::CopyAction;
    if (mask & DragOp::Link)
        actions |= Qt::LinkAction;
    return actions;
}

DragOperation operationForAction(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DragOp::Copy;
    case Qt::MoveAction:
    case Qt::TargetMoveAction: return DragOp::Move;
    case Qt::LinkAction: return DragOp::Link;
    default: return DragOp::None;
    }
}

} // namespace

DraggingSession::DraggingSession(DraggingSource& source, std::vector<DraggingItem> items, Point pointerInView,
                                 Point pointerOnScreen)
    : source_(source), items_(std::move(items)), lastPointer_(pointerOnScreen)
{
    if (!items_.empty())
        hotSpot_ = pointerInView - items_.front().draggingFrame.origin;
}

DragOperation DraggingSession::operationMask(DraggingContext context, ModifierFlags modifiers) const
{
    const DragOperation mask = source_.sourceOperationMaskForDraggingContext(context);
    if (source_.ignoreModifierKeysForDraggingSession())
        return mask;
    DragOperation wanted = mask;
    if (modifiers & OptionKeyMask)
        wanted = mask & DragOp::Copy;
    else if (modifiers & ControlKeyMask)
        wanted = mask & DragOp::Link;
    else if (modifiers & CommandKeyMask)
        wanted = mask & (DragOp::Generic | DragOp::Move);
    return wanted != DragOp::None ? wanted : mask;
}

Qt::DropActions DraggingSession::offeredActions() const
{
    return qtActionsForMask(source_.sourceOperationMaskForDraggingContext(DraggingContext::WithinApplication)
                            | source_.sourceOperationMaskForDraggingContext(DraggingContext::OutsideApplication));
}

QImage DraggingSession::image() const
{
    return items_.empty() ? QImage() : items_.front().image;
}

std::unique_ptr<QMimeData> DraggingSession::makeMimeData() const
{
    auto mime = std::make_unique<QMimeData>();
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        const std::unique_ptr<QMimeData> one = it->content.makeMimeData();
        for (const QString& format : one->formats())
            mime->setData(format, one->data(format));
    }
    return mime;
}

void DraggingSession::movedTo(Point pointerOnScreen)
{
    if (ended_ || pointerOnScreen == lastPointer_)
        return;
    lastPointer_ = pointerOnScreen;
    source_.draggingSessionMovedToPoint(imageOrigin(pointerOnScreen));
}

DragOperation DraggingSession::endedAt(Point pointerOnScreen, Qt::DropAction action, DraggingContext context)
{
    if (ended_)
        return DragOp::None;
    ended_ = true;
    DragOperation operation = operationForAction(action);
    // Qt offers one set of actions everywhere; what the context does not allow did not happen for us.
    if (!(qtActionsForMask(source_.sourceOperationMaskForDraggingContext(context)) & action))
        operation = DragOp::None;
    endOperation_ = operation;
    source_.draggingSessionEndedAtPoint(imageOrigin(pointerOnScreen), operation);
    return operation;
}

const DraggingSession* currentDraggingSession()
{
    return runningSession();
}

namespace {

void runQtDrag(DraggingSession& session, View& view)
{
    auto* drag = new QDrag(&view);
    drag->setMimeData(session.makeMimeData().release());
    const QImage image = session.image();
    if (!image.isNull()) {
        drag->setPixmap(QPixmap::fromImage(image));
        drag->setHotSpot(session.hotSpot().toQt().toPoint());
    }
    // Qt reports no pointer motion from inside its drag loop; the pointer is read while the loop runs.
    QTimer follow;
    follow.setInterval(16);
    QObject::connect(&follow, &QTimer::timeout, [&session] { session.movedTo(Point::fromQt(QCursor::pos())); });
    follow.start();

    const QPointer<QDrag> guard(drag);
    const Qt::DropAction action = drag->exec(session.offeredActions(), Qt::MoveAction);
    follow.stop();
    // A drop on a widget of this program has a target; one on another program has none.
    const DraggingContext context = guard && guard->target() ? DraggingContext::WithinApplication
                                                             : DraggingContext::OutsideApplication;
    if (guard)
        guard->deleteLater();
    session.endedAt(Point::fromQt(QCursor::pos()), action, context);
}

DraggingLoop& draggingLoop()
{
    static DraggingLoop loop = runQtDrag;
    return loop;
}

} // namespace

ScopedDraggingLoop::ScopedDraggingLoop(DraggingLoop loop) : previous_(std::exchange(draggingLoop(), std::move(loop))) {}

ScopedDraggingLoop::~ScopedDraggingLoop()
{
    draggingLoop() = std::move(previous_);
}

DragOperation beginDraggingSession(View& view, std::vector<DraggingItem> items, const Event& e,
                                   DraggingSource& source)
{
    if (runningSession())
        return DragOp::None;
    DraggingSession session(source, std::move(items), e.location, e.screenLocation);
    runningSession() = &session;
    const DraggingLoop loop = draggingLoop();
    loop(session, view);
    runningSession() = nullptr;
    if (!session.hasEnded())
        session.endedAt(Point::fromQt(QCursor::pos()), Qt::IgnoreAction, DraggingContext::OutsideApplication);
    return session.endOperation();
}

} // namespace pf
