// The outline palette: the shapes of the page on show as a tree (groups open to their children) with two
// editable columns, visibility and title. Selecting rows selects those shapes on the canvas; dragging rows
// reorders shapes inside their parent, or copies them with Alt; a right click (or Meta-click) on a row
// opens the canvas's context menu for the selection; a double click hands the keys back to the canvas;
// Delete removes the selection. With no shapes it shows the hint "Outline".
//
// The canvas view controller feeds it through OutlinePalette. The tree reads a snapshot of the page taken
// at each update, so a row never reaches a shape that the page let go before the next update.
//
// Main thread only.
#pragma once

#include "canvas/CanvasServices.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/Variant.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Sink.h"
#include "shell/QVHintView.h"
#include "shell/QVViewController.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class Canvas;
class CompositionOutlineModel;
class CompositionOutlineView;
class Parent;
class QDrag;
class QMimeData;
class Shape;

// What the outline view asks of its controller: the context menu and the double click, each on a row.
class CompositionOutlineViewDelegate {
public:
    virtual ~CompositionOutlineViewDelegate() = default;
    virtual void compositionOutlineViewDidReceiveRightClickOnRow(CompositionOutlineView& view, int row,
                                                                 const pf::Event& event) = 0;
    virtual void compositionOutlineViewDidReceiveLeftDoubleClickOnRow(CompositionOutlineView& view, int row,
                                                                      const pf::Event& event) = 0;
};

// The row drags the outline view takes: where a drop would go (the parent, nil for the top level, and the
// child index there; -1 is onto the row), what the drag carries, who began it and whether Alt is held.
struct OutlineDrop {
    const QObject* source = nullptr; // the widget the drag began in; null for another program
    const QMimeData* data = nullptr;
    Shape* parent = nullptr;
    int childIndex = -1;
    bool copy = false;
};

class CompositionOutlineView : public QTreeView {
public:
    // Runs a row drag and answers what the drop did: Qt's drag; tests install one that plays the drag.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered)>;
    using ScopedDragRunner = pf::ScopedSink<DragRunner>;

    explicit CompositionOutlineView(QWidget* parent = nullptr);

    CompositionOutlineViewDelegate* outlineDelegate() const { return delegate_; }
    void setOutlineDelegate(CompositionOutlineViewDelegate* delegate) { delegate_ = delegate; }

    // The gap between cells, added round each cell's content.
    QSizeF intercellSpacing() const { return intercellSpacing_; }
    void setIntercellSpacing(const QSizeF& spacing);

    // The drag types the view takes drops of.
    const QStringList& registeredDraggedTypes() const { return draggedTypes_; }
    void registerForDraggedTypes(const QStringList& types) { draggedTypes_ = types; }

    // Rows count as the tree shows them: top to bottom, open groups' children included.
    int numberOfRows() const;
    int rowForIndex(const QModelIndex& index) const;
    QModelIndex indexForRow(int row) const;
    // The row under a point in the viewport; -1 for none.
    int rowAtPoint(const QPoint& viewportPoint) const;

    // What the pointer at this viewport point would drop: the parent (invalid for the top level) and the
    // child index, -1 onto a row.
    std::pair<QModelIndex, int> dropTargetAt(const QPoint& viewportPoint) const;
    // The drop indicator for the present drag, in viewport pixels (empty without one).
    const QRect& dropIndicatorRect() const { return dropIndicator_; }

    // A title is being edited in place.
    bool isEditing() const { return state() == EditingState; }

    // Delete (either delete key) sends the window "remove:".
    void keyPressEvent(QKeyEvent* event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void rightMouseDown(const pf::Event& event);
    void leftDoubleMouseDown(const pf::Event& event);
    // On the next turn: the row under the event joins the selection and the delegate hears of it.
    void reportClickOnNextTurn(const pf::Event& event, bool rightClick);
    // The drop the event would make, judged by the controller; none when the drag carries no row type.
    std::optional<OutlineDrop> dropFor(const QDropEvent& event) const;

    CompositionOutlineViewDelegate* delegate_ = nullptr;
    QSizeF intercellSpacing_;
    QStringList draggedTypes_;
    QRect dropIndicator_;
    // The data of the drag this view runs now.
    QPointer<const QMimeData> outgoing_;
    pf::DelayedCallOwner delayedCalls_;
};

template <>
CompositionOutlineView::DragRunner& pf::sinkOf<CompositionOutlineView::DragRunner>();

class OutlineViewController : public QVViewController,
                              public OutlinePalette,
                              public CompositionOutlineViewDelegate,
                              public pf::DraggingSource {
public:
    static constexpr char InterfaceFileName[] = "OutlineViewController";
    // The row drag's type: the dragged shapes' indexes among their common parent's children.
    static constexpr char ShapeIndexType[] = "com.thistlewick.quorvel.composition.shape.index";
    // The defaults key of the open groups, by shape identifier.
    static constexpr char ExpandedItemsKey[] = "OutlineViewExpandedItems";
    // At most this many open groups are remembered, the latest kept.
    static constexpr int MaximumRememberedExpandedItems = 1000;

    // Registers the palette's interface file.
    static void registerInterfaceFile();
    // The interface file: the outline view (columns "hidden" and "title") and the hint view, both over the
    // whole palette.
    static pf::View* buildOutlineView(pf::Responder* owner);

    OutlineViewController();
    ~OutlineViewController() override;

    // ---- outlets ----
    CompositionOutlineView* outlineView() const { return outlineView_; }
    void setOutlineView(CompositionOutlineView* view) { outlineView_ = view; }
    QVHintView* hintView() const { return hintView_; }
    void setHintView(QVHintView* view) { hintView_ = view; }

    // Spacing, the row drag type, the hint, the tree's columns; then an update.
    void viewDidLoad() override;

    // ---- fed by the canvas view controller ----
    // The canvas already held changes nothing; a new one's page is gathered.
    void setCanvas(Canvas* canvas) override;
    Canvas* canvas() const;
    // Owes an update, made once on the next turn of the main queue however often asked.
    void setNeedsUpdate() override;
    bool needsUpdate() const { return needsUpdate_; }
    void updateConditionally();

    // Gathers the page's rows, shows or hides the hint, reloads the tree, then selects the rows of the
    // canvas's selected shapes that have rows and scrolls the last, then the first, into view.
    void update();
    // The top-level rows: the page's selectable children, in child order.
    const std::vector<std::shared_ptr<Shape>>& items() const { return items_; }
    void gatherItems();
    Shape* shapeAtOutlineIndex(std::size_t index) const;
    // The rows of the canvas's selection at the last update (none when nothing was selected).
    const std::optional<std::vector<int>>& selectionIndexes() const { return selectionIndexes_; }

    // ---- the tree ----
    // The shape of a tree index, null for the root.
    Shape* itemForIndex(const QModelIndex& index) const;
    QModelIndex indexForItem(const Shape* shape) const;
    // The shape's row as the tree shows it, -1 when it has none (not listed, or inside a closed group).
    int rowForItem(const Shape* shape) const;
    // Every shown shape's row.
    std::unordered_map<const Shape*, int> visibleRows() const;
    Shape* itemAtRow(int row) const;
    // The shapes of the selected rows, top to bottom.
    std::vector<Shape*> selectedItems() const;
    // Opens or closes a group's row.
    void setItemExpanded(const Shape* group, bool expanded);
    bool isItemExpanded(const Shape* group) const;
    const QSet<QString>& expandedIdentifiers() const { return expandedIdentifiers_; }

    // ---- editing ----
    // "hidden": the shape is visible; "title": its display title; else its value at the key path.
    pf::Variant objectValueForColumn(const QString& identifier, const Shape& shape) const;
    // Through the shape's undoable setters, then its redisplay.
    void setObjectValueForColumn(const pf::Variant& value, const QString& identifier, Shape& shape);

    // ---- selection ----
    // The user chose rows: the canvas selects exactly those shapes. A selection this controller sets
    // during an update sends nothing.
    void outlineSelectionDidChange();

    // ---- dragging ----
    // Writes the dragged shapes' indexes in their common parent; false (and no drag parent) when they do
    // not share one.
    bool writeItemsToPasteboard(const std::vector<Shape*>& items, pf::PasteboardContent& content);
    Shape* dragParent() const { return dragParent_.get(); }
    bool hasDragParent() const { return dragging_; }
    // Allows copy and move inside the program, nothing outside it.
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override;
    void draggingSessionEndedAtPoint(pf::Point, pf::DragOperation) override;
    // Copy with Alt, move without; none for a drop onto a row, into another parent than the drag's, from
    // another view than this outline, or with indexes that do not all name children of the parent.
    pf::DragOperation validateDrop(const OutlineDrop& drop) const;
    // Moves or copies the dragged shapes to the drop's place as one undo step and selects them; false,
    // changing nothing, for a drop validateDrop refuses.
    bool acceptDrop(const OutlineDrop& drop);

    // ---- clicks ----
    void compositionOutlineViewDidReceiveRightClickOnRow(CompositionOutlineView& view, int row,
                                                         const pf::Event& event) override;
    void compositionOutlineViewDidReceiveLeftDoubleClickOnRow(CompositionOutlineView& view, int row,
                                                              const pf::Event& event) override;

    // The model the tree shows (tests and the view read it).
    CompositionOutlineModel* model() const { return model_.get(); }

private:
    friend class CompositionOutlineModel;

    // The drop's parent as a container, null when it is none; and the indexes the drag carries.
    Parent* dropParent(const OutlineDrop& drop) const;
    std::optional<std::vector<std::size_t>> draggedIndexes(const OutlineDrop& drop) const;
    void reloadTree();
    void applyExpandedItems();
    void itemExpansionDidChange(const QModelIndex& index, bool expanded);
    void rememberExpandedItems() const;

    bool needsUpdate_ = false;
    bool updating_ = false;
    bool restoringExpansion_ = false;
    QPointer<CompositionOutlineView> outlineView_;
    QPointer<QVHintView> hintView_;
    // Cleared when the canvas goes before this palette.
    QPointer<Canvas> canvas_;
    std::optional<std::vector<int>> selectionIndexes_;
    std::vector<std::shared_ptr<Shape>> items_;
    std::shared_ptr<Shape> dragParent_;
    bool dragging_ = false;
    QSet<QString> expandedIdentifiers_;
    std::unique_ptr<CompositionOutlineModel> model_;
    std::vector<QMetaObject::Connection> connections_;
    pf::DelayedCallOwner delayedCalls_;
};

// The tree over the controller's snapshot: the root's children are the controller's items, a group's are
// all of its children as they were at the last update. Items are the shapes themselves.
class CompositionOutlineModel : public QAbstractItemModel {
public:
    // The columns by identifier, in order.
    static const QStringList& columnIdentifiers();
    static constexpr int HiddenColumn = 0;
    static constexpr int TitleColumn = 1;

    explicit CompositionOutlineModel(OutlineViewController& controller) : controller_(controller) {}

    // Takes a new snapshot of the controller's items. The same tree as shown (the same shapes in the same
    // places) only reports the rows whose values changed, so the view keeps its state (a press about to
    // become a drag, an open editor); another tree resets the model. Answers whether it reset.
    bool takeSnapshot();
    Shape* shapeForIndex(const QModelIndex& index) const;
    QModelIndex indexForShape(const Shape* shape, int column = 0) const;
    // The children the snapshot holds for a shape (the top level for null).
    const std::vector<Shape*>& childrenOf(const Shape* shape) const;
    // The snapshot's parent of a shape (null for the top level).
    Shape* parentOf(const Shape* shape) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    struct Entry {
        Shape* parent = nullptr;
        int row = 0;
        std::vector<Shape*> children;
        bool expandable = false;
        // The columns' values when the snapshot was taken (or the row last edited).
        bool visible = true;
        QString title;
    };
    struct Snapshot {
        // Keeps every listed shape alive until the next snapshot.
        std::vector<std::shared_ptr<Shape>> held;
        std::vector<Shape*> top;
        std::unordered_map<const Shape*, Entry> entries;
    };
    void addEntries(Snapshot& snapshot, Shape* parent, const std::vector<Shape*>& children) const;
    void readValues(Entry& entry, const Shape& shape) const;
    static bool sameTree(const Snapshot& a, const Snapshot& b);

    OutlineViewController& controller_;
    Snapshot shown_;
};
