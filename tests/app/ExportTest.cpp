// Export through the scripted panel, read back as other programs read the files: bitmaps by Qt's
// readers, PDF by poppler's tools. The fixture page has a clear fill and a red and a blue square near
// opposite corners, so sizes, backgrounds and orientation all show.
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentFixture.h"
#include "app/ExportPanel.h"
#include "app/PdfTools.h"
#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/FilterSpec.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/docs/Document.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Services.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ExportTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        std::tie(document, window) = newDocumentWindow();
        ASSERT_TRUE(window);
        page = window->selectedComposition();
        ASSERT_TRUE(page);
        sizePage(*page, 401, 201);
        page->setFillColor(pf::Color{0, 0, 0, 0});
        red = addSquare(*page, pf::Rect(10, 10, 40, 40), pf::Color{1, 0, 0, 1});
        blue = addSquare(*page, pf::Rect(341, 151, 40, 40), pf::Color{0, 0, 1, 1});
        window->canvasView()->selectNone();
        window->windowUndoManager()->removeAllActions();
    }

    static void sizePage(Composition& composition, double width, double height, double resolution = 72)
    {
        auto metrics = std::make_shared<Metrics>(Metrics::builtInDefaultMetrics());
        metrics->setResolution(resolution);
        metrics->setWidth(width);
        metrics->setHeight(height);
        composition.setMetrics(metrics);
    }

    static std::shared_ptr<Shape> addSquare(Composition& composition, const pf::Rect& frame, const pf::Color& color)
    {
        auto square = Shape::make<Rectangle>(frame);
        square->setFillColor(color);
        square->setStrokeColor(std::nullopt);
        composition.addShape(square);
        return square;
    }

    // A panel that picks the format and zoom in the accessory as a user would, and answers the file.
    struct Choices {
        std::int64_t type = Document::ExportPNG;
        std::int64_t zoomIndex = 0;
        bool alpha = false;
        bool allPages = false;
    };
    ScopedExportPanelSink choosing(const Choices& choices, const std::optional<QString>& answer)
    {
        return ScopedExportPanelSink([this, choices, answer](ExportPanel& panel, QWidget*) -> std::optional<QString> {
            shown.push_back({panel.title, panel.prompt, panel.nameFieldLabel, panel.nameFieldStringValue,
                             panel.allowedFileType()});
            auto* accessory = static_cast<ExportAccessory*>(panel.accessoryView.data());
            EXPECT_TRUE(accessory);
            if (!accessory)
                return answer;
            const auto pick = [](QComboBox* box, std::int64_t code) {
                const int row = box->findData(QVariant::fromValue<qlonglong>(code));
                if (row < 0)
                    return false;
                box->setCurrentIndex(row);
                emit box->activated(row);
                return true;
            };
            EXPECT_TRUE(pick(accessory->formatPopUp(), choices.type)) << "format " << choices.type;
            EXPECT_TRUE(pick(accessory->zoomPopUp(), choices.zoomIndex));
            accessory->transparencyCheckBox()->setChecked(choices.alpha);
            accessory->allPagesCheckBox()->setChecked(choices.allPages);
            typeAfterChoice = panel.allowedFileType();
            sizeLabel = accessory->scaledSizeLabelText();
            return answer;
        });
    }

    struct Shown {
        QString title, prompt, label, name, type;
    };

    // The state the page must be left in by any export.
    void expectPageAsBefore(const Canvas::Shapes& selection)
    {
        EXPECT_FALSE(page->isExporting());
        EXPECT_EQ(page->overrideZoomScale(), 0);
        EXPECT_EQ(page->fillColor(), pf::OptionalColor(pf::Color{0, 0, 0, 0}));
        EXPECT_EQ(window->canvasView()->selectedShapes(), selection);
        EXPECT_FALSE(window->windowUndoManager()->canUndo());
        EXPECT_TRUE(window->windowUndoManager()->isUndoRegistrationEnabled());
        EXPECT_FALSE(pf::suddenTermination::isDisabled());
    }

    Document* document = nullptr;
    AppWindowController* window = nullptr;
    std::shared_ptr<Composition> page;
    std::shared_ptr<Shape> red, blue;
    std::vector<Shown> shown;
    QString typeAfterChoice, sizeLabel;
};

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

TEST_F(ExportTest, EachBitmapFormatDecodesAtTheZoomedSizeOnItsBackground)
{
    struct Case {
        std::int64_t type;
        bool alpha;
        const char* extension;
        const char* readerFormat;
        bool keepsAlpha;
        int tolerance;  // JPEG is lossy
    };
    const Case cases[] = {
        {Document::ExportPNG, true, "png", "png", true, 0},    {Document::ExportPNG, false, "png", "png", false, 0},
        {Document::ExportTIFF, true, "tiff", "tiff", true, 0}, {Document::ExportTIFF, false, "tiff", "tiff", false, 0},
        {Document::ExportJPEG, true, "jpg", "jpeg", false, 24}, {Document::ExportJPEG, false, "jpg", "jpeg", false, 24},
        {Document::ExportGIF, true, "gif", "gif", true, 0},    {Document::ExportGIF, false, "gif", "gif", false, 0},
    };
    for (const std::int64_t zoomIndex : {std::int64_t(-1), std::int64_t(2)}) {
        const double zoom = Composition::zoomScaleForIndex(zoomIndex);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.extension << " alpha " << c.alpha << " zoom " << zoom);
            const QString chosen = dir.filePath(QStringLiteral("out-%1-%2").arg(c.alpha).arg(zoomIndex));
            {
                auto panel = choosing({c.type, zoomIndex, c.alpha, false}, chosen);
                document->exportDocument();
            }
            EXPECT_EQ(typeAfterChoice, QString::fromLatin1(c.extension));
            const QString path = chosen + u'.' + QString::fromLatin1(c.extension);
            QImageReader reader(path);
            EXPECT_EQ(reader.format(), QByteArray(c.readerFormat));
            const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
            ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
            const QSize expected(int(std::ceil(401 * zoom)), int(std::ceil(201 * zoom)));
            EXPECT_EQ(image.size(), expected);
            // TIFF is written uncompressed: four bytes a pixel at least.
            if (c.type == Document::ExportTIFF) {
                EXPECT_GE(QFileInfo(path).size(), qint64(expected.width()) * expected.height() * 4);
            }
            EXPECT_EQ(sizeLabel, QStringLiteral("(%1 x %2 px)").arg(expected.width()).arg(expected.height()));
            const QColor corner = image.pixelColor(1, 1);
            if (c.keepsAlpha) {
                EXPECT_EQ(corner.alpha(), 0);
            } else {
                EXPECT_TRUE(near(corner, Qt::white, c.tolerance)) << corner.name(QColor::HexArgb).toStdString();
            }
            // Each square where the zoom puts it: the red one top left, the blue one bottom right.
            EXPECT_TRUE(near(image.pixelColor(int(30 * zoom), int(30 * zoom)), Qt::red, c.tolerance));
            EXPECT_TRUE(near(image.pixelColor(int(361 * zoom), int(171 * zoom)), Qt::blue, c.tolerance));
            expectPageAsBefore({});
            QFile::remove(path);
        }
    }
    EXPECT_EQ(UserDefaults::instance().exportZoomScaleIndex(), 2);
}

TEST_F(ExportTest, PdfHoldsTheShownPageOrEveryPageEachWithItsOwnMediaBox)
{
    if (!pdftools::available())
        GTEST_SKIP() << "poppler-utils are not installed";
    // A second, taller page with a green square.
    window->addTabModelAtIndex(1);
    auto second = std::dynamic_pointer_cast<Composition>(window->tabModels()[1]->representedObject());
    ASSERT_TRUE(second);
    sizePage(*second, 300, 500);
    addSquare(*second, pf::Rect(100, 400, 50, 50), pf::Color{0, 1, 0, 1});
    window->selectTabAtIndex(0);
    window->windowUndoManager()->removeAllActions();

    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "all pages" : "shown page");
        const QString pdf = dir.filePath(all ? QStringLiteral("all.pdf") : QStringLiteral("shown.PDF"));
        {
            auto panel = choosing({Document::ExportPDF, 2, false, all}, pdf);
            document->exportDocument();
        }
        ASSERT_TRUE(QFileInfo::exists(pdf));
        const auto sizes = pdftools::pageSizes(pdf);
        ASSERT_EQ(sizes.size(), all ? 2u : 1u);
        EXPECT_EQ(sizes[0], QSizeF(802, 402));
        if (all) {
            EXPECT_EQ(sizes[1], QSizeF(600, 1000));
        }
        // On white (no transparency asked), the squares where the zoom puts them, y down.
        const QImage first = pdftools::renderedPage(pdf, 1, dir.filePath(QStringLiteral("first")));
        ASSERT_FALSE(first.isNull());
        EXPECT_EQ(first.pixelColor(3, 3), QColor(Qt::white));
        EXPECT_EQ(first.pixelColor(60, 60), QColor(Qt::red));
        EXPECT_EQ(first.pixelColor(722, 342), QColor(Qt::blue));
        if (all) {
            EXPECT_EQ(pdftools::renderedPage(pdf, 2, dir.filePath(QStringLiteral("second"))).pixelColor(250, 850),
                      QColor(Qt::green));
        }
        expectPageAsBefore({});
        EXPECT_EQ(second->overrideZoomScale(), 0);
        EXPECT_FALSE(second->isExporting());
    }
    EXPECT_TRUE(UserDefaults::instance().exportAllPages());
}

TEST_F(ExportTest, TheSelectionExportsAsPngOfItsOwnSizeAndStaysSelected)
{
    window->canvasView()->addShapesToSelection({blue});
    const Canvas::Shapes selection = window->canvasView()->selectedShapes();
    UserDefaults::instance().setExportType(Document::ExportPDF);
    const QString chosen = dir.filePath(QStringLiteral("Selection"));
    {
        // PDF is not offered for a selection: the panel keeps PNG.
        ScopedExportPanelSink panel([&](ExportPanel& p, QWidget*) -> std::optional<QString> {
            shown.push_back({p.title, p.prompt, p.nameFieldLabel, p.nameFieldStringValue, p.allowedFileType()});
            auto* accessory = static_cast<ExportAccessory*>(p.accessoryView.data());
            EXPECT_EQ(accessory->formatPopUp()->findData(QVariant::fromValue<qlonglong>(Document::ExportPDF)), -1);
            EXPECT_FALSE(accessory->allPagesCheckBox()->isEnabled());
            return chosen;
        });
        document->exportSelection();
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Export Selection As:");
    EXPECT_EQ(shown[0].prompt, "Export Selection");
    EXPECT_EQ(shown[0].label, "Export As:");
    EXPECT_EQ(shown[0].type, "png");
    const QImage image(chosen + QStringLiteral(".png"), "png");
    ASSERT_FALSE(image.isNull());
    // The square's own size, give or take the pixel its drawing may spill into.
    EXPECT_GE(image.width(), 40);
    EXPECT_LE(image.width(), 42);
    EXPECT_EQ(image.width(), image.height());
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::blue));
    expectPageAsBefore(selection);
    EXPECT_EQ(UserDefaults::instance().exportType(), std::uint64_t(Document::ExportPNG));
}

TEST_F(ExportTest, ExportSelectionWithNothingSelectedOnlyBeeps)
{
    int beeps = 0;
    const pf::ScopedBeepSink beep([&] { ++beeps; });
    auto panel = choosing({}, dir.filePath(QStringLiteral("never")));
    EXPECT_FALSE(document->canExportSelection());
    document->exportSelection();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
}

TEST_F(ExportTest, TypesExtensionsAndSizeTextFollowTheRules)
{
    struct TypeCase {
        std::uint64_t stored;
        bool selection;
        std::int64_t expected;
    };
    for (const TypeCase c : {TypeCase{3, true, Document::ExportPNG}, TypeCase{3, false, Document::ExportPDF},
                             TypeCase{5, false, Document::ExportPNG}, TypeCase{9, false, Document::ExportPNG},
                             TypeCase{0, true, Document::ExportTIFF}, TypeCase{4, false, Document::ExportGIF}}) {
        UserDefaults::instance().setExportType(c.stored);
        document->exportSelectionOnly = c.selection;
        EXPECT_EQ(document->currentExportType(), c.expected) << "stored " << c.stored << " selection " << c.selection;
    }

    const QString folder = dir.path();
    struct PathCase {
        const char* chosen;
        std::int64_t type;
        const char* written;
    };
    for (const PathCase c : {PathCase{"a.JPG", Document::ExportPNG, "a.png"},
                             PathCase{"a.jpeg", Document::ExportJPEG, "a.jpeg"},
                             PathCase{"a.JPG", Document::ExportJPEG, "a.JPG"},
                             PathCase{"a.tif", Document::ExportTIFF, "a.tif"},
                             PathCase{"a", Document::ExportGIF, "a.gif"},
                             PathCase{"a.pdf", Document::ExportTIFF, "a.tiff"},
                             PathCase{"v1.2", Document::ExportPNG, "v1.2.png"},
                             PathCase{"sub/../b.png", Document::ExportPDF, "b.pdf"}})
        EXPECT_EQ(Document::exportPathForChosenPath(folder + u'/' + QString::fromLatin1(c.chosen), c.type),
                  folder + u'/' + QString::fromLatin1(c.written))
            << c.chosen;
    // A relative answer is made absolute, not written relative to wherever the process runs.
    EXPECT_TRUE(QFileInfo(Document::exportPathForChosenPath(QStringLiteral("rel"), Document::ExportPNG)).isAbsolute());

    for (const char* path : {"x.TIFF", "x.tif", "x.png", "x.JPEG", "x.jpg", "x.pdf", "x.gif"})
        EXPECT_TRUE(Document::hasSupportedPathExtension(QString::fromLatin1(path))) << path;
    for (const char* path : {"x", "x.svg", "x.bmp", "x."})
        EXPECT_FALSE(Document::hasSupportedPathExtension(QString::fromLatin1(path))) << path;

    EXPECT_EQ(Document::scaledSizeText(pf::Rect(0, 0, 100, 50), 2, 2), "(400 x 200 px)");
    EXPECT_EQ(Document::scaledSizeText(pf::Rect(0, 0, 401, 201), 0.75, 1), "(301 x 151 px)");
    EXPECT_EQ(Document::pathExtensionForExportType(7), QString());
}

TEST_F(ExportTest, AnExportTooLargeToRenderIsRefusedBeforeAnyPixelIsMade)
{
    sizePage(*page, 1400, 800);
    window->windowUndoManager()->removeAllActions();
    std::vector<pf::Alert> alerts;
    const pf::ScopedAlertSink alert([&](const pf::Alert& a) {
        alerts.push_back(a);
        return 0;
    });
    const pf::ScopedLogSink log([](const QString&) {});
    const QString chosen = dir.filePath(QStringLiteral("huge.png"));
    QElapsedTimer timer;
    timer.start();
    {
        auto panel = choosing({Document::ExportPNG, 50, false, false}, chosen);
        document->exportDocument();
    }
    EXPECT_LT(timer.elapsed(), 60000) << "a hang, not a slow machine";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Could not export image");
    EXPECT_TRUE(alerts[0].informativeText.contains(QStringLiteral("70000"))) << alerts[0].informativeText.toStdString();
    EXPECT_FALSE(QFileInfo::exists(chosen));
    EXPECT_EQ(sizeLabel, "(70000 x 40000 px)");

    // Within both limits: written.
    EXPECT_TRUE(Document::isExportablePixelSize(QSize(32767, 8192)));
    EXPECT_FALSE(Document::isExportablePixelSize(QSize(32768, 10)));
    EXPECT_FALSE(Document::isExportablePixelSize(QSize(20000, 20000)));
    EXPECT_FALSE(Document::isExportablePixelSize(QSize(0, 10)));
}

TEST_F(ExportTest, AFolderThatCannotBeWrittenAlertsAndLeavesThePageAsItWas)
{
    QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (QFile probe(folder + QStringLiteral("/probe")); probe.open(QIODevice::WriteOnly)) {
        // Permissions do not bind this user: a "folder" that is a file cannot be written into either.
        probe.remove();
        folder = dir.filePath(QStringLiteral("plain-file"));
        QFile file(folder);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    window->canvasView()->addShapesToSelection({red});
    const Canvas::Shapes selection = window->canvasView()->selectedShapes();
    std::vector<pf::Alert> alerts;
    std::vector<QString> logged;
    const pf::ScopedAlertSink alert([&](const pf::Alert& a) {
        alerts.push_back(a);
        return 0;
    });
    const pf::ScopedLogSink log([&](const QString& line) { logged.push_back(line); });
    for (const std::int64_t type : {Document::ExportPNG, Document::ExportPDF}) {
        auto panel = choosing({type, 2, true, false}, folder + QStringLiteral("/out"));
        document->exportDocument();
        expectPageAsBefore(selection);
    }
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].messageText, "Could not export image");
    EXPECT_FALSE(alerts[0].informativeText.isEmpty());
    EXPECT_EQ(logged.size(), 2u);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ExportTest, ChoicesAreStoredAfterAnExportAndNotAfterACancel)
{
    UserDefaults& defaults = UserDefaults::instance();
    defaults.setExportType(Document::ExportPNG);
    defaults.setExportZoomScaleIndex(0);
    defaults.setExportAlphaEnabled(false);
    {
        auto panel = choosing({Document::ExportGIF, 3, true, false}, std::nullopt);
        document->exportDocument();
    }
    EXPECT_EQ(defaults.exportType(), std::uint64_t(Document::ExportPNG));
    EXPECT_EQ(defaults.exportZoomScaleIndex(), 0);
    EXPECT_FALSE(defaults.exportAlphaEnabled());
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
    // The cancelled panel stays until the next export replaces it.
    EXPECT_TRUE(document->savePanel());

    {
        auto panel = choosing({Document::ExportGIF, 3, true, false}, dir.filePath(QStringLiteral("kept")));
        document->exportDocument();
    }
    EXPECT_EQ(defaults.exportType(), std::uint64_t(Document::ExportGIF));
    EXPECT_EQ(defaults.exportZoomScaleIndex(), 3);
    EXPECT_TRUE(defaults.exportAlphaEnabled());
    EXPECT_FALSE(document->savePanel());
    EXPECT_FALSE(pf::suddenTermination::isDisabled());
    // The next panel starts from them, named after the document.
    {
        auto panel = choosing({Document::ExportGIF, 3, true, false}, std::nullopt);
        document->exportDocument();
    }
    EXPECT_EQ(shown.back().type, "gif");
    EXPECT_EQ(shown.back().title, "Export As:");
    EXPECT_EQ(shown.back().prompt, "Export");
    EXPECT_EQ(shown.back().name, QFileInfo(document->displayName()).completeBaseName());
}

TEST_F(ExportTest, AStoredTypeWithoutAnEncoderExportsPng)
{
    for (const std::uint64_t stored : {std::uint64_t(5), std::uint64_t(9)}) {
        UserDefaults::instance().setExportType(stored);
        const QString chosen = dir.filePath(QStringLiteral("stored-%1").arg(stored));
        {
            ScopedExportPanelSink panel([&](ExportPanel& p, QWidget*) -> std::optional<QString> {
                EXPECT_EQ(p.allowedFileType(), "png");
                return chosen;
            });
            document->exportDocument();
        }
        EXPECT_EQ(QImageReader(chosen + QStringLiteral(".png")).format(), "png") << stored;
    }
}

TEST_F(ExportTest, FilteredShapesAreFilteredAtTheExportsOwnDensity)
{
    // A filtered square whose left edge falls inside a point: filtered at one pixel a point and enlarged,
    // the edge would be a two-pixel smear; filtered at the export's two pixels a point it is a clean step.
    auto sepia = FilterSpec::filterSpec();
    sepia->setType(3);
    sepia->setEnabled(true);
    auto filtered = addSquare(*page, pf::Rect(100.5, 60, 60, 60), pf::Color{1, 0, 0, 1});
    filtered->setContentFilterSpecs({sepia});
    window->canvasView()->selectNone();
    window->windowUndoManager()->removeAllActions();
    const QString chosen = dir.filePath(QStringLiteral("filtered.png"));
    {
        auto panel = choosing({Document::ExportPNG, 2, false, false}, chosen);
        document->exportDocument();
    }
    const QImage image = QImage(chosen).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull());
    const int row = 180;
    const QColor inside = image.pixelColor(260, row);
    ASSERT_NE(inside, QColor(Qt::white));
    int between = 0;
    for (int x = 190; x < 215; ++x) {
        const QColor c = image.pixelColor(x, row);
        if (c != QColor(Qt::white) && !near(c, inside, 3))
            ++between;
    }
    EXPECT_LE(between, 1);
    // The shape's own kept picture is the screen's, untouched by the export.
    EXPECT_EQ(filtered->filteredContentImage().size(), filtered->offscreenImageSize());
    EXPECT_EQ(filtered->filteredContentImage().bitmap(0).width(), int(filtered->offscreenImageSize().width));
}

TEST_F(ExportTest, TheFileMenuReachesExportAndExportSelection)
{
    auto panel = choosing({}, std::nullopt);
    QAction* exportAction = window->menuAction(QStringLiteral("export"));
    QAction* selectionAction = window->menuAction(QStringLiteral("exportSelection"));
    ASSERT_TRUE(exportAction && selectionAction);
    window->validateMenuItems();
    EXPECT_FALSE(selectionAction->isEnabled());
    exportAction->trigger();
    EXPECT_EQ(shown.size(), 1u);
    window->canvasView()->addShapesToSelection({red});
    window->validateMenuItems();
    EXPECT_TRUE(selectionAction->isEnabled());
    selectionAction->trigger();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].title, "Export Selection As:");
}

} // namespace
