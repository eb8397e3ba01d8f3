// Cursors: the standard catalogue and pictures drawn through our context, with hot spots and 2× bitmaps.
#include "platform/kit/Cursor.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <QBitmap>

#include <gtest/gtest.h>

namespace {

TEST(CursorTest, StandardCursorsAreMadeOnceAndMapToQtShapes)
{
    const std::vector<std::pair<const pf::Cursor*, Qt::CursorShape>> catalogue = {
        {&pf::Cursor::arrow(), Qt::ArrowCursor},
        {&pf::Cursor::crosshair(), Qt::CrossCursor},
        {&pf::Cursor::openHand(), Qt::OpenHandCursor},
        {&pf::Cursor::closedHand(), Qt::ClosedHandCursor},
        {&pf::Cursor::resizeLeftRight(), Qt::SizeHorCursor},
        {&pf::Cursor::resizeUpDown(), Qt::SizeVerCursor},
        {&pf::Cursor::dragCopy(), Qt::DragCopyCursor},
    };
    for (const auto& [cursor, shape] : catalogue) {
        EXPECT_EQ(cursor->toQt().shape(), shape);
        EXPECT_TRUE(cursor->image().isNull());
    }
    EXPECT_EQ(pf::Cursor::crosshair(), pf::Cursor::crosshair());
    EXPECT_FALSE(pf::Cursor::crosshair() == pf::Cursor::arrow());
}

// A 19 × 19 picture: a black 5 × 5 square at (12, 2) and the hot spot in its middle.
pf::Cursor squareCursor(int* draws = nullptr)
{
    return pf::Cursor::drawn(pf::Size(19, 19), pf::Point(14.5, 4.5), [draws](pf::GraphicsContext& context) {
        if (draws)
            ++*draws;
        context.setFillColor(pf::Color::black());
        context.fillRect(pf::Rect(12, 2, 5, 5));
    });
}

TEST(CursorTest, ADrawnCursorHasItsPictureAtOneAndTwoPixelsPerPoint)
{
    int draws = 0;
    const pf::Cursor cursor = squareCursor(&draws);
    EXPECT_EQ(draws, 2);
    EXPECT_EQ(cursor.shape(), pf::Cursor::Shape::Custom);
    EXPECT_EQ(cursor.hotSpot(), pf::Point(14.5, 4.5));
    const pf::Image& image = cursor.image();
    EXPECT_EQ(image.size(), pf::Size(19, 19));
    ASSERT_EQ(image.bitmapCount(), 2);
    EXPECT_DOUBLE_EQ(image.bitmapScale(0), 1.0);
    EXPECT_DOUBLE_EQ(image.bitmapScale(1), 2.0);
    // y down: the square is near the top, in both pictures.
    const QImage one = image.bitmap(0);
    const QImage two = image.bitmap(1);
    EXPECT_EQ(qAlpha(one.pixel(14, 4)), 255);
    EXPECT_EQ(qAlpha(one.pixel(14, 14)), 0);
    EXPECT_EQ(qAlpha(one.pixel(11, 4)), 0);
    EXPECT_EQ(qAlpha(two.pixel(29, 9)), 255);
    EXPECT_EQ(qAlpha(two.pixel(23, 9)), 0);
    EXPECT_EQ(qAlpha(two.pixel(29, 15)), 0);
}

TEST(CursorTest, TheQtCursorTakesTheDensityOfTheScreenAndIsKept)
{
    const pf::Cursor cursor = squareCursor();
    const QCursor normal = cursor.toQt(1.0);
    const QCursor dense = cursor.toQt(2.0);
    EXPECT_EQ(normal.hotSpot(), QPoint(14, 4));
    EXPECT_EQ(dense.hotSpot(), QPoint(14, 4)); // in points of the picture, whatever its density
    EXPECT_EQ(normal.pixmap().width(), 19);
    EXPECT_EQ(dense.pixmap().width(), 38);
    EXPECT_DOUBLE_EQ(dense.pixmap().devicePixelRatio(), 2.0);
    // Asked again, the same Qt cursor (the pixmap is shared, not drawn again).
    EXPECT_EQ(cursor.toQt(2.0).pixmap().cacheKey(), dense.pixmap().cacheKey());
    const pf::Cursor copy = cursor;
    EXPECT_EQ(copy, cursor);
    EXPECT_EQ(copy.toQt(1.0).pixmap().cacheKey(), normal.pixmap().cacheKey());
}

} // namespace
