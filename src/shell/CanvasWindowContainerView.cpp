#include "shell/CanvasWindowContainerView.h"

#include "model/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Window.h"
#include "shell/CanvasDocumentWindow.h"

pf::Rect CanvasWindowContainerView::uberViewRectForBounds(const pf::Rect& bounds) const
{
    const double s = toolbarSeparatorHeight();
    const double bar = UserDefaults::instance().statusBarVisible() ? StatusBarHeight : 0;
    return {bounds.origin.x, bounds.origin.y + s, bounds.size.width, std::max(0.0, bounds.size.height - s - bar)};
}

pf::Rect CanvasWindowContainerView::statusBarRectForBounds(const pf::Rect& bounds) const
{
    const double height = UserDefaults::instance().statusBarVisible() ? StatusBarHeight : 0;
    return {0, bounds.origin.y + bounds.size.height - StatusBarHeight, bounds.size.width, height};
}

void CanvasWindowContainerView::layoutSubviews()
{
    if (uberView_)
        uberView_->setFrame(uberViewRectForBounds(bounds()));
    if (statusBar_) {
        const pf::Rect bar = statusBarRectForBounds(bounds());
        statusBar_->setFrame(bar);
        statusBar_->setVisible(bar.size.height > 0);
    }
}

void CanvasWindowContainerView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    QVView::drawRect(context, dirtyRect);
    // A hairline under the title bar, darker while the window is the one the user works in.
    const pf::Window* window = enclosingWindow();
    const double white = window && window->isMainWindow() ? 0.2 : 0.7;
    context.setFillColor(pf::Color(white, white, white, 1));
    context.fillRect(pf::Rect(0, 0, bounds().size.width, 1));
}

void CanvasWindowContainerView::viewDidMoveToWindow()
{
    QVView::viewDidMoveToWindow();
    windowObservers_ = QVObserveMainState(*this, [this] { windowDidBecomeMain(); });
    if (pf::Window* window = enclosingWindow())
        windowObservers_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(CanvasDocumentWindow::ToolbarVisibilityDidChangeNotification), window,
            [this](const pf::Notification&) { toolbarVisibilityDidChange(); }));
}

void CanvasWindowContainerView::toolbarVisibilityDidChange()
{
    if (!enclosingWindow())
        return;
    setNeedsDisplay();
    layoutSubviews();
}

void CanvasWindowContainerView::windowDidBecomeMain()
{
    if (enclosingWindow())
        setNeedsDisplay();
}
