// Pages rebuilt from a document's page data (with its stored version published while they are read) and
// drawn into a multi-page PDF, read back with the poppler tools.
#include "CompositionTestSupport.h"

#include "model/CompositionHelper.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/PdfContext.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QByteArray fixture()
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/composition/composition_data.plist"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool versionPublished() { return pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey)); }

// The output of a poppler tool; empty when it is not installed or fails.
QString run(const QString& tool, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(tool).isEmpty())
        return {};
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

TEST_F(CompositionTest, ReadsPagesWithTheStoredVersion)
{
    QString error;
    const auto pages = CompositionHelper::compositionsFromData(fixture(), &error);
    ASSERT_TRUE(pages) << error.toStdString();
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ((*pages)[0]->title(), "First");
    EXPECT_EQ((*pages)[1]->frame(), pf::Rect(0, 0, 400, 200));
    EXPECT_EQ((*pages)[0]->compositionDelegate(), nullptr);
    ASSERT_EQ((*pages)[0]->children().size(), 1u);
    // Version 6 stored shadows with y up.
    EXPECT_EQ((*pages)[0]->children()[0]->fillShadowOffsetY(), -3);
    EXPECT_FALSE(versionPublished());

    // Without a version the data is current.
    QByteArray current = fixture();
    current.replace("<key>version</key>", "<key>unversioned</key>");
    const auto now = CompositionHelper::compositionsFromData(current);
    ASSERT_TRUE(now);
    EXPECT_EQ((*now)[0]->children()[0]->fillShadowOffsetY(), 3);
    EXPECT_FALSE(versionPublished());
}

TEST_F(CompositionTest, RefusesPageDataOfTheWrongShape)
{
    const auto plist = [](const char* body) {
        return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">") + body + "</plist>";
    };
    struct Case {
        QByteArray data;
        bool ok;
        std::size_t pages;
    };
    const Case cases[] = {
        {"not a property list", false, 0},
        {plist("<array><dict/></array>"), false, 0},
        {plist("<dict><key>compositions</key><string>pages</string><key>version</key><integer>6</integer></dict>"), false, 0},
        {plist("<dict><key>version</key><integer>6</integer></dict>"), true, 0},
        {plist("<dict><key>compositions</key><array><string>x</string><integer>1</integer>"
               "<dict><key>className</key><string>Rectangle</string></dict>"
               "<dict><key>className</key><string>Composition</string></dict></array></dict>"),
         true, 1},
    };
    for (const Case& c : cases) {
        QString error;
        const auto pages = CompositionHelper::compositionsFromData(c.data, &error);
        EXPECT_EQ(pages.has_value(), c.ok) << c.data.toStdString();
        EXPECT_EQ(error.isEmpty(), c.ok) << c.data.toStdString();
        if (pages) {
            EXPECT_EQ(pages->size(), c.pages) << c.data.toStdString();
        }
        EXPECT_FALSE(versionPublished());
    }
}

TEST_F(CompositionTest, DrawsOnePdfPageForEachPage)
{
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() || QStandardPaths::findExecutable("pdftocairo").isEmpty())
        GTEST_SKIP() << "the poppler tools are not installed";
    const auto pages = CompositionHelper::compositionsFromData(fixture());
    ASSERT_TRUE(pages);
    (*pages)[0]->setFillColor(pf::Color{0, 1, 0, 1});
    (*pages)[0]->setZoomScaleIndex(2);
    QTemporaryDir dir;
    for (bool alpha : {false, true}) {
        const QString file = dir.filePath(alpha ? "alpha.pdf" : "white.pdf");
        {
            pf::PdfContext pdf(file);
            CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext(*pages, pdf, 1.0, alpha);
            ASSERT_TRUE(pdf.close());
        }
        const QString info = run("pdfinfo", {"-f", "1", "-l", "2", file});
        EXPECT_TRUE(info.contains(QRegularExpression("Pages: +2\\n"))) << info.toStdString();
        // The 144 dpi page is drawn at its size in points: half its frame.
        EXPECT_TRUE(info.contains(QRegularExpression("Page +1 size: +200 x 100 pts"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Page +2 size: +200 x 100 pts"))) << info.toStdString();

        const QString png = dir.filePath(alpha ? "alpha" : "white");
        run("pdftocairo", {"-png", "-transp", "-r", "72", "-f", "1", "-l", "1", "-singlefile", file, png});
        const QImage image(png + ".png");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixelColor(5, 5).alpha(), alpha ? 0 : 255);
        if (!alpha) {
            EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255));
        }
        EXPECT_EQ(image.pixelColor(100, 20), QColor(0, 0, 255)); // the rectangle, y down
        EXPECT_EQ(image.pixelColor(100, 75).alpha(), alpha ? 0 : 255);
    }
    // The pages' own settings are back.
    EXPECT_EQ((*pages)[0]->fillColor(), pf::OptionalColor(pf::Color{0, 1, 0, 1}));
    EXPECT_EQ((*pages)[0]->zoomScaleIndex(), 2);
    EXPECT_EQ((*pages)[0]->overrideZoomScale(), 0);
    EXPECT_FALSE((*pages)[0]->isExporting());
}
