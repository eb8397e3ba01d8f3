// The arrowhead panel: its two menus of pictured heads and their tags, what a choice writes, what the
// pop-ups show, the swap of the ends with its lock test, the sticky style left alone by the sample line,
// and, end to end on the offscreen canvas, a head chosen, swapped and undone as the page draws it.
#include "PanelFixture.h"

#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "shapes/AbstractPointer.h"

#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class ArrowPanelTest : public PanelFixture {
protected:
    ArrowFacet& arrows() const { return static_cast<ArrowFacet&>(facet("ArrowFacet")); }
    AbstractPointer& connector() const { return static_cast<AbstractPointer&>(*line); }

    // The index in a menu of the item pictured with the type.
    static int indexOfType(bool endA, std::uint64_t type)
    {
        const auto& types = ArrowFacet::arrowTypesForEndA(endA);
        return int(std::find(types.begin(), types.end(), type) - types.begin());
    }
    // The user picks the item at the index of a pop-up.
    static void chooseIndex(QComboBox* popUp, int index)
    {
        ASSERT_TRUE(popUp);
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
    }
    // Dark pixels of a picture.
    static int ink(const QImage& image, const QRect& region)
    {
        int count = 0;
        for (int y = std::max(0, region.top()); y <= std::min(image.height() - 1, region.bottom()); ++y)
            for (int x = std::max(0, region.left()); x <= std::min(image.width() - 1, region.right()); ++x)
                if (qAlpha(image.pixel(x, y)) > 100 && qGray(image.pixel(x, y)) < 140)
                    ++count;
        return count;
    }
};

TEST_F(ArrowPanelTest, BothMenusOfferFortyOneHeadsWithTheirPartnersTags)
{
    const auto& a = ArrowFacet::arrowTypesForEndA(true);
    const auto& b = ArrowFacet::arrowTypesForEndA(false);
    ASSERT_EQ(a.size(), 41u);
    ASSERT_EQ(b.size(), 41u);
    const std::size_t after43 = std::size_t(indexOfType(true, 43)) + 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i >= after43 && i < after43 + 4)
            continue;
        EXPECT_EQ(a[i], b[i]) << "item " << i;
    }
    EXPECT_EQ(std::vector<std::uint64_t>(b.begin() + std::ptrdiff_t(after43), b.begin() + std::ptrdiff_t(after43) + 4),
              (std::vector<std::uint64_t>{40, 39, 38, 37}));

    const std::pair<std::uint64_t, std::int64_t> tags[] = {{35, 36}, {36, 35}, {37, 38}, {38, 37}, {39, 40}, {40, 39},
                                                           {41, 42}, {42, 41}, {0, 0},   {34, 34}, {43, 43}, {56, 56}};
    for (const auto& [type, tag] : tags)
        EXPECT_EQ(ArrowFacet::tagForArrowType(type), tag) << "type " << type;

    for (const bool endA : {true, false}) {
        const auto& menu = endA ? arrows().menuA() : arrows().menuB();
        ASSERT_EQ(menu->numberOfItems(), 41);
        for (int i = 0; i < 41; ++i) {
            const pf::MenuItem& item = menu->itemAt(i);
            EXPECT_EQ(item.tag(), ArrowFacet::tagForArrowType(ArrowFacet::arrowTypesForEndA(endA)[std::size_t(i)]));
            EXPECT_EQ(item.image().size(), pf::Size(96, 14));
            EXPECT_EQ(item.action(), endA ? QStringLiteral("arrowTypeAChanged:") : QStringLiteral("arrowTypeBChanged:"));
            EXPECT_EQ(item.target(), &arrows());
        }
        // Built once.
        EXPECT_EQ(menu, endA ? arrows().menuA() : arrows().menuB());
    }
}

TEST_F(ArrowPanelTest, ItemPicturesHaveInkAndTheNoHeadItemOnlyItsLine)
{
    const auto& menu = arrows().menuA();
    const QImage none = menu->itemAt(indexOfType(true, 0)).image().rendered(1);
    const QImage open = menu->itemAt(indexOfType(true, 1)).image().rendered(1);
    ASSERT_EQ(none.size(), QSize(96, 14));
    // The line runs along row 6; a head at end A stands above and below it, at the left.
    const QRect line(0, 6, 96, 1);
    const QRect offTheLine(0, 0, 20, 5);
    EXPECT_GT(ink(none, line), 80);
    EXPECT_EQ(ink(none, offTheLine), 0);
    EXPECT_GT(ink(open, offTheLine), 0);
    for (int i = 0; i < menu->numberOfItems(); ++i)
        EXPECT_GT(ink(menu->itemAt(i).image().rendered(1), QRect(0, 0, 96, 14)), 0) << "item " << i;
    // End B's heads are drawn at the right.
    const QImage openAtB = arrows().menuB()->itemAt(indexOfType(false, 1)).image().rendered(1);
    EXPECT_GT(ink(openAtB, QRect(76, 0, 20, 5)), 0);
    EXPECT_EQ(ink(openAtB, offTheLine), 0);
}

TEST_F(ArrowPanelTest, BuildingTheMenusLeavesTheStickyStyleAlone)
{
    pf::UserDefaultsStore& store = pf::UserDefaultsStore::standard();
    const pf::Value before = store.persistentDomain();
    // A fresh facet builds its menus anew.
    auto fresh = FacetRegistry::makeFacet(QStringLiteral("ArrowFacet"), inspector.get());
    auto* built = dynamic_cast<ArrowFacet*>(fresh.get());
    ASSERT_TRUE(built);
    built->menuA();
    built->menuB();
    EXPECT_EQ(store.persistentDomain(), before);
    auto newLine = addShape("Line", pf::Rect(10, 10, 50, 0));
    EXPECT_DOUBLE_EQ(newLine->strokeLineWidth(), line->strokeLineWidth());
    EXPECT_EQ(newLine->strokeColor(), line->strokeColor());
}

TEST_F(ArrowPanelTest, AChoiceWritesTheItemsTagAndThePopUpShowsTheSelectionsType)
{
    select({line});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("ArrowFacet")));
    QComboBox* popUpA = arrows().arrowPopUpButtonA();
    QComboBox* popUpB = arrows().arrowPopUpButtonB();
    ASSERT_TRUE(popUpA && popUpB);
    ASSERT_EQ(popUpA->count(), 41);
    chooseIndex(popUpA, indexOfType(true, 39));
    endTurn();
    EXPECT_EQ(connector().arrowTypeA(), 40u);
    chooseIndex(popUpB, indexOfType(false, 1));
    endTurn();
    EXPECT_EQ(connector().arrowTypeB(), 1u);
    chooseIndex(popUpA, indexOfType(true, 0));
    endTurn();
    EXPECT_EQ(connector().arrowTypeA(), 0u);

    // The item whose tag is the type is shown: type 40 is the item pictured 39.
    connector().setArrowTypeA(40);
    feed();
    EXPECT_EQ(popUpA->currentIndex(), indexOfType(true, 39));
    // Two connectors whose heads differ show none.
    auto other = addShape("Line", pf::Rect(100, 450, 100, 0));
    static_cast<AbstractPointer&>(*other).setArrowTypeA(3);
    static_cast<AbstractPointer&>(*other).setArrowTypeB(1);
    select({line, other});
    EXPECT_EQ(popUpA->currentIndex(), -1);
    EXPECT_EQ(popUpB->currentIndex(), indexOfType(false, 1));
}

TEST_F(ArrowPanelTest, SwapExchangesTheEndsInOneUndoStepAndLeavesALockedSelectionAlone)
{
    connector().setArrowTypeA(1);
    connector().setArrowTypeB(0);
    auto other = addShape("Line", pf::Rect(100, 450, 100, 0));
    auto& second = static_cast<AbstractPointer&>(*other);
    second.setArrowTypeA(7);
    second.setArrowTypeB(45);
    endTurn();
    undo.removeAllActions();
    select({line, other});
    auto* swap = arrows().outlet(QStringLiteral("swapButton"));
    ASSERT_TRUE(swap);
    static_cast<QPushButton*>(swap)->click();
    EXPECT_EQ(connector().arrowTypeA(), 0u);
    EXPECT_EQ(connector().arrowTypeB(), 1u);
    EXPECT_EQ(second.arrowTypeA(), 45u);
    EXPECT_EQ(second.arrowTypeB(), 7u);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(connector().arrowTypeA(), 1u);
    EXPECT_EQ(connector().arrowTypeB(), 0u);
    EXPECT_EQ(second.arrowTypeA(), 7u);
    EXPECT_EQ(second.arrowTypeB(), 45u);
    EXPECT_FALSE(undo.canUndo());

    other->setLocked(true);
    endTurn();
    undo.removeAllActions();
    feed();
    arrows().swapArrow();
    endTurn();
    EXPECT_EQ(connector().arrowTypeA(), 1u);
    EXPECT_EQ(second.arrowTypeA(), 7u);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(ArrowPanelTest, EndToEndTheChosenHeadIsDrawnAtEndAThenAtEndBAfterSwapAndBackOnUndo)
{
    auto connectorShape = addShape("Line", pf::Rect(200, 500, 300, 0));
    auto& drawn = static_cast<AbstractPointer&>(*connectorShape);
    drawn.setStrokeLineWidth(2);
    drawn.setStrokeColor(pf::Color::black());
    endTurn();
    undo.removeAllActions();
    select({connectorShape});

    // Ink above and below the line beside each end, as the canvas draws the page.
    const auto headInk = [&](const pf::Point& end, double inward) {
        canvas->selectNone();
        endTurn();
        const QImage picture = canvas->grab().toImage();
        canvas->replaceSelectionWithShapes({connectorShape});
        feed();
        const pf::Point from = viewPoint(pf::Point(end.x + inward * 3, end.y - 8));
        const pf::Point to = viewPoint(pf::Point(end.x + inward * 14, end.y - 3));
        return ink(picture, QRect(QPoint(int(std::min(from.x, to.x)), int(from.y)),
                                  QPoint(int(std::max(from.x, to.x)), int(to.y))));
    };
    const pf::Point endA(200, 500), endB(500, 500);
    EXPECT_EQ(headInk(endA, 1), 0);
    EXPECT_EQ(headInk(endB, -1), 0);

    chooseIndex(arrows().arrowPopUpButtonA(), indexOfType(true, 1));
    endTurn();
    EXPECT_EQ(drawn.arrowTypeA(), 1u);
    EXPECT_GT(headInk(endA, 1), 0);
    EXPECT_EQ(headInk(endB, -1), 0);

    static_cast<QPushButton*>(arrows().outlet(QStringLiteral("swapButton")))->click();
    endTurn();
    EXPECT_EQ(headInk(endA, 1), 0);
    EXPECT_GT(headInk(endB, -1), 0);

    ASSERT_TRUE(undo.undo());
    endTurn();
    EXPECT_GT(headInk(endA, 1), 0);
    EXPECT_EQ(headInk(endB, -1), 0);
}

} // namespace
