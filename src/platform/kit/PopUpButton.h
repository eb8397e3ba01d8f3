// A pop-up button as data and a hidden view: a menu, the selected item, the title shown for it, and what
// happens when the user chooses an item (the selection changes, the owner hears of it, then the button's
// action goes to its target or along the responder chain with the chosen item as sender). Views that draw
// a pop-up their own way (the status bar's) keep one of these hidden and show its menu and selection.
#pragma once

#include "platform/kit/Menu.h"
#include "platform/kit/View.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace pf {

class PopUpButton : public View {
public:
    explicit PopUpButton(const Rect& frame = {}, QWidget* parent = nullptr);

    const std::shared_ptr<Menu>& menu() const { return menu_; }
    // The first item is selected, or none in an empty menu.
    void setMenu(std::shared_ptr<Menu> menu);
    int numberOfItems() const { return menu_ ? menu_->numberOfItems() : 0; }

    // -1 when nothing is selected.
    int indexOfSelectedItem() const { return selected_; }
    const MenuItem* selectedItem() const;
    // An index out of range (or a separator) selects nothing.
    void selectItemAtIndex(int index);
    // False, selecting nothing, when no item has the tag.
    bool selectItemWithTag(std::int64_t tag);
    std::int64_t selectedTag() const;

    // The title shown: the selected item's once synchronised.
    const QString& title() const { return title_; }
    void synchronizeTitleAndSelectedItem();

    void setAction(const QString& action, Responder* target = nullptr);
    // The owner's binding of the selection: runs before the action.
    void setSelectionHandler(std::function<void(const MenuItem&)> handler) { selectionHandler_ = std::move(handler); }
    // The user chose the item at index: it becomes the selection and the action is sent.
    void chooseItemAtIndex(int index);

private:
    std::shared_ptr<Menu> menu_;
    int selected_ = -1;
    QString title_;
    QString action_;
    std::weak_ptr<Responder*> target_;
    bool hasTarget_ = false;
    std::function<void(const MenuItem&)> selectionHandler_;
};

} // namespace pf
