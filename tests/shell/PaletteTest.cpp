// The palette base: coalesced updates, the list's reload when the palette is shown, the hint's
// rectangles, and a look at the palette list and a hint view as drawn.
#include "platform/foundation/Dispatch.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/IDEPaletteListView.h"
#include "shell/IDEPaletteViewController.h"
#include "shell/QVHintView.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingPalette : public IDEPaletteViewController {
public:
    using IDEPaletteViewController::IDEPaletteViewController;
    int updates = 0;
    bool askAgainInside = false;
    void update() override
    {
        ++updates;
        if (askAgainInside)
            setNeedsUpdate();
    }
};

class Rows : public QVListViewDataSource {
public:
    std::size_t count = 0;
    std::size_t numberOfItemsInListView(QVListView&) override { return count; }
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t) override
    {
        if (QVListItem* item = list.dequeueReusableItemWithIdentifier("row"))
            return item;
        return new QVListItem(pf::Rect(), "row");
    }
};

// A row that paints itself white with a grey rule, as the palettes' rows do.
class WhiteRow : public QVListItem {
public:
    WhiteRow() : QVListItem(pf::Rect(), "white") {}

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        context.setFillColor(pf::Color(1, 1, 1, 1));
        context.fillRect(bounds());
        context.setFillColor(pf::Color(0.8, 0.8, 0.8, 1));
        context.fillRect(pf::Rect(0, bounds().height() - 1, bounds().width(), 1));
    }
};

class WhiteRows : public QVListViewDataSource {
public:
    std::size_t count = 0;
    std::size_t numberOfItemsInListView(QVListView&) override { return count; }
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t) override
    {
        if (QVListItem* item = list.dequeueReusableItemWithIdentifier("white"))
            return item;
        return new WhiteRow;
    }
};

const QString paletteFile = QStringLiteral("TestPalette");

} // namespace

TEST(PaletteTest, TenRequestsInOneTurnMakeOneUpdateAndOneMadeInsideItIsAbsorbed)
{
    pf::VirtualClock clock;
    CountingPalette palette(paletteFile);
    for (int k = 0; k < 10; ++k)
        palette.setNeedsUpdate();
    EXPECT_EQ(palette.updates, 0);
    pf::drainMainQueue();
    EXPECT_EQ(palette.updates, 1);

    palette.askAgainInside = true;
    palette.setNeedsUpdate();
    pf::drainMainQueue();
    EXPECT_EQ(palette.updates, 2);

    // Gone before its turn: nothing runs.
    auto doomed = std::make_unique<CountingPalette>(paletteFile);
    doomed->setNeedsUpdate();
    doomed.reset();
    pf::drainMainQueue();
}

TEST(PaletteTest, ThePaletteViewIsStyledAndItsListReloadsTheTurnAfterItIsShown)
{
    pf::VirtualClock clock;
    const pf::ScopedViewBuilder builder(paletteFile, &IDEPaletteViewController::buildPaletteView);
    QWidget top;
    top.resize(250, 400);
    pf::Window* window = pf::Window::attach(&top);
    auto* content = new QVView;
    window->setContentView(content);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    Rows rows;
    rows.count = 3;
    {
        CountingPalette palette(paletteFile);
        pf::View* view = palette.view();
        ASSERT_NE(view, nullptr);
        ASSERT_NE(palette.listView(), nullptr);
        ASSERT_NE(palette.scrollView(), nullptr);
        EXPECT_EQ(palette.listView()->backgroundColor(), pf::Color(0.92, 0.92, 0.92, 1));
        palette.listView()->setDataSource(&rows);

        rows.count = 0;
        content->addSubview(view, pf::Rect(0, 0, 250, 400));
        rows.count = 3; // the list has not been told
        EXPECT_TRUE(palette.listView()->items().empty());
        pf::drainMainQueue();
        EXPECT_EQ(palette.listView()->items().size(), 3u);
        view->removeFromSuperview();
        delete view;
        EXPECT_EQ(palette.listView(), nullptr);
    }
}

TEST(PaletteTest, TheHintIsCentredInARectangleThatKeepsItsMarginsAndAPillOfBoundedWidth)
{
    IDEPaletteListView list(pf::Rect(0, 0, 300, 200));
    list.setHintText("Inspector");
    const pf::Rect text = list.hintTextRectForBounds(list.bounds());
    EXPECT_EQ(text.x(), 34);
    EXPECT_EQ(text.width(), 232);
    EXPECT_GT(text.height(), 10);
    EXPECT_EQ(text.y(), 100 - text.height() / 2);
    EXPECT_EQ(QVHintPill::pillRect(text, list.bounds(), IDEPaletteListView::metrics), pf::Rect(16, std::floor(text.y() - 4), 268, std::floor(text.height() + 8)));

    // Narrower than the margins allow: the text keeps 100 points, wider than the space left.
    EXPECT_EQ(list.hintTextRectForBounds(pf::Rect(0, 0, 150, 200)).width(), 100);
    const pf::Rect narrowText = list.hintTextRectForBounds(pf::Rect(0, 0, 150, 200));
    EXPECT_EQ(QVHintPill::pillRect(narrowText, pf::Rect(0, 0, 150, 200), IDEPaletteListView::metrics).x(), 16);

    // A long hint wraps; its pill stops at 400 and is centred.
    list.setHintText(QString("Select a shape to see its properties here. ").repeated(8));
    const pf::Rect wide(0, 0, 700, 300);
    const pf::Rect longText = list.hintTextRectForBounds(wide);
    EXPECT_GT(longText.height(), 2 * text.height());
    const pf::Rect pill = QVHintPill::pillRect(longText, wide, IDEPaletteListView::metrics);
    EXPECT_EQ(pill.width(), 400);
    EXPECT_EQ(pill.x(), 150);

    list.setHintText("");
    EXPECT_EQ(list.hintTextRectForBounds(list.bounds()).height(), 0);
}

namespace {

QImage render(QWidget& w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image);
    return image;
}

} // namespace

// Draws a palette list with two rows over its hint, and a hint view, in a main and a non-main window. With
// QUORVEL_SHOT_DIR set, the pictures are written there as PNG to be looked at.
TEST(PaletteTest, APaletteListAndAHintViewAsDrawnInMainAndOtherWindows)
{
    QWidget top;
    top.resize(560, 220);
    pf::Window* window = pf::Window::attach(&top);
    auto* content = new QVView;
    window->setContentView(content);
    auto* list = new IDEPaletteListView(pf::Rect(0, 0, 260, 220));
    list->setBackgroundColor(pf::Color(0.92, 0.92, 0.92, 1));
    list->setNonMainBackgroundColor(pf::Color(0.6, 0.6, 0.6, 1));
    list->setHintText("Inspector");
    list->setAutoresizingMask(pf::View::HeightSizable); // fills its height below the rows
    WhiteRows rows;
    rows.count = 2;
    list->setDataSource(&rows);
    content->addSubview(list, pf::Rect(0, 0, 260, 220));
    list->reloadData();
    auto* hint = new QVHintView(pf::Rect(0, 0, 280, 220));
    hint->setColor(pf::Color(0.8, 0.8, 0.6, 1));
    hint->setHintText("Drop a view here to split the window");
    content->addSubview(hint, pf::Rect(280, 0, 280, 220));

    const QImage nonMain = render(top);
    window->becomeMainWindow();
    const QImage main = render(top);
    window->resignMainWindow();

    if (const QByteArray dir = qgetenv("QUORVEL_SHOT_DIR"); !dir.isEmpty()) {
        main.save(QDir(QString::fromLocal8Bit(dir)).filePath("palette-main.png"));
        nonMain.save(QDir(QString::fromLocal8Bit(dir)).filePath("palette-non-main.png"));
    }
    for (const QImage* image : {&main, &nonMain}) {
        // Rows on top (white), the palette's background below them; the pill shows under the rows only where
        // no row covers it.
        EXPECT_EQ(image->pixelColor(130, 20), QColor(255, 255, 255));
        EXPECT_EQ(image->pixelColor(130, 200), QColor(235, 235, 235)); // the main colour in every window
        EXPECT_EQ(image->pixelColor(30, 110), QColor(191, 191, 191)); // the palette's pill, left of the text
        EXPECT_EQ(image->pixelColor(290, 10), QColor(204, 204, 153)); // the hint view's own colour
        EXPECT_EQ(image->pixelColor(310, 110), QColor(191, 191, 191)); // its pill
    }
}
