#include "palettes/LibraryViewController.h"

#include "canvas/Canvas.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "model/StickyDefaults.h"
#include "palettes/LibraryCatalogue.h"
#include "palettes/LibraryListItem.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Resources.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/ZOVDragEffectManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QStyle>

#include <utility>

namespace {

const QString clearSelectionTag = QStringLiteral("clearSelection");

LibraryFrontWindowProvider& defaultFrontWindowProvider()
{
    static LibraryFrontWindowProvider provider;
    return provider;
}

// The palette's top view: it hands every change of its size to the controller's layout.
class LibraryPaletteView : public QVViewControllerView {
public:
    using QVViewControllerView::QVViewControllerView;
    std::function<void()> frameDidChange;

    void layoutSubviews() override
    {
        if (frameDidChange)
            frameDidChange();
    }
};

QImage stockDraggingImage()
{
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon);
    return icon.pixmap(32, 32).toImage();
}

} // namespace

// ---- LibraryListView ----

LibraryListView::~LibraryListView() = default;

LibraryViewController* LibraryListView::controller() const
{
    return dynamic_cast<LibraryViewController*>(delegate());
}

QStringList LibraryListView::writableTypesForPasteboard() const
{
    return {pf::PasteboardType::shapeInfo};
}

pf::Value LibraryListView::pasteboardPropertyListForType(const QString& type)
{
    LibraryViewController* owner = controller();
    if (type != pf::PasteboardType::shapeInfo || !owner)
        return {};
    return owner->pasteboardPropertyListForItemsAtIndexes(draggingIndexes());
}

pf::DragOperation LibraryListView::sourceOperationMaskForDraggingContext(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? pf::DragOp::Copy : pf::DragOp::None;
}

void LibraryListView::draggingSessionMovedToPoint(pf::Point)
{
    ZOVDragEffectManager::sharedDragEffectManager().updatePosition();
}

void LibraryListView::draggingSessionEndedAtPoint(pf::Point p, pf::DragOperation operation)
{
    ZOVDragEffectManager::sharedDragEffectManager().endDragShowWithResult(operation, false);
    IDEPaletteListView::draggingSessionEndedAtPoint(p, operation);
}

void LibraryListView::mouseDown(const pf::Event& e)
{
    if (LibraryViewController* owner = controller())
        owner->listWillHandleMouseDown();
    IDEPaletteListView::mouseDown(e);
}

void LibraryListView::beginDraggingSessionWithEvent(const pf::Event& e)
{
    if (draggingIndexes().empty())
        return;
    dragOffset_ = pf::Point();
    bool slideBack = true;
    QVListViewDelegate* owner = delegate();
    if (owner && owner->implements(QVListViewDelegate::Operation::CanDragItemsAtIndexes)
        && !owner->listViewCanDragItemsAtIndexes(*this, draggingIndexes(), e, &slideBack)) {
        draggingIndexes_.clear();
        return;
    }
    const QVIndexSet indexes = draggingIndexes();
    // The record is taken before the selection goes: clearing it ends the row's tool.
    pf::DraggingItem item;
    item.content = pf::PasteboardContent(writableTypesForPasteboard());
    const pf::Value record = pasteboardPropertyListForType(pf::PasteboardType::shapeInfo);
    if (!record.isNull())
        item.content.setPropertyList(pf::PasteboardType::shapeInfo, record);

    const pf::Event down = lastMouseDownEvent().value_or(e);
    const QImage inside = draggingImageForItemsAtIndexes(&indexes, down, nullptr);
    LibraryViewController* library = controller();
    const QImage outside = library ? library->outsideDraggingImageForItemsAtIndexes(indexes) : QImage();
    setSelectionIndexes(std::nullopt);
    // The list is not laid out again while its rows are dragged: the rows show the cleared selection
    // themselves.
    for (QVListItem* shown : items())
        if (auto* row = dynamic_cast<LibraryListItem*>(shown)) {
            row->setSelected(false);
            row->setBeforeSelected(false);
            row->setNeedsDisplay();
        }

    ZOVDragEffectManager& effect = ZOVDragEffectManager::sharedDragEffectManager();
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    const pf::Rect sourceScreenRect(topLeft.x(), topLeft.y(), bounds().width(), bounds().height());
    effect.startDragShow(sourceScreenRect, e.screenLocation, pf::Size(), inside, outside, slideBack);

    // The floating window shows the picture; the drag itself carries a transparent one, unless the window
    // cannot be shown here.
    QImage image;
    if (!ZOVDragEffectManager::showsWindow()) {
        image = outside;
    } else if (const auto spacer = pf::resourceData(QStringLiteral("spacer"), QStringLiteral("png"))) {
        image = QImage::fromData(*spacer);
    }
    const pf::Size size = image.isNull() ? pf::Size(1, 1)
                                         : pf::Size::fromQt(QSizeF(image.size()) / image.devicePixelRatio());
    dragOffset_ = pf::Point(size.width / 2, size.height / 2);
    item.draggingFrame = pf::Rect(e.location - dragOffset_, size);
    item.image = image;
    pf::beginDraggingSession(*this, {std::move(item)}, e, *this);
}

// ---- LibrarySearchField ----

LibrarySearchField::LibrarySearchField(QWidget* parent) : QLineEdit(parent)
{
    setPlaceholderText(QCoreApplication::translate("LibraryViewController", "Search"));
    setClearButtonEnabled(true);
    // Every change filters; one the user types begins the editing first.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!controller_)
            return;
        if (typing_)
            beginEditing();
        controller_->controlTextDidChange();
    });
    // Edits of the user's that come by other ways than keys (pasting from the field's menu).
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (controller_ && !typing_ && !editing_) {
            beginEditing();
            controller_->controlTextDidChange();
        }
    });
}

void LibrarySearchField::beginEditing()
{
    if (editing_ || !controller_)
        return;
    editing_ = true;
    controller_->controlTextDidBeginEditing();
}

void LibrarySearchField::endEditing()
{
    if (!editing_)
        return;
    editing_ = false;
    if (controller_)
        controller_->controlTextDidEndEditing();
}

void LibrarySearchField::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (controller_ && plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        if (controller_->changeSelectionByMovingUp(event->key() == Qt::Key_Up)) {
            event->accept();
            return;
        }
    }
    if (controller_ && plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        endEditing();
        controller_->addFirstFilteredShapeInfo();
        event->accept();
        return;
    }
    typing_ = true;
    QLineEdit::keyPressEvent(event);
    typing_ = false;
}

void LibrarySearchField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    endEditing();
}

// ---- LibraryViewController ----

LibraryViewController::LibraryViewController() : IDEPaletteViewController(QString::fromLatin1(NibName))
{
    allShapeInfos_ = library::catalogueEntries();
    discoverShapeIndexes();
}

LibraryViewController::~LibraryViewController()
{
    delayedCalls_.cancelPreviousPerformRequests();
    canvasObservations_.clear();
    if (searchField_)
        searchField_->setController(nullptr);
    if (auto* view = dynamic_cast<LibraryPaletteView*>(isViewLoaded() ? this->view() : nullptr))
        view->frameDidChange = nullptr;
}

void LibraryViewController::registerInterfaceFile()
{
    pf::registerViewBuilder(QString::fromLatin1(NibName), [](pf::Responder* owner) -> pf::View* {
        auto* view = new LibraryPaletteView(pf::Rect(0, 0, 170, 400));
        auto* bar = new LibrarySearchView(pf::Rect(0, 0, 170, searchBarHeight));
        view->addSubview(bar, pf::Rect(0, 0, 170, searchBarHeight));
        auto* field = new LibrarySearchField(bar);
        field->setGeometry(12, 6, 146, 22);

        auto* scroll = new pf::ScrollView(view);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setGeometry(0, int(searchBarHeight), 170, 400 - int(searchBarHeight));
        auto* list = new LibraryListView(pf::Rect(pf::Point(), scroll->contentSize()));
        list->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
        list->setScrollView(scroll);
        scroll->setDocumentView(list);

        if (auto* controller = dynamic_cast<LibraryViewController*>(owner)) {
            controller->setScrollView(scroll);
            controller->setListView(list);
            controller->setSearchView(bar);
            controller->setSearchField(field);
            field->setController(controller);
            list->setDataSource(controller);
            list->setDelegate(controller);
            view->frameDidChange = [controller] { controller->viewFrameDidChange(); };
        }
        return view;
    });
}

void LibraryViewController::setDefaultFrontWindowProvider(LibraryFrontWindowProvider provider)
{
    defaultFrontWindowProvider() = std::move(provider);
}

LibraryFrontWindow* LibraryViewController::frontWindow() const
{
    if (frontWindow_)
        return frontWindow_();
    const LibraryFrontWindowProvider& provider = defaultFrontWindowProvider();
    return provider ? provider() : nullptr;
}

LibraryListView* LibraryViewController::libraryListView() const
{
    return dynamic_cast<LibraryListView*>(listView());
}

void LibraryViewController::discoverShapeIndexes()
{
    shapeClassIndexTab_.clear();
    for (const QString& name : library::toolClassNames()) {
        std::size_t index = pf::NotFound;
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
        if (kind) {
            const pf::Value info = kind->plist();
            for (std::size_t i = 0; i < filteredShapeInfos_.size(); ++i)
                if (filteredShapeInfos_[i] == info) {
                    index = i;
                    break;
                }
        }
        shapeClassIndexTab_[name] = index;
    }
    bezierIndex_ = shapeClassIndexTab_[QStringLiteral("Bezier")];
    brushIndex_ = shapeClassIndexTab_[QStringLiteral("Brush")];
    pathIndex_ = shapeClassIndexTab_[QStringLiteral("Path")];
}

// ---- the view ----

void LibraryViewController::viewDidLoad()
{
    IDEPaletteViewController::viewDidLoad();
    if (searchView_)
        searchView_->setColor(pf::Color::fromQt(QGuiApplication::palette().color(QPalette::Window)));
    if (IDEPaletteListView* list = listView()) {
        list->setBackgroundColor(pf::Color(0.97, 0.97, 0.97, 1));
        list->registerForDraggedTypes({pf::PasteboardType::shapeInfo});
    }
    filter();
    viewFrameDidChange();
}

void LibraryViewController::viewDidMoveToSuperview()
{
    IDEPaletteViewController::viewDidMoveToSuperview();
    if (searchView_ && isViewLoaded()) {
        pf::Rect frame = searchView_->frame();
        frame.size.width = view()->bounds().width();
        searchView_->setFrame(frame);
    }
}

void LibraryViewController::viewDidMoveToWindow()
{
    IDEPaletteViewController::viewDidMoveToWindow();
    canvasObservations_.clear();
    pf::View* palette = isViewLoaded() ? view() : nullptr;
    if (!palette || !palette->enclosingWindow())
        return;
    QWidget* window = palette->window();
    auto& center = pf::NotificationCenter::defaultCenter();
    canvasObservations_.push_back(center.addObserver(QString::fromLatin1(Canvas::DidClearListSelectionNotification),
                                                     window,
                                                     [this](const pf::Notification&) { canvasDidClearListSelection(); }));
    canvasObservations_.push_back(center.addObserver(
        QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window,
        [this](const pf::Notification& n) {
            const auto it = n.userInfo.find(QStringLiteral("ShapeClassName"));
            canvasModeKeyboardShortcutWasTriggered(it == n.userInfo.end() ? QString() : it->second.toString());
        }));
}

void LibraryViewController::viewFrameDidChange()
{
    if (!isViewLoaded())
        return;
    const pf::Rect b = view()->bounds();
    if (searchField_)
        searchField_->setGeometry(searchFieldFrameForBounds(b).toQt().toRect());
    const bool barShown = b.width() >= searchBarMinimumWidth;
    if (searchView_) {
        searchView_->setFrame(pf::Rect(0, 0, b.width(), searchBarHeight));
        searchView_->setHidden(!barShown);
    }
    pf::Rect scroll = scrollRectForBounds(b);
    if (barShown && searchView_) {
        const double barHeight = searchView_->frame().height();
        scroll.origin.y = barHeight;
        scroll.size.height = std::max(0.0, scroll.size.height - barHeight);
    }
    if (pf::ScrollView* scrollView = this->scrollView())
        scrollView->setGeometry(scroll.toQt().toRect());
}

pf::Rect LibraryViewController::searchFieldFrameForBounds(const pf::Rect& bounds) const
{
    const QRect field = searchField_ ? searchField_->geometry() : QRect(12, 6, 0, 22);
    return pf::Rect(12, field.y(), bounds.width() - 24, field.height());
}

pf::Rect LibraryViewController::scrollRectForBounds(const pf::Rect& bounds) const
{
    return pf::Rect(pf::Point(0, 0), bounds.size);
}

// ---- the selection ----

std::size_t LibraryViewController::selectedIndex() const
{
    const IDEPaletteListView* list = listView();
    if (!list || !list->selectionIndexes() || list->selectionIndexes()->empty())
        return pf::NotFound;
    return *list->selectionIndexes()->begin();
}

void LibraryViewController::setSelectedIndex(std::size_t index)
{
    if (index == selectedIndex())
        return;
    if (IDEPaletteListView* list = listView())
        list->setSelectionIndexes(index == pf::NotFound ? std::nullopt : std::optional<QVIndexSet>(QVIndexSet{index}));
}

void LibraryViewController::filter()
{
    const std::size_t selected = selectedIndex();
    const std::optional<pf::Value> remembered =
        selected < filteredShapeInfos_.size() ? std::optional<pf::Value>(filteredShapeInfos_[selected]) : std::nullopt;

    const QString query = searchField_ ? searchField_->text() : QString();
    filteredShapeInfos_.clear();
    for (const std::size_t i : library::filterEntries(allShapeInfos_, query))
        filteredShapeInfos_.push_back(allShapeInfos_[i]);

    std::size_t next = pf::NotFound;
    if (!filteredShapeInfos_.empty()) {
        if (remembered) {
            const auto it = std::find(filteredShapeInfos_.begin(), filteredShapeInfos_.end(), *remembered);
            if (it != filteredShapeInfos_.end())
                next = std::size_t(it - filteredShapeInfos_.begin());
        }
        if (next == pf::NotFound && filtering_)
            next = 0;
    }
    // The tool rows must name the new list before a selection change consults them.
    discoverShapeIndexes();
    setSelectedIndex(next);
    reloadList();
    scrollSelectedIndexToVisible();
    discoverShapeIndexes();
}

bool LibraryViewController::changeSelectionByMovingUp(bool up)
{
    const std::size_t count = filteredShapeInfos_.size();
    if (count == 0)
        return false;
    const std::size_t selected = selectedIndex();
    if (selected == pf::NotFound || selected >= count) {
        setSelectedIndex(0);
    } else if (up) {
        if (selected > 0)
            setSelectedIndex(selected - 1);
    } else if (selected + 1 < count) {
        setSelectedIndex(selected + 1);
    }
    reloadList();
    scrollSelectedIndexToVisible();
    return true;
}

void LibraryViewController::scrollSelectedIndexToVisible()
{
    const std::size_t selected = selectedIndex();
    IDEPaletteListView* list = listView();
    if (selected == pf::NotFound || !list)
        return;
    if (pf::ScrollView* scroll = list->scrollView())
        scroll->scrollRectToVisible(list->frameForItemAtIndex(selected));
}

void LibraryViewController::clearSelection()
{
    const std::size_t selected = selectedIndex();
    if (selected != pf::NotFound && (selected == bezierIndex_ || selected == brushIndex_))
        return;
    setSelectedIndex(pf::NotFound);
}

// ---- adding ----

void LibraryViewController::addShapeFromInfo(const pf::Value& info)
{
    LibraryFrontWindow* front = frontWindow();
    if (!front)
        return;
    front->addShapeFromPlist(info);
    front->focusCanvas();
}

void LibraryViewController::addFirstFilteredShapeInfo(const std::optional<pf::Event>& currentEvent)
{
    if (filteredShapeInfos_.empty())
        return;
    if (currentEvent) {
        const pf::Event& e = *currentEvent;
        const bool key = e.type == pf::EventType::KeyDown || e.type == pf::EventType::KeyUp;
        if (key && (e.keyCode == pf::KeyCode::Delete || e.keyCode == pf::KeyCode::Escape))
            return;
        if (e.type == pf::EventType::LeftMouseUp) {
            IDEPaletteListView* list = listView();
            if (!list)
                return;
            const QPoint origin = list->mapToGlobal(QPoint(0, 0));
            const pf::Rect listOnScreen(origin.x(), origin.y(), list->width(), list->height());
            if (!listOnScreen.contains(e.screenLocation))
                return;
        }
    }
    const std::size_t selected = selectedIndex();
    if (selected >= filteredShapeInfos_.size())
        return;
    addShapeFromInfo(filteredShapeInfos_[selected]);
    delayedCalls_.cancelPreviousPerformRequests(clearSelectionTag);
}

// ---- the search field ----

void LibraryViewController::controlTextDidBeginEditing()
{
    filtering_ = true;
    setSelectedIndex(0);
}

void LibraryViewController::controlTextDidChange()
{
    filter();
}

void LibraryViewController::controlTextDidEndEditing()
{
    filtering_ = false;
    delayedCalls_.performAfterDelay([this] { clearSelection(); }, pf::Nanoseconds(0), clearSelectionTag);
}

void LibraryViewController::listWillHandleMouseDown()
{
    if (searchField_) {
        searchField_->endEditing();
        // The keys leave the field: losing them later would end an editing that is over.
        if (searchField_->hasFocus())
            searchField_->clearFocus();
    }
    delayedCalls_.cancelPreviousPerformRequests(clearSelectionTag);
}

// ---- dragging ----

pf::Value LibraryViewController::pasteboardPropertyListForItemsAtIndexes(const QVIndexSet& indexes)
{
    if (indexes.empty() || *indexes.begin() >= filteredShapeInfos_.size())
        return {};
    draggingShapeInfo_ = filteredShapeInfos_[*indexes.begin()];
    return draggingShapeInfo_;
}

QImage LibraryViewController::outsideDraggingImageForItemsAtIndexes(const QVIndexSet& indexes)
{
    dragPromiseShape_.reset();
    if (!indexes.empty() && *indexes.begin() < filteredShapeInfos_.size()) {
        const pf::Value& info = filteredShapeInfos_[*indexes.begin()];
        if (const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(info.stringForKey(u"className"))) {
            const double grow = kind->selectionStrokeLineWidth();
            const pf::Size size = kind->defaultSize();
            const pf::Rect rect(1, 1, size.width + grow, size.height + grow);
            dragPromiseShape_ = Shape::shapeFromPlist(kind->plistByEnsuringFrameToPlistInRect(info, rect));
        }
    }
    if (dragPromiseShape_) {
        dragPromiseShape_->setSelected(true);
        const pf::Image image = dragPromiseShape_->draggingImage();
        const double scale = isViewLoaded() ? view()->devicePixelRatioF() : 1.0;
        if (image.isValid()) {
            QImage picture = image.rendered(scale);
            if (!picture.isNull())
                return picture;
        }
    }
    return stockDraggingImage();
}

// ---- the canvas's notices ----

void LibraryViewController::canvasDidClearListSelection()
{
    setSelectedIndex(pf::NotFound);
}

void LibraryViewController::canvasModeKeyboardShortcutWasTriggered(const QString& className)
{
    const auto it = shapeClassIndexTab_.find(className);
    setSelectedIndex(it == shapeClassIndexTab_.end() ? pf::NotFound : it->second);
}

// ---- list data source and delegate ----

std::size_t LibraryViewController::numberOfItemsInListView(QVListView&)
{
    return filteredShapeInfos_.size();
}

QVListItem* LibraryViewController::listViewItemAtIndex(QVListView& list, std::size_t index)
{
    const pf::Value info = index < filteredShapeInfos_.size() ? filteredShapeInfos_[index] : pf::Value();
    const QString& className = info.stringForKey(u"className");
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(className);
    auto known = hasIconByClass_.find(className);
    if (known == hasIconByClass_.end())
        known = hasIconByClass_
                    .emplace(className, kind && (!kind->iconImageName().isEmpty() || !kind->iconImage().isNull()))
                    .first;
    const QString identifier =
        known->second ? LibraryListItem::reuseIdentifier() : LibraryVectorListItem::reuseIdentifier();
    auto* row = dynamic_cast<LibraryListItem*>(list.dequeueReusableItemWithIdentifier(identifier));
    if (!row)
        row = known->second ? new LibraryListItem() : new LibraryVectorListItem();

    const std::size_t selected = selectedIndex();
    row->setShapeInfo(info);
    row->setBeforeSelected(selected != pf::NotFound && selected == index + 1);
    row->setSelected(selected == index);
    if (row->wantsShape()) {
        auto cached = allVectorShapes_.find(className);
        std::shared_ptr<Shape> sample = cached == allVectorShapes_.end() ? nullptr : cached->second;
        if (!sample && kind) {
            const pf::Rect rect =
                LibraryVectorListItem::shapeRectForIconRect(LibraryListItem::iconRectForBounds(row->bounds()));
            // Samples neither take nor leave the user's last style.
            sample = StickyDefaults::doWithoutStickySettingOrGetting(
                [&] { return kind->libraryListItemShapeWithFrame(rect); });
            if (sample)
                allVectorShapes_[className] = sample;
        }
        row->setShape(sample);
    }
    row->setNeedsDisplay();
    return row;
}

bool LibraryViewController::implements(Operation operation) const
{
    switch (operation) {
    case Operation::ExtentForItemAtIndex:
    case Operation::WillSelectItemsAtIndexes:
    case Operation::DidSelectItemsAtIndexes:
    case Operation::ItemWasDoubleClickedAtIndex:
    case Operation::CanDragItemsAtIndexes:
        return true;
    default:
        return false;
    }
}

double LibraryViewController::listViewExtentForItemAtIndex(QVListView&, std::size_t)
{
    return LibraryListItem::defaultHeight;
}

QVIndexSet LibraryViewController::listViewWillSelectItemsAtIndexes(QVListView&, const QVIndexSet& proposed)
{
    const std::size_t selected = selectedIndex();
    // A click on the chosen row puts its tool down; the row selected while typing only marks where
    // Return adds, and a click chooses it.
    if (selected != pf::NotFound && !proposed.empty() && *proposed.begin() == selected && !selectionMarksTyping_)
        return {};
    return proposed;
}

void LibraryViewController::listViewDidSelectItemsAtIndexes(QVListView&, const std::optional<QVIndexSet>& indexes)
{
    if (indexes && !indexes->empty()) {
        const std::size_t row = *indexes->begin();
        setSelectedIndex(row);
        reloadList();
        // Moving through the rows while typing starts no tool.
        selectionMarksTyping_ = filtering_;
        if (filtering_ || row >= filteredShapeInfos_.size())
            return;
        QWidget* window = noticeWindow();
        auto& center = pf::NotificationCenter::defaultCenter();
        if (row == bezierIndex_)
            center.post(QString::fromLatin1(Canvas::BezierModeWasActivatedNotification), window);
        else if (row == brushIndex_)
            center.post(QString::fromLatin1(Canvas::BrushModeWasActivatedNotification), window);
        else if (row == pathIndex_)
            center.post(QString::fromLatin1(Canvas::PathModeWasActivatedNotification), window);
        else
            center.post(QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification), window,
                        {{QStringLiteral("ShapeClassName"), filteredShapeInfos_[row].stringForKey(u"className")}});
        return;
    }
    selectionMarksTyping_ = false;
    if (LibraryFrontWindow* front = frontWindow())
        front->revertCanvasToDefaultMouseMode();
    setSelectedIndex(pf::NotFound);
}

void LibraryViewController::listViewItemWasDoubleClickedAtIndex(QVListView&, std::size_t index)
{
    if (index < filteredShapeInfos_.size())
        addShapeFromInfo(filteredShapeInfos_[index]);
}

bool LibraryViewController::listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&,
                                                          bool* slideBack)
{
    if (slideBack)
        *slideBack = true;
    return true;
}

void LibraryViewController::reloadList()
{
    IDEPaletteListView* list = listView();
    if (!list)
        return;
    try {
        list->reloadData();
    } catch (const QVListViewDataSourceException& e) {
        pf::logMessage(e.logLine());
    }
}

QWidget* LibraryViewController::noticeWindow()
{
    pf::View* palette = isViewLoaded() ? view() : nullptr;
    if (palette && palette->enclosingWindow())
        return palette->window();
    LibraryFrontWindow* front = frontWindow();
    return front ? front->canvasWindowWidget() : nullptr;
}
