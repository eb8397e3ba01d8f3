// The Cocoa-style undo manager: groups (explicit, per event-loop turn), redo through re-registration,
// counted disabling, targets that disappear, and group ownership.
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "WarningCapture.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A model object whose setter registers its own inverse, as every model setter does.
class Box : public pf::Object {
public:
    explicit Box(pf::UndoManager* undo) : undo_(undo) {}
    int value() const { return value_; }
    void setValue(int v, const QString& actionName = QStringLiteral("Value"))
    {
        if (v == value_)
            return;
        pf::registerUndo(undo_, this, [old = value_, actionName](Box& b) { b.setValue(old, actionName); }, actionName);
        value_ = v;
        ++calls;
    }
    int calls = 0;

private:
    pf::UndoManager* undo_;
    int value_ = 0;
};

class UndoManagerTest : public testing::Test {
protected:
    void SetUp() override { pf::drainMainQueue(); } // no turn left open by an earlier test
    void endTurn() { pf::drainMainQueue(); }

    pf::UndoManager undo;
    std::shared_ptr<Box> box = std::make_shared<Box>(&undo);
};

TEST_F(UndoManagerTest, AnExplicitGroupUndoesAndRedoesAsOneNamedStep)
{
    box->setValue(1);
    endTurn();
    const pf::UndoGroupToken group = undo.beginUndoGrouping();
    box->setValue(2);
    box->setValue(3);
    box->setValue(4);
    EXPECT_EQ(undo.groupingLevel(), 2); // the turn's automatic group and ours
    EXPECT_TRUE(undo.endUndoGrouping(group));
    undo.setActionName("Drag");
    endTurn();
    EXPECT_EQ(undo.groupingLevel(), 0);

    EXPECT_EQ(undo.undoActionName(), "Drag");
    EXPECT_EQ(undo.undoMenuItemTitle(), "Undo Drag");
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 1);
    EXPECT_TRUE(undo.canRedo());
    EXPECT_EQ(undo.redoMenuItemTitle(), "Redo Value"); // the inverses named the redo step themselves

    EXPECT_TRUE(undo.redo());
    EXPECT_EQ(box->value(), 4);
    EXPECT_TRUE(undo.undo());
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.undo());
    EXPECT_EQ(undo.undoMenuItemTitle(), "Undo");
}

TEST_F(UndoManagerTest, EachTurnOfTheEventLoopIsOneStep)
{
    box->setValue(1);
    box->setValue(2);
    endTurn();
    box->setValue(3);
    endTurn();
    box->setValue(4); // still open: undo closes the turn's group first
    EXPECT_TRUE(undo.canUndo());

    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 3);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 2);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(UndoManagerTest, ADragAcrossEventsIsOneStepWithTheTurnsAroundIt)
{
    const pf::UndoGroupToken drag = undo.beginUndoGrouping();
    box->setValue(1);
    endTurn(); // the drag goes on: nothing closes
    box->setValue(2);
    endTurn();
    EXPECT_EQ(undo.groupingLevel(), 2);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_TRUE(undo.endUndoGrouping(drag));
    endTurn();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);
}

TEST_F(UndoManagerTest, AGroupThatLeftNoStepRenamesNothing)
{
    box->setValue(1, "Fill");
    endTurn();
    const pf::UndoGroupToken empty = undo.beginUndoGrouping();
    EXPECT_TRUE(undo.endUndoGrouping(empty));
    endTurn();
    undo.setActionName("Move");
    EXPECT_EQ(undo.undoActionName(), "Fill");
}

TEST_F(UndoManagerTest, WithoutGroupingByEventEachRegistrationOutsideAGroupIsAStep)
{
    undo.setGroupsByEvent(false);
    box->setValue(1);
    box->setValue(2);
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 1);
}

TEST_F(UndoManagerTest, DisablingIsCountedAndSilencesNamesToo)
{
    box->setValue(1, "First");
    endTurn();
    undo.disableUndoRegistration();
    undo.disableUndoRegistration();
    box->setValue(2, "Silent");
    undo.enableUndoRegistration();
    EXPECT_FALSE(undo.isUndoRegistrationEnabled());
    box->setValue(3, "Silent");
    undo.enableUndoRegistration();
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    endTurn();

    EXPECT_EQ(undo.undoActionName(), "First");
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);
    EXPECT_FALSE(undo.canUndo());

    WarningCapture warnings;
    undo.enableUndoRegistration(); // unbalanced: refused, counter stays at zero
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    EXPECT_EQ(warnings.messages().size(), 1);
}

TEST_F(UndoManagerTest, ANewChangeClearsRedoButTheInversesDoNot)
{
    box->setValue(1);
    endTurn();
    box->setValue(2);
    endTurn();
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.redo()); // the redo registers an undo without clearing the remaining redo
    EXPECT_TRUE(undo.canRedo());
    box->setValue(7);
    endTurn();
    EXPECT_FALSE(undo.canRedo());
}

TEST_F(UndoManagerTest, ActionsOfAVanishedTargetAreSkippedAndCanBeRemoved)
{
    auto other = std::make_shared<Box>(&undo);
    box->setValue(1);
    other->setValue(5);
    endTurn();
    other->setValue(6);
    endTurn();
    other.reset();

    EXPECT_TRUE(undo.undo()); // only the vanished box's step: nothing runs
    EXPECT_FALSE(undo.canRedo());
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);

    auto third = std::make_shared<Box>(&undo);
    third->setValue(1);
    box->setValue(1);
    endTurn();
    third->setValue(2);
    endTurn();
    undo.removeAllActionsWithTarget(third.get());
    EXPECT_EQ(undo.undoActionName(), "Value");
    EXPECT_TRUE(undo.undo()); // the mixed step keeps the other box's action
    EXPECT_EQ(third->value(), 2);
    EXPECT_EQ(box->value(), 0);
    EXPECT_FALSE(undo.canUndo()); // the step with only the removed target's action is gone
}

TEST_F(UndoManagerTest, OnlyTheOpenerClosesAGroupAndUndoWaitsForOpenGroups)
{
    WarningCapture warnings;
    const pf::UndoGroupToken tool = undo.beginUndoGrouping();
    const pf::UndoGroupToken drag = undo.beginUndoGrouping();
    box->setValue(1);

    EXPECT_FALSE(undo.endUndoGrouping(tool));               // a group opened later is still open
    EXPECT_FALSE(undo.endUndoGrouping(pf::UndoGroupToken())); // never opened
    EXPECT_FALSE(undo.undo());                               // explicit groups open
    EXPECT_EQ(undo.groupingLevel(), 3);
    EXPECT_EQ(warnings.messages().size(), 3);

    EXPECT_TRUE(undo.endUndoGrouping(drag));
    EXPECT_FALSE(undo.endUndoGrouping(drag)); // closed already
    EXPECT_TRUE(undo.endUndoGrouping(tool));
    EXPECT_EQ(warnings.messages().size(), 4);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(box->value(), 0);
}

TEST_F(UndoManagerTest, AMissingManagerSwallowsEverything)
{
    Box orphan(nullptr);
    orphan.setValue(3);
    pf::UndoGrouping grouping(nullptr);
    EXPECT_EQ(orphan.value(), 3);

    // An object no shared_ptr owns cannot be tracked: the registration is dropped, not left dangling.
    WarningCapture warnings;
    Box unowned(&undo);
    unowned.setValue(2);
    endTurn();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(warnings.messages().size(), 1);
}

TEST_F(UndoManagerTest, TheEndOfTurnDoesNotOutliveTheManager)
{
    {
        pf::UndoManager shortLived;
        auto b = std::make_shared<Box>(&shortLived);
        b->setValue(1); // schedules the end of this turn
    }
    endTurn(); // the pending close must not reach the freed manager
    SUCCEED();
}

} // namespace

TEST(UndoManagerChangeListenerTest, HearsEachStepDoneUndoneAndRedoneOnce)
{
    pf::VirtualClock clock;
    pf::UndoManager undo;
    QStringList heard;
    undo.setChangeListener([&](pf::UndoManager::Change change) {
        const char* names[] = {"done", "undone", "redone", "cleared"};
        heard << names[static_cast<int>(change)];
    });
    int value = 0;
    std::function<void(int)> set = [&](int to) {
        const int from = value;
        value = to;
        undo.registerUndo([&, from] { set(from); });
    };
    // Two registrations in one turn are one step, heard when the turn ends.
    set(1);
    set(2);
    EXPECT_TRUE(heard.isEmpty());
    pf::drainMainQueue();
    EXPECT_EQ(heard, QStringList{"done"});
    // An explicit group inside a turn is still one step.
    {
        pf::UndoGrouping group(&undo);
        set(3);
    }
    pf::drainMainQueue();
    // Undo and redo re-register their inverses without being heard as new steps.
    undo.undo();
    undo.redo();
    pf::drainMainQueue();
    undo.removeAllActions();
    EXPECT_EQ(heard, QStringList({"done", "done", "undone", "redone", "cleared"}));
    EXPECT_EQ(value, 3);

    // Without grouping by turn, each registration is a step of its own.
    heard.clear();
    undo.setGroupsByEvent(false);
    set(4);
    set(5);
    EXPECT_EQ(heard, QStringList({"done", "done"}));
}
