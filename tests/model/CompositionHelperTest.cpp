// Pages rebuilt from a document's stored data and drawn into a multi-page PDF, as the preview does.
#include "CompositionTestSupport.h"

#include "model/CompositionHelper.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/PdfContext.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Two pages as another writer might store them: one with a shadowed box, one of 300 × 200.
QByteArray twoPages(const char* version)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>)";
    if (version)
        xml += QByteArray("<key>version</key><integer>") + version + "</integer>";
    xml += R"(<key>compositions</key><array>
  <dict><key>className</key><string>Composition</string><key>metrics</key><dict><key>width</key><real>200</real><key>height</key><real>100</real></dict>
    <key>children</key><array>
      <dict><key>className</key><string>Rectangle</string><key>frame</key><string>{{10, 10}, {50, 20}}</string>
        <key>fillShadowOffsetY</key><real>3</real><key>opacity</key><real>1</real></dict>
      <dict><key>className</key><string>NoSuchKind</string><key>frame</key><string>{{0, 0}, {5, 5}}</string></dict>
    </array></dict>
  <string>not a page</string>
  <dict><key>className</key><string>Composition</string><key>metrics</key><dict><key>width</key><real>300</real><key>height</key><real>200</real></dict></dict>
</array></dict></plist>)";
    return xml;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class CompositionHelperTest : public CompositionTest {};

TEST_F(CompositionHelperTest, ReadsPagesUnderTheStoredVersion)
{
    for (const auto& [version, offsetY] : {std::pair<const char*, double>{"6", -3}, {"8", 3}, {nullptr, 3}}) {
        QString error;
        const auto pages = CompositionHelper::compositionsFromData(twoPages(version), &error);
        ASSERT_EQ(pages.size(), 2u) << "the entry that is not a dictionary is skipped";
        EXPECT_TRUE(error.isEmpty());
        ASSERT_EQ(pages[0]->children().size(), 1u) << "the unknown kind is skipped";
        EXPECT_EQ(pages[0]->children()[0]->fillShadowOffsetY(), offsetY) << (version ? version : "none");
        EXPECT_EQ(pages[1]->frame(), pf::Rect(0, 0, 300, 200));
        EXPECT_FALSE(pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey)));
    }
}

TEST_F(CompositionHelperTest, RefusesDataThatIsNoDocument)
{
    const struct {
        const char* xml;
        bool error;
    } cases[] = {
        {"<plist><dict><key>version</key><integer>6</integer><key>compositions</key>", true},
        {"<plist><array/></plist>", true},
        {"<plist><dict><key>compositions</key><string>x</string></dict></plist>", true},
        {"<plist><dict><key>version</key><integer>8</integer></dict></plist>", false},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_TRUE(CompositionHelper::compositionsFromData(c.xml, &error).empty()) << c.xml;
        EXPECT_EQ(!error.isEmpty(), c.error) << c.xml;
        EXPECT_FALSE(pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey)));
    }
}

// Each page one PDF page its size in points, filled white or left clear; the page is as it was afterwards.
TEST_F(CompositionHelperTest, DrawsEachPageOnItsOwnPdfPage)
{
    auto sharp = pageOfSize(400, 300);
    auto metrics = std::make_shared<Metrics>(*sharp->metrics());
    metrics->setResolution(144);
    sharp->setMetrics(metrics);
    page->setFillColor(pf::Color(0, 1, 0, 1));
    ASSERT_EQ(page->fillColor(), pf::OptionalColor(pf::Color(0, 1, 0, 1)));
    page->setZoomScaleIndex(3);
    auto b = Shape::make<Rectangle>(pf::Rect(100, 100, 50, 50));
    b->setFillColor(pf::Color(1, 0, 0, 1));
    b->setOpacity(1);
    b->setFillType(0);
    page->addShape(b);
    owner.undo.removeAllActions();

    QTemporaryDir dir;
    for (const bool alpha : {false, true}) {
        const QString file = dir.filePath(alpha ? QStringLiteral("clear.pdf") : QStringLiteral("white.pdf"));
        {
            pf::PdfContext pdf(file);
            CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext({page, sharp}, pdf, 1.0, alpha);
            ASSERT_TRUE(pdf.close());
        }
        EXPECT_EQ(page->fillColor(), pf::OptionalColor(pf::Color(0, 1, 0, 1)));
        EXPECT_EQ(page->zoomScaleIndex(), 3);
        EXPECT_FALSE(page->isExporting());
        EXPECT_EQ(page->overrideZoomScale(), 0.0);
        EXPECT_FALSE(owner.undo.canUndo()) << "drawing registers nothing";

        const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("2"), file});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+1 size:\\s+600 x 400 pts")))) << qPrintable(info);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+2 size:\\s+200 x 150 pts")))) << "a 144 dpi page at its size in points";

        const QString png = dir.filePath(QStringLiteral("p"));
        run(QStringLiteral("pdftocairo"), {QStringLiteral("-png"), QStringLiteral("-transp"), QStringLiteral("-singlefile"), QStringLiteral("-r"), QStringLiteral("72"), file, png});
        const QImage image(png + QStringLiteral(".png"));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixelColor(125, 125), QColor(255, 0, 0)) << "y down, as on the page";
        EXPECT_EQ(image.pixelColor(10, 390).alpha(), alpha ? 0 : 255);
        if (!alpha)
            EXPECT_EQ(image.pixelColor(10, 390), QColor(255, 255, 255));
    }
}
