#include "platform/kit/PopUpButton.h"

namespace pf {

PopUpButton::PopUpButton(const Rect& frame, QWidget* parent) : View(frame, parent) {}

void PopUpButton::setMenu(std::shared_ptr<Menu> menu)
{
    menu_ = std::move(menu);
    selected_ = -1;
    selectItemAtIndex(0);
}

const MenuItem* PopUpButton::selectedItem() const
{
    return selected_ >= 0 && selected_ < numberOfItems() ? &menu_->itemAt(selected_) : nullptr;
}

void PopUpButton::selectItemAtIndex(int index)
{
    const bool usable = index >= 0 && index < numberOfItems() && !menu_->itemAt(index).isSeparator();
    selected_ = usable ? index : -1;
}

bool PopUpButton::selectItemWithTag(std::int64_t tag)
{
    for (int i = 0; i < numberOfItems(); ++i)
        if (!menu_->itemAt(i).isSeparator() && menu_->itemAt(i).tag() == tag) {
            selected_ = i;
            return true;
        }
    selected_ = -1;
    return false;
}

std::int64_t PopUpButton::selectedTag() const
{
    const MenuItem* item = selectedItem();
    return item ? item->tag() : -1;
}

void PopUpButton::synchronizeTitleAndSelectedItem()
{
    const MenuItem* item = selectedItem();
    title_ = item ? item->title() : QString();
}

void PopUpButton::setAction(const QString& action, Responder* target)
{
    action_ = action;
    hasTarget_ = target != nullptr;
    target_ = target ? target->weakReference() : std::weak_ptr<Responder*>();
}

void PopUpButton::chooseItemAtIndex(int index)
{
    selectItemAtIndex(index);
    const MenuItem* item = selectedItem();
    if (!item)
        return;
    // A copy: the handler or the action may change the menu.
    const MenuItem chosen = *item;
    if (selectionHandler_)
        selectionHandler_(chosen);
    if (action_.isEmpty())
        return;
    if (hasTarget_) {
        const auto handle = target_.lock();
        if (handle && *handle)
            (*handle)->tryToPerform(action_, &chosen);
        return;
    }
    sendAction(action_, &chosen);
}

} // namespace pf
