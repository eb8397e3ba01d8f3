#include "palettes/OutlineViewController.h"

#include "canvas/Canvas.h"
#include "geometry/QVColor.h"
#include "model/Composition.h"
#include "model/Parent.h"
#include "model/Shape.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/QVHintView.h"
#include "shell/QVView.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OutlineViewController", text);
}

const QString hiddenIdentifier = QStringLiteral("hidden");
const QString titleIdentifier = QStringLiteral("title");

// Grows every cell by the view's intercell spacing.
class SpacedItemDelegate : public QStyledItemDelegate {
public:
    explicit SpacedItemDelegate(CompositionOutlineView& view) : QStyledItemDelegate(&view), view_(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSizeF spacing = view_.intercellSpacing();
        return QStyledItemDelegate::sizeHint(option, index) +
               QSize(int(std::lround(spacing.width())), int(std::lround(spacing.height())));
    }

private:
    CompositionOutlineView& view_;
};

// The palette's top view: the tree and the hint over the whole of it.
class OutlinePaletteView : public QVViewControllerView {
public:
    using QVViewControllerView::QVViewControllerView;
    QPointer<CompositionOutlineView> tree;
    QPointer<QVHintView> hint;

    void layoutSubviews() override
    {
        const QRect all(0, 0, width(), height());
        if (tree)
            tree->setGeometry(all);
        if (hint)
            hint->setFrame(pf::Rect(0, 0, width(), height()));
    }
};

} // namespace

template <>
CompositionOutlineView::DragRunner& pf::sinkOf<CompositionOutlineView::DragRunner>()
{
    static CompositionOutlineView::DragRunner runner = [](QDrag& drag, Qt::DropActions offered) {
        return drag.exec(offered, Qt::MoveAction);
    };
    return runner;
}

// ---- the model ----

const QStringList& CompositionOutlineModel::columnIdentifiers()
{
    static const QStringList identifiers{hiddenIdentifier, titleIdentifier};
    return identifiers;
}

bool CompositionOutlineModel::takeSnapshot()
{
    Snapshot next;
    next.held.reserve(controller_.items().size());
    for (const auto& item : controller_.items()) {
        next.held.push_back(item);
        next.top.push_back(item.get());
    }
    addEntries(next, nullptr, next.top);
    if (sameTree(next, shown_)) {
        shown_.held.swap(next.held);
        for (auto& [shape, entry] : shown_.entries) {
            const Entry& now = next.entries.at(shape);
            if (now.visible == entry.visible && now.title == entry.title)
                continue;
            entry.visible = now.visible;
            entry.title = now.title;
            const QModelIndex row = indexForShape(shape);
            emit dataChanged(row, row.siblingAtColumn(columnCount() - 1));
        }
        return false;
    }
    beginResetModel();
    shown_.held.swap(next.held);
    shown_.top.swap(next.top);
    shown_.entries.swap(next.entries);
    endResetModel();
    return true;
}

void CompositionOutlineModel::readValues(Entry& entry, const Shape& shape) const
{
    entry.visible = controller_.objectValueForColumn(columnIdentifiers().at(HiddenColumn), shape).toBool();
    entry.title = controller_.objectValueForColumn(columnIdentifiers().at(TitleColumn), shape).toString();
}

void CompositionOutlineModel::addEntries(Snapshot& snapshot, Shape* parent, const std::vector<Shape*>& children) const
{
    int row = 0;
    for (Shape* child : children) {
        // A shape listed twice (or a group inside itself) would give one item two places: the first wins.
        if (snapshot.entries.count(child)) {
            ++row;
            continue;
        }
        Entry entry;
        entry.parent = parent;
        entry.row = row++;
        entry.expandable = child->isGroup();
        readValues(entry, *child);
        if (entry.expandable)
            if (const auto* group = dynamic_cast<const Parent*>(child))
                for (const auto& grandchild : group->children()) {
                    snapshot.held.push_back(grandchild);
                    entry.children.push_back(grandchild.get());
                }
        const std::vector<Shape*> grandchildren = entry.children;
        snapshot.entries.emplace(child, std::move(entry));
        if (!grandchildren.empty())
            addEntries(snapshot, child, grandchildren);
    }
}

bool CompositionOutlineModel::sameTree(const Snapshot& a, const Snapshot& b)
{
    if (a.top != b.top || a.entries.size() != b.entries.size())
        return false;
    for (const auto& [shape, entry] : a.entries) {
        const auto it = b.entries.find(shape);
        if (it == b.entries.end() || it->second.parent != entry.parent || it->second.row != entry.row ||
            it->second.expandable != entry.expandable || it->second.children != entry.children)
            return false;
    }
    return true;
}

Shape* CompositionOutlineModel::shapeForIndex(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Shape*>(index.internalPointer()) : nullptr;
}

QModelIndex CompositionOutlineModel::indexForShape(const Shape* shape, int column) const
{
    const auto it = shape ? shown_.entries.find(shape) : shown_.entries.end();
    if (it == shown_.entries.end())
        return {};
    return createIndex(it->second.row, column, const_cast<Shape*>(shape));
}

const std::vector<Shape*>& CompositionOutlineModel::childrenOf(const Shape* shape) const
{
    static const std::vector<Shape*> none;
    if (!shape)
        return shown_.top;
    const auto it = shown_.entries.find(shape);
    return it == shown_.entries.end() ? none : it->second.children;
}

Shape* CompositionOutlineModel::parentOf(const Shape* shape) const
{
    const auto it = shape ? shown_.entries.find(shape) : shown_.entries.end();
    return it == shown_.entries.end() ? nullptr : it->second.parent;
}

QModelIndex CompositionOutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columnCount() || (parent.isValid() && parent.column() != 0))
        return {};
    const std::vector<Shape*>& children = childrenOf(shapeForIndex(parent));
    if (row < 0 || std::size_t(row) >= children.size())
        return {};
    return createIndex(row, column, children[std::size_t(row)]);
}

QModelIndex CompositionOutlineModel::parent(const QModelIndex& child) const
{
    return indexForShape(parentOf(shapeForIndex(child)));
}

int CompositionOutlineModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(childrenOf(shapeForIndex(parent)).size());
}

int CompositionOutlineModel::columnCount(const QModelIndex&) const
{
    return int(columnIdentifiers().size());
}

bool CompositionOutlineModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return !shown_.top.empty();
    if (parent.column() != 0)
        return false;
    const auto it = shown_.entries.find(shapeForIndex(parent));
    return it != shown_.entries.end() && it->second.expandable;
}

QVariant CompositionOutlineModel::data(const QModelIndex& index, int role) const
{
    const Shape* shape = shapeForIndex(index);
    if (!shape)
        return {};
    const auto it = shown_.entries.find(shape);
    if (it == shown_.entries.end())
        return {};
    if (index.column() == HiddenColumn) {
        if (role == Qt::CheckStateRole)
            return it->second.visible ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return it->second.title;
    return {};
}

bool CompositionOutlineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Shape* shape = shapeForIndex(index);
    if (!shape)
        return false;
    const QString& identifier = columnIdentifiers().at(index.column());
    if (index.column() == HiddenColumn && role == Qt::CheckStateRole)
        controller_.setObjectValueForColumn(pf::Variant(value.toInt() == Qt::Checked), identifier, *shape);
    else if (index.column() == TitleColumn && role == Qt::EditRole)
        controller_.setObjectValueForColumn(pf::Variant(value.toString()), identifier, *shape);
    else
        return false;
    if (const auto it = shown_.entries.find(shape); it != shown_.entries.end())
        readValues(it->second, *shape);
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
    return true;
}

Qt::ItemFlags CompositionOutlineModel::flags(const QModelIndex& index) const
{
    // Drops go between rows (judged by the controller), never onto one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == HiddenColumn)
        flags |= Qt::ItemIsUserCheckable;
    else if (index.column() == TitleColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

// ---- the view ----

CompositionOutlineView::CompositionOutlineView(QWidget* parent) : QTreeView(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // A double click hands the keys to the canvas; a title is edited by a click on a selected row or F2.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setExpandsOnDoubleClick(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false); // drawn here, where the controller's drop would go
    setDragDropMode(QAbstractItemView::DragDrop);
    setItemDelegate(new SpacedItemDelegate(*this));
}

void CompositionOutlineView::setIntercellSpacing(const QSizeF& spacing)
{
    intercellSpacing_ = spacing;
    setIndentation(20 + int(std::lround(spacing.width())));
    scheduleDelayedItemsLayout();
}

int CompositionOutlineView::numberOfRows() const
{
    int rows = 0;
    for (QModelIndex i = model() ? model()->index(0, 0) : QModelIndex(); i.isValid(); i = indexBelow(i))
        ++rows;
    return rows;
}

int CompositionOutlineView::rowForIndex(const QModelIndex& index) const
{
    if (!index.isValid() || !model())
        return -1;
    const QModelIndex target = index.siblingAtColumn(0);
    for (QModelIndex p = target.parent(); p.isValid(); p = p.parent())
        if (!isExpanded(p))
            return -1;
    int row = 0;
    for (QModelIndex i = model()->index(0, 0); i.isValid(); i = indexBelow(i), ++row)
        if (i == target)
            return row;
    return -1;
}

QModelIndex CompositionOutlineView::indexForRow(int row) const
{
    if (row < 0 || !model())
        return {};
    QModelIndex i = model()->index(0, 0);
    for (; i.isValid() && row > 0; --row)
        i = indexBelow(i);
    return i;
}

int CompositionOutlineView::rowAtPoint(const QPoint& viewportPoint) const
{
    return rowForIndex(indexAt(viewportPoint));
}

std::pair<QModelIndex, int> CompositionOutlineView::dropTargetAt(const QPoint& p) const
{
    if (!model())
        return {QModelIndex(), 0};
    const QModelIndex at = indexAt(p).siblingAtColumn(0);
    if (!at.isValid())
        return {QModelIndex(), model()->rowCount()};
    const QRect r = visualRect(at);
    const double y = p.y() - r.top();
    const double h = std::max(1, r.height());
    const bool expandable = model()->hasChildren(at);
    if (expandable && y > h / 4 && y < h * 3 / 4)
        return {at, -1};
    if (y < h / 2)
        return {at.parent(), at.row()};
    if (expandable && isExpanded(at))
        return {at, 0};
    return {at.parent(), at.row() + 1};
}

void CompositionOutlineView::keyPressEvent(QKeyEvent* event)
{
    const pf::Event e = pf::Event::fromKey(*event);
    if (!isEditing() && e.isDeleteKeyDown()) {
        // To this view's window (which hands it on to the canvas) whether or not the view has the keys;
        // without a window that takes it, along the responder chain.
        const QString remove = QStringLiteral("remove:");
        pf::Responder* target = nullptr;
        for (QWidget* w = this; w && !target; w = w->parentWidget())
            if (auto* responder = dynamic_cast<pf::Responder*>(w); responder && responder->respondsToAction(remove))
                target = responder;
        if (target)
            target->tryToPerform(remove, nullptr);
        else
            pf::sendAction(remove);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CompositionOutlineView::mousePressEvent(QMouseEvent* event)
{
    const bool meta = event->modifiers() & Qt::MetaModifier;
    if (event->button() == Qt::RightButton || (event->button() == Qt::LeftButton && meta)) {
        // The click extends the selection by its row on the next turn, then asks for the menu; Qt's own
        // handling would replace the selection first.
        event->accept();
        rightMouseDown(pf::Event::fromMouseButton(*event, 1));
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CompositionOutlineView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::MetaModifier))
        leftDoubleMouseDown(pf::Event::fromMouseButton(*event, 2));
}

void CompositionOutlineView::rightMouseDown(const pf::Event& event)
{
    reportClickOnNextTurn(event, true);
}

void CompositionOutlineView::leftDoubleMouseDown(const pf::Event& event)
{
    reportClickOnNextTurn(event, false);
}

void CompositionOutlineView::reportClickOnNextTurn(const pf::Event& event, bool rightClick)
{
    delayedCalls_.performAfterDelay(
        [this, event, rightClick] {
            const QPoint at = viewport()->mapFromGlobal(event.screenLocation.toQt().toPoint());
            const QModelIndex index = indexAt(at);
            const int row = rowForIndex(index);
            if (row < 0)
                return;
            if (selectionModel())
                selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            if (!delegate_)
                return;
            if (rightClick)
                delegate_->compositionOutlineViewDidReceiveRightClickOnRow(*this, row, event);
            else
                delegate_->compositionOutlineViewDidReceiveLeftDoubleClickOnRow(*this, row, event);
        },
        pf::Nanoseconds(0));
}

void CompositionOutlineView::startDrag(Qt::DropActions)
{
    auto* controller = dynamic_cast<OutlineViewController*>(delegate_);
    if (!controller)
        return;
    pf::PasteboardContent content({QString::fromLatin1(OutlineViewController::ShapeIndexType)});
    if (!controller->writeItemsToPasteboard(controller->selectedItems(), content))
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(content.makeMimeData().release());
    outgoing_ = drag->mimeData();
    QRect rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows |= visualRect(index) | visualRect(index.siblingAtColumn(CompositionOutlineModel::TitleColumn));
    rows &= viewport()->rect();
    if (!rows.isEmpty()) {
        drag->setPixmap(viewport()->grab(rows));
        drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rows.topLeft());
    }
    Qt::DropActions offered;
    const pf::DragOperation mask =
        controller->sourceOperationMaskForDraggingContext(pf::DraggingContext::WithinApplication);
    if (mask & pf::DragOp::Copy)
        offered |= Qt::CopyAction;
    if (mask & pf::DragOp::Move)
        offered |= Qt::MoveAction;
    const QPointer<QDrag> guard(drag);
    const Qt::DropAction action = pf::sinkOf<DragRunner>()(*drag, offered);
    outgoing_ = nullptr;
    // A drop outside the program (no target here) did nothing for us.
    const bool inside = guard && guard->target();
    if (guard)
        guard->deleteLater();
    controller->draggingSessionEndedAtPoint(pf::Point::fromQt(QCursor::pos()),
                                            inside ? pf::dragOperationsFromQt(action) : pf::DragOp::None);
    dropIndicator_ = {};
    viewport()->update();
}

std::optional<OutlineDrop> CompositionOutlineView::dropFor(const QDropEvent& event) const
{
    auto* controller = dynamic_cast<OutlineViewController*>(delegate_);
    if (!controller || !event.mimeData())
        return std::nullopt;
    const pf::Pasteboard pasteboard(event.mimeData());
    const auto carried = [&](const QString& type) { return pasteboard.hasType(type); };
    if (!std::any_of(draggedTypes_.begin(), draggedTypes_.end(), carried))
        return std::nullopt;
    const auto [parent, childIndex] = dropTargetAt(event.position().toPoint());
    OutlineDrop drop;
    // Qt names the source of a drag begun in this program; our own drag's data names it as well.
    drop.source = event.source() ? event.source() : (outgoing_ && event.mimeData() == outgoing_ ? this : nullptr);
    drop.data = event.mimeData();
    drop.parent = controller->itemForIndex(parent);
    drop.childIndex = childIndex;
    drop.copy = event.modifiers() & Qt::AltModifier;
    return drop;
}

void CompositionOutlineView::dragEnterEvent(QDragEnterEvent* event)
{
    // Accepted whenever the drag carries rows: the answer that counts comes with each move.
    if (!dropFor(*event)) {
        event->ignore();
        return;
    }
    event->accept();
}

void CompositionOutlineView::dragMoveEvent(QDragMoveEvent* event)
{
    auto* controller = dynamic_cast<OutlineViewController*>(delegate_);
    const std::optional<OutlineDrop> drop = dropFor(*event);
    const pf::DragOperation operation = drop && controller ? controller->validateDrop(*drop) : pf::DragOp::None;
    const QRect previous = dropIndicator_;
    dropIndicator_ = {};
    if (operation == pf::DragOp::None) {
        event->ignore();
    } else {
        event->setDropAction(operation == pf::DragOp::Copy ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
        const QModelIndex parent = controller->indexForItem(drop->parent);
        const int count = model()->rowCount(parent);
        const int width = viewport()->width();
        if (drop->childIndex < count) {
            const QRect r = visualRect(model()->index(drop->childIndex, 0, parent));
            dropIndicator_ = QRect(r.left(), r.top() - 1, width - r.left(), 2);
        } else if (count > 0) {
            const QRect r = visualRect(model()->index(count - 1, 0, parent));
            dropIndicator_ = QRect(r.left(), r.bottom(), width - r.left(), 2);
        }
    }
    if (previous != dropIndicator_)
        viewport()->update();
}

void CompositionOutlineView::dragLeaveEvent(QDragLeaveEvent* event)
{
    dropIndicator_ = {};
    viewport()->update();
    event->accept();
}

void CompositionOutlineView::dropEvent(QDropEvent* event)
{
    dropIndicator_ = {};
    viewport()->update();
    auto* controller = dynamic_cast<OutlineViewController*>(delegate_);
    const std::optional<OutlineDrop> drop = dropFor(*event);
    if (!drop || !controller || !controller->acceptDrop(*drop)) {
        event->ignore();
        return;
    }
    event->setDropAction(drop->copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CompositionOutlineView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (dropIndicator_.isEmpty())
        return;
    QPainter painter(viewport());
    painter.fillRect(dropIndicator_, palette().color(QPalette::Highlight));
}

// ---- the controller ----

void OutlineViewController::registerInterfaceFile()
{
    pf::registerViewBuilder(QString::fromLatin1(InterfaceFileName), &OutlineViewController::buildOutlineView);
}

pf::View* OutlineViewController::buildOutlineView(pf::Responder* owner)
{
    auto* view = new OutlinePaletteView(pf::Rect(0, 0, 222, 300));
    auto* tree = new CompositionOutlineView(view);
    auto* hint = new QVHintView(pf::Rect(0, 0, 222, 300), view);
    view->tree = tree;
    view->hint = hint;
    view->layoutSubviews();
    if (auto* controller = dynamic_cast<OutlineViewController*>(owner)) {
        controller->setOutlineView(tree);
        controller->setHintView(hint);
    }
    return view;
}

OutlineViewController::OutlineViewController()
    : QVViewController(QString::fromLatin1(InterfaceFileName)), model_(std::make_unique<CompositionOutlineModel>(*this))
{
    for (const pf::Value& identifier :
         pf::UserDefaultsStore::standard().arrayForKey(QString::fromLatin1(ExpandedItemsKey)))
        if (identifier.isString())
            expandedIdentifiers_.insert(identifier.asString());
}

OutlineViewController::~OutlineViewController()
{
    delayedCalls_.cancelPreviousPerformRequests();
    if (outlineView_) {
        // The view may outlive this controller inside its window.
        outlineView_->setOutlineDelegate(nullptr);
        for (const QMetaObject::Connection& connection : connections_)
            QObject::disconnect(connection);
        outlineView_->setModel(nullptr);
    }
}

void OutlineViewController::viewDidLoad()
{
    QVViewController::viewDidLoad();
    if (CompositionOutlineView* tree = outlineView_) {
        tree->setIntercellSpacing(QSizeF(4, 4));
        tree->registerForDraggedTypes({QString::fromLatin1(ShapeIndexType)});
        tree->setModel(model_.get());
        tree->setOutlineDelegate(this);
        // The title column holds the tree; the check box column stays narrow at the left.
        tree->setTreePosition(CompositionOutlineModel::TitleColumn);
        tree->header()->setStretchLastSection(true);
        tree->header()->setSectionResizeMode(CompositionOutlineModel::HiddenColumn, QHeaderView::ResizeToContents);
        connections_.push_back(QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, tree,
                                                [this] { outlineSelectionDidChange(); }));
        connections_.push_back(QObject::connect(tree, &QTreeView::expanded, tree, [this](const QModelIndex& index) {
            itemExpansionDidChange(index, true);
        }));
        connections_.push_back(QObject::connect(tree, &QTreeView::collapsed, tree, [this](const QModelIndex& index) {
            itemExpansionDidChange(index, false);
        }));
    }
    if (QVHintView* hint = hintView_) {
        hint->setHintText(tr("Outline"));
        hint->setColor(QVHexColor(0xE5E9EE));
    }
    update();
}

void OutlineViewController::setCanvas(Canvas* canvas)
{
    if (canvas == canvas_.data())
        return;
    canvas_ = canvas;
    if (canvas_)
        gatherItems();
}

Canvas* OutlineViewController::canvas() const
{
    return canvas_.data();
}

void OutlineViewController::setNeedsUpdate()
{
    needsUpdate_ = true;
    delayedCalls_.cancelPreviousPerformRequests(QStringLiteral("updateConditionally"));
    delayedCalls_.performAfterDelay([this] { updateConditionally(); }, pf::Nanoseconds(0),
                                    QStringLiteral("updateConditionally"));
}

void OutlineViewController::updateConditionally()
{
    if (!needsUpdate_)
        return;
    needsUpdate_ = false;
    update();
}

void OutlineViewController::gatherItems()
{
    selectionIndexes_.reset();
    items_.clear();
    const std::shared_ptr<Composition> page = canvas_ ? canvas_->composition() : nullptr;
    if (!page)
        return;
    for (const auto& child : page->children())
        if (child->isSelectable())
            items_.push_back(child);
}

Shape* OutlineViewController::shapeAtOutlineIndex(std::size_t index) const
{
    return index < items_.size() ? items_[index].get() : nullptr;
}

void OutlineViewController::update()
{
    gatherItems();
    if (hintView_) {
        hintView_->setHidden(!items_.empty());
        if (!items_.empty())
            hintView_->lower();
        else
            hintView_->raise();
        hintView_->setNeedsDisplay();
    }
    reloadTree();
    CompositionOutlineView* tree = outlineView_;
    if (!tree || !tree->selectionModel())
        return;

    QItemSelection selection;
    std::vector<QModelIndex> selected;
    std::unordered_map<const Shape*, int> shown;
    if (canvas_ && canvas_->hasSelection()) {
        std::vector<int> rows;
        shown = visibleRows();
        for (const auto& shape : canvas_->selectedShapes()) {
            const auto it = shown.find(shape.get());
            if (it == shown.end())
                continue;
            const int row = it->second;
            const QModelIndex index = model_->indexForShape(shape.get());
            rows.push_back(row);
            selected.push_back(index);
            selection.select(index, index.siblingAtColumn(model_->columnCount() - 1));
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        selectionIndexes_ = std::move(rows);
    }
    updating_ = true;
    tree->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    updating_ = false;
    if (selectionIndexes_ && !selected.empty()) {
        // The last row, then the first, so the first shows when they do not fit together.
        const auto byRow = [this, &shown](const QModelIndex& a, const QModelIndex& b) {
            return shown.at(model_->shapeForIndex(a)) < shown.at(model_->shapeForIndex(b));
        };
        tree->scrollTo(*std::max_element(selected.begin(), selected.end(), byRow));
        tree->scrollTo(*std::min_element(selected.begin(), selected.end(), byRow));
    }
}

void OutlineViewController::reloadTree()
{
    if (model_->takeSnapshot())
        applyExpandedItems();
}

void OutlineViewController::applyExpandedItems()
{
    CompositionOutlineView* tree = outlineView_;
    if (!tree || expandedIdentifiers_.isEmpty())
        return;
    restoringExpansion_ = true;
    // Parents first: a child group opens inside an open parent.
    std::vector<const Shape*> pending(1, nullptr);
    while (!pending.empty()) {
        const Shape* parent = pending.back();
        pending.pop_back();
        for (const Shape* child : model_->childrenOf(parent))
            if (child->isGroup() && expandedIdentifiers_.contains(child->identifier())) {
                tree->setExpanded(model_->indexForShape(child), true);
                pending.push_back(child);
            }
    }
    restoringExpansion_ = false;
}

void OutlineViewController::itemExpansionDidChange(const QModelIndex& index, bool expanded)
{
    if (restoringExpansion_)
        return;
    const Shape* shape = model_->shapeForIndex(index);
    if (!shape)
        return;
    if (expanded)
        expandedIdentifiers_.insert(shape->identifier());
    else
        expandedIdentifiers_.remove(shape->identifier());
    rememberExpandedItems();
}

void OutlineViewController::rememberExpandedItems() const
{
    auto& defaults = pf::UserDefaultsStore::standard();
    const QString key = QString::fromLatin1(ExpandedItemsKey);
    // The stored list keeps its order, so the oldest entries are the ones let go when it is full.
    pf::Value::Array stored;
    QSet<QString> kept;
    for (const pf::Value& identifier : defaults.arrayForKey(key))
        if (identifier.isString() && expandedIdentifiers_.contains(identifier.asString()) &&
            !kept.contains(identifier.asString())) {
            kept.insert(identifier.asString());
            stored.push_back(identifier);
        }
    for (const QString& identifier : expandedIdentifiers_)
        if (!kept.contains(identifier))
            stored.push_back(pf::Value(identifier));
    if (stored.size() > std::size_t(MaximumRememberedExpandedItems))
        stored.erase(stored.begin(), stored.end() - MaximumRememberedExpandedItems);
    defaults.setObjectForKey(pf::Value(std::move(stored)), key);
}

void OutlineViewController::setItemExpanded(const Shape* group, bool expanded)
{
    if (outlineView_)
        outlineView_->setExpanded(model_->indexForShape(group), expanded);
}

bool OutlineViewController::isItemExpanded(const Shape* group) const
{
    return outlineView_ && outlineView_->isExpanded(model_->indexForShape(group));
}

Shape* OutlineViewController::itemForIndex(const QModelIndex& index) const
{
    return model_->shapeForIndex(index);
}

QModelIndex OutlineViewController::indexForItem(const Shape* shape) const
{
    return model_->indexForShape(shape);
}

std::unordered_map<const Shape*, int> OutlineViewController::visibleRows() const
{
    std::unordered_map<const Shape*, int> rows;
    CompositionOutlineView* tree = outlineView_;
    if (!tree)
        return rows;
    int row = 0;
    // Depth first, as the tree shows them: a group's children follow it when it is open.
    std::vector<std::pair<const std::vector<Shape*>*, std::size_t>> stack{{&model_->childrenOf(nullptr), 0}};
    while (!stack.empty()) {
        auto& [children, next] = stack.back();
        if (next == children->size()) {
            stack.pop_back();
            continue;
        }
        const Shape* shape = (*children)[next++];
        if (!rows.emplace(shape, row).second)
            continue;
        ++row;
        const std::vector<Shape*>& grandchildren = model_->childrenOf(shape);
        if (!grandchildren.empty() && tree->isExpanded(model_->indexForShape(shape)))
            stack.emplace_back(&grandchildren, 0);
    }
    return rows;
}

int OutlineViewController::rowForItem(const Shape* shape) const
{
    const auto rows = visibleRows();
    const auto it = rows.find(shape);
    return it == rows.end() ? -1 : it->second;
}

Shape* OutlineViewController::itemAtRow(int row) const
{
    return outlineView_ ? model_->shapeForIndex(outlineView_->indexForRow(row)) : nullptr;
}

std::vector<Shape*> OutlineViewController::selectedItems() const
{
    std::vector<Shape*> shapes;
    CompositionOutlineView* tree = outlineView_;
    if (!tree || !tree->selectionModel())
        return shapes;
    QModelIndexList rows = tree->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [tree](const QModelIndex& a, const QModelIndex& b) {
        return tree->visualRect(a).top() < tree->visualRect(b).top();
    });
    for (const QModelIndex& index : rows)
        if (Shape* shape = model_->shapeForIndex(index))
            shapes.push_back(shape);
    return shapes;
}

// ---- editing ----

pf::Variant OutlineViewController::objectValueForColumn(const QString& identifier, const Shape& shape) const
{
    if (identifier == hiddenIdentifier)
        return pf::Variant(!shape.isHidden());
    if (identifier == titleIdentifier)
        return pf::Variant(shape.displayTitle());
    return shape.valueForKeyPath(identifier);
}

void OutlineViewController::setObjectValueForColumn(const pf::Variant& value, const QString& identifier, Shape& shape)
{
    if (identifier == hiddenIdentifier) {
        shape.setHidden(!value.toBool());
    } else if (identifier == titleIdentifier) {
        shape.setTitle(value.toString());
        shape.setUserSetTitle(true);
    } else {
        shape.setValueForKeyPath(value, identifier);
    }
    shape.setNeedsDisplay();
}

// ---- selection ----

void OutlineViewController::outlineSelectionDidChange()
{
    if (updating_ || !canvas_)
        return;
    const std::shared_ptr<Composition> page = canvas_->composition();
    Canvas::Shapes shapes;
    for (Shape* shape : selectedItems())
        // A row of the last update whose shape has since left the page selects nothing.
        if (page && shape->composition() == page.get())
            shapes.push_back(std::static_pointer_cast<Shape>(shape->shared_from_this()));
    canvas_->replaceSelectionWithShapes(shapes);
}

// ---- dragging ----

bool OutlineViewController::writeItemsToPasteboard(const std::vector<Shape*>& items, pf::PasteboardContent& content)
{
    dragParent_.reset();
    dragging_ = false;
    const std::shared_ptr<Composition> page = canvas_ ? canvas_->composition() : nullptr;
    if (items.empty() || !page)
        return false;
    Shape* parent = items.front()->parent();
    for (const Shape* item : items)
        if (item->parent() != parent)
            return false;
    const auto* container = parent == page.get() ? page.get() : dynamic_cast<const Parent*>(parent);
    if (!container)
        return false;
    pf::Value::Array indexes;
    for (const Shape* item : items) {
        const std::size_t index = container->indexOfShape(item);
        if (index == pf::NotFound)
            return false;
        indexes.emplace_back(index);
    }
    if (!content.setPropertyList(QString::fromLatin1(ShapeIndexType), pf::Value(std::move(indexes))))
        return false;
    if (parent != page.get())
        dragParent_ = std::static_pointer_cast<Shape>(parent->shared_from_this());
    dragging_ = true;
    return true;
}

pf::DragOperation OutlineViewController::sourceOperationMaskForDraggingContext(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? pf::DragOp::Copy | pf::DragOp::Move : pf::DragOp::None;
}

void OutlineViewController::draggingSessionEndedAtPoint(pf::Point, pf::DragOperation)
{
    // A later drop must not be judged by this drag's parent.
    dragParent_.reset();
    dragging_ = false;
}

Parent* OutlineViewController::dropParent(const OutlineDrop& drop) const
{
    const std::shared_ptr<Composition> page = canvas_ ? canvas_->composition() : nullptr;
    if (!page)
        return nullptr;
    if (!drop.parent)
        return page.get();
    auto* group = dynamic_cast<Parent*>(drop.parent);
    // Only a group still on this page takes drops.
    return group && drop.parent->isGroup() && drop.parent->composition() == page.get() ? group : nullptr;
}

std::optional<std::vector<std::size_t>> OutlineViewController::draggedIndexes(const OutlineDrop& drop) const
{
    if (!drop.data)
        return std::nullopt;
    const std::optional<pf::Value> list =
        pf::Pasteboard(drop.data).propertyListForType(QString::fromLatin1(ShapeIndexType));
    if (!list || !list->isArray() || list->asArray().empty())
        return std::nullopt;
    std::set<std::size_t> indexes;
    for (const pf::Value& number : list->asArray()) {
        if (!number.isInteger() || number.integerValue() < 0)
            return std::nullopt;
        indexes.insert(std::size_t(number.integerValue()));
    }
    return std::vector<std::size_t>(indexes.begin(), indexes.end());
}

pf::DragOperation OutlineViewController::validateDrop(const OutlineDrop& drop) const
{
    // Only rows of this outline, during its own drag, dropped between rows of the parent they came from.
    if (!outlineView_ || !drop.source || drop.source != outlineView_.data() || !dragging_)
        return pf::DragOp::None;
    if (drop.childIndex < 0 || drop.parent != dragParent_.get())
        return pf::DragOp::None;
    const Parent* parent = dropParent(drop);
    if (!parent)
        return pf::DragOp::None;
    const std::size_t rows = drop.parent ? parent->children().size() : items_.size();
    if (std::size_t(drop.childIndex) > rows)
        return pf::DragOp::None;
    const std::optional<std::vector<std::size_t>> indexes = draggedIndexes(drop);
    if (!indexes)
        return pf::DragOp::None;
    // Every index names a listed child: none past the end, none the page's selection objects.
    for (const std::size_t index : *indexes)
        if (index >= parent->children().size() || !parent->children()[index]->isSelectable())
            return pf::DragOp::None;
    return drop.copy ? pf::DragOp::Copy : pf::DragOp::Move;
}

bool OutlineViewController::acceptDrop(const OutlineDrop& drop)
{
    if (validateDrop(drop) == pf::DragOp::None)
        return false;
    Parent* parent = dropParent(drop);
    const std::vector<std::size_t> indexes = *draggedIndexes(drop);
    // The child index d the outline position stands for. At the top level the rows leave out the page's
    // selection objects (the page manipulator below, the selection's proxy on top): a position goes
    // just below the row's shape, the end just above the last row's.
    std::size_t d = std::size_t(drop.childIndex);
    if (!drop.parent) {
        if (items_.empty())
            return false;
        const Shape* anchor = d < items_.size() ? items_[d].get() : items_.back().get();
        const std::size_t at = parent->indexOfShape(anchor);
        if (at == pf::NotFound)
            return false;
        d = d < items_.size() ? at : at + 1;
    }
    std::vector<std::shared_ptr<Shape>> dragged;
    for (const std::size_t index : indexes)
        dragged.push_back(parent->children()[index]);

    const std::shared_ptr<Composition> page = canvas_->composition();
    std::vector<std::shared_ptr<Shape>> recorded;
    {
        // One drop, one undo step.
        const pf::UndoGrouping step(page ? page->undoManager() : nullptr);
        if (drop.copy) {
            // Each original is copied where it stands now: copies before an original move it on.
            for (auto it = dragged.rbegin(); it != dragged.rend(); ++it) {
                const std::size_t from = parent->indexOfShape(it->get());
                if (from == pf::NotFound)
                    continue;
                // The copy is the child that was not there before (adding it may bring the selection's
                // proxy too).
                std::set<const Shape*> before;
                for (const auto& child : parent->children())
                    before.insert(child.get());
                parent->copyShapeAtIndexToIndex(from, d);
                for (const auto& child : parent->children())
                    if (!before.count(child.get()) && child->isSelectable()) {
                        recorded.push_back(child);
                        break;
                    }
            }
        } else {
            // Those above d go to d in order, each landing just above d's shape; those at or below d go to
            // d from the last, each pushing the ones placed before it on: together they keep their order.
            for (const auto& shape : dragged)
                if (const std::size_t from = parent->indexOfShape(shape.get()); from < d)
                    parent->moveShapeAtIndexToIndex(from, d);
            for (auto it = dragged.rbegin(); it != dragged.rend(); ++it)
                if (const std::size_t from = parent->indexOfShape(it->get()); from != pf::NotFound && from >= d)
                    parent->moveShapeAtIndexToIndex(from, d);
            recorded = dragged;
        }
    }
    canvas_->replaceSelectionWithShapes(Canvas::Shapes(recorded.begin(), recorded.end()));
    setNeedsUpdate();
    return true;
}

// ---- clicks ----

void OutlineViewController::compositionOutlineViewDidReceiveRightClickOnRow(CompositionOutlineView& view, int,
                                                                            const pf::Event& event)
{
    if (!canvas_ || !canvas_->hasSelection())
        return;
    auto menu = std::make_shared<pf::Menu>();
    canvas_->addMenuItemsForSelectionToMenu(*menu);
    pf::MenuPresenter::popUpContextMenu(std::move(menu), event, &view);
}

void OutlineViewController::compositionOutlineViewDidReceiveLeftDoubleClickOnRow(CompositionOutlineView& view, int,
                                                                                 const pf::Event&)
{
    if (view.isEditing() || !canvas_ || !canvas_->hasSelection())
        return;
    canvas_->clearTempGuidesNow();
    if (pf::Window* window = canvas_->enclosingWindow())
        window->makeFirstResponder(canvas_.data());
    else
        canvas_->setFocus(Qt::OtherFocusReason);
}
