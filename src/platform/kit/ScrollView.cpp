#include "platform/kit/ScrollView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/View.h"

#include <QPalette>
#include <QEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

// The least move of a visible span [v, v + vs] that shows the span [r, r + rs]: none when it is in
// view; a span longer than the view is moved only until the view lies inside it.
double leastScroll(double v, double vs, double r, double rs)
{
    if (rs <= vs) {
        if (r < v)
            return r - v;
        if (r + rs > v + vs)
            return (r + rs) - (v + vs);
        return 0;
    }
    if (v < r)
        return r - v;
    if (v + vs > r + rs)
        return (r + rs) - (v + vs);
    return 0;
}

int scrollBarValue(double v)
{
    return int(std::clamp(std::round(v), 0.0, double(QWIDGETSIZE_MAX)));
}

} // namespace

const QString ScrollView::visibleRectDidChangeNotification = QStringLiteral("NSViewBoundsDidChangeNotification");

ScrollView::ScrollView(QWidget* parent) : QAbstractScrollArea(parent)
{
    // The scroll bars count screen pixels: a line of the platform's usual size, so a wheel notch (three
    // lines) moves a list by about a row and the canvas by a usable step at any zoom.
    constexpr int lineStep = 20;
    horizontalScrollBar()->setSingleStep(lineStep);
    verticalScrollBar()->setSingleStep(lineStep);
}

ScrollView::~ScrollView() = default;

void ScrollView::setDocumentView(View* view)
{
    if (document_ == view)
        return;
    delete document_.data();
    document_ = view;
    origin_ = {};
    lastClipSize_ = contentSize();
    if (view)
        View::moveWidget(view, viewport());
    tile();
}

double ScrollView::verticalScrollerWidth()
{
    // The scroll area lays its scroller out at the scroller's own preferred width.
    const QScrollBar scroller(Qt::Vertical);
    return scroller.sizeHint().width();
}

Size ScrollView::contentSize() const
{
    return Size(viewport()->width(), viewport()->height());
}

Rect ScrollView::documentVisibleRect() const
{
    const Rect clip(origin_, contentSize());
    if (!document_)
        return clip;
    const Rect visible = clip.intersected(document_->bounds());
    return visible.isNull() ? Rect() : visible;
}

Point ScrollView::maximumOrigin() const
{
    if (!document_)
        return {};
    const Size doc = document_->frame().size;
    const Size clip = contentSize();
    return Point(std::max(0.0, doc.width - clip.width), std::max(0.0, doc.height - clip.height));
}

void ScrollView::setOrigin(Point origin)
{
    const Point max = maximumOrigin();
    const auto keep = [](double v, double hi) { return std::isfinite(v) ? std::clamp(v, 0.0, hi) : 0.0; };
    origin_ = Point(keep(origin.x, max.x), keep(origin.y, max.y));
    {
        const QScopedValueRollback adjusting(adjustingBars_, true);
        horizontalScrollBar()->setValue(scrollBarValue(origin_.x));
        verticalScrollBar()->setValue(scrollBarValue(origin_.y));
    }
    if (document_) {
        document_->scrollOffset_ = origin_;
        document_->applyGeometry();
    }
    // The rulers measure what is in view.
    for (RulerView* ruler : {horizontalRuler_, verticalRuler_})
        if (ruler && ruler->isVisible())
            ruler->setNeedsDisplay();
    postIfVisibleRectChanged();
}

void ScrollView::postIfVisibleRectChanged()
{
    const Rect visible(origin_, contentSize());
    if (visible == lastVisibleRect_)
        return;
    lastVisibleRect_ = visible;
    NotificationCenter::defaultCenter().post(visibleRectDidChangeNotification, this);
}

void ScrollView::resizeDocumentWithClip(Size delta)
{
    if (!document_ || (delta.width == 0 && delta.height == 0))
        return;
    const unsigned mask = document_->autoresizingMask();
    Size size = document_->frame().size;
    if (mask & View::WidthSizable)
        size.width = std::max(0.0, size.width + delta.width);
    if (mask & View::HeightSizable)
        size.height = std::max(0.0, size.height + delta.height);
    if (size != document_->frame().size)
        document_->setFrameSize(size);
}

void ScrollView::setBackgroundColor(const Color& color)
{
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, color.toQt());
    palette.setColor(QPalette::Window, color.toQt());
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
}

void ScrollView::scrollPoint(Point p)
{
    setOrigin(p);
}

bool ScrollView::scrollRectToVisible(const Rect& r)
{
    const Rect target = r.standardized();
    if (!document_ || !std::isfinite(target.x()) || !std::isfinite(target.y()) || !std::isfinite(target.width())
        || !std::isfinite(target.height()))
        return false;
    const Rect visible(origin_, contentSize());
    const Point before = origin_;
    setOrigin(Point(origin_.x + leastScroll(visible.x(), visible.width(), target.x(), target.width()),
                    origin_.y + leastScroll(visible.y(), visible.height(), target.y(), target.height())));
    return origin_ != before;
}

void ScrollView::setDocumentCursor(const Cursor& cursor)
{
    if (document_)
        document_->setCursor(cursor.toQt(document_->devicePixelRatioF()));
}

void ScrollView::tile()
{
    if (tiling_) {
        // A scroll bar came or went while the ranges were set, and the clip area changed size.
        retile_ = true;
        return;
    }
    tiling_ = true;
    // Measured against the clip size this view last saw, not Qt's resize events, which a hidden scroll
    // view receives late or with no old size: a document sized from a stale clip moves on with it.
    if (const Size clip = contentSize(); clip != lastClipSize_) {
        const Size delta(clip.width - lastClipSize_.width, clip.height - lastClipSize_.height);
        lastClipSize_ = clip;
        resizeDocumentWithClip(delta);
    }
    for (int pass = 0; pass < 3; ++pass) {
        retile_ = false;
        const Point max = maximumOrigin();
        const Size clip = contentSize();
        {
            // Not blocked: the scroll area shows and hides its bars on the range signals.
            const QScopedValueRollback adjusting(adjustingBars_, true);
            horizontalScrollBar()->setRange(0, int(std::ceil(std::min(max.x, double(QWIDGETSIZE_MAX)))));
            verticalScrollBar()->setRange(0, int(std::ceil(std::min(max.y, double(QWIDGETSIZE_MAX)))));
            horizontalScrollBar()->setPageStep(std::max(1, int(clip.width)));
            verticalScrollBar()->setPageStep(std::max(1, int(clip.height)));
        }
        setOrigin(origin_);
        if (!retile_)
            break;
    }
    tiling_ = false;
}

void ScrollView::scrollContentsBy(int, int)
{
    if (adjustingBars_)
        return;
    // The user moved a scroll bar: its value becomes the origin.
    setOrigin(Point(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

// ---- rulers ----

void ScrollView::setHasHorizontalRuler(bool has)
{
    if (has == (horizontalRuler_ != nullptr))
        return;
    if (has) {
        horizontalRuler_ = new RulerView(RulerOrientation::Horizontal, this);
        horizontalRuler_->setVisible(false);
    } else {
        delete horizontalRuler_;
        horizontalRuler_ = nullptr;
    }
    tileRulers();
}

void ScrollView::setHasVerticalRuler(bool has)
{
    if (has == (verticalRuler_ != nullptr))
        return;
    if (has) {
        verticalRuler_ = new RulerView(RulerOrientation::Vertical, this);
        verticalRuler_->setVisible(false);
    } else {
        delete verticalRuler_;
        verticalRuler_ = nullptr;
    }
    tileRulers();
}

void ScrollView::setRulersVisible(bool visible)
{
    if (visible == rulersVisible_)
        return;
    rulersVisible_ = visible;
    tileRulers();
}

void ScrollView::tileRulers()
{
    // Without rulers the margins are the caller's (once the last ruler goes, they return to none).
    if (!horizontalRuler_ && !verticalRuler_ && !rulerMargins_)
        return;
    rulerMargins_ = horizontalRuler_ || verticalRuler_;
    const bool showH = rulersVisible_ && horizontalRuler_;
    const bool showV = rulersVisible_ && verticalRuler_;
    const int top = showH ? int(std::ceil(horizontalRuler_->ruleThickness())) : 0;
    const int left = showV ? int(std::ceil(verticalRuler_->ruleThickness())) : 0;
    setViewportMargins(left, top, 0, 0);
    const QRect vp = viewport()->geometry();
    if (horizontalRuler_) {
        horizontalRuler_->setVisible(showH);
        if (showH)
            horizontalRuler_->setFrame(Rect(vp.x() - left, vp.y() - top, vp.width() + left, top));
    }
    if (verticalRuler_) {
        verticalRuler_->setVisible(showV);
        if (showV)
            verticalRuler_->setFrame(Rect(vp.x() - left, vp.y(), left, vp.height()));
    }
}

void ScrollView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    tileRulers();
}

bool ScrollView::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::Resize) {
        tile();
        tileRulers();
    }
    return QAbstractScrollArea::viewportEvent(e);
}

} // namespace pf
