// The document window's commands on a real document: zoom steps, the grid's spacing and unit from the
// status bar, the page-size button's text, the page-size sheet applied to one page or all of them, the
// share menu and its export, and validation by tag with a real canvas.
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentFixture.h"
#include "app/ExportPanel.h"
#include "docs/DocsTestSupport.h"
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/docs/PackageWriter.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "shell/MetricsWindowController.h"
#include "shell/SharingService.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WindowCommandsTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        std::tie(doc, window) = openFixtureWindow();
        ASSERT_NE(window, nullptr);
        page = window->selectedComposition();
        ASSERT_NE(page, nullptr);
    }

    static pf::MenuItem item(std::int64_t tag)
    {
        pf::MenuItem m;
        m.setTag(tag);
        return m;
    }

    Document* doc = nullptr;
    AppWindowController* window = nullptr;
    std::shared_ptr<Composition> page;
    int beeps = 0;
    pf::ScopedBeepSink beep{[this] { ++beeps; }};
};

TEST_F(WindowCommandsTest, ZoomStepsAlongTheTableAndBeepsAtItsEnds)
{
    const struct {
        std::int64_t from;
        bool in;
        std::int64_t to;
        int beeps;
    } cases[] = {
        {5, true, 10, 0},   {10, false, 5, 0}, {50, true, 50, 1}, {-4, false, -4, 1},
        {7, true, 1, 0},    {7, false, -1, 0}, {0, true, 1, 0},   {-1, true, 0, 0},
    };
    for (const auto& c : cases) {
        page->setZoomScaleIndex(c.from);
        beeps = 0;
        c.in ? window->zoomCanvasIn() : window->zoomCanvasOut();
        EXPECT_EQ(page->zoomScaleIndex(), c.to) << c.from << (c.in ? " in" : " out");
        EXPECT_EQ(beeps, c.beeps) << c.from << (c.in ? " in" : " out");
    }
    // The status bar shows the page's zoom; Actual Size goes back to 100 %.
    page->setZoomScaleIndex(3);
    pf::drainMainQueue();
    EXPECT_EQ(window->zoomScaleIndex(), 3);
    EXPECT_EQ(window->zoomPopUpView()->valueText(), "300%");
    pf::MenuItem actual(QString(), "zoomCanvasToActualSize:");
    actual.setTag(20);
    EXPECT_TRUE(window->tryToPerform("zoomCanvasToActualSize:", &actual));
    EXPECT_EQ(page->zoomScaleIndex(), 0);
    // The zoom pop-up's choice is the page's zoom.
    window->zoomPopUpView()->popUpButton()->chooseItemAtIndex(1);
    EXPECT_EQ(page->zoomScaleIndex(), -3);
    pf::drainMainQueue();
    EXPECT_EQ(window->zoomPopUpView()->valueText(), "25%");
}

TEST_F(WindowCommandsTest, TheGridPopUpSetsTheSpacingOrTheUnitAndPostsBothNotices)
{
    page->setGridTolerance(8);
    page->sharedMetrics()->setUnitType(Metrics::Points);
    std::vector<QString> notices;
    std::vector<pf::NotificationToken> tokens;
    for (const char* name : {Composition::GridToleranceDidChangeNotification, Canvas::MetricsUnitTypeDidChangeNotification})
        tokens.push_back(pf::NotificationCenter::defaultCenter().addObserver(
            name, page.get(), [&notices](const pf::Notification& n) { notices.push_back(n.name); }));

    const pf::MenuItem centimeters = item(-2);
    window->changeGridTolerance(&centimeters);
    EXPECT_EQ(page->metrics()->unitType(), Metrics::Centimeters);
    EXPECT_EQ(page->storedGridTolerance(), 8);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Composition::GridToleranceDidChangeNotification), 1);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Canvas::MetricsUnitTypeDidChangeNotification), 1);

    const pf::MenuItem sixteen = item(16);
    window->changeGridTolerance(&sixteen);
    EXPECT_EQ(page->storedGridTolerance(), 16);
    EXPECT_EQ(page->metrics()->unitType(), Metrics::Points);
    EXPECT_EQ(window->gridToleranceTag(), 16);

    // An Inches page shows the unit's tag.
    page->sharedMetrics()->setUnitType(Metrics::Inches);
    window->updateStatusBar();
    EXPECT_EQ(window->gridToleranceTag(), -1);
    EXPECT_EQ(window->gridPopUpView()->popUpButton()->selectedTag(), -1);
    // A unit the metrics do not have changes nothing.
    const pf::MenuItem unknown = item(-9);
    window->changeGridTolerance(&unknown);
    EXPECT_EQ(page->metrics()->unitType(), Metrics::Inches);

    // The checkbox's state goes to the page.
    window->setGridEnabled(!page->isGridEnabled());
    EXPECT_TRUE(window->tryToPerform("toggleGridEnabled:", nullptr));
    EXPECT_EQ(page->isGridEnabled(), window->gridEnabled());
}

TEST_F(WindowCommandsTest, AUnitChosenInTheGridPopUpShowsThePagesOwnSize)
{
    // 800 x 600 points at 72 dots per inch.
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(800);
    metrics->setHeight(600);
    page->setMetrics(metrics);
    pf::PopUpButton* grid = window->gridPopUpView()->popUpButton();
    const auto choose = [&](std::int64_t tag) {
        const auto& items = grid->menu()->items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!items[i].isSeparator() && items[i].tag() == tag)
                return grid->chooseItemAtIndex(int(i));
        FAIL() << "no item of tag " << tag;
    };
    struct Case {
        std::int64_t tag;
        const char* shown;
    };
    // 800 / 72 inches, each 2.54 cm; and back, the page as it was.
    const Case cases[] = {{-2, " Canvas: 28.22cm x 21.17cm"},
                          {-1, " Canvas: 11.111\" x 8.333\""},
                          {-2, " Canvas: 28.22cm x 21.17cm"},
                          {-1, " Canvas: 11.111\" x 8.333\""}};
    for (const Case& c : cases) {
        choose(c.tag);
        window->updateStatusBar();
        EXPECT_EQ(window->statusBarText(), QString::fromUtf8(c.shown));
    }
    EXPECT_EQ(page->metrics()->width(), 800);
    EXPECT_EQ(page->metrics()->height(), 600);
    EXPECT_NEAR(page->metrics()->resolution(), 72, 72 * 1e-12);
}

TEST_F(WindowCommandsTest, ThePageSizeButtonShowsTheSizeAndTakesItsWidth)
{
    window->updateStatusBar();
    EXPECT_TRUE(window->statusBarText().startsWith(" Canvas: ")) << window->statusBarText().toStdString();
    EXPECT_EQ(window->canvasSizeButton()->title(), window->statusBarText());
    const double width = window->canvasSizeButton()->frame().width();
    EXPECT_GT(width, 40);
    EXPECT_EQ(width, std::round(width));
    // The pop-ups follow the button.
    EXPECT_EQ(window->zoomPopUpView()->frame().minX(), window->canvasSizeButton()->frame().maxX() - 1);

    page->setMetrics(nullptr);
    window->updateStatusBar();
    EXPECT_EQ(window->statusBarText(), "");
    EXPECT_EQ(window->canvasSizeButton()->frame().width(), 20);
}

TEST_F(WindowCommandsTest, ThePageSizeSheetResizesEveryPageByItsOwnSizeInOneUndoStep)
{
    auto second = std::dynamic_pointer_cast<Composition>(window->tabModelAtIndex(1)->representedObject());
    ASSERT_NE(second, nullptr);
    // Two pages of different sizes, each with a shape at (10, 10).
    second->setMetrics([&] {
        auto m = page->metrics()->copy();
        m->setWidth(page->metrics()->width() + 100);
        return m;
    }());
    std::vector<std::pair<std::shared_ptr<Composition>, std::shared_ptr<Shape>>> shapes;
    for (const auto& p : {page, second}) {
        auto box = Shape::make<Rectangle>(pf::Rect(10, 10, 20, 20));
        p->addShape(box);
        shapes.emplace_back(p, box);
    }
    pf::UndoManager* undo = window->windowUndoManager();
    ASSERT_NE(undo, nullptr);
    undo->removeAllActions();
    const pf::Size firstSize = page->frame().size, secondSize = second->frame().size;

    window->editMetrics();
    MetricsWindowController* sheet = window->metricsWindowController();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(window->attachedSheet(), sheet->window());
    EXPECT_NE(sheet->selectedMetrics(), page->sharedMetrics()) << "the sheet edits a copy";
    // A second sheet is refused.
    window->editMetrics();
    EXPECT_EQ(beeps, 1);

    sheet->selectedMetrics()->setWidth(1000);
    sheet->selectedMetrics()->setHeight(800);
    sheet->selectedMetrics()->setAnchorCorner(QVRectCornerMidMid);
    sheet->setChangeAllPages(true);
    sheet->ok(1);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    pf::drainMainQueue();
    EXPECT_EQ(window->metricsWindowController(), nullptr);

    for (const auto& [p, box] : shapes) {
        EXPECT_EQ(p->frame().size, pf::Size(1000, 800));
        const pf::Size old = p == page ? firstSize : secondSize;
        EXPECT_EQ(box->frame().origin, pf::Point(10 + (1000 - old.width) / 2, 10 + (800 - old.height) / 2));
    }
    // Each page has metrics of its own.
    EXPECT_NE(page->sharedMetrics(), second->sharedMetrics());
    page->sharedMetrics()->setUnitType(Metrics::Inches);
    EXPECT_EQ(second->metrics()->unitType(), Metrics::Points);
    page->sharedMetrics()->setUnitType(Metrics::Points);

    EXPECT_EQ(undo->undoMenuItemTitle(), "Undo Change Canvas Size");
    ASSERT_TRUE(undo->undo());
    EXPECT_FALSE(undo->canUndo()) << "one step";
    EXPECT_EQ(page->frame().size, firstSize);
    EXPECT_EQ(second->frame().size, secondSize);
    for (const auto& [p, box] : shapes)
        EXPECT_EQ(box->frame().origin, pf::Point(10, 10));
}

TEST_F(WindowCommandsTest, CancellingTheSheetChangesNothing)
{
    const auto before = page->sharedMetrics();
    window->editMetrics();
    ASSERT_NE(window->metricsWindowController(), nullptr);
    window->metricsWindowController()->selectedMetrics()->setWidth(10);
    window->metricsWindowController()->cancel(0);
    pf::drainMainQueue();
    EXPECT_EQ(page->sharedMetrics(), before);
    EXPECT_EQ(window->metricsWindowController(), nullptr);
    // The sheet of a window that closes ends with it.
    window->editMetrics();
    ASSERT_NE(window->attachedSheet(), nullptr);
    doc->close();
    pf::drainMainQueue();
}

TEST_F(WindowCommandsTest, TheShareMenuOffersTheExportFormatsAndAnyService)
{
    const auto titles = [](const pf::Menu& menu) {
        QStringList out;
        for (const pf::MenuItem& i : menu.items())
            out << (i.isSeparator() ? QStringLiteral("-") : i.title() + QString::number(i.tag()));
        return out;
    };
    auto withSelection = window->makeShareMenu(true, {});
    ASSERT_EQ(withSelection->numberOfItems(), 1) << "no service here: the export choices alone";
    EXPECT_EQ(withSelection->itemAt(0).title(), "Export Selection…");
    EXPECT_EQ(titles(*withSelection->itemAt(0).submenu()), QStringList({"PNG1", "JPG2", "GIF4", "TIFF0"}));
    EXPECT_EQ(withSelection->itemAt(0).submenu()->itemAt(0).action(), "shareExportSelection:");
    auto without = window->makeShareMenu(false, {});
    EXPECT_EQ(without->itemAt(0).title(), "Export…");
    EXPECT_EQ(titles(*without->itemAt(0).submenu()), QStringList({"PNG1", "JPG2", "PDF3", "GIF4", "TIFF0"}));
    EXPECT_EQ(without->itemAt(0).submenu()->itemAt(0).action(), "shareExport:");

    // A service that takes pictures shows after a separator and gets the page's picture.
    class Recording : public SharingService {
    public:
        QString title() const override { return "Send"; }
        QString menuItemTitle() const override { return "Send Picture"; }
        bool canPerformWithItems(const std::vector<pf::Image>& items) const override { return items.size() == 1; }
        void performWithItems(const std::vector<pf::Image>& items) override { sizes.push_back(items.at(0).size()); }
        std::vector<pf::Size> sizes;
    };
    auto service = std::make_shared<Recording>();
    ScopedSharingService registered(service);
    auto menu = window->makeShareMenu(false, page->renderedImage());
    EXPECT_EQ(titles(*menu), QStringList({"Export…0", "-", "Send Picture0"}));
    EXPECT_TRUE(menu->itemAt(2).perform());
    ASSERT_EQ(service->sizes.size(), 1u);
    EXPECT_EQ(service->sizes[0], page->renderedImage().size());

    // shareOptions builds the menu a turn later and shows it at the pointer.
    int shown = 0;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu&, pf::Point) { ++shown; });
    EXPECT_TRUE(window->tryToPerform("shareOptions:", nullptr));
    EXPECT_EQ(shown, 0);
    pf::drainMainQueue();
    EXPECT_EQ(shown, 1);
}

TEST_F(WindowCommandsTest, ShareExportStoresTheTypeAndExports)
{
    std::vector<QString> types;
    ScopedExportPanelSink panel([&](ExportPanel& p, QWidget*) -> std::optional<QString> {
        types.push_back(p.allowedFileType());
        return std::nullopt;
    });
    const pf::MenuItem gif = item(4);
    window->shareExport(&gif);
    EXPECT_EQ(UserDefaults::instance().exportType(), 4u);
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0], "gif");
    EXPECT_TRUE(window->PDFExportEnabled());
    EXPECT_FALSE(window->SVGExportEnabled());

    // With a selection: the selection's export, which offers no PDF.
    auto box = Shape::make<Rectangle>(pf::Rect(10, 10, 20, 20));
    page->addShape(box);
    window->canvasView()->replaceSelectionWithShapes({box});
    const pf::MenuItem png = item(1);
    window->shareExportSelection(&png);
    EXPECT_EQ(UserDefaults::instance().exportType(), 1u);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[1], "png");
    EXPECT_FALSE(window->PDFExportEnabled());
}

TEST_F(WindowCommandsTest, TheWindowValidatesTheCanvasCommandsByTag)
{
    // Nothing selected: remove and group are off, select all is on.
    auto box = Shape::make<Rectangle>(pf::Rect(10, 10, 20, 20));
    page->addShape(box);
    window->canvasView()->selectNone();
    bool handled = false;
    EXPECT_FALSE(window->validateUIItem(147, handled));
    EXPECT_TRUE(handled);
    EXPECT_TRUE(window->validateUIItem(347, handled));
    window->canvasView()->replaceSelectionWithShapes({box});
    EXPECT_TRUE(window->validateUIItem(147, handled));
    // The window's menu items of canvas commands follow the same table.
    pf::MenuItem remove("Delete", "remove:");
    remove.setTag(147);
    EXPECT_TRUE(window->windowWidget() != nullptr);
    window->canvasView()->selectNone();
    EXPECT_FALSE(dynamic_cast<pf::Responder*>(window->windowWidget())->validateMenuItem(remove));

    // The menu's Group item carries its tag: during a full-screen transition it is off, with a selection too.
    auto other = Shape::make<Rectangle>(pf::Rect(50, 50, 20, 20));
    page->addShape(other);
    window->canvasView()->replaceSelectionWithShapes({box, other});
    QWidget* top = window->windowWidget();
    top->show();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    window->validateMenuItems();
    ASSERT_NE(window->menuAction("group:"), nullptr);
    EXPECT_TRUE(window->menuAction("group:")->isEnabled());
    window->windowWillEnterFullScreen();
    window->validateMenuItems();
    EXPECT_FALSE(window->menuAction("group:")->isEnabled());
    EXPECT_EQ(window->menuAction("toggleLibrary")->text(),
              window->isLibraryPaletteVisible() ? "Hide Library Palette" : "Show Library Palette");
    window->windowDidEnterFullScreen();
}

TEST_F(WindowCommandsTest, SavingIntoAPlaceThatCannotTakeThePackageAlertsAndLosesNothing)
{
    const QString path = doc->filePath();
    const auto before = docs_test::treeOf(path);
    page->addShape(Shape::make<Rectangle>(pf::Rect(5, 5, 30, 30)));
    pf::drainMainQueue();
    ASSERT_TRUE(doc->isDocumentEdited());
    QStringList alerts;
    pf::ScopedAlertSink alert([&](const pf::Alert& a) {
        alerts << a.messageText;
        return 0;
    });
    const auto savedAs = [&](const QString& chosen) {
        alerts.clear();
        pf::ScopedSavePanelSink panel([&](const pf::SavePanelRequest&) -> std::optional<QString> { return chosen; });
        window->menuAction("saveAs")->trigger();
        doc->waitForSaves();
    };
    docs_test::writeFile(dir.filePath("plain.txt"), "a file");
    const QString places[] = {dir.filePath("plain.txt/Copy"), dir.filePath("missing/Copy"),
                              dir.filePath(QString(300, QLatin1Char('n')))};
    for (const QString& place : places) {
        savedAs(place);
        EXPECT_EQ(alerts, QStringList{"The document \"Fixture\" could not be saved."}) << place.toStdString();
        EXPECT_EQ(doc->filePath(), path);
        EXPECT_TRUE(doc->isDocumentEdited());
    }
    // A full disk while saving in place: the package on disk stays as it was.
    {
        alerts.clear();
        pf::ScopedPackageWriteFault full(pf::packageWriter::Stage::Write, ENOSPC);
        window->menuAction("save")->trigger();
        doc->waitForSaves();
    }
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(docs_test::treeOf(path), before);
    EXPECT_EQ(docs_test::entriesOf(dir.path()), QStringList({"Fixture.quorveldoc", "plain.txt"}));
}

} // namespace
