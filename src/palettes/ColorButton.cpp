#include "palettes/ColorButton.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Pasteboard.h"

#include <QEvent>

namespace {

// The swatch sits this far inside the bezel.
constexpr double swatchInset = 4;

} // namespace

ColorButton::ColorButton(const pf::Rect& frame, QWidget* parent)
    : pf::View(frame, parent),
      draggedObservers_(pf::ObserverList<std::function<void(ColorButton&)>>::create())
{
    registerForDraggedTypes({pf::PasteboardType::color});
}

ColorButton::~ColorButton() = default;

void ColorButton::setColor(const pf::OptionalColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    setNeedsDisplay();
}

void ColorButton::setDraggedColor(const pf::OptionalColor& color)
{
    draggedColor_ = color;
    draggedObservers_->forEach([](const auto&) { return true; }, [this](const auto& observer) { observer(*this); });
}

pf::ObserverToken ColorButton::observeDraggedColor(std::function<void(ColorButton&)> observer)
{
    return draggedObservers_->add(std::move(observer));
}

void ColorButton::setState(bool on)
{
    if (on == state_)
        return;
    state_ = on;
    setNeedsDisplay();
}

void ColorButton::performClick()
{
    if (!isEnabled())
        return;
    setState(!state_);
    if (action_)
        action_(*this);
}

pf::Rect ColorButton::swatchRect() const
{
    if (!color_ || !isEnabled())
        return {};
    return bounds().insetBy(swatchInset, swatchInset);
}

bool ColorButton::acceptsDrop(const pf::DraggingInfo& info) const
{
    return isEnabled() && info.pasteboard.hasType(pf::PasteboardType::color);
}

pf::DragOperation ColorButton::draggingEntered(const pf::DraggingInfo& info)
{
    return draggingUpdated(info);
}

pf::DragOperation ColorButton::draggingUpdated(const pf::DraggingInfo& info)
{
    return acceptsDrop(info) ? pf::DragOp::Copy : pf::DragOp::None;
}

bool ColorButton::performDragOperation(const pf::DraggingInfo& info)
{
    if (!acceptsDrop(info))
        return false;
    const pf::OptionalColor color = info.pasteboard.color();
    if (!color)
        return false;
    setDraggedColor(color);
    return true;
}

void ColorButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    // The bezel: a rounded push button, darker while on or pressed.
    const pf::Rect bezel = bounds().insetBy(0.5, 0.5);
    const pf::Path bezelPath = pf::Path::roundedRect(bezel, 3, 3);
    const bool down = state_ || pressed_;
    const double top = down ? 0.78 : 0.98;
    const double bottom = down ? 0.70 : 0.90;
    context.drawLinearGradientInPath(pf::Gradient(pf::Color(top, top, top, 1), pf::Color(bottom, bottom, bottom, 1)),
                                     bezelPath, 90);
    context.saveGState();
    context.setStrokeColor(pf::Color(0.6, 0.6, 0.6, isEnabled() ? 1.0 : 0.5));
    context.setLineWidth(1);
    context.strokePath(bezelPath);
    context.restoreGState();

    pf::Rect swatch = swatchRect();
    if (swatch.isEmpty())
        return;
    if (color_->alpha > 0) {
        context.saveGState();
        context.setFillColor(*color_);
        context.fillRect(swatch);
        context.restoreGState();
        return;
    }
    // No colour: white with a red diagonal.
    context.saveGState();
    swatch = pf::Rect(swatch.x(), swatch.y(), swatch.width() - 1, swatch.height() - 1);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillRect(swatch);
    context.setStrokeColor(pf::Color(1, 0, 0, 0.5));
    context.setLineWidth(1);
    context.translate(0.5, 0.5);
    context.strokeRect(swatch);
    pf::Path diagonal;
    diagonal.moveTo(pf::Point(swatch.minX(), swatch.minY() + swatch.height()));
    diagonal.lineTo(pf::Point(swatch.minX() + swatch.width(), swatch.minY()));
    context.strokePath(diagonal);
    context.restoreGState();
}

void ColorButton::mouseDown(const pf::Event&)
{
    if (!isEnabled())
        return;
    pressed_ = true;
    setNeedsDisplay();
}

void ColorButton::mouseUp(const pf::Event& e)
{
    if (!pressed_)
        return;
    pressed_ = false;
    setNeedsDisplay();
    if (bounds().contains(e.location))
        performClick();
}

void ColorButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange)
        setNeedsDisplay();
    pf::View::changeEvent(e);
}
