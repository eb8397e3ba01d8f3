#include "geometry/QVImageAdditions.h"

#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QStringList capturedMessages;

void capture(QtMsgType, const QMessageLogContext&, const QString& message) { capturedMessages << message; }

TEST(ImageNamedInBundleForClass, FindsResourcesAndLogsMissingOnes)
{
    const pf::Image swatch = imageNamedInBundleForClass("test-swatch", "Shape");
    ASSERT_TRUE(swatch.isValid());
    EXPECT_EQ(swatch.size(), pf::Size(4, 4));
    EXPECT_TRUE(imageNamedInBundleForClass("test-swatch.png").isValid());

    capturedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(capture);
    const pf::Image missing = imageNamedInBundleForClass("no-such-image", "Shape");
    qInstallMessageHandler(previous);
    EXPECT_TRUE(missing.isNull());
    ASSERT_EQ(capturedMessages.size(), 1);
    EXPECT_EQ(capturedMessages[0],
              "imageNamedInBundleForClass couldnt load image named no-such-image in bundle :/images\npath (null)");
}

pf::Image solid(int w, int h, Qt::GlobalColor color)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return pf::Image(image);
}

TEST(ScaledImageOfSize, ScalesFadesAndRounds)
{
    const pf::Image source = solid(64, 64, Qt::red);
    const pf::Image half = scaledImageOfSize(source, {32, 32});
    ASSERT_EQ(half.bitmapCount(), 1);
    EXPECT_EQ(half.size(), pf::Size(32, 32));
    EXPECT_EQ(half.bitmap(0).size(), QSize(32, 32));
    EXPECT_EQ(half.bitmap(0).pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(half.bitmap(0).pixelColor(31, 31), QColor(255, 0, 0));

    const pf::Image faded = scaledImageOfSizeAlpha(source, {32, 32}, 0.5);
    EXPECT_NEAR(qAlpha(faded.bitmap(0).pixel(16, 16)), 128, 1);

    const pf::Image round = scaledImageOfSizeAlphaHiRezCornerRadius(source, {32, 32}, 1, true, 16);
    EXPECT_EQ(qAlpha(round.bitmap(0).pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(round.bitmap(0).pixel(30, 30)), 0);
    EXPECT_EQ(qAlpha(round.bitmap(0).pixel(16, 16)), 255);
    EXPECT_EQ(qAlpha(round.bitmap(0).pixel(16, 1)), 255);
}

TEST(ScaledImageOfSize, LeavesTheCurrentContextAlone)
{
    pf::BitmapContext outer({4, 4}, 1);
    pf::CurrentContext current(outer);
    outer.setInterpolationQuality(pf::InterpolationQuality::None);
    scaledImageOfSizeAlphaHiRez(solid(8, 8, Qt::red), {4, 4}, 1, true);
    EXPECT_EQ(pf::GraphicsContext::current(), &outer);
    EXPECT_EQ(outer.gstate().interpolation, pf::InterpolationQuality::None);
}

std::vector<pf::Rect> destinations(const pf::RecordingContext& context)
{
    std::vector<pf::Rect> rects;
    for (const pf::RecordedCall& call : context.calls())
        if (call.operation == "image")
            rects.push_back(call.rect);
    return rects;
}

TEST(DrawStretchable, NineSliceRects)
{
    pf::RecordingContext context;
    drawStretchableInRectEdgeInsetsOperationFraction(context, solid(30, 30, Qt::red), pf::Rect(0, 0, 100, 40),
                                                     {10, 10, 10, 10}, pf::BlendMode::Normal, 1);
    const std::vector<pf::Rect> expected = {
        {0, 0, 10, 10},  {10, 0, 80, 10},  {90, 0, 10, 10},
        {0, 10, 10, 20}, {10, 10, 80, 20}, {90, 10, 10, 20},
        {0, 30, 10, 10}, {10, 30, 80, 10}, {90, 30, 10, 10},
    };
    EXPECT_EQ(destinations(context), expected);
    EXPECT_EQ(context.calls()[0].source, pf::Rect(0, 0, 10, 10)) << "corner unscaled";
    EXPECT_EQ(context.calls()[4].source, pf::Rect(10, 10, 10, 10));
    EXPECT_EQ(context.calls()[0].state.interpolation, pf::InterpolationQuality::High);
}

TEST(DrawStretchable, EmptyAndNegativeSlicesAreSkipped)
{
    pf::RecordingContext context;
    drawStretchableInRectEdgeInsetsOperationFraction(context, pf::Image(), pf::Rect(0, 0, 100, 40), {10, 10, 10, 10},
                                                     pf::BlendMode::Normal, 1);
    EXPECT_TRUE(context.calls().empty()) << "no size, nothing drawn";

    drawStretchableInRectEdgeInsetsOperationFraction(context, solid(30, 30, Qt::red), pf::Rect(0, 0, 15, 40),
                                                     {10, 10, 10, 10}, pf::BlendMode::Normal, 1);
    const std::vector<pf::Rect> expected = {{0, 0, 10, 10}, {5, 0, 10, 10}, {0, 10, 10, 20},
                                            {5, 10, 10, 20}, {0, 30, 10, 10}, {5, 30, 10, 10}};
    EXPECT_EQ(destinations(context), expected) << "narrower than the insets: no middle column";

    context.clearCalls();
    drawStretchableInRectEdgeInsetsOperationFraction(context, solid(30, 30, Qt::red), pf::Rect(0, 0, 50, 40), {},
                                                     pf::BlendMode::Normal, 1);
    EXPECT_EQ(destinations(context), (std::vector<pf::Rect>{{0, 0, 50, 40}})) << "zero insets: one stretched centre";
}

TEST(DrawStretchable, TwentyFiveSlicesKeepACentredCentrePiece)
{
    pf::RecordingContext context;
    drawStretchableInRectEdgeInsetsCenterRectOperationFraction(context, solid(50, 50, Qt::red), pf::Rect(0, 0, 100, 60),
                                                               {5, 5, 5, 5}, pf::Rect(99, 99, 10, 10),
                                                               pf::BlendMode::Normal, 1);
    ASSERT_EQ(context.calls().size(), 25u);
    const pf::RecordedCall& centre = context.calls()[12];
    EXPECT_EQ(centre.rect, pf::Rect(45, 25, 10, 10));
    EXPECT_EQ(centre.source, pf::Rect(20, 20, 10, 10));
    EXPECT_EQ(context.calls()[6].rect, pf::Rect(5, 5, 40, 20)) << "stretching piece";
    EXPECT_EQ(context.calls()[24].rect, pf::Rect(95, 55, 5, 5));
}

// A 30 × 30 image with a red top-left corner, a yellow bottom-left one, green edges and a blue centre,
// drawn into 100 × 40: corners are unscaled and the image's top stays on top in either orientation.
TEST(DrawStretchable, PixelsOfCornersAndCentre)
{
    QImage image(30, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::green);
    QPainter p(&image);
    p.fillRect(0, 0, 10, 10, Qt::red);
    p.fillRect(0, 20, 10, 10, Qt::yellow);
    p.fillRect(10, 10, 10, 10, Qt::blue);
    p.end();
    for (bool flipped : {true, false}) {
        pf::BitmapContext context({100, 40}, 1, flipped);
        drawStretchableInRectEdgeInsetsOperationFraction(context, pf::Image(image), pf::Rect(0, 0, 100, 40),
                                                         {10, 10, 10, 10}, pf::BlendMode::Normal, 1);
        const QImage out = context.bitmap();
        EXPECT_EQ(out.pixelColor(2, 2), QColor(Qt::red)) << "flipped " << flipped;
        EXPECT_EQ(out.pixelColor(7, 7), QColor(Qt::red)) << "flipped " << flipped;
        EXPECT_EQ(out.pixelColor(5, 35), QColor(Qt::yellow)) << "flipped " << flipped;
        EXPECT_EQ(out.pixelColor(50, 20), QColor(Qt::blue)) << "flipped " << flipped;
        EXPECT_EQ(out.pixelColor(15, 20), QColor(Qt::blue)) << "centre stretched";
        EXPECT_EQ(out.pixelColor(85, 20), QColor(Qt::blue)) << "centre stretched";
        EXPECT_EQ(out.pixelColor(50, 5), QColor(Qt::green)) << "flipped " << flipped;
        EXPECT_EQ(out.pixelColor(95, 5), QColor(Qt::green)) << "top-right corner of the image is green";
    }
}

} // namespace
