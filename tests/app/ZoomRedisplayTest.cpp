// What the canvas repaints after the page's zoom changes under a selection: the handles are drawn at their
// screen size, so their page area changes with the zoom, and putting the selection away must repaint where
// they were drawn at the zoom now shown.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "app/PaintRecorder.h"
#include "canvas/Canvas.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Rectangle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Window.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ZoomRedisplayTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        window = openFixtureWindow().second;
        ASSERT_NE(window, nullptr);
        showForInput(*window);
        page = window->selectedComposition();
        ASSERT_NE(page, nullptr);
    }

    static void settle()
    {
        pf::drainMainQueue();
        QApplication::processEvents();
    }

    AppWindowController* window = nullptr;
    std::shared_ptr<Composition> page;
};

TEST_F(ZoomRedisplayTest, DeselectingAfterZoomingOutRepaintsTheRotationHandleWhereItShows)
{
    Canvas& canvas = *window->canvasView();
    page->setZoomScaleIndex(1); // 150 %
    settle();
    // A shape in the middle of what shows, selected and drawn with its handles at 150 %.
    const pf::Rect shown = canvas.convertRectToComposition(canvas.visibleRect());
    const auto box = Shape::make<Rectangle>(
        QVRectRound(pf::Rect(shown.midX() - 60, shown.midY() - 40, 120, 80)));
    page->addShape(box);
    canvas.replaceSelectionWithShape(box);
    canvas.repaint();
    settle();

    // Ctrl+minus: 100 %.
    QTest::keyClick(&canvas, Qt::Key_Minus, Qt::ControlModifier);
    settle();
    ASSERT_EQ(page->zoomScaleIndex(), 0);
    ASSERT_TRUE(canvas.hasSelection());
    canvas.repaint();
    settle();

    // Where the rotation handle and its bar show now, in the canvas's pixels.
    const auto selection = canvas.manipulator();
    const pf::Rect handle = canvas.convertRectFromComposition(selection->rotationHandle());
    const pf::Rect bar = canvas.convertRectFromComposition(
        QVCombineRects(QVSquareAroundPoint(QVRectGetMidRitPoint(box->frame()), 1), selection->rotationHandle()));
    ASSERT_FALSE(QVRectIsZero(handle));

    // A click on empty canvas, left of the page, puts the selection away.
    const pf::Point empty = canvas.convertPointFromComposition(pf::Point(-20, shown.midY()));
    PaintRecorder recorder(&canvas);
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, QPoint(int(empty.x), int(empty.y)));
    settle();
    ASSERT_FALSE(canvas.hasSelection());
    const auto inner = [](const pf::Rect& r) {
        return QRect(int(std::ceil(r.minX())), int(std::ceil(r.minY())), int(std::floor(r.width())) - 1,
                     int(std::floor(r.height())) - 1);
    };
    EXPECT_TRUE(recorder.painted.contains(inner(handle))) << "the rotation handle is repainted";
    EXPECT_TRUE(recorder.painted.contains(inner(bar))) << "its bar is repainted";
}

} // namespace
