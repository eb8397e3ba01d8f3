// The drag-effect window: its size and pictures, the swap between the inside and outside images, the
// slide back and the fade, the clean-up only after a finished fade, and the same state where no window
// can be placed.
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Poof.h"
#include "shell/ZOVDragEffectManager.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace {

QImage picture(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    return image;
}

class DragEffectFixture : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        pf::setCanPlaceFloatingWindowsForTesting(GetParam());
        manager.setPointerLocation([this] { return pointer; });
    }
    void TearDown() override { pf::setCanPlaceFloatingWindowsForTesting(std::nullopt); }

    void advance(int milliseconds)
    {
        clock.advance(std::chrono::milliseconds(milliseconds));
        pf::drainMainQueue();
    }
    void moveTo(pf::Point p)
    {
        pointer = p;
        manager.updatePosition();
    }
    // A drag from a 200 × 40 row at (400, 380) on the screen, begun at its centre.
    void start(bool slideBack)
    {
        pointer = pf::Point(500, 400);
        manager.startDragShow(pf::Rect(400, 380, 200, 40), pointer, pf::Size(), picture(200, 40), picture(80, 80),
                              slideBack);
    }
    // The window shows only where it can be placed; the state is the same everywhere.
    bool windowVisible() const { return manager.window()->isVisible(); }
    bool expectsWindow() const { return GetParam(); }

    pf::VirtualClock clock;
    ZOVDragEffectManager manager;
    pf::Point pointer;
};

} // namespace

TEST_P(DragEffectFixture, TheWindowHoldsBothPicturesFadesInAndNeverTakesInput)
{
    start(true);
    EXPECT_EQ(manager.windowFrame(), pf::Rect(400, 360, 200, 80));
    EXPECT_EQ(manager.imageViewA()->geometry(), QRect(0, 20, 200, 40));
    EXPECT_EQ(manager.imageViewB()->geometry(), QRect(0, 0, 80, 80));
    EXPECT_TRUE(manager.isInContent(manager.imageViewA()));
    EXPECT_FALSE(manager.isInContent(manager.imageViewB()));
    EXPECT_TRUE(manager.isOrderedIn());
    EXPECT_EQ(windowVisible(), expectsWindow());
    EXPECT_EQ(manager.alphaValue(), 0);
    advance(60);
    EXPECT_GT(manager.alphaValue(), 0);
    EXPECT_LT(manager.alphaValue(), 1);
    advance(70);
    EXPECT_EQ(manager.alphaValue(), 1);

    const QWidget* window = manager.window();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(window->windowFlags() & Qt::NoDropShadowWindowHint);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window->windowType(), Qt::ToolTip);
}

TEST_P(DragEffectFixture, LeavingTheSourceAreaSwapsToTheOutsidePictureAndComingBackSwapsAgain)
{
    start(true);
    advance(200);
    moveTo(pf::Point(800, 700));
    // The window follows the pointer.
    EXPECT_EQ(manager.windowFrame(), pf::Rect(700, 660, 200, 80));
    EXPECT_TRUE(manager.isInContent(manager.imageViewB()));
    EXPECT_TRUE(manager.isInContent(manager.imageViewA())) << "until the swap is over";
    EXPECT_EQ(manager.imageViewB()->geometry(), QRect(0, 20, 200, 40)) << "grows out of the inside picture's place";
    advance(199);
    EXPECT_TRUE(manager.isInContent(manager.imageViewA()));
    advance(17);
    EXPECT_FALSE(manager.isInContent(manager.imageViewA()));
    EXPECT_EQ(manager.imageViewB()->geometry(), QRect(60, 0, 80, 80));
    // Moving on outside changes nothing.
    moveTo(pf::Point(810, 700));
    EXPECT_FALSE(manager.isInContent(manager.imageViewA()));

    moveTo(pf::Point(450, 390));
    advance(220);
    EXPECT_TRUE(manager.isInContent(manager.imageViewA()));
    EXPECT_FALSE(manager.isInContent(manager.imageViewB()));
    EXPECT_EQ(manager.imageViewA()->geometry(), QRect(0, 20, 200, 40));
}

TEST_P(DragEffectFixture, AFailedDropSlidesBackBeforeTheFadeEndsAndASuccessfulOneFadesWhereItIs)
{
    for (const pf::DragOperation result : {pf::DragOp::None, pf::DragOp::Move}) {
        start(true);
        advance(200);
        moveTo(pf::Point(800, 700));
        advance(250);
        manager.endDragShowWithResult(result);
        advance(160);
        const pf::Rect expected = result == pf::DragOp::None ? pf::Rect(400, 360, 200, 80) : pf::Rect(700, 660, 200, 80);
        EXPECT_EQ(manager.windowFrame(), expected) << result;
        EXPECT_GT(manager.alphaValue(), 0) << "still fading";
        EXPECT_TRUE(manager.isOrderedIn());
        advance(100);
        EXPECT_EQ(manager.alphaValue(), 0);
        // Put away and cleared once the fade is over.
        EXPECT_FALSE(manager.isOrderedIn());
        EXPECT_FALSE(windowVisible());
        EXPECT_FALSE(manager.slideBack());
        EXPECT_EQ(manager.insideImageSize(), pf::Size());
        EXPECT_EQ(manager.outsideImageSize(), pf::Size());
        EXPECT_EQ(manager.sourceRect(), pf::Rect());
        EXPECT_TRUE(manager.insideImage().isNull());
        EXPECT_TRUE(manager.outsideImage().isNull());
    }
}

TEST_P(DragEffectFixture, OnlyAFinishedFadeCleansUpAndAnEndWithoutAnimationHidesAtOnce)
{
    start(true);
    advance(200);
    manager.endDragShowWithResult(pf::DragOp::Move);
    advance(100);
    // A new show takes the window over before the fade ends: the stopped fade clears nothing.
    start(false);
    advance(300);
    EXPECT_TRUE(manager.isOrderedIn());
    EXPECT_EQ(manager.insideImageSize(), pf::Size(200, 40));
    EXPECT_EQ(manager.alphaValue(), 1);
    // A reported end while the window is not fully transparent is left alone too.
    manager.animationDidStop(true);
    EXPECT_TRUE(manager.isOrderedIn());

    manager.endDragShowWithResult(pf::DragOp::None, false);
    EXPECT_EQ(manager.alphaValue(), 0);
    EXPECT_FALSE(windowVisible());
    EXPECT_FALSE(manager.isOrderedIn());
    manager.animationDidStop(false);
    EXPECT_EQ(manager.insideImageSize(), pf::Size(200, 40));
}

INSTANTIATE_TEST_SUITE_P(WindowPlacement, DragEffectFixture, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Placed") : std::string("NotPlaced");
                         });

// A translucent window with nothing to blend it is a black box: on X11 it is shown only while a compositing
// manager runs; Wayland shows none; other platforms draw it themselves.
TEST(DragEffectWindow, ShowsOnlyWhereItsClearPartsStayClear)
{
    const struct {
        const char* platform;
        bool compositor;
        bool shown;
    } cases[] = {
        {"xcb", false, false},    {"xcb", true, true},         {"wayland", true, false},
        {"wayland-egl", false, false}, {"offscreen", false, true}, {"windows", false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pf::canShowTranslucentWindows(QString::fromLatin1(c.platform), c.compositor), c.shown)
            << c.platform << (c.compositor ? " with" : " without") << " a compositing manager";
}
