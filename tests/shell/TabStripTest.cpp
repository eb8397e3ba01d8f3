// The tab strip: the Page style's extents and the band layout, the overflow and add buttons, renaming in
// place, reordering by drop (and the drops refused), and the page tabs drawn in pixels with their kept
// page pictures.
#include "TabbedWindowTestSupport.h"
#include "kit/KitTestSupport.h"

#include "model/Composition.h"
#include "model/Metrics.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "shell/TKTabsListViewController.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace tabbed_test;

namespace {

// A page that paints itself red, so that its picture can be found in pixels.
class RedPage : public Composition {
public:
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        context.setFillColor(pf::Color(1, 0, 0, 1));
        context.fillRect(frame());
    }
};

// A page of one colour with a black square on it, which counts how often it is drawn.
class MarkedPage : public Composition {
public:
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        ++draws;
        context.setFillColor(colour);
        context.fillRect(frame());
        context.setFillColor(pf::Color(0, 0, 0, 1));
        context.fillRect(pf::Rect(mark, pf::Size(160, 160)));
    }
    pf::Color colour{1, 0, 0, 1};
    pf::Point mark;
    int draws = 0;
};

template <class Page = RedPage>
std::shared_ptr<Page> makePage(double width, double height, const QString& title)
{
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(width);
    metrics->setHeight(height);
    auto page = Shape::make<Page>(pf::Rect(0, 0, width, height));
    page->setMetrics(metrics);
    page->setTitle(title);
    return page;
}

// Tabs of red pages; reorders register their own undo, as the document window does.
class PageWindowController : public RecordingWindowController {
public:
    pf::UndoManager undo;
    pf::UndoManager* windowUndoManager() override { return &undo; }
    QString nameForTabModels() const override { return "Page"; }

    void addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index) override
    {
        undo.registerUndo([this, index] { removeTabModelAtIndex(index); });
        undo.setActionName("Add Page");
        RecordingWindowController::addTabModel(model, index);
    }
    void removeTabModelAtIndex(std::size_t index) override
    {
        const auto model = tabModelAtIndex(index);
        if (!model)
            return;
        undo.registerUndo([this, model, index] { addTabModel(model, index); });
        undo.setActionName("Remove Page");
        RecordingWindowController::removeTabModelAtIndex(index);
    }
    void addPages(const QStringList& names, pf::Size size = {800, 600})
    {
        for (const QString& name : names)
            addPage(makePage(size.width, size.height, name));
    }
    void addPage(const std::shared_ptr<Composition>& page)
    {
        auto model = std::make_shared<SheetTabModel>();
        model->setTitle(page->title());
        model->setRepresentedObject(page);
        TKMainWindowController::addTabModel(model, numberOfTabs());
    }
};

class TabStripTest : public TabbedWindowTest {
protected:
    void SetUp() override
    {
        TabbedWindowTest::SetUp();
        pf::InputState::shared().reset();
        previous_ = TKTabsList::factory();
        registerTabStripClasses();
    }
    void TearDown() override
    {
        TKTabsList::factory() = previous_;
        TabbedWindowTest::TearDown();
    }

    // A shown window whose strip (of the Page style) sits at the top-left, size given, in the orientation.
    std::shared_ptr<PageWindowController> makeStrip(const QStringList& names, pf::Size size, bool landscape,
                                                    pf::Size pageSize = {800, 600})
    {
        auto controller = std::make_shared<PageWindowController>();
        controller->window();
        controller->addPages(names, pageSize);
        if (!names.isEmpty())
            controller->setSelectedTabIndex(0);
        strip = dynamic_cast<TKTabsListViewController*>(controller->tabsListViewController());
        EXPECT_NE(strip, nullptr);
        strip->useStyleNamed("Page");
        strip->setAllowsTabTitleEditing(true);
        strip->listView()->setOrientation(landscape ? QVListView::Landscape : QVListView::Portrait);
        strip->listView()->setBackgroundColor(pf::Color(222 / 255.0, 228 / 255.0, 234 / 255.0, 1));
        strip->listView()->setNonMainBackgroundColor(pf::Color(222 / 255.0, 228 / 255.0, 234 / 255.0, 1));
        controller->window()->contentView()->addSubview(strip->view(), pf::Rect(pf::Point(), size));
        controller->showWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(controller->window()->widget()));
        controller->window()->becomeMainWindow();
        strip->updateAllTabModels();
        settle();
        controller->undo.removeAllActions();
        return controller;
    }

    // Runs the layouts asked for.
    void settle()
    {
        clock.advance(std::chrono::milliseconds(1));
        pf::drainMainQueue();
    }
    TKTabListItem* item(std::size_t index) const
    {
        return dynamic_cast<TKTabListItem*>(strip->listView()->itemAtIndex(index));
    }
    QImage render(QWidget& widget) const
    {
        QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget.render(&image);
        return image;
    }
    // A drop of the page type naming a window controller and a tab index.
    bool drop(const QString& identifier, pf::Variant index, std::size_t at)
    {
        pf::PasteboardContent content({TKTabsListView::pageType});
        pf::Value plist = pf::Value::dictionary();
        plist.set(QStringLiteral("tabbedDocumentIdentifier"), pf::Value(identifier));
        if (auto i = index.get<std::int64_t>())
            plist.set(QStringLiteral("tabModelIndex"), pf::Value(*i));
        content.setPropertyList(TKTabsListView::pageType, plist);
        const auto mime = content.makeMimeData();
        pf::DraggingInfo info{{}, pf::DragOp::Move, pf::Pasteboard(mime.get())};
        EXPECT_EQ(strip->listViewValidateDrop(*strip->listView(), info, nullptr, nullptr), pf::DragOp::Move);
        return strip->listViewAcceptDrop(*strip->listView(), info, at, 0);
    }

    pf::VirtualClock clock;
    TKTabsListViewController* strip = nullptr;

private:
    TKTabsList::Factory previous_;
};

} // namespace

TEST(TabStripLayoutTest, TheBandLayoutInBothOrientations)
{
    TKTabsListViewControllerView view;
    const pf::Rect b(0, 0, 300, 83);
    // Landscape: the band at the right end, 19 wide; the scroll view one point under it.
    view.setPortrait(false);
    EXPECT_EQ(view.buttonRectForBounds(b), pf::Rect(281, 0, 0, 83));
    EXPECT_EQ(view.scrollViewRectForBounds(b), b);
    view.setAddButtonVisible(true);
    EXPECT_EQ(view.buttonRectForBounds(b), pf::Rect(281, 0, 19, 83));
    EXPECT_EQ(view.scrollViewRectForBounds(b), pf::Rect(0, 0, 282, 83));
    EXPECT_EQ(view.addButtonRectForButtonRect(pf::Rect(281, 0, 19, 83)), pf::Rect(0, 0, 19, 83));
    view.setOverflowButtonVisible(true);
    EXPECT_EQ(view.addButtonRectForButtonRect(pf::Rect(281, 0, 19, 83)), pf::Rect(0, 0, 19, 42));
    EXPECT_EQ(view.overflowButtonRectForButtonRect(pf::Rect(281, 0, 19, 83)), pf::Rect(0, 41, 19, 42));
    view.setAddButtonVisible(false);
    EXPECT_EQ(view.overflowButtonRectForButtonRect(pf::Rect(281, 0, 19, 83)), pf::Rect(0, 0, 19, 83));

    // Portrait: the band across the bottom, 19 high; the scroll view 18 shorter.
    const pf::Rect p(0, 0, 120, 400);
    view.setPortrait(true);
    view.setOverflowButtonVisible(false);
    EXPECT_EQ(view.buttonRectForBounds(p), pf::Rect(0, 400, 120, 0));
    EXPECT_EQ(view.scrollViewRectForBounds(p), p);
    view.setAddButtonVisible(true);
    EXPECT_EQ(view.buttonRectForBounds(p), pf::Rect(0, 381, 120, 19));
    EXPECT_EQ(view.scrollViewRectForBounds(p), pf::Rect(0, 0, 120, 382));
    EXPECT_EQ(view.addButtonRectForButtonRect(pf::Rect(0, 381, 121, 19)), pf::Rect(0, 0, 121, 19));
    view.setOverflowButtonVisible(true);
    EXPECT_EQ(view.addButtonRectForButtonRect(pf::Rect(0, 381, 121, 19)), pf::Rect(0, 0, 61, 19));
    EXPECT_EQ(view.overflowButtonRectForButtonRect(pf::Rect(0, 381, 121, 19)), pf::Rect(61, 0, 61, 19));
}

TEST(TabStripLayoutTest, ASquishingStyleSharesTheLengthAndTheLastVisibleTabTakesTheRest)
{
    bool squish = false;
    const std::vector<double> expected{113, 113, 113, 111};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(TKTabsListViewController::squishedExtent(i, 5, 100, 450, 3, &squish), expected[i]) << i;
        EXPECT_TRUE(squish);
    }
    EXPECT_EQ(TKTabsListViewController::squishedExtent(0, 4, 100, 450, 3, &squish), 100);
    EXPECT_FALSE(squish);
    // One tab is never squished, only cut to the length.
    EXPECT_EQ(TKTabsListViewController::squishedExtent(0, 1, 500, 450, 0, &squish), 450);
    EXPECT_FALSE(squish);
}

TEST(TabStripGeometryTest, ThePagePictureIsScaledIntoTheSquareAndCentred)
{
    const pf::Rect square(4, 17.5, 61, 61);
    const auto wide = TKPageThumbnailGeometry::forPage({800, 600}, square);
    EXPECT_DOUBLE_EQ(wide.scale, 61.0 / 800);
    EXPECT_EQ(wide.pictureRect, pf::Rect(4.5, 26.5, 61, 45)); // centred vertically: 17.5 + 8
    const auto tall = TKPageThumbnailGeometry::forPage({600, 800}, square);
    EXPECT_DOUBLE_EQ(tall.scale, 61.0 / 800);
    EXPECT_EQ(tall.pictureRect, pf::Rect(12.5, 18.5, 45, 61)); // centred horizontally: 4 + 8
    const auto even = TKPageThumbnailGeometry::forPage({500, 500}, square);
    EXPECT_EQ(even.pictureRect, pf::Rect(4.5, 18.5, 61, 61));
    // A page without area has no scale (no division by zero): only the white square.
    for (const pf::Size size : {pf::Size(0, 600), pf::Size(800, 0), pf::Size(0, 0)}) {
        const auto none = TKPageThumbnailGeometry::forPage(size, square);
        EXPECT_EQ(none.scale, 0) << size.width << " " << size.height;
        EXPECT_EQ(none.pictureRect, pf::Rect(4.5, 18.5, 61, 61));
    }
}

TEST_F(TabStripTest, PageTabsAreAsLongAsTheStripIsDeepAndAreNeverNarrowed)
{
    auto controller = makeStrip({"A", "B", "C"}, {400, 83}, true);
    ASSERT_NE(item(0), nullptr);
    EXPECT_EQ(strip->scrollView()->contentSize().height, 83);
    EXPECT_EQ(item(0)->frame().width(), 70);
    EXPECT_EQ(item(2)->frame().width(), 70);
    EXPECT_FALSE(strip->willTabsSquish());
    EXPECT_EQ(strip->lastVisibleTabIndex(), 2u);
    EXPECT_FALSE(strip->needsOverflowButton());
    // Few tabs still leave the list over the whole clip area: a tab dropped past the last lands on it.
    EXPECT_EQ(strip->listView()->frame().size, strip->scrollView()->contentSize());

    auto vertical = makeStrip({"A", "B"}, {120, 400}, false);
    ASSERT_NE(item(0), nullptr);
    EXPECT_EQ(item(0)->frame().height(), 133);
    EXPECT_EQ(item(1)->frame().height(), 133);
    EXPECT_EQ(strip->listView()->frame().size, strip->scrollView()->contentSize());
}

TEST_F(TabStripTest, TheOverflowButtonShowsWhenTabsDoNotFitAndItsMenuListsEveryTab)
{
    // Seven tabs of 70 in 300 points: four fit.
    auto controller = makeStrip({"A", "B", "C", "D", "E", "F", "G"}, {300, 83}, true);
    EXPECT_TRUE(strip->needsOverflowButton());
    clock.advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(strip->controllerView()->overflowButtonVisible());
    EXPECT_FALSE(strip->overflowButtonContainerView()->isHidden());

    // The user opens the menu and chooses "F", as the menu runs its entry.
    std::vector<QStringList> shown;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu& menu, pf::Point) {
        QStringList titles;
        for (QAction* action : menu.actions())
            titles << QString("%1 %2 %3 %4")
                          .arg(action->text())
                          .arg(action->data().toInt())
                          .arg(action->isChecked())
                          .arg(action->isEnabled() ? "on" : "off");
        shown.push_back(titles);
        menu.actions().at(5)->trigger();
    });
    pf::Event click;
    click.type = pf::EventType::LeftMouseDown;
    strip->overflowButton()->performClick(click);
    EXPECT_TRUE(shown.empty()); // not during the click
    pf::drainMainQueue();
    clock.advance(std::chrono::milliseconds(1));
    pf::drainMainQueue();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (QStringList{"A 0 0 on", "B 1 0 on", "C 2 0 on", "D 3 0 on", "E 4 0 on", "F 5 0 on",
                                     "G 6 0 on"}));
    EXPECT_EQ(controller->selectedTabIndex(), 5u);
}

TEST_F(TabStripTest, AVerticalWheelOverTheStripScrollsItAlongItsLength)
{
    for (const bool landscape : {true, false}) {
        SCOPED_TRACE(landscape ? "landscape" : "portrait");
        auto controller = makeStrip({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"},
                                    landscape ? pf::Size(300, 83) : pf::Size(120, 300), landscape);
        QWidget* list = strip->listView();
        const pf::Point before = strip->scrollView()->scrollOrigin();
        // One notch down, over the first tab: the widget under the pointer gets it, as Qt delivers a wheel.
        QWidget* under = list->childAt(QPoint(10, 10));
        if (!under)
            under = list;
        const QPointF at = under->mapFrom(list, QPointF(10, 10));
        QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        // As from the platform: only those go on to the parents.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(under, &wheel);
        const pf::Point after = strip->scrollView()->scrollOrigin();
        if (landscape) {
            EXPECT_GT(after.x, before.x);
            EXPECT_EQ(after.y, before.y);
        } else {
            EXPECT_GT(after.y, before.y);
            EXPECT_EQ(after.x, before.x);
        }
    }
}

TEST_F(TabStripTest, AStripShorterThanOneTabNeedsNoOverflowButtonAndNoItemYetMeansTheFirst)
{
    auto controller = makeStrip({"A", "B", "C"}, {50, 83}, true);
    EXPECT_EQ(strip->lastVisibleTabIndex(), 2u);
    EXPECT_FALSE(strip->needsOverflowButton());

    // Before any item is laid out: a strip with room counts the first tab, one without room all of them.
    TKTabsListViewController fresh;
    fresh.setDelegate(controller.get());
    fresh.useStyleNamed("Page");
    fresh.listView()->setOrientation(QVListView::Landscape);
    // No data source: the list lays out no item.
    fresh.listView()->setDataSource(nullptr);
    controller->window()->contentView()->addSubview(fresh.view(), pf::Rect(0, 100, 300, 83));
    fresh.controllerView()->layoutSubviews();
    ASSERT_TRUE(fresh.listView()->items().empty());
    EXPECT_EQ(fresh.lastVisibleTabIndex(), 0u);
    fresh.view()->setFrame(pf::Rect(0, 100, 0, 83));
    fresh.controllerView()->layoutSubviews();
    ASSERT_TRUE(fresh.listView()->items().empty());
    EXPECT_EQ(fresh.lastVisibleTabIndex(), 2u);
}

TEST_F(TabStripTest, TheAddButtonAndDoubleClickOnEmptySpaceAddATabAndAMiddleClickCloses)
{
    auto controller = makeStrip({"A", "B"}, {400, 83}, true);
    pf::Event click;
    strip->addButton()->performClick(click);
    EXPECT_EQ(controller->numberOfTabs(), 3u);

    quint64 time = 5000;
    auto* list = strip->listView();
    for (int i = 0; i < 2; ++i) {
        time += 50;
        kittest::sendMouse(*list, QEvent::MouseButtonPress, {350, 40}, Qt::LeftButton, Qt::LeftButton, time);
        kittest::sendMouse(*list, QEvent::MouseButtonRelease, {350, 40}, Qt::LeftButton, {}, time + 5);
    }
    EXPECT_EQ(controller->numberOfTabs(), 4u);

    // A click selects, and gives the list the keyboard.
    time += 2000;
    kittest::sendMouse(*list, QEvent::MouseButtonPress, {105, 40}, Qt::LeftButton, Qt::LeftButton, time);
    kittest::sendMouse(*list, QEvent::MouseButtonRelease, {105, 40}, Qt::LeftButton, {}, time + 5);
    EXPECT_EQ(controller->selectedTabIndex(), 1u);
    EXPECT_EQ(controller->window()->firstResponder(), list);

    time += 2000;
    kittest::sendMouse(*list, QEvent::MouseButtonPress, {35, 40}, Qt::MiddleButton, Qt::MiddleButton, time);
    kittest::sendMouse(*list, QEvent::MouseButtonRelease, {35, 40}, Qt::MiddleButton, {}, time + 5);
    EXPECT_EQ(controller->numberOfTabs(), 3u);
    EXPECT_EQ(controller->titles().front(), "B");
}

TEST_F(TabStripTest, RenamingInPlaceCommitsOrCancelsAndOnlyWhenAllowed)
{
    auto controller = makeStrip({"A", "B", "C"}, {400, 83}, true);
    auto page = [&](std::size_t i) {
        return std::dynamic_pointer_cast<Composition>(controller->tabModelAtIndex(i)->representedObject());
    };

    // A double click on the title renames; on the picture it does not; not at all when not allowed.
    strip->setLastDoubleClickLocation({105, 8});
    strip->listViewItemWasDoubleClickedAtIndex(*strip->listView(), 1);
    ASSERT_NE(strip->fieldEditor(), nullptr);
    EXPECT_EQ(strip->fieldEditor()->text(), "B");
    EXPECT_EQ(strip->editingIndex(), 1u);
    // Escape keeps the title.
    strip->fieldEditor()->setText("Changed");
    kittest::sendKey(*strip->fieldEditor(), QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(strip->fieldEditor(), nullptr);
    EXPECT_EQ(page(1)->title(), "B");

    strip->setLastDoubleClickLocation({105, 50});
    strip->listViewItemWasDoubleClickedAtIndex(*strip->listView(), 1);
    EXPECT_EQ(strip->fieldEditor(), nullptr);
    strip->setAllowsTabTitleEditing(false);
    strip->setLastDoubleClickLocation({105, 8});
    strip->listViewItemWasDoubleClickedAtIndex(*strip->listView(), 1);
    EXPECT_EQ(strip->fieldEditor(), nullptr);
    strip->setAllowsTabTitleEditing(true);

    // Return commits.
    strip->beginEditingListItemAtIndex(1, "title");
    ASSERT_NE(strip->fieldEditor(), nullptr);
    strip->fieldEditor()->setText("Second");
    kittest::sendKey(*strip->fieldEditor(), QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(strip->fieldEditor(), nullptr);
    EXPECT_EQ(page(1)->title(), "Second");

    // A resize of the strip commits.
    strip->beginEditingListItemAtIndex(2, "title");
    ASSERT_NE(strip->fieldEditor(), nullptr);
    strip->fieldEditor()->setText("Third");
    strip->view()->setFrame(pf::Rect(0, 0, 380, 83));
    EXPECT_EQ(strip->fieldEditor(), nullptr);
    EXPECT_EQ(page(2)->title(), "Third");
}

TEST_F(TabStripTest, RenamingByCommandWhileScrolledPutsTheFieldOverThatTab)
{
    auto controller = makeStrip({"A", "B", "C", "D", "E", "F", "G", "H"}, {200, 83}, true);
    controller->setSelectedTabIndex(6);
    clock.advance(std::chrono::milliseconds(1));
    ASSERT_GT(strip->scrollView()->scrollOrigin().x, 0);
    pf::MenuItem sender;
    sender.setTag(6);
    controller->takeTabIndexToEditTitleFrom(&sender);
    ASSERT_NE(strip->fieldEditor(), nullptr);
    ASSERT_NE(item(6), nullptr);
    const QPoint itemOrigin = item(6)->mapTo(strip->view(), QPoint(0, 0));
    const QRect field = strip->fieldEditor()->geometry();
    EXPECT_NEAR(field.x(), itemOrigin.x() + 3 - 2, 1);
    EXPECT_NEAR(field.y(), itemOrigin.y() + 3.5 - 2, 1);
    strip->stopEditing(true);
}

TEST_F(TabStripTest, AReorderMovesAndSelectsTheTabAndOneUndoRestoresTheOrder)
{
    auto controller = makeStrip({"A", "B", "C", "D"}, {400, 83}, true);
    // Its own position: answered YES, nothing changes.
    EXPECT_TRUE(drop(controller->identifier(), std::int64_t(1), 1));
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(controller->selectedTabIndex(), 0u);
    EXPECT_FALSE(controller->undo.canUndo());

    EXPECT_TRUE(drop(controller->identifier(), std::int64_t(0), 2));
    EXPECT_EQ(controller->titles(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(controller->selectedTabIndex(), 2u);
    EXPECT_EQ(controller->undo.undoActionName(), "Reorder Page");
    EXPECT_TRUE(controller->undo.undo());
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C", "D"}));
    EXPECT_FALSE(controller->undo.canUndo());
    EXPECT_EQ(item(0)->title(), "A");
}

// The list's selection is the window's selected tab after any change: after a reorder, a press on the tab
// now at the old place selects it at once instead of waiting for a release.
TEST_F(TabStripTest, TheListSelectionFollowsTheSelectedTabAfterAReorder)
{
    auto controller = makeStrip({"A", "B", "C", "D"}, {400, 83}, true);
    auto* list = strip->listView();
    quint64 time = 5000;
    const auto press = [&](double x) {
        time += 2000;
        kittest::sendMouse(*list, QEvent::MouseButtonPress, {x, 40}, Qt::LeftButton, Qt::LeftButton, time);
    };
    const auto release = [&](double x) {
        kittest::sendMouse(*list, QEvent::MouseButtonRelease, {x, 40}, Qt::LeftButton, {}, time + 5);
    };
    press(35);
    release(35);
    ASSERT_EQ(controller->selectedTabIndex(), 0u);

    EXPECT_TRUE(drop(controller->identifier(), std::int64_t(0), 2));
    ASSERT_EQ(controller->titles(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(list->selectionIndexes(), std::optional<QVIndexSet>(QVIndexSet{2}));
    press(35);
    EXPECT_EQ(controller->selectedTabIndex(), 0u) << "B is selected on the press";
    release(35);
    EXPECT_EQ(list->selectionIndexes(), std::optional<QVIndexSet>(QVIndexSet{0}));
}

TEST_F(TabStripTest, DropsFromAnotherWindowAClosedWindowOrABadIndexAreRefused)
{
    auto other = makeStrip({"X", "Y"}, {400, 83}, true);
    const QString otherIdentifier = other->identifier();
    auto controller = makeStrip({"A", "B", "C"}, {400, 83}, true);
    EXPECT_FALSE(drop(otherIdentifier, std::int64_t(0), 1));
    EXPECT_FALSE(drop(controller->identifier(), std::int64_t(3), 0));
    EXPECT_FALSE(drop(controller->identifier(), std::int64_t(-1), 0));
    EXPECT_FALSE(drop(controller->identifier(), pf::Variant(), 0));
    other->close();
    other.reset();
    EXPECT_FALSE(drop(otherIdentifier, std::int64_t(0), 1));
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C"}));

    // Without the page type: no move, no drop.
    pf::PasteboardContent content({pf::PasteboardType::color});
    content.setColor(pf::Color(1, 0, 0, 1));
    const auto mime = content.makeMimeData();
    pf::DraggingInfo info{{}, pf::DragOp::Move, pf::Pasteboard(mime.get())};
    EXPECT_EQ(strip->listViewValidateDrop(*strip->listView(), info, nullptr, nullptr), pf::DragOp::None);
    EXPECT_FALSE(strip->listViewAcceptDrop(*strip->listView(), info, 0, 0));

    // A tab released outside the strip stays, and the strip reloads without the poof.
    EXPECT_FALSE(strip->listViewShouldRunPoofAt(*strip->listView(), {}, {0}));
    EXPECT_EQ(controller->titles(), (QStringList{"A", "B", "C"}));

    // What a drag carries.
    const pf::Variant plist = strip->listViewPasteboardPropertyListForItemsAtIndexes(*strip->listView(), {1});
    const auto map = plist.get<pf::VariantMap>();
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->at("tabModelIndex").get<std::int64_t>(), 1);
    EXPECT_EQ(map->at("tabbedDocumentIdentifier").toString(), controller->identifier());
}

TEST_F(TabStripTest, PageTabsDrawTheirPictureTitleAndFrameInPixels)
{
    auto controller = makeStrip({"A", "A title far too long for its tab", "C"}, {400, 83}, true);
    TKTabListItem* selected = item(0);
    TKTabListItem* normal = item(1);
    ASSERT_TRUE(selected && normal);
    ASSERT_EQ(selected->frame().size, pf::Size(70, 83));
    EXPECT_EQ(selected->closeButton(), nullptr);

    // The list is not the first responder: the selected tab has the slate 1-point frame.
    controller->window()->makeFirstResponder(nullptr);
    QImage image = render(*selected);
    // The picture P = (4.5, 26.5, 61, 45): red inside, frame along its edges, white ...
    EXPECT_EQ(image.pixelColor(35, 48), QColor(255, 0, 0));
    // (The frame's pixel column also holds half of P's white: P starts half a point in.)
    const QColor slate = image.pixelColor(4, 48);
    EXPECT_NEAR(slate.red(), 91 * 0.8 + (0x40 + 255) / 2.0 * 0.2, 6);
    EXPECT_NEAR(slate.blue(), 115 * 0.8 + (0xD5 + 255) / 2.0 * 0.2, 15);
    // ... and the selected background above it.
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0x40, 0x86, 0xD5));

    // While the list has focus: a 2-point yellow frame inside P.
    controller->window()->makeFirstResponder(strip->listView());
    image = render(*selected);
    EXPECT_EQ(image.pixelColor(4, 48), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(5, 48), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(7, 48), QColor(255, 0, 0));

    // An unselected tab: grey frame (over half of P's white), no background of its own.
    image = render(*strip->listView());
    const int x0 = int(normal->frame().minX());
    EXPECT_NEAR(image.pixelColor(x0 + 4, 48).red(), 0.7 * 255, 2);
    EXPECT_EQ(image.pixelColor(x0 + 1, 1), QColor(222, 228, 234));

    // Titles: a long one fills the title rect (cut with an ellipsis), a short one is centred.
    const auto inkColumns = [](const QImage& picture, QColor background) {
        int first = -1, last = -1;
        for (int x = 0; x < picture.width(); ++x)
            for (int y = 4; y < 16; ++y)
                if (picture.pixelColor(x, y) != background) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        return std::pair(first, last);
    };
    const QImage list = render(*strip->listView());
    const auto [longFirst, longLast] = inkColumns(list.copy(x0, 0, 70, 83), QColor(222, 228, 234));
    EXPECT_GE(longFirst, 3);
    EXPECT_LE(longLast, 67);
    EXPECT_GT(longLast - longFirst, 55);
    const auto [shortFirst, shortLast] =
        inkColumns(list.copy(int(item(2)->frame().minX()), 0, 70, 83), QColor(222, 228, 234));
    EXPECT_NEAR((shortFirst + shortLast) / 2.0, 35, 2);
    EXPECT_LT(shortLast - shortFirst, 12);
}

TEST_F(TabStripTest, APageWithoutAreaDrawsOnlyTheWhiteSquare)
{
    auto controller = makeStrip({"A", "B"}, {400, 83}, true, {0, 600});
    controller->setSelectedTabIndex(1);
    const QImage image = render(*item(0));
    EXPECT_EQ(image.pixelColor(35, 48), QColor(255, 255, 255));
    EXPECT_EQ(item(0)->pageDrawCount(), 0);
}

TEST_F(TabStripTest, ChangeNoticesMarkThePictureStaleAndTheItemDrawsThePageOnce)
{
    auto controller = makeStrip({"A", "B"}, {400, 83}, true);
    TKTabListItem* first = item(0);
    TKTabListItem* second = item(1);
    render(*first);
    render(*second);
    const int firstDraws = first->pageDrawCount();
    const int secondDraws = second->pageDrawCount();
    ASSERT_GE(firstDraws, 1);

    // Repaints draw the kept picture.
    render(*first);
    render(*first);
    EXPECT_EQ(first->pageDrawCount(), firstDraws);

    // Any number of notices for the page, once the picture is older than the refresh interval: one draw, at
    // the next paint, and none for the other tab.
    clock.advance(TKTabListItem::pictureRefreshInterval);
    const auto model = controller->tabModelAtIndex(0);
    auto* changed = dynamic_cast<Composition*>(model->representedObject().get());
    ASSERT_NE(changed, nullptr);
    changed->setNeedsDisplayInRectUpdatePalettes(changed->frame(), true);
    for (int i = 0; i < 5; ++i)
        pf::NotificationCenter::defaultCenter().post(TKTabListItem::modelDidChangeNotification, model.get());
    EXPECT_TRUE(first->isThumbnailStale());
    EXPECT_FALSE(second->isThumbnailStale());
    EXPECT_EQ(first->pageDrawCount(), firstDraws);
    render(*first);
    render(*first);
    render(*second);
    EXPECT_EQ(first->pageDrawCount(), firstDraws + 1);
    EXPECT_EQ(second->pageDrawCount(), secondDraws);
}

TEST_F(TabStripTest, ButtonsDrawTheirSeparatorsTowardsTheList)
{
    auto controller = makeStrip({"A", "B", "C", "D", "E", "F", "G"}, {300, 83}, true);
    clock.advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(strip->addButton() && strip->overflowButton());
    const QImage add = render(*strip->addButton());
    const QImage overflow = render(*strip->overflowButton());
    const QColor line = QColor(0x99, 0x99, 0x99);
    // Landscape: the add button only at min x; the overflow button at min x and at min y.
    EXPECT_EQ(add.pixelColor(0, add.height() / 2 + 4), line);
    EXPECT_NE(add.pixelColor(add.width() / 2 + 5, 0), line);
    EXPECT_EQ(overflow.pixelColor(0, overflow.height() - 3), line);
    EXPECT_EQ(overflow.pixelColor(overflow.width() - 2, 0), line);

    // The strip of four page tabs in both orientations, for looking at.
    auto four = makeStrip({"Home", "Settings", "A rather long page name", "Profile"}, {320, 83}, true);
    render(*strip->view()).save(QDir::temp().filePath("quorvel-tab-strip-landscape.png"));
    auto vertical = makeStrip({"Home", "Settings", "A rather long page name", "Profile"}, {104, 560}, false,
                              {375, 667});
    render(*strip->view()).save(QDir::temp().filePath("quorvel-tab-strip-portrait.png"));
}

// The tabs of four pages, each of its own colour, in a strip that shows all of them.
class TabPicturesTest : public TabStripTest {
protected:
    std::shared_ptr<PageWindowController> makeColouredStrip(pf::Size stripSize = {400, 83})
    {
        const pf::Color colours[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 0, 1, 1}};
        auto controller = makeStrip({}, stripSize, true);
        int n = 0;
        for (const pf::Color& colour : colours) {
            auto page = makePage<MarkedPage>(800, 600, QStringLiteral("Page %1").arg(++n));
            page->colour = colour;
            page->mark = pf::Point(-1000, -1000);
            pages.push_back(page);
            controller->addPage(page);
        }
        controller->setSelectedTabIndex(0);
        settle();
        return controller;
    }
    // The colour in the middle of the picture of the tab at the index, as the strip shows it.
    QColor shownColour(std::size_t index)
    {
        const QImage shown = render(*strip->listView());
        const pf::Rect frame = strip->listView()->frameForItemAtIndex(index);
        return shown.pixelColor(int(frame.minX()) + 35, 40);
    }
    // The inside of the page picture of a 70 x 83 tab, P = (4.5, 26.5, 61, 45), as painted (its frame aside,
    // which shows the list's focus).
    QImage picture(TKTabListItem& tab) const { return render(tab).copy(6, 28, 58, 42); }
    int pageDraws() const
    {
        int n = 0;
        for (const auto& page : pages)
            n += page->draws;
        return n;
    }

    std::vector<std::shared_ptr<MarkedPage>> pages;
};

TEST_F(TabPicturesTest, ReloadsOfTheStripKeepEveryTabsPictureAndDrawNoPage)
{
    auto controller = makeColouredStrip({260, 83});
    render(*strip->listView());
    const int drawn = pageDraws();
    ASSERT_GE(drawn, 3);

    const auto expectPicturesKept = [&](const char* after) {
        const int visible = int(strip->listView()->items().size());
        for (std::size_t i = 0; i < pages.size(); ++i)
            if (auto* tab = item(i)) {
                EXPECT_EQ(tab->representedObject(), pages[i]) << after;
                EXPECT_EQ(shownColour(i), pages[i]->colour.toQt()) << after << " tab " << i;
            }
        EXPECT_EQ(pageDraws(), drawn) << after << " (" << visible << " tabs on show)";
    };
    // Selecting another tab reloads the strip.
    controller->setSelectedTabIndex(2);
    settle();
    expectPicturesKept("a selection");
    // So does a rename.
    controller->tabModelAtIndex(1)->setTitle(QStringLiteral("Renamed"));
    strip->updateAllTabModels();
    settle();
    expectPicturesKept("a rename");
    // And a scroll of the strip by less than a tab.
    strip->listView()->enclosingScrollView()->scrollPoint(pf::Point(10, 0));
    settle();
    expectPicturesKept("a scroll");
}

TEST_F(TabPicturesTest, AChangingPageIsDrawnAtMostOncePerIntervalAndTheLastPictureIsExact)
{
    auto controller = makeColouredStrip();
    auto& page = *pages[0];
    const auto model = controller->tabModelAtIndex(0);
    const auto edit = [&](pf::Point mark) {
        page.mark = mark;
        page.setNeedsDisplayInRectUpdatePalettes(page.frame(), true);
        pf::NotificationCenter::defaultCenter().post(TKTabListItem::modelDidChangeNotification, model.get());
    };
    // A fresh drawing of the page as the tab shows it now: another item, given the same page and size.
    const auto freshPicture = [&] {
        TKTabListItem fresh;
        fresh.setTabsListViewController(strip);
        fresh.setRepresentedObject(pages[0]);
        fresh.setSelected(item(0)->isSelected());
        fresh.setTitle(item(0)->title());
        fresh.setFrame(item(0)->frame());
        return picture(fresh);
    };
    render(*item(0));
    clock.advance(TKTabListItem::pictureRefreshInterval);
    const int before = page.draws;

    // The first change after a quiet time shows at the next paint.
    edit(pf::Point(0, 0));
    EXPECT_EQ(picture(*item(0)), freshPicture());
    EXPECT_EQ(page.draws, before + 2); // the tab's and the fresh one's

    // A drag: a change every 16 ms, the tab painted after each; within one interval the page is not drawn.
    int draws = page.draws;
    for (int step = 1; step <= 10; ++step) {
        clock.advance(std::chrono::milliseconds(16));
        pf::drainMainQueue();
        edit(pf::Point(20.0 * step, 10.0 * step));
        render(*item(0));
    }
    EXPECT_EQ(page.draws, draws);
    EXPECT_TRUE(item(0)->isThumbnailRefreshPending());
    // Steps on for a second: about four drawings, not sixty.
    for (int step = 11; step <= 70; ++step) {
        clock.advance(std::chrono::milliseconds(16));
        pf::drainMainQueue();
        edit(pf::Point(10.0 * step, 5.0 * step));
        render(*item(0));
    }
    EXPECT_GE(page.draws - draws, 3);
    EXPECT_LE(page.draws - draws, 5);

    // The edits stop; one interval later the tab shows the page exactly as a fresh drawing does.
    EXPECT_NE(picture(*item(0)), freshPicture());
    clock.advance(TKTabListItem::pictureRefreshInterval);
    pf::drainMainQueue();
    EXPECT_FALSE(item(0)->isThumbnailRefreshPending());
    EXPECT_EQ(picture(*item(0)), freshPicture());
}
