// View points and page points, keeping things in view, the hand drag and the zoom rectangle.
#include "canvas/Canvas.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"

#include <array>
#include <cmath>

pf::Rect Canvas::scaledCompositionBounds() const
{
    const auto page = composition();
    if (!page)
        return {};
    const double s = currentScale();
    const pf::Rect b = page->bounds();
    return pf::Rect(b.x() * s, b.y() * s, b.width() * s, b.height() * s);
}

pf::Point Canvas::compositionOrigin() const
{
    const pf::Rect b = bounds();
    const pf::Size scaled = scaledCompositionBounds().size;
    return pf::Point(std::round(b.width() * 0.5 - scaled.width * 0.5), std::round(b.height() * 0.5 - scaled.height * 0.5));
}

pf::Rect Canvas::scaledCompositionFrame() const
{
    return pf::Rect(compositionOrigin(), scaledCompositionBounds().size);
}

pf::Point Canvas::convertPointToComposition(const pf::Point& p) const
{
    const double r = 1.0 / currentScale();
    return (p - compositionOrigin()) * r;
}

pf::Point Canvas::convertPointFromComposition(const pf::Point& p) const
{
    return p * currentScale() + compositionOrigin();
}

pf::Size Canvas::convertSizeToComposition(const pf::Size& s) const
{
    const double r = 1.0 / currentScale();
    return pf::Size(s.width * r, s.height * r);
}

pf::Size Canvas::convertSizeFromComposition(const pf::Size& s) const
{
    const double scale = currentScale();
    return pf::Size(s.width * scale, s.height * scale);
}

pf::Rect Canvas::convertRectToComposition(const pf::Rect& r) const
{
    const pf::Point o = compositionOrigin();
    const double k = 1.0 / currentScale();
    return pf::AffineTransform::scale(k, k).apply(r.offsetBy(-o.x, -o.y));
}

pf::Rect Canvas::convertRectFromComposition(const pf::Rect& r) const
{
    const pf::Point o = compositionOrigin();
    const double s = currentScale();
    return pf::AffineTransform::scale(s, s).apply(r).offsetBy(o.x, o.y);
}

// ---- scrolling ----

void Canvas::scrollRectToCenter(const pf::Rect& rect)
{
    const pf::Rect visible = visibleRect();
    pf::Rect r = rect;
    // A rect the view can hold is shown in the middle: the least scroll that shows a rect of the visible
    // size around its centre is exactly that.
    if (QVSizeContainsSize(visible.size, r.size))
        r = pf::Rect(pf::Point(r.midX() - visible.width() * 0.5, r.midY() - visible.height() * 0.5), visible.size);
    scrollRectToVisible(r);
}

void Canvas::scrollPointToCenter(const pf::Point& p)
{
    scrollRectToCenter(QVSquareAroundPoint(p, 2.0));
}

void Canvas::scrollToCenter()
{
    const auto page = composition();
    if (!page)
        return;
    const pf::Point target = manipulator_ ? manipulator_->center() : page->scrollCenterPoint();
    scrollPointToCenter(convertPointFromComposition(target));
    invalidateRestorableState();
}

void Canvas::scrollSelectionToCenter()
{
    if (!hasSelection())
        return;
    const pf::Rect r = convertRectFromComposition(manipulator_->frame());
    if (visibleRect().contains(r))
        return;
    scrollPointToCenter(pf::Point(r.midX(), r.midY()));
    invalidateRestorableState();
}

void Canvas::scrollSelectionToVisible()
{
    if (!hasSelection())
        return;
    const pf::Rect r = convertRectFromComposition(manipulator_->frame());
    if (visibleRect().contains(r))
        return;
    scrollRectToVisible(r);
    invalidateRestorableState();
}

void Canvas::restoreScrollPosition()
{
    const auto page = composition();
    if (!page)
        return;
    const pf::Point p = convertPointFromComposition(page->scrollCenterPoint());
    if (p == pf::Point())
        return;
    scrollPointToCenter(p);
}

void Canvas::dragScrollToPoint(const pf::Point& p)
{
    const pf::Point origin = visibleRect().origin;
    scrollPoint(pf::Point(origin.x + (dragStartCanvasPoint_.x - p.x), origin.y + (dragStartCanvasPoint_.y - p.y)));
    invalidateRestorableState();
}

// ---- zoom ----

void Canvas::dragZoomToPoint(const pf::Point& p)
{
    const auto page = composition();
    if (!page)
        return;
    const pf::Point a = convertPointToComposition(dragStartCanvasPoint_);
    const pf::Point b = convertPointToComposition(p);
    const pf::Rect r = QVRectFromPoints(a, b);
    const pf::Size visible = visibleRect().size;
    // The largest step at which the rect fits, found from the scale table; the page is told once (each
    // step set would re-size and redraw the canvas and move the rulers).
    static constexpr std::array<std::int64_t, 15> steps{50, 40, 30, 20, 10, 5, 4, 3, 2, 1, 0, -1, -2, -3, -4};
    std::int64_t chosen = steps.back();
    for (const std::int64_t step : steps) {
        const double s = Composition::zoomScaleForIndex(step);
        const pf::Size scaled = pf::AffineTransform::scale(s, s).apply(r).size;
        if (QVSizeContainsSize(visible, scaled)) {
            chosen = step;
            break;
        }
    }
    if (page->zoomScaleIndex() != chosen)
        page->setZoomScaleIndex(chosen);
    scrollRectToCenter(convertRectFromComposition(r));
    invalidateRestorableState();
}

void Canvas::zoomToFit()
{
    const auto page = composition();
    if (!page)
        return;
    dragStartCanvasPoint_ = compositionOrigin();
    dragZoomToPoint(convertPointFromComposition(QVRectGetBotRitPoint(page->bounds())));
}
