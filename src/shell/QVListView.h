// A strip of item views, stacked vertically (portrait) or side by side (landscape), one per entry of a
// data source. Only the entries whose rectangle falls in the visible part of the list get a view; views are
// recycled through a reuse queue keyed by reuse identifier. The list keeps a selection (single, or with
// Command and Shift), reports clicks, double and middle clicks and context-menu requests to its delegate,
// and keeps the state its drag and drop works on. The tab strip and the palettes are built on it.
//
// Two kinds of index: the index of an entry of the data source, and the visible index, the position of a
// view among those now shown (items()).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Gradient.h"
#include "platform/kit/Animation.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/ScrollView.h"
#include "shell/QVView.h"

#include <QImage>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

namespace pf {
class Menu;
}

using QVIndexSet = std::set<std::size_t>;

// The list's row type: a drag whose pasteboard holds it is a drag of rows, dropped between them.
inline const QString QVListItemPboardType = QStringLiteral("QVListItemPboardType");

class QVListView;

// A view showing one entry. Flipped (y grows downward), as every kit view.
class QVListItem : public QVView {
public:
    QVListItem(const pf::Rect& frame, QString reuseIdentifier);

    const QString& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(const QString& identifier) { reuseIdentifier_ = identifier; }
    // The data-source index the item shows.
    std::size_t index() const { return index_; }
    void setIndex(std::size_t index) { index_ = index; }
    // Set while the item is drawn into a drag image; subclasses read it while drawing.
    bool isDrawingDragImage() const { return drawingDragImage_; }
    void setDrawingDragImage(bool drawing) { drawingDragImage_ = drawing; }

    // Sent when the item is taken from the reuse queue; empty here.
    virtual void prepareForReuse() {}

    // The item's picture at its size (device pixels of its screen); a null image for an item of zero
    // size.
    QImage draggingImage();

private:
    QString reuseIdentifier_;
    std::size_t index_ = 0;
    bool drawingDragImage_ = false;
};

// Idle item views by reuse identifier. Items that sit in no superview are the queue's: it deletes them
// when cleared or destroyed. Items still inside a view belong to that view.
class QVListItemQueue {
public:
    QVListItemQueue() = default;
    ~QVListItemQueue();
    QVListItemQueue(const QVListItemQueue&) = delete;
    QVListItemQueue& operator=(const QVListItemQueue&) = delete;

    // False for an item without a reuse identifier or already held.
    bool enqueue(QVListItem* item);
    // Any one idle item of that identifier, taken out of the queue; null when there is none. With prefer,
    // an item it answers true for comes first (say, the one that last showed the same content, so that it
    // keeps what it drew).
    QVListItem* dequeueWithIdentifier(const QString& identifier,
                                      const std::function<bool(const QVListItem&)>& prefer = nullptr);
    std::size_t count() const;
    void clear();
    // "<QVListItemQueue 0x… {identifier: count, …}>"
    QString description() const;

private:
    std::map<QString, std::vector<QPointer<QVListItem>>> dict_;
};

// Raised when the data source answers no view for an index. Inside event delivery (a resize, a scroll, a
// selection by click) it cannot be carried: there the list logs the reason and shows no view for that
// index; reloadData and layoutItems, called directly, raise it once the pass is complete.
class QVListViewDataSourceException : public std::runtime_error {
public:
    explicit QVListViewDataSourceException(const QString& reason);
    static constexpr char name[] = "QVListViewDataSourceException";
    const QString& reason() const { return reason_; }
    // The line the log gets where the exception cannot be raised: the name and the reason.
    QString logLine() const;

private:
    QString reason_;
};

class QVListViewDataSource {
public:
    virtual ~QVListViewDataSource() = default;
    virtual std::size_t numberOfItemsInListView(QVListView& list) = 0;
    // The item for the index, usually from list.dequeueReusableItemWithIdentifier and configured, or
    // made afresh. Must not be null. The list takes it into its view tree.
    virtual QVListItem* listViewItemAtIndex(QVListView& list, std::size_t index) = 0;
};

// Every operation is optional: the list asks implements() first (except where a comment says otherwise).
class QVListViewDelegate {
public:
    enum class Operation {
        ExtentForItemAtIndex,
        WillDisplayItemAtIndex,
        WillSelectItemsAtIndexes,
        DidSelectItemsAtIndexes,
        ItemWasDoubleClickedAtIndex,
        ItemWasMiddleClickedAtIndex,
        EmptyAreaWasDoubleClicked,
        EmptyAreaWasClicked,
        WantsSelectionOnRightClick,
        ContextMenuForItemsAtIndexes,
        CanDragItemsAtIndexes,
        PasteboardPropertyListForItemsAtIndexes,
        DraggingImageForItemsAtIndexes,
        ValidateDrop,
        AcceptDrop,
        ShouldRunPoof,
        DraggingSessionEnded,
    };

    virtual ~QVListViewDelegate() = default;
    virtual bool implements(Operation operation) const = 0;

    // Extent along the strip (height in portrait, width in landscape).
    virtual double listViewExtentForItemAtIndex(QVListView&, std::size_t) { return 0; }
    virtual void listViewWillDisplayItemAtIndex(QVListView&, QVListItem&, std::size_t) {}
    // Answers the selection to make instead of the proposed one.
    virtual QVIndexSet listViewWillSelectItemsAtIndexes(QVListView&, const QVIndexSet& proposed) { return proposed; }
    // No set: the selection was cleared.
    virtual void listViewDidSelectItemsAtIndexes(QVListView&, const std::optional<QVIndexSet>&) {}
    virtual void listViewItemWasDoubleClickedAtIndex(QVListView&, std::size_t) {}
    virtual void listViewItemWasMiddleClickedAtIndex(QVListView&, std::size_t) {}
    virtual void listViewEmptyAreaWasDoubleClicked(QVListView&) {}
    virtual void listViewEmptyAreaWasClicked(QVListView&) {}
    // False: a right click leaves the selection alone (not implemented counts as true).
    virtual bool listViewWantsSelectionOnRightClick(QVListView&) { return true; }
    virtual std::shared_ptr<pf::Menu> listViewContextMenuForItemsAtIndexes(QVListView&, const QVIndexSet&)
    {
        return nullptr;
    }
    // Drag and drop: asked by the list's drag side and the lists built on it.
    virtual bool listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&, bool* slideBack)
    {
        (void)slideBack;
        return true;
    }
    virtual pf::Variant listViewPasteboardPropertyListForItemsAtIndexes(QVListView&, const QVIndexSet&) { return {}; }
    virtual QImage listViewDraggingImageForItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&,
                                                          pf::Point* offset)
    {
        (void)offset;
        return {};
    }
    virtual pf::DragOperation listViewValidateDrop(QVListView&, const pf::DraggingInfo&, std::size_t* proposedIndex,
                                                   int* dropOperation)
    {
        (void)proposedIndex;
        (void)dropOperation;
        return pf::DragOp::None;
    }
    virtual bool listViewAcceptDrop(QVListView&, const pf::DraggingInfo&, std::size_t, int) { return false; }
    virtual bool listViewShouldRunPoofAt(QVListView&, pf::Point, const QVIndexSet&) { return false; }
    virtual void listViewDraggingSessionEnded(QVListView&, pf::Point, pf::DragOperation) {}
};

// Drag and drop: the selection is dragged out as one picture centred on the pointer; a drag over the list
// (from it, or a foreign one of a type the owner registered) hides the dragged rows and opens a gap at the
// drop position, animated. The list never changes its data: the delegate validates and accepts the drop,
// then reloads. Drop operations: 0 on the item, 1 above (before) it.
class QVListView : public pf::View, public pf::DraggingSource {
public:
    enum Orientation : int { Portrait = 0, Landscape = 1 };

    explicit QVListView(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~QVListView() override;

    // Owner links, not owned.
    pf::ScrollView* scrollView() const { return scrollView_; }
    void setScrollView(pf::ScrollView* scrollView) { scrollView_ = scrollView; }
    QVListViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(QVListViewDataSource* source) { dataSource_ = source; }
    QVListViewDelegate* delegate() const { return delegate_; }
    void setDelegate(QVListViewDelegate* delegate) { delegate_ = delegate; }

    // No setter lays out or redisplays: the caller sends reloadData.
    const pf::Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const pf::Color& c) { backgroundColor_ = c; }
    const pf::Color& nonMainBackgroundColor() const { return nonMainBackgroundColor_; }
    void setNonMainBackgroundColor(const pf::Color& c) { nonMainBackgroundColor_ = c; }
    const std::optional<pf::Gradient>& backgroundGradient() const { return backgroundGradient_; }
    void setBackgroundGradient(std::optional<pf::Gradient> g) { backgroundGradient_ = std::move(g); }
    const std::optional<pf::Gradient>& nonMainBackgroundGradient() const { return nonMainBackgroundGradient_; }
    void setNonMainBackgroundGradient(std::optional<pf::Gradient> g) { nonMainBackgroundGradient_ = std::move(g); }
    // Extent of every item when the delegate gives none.
    double itemExtent() const { return itemExtent_; }
    void setItemExtent(double extent) { itemExtent_ = extent; }
    // Space after every item along the strip; also the x of the first item (in portrait, of every item).
    double itemMargin() const { return itemMargin_; }
    void setItemMargin(double margin) { itemMargin_ = margin; }
    int orientation() const { return orientation_; }
    void setOrientation(int orientation) { orientation_ = orientation; }
    bool isPortrait() const { return orientation_ == Portrait; }
    bool isLandscape() const { return orientation_ == Landscape; }
    // Items only partly visible get views too.
    bool displaysClippedItems() const { return displaysClippedItems_; }
    void setDisplaysClippedItems(bool displays) { displaysClippedItems_ = displays; }
    // Command and Shift clicks extend the selection.
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }

    // A layout pass, then the whole view is redisplayed. Raises QVListViewDataSourceException (after the
    // pass) when the data source answered no view.
    void reloadData();
    // The layout pass alone, raising as reloadData does.
    void layoutItems();
    // An idle item from the queue, sent prepareForReuse; null when none has the identifier. With prefer,
    // an idle item it answers true for is taken before the others.
    QVListItem* dequeueReusableItemWithIdentifier(const QString& identifier,
                                                  const std::function<bool(const QVListItem&)>& prefer = nullptr);

    // Hit tests and frames, in the list's points.
    std::size_t indexForItemAtPoint(pf::Point p);
    std::size_t visibleIndexForItemAtPoint(pf::Point p) const;
    // Without the delegate's extents every item is itemExtent long.
    pf::Rect frameForItemAtIndex(std::size_t index);
    QVListItem* itemAtIndex(std::size_t index) const;
    QVListItem* itemAtVisibleIndex(std::size_t visibleIndex) const;
    const std::vector<QVListItem*>& items() const { return items_; }
    const QVListItemQueue& queue() const { return queue_; }

    // Every call is a change (the delegate may replace the set, hears of it after, and the list reloads);
    // no set clears the selection. Selections come from clicks, so a data source's failure during the
    // reload is logged, not raised.
    void setSelectionIndexes(const std::optional<QVIndexSet>& indexes);
    const std::optional<QVIndexSet>& selectionIndexes() const { return selection_; }
    // Takes on a selection made elsewhere (the owner's own state) without asking or telling the delegate and
    // without a reload.
    void adoptSelectionIndexes(const std::optional<QVIndexSet>& indexes);
    std::size_t anchorIndex() const { return anchor_; }
    void setAnchorIndex(std::size_t anchor) { anchor_ = anchor; }

    // Extra extent after the last item when the list grows past its scroll view; 0 here.
    virtual double scrollFudgeExtent() const { return 0; }

    // The click's effect on the selection (Command and Shift as the modifiers of e).
    void updateSelectionWithEvent(const pf::Event& e, std::size_t index);
    void handleRightClickEvent(const pf::Event& e);
    void handleDoubleClickAtIndex(std::size_t index);

    // Drag state kept for the list's drag and drop.
    const std::optional<pf::Event>& lastMouseDownEvent() const { return lastMouseDownEvent_; }
    const QVIndexSet& draggingIndexes() const { return draggingIndexes_; }
    const std::optional<QVIndexSet>& draggingVisibleIndexes() const { return draggingVisibleIndexes_; }
    bool isDragSource() const { return isDragSource_; }
    bool isLayoutSuppressed() const { return suppressLayout_; }
    pf::Point dragOffset() const { return dragOffset_; }
    std::size_t dropIndex() const { return dropIndex_; }
    std::size_t dropVisibleIndex() const { return dropVisibleIndex_; }
    int dropOperation() const { return dropOp_; }
    const std::vector<pf::Rect>& itemFrames() const { return itemFrames_; }
    // Where the last layout during a drag sends each shown view (by visible position), which the
    // animation reaches after 0.05 s.
    const std::vector<pf::Rect>& draggingTargetFrames() const { return draggingTargetFrames_; }

    // The list as the drag's pasteboard writer: nothing here; lists built on it write their own type from
    // the delegate's property list.
    virtual QStringList writableTypesForPasteboard() const { return {}; }
    virtual pf::Value pasteboardPropertyListForType(const QString&) { return {}; }
    // The list's drag image: the rows' pictures stacked in index order, the whole half transparent. A null
    // image for no rows. With an offset, it gets the event's location in the last row's view, less its
    // height in y.
    QImage draggingImageForItemsAtIndexes(const QVIndexSet* indexes, const pf::Event& e, pf::Point* offset) const;

    // Drag source.
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override;
    bool ignoreModifierKeysForDraggingSession() override { return true; }
    // The drag from this list is over at screen point p (the picture's top-left corner).
    void draggingSessionEndedAtPoint(pf::Point p, pf::DragOperation operation) override;

    // Drop target; the owner registers the types it takes.
    pf::DragOperation draggingEntered(const pf::DraggingInfo& info) override;
    pf::DragOperation draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo& info) override;
    void draggingEnded(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

protected:
    void layoutSubviews() override;
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void rightMouseDown(const pf::Event& e) override;
    void rightMouseUp(const pf::Event& e) override;
    void otherMouseDown(const pf::Event& e) override;
    void viewDidMoveToSuperview() override;
    void viewDidMoveToWindow() override;

    // The drag of the selection begins (the pointer left the square round the mouse-down): the dragging
    // indexes are set; empty hook here.
    virtual void draggingSourceDragDidBegin() {}
    // Starts the dragging session for the drag that began (the delegate may refuse it); returns once the
    // drag is over.
    virtual void beginDraggingSessionWithEvent(const pf::Event& e);
    // The drag from this list is over: its state is cleared and the list reloads.
    virtual void draggingSourceDragDidEnd();

    // The background for the window's state: the main colour or gradient when the window is main.
    bool drawsAsMain() const;

    // Drag-and-drop state of the list's drag side.
    std::optional<pf::Event> lastMouseDownEvent_;
    QVIndexSet draggingIndexes_;
    std::optional<QVIndexSet> draggingVisibleIndexes_;
    pf::Point dragOffset_;
    std::size_t dropIndex_ = pf::NotFound;
    std::size_t dropVisibleIndex_ = pf::NotFound;
    int dropOp_ = 0;
    std::vector<pf::Rect> itemFrames_;
    bool suppressLayout_ = false;
    bool delegateRespondsToValidateDrop_ = false;
    bool isDragSource_ = false;
    pf::DelayedCallOwner delayedCalls_;

    // During a drag over the list: the drop index under p from the frames recorded on entry (so it does not
    // move with the animated views); the view a drop index falls on; the gap layout.
    std::size_t indexForItemWhileDraggingAtPoint(pf::Point p) const;
    QVListItem* itemWhileDraggingAtIndex(std::size_t index) const;
    void layoutItemsWhileDragging();
    void unsuppressLayout();

private:
    enum class FailureMode { Raise, Log };
    // The pass; answers the first failure's reason, if any.
    std::optional<QString> runLayoutPass();
    void layoutOrLog();
    void reloadOrLog();
    void reload(FailureMode mode);
    bool delegateImplements(QVListViewDelegate::Operation op) const
    {
        return delegate_ && delegate_->implements(op);
    }
    double extentAt(std::size_t index, bool askDelegate);
    void displayContextMenu(const pf::Event& e);
    bool wantsSelectionOnRightClick();

    QPointer<pf::ScrollView> scrollView_;
    QVListViewDataSource* dataSource_ = nullptr;
    QVListViewDelegate* delegate_ = nullptr;
    pf::Color backgroundColor_ = pf::Color::white();
    pf::Color nonMainBackgroundColor_ = pf::Color::white();
    std::optional<pf::Gradient> backgroundGradient_;
    std::optional<pf::Gradient> nonMainBackgroundGradient_;
    double itemExtent_ = 44.0;
    double itemMargin_ = 0;
    std::optional<QVIndexSet> selection_;
    std::size_t anchor_ = pf::NotFound;
    int orientation_ = Portrait;
    bool displaysClippedItems_ = true;
    bool allowsMultipleSelection_ = false;
    std::vector<QVListItem*> items_;
    std::vector<QVListItem*> unusedItems_;
    QVListItemQueue queue_;
    std::vector<pf::Rect> draggingTargetFrames_;
    pf::Animation gapAnimation_;

    // Mouse tracking: a press on the list waits for a release (the click) or a drag past the threshold.
    enum class Tracking { Idle, Pressed, Dragging };
    Tracking tracking_ = Tracking::Idle;
    std::size_t pressIndex_ = pf::NotFound;
    std::size_t pressVisibleIndex_ = pf::NotFound;
    bool selectionWaitsForMouseUp_ = false;

    // Passes asked for while one runs are run after it, not inside it.
    bool inLayoutPass_ = false;
    bool layoutAgain_ = false;
    pf::NotificationToken scrollObservation_;
    std::vector<pf::NotificationToken> windowObservations_;
};
