#include "GraphicsContextTestSupport.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <gtest/gtest.h>

namespace pf {
namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

QImage opaque(int w, int h, Qt::GlobalColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

TEST(ImageDecoding, CommonFormatsWithTheirPointSize)
{
    struct Case {
        const char* format;
        int dpi;  // 0: none written
        Size points;
    };
    const Case cases[] = {
        {"png", 0, {20, 10}},
        {"png", 144, {10, 5}},
        {"jpeg", 72, {20, 10}},
        {"tiff", 72, {20, 10}},
        {"tiff", 144, {10, 5}},
    };
    for (const Case& c : cases) {
        QImage source = opaque(20, 10, Qt::red);
        if (c.dpi) {
            source.setDotsPerMeterX(int(std::lround(c.dpi / 0.0254)));
            source.setDotsPerMeterY(int(std::lround(c.dpi / 0.0254)));
        }
        QString error;
        const Image image = Image::fromData(encoded(source, c.format), &error);
        ASSERT_TRUE(image.isValid()) << c.format << ": " << error.toStdString();
        EXPECT_EQ(image.size(), c.points) << c.format << " " << c.dpi;
        ASSERT_EQ(image.bitmapCount(), 1);
        EXPECT_EQ(image.bitmap(0).size(), QSize(20, 10));
        EXPECT_NEAR(test::colorAt(image.bitmap(0), 10, 5).red(), 255, 2);
    }
    const Image gif = Image::fromFile(QUORVEL_TEST_DATA "/images/red-dot.gif");
    ASSERT_TRUE(gif.isValid());
    EXPECT_EQ(gif.size(), Size(1, 1));
    EXPECT_EQ(test::colorAt(gif.bitmap(0), 0, 0), QColor(255, 0, 0));
}

TEST(ImageDecoding, GarbageIsANullImageWithAnError)
{
    QString error;
    const Image image = Image::fromData(QByteArray("\x89PNG\r\n\x1a\nnot really", 18), &error);
    EXPECT_TRUE(image.isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(Image::fromFile("/nonexistent/file.png", &error).isNull());
}

TEST(ImageDecoding, AResourcePictureIsTheSameEachTimeWhateverACopyBecomes)
{
    const QString path = QStringLiteral(":/images/lib_uikeyboard32x32.png");
    Image first = Image::fromFile(path);
    ASSERT_TRUE(first.isValid());
    const Size natural = first.size();
    first.setSize({5, 5});
    first.addBitmap(QImage(2, 2, QImage::Format_ARGB32_Premultiplied));
    const Image second = Image::fromFile(path);
    EXPECT_EQ(second.size(), natural);
    EXPECT_EQ(second.bitmapCount(), 1);
    // Decoded once: the pixels are shared, not read again.
    EXPECT_EQ(second.bitmap(0).cacheKey(), Image::fromFile(path).bitmap(0).cacheKey());
}

TEST(ImageEncoding, RoundTripsKeepPixelsAndPointSize)
{
    // Drawn at scale 2: twice the pixels of its points.
    const Image drawn = Image::drawn({30, 20}, 2, [](GraphicsContext& c) {
        c.setFillColor(Color(0, 0, 1, 1));
        c.fillRect(Rect(0, 0, 15, 20));
    });
    ASSERT_EQ(drawn.bitmapCount(), 1);
    EXPECT_EQ(drawn.size(), Size(30, 20));
    EXPECT_EQ(drawn.bitmap(0).size(), QSize(60, 40));
    EXPECT_EQ(drawn.bitmapScale(0), 2.0);
    EXPECT_EQ(test::alphaAt(drawn.bitmap(0), 20, 20), 255);
    EXPECT_EQ(test::alphaAt(drawn.bitmap(0), 40, 20), 0);

    for (const QByteArray& data : {drawn.pngData(), drawn.tiffData()}) {
        const Image back = Image::fromData(data);
        ASSERT_TRUE(back.isValid());
        EXPECT_EQ(back.size(), Size(30, 20));
        EXPECT_EQ(back.bitmap(0).size(), QSize(60, 40));
        EXPECT_EQ(test::alphaAt(back.bitmap(0), 40, 20), 0) << "transparency kept";
    }
    const QByteArray low = drawn.jpegData(0.1);
    const QByteArray high = drawn.jpegData(1.0);
    ASSERT_FALSE(low.isEmpty());
    EXPECT_LT(low.size(), high.size());
    EXPECT_TRUE(Image::fromData(high).isValid());
}

TEST(ImageRepresentations, BestBitmapForTheScaleAndRendering)
{
    Image image(opaque(10, 10, Qt::red), {10, 10});
    image.addBitmap(opaque(20, 20, Qt::green));
    image.addBitmap(opaque(40, 40, Qt::blue));
    EXPECT_EQ(image.bestBitmap(1).width(), 10);
    EXPECT_EQ(image.bestBitmap(1.5).width(), 20);
    EXPECT_EQ(image.bestBitmap(2).width(), 20);
    EXPECT_EQ(image.bestBitmap(8).width(), 40) << "densest when none is dense enough";

    // Drawn at double density, the context picks the 2× bitmap.
    BitmapContext context({10, 10}, 2);
    context.drawImage(image, Rect(0, 0, 10, 10));
    EXPECT_EQ(test::colorAt(context.bitmap(), 10, 10), QColor(0, 255, 0));

    int runs = 0;
    const Image lazy = Image::withDrawingHandler({4, 4}, [&](GraphicsContext& c, const Rect& r) {
        ++runs;
        c.fillRect(r);
        return true;
    });
    EXPECT_EQ(runs, 0) << "nothing drawn until needed";
    EXPECT_EQ(lazy.rendered(3).size(), QSize(12, 12));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(lazy.pngData().isEmpty());
    EXPECT_EQ(runs, 2);
}

TEST(ImageRepresentations, EmptyDrawingIsANullImage)
{
    int runs = 0;
    const Image empty = Image::drawn({0, 10}, 1, [&](GraphicsContext& c) {
        ++runs;
        c.fillRect(Rect(0, 0, 10, 10));
    });
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(empty.isValid());
}

TEST(ImageRepresentations, CopiesShareUntilChanged)
{
    Image a(opaque(4, 4, Qt::red));
    Image b = a;
    b.setSize({2, 2});
    EXPECT_EQ(a.size(), Size(4, 4));
    EXPECT_EQ(b.size(), Size(2, 2));
    EXPECT_EQ(b.bitmapScale(0), 2.0);
}

} // namespace
} // namespace pf

// A PDF written by cairo: a 40 × 20 point page, red on the left half, blue in the lower right quarter.
TEST(ImagePdf, TheFirstPageDrawsAtItsSizeInPointsAndAtTheDevicesResolution)
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/images/red-blue-cairo.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pf::Image image = pf::Image::fromData(file.readAll());
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.size(), pf::Size(40, 20));
    for (double scale : {1.0, 3.0}) {
        pf::BitmapContext context({40, 20}, scale, true);
        context.drawImage(image, pf::Rect(0, 0, 40, 20));
        const QImage out = context.bitmap();
        ASSERT_EQ(out.size(), QSize(int(40 * scale), int(20 * scale)));
        const auto at = [&](double x, double y) { return out.pixelColor(int(x * scale), int(y * scale)); };
        EXPECT_EQ(at(10, 10), QColor(255, 0, 0)) << scale;
        EXPECT_EQ(at(30, 15), QColor(0, 0, 255)) << scale;
        EXPECT_EQ(at(30, 5).alpha(), 0) << scale;
        // Sharp at the device's pixels: the edge between red and blue falls between two pixels.
        EXPECT_EQ(out.pixelColor(int(20 * scale) - 1, int(15 * scale)), QColor(255, 0, 0)) << scale;
        EXPECT_EQ(out.pixelColor(int(20 * scale), int(15 * scale)), QColor(0, 0, 255)) << scale;
    }
    QString error;
    EXPECT_TRUE(pf::Image::fromData("%PDF-1.4 not really", &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}
