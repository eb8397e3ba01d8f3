#include "platform/graphics/PdfContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Gradient.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace pf {
namespace {

// The bytes of a PDF whose pages draw makes; empty when it was not written.
QByteArray pdfInMemory(const std::function<void(PdfContext&)>& draw)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PdfContext pdf(&buffer);
    draw(pdf);
    return pdf.close() ? bytes : QByteArray();
}

// The page of a PDF rendered at 72 dpi (one pixel a point); null when poppler's renderer is missing.
QImage renderedPage(const QByteArray& pdf, int page)
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    QTemporaryDir dir;
    QFile file(dir.filePath("page.pdf"));
    if (pdftoppm.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QProcess process;
    const QString n = QString::number(page);
    process.start(pdftoppm, {"-r", "72", "-png", "-singlefile", "-f", n, "-l", n, file.fileName(), dir.filePath("page")});
    process.waitForFinished(30000);
    return QImage(dir.filePath("page.png"));
}

TEST(PdfContext, PagesHaveTheirOwnMediaBoxes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("two.pdf");
    {
        PdfContext pdf(file);
        GraphicsContext* page = pdf.beginPage(Rect(0, 0, 200, 100));
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(page->drawsToScreen());
        EXPECT_FALSE(page->isFlipped()) << "y up, as a Quartz PDF context";
        EXPECT_EQ(page->convertToDeviceSpace(Point(0, 0)), Point(0, 100 * PdfContext::rasterScale));
        page->setShadow({3, -3}, 4);
        page->fillRect(Rect(10, 10, 50, 50));
        pdf.endPage();
        page = pdf.beginPage(Rect(0, 0, 300, 400));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->gstateDepth(), 0);
        EXPECT_FALSE(page->gstate().shadow.has_value()) << "a new page starts with a fresh state";
        page->strokeRect(Rect(20, 20, 100, 100));
        pdf.endPage();
        EXPECT_EQ(pdf.pageCount(), 2);
        EXPECT_TRUE(pdf.close());
        EXPECT_EQ(pdf.beginPage(Rect(0, 0, 10, 10)), nullptr) << "closed";
    }
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    if (pdfinfo.isEmpty())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed: page sizes not read back";
    QProcess process;
    process.start(pdfinfo, {"-f", "1", "-l", "2", file});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression("Pages:\\s+2\\b"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("Page\\s+1 size:\\s+200 x 100 pts"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("Page\\s+2 size:\\s+300 x 400 pts"))) << out.toStdString();
}

// Clipped drawing stays vector in a PDF: no image is embedded for an even-odd clip-out.
TEST(PdfContext, PathClipsStayVector)
{
    const QByteArray bytes = pdfInMemory([](PdfContext& pdf) {
        GraphicsContext* page = pdf.beginPage(Rect(0, 0, 100, 100));
        ASSERT_NE(page, nullptr);
        Path clipOut = Path::rect(Rect(-32767, -32767, 65535, 65535));
        clipOut.append(Path::oval(Rect(30, 30, 40, 40)));
        page->clip(clipOut, WindingRule::EvenOdd);
        page->fillRect(Rect(0, 0, 100, 100));
    });
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image")) << "rasterised";
}

// A picture is embedded once however often and on however many pages it is drawn, even from separate
// images of the same pixels; a part of it and another picture are pictures of their own.
TEST(PdfContext, EqualPicturesAreEmbeddedOnce)
{
    const auto stripes = [](QRgb second) {
        QImage bitmap(40, 30, QImage::Format_RGB32);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 30; ++y)
                bitmap.setPixel(x, y, x < 20 ? qRgb(200, 30, 30) : second);
        return bitmap;
    };
    const Image one(stripes(qRgb(30, 30, 200)));
    const Image same(stripes(qRgb(30, 30, 200)));
    const Image other(stripes(qRgb(30, 200, 30)));
    ASSERT_NE(one.bitmap(0).cacheKey(), same.bitmap(0).cacheKey());
    const QByteArray bytes = pdfInMemory([&](PdfContext& pdf) {
        GraphicsContext* page = pdf.beginPage(Rect(0, 0, 300, 200));
        ASSERT_NE(page, nullptr);
        page->drawImage(one, Rect(0, 0, 40, 30));
        page->drawImage(same, Rect(50, 0, 40, 30));
        page->drawImage(one, Rect(100, 0, 20, 30), Rect(10, 0, 20, 30));
        page = pdf.beginPage(Rect(0, 0, 300, 200));
        ASSERT_NE(page, nullptr);
        page->drawImage(same, Rect(0, 50, 40, 30));
        page->drawImage(same, Rect(100, 50, 20, 30), Rect(10, 0, 20, 30));
        page->drawImage(other, Rect(150, 50, 40, 30));
    });
    EXPECT_EQ(bytes.count("/Subtype /Image"), 3);
    // Each drawn where and as it was asked (y up: the pictures are the last rows).
    const QImage second = renderedPage(bytes, 2);
    if (second.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const QColor red(200, 30, 30), blue(30, 30, 200), green(30, 200, 30);
    const auto near = [&](int x, const QColor& c) {
        const QColor p = second.pixelColor(x, 135);
        return std::abs(p.red() - c.red()) <= 2 && std::abs(p.green() - c.green()) <= 2 && std::abs(p.blue() - c.blue()) <= 2;
    };
    EXPECT_TRUE(near(10, red) && near(30, blue));
    EXPECT_TRUE(near(105, red) && near(115, blue)) << "the part: 10 points of each colour";
    EXPECT_TRUE(near(160, red) && near(180, green));
}

// The page keeps the clip it was given while it stays the same: a change of clip, a clip taken away and
// the same clip again after another all still clip what follows.
TEST(PdfContext, ClipsFollowTheStateThroughRepeatsAndChanges)
{
    const QByteArray bytes = pdfInMemory([](PdfContext& pdf) {
        GraphicsContext* page = pdf.beginPage(Rect(0, 0, 100, 100));
        ASSERT_NE(page, nullptr);
        const auto fillClipped = [&](const std::optional<Rect>& clip, const Color& colour) {
            page->saveGState();
            if (clip)
                page->clipToRect(*clip);
            page->setFillColor(colour);
            page->fillRect(Rect(0, 0, 100, 100));
            page->restoreGState();
        };
        const Rect left(0, 0, 50, 100), bottom(0, 0, 100, 20), corner(80, 80, 20, 20);
        fillClipped(left, Color(1, 0, 0, 1));
        fillClipped(left, Color(1, 0, 0, 1));
        fillClipped(bottom, Color(0, 0, 1, 1));
        fillClipped(left, Color(0, 1, 0, 1));
        fillClipped(std::nullopt, Color(1, 1, 1, 0));
        fillClipped(corner, Color(0, 0, 0, 1));
    });
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    const QImage pixels = renderedPage(bytes, 1);
    if (pixels.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    ASSERT_EQ(pixels.size(), QSize(100, 100));
    // y up on the page: the bottom strip is the last rows of the picture.
    EXPECT_EQ(pixels.pixelColor(10, 10), QColor(0, 255, 0)) << "left, clipped again after the strip";
    EXPECT_EQ(pixels.pixelColor(10, 95), QColor(0, 255, 0)) << "the left painted over the strip";
    EXPECT_EQ(pixels.pixelColor(75, 95), QColor(0, 0, 255));
    EXPECT_EQ(pixels.pixelColor(75, 50), QColor(255, 255, 255)) << "nothing outside the clips";
    EXPECT_EQ(pixels.pixelColor(95, 5), QColor(0, 0, 0)) << "the corner, after no clip at all";
    EXPECT_EQ(pixels.pixelColor(75, 5), QColor(255, 255, 255));
}

TEST(PdfContext, NothingDrawnWithoutAPage)
{
    QTemporaryDir dir;
    PdfContext pdf(dir.filePath("empty.pdf"));
    EXPECT_EQ(pdf.beginPage(Rect(0, 0, 0, 10)), nullptr);
    EXPECT_FALSE(pdf.close());
}

// A PDF picture drawn on a PDF page stays vectors (the file holds no image), in its place and the right
// way up; under a shadow it is drawn as pixels, as every shadowed drawing is.
TEST(PdfContext, PdfPicturesStayVectorsUnlessAShadowNeedsPixels)
{
    const QString pdfimages = QStandardPaths::findExecutable("pdfimages");
    if (pdfimages.isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QFile source(QStringLiteral(QUORVEL_TEST_DATA "/images/red-blue-cairo.pdf"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const Image picture = Image::fromData(source.readAll());
    ASSERT_TRUE(picture.isValid());
    for (const bool shadow : {false, true}) {
        SCOPED_TRACE(shadow ? "shadow" : "plain");
        const QByteArray bytes = pdfInMemory([&](PdfContext& pdf) {
            GraphicsContext* page = pdf.beginPage(Rect(0, 0, 200, 100));
            ASSERT_NE(page, nullptr);
            // y down, as pages draw.
            page->translate(0, 100);
            page->scale(1, -1);
            if (shadow)
                page->setShadow({2, -2}, 0);
            page->drawImage(picture, Rect(20, 10, 120, 60));
        });
        ASSERT_FALSE(bytes.isEmpty());
        QTemporaryDir dir;
        QFile file(dir.filePath("picture.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QProcess list;
        list.start(pdfimages, {"-list", file.fileName()});
        ASSERT_TRUE(list.waitForFinished(30000));
        const QStringList lines = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        // Two heading lines, then one line per image.
        EXPECT_EQ(lines.size() > 2, shadow) << qPrintable(lines.join('\n'));

        const QImage out = renderedPage(bytes, 1);
        ASSERT_FALSE(out.isNull());
        const auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
                   std::abs(a.blue() - b.blue()) <= 3;
        };
        EXPECT_TRUE(near(out.pixelColor(40, 40), Qt::red));      // left half red
        EXPECT_TRUE(near(out.pixelColor(120, 60), Qt::blue));    // lower right quarter blue
        EXPECT_TRUE(near(out.pixelColor(120, 20), Qt::white));   // upper right quarter empty
        EXPECT_TRUE(near(out.pixelColor(10, 5), Qt::white));
    }
}

// A page box no page can have (stored pages may be any size, scaled by any resolution) begins no page,
// and the pages around it are written as usual.
TEST(PdfContext, PageBoxesOutOfReachBeginNoPage)
{
    const double nan = std::nan("");
    const QByteArray bytes = pdfInMemory([&](PdfContext& pdf) {
        for (const Rect& box : {Rect(0, 0, 1e308, 100), Rect(0, 0, 100, 1e9), Rect(-1e308, 0, 100, 100),
                                Rect(0, 0, nan, 100), Rect(0, 0, HUGE_VAL, 100), Rect(0, 0, 1e-300, 1e-300),
                                Rect(0, 0, 0, 100)})
            EXPECT_EQ(pdf.beginPage(box), nullptr) << box.width() << " × " << box.height() << " at " << box.x();
        GraphicsContext* page = pdf.beginPage(Rect(0, 0, 100, 50));
        ASSERT_NE(page, nullptr);
        page->setFillColor(Color(1, 0, 0, 1));
        page->fillRect(Rect(0, 0, 100, 50));
        EXPECT_EQ(pdf.beginPage(Rect(0, 0, 2e7, 10)), nullptr);
        EXPECT_NE(pdf.beginPage(Rect(0, 0, 1e6, 10)), nullptr) << "a page far larger than paper";
        EXPECT_EQ(pdf.pageCount(), 2);
    });
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    const QImage first = renderedPage(bytes, 1);
    if (first.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    EXPECT_EQ(first.size(), QSize(100, 50));
    EXPECT_EQ(first.pixelColor(50, 25), QColor(255, 0, 0));
}

// A gradient whose axis or circles lie billions of points away (stored data may hold any frame) paints
// the part of it in sight, and the page's other drawing stays: the writer cannot write such numbers, and
// one it garbles blanks the whole page.
TEST(PdfContext, FarGradientsLeaveThePageDrawn)
{
    const Gradient blackToWhite(Color(0, 0, 0, 1), Color(1, 1, 1, 1));
    for (const double far : {1e10, 1e15, 1e300}) {
        const QByteArray bytes = pdfInMemory([&](PdfContext& pdf) {
            GraphicsContext* page = pdf.beginPage(Rect(0, 0, 100, 100));
            ASSERT_NE(page, nullptr);
            // Across the page, a ramp of the visible part of a far axis: grey where the page lies.
            page->saveGState();
            page->clipToRect(Rect(0, 50, 100, 50));
            page->drawLinearGradient(blackToWhite, Point(-far, 0), Point(far, 0), DrawsBeforeStart | DrawsAfterEnd);
            page->restoreGState();
            page->saveGState();
            page->clipToRect(Rect(0, 0, 50, 50));
            page->drawRadialGradient(blackToWhite, Point(-far, 0), 0, Point(-far, 0), 2 * far,
                                     DrawsBeforeStart | DrawsAfterEnd);
            page->restoreGState();
            page->setFillColor(Color(1, 0, 0, 1));
            page->fillRect(Rect(60, 10, 30, 30));
        });
        ASSERT_TRUE(bytes.startsWith("%PDF"));
        const QImage pixels = renderedPage(bytes, 1);
        if (pixels.isNull())
            GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
        ASSERT_EQ(pixels.size(), QSize(100, 100)) << far;
        EXPECT_EQ(pixels.pixelColor(75, 75), QColor(255, 0, 0)) << far;
        // The middle of the axis: half way from black to white.
        const QColor middle = pixels.pixelColor(50, 25);
        EXPECT_NEAR(middle.red(), 128, 4) << far;
        EXPECT_EQ(middle.red(), middle.blue()) << far;
        // The radial's circle through the page: half way too, from its centre at 0 out to 2 × far.
        const QColor circle = pixels.pixelColor(25, 75);
        EXPECT_NEAR(circle.red(), 128, 4) << far;
    }
}

} // namespace
} // namespace pf
