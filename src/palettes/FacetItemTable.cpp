#include "palettes/FacetItemTable.h"

#include "manipulators/Manipulator.h"
#include "model/Shape.h"
#include "palettes/FacetControls.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Binding.h"
#include "platform/kit/Services.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QPointer>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <cmath>

// ---- the list model ----

// The owner's rows as the table shows them; edits go back through the owner's operations.
class ItemTableModel final : public QAbstractTableModel {
public:
    ItemTableModel(ItemTableOwner& owner, const std::vector<ItemTableColumn>& columns, QObject* parent)
        : QAbstractTableModel(parent), owner_(&owner), columns_(columns)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(shownRows_); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(columns_.size()); }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
            return columns_[std::size_t(section)].title;
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
        switch (column(index).kind) {
        case ItemTableColumn::Kind::Check:
            return f | Qt::ItemIsUserCheckable;
        case ItemTableColumn::Kind::Text:
        case ItemTableColumn::Kind::Choice:
            return f | Qt::ItemIsEditable;
        case ItemTableColumn::Kind::Slider:
            return f;
        }
        return f;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || std::size_t(index.row()) >= liveCount())
            return {};
        const ItemTableColumn& c = column(index);
        const pf::Variant value = valueAt(index);
        switch (c.kind) {
        case ItemTableColumn::Kind::Check:
            if (role == Qt::CheckStateRole)
                return value.toBool() ? Qt::Checked : Qt::Unchecked;
            return {};
        case ItemTableColumn::Kind::Text:
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return value.toString();
            return {};
        case ItemTableColumn::Kind::Choice:
            if (role == Qt::EditRole)
                return qlonglong(value.toInt());
            if (role == Qt::DisplayRole) {
                for (const auto& [title, tag] : c.choices)
                    if (tag == value.toInt())
                        return title;
                return c.choices.empty() ? QString() : c.choices.front().first;
            }
            return {};
        case ItemTableColumn::Kind::Slider:
            return {};
        }
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || std::size_t(index.row()) >= liveCount())
            return false;
        const ItemTableColumn& c = column(index);
        pf::Variant written;
        if (c.kind == ItemTableColumn::Kind::Check && role == Qt::CheckStateRole)
            written = pf::Variant(value.toInt() == Qt::Checked);
        else if (c.kind == ItemTableColumn::Kind::Text && role == Qt::EditRole)
            written = pf::Variant(value.toString());
        else if (c.kind == ItemTableColumn::Kind::Choice && role == Qt::EditRole)
            written = pf::Variant(std::int64_t(value.toLongLong()));
        else if (c.kind == ItemTableColumn::Kind::Slider && role == Qt::EditRole)
            written = pf::Variant(value.toDouble());
        else
            return false;
        return owner_ && owner_->setItemValueForKey(std::size_t(index.row()), written, c.key);
    }

    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

    // Shows the owner's rows again: a new count resets the table (and drops its row widgets), the same
    // count only repaints, so that a slider being dragged stays.
    bool refresh()
    {
        const std::size_t count = liveCount();
        if (count != shownRows_) {
            beginResetModel();
            shownRows_ = count;
            endResetModel();
            return true;
        }
        if (count > 0)
            emit dataChanged(this->index(0, 0), this->index(int(count) - 1, columnCount() - 1));
        return false;
    }

    const ItemTableColumn& column(const QModelIndex& index) const { return columns_[std::size_t(index.column())]; }
    void detach() { owner_ = nullptr; }

private:
    std::size_t liveCount() const { return owner_ && owner_->hasItemList() ? owner_->itemCount() : 0; }
    pf::Variant valueAt(const QModelIndex& index) const
    {
        const auto item = owner_->itemAtIndex(std::size_t(index.row()));
        return item ? item->valueForKey(column(index).key) : pf::Variant();
    }

    ItemTableOwner* owner_;
    const std::vector<ItemTableColumn>& columns_;
    std::size_t shownRows_ = 0;
};

namespace {

constexpr double buttonSize = 20;
constexpr int sliderSteps = 1000;

// The pop-up of a choice column, opened on an edit of its cell.
class ChoiceDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const auto* model = static_cast<const ItemTableModel*>(index.model());
        const ItemTableColumn& c = model->column(index);
        if (c.kind != ItemTableColumn::Kind::Choice)
            return QStyledItemDelegate::createEditor(parent, {}, index);
        auto* box = new QComboBox(parent);
        for (const auto& [title, tag] : c.choices)
            box->addItem(title, qlonglong(tag));
        facetcontrols::takeWheelOnlyWithFocus(box);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(std::max(box->findData(index.data(Qt::EditRole)), 0));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentData(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

// The table view: a drag of a row starts the table's own dragging session.
class RowTableView final : public QTableView {
public:
    RowTableView(ItemTable& table, QWidget* parent) : QTableView(parent), table_(table) {}

protected:
    void startDrag(Qt::DropActions) override { table_.beginRowDrag(); }

private:
    ItemTable& table_;
};

ItemTable::ButtonFactory& buttonFactory()
{
    static ItemTable::ButtonFactory factory;
    return factory;
}

QAbstractButton* makeButton(bool add, QWidget* parent)
{
    if (const ItemTable::ButtonFactory& factory = buttonFactory())
        if (QAbstractButton* made = factory(add, parent))
            return made;
    auto* button = new QToolButton(parent);
    button->setText(add ? QStringLiteral("+") : QString(QChar(0x2212)));
    button->setToolTip(add ? QStringLiteral("Add") : QStringLiteral("Remove"));
    return button;
}

QRect qRect(const pf::Rect& r)
{
    return QRect(int(std::lround(r.x())), int(std::lround(r.y())), int(std::lround(r.width())),
                 int(std::lround(r.height())));
}

} // namespace

// ---- the edited object ----

bool EditedListObject::take(const Manipulator* selection, const QString& listKey, std::function<void()> changed)
{
    const std::shared_ptr<Shape> previous = previous_.lock();
    drop();
    if (selection && selection->children().size() == 1) {
        const std::shared_ptr<Shape>& shape = selection->children().front();
        shape_ = shape;
        token_ = shape->addObserver(listKey, [changed = std::move(changed)](pf::Object&, const QString&,
                                                                           pf::ChangePhase phase) {
            if (phase == pf::ChangePhase::Did)
                changed();
        });
    }
    previous_ = shape_;
    return shape_.lock() == previous;
}

void EditedListObject::drop()
{
    token_.reset();
    shape_.reset();
}

// ---- the array controller ----

std::optional<std::size_t> ItemArrayController::selectionIndex() const
{
    if (selection_ && *selection_ < count())
        return selection_;
    return std::nullopt;
}

bool ItemArrayController::canInsert() const
{
    if (!owner_ || !owner_->hasItemList())
        return false;
    const auto n = std::int64_t(count());
    return n < owner_->maximumItemCount() && n >= owner_->minimumItemCount();
}

bool ItemArrayController::insertItemAtIndex(const std::shared_ptr<pf::Object>& item, std::size_t index)
{
    if (!item || !canInsert() || index > count()) {
        pf::beep();
        return false;
    }
    if (!owner_->insertItemAtIndex(item, index))
        return false;
    selection_ = index;
    return true;
}

bool ItemArrayController::add()
{
    if (!canInsert()) {
        pf::beep();
        return false;
    }
    return insertItemAtIndex(owner_->newItem(), count());
}

bool ItemArrayController::remove()
{
    if (!canRemove())
        return false;
    const std::size_t index = selectionIndex().value_or(count() - 1);
    if (!owner_->removeItemAtIndex(index))
        return false;
    // The row that took its place stays selected; none after the last row went.
    selection_ = index < count() ? std::optional<std::size_t>(index) : std::nullopt;
    return true;
}

// ---- the table ----

ItemTable::ItemTable(ItemTableOwner& owner, const pf::Rect& frame, std::vector<ItemTableColumn> columns,
                     QString pasteboardType, QWidget* parent)
    : pf::View(frame, parent), owner_(&owner), controller_(owner), columns_(std::move(columns)),
      pasteboardType_(std::move(pasteboardType))
{
    const double tableHeight = frame.height() - buttonSize - 4;
    table_ = new RowTableView(*this, this);
    table_->setGeometry(qRect(pf::Rect(0, 0, frame.width(), tableHeight)));
    model_ = new ItemTableModel(owner, columns_, this);
    table_->setModel(model_);
    table_->setItemDelegate(new ChoiceDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    table_->setDragEnabled(true);
    table_->setDragDropMode(QAbstractItemView::DragOnly);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->horizontalHeader()->setDefaultSectionSize(60);
    table_->horizontalHeader()->setStretchLastSection(true);
    facetcontrols::useSmallFont(*table_);
    for (std::size_t i = 0; i < columns_.size(); ++i)
        table_->setColumnWidth(int(i), int(columns_[i].width));
    QObject::connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                     [this](const QModelIndex& current) {
                         if (!reloading_)
                             controller_.setSelectionIndex(current.isValid() ? std::optional<std::size_t>(current.row())
                                                                             : std::nullopt);
                     });

    add_ = makeButton(true, this);
    remove_ = makeButton(false, this);
    add_->setGeometry(qRect(pf::Rect(0, tableHeight + 4, buttonSize + 4, buttonSize)));
    remove_->setGeometry(qRect(pf::Rect(buttonSize + 6, tableHeight + 4, buttonSize + 4, buttonSize)));
    QObject::connect(add_, &QAbstractButton::clicked, this, [this] { addItem(); });
    QObject::connect(remove_, &QAbstractButton::clicked, this, [this] { removeItem(); });

    indicatorLine_ = new QWidget(this);
    indicatorLine_->setAttribute(Qt::WA_TransparentForMouseEvents);
    indicatorLine_->setAutoFillBackground(true);
    QPalette palette = indicatorLine_->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
    indicatorLine_->setPalette(palette);
    indicatorLine_->hide();

    registerForDraggedTypes({pasteboardType_});
    owner.tables_.push_back(this);
    reload();
}

ItemTable::~ItemTable()
{
    if (owner_)
        std::erase(owner_->tables_, this);
}

ItemTableOwner::~ItemTableOwner()
{
    for (ItemTable* table : tables_) {
        table->owner_ = nullptr;
        table->controller_.detach();
        table->model_->detach();
        table->reload();
    }
}

void ItemTable::setButtonFactory(ButtonFactory factory) { buttonFactory() = std::move(factory); }

void ItemTable::showList(bool sameList)
{
    if (!sameList)
        controller_.setSelectionIndex(std::nullopt);
    reload();
}

void ItemTable::reload()
{
    reloading_ = true;
    const std::optional<std::size_t> selection = controller_.selectionIndex();
    const bool reset = model_->refresh();
    if (reset)
        makeSliders();
    else
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            if (columns_[c].kind != ItemTableColumn::Kind::Slider)
                continue;
            for (int row = 0; row < model_->rowCount(); ++row)
                if (auto* slider = qobject_cast<QSlider*>(table_->indexWidget(model_->index(row, int(c))))) {
                    const auto [low, high] = owner_->sliderRangeForItem(std::size_t(row));
                    const double value = owner_->itemAtIndex(std::size_t(row))->valueForKey(columns_[c].key).toDouble();
                    const QSignalBlocker quiet(slider);
                    if (!slider->isSliderDown())
                        slider->setValue(high > low ? int(std::lround((value - low) / (high - low) * sliderSteps)) : 0);
                    slider->setEnabled(owner_->sliderEnabledForItem(std::size_t(row)));
                }
        }
    if (selection && *selection < controller_.count())
        table_->selectionModel()->setCurrentIndex(model_->index(int(*selection), 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        table_->clearSelection();
    controller_.setSelectionIndex(selection);
    table_->setEnabled(hasList());
    updateButtons();
    reloading_ = false;
}

void ItemTable::makeSliders()
{
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].kind != ItemTableColumn::Kind::Slider)
            continue;
        const QString key = columns_[c].key;
        for (int row = 0; row < model_->rowCount(); ++row) {
            auto* slider = new QSlider(Qt::Horizontal);
            slider->setRange(0, sliderSteps);
            const auto [low, high] = owner_->sliderRangeForItem(std::size_t(row));
            const double value = owner_->itemAtIndex(std::size_t(row))->valueForKey(key).toDouble();
            slider->setValue(high > low ? int(std::lround((value - low) / (high - low) * sliderSteps)) : 0);
            slider->setEnabled(owner_->sliderEnabledForItem(std::size_t(row)));
            // A drag of the slider is one undo step of the edited object.
            auto group = std::make_shared<std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>>>();
            QObject::connect(slider, &QSlider::sliderPressed, slider, [this, group] {
                if (*group)
                    return;
                if (pf::UndoManager* undo = owner_ ? owner_->itemUndoManager() : nullptr)
                    *group = {{undo, undo->beginUndoGrouping()}};
            });
            const auto close = [group] {
                if (auto open = std::exchange(*group, std::nullopt))
                    open->first->endUndoGrouping(open->second);
            };
            QObject::connect(slider, &QSlider::sliderReleased, slider, close);
            // A row taken away under the pointer (undo during the drag) ends the gesture too.
            QObject::connect(slider, &QObject::destroyed, close);
            QObject::connect(slider, &QSlider::valueChanged, slider, [this, row, key](int step) {
                if (!owner_)
                    return;
                const auto [lo, hi] = owner_->sliderRangeForItem(std::size_t(row));
                owner_->setItemValueForKey(std::size_t(row), pf::Variant(lo + (hi - lo) * double(step) / sliderSteps), key);
            });
            facetcontrols::takeWheelOnlyWithFocus(slider);
            table_->setIndexWidget(model_->index(row, int(c)), slider);
        }
    }
}

bool ItemTable::transformed(const QString& name, bool fallback) const
{
    if (name.isEmpty())
        return fallback;
    const auto transformer = pf::valueTransformerForName(name);
    if (!transformer)
        return fallback;
    return transformer->transformedValue(pf::Variant(pf::VariantArray(controller_.count()))).toBool();
}

void ItemTable::updateButtons()
{
    const bool list = hasList();
    add_->setEnabled(list && transformed(addTransformer_, controller_.canInsert()));
    remove_->setEnabled(list && transformed(removeTransformer_, controller_.canRemove()));
}

void ItemTable::addItem()
{
    if (controller_.add()) {
        reload();
        scrollToSelection();
    }
}

void ItemTable::removeItem()
{
    if (controller_.remove())
        reload();
}

void ItemTable::scrollToSelection()
{
    if (const auto row = controller_.selectionIndex())
        table_->scrollTo(model_->index(int(*row), 0));
}

// ---- drag and drop ----

pf::PasteboardContent ItemTable::contentForRows(const std::vector<std::size_t>& rows) const
{
    pf::PasteboardContent content(QStringList{pasteboardType_});
    if (!rows.empty())
        content.setPropertyList(pasteboardType_, pf::Value(pf::Value::Array{pf::Value(std::int64_t(rows.front()))}));
    return content;
}

pf::DragOperation ItemTable::sourceOperationMaskForDraggingContext(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? pf::DragOp::Copy | pf::DragOp::Move : pf::DragOp::None;
}

void ItemTable::beginRowDrag()
{
    const auto row = controller_.selectionIndex();
    if (!row || !hasList())
        return;
    const QRect rowRect = table_->visualRect(model_->index(int(*row), 0))
                              .united(table_->visualRect(model_->index(int(*row), model_->columnCount() - 1)));
    pf::DraggingItem item;
    item.content = contentForRows({*row});
    item.image = table_->viewport()->grab(rowRect).toImage();
    item.draggingFrame = pf::Rect::fromQt(QRectF(table_->viewport()->mapTo(this, rowRect.topLeft()), rowRect.size()));
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.screenLocation = pf::Point::fromQt(QCursor::pos());
    e.location = pf::Point::fromQt(mapFromGlobal(QCursor::pos()));
    pf::beginDraggingSession(*this, {std::move(item)}, e, *this);
    showDropIndicator(std::nullopt);
}

std::optional<std::vector<std::size_t>> ItemTable::draggedIndexes(const pf::DraggingInfo& info) const
{
    // Only rows of this table: a drag from another table (of this window or another) names rows of
    // another list, and a drag from another program names none of ours.
    const pf::DraggingSession* session = pf::currentDraggingSession();
    if (!session || &session->source() != static_cast<const pf::DraggingSource*>(this) || !hasList())
        return std::nullopt;
    const std::optional<pf::Value> plist = info.pasteboard.propertyListForType(pasteboardType_);
    if (!plist || !plist->isArray() || plist->count() == 0)
        return std::nullopt;
    std::vector<std::size_t> indexes;
    const std::size_t count = controller_.count();
    for (const pf::Value& entry : plist->asArray()) {
        if (!entry.isInteger() || entry.integerValue() < 0 || std::uint64_t(entry.integerValue()) >= count)
            return std::nullopt;
        indexes.push_back(std::size_t(entry.integerValue()));
    }
    return indexes;
}

namespace {

// Alt asks for a copy: the mask the source offers with the keys held is narrowed to copying.
bool wantsCopy(const pf::DraggingInfo& info)
{
    return (info.sourceOperationMask & pf::DragOp::Copy) && !(info.sourceOperationMask & pf::DragOp::Move);
}

} // namespace

pf::DragOperation ItemTable::validateDrop(const pf::DraggingInfo& info, std::size_t row, DropOperation operation) const
{
    if (operation == DropOperation::On || row > controller_.count() || !draggedIndexes(info))
        return pf::DragOp::None;
    if (wantsCopy(info))
        return pf::DragOp::Copy;
    return (info.sourceOperationMask & pf::DragOp::Move) ? pf::DragOp::Move : pf::DragOp::None;
}

bool ItemTable::acceptDrop(const pf::DraggingInfo& info, std::size_t row)
{
    if (validateDrop(info, row, DropOperation::Above) == pf::DragOp::None)
        return false;
    const bool copy = wantsCopy(info);
    const std::vector<std::size_t> indexes = *draggedIndexes(info);
    bool done = false;
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        const std::size_t i = *it;
        const std::shared_ptr<pf::Object> item = owner_->itemAtIndex(i);
        if (!item || i >= controller_.count())
            break;
        if (copy) {
            // The same limit as the add button, with its beep.
            if (!controller_.insertItemAtIndex(owner_->copyOfItem(*item), row))
                break;
        } else {
            if (i == row || i + 1 == row) {
                controller_.setSelectionIndex(i);
                done = true;
                continue;
            }
            if (!owner_->removeItemAtIndex(i))
                break;
            if (i < row)
                --row;
            if (!owner_->insertItemAtIndex(item, row))
                break;
            controller_.setSelectionIndex(row);
        }
        done = true;
    }
    reload();
    return done;
}

std::size_t ItemTable::dropRowAtPoint(const pf::Point& point) const
{
    const QPoint inViewport = table_->viewport()->mapFrom(this, point.toQt().toPoint());
    const int count = model_->rowCount();
    const int row = table_->rowAt(inViewport.y());
    if (row < 0)
        return inViewport.y() < 0 || count == 0 ? 0 : std::size_t(count);
    const QRect rect = table_->visualRect(model_->index(row, 0));
    return std::size_t(inViewport.y() > rect.center().y() ? row + 1 : row);
}

void ItemTable::showDropIndicator(std::optional<std::size_t> row)
{
    dropIndicator_ = row;
    if (!row) {
        indicatorLine_->hide();
        return;
    }
    const int count = model_->rowCount();
    int y = 0;
    if (count > 0) {
        const QRect rect = table_->visualRect(model_->index(int(std::min<std::size_t>(*row, std::size_t(count - 1))), 0));
        y = int(*row) < count ? rect.top() : rect.bottom() + 1;
    }
    const QPoint at = table_->viewport()->mapTo(this, QPoint(0, y));
    indicatorLine_->setGeometry(at.x(), at.y() - 1, table_->viewport()->width(), 2);
    indicatorLine_->raise();
    indicatorLine_->show();
}

pf::DragOperation ItemTable::draggingEntered(const pf::DraggingInfo& info) { return draggingUpdated(info); }

pf::DragOperation ItemTable::draggingUpdated(const pf::DraggingInfo& info)
{
    const std::size_t row = dropRowAtPoint(info.draggingLocation);
    const pf::DragOperation operation = validateDrop(info, row, DropOperation::Above);
    showDropIndicator(operation == pf::DragOp::None ? std::nullopt : std::optional<std::size_t>(row));
    return operation;
}

void ItemTable::draggingExited(const pf::DraggingInfo&) { showDropIndicator(std::nullopt); }

bool ItemTable::performDragOperation(const pf::DraggingInfo& info)
{
    showDropIndicator(std::nullopt);
    return acceptDrop(info, dropRowAtPoint(info.draggingLocation));
}
