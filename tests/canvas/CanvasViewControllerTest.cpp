// The canvas's view controller: its view, the rulers' unit names, the notices it follows (once each, only
// for its page), and the page's delegate operations against the recording services.
#include "canvas/support/CanvasFixture.h"

#include "canvas/CanvasViewController.h"
#include "canvas/Lasso.h"
#include "manipulators/Manipulator.h"
#include "model/Guide.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/kit/RulerView.h"
#include "platform/kit/ScrollView.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>

#include <cmath>

namespace {

// Counts how often the rulers are renamed.
class CountingController : public CanvasViewController {
public:
    void updateRulers() override
    {
        ++rulerUpdates;
        CanvasViewController::updateRulers();
    }
    int rulerUpdates = 0;
};

// The fixture's page shown through a view controller, as the window controller sets it up: the controller's
// view in the window, the page given to the controller and its canvas, the controller the page's delegate.
class CanvasViewControllerTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        canvas->setComposition(nullptr);
        delete scrollView;
        controller = std::make_unique<CountingController>();
        scrollView = controller->view();
        canvas = controller->canvas();
        owner.canvas = nullptr;
        scrollView->setParent(window.get());
        scrollView->setGeometry(0, 0, 1000, 800);
        scrollView->show();
        windowServices.undo = &undo;
        windowServices.tabs = {page.get()};
        windowServices.tabTitles = {QStringLiteral("Home")};
        controller->setCanvasWindowController(&windowServices);
        controller->setInspectorViewController(&inspector);
        controller->setOutlineViewController(&outline);
        showPage(page);
        undo.removeAllActions();
        windowServices.calls.clear();
        document.changeCount = 0;
    }

    void TearDown() override
    {
        controller.reset();
        CanvasFixture::TearDown();
    }

    void showPage(const std::shared_ptr<Composition>& p)
    {
        controller->setComposition(p);
        canvas->setComposition(p);
        p->setCompositionDelegate(controller.get());
        canvas->setFrame(canvas->frame());
        endTurn();
    }

    std::unique_ptr<CountingController> controller;
};

TEST(CanvasViewControllerNames, RulerUnitsAreNamedByUnitZoomAndResolution)
{
    struct Case {
        unsigned unit;
        int code;
        double resolution;
        const char* name;
    };
    const Case cases[] = {{Metrics::Points, 0, 72, "Points@72"},
                          {Metrics::Points, -2, 72, "Points-2@72"},
                          {Metrics::Centimeters, 10, 72, "Centimeters10@72"},
                          {Metrics::Points, 0, 71.5, "Points@72"},
                          {Metrics::Inches, 0, 300, "Inches@300"},
                          {Metrics::Steps, 50, 72, "Steps50@72"},
                          {Metrics::Points, 0, -72, "Points@72"}};
    for (const Case& c : cases)
        EXPECT_EQ(CanvasViewController::rulerUnitName(c.unit, c.code, c.resolution), c.name);

    CanvasViewController::registerRulerUnits(300, Metrics::Points);
    // Points per unit at the page's 300 dpi (a centimetre is 300 / 2.54 of them), times the step's scale;
    // each unit is named by the resolution in its own measure.
    const struct {
        const char* name;
        double factor;
    } factors[] = {{"Points@300", 1.0},           {"Points-4@300", 0.1},         {"Inches2@300", 600.0},
                   {"Centimeters-1@118", 300 / 2.54 * 0.75},
                   {"Steps@300", 6.0},            {"Steps50@300", 300.0},        {"Steps", 6.0}};
    for (const auto& f : factors) {
        const auto unit = pf::RulerView::unitNamed(f.name);
        ASSERT_TRUE(unit) << f.name;
        EXPECT_NEAR(unit->pointsPerUnit, f.factor, f.factor * 1e-12) << f.name;
    }
    EXPECT_EQ(pf::RulerView::unitNamed("Inches@300")->stepUpCycle, (std::vector<double>{2.0}));
    // A page measured in centimetres at 28.35 dots each: an inch of it is 72.009 points.
    CanvasViewController::registerRulerUnits(28.35, Metrics::Centimeters);
    EXPECT_NEAR(pf::RulerView::unitNamed("Inches@72")->pointsPerUnit, 28.35 * 2.54, 72 * 1e-12);
    EXPECT_NEAR(pf::RulerView::unitNamed("Centimeters@28")->pointsPerUnit, 28.35, 28 * 1e-12);
    EXPECT_EQ(pf::RulerView::unitNamed("Steps@300")->stepUpCycle, (std::vector<double>{10.0}));
}

TEST_F(CanvasViewControllerTest, TheViewHoldsTheCanvasBetweenBothRulers)
{
    ASSERT_TRUE(scrollView->horizontalRulerView());
    ASSERT_TRUE(scrollView->verticalRulerView());
    EXPECT_EQ(scrollView->documentView(), canvas);
    EXPECT_EQ(scrollView->horizontalRulerView()->clientView(), canvas);
    EXPECT_EQ(scrollView->rulersVisible(), UserDefaults::instance().rulersVisible());
    EXPECT_EQ(scrollView->horizontalRulerView()->measurementUnits(), "Points@72");

    UserDefaults::instance().setRulersVisible(!UserDefaults::instance().rulersVisible());
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(CanvasViewController::RulerVisibilityDidChangeNotification));
    EXPECT_EQ(scrollView->rulersVisible(), UserDefaults::instance().rulersVisible());
}

TEST_F(CanvasViewControllerTest, RulersFollowThePagesUnitAndZoom)
{
    canvas->changeRulerUnitType(Metrics::Inches);
    EXPECT_EQ(scrollView->horizontalRulerView()->measurementUnits(), "Inches@72");
    page->setZoomScaleIndex(2);
    EXPECT_EQ(scrollView->verticalRulerView()->measurementUnits(), "Inches2@72");
    EXPECT_DOUBLE_EQ(scrollView->verticalRulerView()->unit().pointsPerUnit, 144.0);
    canvas->changeRulerUnitType(Metrics::Points);
    EXPECT_EQ(scrollView->horizontalRulerView()->measurementUnits(), "Points2@72");
    // A code without a scale of its own is drawn at 1.0, and measured so.
    page->setZoomScaleIndex(7);
    EXPECT_EQ(scrollView->horizontalRulerView()->measurementUnits(), "Points@72");
}

TEST_F(CanvasViewControllerTest, NoticesAreHandledOnceAfterManyPageAndUnitChanges)
{
    const auto other = Composition::make(std::make_shared<Metrics>());
    for (int i = 0; i < 10; ++i)
        showPage(i % 2 == 0 ? other : page);
    for (const unsigned unit : {Metrics::Inches, Metrics::Centimeters, Metrics::Points})
        canvas->changeRulerUnitType(unit);
    ASSERT_EQ(controller->composition(), page);
    controller->rulerUpdates = 0;
    page->setZoomScaleIndex(1);
    EXPECT_EQ(controller->rulerUpdates, 1);
    // Another page's notices are not this controller's business.
    other->setZoomScaleIndex(3);
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::MetricsUnitTypeDidChangeNotification),
                                                 other.get());
    EXPECT_EQ(controller->rulerUpdates, 1);
    EXPECT_EQ(scrollView->horizontalRulerView()->measurementUnits(), "Points1@72");
}

TEST_F(CanvasViewControllerTest, GeometryAnswersAreInPagePointsAndZeroWithoutACanvas)
{
    const pf::Rect visible = controller->visibleRectForComposition(*page);
    EXPECT_EQ(visible, canvas->convertRectToComposition(canvas->visibleRect()));
    EXPECT_TRUE(visible.contains(pf::Point(400, 300)));
    EXPECT_EQ(controller->canvasFrameForComposition(*page), canvas->frame());
    EXPECT_EQ(controller->canvasBoundsForComposition(*page), canvas->bounds());
    EXPECT_EQ(controller->undoManagerForComposition(*page), &undo);

    EXPECT_EQ(controller->activeHandleIndexForComposition(*page), -1);
    canvas->replaceSelectionWithShape(rectangle);
    EXPECT_EQ(controller->activeHandleIndexForComposition(*page), canvas->activeHandle());

    // The view goes with its window: the controller answers zeros.
    window.reset();
    EXPECT_EQ(controller->visibleRectForComposition(*page), pf::Rect());
    EXPECT_EQ(controller->canvasFrameForComposition(*page), pf::Rect());
    EXPECT_EQ(controller->activeHandleIndexForComposition(*page), -1);
    controller->compositionDidMoveUserGuideFromToIsVertical(*page, {1, 1}, {2, 2}, true);
    canvas = nullptr;
    scrollView = nullptr;
}

TEST_F(CanvasViewControllerTest, ARubberBandDoesNotRefreshTheInspectorUntilItEnds)
{
    const int before = inspector.updates;
    press({20, 20});
    dragTo({150, 150});
    dragTo({220, 200});
    ASSERT_TRUE(canvas->lasso());
    EXPECT_TRUE(canvas->hasSelection());
    EXPECT_EQ(inspector.updates, before);
    EXPECT_TRUE(windowServices.calls.contains("compositionSelectionDidChange"));
    release({220, 200});
    canvas->replaceSelectionWithShape(ellipse);
    EXPECT_GT(inspector.updates, before);
    EXPECT_EQ(inspector.selection, canvas->manipulator().get());
    EXPECT_EQ(outline.canvas, canvas);
    EXPECT_GT(windowServices.toolbarValidations, 0);
    EXPECT_GT(windowServices.restorableStateInvalidations, 0);
}

TEST_F(CanvasViewControllerTest, AddedShapesAreSelectedAndCountedAndAMissingPictureAsksForOne)
{
    const auto shape = addShape("Rectangle", pf::Rect(10, 10, 30, 30));
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    EXPECT_EQ(canvas->selectedShapes().front(), shape);
    EXPECT_EQ(document.changeCount, 1);

    const auto picture = addShape("Image", pf::Rect(50, 50, 60, 60));
    ASSERT_TRUE(picture->isMissingImage());
    EXPECT_EQ(canvas->selectedShapes().front(), picture);
    advance(0.34);
    EXPECT_FALSE(windowServices.calls.contains("browseForImage"));
    advance(0.02);
    EXPECT_EQ(windowServices.calls.count("browseForImage"), 1);
    EXPECT_EQ(document.changeCount, 2);
}

// The chooser takes the pointer: asked for while the Image tool still sizes its shape, it would leave the
// shape at the size it had then. It is asked once the drawing is done.
TEST_F(CanvasViewControllerTest, ASlowImageToolDragMakesTheDraggedShapeAndThenAsksForItsPictureOnce)
{
    keyDown(Qt::Key_I, {}, QStringLiteral("i"));
    ASSERT_TRUE(canvas->mouseStrategy());
    press({100, 100});
    for (int step = 1; step <= 12; ++step) {
        advance(0.1);
        dragTo({100 + step * 10.0, 100 + step * 5.0});
        ASSERT_FALSE(windowServices.calls.contains("browseForImage")) << "after " << step * 0.1 << " s";
    }
    release({220, 160});
    advance(0.2);
    EXPECT_FALSE(canvas->mouseStrategy());
    advance(0.4);
    const auto drawn = pageShapes().back();
    ASSERT_TRUE(drawn->isImage());
    EXPECT_EQ(drawn->frame(), pf::Rect(100, 100, 120, 60));
    EXPECT_EQ(windowServices.calls.count("browseForImage"), 1);
}

TEST_F(CanvasViewControllerTest, TwentyEditsInATurnRefreshTheThumbnailOnce)
{
    for (int i = 0; i < 20; ++i)
        page->setNeedsDisplayInRectUpdatePalettes(pf::Rect(i, i, 10, 10), true);
    EXPECT_TRUE(controller->needsTabThumbnailUpdate());
    EXPECT_EQ(windowServices.calls.count("compositionWasEdited"), 20);
    EXPECT_FALSE(windowServices.calls.contains("updateSelectedTabThumbnail"));
    endTurn();
    EXPECT_EQ(windowServices.calls.count("updateSelectedTabThumbnail"), 1);
    EXPECT_FALSE(controller->needsTabThumbnailUpdate());
    // Edits of a page the canvas does not show are ignored.
    const auto other = Composition::make(std::make_shared<Metrics>());
    controller->compositionWasEditedInRectUpdatePalettes(*other, pf::Rect(0, 0, 5, 5), true);
    endTurn();
    EXPECT_EQ(windowServices.calls.count("updateSelectedTabThumbnail"), 1);
}

TEST_F(CanvasViewControllerTest, TabsAndDocumentAreReachedThroughTheWindow)
{
    page->setTitle(QStringLiteral("Second"));
    EXPECT_TRUE(windowServices.calls.contains("reloadTabList"));
    EXPECT_EQ(controller->indexOfComposition(*page), 0u);
    EXPECT_EQ(controller->titleForComposition(*page), "Home");
    controller->closeComposition(*page);
    EXPECT_TRUE(windowServices.calls.contains("removeTab 0"));
    const auto other = Composition::make(std::make_shared<Metrics>());
    EXPECT_EQ(controller->indexOfComposition(*other), pf::NotFound);
    EXPECT_EQ(controller->titleForComposition(*other), QString());
    EXPECT_EQ(controller->documentSpecifierForComposition(*page).toString(), "document");
    controller->disableSuddenTermination(*page);
    EXPECT_EQ(document.suddenTerminationDisabled, 1);
    controller->enableSuddenTermination(*page);
    controller->compositionChangeDone(*page);
    EXPECT_EQ(document.changeCount, 1);

    // Without a window controller the forwarding operations do nothing.
    controller->setCanvasWindowController(nullptr);
    controller->compositionChangeDone(*page);
    EXPECT_EQ(document.changeCount, 1);
    EXPECT_EQ(controller->undoManagerForComposition(*page), nullptr);
    EXPECT_EQ(controller->indexOfComposition(*page), pf::NotFound);
    controller->setCanvasWindowController(&windowServices);
}

// The line over the horizontal ruler stands over a vertical guide while it is dragged, and goes at the end.
TEST_F(CanvasViewControllerTest, TheRulerLineFollowsADraggedVerticalGuide)
{
    UserDefaults::instance().setRulersVisible(true);
    controller->updateRulerVisibility();
    endTurn();
    pf::RulerView& top = *scrollView->horizontalRulerView();
    pf::RulerView& left = *scrollView->verticalRulerView();
    ASSERT_EQ(left.ruleThickness(), 16.0);
    const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, left.mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&left, &e);
        endTurn();
    };
    const auto onLeft = [&](const pf::Point& p) {
        return left.mapFromGlobal(canvas->mapToGlobal(viewPoint(p).toQt()));
    };
    send(QEvent::MouseButtonPress, {8, 300}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, onLeft({250, 200}), Qt::NoButton, Qt::LeftButton);
    const auto lineFor = [&](double x) {
        return std::floor(viewPoint({x, 0}).x) + left.ruleThickness() - canvas->visibleRect().origin.x;
    };
    // From the first step: the guide came from far off the page, where the line had nothing to erase.
    ASSERT_TRUE(top.rulerlineLocation());
    EXPECT_DOUBLE_EQ(*top.rulerlineLocation(), lineFor(250));
    send(QEvent::MouseMove, onLeft({300, 200}), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(top.rulerlineLocation());
    const double expected = lineFor(300);
    EXPECT_DOUBLE_EQ(*top.rulerlineLocation(), expected);
    // Over the guide: the ruler location shows the guide's view x.
    EXPECT_DOUBLE_EQ(top.clientCoordinateForLocation(*top.rulerlineLocation()), std::floor(viewPoint({300, 0}).x));
    EXPECT_FALSE(left.rulerlineLocation());
    send(QEvent::MouseButtonRelease, onLeft({300, 200}), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(top.rulerlineLocation());
    ASSERT_EQ(page->userGuides().size(), 1u);
    EXPECT_EQ(page->userGuides().front()->p1().x, 300.0);
}

TEST_F(CanvasViewControllerTest, TearDownCancelsDeferredCallsAndObservers)
{
    addShape("Image", pf::Rect(50, 50, 60, 60));
    controller->setNeedsTabThumbnailUpdate();
    controller.reset();
    EXPECT_EQ(page->compositionDelegate(), nullptr);
    canvas = nullptr;
    scrollView = nullptr;
    advance(1.0);
    EXPECT_FALSE(windowServices.calls.contains("browseForImage"));
    EXPECT_FALSE(windowServices.calls.contains("updateSelectedTabThumbnail"));
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(CanvasViewController::GuidesVisibilityDidChangeNotification));
    page->setZoomScaleIndex(2);
}

} // namespace

// The whole view at 100 % and 200 %, in inches from the page centre, as a user sees it: the pictures are
// written for looking at, and the zero ticks are checked where the page centre lies.
TEST_F(CanvasViewControllerTest, TheViewRendersRulersInInchesFromThePageCentre)
{
    UserDefaults::instance().setRulersVisible(true);
    controller->updateRulerVisibility();
    canvas->changeRulerUnitType(Metrics::Inches);
    canvas->changeRulerOriginCorner(4);
    const QString folder = qEnvironmentVariable("QUORVEL_RENDER_DIR", QDir::tempPath());
    for (const int code : {0, 2}) {
        SCOPED_TRACE(code);
        page->setZoomScaleIndex(code);
        endTurn();
        canvas->scrollToCenter();
        endTurn();
        const QImage image = scrollView->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(QStringLiteral("%1/canvas-rulers-%2.png").arg(folder).arg(code == 0 ? 100 : 200)));
        pf::RulerView& top = *scrollView->horizontalRulerView();
        pf::RulerView& left = *scrollView->verticalRulerView();
        EXPECT_EQ(top.measurementUnits(), code == 0 ? "Inches@72" : "Inches2@72");
        // The zero tick of each ruler stands over the page centre, drawn dark across most of the ruler.
        const pf::Rect f = canvas->scaledCompositionFrame();
        const int x = int(std::round(top.locationForClientCoordinate(f.midX())));
        const int y = int(std::round(left.locationForClientCoordinate(f.midY()))) + int(left.frame().y());
        const qreal dpr = image.devicePixelRatio();
        EXPECT_LT(qGray(image.pixel(int(x * dpr), int(12 * dpr))), 160) << x;
        EXPECT_LT(qGray(image.pixel(int(12 * dpr), int(y * dpr))), 160) << y;
        // One inch to the right is the next labelled tick at both zooms.
        const int inch = int(std::round(top.locationForClientCoordinate(f.midX() + 72 * page->zoomScale())));
        EXPECT_LT(qGray(image.pixel(int(inch * dpr), int(12 * dpr))), 160) << inch;
    }
}
