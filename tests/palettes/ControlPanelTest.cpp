// The phone-control panels: item limits per kind, removal, renaming with undo on the control, the
// keyboard's device change, several controls, the icon pop-up and the tint button.
#include "ItemPanelFixture.h"

#include "controls/EntryControls.h"
#include "controls/UIButton.h"

#include <QComboBox>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class ControlPanelTest : public ItemPanelFixture {
protected:
    ItemTable& tableOf(const char* facetName) const
    {
        ItemTable* made = controlFacet(facetName).tableView();
        EXPECT_TRUE(made) << facetName;
        return *made;
    }
    void giveItems(const std::shared_ptr<UIControl>& control, const QStringList& titles)
    {
        undo.disableUndoRegistration();
        control->setControlItems(itemsTitled(titles));
        undo.enableUndoRegistration();
    }
    static QStringList numbered(int count)
    {
        QStringList titles;
        for (int i = 0; i < count; ++i)
            titles << QString::number(i);
        return titles;
    }
};

TEST_F(ControlPanelTest, EachKindTakesItemsUpToItsClassMaximum)
{
    struct Case {
        const char* kind;
        const char* facet;
        int items;
        bool takesOneMore;
    };
    for (const Case& c : {Case{"UIAlertDialog", "UIAlertDialogFacet", 3, true},
                          Case{"UIAlertDialog", "UIAlertDialogFacet", 4, false},
                          Case{"UISegmentedControl", "UISegmentedControlFacet", 12, false},
                          Case{"UIActionSheet", "UIActionSheetFacet", 11, true},
                          Case{"UITableView", "UITableViewFacet", 40, true},
                          Case{"UISwitch", "UISwitchFacet", 0, false},
                          Case{"UIButton", "UIButtonFacet", 0, false}}) {
        SCOPED_TRACE(c.kind + QString::number(c.items).toStdString());
        const auto control = addControl(c.kind);
        giveItems(control, numbered(c.items));
        select({control});
        const int beepsBefore = beeps;
        controlFacet(c.facet).insertControlItem();
        EXPECT_EQ(int(control->controlItems().size()), c.items + (c.takesOneMore ? 1 : 0));
        EXPECT_EQ(beeps - beepsBefore, c.takesOneMore ? 0 : 1);
        if (ItemTable* table = controlFacet(c.facet).tableView()) {
            EXPECT_EQ(table->addButton()->isEnabled(), int(control->controlItems().size()) < control->controlClass().maxControlItems());
        }
    }
}

TEST_F(ControlPanelTest, RemoveTakesTheSelectedItemElseTheLastInOneUndoStepEach)
{
    const auto segments = addControl("UISegmentedControl");
    giveItems(segments, {"A", "B", "C"});
    select({segments});
    ItemTable& table = tableOf("UISegmentedControlFacet");
    table.controller().setSelectionIndex(1);
    table.removeButton()->click();
    endTurn();
    EXPECT_EQ(titlesOf(*segments), (QStringList{"A", "C"}));
    table.controller().setSelectionIndex(std::nullopt);
    controlFacet("UISegmentedControlFacet").removeControlItem();
    endTurn();
    EXPECT_EQ(titlesOf(*segments), (QStringList{"A"}));
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Control Items"));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titlesOf(*segments), (QStringList{"A", "C"}));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titlesOf(*segments), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(table.tableView()->model()->rowCount(), 3);

    giveItems(segments, {});
    select({segments});
    controlFacet("UISegmentedControlFacet").removeControlItem();
    EXPECT_TRUE(segments->controlItems().empty());
    EXPECT_FALSE(table.removeButton()->isEnabled());
}

TEST_F(ControlPanelTest, RenamingAnItemIsUndoneOnTheControlAndRedrawsIt)
{
    const auto segments = addControl("UISegmentedControl");
    const auto tabs = addControl("UITabBar", pf::Rect(100, 400, 240, 49));
    giveItems(segments, {"One", "Two"});
    giveItems(tabs, {"Tab"});
    select({segments});
    endTurn();
    const QImage before = pictureOf(*segments);
    ItemTable& table = tableOf("UISegmentedControlFacet");
    ASSERT_TRUE(edit(table, 0, 0, QStringLiteral("Wide first segment")));
    endTurn();
    EXPECT_EQ(titlesOf(*segments), (QStringList{"Wide first segment", "Two"}));
    ASSERT_FALSE(before.isNull());
    EXPECT_NE(pictureOf(*segments), before);
    // The same title again is no change and no step.
    EXPECT_FALSE(edit(table, 0, 0, QStringLiteral("Wide first segment")));

    // Another control selected by then: undo still renames the one edited.
    select({tabs});
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titlesOf(*segments), (QStringList{"One", "Two"}));
    EXPECT_EQ(titlesOf(*tabs), (QStringList{"Tab"}));
    select({segments});
    EXPECT_EQ(pictureOf(*segments), before);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(titlesOf(*segments), (QStringList{"Wide first segment", "Two"}));

    // Icon and highlight cells of the table view's rows write the items' keys.
    const auto list = addControl("UITableView", pf::Rect(100, 200, 300, 200));
    giveItems(list, {"Row"});
    select({list});
    ItemTable& rows = tableOf("UITableViewFacet");
    ASSERT_EQ(rows.tableView()->model()->columnCount(), 4);
    ASSERT_TRUE(edit(rows, 0, 1, qlonglong(7)));
    ASSERT_TRUE(edit(rows, 0, 2, qlonglong(UIControlItem::AccessoryInfo)));
    ASSERT_TRUE(edit(rows, 0, 3, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(list->controlItems()[0]->iconType(), 7);
    EXPECT_EQ(list->controlItems()[0]->accessory(), UIControlItem::AccessoryInfo);
    EXPECT_TRUE(list->controlItems()[0]->isHighlighted());
}

TEST_F(ControlPanelTest, ItemDragsCopyWithAltAndMoveOtherwise)
{
    const auto bar = addControl("UIToolbar");
    giveItems(bar, {"A", "B", "C"});
    select({bar});
    ItemTable& table = tableOf("UIToolbarFacet");
    EXPECT_TRUE(dragRow(table, 2, table, 0, false).accepted);
    EXPECT_EQ(titlesOf(*bar), (QStringList{"C", "A", "B"}));
    endTurn();
    EXPECT_TRUE(dragRow(table, 0, table, 2, true).accepted);
    EXPECT_EQ(titlesOf(*bar), (QStringList{"C", "A", "C", "B"}));
    endTurn();
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(titlesOf(*bar), (QStringList{"A", "B", "C"}));
    // The filter table's type is not the items' type: a filter row drag is no item drag.
    EXPECT_NE(QString::fromLatin1(FilterFacet::RowPasteboardType), QString::fromLatin1(UIControlFacet::RowPasteboardType));
}

TEST_F(ControlPanelTest, SeveralControlsLeaveTheTableEmptyAndDisabled)
{
    const auto first = addControl("UISegmentedControl");
    const auto second = addControl("UISegmentedControl", pf::Rect(100, 300, 240, 44));
    giveItems(first, {"A", "B"});
    giveItems(second, {"X"});
    select({first});
    ItemTable& table = tableOf("UISegmentedControlFacet");
    EXPECT_EQ(table.tableView()->model()->rowCount(), 2);

    select({first, second});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("UISegmentedControlFacet")));
    EXPECT_EQ(table.tableView()->model()->rowCount(), 0);
    EXPECT_FALSE(table.tableView()->isEnabled());
    EXPECT_FALSE(table.addButton()->isEnabled());
    EXPECT_FALSE(table.removeButton()->isEnabled());
    controlFacet("UISegmentedControlFacet").insertControlItem();
    controlFacet("UISegmentedControlFacet").removeControlItem();
    EXPECT_FALSE(edit(table, 0, 0, QStringLiteral("Renamed")));
    EXPECT_EQ(titlesOf(*first), (QStringList{"A", "B"}));
    EXPECT_EQ(titlesOf(*second), (QStringList{"X"}));

    select({second});
    EXPECT_EQ(table.tableView()->model()->rowCount(), 1);
    EXPECT_TRUE(table.addButton()->isEnabled());
}

TEST_F(ControlPanelTest, AKeyboardsDeviceChangeRefitsTheKeyboardAndTheSelection)
{
    const auto keyboard = addControl("UIKeyboard", pf::Rect(0, 300, 320, 216));
    select({keyboard});
    auto* device = dynamic_cast<QComboBox*>(controlFacet("UIKeyboardFacet").outlet(QStringLiteral("deviceTypePopUpButton")));
    choose(device, 1);
    EXPECT_EQ(keyboard->deviceType(), 1);
    const pf::Size pad = UIKeyboard::sizeFor(1, 0);
    EXPECT_NEAR(keyboard->frame().width(), pad.width, 1e-9 * pad.width);
    EXPECT_NEAR(keyboard->frame().height(), pad.height, 1e-9 * pad.height);
    EXPECT_EQ(canvas->manipulator()->frame(), keyboard->frame());
}

TEST_F(ControlPanelTest, TheIconPopUpHoldsEveryIconAndWritesTheIconType)
{
    const auto button = addControl("UIButton", pf::Rect(100, 100, 120, 44));
    select({button});
    auto& facet = dynamic_cast<UIButtonFacet&>(controlFacet("UIButtonFacet"));
    QComboBox* popUp = facet.iconTypePopUpButton();
    ASSERT_TRUE(popUp);
    ASSERT_EQ(popUp->count(), 41);
    for (int i = 0; i < popUp->count(); ++i)
        EXPECT_EQ(popUp->itemData(i).toInt(), i);
    choose(popUp, 12);
    EXPECT_EQ(button->valueForKey(QStringLiteral("iconType")).toInt(), 12);
    // The pop-up shows the selection's icon.
    undo.disableUndoRegistration();
    button->setValueForKey(pf::Variant(std::int64_t(3)), QStringLiteral("iconType"));
    undo.enableUndoRegistration();
    select({button});
    EXPECT_EQ(popUp->currentData().toInt(), 3);
}

TEST_F(ControlPanelTest, TheTintButtonShowsTheTintAndADroppedColourSetsIt)
{
    const auto segments = addControl("UISegmentedControl");
    select({segments});
    ColorButton* tint = controlFacet("UISegmentedControlFacet").tintColorButton();
    ASSERT_TRUE(tint);
    EXPECT_EQ(tint->tag(), 909);
    EXPECT_TRUE(tint->isEnabled());
    EXPECT_EQ(tint->color(), segments->tintColor());
    const pf::Color green(0, 0.6, 0.2, 1);
    tint->setDraggedColor(green);
    EXPECT_EQ(segments->tintColor(), pf::OptionalColor(green));
    EXPECT_EQ(tint->color(), pf::OptionalColor(green));
    endTurn();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Tint Color"));

    // Handed no selection: the button is off, disabled and empty.
    controlFacet("UISegmentedControlFacet").setSelectedObject(nullptr);
    EXPECT_FALSE(tint->isEnabled());
    EXPECT_EQ(tint->color(), std::nullopt);
}

} // namespace
