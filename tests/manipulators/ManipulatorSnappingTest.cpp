// Snapping of moves and resizes onto other shapes, the page and its guides, and grid alignment.
#include "ManipulatorTestSupport.h"

#include "platform/foundation/Event.h"

#include <cmath>

namespace {

pf::Event eventWith(pf::ModifierFlags modifiers = 0)
{
    pf::Event e;
    e.modifierFlags = modifiers;
    return e;
}

class ManipulatorSnappingTest : public ManipulatorTest {
protected:
    void SetUp() override
    {
        ManipulatorTest::SetUp();
        UserDefaults& d = UserDefaults::instance();
        d.setSnapEnabled(true);
        d.setSnapTolerance(5);
        d.setSnapToOtherShapesEnabled(true);
        d.setSnapToCompositionBoundsEnabled(false);
        d.setSnapToUserGuidesEnabled(false);
        d.setSnapToDistantShapesEnabled(false);
        canvas.snap = true;
    }
    // The selection of one shape, moving, with its snap targets gathered.
    std::shared_ptr<Manipulator> moving(const std::shared_ptr<Shape>& shape)
    {
        auto m = select({shape});
        m->setCanvas(&canvas);
        m->beginDragMoveAtPoint(shape->frame().origin);
        return m;
    }
    EditingCanvas canvas;
};

TEST_F(ManipulatorSnappingTest, AMoveSnapsWithinTheToleranceOnScreen)
{
    struct Case {
        const char* what;
        double left;   // of the moved shape, beside a neighbour's left edge at 100
        double zoom;
        bool zeroTolerance;
        pf::ModifierFlags modifiers;
        bool snapEnabled;
        bool grid;
        double expectedLeft;
        bool guideShown;
    };
    const Case cases[] = {
        {"within 5", 103, 1, false, 0, true, false, 100, true},
        {"at 5", 105, 1, false, 0, true, false, 100, true},
        {"past 5", 105.5, 1, false, 0, true, false, 105.5, false},
        {"zoom 2 halves it: 2.5 snaps", 102.5, 2, false, 0, true, false, 100, true},
        {"zoom 2 halves it: 3 does not", 103, 2, false, 0, true, false, 103, false},
        {"zero tolerance: 0.5", 100.5, 1, true, 0, true, false, 100, true},
        {"zero tolerance: 0.6", 100.6, 1, true, 0, true, false, 100.6, false},
        {"Control turns it off", 103, 1, false, pf::ControlKeyMask, true, false, 103, false},
        {"Control turns it on", 103, 1, false, pf::ControlKeyMask, false, false, 100, true},
        {"off", 103, 1, false, 0, false, false, 103, false},
        {"grid: guides only", 103, 1, false, 0, true, true, 103, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UserDefaults::instance().setSnapEnabled(c.snapEnabled);
        page->setOverrideZoomScale(c.zoom);
        page->setGridEnabled(c.grid);
        if (c.grid)
            page->setGridTolerance(5); // the grid's tolerance replaces the snap tolerance
        // Near enough in y to count (only shapes near the selection are targets during a drag).
        const auto neighbour = box({100, 160, 100, 40});
        const auto moved = box({c.left, 170, 30, 30});
        canvas.guides.clear();
        canvas.snapped.clear();
        auto m = moving(moved);
        const pf::Event e = eventWith(c.modifiers);
        const pf::Rect r = m->snapRectForRect(pf::Rect(c.left, 170, 30, 30), false, c.zeroTolerance, &e);
        EXPECT_DOUBLE_EQ(r.x(), c.expectedLeft);
        EXPECT_DOUBLE_EQ(r.width(), 30);
        // The vertical guides (y lines up too, by design of the layout).
        std::erase_if(canvas.guides, [](const EditingCanvas::TempGuide& g) { return g.from.x != g.to.x; });
        const bool shown = !canvas.guides.empty();
        EXPECT_EQ(shown, c.guideShown);
        if (c.guideShown && shown) {
            // Type 0, vertical at the neighbour's edge, spanning both shapes.
            EXPECT_EQ(canvas.guides[0].type, 0u);
            EXPECT_DOUBLE_EQ(canvas.guides[0].from.x, 100);
            EXPECT_DOUBLE_EQ(canvas.guides[0].to.x, 100);
            EXPECT_LE(canvas.guides[0].from.y, 160);
            EXPECT_GE(canvas.guides[0].to.y, 200);
            ASSERT_FALSE(canvas.snapped.empty());
            EXPECT_EQ(canvas.snapped.front(), neighbour.get());
        }
        m->endDragMove(e);
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(neighbour);
        page->removeShape(moved);
        page->setGridEnabled(false);
    }
}

TEST_F(ManipulatorSnappingTest, TargetsAreChosenByLineAndDistance)
{
    // Two neighbours whose edges are equally far: the one nearer the selection wins.
    {
        const auto farther = box({97, 400, 20, 20});  // left edge 3 to the left, far below
        const auto nearer = box({153, 60, 20, 20});   // left edge at the moved right edge + 3
        const auto moved = box({100, 100, 50, 20});
        auto m = moving(moved);
        const pf::Event e = eventWith();
        UserDefaults::instance().setSnapToDistantShapesEnabled(true);
        const pf::Rect r = m->snapRectForRect(moved->frame(), false, false, &e);
        EXPECT_DOUBLE_EQ(r.x(), 103) << "pulled right, onto the nearer shape";
        ASSERT_FALSE(canvas.snapped.empty());
        EXPECT_EQ(canvas.snapped[0], nearer.get());
        m->endDragMove(e);
        m->setCanvas(nullptr);
        page->removeShape(m);
        for (const auto& s : {farther, nearer, moved})
            page->removeShape(s);
        UserDefaults::instance().setSnapToDistantShapesEnabled(false);
    }
    // A text target offers only the lines its alignment names: 0 the left edge, 1 the right edge, 2 and 3
    // the centre line, any other (4, natural) none. (A fitting text box is a target whatever its alignment;
    // a plain one only when centred.)
    struct TextCase {
        const char* kind;
        std::uint64_t align;
        double left;     // of the moved 30-wide shape, beside a text box spanning 100…200
        double expected; // its left after the pull
    };
    const TextCase textCases[] = {
        {"ResizeText", 0, 103, 100}, {"ResizeText", 0, 167, 167}, {"ResizeText", 0, 132, 132},
        {"ResizeText", 0, 96, 100},
        {"ResizeText", 1, 103, 103}, {"ResizeText", 1, 167, 170}, {"ResizeText", 1, 172, 170},
        {"ResizeText", 2, 132, 135}, {"ResizeText", 3, 132, 135}, {"ResizeText", 2, 103, 103},
        {"ResizeText", 4, 103, 103}, {"ResizeText", 4, 132, 132},
        {"Text", 0, 103, 103}, {"Text", 1, 167, 167}, {"Text", 2, 132, 135},
    };
    for (const TextCase& c : textCases) {
        SCOPED_TRACE(testing::Message() << c.kind << ", alignment " << c.align << ", left " << c.left);
        const auto text = add(c.kind, {100, 160, 100, 40});
        text->setTextAlign(c.align);
        const auto moved = box({c.left, 170, 30, 30});
        auto m = moving(moved);
        const pf::Event e = eventWith();
        const pf::Rect r = m->snapRectForRect(moved->frame(), false, false, &e);
        EXPECT_DOUBLE_EQ(r.x(), c.expected);
        m->endDragMove(e);
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(text);
        page->removeShape(moved);
    }
}

TEST_F(ManipulatorSnappingTest, AxesFollowTheHandleAndTheLock)
{
    // A neighbour 3 off in both axes from the dragged corner or edge.
    const auto neighbour = box({303, 203, 40, 40});
    struct Case {
        const char* what;
        std::int64_t handle; // -1: a move
        std::uint64_t lock;
        bool xMoves;
        bool yMoves;
    };
    const Case cases[] = {
        {"corner 8", 8, 0, true, true},
        {"handle 7: never x", 7, 0, false, true},
        {"handle 5: never y", 5, 0, true, false},
        {"move, lock 1: never y", -1, 1, true, false},
        {"move, lock 2: never x", -1, 2, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto shape = box({100, 100, 200, 100}); // bottom-right at (300, 200)
        auto m = select({shape});
        m->setCanvas(&canvas);
        const pf::Event e = eventWith();
        pf::Rect r;
        if (c.handle >= 0) {
            m->beginDragResizeAtPointWithHandle(QVRectGetCornerPoint(static_cast<QVRectCorner>(c.handle), shape->frame()),
                                                c.handle);
            m->gatherSnapShapes();
            r = m->snapRectForRect(shape->frame(), true, false, &e);
            m->endDragResize(e);
        } else {
            m->beginDragMoveAtPoint({100, 100});
            m->setLockType(c.lock);
            r = m->snapRectForRect(shape->frame(), false, false, &e);
            m->endDragMove(e);
        }
        const pf::Point end = QVRectGetBotRitPoint(r);
        EXPECT_DOUBLE_EQ(end.x, c.xMoves ? 303 : 300);
        EXPECT_DOUBLE_EQ(end.y, c.yMoves ? 203 : 200);
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(shape);
    }
    page->removeShape(neighbour);
}

TEST_F(ManipulatorSnappingTest, AMoveAfterAResizeBySideHandleSnapsInBothAxes)
{
    const auto neighbour = box({303, 150, 40, 10});
    const auto shape = box({100, 100, 200, 100});
    auto m = select({shape});
    m->setCanvas(&canvas);
    const pf::Event e = eventWith();
    m->beginDragResizeAtPointWithHandle({200, 200}, 7);
    m->endDragResize(e);
    ASSERT_EQ(m->dragResizingHandle(), 7);
    m->beginDragMoveAtPoint({150, 150});
    const pf::Rect r = m->snapRectForRect(shape->frame(), false, false, &e);
    EXPECT_DOUBLE_EQ(r.x() + r.width(), 303) << "the right edge meets the neighbour's left edge";
    m->endDragMove(e);
    m->setCanvas(nullptr);
}

TEST_F(ManipulatorSnappingTest, ConnectedConnectorsAndPageBounds)
{
    UserDefaults::instance().setSnapToCompositionBoundsEnabled(true);
    // The page's left edge: a type-1 guide across the page.
    {
        const auto shape = box({3, 100, 40, 40});
        auto m = moving(shape);
        const pf::Event e = eventWith();
        const pf::Rect r = m->snapRectForRect(shape->frame(), false, false, &e);
        EXPECT_DOUBLE_EQ(r.x(), 0);
        ASSERT_FALSE(canvas.guides.empty());
        EXPECT_EQ(canvas.guides.back().type, 1u);
        EXPECT_DOUBLE_EQ(canvas.guides.back().from.y, 0);
        EXPECT_DOUBLE_EQ(canvas.guides.back().to.y, 400);
        m->endDragMove(e);
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(shape);
    }
    // A shape match in x keeps the bounds out of x: the page's centre line at 300 is nearer but not taken.
    {
        canvas.guides.clear();
        const auto neighbour = box({296, 90, 40, 40});
        const auto shape = box({298, 100, 40, 40}); // left 298: the neighbour's edge 2 away, ...
        auto m = moving(shape);
        const pf::Event e = eventWith();
        const pf::Rect r = m->snapRectForRect(shape->frame(), false, false, &e);
        EXPECT_DOUBLE_EQ(r.x(), 296);
        for (const auto& g : canvas.guides)
            EXPECT_NE(g.type, 1u) << "no bounds guide in x";
        m->endDragMove(e);
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(shape);
        page->removeShape(neighbour);
    }
    UserDefaults::instance().setSnapToCompositionBoundsEnabled(false);
}

TEST_F(ManipulatorSnappingTest, GatheringWalksGroupsAndSortsNearestFirst)
{
    const auto a = box({400, 300, 10, 10});
    const auto b = box({10, 10, 10, 10});
    const auto c = box({200, 10, 10, 10});
    const auto moved = box({0, 0, 5, 5});
    auto m = moving(moved);
    ASSERT_EQ(m->snapShapes().size(), 3u);
    EXPECT_EQ(m->snapShapes()[0], b);
    EXPECT_EQ(m->snapShapes()[1], c);
    EXPECT_EQ(m->snapShapes()[2], a);
    m->endDragMove(eventWith());
    EXPECT_TRUE(m->snapShapes().empty());
    m->setCanvas(nullptr);
}

TEST_F(ManipulatorSnappingTest, AZeroSideStartWithShiftResizesWithoutNaN)
{
    const auto neighbour = box({303, 20, 40, 40});
    const auto shape = box({100, 100, 200, 0});
    auto m = select({shape});
    m->setCanvas(&canvas);
    m->beginDragResizeAtPointWithHandle(QVRectGetBotRitPoint(shape->frame()), 8);
    m->mouseDragResizeEventAtPoint(eventWith(pf::ShiftKeyMask), {301, 140});
    const pf::Rect f = shape->frame();
    for (double v : {f.x(), f.y(), f.width(), f.height()})
        EXPECT_TRUE(std::isfinite(v));
    m->endDragResize(eventWith());
    m->setCanvas(nullptr);
}

TEST_F(ManipulatorSnappingTest, ShiftKeepsTheRatioWhenAnOptionResizeSnaps)
{
    // A 100 x 80 frame (ratio 1.25) centred on (150, 140), resized about its centre by its bottom-right
    // corner with Shift and Option to 2 points short of a neighbour's left edge: the corner lands on the
    // edge, the width follows, and the height follows the width, about the same centre.
    UserDefaults::instance().setSnapToDistantShapesEnabled(true);
    for (const double edge : {274.0, 275.0, 276.0, 277.0, 283.0, 301.0}) {
        SCOPED_TRACE(testing::Message() << "edge at " << edge);
        const auto neighbour = box({edge, 500, 40, 40});
        const auto shape = box({100, 100, 100, 80});
        auto m = select({shape});
        m->setCanvas(&canvas);
        m->beginDragResizeAtPointWithHandle({200, 180}, 8);
        m->mouseDragResizeEventAtPoint(eventWith(pf::ShiftKeyMask | pf::OptionKeyMask), {edge - 2, 190});
        const pf::Rect f = shape->frame();
        EXPECT_EQ(f.maxX(), edge) << "the corner on the neighbour's edge";
        EXPECT_NEAR(f.midX(), 150, 0.5);
        EXPECT_NEAR(f.midY(), 140, 0.5);
        EXPECT_NEAR(f.height(), f.width() / 1.25, 0.5) << f.width() << " x " << f.height();
        m->endDragResize(eventWith());
        m->setCanvas(nullptr);
        page->removeShape(m);
        page->removeShape(shape);
        page->removeShape(neighbour);
    }
}

} // namespace
