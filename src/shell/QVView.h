// The shell's base views: a view with deferred layout (QVView), its flipped variant (QVFlippedView), a
// view that fills itself with one colour (QVColorView), and the top view of a view controller
// (QVViewControllerView), which tells its controller by notification when it moves to another superview
// or window.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/View.h"

#include <functional>
#include <vector>

namespace pf {
class Window;
}

// Observes the window's became-main and resigned-main notices for a view in that window (nothing for a
// view in none); the handler runs on either. Views that draw by the window's state call it when they move
// to a window, and keep the tokens while they stay.
std::vector<pf::NotificationToken> QVObserveMainState(pf::View& view, std::function<void()> handler);

// A press followed as a push button follows it: highlighted while the pointer stays over the view, and
// taken when released there. The view redisplays on each change.
class QVPushTracking {
public:
    bool isHighlighted() const { return highlighted_; }
    void press(pf::View& view);
    void drag(pf::View& view, const pf::Point& location);
    // True when a tracked press ends over the view.
    bool release(pf::View& view, const pf::Point& location);

private:
    bool highlighted_ = false;
    bool tracking_ = false;
};

class QVView : public pf::View {
public:
    explicit QVView(const pf::Rect& frame = {}, QWidget* parent = nullptr) : pf::View(frame, parent) {}

    // Runs layoutSubviews on the next turn of the main queue. Not coalesced: each call runs it once more,
    // so two calls in one turn lay out twice. Calls still pending when the view goes are cancelled.
    // (Replaces the kit view's coalesced version for views of the shell.)
    void setNeedsLayout();

    // Places the subviews; empty here. A change of the frame's size runs it at once.
    void layoutSubviews() override {}

private:
    pf::DelayedCallOwner layoutCalls_;
};

// The kit's views are all flipped (y grows downward); the class stays so that the views built on it say so.
class QVFlippedView : public QVView {
public:
    using QVView::QVView;
};

class QVColorView : public QVView {
public:
    using QVView::QVView;

    // No colour (the start) paints nothing. Setting only stores; the caller asks for redisplay.
    const pf::OptionalColor& color() const { return color_; }
    void setColor(const pf::OptionalColor& color) { color_ = color; }

protected:
    // Fills the dirty rect, not the bounds, with the colour.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    pf::OptionalColor color_;
};

class QVViewControllerView : public QVColorView {
public:
    // Posted with the view as object. The will-move notices only when there is a new superview or window,
    // which their user info carries (read it with superviewInNotification / windowInNotification).
    static const QString willMoveToSuperviewNotification;
    static const QString didMoveToSuperviewNotification;
    static const QString willMoveToWindowNotification;
    static const QString didMoveToWindowNotification;

    static QWidget* superviewInNotification(const pf::Notification& n);
    static pf::Window* windowInNotification(const pf::Notification& n);
    // The notices' object: the view as a kit view (observers filter by the address they hold).
    static const void* asObject(const pf::View* view);

    using QVColorView::QVColorView;

protected:
    void viewWillMoveToSuperview(QWidget* newSuperview) override;
    void viewDidMoveToSuperview() override;
    void viewWillMoveToWindow(pf::Window* newWindow) override;
    void viewDidMoveToWindow() override;
};
