#include "platform/kit/SplitView.h"

#include "platform/graphics/PainterContext.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pf {

SplitViewDelegate::~SplitViewDelegate() = default;
double SplitViewDelegate::splitViewConstrainMinCoordinate(SplitView&, double proposed, int) { return proposed; }
double SplitViewDelegate::splitViewConstrainMaxCoordinate(SplitView&, double proposed, int) { return proposed; }
double SplitViewDelegate::splitViewConstrainSplitPosition(SplitView&, double proposed, int) { return proposed; }
bool SplitViewDelegate::splitViewResizeSubviews(SplitView&, Size) { return false; }
void SplitViewDelegate::splitViewDidResizeSubviews(SplitView&) {}

// A divider: takes the drags and draws through the container's hook.
class SplitView::Divider : public QWidget {
public:
    Divider(SplitView& owner, int index) : QWidget(&owner), owner_(owner), index_(index)
    {
        show();
    }
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }
    Rect area; // in the container's points

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPoint at = pos();
        PainterContext context(painter, rect(), AffineTransform::translation(-at.x(), -at.y()), 1.0, true);
        owner_.drawDividerInRect(context, area);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return QWidget::mousePressEvent(e);
        owner_.beginDividerDrag(index_, locationOf(e));
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            owner_.continueDividerDrag(locationOf(e));
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            owner_.endDividerDrag();
    }

private:
    double locationOf(QMouseEvent* e) const
    {
        const QPointF p = e->position() + QPointF(pos());
        return owner_.isVertical() ? p.x() : p.y();
    }

    SplitView& owner_;
    int index_;
};

SplitView::SplitView(const Rect& frame, QWidget* parent) : View(frame, parent), laidOutSize_(frame.size) {}

SplitView::~SplitView()
{
    dividers_.clear();
}

double SplitView::thicknessOfStyle(SplitViewDividerStyle style)
{
    switch (style) {
    case SplitViewDividerStyle::Thin:
        return 1;
    case SplitViewDividerStyle::PaneSplitter:
        return 10;
    case SplitViewDividerStyle::Thick:
        break;
    }
    return 9;
}

void SplitView::setVertical(bool vertical)
{
    if (vertical_ == vertical)
        return;
    vertical_ = vertical;
    for (auto& d : dividers_)
        d->setCursor(vertical_ ? Qt::SplitHCursor : Qt::SplitVCursor);
    setNeedsLayout();
}

void SplitView::setDividerStyle(SplitViewDividerStyle style)
{
    style_ = style;
    setNeedsLayout();
    update();
}

bool SplitView::containsArrangedSubview(const View* view) const
{
    return std::find(arranged_.begin(), arranged_.end(), view) != arranged_.end();
}

void SplitView::addArrangedSubview(View* view) { insertArrangedSubview(view, arranged_.size()); }

void SplitView::insertArrangedSubview(View* view, std::size_t index)
{
    if (!view || containsArrangedSubview(view))
        return;
    view->setParent(this);
    arranged_.insert(arranged_.begin() + std::ptrdiff_t(std::min(index, arranged_.size())), view);
    view->show();
    placeDividers();
    setNeedsLayout();
}

void SplitView::removeArrangedSubview(View* view)
{
    const auto it = std::find(arranged_.begin(), arranged_.end(), view);
    if (it == arranged_.end())
        return;
    if (drag_.index >= 0)
        endDividerDrag();
    arranged_.erase(it);
    view->hide();
    view->setParent(nullptr);
    placeDividers();
    setNeedsLayout();
}

void SplitView::sortArrangedSubviews(const std::function<int(const View*, const View*)>& compare)
{
    std::stable_sort(arranged_.begin(), arranged_.end(),
                     [&compare](const View* a, const View* b) { return compare(a, b) < 0; });
    placeDividers();
}

Rect SplitView::dividerRect(int index) const
{
    if (index < 0 || index >= dividerCount())
        return Rect();
    const double at = along(arranged_[std::size_t(index)]->frame()) + lengthAlong(arranged_[std::size_t(index)]->frame());
    const double t = dividerThickness();
    return vertical_ ? Rect(at, 0, t, bounds().height()) : Rect(0, at, bounds().width(), t);
}

void SplitView::setSpan(View* view, double origin, double length)
{
    const Rect b = bounds();
    view->setFrame(vertical_ ? Rect(origin, 0, length, b.height()) : Rect(0, origin, b.width(), length));
}

bool SplitView::tiles() const
{
    const double t = dividerThickness();
    const double scale = std::max(1.0, extent());
    const double slack = scale * 1e-9;
    double expected = 0;
    for (const View* v : arranged_) {
        if (std::fabs(along(v->frame()) - expected) > slack || lengthAlong(v->frame()) < 0)
            return false;
        expected += lengthAlong(v->frame()) + t;
    }
    return arranged_.empty() || std::fabs(expected - t - extent()) <= slack;
}

void SplitView::adjustSubviews()
{
    if (arranged_.empty())
        return;
    const double t = dividerThickness();
    const double available = std::max(0.0, extent() - t * double(arranged_.size() - 1));
    double sum = 0;
    for (const View* v : arranged_)
        sum += std::max(0.0, lengthAlong(v->frame()));
    double origin = 0;
    for (std::size_t i = 0; i < arranged_.size(); ++i) {
        View* v = arranged_[i];
        double length = sum > 0 ? std::max(0.0, lengthAlong(v->frame())) * available / sum
                                : available / double(arranged_.size());
        // The last one takes what rounding left, so that they end at the far edge.
        if (i + 1 == arranged_.size())
            length = std::max(0.0, extent() - origin);
        setSpan(v, origin, length);
        origin += length + t;
    }
}

void SplitView::setPosition(double position, int index)
{
    if (index < 0 || index >= dividerCount() || std::isnan(position))
        return;
    if (!tiles())
        fit(laidOutSize_);
    View* before = arranged_[std::size_t(index)];
    View* after = arranged_[std::size_t(index) + 1];
    const double t = dividerThickness();
    const double start = along(before->frame());
    const double end = along(after->frame()) + lengthAlong(after->frame());
    const double p = std::clamp(position, start, std::max(start, end - t));
    setSpan(before, start, p - start);
    setSpan(after, p + t, std::max(0.0, end - p - t));
    placeDividers();
    didResize();
}

void SplitView::layoutSubviews()
{
    layoutNow();
}

void SplitView::layoutNow()
{
    const Size old = laidOutSize_;
    laidOutSize_ = bounds().size;
    const bool outer = fittingToSize_;
    fittingToSize_ = true;
    fit(old);
    placeDividers();
    didResize();
    fittingToSize_ = outer;
}

void SplitView::fit(Size oldSize)
{
    if (!delegate_ || !delegate_->splitViewResizeSubviews(*this, oldSize))
        adjustSubviews();
}

void SplitView::didResize()
{
    if (delegate_)
        delegate_->splitViewDidResizeSubviews(*this);
}

void SplitView::placeDividers()
{
    const int count = dividerCount();
    while (int(dividers_.size()) > count)
        dividers_.pop_back();
    while (int(dividers_.size()) < count) {
        dividers_.push_back(std::make_unique<Divider>(*this, int(dividers_.size())));
        dividers_.back()->setCursor(vertical_ ? Qt::SplitHCursor : Qt::SplitVCursor);
    }
    for (int i = 0; i < count; ++i) {
        Divider& d = *dividers_[std::size_t(i)];
        d.area = dividerRect(i);
        const QRect r(int(std::floor(d.area.x())), int(std::floor(d.area.y())),
                      std::max(1, int(std::ceil(d.area.maxX()) - std::floor(d.area.x()))),
                      std::max(1, int(std::ceil(d.area.maxY()) - std::floor(d.area.y()))));
        d.setGeometry(r);
        d.raise();
        d.update();
    }
}

QWidget* SplitView::dividerWidget(int index) const
{
    return index >= 0 && index < int(dividers_.size()) ? dividers_[std::size_t(index)].get() : nullptr;
}

void SplitView::beginDividerDrag(int index, double location)
{
    if (index < 0 || index >= dividerCount())
        return;
    if (!tiles())
        fit(laidOutSize_);
    const double t = dividerThickness();
    const Rect before = arranged_[std::size_t(index)]->frame();
    const Rect after = arranged_[std::size_t(index) + 1]->frame();
    const double position = along(before) + lengthAlong(before);
    drag_.index = index;
    drag_.offset = location - position;
    drag_.minimum = along(before);
    drag_.maximum = along(after) + lengthAlong(after) - t;
    if (delegate_) {
        drag_.minimum = delegate_->splitViewConstrainMinCoordinate(*this, drag_.minimum, index);
        drag_.maximum = delegate_->splitViewConstrainMaxCoordinate(*this, drag_.maximum, index);
    }
}

void SplitView::continueDividerDrag(double location)
{
    if (drag_.index < 0 || drag_.index >= dividerCount())
        return;
    double p = location - drag_.offset;
    if (delegate_)
        p = delegate_->splitViewConstrainSplitPosition(*this, p, drag_.index);
    if (drag_.minimum <= drag_.maximum)
        p = std::clamp(p, drag_.minimum, drag_.maximum);
    setPosition(p, drag_.index);
}

void SplitView::endDividerDrag()
{
    drag_ = Drag();
}

void SplitView::drawDividerInRect(GraphicsContext& context, const Rect& rect)
{
    context.setFillColor(style_ == SplitViewDividerStyle::Thin ? Color(0.6, 0.6, 0.6) : Color(0.85, 0.85, 0.85));
    context.fillRect(rect);
}

} // namespace pf
