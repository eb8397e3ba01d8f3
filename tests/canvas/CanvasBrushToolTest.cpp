// The brush tool driven by synthesised events: the points a stroke keeps, the flattened outline of the brush
// it leaves, the snapped release, Escape mid-stroke, a second stroke of a kept tool, the undo step and the
// cursor.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategyBrush.h"
#include "model/StickyDefaults.h"
#include "shapes/Brush.h"
#include "shapes/SmartPath.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

constexpr auto Command = Qt::ControlModifier;

using Points = std::vector<pf::Point>;

// The outline the tool must leave for a stroke that kept these points: the smooth path through them,
// flattened at 0.1.
pf::Path expectedOutline(const Points& points)
{
    auto path = StickyDefaults::doWithoutStickySetting([&] {
        auto made = std::static_pointer_cast<BrushPath>(BrushPath::staticClass().allocate());
        made->initWithFrameMidPoints(pf::Rect(points.front(), pf::Size(1, 1)), false);
        made->setPathType(1);
        made->setCurveRatio(0.2);
        return made;
    });
    path->setModelPoints(points);
    return path->path().flattened(0.1);
}

void expectSameOutline(const pf::Path& actual, const pf::Path& expected)
{
    ASSERT_EQ(actual.elementCount(), expected.elementCount());
    const double tolerance = 1e-9 * std::max(1.0, expected.bounds().width() + expected.bounds().height());
    for (int i = 0; i < expected.elementCount(); ++i) {
        ASSERT_EQ(actual.element(i).type, expected.element(i).type) << "element " << i;
        for (int k = 0; k < expected.element(i).pointCount(); ++k) {
            EXPECT_NEAR(actual.element(i).points[k].x, expected.element(i).points[k].x, tolerance) << "element " << i;
            EXPECT_NEAR(actual.element(i).points[k].y, expected.element(i).points[k].y, tolerance) << "element " << i;
        }
    }
}

} // namespace

class CanvasBrushToolTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
        before = pageShapes();
    }
    void chooseBrush()
    {
        keyDown(Qt::Key_B, {}, QStringLiteral("b"));
        ASSERT_TRUE(tool());
    }
    MouseStrategyBrush* tool() const { return dynamic_cast<MouseStrategyBrush*>(canvas->mouseStrategy().get()); }
    // The shapes the tool added, in page order.
    Canvas::Shapes added() const
    {
        Canvas::Shapes found;
        for (const auto& shape : pageShapes())
            if (std::find(before.begin(), before.end(), shape) == before.end())
                found.push_back(shape);
        return found;
    }
    std::vector<std::shared_ptr<Brush>> brushes() const
    {
        std::vector<std::shared_ptr<Brush>> found;
        for (const auto& shape : added())
            if (auto brush = std::dynamic_pointer_cast<Brush>(shape))
                found.push_back(brush);
        return found;
    }
    bool anyTemporaryPath() const
    {
        const auto shapes = added();
        return std::any_of(shapes.begin(), shapes.end(), [](const auto& s) { return bool(std::dynamic_pointer_cast<BrushPath>(s)); });
    }

    Canvas::Shapes before;
};

TEST_F(CanvasBrushToolTest, AStrokeBecomesOneBrushOfItsFlattenedOutlineKeepingOnlyFarPoints)
{
    chooseBrush();
    const pf::Point start(100, 420), near1(104, 423), far1(120, 425), near2(125, 428), far2(125, 450), end(130, 455);
    press(start);
    for (const pf::Point& p : {near1, far1, near2, far2})
        dragTo(p);
    release(end);

    ASSERT_EQ(added().size(), 1u);
    const auto all = brushes();
    ASSERT_EQ(all.size(), 1u);
    // Points within 10 of the last kept one on both axes only moved the end; the far ones stay (the
    // second as the end it became), the release is the last.
    expectSameOutline(all.front()->path(), expectedOutline({start, far1, far2, far2, end}));
    EXPECT_TRUE(all.front()->isSelected());
    EXPECT_FALSE(canvas->mouseStrategy()) << "the tool ends at a release without Command";
}

TEST_F(CanvasBrushToolTest, AClickLeavesATinyBrush)
{
    chooseBrush();
    click(pf::Point(200, 450));
    const auto all = brushes();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_FALSE(anyTemporaryPath());
    EXPECT_LE(all.front()->frame().width(), 2.0);
    EXPECT_LE(all.front()->frame().height(), 2.0);
    EXPECT_EQ(all.front()->frame().origin, pf::Point(200, 450));
}

TEST_F(CanvasBrushToolTest, AStraightStrokeMovesWithItsBrush)
{
    chooseBrush();
    press(pf::Point(100, 450));
    dragTo(pf::Point(140, 450));
    dragTo(pf::Point(180, 450));
    release(pf::Point(200, 450));
    const auto all = brushes();
    ASSERT_EQ(all.size(), 1u);
    const auto& brush = all.front();
    EXPECT_GE(brush->frame().height(), 1.0) << "a frame without area would never carry the ink along";
    const pf::Rect ink = brush->path().bounds();
    brush->setFrame(brush->frame().offsetBy(30, 40));
    const pf::Rect moved = brush->path().bounds();
    EXPECT_DOUBLE_EQ(moved.x(), ink.x() + 30);
    EXPECT_DOUBLE_EQ(moved.y(), ink.y() + 40);
}

TEST_F(CanvasBrushToolTest, OnlyTheReleasePointIsSnapped)
{
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    chooseBrush();
    const pf::Point start(103, 417), far1(127, 433), end(136, 444);
    press(start);
    dragTo(far1);
    release(end);
    const auto all = brushes();
    ASSERT_EQ(all.size(), 1u);
    expectSameOutline(all.front()->path(), expectedOutline({start, far1, far1, pf::Point(140, 440)}));
}

TEST_F(CanvasBrushToolTest, EscapeMidStrokeKeepsTheInkAsABrush)
{
    chooseBrush();
    const pf::Point start(100, 420), far1(130, 440), last(136, 446);
    press(start);
    dragTo(far1);
    dragTo(last);
    keyDown(Qt::Key_Escape);

    EXPECT_FALSE(canvas->mouseStrategy());
    EXPECT_FALSE(anyTemporaryPath()) << "the temporary path would be stored with the document";
    const auto all = brushes();
    ASSERT_EQ(all.size(), 1u);
    // No release point: the stroke ends where the pointer was, unsnapped.
    expectSameOutline(all.front()->path(), expectedOutline({start, far1, last}));

    // The rest of the gesture belongs to no tool: it neither moves the brush nor draws.
    const pf::Rect frame = all.front()->frame();
    dragTo(pf::Point(300, 500));
    release(pf::Point(300, 500));
    endTurn();
    EXPECT_EQ(all.front()->frame(), frame);
    EXPECT_EQ(added().size(), 1u);
}

TEST_F(CanvasBrushToolTest, ASecondStrokeOfAKeptToolHasNoStrayPoint)
{
    chooseBrush();
    press(pf::Point(100, 420));
    dragTo(pf::Point(130, 440));
    release(pf::Point(140, 450), Command);
    ASSERT_TRUE(tool()) << "Command at the release keeps the tool";

    const pf::Point start(300, 420), far1(330, 445), end(335, 460);
    press(start);
    dragTo(far1);
    release(end);
    const auto all = brushes();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_FALSE(anyTemporaryPath());
    expectSameOutline(all.back()->path(), expectedOutline({start, far1, far1, end}));
}

TEST_F(CanvasBrushToolTest, OneUndoTakesAStrokeAwayAndRedoBringsTheBrushBack)
{
    chooseBrush();
    press(pf::Point(100, 420));
    for (int i = 1; i <= 12; ++i)
        dragTo(pf::Point(100 + 7 * i, 420 + 3 * i));
    release(pf::Point(190, 460));
    endTurn();
    ASSERT_EQ(brushes().size(), 1u);
    const pf::Rect frame = brushes().front()->frame();

    ASSERT_TRUE(undo.undo());
    endTurn();
    EXPECT_EQ(pageShapes(), before);
    ASSERT_TRUE(undo.redo());
    endTurn();
    ASSERT_EQ(brushes().size(), 1u);
    EXPECT_EQ(added().size(), 1u) << "the temporary path stays gone";
    EXPECT_EQ(brushes().front()->frame(), frame);
}

TEST_F(CanvasBrushToolTest, TheCursorIsADashedCircleDrawnOnce)
{
    chooseBrush();
    const pf::Cursor& cursor = MouseStrategyBrush::brushCursorWithZoomScale(1.0);
    EXPECT_EQ(canvas->shownCursor(), cursor);
    EXPECT_EQ(MouseStrategyBrush::brushCursorWithZoomScale(4.0), cursor) << "made once, whatever the zoom";
    EXPECT_EQ(cursor.hotSpot(), pf::Point(8, 8));
    EXPECT_EQ(cursor.image().size(), pf::Size(16, 19));
    ASSERT_EQ(cursor.image().bitmapCount(), 2) << "1x and 2x";

    const QImage picture = cursor.image().bitmap(1).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(32, 38));
    // To look at it: on white, eight times larger.
    if (const char* dir = std::getenv("QUORVEL_TEST_PICTURES")) {
        QImage shown(picture.size(), QImage::Format_ARGB32);
        shown.fill(Qt::white);
        QPainter(&shown).drawImage(0, 0, picture);
        shown.scaled(picture.size() * 8).save(QString::fromLocal8Bit(dir) + QStringLiteral("/brush-cursor.png"));
    }
    // The circle of radius 5 about (8, 8) is inked in dashes: dark pixels on it, gaps between them, and
    // nothing but a faint shadow inside and at the corners.
    int inked = 0, gaps = 0;
    for (int degrees = 0; degrees < 360; degrees += 3) {
        const double t = degrees * M_PI / 180;
        const QColor c = picture.pixelColor(int(2 * (8 + 5 * std::cos(t))), int(2 * (8 + 5 * std::sin(t))));
        (c.alpha() > 160 ? inked : gaps) += 1;
    }
    EXPECT_GT(inked, 40);
    EXPECT_GT(gaps, 10);
    EXPECT_LT(picture.pixelColor(16, 16).alpha(), 80);
    EXPECT_EQ(picture.pixelColor(0, 37).alpha(), 0);
}
