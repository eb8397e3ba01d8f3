// A menu as plain data: what a pop-up button or menu presents, without widget code, so the model side
// can fill menus and the editor can show them.
#pragma once

#include <QString>

#include <vector>

struct MenuItemModel {
    QString title;
    // What the chooser reads back from the chosen item.
    long long tag = 0;
    QString keyEquivalent;
    friend bool operator==(const MenuItemModel&, const MenuItemModel&) = default;
};

class MenuModel {
public:
    const std::vector<MenuItemModel>& items() const { return items_; }
    void addItem(MenuItemModel item) { items_.push_back(std::move(item)); }
    void removeAllItems() { items_.clear(); }

private:
    std::vector<MenuItemModel> items_;
};
