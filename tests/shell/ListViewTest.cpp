// The recycling list view: layout passes with the reuse queue, selection by clicks, the other clicks and
// the context menu, and a data source that answers no view.
#include "kit/KitTestSupport.h"

#include "platform/foundation/Dispatch.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Poof.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/QVListView.h"

#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using Op = QVListViewDelegate::Operation;

namespace {

// A row painted in one colour: red for even indexes, blue for odd ones (for the drag image's pixels).
class PaintedItem : public QVListItem {
public:
    using QVListItem::QVListItem;

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        context.setFillColor(index() % 2 == 0 ? pf::Color(1, 0, 0) : pf::Color(0, 0, 1));
        context.fillRect(bounds());
    }
};

class Source : public QVListViewDataSource {
public:
    std::size_t count = 0;
    bool reuse = true;
    std::size_t nilAt = pf::NotFound;
    bool painted = false;
    int made = 0;

    std::size_t numberOfItemsInListView(QVListView&) override { return count; }
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t index) override
    {
        if (index == nilAt)
            return nullptr;
        if (reuse)
            if (QVListItem* item = list.dequeueReusableItemWithIdentifier("row"))
                return item;
        ++made;
        return painted ? new PaintedItem(pf::Rect(), "row") : new QVListItem(pf::Rect(), "row");
    }
};

class Delegate : public QVListViewDelegate {
public:
    std::set<Op> ops;
    std::vector<QString> log;
    std::function<double(std::size_t)> extent;
    bool wantsSelection = true;
    std::vector<QVIndexSet> menuAskedFor;
    // Drag and drop.
    bool canDrag = true;
    bool runsPoof = false;
    std::optional<std::size_t> validateSets; // the index the validation proposes instead
    std::vector<std::pair<std::size_t, int>> validated;
    std::vector<std::pair<std::size_t, int>> accepted;
    std::vector<pf::DragOperation> ended;

    bool implements(Op op) const override { return ops.count(op) != 0; }
    double listViewExtentForItemAtIndex(QVListView&, std::size_t i) override { return extent(i); }
    void listViewDidSelectItemsAtIndexes(QVListView&, const std::optional<QVIndexSet>& s) override
    {
        log.push_back(s ? QStringLiteral("selected %1").arg(s->size()) : QStringLiteral("selected none"));
    }
    void listViewItemWasDoubleClickedAtIndex(QVListView&, std::size_t i) override
    {
        log.push_back(QStringLiteral("double %1").arg(i));
    }
    void listViewItemWasMiddleClickedAtIndex(QVListView&, std::size_t i) override
    {
        log.push_back(QStringLiteral("middle %1").arg(i));
    }
    void listViewEmptyAreaWasDoubleClicked(QVListView&) override { log.push_back("empty double"); }
    void listViewEmptyAreaWasClicked(QVListView&) override { log.push_back("empty click"); }
    bool listViewWantsSelectionOnRightClick(QVListView&) override { return wantsSelection; }
    bool listViewCanDragItemsAtIndexes(QVListView&, const QVIndexSet&, const pf::Event&, bool*) override
    {
        return canDrag;
    }
    pf::DragOperation listViewValidateDrop(QVListView&, const pf::DraggingInfo&, std::size_t* index, int* op) override
    {
        validated.emplace_back(*index, *op);
        if (validateSets)
            *index = *validateSets;
        return pf::DragOp::Move;
    }
    bool listViewAcceptDrop(QVListView&, const pf::DraggingInfo&, std::size_t index, int op) override
    {
        accepted.emplace_back(index, op);
        return true;
    }
    bool listViewShouldRunPoofAt(QVListView&, pf::Point, const QVIndexSet&) override { return runsPoof; }
    void listViewDraggingSessionEnded(QVListView&, pf::Point, pf::DragOperation op) override { ended.push_back(op); }
    std::shared_ptr<pf::Menu> listViewContextMenuForItemsAtIndexes(QVListView&, const QVIndexSet& s) override
    {
        menuAskedFor.push_back(s);
        auto menu = std::make_shared<pf::Menu>();
        menu->addItem("Close", "close:");
        return menu;
    }
};

// A 200 × 300-point scroll view in a window, holding a list that fills its width.
class ListFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::InputState::shared().reset();
        window = pf::Window::attach(&top);
        top.resize(200, 300);
        scroll = new pf::ScrollView(&top);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->resize(200, 300);
        list = new QVListView(pf::Rect(0, 0, 200, 300));
        list->setScrollView(scroll);
        scroll->setDocumentView(list);
        list->setDataSource(&source);
        list->setDelegate(&delegate);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        ASSERT_EQ(scroll->contentSize(), pf::Size(200, 300));
    }

    std::vector<std::size_t> shownIndexes() const
    {
        std::vector<std::size_t> shown;
        for (QVListItem* item : list->items())
            shown.push_back(item->index());
        return shown;
    }

    // Presses and releases at a point of the list, ms apart from the last click.
    void click(pf::Point p, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        time += 1000;
        press(p, modifiers, button);
        release(p, modifiers, button);
    }
    void press(pf::Point p, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        time += 10;
        kittest::sendMouse(*list, QEvent::MouseButtonPress, p.toQt(), button, button, time, modifiers);
    }
    void release(pf::Point p, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        time += 10;
        kittest::sendMouse(*list, QEvent::MouseButtonRelease, p.toQt(), button, {}, time, modifiers);
    }
    void drag(pf::Point p)
    {
        time += 10;
        kittest::sendMouse(*list, QEvent::MouseMove, p.toQt(), Qt::NoButton, Qt::LeftButton, time);
    }

    // Drags the rows (selected first) out of the list from the first one's centre and runs body while
    // the drag is on.
    void dragRows(const QVIndexSet& rows, const std::function<void(pf::DraggingSession&)>& body)
    {
        list->setAllowsMultipleSelection(true);
        list->setSelectionIndexes(rows);
        const pf::Rect frame = list->itemAtIndex(*rows.begin())->frame();
        const pf::Point from(frame.midX(), frame.midY());
        duringDrag = body;
        time += 1000; // not a second click
        press(from);
        drag(from + pf::Point(30, 30));
        release(from + pf::Point(30, 30));
        duringDrag = nullptr;
    }
    // What a drag over the list brings: a pasteboard with the row type or only another one.
    static std::unique_ptr<QMimeData> dragData(bool rows)
    {
        auto mime = std::make_unique<QMimeData>();
        mime->setData(pf::mimeTypeForPasteboardType(rows ? QVListItemPboardType : QStringLiteral("other")), "x");
        return mime;
    }
    static pf::DraggingInfo over(pf::Point p, const QMimeData& data)
    {
        return pf::DraggingInfo{p, pf::DragOp::Move, pf::Pasteboard(&data)};
    }

    pf::VirtualClock clock;
    // The drag loop: what the test does while a drag from the list runs, then the end it reports.
    std::function<void(pf::DraggingSession&)> duringDrag;
    int dragsRun = 0;
    pf::ScopedDraggingLoop dragLoop{[this](pf::DraggingSession& session, pf::View&) {
        ++dragsRun;
        if (duringDrag)
            duringDrag(session);
    }};
    // Before the widgets: the list holds them unowned until it goes.
    Source source;
    Delegate delegate;
    QWidget top;
    pf::Window* window = nullptr;
    pf::ScrollView* scroll = nullptr;
    QVListView* list = nullptr;
    quint64 time = 100000;
};

} // namespace

TEST_F(ListFixture, ALongListHoldsViewsForAScreenfulAndReusesThemWhileScrolling)
{
    source.count = 10000;
    list->reloadData();
    EXPECT_EQ(list->frame().height(), 440000);
    // 300 points of 44-point rows: seven rows meet the visible area, the seventh cut.
    EXPECT_EQ(shownIndexes(), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(source.made, 7);

    // A taller clip area shows more rows at once.
    top.resize(200, 500);
    scroll->resize(200, 500);
    EXPECT_EQ(list->items().size(), 12u);
    scroll->resize(200, 300);
    EXPECT_EQ(list->items().size(), 7u);
    EXPECT_EQ(list->items().size() + list->queue().count(), std::size_t(source.made));

    for (double y : {10.0, 1000.0, 220000.0, 439700.0})
        scroll->scrollPoint(pf::Point(0, y));
    EXPECT_EQ(list->items().front()->index(), 9993u);
    EXPECT_EQ(list->items().back()->index(), 9999u);
    EXPECT_LE(source.made, 12);
    EXPECT_EQ(list->items().size() + list->queue().count(), std::size_t(source.made));
    for (QVListItem* item : list->items())
        EXPECT_EQ(item->frame(), pf::Rect(0, 44.0 * double(item->index()), 200, 44));

    // A source that always makes fresh views leaves the earlier ones idle in the queue, out of the list.
    source.reuse = false;
    const std::vector<QVListItem*> before = list->items();
    list->reloadData();
    EXPECT_GE(list->queue().count(), before.size());
    for (QVListItem* old : before)
        EXPECT_EQ(old->superview(), nullptr);
}

TEST_F(ListFixture, AnEmptyListIsNoHigherThanItsItemsOrFillsTheClipAreaWhenSizable)
{
    source.count = 0;
    list->reloadData();
    EXPECT_EQ(list->frame().height(), 0);
    EXPECT_TRUE(list->items().empty());

    list->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    list->reloadData();
    EXPECT_EQ(list->frame().height(), 300);

    // Sizable and longer than the clip: as long as its items.
    source.count = 10;
    list->reloadData();
    EXPECT_EQ(list->frame().height(), 440);
}

TEST_F(ListFixture, ItemsCutByTheVisibleEdgeAreShownOnlyWhenClippedItemsAre)
{
    source.count = 20;
    list->reloadData();
    EXPECT_EQ(list->items().size(), 7u);
    list->setDisplaysClippedItems(false);
    list->reloadData();
    EXPECT_EQ(shownIndexes(), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
}

TEST_F(ListFixture, MarginsSpaceTheItemsInBothOrientations)
{
    source.count = 3;
    delegate.ops = {Op::ExtentForItemAtIndex};
    delegate.extent = [](std::size_t i) { return 20.0 + 10.0 * double(i); };
    list->setItemMargin(5);
    list->reloadData();
    ASSERT_EQ(list->items().size(), 3u);
    EXPECT_EQ(list->items()[0]->frame(), pf::Rect(5, 0, 200, 20));
    EXPECT_EQ(list->items()[1]->frame(), pf::Rect(5, 25, 200, 30));
    EXPECT_EQ(list->items()[2]->frame(), pf::Rect(5, 60, 200, 40));
    EXPECT_EQ(list->frame().height(), 105);
    EXPECT_EQ(list->frameForItemAtIndex(2), pf::Rect(0, 50, 200, 40)); // no margins

    list->setOrientation(QVListView::Landscape);
    list->setFrame(pf::Rect(0, 0, 400, 30));
    list->reloadData();
    ASSERT_EQ(list->items().size(), 3u);
    EXPECT_EQ(list->items()[1]->frame(), pf::Rect(30, 0, 30, 30));
    EXPECT_EQ(list->items()[2]->frame(), pf::Rect(65, 0, 40, 30));
    EXPECT_EQ(list->frame().width(), 110);
    EXPECT_EQ(list->indexForItemAtPoint(pf::Point(55, 10)), 2u); // hit tests know no margins
    EXPECT_EQ(list->indexForItemAtPoint(pf::Point(95, 10)), pf::NotFound);

    // Without the delegate's extents every item is itemExtent long.
    delegate.ops.clear();
    EXPECT_EQ(list->frameForItemAtIndex(2), pf::Rect(88, 0, 44, 30));
}

namespace {

pf::Event clickWith(pf::ModifierFlags flags)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDown;
    e.clickCount = 1;
    e.modifierFlags = flags;
    return e;
}

} // namespace

TEST_F(ListFixture, ClicksWithCommandAndShiftMakeTheSelectionFromTheAnchor)
{
    source.count = 20;
    list->setAllowsMultipleSelection(true);
    list->reloadData();
    constexpr pf::ModifierFlags none = 0;
    constexpr pf::ModifierFlags shift = pf::ShiftKeyMask;
    constexpr pf::ModifierFlags command = pf::CommandKeyMask;
    struct Case {
        const char* what;
        QVIndexSet start;
        std::size_t anchor;
        pf::ModifierFlags flags;
        std::size_t index;
        QVIndexSet selected;
        std::size_t anchorAfter;
    };
    const Case cases[] = {
        {"shift extends from the anchor", {2}, 2, shift, 5, {2, 3, 4, 5}, 2},
        {"shift back over the run shrinks it", {2, 3, 4, 5}, 2, shift, 3, {2, 3}, 2},
        {"shift keeps a group further away", {2, 3, 7, 8}, 2, shift, 5, {2, 3, 4, 5, 7, 8}, 2},
        {"shift below the anchor", {5}, 5, shift, 2, {2, 3, 4, 5}, 5},
        {"shift with no anchor selects one", {}, pf::NotFound, shift, 4, {4}, 4},
        {"command adds and moves the anchor", {2}, 2, command, 6, {2, 6}, 6},
        {"command takes out the anchor: the last becomes it", {2, 4, 6}, 2, command, 2, {4, 6}, 6},
        {"command takes out the last anchor: the first", {2, 4, 6}, 6, command, 6, {2, 4}, 2},
        {"command takes out another: anchor stays", {2, 4, 6}, 2, command, 4, {2, 6}, 2},
        {"command on the only selected anchor empties it", {2}, 2, command, 2, {}, 2},
        {"plain click", {2, 3}, 2, none, 9, {9}, 9},
    };
    for (const Case& c : cases) {
        list->setSelectionIndexes(c.start);
        list->setAnchorIndex(c.anchor);
        list->updateSelectionWithEvent(clickWith(c.flags), c.index);
        EXPECT_EQ(list->selectionIndexes().value_or(QVIndexSet()), c.selected) << c.what;
        EXPECT_EQ(list->anchorIndex(), c.anchorAfter) << c.what;
    }

    // Without multiple selection modifiers change nothing.
    list->setAllowsMultipleSelection(false);
    list->setSelectionIndexes(QVIndexSet{2});
    list->updateSelectionWithEvent(clickWith(shift), 5);
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{5});
}

TEST_F(ListFixture, SettingTheSameSelectionAgainStillReachesTheDelegate)
{
    source.count = 5;
    delegate.ops = {Op::DidSelectItemsAtIndexes};
    list->reloadData();
    click(pf::Point(10, 50));
    click(pf::Point(10, 50));
    EXPECT_EQ(delegate.log, (std::vector<QString>{"selected 1", "selected 1"}));
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{1});
}

TEST_F(ListFixture, APlainClickInsideAMultipleSelectionResolvesOnRelease)
{
    source.count = 10;
    list->setAllowsMultipleSelection(true);
    list->reloadData();
    list->setSelectionIndexes(QVIndexSet{1, 2, 3});
    press(pf::Point(10, 100)); // row 2
    EXPECT_EQ(list->selectionIndexes(), (QVIndexSet{1, 2, 3}));
    release(pf::Point(10, 100));
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{2});
}

TEST_F(ListFixture, ADragStartsOnceThePointerLeavesTheSquareRoundThePress)
{
    source.count = 10;
    list->setAllowsMultipleSelection(true);
    list->reloadData();
    list->setSelectionIndexes(QVIndexSet{1, 2});
    press(pf::Point(100, 60)); // row 1, inside the selection
    drag(pf::Point(121, 60));
    drag(pf::Point(100, 81));
    EXPECT_FALSE(list->isDragSource());
    duringDrag = [&](pf::DraggingSession&) {
        EXPECT_TRUE(list->isDragSource());
        EXPECT_EQ(list->draggingIndexes(), (QVIndexSet{1, 2}));
        EXPECT_EQ(list->draggingVisibleIndexes(), (QVIndexSet{1, 2}));
        // Layout waits while the drag runs.
        source.count = 1;
        list->reloadData();
        EXPECT_EQ(list->items().size(), 7u);
    };
    drag(pf::Point(123, 60));
    EXPECT_EQ(dragsRun, 1);
    // The drag's end (here with none, where the pointer is) clears the state and reloads.
    EXPECT_FALSE(list->isDragSource());
    EXPECT_TRUE(list->draggingIndexes().empty());
    EXPECT_EQ(list->items().size(), 1u);
    release(pf::Point(123, 60));
    // The drag carried the selection; it did not change.
    EXPECT_EQ(list->selectionIndexes(), (QVIndexSet{1, 2}));
}

TEST_F(ListFixture, ClickCountsControlClicksMiddleClicksAndEmptySpace)
{
    source.count = 3; // rows end at 132
    delegate.ops = {Op::ItemWasDoubleClickedAtIndex, Op::EmptyAreaWasDoubleClicked, Op::EmptyAreaWasClicked,
                    Op::ItemWasMiddleClickedAtIndex, Op::ContextMenuForItemsAtIndexes};
    list->setAutoresizingMask(pf::View::HeightSizable);
    list->reloadData();
    ASSERT_EQ(list->frame().height(), 300);

    // Four presses in a row: single, double, single (the triple), double.
    for (int k = 0; k < 4; ++k) {
        press(pf::Point(10, 10));
        release(pf::Point(10, 10));
    }
    EXPECT_EQ(delegate.log, (std::vector<QString>{"double 0", "double 0"}));
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{0});

    delegate.log.clear();
    click(pf::Point(10, 200));
    EXPECT_EQ(delegate.log, (std::vector<QString>{"empty click"}));
    EXPECT_FALSE(list->selectionIndexes());
    time += 50;
    press(pf::Point(10, 200));
    release(pf::Point(10, 200));
    EXPECT_EQ(delegate.log.back(), "empty double");

    delegate.log.clear();
    click(pf::Point(10, 100), {}, Qt::MiddleButton);
    click(pf::Point(10, 200), {}, Qt::MiddleButton); // no item: not the delegate's
    EXPECT_EQ(delegate.log, (std::vector<QString>{"middle 2"}));

    // Control-click (Meta here) is a right click: it selects the row and asks for its menu next turn.
    std::vector<QStringList> shown;
    const pf::MenuPresenter::ScopedRunner runner([&](QMenu& menu, pf::Point) {
        QStringList titles;
        for (QAction* a : menu.actions())
            titles << a->text();
        shown.push_back(titles);
    });
    click(pf::Point(10, 60), Qt::MetaModifier);
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{1});
    EXPECT_TRUE(delegate.menuAskedFor.empty());
    pf::drainMainQueue();
    EXPECT_EQ(delegate.menuAskedFor, (std::vector<QVIndexSet>{{1}}));
    EXPECT_EQ(shown, (std::vector<QStringList>{{"Close"}}));
}

TEST_F(ListFixture, ARightClickKeepsASelectionItFallsInAndClearsOneOverEmptySpace)
{
    source.count = 5;
    delegate.ops = {Op::ContextMenuForItemsAtIndexes, Op::WantsSelectionOnRightClick};
    const pf::MenuPresenter::ScopedRunner runner([](QMenu&, pf::Point) {});
    list->setAllowsMultipleSelection(true);
    list->reloadData();
    list->setSelectionIndexes(QVIndexSet{1, 2});
    click(pf::Point(10, 100), {}, Qt::RightButton);
    pf::drainMainQueue();
    EXPECT_EQ(delegate.menuAskedFor.back(), (QVIndexSet{1, 2}));

    click(pf::Point(10, 250), {}, Qt::RightButton);
    pf::drainMainQueue();
    EXPECT_FALSE(list->selectionIndexes());
    EXPECT_EQ(delegate.menuAskedFor.back(), QVIndexSet{});

    // A delegate that refuses selection on right click gets the row under the pointer, or nothing.
    delegate.wantsSelection = false;
    list->setSelectionIndexes(QVIndexSet{4});
    click(pf::Point(10, 10), {}, Qt::RightButton);
    click(pf::Point(10, 250), {}, Qt::RightButton);
    pf::drainMainQueue();
    EXPECT_EQ(list->selectionIndexes(), QVIndexSet{4});
    const std::vector<QVIndexSet> lastTwo(delegate.menuAskedFor.end() - 2, delegate.menuAskedFor.end());
    EXPECT_EQ(lastTwo, (std::vector<QVIndexSet>{{0}, {}}));
}

TEST_F(ListFixture, ASourceThatAnswersNoViewRaisesFromReloadButOnlyLogsFromAResize)
{
    source.count = 5;
    source.nilAt = 2;
    try {
        list->reloadData();
        FAIL() << "no exception";
    } catch (const QVListViewDataSourceException& e) {
        EXPECT_STREQ(QVListViewDataSourceException::name, "QVListViewDataSourceException");
        EXPECT_TRUE(e.reason().startsWith("nil list item view returned for index: 2 by: 0x")) << e.reason().toStdString();
    }
    // The pass completed round the gap.
    EXPECT_EQ(shownIndexes(), (std::vector<std::size_t>{0, 1, 3, 4}));

    std::vector<QString> logged;
    const pf::ScopedLogSink log([&](const QString& m) { logged.push_back(m); });
    list->setFrameSize(pf::Size(150, 300));
    ASSERT_FALSE(logged.empty());
    EXPECT_TRUE(logged.front().startsWith("QVListViewDataSourceException: nil list item view returned for index: 2"));
    EXPECT_EQ(shownIndexes(), (std::vector<std::size_t>{0, 1, 3, 4}));
}

TEST(ListItemQueueTest, ItemsAreQueuedOncePerIdentifierAndTakenOut)
{
    QVListItemQueue queue;
    auto* a = new QVListItem(pf::Rect(), "a");
    auto* b = new QVListItem(pf::Rect(), "a");
    QVListItem nameless(pf::Rect(), "");
    EXPECT_TRUE(queue.enqueue(a));
    EXPECT_FALSE(queue.enqueue(a));
    EXPECT_TRUE(queue.enqueue(b));
    EXPECT_FALSE(queue.enqueue(&nameless));
    EXPECT_EQ(queue.count(), 2u);
    EXPECT_EQ(queue.dequeueWithIdentifier("other"), nullptr);
    QVListItem* first = queue.dequeueWithIdentifier("a");
    ASSERT_TRUE(first == a || first == b);
    EXPECT_EQ(queue.count(), 1u);
    EXPECT_TRUE(queue.description().startsWith("<QVListItemQueue 0x"));
    delete first;
    // The queue deletes the idle item it still holds (the sanitizer checks).
}

TEST(ListItemTest, AnItemDrawsItsDragImageAtItsSizeAndNoneWhenItHasNoSize)
{
    QVListItem none(pf::Rect(), "x");
    EXPECT_TRUE(none.draggingImage().isNull());
    QVListItem item(pf::Rect(0, 0, 30, 20), "x");
    const QImage image = item.draggingImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(30, 20));
    EXPECT_FALSE(item.isDrawingDragImage());
}

TEST_F(ListFixture, TheBackgroundFollowsWhetherTheWindowIsMain)
{
    source.count = 1;
    list->setBackgroundColor(pf::Color(1, 1, 1, 1));
    list->setNonMainBackgroundColor(pf::Color(0.6, 0.6, 0.6, 1));
    list->reloadData();
    const auto pixel = [&] {
        QImage image(list->size(), QImage::Format_ARGB32_Premultiplied);
        list->render(&image);
        return image.pixelColor(100, 20);
    };
    window->resignMainWindow();
    EXPECT_EQ(pixel(), QColor(153, 153, 153));
    window->becomeMainWindow();
    EXPECT_EQ(pixel(), QColor(255, 255, 255));
    list->setBackgroundGradient(pf::Gradient(pf::Color(1, 0, 0, 1), pf::Color(1, 0, 0, 1)));
    EXPECT_EQ(pixel(), QColor(255, 0, 0));
    window->resignMainWindow();
}

// Drag and drop

TEST_F(ListFixture, ARowDragProposesAboveAnItemInItsFirstThirdAndAboveTheNextFromItsLastThird)
{
    delegate.ops = {Op::ValidateDrop};
    source.count = 10;
    const auto none = dragData(false); // a drag from the list needs no row type
    for (const int orientation : {QVListView::Portrait, QVListView::Landscape}) {
        list->setOrientation(orientation);
        list->reloadData();
        // Row 3 is dragged; the pointer goes down (or across) item 1, which spans 44 to 88.
        const auto at = [&](double along) {
            return orientation == QVListView::Portrait ? pf::Point(100, along) : pf::Point(along, 100);
        };
        struct Case {
            double offset;
            std::size_t index;
            int op;
        };
        const Case cases[] = {{0, 1, 1}, {14.6, 1, 1}, {14.7, 1, 0}, {29.9, 1, 0}, {30, 2, 1}, {43.9, 2, 1}};
        dragRows({3}, [&](pf::DraggingSession&) {
            list->draggingEntered(over(at(50), *none));
            for (const Case& c : cases) {
                delegate.validated.clear();
                EXPECT_EQ(list->draggingUpdated(over(at(44 + c.offset), *none)), pf::DragOp::Move);
                ASSERT_EQ(delegate.validated.size(), 1u);
                EXPECT_EQ(delegate.validated[0], std::make_pair(c.index, c.op))
                    << "orientation " << orientation << " offset " << c.offset;
            }
        });
        delegate.validated.clear();
    }
}

TEST_F(ListFixture, DropIndexesAreAdjustedForTheRowsTakenOutAndForeignDragsDropOnItems)
{
    source.count = 10;
    list->reloadData();
    const auto rows = dragData(true);
    const auto none = dragData(false);

    // Proposed by the delegate at 5, 1 and 0 for a row dragged from 1.
    delegate.ops = {Op::ValidateDrop, Op::AcceptDrop};
    for (const auto& [proposed, arrives] : {std::pair<std::size_t, std::size_t>{5, 4}, {1, 1}, {0, 0}}) {
        delegate.validateSets = proposed;
        delegate.accepted.clear();
        dragRows({1}, [&](pf::DraggingSession&) {
            list->draggingEntered(over(pf::Point(100, 10), *none));
            list->draggingUpdated(over(pf::Point(100, 10), *none));
            EXPECT_TRUE(list->performDragOperation(over(pf::Point(100, 10), *none)));
        });
        ASSERT_EQ(delegate.accepted.size(), 1u);
        EXPECT_EQ(delegate.accepted[0].first, arrives) << proposed;
        clock.advance(std::chrono::milliseconds(200));
        pf::drainMainQueue();
    }
    delegate.validateSets.reset();

    // A foreign drag without the row type: no thirds, the drop is on the item (top third of item 2).
    delegate.validated.clear();
    EXPECT_EQ(list->draggingEntered(over(pf::Point(100, 90), *none)), pf::DragOp::None);
    EXPECT_EQ(list->draggingUpdated(over(pf::Point(100, 90), *none)), pf::DragOp::Move);
    ASSERT_EQ(delegate.validated.size(), 1u);
    EXPECT_EQ(delegate.validated[0].second, 0);
    // With it, the same point proposes a drop above item 2, and the enter answers the source's move.
    EXPECT_EQ(list->draggingEntered(over(pf::Point(100, 90), *rows)), pf::DragOp::Move);
    list->draggingUpdated(over(pf::Point(100, 90), *rows));
    EXPECT_EQ(delegate.validated[1].second, 1);
    EXPECT_EQ(list->dropVisibleIndex(), 2u);

    // Without a validating delegate every update answers none; without an accepting one a drop fails.
    delegate.ops = {};
    EXPECT_EQ(list->draggingUpdated(over(pf::Point(100, 90), *rows)), pf::DragOp::None);
    EXPECT_FALSE(list->performDragOperation(over(pf::Point(100, 90), *rows)));
}

TEST_F(ListFixture, AGapOfTheDraggedRowsOpensAtTheDropPositionAndTheIndexDoesNotFollowTheAnimation)
{
    delegate.ops = {Op::ValidateDrop};
    source.count = 10;
    list->reloadData();
    const auto none = dragData(false);
    dragRows({1, 2}, [&](pf::DraggingSession&) {
        // Over item 4's first third: above it, counting the two rows taken out before it.
        list->draggingEntered(over(pf::Point(100, 181), *none));
        list->draggingUpdated(over(pf::Point(100, 181), *none));
        EXPECT_EQ(list->dropIndex(), 6u);
        EXPECT_EQ(list->dropVisibleIndex(), 6u);
        EXPECT_TRUE(list->itemAtVisibleIndex(1)->isHidden());
        EXPECT_TRUE(list->itemAtVisibleIndex(2)->isHidden());
        EXPECT_FALSE(list->itemAtVisibleIndex(3)->isHidden());
        std::vector<double> tops;
        for (const pf::Rect& f : list->draggingTargetFrames())
            tops.push_back(f.y());
        // The rows close up over the hidden two; the gap of their 88 points opens before position 6.
        EXPECT_EQ(tops, (std::vector<double>{0, 44, 44, 44, 88, 132, 264}));
        EXPECT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 132) << "not there before the animation";
        clock.advance(std::chrono::milliseconds(60));
        pf::drainMainQueue();
        EXPECT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 44);
        EXPECT_EQ(list->itemAtVisibleIndex(4)->frame().y(), 88);
        // The same point, with the views moved, proposes the same drop.
        list->draggingUpdated(over(pf::Point(100, 181), *none));
        EXPECT_EQ(list->dropIndex(), 6u);
    });
    // The drag's end puts every view back.
    EXPECT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 132);
    EXPECT_FALSE(list->itemAtVisibleIndex(1)->isHidden());
    EXPECT_TRUE(list->itemFrames().empty());

    // A foreign drag opens one item extent.
    list->setItemExtent(50);
    list->reloadData();
    const auto rows = dragData(true);
    list->draggingEntered(over(pf::Point(100, 105), *rows));
    list->draggingUpdated(over(pf::Point(100, 105), *rows)); // first third of item 2
    std::vector<double> tops;
    for (const pf::Rect& f : list->draggingTargetFrames())
        tops.push_back(f.y());
    EXPECT_EQ(tops, (std::vector<double>{0, 50, 150, 200, 250, 300}));
}

TEST_F(ListFixture, LayoutPausesAfterADropAndAForeignDragsGapClosesAfterItLeaves)
{
    delegate.ops = {Op::ValidateDrop, Op::AcceptDrop};
    source.count = 10;
    list->reloadData();
    const auto rows = dragData(true);
    list->draggingEntered(over(pf::Point(100, 90), *rows));
    list->draggingUpdated(over(pf::Point(100, 90), *rows));
    EXPECT_TRUE(list->performDragOperation(over(pf::Point(100, 90), *rows)));
    EXPECT_TRUE(list->isLayoutSuppressed());
    // The owner's reload comes at once and waits.
    source.count = 2;
    list->reloadData();
    clock.advance(std::chrono::milliseconds(149));
    pf::drainMainQueue();
    EXPECT_EQ(list->items().size(), 7u);
    clock.advance(std::chrono::milliseconds(1));
    pf::drainMainQueue();
    EXPECT_FALSE(list->isLayoutSuppressed());
    EXPECT_EQ(list->items().size(), 2u);

    // A foreign drag that leaves: the views go back 0.3 s later.
    source.count = 10;
    list->reloadData();
    list->draggingEntered(over(pf::Point(100, 90), *rows));
    list->draggingUpdated(over(pf::Point(100, 90), *rows));
    clock.advance(std::chrono::milliseconds(60));
    pf::drainMainQueue();
    ASSERT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 176);
    list->draggingExited(over(pf::Point(), *rows));
    clock.advance(std::chrono::milliseconds(299));
    pf::drainMainQueue();
    EXPECT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 176);
    clock.advance(std::chrono::milliseconds(1));
    pf::drainMainQueue();
    EXPECT_EQ(list->itemAtVisibleIndex(3)->frame().y(), 132);
    EXPECT_TRUE(list->itemFrames().empty());

    // Nothing reaches a list that is gone.
    list->draggingEntered(over(pf::Point(100, 90), *rows));
    list->draggingUpdated(over(pf::Point(100, 90), *rows));
    list->performDragOperation(over(pf::Point(100, 90), *rows));
    list->draggingExited(over(pf::Point(), *rows));
    delete list;
    list = nullptr;
    clock.advance(std::chrono::seconds(1));
    pf::drainMainQueue();
}

TEST_F(ListFixture, ARefusedDragStartsNothingAndTheDragImageStacksTheRowsHalfTransparent)
{
    delegate.ops = {Op::CanDragItemsAtIndexes};
    source.count = 10;
    source.painted = true;
    list->reloadData();
    delegate.canDrag = false;
    dragRows({1, 2}, [](pf::DraggingSession&) {});
    EXPECT_EQ(dragsRun, 0);
    EXPECT_TRUE(list->draggingIndexes().empty());
    EXPECT_FALSE(list->isDragSource());

    delegate.canDrag = true;
    QImage picture;
    pf::Point grip;
    dragRows({1, 2}, [&](pf::DraggingSession& session) {
        picture = session.image();
        grip = session.hotSpot();
    });
    ASSERT_EQ(dragsRun, 1);
    const QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio();
    EXPECT_EQ(size, QSizeF(200, 88));
    // Centred on the pointer.
    EXPECT_EQ(grip, pf::Point(100, 44));
    const qreal scale = picture.devicePixelRatio();
    const QColor top = picture.pixelColor(QPoint(int(100 * scale), int(20 * scale)));
    const QColor bottom = picture.pixelColor(QPoint(int(100 * scale), int(66 * scale)));
    EXPECT_EQ(top.blue(), 255) << "row 1 (odd, blue) on top";
    EXPECT_EQ(bottom.red(), 255) << "row 2 (even, red) below";
    EXPECT_NEAR(top.alphaF(), 0.5, 0.01);
    EXPECT_NEAR(bottom.alphaF(), 0.5, 0.01);
    EXPECT_TRUE(list->draggingImageForItemsAtIndexes(nullptr, pf::Event(), nullptr).isNull());
}

TEST_F(ListFixture, TheDragEndRunsThePoofOnlyOutsideTheListAndWhenTheDelegateWantsIt)
{
    delegate.ops = {Op::ShouldRunPoof, Op::DraggingSessionEnded};
    source.count = 10;
    list->reloadData();
    struct Case {
        bool wanted;
        pf::Point end; // in the list
        bool poof;
    };
    for (const Case& c : {Case{true, pf::Point(100, 400), true}, Case{false, pf::Point(100, 400), false},
                          Case{true, pf::Point(100, 200), false}}) {
        delegate.runsPoof = c.wanted;
        dragRows({1}, [&](pf::DraggingSession& session) {
            session.endedAt(pf::Point::fromQt(list->mapToGlobal(c.end.toQt())), Qt::IgnoreAction,
                            pf::DraggingContext::OutsideApplication);
        });
        EXPECT_EQ(pf::currentPoof() != nullptr, c.poof) << c.wanted << " " << c.end.y;
        clock.advance(std::chrono::seconds(1));
        pf::drainMainQueue();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(delegate.ended, (std::vector<pf::DragOperation>(3, pf::DragOp::None)));
}

namespace {

// A list that writes the row type, as the lists built on this one write theirs.
class RowWritingList : public QVListView {
public:
    using QVListView::QVListView;
    QStringList writableTypesForPasteboard() const override { return {QVListItemPboardType}; }
    pf::Value pasteboardPropertyListForType(const QString& type) override
    {
        return type == QVListItemPboardType ? pf::Value(QStringLiteral("rows")) : pf::Value();
    }
};

} // namespace

TEST_F(ListFixture, AListBuiltOnTheBaseWritesItsTypeIntoTheDragAndTheRowTypeTravelsAsARecord)
{
    auto* writer = new RowWritingList(pf::Rect(0, 0, 200, 300));
    writer->setScrollView(scroll);
    scroll->setDocumentView(writer); // the scroll view lets the first list go
    list = writer;
    list->setDataSource(&source);
    list->setDelegate(&delegate);
    source.count = 5;
    list->reloadData();
    std::unique_ptr<QMimeData> carried;
    pf::DragOperation inside = pf::DragOp::None;
    pf::DragOperation outside = pf::DragOp::Copy;
    dragRows({2}, [&](pf::DraggingSession& session) {
        carried = session.makeMimeData();
        inside = session.operationMask(pf::DraggingContext::WithinApplication, pf::OptionKeyMask);
        outside = session.operationMask(pf::DraggingContext::OutsideApplication, 0);
    });
    ASSERT_TRUE(carried);
    EXPECT_TRUE(carried->hasFormat(QStringLiteral("application/x-QVListItemPboardType")));
    const pf::Pasteboard board(carried.get());
    EXPECT_TRUE(board.hasType(QVListItemPboardType));
    EXPECT_EQ(board.propertyListForType(QVListItemPboardType), pf::Value(QStringLiteral("rows")));
    // Moves inside the program whatever keys are held; nothing outside it.
    EXPECT_EQ(inside, pf::DragOp::Move);
    EXPECT_EQ(outside, pf::DragOp::None);
}
