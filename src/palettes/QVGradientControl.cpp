#include "palettes/QVGradientControl.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"
#include "platform/foundation/Localized.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Poof.h"
#include "platform/kit/Window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double stripHeight = 20;
constexpr double handleWidth = 8;
constexpr double handleHeight = 15;
constexpr double checkerSquare = 7;

} // namespace

pf::Color QVGradientControl::activeBorderColor() { return QVHexColor(0x9e9e9e); }
pf::Color QVGradientControl::inactiveBorderColor() { return QVHexColor(0xbbbbbb); }

QVGradientControl::QVGradientControl(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setFocusPolicy(Qt::ClickFocus);
    pf::Responder::setAction(QStringLiteral("addElement:"), [this](const pf::MenuItem* sender) {
        if (sender)
            addElementFromMenuPoint(pf::pointFromString(sender->representedObject().toString()));
    });
    pf::Responder::setAction(QStringLiteral("removeElement:"), [this](const pf::MenuItem*) { removeSelectedElement(); });
    pf::Responder::setAction(QStringLiteral("editElement:"), [this](const pf::MenuItem*) { editSelectedElement(); });
    selectNone();
}

QVGradientControl::~QVGradientControl()
{
    endGroup();
    delegate_ = nullptr;
}

void QVGradientControl::setElements(std::vector<QVGradientElement> elements)
{
    elements_ = std::move(elements);
    if (selectedIndex_ >= std::int64_t(elements_.size()))
        selectNone();
    gradient_.reset();
    setNeedsDisplay();
}

const pf::Gradient& QVGradientControl::gradient()
{
    if (!gradient_) {
        std::vector<pf::GradientStop> stops;
        for (const QVGradientElement& e : elements_)
            stops.push_back({e.color().value_or(pf::Color::clear()), e.ratio()});
        // The painter wants its stops in order; the control's array keeps the order of addition.
        std::stable_sort(stops.begin(), stops.end(),
                         [](const pf::GradientStop& a, const pf::GradientStop& b) { return a.location < b.location; });
        gradient_ = pf::Gradient(std::move(stops));
    }
    return *gradient_;
}

// ---- geometry ----

pf::Rect QVGradientControl::canvasRectForBounds(const pf::Rect& b)
{
    const double available = b.width() - 9;
    const double w = std::max(0.0, available - std::fmod(available, checkerSquare));
    return QVRectFloorPlusHalf(pf::Rect(b.midX() - w / 2, b.minY(), w, stripHeight));
}

pf::Rect QVGradientControl::handleRectForBounds(const pf::Rect& b, const pf::Rect& c, std::size_t index) const
{
    const double ratio = index < elements_.size() ? elements_[index].ratio() : 0;
    return QVRectFloorPlusHalf(
        pf::Rect(c.minX() + c.width() * ratio - handleWidth / 2, b.maxY() - 16, handleWidth, handleHeight));
}

pf::Rect QVGradientControl::limitRectForBounds(const pf::Rect& b)
{
    return pf::Rect(-10000000, b.y() * 2, 1000000000, b.height() * 2);
}

double QVGradientControl::xRatioForLocationInView(pf::Point p) const
{
    const pf::Rect c = canvasRectForBounds(bounds());
    if (c.width() <= 0)
        return 0;
    const double ratio = (p.x - c.minX()) / c.width();
    return ratio <= 0 || !std::isfinite(ratio) ? 0 : std::min(ratio, 1.0);
}

pf::Path QVGradientControl::handlePathForHandleRect(const pf::Rect& r)
{
    const double shoulder = std::floor(r.minY() + 3) + 0.5;
    pf::Path path;
    path.moveTo(pf::Point(std::floor(r.midX()) + 0.5, r.minY()));
    path.lineTo(pf::Point(r.maxX(), shoulder));
    path.lineTo(pf::Point(r.maxX(), r.maxY() - 3));
    path.curveTo(pf::Point(r.maxX(), r.maxY() - 3), pf::Point(r.maxX(), r.maxY()), pf::Point(r.maxX() - 3, r.maxY()));
    path.lineTo(pf::Point(r.minX() + 3, r.maxY()));
    path.curveTo(pf::Point(r.minX() + 3, r.maxY()), pf::Point(r.minX(), r.maxY()), pf::Point(r.minX(), r.maxY() - 3));
    path.lineTo(pf::Point(r.minX(), shoulder));
    path.close();
    return path;
}

// ---- stops ----

void QVGradientControl::selectNone()
{
    color_ = std::nullopt;
    selectedIndex_ = -1;
}

void QVGradientControl::addElementWithColorAtLocationInView(std::optional<pf::OptionalColor> color, pf::Point p)
{
    if (elements_.empty())
        return;
    const double ratio = xRatioForLocationInView(p);
    if (!color) {
        // The nearest stop's colour; the first in the array wins a tie.
        const auto nearest = std::min_element(elements_.begin(), elements_.end(), [ratio](const auto& a, const auto& b) {
            return std::abs(a.ratio() - ratio) < std::abs(b.ratio() - ratio);
        });
        color = nearest->color();
    }
    elements_.emplace_back(*color, ratio);
    selectedIndex_ = std::int64_t(elements_.size()) - 1;
    gradient_.reset();
    fireDelegateDidChange();
    editElementAtIndex(elements_.size() - 1);
    setNeedsDisplay();
}

void QVGradientControl::removeElementAtIndex(std::size_t index)
{
    if (index >= elements_.size())
        return;
    elements_.erase(elements_.begin() + std::ptrdiff_t(index));
    gradient_.reset();
    fireDelegateDidChange();
}

void QVGradientControl::editElementAtIndex(std::size_t index)
{
    if (index >= elements_.size())
        return;
    color_ = elements_[index].color();
    if (action_)
        action_(*this);
}

void QVGradientControl::removeSelectedElement()
{
    if (selectedIndex_ < 0 || elements_.size() <= 2)
        return;
    removeElementAtIndex(std::size_t(selectedIndex_));
    selectNone();
    setNeedsDisplay();
}

void QVGradientControl::editSelectedElement()
{
    if (selectedIndex_ >= 0)
        editElementAtIndex(std::size_t(selectedIndex_));
}

void QVGradientControl::fireDelegateDidChange()
{
    if (delegate_)
        delegate_->gradientControlElementsDidChange(*this);
}

// ---- the gesture ----

void QVGradientControl::beginGroup()
{
    endGroup();
    if (pf::UndoManager* undo = undoManagerProvider_ ? undoManagerProvider_() : nullptr)
        undoGroup_ = {{undo, undo->beginUndoGrouping()}};
}

void QVGradientControl::endGroup()
{
    if (auto group = std::exchange(undoGroup_, std::nullopt))
        group->first->endUndoGrouping(group->second);
}

void QVGradientControl::cancelGesture()
{
    endGroup();
}

void QVGradientControl::mouseDown(const pf::Event& e)
{
    press(e, false);
}

void QVGradientControl::rightMouseDown(const pf::Event& e)
{
    press(e, true);
}

void QVGradientControl::press(const pf::Event& e, bool rightButton)
{
    if (!isEnabled() || e.clickCount > 1)
        return;
    dragRemoving_ = false;
    const pf::Point p = e.location;
    selectNone();
    const pf::Rect b = bounds();
    const pf::Rect c = canvasRectForBounds(b);
    // From the last stop down: the handle drawn on top wins.
    for (std::size_t i = elements_.size(); i-- > 0;) {
        const pf::Rect handle = handleRectForBounds(b, c, i);
        if (handle.contains(p)) {
            selectedIndex_ = std::int64_t(i);
            dragOffset_ = p - pf::Point(handle.midX(), handle.midY());
            break;
        }
    }
    if (rightButton || (e.modifierFlags & pf::ControlKeyMask)) {
        // No release of this press reaches the control: the menu's commands are steps of their own.
        showMenu(e);
        return;
    }
    beginGroup();
    if (selectedIndex_ < 0)
        addElementWithColorAtLocationInView(std::nullopt, p);
    setNeedsDisplay();
}

void QVGradientControl::mouseDragged(const pf::Event& e)
{
    if (!isEnabled() || selectedIndex_ < 0 || std::size_t(selectedIndex_) >= elements_.size() || dragRemoving_)
        return;
    const pf::Point p = e.location;
    if (elements_.size() < 3 || limitRectForBounds(bounds()).contains(p)) {
        double ratio = xRatioForLocationInView(pf::Point(p.x - dragOffset_.x, p.y));
        if (e.modifierFlags & pf::ShiftKeyMask)
            ratio = std::round(ratio * 20) / 20;
        elements_[std::size_t(selectedIndex_)].setRatio(ratio);
        gradient_.reset();
        fireDelegateDidChange();
    } else {
        // Dragged off: the stop goes, the gesture's step ends here, and the stop rides the pointer away.
        dragRemoving_ = true;
        endGroup();
        const std::size_t index = std::size_t(selectedIndex_);
        pf::DraggingItem item{pf::PasteboardContent(QStringList{QString::fromLatin1(ElementPasteboardType)}), {}, {}};
        item.content.setPropertyList(QString::fromLatin1(ElementPasteboardType), elements_[index].asPlist());
        item.image = draggingImageForColorAtIndex(std::int64_t(index));
        const double w = handleWidth, h = handleHeight;
        item.draggingFrame = pf::Rect(p.x - dragOffset_.x - w / 2, p.y - dragOffset_.y - h / 2, w, h);
        removeElementAtIndex(index);
        selectNone();
        setNeedsDisplay();
        pf::beginDraggingSession(*this, {std::move(item)}, e, *this);
        return;
    }
    setNeedsDisplay();
}

void QVGradientControl::mouseUp(const pf::Event& e)
{
    if (!isEnabled() || e.clickCount > 1 || dragRemoving_) {
        // A gesture whose press opened a group still closes it.
        endGroup();
        return;
    }
    if (selectedIndex_ >= 0)
        editSelectedElement();
    else
        selectNone();
    setNeedsDisplay();
    endGroup();
}

bool QVGradientControl::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::Hide:
        cancelGesture();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            cancelGesture();
        break;
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
        // The colour panel that a press opens may take the focus while the button is still held; the
        // release then still comes here. Only a loss with the button up ends the gesture.
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            cancelGesture();
        break;
    default:
        break;
    }
    return pf::View::event(e);
}

void QVGradientControl::showMenu(const pf::Event& e)
{
    auto menu = std::make_shared<pf::Menu>();
    if (selectedIndex_ < 0) {
        pf::MenuItem& add = menu->addItem(pf::localized(QStringLiteral("Add Color")), QStringLiteral("addElement:"), this);
        add.setRepresentedObject(pf::Variant(pf::toString(e.location)));
    } else {
        pf::MenuItem& remove = menu->addItem(pf::localized(QStringLiteral("Remove Color")),
                                             elements_.size() > 2 ? QStringLiteral("removeElement:") : QString(), this);
        remove.setEnabled(elements_.size() > 2);
        menu->addItem(pf::localized(QStringLiteral("Edit Color")), QStringLiteral("editElement:"), this);
    }
    pf::MenuPresenter::popUpContextMenu(std::move(menu), e, this);
}

// ---- dragging a stop off ----

pf::DragOperation QVGradientControl::sourceOperationMaskForDraggingContext(pf::DraggingContext)
{
    return pf::DragOp::Delete;
}

void QVGradientControl::draggingSessionEndedAtPoint(pf::Point point, pf::DragOperation)
{
    pf::runPoofAtPoint(QPoint(int(std::lround(point.x)), int(std::lround(point.y))));
}

QImage QVGradientControl::draggingImageForColorAtIndex(std::int64_t index) const
{
    if (index < 0 || index >= std::int64_t(elements_.size()))
        return {};
    QImage image(int(handleWidth) + 1, int(handleHeight) + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    pf::PainterContext context(painter, image.rect(), pf::AffineTransform::translation(0, 0), 1.0, true);
    const pf::Path handle = handlePathForHandleRect(pf::Rect(0.5, 0.5, handleWidth, handleHeight));
    context.setFillColor(elements_[std::size_t(index)].color().value_or(pf::Color::clear()));
    context.fillPath(handle);
    context.setStrokeColor(activeBorderColor());
    context.setLineWidth(1);
    context.strokePath(handle);
    return image;
}

// ---- drawing ----

void QVGradientControl::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Rect b = bounds();
    const pf::Rect c = canvasRectForBounds(b);

    // The checkerboard: 7-point squares at gray 0.9, every other one, from the control's origin.
    context.saveGState();
    context.clipToRect(c);
    context.setFillColor(pf::Color(0.9, 0.9, 0.9, 1));
    for (double y = 0; y < c.maxY(); y += checkerSquare)
        for (double x = 0; x < c.maxX(); x += checkerSquare)
            if ((int(std::lround(x / checkerSquare)) + int(std::lround(y / checkerSquare))) % 2 == 0)
                context.fillRect(pf::Rect(x, y, checkerSquare, checkerSquare));
    if (!elements_.empty())
        context.drawLinearGradient(gradient(), pf::Point(c.minX(), c.midY()), pf::Point(c.maxX(), c.midY()), 3);
    context.restoreGState();

    const pf::Window* window = enclosingWindow();
    const pf::Color border = window && window->isMainWindow() ? activeBorderColor() : inactiveBorderColor();
    context.setStrokeColor(border);
    context.setLineWidth(1);
    context.strokeRect(c);

    const pf::Color underlay = pf::Color(palette().color(QPalette::Window).redF(), palette().color(QPalette::Window).greenF(),
                                         palette().color(QPalette::Window).blueF(), 1);
    const pf::Color highlight(1, 1, 1, 0.8);
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const pf::Rect r = handleRectForBounds(b, c, i);
        const pf::Path handle = handlePathForHandleRect(r);
        context.setFillColor(underlay);
        context.fillPath(handle);
        context.setFillColor(elements_[i].color().value_or(pf::Color::clear()));
        context.fillPath(handle);
        context.setStrokeColor(border);
        context.strokePath(handle);
        const double shoulder = std::floor(r.minY() + 3) + 0.5;
        pf::Path shine;
        shine.moveTo(pf::Point(r.maxX() - 1, shoulder));
        shine.lineTo(pf::Point(std::floor(r.midX()) + 0.5, r.minY() + 1));
        shine.lineTo(pf::Point(r.minX() + 1, shoulder));
        shine.lineTo(pf::Point(r.minX() + 1, r.maxY() - 1));
        context.setStrokeColor(highlight);
        context.strokePath(shine);
    }
}
