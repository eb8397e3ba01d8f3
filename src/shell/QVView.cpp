#include "shell/QVView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Window.h"

#include <cstdint>

std::vector<pf::NotificationToken> QVObserveMainState(pf::View& view, std::function<void()> handler)
{
    std::vector<pf::NotificationToken> tokens;
    pf::Window* window = view.enclosingWindow();
    if (!window)
        return tokens;
    auto& center = pf::NotificationCenter::defaultCenter();
    for (const QString& name : {pf::Window::didBecomeMainNotification, pf::Window::didResignMainNotification})
        tokens.push_back(center.addObserver(name, window, [handler](const pf::Notification&) { handler(); }));
    return tokens;
}

void QVView::setNeedsLayout()
{
    layoutCalls_.performAfterDelay([this] { layoutSubviews(); }, pf::Nanoseconds(0));
}

void QVColorView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    if (!color_)
        return;
    context.setFillColor(*color_);
    context.fillRect(dirtyRect);
}

const QString QVViewControllerView::willMoveToSuperviewNotification =
    QStringLiteral("QVViewControllerViewWillMoveToSuperviewNotification");
const QString QVViewControllerView::didMoveToSuperviewNotification =
    QStringLiteral("QVViewControllerViewDidMoveToSuperviewNotification");
const QString QVViewControllerView::willMoveToWindowNotification =
    QStringLiteral("QVViewControllerViewWillMoveToWindowNotification");
const QString QVViewControllerView::didMoveToWindowNotification =
    QStringLiteral("QVViewControllerViewDidMoveToWindowNotification");

namespace {

// User info holds values, not widgets: the notice is synchronous, so the widget's address is carried and
// read back while the move is under way.
const QString superviewKey = QStringLiteral("superview");
const QString windowKey = QStringLiteral("window");

pf::Variant addressOf(const void* p)
{
    return pf::Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

const void* addressIn(const pf::Notification& n, const QString& key)
{
    const auto it = n.userInfo.find(key);
    return it == n.userInfo.end() ? nullptr : reinterpret_cast<const void*>(static_cast<std::intptr_t>(it->second.toInt()));
}

} // namespace

const void* QVViewControllerView::asObject(const pf::View* view)
{
    return view;
}

QWidget* QVViewControllerView::superviewInNotification(const pf::Notification& n)
{
    return const_cast<QWidget*>(static_cast<const QWidget*>(addressIn(n, superviewKey)));
}

pf::Window* QVViewControllerView::windowInNotification(const pf::Notification& n)
{
    return const_cast<pf::Window*>(static_cast<const pf::Window*>(addressIn(n, windowKey)));
}

void QVViewControllerView::viewWillMoveToSuperview(QWidget* newSuperview)
{
    if (newSuperview)
        pf::NotificationCenter::defaultCenter().post(willMoveToSuperviewNotification, asObject(this),
                                                     {{superviewKey, addressOf(newSuperview)}});
}

void QVViewControllerView::viewDidMoveToSuperview()
{
    pf::NotificationCenter::defaultCenter().post(didMoveToSuperviewNotification, asObject(this));
}

void QVViewControllerView::viewWillMoveToWindow(pf::Window* newWindow)
{
    if (newWindow)
        pf::NotificationCenter::defaultCenter().post(willMoveToWindowNotification, asObject(this),
                                                     {{windowKey, addressOf(newWindow)}});
}

void QVViewControllerView::viewDidMoveToWindow()
{
    pf::NotificationCenter::defaultCenter().post(didMoveToWindowNotification, asObject(this));
}

void QVPushTracking::press(pf::View& view)
{
    tracking_ = true;
    highlighted_ = true;
    view.setNeedsDisplay();
}

void QVPushTracking::drag(pf::View& view, const pf::Point& location)
{
    if (!tracking_)
        return;
    const bool inside = view.bounds().contains(location);
    if (inside != highlighted_) {
        highlighted_ = inside;
        view.setNeedsDisplay();
    }
}

bool QVPushTracking::release(pf::View& view, const pf::Point& location)
{
    if (!tracking_)
        return false;
    tracking_ = false;
    highlighted_ = false;
    view.setNeedsDisplay();
    return view.bounds().contains(location);
}
