// What the selection's drags ask of the canvas: the temporary guides of constrained drags, and the clean-up
// of stale ones after a resize step.
#include "ManipulatorTestSupport.h"

#include "platform/foundation/Event.h"

namespace {

pf::Event dragEvent(pf::ModifierFlags modifiers = 0)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.modifierFlags = modifiers;
    return e;
}

} // namespace

TEST_F(ManipulatorTest, ConstrainedDragsAskForGuidesAcrossThePage)
{
    // The page is 600 x 400: a guide runs from one side of it to the other.
    EditingCanvas canvas;
    const auto shape = box({100, 100, 100, 60});
    auto m = select({shape});
    m->setCanvas(&canvas);
    m->beginDragMoveAtPoint({150, 130});
    m->mouseDragMoveEventAtPoint(dragEvent(pf::ShiftKeyMask), {153, 150});
    ASSERT_EQ(canvas.guides.size(), 1u);
    EXPECT_EQ(canvas.guides[0].type, 0u);
    EXPECT_EQ(canvas.guides[0].from, pf::Point(150, 0));
    EXPECT_EQ(canvas.guides[0].to, pf::Point(150, 400));
    m->mouseDragMoveEventAtPoint(dragEvent(), {153, 150});
    EXPECT_EQ(canvas.guides.size(), 1u) << "no guide without Shift";
    EXPECT_TRUE(canvas.cleanUps.empty()) << "a move leaves its guides to the canvas";
    m->endDragMove(dragEvent());

    // A connector kept horizontal: the guide runs through the end that stays.
    const auto connector = add("Line", {100, 300, 150, 50});
    // A plain selection made here: the guides are the base resize's, whatever the connector's own class adds.
    auto line = Shape::make<Manipulator>(connector->frame());
    page->addShape(line);
    line->addShape(connector);
    line->setCanvas(&canvas);
    canvas.guides.clear();
    line->beginDragResizeAtPointWithHandle({250, 350}, 8);
    line->mouseDragResizeEventAtPoint(dragEvent(pf::ShiftKeyMask), {300, 335});
    ASSERT_EQ(canvas.guides.size(), 1u);
    EXPECT_EQ(canvas.guides[0].from, pf::Point(0, 300));
    EXPECT_EQ(canvas.guides[0].to, pf::Point(600, 300));
    EXPECT_EQ(canvas.cleanUps, std::vector<pf::Rect>{pf::Rect(100, 300, 200, 0)});
    line->endDragResize(dragEvent());
}

TEST_F(ManipulatorTest, AResizeStepCleansUpGuidesOnlyWhenItCouldHaveMadeThem)
{
    struct Case {
        const char* what;
        pf::ModifierFlags modifiers;
        bool grid;
        bool cleansUp;
    };
    const Case cases[] = {
        {"free", 0, false, false},
        {"Option", pf::OptionKeyMask, false, false},
        {"Shift", pf::ShiftKeyMask, false, true},
        {"grid", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page->setGridEnabled(c.grid);
        EditingCanvas canvas;
        const auto shape = box({100, 100, 100, 60});
        auto m = select({shape});
        m->setCanvas(&canvas);
        m->beginDragResizeAtPointWithHandle({200, 160}, 8);
        m->mouseDragResizeEventAtPoint(dragEvent(c.modifiers), {243, 187});
        EXPECT_EQ(canvas.cleanUps, c.cleansUp ? std::vector<pf::Rect>{m->frame()} : std::vector<pf::Rect>{});
        m->endDragResize(dragEvent());
        m->setCanvas(nullptr);
    }
}
