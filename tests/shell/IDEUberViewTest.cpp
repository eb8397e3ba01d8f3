// The nested split layout as a view: its tree as regions open and close, its keys and values in the
// settings, the store after a burst of resizes, snapping and resizing through the split views, and the
// divider drawing.
#include "shell/IDEUberView.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Window.h"
#include "shell/IDEUberViewSplitView.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using uber::Region;

namespace {

class IDEUberViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        clock_ = std::make_unique<pf::VirtualClock>();
    }
    void TearDown() override
    {
        view.reset();
        pf::drainMainQueue();
        clock_.reset();
        pf::UserDefaultsStore::replaceStandard(std::move(previous_));
    }

    IDEUberView& make(int style = 2, QString autosave = {}, pf::Size size = pf::Size(1000, 700))
    {
        view = std::make_unique<IDEUberView>(pf::Rect(pf::Point(), size), style);
        view->setAutosaveName(autosave);
        view->resize(int(size.width), int(size.height));
        return *view;
    }
    // Lets the split views settle (their layout follows on the next turn) and the store run.
    void settle(std::chrono::milliseconds time = 0ms)
    {
        pf::drainMainQueue();
        clock_->advance(time);
        pf::drainMainQueue();
    }
    pf::UserDefaultsStore& store() { return pf::UserDefaultsStore::standard(); }
    static pf::MenuItem item(pf::Variant represented)
    {
        pf::MenuItem m;
        m.setRepresentedObject(std::move(represented));
        return m;
    }

    std::unique_ptr<IDEUberView> view;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
    std::unique_ptr<pf::VirtualClock> clock_;
};

std::vector<pf::View*> arranged(const pf::SplitView* s) { return s->arrangedSubviews(); }

// ---- the tree ----

TEST_F(IDEUberViewTest, ANewLayoutHasOnlyTheCentre)
{
    IDEUberView& u = make();
    for (int r = 0; r < uber::regionCount; ++r)
        EXPECT_FALSE(u.isOpen(Region(r)));
    EXPECT_EQ(arranged(u.verticalSplitView()), std::vector<pf::View*>{u.horizontalSplitView()});
    EXPECT_EQ(arranged(u.horizontalSplitView()), std::vector<pf::View*>{u.midSuperview()});
    EXPECT_EQ(u.leftView(), u.leftSplitView());
    EXPECT_EQ(u.splitViewDividerStyle(), 2);
    settle();
    EXPECT_EQ(u.horizontalSplitView()->frame(), pf::Rect(0, 0, 1000, 700));

    // Without a style, the setting chooses: thin when YES.
    store().setBoolForKey(true, QStringLiteral("IDEUberViewSplitViewDividerStyle"));
    EXPECT_EQ(IDEUberView(pf::Rect(0, 0, 100, 100)).splitViewDividerStyle(), 2);
    store().removeObjectForKey(QStringLiteral("IDEUberViewSplitViewDividerStyle"));
    EXPECT_EQ(IDEUberView(pf::Rect(0, 0, 100, 100)).splitViewDividerStyle(), 1);
}

TEST_F(IDEUberViewTest, ContainersKeepTheirOrderAndColumnsCloseWithTheirLastRegion)
{
    IDEUberView& u = make();
    u.openRightTopView(nullptr);
    u.openBottomView(nullptr);
    u.openLeftTopView(nullptr);
    u.openTopView(nullptr);
    EXPECT_EQ(arranged(u.verticalSplitView()),
              (std::vector<pf::View*>{u.leftSuperview(), u.horizontalSplitView(), u.rightSuperview()}));
    EXPECT_EQ(arranged(u.horizontalSplitView()),
              (std::vector<pf::View*>{u.topSuperview(), u.midSuperview(), u.bottomSuperview()}));
    // Left-top opened while left-bottom is closed: only its container in the column.
    EXPECT_EQ(arranged(u.leftSplitView()), std::vector<pf::View*>{u.leftTopSuperview()});
    EXPECT_FALSE(u.isLeftBottomViewOpen());

    u.openLeftBottomView(nullptr);
    EXPECT_EQ(arranged(u.leftSplitView()), (std::vector<pf::View*>{u.leftTopSuperview(), u.leftBottomSuperview()}));
    u.closeLeftTopView(nullptr);
    EXPECT_TRUE(u.isLeftViewOpen());
    u.closeLeftBottomView(nullptr);
    EXPECT_FALSE(u.isLeftViewOpen());
    EXPECT_EQ(arranged(u.verticalSplitView()), (std::vector<pf::View*>{u.horizontalSplitView(), u.rightSuperview()}));

    // Toggles flip and act; repeating an open or close does no harm.
    u.toggleRightTopView(nullptr);
    EXPECT_FALSE(u.isRightViewOpen());
    u.toggleRightTopView(nullptr);
    u.openRightTopView(nullptr);
    EXPECT_TRUE(u.isRightViewOpen());
    EXPECT_EQ(arranged(u.rightSplitView()), std::vector<pf::View*>{u.rightTopSuperview()});
    u.closeTopView(nullptr);
    u.closeTopView(nullptr);
    EXPECT_EQ(arranged(u.horizontalSplitView()), (std::vector<pf::View*>{u.midSuperview(), u.bottomSuperview()}));
}

TEST_F(IDEUberViewTest, ClientsFillTheirContainers)
{
    IDEUberView& u = make();
    auto* library = new pf::View(pf::Rect(0, 0, 10, 10));
    u.setLeftTopView(library);
    u.openLeftTopView(nullptr);
    settle();
    EXPECT_EQ(library->frame(), u.leftTopSuperview()->bounds());
    EXPECT_EQ(library->frame().width(), 200);

    // Replaced: the old client leaves, unowned.
    auto* other = new pf::View(pf::Rect(0, 0, 10, 10));
    u.setLeftTopView(other);
    EXPECT_EQ(library->parentWidget(), nullptr);
    EXPECT_EQ(u.leftTopView(), other);
    delete library;
}

// ---- sizes on open and on resize ----

TEST_F(IDEUberViewTest, OpenRegionsTakeTheirStoredOrPreferredSizes)
{
    for (const int style : {2, 1}) {
        IDEUberView& u = make(style);
        const double t = style == 2 ? 1 : 7;
        EXPECT_EQ(u.verticalSplitView()->dividerThickness(), t);
        store().setDoubleForKey(150, QStringLiteral("IDEUberViewTopViewHeight"));
        u.openLeftTopView(nullptr);
        u.openRightTopView(nullptr);
        u.openRightBottomView(nullptr);
        u.openTopView(nullptr);
        settle();
        SCOPED_TRACE(style);
        EXPECT_EQ(u.leftSuperview()->frame(), pf::Rect(0, 0, 200, 700));
        EXPECT_EQ(u.horizontalSplitView()->frame(), pf::Rect(200 + t, 0, 1000 - 400 - 2 * t, 700));
        EXPECT_EQ(u.rightSuperview()->frame(), pf::Rect(800, 0, 200, 700));
        EXPECT_EQ(u.topSuperview()->frame().height(), 150);
        EXPECT_EQ(u.midSuperview()->frame().y(), 150 + t);
        EXPECT_EQ(u.rightTopSuperview()->frame().height(), 200);
        EXPECT_EQ(u.rightBottomSuperview()->frame(), pf::Rect(0, 200 + t, 200, 700 - 200 - t));
        store().removeObjectForKey(QStringLiteral("IDEUberViewTopViewHeight"));
    }
}

TEST_F(IDEUberViewTest, WideningGivesTheCentreTheSpaceNarrowingStopsItAt24)
{
    IDEUberView& u = make();
    u.openLeftTopView(nullptr);
    u.openRightTopView(nullptr);
    settle(200ms);
    u.setFrameSize(pf::Size(1400, 700));
    EXPECT_EQ(u.leftSuperview()->frame().width(), 200);
    EXPECT_EQ(u.rightSuperview()->frame().width(), 200);
    EXPECT_EQ(u.horizontalSplitView()->frame().width(), 1400 - 402);

    u.setFrameSize(pf::Size(300, 700));
    EXPECT_EQ(u.horizontalSplitView()->frame().width(), 24);
    EXPECT_EQ(u.leftSuperview()->frame().width() + u.rightSuperview()->frame().width(), 300 - 24 - 2);
    EXPECT_EQ(u.rightSuperview()->frame().maxX(), 300);
}

TEST_F(IDEUberViewTest, ACentreClosedByADragStaysClosedAsTheWindowResizes)
{
    IDEUberView& u = make();
    u.openLeftTopView(nullptr);
    u.openRightTopView(nullptr);
    settle();
    pf::SplitView& columns = *u.verticalSplitView();
    columns.beginDividerDrag(0, 200);
    columns.continueDividerDrag(790); // near the right column: the centre closes up
    columns.endDividerDrag();
    EXPECT_EQ(u.horizontalSplitView()->frame().width(), 0);
    settle(200ms);
    for (const double width : {1200.0, 500.0}) {
        u.setFrameSize(pf::Size(width, 700));
        SCOPED_TRACE(width);
        EXPECT_EQ(u.horizontalSplitView()->frame().width(), 0);
        EXPECT_EQ(u.leftSuperview()->frame().width() + u.rightSuperview()->frame().width(), width - 2);
        EXPECT_NEAR(u.leftSuperview()->frame().width() / (width - 2), 798.0 / 998.0, 1.0 / (width - 2));
    }
}

TEST_F(IDEUberViewTest, SnappingGoesThroughTheSplitViewsDelegates)
{
    IDEUberView& u = make();
    u.leftWidthBounds = {170, 0, 0, 0};
    u.rightWidthBounds = {222, 10, 222, 0};
    u.rightTopHeightBounds = {200, 50, 500, 0};
    u.openLeftTopView(nullptr);
    u.openRightTopView(nullptr);
    settle();
    pf::SplitView& columns = *u.verticalSplitView();
    EXPECT_EQ(u.splitViewConstrainSplitPosition(columns, 180, 0), 170);
    EXPECT_EQ(u.splitViewConstrainSplitPosition(columns, 183, 0), 183);
    EXPECT_EQ(u.splitViewConstrainSplitPosition(columns, 5, 0), 0);
    EXPECT_EQ(u.splitViewConstrainSplitPosition(columns, 770, 1), 778);
    // The column split with its bottom region closed gives the top region the column.
    IDEUberViewSplitViewDelegateInternal& internal = *static_cast<IDEUberViewSplitViewDelegateInternal*>(
        u.rightSplitView()->delegate());
    EXPECT_EQ(internal.splitViewConstrainSplitPosition(*u.rightSplitView(), 300, 0), 10000);

    // Dragged with the mouse: the divider lands where the rule says.
    const auto sendTo = [&columns](QEvent::Type type, double x, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget& divider = *columns.dividerWidget(0);
        const QPointF local(x - divider.x(), 100);
        QMouseEvent e(type, local, divider.mapToGlobal(local), button, held, {});
        QCoreApplication::sendEvent(&divider, &e);
    };
    sendTo(QEvent::MouseButtonPress, 170, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(u.dragStartMidWidth(), -1);
    sendTo(QEvent::MouseMove, 190, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(u.leftSuperview()->frame().width(), 190);
    sendTo(QEvent::MouseMove, 178, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(u.leftSuperview()->frame().width(), 170);
    sendTo(QEvent::MouseButtonRelease, 178, Qt::LeftButton, Qt::NoButton);

    // Asked for the largest width there is, the left column takes all the centre leaves it.
    u.setLeftViewWidth(3.4028234663852886e38);
    EXPECT_EQ(u.horizontalSplitView()->frame().width(), 0);
    EXPECT_EQ(u.leftSuperview()->frame().width(), 1000 - 222 - 2);
    EXPECT_EQ(u.rightSuperview()->frame().width(), 222);
}

// ---- settings ----

TEST_F(IDEUberViewTest, OpenStatesGoUnderTheAutosaveName)
{
    IDEUberView& outer = make(2, QStringLiteral("outer"));
    outer.openLeftTopView(nullptr);
    outer.closeLeftTopView(nullptr);
    outer.storeSplitPositions();
    EXPECT_TRUE(store().objectForKey(u"outer-IDEUberViewIsLeftViewOpen").isBool());
    EXPECT_FALSE(store().boolForKey(u"outer-IDEUberViewIsLeftViewOpen"));

    IDEUberView& plain = make(2, QString());
    plain.openTopView(nullptr);
    plain.storeOpenStates();
    EXPECT_TRUE(store().boolForKey(u"IDEUberViewIsTopViewOpen"));
}

TEST_F(IDEUberViewTest, ARepresentedObjectKeepsItsOwnSize)
{
    IDEUberView& u = make(2, QStringLiteral("inner"));
    const pf::MenuItem library = item("library"), search = item("search");
    u.openLeftTopView(&library);
    settle();
    u.setLeftViewWidth(90);
    u.storeSplitPositions();
    u.openLeftTopView(&search);
    u.setLeftViewWidth(130);
    u.storeSplitPositions();
    const pf::Value::Dictionary& d = store().dictionaryForKey(u"inner-IDEUberViewLeftViewWidthDictionary");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d.at(u"library").doubleValue(), 90);
    EXPECT_EQ(d.at(u"search").doubleValue(), 130);
    EXPECT_TRUE(store().objectForKey(u"inner-IDEUberViewLeftViewWidth").isNull());

    u.openLeftTopView(&library);
    EXPECT_EQ(u.storedLeftSplitPosition(), 90);
    u.openLeftTopView(nullptr);
    EXPECT_EQ(u.storedLeftSplitPosition(), 200); // nothing under the plain key yet
    settle();
    u.storeSplitPositions();
    EXPECT_EQ(store().doubleForKey(u"inner-IDEUberViewLeftViewWidth"), 200);
    EXPECT_EQ(d.size(), 2u);
}

TEST_F(IDEUberViewTest, CollapsedColumnsAndClosedOnesReadBack)
{
    IDEUberView& u = make();
    u.openLeftTopView(nullptr);
    u.openRightTopView(nullptr);
    settle();
    u.setLeftViewWidth(0);
    u.verticalSplitView()->setPosition(1000, 1);
    EXPECT_EQ(u.rightSuperview()->frame().width(), 0);
    u.storeSplitPositions();
    EXPECT_EQ(store().doubleForKey(u"IDEUberViewLeftViewWidth"), 1);
    EXPECT_EQ(store().doubleForKey(u"IDEUberViewRightViewWidth"), 0);
    EXPECT_EQ(u.storedRightSplitPosition(), 0);

    u.closeLeftView(nullptr);
    EXPECT_EQ(u.storedLeftSplitPosition(), 0);
    EXPECT_EQ(u.storedTopSplitPosition(), 0);
    u.openTopView(nullptr);
    EXPECT_EQ(u.storedTopSplitPosition(), 175);
    // The user's file may hold anything: a bad width reads as the preferred one.
    store().setDoubleForKey(-3, QStringLiteral("IDEUberViewTopViewHeight"));
    EXPECT_EQ(u.storedTopSplitPosition(), 175);
}

TEST_F(IDEUberViewTest, ResetForgetsTheSidesButNotTheColumnSplits)
{
    IDEUberView& u = make();
    for (const char* key : {"IDEUberViewLeftViewWidth", "IDEUberViewRightViewWidth", "IDEUberViewTopViewHeight",
                            "IDEUberViewBottomViewHeight", "IDEUberViewLeftTopViewHeight",
                            "IDEUberViewRightTopViewHeight"}) {
        store().setDoubleForKey(60, QString::fromLatin1(key));
        store().setObjectForKey(pf::Value(pf::Value::Dictionary{{QStringLiteral("x"), pf::Value(60.0)}}),
                                QString::fromLatin1(key) + QStringLiteral("Dictionary"));
    }
    u.resetToPreferredSplitPositions(nullptr);
    EXPECT_TRUE(store().objectForKey(u"IDEUberViewLeftViewWidth").isNull());
    EXPECT_TRUE(store().objectForKey(u"IDEUberViewBottomViewHeightDictionary").isNull());
    EXPECT_EQ(store().doubleForKey(u"IDEUberViewLeftTopViewHeight"), 60);
    EXPECT_EQ(store().doubleForKey(u"IDEUberViewRightTopViewHeight"), 60);
    EXPECT_FALSE(store().dictionaryForKey(u"IDEUberViewRightTopViewHeightDictionary").empty());
}

TEST_F(IDEUberViewTest, StoredOpenStatesAreReflected)
{
    IDEUberView& first = make(2, QStringLiteral("outer"));
    first.openLeftTopView(nullptr);
    first.openRightTopView(nullptr);
    first.openRightBottomView(nullptr);
    first.storeOpenStates();

    IDEUberView& again = make(2, QStringLiteral("outer"));
    store().removeObjectForKey(QStringLiteral("outer-IDEUberViewIsTopViewOpen"));
    again.setOpen(Region::Top, true); // no stored value: kept
    again.restoreOpenStates();
    EXPECT_TRUE(again.isTopViewOpen());
    again.setOpen(Region::Top, false);
    again.reflectStoredOpenStates();
    EXPECT_TRUE(again.isLeftTopViewOpen());
    EXPECT_FALSE(again.isLeftBottomViewOpen());
    EXPECT_EQ(arranged(again.leftSplitView()), std::vector<pf::View*>{again.leftTopSuperview()});
    EXPECT_EQ(arranged(again.rightSplitView()),
              (std::vector<pf::View*>{again.rightTopSuperview(), again.rightBottomSuperview()}));
    EXPECT_EQ(arranged(again.verticalSplitView()).size(), 3u);
}

TEST_F(IDEUberViewTest, ABurstOfResizesIsStoredOnce100msAfterTheLast)
{
    IDEUberView& u = make();
    u.openLeftTopView(nullptr);
    settle(200ms);
    store().removeObjectForKey(QStringLiteral("IDEUberViewLeftViewWidth"));
    u.setFrameSize(pf::Size(1010, 700));
    settle(40ms);
    u.setFrameSize(pf::Size(1020, 700));
    settle(40ms);
    u.setFrameSize(pf::Size(1030, 700));
    EXPECT_TRUE(u.isStorePending());
    settle(90ms);
    EXPECT_TRUE(store().objectForKey(u"IDEUberViewLeftViewWidth").isNull());
    settle(10ms);
    EXPECT_EQ(store().doubleForKey(u"IDEUberViewLeftViewWidth"), 200);
    store().removeObjectForKey(QStringLiteral("IDEUberViewLeftViewWidth"));
    settle(1000ms);
    EXPECT_TRUE(store().objectForKey(u"IDEUberViewLeftViewWidth").isNull());
}

TEST_F(IDEUberViewTest, PendingCallsGoWithTheView)
{
    IDEUberView& u = make();
    u.openRightBottomView(nullptr);
    u.openRightTopView(nullptr); // restores again on the next turn
    u.setFrameSize(pf::Size(900, 700)); // and stores 0.1 s later
    EXPECT_TRUE(u.isStorePending());
    view.reset();
    settle(1000ms);
    EXPECT_TRUE(store().objectForKey(u"IDEUberViewIsRightViewOpen").isNull());
}

// ---- dividers ----

TEST_F(IDEUberViewTest, ThickDividersAreTwoPointsSlimmer)
{
    IDEUberView& u = make(1);
    EXPECT_EQ(pf::SplitView::thicknessOfStyle(pf::SplitViewDividerStyle::Thick), 9);
    EXPECT_EQ(u.verticalSplitView()->dividerThickness(), 7);
    u.setSplitViewDividerStyle(2);
    // The platform style stays; only the drawing thickness follows the layout's style.
    EXPECT_EQ(u.verticalSplitView()->dividerThickness(), 9);
    IDEUberView& thin = make(2);
    EXPECT_EQ(thin.leftSplitView()->dividerThickness(), 1);
}

QImage drawDivider(IDEUberViewSplitView& split, const pf::Rect& r, QSize size = QSize(20, 40))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    pf::PainterContext context(painter, image.rect(), pf::AffineTransform::translation(-r.x(), -r.y()), 1.0, false);
    split.drawDividerInRect(context, r);
    return image;
}

TEST_F(IDEUberViewTest, ThinDividersAreOneFlatColour)
{
    IDEUberView& u = make(2);
    u.openLeftTopView(nullptr);
    settle();
    u.setDrawsAsMain(false);
    const pf::Rect r = u.verticalSplitView()->dividerRect(0);
    const QImage other = drawDivider(*u.verticalSplitView(), r, QSize(3, 40));
    EXPECT_EQ(QColor(other.pixel(0, 10)).rgb() & 0xFFFFFF, 0xBBBBBBu);
    EXPECT_EQ(qAlpha(other.pixel(1, 10)), 0); // nothing beside it
    u.setDrawsAsMain(true);
    const QImage main = drawDivider(*u.verticalSplitView(), r, QSize(3, 40));
    EXPECT_EQ(QColor(main.pixel(0, 10)).rgb() & 0xFFFFFF, 0x9E9E9Eu);

    pf::RecordingContext recording;
    u.verticalSplitView()->drawDividerInRect(recording, r);
    ASSERT_EQ(recording.calls().size(), 1u);
    EXPECT_EQ(recording.calls()[0].operation, "fill");
}

TEST_F(IDEUberViewTest, TheDividersFollowTheWindowsMainState)
{
    QWidget top;
    pf::Window* window = pf::Window::attach(&top);
    auto* u = new IDEUberView(pf::Rect(0, 0, 400, 300), 2);
    window->setContentView(u);
    EXPECT_FALSE(u->drawsAsMain()) << "a window that is not main";
    window->becomeMainWindow();
    EXPECT_TRUE(u->drawsAsMain());
    window->resignMainWindow();
    EXPECT_FALSE(u->drawsAsMain());
    window->setContentView(nullptr);
}

TEST_F(IDEUberViewTest, ThickColumnDividersKnowTheirSide)
{
    IDEUberView& u = make(1);
    u.openRightTopView(nullptr);
    settle();
    // Divider 0 with the left column closed is the right one: the gradient runs from the right.
    const pf::Rect r = u.verticalSplitView()->dividerRect(0);
    pf::RecordingContext recording;
    u.verticalSplitView()->drawDividerInRect(recording, r);
    ASSERT_FALSE(recording.calls().empty());
    const pf::RecordedCall& g = recording.calls()[0];
    EXPECT_EQ(g.operation, "gradient");
    EXPECT_GT(g.start.x, g.end.x);
    // Then the two edges and the grip.
    int strokes = 0, gradients = 0;
    for (const pf::RecordedCall& c : recording.calls()) {
        strokes += c.operation == "stroke";
        gradients += c.operation == "gradient";
    }
    EXPECT_EQ(strokes, 2);
    EXPECT_EQ(gradients, 2);

    u.openLeftTopView(nullptr);
    settle();
    recording.clearCalls();
    u.verticalSplitView()->drawDividerInRect(recording, u.verticalSplitView()->dividerRect(0));
    EXPECT_LT(recording.calls()[0].start.x, recording.calls()[0].end.x);
}

TEST_F(IDEUberViewTest, RowDividersOfClosedRowsAreNotDrawn)
{
    IDEUberView& u = make(1);
    u.openBottomView(nullptr);
    settle();
    IDEUberViewSplitView& rows = *u.horizontalSplitView();
    pf::RecordingContext recording;
    rows.drawDividerInRect(recording, pf::Rect(0, 100, 1000, 7)); // above the centre's middle: the top row's
    EXPECT_TRUE(recording.calls().empty());
    rows.drawDividerInRect(recording, rows.dividerRect(0));
    ASSERT_EQ(recording.calls().size(), 3u);
    EXPECT_EQ(recording.calls()[0].operation, "gradient");
    EXPECT_EQ(recording.calls()[1].state.strokeColor, pf::Color(0.4, 0.4, 0.4, 1));
    EXPECT_EQ(recording.calls()[2].state.strokeColor, pf::Color::white());
}

TEST_F(IDEUberViewTest, ColumnDividerBordersStopWhereRowDividersMeetThem)
{
    IDEUberView& u = make(1);
    auto* top = new pf::View(pf::Rect());
    u.setTopView(top);
    u.setLeftTopView(new pf::View(pf::Rect()));
    u.setLeftBottomView(new pf::View(pf::Rect()));
    u.openLeftTopView(nullptr);
    u.openLeftBottomView(nullptr);
    u.openTopView(nullptr);
    settle();
    const pf::Rect r = u.verticalSplitView()->dividerRect(0);
    const QImage image = drawDivider(*u.verticalSplitView(), r, QSize(9, 700));
    const int inner = 7, th = int(top->frame().height());
    ASSERT_EQ(th, 175);
    // The inner edge (x = 7, half in pixel 7) has a gap where the top row's divider meets it.
    EXPECT_NE(qAlpha(image.pixel(inner, th - 3)), 0);
    EXPECT_EQ(qAlpha(image.pixel(inner, th + 3)), 0);
    EXPECT_NE(qAlpha(image.pixel(inner, th + 10)), 0);
}

// ---- a look ----

TEST_F(IDEUberViewTest, EveryRegionOpenRendersForALook)
{
    const QString folder = QDir::temp().filePath(QStringLiteral("quorvel-uberview"));
    QDir().mkpath(folder);
    for (const int style : {2, 1})
        for (const bool main : {true, false}) {
            IDEUberView& u = make(style, QString(), pf::Size(900, 560));
            u.setDrawsAsMain(main);
            // Clients that draw nothing, so that the hints show and the borders know the regions' sizes.
            u.setLeftTopView(new pf::View(pf::Rect()));
            u.setRightTopView(new pf::View(pf::Rect()));
            u.setTopView(new pf::View(pf::Rect()));
            u.setMidView(new pf::View(pf::Rect()));
            u.openLeftTopView(nullptr);
            u.openLeftBottomView(nullptr);
            u.openRightTopView(nullptr);
            u.openRightBottomView(nullptr);
            u.openTopView(nullptr);
            u.openBottomView(nullptr);
            settle();
            const std::pair<pf::View*, const char*> hints[] = {
                {u.leftTopSuperview(), "Left Top"},   {u.leftBottomSuperview(), "Left Bottom"},
                {u.rightTopSuperview(), "Right Top"}, {u.rightBottomSuperview(), "Right Bottom"},
                {u.topSuperview(), "Top"},            {u.midSuperview(), "Mid"},
                {u.bottomSuperview(), "Bottom"},
            };
            for (const auto& [region, hint] : hints)
                IDEUberSetRegionHint(region, QString::fromLatin1(hint));
            const QImage image = u.grab().toImage();
            ASSERT_FALSE(image.isNull());
            const QString name = QStringLiteral("%1/%2-%3.png")
                                     .arg(folder, style == 2 ? QStringLiteral("thin") : QStringLiteral("thick"),
                                          main ? QStringLiteral("main") : QStringLiteral("other"));
            EXPECT_TRUE(image.save(name));
            // Where the top row's divider meets the left column's, magnified.
            const QRect junction(185, 150, 40, 150);
            EXPECT_TRUE(image.copy(junction).scaled(junction.size() * 4).save(QString(name).replace(
                QStringLiteral(".png"), QStringLiteral("-junction.png"))));
            // Every region has its place: the dividers lie between them.
            const pf::Rect left = u.verticalSplitView()->dividerRect(0);
            const QRgb divider = image.pixel(int(left.x()), 300);
            EXPECT_NE(divider, image.pixel(int(left.x()) - 5, 300));
        }
}

} // namespace
