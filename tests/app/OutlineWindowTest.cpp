// The outline palette in the program's own document window, offscreen: it takes the outline's region, a
// click on a row selects on the canvas, and reordering rows changes what the page shows, undone as one step.
#include "DocumentFixture.h"

#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "palettes/OutlineViewController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UndoManager.h"

#include <QAction>
#include <QDrag>
#include <QDropEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class OutlineWindowTest : public DocumentWindowFixture {
protected:
    void SetUp() override
    {
        DocumentWindowFixture::SetUp();
        AppWindowController::installOutline();
    }
    void TearDown() override
    {
        DocumentWindowFixture::TearDown();
        CanvasWindowController::setOutlineMaker(nullptr);
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        pf::drainMainQueue();
        pf::drainMainQueue();
    }

    static std::shared_ptr<Shape> filledRectangle(const pf::Rect& frame, const pf::Color& colour)
    {
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
        auto shape = kind->newShape(frame);
        shape->setFillType(0);
        shape->setFillColor(colour);
        shape->setFillShadowHidden(true);
        return shape;
    }
};

TEST_F(OutlineWindowTest, RowsSelectOnTheCanvasAndReorderWhatThePageShows)
{
    auto [document, window] = newDocumentWindow();
    ASSERT_TRUE(window);
    auto* outline = dynamic_cast<OutlineViewController*>(window->outlinePaletteController());
    ASSERT_TRUE(outline);
    EXPECT_EQ(window->outlineView(), outline->view());
    ASSERT_TRUE(outline->view()->parentWidget()) << "the palette sits in the window's layout";
    if (!window->isOutlinePaletteVisible())
        window->toggleOutlinePalette();
    window->windowWidget()->resize(1200, 800);
    window->windowWidget()->show();
    settle();

    Canvas* canvas = window->canvasView();
    ASSERT_TRUE(canvas);
    EXPECT_EQ(outline->canvas(), canvas);
    auto below = filledRectangle(pf::Rect(100, 100, 120, 80), pf::Color(1, 0, 0, 1));
    auto above = filledRectangle(pf::Rect(160, 130, 120, 80), pf::Color(0, 0, 1, 1));
    canvas->composition()->addShape(below);
    canvas->composition()->addShape(above);
    canvas->selectNone();
    settle();
    ASSERT_EQ(outline->items().size(), 2u);
    EXPECT_EQ(outline->shapeAtOutlineIndex(0), below.get());

    // A click on a row selects its shape on the canvas.
    CompositionOutlineView& tree = *outline->outlineView();
    const auto rowRect = [&](const Shape* shape) {
        return tree.visualRect(outline->indexForItem(shape).siblingAtColumn(CompositionOutlineModel::TitleColumn));
    };
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rowRect(below.get()).center());
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{below});
    settle();
    EXPECT_EQ(outline->selectedItems(), std::vector<Shape*>{below.get()});

    // Where the two overlap the page shows the upper one.
    const QPoint overlap = canvas->convertPointFromComposition(pf::Point(190, 155)).toQt().toPoint();
    const auto shown = [&] {
        settle();
        return canvas->grab().toImage().pixelColor(overlap * canvas->devicePixelRatioF());
    };
    const QColor before = shown();
    EXPECT_GT(before.blue(), before.red());

    // The lower row dragged below the upper one's row: drawn last, on top.
    CompositionOutlineView::ScopedDragRunner runner([&](QDrag& drag, Qt::DropActions offered) {
        const QRect target = rowRect(above.get());
        const QPoint at(target.center().x(), target.bottom() - 1);
        QDragEnterEvent enter(at, offered, drag.mimeData(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &enter);
        QDragMoveEvent move(at, offered, drag.mimeData(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &move);
        QDropEvent dropped(QPointF(at), offered, drag.mimeData(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    });
    const QPoint from = rowRect(below.get()).center();
    QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(tree.viewport(), from + QPoint(0, 10));
    QTest::mouseMove(tree.viewport(), from + QPoint(0, 25));
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, from + QPoint(0, 25));
    const auto& children = canvas->composition()->children();
    EXPECT_GT(canvas->composition()->indexOfShape(below.get()), canvas->composition()->indexOfShape(above.get()));
    const QColor moved = shown();
    EXPECT_GT(moved.red(), moved.blue());
    EXPECT_EQ(outline->shapeAtOutlineIndex(1), below.get());
    EXPECT_TRUE(children.front()->isManipulator());

    // One undo puts it back.
    window->menuAction("undo")->trigger();
    EXPECT_LT(canvas->composition()->indexOfShape(below.get()), canvas->composition()->indexOfShape(above.get()));
    const QColor undone = shown();
    EXPECT_GT(undone.blue(), undone.red());
    EXPECT_EQ(outline->shapeAtOutlineIndex(0), below.get());

    // Delete in the outline removes the selection through the window.
    canvas->replaceSelectionWithShapes({above});
    settle();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    tree.setFocus();
    tree.keyPressEvent(&press);
    settle();
    EXPECT_EQ(canvas->composition()->indexOfShape(above.get()), pf::NotFound);
    EXPECT_EQ(outline->items().size(), 1u);
    (void)document;
}

} // namespace
