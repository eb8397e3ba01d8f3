// GIF files as Qt's reader (another program's) decodes them: exact colours for flat pictures, one
// transparent index, partly opaque pixels over white, and a dithered palette that keeps the average
// colour of a picture with more colours than a GIF holds.
#include "platform/graphics/GifWriter.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage decoded(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

TEST(GifWriterTest, FlatColoursStayExactWithOneTransparentIndex)
{
    QImage image(30, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 15; ++x) {
            image.setPixelColor(x, y, QColor(200, 30, 60));
            image.setPixelColor(x + 15, y + 10, QColor(0, 0, 255, 128));  // half opaque: over white
        }
    struct Case {
        bool transparent;
        QColor clear;
    };
    for (const Case c : {Case{true, QColor(0, 0, 0, 0)}, Case{false, QColor(Qt::white)}}) {
        SCOPED_TRACE(c.transparent);
        const QImage back = decoded(pf::gifData(image, c.transparent));
        ASSERT_EQ(back.size(), image.size());
        EXPECT_EQ(back.pixelColor(3, 3), QColor(200, 30, 60));
        const QColor corner = back.pixelColor(29, 0);
        EXPECT_EQ(corner.alpha(), c.clear.alpha());
        if (c.clear.alpha() > 0) {
            EXPECT_EQ(corner, c.clear);
        }
        EXPECT_EQ(back.pixelColor(20, 15), QColor(127, 127, 255));
    }
}

TEST(GifWriterTest, AManyColouredPictureIsDitheredToItsAverageColours)
{
    // A smooth two-way ramp inside the colour cube: far more than 256 colours.
    QImage image(256, 128, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(32 + x / 2, 40 + y, 100 + (x + y) / 4));
    const QImage back = decoded(pf::gifData(image, false));
    ASSERT_EQ(back.size(), image.size());
    // Over each 8 × 8 block the dithered colours average to the original's within a few levels.
    double worst = 0;
    for (int by = 0; by < image.height(); by += 8)
        for (int bx = 0; bx < image.width(); bx += 8) {
            double diff[3] = {0, 0, 0};
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    const QRgb a = image.pixel(x, y), b = back.pixel(x, y);
                    diff[0] += qRed(a) - qRed(b);
                    diff[1] += qGreen(a) - qGreen(b);
                    diff[2] += qBlue(a) - qBlue(b);
                }
            for (const double d : diff)
                worst = std::max(worst, std::abs(d) / 64);
        }
    EXPECT_LT(worst, 8.0);
}

TEST(GifWriterTest, LargeAreasKeepTheirExactColourBesideManyColouredDetail)
{
    // A diagram: white ground, black lines, a gradient box with hundreds of colours.
    QImage image(200, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 200; ++x)
        image.setPixel(x, 50, qRgb(0, 0, 0));
    for (int y = 60; y < 100; ++y)
        for (int x = 100; x < 200; ++x)
            image.setPixel(x, y, qRgb(x, 3 * y - 50, 255 - x));
    const QImage back = decoded(pf::gifData(image, false));
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(back.pixel(x, y), qRgb(255, 255, 255)) << x << ", " << y;
    for (int x = 0; x < 200; ++x)
        ASSERT_EQ(back.pixel(x, 50), qRgb(0, 0, 0)) << x;
}

TEST(GifWriterTest, NothingIsWrittenForAnImageTheFormatCannotHold)
{
    EXPECT_TRUE(pf::gifData(QImage(), true).isEmpty());
    EXPECT_TRUE(pf::gifData(QImage(70000, 1, QImage::Format_ARGB32), true).isEmpty());
    EXPECT_FALSE(pf::gifData(QImage(1, 1, QImage::Format_ARGB32), true).isEmpty());
}

} // namespace
