#include "shell/IDEUberViewSplitView.h"

#include "geometry/QVColor.h"
#include "geometry/QVUtilities.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "shell/IDEUberView.h"

#include <algorithm>
#include <vector>

namespace {

pf::Color white(double w) { return pf::Color(w, w, w, 1); }

using Gap = std::optional<std::pair<double, double>>;

// A client's height in points (0 without one).
double heightOf(const QWidget* w)
{
    if (!w)
        return 0;
    if (const auto* v = dynamic_cast<const pf::View*>(w))
        return v->frame().height();
    return double(w->height());
}

// Where a client ends, down the window.
double bottomOf(const QWidget* w)
{
    if (!w)
        return 0;
    if (const auto* v = dynamic_cast<const pf::View*>(w))
        return v->frame().maxY();
    return double(w->y() + w->height());
}

} // namespace

IDEUberViewSplitView::IDEUberViewSplitView(const pf::Rect& frame, IDEUberView* uberView, QWidget* parent)
    : pf::SplitView(frame, parent), uberView_(uberView), borderColor_(white(0.4))
{
}

IDEUberViewSplitView::~IDEUberViewSplitView()
{
    uberView_ = nullptr;
}

const pf::Color& IDEUberViewSplitView::thinMainColor()
{
    static const pf::Color c = QVIsYozOrLater() ? QVHexColor(0x9E9E9E) : white(0.48);
    return c;
}

const pf::Color& IDEUberViewSplitView::thinOtherColor()
{
    static const pf::Color c = QVIsYozOrLater() ? QVHexColor(0xBBBBBB) : white(0.7);
    return c;
}

const pf::Gradient& IDEUberViewSplitView::gripGradient()
{
    static const pf::Gradient g({{white(0.3), 0.0}, {white(0.85), 0.5}, {white(1.0), 1.0}});
    return g;
}

double IDEUberViewSplitView::dividerThickness() const
{
    const double t = thicknessOfStyle(dividerStyle());
    // Thick dividers are drawn slimmer than the platform's.
    if (uberView_ && uberView_->splitViewDividerStyle() == 1 && t > 2)
        return t - 2;
    return t;
}

const pf::Gradient& IDEUberViewSplitView::gradient()
{
    if (!gradient_)
        gradient_ = pf::Gradient(white(0.92), white(0.83));
    return *gradient_;
}

void IDEUberViewSplitView::drawDividerInRect(pf::GraphicsContext& context, const pf::Rect& r)
{
    if (!uberView_)
        return;
    const IDEUberView& u = *uberView_;
    if (u.splitViewDividerStyle() == 2) {
        context.setFillColor(u.drawsAsMain() ? thinMainColor() : thinOtherColor());
        context.fillRect(r);
        return;
    }
    if (isVertical()) {
        const pf::Rect left = u.leftView()->frame();
        if (left.x() + left.width() >= r.x() && u.isLeftViewOpen()) {
            context.drawLinearGradientInRect(gradient(), r, 0);
            drawLeftDividerInRect(context, r);
            drawVertDivotInRect(context, r);
        } else if (u.isRightViewOpen()) {
            context.drawLinearGradientInRect(gradient(), r, 180);
            drawRightDividerInRect(context, r);
            drawVertDivotInRect(context, r);
        }
        return;
    }
    if (this != u.leftView() && this != u.rightView()) {
        // The row split: only the dividers of open rows.
        const pf::Rect mid = u.midSuperview()->frame();
        const bool upper = mid.y() + mid.height() / 2 >= r.y();
        if (upper ? !u.isTopViewOpen() : !u.isBottomViewOpen())
            return;
    }
    context.drawLinearGradientInRect(gradient(), r, 90);
    pf::GraphicsContext& c = context;
    c.setLineWidth(1);
    c.setStrokeColor(borderColor_);
    c.strokeRect(pf::Rect(r.x() - 1, r.y(), r.width() + 2, r.height()));
    c.setStrokeColor(pf::Color::white());
    c.strokeRect(pf::Rect(r.x() - 1, r.y() - 0.5, r.width() + 2, r.height() + 1));
}

void IDEUberViewSplitView::drawVertDivotInRect(pf::GraphicsContext& context, const pf::Rect& r)
{
    const double cx = r.x() + r.width() / 2, cy = r.height() / 2;
    const pf::Path grip = pf::Path::roundedRect(pf::Rect(cx - 2.25, cy - 2.25, 4.5, 4.5), 2.25, 2.25);
    context.drawLinearGradientInPath(gripGradient(), grip, 70);
}

void IDEUberViewSplitView::strokeColumnEdge(pf::GraphicsContext& context, double x, double from, double to,
                                            std::initializer_list<Gap> gaps)
{
    std::vector<std::pair<double, double>> cuts;
    for (const Gap& g : gaps)
        if (g)
            cuts.push_back(*g);
    std::sort(cuts.begin(), cuts.end());
    pf::Path path;
    double y = from;
    for (const auto& [start, end] : cuts) {
        if (start > y) {
            path.moveTo(pf::Point(x, y));
            path.lineTo(pf::Point(x, std::min(start, to)));
        }
        y = std::max(y, end);
        if (y >= to)
            break;
    }
    if (y < to) {
        path.moveTo(pf::Point(x, y));
        path.lineTo(pf::Point(x, to));
    }
    context.setLineWidth(1);
    context.setStrokeColor(borderColor_);
    context.strokePath(path);
}

Gap IDEUberViewSplitView::topRowGap() const
{
    if (!uberView_->isTopViewOpen())
        return std::nullopt;
    const double th = heightOf(uberView_->topView());
    return std::pair(th, th + dividerThickness());
}

Gap IDEUberViewSplitView::bottomRowGap() const
{
    if (!uberView_->isBottomViewOpen())
        return std::nullopt;
    double g = bottomOf(uberView_->midView());
    if (uberView_->isTopViewOpen())
        g += heightOf(uberView_->topView()) + dividerThickness();
    return std::pair(g, g + dividerThickness());
}

void IDEUberViewSplitView::drawColumnDividerInRect(pf::GraphicsContext& context, const pf::Rect& r, bool left)
{
    // One point beyond each end, so the lines run off the divider.
    const pf::Rect area(r.x(), r.y() - 1, r.width(), r.height() + 2);
    const double inner = left ? area.maxX() : area.minX();
    const double outer = left ? area.minX() : area.maxX();
    strokeColumnEdge(context, inner, area.minY(), area.maxY(), {topRowGap(), bottomRowGap()});
    Gap split;
    if (left ? uberView_->isLeftTopViewOpen() : uberView_->isRightTopViewOpen()) {
        const double h = heightOf(left ? uberView_->leftTopView() : uberView_->rightTopView());
        split = std::pair(h, h + dividerThickness());
    }
    strokeColumnEdge(context, outer, area.minY(), area.maxY(), {split});
}

void IDEUberViewSplitView::drawLeftDividerInRect(pf::GraphicsContext& context, const pf::Rect& r)
{
    drawColumnDividerInRect(context, r, true);
}

void IDEUberViewSplitView::drawRightDividerInRect(pf::GraphicsContext& context, const pf::Rect& r)
{
    drawColumnDividerInRect(context, r, false);
}
