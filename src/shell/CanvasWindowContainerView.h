// The document window's content: the outer split layout above a status bar of fixed height (none while
// the status bar is hidden in the preferences). y grows downward.
#pragma once

#include "shell/QVView.h"

#include <QPointer>

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

private:
    QPointer<pf::View> uberView_;
    QPointer<pf::View> statusBar_;
};
