// Structural edits inside groups and page copies: every edit undone and redone leaves frames, order,
// registration and picture counts as they were.
#include "CompositionTestSupport.h"

#include <map>

namespace {

using Frames = std::map<const Shape*, pf::Rect>;

void collectFrames(const Parent& parent, Frames& frames)
{
    for (const auto& child : parent.children()) {
        frames[child.get()] = child->frame();
        if (const auto* group = dynamic_cast<const Group*>(child.get()))
            collectFrames(*group, frames);
    }
}

Frames framesOf(const Parent& parent)
{
    Frames frames;
    collectFrames(parent, frames);
    return frames;
}

} // namespace

class CompositionGroupEditsTest : public CompositionTest {
protected:
    // a, b, c, d at fractional places inside their union, so that ratios are not whole fractions.
    std::vector<std::shared_ptr<TestBox>> unevenBoxes()
    {
        const pf::Rect frames[] = {{0, 0, 30, 20}, {37, 5, 23, 11}, {61, 13, 19, 29}, {83, 2, 17, 31}};
        std::vector<std::shared_ptr<TestBox>> boxes;
        for (int i = 0; i < 4; ++i) {
            boxes.push_back(box(QString(QChar('a' + i)), frames[i]));
            page->addShape(boxes.back());
        }
        owner.undo.removeAllActions();
        owner.takeCalls();
        return boxes;
    }
    std::shared_ptr<Group> groupOnPage(const Parent::Children& shapes, std::size_t index, const QString& title)
    {
        auto group = Group::groupWithShapes(shapes);
        group->setTitle(title);
        page->insertGroupInParentAtIndex(group, page, index);
        return group;
    }
    // One undo step, as a drag of the group's handles makes it.
    void resize(Group& group, const pf::Rect& frame)
    {
        const pf::UndoGrouping step(&owner.undo);
        group.setFrame(frame);
    }
    // Every child of a committed group lies where its ratio puts it in the group's frame.
    static void expectLaidOut(const Group& group)
    {
        const pf::Rect g = group.frame();
        for (const auto& child : group.children()) {
            ASSERT_TRUE(group.childRatios().contains(child->identifier())) << child->title().toStdString();
            const pf::Rect r = group.childRatios().value(child->identifier());
            const pf::Rect f = child->frame();
            EXPECT_NEAR(f.x(), r.x() * g.width() + g.x(), 0.5) << child->title().toStdString();
            EXPECT_NEAR(f.width(), r.width() * g.width(), 1.0) << child->title().toStdString();
            EXPECT_GT(f.width(), 0.0) << child->title().toStdString();
        }
    }
};

TEST_F(CompositionGroupEditsTest, GroupingAndUngroupingInsideAGroupRecaptureItsRatios)
{
    auto boxes = unevenBoxes();
    auto outer = groupOnPage({boxes[0], boxes[1], boxes[2], boxes[3]}, 0, "O");
    const Frames start = framesOf(*page);
    const auto startRatios = outer->childRatios();

    // Grouping b and c inside the outer group: the new group gets a ratio, so the next resize keeps it.
    auto inner = Group::groupWithShapes({boxes[1], boxes[2]});
    inner->setTitle("I");
    page->insertGroupInParentAtIndex(inner, outer, pf::NotFound);
    EXPECT_EQ(titles(*outer), "adI");
    EXPECT_TRUE(outer->childRatios().contains(inner->identifier()));
    const Frames grouped = framesOf(*page);
    resize(*outer, pf::Rect(0, 0, 200, 90));
    expectLaidOut(*outer);
    expectLaidOut(*inner);
    EXPECT_GT(inner->frame().width(), 40.0);
    ASSERT_TRUE(owner.undo.undo()); // the resize
    EXPECT_EQ(framesOf(*page), grouped);

    ASSERT_TRUE(owner.undo.undo()); // the inner grouping
    EXPECT_EQ(titles(*outer), "abcd");
    EXPECT_EQ(outer->childRatios(), startRatios);
    EXPECT_EQ(framesOf(*page), start);
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*outer), "adI");
    EXPECT_EQ(framesOf(*page), grouped);
    EXPECT_EQ(page->registeredShapes().size(), 6u);

    // Ungrouping it inside the outer group: b and c get ratios of their own.
    page->removeGroup(inner);
    EXPECT_EQ(titles(*outer), "adbc");
    resize(*outer, pf::Rect(0, 0, 160, 70));
    expectLaidOut(*outer);
    ASSERT_TRUE(owner.undo.undo()); // the resize
    ASSERT_TRUE(owner.undo.undo()); // the ungrouping
    EXPECT_EQ(titles(*outer), "adI");
    EXPECT_EQ(framesOf(*page), grouped);
    EXPECT_EQ(page->shapeForIdentifier(inner->identifier()), inner);
    EXPECT_EQ(page->registeredShapes().size(), 6u);

    // Back to the start: the outer group lays out all four again.
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*outer), "abcd");
    resize(*outer, pf::Rect(0, 0, 200, 90));
    expectLaidOut(*outer);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(framesOf(*page), start);
}

TEST_F(CompositionGroupEditsTest, MovingAChildOutOfAGroupKeepsTheOthersAndUndoPutsItBack)
{
    auto boxes = unevenBoxes();
    auto group = groupOnPage({boxes[0], boxes[1], boxes[2]}, 0, "G");
    const Frames start = framesOf(*page);
    const auto startRatios = group->childRatios();
    owner.undo.removeAllActions();

    page->addShape(boxes[1]); // b leaves the group for the page
    EXPECT_EQ(titles(*group), "ac");
    EXPECT_EQ(titles(*page), "Gdb");
    EXPECT_EQ(boxes[1]->parent(), page.get());
    for (const auto* shape : {boxes[0].get(), boxes[1].get(), boxes[2].get()})
        EXPECT_EQ(shape->frame(), start.at(shape)) << shape->title().toStdString();
    resize(*group, pf::Rect(group->frame().x(), group->frame().y(), group->frame().width() * 2, group->frame().height()));
    expectLaidOut(*group);
    ASSERT_TRUE(owner.undo.undo());

    ASSERT_TRUE(owner.undo.undo()); // b goes back into the group, at its index, registered
    EXPECT_EQ(titles(*group), "abc");
    EXPECT_EQ(boxes[1]->parent(), group.get());
    EXPECT_EQ(boxes[1]->composition(), page.get());
    EXPECT_EQ(page->shapeForIdentifier(boxes[1]->identifier()), boxes[1]);
    EXPECT_EQ(group->childRatios(), startRatios);
    EXPECT_EQ(framesOf(*page), start);
    EXPECT_EQ(titles(*page), "Gd");

    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*group), "ac");
    EXPECT_EQ(page->children().back(), boxes[1]);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*group), "abc");
    EXPECT_EQ(framesOf(*page), start);
}

TEST_F(CompositionGroupEditsTest, UndoingAGroupOfSeparateShapesPutsEachBackAtItsIndex)
{
    auto boxes = addBoxes(5);
    auto group = groupOnPage({boxes[0], boxes[2], boxes[4]}, 0, "G");
    EXPECT_EQ(titles(*page), "Gbd");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*page), "abcde");
    for (const auto& b : boxes)
        EXPECT_EQ(b->parent(), page.get());
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(titles(*page), "Gbd");
    EXPECT_EQ(titles(*group), "ace");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*page), "abcde");

    // Inside a group, the same.
    auto outer = groupOnPage({boxes[0], boxes[1], boxes[2], boxes[3]}, 0, "O");
    auto inner = Group::groupWithShapes({boxes[1], boxes[3]});
    inner->setTitle("I");
    page->insertGroupInParentAtIndex(inner, outer, pf::NotFound);
    EXPECT_EQ(titles(*outer), "acI");
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*outer), "abcd");
    EXPECT_EQ(titles(*page), "Oe");
}

TEST_F(CompositionGroupEditsTest, ResizedGroupUngroupedAndUndoneTwiceEndsWhereItStarted)
{
    auto boxes = unevenBoxes();
    auto group = groupOnPage({boxes[0], boxes[1], boxes[2], boxes[3]}, 0, "G");
    owner.undo.removeAllActions();
    const Frames start = framesOf(*page);

    // Sizes whose laid-out children round away from their exact fractions; by the inspector (one step) and by
    // a drag of the handles.
    const pf::Rect sizes[] = {{0, 0, 137, 53}, {0, 0, 131, 47}, {3, 7, 173, 61}, {5, 9, 59, 23}};
    for (bool drag : {false, true}) {
        for (const pf::Rect& size : sizes) {
            {
                const pf::UndoGrouping step(&owner.undo);
                if (drag)
                    group->beginDrag();
                group->setFrame(size);
                if (drag)
                    group->endDrag(pf::Event());
            }
            const Frames resized = framesOf(*page);
            page->removeGroup(group);
            EXPECT_EQ(titles(*page), "abcd");
            ASSERT_TRUE(owner.undo.undo()); // the ungrouping
            EXPECT_EQ(framesOf(*page), resized);
            ASSERT_TRUE(owner.undo.undo()); // the resize
            EXPECT_EQ(framesOf(*page), start) << size.width() << " x " << size.height() << (drag ? " dragged" : "");
            ASSERT_TRUE(owner.undo.redo());
            EXPECT_EQ(framesOf(*page), resized);
            ASSERT_TRUE(owner.undo.undo());
            EXPECT_EQ(framesOf(*page), start);
        }
    }
}

TEST_F(CompositionGroupEditsTest, PageCopyHasTheFrameAndCountsItsPictures)
{
    auto pictured = box("p", pf::Rect(10, 10, 40, 40));
    pictured->setImageIdentifier("picture");
    page->addShape(pictured);
    auto grouped = box("q", pf::Rect(60, 10, 40, 40));
    grouped->setImageIdentifier("picture");
    page->addShape(grouped);
    page->insertGroupInParentAtIndex(Group::groupWithShapes({grouped}), page, 1);
    ASSERT_EQ(owner.refCounts["picture"], 2);

    auto copy = std::dynamic_pointer_cast<Composition>(page->copy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->frame(), pf::Rect(0, 0, 600, 400));
    EXPECT_EQ(copy->bounds(), pf::Rect(0, 0, 600, 400));
    EXPECT_EQ(copy->scrollableSize(), pf::Size(600, 400));

    // Given to the same owner, the copy's pictures count: deleting one there leaves the original's.
    copy->setCompositionDelegate(&owner);
    EXPECT_EQ(owner.refCounts["picture"], 4);
    copy->removeShape(copy->children().front());
    EXPECT_EQ(owner.refCounts["picture"], 3);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(owner.refCounts["picture"], 4);
    copy->setCompositionDelegate(nullptr);
    // Attached again, nothing is counted twice.
    EXPECT_EQ(owner.refCounts["picture"], 4);
    copy->setCompositionDelegate(&owner);
    EXPECT_EQ(owner.refCounts["picture"], 4);
    copy->setCompositionDelegate(nullptr);
}

TEST_F(CompositionGroupEditsTest, ReorderingAndCopyingInsideAGroupAreUndoneLikeOnThePage)
{
    auto boxes = unevenBoxes();
    auto group = groupOnPage({boxes[0], boxes[1], boxes[2], boxes[3]}, 0, "G");
    const Frames start = framesOf(*page);
    owner.undo.removeAllActions();

    struct Case {
        std::size_t from, to;
        const char* moved;
    };
    for (const Case& c : {Case{0, 3, "bcad"}, Case{3, 0, "dabc"}, Case{1, 4, "acdb"}, Case{2, 9, "abdc"}}) {
        group->moveShapeAtIndexToIndex(c.from, c.to);
        EXPECT_EQ(titles(*group), c.moved) << c.from << " to " << c.to;
        EXPECT_EQ(owner.undo.undoActionName(), QStringLiteral("Move Test Box")) << c.from << " to " << c.to;
        ASSERT_TRUE(owner.undo.undo());
        EXPECT_EQ(titles(*group), "abcd") << c.from << " to " << c.to;
        EXPECT_EQ(framesOf(*page), start);
        ASSERT_TRUE(owner.undo.redo());
        EXPECT_EQ(titles(*group), c.moved) << c.from << " to " << c.to;
        ASSERT_TRUE(owner.undo.undo());
    }
    // Onto its own place, or from past the end: nothing, and no step.
    group->moveShapeAtIndexToIndex(1, 1);
    group->moveShapeAtIndexToIndex(1, 2);
    group->moveShapeAtIndexToIndex(7, 0);
    EXPECT_EQ(titles(*group), "abcd");
    EXPECT_FALSE(owner.undo.canUndo());

    // A copy joins the group (registered, its parent and page set), and undo takes it away again.
    group->copyShapeAtIndexToIndex(1, 3);
    ASSERT_EQ(group->children().size(), 5u);
    const auto copy = group->children()[3];
    const auto withCopy = [&] {
        return Parent::Children{boxes[0], boxes[1], boxes[2], copy, boxes[3]};
    };
    EXPECT_EQ(group->children(), withCopy());
    EXPECT_EQ(copy->frame(), boxes[1]->frame().offsetBy(10, 10));
    EXPECT_EQ(copy->parent(), group.get());
    EXPECT_EQ(page->shapeForIdentifier(copy->identifier()), copy);
    ASSERT_TRUE(owner.undo.undo());
    EXPECT_EQ(titles(*group), "abcd");
    EXPECT_EQ(page->shapeForIdentifier(copy->identifier()), nullptr);
    EXPECT_EQ(framesOf(*page), start);
    ASSERT_TRUE(owner.undo.redo());
    EXPECT_EQ(group->children(), withCopy());
    EXPECT_EQ(page->shapeForIdentifier(copy->identifier()), copy);
}
