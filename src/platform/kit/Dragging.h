// Drag and drop, as a destination sees it: the operations (Cocoa's numbers, so a mask tests as the
// editor expects), where the drag is in the view's points, what the source allows and the pasteboard.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/kit/Pasteboard.h"

#include <Qt>

namespace pf {

using DragOperation = unsigned;
namespace DragOp {
inline constexpr DragOperation None = 0;
inline constexpr DragOperation Copy = 1;
inline constexpr DragOperation Link = 2;
inline constexpr DragOperation Generic = 4;
inline constexpr DragOperation Private = 8;
inline constexpr DragOperation Move = 16;
inline constexpr DragOperation Delete = 32;
} // namespace DragOp

// The source's allowed Qt actions as an operation mask.
DragOperation dragOperationsFromQt(Qt::DropActions actions);
// The Qt action that carries out an answered operation: move before copy before link; IgnoreAction for
// none.
Qt::DropAction dropActionForOperation(DragOperation operation);

struct DraggingInfo {
    Point draggingLocation; // in the destination view's points
    DragOperation sourceOperationMask = DragOp::None;
    Pasteboard pasteboard;
};

} // namespace pf
