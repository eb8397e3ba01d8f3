#include "shell/TKTabsListViewController.h"

#include "shell/TKMainWindowController.h"
#include "shell/TKTabModel.h"

#include "geometry/QVColor.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QLineEdit>

#include <algorithm>
#include <cmath>

// The in-place title editor: Escape cancels; Return and losing the keyboard commit.
class TKTabsListViewControllerLineEdit : public QLineEdit {
public:
    TKTabsListViewControllerLineEdit(TKTabsListViewController& controller, QWidget* parent)
        : QLineEdit(parent), controller_(controller)
    {
        connect(this, &QLineEdit::editingFinished, this, [this] { controller_.stopEditing(false); });
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape) {
            controller_.stopEditing(true);
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    TKTabsListViewController& controller_;
};

// ---- the list ----

const QString TKTabsListView::pageType = QStringLiteral("com.thistlewick.quorvel.composition.page");

TKTabsListView::TKTabsListView(const pf::Rect& frame, QWidget* parent) : QVListView(frame, parent)
{
    setAcceptsFirstResponder(true);
}

pf::Value TKTabsListView::pasteboardPropertyListForType(const QString& type)
{
    if (type != pageType || !delegate()
        || !delegate()->implements(QVListViewDelegate::Operation::PasteboardPropertyListForItemsAtIndexes))
        return {};
    const pf::Variant record = delegate()->listViewPasteboardPropertyListForItemsAtIndexes(*this, draggingIndexes());
    const auto map = record.get<pf::VariantMap>();
    if (!map)
        return {};
    // The page record holds an index and a window identifier: integers and strings.
    pf::Value plist = pf::Value::dictionary();
    for (const auto& [key, value] : *map) {
        if (const auto text = value.get<QString>())
            plist.set(key, *text);
        else if (const auto number = value.get<std::int64_t>())
            plist.set(key, *number);
    }
    return plist;
}

void TKTabsListView::wheelEvent(QWheelEvent* e)
{
    const QPoint delta = e->angleDelta();
    pf::ScrollView* scroll = enclosingScrollView();
    if (orientation() == Landscape && scroll && std::abs(delta.y()) > std::abs(delta.x())) {
        // A slider takes the dominant turn along its own axis.
        QCoreApplication::sendEvent(scroll->horizontalScrollBar(), e);
        e->accept();
        return;
    }
    QVListView::wheelEvent(e);
}

void TKTabsListView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    QVListView::drawRect(context, dirtyRect);
    if (!wantsTopBorder_)
        return;
    static const pf::Color mainColor = QVHexColor(0x7A7A7A);
    static const pf::Color otherColor = QVHexColor(0xAAAAAA);
    const pf::Rect b = bounds();
    const double y = std::floor(b.minY()) + 0.5;
    pf::Path line;
    line.moveTo({b.minX(), y});
    line.lineTo({b.maxX(), y});
    context.setStrokeColor(drawsAsMain() ? mainColor : otherColor);
    context.setLineWidth(1);
    context.strokePath(line);
}

// ---- the band layout ----

pf::Rect TKTabsListViewControllerView::buttonRectForBounds(const pf::Rect& b) const
{
    const double band = anyButtonVisible() ? bandExtent : 0;
    if (portrait_)
        return pf::Rect(b.minX(), b.maxY() - band, b.width(), band);
    return pf::Rect(b.maxX() - bandExtent, b.minY(), band, b.height());
}

pf::Rect TKTabsListViewControllerView::scrollViewRectForBounds(const pf::Rect& b) const
{
    if (!anyButtonVisible())
        return b;
    // One point shorter than the band: the scroll view runs under the band's separator.
    const double cut = bandExtent - 1;
    if (portrait_)
        return pf::Rect(b.minX(), b.minY(), b.width(), b.height() - cut);
    return pf::Rect(b.minX(), b.minY(), b.width() - cut, b.height());
}

pf::Rect TKTabsListViewControllerView::addButtonRectForButtonRect(const pf::Rect& r) const
{
    if (portrait_)
        return pf::Rect(0, 0, overflowButtonVisible_ ? std::ceil(r.width() / 2) : r.width(), bandExtent);
    // The add button sits above the overflow button.
    if (overflowButtonVisible_)
        return pf::Rect(0, 0, bandExtent, std::ceil(r.height() / 2));
    return pf::Rect(0, 0, bandExtent, r.height());
}

pf::Rect TKTabsListViewControllerView::overflowButtonRectForButtonRect(const pf::Rect& r) const
{
    if (portrait_) {
        if (addButtonVisible_)
            return pf::Rect(std::ceil(r.width() / 2), 0, std::ceil(r.width() / 2), bandExtent);
        return pf::Rect(0, 0, r.width(), bandExtent);
    }
    if (addButtonVisible_)
        return pf::Rect(0, std::floor(r.height() / 2), bandExtent, std::ceil(r.height() / 2));
    return pf::Rect(0, 0, bandExtent, r.height());
}

void TKTabsListViewControllerView::layoutSubviews()
{
    const pf::Rect b = bounds();
    if (scrollView) {
        const pf::Rect r = scrollViewRectForBounds(b);
        scrollView->setGeometry(QRectF(r.minX(), r.minY(), r.width(), r.height()).toRect());
    }
    const pf::Rect band = buttonRectForBounds(b);
    if (buttonContainerView)
        buttonContainerView->setFrame(band);
    if (addButtonContainerView) {
        addButtonContainerView->setFrame(addButtonRectForButtonRect(band));
        addButtonContainerView->setVisible(addButtonVisible_);
    }
    if (overflowButtonContainerView) {
        overflowButtonContainerView->setFrame(overflowButtonRectForButtonRect(band));
        overflowButtonContainerView->setVisible(overflowButtonVisible_);
    }
}

// ---- the interface file ----

namespace {

// A container whose one subview follows its size.
class TKButtonContainerView : public QVView {
public:
    using QVView::QVView;
    void layoutSubviews() override
    {
        for (QObject* child : children())
            if (auto* view = dynamic_cast<pf::View*>(child))
                view->setFrame(bounds());
    }
};

} // namespace

TKTabsListViewControllerView* buildTabsListView(TKTabsListViewController& owner)
{
    auto* view = new TKTabsListViewControllerView(pf::Rect(0, 0, 400, 83));
    auto* scroll = new pf::ScrollView(view);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* list = new TKTabsListView(pf::Rect(0, 0, 400, 83));
    list->setScrollView(scroll);
    scroll->setDocumentView(list);
    auto* band = new pf::View(pf::Rect());
    view->addSubview(band, pf::Rect());
    auto* add = new TKButtonContainerView(pf::Rect());
    band->addSubview(add, pf::Rect());
    auto* overflow = new TKButtonContainerView(pf::Rect());
    band->addSubview(overflow, pf::Rect());

    view->scrollView = scroll;
    view->buttonContainerView = band;
    view->addButtonContainerView = add;
    view->overflowButtonContainerView = overflow;
    owner.scrollView_ = scroll;
    owner.listView_ = list;
    owner.addButtonContainerView_ = add;
    owner.overflowButtonContainerView_ = overflow;
    list->setDataSource(&owner);
    list->setDelegate(&owner);
    return view;
}

void registerTabStripClasses()
{
    TKTabsListViewController::registerStyleClass([] { return std::make_unique<TabListItemStylePage>(); },
                                                 QStringLiteral("Page"));
    pf::registerViewBuilder(QString::fromLatin1(TKTabsListViewController::interfaceFileName),
                            [](pf::Responder* owner) -> pf::View* {
                                auto* controller = dynamic_cast<TKTabsListViewController*>(owner);
                                if (!controller)
                                    return nullptr;
                                return buildTabsListView(*controller);
                            });
    TKTabsList::factory() = [] { return std::unique_ptr<TKTabsList>(std::make_unique<TKTabsListViewController>()); };
}

// ---- the controller ----

std::map<QString, TKTabsListViewController::StyleFactory>& TKTabsListViewController::registry()
{
    static std::map<QString, StyleFactory> styles;
    return styles;
}

void TKTabsListViewController::registerStyleClass(const StyleFactory& factory, const QString& name)
{
    registry()[name] = factory;
}

bool TKTabsListViewController::hasStyleNamed(const QString& name)
{
    return registry().count(name) != 0;
}

TKTabsListViewController::TKTabsListViewController()
    : QVViewController(QString::fromLatin1(interfaceFileName))
{
    // The overflow menu's entries name their tab by tag and target this controller.
    setAction(QStringLiteral("overflowTabSelected:"), [this](const pf::MenuItem* sender) {
        if (sender)
            overflowTabSelected(*sender);
    });
}

TKTabsListViewController::~TKTabsListViewController()
{
    delayedCalls_.cancelPreviousPerformRequests();
    frameObservation_.reset();
    if (fieldEditor_) {
        fieldEditor_->disconnect();
        delete fieldEditor_.data();
    }
    if (listView_) {
        for (QVListItem* item : listView_->items())
            if (auto* tab = dynamic_cast<TKTabListItem*>(item))
                tab->setTabsListViewController(nullptr);
        listView_->setDataSource(nullptr);
        listView_->setDelegate(nullptr);
    }
    delegate_ = nullptr;
}

TKTabsListViewControllerView* TKTabsListViewController::controllerView()
{
    return isViewLoaded() ? dynamic_cast<TKTabsListViewControllerView*>(view()) : nullptr;
}

TKMainWindowController* TKTabsListViewController::windowController() const
{
    return dynamic_cast<TKMainWindowController*>(delegate_);
}

void TKTabsListViewController::useStyleNamed(const QString& name)
{
    const auto found = registry().find(name);
    listItemStyle_ = found != registry().end() ? found->second() : nullptr;
    if (listView_ && listItemStyle_)
        listView_->setDisplaysClippedItems(listItemStyle_->displaysClippedItems());
    TKTabsListViewControllerView* top = dynamic_cast<TKTabsListViewControllerView*>(view());
    if (!top || !listView_)
        return;
    if (listItemStyle_)
        listView_->setDisplaysClippedItems(listItemStyle_->displaysClippedItems());
    top->setPortrait(listView_->isPortrait());
    if (!listItemStyle_)
        return;
    if (listItemStyle_->wantsAddButton() && !addButton_) {
        top->setAddButtonVisible(true);
        top->layoutSubviews();
        addButton_ = listItemStyle_->newAddButtonWithFrame(addButtonContainerView_->bounds());
        if (addButton_) {
            addButton_->setPortrait(listView_->isPortrait());
            addButtonContainerView_->addSubview(addButton_, addButtonContainerView_->bounds());
            addButton_->setAction([this, alive = weakReference()](const pf::Event&) {
                if (!alive.expired())
                    addButtonClicked();
            });
        }
    }
    if (listItemStyle_->wantsOverflowButton() && !overflowButton_) {
        overflowButton_ = listItemStyle_->newOverflowButtonWithFrame(overflowButtonContainerView_->bounds());
        if (overflowButton_) {
            overflowButton_->setPortrait(listView_->isPortrait());
            overflowButtonContainerView_->addSubview(overflowButton_, overflowButtonContainerView_->bounds());
            overflowButton_->setAction([this, alive = weakReference()](const pf::Event& e) {
                if (!alive.expired())
                    overflowButtonClicked(e);
            });
        }
        updateOverflowButtonVisible();
    }
}

void TKTabsListViewController::viewDidLoad()
{
    if (!listView_ || !scrollView_)
        return;
    listView_->registerForDraggedTypes({TKTabsListView::pageType});
    // A resize of the visible area commits a running edit; scrolling alone does not.
    frameObservation_ = pf::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("NSViewBoundsDidChangeNotification"), scrollView_.data(),
        [this, last = std::make_shared<pf::Size>(scrollView_->contentSize())](const pf::Notification&) {
            const pf::Size now = scrollView_ ? scrollView_->contentSize() : pf::Size();
            if (now == *last)
                return;
            *last = now;
            viewFrameDidChange();
        });
}

void TKTabsListViewController::viewFrameDidChange()
{
    stopEditing(false);
    updateOverflowButtonVisible();
}

void TKTabsListViewController::updateAllTabModels()
{
    auto* top = controllerView();
    if (!top || !listView_)
        return;
    const bool portrait = listView_->isPortrait();
    top->setPortrait(portrait);
    // The list fills the strip's clip area at least, so a tab dropped past the last one lands on the list
    // (and goes last), and grows along the strip with its tabs.
    listView_->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    if (addButton_) {
        addButton_->setPortrait(portrait);
        addButton_->setNeedsDisplay();
    }
    if (overflowButton_) {
        overflowButton_->setPortrait(portrait);
        overflowButton_->setNeedsDisplay();
    }
    top->layoutSubviews();
    if (scrollView_) {
        // Across the strip the list is as deep as the visible area; the autoresizing keeps it so.
        const pf::Size content = scrollView_->contentSize();
        pf::Rect frame = listView_->frame();
        if (portrait)
            frame.size.width = content.width;
        else
            frame.size.height = content.height;
        listView_->setFrame(frame);
    }
    updateAllTabModelsFromIndex(0);
    updateOverflowButtonVisible();
}

void TKTabsListViewController::updateAllTabModelsFromIndex(std::size_t)
{
    if (!listView_)
        return;
    // The list's selection is the window's selected tab, whatever moved it (a reorder, a key, a menu): a
    // press on a tab the list still counted as selected would wait for a release a drag never sends.
    std::optional<QVIndexSet> selected;
    const std::size_t count = delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
    for (std::size_t i = 0; i < count; ++i)
        if (const auto model = delegate_->tabsViewControllerTabModelAtIndex(*this, i); model && model->isSelected())
            selected = QVIndexSet{i};
    listView_->adoptSelectionIndexes(selected);
    try {
        listView_->reloadData();
    } catch (const QVListViewDataSourceException& e) {
        qWarning("%s", qPrintable(e.logLine()));
    }
    updateOverflowButtonVisible();
}

pf::Rect TKTabsListViewController::frameForItemAtIndex(std::size_t index)
{
    return listView_ ? listView_->frameForItemAtIndex(index) : pf::Rect();
}

void TKTabsListViewController::scrollRectToVisible(const pf::Rect& rect)
{
    if (scrollView_)
        scrollView_->scrollRectToVisible(rect);
}

QString TKTabsListViewController::defaultEditableKeyPath() const
{
    return listItemStyle_ ? listItemStyle_->defaultEditableKeyPath() : QString();
}

// ---- lengths ----

double TKTabsListViewController::availableLength(bool lessOverflow, pf::Size* contentSize) const
{
    if (!scrollView_ || !listView_)
        return 0;
    pf::Size size = scrollView_->contentSize();
    const bool portrait = listView_->isPortrait();
    if (lessOverflow && overflowButtonContainerView_) {
        const pf::Rect f = overflowButtonContainerView_->frame();
        if (portrait)
            size.height -= f.height();
        else
            size.width -= f.width();
    }
    if (contentSize)
        *contentSize = size;
    return std::max(0.0, portrait ? size.height : size.width);
}

std::size_t TKTabsListViewController::lastVisibleTabIndex()
{
    const std::size_t n = delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
    if (n == 0 || !listView_)
        return 0;
    const double length = availableLength(true);
    double extent = 0;
    if (!listView_->items().empty()) {
        const pf::Rect f = listView_->items().front()->frame();
        extent = listView_->isPortrait() ? f.height() : f.width();
    }
    // No item laid out yet: a strip with room shows the first tab, one without room counts all as shown.
    if (!(extent > 0))
        return length > 0 ? 0 : n - 1;
    const double fitting = std::floor(length / extent) - 1;
    // Not even one whole tab fits: every tab counts as visible.
    if (!(fitting >= 0) || !std::isfinite(fitting))
        return n - 1;
    return std::min(n - 1, std::size_t(fitting));
}

bool TKTabsListViewController::needsOverflowButton()
{
    const std::size_t n = delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
    return n != 0 && lastVisibleTabIndex() < n - 1;
}

void TKTabsListViewController::updateOverflowButtonVisible()
{
    auto* top = controllerView();
    if (!top)
        return;
    const bool visible = overflowButton_ && needsOverflowButton();
    if (visible == top->overflowButtonVisible())
        return;
    top->setOverflowButtonVisible(visible);
    top->setNeedsLayout();
}

double TKTabsListViewController::squishedExtent(std::size_t index, std::size_t count, double extent, double length,
                                                 std::size_t last, bool* squish)
{
    if (count <= 1) {
        *squish = false;
        return std::min(extent, length);
    }
    *squish = double(count) * extent > length;
    if (!*squish)
        return std::min(extent, length);
    double share = std::round(length / double(last + 1));
    if (index == last)
        share = length - double(index) * share;
    return std::min(share, length);
}

double TKTabsListViewController::listViewExtentForItemAtIndex(QVListView&, std::size_t index)
{
    if (!listItemStyle_ || !listView_) {
        willTabsSquish_ = false;
        return 0;
    }
    const bool overflow = needsOverflowButton();
    pf::Size content;
    const double length = availableLength(overflow, &content);
    const double extent = listItemStyle_->tabItemExtentForScrollSize(content, listView_->isPortrait());
    if (!listItemStyle_->wantsSquishedItems()) {
        willTabsSquish_ = false;
        return extent;
    }
    const std::size_t n = delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
    return squishedExtent(index, n, extent, length, lastVisibleTabIndex(), &willTabsSquish_);
}

// ---- items ----

std::size_t TKTabsListViewController::numberOfItemsInListView(QVListView&)
{
    return delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
}

QVListItem* TKTabsListViewController::listViewItemAtIndex(QVListView& list, std::size_t index)
{
    const std::shared_ptr<TKTabModel> model =
        delegate_ ? delegate_->tabsViewControllerTabModelAtIndex(*this, index) : nullptr;
    if (model)
        model->setIndex(index);
    // The queue hands views back in no particular order: the one that last showed this page keeps its
    // picture, where any other would have to draw the page again.
    const std::shared_ptr<pf::Object> page = model ? model->representedObject() : nullptr;
    auto* item = dynamic_cast<TKTabListItem*>(list.dequeueReusableItemWithIdentifier(
        TKTabListItem::reuseIdentifierName, [&page](const QVListItem& idle) {
            const auto* tab = dynamic_cast<const TKTabListItem*>(&idle);
            return page && tab && tab->representedObject() == page;
        }));
    if (!item) {
        item = new TKTabListItem;
        item->setShowsCloseButton(false);
        item->setShowsProgressIndicator(false);
        item->setNeedsLayout();
    }
    item->setSquished(willTabsSquish_);
    item->setFirst(index == 0);
    item->setLast(index == lastVisibleTabIndex());
    item->setTitle(model ? model->title() : QString());
    item->setSelected(model && model->isSelected());
    item->setRepresentedObject(page);
    item->setTabsListViewController(this);
    if (auto* close = item->closeButton()) {
        close->setTag(std::int64_t(index));
        close->setAction([this, close, alive = weakReference()](const pf::Event&) {
            if (!alive.expired())
                closeTabButtonClick(close->tag());
        });
    }
    item->setNeedsDisplay(true);
    return item;
}

bool TKTabsListViewController::implements(Operation operation) const
{
    switch (operation) {
    case Operation::ExtentForItemAtIndex:
    case Operation::DidSelectItemsAtIndexes:
    case Operation::ItemWasDoubleClickedAtIndex:
    case Operation::ItemWasMiddleClickedAtIndex:
    case Operation::EmptyAreaWasDoubleClicked:
    case Operation::ContextMenuForItemsAtIndexes:
    case Operation::CanDragItemsAtIndexes:
    case Operation::PasteboardPropertyListForItemsAtIndexes:
    case Operation::ValidateDrop:
    case Operation::AcceptDrop:
    case Operation::ShouldRunPoof:
    case Operation::DraggingSessionEnded:
        return true;
    default:
        return false;
    }
}

void TKTabsListViewController::listViewDidSelectItemsAtIndexes(QVListView& list,
                                                               const std::optional<QVIndexSet>& indexes)
{
    if (!indexes || indexes->empty())
        return;
    if (pf::Window* window = list.enclosingWindow())
        window->makeFirstResponder(&list);
    if (delegate_)
        delegate_->tabsViewControllerDidSelectTabModelAtIndex(*this, *indexes->begin());
}

void TKTabsListViewController::listViewItemWasDoubleClickedAtIndex(QVListView& list, std::size_t index)
{
    if (!allowsTabTitleEditing_)
        return;
    // Where the double click fell: the current event's location in the list.
    pf::Point at;
    if (lastDoubleClickLocation_) {
        at = *lastDoubleClickLocation_;
    } else if (const auto& event = pf::InputState::shared().currentEvent()) {
        at = list.convertPointFromScreen(event->screenLocation);
    } else {
        return;
    }
    lastDoubleClickLocation_.reset();
    auto* item = dynamic_cast<TKTabListItem*>(list.itemAtIndex(index));
    if (!item)
        return;
    const QPointF local = item->mapFrom(&list, at.toQt());
    const QString keyPath = item->editableKeyPathForDoubleClick(pf::Point::fromQt(local));
    if (!keyPath.isEmpty())
        beginEditingListItem(item, index, keyPath);
}

void TKTabsListViewController::listViewItemWasMiddleClickedAtIndex(QVListView&, std::size_t index)
{
    if (delegate_)
        delegate_->tabsViewControllerDidCloseTabModelAtIndex(*this, index);
}

void TKTabsListViewController::listViewEmptyAreaWasDoubleClicked(QVListView&)
{
    if (delegate_)
        delegate_->tabsViewControllerWantsNewTab(*this);
}

std::shared_ptr<pf::Menu> TKTabsListViewController::listViewContextMenuForItemsAtIndexes(QVListView&,
                                                                                         const QVIndexSet& indexes)
{
    if (!delegate_ || indexes.empty())
        return nullptr;
    return delegate_->tabsViewControllerContextMenuForTabModelAtIndex(*this, *indexes.begin());
}

// ---- actions ----

void TKTabsListViewController::addButtonClicked()
{
    if (delegate_)
        delegate_->tabsViewControllerWantsNewTab(*this);
}

void TKTabsListViewController::overflowButtonClicked(const pf::Event& event)
{
    delayedCalls_.performAfterDelay(
        [this, event] {
            auto menu = std::make_shared<pf::Menu>(QString());
            const std::size_t n = delegate_ ? delegate_->numberOfTabsInTabsViewController(*this) : 0;
            for (std::size_t i = 0; i < n; ++i) {
                const auto model = delegate_->tabsViewControllerTabModelAtIndex(*this, i);
                pf::MenuItem& item = menu->addItem(model ? model->title() : QString(), QStringLiteral("overflowTabSelected:"));
                item.setTarget(this);
                item.setTag(std::int64_t(i));
                item.setState(pf::MenuItemState::Off);
            }
            QWidget* at = overflowButtonContainerView_ ? static_cast<QWidget*>(overflowButtonContainerView_.data())
                                                       : static_cast<QWidget*>(listView_.data());
            if (at)
                pf::MenuPresenter::popUpContextMenu(menu, event, at);
        },
        std::chrono::nanoseconds(0), QStringLiteral("overflowMenu"));
}

void TKTabsListViewController::overflowTabSelected(const pf::MenuItem& item)
{
    if (delegate_ && item.tag() >= 0)
        delegate_->tabsViewControllerDidSelectTabModelAtIndex(*this, std::size_t(item.tag()));
}

void TKTabsListViewController::closeTabButtonClick(std::int64_t tag)
{
    if (delegate_ && tag >= 0)
        delegate_->tabsViewControllerDidCloseTabModelAtIndex(*this, std::size_t(tag));
}

// ---- renaming ----

QLineEdit* TKTabsListViewController::fieldEditor() const
{
    return fieldEditor_;
}

void TKTabsListViewController::beginEditingListItemAtIndex(std::size_t index, const QString& keyPath)
{
    if (!listView_)
        return;
    beginEditingListItem(dynamic_cast<TKTabListItem*>(listView_->itemAtIndex(index)), index, keyPath);
}

void TKTabsListViewController::beginEditingListItem(TKTabListItem* item, std::size_t index, const QString& keyPath)
{
    auto* top = controllerView();
    if (!top || !delegate_)
        return;
    if (fieldEditor_)
        stopEditing(false);
    editingIndex_ = index;
    editingKeyPath_ = keyPath;
    pf::Rect rect;
    if (item) {
        const pf::Rect inItem = item->fieldEditorRectForEditableKeyPath(keyPath);
        const QPointF origin = item->mapTo(top, inItem.origin.toQt());
        rect = pf::Rect(pf::Point::fromQt(origin), inItem.size);
    }
    rect = rect.insetBy(-2, -2);
    auto* field = new TKTabsListViewControllerLineEdit(*this, nullptr);
    fieldEditor_ = field;
    if (listItemStyle_) {
        if (const auto font = listItemStyle_->titleFont())
        {
            QFont qfont = font->layoutFont();
            qfont.setPixelSize(std::max(1, int(std::lround(font->layoutFont().pixelSize() / pf::Font::layoutScale))));
            field->setFont(qfont);
        }
        field->setAlignment(listItemStyle_->titleTextAlignment() == pf::TextAlignment::Center ? Qt::AlignCenter
                                                                                              : Qt::AlignLeft);
    }
    field->setFrame(false);
    field->setStyleSheet(QStringLiteral("background: white;"));
    const auto model = delegate_->tabsViewControllerTabModelAtIndex(*this, index);
    if (model && model->representedObject())
        field->setText(model->representedObject()->valueForKeyPath(keyPath).toString());
    top->addSubview(field, rect);
    field->show();
    field->raise();
    updateAllTabModelsFromIndex(0);
    if (pf::Window* window = top->enclosingWindow())
        window->makeFirstResponder(field);
    else
        field->setFocus();
    field->selectAll();
    tryInvalidateRestorableState();
}

void TKTabsListViewController::stopEditing(bool cancel)
{
    if (!fieldEditor_)
        return;
    // Cleared first: removing the field takes its focus away, which must not end the edit again.
    TKTabsListViewControllerLineEdit* field = fieldEditor_;
    fieldEditor_ = nullptr;
    QObject::disconnect(field, nullptr, nullptr, nullptr);
    if (!cancel && delegate_) {
        const auto model = delegate_->tabsViewControllerTabModelAtIndex(*this, editingIndex_);
        if (model && model->representedObject())
            model->representedObject()->setValueForKeyPath(pf::Variant(field->text()), editingKeyPath_);
    }
    field->hide();
    field->deleteLater();
    if (listView_)
        if (pf::Window* window = listView_->enclosingWindow())
            window->makeFirstResponder(listView_);
    updateAllTabModelsFromIndex(0);
    tryInvalidateRestorableState();
}

void TKTabsListViewController::tryInvalidateRestorableState()
{
    if (auto* controller = windowController())
        controller->invalidateRestorableState();
}

// ---- dragging ----

bool TKTabsListViewController::listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&,
                                                              bool* slideBack)
{
    if (slideBack)
        *slideBack = true;
    return true;
}

pf::Variant TKTabsListViewController::listViewPasteboardPropertyListForItemsAtIndexes(QVListView&,
                                                                                    const QVIndexSet& indexes)
{
    const TKMainWindowController* controller = windowController();
    if (indexes.empty() || !controller)
        return {};
    return pf::VariantMap{{QStringLiteral("tabModelIndex"), pf::Variant(std::int64_t(*indexes.begin()))},
                          {QStringLiteral("tabbedDocumentIdentifier"), pf::Variant(controller->identifier())}};
}

pf::DragOperation TKTabsListViewController::listViewValidateDrop(QVListView&, const pf::DraggingInfo& info,
                                                                 std::size_t*, int*)
{
    return info.pasteboard.hasType(TKTabsListView::pageType) ? pf::DragOp::Move : pf::DragOp::None;
}

bool TKTabsListViewController::listViewAcceptDrop(QVListView&, const pf::DraggingInfo& info, std::size_t index, int)
{
    if (!info.pasteboard.hasType(TKTabsListView::pageType))
        return false;
    const std::optional<pf::Value> plist = info.pasteboard.propertyListForType(TKTabsListView::pageType);
    if (!plist || !plist->isDictionary())
        return false;
    const pf::Value& identifier = plist->objectForKey(QStringLiteral("tabbedDocumentIdentifier"));
    const pf::Value& tabIndex = plist->objectForKey(QStringLiteral("tabModelIndex"));
    if (!identifier.isString() || !tabIndex.isInteger() || tabIndex.integerValue() < 0)
        return false;
    // The source window may have closed since the drag began, and its tabs may have changed.
    TKMainWindowController* source = TKMainWindowController::windowControllerForIdentifier(identifier.asString());
    if (!source || source != windowController())
        return false;
    const std::shared_ptr<TKTabModel> model = source->tabModelAtIndex(std::size_t(tabIndex.integerValue()));
    if (!model)
        return false;
    const std::size_t current = source->indexOfTabModel(model.get());
    const std::size_t last = source->numberOfTabs() - 1;
    const std::size_t destination = std::min(index, last);
    if (current == destination)
        return true;
    {
        // One step: undoing a reorder must not leave the page out.
        pf::UndoManager* undo = source->windowUndoManager();
        pf::UndoGrouping group(undo);
        source->removeTabModelAtIndex(current);
        source->addTabModel(model, destination);
        if (undo)
            undo->setActionName(pf::localized(QStringLiteral("Reorder %@")).replace(QLatin1String("%@"), source->nameForTabModels()));
    }
    updateAllTabModelsFromIndex(0);
    source->setSelectedTabIndex(destination);
    return true;
}

bool TKTabsListViewController::listViewShouldRunPoofAt(QVListView&, pf::Point, const QVIndexSet&)
{
    // A tab dragged out of the strip is never removed.
    updateAllTabModelsFromIndex(0);
    return false;
}

void TKTabsListViewController::listViewDraggingSessionEnded(QVListView&, pf::Point, pf::DragOperation)
{
    TKMainWindowController* controller = windowController();
    if (controller && controller->numberOfTabs() == 0)
        controller->close();
}
