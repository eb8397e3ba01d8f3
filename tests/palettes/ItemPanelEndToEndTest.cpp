// The filter and control panels driven as a user drives them, offscreen, against what the page draws.
#include "ItemPanelFixture.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ScrollView.h"

#include <QSlider>

#include <gtest/gtest.h>

namespace {

class ItemPanelEndToEndTest : public ItemPanelFixture {
protected:
    // The page as the canvas shows it.
    QImage screen()
    {
        endTurn();
        return scrollView->grab().toImage();
    }
};

TEST_F(ItemPanelEndToEndTest, PixellatingAPictureFromTheCatalogueAndUndoingIt)
{
    const auto picture = addShape("Image", pf::Rect(200, 150, 160, 120));
    undo.disableUndoRegistration();
    // Stripes a pixellation blurs into one colour per block.
    picture->setImage(pf::Image::drawn(pf::Size(160, 120), 1, [](pf::GraphicsContext& context) {
        for (int x = 0; x < 160; x += 4) {
            context.setFillColor((x / 4) % 2 ? pf::Color(1, 0.8, 0, 1) : pf::Color(0.1, 0.2, 0.9, 1));
            context.fillRect(pf::Rect(x, 0, 4, 120));
        }
    }));
    undo.enableUndoRegistration();
    select({picture});
    const QImage original = screen();

    ItemTable* table = filters().tableView();
    ASSERT_TRUE(table);
    table->addButton()->click();
    endTurn();
    ASSERT_EQ(picture->contentFilterSpecs().size(), 1u);
    // The pop-up's choice of the catalogue's pixellation.
    unsigned pixellate = 0;
    for (const auto& info : filters().allFilterInfos())
        if (info->name() == QLatin1String("CIPixellate"))
            pixellate = info->type();
    ASSERT_NE(pixellate, 0u);
    ASSERT_TRUE(edit(*table, 0, 1, qlonglong(pixellate)));
    endTurn();
    const QImage pixellated = screen();
    EXPECT_NE(pixellated, original);

    auto* slider = qobject_cast<QSlider*>(table->tableView()->indexWidget(table->tableView()->model()->index(0, 2)));
    ASSERT_TRUE(slider);
    ASSERT_TRUE(slider->isEnabled());
    slider->setSliderDown(true);
    slider->setValue(slider->value() + 300);
    endTurn();
    slider->setSliderDown(false);
    const QImage coarser = screen();
    EXPECT_NE(coarser, pixellated);

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(screen(), pixellated);
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(picture->contentFilterSpecs().empty());
    EXPECT_EQ(screen(), original);
}

TEST_F(ItemPanelEndToEndTest, ASegmentAddedRenamedAndDraggedFirstIsDrawnFirst)
{
    const auto segments = addControl("UISegmentedControl", pf::Rect(100, 100, 300, 30));
    undo.disableUndoRegistration();
    segments->setControlItems(itemsTitled({"Day", "Week"}));
    undo.enableUndoRegistration();
    select({segments});
    ItemTable* table = controlFacet("UISegmentedControlFacet").tableView();
    ASSERT_TRUE(table);
    table->addButton()->click();
    endTurn();
    ASSERT_EQ(table->tableView()->model()->rowCount(), 3);
    ASSERT_TRUE(edit(*table, 2, 0, QStringLiteral("Month")));
    endTurn();
    ASSERT_TRUE(dragRow(*table, 2, *table, 0, false).accepted);
    endTurn();
    EXPECT_EQ(titlesOf(*segments), (QStringList{"Month", "Day", "Week"}));

    // It draws as a control made in that order.
    const auto expected = addControl("UISegmentedControl", pf::Rect(100, 100, 300, 30));
    expected->setControlItems(itemsTitled({"Month", "Day", "Week"}));
    const QImage drawn = pictureOf(*segments);
    EXPECT_EQ(drawn, pictureOf(*expected));
    const auto unmoved = addControl("UISegmentedControl", pf::Rect(100, 100, 300, 30));
    unmoved->setControlItems(itemsTitled({"Day", "Week", "Month"}));
    EXPECT_NE(drawn, pictureOf(*unmoved));
}

} // namespace
