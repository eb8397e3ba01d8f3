// The item tables of the inspector's panels (a shape's content filters, a control's items): a table over a
// small list model, an array controller that adds and removes only through its owner's operations, the
// add and remove buttons, and row drags between the table's rows.
//
// The table never holds the list. Its owner (the facet) answers the rows of the object it edits and
// carries every change out as an undoable operation of that object, so undo acts on the object that was
// edited whatever the inspector shows by then. The owner reloads the table when the object's list changes.
//
// Row drags carry the dragged row's index as a property list (an array of one number) under the owner's
// pasteboard type. A drop is taken only from a drag of this very table whose indexes are all in range;
// Alt copies the rows, else they move. Inserting respects the owner's maximum, with a beep.
#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Variant.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/View.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Manipulator;
class QAbstractButton;
class QTableView;
class Shape;
namespace pf {
class UndoManager;
}

class ItemTable;
class ItemTableModel;

// What the table edits, answered by its facet. The table's view may outlive its owner (a row of the
// inspector keeps it): the owner's end detaches its tables, which then show nothing.
class ItemTableOwner {
public:
    ItemTableOwner() = default;
    ItemTableOwner(const ItemTableOwner&) = delete;
    ItemTableOwner& operator=(const ItemTableOwner&) = delete;
    virtual ~ItemTableOwner();
    // There is a list to show (one shape or one control); without one the table is empty and disabled.
    virtual bool hasItemList() const = 0;
    virtual std::size_t itemCount() const = 0;
    virtual std::shared_ptr<pf::Object> itemAtIndex(std::size_t index) const = 0;
    // A new item for the add button, and a copy of one for an Alt-drag.
    virtual std::shared_ptr<pf::Object> newItem() const = 0;
    virtual std::shared_ptr<pf::Object> copyOfItem(const pf::Object& item) const = 0;
    // The list takes an insert while its count is below this (and at or above the minimum).
    virtual std::int64_t maximumItemCount() const = 0;
    virtual std::int64_t minimumItemCount() const { return 0; }
    // The owner's operations; each is one undoable change of the edited object.
    virtual bool insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index) = 0;
    virtual bool removeItemAtIndex(std::size_t index) = 0;
    virtual bool setItemValueForKey(std::size_t index, const pf::Variant& value, const QString& key) = 0;
    // The undo manager of the edited object's page, for the gesture of a slider drag; null without one.
    virtual pf::UndoManager* itemUndoManager() const = 0;
    // A slider column's range for a row, and whether the row's slider is enabled.
    virtual std::pair<double, double> sliderRangeForItem(std::size_t index) const
    {
        (void)index;
        return {0, 1};
    }
    virtual bool sliderEnabledForItem(std::size_t index) const
    {
        (void)index;
        return true;
    }

private:
    friend class ItemTable;
    std::vector<ItemTable*> tables_;
};

// The one object whose list a table edits: the selection's single shape, observed under the list's key.
// Several selected shapes have no one list, so there is none then.
class EditedListObject {
public:
    // Takes the selection's shape (none for no selection or several) and calls `changed` after every
    // change of its list; answers whether it is the shape taken last time (a refresh), so that the table
    // keeps its selected row.
    bool take(const Manipulator* selection, const QString& listKey, std::function<void()> changed);
    void drop();
    std::shared_ptr<Shape> shape() const { return shape_.lock(); }
    bool isEmpty() const { return shape_.expired(); }

private:
    std::weak_ptr<Shape> shape_;
    std::weak_ptr<Shape> previous_;
    pf::ObservationToken token_;
};

// One column: a check box, an editable title, a pop-up of (title, tag) choices, or a slider.
struct ItemTableColumn {
    enum class Kind { Check, Text, Choice, Slider };
    QString key;
    QString title;
    Kind kind = Kind::Text;
    double width = 60;
    std::vector<std::pair<QString, std::int64_t>> choices;
};

// The array controller: the content is the owner's list; the selected row is the controller's. Adding and
// removing go through the owner's operations.
class ItemArrayController {
public:
    explicit ItemArrayController(ItemTableOwner& owner) : owner_(&owner) {}

    std::size_t count() const { return owner_ && owner_->hasItemList() ? owner_->itemCount() : 0; }
    // The selected row; none when it lies past the end.
    std::optional<std::size_t> selectionIndex() const;
    void setSelectionIndex(std::optional<std::size_t> index) { selection_ = index; }
    // An insert is allowed: a list, and a count below the maximum and not below the minimum.
    bool canInsert() const;
    bool canRemove() const { return count() > 0; }
    // Inserts at the index when allowed, else beeps; selects the new row.
    bool insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index);
    // A new item at the end.
    bool add();
    // The selected row, else the last; nothing from an empty list.
    bool remove();
    // The owner has gone: nothing to add or remove.
    void detach() { owner_ = nullptr; }

private:
    ItemTableOwner* owner_;
    std::optional<std::size_t> selection_;
};

// The table, its buttons and its drag and drop, as one view of the panel.
class ItemTable final : public pf::View, public pf::DraggingSource {
public:
    // Where a drop goes: before a row (between rows), or onto it.
    enum class DropOperation { Above, On };

    // The buttons' enabled states follow the transformers named (a count of rows in, a flag out); empty
    // names use the controller's own rules.
    ItemTable(ItemTableOwner& owner, const pf::Rect& frame, std::vector<ItemTableColumn> columns,
              QString pasteboardType, QWidget* parent = nullptr);
    ~ItemTable() override;

    ItemArrayController& controller() { return controller_; }
    QTableView* tableView() const { return table_; }
    QAbstractButton* addButton() const { return add_; }
    QAbstractButton* removeButton() const { return remove_; }
    ItemTableModel* model() const { return model_; }
    const QString& pasteboardType() const { return pasteboardType_; }
    void setAddEnabledTransformer(const QString& name) { addTransformer_ = name; }
    void setRemoveEnabledTransformer(const QString& name) { removeTransformer_ = name; }
    // The buttons are plain; a panel may give them drawn faces (same size, same action).
    using ButtonFactory = std::function<QAbstractButton*(bool add, QWidget* parent)>;
    static void setButtonFactory(ButtonFactory factory);

    // A new selection handed to the owner: the selected row is dropped unless the list is the one shown.
    void showList(bool sameList);
    // Shows the owner's list again, keeping the selected row where it still exists; the table, its
    // buttons and its slider widgets are enabled by the list's presence and count.
    void reload();
    // The add and remove buttons' actions.
    void addItem();
    void removeItem();
    // The selected row, in view.
    void scrollToSelection();

    // ---- drag and drop ----
    // The pasteboard writing of a drag of these rows: the type and the first index.
    pf::PasteboardContent contentForRows(const std::vector<std::size_t>& rows) const;
    // Answers copy (Alt), move, or none: a drop onto a row, a row past the end, a drag from elsewhere, or
    // indexes out of range are refused.
    pf::DragOperation validateDrop(const pf::DraggingInfo& info, std::size_t row, DropOperation operation) const;
    // The drop algorithm: from the last index to the first, Alt inserts a copy at the row, else the item
    // is removed and inserted at the row (lowered by one when it came from above). Refused drops do
    // nothing and answer false.
    bool acceptDrop(const pf::DraggingInfo& info, std::size_t row);
    // The row a drop at a point of this view goes before: the nearest gap between rows.
    std::size_t dropRowAtPoint(const pf::Point& point) const;
    // The gap that a drag over the table would drop into, drawn as a line; none outside a drag.
    std::optional<std::size_t> dropIndicatorRow() const { return dropIndicator_; }

    // Drag source: copy and move within the program, nothing outside.
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override;
    // Starts the drag of the table's selected row, as the table does when the pointer leaves a press on it.
    void beginRowDrag();

    // Drop target.
    pf::DragOperation draggingEntered(const pf::DraggingInfo& info) override;
    pf::DragOperation draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

private:
    // The indexes a drag carries, when it is a drag from this table and all are rows of the list.
    std::optional<std::vector<std::size_t>> draggedIndexes(const pf::DraggingInfo& info) const;
    void updateButtons();
    void makeSliders();
    void showDropIndicator(std::optional<std::size_t> row);
    bool transformed(const QString& name, bool fallback) const;
    bool hasList() const { return owner_ && owner_->hasItemList(); }

    friend class ItemTableOwner;
    // Null once the owner has gone.
    ItemTableOwner* owner_;
    ItemArrayController controller_;
    std::vector<ItemTableColumn> columns_;
    QString pasteboardType_;
    QString addTransformer_;
    QString removeTransformer_;
    QTableView* table_ = nullptr;
    ItemTableModel* model_ = nullptr;
    QAbstractButton* add_ = nullptr;
    QAbstractButton* remove_ = nullptr;
    QWidget* indicatorLine_ = nullptr;
    std::optional<std::size_t> dropIndicator_;
    bool reloading_ = false;
};
