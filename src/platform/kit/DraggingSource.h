// Drag and drop, as a source sees it. A view begins a session with dragging items (what each writes on
// the drag's pasteboard, its frame in the view and its picture); the source answers which operations it
// allows inside this program and outside it (a drop on another program), hears of every move and of the
// end, with the operation the drop did.
//
// DraggingSession is the logic, on plain values, so tests drive it without a real drag. Qt's drag, whose
// exec blocks while the pointer is dragged, is met only in beginDraggingSession. Screen points are Qt's
// global coordinates (y down), as everywhere in the kit: the one conversion from the window system
// happens inside Qt.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/Pasteboard.h"

#include <QImage>
#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;

namespace pf {

class View;

enum class DraggingContext { WithinApplication, OutsideApplication };

class DraggingSource {
public:
    virtual ~DraggingSource();
    virtual DragOperation sourceOperationMaskForDraggingContext(DraggingContext context) = 0;
    // True: the destination is offered the whole mask whatever modifier keys are held.
    virtual bool ignoreModifierKeysForDraggingSession() { return false; }
    // Screen points are the top-left corner of the dragged picture.
    virtual void draggingSessionMovedToPoint(Point) {}
    virtual void draggingSessionEndedAtPoint(Point, DragOperation) {}
};

struct DraggingItem {
    PasteboardContent content{QStringList()};
    // In the source view's points.
    Rect draggingFrame;
    QImage image;
};

class DraggingSession {
public:
    // pointerInView and pointerOnScreen are the same point (the event that began the drag).
    DraggingSession(DraggingSource& source, std::vector<DraggingItem> items, Point pointerInView,
                    Point pointerOnScreen);

    DraggingSource& source() const { return source_; }
    const std::vector<DraggingItem>& items() const { return items_; }

    // What a destination may do with the drag there, with these modifier keys held: the source's mask,
    // narrowed to the operation a modifier asks for (Option copy, Control link, Command generic or move)
    // unless the source ignores modifier keys. A narrowing that leaves nothing keeps the whole mask.
    DragOperation operationMask(DraggingContext context, ModifierFlags modifiers) const;
    // The Qt actions offered to any destination: both contexts' masks.
    Qt::DropActions offeredActions() const;

    // The picture shown under the pointer (the first item's) and where the pointer grips it, in points.
    QImage image() const;
    Point hotSpot() const { return hotSpot_; }
    // Every item's declared types, the first item's data winning for a type two declare.
    std::unique_ptr<QMimeData> makeMimeData() const;

    // The pointer is at p on the screen: the source hears of a move when it moved.
    void movedTo(Point pointerOnScreen);
    // The drag is over with the pointer at p: the destination did `action` (IgnoreAction for none), in this
    // program or in another one. An operation the context's mask does not allow counts as none. Reported
    // once; a second end is ignored.
    DragOperation endedAt(Point pointerOnScreen, Qt::DropAction action, DraggingContext context);
    bool hasEnded() const { return ended_; }
    DragOperation endOperation() const { return endOperation_; }

private:
    Point imageOrigin(Point pointerOnScreen) const { return pointerOnScreen - hotSpot_; }

    DraggingSource& source_;
    std::vector<DraggingItem> items_;
    Point hotSpot_;
    Point lastPointer_;
    bool ended_ = false;
    DragOperation endOperation_ = DragOp::None;
};

// The session running now (from this program), else null: destinations in this program ask it for the
// source's mask.
const DraggingSession* currentDraggingSession();

// The loop of a drag: it reports the moves and the end to the session. The program's is Qt's drag; tests
// replace it for a scope with one that plays a drag.
using DraggingLoop = std::function<void(DraggingSession& session, View& view)>;
class ScopedDraggingLoop {
public:
    explicit ScopedDraggingLoop(DraggingLoop loop);
    ~ScopedDraggingLoop();
    ScopedDraggingLoop(const ScopedDraggingLoop&) = delete;
    ScopedDraggingLoop& operator=(const ScopedDraggingLoop&) = delete;

private:
    DraggingLoop previous_;
};

// Runs a drag of the items from view, begun by event e (a mouse-down or -dragged in view's points);
// returns when it is over, the source having heard of the moves and the end. One at a time: a call while
// one runs does nothing and answers none. A loop that reports no end ends the drag
// with none where the pointer is.
DragOperation beginDraggingSession(View& view, std::vector<DraggingItem> items, const Event& e,
                                   DraggingSource& source);

} // namespace pf
