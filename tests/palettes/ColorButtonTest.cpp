// The colour button's swatch as drawn, in every state a panel shows it.
#include "palettes/ColorButton.h"

#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class TestButton : public ColorButton {
public:
    using ColorButton::ColorButton;
    using ColorButton::drawRect;
};

QImage drawn(TestButton& button)
{
    pf::BitmapContext context(button.bounds().size, 1.0, true, true);
    button.drawRect(context, button.bounds());
    return context.bitmap().convertToFormat(QImage::Format_ARGB32);
}

// Some pixel of column x between the rows is clearly red.
bool redInColumn(const QImage& image, int x, int fromY, int toY)
{
    for (int y = fromY; y <= toY; ++y) {
        const QColor p = image.pixelColor(x, y);
        if (p.red() > p.green() + 40 && p.red() > p.blue() + 40)
            return true;
    }
    return false;
}

TEST(ColorButtonTest, SwatchFollowsColourAndState)
{
    struct Case {
        const char* what;
        pf::OptionalColor color;
        bool enabled;
        bool swatch;
    };
    const Case cases[] = {
        {"opaque", pf::Color(0, 0, 1, 1), true, true},
        {"half", pf::Color(0, 0, 1, 0.5), true, true},
        {"clear", pf::Color(0, 0, 1, 0), true, true},
        {"disabled", pf::Color(0, 0, 1, 1), false, false},
        {"empty", std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        TestButton button(pf::Rect(0, 0, 44, 24));
        button.setColor(c.color);
        button.setEnabled(c.enabled);
        EXPECT_EQ(button.swatchRect(), c.swatch ? pf::Rect(4, 4, 36, 16) : pf::Rect()) << c.what;
    }
}

TEST(ColorButtonTest, PicturesOfTheSwatches)
{
    // Opaque, half transparent, clear (the no-colour sign), disabled, side by side.
    struct Case {
        pf::Color color;
        bool enabled;
    };
    const Case cases[] = {
        {pf::Color(0.1, 0.3, 0.9, 1), true},
        {pf::Color(0.1, 0.3, 0.9, 0.5), true},
        {pf::Color(0.1, 0.3, 0.9, 0), true},
        {pf::Color(0.1, 0.3, 0.9, 1), false},
    };
    QImage sheet(4 * 44, 24, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int x = 0;
    std::vector<QImage> pictures;
    for (const Case& c : cases) {
        TestButton button(pf::Rect(0, 0, 44, 24));
        button.setColor(c.color);
        button.setEnabled(c.enabled);
        pictures.push_back(drawn(button));
        painter.drawImage(x, 0, pictures.back());
        x += 44;
    }
    painter.end();

    // Centre of the swatch: the colour (over white where it is half), white for clear, the bezel when
    // disabled; the clear sign's diagonal passes through the centre in red.
    const QColor opaque = pictures[0].pixelColor(22, 12);
    EXPECT_LT(opaque.red(), 40);
    EXPECT_GT(opaque.blue(), 200);
    EXPECT_GT(pictures[1].pixelColor(22, 12).alpha(), 0);
    const QColor clearCorner = pictures[2].pixelColor(8, 6);
    EXPECT_GT(clearCorner.red(), 240);
    EXPECT_GT(clearCorner.green(), 240);
    EXPECT_TRUE(redInColumn(pictures[2], 22, 9, 14));
    EXPECT_FALSE(redInColumn(pictures[0], 22, 9, 14));
    const QColor disabled = pictures[3].pixelColor(22, 12);
    EXPECT_LT(std::abs(disabled.red() - disabled.blue()), 10);

    expectMatchesReferencePicture(sheet, QStringLiteral(QUORVEL_TEST_DATA "/palettes/inspector-color-buttons.png"));
}

} // namespace

namespace {

TEST(ColorButtonTest, AClickTogglesAndSendsItsActionOnlyWhenEnabled)
{
    QWidget top;
    top.resize(100, 50);
    auto* button = new ColorButton(pf::Rect(10, 10, 44, 24), &top);
    top.show();
    std::vector<bool> sent;
    button->setAction([&](ColorButton& b) { sent.push_back(b.state()); });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(sent, (std::vector<bool>{true, false}));
    // A press that ends outside the button does nothing.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 12));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(80, 40));
    EXPECT_EQ(sent.size(), 2u);
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(sent.size(), 2u);
    EXPECT_FALSE(button->state());
}

} // namespace
