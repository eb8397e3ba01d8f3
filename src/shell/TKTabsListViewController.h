// The tab strip of a tabbed window: one TKTabListItem per tab in a recycling list inside a scroll view, with
// an add button and an overflow button in a band at its end. The controller is the list's data source and
// delegate, asks its delegate (the window controller) for the tabs and reports the user's actions to it:
// select, close (middle click), new tab (add button, double click on empty space), context menu, rename in
// place (double click on a title), reorder by drag within the window, and choosing from the overflow menu.
// How a tab looks and how long it is comes from a style chosen by name from a process-wide registry.
//
// A tab dragged within its window travels as "com.thistlewick.quorvel.composition.page": a property list
// {"tabModelIndex": first dragged index, "tabbedDocumentIdentifier": the source window controller's
// identifier}. A drop is checked against the window registry: a closed source window, an index out of
// range, or a tab from another window is refused. A reorder is one undo step, "Reorder <tab name>".
#pragma once

#include "shell/QVListView.h"
#include "shell/QVView.h"
#include "shell/QVViewController.h"
#include "shell/TKTabListItem.h"
#include "shell/TKTabsList.h"

#include <QPointer>

#include <functional>
#include <map>
#include <memory>

class QLineEdit;
class TKMainWindowController;
class TKTabsListViewControllerLineEdit;

// The strip's list: a drag source of the page type; redisplays when its window becomes or stops being main.
class TKTabsListView : public QVListView {
public:
    static const QString pageType; // "com.thistlewick.quorvel.composition.page"

    explicit TKTabsListView(const pf::Rect& frame = {}, QWidget* parent = nullptr);

    bool wantsTopBorder() const { return wantsTopBorder_; }
    void setWantsTopBorder(bool wants) { wantsTopBorder_ = wants; }
    QStringList writableTypesForPasteboard() const override { return {pageType}; }
    // The delegate's property list for the dragging indexes; null without one.
    pf::Value pasteboardPropertyListForType(const QString& type) override;
    // Move within the application, nothing outside it.
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override
    {
        return context == pf::DraggingContext::WithinApplication ? pf::DragOp::Move : pf::DragOp::None;
    }

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    // A mouse wheel turns only vertically: across a strip of tabs on top it scrolls the strip sideways.
    void wheelEvent(QWheelEvent* e) override;

private:
    bool wantsTopBorder_ = false;
};

// The strip's top view: the scroll view and, in a 19-point band at its end, the add and overflow
// containers. Setters only store; callers ask for a layout.
class TKTabsListViewControllerView : public QVViewControllerView {
public:
    static constexpr double bandExtent = 19;

    using QVViewControllerView::QVViewControllerView;

    bool isPortrait() const { return portrait_; }
    void setPortrait(bool portrait) { portrait_ = portrait; }
    bool addButtonVisible() const { return addButtonVisible_; }
    void setAddButtonVisible(bool visible) { addButtonVisible_ = visible; }
    bool overflowButtonVisible() const { return overflowButtonVisible_; }
    void setOverflowButtonVisible(bool visible) { overflowButtonVisible_ = visible; }

    pf::ScrollView* scrollView = nullptr;
    pf::View* buttonContainerView = nullptr;
    pf::View* addButtonContainerView = nullptr;
    pf::View* overflowButtonContainerView = nullptr;

    // Rects in the view's points (y down: the band is at the bottom of a vertical strip, at the right of a
    // horizontal one); the containers' rects are in the band's own points.
    pf::Rect scrollViewRectForBounds(const pf::Rect& bounds) const;
    pf::Rect buttonRectForBounds(const pf::Rect& bounds) const;
    pf::Rect addButtonRectForButtonRect(const pf::Rect& buttonRect) const;
    pf::Rect overflowButtonRectForButtonRect(const pf::Rect& buttonRect) const;
    void layoutSubviews() override;

private:
    bool anyButtonVisible() const { return addButtonVisible_ || overflowButtonVisible_; }
    bool portrait_ = false;
    bool addButtonVisible_ = false;
    bool overflowButtonVisible_ = false;
};

class TKTabsListViewController : public QVViewController,
                                 public TKTabsList,
                                 public QVListViewDataSource,
                                 public QVListViewDelegate {
public:
    static constexpr char interfaceFileName[] = "TKTabsListView";
    using StyleFactory = std::function<std::unique_ptr<TKTabListItemStyle>()>;

    // Stores the style under the name, replacing an earlier one.
    static void registerStyleClass(const StyleFactory& factory, const QString& name);
    static bool hasStyleNamed(const QString& name);

    TKTabsListViewController();
    ~TKTabsListViewController() override;

    // ---- TKTabsList ----
    void setDelegate(TKTabsListViewControllerDelegate* delegate) override { delegate_ = delegate; }
    TKTabsListViewControllerDelegate* delegate() const override { return delegate_; }
    void updateAllTabModels() override;
    pf::Rect frameForItemAtIndex(std::size_t index) override;
    void scrollRectToVisible(const pf::Rect& rect) override;
    QString defaultEditableKeyPath() const override;
    void beginEditingListItemAtIndex(std::size_t index, const QString& keyPath) override;

    // ---- the strip ----
    // Chooses the style (an unknown name leaves none: no buttons, every extent 0) and loads the view.
    void useStyleNamed(const QString& name);
    const TKTabListItemStyle* listItemStyle() const { return listItemStyle_.get(); }
    bool allowsTabTitleEditing() const { return allowsTabTitleEditing_; }
    void setAllowsTabTitleEditing(bool allows) { allowsTabTitleEditing_ = allows; }
    bool willTabsSquish() const { return willTabsSquish_; }
    void updateAllTabModelsFromIndex(std::size_t index);
    void updateSelectedTabModel() {}
    // The window controller of the strip's window: the delegate when it is one.
    TKMainWindowController* windowController() const;

    pf::ScrollView* scrollView() const { return scrollView_; }
    TKTabsListView* listView() const { return listView_; }
    TKTabsListViewControllerView* controllerView();
    pf::View* addButtonContainerView() const { return addButtonContainerView_; }
    pf::View* overflowButtonContainerView() const { return overflowButtonContainerView_; }
    TKOverflowButton* addButton() const { return addButton_; }
    TKOverflowButton* overflowButton() const { return overflowButton_; }

    // The last tab that fits whole in the available length; every tab when not even one fits.
    std::size_t lastVisibleTabIndex();
    bool needsOverflowButton();
    // A squishing style's extent of the tab at index among count tabs of extent e in length L whose last
    // visible index is last: the tabs share L (the last visible one takes the remainder) when they do not
    // all fit; squish tells which.
    static double squishedExtent(std::size_t index, std::size_t count, double extent, double length, std::size_t last,
                                 bool* squish);
    void updateOverflowButtonVisible();

    // ---- actions ----
    void addButtonClicked();
    // Shows the overflow menu one turn later, at the click's place.
    void overflowButtonClicked(const pf::Event& event);
    void overflowTabSelected(const pf::MenuItem& item);
    void closeTabButtonClick(std::int64_t tag);

    // ---- renaming ----
    QLineEdit* fieldEditor() const;
    std::size_t editingIndex() const { return editingIndex_; }
    const QString& editingKeyPath() const { return editingKeyPath_; }
    void beginEditingListItem(TKTabListItem* item, std::size_t index, const QString& keyPath);
    // Ends a running edit: writes the text unless cancelled.
    void stopEditing(bool cancel);

    // ---- list data source and delegate ----
    std::size_t numberOfItemsInListView(QVListView& list) override;
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t index) override;
    bool implements(Operation operation) const override;
    double listViewExtentForItemAtIndex(QVListView& list, std::size_t index) override;
    void listViewDidSelectItemsAtIndexes(QVListView& list, const std::optional<QVIndexSet>& indexes) override;
    void listViewItemWasDoubleClickedAtIndex(QVListView& list, std::size_t index) override;
    void listViewItemWasMiddleClickedAtIndex(QVListView& list, std::size_t index) override;
    void listViewEmptyAreaWasDoubleClicked(QVListView& list) override;
    std::shared_ptr<pf::Menu> listViewContextMenuForItemsAtIndexes(QVListView& list, const QVIndexSet& indexes) override;
    bool listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&, bool* slideBack) override;
    pf::Variant listViewPasteboardPropertyListForItemsAtIndexes(QVListView& list, const QVIndexSet& indexes) override;
    pf::DragOperation listViewValidateDrop(QVListView& list, const pf::DraggingInfo& info, std::size_t* proposedIndex,
                                           int* dropOperation) override;
    bool listViewAcceptDrop(QVListView& list, const pf::DraggingInfo& info, std::size_t index,
                            int dropOperation) override;
    bool listViewShouldRunPoofAt(QVListView& list, pf::Point point, const QVIndexSet& indexes) override;
    void listViewDraggingSessionEnded(QVListView& list, pf::Point point, pf::DragOperation operation) override;

    // The double click's location in the list, for title editing; tests set it (the list reports no
    // location with a double click).
    void setLastDoubleClickLocation(pf::Point point) { lastDoubleClickLocation_ = point; }

    void viewDidLoad() override;

private:
    // The scroll view's content length along the strip, less the overflow band when asked.
    double availableLength(bool lessOverflow, pf::Size* contentSize = nullptr) const;
    void viewFrameDidChange();
    void tryInvalidateRestorableState();

    static std::map<QString, StyleFactory>& registry();

    bool willTabsSquish_ = false;
    bool allowsTabTitleEditing_ = false;
    TKTabsListViewControllerDelegate* delegate_ = nullptr;
    QPointer<pf::ScrollView> scrollView_;
    QPointer<TKTabsListView> listView_;
    QPointer<pf::View> addButtonContainerView_;
    QPointer<pf::View> overflowButtonContainerView_;
    QPointer<TKOverflowButton> addButton_;
    QPointer<TKOverflowButton> overflowButton_;
    std::unique_ptr<TKTabListItemStyle> listItemStyle_;
    QPointer<TKTabsListViewControllerLineEdit> fieldEditor_;
    std::size_t editingIndex_ = 0;
    QString editingKeyPath_;
    std::optional<pf::Point> lastDoubleClickLocation_;
    pf::NotificationToken frameObservation_;
    pf::DelayedCallOwner delayedCalls_;
    friend class TKTabsListViewControllerLineEdit;
    friend TKTabsListViewControllerView* buildTabsListView(TKTabsListViewController& owner);
};

// The builder of the "TKTabsListView" interface file: the controller view, the scroll view over the list, the
// band with its two containers; the controller's outlets and the list's data source and delegate.
TKTabsListViewControllerView* buildTabsListView(TKTabsListViewController& owner);

// Registers the Page style under "Page", the interface file, and makes the real strip every tabbed window's
// strip. Called once at start-up (static libraries drop self-registering objects).
void registerTabStripClasses();
