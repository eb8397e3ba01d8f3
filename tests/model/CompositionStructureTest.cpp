// The page's structural edits: their undo names and owner notices, undone and redone; the registry through
// nested groups; grouping and ungrouping.
#include "CompositionTestSupport.h"

#include "model/Connection.h"

TEST_F(CompositionTest, AddAndRemoveAreUndoableWithTheirNotices)
{
    auto a = box("a");
    page->addShape(a);
    EXPECT_EQ(owner.takeCalls(), QStringList{"didAdd a"});
    EXPECT_EQ(owner.undo.undoActionName(), "Add Test Box");
    EXPECT_EQ(page->shapeForIdentifier(a->identifier()), a);
    EXPECT_EQ(a->composition(), page.get());
    EXPECT_EQ(a->parent(), page.get());

    ASSERT_TRUE(owner.undo.undo());
    EXPECT_TRUE(page->children().empty());
    EXPECT_EQ(page->shapeForIdentifier(a->identifier()), nullptr);
    EXPECT_EQ(a->composition(), nullptr);
    EXPECT_EQ(owner.takeCalls(), QStringList{"changeDone"});
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*page), "a");

    page->removeShape(a);
    auto boxes = addBoxes(2);
    page->removeShape(boxes[0]);
    EXPECT_EQ(titles(*page), "b");
    EXPECT_EQ(owner.undo.undoActionName(), "Remove Test Box");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*page), "ab"); // back at its index
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*page), "b");
    EXPECT_EQ(owner.suddenTerminationDisabled, 0);

    // Removing a shape that is not on the page changes nothing and registers nothing.
    owner.undo.removeAllActions();
    page->removeShape(box("stranger"));
    EXPECT_FALSE(owner.undo.canUndo());
    // Adding a child again does not list it twice.
    page->addShape(boxes[1]);
    EXPECT_EQ(titles(*page), "b");
}

TEST_F(CompositionTest, TheGridPlacesNewShapesButLeavesRestoredOnesAsTheyWere)
{
    auto a = box("a");
    a->setFrame(pf::Rect(13, 17, 40, 30));
    page->addShape(a);
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    const pf::Rect frame = a->frame();

    // Undoing a removal and redoing an addition put the shape back where it was, off the grid or not.
    page->removeShape(a);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(a->frame(), frame);
    ASSERT_TRUE(owner.undo.redo());
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(a->frame(), frame);

    auto b = box("b");
    b->setFrame(pf::Rect(13, 17, 40, 30));
    page->addShape(b);
    EXPECT_EQ(b->frame().origin, pf::Point(10, 20)) << "a shape being placed goes onto the grid";
    ASSERT_TRUE(owner.undo.undo());
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(b->frame().origin, pf::Point(10, 20));
}

TEST_F(CompositionTest, MovesCountPositionsBeforeTheRemovalAndUndo)
{
    struct Case {
        std::size_t from, to;
        const char* after;
    };
    const Case cases[] = {
        {0, 3, "bcad"}, {3, 0, "dabc"}, {0, 4, "bcda"}, {0, 99, "bcda"}, {2, 1, "acbd"},
    };
    for (const Case& c : cases) {
        page = pageOfSize(600, 400);
        page->setCompositionDelegate(&owner);
        addBoxes(4);
        page->moveShapeAtIndexToIndex(c.from, c.to);
        EXPECT_EQ(titles(*page), c.after) << c.from << " -> " << c.to;
        EXPECT_EQ(owner.undo.undoActionName(), "Move Test Box");
        EXPECT_EQ(owner.takeCalls(), QStringList{"changeDone"});
        ASSERT_TRUE(owner.undo.undo());
        EXPECT_EQ(titles(*page), "abcd") << c.from << " -> " << c.to;
        ASSERT_TRUE(owner.undo.redo());
        EXPECT_EQ(titles(*page), c.after) << c.from << " -> " << c.to;
    }

    // Its own index, the index after it, and a source beyond the end: nothing, no undo.
    for (auto [from, to] : {std::pair<std::size_t, std::size_t>{2, 2}, {2, 3}, {4, 0}, {pf::NotFound, 0}}) {
        owner.undo.removeAllActions();
        page->moveShapeAtIndexToIndex(from, to);
        EXPECT_EQ(titles(*page), "acbd");
        EXPECT_FALSE(owner.undo.canUndo()) << from << " -> " << to;
    }
}

TEST_F(CompositionTest, CopiesAChildBesideItself)
{
    auto boxes = addBoxes(2);
    page->copyShapeAtIndexToIndex(0, 1);
    ASSERT_EQ(page->children().size(), 3u);
    const auto& copy = page->children()[1];
    EXPECT_NE(copy, boxes[0]);
    EXPECT_NE(copy->identifier(), boxes[0]->identifier());
    EXPECT_EQ(copy->frame(), boxes[0]->frame().offsetBy(10, 10));
    EXPECT_EQ(page->shapeForIdentifier(copy->identifier()), copy);
    EXPECT_EQ(owner.undo.undoActionName(), "Add Test Box");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*page), "ab");

    owner.undo.removeAllActions();
    page->copyShapeAtIndexToIndex(2, 0);
    EXPECT_EQ(page->children().size(), 2u);
    EXPECT_FALSE(owner.undo.canUndo());
    page->copyShapeAtIndexToIndex(1, 99); // past the end: on top
    EXPECT_EQ(page->children().back()->frame(), boxes[1]->frame().offsetBy(10, 10));
}

TEST_F(CompositionTest, AddsAShapeFromALibraryEntryCentredOnThePage)
{
    auto shape = page->addShapeFromPlist(TestBox::staticClass().plist());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->frame(), pf::Rect(280, 190, 40, 20));
    EXPECT_EQ(page->children().back(), shape);
    pf::Value unknown = pf::Value::dictionary();
    unknown.set("className", "NoSuchKind");
    EXPECT_EQ(page->addShapeFromPlist(unknown), nullptr);
    EXPECT_EQ(page->children().size(), 1u);
}

TEST_F(CompositionTest, GroupsAndUngroupsWithUndoThroughNestedGroups)
{
    auto boxes = addBoxes(4);
    auto inner = Group::groupWithShapes({boxes[1], boxes[2]});
    inner->setTitle("I");
    page->insertGroupInParentAtIndex(inner, page, 1);
    EXPECT_EQ(titles(*page), "aId");
    EXPECT_EQ(titles(*inner), "bc");
    EXPECT_EQ(boxes[1]->parent(), inner.get());
    EXPECT_EQ(owner.undo.undoActionName(), "Group");
    EXPECT_EQ(owner.takeCalls(), QStringList{"didAdd I"});

    auto outer = Group::groupWithShapes({boxes[0], inner, boxes[3]});
    outer->setTitle("O");
    page->insertGroupInParentAtIndex(outer, page, 0);
    EXPECT_EQ(titles(*page), "O");
    EXPECT_EQ(inner->parent(), outer.get());
    EXPECT_EQ(owner.takeCalls(), QStringList{"didAdd O"});
    EXPECT_EQ(page->registeredShapes().size(), 6u); // four boxes and two groups
    for (const auto& b : boxes)
        EXPECT_EQ(page->shapeForIdentifier(b->identifier()), b);

    // Ungrouping the inner group puts its children into the outer one where the group stood (the
    // outer group's own count decides, not the page's single child).
    page->removeGroup(inner);
    EXPECT_EQ(titles(*outer), "abcd");
    EXPECT_EQ(boxes[2]->parent(), outer.get());
    EXPECT_EQ(owner.undo.undoActionName(), "Ungroup");
    EXPECT_EQ(owner.takeCalls(), (QStringList{"didAdd c", "didAdd b", "changeDone"}));
    EXPECT_EQ(page->shapeForIdentifier(inner->identifier()), nullptr);
    EXPECT_EQ(page->shapeForIdentifier(boxes[1]->identifier()), boxes[1]);

    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*outer), "aId");
    EXPECT_EQ(titles(*inner), "bc");
    EXPECT_EQ(page->shapeForIdentifier(inner->identifier()), inner);
    ASSERT_TRUE(owner.undo.undo()); // the outer group
    ASSERT_TRUE(owner.undo.undo()); // the inner group
    EXPECT_EQ(titles(*page), "abcd");
    for (const auto& b : boxes) {
        EXPECT_EQ(b->parent(), page.get());
        EXPECT_EQ(page->shapeForIdentifier(b->identifier()), b);
    }
    EXPECT_EQ(page->registeredShapes().size(), 4u);
    ASSERT_TRUE(owner.undo.redo());
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*page), "O");
    EXPECT_EQ(page->registeredShapes().size(), 6u);
    EXPECT_EQ(owner.suddenTerminationDisabled, 0);
}

TEST_F(CompositionTest, GroupingTakesOnlyTheGroupedObjectNotAnEqualOne)
{
    // Equal in style and frame, yet two shapes: both must stay on the page.
    auto a = box("same", pf::Rect(0, 0, 40, 20));
    auto b = box("same", pf::Rect(0, 0, 40, 20));
    page->addShape(a);
    page->addShape(b);
    ASSERT_TRUE(a->isEqual(*b));
    auto group = Group::groupWithShapes({b});
    page->insertGroupInParentAtIndex(group, page, 1);
    ASSERT_EQ(page->children().size(), 2u);
    EXPECT_EQ(page->children()[0], a);
    EXPECT_EQ(page->children()[1], group);
    EXPECT_EQ(group->children()[0], b);

    // The first selected index may lie past the children left after grouping: the group goes on top.
    auto boxes = addBoxes(2);
    auto late = Group::groupWithShapes({boxes[1], boxes[0]});
    page->insertGroupInParentAtIndex(late, page, 3);
    EXPECT_EQ(page->children().back(), late);
}

TEST_F(CompositionTest, RegistryGivesAnIdentifierTakenByAnotherShapeAFreshOne)
{
    auto a = box("a");
    page->addShape(a);
    auto twin = box("twin");
    twin->setIdentifier(a->identifier()); // a pasted copy of the same stored shape
    page->addShape(twin);
    EXPECT_NE(twin->identifier(), a->identifier());
    EXPECT_EQ(page->shapeForIdentifier(a->identifier()), a);
    EXPECT_EQ(page->shapeForIdentifier(twin->identifier()), twin);
    page->removeShape(twin);
    EXPECT_EQ(page->shapeForIdentifier(a->identifier()), a);

    // Inside a pasted group the renamed child keeps its place.
    auto child = box("child", pf::Rect(0, 0, 10, 10));
    child->setIdentifier(a->identifier());
    auto other = box("other", pf::Rect(30, 0, 10, 10));
    auto group = Group::groupWithShapes({child, other});
    group->commit();
    page->addShape(group);
    EXPECT_NE(child->identifier(), a->identifier());
    group->setFrame(pf::Rect(0, 0, 80, 20));
    EXPECT_EQ(child->frame(), pf::Rect(0, 0, 20, 20));
    EXPECT_EQ(page->shapeForIdentifier(child->identifier()), child);
}

TEST_F(CompositionTest, WorksWithoutAnOwner)
{
    page->setCompositionDelegate(nullptr);
    EXPECT_EQ(page->undoManager(), nullptr);
    EXPECT_EQ(page->visibleRect(), pf::Rect(0, 0, 600, 400));
    EXPECT_TRUE(page->imageForIdentifier("X").isNull());
    EXPECT_EQ(page->activeHandle(), 0);
    auto boxes = addBoxes(3);
    page->moveShapeAtIndexToIndex(0, 3);
    page->removeShape(boxes[1]);
    page->setTitle("Page");
    auto copy = Composition::fromPlist(page->asPlist());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(titles(*copy), "ca");
    EXPECT_TRUE(owner.calls.isEmpty());
    EXPECT_EQ(owner.edits, 0);
}
