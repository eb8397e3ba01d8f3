#include "shell/AnchorButton.h"

#include "shell/AnchorButtonCell.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Menu.h"

AnchorButton::AnchorButton(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent) {}

void AnchorButton::setTag(std::int64_t tag)
{
    if (tag == tag_)
        return;
    tag_ = tag;
    setNeedsDisplay();
}

void AnchorButton::setAnchorCorner(std::int64_t corner)
{
    if (corner == anchorCorner_)
        return;
    setNeedsDisplay();
    anchorCorner_ = corner;
}

void AnchorButton::setAction(const QString& action, pf::Responder* target)
{
    action_ = action;
    hasTarget_ = target != nullptr;
    target_ = target ? target->weakReference() : std::weak_ptr<pf::Responder*>();
}

void AnchorButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    // A square bezel, darker while pressed.
    const pf::Rect face = QVRectFloorPlusHalf(bounds().insetBy(1, 1));
    context.setFillColor(press_.isHighlighted() ? QVHexColor(0xd8d8d8) : QVHexColor(0xf6f6f6));
    context.fillRect(face);
    context.setStrokeColor(QVHexColor(isEnabled() ? 0xa0a0a0 : 0xc8c8c8));
    context.setLineWidth(1);
    context.strokeRect(face);
    AnchorButtonCell::drawInterior(context, bounds(), anchorCorner_, tag_, isEnabled());
}

void AnchorButton::mouseDown(const pf::Event&)
{
    if (isEnabled())
        press_.press(*this);
}

void AnchorButton::mouseDragged(const pf::Event& e)
{
    press_.drag(*this, e.location);
}

void AnchorButton::mouseUp(const pf::Event& e)
{
    if (!press_.release(*this, e.location) || action_.isEmpty())
        return;
    // The sender carries the button's place in the grid.
    pf::MenuItem sender(QString(), action_);
    sender.setTag(tag_);
    if (!hasTarget_) {
        pf::sendAction(action_, &sender);
        return;
    }
    if (const auto handle = target_.lock(); handle && *handle)
        (*handle)->tryToPerform(action_, &sender);
}
