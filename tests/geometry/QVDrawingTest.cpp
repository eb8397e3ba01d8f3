#include "geometry/QVDrawing.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/PainterContext.h"

#include <gtest/gtest.h>

namespace {

TEST(QVGetRoundRect, PlatformRoundedRectWithTheLineWidth)
{
    const pf::Path path = QVGetRoundRect(pf::Rect(0, 0, 40, 20), 5, 3);
    EXPECT_TRUE(path.sameElements(pf::Path::roundedRect(pf::Rect(0, 0, 40, 20), 5, 5)));
    EXPECT_EQ(path.lineWidth(), 3.0);
}

TEST(QVAddRoundRect, BeginsAfreshAtTheLeftMiddleAndCloses)
{
    pf::Path path;
    path.moveTo({100, 100});
    QVAddRoundRect(path, pf::Rect(0, 0, 40, 20), 5);
    ASSERT_GT(path.elementCount(), 2);
    EXPECT_EQ(path.element(0).type, pf::PathElementType::MoveTo);
    EXPECT_EQ(path.element(0).points[0], pf::Point(0, 10));
    EXPECT_EQ(path.element(path.elementCount() - 1).type, pf::PathElementType::Close);
    EXPECT_EQ(path.bounds(), pf::Rect(0, 0, 40, 20));
    EXPECT_FALSE(path.containsPoint({0.5, 0.5})) << "corner rounded";
    EXPECT_TRUE(path.containsPoint({5, 1}));
    EXPECT_TRUE(path.containsPoint({39, 10}));
}

TEST(QVDrawRoundRect, GradientAtNinetyThenStroke)
{
    pf::BitmapContext context({60, 60}, 1);
    const pf::Path path = QVDrawRoundRect(context, pf::Gradient(pf::Color::white(), pf::Color::black()),
                                          pf::Color(1, 0, 0, 1), pf::Rect(10, 10, 40, 40), 6, 2);
    EXPECT_EQ(path.lineWidth(), 2.0);
    const QImage image = context.bitmap();
    const QColor top = image.pixelColor(30, 14);
    const QColor bottom = image.pixelColor(30, 46);
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(bottom.red(), 60);
    EXPECT_EQ(image.pixelColor(30, 10), QColor(255, 0, 0)) << "stroke on the edge";
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0) << "round corner";
}

TEST(QVAlignPointToDeviceSpace, FloorsInDevicePixels)
{
    struct Case {
        double scale;
        bool flipped;
        pf::Point in, aligned;
    };
    const Case cases[] = {
        {1, true, {3.7, 4.2}, {3, 4}},
        {2, true, {1.3, 2.8}, {1, 2.5}},
        {2, true, {-0.3, 0}, {-0.5, 0}},
        {1, false, {3.7, 4.2}, {3, 5}},  // y up: device y 5.8 floors to 5, user y 5
    };
    for (const Case& c : cases) {
        pf::BitmapContext context({10, 10}, c.scale, c.flipped);
        const pf::Point aligned = QVAlignPointToDeviceSpace(context, c.in);
        const pf::Point device = context.convertToDeviceSpace(aligned);
        EXPECT_EQ(device.x, std::floor(device.x));
        EXPECT_EQ(device.y, std::floor(device.y));
        EXPECT_EQ(aligned, c.aligned);
        const pf::Point floorAligned = QVDeviceFloorAlign(context, c.in);
        EXPECT_EQ(floorAligned, pf::Point(aligned.x + 0.5, aligned.y + 0.5));
    }
}

} // namespace
