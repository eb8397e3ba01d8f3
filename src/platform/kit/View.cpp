#include "platform/kit/View.h"

#include "platform/graphics/PainterContext.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/InputState.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <vector>

namespace pf {

namespace {

// Widget coordinates are ints and sizes stop at QWIDGETSIZE_MAX; the double frame keeps the truth.
int toWidgetCoordinate(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(std::clamp(std::round(v), double(-QWIDGETSIZE_MAX), double(QWIDGETSIZE_MAX)));
}

int toWidgetLength(double v)
{
    if (!std::isfinite(v) || v <= 0)
        return 0;
    return int(std::min(std::round(v), double(QWIDGETSIZE_MAX)));
}

ModifierFlags modifierKeyFlag(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
        return ShiftKeyMask;
    case Qt::Key_Control:
        return CommandKeyMask;
    case Qt::Key_Alt:
        return OptionKeyMask;
    case Qt::Key_Meta:
        return ControlKeyMask;
    default:
        return 0;
    }
}

bool isFinite(const Rect& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

} // namespace

View::View(QWidget* parent) : View(Rect(), parent) {}

View::View(const Rect& frame, QWidget* parent) : QWidget(parent)
{
    setFrame(frame);
}

View::~View() = default;

void View::setFrame(const Rect& frame)
{
    const bool resized = frame.size != frame_.size;
    frame_ = frame;
    applyGeometry();
    if (resized)
        layoutSubviews();
    if (ScrollView* scroll = dynamic_cast<ScrollView*>(parentWidget() ? parentWidget()->parentWidget() : nullptr);
        scroll && scroll->documentView() == this)
        scroll->tile();
}

Point View::originInParent() const
{
    return frame_.origin - scrollOffset_;
}

void View::applyGeometry()
{
    const Point origin = originInParent();
    setGeometry(toWidgetCoordinate(origin.x), toWidgetCoordinate(origin.y), toWidgetLength(frame_.width()),
                toWidgetLength(frame_.height()));
}

Point View::pixelResidual() const
{
    // A window's position is on the screen, not in a parent's points.
    if (isWindow())
        return {};
    const Point exact = originInParent();
    const Point placed(pos().x(), pos().y());
    const Point residual = placed - exact;
    // Far beyond the widget range the placement is clamped; the residual then means nothing.
    if (!std::isfinite(residual.x) || !std::isfinite(residual.y) || std::abs(residual.x) > 1 || std::abs(residual.y) > 1)
        return {};
    return residual;
}

Point View::locationOf(const QPointF& widgetPosition) const
{
    return Point::fromQt(widgetPosition) + pixelResidual();
}

namespace {

// Hidden by a call, not merely not shown yet: a view built off screen (in tests, before its window shows)
// still has a visible rect.
bool isExplicitlyHidden(const QWidget* w)
{
    return w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

} // namespace

Rect View::visibleRect() const
{
    if (isExplicitlyHidden(this))
        return {};
    // Walk up, cutting the rect to each ancestor's extent, keeping the offset that leads back.
    Rect rect = bounds();
    Point offset;
    const QWidget* w = this;
    while (const QWidget* parent = w->parentWidget()) {
        if (isExplicitlyHidden(w))
            return {};
        const auto* view = dynamic_cast<const View*>(w);
        const Point origin = view ? view->originInParent() : Point(w->x(), w->y());
        offset = offset + origin;
        rect = rect.offsetBy(origin.x, origin.y);
        const auto* parentView = dynamic_cast<const View*>(parent);
        const Size extent = parentView ? parentView->frame().size : Size(parent->width(), parent->height());
        rect = rect.intersected(Rect(Point(), extent));
        if (rect.isNull() || rect.isEmpty())
            return {};
        w = parent;
    }
    return rect.offsetBy(-offset.x, -offset.y);
}

ScrollView* View::enclosingScrollView() const
{
    for (const QWidget* w = this; w; w = w->parentWidget())
        if (auto* scroll = dynamic_cast<ScrollView*>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr);
            scroll && scroll->documentView() == w)
            return scroll;
    return nullptr;
}

namespace {

// The offset from a view to the scroll view's document view (an ancestor or itself), in points.
Point offsetToDocument(const View* view, const View* document)
{
    Point offset;
    for (const QWidget* w = view; w && w != document; w = w->parentWidget()) {
        const auto* v = dynamic_cast<const View*>(w);
        offset = offset + (v ? v->frame().origin : Point(w->x(), w->y()));
    }
    return offset;
}

} // namespace

bool View::scrollRectToVisible(const Rect& r)
{
    ScrollView* scroll = enclosingScrollView();
    if (!scroll)
        return false;
    const Point offset = offsetToDocument(this, scroll->documentView());
    return scroll->scrollRectToVisible(r.offsetBy(offset.x, offset.y));
}

void View::scrollPoint(Point p)
{
    if (ScrollView* scroll = enclosingScrollView())
        scroll->scrollPoint(p + offsetToDocument(this, scroll->documentView()));
}

Point View::convertPointFromScreen(Point screenPoint) const
{
    return locationOf(mapFromGlobal(screenPoint.toQt()));
}

Point View::convertPointToScreen(Point p) const
{
    return Point::fromQt(mapToGlobal((p - pixelResidual()).toQt()));
}

std::optional<QRect> View::displayRect(const Rect& r, const Rect& bounds)
{
    if (!isFinite(r))
        return std::nullopt;
    const Rect cut = r.standardized().intersected(bounds);
    if (cut.isNull() || cut.isEmpty())
        return std::nullopt;
    // Whole pixels that cover the rect; the cut keeps every number within the widget's range.
    const int left = int(std::floor(cut.minX()));
    const int top = int(std::floor(cut.minY()));
    const int right = int(std::ceil(cut.maxX()));
    const int bottom = int(std::ceil(cut.maxY()));
    return QRect(left, top, right - left, bottom - top);
}

void View::setNeedsDisplayInRect(const Rect& r)
{
    // From points to the widget's pixels, which sit off the exact origin by the rounding.
    const Point residual = pixelResidual();
    if (const auto rect = displayRect(r.offsetBy(-residual.x, -residual.y), Rect(0, 0, width(), height())))
        update(*rect);
}

void View::setNeedsLayout()
{
    if (pendingLayout_.isPending())
        return;
    pendingLayout_ = delayedCalls_.performAfterDelay([this] { layoutSubviews(); }, Nanoseconds(0));
}

void View::addSubview(QWidget* child, const Rect& frame)
{
    if (child->parentWidget() != this)
        moveWidget(child, this);
    else if (!isExplicitlyHidden(child))
        child->show(); // made with this parent, not yet shown
    if (auto* view = dynamic_cast<View*>(child))
        view->setFrame(frame);
    else
        child->setGeometry(toWidgetCoordinate(frame.x()), toWidgetCoordinate(frame.y()), toWidgetLength(frame.width()),
                           toWidgetLength(frame.height()));
}

Window* View::enclosingWindow() const
{
    return Window::of(this);
}

void View::moveWidget(QWidget* widget, QWidget* newSuperview)
{
    if (!widget || widget->parentWidget() == newSuperview)
        return;
    // A parentless widget is its own top level, which a window may be attached to.
    Window* from = widget->parentWidget() ? Window::of(widget) : nullptr;
    Window* to = newSuperview ? Window::of(newSuperview) : nullptr;
    QPointer<View> self = dynamic_cast<View*>(widget);
    // The hooks may add or delete views: each is called only while its view lives.
    std::vector<QPointer<View>> inside;
    if (from != to) {
        if (self)
            inside.emplace_back(self);
        // Views have no meta-object of their own: findChildren<View*> would match every widget.
        for (QWidget* w : widget->findChildren<QWidget*>())
            if (auto* v = dynamic_cast<View*>(w))
                inside.emplace_back(v);
    }
    const bool hiddenOnPurpose = isExplicitlyHidden(widget);

    if (self)
        self->viewWillMoveToSuperview(newSuperview);
    for (const QPointer<View>& v : inside)
        if (v)
            v->viewWillMoveToWindow(to);
    widget->setParent(newSuperview);
    if (newSuperview && !hiddenOnPurpose)
        widget->show();
    for (const QPointer<View>& v : inside)
        if (v)
            v->viewDidMoveToWindow();
    if (self)
        self->viewDidMoveToSuperview();
}

void View::viewWillMoveToSuperview(QWidget*) {}
void View::viewDidMoveToSuperview() {}
void View::viewWillMoveToWindow(Window*) {}
void View::viewDidMoveToWindow() {}

void View::setAcceptsFirstResponder(bool accepts)
{
    setFocusPolicy(accepts ? Qt::StrongFocus : Qt::NoFocus);
}

void View::registerForDraggedTypes(const QStringList& types)
{
    for (const QString& type : types)
        if (!draggedTypes_.contains(type))
            draggedTypes_.append(type);
    setAcceptDrops(!draggedTypes_.isEmpty());
}

void View::unregisterDraggedTypes()
{
    draggedTypes_.clear();
    setAcceptDrops(false);
}

// The base handlers pass their event on.
void View::drawRect(GraphicsContext&, const Rect&) {}
void View::layoutSubviews() {}
void View::mouseDown(const Event&) { passedOn_ = true; }
void View::mouseDragged(const Event&) { passedOn_ = true; }
void View::mouseUp(const Event&) { passedOn_ = true; }
void View::rightMouseDown(const Event&) { passedOn_ = true; }
void View::rightMouseDragged(const Event&) { passedOn_ = true; }
void View::rightMouseUp(const Event&) { passedOn_ = true; }
void View::otherMouseDown(const Event&) { passedOn_ = true; }
void View::otherMouseDragged(const Event&) { passedOn_ = true; }
void View::otherMouseUp(const Event&) { passedOn_ = true; }
void View::mouseMoved(const Event&) { passedOn_ = true; }
void View::scrollWheel(const Event&) { passedOn_ = true; }
void View::keyDown(const Event&) { passedOn_ = true; }
void View::keyUp(const Event&) { passedOn_ = true; }
void View::flagsChanged(const Event&) { passedOn_ = true; }
void View::magnifyWithEvent(const Event&) { passedOn_ = true; }
void View::rotateWithEvent(const Event&) { passedOn_ = true; }
void View::beginGestureWithEvent(const Event&) { passedOn_ = true; }
void View::endGestureWithEvent(const Event&) { passedOn_ = true; }

bool View::consumesKeyEquivalent(const Event&) const
{
    return false;
}

DragOperation View::draggingEntered(const DraggingInfo&)
{
    return DragOp::None;
}

DragOperation View::draggingUpdated(const DraggingInfo&)
{
    return lastDragAnswer_;
}

void View::draggingExited(const DraggingInfo&) {}
void View::draggingEnded(const DraggingInfo&) {}

bool View::performDragOperation(const DraggingInfo&)
{
    return false;
}

bool View::dispatch(const Event& e)
{
    InputState::shared().setCurrentEvent(e);
    passedOn_ = false;
    switch (e.type) {
    case EventType::LeftMouseDown: mouseDown(e); break;
    case EventType::LeftMouseDragged: mouseDragged(e); break;
    case EventType::LeftMouseUp: mouseUp(e); break;
    case EventType::RightMouseDown: rightMouseDown(e); break;
    case EventType::RightMouseDragged: rightMouseDragged(e); break;
    case EventType::RightMouseUp: rightMouseUp(e); break;
    case EventType::OtherMouseDown: otherMouseDown(e); break;
    case EventType::OtherMouseDragged: otherMouseDragged(e); break;
    case EventType::OtherMouseUp: otherMouseUp(e); break;
    case EventType::MouseMoved: mouseMoved(e); break;
    case EventType::ScrollWheel: scrollWheel(e); break;
    case EventType::KeyDown: keyDown(e); break;
    case EventType::KeyUp: keyUp(e); break;
    case EventType::FlagsChanged: flagsChanged(e); break;
    case EventType::Magnify: magnifyWithEvent(e); break;
    case EventType::Rotate: rotateWithEvent(e); break;
    case EventType::BeginGesture: beginGestureWithEvent(e); break;
    case EventType::EndGesture: endGestureWithEvent(e); break;
    case EventType::None: passedOn_ = true; break;
    }
    return !passedOn_;
}

void View::dispatchFlagsIfChanged(const Event& cause, ModifierFlags flags)
{
    if (!InputState::shared().updateModifierFlags(flags))
        return;
    Event changed;
    changed.type = EventType::FlagsChanged;
    changed.modifierFlags = flags;
    changed.location = cause.location;
    changed.screenLocation = cause.screenLocation;
    changed.timestamp = cause.timestamp;
    if (cause.type == EventType::KeyDown || cause.type == EventType::KeyUp)
        changed.keyCode = cause.keyCode;
    dispatch(changed);
}

bool View::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(e);
        if (consumesKeyEquivalent(Event::fromKey(*key))) {
            key->accept();
            return true;
        }
        break;
    }
    case QEvent::NativeGesture: {
        auto* gesture = static_cast<QNativeGestureEvent*>(e);
        Event g;
        g.modifierFlags = Event::modifierFlagsForQt(gesture->modifiers().toInt());
        g.timestamp = double(gesture->timestamp()) / 1000.0;
        g.location = locationOf(gesture->position());
        g.screenLocation = Point::fromQt(gesture->globalPosition());
        if (gesture->gestureType() == Qt::BeginNativeGesture) {
            g.type = EventType::BeginGesture;
        } else if (gesture->gestureType() == Qt::EndNativeGesture) {
            g.type = EventType::EndGesture;
        } else if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            g.type = EventType::Magnify;
            g.magnification = gesture->value();
        } else if (gesture->gestureType() == Qt::RotateNativeGesture) {
            // Qt turns clockwise on its y-down screen; the editor's rotation is counter-clockwise positive.
            g.type = EventType::Rotate;
            g.rotation = -gesture->value();
        } else {
            break;
        }
        if (!std::isfinite(g.magnification) || !std::isfinite(g.rotation))
            return true;
        dispatchFlagsIfChanged(g, g.modifierFlags);
        if (dispatch(g))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::event(e);
}

void View::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    const Point residual = pixelResidual();
    PainterContext context(painter, rect(), AffineTransform::translation(-residual.x, -residual.y), 1.0, true);
    drawRect(context, Rect::fromQt(QRectF(e->rect())).offsetBy(residual.x, residual.y));
}

void View::deliver(QEvent* qtEvent, const Event& e)
{
    dispatchFlagsIfChanged(e, e.modifierFlags);
    if (!dispatch(e))
        qtEvent->ignore(); // passed on: Qt hands it to the parent widget
}

void View::handlePress(QMouseEvent* e)
{
    const Point screen = Point::fromQt(e->globalPosition());
    const int button = e->button() == Qt::NoButton ? 0 : std::countr_zero(unsigned(e->button()));
    // Qt hands a press a child passed on to the parent as a copy: the same press, counted once, or a
    // click on a view inside another would arrive there as a double click.
    struct CountedPress {
        quint64 timestamp;
        Point screen;
        int button;
        int count;
    };
    static std::optional<CountedPress> last;
    if (last && last->timestamp == e->timestamp() && last->screen == screen && last->button == button) {
        clickCount_ = last->count;
    } else {
        clickCount_ = InputState::shared().clickCounter().press(button, screen, double(e->timestamp()) / 1000.0);
        last = CountedPress{e->timestamp(), screen, button, clickCount_};
    }
    Event ev = Event::fromMouseButton(*e, clickCount_);
    ev.location = locationOf(e->position());
    pressedButtons_ |= e->button();
    deliver(e, ev);
}

void View::mousePressEvent(QMouseEvent* e)
{
    handlePress(e);
}

void View::mouseDoubleClickEvent(QMouseEvent* e)
{
    // Qt's stand-in for the second press of a double click: a press like any other, counted by us.
    handlePress(e);
}

void View::mouseReleaseEvent(QMouseEvent* e)
{
    Event ev = Event::fromMouseButton(*e, clickCount_);
    ev.location = locationOf(e->position());
    pressedButtons_ &= ~e->button();
    deliver(e, ev);
}

void View::mouseMoveEvent(QMouseEvent* e)
{
    // A press in this view holds the mouse (Qt grabs it), so a drag keeps coming here outside the bounds.
    const bool dragging = (pressedButtons_ & e->buttons()) != Qt::NoButton;
    if (!dragging)
        pressedButtons_ = Qt::NoButton;
    Event ev = Event::fromMouseMotion(*e, dragging ? MouseMotion::Drag : MouseMotion::Move);
    ev.location = locationOf(e->position());
    deliver(e, ev);
}

void View::wheelEvent(QWheelEvent* e)
{
    Event ev = Event::fromWheel(*e);
    ev.location = locationOf(e->position());
    deliver(e, ev);
}

void View::handleKey(QKeyEvent* e)
{
    const Event ev = Event::fromKey(*e);
    // A modifier key alone is no key press to the editor, only a change of the flags.
    if (const ModifierFlags flag = modifierKeyFlag(e->key())) {
        dispatchFlagsIfChanged(ev, ev.isKeyDown() ? ev.modifierFlags | flag : ev.modifierFlags & ~flag);
        return;
    }
    deliver(e, ev);
}

void View::keyPressEvent(QKeyEvent* e)
{
    handleKey(e);
}

void View::keyReleaseEvent(QKeyEvent* e)
{
    handleKey(e);
}

bool View::carriesRegisteredType(const QDropEvent& e) const
{
    const QStringList present = Pasteboard(e.mimeData()).types();
    return std::any_of(draggedTypes_.begin(), draggedTypes_.end(),
                       [&](const QString& type) { return present.contains(type); });
}

DraggingInfo View::draggingInfo(const QDropEvent& e) const
{
    // A drag from this program answers with its source's mask for the keys held; Qt knows only the
    // actions offered everywhere.
    const DraggingSession* session = e.source() ? currentDraggingSession() : nullptr;
    const DragOperation mask =
        session ? session->operationMask(DraggingContext::WithinApplication, Event::modifierFlagsForQt(e.modifiers().toInt()))
                : dragOperationsFromQt(e.possibleActions());
    return DraggingInfo{locationOf(e.position()), mask, Pasteboard(e.mimeData())};
}

void View::dragEnterEvent(QDragEnterEvent* e)
{
    if (!carriesRegisteredType(*e)) {
        e->ignore();
        return;
    }
    // Qt sends no more moves after a refused enter, so the enter is accepted whatever the answer; the
    // answer that counts comes with each move.
    lastDragAnswer_ = draggingEntered(draggingInfo(*e));
    const Qt::DropAction action = dropActionForOperation(lastDragAnswer_);
    if (action != Qt::IgnoreAction)
        e->setDropAction(action);
    e->accept();
}

void View::dragMoveEvent(QDragMoveEvent* e)
{
    lastDragAnswer_ = draggingUpdated(draggingInfo(*e));
    const Qt::DropAction action = dropActionForOperation(lastDragAnswer_);
    if (action == Qt::IgnoreAction) {
        e->ignore();
        return;
    }
    e->setDropAction(action);
    e->accept();
}

void View::dragLeaveEvent(QDragLeaveEvent*)
{
    lastDragAnswer_ = DragOp::None;
    // Qt's leave carries no data: the destination learns only that the drag has gone.
    draggingExited(DraggingInfo{{}, DragOp::None, Pasteboard(nullptr)});
}

void View::dropEvent(QDropEvent* e)
{
    const DraggingInfo info = draggingInfo(*e);
    const DragOperation answer = lastDragAnswer_;
    lastDragAnswer_ = DragOp::None;
    if (answer != DragOp::None && performDragOperation(info)) {
        e->setDropAction(dropActionForOperation(answer));
        e->accept();
    } else {
        e->ignore();
    }
    draggingEnded(info);
}

} // namespace pf
