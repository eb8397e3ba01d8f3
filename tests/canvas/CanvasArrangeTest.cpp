// Arranging: stacking order, grouping, aligning, distributing, the grid, fitting the page, hiding and
// clearing guides, each undone.
#include "canvas/support/CanvasFixture.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/Guide.h"
#include "platform/kit/Services.h"

#include <functional>

namespace {

using CanvasArrangeTest = CanvasFixture;

TEST_F(CanvasArrangeTest, StackingKeepsTheSelectedShapesInTheirOrder)
{
    makeCanvas();
    auto extra = addShape("Rectangle", pf::Rect(500, 500, 10, 10));
    const Canvas::Shapes start{rectangle, ellipse, line, group, extra};
    ASSERT_EQ(pageShapes(), start);
    canvas->replaceSelectionWithShapes({group, ellipse}); // selected out of page order
    endTurn();

    canvas->bringToFront();
    endTurn();
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{rectangle, line, extra, ellipse, group}));
    EXPECT_EQ(canvas->selectedShapes().size(), 2u);
    EXPECT_EQ(page->children().back(), canvas->manipulator()); // the handles stay above everything
    undo.undo();
    EXPECT_EQ(pageShapes(), start);

    canvas->replaceSelectionWithShapes({group, ellipse});
    canvas->sendToBack();
    endTurn();
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{ellipse, group, rectangle, line, extra}));
    EXPECT_EQ(page->children().front(), canvas->compositionManipulator());
    undo.undo();
    EXPECT_EQ(pageShapes(), start);
}

TEST_F(CanvasArrangeTest, GroupAndUngroupSelectWhatTheyMade)
{
    makeCanvas();
    int beeps = 0;
    pf::ScopedBeepSink sink([&] { ++beeps; });
    canvas->replaceSelectionWithShape(rectangle);
    canvas->group(); // one shape: refused
    EXPECT_EQ(beeps, 1);

    // A group holding the old group: ungrouping it selects the inner group's leaves and keeps that group.
    canvas->replaceSelectionWithShapes({line, group});
    canvas->group();
    endTurn();
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    const auto outer = canvas->selectedShapes().front();
    EXPECT_TRUE(outer->isGroup());
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{rectangle, ellipse, outer}));
    canvas->ungroup();
    endTurn();
    const auto& inner = std::static_pointer_cast<Group>(group)->children();
    EXPECT_EQ(canvas->selectedShapes(), (Canvas::Shapes{line, inner[0], inner[1]}));
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{rectangle, ellipse, line, group}));
    undo.undo();
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{rectangle, ellipse, outer}));
    undo.undo();
    EXPECT_EQ(pageShapes(), (Canvas::Shapes{rectangle, ellipse, line, group}));
    EXPECT_EQ(beeps, 1);
}

// Every align and distribute moves frames in page points whatever the ruler origin, one undo a command.
TEST_F(CanvasArrangeTest, AlignAndDistributeInPagePoints)
{
    struct Case {
        const char* what;
        std::function<void(Canvas&)> command;
        std::vector<pf::Rect> frames;
        std::vector<pf::Rect> expected;
    };
    const Case cases[] = {
        {"left", &Canvas::alignShapesLeft, {{10, 0, 20, 10}, {40, 30, 10, 10}}, {{10, 0, 20, 10}, {10, 30, 10, 10}}},
        {"right of negative edges", &Canvas::alignShapesRight, {{-100, 0, 20, 10}, {-60, 30, 10, 10}},
         {{-70, 0, 20, 10}, {-60, 30, 10, 10}}},
        {"centres on one vertical", &Canvas::alignShapesCenterVertical, {{0, 0, 20, 10}, {80, 30, 20, 10}},
         {{40, 0, 20, 10}, {40, 30, 20, 10}}},
        {"top", &Canvas::alignShapesTop, {{0, 20, 10, 10}, {30, 50, 10, 10}}, {{0, 20, 10, 10}, {30, 20, 10, 10}}},
        {"bottom", &Canvas::alignShapesBottom, {{0, 20, 10, 10}, {30, 50, 10, 30}}, {{0, 70, 10, 10}, {30, 50, 10, 30}}},
        {"centres on one horizontal", &Canvas::alignShapesCenterHorizontal, {{0, 0, 10, 20}, {30, 80, 10, 20}},
         {{0, 40, 10, 20}, {30, 40, 10, 20}}},
        {"distribute 0, 10, 100", &Canvas::evenlyDistributeShapesHorizontal,
         {{0, 0, 5, 5}, {10, 20, 50, 5}, {100, 40, 5, 5}}, {{0, 0, 5, 5}, {50, 20, 50, 5}, {100, 40, 5, 5}}},
        {"distribute two", &Canvas::evenlyDistributeShapesVertical, {{0, 0, 5, 5}, {10, 70, 5, 5}},
         {{0, 0, 5, 5}, {10, 70, 5, 5}}},
        {"distribute on one edge", &Canvas::evenlyDistributeShapesVertical, {{0, 30, 5, 5}, {10, 30, 5, 5}, {20, 30, 9, 9}},
         {{0, 30, 5, 5}, {10, 30, 5, 5}, {20, 30, 9, 9}}},
    };
    for (const QVRectCorner origin : {QVRectCornerTopLef, QVRectCornerMidMid}) {
        makeCanvas();
        page->setRulerOriginCorner(origin);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", ruler origin " << static_cast<int>(origin));
            Canvas::Shapes shapes;
            for (const pf::Rect& f : c.frames)
                shapes.push_back(addShape("Rectangle", f));
            canvas->replaceSelectionWithShapes(shapes);
            endTurn();
            c.command(*canvas);
            endTurn();
            for (std::size_t i = 0; i < shapes.size(); ++i)
                EXPECT_EQ(shapes[i]->frame(), c.expected[i]) << i;
            EXPECT_EQ(canvas->selectedShapes().size(), shapes.size());
            if (c.expected != c.frames) {
                undo.undo();
                for (std::size_t i = 0; i < shapes.size(); ++i)
                    EXPECT_EQ(shapes[i]->frame(), c.frames[i]) << i;
            }
            canvas->selectNone();
            for (const auto& s : shapes)
                page->removeShape(s);
        }
    }

    // A locked shape in the selection: nothing moves.
    makeCanvas();
    rectangle->setLocked(true);
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    canvas->alignShapesTop();
    canvas->alignShapesLeft();
    EXPECT_EQ(ellipse->frame(), pf::Rect(300, 100, 80, 80));
}

TEST_F(CanvasArrangeTest, AlignToGridSparesLockedShapesAndTheSelection)
{
    makeCanvas();
    page->setGridTolerance(10);
    auto loose = addShape("Rectangle", pf::Rect(13, 17, 24, 26));
    auto locked = addShape("Rectangle", pf::Rect(53, 57, 24, 26));
    locked->setLocked(true);
    canvas->replaceSelectionWithShape(loose);
    const pf::Rect selectionFrame = canvas->manipulator()->frame();
    canvas->alignShapesToGrid();
    endTurn();
    EXPECT_EQ(loose->frame(), page->gridAlignedRectForRect(pf::Rect(13, 17, 24, 26)));
    EXPECT_NE(loose->frame(), pf::Rect(13, 17, 24, 26));
    EXPECT_EQ(locked->frame(), pf::Rect(53, 57, 24, 26));
    EXPECT_EQ(canvas->manipulator()->frame(), selectionFrame);
    undo.undo();
    EXPECT_EQ(loose->frame(), pf::Rect(13, 17, 24, 26));
}

TEST_F(CanvasArrangeTest, FittingThePageMovesTheSelectionToItsOrigin)
{
    for (const QVRectCorner origin : {QVRectCornerTopLef, QVRectCornerMidMid}) {
        SCOPED_TRACE(static_cast<int>(origin));
        makeCanvas();
        page->setRulerOriginCorner(origin);
        canvas->replaceSelectionWithShapes({rectangle, ellipse}); // (100, 100) to (380, 180)
        canvas->resizeCanvasToFitSelection();
        endTurn();
        EXPECT_EQ(page->frame(), pf::Rect(0, 0, 280, 80));
        EXPECT_EQ(rectangle->frame(), pf::Rect(0, 0, 100, 60));
        EXPECT_EQ(ellipse->frame(), pf::Rect(200, 0, 80, 80));
    }
}

TEST_F(CanvasArrangeTest, HideChecksLocksAndTheApplicationsHideMinimises)
{
    makeCanvas();
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    canvas->hide(8989);
    EXPECT_EQ(windowServices.calls, QStringList{QStringLiteral("hideApplication")});
    EXPECT_FALSE(rectangle->isHidden());

    ellipse->setLocked(true);
    canvas->hide();
    EXPECT_FALSE(rectangle->isHidden());
    ellipse->setLocked(false);
    canvas->hide();
    EXPECT_TRUE(rectangle->isHidden());
    EXPECT_TRUE(ellipse->isHidden());
    canvas->lock();
    canvas->unhide(); // locked: refused
    EXPECT_TRUE(rectangle->isHidden());
    canvas->unlock();
    canvas->unhide();
    EXPECT_FALSE(rectangle->isHidden());
    EXPECT_FALSE(ellipse->isLocked());
}

TEST_F(CanvasArrangeTest, ClearingGuidesIsOneUndoableStep)
{
    makeCanvas();
    Composition::Guides guides;
    for (double x : {50.0, 150.0, 250.0})
        guides.push_back(Guide::make(page.get(), 0, pf::Point(x, 0), pf::Point(x, 600)));
    page->setUserGuides(guides);
    canvas->clearGuides();
    endTurn();
    EXPECT_TRUE(page->userGuides().empty());
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Edit Guides"));
    undo.undo();
    EXPECT_EQ(page->userGuides(), guides);
    EXPECT_FALSE(undo.canUndo());
}

} // namespace
