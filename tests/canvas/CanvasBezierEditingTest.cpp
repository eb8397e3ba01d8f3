// A Bezier's selection on the canvas: handle numbers and hit order, the Shift and Command drags, the
// Command-click corner, double-click insert and remove with their undo step, ends that attach to shapes,
// and the handles as drawn at two zooms and in reference pictures.
#include "canvas/support/CanvasFixture.h"

#include "canvas/MouseStrategyBezier.h"
#include "geometry/QVRect.h"
#include "manipulators/BezierManipulator.h"
#include "model/UserDefaults.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/kit/Cursor.h"
#include "shapes/Bezier.h"
#include "support/ReferencePicture.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Command = Qt::ControlModifier;

using Points = std::vector<pf::Point>;

pf::Point polar(const pf::Point& from, double radius, double degrees)
{
    const double r = degrees * std::numbers::pi / 180;
    return pf::Point(from.x + radius * std::cos(r), from.y + radius * std::sin(r));
}

} // namespace

class CanvasBezierEditingTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        UserDefaults::instance().setGridVisibility(0);
    }
    // A curve on the page with exactly these points and control pairs (pair i: the segment into point i),
    // every point showing its handles, selected; its set-up is a turn of its own.
    std::shared_ptr<Bezier> curve(const Points& points, const Bezier::Pairs& pairs, bool closed = false)
    {
        auto b = std::dynamic_pointer_cast<Bezier>(addShape("Bezier", pf::Rect(points[0], pf::Size(10, 10))));
        EXPECT_TRUE(b);
        b->setClosed(closed);
        b->setModelControlPointsInvisible(Bezier::Flags(points.size(), false));
        b->setModelControlPointsIndependent(Bezier::Flags(points.size(), false));
        b->setModelPointsControlPointsRegen(points, pairs, true);
        canvas->replaceSelectionWithShape(b);
        endTurn();
        return b;
    }
    // Three points below the fixture's shapes, with curved segments.
    std::shared_ptr<Bezier> threePoints()
    {
        return curve({p0, p1, p2}, {{p0, p0}, {pf::Point(230, 430), pf::Point(270, 520)},
                                    {pf::Point(330, 480), pf::Point(370, 430)}});
    }
    std::shared_ptr<BezierManipulator> selection() const
    {
        return std::dynamic_pointer_cast<BezierManipulator>(canvas->manipulator());
    }
    void setZoom(double scale)
    {
        page->setOverrideZoomScale(scale);
        canvas->updateGridPattern();
        canvas->updateForZoomScale();
    }
    QImage picture(const pf::Rect& viewRect)
    {
        pf::BitmapContext context(viewRect.size, 1.0, true, true);
        context.translate(-viewRect.x(), -viewRect.y());
        canvas->drawRect(context, viewRect);
        return context.bitmap();
    }
    static QString reference(const char* name)
    {
        return QStringLiteral(QUORVEL_TEST_DATA "/canvas/") + QString::fromLatin1(name) + QStringLiteral(".png");
    }

    const pf::Point p0{200, 450}, p1{300, 500}, p2{400, 450};
};

// ---- handles ----

TEST_F(CanvasBezierEditingTest, ThreePointsNumberTheirHandlesAndControlsAreHitBeforePoints)
{
    const auto b = threePoints();
    const auto m = selection();
    ASSERT_TRUE(m);
    EXPECT_EQ(b->lastModelPointHandleIndex(), 11);
    EXPECT_EQ(b->lastControlPointHandleIndex(), 17);
    struct Case {
        pf::Point at;
        std::int64_t handle;
    };
    const Case cases[] = {
        {p0, 9},
        {p1, 10},
        {p2, 11},
        // Pair 0 belongs to the closing segment, which an open curve does not have: nothing to grab.
        {pf::Point(230, 430), 14},
        {pf::Point(270, 520), 15},
        {pf::Point(330, 480), 16},
        {pf::Point(370, 430), 17},
        {pf::Point(250, 600), -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "(" << k.at.x << ", " << k.at.y << ")");
        EXPECT_EQ(m->handleForPoint(k.at), k.handle);
    }
    const auto rects = m->handleRects(false);
    ASSERT_EQ(rects.size(), 9u);
    EXPECT_TRUE(QVRectIsZero(rects[3]) && QVRectIsZero(rects[4]));
    EXPECT_EQ(m->handleRects(true).size(), 3u);
    // The frame's handles answer where no point is.
    const pf::Rect f = m->frame();
    EXPECT_EQ(m->handleForPoint(pf::Point(f.maxX(), f.maxY())), QVRectCornerBotRit);

    // A control over point 10: the control is hit first.
    b->setPointAtHandleIndex(pf::Point(296, 497), 14);
    EXPECT_EQ(m->handleForPoint(pf::Point(298, 499)), 14);
    EXPECT_EQ(m->handleForPoint(pf::Point(303, 503)), 10);
    // At zoom 2 a hit square is 5 page points across.
    setZoom(2);
    EXPECT_EQ(m->handleForPoint(pf::Point(p2.x + 2, p2.y)), 11);
    EXPECT_EQ(m->handleForPoint(pf::Point(p2.x + 3, p2.y)), -1);
}

TEST_F(CanvasBezierEditingTest, AFlatCurveHasNoMiddleHandlesOnItsZeroSide)
{
    // Straight along y = 450: frame height 0.
    const pf::Point a(200, 450), b(300, 450), c(400, 450);
    curve({a, b, c}, {{a, a}, {a, b}, {b, c}});
    const auto m = selection();
    ASSERT_EQ(m->frame().height(), 0);
    for (const pf::Rect& r : {m->topMidHandle(), m->midLefHandle(), m->midRitHandle(), m->botMidHandle()})
        EXPECT_TRUE(QVRectIsZero(r));
    EXPECT_FALSE(QVRectIsZero(m->topLefHandle()));
    threePoints();
    EXPECT_FALSE(QVRectIsZero(selection()->topMidHandle()));
}

// ---- drags ----

TEST_F(CanvasBezierEditingTest, CommandDraggingACornerPullsOutItsOutgoingControlSymmetrically)
{
    // Point 1 a corner: its controls on it and not shown.
    const auto b = curve({p0, p1, p2}, {{p0, p0}, {pf::Point(230, 430), p1}, {p1, pf::Point(370, 430)}});
    b->setInvisibleAtModelIndex(true, 1);
    const auto m = selection();
    EXPECT_EQ(m->handleForPoint(p1), 10) << "the controls on the point have no squares";
    press(p1, Command);
    for (const double x : {10.0, 20.0, 30.0})
        dragTo(pf::Point(p1.x + x, p1.y - x / 3), Command);
    release(pf::Point(p1.x + 30, p1.y - 10), Command);
    EXPECT_EQ(b->modelPointAtIndex(1), p1);
    EXPECT_EQ(b->firstControlPointAtModelIndex(2), pf::Point(p1.x + 30, p1.y - 10));
    EXPECT_EQ(b->secondControlPointAtModelIndex(1), pf::Point(p1.x - 30, p1.y + 10));
    EXPECT_FALSE(b->isInvisibleAtModelIndex(1));
}

TEST_F(CanvasBezierEditingTest, CommandDraggingAControlMovesItAloneAndAPlainDragCarriesItsPeer)
{
    for (const bool command : {false, true}) {
        SCOPED_TRACE(command ? "with Command" : "without");
        makeCanvas();
        const auto b = threePoints();
        const Qt::KeyboardModifiers held = command ? Qt::KeyboardModifiers(Command) : Qt::KeyboardModifiers();
        // Control 16 (leaving point 1) moved; its peer 15 (arriving at point 1) mirrors it unless Command.
        const pf::Point from = b->firstControlPointAtModelIndex(2), to(340, 470);
        drag(from, to, held);
        EXPECT_EQ(b->firstControlPointAtModelIndex(2), to);
        EXPECT_EQ(b->secondControlPointAtModelIndex(1), command ? pf::Point(270, 520) : pf::Point(260, 530));
    }
}

TEST_F(CanvasBezierEditingTest, ShiftHoldsAControlToTheNearestLineThroughItsPointSwitchingAtTheSectorBorders)
{
    struct Case {
        double degrees;
        pf::Point held; // relative to point 2
    };
    const double r = 50;
    const Case cases[] = {
        {20, {polar({}, r, 20).x, 0}},
        {25, {polar({}, r, 25).x, polar({}, r, 25).x}},
        {65, {polar({}, r, 65).y, polar({}, r, 65).y}},
        {70, {0, polar({}, r, 70).y}},
        {115, {-polar({}, r, 115).y, polar({}, r, 115).y}},
        {160, {polar({}, r, 160).x, 0}},
        {-30, {-polar({}, r, -30).x * -1, -polar({}, r, -30).x}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.degrees << " degrees");
        makeCanvas();
        const auto b = threePoints();
        // Control 17 hangs from point 2.
        const pf::Point from = b->secondControlPointAtModelIndex(2);
        const pf::Point to = polar(p2, r, k.degrees);
        press(from);
        dragTo(pf::Point((from.x + to.x) / 2, (from.y + to.y) / 2), Shift);
        dragTo(to, Shift);
        const pf::Point got = b->secondControlPointAtModelIndex(2);
        EXPECT_NEAR(got.x, p2.x + k.held.x, 1e-9 * r);
        EXPECT_NEAR(got.y, p2.y + k.held.y, 1e-9 * r);
        release(to, Shift);
    }
}

TEST_F(CanvasBezierEditingTest, ShiftHoldsAPointOnTheAxisItLeftBy)
{
    const auto b = threePoints();
    press(p1);
    dragTo(pf::Point(p1.x + 30, p1.y + 5), Shift);
    dragTo(pf::Point(p1.x + 40, p1.y + 25), Shift);
    release(pf::Point(p1.x + 40, p1.y + 25), Shift);
    EXPECT_EQ(b->modelPointAtIndex(1), pf::Point(p1.x + 40, p1.y));
}

TEST_F(CanvasBezierEditingTest, ACommandClickMakesACornerOfAPointOrCollapsesOneControl)
{
    const auto b = threePoints();
    const auto before = b->modelControlPoints();
    // On point 10: both its controls onto it, hidden, apart.
    click(p1, Command);
    EXPECT_EQ(b->secondControlPointAtModelIndex(1), p1);
    EXPECT_EQ(b->firstControlPointAtModelIndex(2), p1);
    EXPECT_TRUE(b->isInvisibleAtModelIndex(1));
    EXPECT_EQ(b->modelPointAtIndex(1), p1);
    endTurn();
    // One undo step takes the corner back, flags and all.
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(b->modelControlPoints(), before);
    EXPECT_FALSE(b->isInvisibleAtModelIndex(1));

    // On control 15 only that one goes onto its point; with 16 too the point has no handles left.
    click(pf::Point(270, 520), Command);
    EXPECT_EQ(b->secondControlPointAtModelIndex(1), p1);
    EXPECT_EQ(b->firstControlPointAtModelIndex(2), pf::Point(330, 480));
    EXPECT_FALSE(b->isInvisibleAtModelIndex(1));
    click(pf::Point(330, 480), Command);
    EXPECT_EQ(b->firstControlPointAtModelIndex(2), p1);
    EXPECT_TRUE(b->isInvisibleAtModelIndex(1));
    // At an end of an open curve one control is enough.
    click(pf::Point(370, 430), Command);
    EXPECT_EQ(b->secondControlPointAtModelIndex(2), p2);
    EXPECT_TRUE(b->isInvisibleAtModelIndex(2));
}

// ---- double-click ----

TEST_F(CanvasBezierEditingTest, ADoubleClickRemovesOnlyAPointUnderIt)
{
    const auto b = threePoints();
    const auto m = selection();
    // A frame handle away from every point: nothing is taken out.
    const pf::Point corner(m->frame().maxX(), m->frame().maxY());
    ASSERT_LT(m->handleForPoint(corner, true), 9);
    EXPECT_FALSE(m->doubleClickedAtPoint(corner));
    EXPECT_EQ(b->modelPointCount(), 3);
    // Point 10 goes.
    EXPECT_TRUE(m->doubleClickedAtPoint(pf::Point(p1.x + 2, p1.y - 2)));
    EXPECT_EQ(b->modelPoints(), (Points{p0, p2}));
    // Two points are the least.
    EXPECT_FALSE(m->doubleClickedAtPoint(p0));
    EXPECT_EQ(b->modelPointCount(), 2);
    // Locked: used up, nothing changes.
    b->setLocked(true);
    EXPECT_TRUE(m->doubleClickedAtPoint(pf::Point(300, 450)));
    EXPECT_EQ(b->modelPointCount(), 2);
}

TEST_F(CanvasBezierEditingTest, APointPutInByDoubleClickAndItsDragAreOneUndoStep)
{
    // Straight segments, so the middle of one is on the outline.
    const auto b = curve({p0, p1, p2}, {{p0, p0}, {p0, p1}, {p1, p2}});
    const Points before = b->modelPoints();
    const pf::Point middle(250, 475), to(260, 540);
    click(middle);
    endTurn();
    press(middle, {}, Qt::LeftButton, true);
    endTurn();
    ASSERT_EQ(b->modelPointCount(), 4);
    EXPECT_TRUE(selection()->doubleClickDrag());
    dragTo(pf::Point(255, 500));
    endTurn();
    dragTo(to);
    endTurn();
    release(to);
    endTurn();
    EXPECT_EQ(b->modelPoints(), (Points{p0, to, p1, p2}));
    EXPECT_FALSE(selection()->doubleClickDrag());
    EXPECT_FALSE(undo.hasExplicitGroup()) << "no group left open";
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(b->modelPoints(), before);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(b->modelPoints(), (Points{p0, to, p1, p2}));

    // A double-click that only puts a point in, without a drag, is one step too.
    press(pf::Point(350, 475));
    release(pf::Point(350, 475));
    endTurn();
    press(pf::Point(350, 475), {}, Qt::LeftButton, true);
    endTurn();
    release(pf::Point(350, 475));
    endTurn();
    EXPECT_EQ(b->modelPointCount(), 5);
    EXPECT_FALSE(undo.hasExplicitGroup());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(b->modelPointCount(), 4);
}

// ---- ends ----

TEST_F(CanvasBezierEditingTest, AnEndDroppedOnAShapesEdgeAttachesAtItsOwnCornerAndFollowsTheShape)
{
    struct Case {
        const char* name;
        int point;
    };
    for (const Case k : {Case{"end A", 0}, Case{"end B", 2}}) {
        SCOPED_TRACE(k.name);
        makeCanvas();
        UserDefaults::instance().setGridVisibility(0);
        const auto target = addShape("Rectangle", pf::Rect(600, 420, 100, 80));
        const auto b = threePoints();
        const pf::Point from = b->modelPointAtIndex(k.point);
        press(from);
        dragTo(pf::Point(520, 455));
        dragTo(pf::Point(598, 460));
        dragTo(pf::Point(600, 460));
        ASSERT_TRUE(canvas->draggingConnection());
        release(pf::Point(600, 460));
        advance(1.0);
        const int corner = k.point;
        EXPECT_TRUE(b->isConnectedAtCorner(corner));
        EXPECT_FALSE(b->isConnectedAtCorner(2 - corner));
        EXPECT_EQ(b->modelPointAtIndex(k.point), pf::Point(600, 460));
        // The shape moves; the end goes with it.
        canvas->selectNone();
        target->setFrame(pf::Rect(620, 440, 100, 80));
        EXPECT_EQ(b->modelPointAtIndex(k.point), pf::Point(620, 480));
        // Dragging that end away loosens it; the other point's drag leaves it attached.
        canvas->replaceSelectionWithShape(b);
        drag(b->modelPointAtIndex(1), pf::Point(300, 560));
        EXPECT_TRUE(b->isConnectedAtCorner(corner));
        drag(b->modelPointAtIndex(k.point), pf::Point(560, 560));
        EXPECT_FALSE(b->isConnectedAtCorner(corner));
    }
}

// ---- drawing ----

TEST_F(CanvasBezierEditingTest, TheSelectionDrawsFrameOutlineControlLinesAndHandlesAtTheirScreenSizes)
{
    for (const double zoom : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        makeCanvas();
        UserDefaults::instance().setGridVisibility(0);
        setZoom(zoom);
        const auto b = threePoints();
        pf::RecordingContext context(QRectF(0, 0, 3000, 3000), true);
        const pf::Point a = canvas->convertPointFromComposition(pf::Point(150, 400));
        const pf::Point z = canvas->convertPointFromComposition(pf::Point(450, 560));
        canvas->drawRect(context, pf::Rect(a, pf::Size(z.x - a.x, z.y - a.y)));
        // Round handles by their view size; squares of 10; the control lines and outline by colour.
        std::map<int, std::vector<pf::Point>> rounds;
        int squares = 0, magentaLines = 0, cyanStrokes = 0;
        for (const pf::RecordedCall& c : context.calls()) {
            if (c.operation != "stroke")
                continue;
            const pf::Rect r = c.state.ctm.apply(c.path.bounds());
            const pf::Color& s = c.state.strokeColor;
            if (s.red == 1 && s.green == 0 && s.blue == 1)
                ++magentaLines;
            else if (s.red == 0 && s.green == 1 && s.blue == 1)
                ++cyanStrokes;
            else if (std::lround(r.width()) == 10 && c.path.elementCount() == 5)
                ++squares;
            else if ((std::lround(r.width()) == 6 || std::lround(r.width()) == 8) && r.width() == r.height())
                rounds[int(std::lround(r.width()))].push_back(pf::Point(r.midX(), r.midY()));
        }
        EXPECT_EQ(squares, 8) << "the frame's resize handles";
        EXPECT_EQ(magentaLines, 1) << "every control line in one stroke";
        EXPECT_EQ(cyanStrokes, 2) << "the frame and the outline";
        const auto at = [&](const pf::Point& page) {
            const pf::Point v = canvas->convertPointFromComposition(page);
            return pf::Point(std::floor(v.x) + 0.5, std::floor(v.y) + 0.5);
        };
        EXPECT_EQ(rounds[8], (Points{at(p0), at(p1), at(p2)}));
        EXPECT_EQ(rounds[6], (Points{at({230, 430}), at({270, 520}), at({330, 480}), at({370, 430})}));
    }
}

TEST_F(CanvasBezierEditingTest, ACurveBeingDrawnASelectedCurveAndThePenCursorsMatchTheReferencePicture)
{
    // Left: the pen half way through a curve, its pending controls showing; middle: a closed curve
    // selected with a control being dragged; right: the pen and close cursors at 1x and 2x.
    keyDown(Qt::Key_P, {}, QStringLiteral("p"));
    const pf::Point a(120, 440), b(200, 420), c(230, 500);
    hover(a);
    click(a);
    hover(b);
    drag(b, pf::Point(240, 420));
    hover(c);
    click(c);
    hover(pf::Point(160, 530));
    const pf::Point corner = canvas->convertPointFromComposition(pf::Point(100, 400));
    const QImage drawing = picture(pf::Rect(corner.x, corner.y, 160, 150));
    keyDown(Qt::Key_Escape);

    const auto closed = curve({p0, p1, p2}, {{pf::Point(330, 420), pf::Point(230, 420)},
                                             {pf::Point(230, 430), pf::Point(270, 520)},
                                             {pf::Point(330, 480), pf::Point(370, 430)}},
                              true);
    selection()->setActiveHandle(16);
    selection()->setDragResizing(true);
    const pf::Point left = canvas->convertPointFromComposition(pf::Point(180, 400));
    const QImage selected = picture(pf::Rect(left.x, left.y, 240, 150));
    selection()->setDragResizing(false);

    QImage cursors(96, 150, QImage::Format_ARGB32_Premultiplied);
    cursors.fill(Qt::white);
    {
        QPainter painter(&cursors);
        int x = 4;
        for (const auto* cursor : {&MouseStrategyBezier::penCursor(), &MouseStrategyBezier::closeCursor()}) {
            painter.drawImage(x, 4, cursor->image().bestBitmap(1.0));
            painter.drawImage(x, 40, cursor->image().bestBitmap(2.0));
            x += 44;
        }
    }
    QImage all(160 + 240 + 96, 150, QImage::Format_ARGB32_Premultiplied);
    all.fill(Qt::white);
    {
        QPainter painter(&all);
        painter.drawImage(0, 0, drawing);
        painter.drawImage(160, 0, selected);
        painter.drawImage(400, 0, cursors);
    }
    expectMatchesReferencePicture(all, reference("bezier-pen-and-selection"));
}
