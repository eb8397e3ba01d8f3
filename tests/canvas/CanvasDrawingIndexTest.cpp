// The spatial index behind painting and hit testing: it must change no pixel and no answer, and a move must
// repaint only what meets the moved shape's old and new places.
#include "canvas/support/CanvasFixture.h"

#include "geometry/QVRect.h"
#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

#include <QCoreApplication>

#include <random>

namespace {

class CanvasDrawingIndexTest : public CanvasFixture {
protected:
    // Shapes of several kinds scattered over the page (fixed seed), some reaching past its edges.
    void scatter(int count)
    {
        std::mt19937 random(35);
        std::uniform_real_distribution<double> x(-40, 780), y(-40, 580), side(4, 90);
        const char* kinds[] = {"Rectangle", "Ellipse", "Line", "Diamond"};
        for (int i = 0; i < count; ++i)
            addShape(kinds[i % 4], QVRectRound(pf::Rect(x(random), y(random), side(random), side(random))));
        canvas->selectNone();
    }
    QImage picture(const pf::Rect& viewRect)
    {
        pf::BitmapContext context(viewRect.size, 1.0, true, true);
        context.translate(-viewRect.x(), -viewRect.y());
        canvas->drawRect(context, viewRect);
        return context.bitmap();
    }
};

TEST_F(CanvasDrawingIndexTest, IndexedPaintsArePixelIdenticalToDrawingEveryShape)
{
    scatter(300);
    std::mt19937 random(7);
    const pf::Rect bounds = canvas->bounds();
    std::uniform_real_distribution<double> x(0, bounds.width() - 20), y(0, bounds.height() - 20), side(1, 300);
    for (int i = 0; i < 12; ++i) {
        const pf::Rect dirty = QVRectRound(pf::Rect(x(random), y(random), side(random), side(random)));
        canvas->setUsesShapeIndex(false);
        const QImage every = picture(dirty);
        canvas->setUsesShapeIndex(true);
        const QImage indexed = picture(dirty);
        EXPECT_EQ(differingPixels(every, indexed, 0), 0) << pf::toString(dirty).toStdString();
    }
}

TEST_F(CanvasDrawingIndexTest, TheIndexedHitTestAnswersAsThePage)
{
    scatter(1000);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-60, 860), y(-60, 660);
    int hits = 0;
    for (int i = 0; i < 3000; ++i) {
        const pf::Point p(x(random), y(random));
        const auto expected = page->shapeAtPoint(p);
        EXPECT_EQ(canvas->shapeAtPoint(p), expected) << pf::toString(p).toStdString();
        hits += expected != nullptr;
        if (i == 1500) {
            // Moved shapes are found at their new places.
            for (std::size_t k = 2; k < page->children().size(); k += 7)
                page->children()[k]->setFrame(page->children()[k]->frame().offsetBy(13.5, -8));
        }
        if (i == 2200) {
            // A changed list (order, removals, additions) is indexed afresh.
            for (std::size_t k = 0; k + 1 < page->children().size(); k += 5)
                page->moveShapeAtIndexToIndex(k, page->children().size() - 1);
            for (int k = 0; k < 40; ++k)
                page->removeShape(page->children()[std::size_t(k) * 11]);
            addShape("Rectangle", pf::Rect(100, 100, 500, 300));
            canvas->selectNone();
        }
    }
    EXPECT_GT(hits, 1000);
}

TEST_F(CanvasDrawingIndexTest, MovingOneShapeRepaintsOnlyWhatMeetsItsOldAndNewPlaces)
{
    scatter(1000);
    const auto moved = page->children()[500];
    QCoreApplication::processEvents();
    endTurn();
    QCoreApplication::processEvents();
    canvas->resetDrawingStats();
    const pf::Rect before = moved->paintedRect();
    moved->setFrame(moved->frame().offsetBy(3, 2));
    const pf::Rect after = moved->paintedRect();
    QCoreApplication::processEvents();
    endTurn();
    QCoreApplication::processEvents();
    const Canvas::DrawingStats& stats = canvas->drawingStats();
    ASSERT_EQ(stats.paints, 1u);
    // One paint of the old and new places as painted, far inside the redisplay rects (a pixel or two
    // more for the rounding to widget pixels).
    const pf::Rect movedView = canvas->convertRectFromComposition(QVCombineRects(before, after));
    EXPECT_TRUE(QVRectOutset(movedView, 2, 2).contains(stats.lastDirtyRect))
        << pf::toString(stats.lastDirtyRect).toStdString();
    EXPECT_LT(after.width(), moved->dirtyRect().width());
    // Exactly the shapes whose painted rects meet the painted part of the page.
    const pf::Rect p = canvas->pageDrawingRect();
    const double s = canvas->currentScale();
    const pf::Rect painted =
        pf::AffineTransform{s, 0, 0, s, p.x(), p.y()}.inverted().apply(QVRectOutset(stats.lastDirtyRect, 1, 1));
    std::size_t meeting = 0;
    for (const auto& child : page->children())
        meeting += child->paintedRect().intersects(painted);
    EXPECT_EQ(stats.shapesDrawn, meeting);
    EXPECT_LT(meeting, page->children().size() / 5);
}

// A change that asks for redisplay only once it is made (hiding a shadow) still clears what the shape
// painted before it.
TEST_F(CanvasDrawingIndexTest, AChangeAskingOnlyAfterwardsRepaintsWhatWasPaintedBefore)
{
    scatter(20);
    const auto shape = page->children()[8]; // a rectangle
    shape->setFillShadowHidden(false);
    shape->setFillShadowBlur(12);
    shape->setFillShadowOffsetX(20);
    QCoreApplication::processEvents();
    endTurn();
    QCoreApplication::processEvents();
    const pf::Rect shadowed = shape->paintedRect();
    canvas->resetDrawingStats();
    shape->setFillShadowHidden(true);
    QCoreApplication::processEvents();
    endTurn();
    QCoreApplication::processEvents();
    EXPECT_LT(shape->paintedRect().width(), shadowed.width());
    const pf::Rect p = canvas->pageDrawingRect();
    const double s = canvas->currentScale();
    const pf::Rect repainted = pf::AffineTransform{s, 0, 0, s, p.x(), p.y()}.inverted().apply(
        QVRectOutset(canvas->drawingStats().lastDirtyRect, 1, 1));
    EXPECT_TRUE(repainted.contains(shadowed)) << pf::toString(repainted).toStdString();
}

} // namespace
