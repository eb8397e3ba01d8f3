// The document window's content: the outer split layout above a status bar of fixed height (none while
// the status bar is hidden in the preferences), under a hairline that is darker while the window is main.
// It lays itself out again when its window's toolbar is shown or hidden, and redraws when the window
// becomes or stops being main. y grows downward.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "shell/QVView.h"

#include <QPointer>

#include <vector>

class CanvasWindowContainerView : public QVView {
public:
    static constexpr double StatusBarHeight = 20;

    using QVView::QVView;

    // Not owned here: both are subviews, placed by layoutSubviews.
    pf::View* uberView() const { return uberView_; }
    void setUberView(pf::View* view) { uberView_ = view; }
    pf::View* statusBar() const { return statusBar_; }
    void setStatusBar(pf::View* bar) { statusBar_ = bar; }

    double toolbarSeparatorHeight() const { return 0; }
    pf::Rect uberViewRectForBounds(const pf::Rect& bounds) const;
    pf::Rect statusBarRectForBounds(const pf::Rect& bounds) const;
    void layoutSubviews() override;

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void viewDidMoveToWindow() override;

private:
    void toolbarVisibilityDidChange();
    void windowDidBecomeMain();

    std::vector<pf::NotificationToken> windowObservers_;
    QPointer<pf::View> uberView_;
    QPointer<pf::View> statusBar_;
};
