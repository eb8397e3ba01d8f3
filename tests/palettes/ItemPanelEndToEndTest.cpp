// The filter and control panels driven as a user drives them, offscreen, against what the page draws.
#include "ItemPanelFixture.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ScrollView.h"

#include <QApplication>
#include <QScreen>
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
    // A picture of stripes, which a pixellation blurs into one colour per block.
    std::shared_ptr<Shape> stripedPicture()
    {
        const auto picture = addShape("Image", pf::Rect(200, 150, 160, 120));
        undo.disableUndoRegistration();
        picture->setImage(pf::Image::drawn(pf::Size(160, 120), 1, [](pf::GraphicsContext& context) {
            for (int x = 0; x < 160; x += 4) {
                context.setFillColor((x / 4) % 2 ? pf::Color(1, 0.8, 0, 1) : pf::Color(0.1, 0.2, 0.9, 1));
                context.fillRect(pf::Rect(x, 0, 4, 120));
            }
        }));
        undo.enableUndoRegistration();
        return picture;
    }
    // The type of the catalogue's filter of that name; 0 when it has none.
    unsigned catalogueType(const char* name) const
    {
        for (const auto& info : filters().allFilterInfos())
            if (info->name() == QLatin1String(name))
                return info->type();
        return 0;
    }
    // The page as the window shows it now: only what was asked to be redrawn has been painted again.
    QImage shownOnScreen()
    {
        endTurn();
        QApplication::processEvents();
        QWidget* top = scrollView->window();
        const QPoint at = scrollView->mapTo(top, QPoint());
        return top->screen()
            ->grabWindow(top->winId(), at.x(), at.y(), scrollView->width(), scrollView->height())
            .toImage();
    }
};

TEST_F(ItemPanelEndToEndTest, PixellatingAPictureFromTheCatalogueAndUndoingIt)
{
    const auto picture = stripedPicture();
    select({picture});
    const QImage original = screen();

    ItemTable* table = filters().tableView();
    ASSERT_TRUE(table);
    table->addButton()->click();
    endTurn();
    ASSERT_EQ(picture->contentFilterSpecs().size(), 1u);
    // The pop-up's choice of the catalogue's pixellation.
    const unsigned pixellate = catalogueType("CIPixellate");
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

TEST_F(ItemPanelEndToEndTest, EveryFilterChangeIsDrawnAtOnce)
{
    const auto picture = stripedPicture();
    const unsigned pixellate = catalogueType("CIPixellate");
    ASSERT_NE(pixellate, 0u);
    // A pixellation the user has not switched on yet.
    undo.disableUndoRegistration();
    picture->setContentFilterSpecs({spec(pixellate, 20, false)});
    undo.enableUndoRegistration();
    select({picture});
    const QImage original = shownOnScreen();
    ItemTable* table = filters().tableView();
    ASSERT_TRUE(table);

    // Each step as the table's cells and buttons take it; the canvas shows it without a new selection.
    ASSERT_TRUE(edit(*table, 0, 0, Qt::Checked, Qt::CheckStateRole));
    const QImage on = shownOnScreen();
    EXPECT_TRUE(on != original) << "ticking On left the shape unfiltered";
    ASSERT_TRUE(edit(*table, 0, 0, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(shownOnScreen() == original) << "unticking On left the shape filtered";
    ASSERT_TRUE(edit(*table, 0, 0, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(shownOnScreen() == on);
    // A second filter added in front of the first and made a blur: the shape shows both.
    table->controller().setSelectionIndex(0);
    table->addButton()->click();
    endTurn();
    ASSERT_EQ(picture->contentFilterSpecs().size(), 2u);
    const std::size_t added = picture->contentFilterSpecs()[0]->type() == 0 ? 0 : 1;
    ASSERT_TRUE(edit(*table, int(added), 1, qlonglong(1)));
    const QImage both = shownOnScreen();
    EXPECT_TRUE(both != on) << "the added blur is not drawn";
    table->controller().setSelectionIndex(added);
    table->removeButton()->click();
    EXPECT_TRUE(shownOnScreen() == on) << "the removed filter is still drawn";
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
