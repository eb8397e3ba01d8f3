#include "shell/QVBar.h"

#include "geometry/QVColor.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Window.h"

#include <QWindow>

#include <cmath>

namespace {

pf::Color white(double level)
{
    return pf::Color(level, level, level, 1);
}

} // namespace

QVBar::QVBar(const pf::Rect& frame, QWidget* parent) : QVView(frame, parent) {}

QVBar::~QVBar() = default;

void QVBar::awakeFromNib()
{
    mainBgGradient_ = pf::Gradient(QVHexColor(0xE1DFDF), QVHexColor(0xC2C1C2));
    nonMainBgGradient_ = pf::Gradient(QVHexColor(0xF4F4F4), QVHexColor(0xF4F4F4));
    hiBgGradient_ = pf::Gradient(white(0.75), white(0.55));
    mainTopBorderColor_ = QVHexColor(0x9E9E9E);
    nonMainTopBorderColor_ = QVHexColor(0xBBBBBB);
    mainTopBevelColor_ = std::nullopt;
    nonMainTopBevelColor_ = std::nullopt;
    mainBottomBevelColor_ = std::nullopt;
    nonMainBottomBevelColor_ = std::nullopt;
}

bool QVBar::isInMainWindow() const
{
    const pf::Window* window = enclosingWindow();
    return window && window->isMainWindow();
}

void QVBar::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Rect b = bounds();
    const bool main = isInMainWindow();
    const OptionalGradient& gradient = main ? (isHighlighted() ? hiBgGradient_ : mainBgGradient_) : nonMainBgGradient_;
    const pf::OptionalColor& topBevel = main ? mainTopBevelColor_ : nonMainTopBevelColor_;
    const pf::OptionalColor& topBorder = main ? mainTopBorderColor_ : nonMainTopBorderColor_;
    const pf::OptionalColor& bottomBevel = main ? mainBottomBevelColor_ : nonMainBottomBevelColor_;

    // y grows downward here: the first colour at the top edge.
    if (gradient)
        context.drawLinearGradientInRect(*gradient, b, 90);
    context.saveGState();
    context.setLineWidth(1);
    const auto line = [&](const pf::OptionalColor& color, double y) {
        if (!color)
            return;
        pf::Path path;
        path.moveTo(pf::Point(0, y));
        path.lineTo(pf::Point(b.width(), y));
        context.setStrokeColor(*color);
        context.strokePath(path);
    };
    line(topBevel, 1.5);
    if (shouldDrawTopBorder())
        line(topBorder, 0.5);
    line(bottomBevel, b.height() - 0.5);
    context.restoreGState();
}

void QVBar::viewDidMoveToWindow()
{
    QVView::viewDidMoveToWindow();
    windowObservers_ = QVObserveMainState(*this, [this] { windowDidBecomeMain(); });
}

void QVBar::windowDidBecomeMain()
{
    if (enclosingWindow())
        setNeedsDisplay();
}

// ---- dragging the window ----

void QVDraggableBar::mouseDown(const pf::Event& e)
{
    QWidget* top = window();
    if (!top)
        return;
    // Where the window server moves windows itself, it does so smoothly and within the desktop's rules.
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove())
        return;
    dragging_ = true;
    start_ = last_ = e.screenLocation;
    windowStart_ = top->pos();
}

void QVDraggableBar::mouseDragged(const pf::Event& e)
{
    if (dragging_)
        follow(e.screenLocation);
}

void QVDraggableBar::mouseUp(const pf::Event& e)
{
    if (!dragging_)
        return;
    follow(e.screenLocation);
    dragging_ = false;
}

void QVDraggableBar::follow(const pf::Point& p)
{
    if (p == last_)
        return;
    last_ = p;
    if (QWidget* top = window())
        top->move(windowStart_ + QPoint(int(std::lround(p.x - start_.x)), int(std::lround(p.y - start_.y))));
}
