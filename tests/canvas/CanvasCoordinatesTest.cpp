// The canvas's page binding, frame rule, conversions, scrolling and zoom rectangle.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Metrics.h"
#include "platform/kit/ScrollView.h"

#include <QWidget>

namespace {

std::shared_ptr<Composition> pageOfSize(double width, double height)
{
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(width);
    metrics->setHeight(height);
    return Composition::make(metrics);
}

} // namespace

class CanvasCoordinatesTest : public CanvasFixture {};

// A canvas standing alone in a host widget of the given size: the host stands in for the clip area.
struct HostedCanvas {
    HostedCanvas(double width, double height, const std::shared_ptr<Composition>& page)
    {
        host.resize(int(width), int(height));
        canvas = new Canvas(pf::Rect(0, 0, 1, 1), &host);
        canvas->setComposition(page);
        canvas->setFrame(canvas->frame());
    }
    QWidget host;
    Canvas* canvas = nullptr;
};

TEST_F(CanvasCoordinatesTest, ConversionsCentreTheScaledPageAndRoundOnlyTheOrigin)
{
    struct Case {
        double hostWidth, hostHeight, pageWidth, pageHeight;
        std::int64_t zoomStep;
        pf::Point origin;
    };
    const Case cases[] = {
        {2000, 1500, 800, 600, 2, {200, 150}}, // scale 2: 1600 x 1200 in 2000 x 1500
        {1001, 900, 900, 600, 0, {51, 150}},   // W - w = 101: 50.5 goes away from zero
        {300, 200, 800, 600, 0, {50, 50}},     // a page larger than the host: the margins decide
        {1000, 800, 1000, 1000, -2, {250, 150}},
    };
    for (const Case& c : cases) {
        auto p = pageOfSize(c.pageWidth, c.pageHeight);
        p->setZoomScaleIndex(c.zoomStep);
        HostedCanvas hosted(c.hostWidth, c.hostHeight, p);
        Canvas& v = *hosted.canvas;
        SCOPED_TRACE(c.hostWidth);
        EXPECT_EQ(v.compositionOrigin(), c.origin);
        const double s = Composition::zoomScaleForIndex(c.zoomStep);
        EXPECT_EQ(v.scaledCompositionFrame(), pf::Rect(c.origin, pf::Size(c.pageWidth * s, c.pageHeight * s)));
        EXPECT_EQ(v.convertPointToComposition(c.origin), pf::Point(0, 0));
        EXPECT_EQ(v.convertPointFromComposition(pf::Point(0, 0)), c.origin);
        EXPECT_EQ(v.convertPointFromComposition(pf::Point(10, 20)), c.origin + pf::Point(10 * s, 20 * s));
        EXPECT_EQ(v.convertSizeFromComposition(pf::Size(10, 20)), pf::Size(10 * s, 20 * s));
        EXPECT_EQ(v.convertSizeToComposition(pf::Size(10 * s, 20 * s)), pf::Size(10, 20));
        // The frame rule: never below the host, never below the scaled page and its margins.
        EXPECT_EQ(v.frame().size, pf::Size(std::max(c.hostWidth, c.pageWidth * s + 100),
                                           std::max(c.hostHeight, c.pageHeight * s + 100)));
    }
}

TEST_F(CanvasCoordinatesTest, RectsWithNegativeSizesComeBackPositiveBothWays)
{
    auto p = pageOfSize(800, 600);
    p->setZoomScaleIndex(2);
    HostedCanvas hosted(2000, 1500, p);
    const pf::Rect flipped(300, 250, -100, -50);
    EXPECT_EQ(hosted.canvas->convertRectToComposition(flipped), pf::Rect(0, 25, 50, 25));
    EXPECT_EQ(hosted.canvas->convertRectFromComposition(pf::Rect(10, 10, -10, -5)), pf::Rect(200, 160, 20, 10));
}

TEST_F(CanvasCoordinatesTest, WithoutAPageTheScaleIsOneAndTheOriginTheCentre)
{
    QWidget host;
    host.resize(400, 300);
    Canvas v(pf::Rect(0, 0, 400, 300), &host);
    EXPECT_EQ(v.currentScale(), 1.0);
    EXPECT_EQ(v.scaledCompositionBounds(), pf::Rect());
    EXPECT_EQ(v.compositionOrigin(), pf::Point(200, 150));
    EXPECT_EQ(v.convertPointToComposition(pf::Point(210, 150)), pf::Point(10, 0));
    v.scrollToCenter(); // nothing to centre on; must not fail
    v.zoomToFit();
}

TEST_F(CanvasCoordinatesTest, ThePageSelectionObjectLiesBelowEveryShapeAndHoldsThePage)
{
    const auto& pageSelection = canvas->compositionManipulator();
    ASSERT_TRUE(pageSelection);
    EXPECT_EQ(page->children().front(), pageSelection);
    ASSERT_EQ(pageSelection->children().size(), 1u);
    EXPECT_EQ(pageSelection->children().front(), page);
    EXPECT_EQ(pageSelection->canvas(), static_cast<ManipulatorCanvas*>(canvas));

    // Another page: the same page selection object moves over; the first page keeps none.
    auto other = pageOfSize(300, 200);
    other->setCompositionDelegate(&owner);
    canvas->setComposition(other);
    EXPECT_EQ(canvas->compositionManipulator(), pageSelection);
    EXPECT_EQ(other->children().front(), pageSelection);
    EXPECT_EQ(pageSelection->children().front(), other);
    for (const auto& child : page->children())
        EXPECT_FALSE(child->isManipulator());
    canvas->setComposition(page);
    other->setCompositionDelegate(nullptr);
}

TEST_F(CanvasCoordinatesTest, SettingTheSamePageAgainChangesNothing)
{
    canvas->replaceSelectionWithShape(rectangle);
    const auto selection = canvas->manipulator();
    canvas->setComposition(page);
    EXPECT_EQ(canvas->manipulator(), selection);
    EXPECT_EQ(std::count(page->children().begin(), page->children().end(), canvas->compositionManipulator()), 1);
}

TEST_F(CanvasCoordinatesTest, NoticesOfAnotherPageAreIgnored)
{
    canvas->replaceSelectionWithShape(rectangle);
    auto other = pageOfSize(300, 200);
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Composition::MetricsDidChangeNotification),
                                                 other.get());
    EXPECT_TRUE(canvas->hasSelection());
    // The page's own metrics change drops the selection and refits the page selection object.
    auto bigger = std::make_shared<Metrics>();
    bigger->setWidth(900);
    bigger->setHeight(700);
    page->setMetrics(bigger);
    EXPECT_FALSE(canvas->hasSelection());
    EXPECT_EQ(canvas->compositionManipulator()->frame(), pf::Rect(0, 0, 900, 700));
    EXPECT_EQ(canvas->frame().size, pf::Size(1000, 800));
}

TEST_F(CanvasCoordinatesTest, AZoomChangeResizesTheCanvasForThePage)
{
    page->setZoomScaleIndex(2); // 1600 x 1200
    EXPECT_EQ(canvas->frame().size, pf::Size(1700, 1300));
    page->setZoomScaleIndex(-2);
    endTurn(); // the scroll bars go, and the clip area grows back
    EXPECT_EQ(canvas->frame().size, pf::Size(1000, 800));
}

TEST_F(CanvasCoordinatesTest, ScrollingCentresWhatFitsAndOnlyRevealsWhatDoesNot)
{
    page->setZoomScaleIndex(4); // 3200 x 2400 in a 1000 x 800 clip
    const pf::Size visible = canvas->visibleRect().size;
    ASSERT_GT(visible.width, 0);

    canvas->scrollRectToCenter(pf::Rect(2000, 1500, 40, 20));
    pf::Rect v = canvas->visibleRect();
    EXPECT_EQ(pf::Point(v.midX(), v.midY()), pf::Point(2020, 1510));

    // Larger than the view: scrolled just until its nearest part fills the view.
    canvas->scrollPoint(pf::Point(0, 0));
    canvas->scrollRectToCenter(pf::Rect(1500, 1200, visible.width + 500, 10));
    v = canvas->visibleRect();
    EXPECT_EQ(v.x(), 1500);

    canvas->scrollPointToCenter(pf::Point(1700, 1300));
    v = canvas->visibleRect();
    EXPECT_EQ(pf::Point(v.midX(), v.midY()), pf::Point(1700, 1300));
}

TEST_F(CanvasCoordinatesTest, TheHandDragMeasuresFromWhereTheDragBegan)
{
    page->setZoomScaleIndex(4);
    canvas->scrollPoint(pf::Point(500, 500));
    canvas->setDragStartCanvasPoint(pf::Point(800, 800));
    const int before = windowServices.restorableStateInvalidations;
    canvas->dragScrollToPoint(pf::Point(780, 790));
    EXPECT_EQ(canvas->visibleRect().origin, pf::Point(520, 510));
    canvas->dragScrollToPoint(pf::Point(780, 790));
    EXPECT_EQ(canvas->visibleRect().origin, pf::Point(540, 520)); // each step from the same start
    EXPECT_EQ(windowServices.restorableStateInvalidations, before + 2);
}

TEST_F(CanvasCoordinatesTest, RestoringTheScrollPositionSkipsOnlyTheViewOrigin)
{
    page->setZoomScaleIndex(4);
    // The page origin lies at view (50, 50): a saved (0, 0) still scrolls there.
    canvas->scrollPoint(pf::Point(1000, 1000));
    page->setScrollCenterPoint(pf::Point(0, 0));
    canvas->restoreScrollPosition();
    EXPECT_EQ(canvas->visibleRect().origin, pf::Point(0, 0));

    // A saved point whose view point is exactly (0, 0) does nothing.
    canvas->scrollPoint(pf::Point(1000, 1000));
    page->setScrollCenterPoint(pf::Point(-12.5, -12.5));
    canvas->restoreScrollPosition();
    EXPECT_EQ(canvas->visibleRect().origin, pf::Point(1000, 1000));
}

TEST_F(CanvasCoordinatesTest, TheZoomRectangleTakesTheLargestStepThatFitsOnce)
{
    int notices = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Composition::ZoomScaleDidChangeNotification), page.get(),
        [&](const pf::Notification&) { ++notices; });
    struct Case {
        pf::Point from, to; // page points at zoom 1
        std::int64_t step;
    };
    const Case cases[] = {
        {{100, 100}, {100, 100}, 50},     // nothing to fit: the first step
        {{100, 100}, {320, 250}, 4},          // 220 x 150: 4 times fits 1000 x 800, 5 times does not
        {{320, 250}, {100, 100}, 4},          // drawn up and to the left: the same
        {{0, 0}, {800, 600}, 0},              // the page fits at 1, not at 1.5
        {{-9000, -9000}, {20000, 20000}, -4}, // too large even at 0.1
    };
    for (const Case& c : cases) {
        page->setZoomScaleIndex(0);
        notices = 0;
        canvas->setDragStartCanvasPoint(canvas->convertPointFromComposition(c.from));
        canvas->dragZoomToPoint(canvas->convertPointFromComposition(c.to));
        EXPECT_EQ(page->zoomScaleIndex(), c.step) << c.to.x;
        EXPECT_EQ(notices, c.step == 0 ? 0 : 1);
    }
}

TEST_F(CanvasCoordinatesTest, ZoomToFitShowsTheWholePage)
{
    page->setZoomScaleIndex(10);
    canvas->zoomToFit();
    EXPECT_EQ(page->zoomScaleIndex(), 0); // 800 x 600 fits in 1000 x 800 at 1, not at 1.5
}
