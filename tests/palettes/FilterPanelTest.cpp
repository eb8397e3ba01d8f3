// The filter panel: adding up to the settings' maximum, removing, editing and dragging rows, each change
// one undo step of the shape that was edited.
#include "ItemPanelFixture.h"

#include "model/UserDefaults.h"

#include <QImage>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

class FilterPanelTest : public ItemPanelFixture {
protected:
    ItemTable& table() const
    {
        ItemTable* made = filters().tableView();
        EXPECT_TRUE(made);
        return *made;
    }
    void giveFilters(const std::shared_ptr<Shape>& shape, FilterSpecs specs)
    {
        undo.disableUndoRegistration();
        shape->setContentFilterSpecs(std::move(specs));
        undo.enableUndoRegistration();
    }
};

TEST_F(FilterPanelTest, AddsOnlyBelowTheMaximumAndTheButtonsFollowTheCount)
{
    const std::int64_t maximum = UserDefaults::instance().maxFiltersPerObject();
    ASSERT_GE(maximum, 2);
    select({rectangle});
    EXPECT_TRUE(table().addButton()->isEnabled());
    EXPECT_FALSE(table().removeButton()->isEnabled());

    FilterSpecs specs;
    for (std::int64_t i = 0; i + 1 < maximum; ++i)
        specs.push_back(spec(1, 3));
    giveFilters(rectangle, specs);
    table().addButton()->click();
    EXPECT_EQ(std::int64_t(rectangle->contentFilterSpecs().size()), maximum);
    EXPECT_EQ(beeps, 0);
    // The new row is selected, and the add button is off at the maximum.
    EXPECT_EQ(table().controller().selectionIndex(), std::optional<std::size_t>(std::size_t(maximum - 1)));
    EXPECT_FALSE(table().addButton()->isEnabled());
    EXPECT_TRUE(table().removeButton()->isEnabled());

    // At the maximum an add (a menu or script calling the action) beeps and adds nothing.
    filters().insertFilterSpec();
    EXPECT_EQ(std::int64_t(rectangle->contentFilterSpecs().size()), maximum);
    EXPECT_EQ(beeps, 1);
}

TEST_F(FilterPanelTest, RemoveTakesTheSelectedRowElseTheLastAndNothingFromAnEmptyTable)
{
    giveFilters(rectangle, {spec(1, 3), spec(2, 8), spec(3, 50)});
    select({rectangle});
    table().controller().setSelectionIndex(0);
    filters().removeFilterSpec();
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{2, 3}));
    // The row below moved up into the selection; with none selected the last goes.
    table().controller().setSelectionIndex(std::nullopt);
    filters().removeFilterSpec();
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{2}));
    filters().removeFilterSpec();
    EXPECT_TRUE(rectangle->contentFilterSpecs().empty());
    EXPECT_FALSE(table().removeButton()->isEnabled());
    endTurn();
    const bool couldUndo = undo.canUndo();
    filters().removeFilterSpec();
    EXPECT_TRUE(rectangle->contentFilterSpecs().empty());
    endTurn();
    EXPECT_EQ(undo.canUndo(), couldUndo);
    EXPECT_EQ(beeps, 0);
}

TEST_F(FilterPanelTest, CellEditsAreOneUndoStepEachAndNeverChangeASpecInPlace)
{
    const auto blur = spec(1, 3);
    giveFilters(rectangle, {blur});
    select({rectangle});
    ASSERT_TRUE(edit(table(), 0, 1, qlonglong(2)));
    endTurn();
    // A new type takes the entry's default value.
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{2}));
    EXPECT_EQ(rectangle->contentFilterSpecs()[0]->sliderValue(), 8);
    ASSERT_TRUE(edit(table(), 0, 0, Qt::Unchecked, Qt::CheckStateRole));
    endTurn();
    EXPECT_FALSE(rectangle->contentFilterSpecs()[0]->enabled());
    // The filter the shape had is untouched.
    EXPECT_EQ(blur->type(), 1u);
    EXPECT_TRUE(blur->enabled());

    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(rectangle->contentFilterSpecs()[0]->enabled());
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{2}));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->contentFilterSpecs()[0], blur);
    // The table shows what undo restored.
    EXPECT_EQ(table().tableView()->model()->index(0, 1).data().toString(), blur->localizedName());
}

TEST_F(FilterPanelTest, ASliderDragIsOneStepAndUndoRestoresTheValueAndThePixels)
{
    rectangle->setFillType(1);
    rectangle->setFillGradientElements({{pf::Color(1, 0, 0, 1), 0}, {pf::Color(0, 0, 1, 1), 1}});
    giveFilters(rectangle, {spec(2, 2)});
    select({rectangle});
    endTurn();
    const QImage before = rectangle->filteredContentImage().bestBitmap(1);
    auto* slider = qobject_cast<QSlider*>(table().tableView()->indexWidget(table().tableView()->model()->index(0, 2)));
    ASSERT_TRUE(slider);
    // Pressed, moved in steps over several turns, released.
    slider->setSliderDown(true);
    for (int step : {200, 400, 600}) {
        slider->setValue(step);
        endTurn();
    }
    slider->setSliderDown(false);
    endTurn();
    const double moved = rectangle->contentFilterSpecs()[0]->sliderValue();
    EXPECT_NEAR(moved, 1 + 49 * 0.6, 1e-9);
    const QImage after = rectangle->filteredContentImage().bestBitmap(1);
    EXPECT_NE(after, before);

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->contentFilterSpecs()[0]->sliderValue(), 2);
    EXPECT_EQ(rectangle->filteredContentImage().bestBitmap(1), before);
    EXPECT_EQ(slider->value(), int(std::lround(1000.0 / 49)));
    ASSERT_TRUE(undo.redo());
    EXPECT_NEAR(rectangle->contentFilterSpecs()[0]->sliderValue(), moved, 1e-9);
    EXPECT_EQ(rectangle->filteredContentImage().bestBitmap(1), after);
}

TEST_F(FilterPanelTest, AltDragCopiesARowAndAPlainDragMovesItInOneUndoStep)
{
    giveFilters(rectangle, {spec(1, 3), spec(2, 8), spec(3, 50)});
    select({rectangle});

    DropResult copy = dragRow(table(), 0, table(), 3, true);
    EXPECT_EQ(copy.answer, pf::DragOp::Copy);
    EXPECT_TRUE(copy.accepted);
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{1, 2, 3, 1}));
    EXPECT_NE(rectangle->contentFilterSpecs()[3], rectangle->contentFilterSpecs()[0]);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{1, 2, 3}));

    DropResult move = dragRow(table(), 0, table(), 3, false);
    EXPECT_EQ(move.answer, pf::DragOp::Move);
    EXPECT_TRUE(move.accepted);
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{2, 3, 1}));
    EXPECT_EQ(table().controller().selectionIndex(), std::optional<std::size_t>(2));
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(typesOf(*rectangle), (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(table().tableView()->model()->rowCount(), 3);
}

TEST_F(FilterPanelTest, DropsFromElsewhereOrOfRowsOutOfRangeAreRefused)
{
    giveFilters(rectangle, {spec(1, 3), spec(2, 8)});
    select({rectangle});
    const auto unchanged = rectangle->contentFilterSpecs();

    // Another table (a second inspector's filter table on another shape) drags its row 0 here.
    giveFilters(ellipse, {spec(5, 0)});
    auto other = makeInspector();
    other->setSelectedComposition(page.get());
    canvas->replaceSelectionWithShapes({ellipse});
    other->setSelectedObject(canvas->manipulator().get());
    other->setNeedsUpdate();
    drainTurn();
    canvas->replaceSelectionWithShapes({rectangle});
    auto* otherTable = dynamic_cast<FilterFacet&>(*other->facetNamed(QStringLiteral("FilterFacet"))).tableView();
    ASSERT_TRUE(otherTable);
    const DropResult foreign = dragRow(*otherTable, 0, table(), 1, false);
    EXPECT_EQ(foreign.answer, pf::DragOp::None);
    EXPECT_FALSE(foreign.accepted);

    // This table's drag, but naming rows past the end, or not a list of numbers.
    const auto carrying = [&](const pf::Value& plist) {
        pf::PasteboardContent content(QStringList{QString::fromLatin1(FilterFacet::RowPasteboardType)});
        content.setPropertyList(QString::fromLatin1(FilterFacet::RowPasteboardType), plist);
        return content;
    };
    for (const pf::Value& plist : {pf::Value(pf::Value::Array{pf::Value(2)}), pf::Value(pf::Value::Array{pf::Value(-1)}),
                                   pf::Value(pf::Value::Array{}), pf::Value(pf::Value::Array{pf::Value("0")}),
                                   pf::Value(0)}) {
        const DropResult result = dragRow(table(), 0, table(), 1, false, carrying(plist));
        EXPECT_EQ(result.answer, pf::DragOp::None);
        EXPECT_FALSE(result.accepted);
    }
    // A drop onto a row, past the end, or with no drag of this program running.
    const auto content = table().contentForRows({0});
    const auto mime = content.makeMimeData();
    const pf::DraggingInfo outside{pf::Point(), pf::DragOp::Copy | pf::DragOp::Move, pf::Pasteboard(mime.get())};
    EXPECT_EQ(table().validateDrop(outside, 1, ItemTable::DropOperation::Above), pf::DragOp::None);
    EXPECT_FALSE(table().acceptDrop(outside, 1));
    pf::ScopedDraggingLoop loop([&](pf::DraggingSession& session, pf::View&) {
        const auto own = session.makeMimeData();
        const pf::DraggingInfo info{pf::Point(), pf::DragOp::Copy | pf::DragOp::Move, pf::Pasteboard(own.get())};
        EXPECT_EQ(table().validateDrop(info, 1, ItemTable::DropOperation::On), pf::DragOp::None);
        EXPECT_EQ(table().validateDrop(info, 3, ItemTable::DropOperation::Above), pf::DragOp::None);
        EXPECT_EQ(table().validateDrop(info, 2, ItemTable::DropOperation::Above), pf::DragOp::Move);
    });
    table().controller().setSelectionIndex(0);
    table().beginRowDrag();
    EXPECT_EQ(rectangle->contentFilterSpecs(), unchanged);
}

TEST_F(FilterPanelTest, AnAltCopyIntoAFullTableBeepsAndAddsNothing)
{
    FilterSpecs full;
    for (std::int64_t i = 0; i < UserDefaults::instance().maxFiltersPerObject(); ++i)
        full.push_back(spec(unsigned(1 + i % 3), 5));
    giveFilters(rectangle, full);
    select({rectangle});
    const DropResult copy = dragRow(table(), 0, table(), 2, true);
    EXPECT_FALSE(copy.accepted);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(rectangle->contentFilterSpecs(), full);
    // A move keeps the count, so it is allowed.
    EXPECT_TRUE(dragRow(table(), 0, table(), 2, false).accepted);
    EXPECT_EQ(rectangle->contentFilterSpecs().size(), full.size());
}

TEST_F(FilterPanelTest, UndoActsOnTheShapeThatWasEditedWhateverIsSelected)
{
    giveFilters(ellipse, {spec(3, 40)});
    select({rectangle});
    filters().insertFilterSpec();
    endTurn();
    ASSERT_EQ(rectangle->contentFilterSpecs().size(), 1u);
    const auto ellipseSpecs = ellipse->contentFilterSpecs();

    select({ellipse});
    ASSERT_EQ(table().tableView()->model()->rowCount(), 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(rectangle->contentFilterSpecs().empty());
    EXPECT_EQ(ellipse->contentFilterSpecs(), ellipseSpecs);
    EXPECT_EQ(table().tableView()->model()->rowCount(), 1);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(rectangle->contentFilterSpecs().size(), 1u);
    EXPECT_EQ(ellipse->contentFilterSpecs(), ellipseSpecs);
}

} // namespace
