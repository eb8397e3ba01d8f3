#include "shell/QVStatusBarButton.h"

#include "geometry/QVColor.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Window.h"
#include "platform/text/AttributedString.h"
#include "platform/text/StringDrawing.h"
#include "shell/QVBar.h"
#include "shell/QVStatusBarPopUpView.h"

#include <cmath>

void QVStatusBarButtonCell::drawWithFrame(pf::GraphicsContext& context, const pf::Rect& frame,
                                          const QVStatusBarButton& button) const
{
    const bool main = button.isInMainWindow();
    const bool highlighted = button.isHighlighted();
    QVStatusBarButton::OptionalGradient gradient = main ? button.mainBgGradient() : button.nonMainBgGradient();
    pf::OptionalColor topBevel = main ? button.mainTopBevelColor() : button.nonMainTopBevelColor();
    const pf::OptionalColor& topBorder = main ? button.mainTopBorderColor() : button.nonMainTopBorderColor();
    const pf::OptionalColor& bottomBevel = main ? button.mainBottomBevelColor() : button.nonMainBottomBevelColor();
    if (highlighted) {
        topBevel = button.hiTopBevelColor();
        gradient = button.hiBgGradient();
    }
    // y grows downward: the first colour at the top.
    if (gradient)
        context.drawLinearGradientInRect(*gradient, button.bounds(), 90);

    if (!button.title().isEmpty())
        pf::drawAttributedString(context,
                                 pf::AttributedString(button.title(),
                                                      main ? QVStatusBarPopUpView::defaultLabelTextAttributes()
                                                           : QVStatusBarPopUpView::defaultNonMainLabelTextAttributes()),
                                 button.titleRectForBounds(frame), pf::UsesLineFragmentOrigin);

    context.saveGState();
    context.setLineWidth(1);
    const auto line = [&](const pf::OptionalColor& color, pf::Point from, pf::Point to) {
        if (!color)
            return;
        pf::Path path;
        path.moveTo(from);
        path.lineTo(to);
        context.setStrokeColor(*color);
        context.strokePath(path);
    };
    const double top = frame.minY();
    line(topBevel, {0, top + 1.5}, {frame.width(), top + 1.5});
    line(topBorder, {0, top + 0.5}, {frame.width(), top + 0.5});
    line(bottomBevel, {0, frame.maxY() - 0.5}, {frame.width(), frame.maxY() - 0.5});
    // Centred on the left edge, so half of it lies outside.
    line(topBorder, {frame.minX(), frame.minY()}, {frame.minX(), frame.maxY()});
    line(topBorder, {std::round(frame.maxX()) - 0.5, frame.minY()}, {std::round(frame.maxX()) - 0.5, frame.maxY()});
    context.restoreGState();
}

QVStatusBarButton::QVStatusBarButton(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent) {}

QVStatusBarButton::~QVStatusBarButton() = default;

void QVStatusBarButton::awakeFromNib()
{
    // The pop-ups' colours, and no bevel while pressed.
    QVBar colors;
    QVStatusBarPopUpView::applyStatusBarColors(colors);
    mainTopBorderColor_ = colors.mainTopBorderColor();
    mainTopBevelColor_ = colors.mainTopBevelColor();
    mainBgGradient_ = colors.mainBgGradient();
    mainBottomBevelColor_ = colors.mainBottomBevelColor();
    hiBgGradient_ = colors.hiBgGradient();
    hiTopBevelColor_ = std::nullopt;
    nonMainTopBorderColor_ = colors.nonMainTopBorderColor();
    nonMainTopBevelColor_ = colors.nonMainTopBevelColor();
    nonMainBgGradient_ = colors.nonMainBgGradient();
    nonMainBottomBevelColor_ = colors.nonMainBottomBevelColor();
    setNeedsDisplay();
}

void QVStatusBarButton::setTitle(const QString& title)
{
    title_ = title;
    titleTextSize_ = title.isEmpty()
        ? pf::Size()
        : pf::sizeOfAttributedString(pf::AttributedString(title, QVStatusBarPopUpView::defaultLabelTextAttributes()));
    setNeedsDisplay();
}

pf::Rect QVStatusBarButton::titleRectForBounds(const pf::Rect& b) const
{
    const double y = std::round(b.y() + b.height() / 2 - titleTextSize_.height / 2) + 0.5;
    const double width =
        alignment_ == Alignment::Center ? std::round(b.width() - 16) : std::round(titleTextSize_.width) + 0.5;
    return {8, y, width, titleTextSize_.height};
}

bool QVStatusBarButton::isInMainWindow() const
{
    const pf::Window* window = enclosingWindow();
    return window && window->isMainWindow();
}

void QVStatusBarButton::setAction(const QString& action, pf::Responder* target)
{
    action_ = action;
    hasTarget_ = target != nullptr;
    target_ = target ? target->weakReference() : std::weak_ptr<pf::Responder*>();
}

void QVStatusBarButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    cell_.drawWithFrame(context, bounds(), *this);
}

void QVStatusBarButton::mouseDown(const pf::Event&)
{
    press_.press(*this);
}

void QVStatusBarButton::mouseDragged(const pf::Event& e)
{
    press_.drag(*this, e.location);
}

void QVStatusBarButton::mouseUp(const pf::Event& e)
{
    if (!press_.release(*this, e.location) || action_.isEmpty())
        return;
    if (!hasTarget_) {
        pf::sendAction(action_);
        return;
    }
    if (const auto handle = target_.lock(); handle && *handle)
        (*handle)->tryToPerform(action_, nullptr);
}

void QVStatusBarButton::viewDidMoveToWindow()
{
    pf::View::viewDidMoveToWindow();
    windowObservers_ = QVObserveMainState(*this, [this] {
        if (enclosingWindow())
            setNeedsDisplay();
    });
}
