#include "platform/kit/Dragging.h"

namespace pf {

DragOperation dragOperationsFromQt(Qt::DropActions actions)
{
    DragOperation mask = DragOp::None;
    if (actions & Qt::CopyAction)
        mask |= DragOp::Copy;
    if (actions & Qt::MoveAction)
        mask |= DragOp::Move;
    if (actions & Qt::LinkAction)
        mask |= DragOp::Link;
    return mask;
}

Qt::DropAction dropActionForOperation(DragOperation operation)
{
    if (operation & (DragOp::Move | DragOp::Generic))
        return Qt::MoveAction;
    if (operation & DragOp::Copy)
        return Qt::CopyAction;
    if (operation & DragOp::Link)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace pf
