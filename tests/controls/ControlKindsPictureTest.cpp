// Buttons, item bars and stretchable images on one page, in the light and the dark theme, plain and
// highlighted, compared with the reference picture: the controls' layers and then the text pass, which
// draws the buttons' labels.
#include "ControlKindTestSupport.h"

#include "controls/ItemBars.h"
#include "controls/StretchImage.h"
#include "controls/UIButton.h"
#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

namespace {

constexpr double cellWidth = 340, cellHeight = 64;

QString referencePath() { return QStringLiteral(QUORVEL_TEST_DATA "/controls/buttons-bars-images.png"); }

// The stretchable kinds showing the test swatch (4 × 4 points) cut by one-point insets.
class SwatchStretch9 : public StretchImage9 {
public:
    void updateControlImageIdentifier() override { setControlImageIdentifier(QStringLiteral("test-swatch.png")); }
};
class SwatchStretch25 : public StretchImage25 {
public:
    void updateControlImageIdentifier() override { setControlImageIdentifier(QStringLiteral("test-swatch.png")); }
};

std::shared_ptr<UIControl> makeKind(int row, const pf::Rect& cell)
{
    const pf::Rect button(cell.x() + 10, cell.y() + 10, 120, 44);
    const pf::Rect bar(cell.x() + 10, cell.y() + 8, 320, 48);
    switch (row) {
    case 0: return Shape::make<UIButton>(button);
    case 1: return Shape::make<UIGradientButton>(button);
    case 2: return Shape::make<UIBackButton>(button);
    case 3: return Shape::make<UIIcon>(button);
    case 4: return Shape::make<UISearchField>(pf::Rect(button.x(), button.y() + 7, 160, 30));
    case 5: return Shape::make<UISegmentedControl>(bar);
    case 6: {
        auto tabs = Shape::make<UITabBar>(bar);
        auto third = UIControlItem::make();
        third->setTitle(QStringLiteral("More"));
        third->setIconType(24);
        tabs->setControlItems({tabs->controlItems()[0], tabs->controlItems()[1], third});
        return tabs;
    }
    case 7: {
        auto tools = Shape::make<UIToolbar>(bar);
        auto titled = UIControlItem::make();
        titled->setTitle(QStringLiteral("Edit"));
        tools->setControlItems({tools->controlItems()[0], tools->controlItems()[1], titled});
        return tools;
    }
    case 8: {
        auto nine = Shape::make<SwatchStretch9>(button);
        nine->setEdgeInsets({1, 1, 1, 1});
        return nine;
    }
    default: {
        auto twentyFive = Shape::make<SwatchStretch25>(button);
        twentyFive->setEdgeInsets({1, 1, 1, 1});
        twentyFive->setCenterRect(pf::Rect(0, 0, 1, 1));
        return twentyFive;
    }
    }
}

} // namespace

TEST_F(ControlKindTest, EveryKindInBothThemesMatchesTheReferencePicture)
{
    constexpr int rows = 10, columns = 4;
    pf::BitmapContext context(pf::Size(columns * cellWidth, rows * cellHeight), 1.0, true, false);
    // The canvas's half-point offset, so strokes of odd widths land on whole pixels.
    context.translate(0.5, 0.5);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const bool dark = column >= 2, highlighted = column % 2 == 1;
            const pf::Rect cell(column * cellWidth, row * cellHeight, cellWidth, cellHeight);
            context.setFillColor(dark ? pf::Color(0.12, 0.12, 0.14, 1) : pf::Color(0.97, 0.97, 0.97, 1));
            context.fillRect(cell.offsetBy(-0.5, -0.5));
            auto control = makeKind(row, cell);
            control->setThemeType(dark ? 1 : 0);
            control->setHighlighted(highlighted);
            control->setHighlightBorderEnabled(highlighted);
            control->update();
            control->drawContentInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
            context.saveGState();
            control->drawTextInContext(context);
            context.restoreGState();
        }
    }
    expectMatchesReferencePicture(context.bitmap(), referencePath());
}
