// Printing: the layout of pages on the paper, and whole documents printed through QPrinter into PDF
// files that poppler reads back, with the print panel scripted.
#include "app/AppWindowController.h"
#include "app/CompositionPrintView.h"
#include "app/Document.h"
#include "app/DocumentFixture.h"
#include "app/PdfTools.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"

#include <QAction>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::shared_ptr<Composition> pageOf(double width, double height, double resolution = 72)
{
    auto page = std::make_shared<Composition>();
    auto metrics = std::make_shared<Metrics>(Metrics::builtInDefaultMetrics());
    metrics->setResolution(resolution);
    metrics->setWidth(width);
    metrics->setHeight(height);
    page->setMetrics(metrics);
    return page;
}

TEST(CompositionPrintViewTest, EachPageIsScaledToItsResolutionAndToThePaper)
{
    const pf::Size letter(612, 792);
    struct Case {
        double width, height, resolution;
        double scale;
    };
    const Case cases[] = {
        {400, 300, 72, 1},              // fits: as it is
        {1000, 500, 72, 0.612},         // wider than the paper
        {400, 300, 144, 0.5},           // twice the base resolution
        {700, 800, 72, 612.0 / 700},    // too wide and too tall: the tighter side decides, nothing is cut
        {300, 1000, 72, 0.792},         // taller than the paper
        {612, 792, 72, 1},              // exactly the paper
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.resolution);
        CompositionPrintView view;
        view.setCompositions({pageOf(c.width, c.height, c.resolution)});
        view.prepareWithPaperSize(letter);
        ASSERT_EQ(view.zoomScales().size(), 1u);
        const double scale = view.zoomScales()[0];
        EXPECT_NEAR(scale, c.scale, 1e-9 * c.scale);
        const pf::Rect rect = view.rectForPage(1);
        EXPECT_LE(rect.width(), letter.width * (1 + 1e-9));
        EXPECT_LE(rect.height(), letter.height * (1 + 1e-9));
        EXPECT_NEAR(rect.y(), (letter.height - c.height * scale) / 2, 1e-9 * letter.height);
        // The sheet puts the page's middle on the paper's middle.
        const pf::Point origin = view.locationOfPrintRect(rect);
        EXPECT_NEAR(origin.x + rect.midX(), letter.width / 2, 1e-9 * letter.width);
        EXPECT_NEAR(origin.y + rect.midY(), letter.height / 2, 1e-9 * letter.height);
    }
    CompositionPrintView view;
    view.setCompositions({pageOf(400, 300)});
    view.prepareWithPaperSize(letter);
    EXPECT_EQ(view.rectForPage(1), pf::Rect(0, 246, 400, 300));
}

TEST(CompositionPrintViewTest, PagesLieSideBySideWithOneSheetEach)
{
    CompositionPrintView view;
    view.setCompositions({pageOf(400, 300), pageOf(1000, 500), pageOf(200, 600)});
    view.prepareWithPaperSize(pf::Size(612, 792));
    std::size_t first = 0, length = 0;
    EXPECT_TRUE(view.knowsPageRange(first, length));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(view.rectForPage(2).x(), view.rectForPage(1).width());
    EXPECT_NEAR(view.rectForPage(3).x(), 400 + 612, 1e-9 * 1000);
    EXPECT_NEAR(view.frame().width(), 400 + 612 + 200, 1e-9 * 1000);
    EXPECT_EQ(view.frame().height(), 600 + 1000);
    for (const std::size_t outside : {std::size_t(0), std::size_t(4), std::size_t(99)})
        EXPECT_EQ(view.rectForPage(outside), pf::Rect()) << outside;

    CompositionPrintView empty;
    empty.prepareWithPaperSize(pf::Size(612, 792));
    EXPECT_EQ(empty.numberOfPrintedPages(), 0u);
    EXPECT_EQ(empty.frame().height(), 1000);
}

TEST(PrintSettingsTest, TheArchiveKeepsPaperOrientationAndCopiesAndRefusesAnythingElse)
{
    PrintSettings settings;
    settings.pageSize = QPageSize(QPageSize::A4);
    settings.orientation = QPageLayout::Landscape;
    settings.copies = 3;
    const auto back = PrintSettings::fromArchive(settings.archived());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pageSize.id(), QPageSize::A4);
    EXPECT_EQ(back->orientation, QPageLayout::Landscape);
    EXPECT_EQ(back->copies, 3);
    EXPECT_NEAR(back->paperSize().width, 842, 1);
    for (const QByteArray& junk : {QByteArray(), QByteArray("not settings"), settings.archived().left(9)})
        EXPECT_FALSE(PrintSettings::fromArchive(junk));
}

class PrintTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        std::tie(document, window) = newDocumentWindow();
        ASSERT_TRUE(window);
    }

    // Gives the window three pages: 400 × 300 red, 1000 × 500 green, 200 × 600 blue (each its fill).
    void makeThreePages()
    {
        window->addTabModelAtIndex(1);
        window->addTabModelAtIndex(2);
        const struct {
            double w, h;
            pf::Color fill;
        } pages[] = {{400, 300, {1, 0, 0, 1}}, {1000, 500, {0, 1, 0, 1}}, {200, 600, {0, 0, 1, 1}}};
        for (std::size_t i = 0; i < 3; ++i) {
            auto page = std::dynamic_pointer_cast<Composition>(window->tabModels()[i]->representedObject());
            auto metrics = std::make_shared<Metrics>(Metrics::builtInDefaultMetrics());
            metrics->setResolution(72);
            metrics->setWidth(pages[i].w);
            metrics->setHeight(pages[i].h);
            page->setMetrics(metrics);
            page->setFillColor(pages[i].fill);
        }
        window->windowUndoManager()->removeAllActions();
    }

    // A print panel that prints into a PDF file (and may change the paper), or cancels.
    ScopedPrintPanelSinks printingTo(const QString& pdf, bool accept, std::optional<QPageLayout::Orientation> turn = {})
    {
        PrintPanelSinks sinks = pf::sinkOf<PrintPanelSinks>();
        sinks.print = [this, pdf, accept, turn](QPrinter& printer, QWidget*) {
            offered.push_back(PrintSettings::of(printer));
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (turn)
                printer.setPageOrientation(*turn);
            return accept;
        };
        return ScopedPrintPanelSinks(sinks);
    }

    Document* document = nullptr;
    AppWindowController* window = nullptr;
    std::vector<PrintSettings> offered;
};

// The box of the pixels that are not white, in a rendered sheet.
QRect inkBox(const QImage& sheet)
{
    QRect box;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (sheet.pixelColor(x, y) != QColor(Qt::white))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(PrintTest, EveryPagePrintsOnItsOwnSheetCentredAndWhole)
{
    if (!pdftools::available())
        GTEST_SKIP() << "poppler-utils are not installed";
    makeThreePages();
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    auto panel = printingTo(pdf, true);
    window->menuAction(QStringLiteral("print"))->trigger();

    const auto sizes = pdftools::pageSizes(pdf);
    ASSERT_EQ(sizes.size(), 3u);
    const struct {
        QSizeF printed;
        QColor colour;
    } expected[] = {{{400, 300}, Qt::red}, {{612, 306}, Qt::green}, {{200, 600}, Qt::blue}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(sizes[std::size_t(i)], QSizeF(612, 792));
        const QImage sheet =
            pdftools::renderedPage(pdf, i + 1, dir.filePath(QStringLiteral("sheet%1").arg(i + 1))).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(sheet.isNull());
        const QRect box = inkBox(sheet);
        // Whole, centred, and only this page's colour on its sheet.
        EXPECT_NEAR(box.width(), expected[i].printed.width(), 2);
        EXPECT_NEAR(box.height(), expected[i].printed.height(), 2);
        EXPECT_NEAR(box.center().x() + 0.5, 306, 1.5);
        EXPECT_NEAR(box.center().y() + 0.5, 396, 1.5);
        EXPECT_EQ(sheet.pixelColor(box.center()), expected[i].colour);
        for (const QPoint corner : {box.topLeft(), box.bottomRight()})
            EXPECT_EQ(sheet.pixelColor(corner + (corner == box.topLeft() ? QPoint(1, 1) : QPoint(-1, -1))),
                      expected[i].colour);
    }
    // Printing is no edit, and the page is left as it was.
    EXPECT_FALSE(window->windowUndoManager()->canUndo());
    EXPECT_FALSE(document->isDocumentEdited());
    auto first = std::dynamic_pointer_cast<Composition>(window->tabModels()[0]->representedObject());
    EXPECT_EQ(first->overrideZoomScale(), 0);
    EXPECT_FALSE(first->isExporting());
}

TEST_F(PrintTest, AcceptedSettingsAreKeptForTheNextPrintAndACancelKeepsNothing)
{
    makeThreePages();
    UserDefaults::instance().setPageLayoutPageOrientation(0);
    {
        auto panel = printingTo(dir.filePath(QStringLiteral("cancelled.pdf")), false, QPageLayout::Landscape);
        document->printDocument();
    }
    EXPECT_TRUE(document->printInfoData.isEmpty());
    EXPECT_TRUE(document->printView());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("cancelled.pdf"))));

    const QString pdf = dir.filePath(QStringLiteral("landscape.pdf"));
    {
        auto panel = printingTo(pdf, true, QPageLayout::Landscape);
        document->printDocument();
    }
    ASSERT_FALSE(document->printInfoData.isEmpty());
    EXPECT_FALSE(document->printView());
    EXPECT_EQ(PrintSettings::fromArchive(document->printInfoData)->orientation, QPageLayout::Landscape);
    if (pdftools::available()) {
        EXPECT_EQ(pdftools::pageSizes(pdf).front(), QSizeF(792, 612));
    }

    {
        auto panel = printingTo(dir.filePath(QStringLiteral("again.pdf")), true);
        document->printDocument();
    }
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0].orientation, QPageLayout::Portrait);
    EXPECT_EQ(offered[2].orientation, QPageLayout::Landscape);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(PrintTest, PageSetupStoresTheOrientationNewSettingsStartFrom)
{
    UserDefaults::instance().setPageLayoutPageOrientation(0);
    EXPECT_EQ(document->printInfo().orientation, QPageLayout::Portrait);
    PrintPanelSinks sinks = pf::sinkOf<PrintPanelSinks>();
    bool accept = false;
    sinks.pageSetup = [&accept](QPrinter& printer, QWidget*) {
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return accept;
    };
    const ScopedPrintPanelSinks scoped(sinks);
    window->menuAction(QStringLiteral("pageSetup"))->trigger();
    EXPECT_EQ(UserDefaults::instance().pageLayoutPageOrientation(), 0);

    accept = true;
    document->runPageLayout();
    EXPECT_EQ(UserDefaults::instance().pageLayoutPageOrientation(), 1);
    const PrintSettings settings = document->printInfo();
    EXPECT_EQ(settings.orientation, QPageLayout::Landscape);
    EXPECT_EQ(settings.pageSize.id(), QPageSize::A4);
    // The stored orientation wins over the document's on every call.
    UserDefaults::instance().setPageLayoutPageOrientation(0);
    EXPECT_EQ(document->printInfo().orientation, QPageLayout::Portrait);
}

} // namespace
