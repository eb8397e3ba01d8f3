// The outline palette: the tree of the page, its selection both ways, editing, drags and drops with their
// validation, and the clicks and keys of the view.
#include "OutlineFixture.h"

#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "shell/QVHintView.h"

#include <QAction>
#include <QDrag>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

class OutlinePaletteTest : public OutlineFixture {};

// ---- the tree ----

TEST_F(OutlinePaletteTest, ListsTheSelectableShapesAndShowsTheHintOnlyWithoutThem)
{
    ASSERT_TRUE(outline->hintView());
    EXPECT_EQ(outline->hintView()->hintText(), QStringLiteral("Outline"));
    // The page manipulator, first child of the page, has no row.
    ASSERT_TRUE(page->children().front()->isManipulator());
    const std::vector<Shape*> expected{rectangle.get(), ellipse.get(), line.get(), group.get()};
    ASSERT_EQ(outline->items().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(outline->shapeAtOutlineIndex(i), expected[i]);
    EXPECT_EQ(outline->shapeAtOutlineIndex(4), nullptr);
    EXPECT_EQ(tree().numberOfRows(), 4);
    EXPECT_TRUE(outline->hintView()->isHidden());

    for (const auto& shape : pageShapes())
        page->removeShape(shape);
    feed();
    ASSERT_EQ(page->children().size(), 1u); // the page manipulator alone
    EXPECT_TRUE(outline->items().empty());
    EXPECT_EQ(tree().numberOfRows(), 0);
    EXPECT_FALSE(outline->hintView()->isHidden());
}

TEST_F(OutlinePaletteTest, GroupsOpenToAllTheirChildrenAndAClosedGroupHidesTheirRows)
{
    auto* outer = static_cast<Group*>(group.get());
    auto inner = Group::groupWithShapes({line, ellipse});
    page->insertGroupInParentAtIndex(inner, std::static_pointer_cast<Parent>(group), pf::NotFound);
    feed();
    ASSERT_EQ(outer->children().size(), 3u);
    EXPECT_EQ(tree().numberOfRows(), 2); // the rectangle and the outer group

    const Shape* deepest = inner->children().back().get();
    EXPECT_EQ(outline->rowForItem(deepest), -1);
    outline->setItemExpanded(outer, true);
    outline->setItemExpanded(inner.get(), true);
    EXPECT_EQ(tree().numberOfRows(), 2 + 3 + 2);
    EXPECT_EQ(outline->rowForItem(inner.get()), 4);
    EXPECT_EQ(outline->rowForItem(deepest), 6);
    EXPECT_EQ(outline->itemAtRow(6), deepest);

    // A shape inside a closed group selected on the canvas selects no row; open, its row is selected.
    outline->setItemExpanded(inner.get(), false);
    canvas->replaceSelectionWithShapes({inner->children().front()});
    feed();
    ASSERT_TRUE(outline->selectionIndexes());
    EXPECT_TRUE(outline->selectionIndexes()->empty());
    EXPECT_TRUE(outline->selectedItems().empty());
    outline->setItemExpanded(inner.get(), true);
    feed();
    EXPECT_EQ(*outline->selectionIndexes(), std::vector<int>{5});
    EXPECT_EQ(outline->selectedItems(), std::vector<Shape*>{inner->children().front().get()});
}

TEST_F(OutlinePaletteTest, OpenGroupsAreRememberedByIdentifierAcrossOutlinesAndUpdates)
{
    outline->setItemExpanded(group.get(), true);
    const pf::Value::Array stored = pf::UserDefaultsStore::standard().arrayForKey(
        QString::fromLatin1(OutlineViewController::ExpandedItemsKey));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.front().asString(), group->identifier());

    // An update rebuilds the tree and opens it again; so does another outline of the page.
    feed();
    EXPECT_TRUE(outline->isItemExpanded(group.get()));
    auto second = makeOutline();
    EXPECT_TRUE(second->isItemExpanded(group.get()));
    outline->setItemExpanded(group.get(), false);
    EXPECT_TRUE(pf::UserDefaultsStore::standard()
                    .arrayForKey(QString::fromLatin1(OutlineViewController::ExpandedItemsKey))
                    .empty());
}

TEST_F(OutlinePaletteTest, KeepsTheShapesOfItsRowsUntilTheNextUpdate)
{
    outline->setItemExpanded(group.get(), true);
    const std::weak_ptr<Shape> child = static_cast<Group*>(group.get())->children().front();
    page->removeShape(group);
    group.reset();
    // The tree may paint before the update the change asks for: its rows still hold their shapes.
    ASSERT_FALSE(child.expired());
    tree().grab();
    feed();
    EXPECT_EQ(tree().numberOfRows(), 3);
}

// ---- updates and the selection ----

TEST_F(OutlinePaletteTest, RequestsInOneTurnMakeOneUpdate)
{
    int resets = 0;
    QObject::connect(outline->model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    addShape("Rectangle", pf::Rect(10, 10, 20, 20));
    outline->setNeedsUpdate();
    outline->setNeedsUpdate();
    outline->setNeedsUpdate();
    EXPECT_TRUE(outline->needsUpdate());
    EXPECT_EQ(resets, 0);
    endTurn();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(outline->items().size(), 5u);
    EXPECT_FALSE(outline->needsUpdate());
    endTurn();
    EXPECT_EQ(resets, 1);
}

TEST_F(OutlinePaletteTest, AnUpdateOfTheSameTreeKeepsTheViewsStateAndShowsNewValues)
{
    int resets = 0;
    QObject::connect(outline->model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    outline->setItemExpanded(group.get(), true);
    const QModelIndex title =
        outline->indexForItem(ellipse.get()).siblingAtColumn(CompositionOutlineModel::TitleColumn);
    tree().setCurrentIndex(title);
    ellipse->setTitle(QStringLiteral("Sun"));
    ellipse->setUserSetTitle(true);
    feed();
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(tree().currentIndex(), title);
    EXPECT_EQ(outline->model()->data(title, Qt::DisplayRole).toString(), QStringLiteral("Sun"));
    EXPECT_TRUE(outline->isItemExpanded(group.get()));
    // A reorder is another tree.
    page->moveShapeAtIndexToIndex(page->indexOfShape(ellipse.get()), 1);
    feed();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(outline->shapeAtOutlineIndex(0), ellipse.get());
    EXPECT_TRUE(outline->isItemExpanded(group.get()));
}

TEST_F(OutlinePaletteTest, ChosenRowsSelectTheirShapesAndTheUpdateThatFollowsSendsNothing)
{
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, rowCentre(ellipse.get()));
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(group.get()));
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{ellipse, line, group}));

    owner.takeCalls();
    feed();
    EXPECT_EQ(*outline->selectionIndexes(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(outline->selectedItems(), (std::vector<Shape*>{ellipse.get(), line.get(), group.get()}));
    EXPECT_FALSE(owner.takeCalls().contains(QStringLiteral("selectionWillChange")));
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{ellipse, line, group}));

    // A selection made on the canvas shows in the rows.
    canvas->replaceSelectionWithShapes({rectangle});
    feed();
    EXPECT_EQ(outline->selectedItems(), std::vector<Shape*>{rectangle.get()});
    canvas->selectNone();
    feed();
    EXPECT_FALSE(outline->selectionIndexes());
    EXPECT_TRUE(outline->selectedItems().empty());
}

// ---- editing ----

TEST_F(OutlinePaletteTest, UntickingHidesTheShapeAndUndoShowsIt)
{
    CompositionOutlineModel& model = *outline->model();
    const QModelIndex box =
        outline->indexForItem(ellipse.get()).siblingAtColumn(CompositionOutlineModel::HiddenColumn);
    EXPECT_EQ(model.data(box, Qt::CheckStateRole).toInt(), Qt::Checked);
    ASSERT_TRUE(model.setData(box, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(ellipse->isHidden());
    EXPECT_EQ(model.data(box, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(ellipse->isHidden());
}

TEST_F(OutlinePaletteTest, ATypedTitleIsTheUsersAndUndoable)
{
    CompositionOutlineModel& model = *outline->model();
    const QModelIndex title =
        outline->indexForItem(rectangle.get()).siblingAtColumn(CompositionOutlineModel::TitleColumn);
    const QString before = rectangle->displayTitle();
    EXPECT_EQ(model.data(title, Qt::DisplayRole).toString(), before);
    EXPECT_TRUE(model.flags(title) & Qt::ItemIsEditable);
    ASSERT_TRUE(model.setData(title, QStringLiteral("Logo"), Qt::EditRole));
    EXPECT_EQ(rectangle->title(), QStringLiteral("Logo"));
    EXPECT_TRUE(rectangle->userSetTitle());
    EXPECT_EQ(model.data(title, Qt::DisplayRole).toString(), QStringLiteral("Logo"));
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_NE(rectangle->title(), QStringLiteral("Logo"));
}

// ---- drags and drops ----

TEST_F(OutlinePaletteTest, DropsReorderAsOneUndoStep)
{
    const auto s = fiveShapes();
    ASSERT_EQ(order(), QStringLiteral("s1 s2 s3 s4 s5"));
    struct Case {
        const char* name;
        std::vector<int> rows; // 1-based: s1 …
        int position;
        const char* result;
    };
    const Case cases[] = {
        {"s3 to the top", {3}, 0, "s3 s1 s2 s4 s5"},
        {"s1, s2 below s4", {1, 2}, 4, "s3 s4 s1 s2 s5"},
        {"s1, s4 below s2", {1, 4}, 2, "s2 s1 s4 s3 s5"},
        {"s5, s4 to the top", {5, 4}, 0, "s4 s5 s1 s2 s3"},
        // Several rows from below the drop point keep their order too.
        {"s1, s4, s5 below s2", {1, 4, 5}, 2, "s2 s1 s4 s5 s3"},
        {"s2 onto its own place", {2}, 1, "s1 s2 s3 s4 s5"},
        {"s1 to the end", {1}, 5, "s2 s3 s4 s5 s1"},
    };
    for (const Case& c : cases) {
        std::vector<Shape*> rows;
        for (int r : c.rows)
            rows.push_back(s[std::size_t(r - 1)].get());
        const OutlineDrop d = drop(rows, nullptr, c.position);
        EXPECT_EQ(outline->validateDrop(d), pf::DragOp::Move) << c.name;
        ASSERT_TRUE(outline->acceptDrop(d)) << c.name;
        EXPECT_EQ(order(), QString::fromLatin1(c.result)) << c.name;
        // Outline position 0 is just above the page manipulator.
        if (c.position == 0) {
            std::size_t lowest = pf::NotFound;
            for (const Shape* row : rows)
                lowest = std::min(lowest, page->indexOfShape(row));
            EXPECT_EQ(lowest, 1u) << c.name;
        }
        // The moved shapes are selected.
        Canvas::Shapes moved;
        for (Shape* row : rows)
            moved.push_back(std::static_pointer_cast<Shape>(row->shared_from_this()));
        std::sort(moved.begin(), moved.end());
        Canvas::Shapes selected = canvas->selectedShapes();
        std::sort(selected.begin(), selected.end());
        EXPECT_EQ(selected, moved) << c.name;
        outline->draggingSessionEndedAtPoint({}, pf::DragOp::Move);
        endTurn();
        if (QString::fromLatin1(c.result) != QStringLiteral("s1 s2 s3 s4 s5")) {
            ASSERT_TRUE(undo.undo()) << c.name;
        }
        EXPECT_EQ(order(), QStringLiteral("s1 s2 s3 s4 s5")) << c.name;
        EXPECT_FALSE(undo.canUndo()) << c.name;
        feed();
    }
}

TEST_F(OutlinePaletteTest, AnAltDropCopiesBeforeThePositionAndSelectsTheCopies)
{
    const auto s = fiveShapes();
    for (const auto& [rows, position, result] : std::vector<std::tuple<std::vector<int>, int, const char*>>{
             {{1, 2}, 4, "s1 s2 s3 s4 s1 copy s2 copy s5"},
             // Copies of rows below the position: each copy is of the shape dragged, not of whatever
             // stands at its former index once earlier copies went in.
             {{4, 5}, 0, "s4 copy s5 copy s1 s2 s3 s4 s5"}}) {
        std::vector<Shape*> dragged;
        for (int r : rows)
            dragged.push_back(s[std::size_t(r - 1)].get());
        const OutlineDrop d = drop(dragged, nullptr, position, true);
        EXPECT_EQ(outline->validateDrop(d), pf::DragOp::Copy);
        ASSERT_TRUE(outline->acceptDrop(d));
        EXPECT_EQ(order(), QString::fromLatin1(result)) << order().toStdString();
        // The originals stayed; the copies sit 10 points right and down, selected.
        const Canvas::Shapes selected = canvas->selectedShapes();
        ASSERT_EQ(selected.size(), 2u);
        for (const auto& copy : selected) {
            const auto original = std::find_if(s.begin(), s.end(), [&](const auto& o) {
                return o->displayTitle() + QStringLiteral(" copy") == copy->displayTitle();
            });
            ASSERT_NE(original, s.end());
            EXPECT_NE(copy, *original);
            EXPECT_EQ(copy->frame(), (*original)->frame().offsetBy(10, 10));
        }
        outline->draggingSessionEndedAtPoint({}, pf::DragOp::Copy);
        endTurn();
        ASSERT_TRUE(undo.undo());
        EXPECT_EQ(order(), QStringLiteral("s1 s2 s3 s4 s5"));
        EXPECT_FALSE(undo.canUndo());
        feed();
    }
}

TEST_F(OutlinePaletteTest, TheEndOfTheListGoesBelowTheSelectionProxy)
{
    const auto s = fiveShapes();
    // With several shapes selected the page holds their proxy on top.
    canvas->replaceSelectionWithShapes({s[1], s[2]});
    feed();
    ASSERT_TRUE(page->children().back()->isManipulator()) << order().toStdString();
    ASSERT_TRUE(outline->acceptDrop(drop({s[0].get()}, nullptr, 5)));
    const auto& children = page->children();
    EXPECT_EQ(page->indexOfShape(s[0].get()), page->indexOfShape(s[4].get()) + 1);
    EXPECT_TRUE(children.back()->isManipulator());
    EXPECT_EQ(children[children.size() - 2], s[0]);
}

TEST_F(OutlinePaletteTest, RefusesDropsItCannotTrust)
{
    const auto s = fiveShapes();
    auto g1 = Group::groupWithShapes({s[0], s[1]});
    auto g2 = Group::groupWithShapes({s[2], s[3]});
    page->insertGroupInParentAtIndex(g1, page, pf::NotFound);
    page->insertGroupInParentAtIndex(g2, page, pf::NotFound);
    feed();
    const QString start = order(*page) + QStringLiteral(" | ") + order(*g1) + QStringLiteral(" | ") + order(*g2);
    const auto unchanged = [&] {
        return order(*page) + QStringLiteral(" | ") + order(*g1) + QStringLiteral(" | ") + order(*g2);
    };

    // Rows of two groups are no drag at all.
    pf::PasteboardContent content({QString::fromLatin1(OutlineViewController::ShapeIndexType)});
    EXPECT_FALSE(outline->writeItemsToPasteboard({s[0].get(), s[2].get()}, content));
    EXPECT_FALSE(outline->hasDragParent());

    // A group's rows onto the top level, or into the other group; anything onto a row.
    EXPECT_EQ(outline->validateDrop(drop({s[0].get()}, nullptr, 0)), pf::DragOp::None);
    EXPECT_EQ(outline->validateDrop(drop({s[0].get()}, g2.get(), 0)), pf::DragOp::None);
    EXPECT_EQ(outline->validateDrop(drop({s[0].get()}, g1.get(), -1)), pf::DragOp::None);
    // Top-level rows into a group.
    EXPECT_EQ(outline->validateDrop(drop({s[4].get()}, g1.get(), 0)), pf::DragOp::None);

    // Indexes past the end, or of the page's own objects (the page manipulator at 0), or no list at all.
    ASSERT_EQ(outline->validateDrop(drop({s[4].get()}, nullptr, 0)), pf::DragOp::Move);
    for (const pf::Value& list : {pf::Value(pf::Value::Array{pf::Value(9)}), pf::Value(pf::Value::Array{pf::Value(0)}),
                                  pf::Value(pf::Value::Array{pf::Value(-1)}), pf::Value(pf::Value::Array{}),
                                  pf::Value(pf::Value::Array{pf::Value("1")}), pf::Value("1")}) {
        const auto data = indexData(list);
        const OutlineDrop d = dropOfData(data.get(), nullptr, 0);
        EXPECT_EQ(outline->validateDrop(d), pf::DragOp::None);
        EXPECT_FALSE(outline->acceptDrop(d));
    }
    // A position past the rows of the parent.
    EXPECT_EQ(outline->validateDrop(drop({s[4].get()}, nullptr, 4)), pf::DragOp::None);

    // A payload from another window's outline: its source is not this view.
    OutlineDrop foreign = drop({s[4].get()}, nullptr, 0);
    QTreeView other;
    foreign.source = &other;
    EXPECT_EQ(outline->validateDrop(foreign), pf::DragOp::None);
    EXPECT_FALSE(outline->acceptDrop(foreign));
    foreign.source = nullptr;
    EXPECT_EQ(outline->validateDrop(foreign), pf::DragOp::None);

    // After the drag ended, its data no longer counts.
    const OutlineDrop stale = drop({s[4].get()}, nullptr, 0);
    outline->draggingSessionEndedAtPoint({}, pf::DragOp::None);
    EXPECT_FALSE(outline->hasDragParent());
    EXPECT_EQ(outline->validateDrop(stale), pf::DragOp::None);
    EXPECT_FALSE(outline->acceptDrop(stale));

    EXPECT_EQ(unchanged(), start);
    // Allowed inside the program, nothing outside it.
    EXPECT_EQ(outline->sourceOperationMaskForDraggingContext(pf::DraggingContext::WithinApplication),
              pf::DragOp::Copy | pf::DragOp::Move);
    EXPECT_EQ(outline->sourceOperationMaskForDraggingContext(pf::DraggingContext::OutsideApplication),
              pf::DragOp::None);
}

TEST_F(OutlinePaletteTest, ARowMovedInsideAGroupIsUndoneInOneStep)
{
    auto* g = static_cast<Group*>(group.get());
    const std::shared_ptr<Shape> first = g->children()[0], second = g->children()[1];
    outline->setItemExpanded(g, true);
    const OutlineDrop d = drop({first.get()}, g, 2);
    ASSERT_TRUE(written);
    EXPECT_EQ(outline->dragParent(), g);
    EXPECT_EQ(outline->validateDrop(d), pf::DragOp::Move);
    ASSERT_TRUE(outline->acceptDrop(d));
    EXPECT_EQ(g->children(), (Parent::Children{second, first}));
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(g->children(), (Parent::Children{first, second}));
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(OutlinePaletteTest, ADragOfRowsThroughTheViewDropsWhereThePointerIs)
{
    const auto s = fiveShapes();
    QPoint target;
    Qt::KeyboardModifiers held;
    int drops = 0;
    CompositionOutlineView::ScopedDragRunner runner([&](QDrag& drag, Qt::DropActions offered) {
        EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction);
        QWidget* viewport = tree().viewport();
        QDragEnterEvent enter(target, offered, drag.mimeData(), Qt::LeftButton, held);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(target, offered, drag.mimeData(), Qt::LeftButton, held);
        QCoreApplication::sendEvent(viewport, &move);
        if (!move.isAccepted())
            return Qt::IgnoreAction;
        EXPECT_FALSE(tree().dropIndicatorRect().isEmpty());
        QDropEvent dropped(QPointF(target), offered, drag.mimeData(), Qt::LeftButton, held);
        QCoreApplication::sendEvent(viewport, &dropped);
        ++drops;
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    });
    const auto dragRow = [&](const Shape* row, QPoint to) {
        target = to;
        const QPoint from = rowCentre(row);
        QTest::mousePress(tree().viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(tree().viewport(), from + QPoint(0, 8));
        QTest::mouseMove(tree().viewport(), from + QPoint(0, 20));
        QTest::mouseRelease(tree().viewport(), Qt::LeftButton, {}, from + QPoint(0, 20));
        endTurn();
    };
    // s1 dragged into the lower half of s3's row: below s3.
    const QRect s3 = tree().visualRect(outline->indexForItem(s[2].get()));
    dragRow(s[0].get(), QPoint(s3.center().x(), s3.bottom() - 1));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(order(), QStringLiteral("s2 s3 s1 s4 s5"));
    EXPECT_FALSE(outline->hasDragParent());
    feed();
    // With Alt: a copy of s5 at the top.
    held = Qt::AltModifier;
    const QRect top = tree().visualRect(outline->indexForItem(s[1].get()));
    dragRow(s[4].get(), QPoint(top.center().x(), top.top() + 1));
    EXPECT_EQ(order(), QStringLiteral("s5 copy s2 s3 s1 s4 s5")) << order().toStdString();
}

// ---- clicks and keys ----

class RemoveResponder : public pf::Responder {
public:
    explicit RemoveResponder(Canvas* canvas)
    {
        setAction(QStringLiteral("remove:"), [this, canvas](const pf::MenuItem*) {
            ++removes;
            canvas->remove();
        });
    }
    int removes = 0;
};

TEST_F(OutlinePaletteTest, RightClickAndMetaClickOpenTheCanvasMenuForTheSelection)
{
    std::vector<QStringList> shown;
    const pf::MenuPresenter::ScopedRunner runner([&shown](QMenu& menu, pf::Point) {
        QStringList titles;
        for (QAction* action : menu.actions())
            titles << action->text();
        shown.push_back(titles);
    });
    // Nothing selected yet: the click selects the row first, so the menu is the row's.
    QTest::mouseClick(tree().viewport(), Qt::RightButton, {}, rowCentre(ellipse.get()));
    EXPECT_TRUE(shown.empty()); // on the next turn
    endTurn();
    endTurn();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{ellipse});
    EXPECT_FALSE(shown.front().isEmpty());

    QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::MetaModifier, rowCentre(ellipse.get()));
    endTurn();
    endTurn();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], shown[1]);

    // Below the rows there is no row to click.
    QTest::mouseClick(tree().viewport(), Qt::RightButton, {}, QPoint(20, tree().viewport()->height() - 5));
    endTurn();
    endTurn();
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(OutlinePaletteTest, DeleteRemovesTheSelectionAlongTheActionPath)
{
    RemoveResponder remover(canvas);
    const pf::ApplicationResponder registered(remover);
    canvas->replaceSelectionWithShapes({line});
    feed();
    tree().setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    tree().keyPressEvent(&press);
    EXPECT_EQ(remover.removes, 1);
    EXPECT_EQ(page->indexOfShape(line.get()), pf::NotFound);
}

TEST_F(OutlinePaletteTest, ADoubleClickHandsTheKeysToTheCanvas)
{
    canvas->replaceSelectionWithShapes({ellipse});
    feed();
    tree().setFocus();
    QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, rowCentre(ellipse.get()));
    endTurn();
    EXPECT_EQ(window->focusWidget(), canvas);
    EXPECT_FALSE(tree().isEditing());
}

} // namespace
