// The page's grid, zoom steps, ruler origin, scrollable size, size changes and the resize drag, and its
// notifications.
#include "CompositionTestSupport.h"

#include "model/Guide.h"
#include "platform/foundation/NotificationCenter.h"

#include <cmath>

TEST_F(CompositionTest, GridRunsThroughThePageCentreInPointsAndTheOriginOtherwise)
{
    struct Case {
        double width;
        unsigned unit;
        double tolerance;
        pf::Point in, out;
    };
    const Case cases[] = {
        // 605 wide: the centre 302.5 rounds away from zero to 303, 303 mod 10 = 3.
        {605, Metrics::Points, 10, {14, 14}, {13, 10}},
        {600, Metrics::Points, 10, {14, -14}, {10, -10}},
        // Tolerances under 1 align as 1 (the offset's divisor would otherwise be 0).
        {605, Metrics::Points, 0.3, {14.4, 2.6}, {14, 3}},
        {605, Metrics::Points, 0, {14.4, 2.6}, {14, 3}},
        // Inches: an eighth of an inch (9 points) from the origin, whatever the stored tolerance.
        {605, Metrics::Inches, 10, {14, 13}, {18, 9}},
    };
    for (const Case& c : cases) {
        auto p = pageOfSize(c.width, 400, c.unit);
        p->setGridTolerance(c.tolerance);
        EXPECT_EQ(p->gridAlignedPointForPoint(c.in), c.out) << c.width << " " << c.tolerance;
    }

    auto p = pageOfSize(605, 400);
    EXPECT_EQ(p->alignedSizeForSizeTolerance(pf::Size(14, 26), 10), pf::Size(10, 30));
    EXPECT_EQ(p->alignedRectForRectTolerance(pf::Rect(14, 14, 14, 26), 10), pf::Rect(13, 10, 10, 30));
    EXPECT_EQ(p->alignedSizeForSizeTolerance(pf::Size(2.4, 0.5), 0.2), pf::Size(2, 1));
    auto cm = pageOfSize(605, 400, Metrics::Centimeters);
    // Half a centimetre of a 72 dpi page.
    EXPECT_NEAR(cm->gridTolerance(), 72 / 2.54 * 0.5, 72 * 1e-12);
}

TEST_F(CompositionTest, InsertingAlignsToTheGridWhenItIsOn)
{
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    auto b = box("b", pf::Rect(14, 14, 44, 26));
    page->addShape(b);
    EXPECT_EQ(b->frame(), pf::Rect(10, 10, 40, 30));
    auto thin = box("thin", pf::Rect(14, 14, 44, 1)); // a line keeps its size
    page->addShape(thin);
    EXPECT_EQ(thin->frame(), pf::Rect(10, 10, 44, 1));
}

TEST_F(CompositionTest, GridSettingsAreUndoableAndRemembered)
{
    page->setGridEnabled(true);
    EXPECT_EQ(owner.undo.undoActionName(), "Grid Enabled");
    EXPECT_TRUE(UserDefaults::instance().isGridEnabled());
    page->setGridTolerance(12);
    EXPECT_EQ(owner.undo.undoActionName(), "Grid Snap Tolerance");
    EXPECT_EQ(UserDefaults::instance().gridTolerance(), 12);
    ASSERT_TRUE(owner.undo.undo());
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_FALSE(page->isGridEnabled());
    EXPECT_NE(page->gridTolerance(), 12);
    owner.undo.removeAllActions();
    page->setGridTolerance(page->gridTolerance());
    page->setGridTolerance(std::nan(""));
    EXPECT_FALSE(owner.undo.canUndo());
}

TEST_F(CompositionTest, ZoomStepsAndRulerOrigins)
{
    const std::pair<std::int64_t, double> steps[] = {
        {-5, 1.0}, {-4, 0.1}, {-3, 0.25}, {-2, 0.5}, {-1, 0.75}, {0, 1.0}, {1, 1.5}, {2, 2.0}, {3, 3.0}, {4, 4.0},
        {5, 5.0},  {6, 1.0},  {7, 1.0},   {10, 10.0}, {15, 1.0}, {20, 20.0}, {30, 30.0}, {40, 40.0}, {50, 50.0}, {51, 1.0},
    };
    for (auto [step, scale] : steps)
        EXPECT_EQ(Composition::zoomScaleForIndex(step), scale) << step;
    page->setZoomScaleIndex(2);
    EXPECT_EQ(page->zoomScale(), 2.0);
    EXPECT_EQ(page->scaledGridSide(), page->gridTolerance() * 2.0);
    page->setOverrideZoomScale(0.3);
    EXPECT_EQ(page->zoomScale(), 0.3);

    // A 600 × 400 page, the point (100.5, 50.5).
    const std::pair<QVRectCorner, pf::Point> corners[] = {
        {QVRectCornerTopLef, {100.5, 50.5}}, {QVRectCornerTopMid, {-200, 50.5}}, {QVRectCornerTopRit, {-500, 50.5}},
        {QVRectCornerMidLef, {100.5, -150}}, {QVRectCornerMidMid, {-200, -150}}, {QVRectCornerMidRit, {-500, -150}},
        {QVRectCornerBotLef, {100.5, -350}}, {QVRectCornerBotMid, {-200, -350}}, {QVRectCornerBotRit, {-500, -350}},
        {QVRectCornerNone, {100.5, 50.5}},
    };
    for (auto [corner, expected] : corners) {
        page->setRulerOriginCorner(corner);
        EXPECT_EQ(page->rulerOriginAdjustedPoint(pf::Point(100.5, 50.5)), expected) << corner;
    }
}

TEST_F(CompositionTest, ScrollableSizeKeepsThePageCentredAndProximityFindsNearShapes)
{
    EXPECT_EQ(page->scrollableSize(), pf::Size(600, 400));
    std::shared_ptr<Shape> out = box("out", pf::Rect(-50, 380, 40, 40));
    page->addShape(out);
    EXPECT_EQ(page->scrollableSize(), pf::Size(700, 440));

    // Proximity needs an outline.
    out = Shape::make<Rectangle>(pf::Rect(-50, 380, 40, 40));
    page->addShape(out);
    auto hidden = Shape::make<Rectangle>(pf::Rect(-50, 380, 40, 40));
    hidden->setHidden(true);
    page->addShape(hidden);
    const auto near = page->shapesInProximityTo(pf::Point(-30, 400));
    ASSERT_EQ(near.size(), 1u);
    EXPECT_EQ(near[0], out);
    EXPECT_TRUE(page->shapesInProximityTo(pf::Point(300, 100)).empty());
}

TEST_F(CompositionTest, GrowingThePageShiftsContentByTheAnchor)
{
    auto p = pageOfSize(100, 100);
    auto b = box("b", pf::Rect(10, 10, 20, 20));
    p->addShape(b);
    p->setUserGuides({Guide::make(p.get(), Guide::UserGuide, pf::Point(40, 0), pf::Point(40, 100))});
    p->shiftContentsWithOldSizeNewSizeAnchorCorner(pf::Size(100, 100), pf::Size(200, 100), QVRectCornerMidMid);
    EXPECT_EQ(b->frame(), pf::Rect(60, 10, 20, 20));
    EXPECT_EQ(p->userGuides()[0]->p1(), pf::Point(90, 0));
    p->shiftContentsWithOldSizeNewSizeAnchorCorner(pf::Size(100, 100), pf::Size(200, 100), QVRectCornerTopLef);
    EXPECT_EQ(b->frame(), pf::Rect(60, 10, 20, 20));
    p->shiftContentsWithOldSizeNewSizeAnchorCorner(pf::Size(100, 100), pf::Size(50, 60), QVRectCornerBotRit);
    EXPECT_EQ(b->frame(), pf::Rect(10, -30, 20, 20));
}

TEST_F(CompositionTest, ResizeDragIsOneUndoStep)
{
    auto b = box("b", pf::Rect(100, 100, 40, 20));
    page->addShape(b);
    const auto original = page->sharedMetrics();
    owner.undo.removeAllActions();
    {
        // The canvas keeps one group open over the drag.
        const pf::UndoGrouping drag(&owner.undo);
        page->beginDrag();
        page->dragStart().anchorCorner = QVRectCornerMidMid;
        page->setFrame(pf::Rect(0, 0, 700, 400));
        page->setFrame(pf::Rect(0, 0, 800, 500));
        page->endDrag(pf::Event());
    }
    EXPECT_EQ(page->frame(), pf::Rect(0, 0, 800, 500));
    EXPECT_EQ(page->metrics()->width(), 800);
    EXPECT_EQ(b->frame(), pf::Rect(200, 150, 40, 20));
    EXPECT_EQ(page->dragStartMetrics(), nullptr);
    EXPECT_EQ(owner.undo.undoActionName(), "Change Canvas Size");

    ASSERT_TRUE(owner.undo.undo());
    EXPECT_FALSE(owner.undo.canUndo());
    EXPECT_EQ(page->frame(), pf::Rect(0, 0, 600, 400));
    EXPECT_EQ(*page->metrics(), *original);
    EXPECT_EQ(b->frame(), pf::Rect(100, 100, 40, 20));
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(page->frame(), pf::Rect(0, 0, 800, 500));
    EXPECT_EQ(b->frame(), pf::Rect(200, 150, 40, 20));

    // A negative width moves the origin; the size never falls under 1.
    page->beginDrag();
    page->setFrame(pf::Rect(100, 0, -50, 500));
    EXPECT_EQ(page->metrics()->width(), 1);
    EXPECT_EQ(page->lastFrame().x(), 50);
}

TEST_F(CompositionTest, PostsItsNotificationsAtOnceButNotWhileExporting)
{
    QStringList heard;
    auto& centre = pf::NotificationCenter::defaultCenter();
    std::vector<pf::NotificationToken> tokens;
    for (const char* name : {Composition::GridEnabledDidChangeNotification, Composition::GridToleranceDidChangeNotification,
                             Composition::ZoomScaleDidChangeNotification, Composition::MetricsDidChangeNotification})
        tokens.push_back(centre.addObserver(QString::fromLatin1(name), page.get(),
                                            [&heard](const pf::Notification& n) { heard << n.name; }));
    const auto change = [this] {
        page->setGridEnabled(!page->isGridEnabled());
        page->setGridTolerance(page->gridTolerance() + 1);
        page->setZoomScaleIndex(page->zoomScaleIndex() + 1);
        page->setMetrics(page->sharedMetrics()->copy());
    };
    change();
    EXPECT_EQ(heard, (QStringList{"CompositionGridEnabledDidChangeNotification", "CompositionGridToleranceDidChangeNotification",
                                  "CompositionZoomScaleDidChangeNotification", "CompositionMetricsDidChangeNotification"}));
    heard.clear();
    page->setExporting(true);
    change();
    EXPECT_TRUE(heard.isEmpty());
}

TEST_F(CompositionTest, TitleChangesReachTheOwner)
{
    page->setTitle("Home");
    EXPECT_EQ(page->title(), "Home");
    EXPECT_EQ(owner.takeCalls(), QStringList{"titleDidChange"});
    // Renaming a tab writes the key path; the tab list must hear of it all the same.
    page->setValueForKeyPath(QStringLiteral("Settings"), "title");
    EXPECT_EQ(page->title(), "Settings");
    EXPECT_EQ(owner.takeCalls(), QStringList{"titleDidChange"});
}

// The redisplay areas a kept picture of the page asks for: the union since its count, none when nothing
// was asked, and after many requests (merged in pairs) still an area that holds every request since and
// stays near them, never the page's whole history.
TEST_F(CompositionTest, RedisplayAreasSinceACountHoldEveryRequestSinceAndStayNearThem)
{
    const std::uint64_t start = page->displayChangeCount();
    EXPECT_EQ(page->displayChangesSince(start), pf::Rect::null());
    page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(10, 10, 5, 5), false);
    page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(), true); // asks for nothing
    page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(40, 20, 10, 10), true);
    EXPECT_EQ(page->displayChangesSince(start), pf::Rect(10, 10, 40, 20));
    EXPECT_EQ(page->displayChangesSince(start + 1), pf::Rect(40, 20, 10, 10));
    EXPECT_EQ(page->displayChangesSince(page->displayChangeCount()), pf::Rect::null());

    // A long drag elsewhere, then a few small steps further on: the area since the drag holds the steps
    // and, however often the kept list has been merged, not the first requests.
    for (int i = 0; i < 500; ++i)
        page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(300 + i % 7, 200, 4, 4), false);
    const std::uint64_t afterDrag = page->displayChangeCount();
    for (int i = 0; i < 3; ++i)
        page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(600, 400 + i, 2, 2), false);
    const auto steps = page->displayChangesSince(afterDrag);
    ASSERT_TRUE(steps);
    EXPECT_TRUE(steps->contains(pf::Rect(600, 400, 2, 4)));
    EXPECT_FALSE(steps->contains(pf::Point(15, 15))) << pf::toString(*steps).toStdString();
    const auto all = page->displayChangesSince(start);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->contains(pf::Rect(10, 10, 590, 390)));
}
