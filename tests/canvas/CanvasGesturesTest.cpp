// Trackpad gestures as Qt delivers them: pinches stepping the zoom (thresholds, the ends of the table, codes
// outside it, what stays in view) and turns of the selection (doubling, Option, Shift, differing children,
// slow turns, locked selections, one undo step per turn).
#include "canvas/support/CanvasFixture.h"

#include "platform/kit/ScrollView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

namespace {

constexpr auto Option = Qt::AltModifier;

} // namespace

class CanvasGesturesTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas(2000, 1600);
    }
    // One gesture event at a page point, at the end of its own turn.
    void gesture(Qt::NativeGestureType type, double value, Qt::KeyboardModifiers modifiers = {},
                 const pf::Point& at = pf::Point(400, 300))
    {
        const pf::Point v = viewPoint(at);
        const QPointF local(v.x, v.y);
        QNativeGestureEvent e(type, QPointingDevice::primaryPointingDevice(), 2, local, local,
                              canvas->mapToGlobal(local), value, QPointF());
        e.setModifiers(modifiers);
        QCoreApplication::sendEvent(canvas, &e);
        endTurn();
    }
    void begin() { gesture(Qt::BeginNativeGesture, 0); }
    void end() { gesture(Qt::EndNativeGesture, 0); }
    void pinch(double magnification, const pf::Point& at = pf::Point(400, 300))
    {
        gesture(Qt::ZoomNativeGesture, magnification, {}, at);
    }
    // A turn counter-clockwise by the degrees (Qt counts clockwise).
    void turn(double degrees, Qt::KeyboardModifiers modifiers = {})
    {
        gesture(Qt::RotateNativeGesture, -degrees, modifiers);
    }
    // A turn of the mouse wheel over a page point, in eighths of a degree (120 a notch, positive away
    // from the user), as the platform sends it.
    void wheel(int eighths, Qt::KeyboardModifiers modifiers, const pf::Point& at)
    {
        const pf::Point v = viewPoint(at);
        const QPointF local(v.x, v.y);
        QWheelEvent e(local, canvas->mapToGlobal(local), QPoint(), QPoint(0, eighths), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(canvas, &e);
        endTurn();
    }
    void setZoomCode(std::int64_t code)
    {
        page->setZoomScaleIndex(code);
        endTurn();
    }
};

TEST_F(CanvasGesturesTest, APinchStepsOnceItGathersEnough)
{
    // The first step of a sequence wants 0.2, every later one more than 0.35.
    begin();
    pinch(0.1);
    EXPECT_EQ(page->zoomScaleIndex(), 0);
    pinch(0.15);
    EXPECT_EQ(page->zoomScaleIndex(), 1) << "0.25 on a fresh sequence";
    pinch(0.25);
    EXPECT_EQ(page->zoomScaleIndex(), 1) << "0.25 later in the sequence";
    pinch(0.11);
    EXPECT_EQ(page->zoomScaleIndex(), 2) << "0.36";
    pinch(-0.36);
    EXPECT_EQ(page->zoomScaleIndex(), 1);
    end();
    EXPECT_FALSE(canvas->newTouchEvent());

    // A new sequence starts afresh.
    begin();
    pinch(-0.2);
    EXPECT_EQ(page->zoomScaleIndex(), 0);
    end();
}

TEST_F(CanvasGesturesTest, PinchesStayInsideTheTableAndStartFromTheShownScale)
{
    struct Case {
        std::int64_t from;
        double magnification;
        std::int64_t to;
    };
    const Case cases[] = {
        {50, 0.3, 50},  // step 14 is the last
        {-4, -0.3, -4}, // step 0 is the first
        {40, 0.3, 50},
        {5, 0.3, 10},
        {7, 0.3, 1},    // a code outside the table shows at 1.0: one step out from there
        {7, -0.3, -1},
        {-9, 0.3, -3},  // clamped to the first code
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " by " << c.magnification);
        setZoomCode(c.from);
        begin();
        pinch(c.magnification);
        end();
        EXPECT_EQ(page->zoomScaleIndex(), c.to);
    }
    EXPECT_EQ(Canvas::integerForZoomScaleIndex(7), 4);
    EXPECT_EQ(Canvas::zoomScaleIndexForInteger(99), 50);
    EXPECT_EQ(Canvas::zoomScaleIndexForInteger(-1), -4);
}

TEST_F(CanvasGesturesTest, TheFirstStepKeepsThePointUnderTheFingersInViewWithoutASelection)
{
    const pf::Point corner(1700, 1400);
    canvas->scrollPointToCenter(canvas->convertPointFromComposition(corner));
    endTurn();
    begin();
    pinch(0.3, corner);
    end();
    EXPECT_EQ(page->zoomScaleIndex(), 1);
    EXPECT_EQ(page->scrollCenterPoint(), corner);
    EXPECT_TRUE(canvas->convertRectToComposition(canvas->visibleRect()).contains(corner));

    // With a selection the page's scroll centre is left alone (the selection is kept in view).
    const pf::Point centre = page->scrollCenterPoint();
    canvas->addShapeToSelection(rectangle);
    begin();
    pinch(0.3, pf::Point(900, 900));
    end();
    EXPECT_EQ(page->zoomScaleIndex(), 2);
    EXPECT_EQ(page->scrollCenterPoint(), centre);
}

TEST_F(CanvasGesturesTest, CtrlWheelZoomsAsAPinchAboutThePointer)
{
    constexpr auto Ctrl = Qt::ControlModifier;
    const pf::Point corner(1700, 1400);
    canvas->scrollPointToCenter(canvas->convertPointFromComposition(corner));
    endTurn();
    ASSERT_EQ(page->zoomScaleIndex(), 0);

    // A notch away from the user zooms in a step, keeping the page point under the pointer in view.
    wheel(120, Ctrl, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 1);
    EXPECT_EQ(page->scrollCenterPoint(), corner);
    EXPECT_TRUE(canvas->convertRectToComposition(canvas->visibleRect()).contains(corner));
    // A fine wheel's parts of a notch add up to one step; toward the user zooms out.
    wheel(60, Ctrl, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 1);
    wheel(60, Ctrl, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 2);
    wheel(-240, Ctrl, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 0) << "two notches, two steps";
    // The steps are the pinch's: past the end of the table nothing changes.
    setZoomCode(50);
    wheel(120, Ctrl, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 50);
    setZoomCode(0);

    // Without Ctrl the wheel scrolls and leaves the zoom alone.
    const pf::Rect before = canvas->visibleRect();
    wheel(120, {}, corner);
    EXPECT_EQ(page->zoomScaleIndex(), 0);
    EXPECT_NE(canvas->visibleRect(), before);
}

TEST_F(CanvasGesturesTest, ATurnSetsEachShapeFromItsOwnAngle)
{
    struct Case {
        const char* name;
        std::vector<std::int64_t> from;
        std::vector<double> turns;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::int64_t> to;
    };
    const Case cases[] = {
        {"a turn is doubled", {50}, {10}, {}, {30}},
        {"with Option it is not", {50}, {10}, Option, {40}},
        {"with Shift the angle lands on a multiple of 45", {50}, {10}, Qt::ShiftModifier, {45}},
        {"through zero", {10}, {10}, {}, {350}},
        {"clockwise", {350}, {-10}, {}, {10}},
        {"differing children each from their own", {10, 40}, {5}, {}, {0, 30}},
        {"twenty slow events lose nothing", {50}, std::vector<double>(20, 0.3), {}, {38}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeCanvas(2000, 1600);
        Canvas::Shapes shapes;
        for (std::size_t i = 0; i < c.from.size(); ++i) {
            shapes.push_back(addShape("Rectangle", pf::Rect(100 + 200 * double(i), 400, 100, 60)));
            shapes.back()->setRotationAngle(c.from[i]);
        }
        canvas->addShapesToSelection(shapes);
        endTurn();
        begin();
        for (const double degrees : c.turns)
            turn(degrees, c.modifiers);
        end();
        for (std::size_t i = 0; i < shapes.size(); ++i)
            EXPECT_EQ(shapes[i]->rotationAngle(), c.to[i]) << "shape " << i;

        // The whole turn is one undo step.
        ASSERT_TRUE(undo.undo());
        endTurn();
        for (std::size_t i = 0; i < shapes.size(); ++i)
            EXPECT_EQ(shapes[i]->rotationAngle(), c.from[i]) << "shape " << i << " after undo";
    }
}

TEST_F(CanvasGesturesTest, ATurnWithoutItsEndClosesAtTheNextInput)
{
    rectangle->setRotationAngle(0);
    canvas->addShapeToSelection(rectangle);
    endTurn();
    begin();
    turn(5);
    // Option pressed in the middle changes how the turn counts, and does not end it.
    keyDown(Qt::Key_Alt, Option);
    endTurn();
    turn(10, Option);
    // No end comes; a press on empty canvas is the next thing the user does.
    click(pf::Point(1500, 1200));
    endTurn();
    EXPECT_EQ(rectangle->rotationAngle(), 340);
    ASSERT_TRUE(undo.undo());
    endTurn();
    EXPECT_EQ(rectangle->rotationAngle(), 0);
}

TEST_F(CanvasGesturesTest, ALockedSelectionIgnoresTheTurn)
{
    rectangle->setRotationAngle(20);
    ellipse->setRotationAngle(20);
    ellipse->setLocked(true);
    canvas->addShapesToSelection({rectangle, ellipse});
    endTurn();
    begin();
    turn(10);
    end();
    EXPECT_EQ(rectangle->rotationAngle(), 20);
    EXPECT_EQ(ellipse->rotationAngle(), 20);
}
