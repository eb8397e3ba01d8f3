// The status bar's look and controls: bars drawn by window state, a bar that drags its window, the
// labelled pop-ups (rects, the menu over the value, the highlight while it is open, short unit names)
// and the page-size button; and kept pictures of the three controls, main and not.
#include "kit/KitTestSupport.h"
#include "model/Metrics.h"
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Window.h"
#include "shell/QVBar.h"
#include "shell/QVStatusBarButton.h"
#include "shell/QVStatusBarPopUpView.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

QImage render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Within two levels a channel (gradients are dithered differently by painters).
::testing::AssertionResult near(QColor actual, std::uint32_t rgb)
{
    const QColor expected(QRgb(0xFF000000u | rgb));
    const int d = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                            std::abs(actual.blue() - expected.blue())});
    if (d <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " is not " << expected.name().toStdString();
}

std::shared_ptr<pf::Menu> menuOf(std::initializer_list<const char*> titles)
{
    auto menu = std::make_shared<pf::Menu>();
    std::int64_t tag = 0;
    for (const char* title : titles) {
        if (!*title)
            menu->addSeparator();
        else
            menu->addItem(QString::fromUtf8(title), QString()).setTag(tag);
        ++tag;
    }
    return menu;
}

// A window of its own, main unless told otherwise, holding the views under test.
class StatusBarControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        top.resize(400, 100);
        window = pf::Window::attach(&top);
        window->setContentView(new pf::View(pf::Rect(0, 0, 400, 100)));
        window->becomeMainWindow();
    }
    void TearDown() override
    {
        window->resignMainWindow();
        pf::drainMainQueue();
    }

    template <class V>
    V* add(V* view)
    {
        window->contentView()->addSubview(view, view->frame());
        return view;
    }

    QVStatusBarPopUpView* popUp(QVStatusBarPopUpView* view, const char* label, std::shared_ptr<pf::Menu> menu)
    {
        add(view);
        auto* button = new pf::PopUpButton(pf::Rect(0, 0, 50, 18));
        button->setMenu(std::move(menu));
        view->setPopUpButton(button);
        view->awakeFromNib();
        view->setLabelText(QString::fromUtf8(label));
        pf::drainMainQueue();
        return view;
    }

    void click(QWidget& view, QPointF at)
    {
        kittest::sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, ++time);
        kittest::sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, ++time);
    }

    QWidget top;
    pf::Window* window = nullptr;
    quint64 time = 1000;
};

TEST_F(StatusBarControlsTest, ABarDrawsItsGradientUnderTheTopBorderAndTakesTheNonMainColoursWhenItsWindowResigns)
{
    class CountingBar : public QVBar {
    public:
        using QVBar::QVBar;
        int notices = 0;

    protected:
        void windowDidBecomeMain() override
        {
            ++notices;
            QVBar::windowDidBecomeMain();
        }
    };
    auto* bar = add(new CountingBar(pf::Rect(0, 0, 400, 20)));
    bar->awakeFromNib();

    QImage image = render(*bar);
    // The border fills the top row (a line 0.5 below the edge); no bevel under it or along the bottom:
    // the gradient runs from 0xE1DFDF at the top to 0xC2C1C2 at the bottom.
    EXPECT_TRUE(near(image.pixelColor(200, 0), 0x9E9E9E));
    EXPECT_TRUE(near(image.pixelColor(200, 1), 0xDEDCDC));
    EXPECT_TRUE(near(image.pixelColor(200, 19), 0xC3C2C3));
    EXPECT_TRUE(near(image.pixelColor(0, 10), 0xD1D0D0));

    window->resignMainWindow();
    EXPECT_EQ(bar->notices, 1);
    image = render(*bar);
    EXPECT_TRUE(near(image.pixelColor(200, 0), 0xBBBBBB));
    for (int y : {1, 10, 19})
        EXPECT_TRUE(near(image.pixelColor(200, y), 0xF4F4F4)) << y;
    window->becomeMainWindow();
    EXPECT_EQ(bar->notices, 2);

    // A bar made in code has no colours: it draws nothing.
    QVBar plain(pf::Rect(0, 0, 10, 10));
    EXPECT_EQ(render(plain).pixelColor(5, 5), QColor(Qt::magenta));
}

TEST_F(StatusBarControlsTest, TheDraggableBarMovesItsWindowByThePointersTravelAndAClickLeavesItInPlace)
{
    auto* bar = add(new QVDraggableBar(pf::Rect(0, 80, 400, 20)));
    top.move(100, 100);
    const QPoint start = top.pos();
    const auto send = [&](QEvent::Type type, QPointF local, QPointF global, Qt::MouseButtons held) {
        QMouseEvent e(type, local, global, Qt::LeftButton, held, {});
        e.setTimestamp(++time);
        QCoreApplication::sendEvent(bar, &e);
    };
    const QPointF local(10, 10), global = bar->mapToGlobal(local);

    send(QEvent::MouseButtonPress, local, global, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, local, global, Qt::NoButton);
    EXPECT_EQ(top.pos(), start);

    send(QEvent::MouseButtonPress, local, global, Qt::LeftButton);
    EXPECT_TRUE(bar->isDraggingWindow());
    send(QEvent::MouseMove, local + QPointF(12, 5), global + QPointF(12, 5), Qt::LeftButton);
    EXPECT_EQ(top.pos(), start + QPoint(12, 5));
    // The window moved under the pointer: what counts is the travel from the press on the screen.
    send(QEvent::MouseMove, local + QPointF(18, 15), global + QPointF(30, 20), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, local + QPointF(18, 15), global + QPointF(30, 20), Qt::NoButton);
    EXPECT_EQ(top.pos(), start + QPoint(30, 20));
    EXPECT_FALSE(bar->isDraggingWindow());
}

TEST_F(StatusBarControlsTest, PopUpRectsFollowTheLabelAndTheValue)
{
    auto* bare = popUp(new QVStatusBarPopUpView(pf::Rect(0, 0, 120, 20)), "", menuOf({"100%", "200%"}));
    auto* zoom = popUp(new QVStatusBarPopUpView(pf::Rect(0, 20, 120, 20)), "Zoom:", menuOf({"100%", "200%"}));
    const pf::Rect b = bare->bounds();

    // No label: the value starts where a label would end, 8.5 rounded, plus a half.
    EXPECT_EQ(bare->valueTextRectForBounds(b).x(), 9.5);
    const pf::Rect label = zoom->labelTextRectForBounds(b);
    const pf::Rect value = zoom->valueTextRectForBounds(b);
    EXPECT_EQ(label.x(), 8);
    EXPECT_EQ(label.width(), std::round(zoom->labelTextSize().width) + 0.5);
    EXPECT_EQ(value.x(), std::round(label.maxX() + 3) + 0.5);
    EXPECT_EQ(value.width(), std::round(zoom->valueTextSize().width) + 0.5);
    const pf::Rect arrows = zoom->arrowsRectForBounds(b);
    EXPECT_EQ(arrows.x(), std::round(value.maxX() + 3) + 0.5);
    EXPECT_EQ(arrows.size, pf::Size(6, 9));
    // Upright the arrows stand one point above the value's lower edge.
    EXPECT_EQ(arrows.maxY(), value.maxY() - 1);
    // Centred on whole points plus a half; the hidden button spans the bar less 3 points a side.
    EXPECT_EQ(value.y(), std::round(10 - value.height() / 2) + 0.5);
    EXPECT_EQ(zoom->popUpButtonRectForBounds(b), pf::Rect(3, 1.5, 114.5, 18));
    // The menu is centred on the value, its item's top one point below the value's top.
    const pf::Point at = zoom->menuLocationForMenuWidth(80);
    EXPECT_EQ(at, pf::Point(std::floor(value.midX() - 40) - 0.5, value.minY() + 1));
}

TEST_F(StatusBarControlsTest, AnEmptyMenuIgnoresClicksAndNeverHighlights)
{
    auto* view = popUp(new QVStatusBarPopUpView(pf::Rect(0, 0, 120, 20)), "Zoom:", std::make_shared<pf::Menu>());
    click(*view, {30, 10});
    EXPECT_FALSE(view->isMenuVisible());
    pf::drainMainQueue();
    EXPECT_EQ(view->openMenu(), nullptr);
    EXPECT_TRUE(view->valueText().isEmpty());
}

TEST_F(StatusBarControlsTest, TheMenuHighlightsTheBarWhileOpenAndTheValueFollowsOneTurnAfterItCloses)
{
    // Room round the menu on the screen, so that it opens where it is asked to.
    top.move(100, 300);
    auto* view = popUp(new QVStatusBarPopUpView(pf::Rect(200, 40, 120, 20)), "Zoom:", menuOf({"100%", "", "200%"}));
    std::vector<std::int64_t> chosen;
    view->popUpButton()->setSelectionHandler([&](const pf::MenuItem& item) { chosen.push_back(item.tag()); });
    EXPECT_EQ(view->valueText(), "100%");

    for (bool choose : {true, false}) {
        click(*view, {30, 10});
        EXPECT_TRUE(view->isMenuVisible());
        EXPECT_TRUE(view->isHighlighted());
        // The menu opens on the next turn, with the selected item over the value.
        EXPECT_EQ(view->openMenu(), nullptr);
        pf::drainMainQueue();
        QMenu* menu = view->openMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->isVisible());
        // The selected item's corner is where the view asked for it.
        const QAction* selected = menu->actions().at(view->popUpButton()->indexOfSelectedItem());
        const pf::Point at = view->menuLocationForMenuWidth(menu->sizeHint().width());
        EXPECT_EQ(menu->pos() + menu->actionGeometry(const_cast<QAction*>(selected)).topLeft(),
                  view->mapToGlobal(QPoint(int(std::lround(at.x)), int(std::lround(at.y)))));
        // 0xD0D0D0 to 0xB0B0B0 down the bar.
        EXPECT_TRUE(near(render(*view).pixelColor(60, 2), 0xCCCCCC)) << "highlighted gradient";

        if (choose)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(2)).center());
        else
            menu->hide();
        EXPECT_FALSE(menu->isVisible());
        // Still highlighted until the next turn reads the value.
        EXPECT_TRUE(view->isMenuVisible());
        pf::drainMainQueue();
        EXPECT_FALSE(view->isMenuVisible());
        EXPECT_TRUE(near(render(*view).pixelColor(60, 2), 0xD9D9D9)) << "main gradient";
        EXPECT_EQ(view->valueText(), "200%");
    }
    EXPECT_EQ(chosen, std::vector<std::int64_t>{2});
    EXPECT_EQ(view->popUpButton()->title(), "200%");
}

TEST_F(StatusBarControlsTest, APopUpThatGoesTakesItsPendingMenuAndValueWithIt)
{
    auto* view = popUp(new QVStatusBarPopUpView(pf::Rect(0, 0, 120, 20)), "Zoom:", menuOf({"100%", "200%"}));
    click(*view, {30, 10});
    view->updateValue();
    delete view;
    // The menu would have opened, and the value been read, on this turn.
    pf::drainMainQueue();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(StatusBarControlsTest, TheGridPopUpShowsUnitsByTheirShortNamesAndSpacingsByTheirTitles)
{
    const QString inches = Metrics::unitNameForUnitType(1), centimeters = Metrics::unitNameForUnitType(2);
    auto menu = std::make_shared<pf::Menu>();
    for (const QString& title : {QStringLiteral("16"), Metrics::unitNameForUnitType(0), inches, centimeters})
        menu->addItem(title, QString());
    auto* grid = popUp(new GridStatusBarPopupView(pf::Rect(0, 0, 120, 20)), "", menu);
    struct Case {
        int index;
        QString shown;
    };
    for (const Case& c : {Case{2, Metrics::shortUnitNameForUnitType(1)}, Case{3, Metrics::shortUnitNameForUnitType(2)},
                          Case{0, "16"}, Case{1, Metrics::unitNameForUnitType(0)}}) {
        grid->popUpButton()->selectItemAtIndex(c.index);
        grid->updateValue();
        pf::drainMainQueue();
        EXPECT_EQ(grid->valueText(), c.shown) << c.index;
    }
    EXPECT_NE(Metrics::shortUnitNameForUnitType(1), inches);
}

TEST_F(StatusBarControlsTest, TheButtonPlacesItsTitleDrawsItsEdgesAndSendsItsActionOnAClickOverIt)
{
    auto* button = add(new QVStatusBarButton(pf::Rect(0, 0, 140, 20)));
    button->awakeFromNib();
    button->setTitle(QStringLiteral(" Canvas: 1024 × 768"));
    const pf::Size title = button->titleTextSize();
    EXPECT_GT(title.width, 0);
    EXPECT_EQ(button->titleRectForBounds(button->bounds()),
              pf::Rect(8, std::round(10 - title.height / 2) + 0.5, std::round(title.width) + 0.5, title.height));
    button->setAlignment(QVStatusBarButton::Alignment::Center);
    EXPECT_EQ(button->titleRectForBounds(button->bounds()).width(), 124);

    const QImage image = render(*button);
    EXPECT_TRUE(near(image.pixelColor(70, 0), 0x9E9E9E)) << "top border";
    EXPECT_TRUE(near(image.pixelColor(139, 10), 0x9E9E9E)) << "right edge";
    EXPECT_TRUE(near(image.pixelColor(4, 19), 0xBCBCBC)) << "gradient, no bottom bevel";

    class Target : public pf::Responder {
    public:
        Target() { setAction(QStringLiteral("editMetrics:"), [this](const pf::MenuItem*) { ++clicks; }); }
        int clicks = 0;
    } target;
    button->setAction(QStringLiteral("editMetrics:"), &target);
    click(*button, {20, 10});
    EXPECT_EQ(target.clicks, 1);
    // Released away from it: no click, and the highlight ends.
    kittest::sendMouse(*button, QEvent::MouseButtonPress, {20, 10}, Qt::LeftButton, Qt::LeftButton, ++time);
    EXPECT_TRUE(button->isHighlighted());
    kittest::sendMouse(*button, QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton, ++time);
    EXPECT_FALSE(button->isHighlighted());
    kittest::sendMouse(*button, QEvent::MouseButtonRelease, {200, 10}, Qt::LeftButton, Qt::NoButton, ++time);
    EXPECT_EQ(target.clicks, 1);
}

// The three controls as the status bar shows them, in a main window and in another: compared with the
// kept picture. Set QUORVEL_WRITE_REFERENCE_PICTURES=1 to rewrite it after a deliberate change.
TEST_F(StatusBarControlsTest, TheControlsMatchTheirKeptPictureMainAndNot)
{
    auto* bar = add(new QVDraggableBar(pf::Rect(0, 0, 400, 20)));
    bar->awakeFromNib();
    auto* button = new QVStatusBarButton(pf::Rect(0, 0, 140, 20));
    bar->addSubview(button, button->frame());
    button->awakeFromNib();
    button->setTitle(QStringLiteral(" Canvas: 1024 × 768"));
    auto* zoom = new QVStatusBarPopUpView(pf::Rect(139, 0, 100, 20));
    bar->addSubview(zoom, zoom->frame());
    auto* zoomButton = new pf::PopUpButton(pf::Rect(0, 0, 50, 18));
    zoomButton->setMenu(menuOf({"50%", "100%"}));
    zoomButton->selectItemAtIndex(1);
    zoom->setPopUpButton(zoomButton);
    zoom->awakeFromNib();
    zoom->setLabelText(QStringLiteral("Zoom:"));
    auto* grid = new GridStatusBarPopupView(pf::Rect(238, 0, 80, 20));
    bar->addSubview(grid, grid->frame());
    auto* gridButton = new pf::PopUpButton(pf::Rect(0, 0, 50, 18));
    auto gridMenu = std::make_shared<pf::Menu>();
    gridMenu->addItem(QStringLiteral("8"), QString());
    gridMenu->addItem(Metrics::unitNameForUnitType(2), QString());
    gridButton->setMenu(gridMenu);
    gridButton->selectItemAtIndex(1);
    grid->setPopUpButton(gridButton);
    grid->awakeFromNib();
    grid->setLabelText(QStringLiteral("Grid:"));
    pf::drainMainQueue();

    QImage sheet(400, 40, QImage::Format_ARGB32);
    {
        QPainter painter(&sheet);
        painter.drawImage(0, 0, render(*bar));
        window->resignMainWindow();
        painter.drawImage(0, 20, render(*bar));
    }
    const QString path = QStringLiteral(QUORVEL_TEST_DATA "/statusbar/status-bar-controls.png");
    if (std::getenv("QUORVEL_WRITE_REFERENCE_PICTURES")) {
        ASSERT_TRUE(sheet.save(path));
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(reference.size(), sheet.size()) << qPrintable(path);
    // Glyph edges may differ a little between library versions; a wrong colour or place changes many
    // pixels a lot.
    int differing = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (!near(sheet.pixelColor(x, y), reference.pixel(x, y) & 0xFFFFFF))
                ++differing;
    EXPECT_LT(differing, sheet.width() * sheet.height() / 200) << differing << " pixels differ";
}

} // namespace
