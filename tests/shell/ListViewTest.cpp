// The recycling list view: layout passes with the reuse queue, selection by clicks, the other clicks and
// the context menu, and a data source that answers no view.
#include "kit/KitTestSupport.h"

#include "platform/foundation/Dispatch.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/QVListView.h"

#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using Op = QVListViewDelegate::Operation;

namespace {

class Source : public QVListViewDataSource {
public:
    std::size_t count = 0;
    bool reuse = true;
    std::size_t nilAt = pf::NotFound;
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
        return new QVListItem(pf::Rect(), "row");
    }
};

class Delegate : public QVListViewDelegate {
public:
    std::set<Op> ops;
    std::vector<QString> log;
    std::function<double(std::size_t)> extent;
    bool wantsSelection = true;
    std::vector<QVIndexSet> menuAskedFor;

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
