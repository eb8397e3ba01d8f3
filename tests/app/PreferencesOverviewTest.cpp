#include "PreferencesFixture.h"

#include "app/OAPreferencesIconView.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <QToolBar>

#include <cmath>

namespace {

using preftest::PreferencesFixture;

using PreferencesOverviewTest = PreferencesFixture;

// Records by title, for grids that need no controller.
std::vector<const OAPreferenceClientRecord*> records(const OAPreferenceController::Records& owned)
{
    std::vector<const OAPreferenceClientRecord*> raw;
    for (const auto& r : owned)
        raw.push_back(r.get());
    return raw;
}

TEST_F(PreferencesOverviewTest, GridGeometry)
{
    OAPreferenceController::Records five;
    for (int i = 0; i < 5; ++i)
        five.push_back(record(QStringLiteral("P%1").arg(i), i));
    const struct {
        double width;
        std::size_t icons;
        std::size_t wide;
        double height;
    } cases[] = {
        {170, 5, 2, 3 * 74}, // (170 - 4) / 82 = 2.02
        {168, 5, 2, 3 * 74},
        {167, 5, 1, 5 * 74}, // a margin short of two cells
        {50, 5, 1, 5 * 74},  // narrower than one cell: still one a row
        {500, 5, 6, 74},
        {170, 0, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        OAPreferencesIconView grid(pf::Rect(0, 0, c.width, 10));
        grid.setPreferenceClientRecords(records({five.begin(), five.begin() + std::ptrdiff_t(c.icons)}));
        EXPECT_EQ(grid.iconsWide(), c.wide);
        EXPECT_EQ(grid.frame().size, pf::Size(c.width, c.height));
    }
    OAPreferencesIconView grid(pf::Rect(0, 0, 170, 10));
    grid.setPreferenceClientRecords(records(five));
    EXPECT_EQ(grid.cellRect(3), pf::Rect(86, 74, 82, 74));
    EXPECT_EQ(grid.cellRect(5), pf::Rect()) << "past the last icon";
}

class IconClickTest : public PreferencesFixture {
protected:
    IconClickTest()
    {
        for (int i = 0; i < 3; ++i)
            owned.push_back(record(QStringLiteral("P%1").arg(i), i));
        controller = std::make_unique<OAPreferenceController>(owned, QString());
        controller->window();
        grid = new OAPreferencesIconView(pf::Rect(0, 0, 170, 10), &host);
        grid->setPreferenceController(controller.get());
        grid->setPreferenceClientRecords(records(owned));
        host.resize(200, 300);
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
        controller->showAllIcons();
    }

    // Presses at from, moves through the points, releases at the last one (each in the grid's points).
    void gesture(QPoint from, std::vector<QPoint> moves)
    {
        QWindow* window = host.windowHandle();
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        for (const QPoint& p : moves)
            QTest::mouseMove(window, p);
        QTest::mouseRelease(window, Qt::LeftButton, {}, moves.empty() ? from : moves.back());
    }

    QString shown() const
    {
        return controller->currentClientRecord() ? controller->currentClientRecord()->identifier() : QStringLiteral("none");
    }

    OAPreferenceController::Records owned;
    std::unique_ptr<OAPreferenceController> controller;
    QWidget host;
    OAPreferencesIconView* grid = nullptr;
};

TEST_F(IconClickTest, AClickShowsThePaneOnlyWhenReleasedOnTheIconItPressed)
{
    // Cells: P0 at x 4…86, P1 at 86…168 (row 0), P2 at 4…86 (row 1); the strip from 168 is no column.
    const struct {
        const char* what;
        QPoint press;
        std::vector<QPoint> moves;
        const char* shows;
    } cases[] = {
        {"a plain click", {40, 30}, {}, "P0"},
        {"right of the last full column", {169, 30}, {}, "none"},
        {"past the last icon", {120, 100}, {}, "none"},
        {"in the left margin", {2, 30}, {}, "none"},
        {"out of the cell and back", {84, 30}, {{88, 30}, {84, 31}}, "P0"},
        {"released outside", {84, 30}, {{88, 30}}, "none"},
        {"dragged past 4 points and back", {40, 30}, {{45, 30}, {40, 30}}, "none"},
        {"within 4 points", {40, 30}, {{44, 34}}, "P0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        controller->showAllIcons();
        ASSERT_EQ(shown(), "none");
        gesture(c.press, c.moves);
        EXPECT_EQ(shown(), QString::fromLatin1(c.shows));
        EXPECT_EQ(grid->pressedIconIndex(), OAPreferencesIconView::none);
    }
}

TEST_F(IconClickTest, TheIconShowsPressedWhileThePointerIsOnIt)
{
    QWindow* window = host.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(84, 30));
    EXPECT_EQ(grid->pressedIconIndex(), 0u);
    QTest::mouseMove(window, QPoint(87, 30)); // into the next cell
    EXPECT_EQ(grid->pressedIconIndex(), OAPreferencesIconView::none);
    QTest::mouseMove(window, QPoint(85, 33));
    EXPECT_EQ(grid->pressedIconIndex(), 0u);
    QTest::mouseMove(window, QPoint(89, 30)); // 5 points away: a drag, which ends the click
    EXPECT_EQ(grid->pressedIconIndex(), OAPreferencesIconView::none);
    QTest::mouseMove(window, QPoint(84, 30));
    EXPECT_EQ(grid->pressedIconIndex(), OAPreferencesIconView::none);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(84, 30));
    EXPECT_EQ(shown(), "none");
}

TEST_F(PreferencesOverviewTest, OneGridACategoryFirstOnTop)
{
    OAPreferenceController::Records owned = {
        record("A1", 0, "Alpha"), record("B1", 0, "Beta"), record("B2", 1, "Beta"), record("B3", 2, "Beta"),
        record("C1", 0, "Gamma"),
    };
    pf::ScopedViewBuilder small("StubNib", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 170, 60)); });
    OAPreferenceController controller(owned, {});
    controller.window();
    controller.showAllIcons();
    pf::View* overview = controller.showAllIconsView();
    ASSERT_NE(overview, nullptr);
    const double width = controller.preferenceBox()->frame().size.width;
    EXPECT_EQ(width, controller.idealWidth());

    const auto grids = controller.preferencesIconViews();
    ASSERT_EQ(grids.size(), 3u);
    // Built from the last category up.
    EXPECT_EQ(grids[0]->preferenceClientRecords().front()->identifier(), "C1");
    EXPECT_EQ(grids[2]->preferenceClientRecords().front()->identifier(), "A1");
    const auto labels = overview->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    const auto separators = overview->findChildren<QFrame*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), 3);
    int lines = 0;
    for (QFrame* frame : separators)
        lines += frame->frameShape() == QFrame::HLine;
    EXPECT_EQ(lines, 2);

    // The layout from the bottom: grid at y, label at whole(y + grid) + 4, then a separator 4 above the
    // label's top rounded, and the next grid 16 above that.
    const double labelHeight = labels.front()->height();
    const double wide = std::floor((width - 4) / 82);
    const auto gridHeight = [wide](double icons) { return std::ceil(icons / wide) * 74; };
    double y = 12;
    std::vector<double> gridBottoms;
    double top = 0;
    for (double icons : {1.0, 3.0, 1.0}) { // Gamma, Beta, Alpha
        gridBottoms.push_back(y);
        const double labelY = std::trunc(y + gridHeight(icons));
        const double above = std::trunc(labelY + labelHeight + 7);
        top = above + 5;
        y = above + 16;
    }
    const double height = overview->frame().size.height;
    EXPECT_EQ(height, top);
    for (std::size_t i = 0; i < 3; ++i) {
        const pf::Rect frame = grids[i]->frame();
        EXPECT_EQ(height - frame.maxY(), gridBottoms[i]) << "grid " << i;
        EXPECT_EQ(frame.origin.x, 0);
    }
    EXPECT_LT(grids[2]->frame().origin.y, grids[1]->frame().origin.y) << "the first category is on top";
    EXPECT_EQ(controller.windowWidget()->height(), int(std::trunc(height) + controller.preferencesToolbar()->sizeHint().height()));
    EXPECT_TRUE(controller.windowWidget()->windowTitle().endsWith(" Preferences"));
    for (QAction* action : controller.preferencesToolbar()->actions())
        EXPECT_FALSE(action->isChecked()) << "no pane's button is selected";
}

TEST_F(PreferencesOverviewTest, NoCategoryGivesAnOverviewTwelveHigh)
{
    OAPreferenceController controller({}, {});
    controller.window();
    controller.createShowAllItemsView();
    EXPECT_EQ(controller.showAllIconsView()->frame().size.height, 12);
    EXPECT_TRUE(controller.preferencesIconViews().empty());
}

TEST_F(PreferencesOverviewTest, RenderedGridWithASelectedAndAPressedIcon)
{
    OAPreferenceController::Records owned;
    // Icons are image resources: the library's pictures stand in for pane icons here.
    for (const char* name : {"lib_uiswitch32x32", "lib_uitextfield32x32", "lib_uitoolbar32x32", "lib_uinavbar32x32"}) {
        auto r = record(QString::fromLatin1(name));
        std::const_pointer_cast<OAPreferenceClientRecord>(r)->setShortTitle(QString::fromLatin1(name).mid(6).chopped(5));
        owned.push_back(r);
    }
    QWidget host;
    host.setAutoFillBackground(true);
    auto* grid = new OAPreferencesIconView(pf::Rect(0, 0, 250, 10), &host);
    grid->setPreferenceClientRecords(records(owned));
    grid->setSelectedClientRecord(owned[0].get());
    host.resize(250, int(grid->frame().size.height));
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QTest::mousePress(host.windowHandle(), Qt::LeftButton, {}, QPoint(130, 30));
    ASSERT_EQ(grid->pressedIconIndex(), 1u);
    const QImage image = host.grab().toImage();
    QTest::mouseRelease(host.windowHandle(), Qt::LeftButton, {}, QPoint(240, 140));

    const QString out = QDir::temp().filePath("quorvel-preferences-icon-grid.png");
    ASSERT_TRUE(image.save(out));
    const QColor selected = image.pixelColor(6, 2);
    const QColor plain = image.pixelColor(6 + 2 * 82, 2);
    EXPECT_NE(selected, plain) << "the selected cell is filled";
    EXPECT_NE(selected, plain);
    EXPECT_EQ(grid->iconsWide(), 3u);
}

} // namespace
