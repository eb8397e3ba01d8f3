#include "palettes/InspectorColorPanel.h"

namespace {

std::unique_ptr<InspectorColorPanel>& sharedPanel()
{
    static std::unique_ptr<InspectorColorPanel> panel = std::make_unique<InspectorColorPanel>();
    return panel;
}

InspectorColorPanel::Presenter& presenter()
{
    static InspectorColorPanel::Presenter p;
    return p;
}

InspectorColorPanel::Presenter& colorShower()
{
    static InspectorColorPanel::Presenter p;
    return p;
}

} // namespace

InspectorColorPanel& InspectorColorPanel::shared()
{
    return *sharedPanel();
}

std::unique_ptr<InspectorColorPanel> InspectorColorPanel::replaceShared(std::unique_ptr<InspectorColorPanel> panel)
{
    if (!panel)
        panel = std::make_unique<InspectorColorPanel>();
    std::swap(sharedPanel(), panel);
    return panel;
}

void InspectorColorPanel::setPresenter(Presenter present, Presenter showColor)
{
    presenter() = std::move(present);
    colorShower() = std::move(showColor);
}

void InspectorColorPanel::setColor(const pf::Color& color)
{
    color_ = color;
    if (colorShower())
        colorShower()(*this);
    if (target_)
        target_->changeColor(*this);
}

void InspectorColorPanel::userDidChooseColor(const pf::Color& color)
{
    color_ = color;
    if (target_)
        target_->changeColor(*this);
}

void InspectorColorPanel::resignTarget(const Target* target)
{
    if (target_ == target)
        target_ = nullptr;
}

void InspectorColorPanel::orderFront()
{
    visible_ = true;
    if (presenter())
        presenter()(*this);
}
