// Geometry of views inside a scroll view: frames in points, the visible rect, least scrolling, clamped
// redisplay and subviews.
#include "KitTestSupport.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ScrollView.h"

#include <QLabel>
#include <QApplication>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <limits>

namespace {

// A scroll view of 200 × 100 points of clip area over a 1000 × 800 document, no scroll bars.
class ScrollViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        scroll.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll.setFrameShape(QFrame::NoFrame);
        scroll.resize(200, 100);
        document = new pf::View(pf::Rect(0, 0, 1000, 800));
        scroll.setDocumentView(document);
        scroll.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&scroll));
        ASSERT_EQ(scroll.contentSize(), pf::Size(200, 100));
    }

    pf::ScrollView scroll;
    pf::View* document = nullptr;
};

TEST_F(ScrollViewTest, ScrollRectToVisibleScrollsTheLeast)
{
    struct Case {
        const char* what;
        pf::Point from;
        pf::Rect rect;
        pf::Point to;
    };
    const std::vector<Case> cases = {
        {"already visible", {100, 100}, {150, 120, 20, 20}, {100, 100}},
        {"off the right", {100, 100}, {380, 120, 40, 20}, {220, 100}},
        {"off the left", {100, 100}, {50, 120, 40, 20}, {50, 100}},
        {"off the bottom", {100, 100}, {150, 250, 20, 30}, {100, 180}},
        {"off the top", {100, 100}, {150, 60.5, 20, 30}, {100, 60.5}},
        {"of the visible size, elsewhere", {100, 100}, {333.25, 444.75, 200, 100}, {333.25, 444.75}},
        {"larger, to the right", {100, 100}, {500, 120, 300, 20}, {500, 100}},
        {"larger, to the left", {400, 100}, {0, 120, 300, 20}, {100, 100}},
        {"larger, covering the view", {100, 100}, {50, 50, 400, 300}, {100, 100}},
        {"negative size, standardised", {100, 100}, {420, 120, -40, 20}, {220, 100}},
        {"beyond the document", {100, 100}, {950, 780, 100, 100}, {800, 700}},
    };
    for (const Case& c : cases) {
        scroll.scrollPoint(c.from);
        ASSERT_EQ(scroll.scrollOrigin(), c.from) << c.what;
        const bool moved = scroll.scrollRectToVisible(c.rect);
        EXPECT_EQ(scroll.scrollOrigin(), c.to) << c.what;
        EXPECT_EQ(moved, c.to != c.from) << c.what;
        EXPECT_EQ(document->visibleRect(), pf::Rect(c.to, pf::Size(200, 100))) << c.what;
    }
}

TEST_F(ScrollViewTest, ScrollPointKeepsTheOriginInRangeAndMovesTheWidget)
{
    scroll.scrollPoint({-50, 2000});
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(0, 700));
    scroll.scrollPoint({std::numeric_limits<double>::quiet_NaN(), 10.5});
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(0, 10.5));
    EXPECT_EQ(document->pos(), QPoint(0, -11)); // rounded half away from zero
    // The document's frame stays where it is, as a clip view moves its bounds, not the document.
    EXPECT_EQ(document->frame(), pf::Rect(0, 0, 1000, 800));
    // A document shrinking below the clip area pins the origin to its corner.
    document->setFrameSize({150, 90});
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(0, 0));
    EXPECT_EQ(document->visibleRect(), pf::Rect(0, 0, 150, 90));
    EXPECT_EQ(scroll.documentVisibleRect(), pf::Rect(0, 0, 150, 90));
}

TEST(ScrollBarsTest, ScrollBarsThatComeAndGoKeepTheRangeAndFollowTheUser)
{
    pf::ScrollView scroll;
    scroll.setFrameShape(QFrame::NoFrame);
    scroll.resize(200, 100);
    scroll.setDocumentView(new pf::View(pf::Rect(0, 0, 150, 90)));
    scroll.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scroll));
    EXPECT_EQ(scroll.contentSize(), pf::Size(200, 100)); // no bars while the document fits
    scroll.documentView()->setFrameSize({1000, 800});
    QCoreApplication::processEvents();
    const pf::Size clip = scroll.contentSize();
    EXPECT_LT(clip.width, 200); // the bars took their room
    EXPECT_LT(clip.height, 100);
    scroll.scrollPoint({5000, 5000});
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(1000 - clip.width, 800 - clip.height));
    EXPECT_EQ(scroll.horizontalScrollBar()->maximum(), int(1000 - clip.width));
    // The user drags a bar: its value becomes the origin.
    scroll.horizontalScrollBar()->setValue(37);
    EXPECT_EQ(scroll.scrollOrigin().x, 37);
    EXPECT_EQ(scroll.documentView()->pos().x(), -37);
    EXPECT_EQ(scroll.documentView()->visibleRect(), pf::Rect(pf::Point(37, 800 - clip.height), clip));
    // A wheel turn the document does not handle scrolls the scroll view.
    scroll.scrollPoint({37, 0});
    QWheelEvent wheel(QPointF(10, 10), scroll.documentView()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    // As from the platform (sendEvent would make it synthetic): only those go on to the parents.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(scroll.documentView(), &wheel);
    EXPECT_GT(scroll.scrollOrigin().y, 0);
    EXPECT_EQ(scroll.scrollOrigin().x, 37);
}

TEST_F(ScrollViewTest, OneWheelNotchScrollsThePlatformsLinesOfAboutTwentyPoints)
{
    const auto notch = [&](QPoint delta) {
        QWheelEvent wheel(QPointF(10, 10), document->mapToGlobal(QPointF(10, 10)), QPoint(), delta, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(document, &wheel);
    };
    const double step = 20.0 * QApplication::wheelScrollLines();
    notch(QPoint(0, -120));
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(0, step));
    notch(QPoint(-120, 0));
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(step, step));
    notch(QPoint(0, 120));
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(step, 0));
}

TEST_F(ScrollViewTest, ViewportMarginsLeaveRoomForRulers)
{
    scroll.setViewportMargins(20, 16, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(scroll.contentSize(), pf::Size(180, 84));
    scroll.scrollPoint({900, 900});
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(820, 716));
    EXPECT_EQ(document->visibleRect(), pf::Rect(820, 716, 180, 84));
}

TEST_F(ScrollViewTest, ViewsConvertBetweenScrolledPointsAndScreen)
{
    auto* child = new pf::View;
    document->addSubview(child, pf::Rect(300, 200, 50, 40));
    scroll.scrollPoint({280, 190});
    // Only the part inside the clip area is visible: the clip is x 280..480, y 190..290.
    EXPECT_EQ(child->visibleRect(), pf::Rect(0, 0, 50, 40));
    scroll.scrollPoint({320, 220});
    EXPECT_EQ(child->visibleRect(), pf::Rect(20, 20, 30, 20));
    EXPECT_TRUE(child->scrollRectToVisible(pf::Rect(0, 0, 10, 10)));
    EXPECT_EQ(scroll.scrollOrigin(), pf::Point(300, 200));
    const pf::Point onScreen = child->convertPointToScreen({5, 6});
    EXPECT_EQ(document->convertPointFromScreen(onScreen), pf::Point(305, 206));
    EXPECT_EQ(child->enclosingScrollView(), &scroll);
}

TEST_F(ScrollViewTest, HiddenViewsAndViewsOutsideTheClipShowNothing)
{
    auto* child = new pf::View;
    document->addSubview(child, pf::Rect(600, 600, 50, 40));
    EXPECT_EQ(child->visibleRect(), pf::Rect());
    scroll.scrollPoint({600, 600});
    EXPECT_EQ(child->visibleRect(), pf::Rect(0, 0, 50, 40));
    child->hide();
    EXPECT_EQ(child->visibleRect(), pf::Rect());
    // Not shown yet is not hidden: a view built off screen has its bounds in view.
    const pf::View unshown(pf::Rect(5, 5, 30, 20));
    EXPECT_EQ(unshown.visibleRect(), pf::Rect(0, 0, 30, 20));
}

TEST(ViewTest, RedisplayOfAnyRectIsCutToTheBoundsFirst)
{
    const double huge = 3.4028234663852886e38;
    const pf::Rect bounds(0, 0, 500, 400);
    struct Case {
        const char* what;
        pf::Rect dirty;
        std::optional<QRect> expected;
    };
    const std::vector<Case> cases = {
        {"inside, fractional", {10.25, 20.75, 30.5, 5}, QRect(10, 20, 31, 6)},
        {"the page of a huge document", {-huge, -huge, 2 * huge, 2 * huge}, QRect(0, 0, 500, 400)},
        {"a guide line to the float limit", {99.5, -1e7, 1, huge}, QRect(99, 0, 2, 400)},
        {"overlapping an edge", {480, 390, 100, 100}, QRect(480, 390, 20, 10)},
        {"negative size", {40, 40, -20, -10}, QRect(20, 30, 20, 10)},
        {"outside", {600, 0, 10, 10}, std::nullopt},
        {"empty", {10, 10, 0, 10}, std::nullopt},
        {"not a number", {std::numeric_limits<double>::quiet_NaN(), 0, 10, 10}, std::nullopt},
        {"infinite", {0, 0, std::numeric_limits<double>::infinity(), 10}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pf::View::displayRect(c.dirty, bounds), c.expected) << c.what;
}

class PaintRecordingView : public pf::View {
public:
    using pf::View::View;
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        painted += e->region();
        pf::View::paintEvent(e);
    }
};

TEST(ViewTest, AHugeRedisplayRepaintsTheViewOnce)
{
    PaintRecordingView view(pf::Rect(0, 0, 300, 200));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();
    view.painted = QRegion();
    view.setNeedsDisplayInRect(pf::Rect(-1e30, 50, 3e38, 10.5));
    QCoreApplication::processEvents();
    EXPECT_EQ(view.painted, QRegion(0, 50, 300, 11));
}

TEST(ViewTest, AScrolledDocumentMapsPointsAcrossItsRoundedPlacement)
{
    pf::ScrollView scroll;
    scroll.setFrameShape(QFrame::NoFrame);
    scroll.resize(200, 100);
    auto* document = new PaintRecordingView(pf::Rect(0, 0, 1000, 800));
    scroll.setDocumentView(document);
    scroll.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scroll));
    // Half a point down: the widget sits at -11 while the document's top is at -10.5.
    scroll.scrollPoint({0, 10.5});
    QCoreApplication::processEvents();
    document->painted = QRegion();
    document->setNeedsDisplayInRect(pf::Rect(20, 20, 10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(document->painted, QRegion(20, 20, 10, 11)); // points 20..30 are widget pixels 20.5..30.5

    // The widget's pixel 30 is point 29.5 of the document.
    EXPECT_EQ(document->convertPointFromScreen(pf::Point::fromQt(document->mapToGlobal(QPointF(40, 30)))),
              pf::Point(40, 29.5));
}

TEST(ViewTest, FramesAreDoublesAndSubviewsAreFlipped)
{
    pf::View parent(pf::Rect(0, 0, 400, 300));
    auto* label = new QLabel(QStringLiteral("Label"));
    parent.addSubview(label, pf::Rect(10.4, 20.6, 80.5, 16));
    EXPECT_EQ(label->geometry(), QRect(10, 21, 81, 16));
    auto* editor = new pf::View;
    parent.addSubview(editor, pf::Rect(100.25, 50.75, 60, 30));
    EXPECT_EQ(editor->frame(), pf::Rect(100.25, 50.75, 60, 30));
    EXPECT_EQ(editor->bounds(), pf::Rect(0, 0, 60, 30));
    EXPECT_TRUE(editor->isFlipped());
    // y grows downward: the subview's top edge is at the smaller y of the parent.
    EXPECT_EQ(editor->geometry().top(), 51);
    // Sizes past the widget limit keep their true value in the frame.
    editor->setFrameSize({1e9, 1e9});
    EXPECT_EQ(editor->frame().size, pf::Size(1e9, 1e9));
    EXPECT_EQ(editor->width(), QWIDGETSIZE_MAX);
}

class LayoutCountingView : public pf::View {
public:
    using pf::View::View;
    int layouts = 0;

protected:
    void layoutSubviews() override { ++layouts; }
};

TEST(ViewTest, LayoutIsDeferredToTheNextTurnCoalescedAndCancelledWithTheView)
{
    LayoutCountingView view(pf::Rect(0, 0, 100, 100));
    view.setNeedsLayout();
    view.setNeedsLayout();
    EXPECT_EQ(view.layouts, 0);
    pf::drainMainQueue();
    EXPECT_EQ(view.layouts, 1);
    // A new size lays out at once; a move alone does not.
    view.setFrameSize({120, 100});
    view.setFrameOrigin({5, 5});
    EXPECT_EQ(view.layouts, 2);

    auto doomed = std::make_unique<LayoutCountingView>(pf::Rect(0, 0, 10, 10));
    doomed->setNeedsLayout();
    doomed.reset();
    pf::drainMainQueue(); // nothing runs on the freed view (the sanitizer would say so)
}

} // namespace

TEST_F(ScrollViewTest, MovingOrResizingTheVisibleAreaIsPostedOnceForEachChange)
{
    int posted = 0;
    const pf::NotificationToken token = pf::NotificationCenter::defaultCenter().addObserver(
        pf::ScrollView::visibleRectDidChangeNotification, &scroll, [&](const pf::Notification&) { ++posted; });
    scroll.scrollPoint(pf::Point(0, 50));
    EXPECT_EQ(posted, 1);
    scroll.scrollPoint(pf::Point(0, 50)); // no move
    EXPECT_EQ(posted, 1);
    scroll.resize(300, 100);
    EXPECT_EQ(posted, 2);
}

TEST_F(ScrollViewTest, ASizableDocumentGrowsAndShrinksWithTheClipArea)
{
    document->setAutoresizingMask(pf::View::WidthSizable);
    scroll.resize(260, 140);
    EXPECT_EQ(document->frame().size, pf::Size(1060, 800));
    document->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    scroll.resize(200, 100);
    EXPECT_EQ(document->frame().size, pf::Size(1000, 760));
}
