#include "shell/QVListView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Poof.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <utility>

namespace {

QString addressString(const void* p)
{
    return QStringLiteral("0x") + QString::number(reinterpret_cast<quintptr>(p), 16);
}

// The square round the mouse-down inside which motion is still a click, not a drag.
constexpr double dragThreshold = 44;

// The gap layout's animation; the pause of layout after a drop, so that the owner's reload cannot
// disturb the views before they settle; the wait before a foreign drag's gap closes once it has left.
constexpr std::chrono::milliseconds gapAnimationDuration(50);
constexpr std::chrono::milliseconds layoutPauseAfterDrop(150);
constexpr std::chrono::milliseconds reloadAfterForeignDragLeft(300);
const QString reloadAfterExitTag = QStringLiteral("reloadData");

double along(const pf::Rect& r, bool portrait)
{
    return portrait ? r.origin.y : r.origin.x;
}

double extentAlong(const pf::Rect& r, bool portrait)
{
    return portrait ? r.height() : r.width();
}

} // namespace

// Item

QVListItem::QVListItem(const pf::Rect& frame, QString reuseIdentifier)
    : QVView(frame), reuseIdentifier_(std::move(reuseIdentifier))
{
}

QImage QVListItem::draggingImage()
{
    if (bounds().width() == 0 && bounds().height() == 0)
        return {};
    drawingDragImage_ = true;
    const QPixmap picture = grab();
    drawingDragImage_ = false;
    if (picture.isNull() || picture.size().isEmpty())
        return {};
    return picture.toImage();
}

// Queue

QVListItemQueue::~QVListItemQueue()
{
    clear();
}

bool QVListItemQueue::enqueue(QVListItem* item)
{
    if (!item || item->reuseIdentifier().isEmpty())
        return false;
    auto& idle = dict_[item->reuseIdentifier()];
    std::erase_if(idle, [](const QPointer<QVListItem>& p) { return !p; });
    if (std::find(idle.begin(), idle.end(), item) != idle.end())
        return false;
    idle.emplace_back(item);
    return true;
}

QVListItem* QVListItemQueue::dequeueWithIdentifier(const QString& identifier,
                                                   const std::function<bool(const QVListItem&)>& prefer)
{
    const auto it = dict_.find(identifier);
    if (it == dict_.end())
        return nullptr;
    QVListItem* item = nullptr;
    if (prefer) {
        const auto found = std::find_if(it->second.rbegin(), it->second.rend(),
                                        [&](const QPointer<QVListItem>& p) { return p && prefer(*p); });
        if (found != it->second.rend()) {
            item = *found;
            it->second.erase(std::next(found).base());
        }
    }
    while (!item && !it->second.empty()) {
        item = it->second.back();
        it->second.pop_back();
    }
    if (it->second.empty())
        dict_.erase(it);
    return item;
}

std::size_t QVListItemQueue::count() const
{
    std::size_t n = 0;
    for (const auto& [identifier, idle] : dict_)
        n += std::size_t(std::count_if(idle.begin(), idle.end(), [](const QPointer<QVListItem>& p) { return !p.isNull(); }));
    return n;
}

void QVListItemQueue::clear()
{
    // Only the items no view holds are the queue's.
    for (auto& [identifier, idle] : dict_)
        for (const QPointer<QVListItem>& item : idle)
            if (item && !item->parentWidget())
                delete item.data();
    dict_.clear();
}

QString QVListItemQueue::description() const
{
    QStringList entries;
    for (const auto& [identifier, idle] : dict_)
        entries << QStringLiteral("%1 = %2").arg(identifier).arg(idle.size());
    return QStringLiteral("<QVListItemQueue %1 {%2}>").arg(addressString(this), entries.join(QStringLiteral("; ")));
}

QVListViewDataSourceException::QVListViewDataSourceException(const QString& reason)
    : std::runtime_error(reason.toStdString()), reason_(reason)
{
}

QString QVListViewDataSourceException::logLine() const
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(name), reason_);
}

// List

QVListView::QVListView(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setAcceptsFirstResponder(true);
}

QVListView::~QVListView()
{
    gapAnimation_.stop();
    delayedCalls_.cancelPreviousPerformRequests();
    windowObservations_.clear();
    scrollObservation_.reset();
}

double QVListView::extentAt(std::size_t index, bool askDelegate)
{
    return askDelegate ? delegate_->listViewExtentForItemAtIndex(*this, index) : itemExtent_;
}

std::optional<QString> QVListView::runLayoutPass()
{
    if (!enclosingWindow() || suppressLayout_ || !dataSource_ || !draggingIndexes_.empty())
        return std::nullopt;
    if (inLayoutPass_) {
        // A resize or a scroll made by this pass: run again once it is complete.
        layoutAgain_ = true;
        return std::nullopt;
    }
    inLayoutPass_ = true;
    // The views go where the pass puts them, not where a drag's gap was sending them.
    gapAnimation_.stop();
    std::optional<QString> failure;
    // A pass that resizes the list asks for one more; the size settles within a couple.
    for (int round = 0; round < 4; ++round) {
        layoutAgain_ = false;
        for (QVListItem* item : items_) {
            queue_.enqueue(item);
            unusedItems_.push_back(item);
        }
        items_.clear();

        pf::Rect visible = visibleRect();
        if (visible.isEmpty())
            visible = bounds();
        const std::size_t n = dataSource_->numberOfItemsInListView(*this);
        const bool askExtent = delegateImplements(QVListViewDelegate::Operation::ExtentForItemAtIndex);
        const bool askDisplay = delegateImplements(QVListViewDelegate::Operation::WillDisplayItemAtIndex);
        const pf::Size size = bounds().size;
        double x = itemMargin_;
        double y = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double e = extentAt(i, askExtent);
            const pf::Rect r = isPortrait() ? pf::Rect(x, y, size.width, e) : pf::Rect(x, y, e, size.height);
            const bool show = displaysClippedItems_ ? r.intersects(visible) : visible.contains(r);
            if (show) {
                QVListItem* item = dataSource_->listViewItemAtIndex(*this, i);
                if (!item) {
                    if (!failure)
                        failure = QStringLiteral("nil list item view returned for index: %1 by: %2")
                                      .arg(i)
                                      .arg(addressString(dataSource_));
                } else {
                    item->setIndex(i);
                    if (item->superview() != this)
                        addSubview(item, r);
                    else
                        item->setFrame(r);
                    item->setHidden(false);
                    items_.push_back(item);
                    std::erase(unusedItems_, item);
                    if (askDisplay)
                        delegate_->listViewWillDisplayItemAtIndex(*this, *item, i);
                }
            }
            if (isPortrait())
                y += e + itemMargin_;
            else
                x += e + itemMargin_;
        }
        for (QVListItem* item : unusedItems_)
            if (item->superview() == this)
                item->removeFromSuperview();
        unusedItems_.clear();

        // Grow to the items; a sizable list fills its scroll view's clip area at least.
        const double fudge = scrollFudgeExtent();
        const pf::Rect frame = this->frame();
        const pf::Rect clip =
            scrollView_ ? pf::Rect(scrollView_->scrollOrigin(), scrollView_->contentSize()) : visible;
        pf::Size newSize = frame.size;
        if (isPortrait()) {
            const bool sizable = autoresizingMask() & HeightSizable;
            newSize.height = !sizable ? y : (y < clip.height() - fudge ? clip.height() : y + fudge);
        } else {
            const bool sizable = autoresizingMask() & WidthSizable;
            newSize.width = !sizable ? x : (x < clip.width() - fudge ? clip.width() : x + fudge);
        }
        if (newSize != frame.size)
            setFrame(pf::Rect(frame.origin, newSize));
        if (!layoutAgain_)
            break;
    }
    inLayoutPass_ = false;
    return failure;
}

void QVListView::reload(FailureMode mode)
{
    const std::optional<QString> failure = runLayoutPass();
    setNeedsDisplay();
    if (!failure)
        return;
    const QVListViewDataSourceException exception(*failure);
    if (mode == FailureMode::Raise)
        throw exception;
    pf::logMessage(exception.logLine());
}

void QVListView::reloadData()
{
    reload(FailureMode::Raise);
}

void QVListView::reloadOrLog()
{
    reload(FailureMode::Log);
}

void QVListView::layoutItems()
{
    if (const std::optional<QString> failure = runLayoutPass())
        throw QVListViewDataSourceException(*failure);
}

void QVListView::layoutOrLog()
{
    if (const std::optional<QString> failure = runLayoutPass())
        pf::logMessage(QVListViewDataSourceException(*failure).logLine());
}

void QVListView::layoutSubviews()
{
    // Reached from a resize, inside Qt's event delivery.
    layoutOrLog();
}

QVListItem* QVListView::dequeueReusableItemWithIdentifier(const QString& identifier,
                                                          const std::function<bool(const QVListItem&)>& prefer)
{
    QVListItem* item = queue_.dequeueWithIdentifier(identifier, prefer);
    if (item)
        item->prepareForReuse();
    return item;
}

std::size_t QVListView::indexForItemAtPoint(pf::Point p)
{
    if (!dataSource_)
        return pf::NotFound;
    const std::size_t n = dataSource_->numberOfItemsInListView(*this);
    const bool askExtent = delegateImplements(QVListViewDelegate::Operation::ExtentForItemAtIndex);
    const pf::Size size = bounds().size;
    double offset = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double e = std::floor(extentAt(i, askExtent));
        const pf::Rect r = isPortrait() ? pf::Rect(0, offset, size.width, e) : pf::Rect(offset, 0, e, size.height);
        if (r.contains(p))
            return i;
        offset += e;
    }
    return pf::NotFound;
}

std::size_t QVListView::visibleIndexForItemAtPoint(pf::Point p) const
{
    for (std::size_t k = 0; k < items_.size(); ++k)
        if (items_[k]->frame().contains(p))
            return k;
    return pf::NotFound;
}

pf::Rect QVListView::frameForItemAtIndex(std::size_t index)
{
    const bool askExtent = delegateImplements(QVListViewDelegate::Operation::ExtentForItemAtIndex);
    double offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += extentAt(i, askExtent);
    const double e = extentAt(index, askExtent);
    const pf::Size size = bounds().size;
    return isPortrait() ? pf::Rect(0, offset, size.width, e) : pf::Rect(offset, 0, e, size.height);
}

QVListItem* QVListView::itemAtIndex(std::size_t index) const
{
    for (QVListItem* item : items_)
        if (item->index() == index)
            return item;
    return nullptr;
}

QVListItem* QVListView::itemAtVisibleIndex(std::size_t visibleIndex) const
{
    return visibleIndex < items_.size() ? items_[visibleIndex] : nullptr;
}

// Selection

void QVListView::setSelectionIndexes(const std::optional<QVIndexSet>& indexes)
{
    std::optional<QVIndexSet> chosen = indexes;
    if (chosen && delegateImplements(QVListViewDelegate::Operation::WillSelectItemsAtIndexes))
        chosen = delegate_->listViewWillSelectItemsAtIndexes(*this, *chosen);
    selection_ = chosen;
    const std::size_t count = chosen ? chosen->size() : 0;
    if (count == 0)
        anchor_ = pf::NotFound;
    else if (count == 1)
        anchor_ = *chosen->begin();
    // Selections are made by clicks, inside event delivery.
    reloadOrLog();
    if (delegateImplements(QVListViewDelegate::Operation::DidSelectItemsAtIndexes))
        delegate_->listViewDidSelectItemsAtIndexes(*this, chosen);
}

void QVListView::adoptSelectionIndexes(const std::optional<QVIndexSet>& indexes)
{
    selection_ = indexes;
    const std::size_t count = indexes ? indexes->size() : 0;
    anchor_ = count == 1 ? *indexes->begin() : pf::NotFound;
}

void QVListView::updateSelectionWithEvent(const pf::Event& e, std::size_t i)
{
    if (i == pf::NotFound) {
        if (delegateImplements(QVListViewDelegate::Operation::EmptyAreaWasClicked))
            delegate_->listViewEmptyAreaWasClicked(*this);
        setSelectionIndexes(std::nullopt);
        return;
    }
    if (!allowsMultipleSelection_) {
        setSelectionIndexes(QVIndexSet{i});
        return;
    }
    const QVIndexSet old = selection_.value_or(QVIndexSet());
    const std::size_t a = anchor_;
    if (e.isCommandKeyPressed()) {
        if (!old.count(i)) {
            QVIndexSet s = old;
            s.insert(i);
            setSelectionIndexes(s);
            setAnchorIndex(i);
            return;
        }
        // Taking out the anchor moves it to the far end of what is left (the last when that is below, else
        // the first); set after the selection, so that it wins over the selection's own choice.
        std::optional<std::size_t> newAnchor;
        if (a == i)
            newAnchor = *old.rbegin() > i ? *old.rbegin() : *old.begin();
        QVIndexSet s = old;
        s.erase(i);
        setSelectionIndexes(s);
        if (newAnchor)
            setAnchorIndex(*newAnchor);
        return;
    }
    if (e.isShiftKeyPressed() && a != pf::NotFound && a != i) {
        QVIndexSet s = old;
        if (a < i) {
            s.erase(s.begin(), s.lower_bound(a));
            for (std::size_t k = a; k <= i; ++k)
                s.insert(k);
            // Shrinking back over a run that reached past i drops the run; a further group stays.
            const auto next = old.upper_bound(i);
            if (next != old.end() && *next == i + 1)
                s.erase(s.upper_bound(i), s.end());
        } else {
            const auto below = old.lower_bound(i);
            if (below != old.begin() && *std::prev(below) == i - 1)
                s.erase(s.begin(), s.lower_bound(i));
            for (std::size_t k = i; k < a; ++k)
                s.insert(k);
            s.erase(s.upper_bound(a), s.end());
        }
        setSelectionIndexes(s);
        setAnchorIndex(a);
        return;
    }
    setSelectionIndexes(QVIndexSet{i});
}

// Mouse

void QVListView::mouseDown(const pf::Event& e)
{
    const std::size_t i = indexForItemAtPoint(e.location);
    const std::size_t v = visibleIndexForItemAtPoint(e.location);
    if (e.isControlKeyPressed() && e.clickCount == 1) {
        handleRightClickEvent(e);
        return;
    }
    if (e.isDoubleClick()) {
        handleDoubleClickAtIndex(i);
        return;
    }
    lastMouseDownEvent_ = e;
    // A press inside the selection keeps it until the release, so that a drag carries all of it.
    selectionWaitsForMouseUp_ = i != pf::NotFound && selection_ && selection_->count(i);
    pressIndex_ = i;
    pressVisibleIndex_ = v;
    tracking_ = Tracking::Pressed;
    if (!selectionWaitsForMouseUp_)
        updateSelectionWithEvent(e, i);
}

void QVListView::mouseDragged(const pf::Event& e)
{
    if (tracking_ == Tracking::Dragging)
        return; // the drag's own
    if (tracking_ != Tracking::Pressed || !lastMouseDownEvent_) {
        pf::View::mouseDragged(e);
        return;
    }
    const pf::Point down = lastMouseDownEvent_->screenLocation;
    const pf::Rect stillAClick(down.x - dragThreshold / 2, down.y - dragThreshold / 2, dragThreshold, dragThreshold);
    if (stillAClick.contains(e.screenLocation))
        return;

    tracking_ = Tracking::Dragging;
    draggingIndexes_ = selection_.value_or(QVIndexSet());
    draggingVisibleIndexes_.reset();
    if (!draggingIndexes_.empty() && pressIndex_ != pf::NotFound && pressVisibleIndex_ != pf::NotFound) {
        // The selected entries as positions among the shown views, by the pressed item's offset.
        const auto shift = std::int64_t(pressVisibleIndex_) - std::int64_t(pressIndex_);
        QVIndexSet visible;
        for (std::size_t index : draggingIndexes_)
            if (std::int64_t(index) + shift >= 0)
                visible.insert(std::size_t(std::int64_t(index) + shift));
        draggingVisibleIndexes_ = visible;
    }
    isDragSource_ = true;
    draggingSourceDragDidBegin();
    beginDraggingSessionWithEvent(e);
    // A session took the release: the drag is over once it returns.
    if (!isDragSource_)
        tracking_ = Tracking::Idle;
}

void QVListView::mouseUp(const pf::Event& e)
{
    const Tracking was = std::exchange(tracking_, Tracking::Idle);
    if (was == Tracking::Pressed) {
        if (selectionWaitsForMouseUp_)
            updateSelectionWithEvent(e, pressIndex_);
        selectionWaitsForMouseUp_ = false;
        draggingSourceDragDidEnd();
    } else if (was == Tracking::Dragging) {
        // Released without a session taking over: the drag ends here.
        if (isDragSource_)
            draggingSourceDragDidEnd();
        return;
    }
    pf::View::mouseUp(e);
}

void QVListView::draggingSourceDragDidEnd()
{
    // The frames recorded on entry belong to this drag; the next one records its own.
    itemFrames_.clear();
    draggingVisibleIndexes_.reset();
    draggingIndexes_.clear();
    isDragSource_ = false;
    lastMouseDownEvent_.reset();
    reloadOrLog();
}

void QVListView::rightMouseDown(const pf::Event&)
{
    // Kept (not passed on), so that the release comes to this view, where the click is handled.
}

void QVListView::rightMouseUp(const pf::Event& e)
{
    handleRightClickEvent(e);
}

bool QVListView::wantsSelectionOnRightClick()
{
    return !delegateImplements(QVListViewDelegate::Operation::WantsSelectionOnRightClick)
        || delegate_->listViewWantsSelectionOnRightClick(*this);
}

void QVListView::handleRightClickEvent(const pf::Event& e)
{
    const std::size_t i = indexForItemAtPoint(e.location);
    if (wantsSelectionOnRightClick()) {
        const std::size_t n = dataSource_ ? dataSource_->numberOfItemsInListView(*this) : 0;
        if (i != pf::NotFound && i < n) {
            // A selected item keeps the whole selection for its menu.
            if (!selection_ || !selection_->count(i))
                setSelectionIndexes(QVIndexSet{i});
        } else {
            setSelectionIndexes(std::nullopt);
        }
    }
    if (delegateImplements(QVListViewDelegate::Operation::ContextMenuForItemsAtIndexes))
        delayedCalls_.performAfterDelay([this, e] { displayContextMenu(e); }, pf::Nanoseconds(0),
                                        QStringLiteral("displayContextMenu:"));
}

void QVListView::displayContextMenu(const pf::Event& e)
{
    if (!delegateImplements(QVListViewDelegate::Operation::ContextMenuForItemsAtIndexes))
        return;
    QVIndexSet indexes;
    if (!wantsSelectionOnRightClick()) {
        // The item under the pointer; over empty space, none.
        if (const std::size_t i = indexForItemAtPoint(e.location); i != pf::NotFound)
            indexes.insert(i);
    } else {
        indexes = selection_.value_or(QVIndexSet());
    }
    if (std::shared_ptr<pf::Menu> menu = delegate_->listViewContextMenuForItemsAtIndexes(*this, indexes))
        pf::MenuPresenter::popUpContextMenu(std::move(menu), e, this);
}

void QVListView::otherMouseDown(const pf::Event& e)
{
    const std::size_t i = indexForItemAtPoint(e.location);
    if (e.buttonNumber == 2 && delegateImplements(QVListViewDelegate::Operation::ItemWasMiddleClickedAtIndex)
        && i != pf::NotFound) {
        delegate_->listViewItemWasMiddleClickedAtIndex(*this, i);
        return;
    }
    pf::View::otherMouseDown(e);
}

void QVListView::handleDoubleClickAtIndex(std::size_t index)
{
    if (index == pf::NotFound) {
        if (delegateImplements(QVListViewDelegate::Operation::EmptyAreaWasDoubleClicked))
            delegate_->listViewEmptyAreaWasDoubleClicked(*this);
    } else if (delegateImplements(QVListViewDelegate::Operation::ItemWasDoubleClickedAtIndex)) {
        delegate_->listViewItemWasDoubleClickedAtIndex(*this, index);
    }
}

// Drawing and moves

bool QVListView::drawsAsMain() const
{
    const pf::Window* window = enclosingWindow();
    return window && window->isMainWindow();
}

void QVListView::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const bool main = drawsAsMain();
    const std::optional<pf::Gradient>& gradient = main ? backgroundGradient_ : nonMainBackgroundGradient_;
    if (gradient) {
        context.drawLinearGradientInRect(*gradient, bounds(), 90);
        return;
    }
    context.setFillColor(main ? backgroundColor_ : nonMainBackgroundColor_);
    context.fillRect(bounds());
}

void QVListView::viewDidMoveToSuperview()
{
    scrollObservation_.reset();
    if (pf::ScrollView* scroll = enclosingScrollView())
        // Scrolling or a resized clip area shows other items.
        scrollObservation_ = pf::NotificationCenter::defaultCenter().addObserver(
            pf::ScrollView::visibleRectDidChangeNotification, scroll, [this](const pf::Notification&) {
                if (superview() && dataSource_)
                    layoutOrLog();
            });
}

void QVListView::viewDidMoveToWindow()
{
    windowObservations_.clear();
    pf::Window* window = enclosingWindow();
    if (!window)
        return;
    for (const QString& name : {pf::Window::didBecomeMainNotification, pf::Window::didResignMainNotification})
        windowObservations_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            name, window, [this](const pf::Notification&) { setNeedsDisplay(); }));
}

// Drag source

QImage QVListView::draggingImageForItemsAtIndexes(const QVIndexSet* indexes, const pf::Event& e,
                                                  pf::Point* offset) const
{
    if (!indexes || indexes->empty())
        return {};
    std::vector<QImage> images;
    double height = 0;
    double width = 0;
    const QVListItem* last = nullptr;
    for (std::size_t index : *indexes) {
        last = itemAtIndex(index);
        if (!last) {
            width = 0;
            continue;
        }
        QImage picture = const_cast<QVListItem*>(last)->draggingImage();
        if (!picture.isNull())
            images.push_back(std::move(picture));
        height += last->frame().height();
        width = last->frame().width();
    }
    if (offset && last)
        *offset = e.location - last->frame().origin - pf::Point(0, last->frame().height());
    if (width <= 0 || height <= 0)
        return {};

    const qreal scale = images.empty() ? devicePixelRatioF() : images.front().devicePixelRatio();
    QImage image(QSize(int(std::ceil(width * scale)), int(std::ceil(height * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(0.5);
    // Stacked in index order from the top: the first row is uppermost.
    double y = 0;
    for (const QImage& picture : images) {
        const QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio();
        painter.drawImage(QRectF(QPointF(0, y), size), picture);
        y += size.height();
    }
    return image;
}

void QVListView::beginDraggingSessionWithEvent(const pf::Event& e)
{
    if (draggingIndexes_.empty())
        return;
    dragOffset_ = pf::Point();
    QImage image;
    if (delegateImplements(QVListViewDelegate::Operation::DraggingImageForItemsAtIndexes))
        image = delegate_->listViewDraggingImageForItemsAtIndexes(*this, draggingIndexes_,
                                                                  lastMouseDownEvent_.value_or(e), &dragOffset_);
    else
        image = draggingImageForItemsAtIndexes(&draggingIndexes_, e, &dragOffset_);
    bool slideBack = true;
    if (delegateImplements(QVListViewDelegate::Operation::CanDragItemsAtIndexes)
        && !delegate_->listViewCanDragItemsAtIndexes(*this, draggingIndexes_, e, &slideBack)) {
        draggingIndexes_.clear();
        return;
    }
    // Centred on the pointer, whatever offset the image's maker proposed.
    const pf::Size size = image.isNull() ? pf::Size() : pf::Size::fromQt(QSizeF(image.size()) / image.devicePixelRatio());
    dragOffset_ = pf::Point(size.width / 2, size.height / 2);
    pf::DraggingItem item;
    const QStringList types = writableTypesForPasteboard();
    item.content = pf::PasteboardContent(types);
    for (const QString& type : types) {
        const pf::Value plist = pasteboardPropertyListForType(type);
        if (!plist.isNull())
            item.content.setPropertyList(type, plist);
    }
    item.draggingFrame = pf::Rect(e.location - dragOffset_, size);
    item.image = image;
    pf::beginDraggingSession(*this, {std::move(item)}, e, *this);
}

pf::DragOperation QVListView::sourceOperationMaskForDraggingContext(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? pf::DragOp::Move : pf::DragOp::None;
}

void QVListView::draggingSessionEndedAtPoint(pf::Point p, pf::DragOperation operation)
{
    // The picture's corner moved to its centre, where the pointer held it.
    const pf::Point q = p + dragOffset_;
    const QWidget* top = window();
    const QPoint inWindow = top ? top->mapFromGlobal(q.toQt()).toPoint() : QPoint();
    const QRect visibleInWindow = top ? QRect(mapTo(top, visibleRect().toQt().topLeft().toPoint()),
                                              visibleRect().toQt().size().toSize())
                                      : QRect();
    if (!visibleInWindow.contains(inWindow) && delegateImplements(QVListViewDelegate::Operation::ShouldRunPoof)
        && delegate_->listViewShouldRunPoofAt(*this, q, draggingIndexes_))
        pf::runPoofAtPoint(q.toQt().toPoint());
    layoutOrLog();
    draggingSourceDragDidEnd();
    if (delegateImplements(QVListViewDelegate::Operation::DraggingSessionEnded))
        delegate_->listViewDraggingSessionEnded(*this, q, operation);
}

// Drop target

pf::DragOperation QVListView::draggingEntered(const pf::DraggingInfo& info)
{
    // Back before the gap closed: the views stay where the drag put them.
    delayedCalls_.cancelPreviousPerformRequests(reloadAfterExitTag);
    delegateRespondsToValidateDrop_ = delegateImplements(QVListViewDelegate::Operation::ValidateDrop);
    if (itemFrames_.empty())
        for (const QVListItem* item : items_)
            itemFrames_.push_back(item->frame());
    if (!info.pasteboard.hasType(QVListItemPboardType))
        return pf::DragOp::None;
    const std::optional<pf::Event>& current = pf::InputState::shared().currentEvent();
    const bool option = current && (current->modifierFlags & pf::OptionKeyMask);
    if ((info.sourceOperationMask & pf::DragOp::Copy) && option)
        return pf::DragOp::Copy;
    if (info.sourceOperationMask & pf::DragOp::Move)
        return pf::DragOp::Move;
    return pf::DragOp::None;
}

pf::DragOperation QVListView::draggingUpdated(const pf::DraggingInfo& info)
{
    if (!delegateImplements(QVListViewDelegate::Operation::ValidateDrop))
        return pf::DragOp::None;
    const bool rowDrag = draggingVisibleIndexes_.has_value() || info.pasteboard.hasType(QVListItemPboardType);
    const pf::Point p = info.draggingLocation;
    std::size_t index = rowDrag ? indexForItemWhileDraggingAtPoint(p) : indexForItemAtPoint(p);
    const std::size_t c = items_.size();
    if (index == pf::NotFound || index > c)
        index = c;
    const std::size_t first = items_.empty() ? 0 : items_.front()->index();
    dropVisibleIndex_ = index;
    dropIndex_ = index + first;

    const QVListItem* target = itemWhileDraggingAtIndex(dropIndex_);
    const pf::Point q = target ? p - target->frame().origin : p;
    const pf::Rect b = target ? target->bounds() : pf::Rect();
    pf::Rect before;
    pf::Rect after;
    if (isPortrait()) {
        before = pf::Rect(b.x(), b.y(), b.width(), b.height() / 3);
        after = pf::Rect(b.x(), std::ceil(b.height() * 0.66), b.width(), b.height() / 3);
    } else {
        before = pf::Rect(b.x(), b.y(), b.width() / 3, b.height());
        after = pf::Rect(std::ceil(b.width() * 0.66), b.y(), b.width() / 3, b.height());
    }
    dropOp_ = 0;
    if (rowDrag) {
        if (before.contains(q)) {
            dropOp_ = 1;
        } else if (after.contains(q)) {
            ++dropIndex_;
            ++dropVisibleIndex_;
            dropOp_ = 1;
        }
    }
    const std::size_t lastDragged = draggingIndexes_.empty() ? 0 : *draggingIndexes_.rbegin();
    if (!draggingVisibleIndexes_ && dropIndex_ > lastDragged)
        ++dropIndex_;
    const pf::DragOperation answer = delegate_->listViewValidateDrop(*this, info, &dropIndex_, &dropOp_);
    layoutItemsWhileDragging();
    return answer;
}

std::size_t QVListView::indexForItemWhileDraggingAtPoint(pf::Point p) const
{
    if (itemFrames_.empty() || items_.empty())
        return pf::NotFound;
    const std::size_t first = items_.front()->index();
    const std::size_t d = draggingIndexes_.size();
    const std::size_t firstDragged =
        draggingVisibleIndexes_ && !draggingVisibleIndexes_->empty() ? *draggingVisibleIndexes_->begin() : pf::NotFound;
    for (std::size_t j = 0; j < itemFrames_.size(); ++j) {
        if (j >= items_.size())
            return pf::NotFound;
        if (itemFrames_[j].contains(p))
            return items_[j]->index() - first + (d > 0 && j >= firstDragged ? d : 0);
    }
    return pf::NotFound;
}

QVListItem* QVListView::itemWhileDraggingAtIndex(std::size_t index) const
{
    QVListItem* view = itemAtIndex(index);
    const std::size_t firstDragged =
        draggingVisibleIndexes_ && !draggingVisibleIndexes_->empty() ? *draggingVisibleIndexes_->begin() : 0;
    if (view && view == itemAtVisibleIndex(firstDragged))
        if (QVListItem* next = itemAtVisibleIndex(index + 1))
            view = next;
    if (view || items_.empty())
        return view;
    return items_.back();
}

void QVListView::layoutItemsWhileDragging()
{
    const bool portrait = isPortrait();
    const std::size_t c = items_.size();
    double gap = 0;
    if (draggingVisibleIndexes_ && !draggingVisibleIndexes_->empty()) {
        for (std::size_t k : *draggingVisibleIndexes_)
            if (k < c)
                gap += extentAlong(items_[k]->frame(), portrait);
    } else {
        gap = itemExtent_ > 0 ? itemExtent_ : 44.0;
    }
    const double s = items_.empty() ? 0 : along(items_.front()->frame(), portrait);
    const double o = along(visibleRect(), portrait);
    double position = o > 0 ? s : std::min(s, 0.0);

    std::vector<QPointer<QVListItem>> views;
    std::vector<pf::Rect> from;
    draggingTargetFrames_.clear();
    for (std::size_t k = 0; k < c; ++k) {
        QVListItem* view = items_[k];
        pf::Rect f = view->frame();
        (portrait ? f.origin.y : f.origin.x) = position;
        const bool dragged = draggingVisibleIndexes_ && draggingVisibleIndexes_->count(k);
        view->setHidden(dragged);
        if (k >= dropVisibleIndex_)
            (portrait ? f.origin.y : f.origin.x) += gap;
        views.emplace_back(view);
        from.push_back(view->frame());
        draggingTargetFrames_.push_back(f);
        if (!dragged)
            position += extentAlong(f, portrait) + itemMargin_;
    }
    gapAnimation_.start(gapAnimationDuration, [views, from, to = draggingTargetFrames_](double t) {
        for (std::size_t k = 0; k < views.size(); ++k)
            if (views[k])
                views[k]->setFrame(pf::Animation::mix(from[k], to[k], t));
    });
}

void QVListView::draggingExited(const pf::DraggingInfo&)
{
    if (isDragSource_)
        return;
    delayedCalls_.performAfterDelay(
        [this] {
            gapAnimation_.stop();
            itemFrames_.clear();
            reloadOrLog();
        },
        reloadAfterForeignDragLeft, reloadAfterExitTag);
}

void QVListView::draggingEnded(const pf::DraggingInfo&)
{
    draggingIndexes_.clear();
}

bool QVListView::performDragOperation(const pf::DraggingInfo& info)
{
    const std::size_t lastDragged = draggingIndexes_.empty() ? 0 : *draggingIndexes_.rbegin();
    if (dropIndex_ != pf::NotFound && dropIndex_ > lastDragged) {
        // A row moved down lands one place earlier once it is taken out.
        --dropIndex_;
        --dropVisibleIndex_;
    }
    if (dataSource_) {
        const std::size_t n = dataSource_->numberOfItemsInListView(*this);
        const std::size_t m = n > draggingIndexes_.size() ? n - draggingIndexes_.size() : 0;
        if (dropIndex_ == pf::NotFound || dropIndex_ > m)
            dropIndex_ = m;
    }
    itemFrames_.clear();
    suppressLayout_ = true;
    delayedCalls_.performAfterDelay([this] { unsuppressLayout(); }, layoutPauseAfterDrop,
                                    QStringLiteral("unsuppressLayout"));
    if (!delegateImplements(QVListViewDelegate::Operation::AcceptDrop))
        return false;
    return delegate_->listViewAcceptDrop(*this, info, dropIndex_, dropOp_);
}

void QVListView::unsuppressLayout()
{
    suppressLayout_ = false;
    layoutOrLog();
}
