#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/UserDefaultsController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using pf::UserDefaultsController;
using pf::UserDefaultsStore;
using pf::Value;

class UserDefaultsControllerTest : public ::testing::Test {
protected:
    UserDefaultsControllerTest() : previous_(UserDefaultsStore::replaceStandard(std::make_unique<UserDefaultsStore>()))
    {
        store().registerDefaults({{"Flag", false}, {"Grid", 1}, {"Placement", 1}, {"Size", 12}, {"Scale", 1.5}, {"Name", "Sans"}});
    }
    ~UserDefaultsControllerTest() override { UserDefaultsStore::replaceStandard(std::move(previous_)); }
    static UserDefaultsStore& store() { return UserDefaultsStore::standard(); }

    std::unique_ptr<UserDefaultsStore> previous_;
};

TEST_F(UserDefaultsControllerTest, KeyPathsAndRevert)
{
    UserDefaultsController controller(nullptr, {{"Size", 12}, {"Name", "Sans"}});
    EXPECT_EQ(controller.valueForKeyPath("values.Size"), Value(12));
    EXPECT_TRUE(controller.valueForKeyPath("Size").isNull()) << "only values.<key> paths";
    EXPECT_TRUE(controller.valueForKeyPath("values.").isNull());
    controller.setValueForKeyPath(Value(20), "values.Size");
    controller.setValueForKeyPath(Value("Serif"), "values.Name");
    controller.setValueForKeyPath(Value(3), "other.Size");
    EXPECT_EQ(store().integerForKey(u"Size"), 20);
    controller.revertToInitialValues();
    EXPECT_EQ(store().integerForKey(u"Size"), 12);
    EXPECT_EQ(store().stringForKey(u"Name"), "Sans");
    EXPECT_FALSE(controller.hasUnappliedChanges());
}

TEST_F(UserDefaultsControllerTest, ControlsShowTheirKeyAndWriteTheUsersChoice)
{
    UserDefaultsController controller;
    QCheckBox flag, grid;
    QComboBox placement;
    placement.addItem("Left", 0);
    placement.addItem("Top", 1);
    QLineEdit size, scale, name;
    int actions = 0;
    const auto count = [&actions] { ++actions; };
    pf::bindCheckBox(&flag, controller, "values.Flag", count);
    pf::bindCheckBox(&grid, controller, "values.Grid", count, true);
    pf::bindPopUpTag(&placement, controller, "values.Placement", count);
    pf::bindTextField(&size, controller, "values.Size", count);
    pf::bindTextField(&scale, controller, "values.Scale", count);
    pf::bindTextField(&name, controller, "values.Name", count);

    EXPECT_FALSE(flag.isChecked());
    EXPECT_TRUE(grid.isChecked()) << "any non-zero number is on";
    EXPECT_EQ(placement.currentIndex(), 1);
    EXPECT_EQ(size.text(), "12");
    EXPECT_EQ(name.text(), "Sans");

    flag.click();
    grid.click();
    EXPECT_EQ(store().objectForKey(u"Flag"), Value(true));
    EXPECT_TRUE(store().objectForKey(u"Grid").isInteger()) << "written as a number";
    EXPECT_EQ(store().integerForKey(u"Grid"), 0);
    placement.activated(0);
    EXPECT_EQ(store().objectForKey(u"Placement"), Value(0));

    const struct {
        QLineEdit* field;
        const char* typed;
        Value stored;
        const char* shown;
    } edits[] = {
        {&size, "18", Value(18), "18"},
        {&size, "big", Value(18), "18"}, // not a number: refused, the stored value shown again
        {&scale, "2.25", Value(2.25), "2.25"},
        {&name, "Mono", Value("Mono"), "Mono"},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.typed);
        e.field->setText(QString::fromLatin1(e.typed));
        e.field->editingFinished();
        EXPECT_EQ(store().objectForKey(e.field == &size ? u"Size" : e.field == &scale ? u"Scale" : u"Name"), e.stored);
        EXPECT_EQ(e.field->text(), e.shown);
    }
    EXPECT_EQ(actions, 6) << "each accepted change runs the action once, after the write";

    // Changes made elsewhere turn the controls.
    store().setBoolForKey(false, "Flag");
    store().setIntegerForKey(1, "Placement");
    store().setIntegerForKey(9, "Size");
    EXPECT_FALSE(flag.isChecked());
    EXPECT_EQ(placement.currentIndex(), 1);
    EXPECT_EQ(size.text(), "9");
    store().setIntegerForKey(7, "Placement");
    EXPECT_EQ(placement.currentIndex(), -1) << "no item has that tag";
    EXPECT_EQ(actions, 6) << "showing a value writes nothing";
}

TEST_F(UserDefaultsControllerTest, ABindingEndsWithItsControl)
{
    UserDefaultsController controller;
    {
        QCheckBox flag;
        pf::bindCheckBox(&flag, controller, "values.Flag");
    }
    store().setBoolForKey(true, "Flag"); // would reach a freed control
    EXPECT_TRUE(store().boolForKey(u"Flag"));
}

} // namespace
