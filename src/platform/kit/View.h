// The editor's base view on QWidget. Geometry is in points held as doubles (the widget's integer geometry
// follows it), y grows downward (flipped, as Qt is), and bounds start at (0, 0). Input arrives as
// pf::Event through the Cocoa-style handlers below; a handler that does not handle its event calls the
// base class's, which passes the event on to the enclosing widget, as a responder passes it up the chain.
//
// The view also counts clicks (single, double, triple, ...), reports changes of the modifier keys alone
// as flags-changed events, turns trackpad magnify and rotate gestures into events, lets a subclass claim
// keys before menu shortcuts see them, and is a drag destination for the pasteboard types it registers.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/Responder.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace pf {

class GraphicsContext;
class ScrollView;
class Window;

class View : public QWidget, public Responder {
public:
    explicit View(QWidget* parent = nullptr);
    explicit View(const Rect& frame, QWidget* parent = nullptr);
    ~View() override;

    bool isFlipped() const { return true; }
    // In the superview's points.
    const Rect& frame() const { return frame_; }
    // Subclasses may adjust what they are given (the canvas sizes itself for its page).
    virtual void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin) { setFrame(Rect(origin, frame_.size)); }
    void setFrameSize(Size size) { setFrame(Rect(frame_.origin, size)); }
    Rect bounds() const { return Rect(Point(), frame_.size); }
    // The part of the bounds that the enclosing views (and the scroll view's clip) leave visible; the
    // zero rect when none is, or the view or an enclosing one was hidden.
    Rect visibleRect() const;

    // The scroll view whose document view is this view or one of its ancestors.
    ScrollView* enclosingScrollView() const;
    // Scrolls the enclosing scroll view the least that shows r (in this view's points); false when it
    // did not move.
    bool scrollRectToVisible(const Rect& r);
    // Scrolls the enclosing scroll view so that p (in this view's points) is the visible top-left corner.
    void scrollPoint(Point p);

    Point convertPointFromScreen(Point screenPoint) const;
    Point convertPointToScreen(Point p) const;

    // Marks a rect (in points, any size: page rects reach 3.4e38) for redrawing; it is cut to the bounds
    // before it becomes widget pixels. A rect that is empty there, or not finite, marks nothing.
    void setNeedsDisplayInRect(const Rect& r);
    void setNeedsDisplay() { update(); }
    // The widget rect that setNeedsDisplayInRect marks for r in a view of these bounds.
    static std::optional<QRect> displayRect(const Rect& r, const Rect& bounds);

    // Asks for layoutSubviews on the next event-loop turn (once, however often asked before it runs); a
    // change of the frame's size lays out at once. A view destroyed first is never laid out.
    void setNeedsLayout();

    // Which sides follow the enclosing scroll view's clip area when it is resized: its width or height
    // grows by as much as the clip area's does.
    enum AutoresizingMask : unsigned { NotSizable = 0, WidthSizable = 2, HeightSizable = 16 };
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }

    // A child view or widget (a field editor, a label) placed at frame, in this view's points.
    void addSubview(QWidget* child, const Rect& frame);
    // Takes the view out of its superview; the caller owns it from then on (it is deleted with a new
    // superview, or by the caller).
    void removeFromSuperview() { moveWidget(this, nullptr); }
    QWidget* superview() const { return parentWidget(); }
    // The window the view is in (through its top-level widget); null when none.
    Window* enclosingWindow() const;

    // Every move of a widget into another superview goes through here, so that the views concerned hear
    // of it (Qt's parent-change event names no new parent): the moved view gets will- and
    // did-move-to-superview, and, when its window changes, it and every view inside it get will- and
    // did-move-to-window, in that order. The widget keeps being shown unless it was hidden on purpose;
    // moved to no superview it is hidden.
    static void moveWidget(QWidget* widget, QWidget* newSuperview);

    // Takes key focus on a click and when asked.
    void setAcceptsFirstResponder(bool accepts);
    // Mouse-moved events without a button held (hover).
    void setAcceptsMouseMovedEvents(bool accepts) { setMouseTracking(accepts); }

    // Drag destination: drags that carry any of these types reach the dragging handlers.
    void registerForDraggedTypes(const QStringList& types);
    void unregisterDraggedTypes();
    const QStringList& registeredDraggedTypes() const { return draggedTypes_; }

protected:
    // The moves of moveWidget. newSuperview or newWindow is null when the view leaves its superview or
    // window. The base versions do nothing.
    virtual void viewWillMoveToSuperview(QWidget* newSuperview);
    virtual void viewDidMoveToSuperview();
    virtual void viewWillMoveToWindow(Window* newWindow);
    virtual void viewDidMoveToWindow();

    // Draws the dirty rect (in points) of the bounds.
    virtual void drawRect(GraphicsContext& context, const Rect& dirtyRect);
    // Places the subviews for the present bounds.
    virtual void layoutSubviews();

    // The base versions pass the event on.
    virtual void mouseDown(const Event& e);
    virtual void mouseDragged(const Event& e);
    virtual void mouseUp(const Event& e);
    virtual void rightMouseDown(const Event& e);
    virtual void rightMouseDragged(const Event& e);
    virtual void rightMouseUp(const Event& e);
    virtual void otherMouseDown(const Event& e);
    virtual void otherMouseDragged(const Event& e);
    virtual void otherMouseUp(const Event& e);
    virtual void mouseMoved(const Event& e);
    virtual void scrollWheel(const Event& e);
    virtual void keyDown(const Event& e);
    virtual void keyUp(const Event& e);
    virtual void flagsChanged(const Event& e);
    virtual void magnifyWithEvent(const Event& e);
    virtual void rotateWithEvent(const Event& e);
    // A trackpad gesture sequence begins or ends (the fingers touch, or lift).
    virtual void beginGestureWithEvent(const Event& e);
    virtual void endGestureWithEvent(const Event& e);

    // Keys this view handles even when a menu shortcut is bound to them (the canvas's delete, arrows,
    // escape, space and tool letters); they then arrive at keyDown instead.
    virtual bool consumesKeyEquivalent(const Event& e) const;

    // Drag destination. entered and updated answer the operation that a drop would do now; the base
    // updated answers what entered answered.
    virtual DragOperation draggingEntered(const DraggingInfo& info);
    virtual DragOperation draggingUpdated(const DraggingInfo& info);
    virtual void draggingExited(const DraggingInfo& info);
    virtual void draggingEnded(const DraggingInfo& info);
    virtual bool performDragOperation(const DraggingInfo& info);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class ScrollView;

    void applyGeometry();
    // The exact origin in the parent widget, and how far the widget's whole-pixel position is from it.
    Point originInParent() const;
    Point pixelResidual() const;
    Point locationOf(const QPointF& widgetPosition) const;
    // Sends e to its handler; answers whether the handler kept it (did not call the base version).
    bool dispatch(const Event& e);
    void dispatchFlagsIfChanged(const Event& cause, ModifierFlags flags);
    void deliver(QEvent* qtEvent, const Event& e);
    void handlePress(QMouseEvent* e);
    void handleKey(QKeyEvent* e);
    DraggingInfo draggingInfo(const QDropEvent& e) const;
    bool carriesRegisteredType(const QDropEvent& e) const;

    Rect frame_;
    // Set by the enclosing scroll view when this is its document view: the visible origin.
    Point scrollOffset_;
    Qt::MouseButtons pressedButtons_;
    int clickCount_ = 0;
    bool passedOn_ = false;
    QStringList draggedTypes_;
    DragOperation lastDragAnswer_ = DragOp::None;
    unsigned autoresizingMask_ = NotSizable;
    DelayedCall pendingLayout_;
    DelayedCallOwner delayedCalls_;
};

} // namespace pf
