// The phone-control panels: the control's device, orientation, theme, tint and highlight, the keys its
// kind answers, and for kinds with items (segments, tabs, toolbar buttons, table rows, sheet and alert
// buttons) an item table to add, remove, rename and drag them.
//
// UIControlFacet holds the code; each of the thirteen panel classes differs by its interface file, the
// button panels fill their icon pop-up, and the keyboard panel refits the keyboard after a device change.
//
// Items change only through the control's own operations (insert at, remove at, one item's property),
// each one undo step of that control, so undo acts on the control that was edited. The table edits one
// control: with several selected it is empty and disabled, and so are its buttons.
#pragma once

#include "palettes/Facet.h"
#include "palettes/FacetItemTable.h"

#include <memory>

class QComboBox;
class UIControl;

class UIControlFacet : public Facet, public ItemTableOwner {
public:
    // The row drag's pasteboard type.
    static constexpr char RowPasteboardType[] = "com.thistlewick.quorvel.controlItem.index";

    using Facet::Facet;
    ~UIControlFacet() override;

    void startObservingObject(Manipulator* selection) override;
    void stopObservingObject(Manipulator* selection) override;
    void observeValueForSelectedObjectKeyPath(const QString& keyPath) override;

    // The control whose items the table shows; null unless exactly one control is selected.
    std::shared_ptr<UIControl> editedControl() const;
    ColorButton* tintColorButton() const;
    // Null for the kinds without items.
    ItemTable* tableView() const;

    // The add and remove buttons: beep at the class's bounds; remove takes the selected row, else the last.
    void insertControlItem();
    void removeControlItem();
    // The edited control's items changed (by the panel, undo, or anyone): the table shows them again.
    void controlItemChanged();

    // ---- ItemTableOwner ----
    bool hasItemList() const override { return editedControl() != nullptr; }
    std::size_t itemCount() const override;
    std::shared_ptr<pf::Object> itemAtIndex(std::size_t index) const override;
    std::shared_ptr<pf::Object> newItem() const override;
    std::shared_ptr<pf::Object> copyOfItem(const pf::Object& item) const override;
    std::int64_t maximumItemCount() const override;
    std::int64_t minimumItemCount() const override;
    bool insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index) override;
    bool removeItemAtIndex(std::size_t index) override;
    bool setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key) override;
    pf::UndoManager* itemUndoManager() const override;

    // Registers the thirteen panel classes and the builders of their interface files.
    static void registerFacets();

private:
    EditedListObject edited_;
};

// Buttons and icons: the icon pop-up holds every icon type, tagged by its number.
class UIButtonFacet : public UIControlFacet {
public:
    using UIControlFacet::UIControlFacet;
    void loadContentView() override;
    QComboBox* iconTypePopUpButton() const;
};

// Keyboards: a new device or orientation refits the keyboards and the selection.
class UIKeyboardFacet : public UIControlFacet {
public:
    using UIControlFacet::UIControlFacet;
    // Sends deviceDidChange to every selected keyboard, then fits the selection to them.
    void deviceChanged();
};
