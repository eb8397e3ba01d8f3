// The selection's drags on a page of shapes, scripted as the canvas runs them: a begin on the press, a step
// per drag event, an end on the release, and the end of the turn that closes the undo step. Snapping off.
#include "canvas/support/CanvasFixture.h"

#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/Guide.h"
#include "shapes/PictureKinds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>

namespace {

constexpr pf::ModifierFlags None = 0;
constexpr pf::ModifierFlags Shift = pf::ShiftKeyMask;
constexpr pf::ModifierFlags Option = pf::OptionKeyMask;

pf::Event dragEvent(pf::ModifierFlags modifiers = None)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseDragged;
    e.modifierFlags = modifiers;
    return e;
}

pf::Event upEvent(pf::ModifierFlags modifiers = None)
{
    pf::Event e;
    e.type = pf::EventType::LeftMouseUp;
    e.modifierFlags = modifiers;
    return e;
}

std::string text(const pf::Rect& r)
{
    std::ostringstream s;
    s.precision(17);
    s << "(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
    return s.str();
}

std::string text(const pf::Point& p)
{
    std::ostringstream s;
    s.precision(17);
    s << "(" << p.x << ", " << p.y << ")";
    return s.str();
}

// Rounding noise of turning, at the size of the numbers involved.
double noise(std::initializer_list<double> magnitudes)
{
    double m = 1.0;
    for (const double v : magnitudes)
        m = std::max(m, std::fabs(v));
    return m * 1e-9;
}

// Where a handle of a frame shows, the frame turned by whole degrees about its centre (clockwise on
// screen, y down); worked out here apart from the code under test.
pf::Point onScreen(QVRectCorner handle, const pf::Rect& frame, std::int64_t degrees)
{
    const pf::Point c(frame.x() + frame.width() / 2, frame.y() + frame.height() / 2);
    const pf::Point p = QVRectGetCornerPoint(handle, frame);
    const double a = static_cast<double>(degrees) * std::numbers::pi / 180.0;
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    return pf::Point(c.x + dx * std::cos(a) - dy * std::sin(a), c.y + dx * std::sin(a) + dy * std::cos(a));
}

// The bounds of the frame as it shows at the angle.
pf::Rect shownBounds(const pf::Rect& frame, std::int64_t degrees)
{
    pf::PointBounds b;
    for (const QVRectCorner h : {QVRectCornerTopLef, QVRectCornerTopRit, QVRectCornerBotLef, QVRectCornerBotRit})
        b.add(onScreen(h, frame, degrees));
    return pf::Rect(b.minX, b.minY, b.maxX - b.minX, b.maxY - b.minY);
}

double distance(const pf::Point& a, const pf::Point& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

bool onGrid(double v, double side)
{
    return std::fabs(v / side - std::round(v / side)) <= 1e-9;
}

} // namespace

class CanvasDragTest : public CanvasFixture {
protected:
    // A rectangle of its own on the page, turned, with nothing to undo.
    std::shared_ptr<Shape> box(const pf::Rect& frame, std::int64_t degrees = 0)
    {
        auto shape = addShape("Rectangle", frame);
        if (degrees != 0)
            shape->setRotationAngle(degrees);
        settle();
        return shape;
    }
    // The turn closed and its undo steps dropped: what follows starts clean.
    void settle()
    {
        canvas->selectNone();
        endTurn();
        undo.removeAllActions();
    }
    Manipulator& select(const Canvas::Shapes& shapes)
    {
        canvas->replaceSelectionWithShapes(shapes);
        EXPECT_TRUE(canvas->manipulator());
        return *canvas->manipulator();
    }
    // Press on the handle, one drag step to the point, release, end of turn.
    void resize(Manipulator& m, std::int64_t handle, const pf::Point& from, const pf::Point& to,
                pf::ModifierFlags modifiers = None)
    {
        m.beginDragResizeAtPointWithHandle(from, handle);
        m.mouseDragResizeEventAtPoint(dragEvent(modifiers), to);
        m.endDragResize(upEvent(modifiers));
        endTurn();
    }
    void rotate(Manipulator& m, const pf::Point& to, pf::ModifierFlags modifiers = None)
    {
        m.beginDragRotateAtPointWithHandle(to, ManipulatorHandleRotation);
        m.mouseDragRotateEventAtPoint(dragEvent(modifiers), to);
        m.endDragRotate(upEvent(modifiers));
        endTurn();
    }
    // The temporary guides as (vertical, position across) pairs.
    std::vector<std::pair<bool, double>> guides() const
    {
        std::vector<std::pair<bool, double>> lines;
        for (const auto& g : canvas->tempGuides())
            lines.emplace_back(g->isVertical(), g->isVertical() ? g->p1().x : g->p1().y);
        return lines;
    }
};

TEST_F(CanvasDragTest, UprightResizeFollowsThePointerWithShiftAndOption)
{
    struct Case {
        const char* what;
        pf::Rect start;
        std::int64_t handle;
        pf::Point grab; // relative to the handle's point
        pf::Point to;
        pf::ModifierFlags modifiers;
        pf::Rect expected; // standardized
    };
    const Case cases[] = {
        {"corner to the pointer, sides rounded", {0, 0, 100, 50}, 8, {0, 0}, {150.4, 80.6}, None, {0, 0, 150, 81}},
        {"grabbed inside the handle", {0, 0, 100, 50}, 8, {3, -2}, {153.4, 78.6}, None, {0, 0, 150, 81}},
        {"Shift: the wider start's height follows", {0, 0, 100, 50}, 8, {0, 0}, {150.4, 80.6}, Shift, {0, 0, 150, 75}},
        {"Shift: the taller start's width follows", {0, 0, 50, 100}, 8, {0, 0}, {150, 80}, Shift, {0, 0, 40, 80}},
        {"Shift above the anchor flips the frame up", {0, 0, 100, 50}, 8, {0, 0}, {150, -40}, Shift, {0, -75, 150, 75}},
        {"Option about the start centre", {0, 0, 100, 50}, 8, {0, 0}, {110, 60}, Option, {-10, -10, 120, 70}},
        {"Shift and Option", {0, 0, 100, 50}, 8, {0, 0}, {110, 60}, Shift | Option, {-10, -5, 120, 60}},
        {"top-left corner", {0, 0, 100, 50}, 0, {0, 0}, {-20, -10}, None, {-20, -10, 120, 60}},
        {"top-right corner", {0, 0, 100, 50}, 2, {0, 0}, {130, -10}, None, {0, -10, 130, 60}},
        {"bottom-left corner", {0, 0, 100, 50}, 6, {0, 0}, {-30, 70}, None, {-30, 0, 130, 70}},
        {"right side: only the width", {0, 0, 100, 50}, 5, {0, 0}, {130, 90}, None, {0, 0, 130, 50}},
        {"right side, Shift: about the left middle", {0, 0, 100, 50}, 5, {0, 0}, {130, 90}, Shift, {0, -8, 130, 65}},
        {"left side about the centre", {0, 0, 100, 50}, 3, {0, 0}, {-10, 0}, Option, {-10, 0, 120, 50}},
        {"left side with Shift and Option", {0, 0, 100, 50}, 3, {0, 0}, {-10, 0}, Shift | Option, {-10, -5, 120, 60}},
        {"top side: only the height", {0, 0, 100, 50}, 1, {0, 0}, {80, -20}, None, {0, -20, 100, 70}},
        {"bottom side, Shift: about the top middle", {0, 0, 100, 50}, 7, {0, 0}, {10, 80}, Shift, {-30, 0, 160, 80}},
        {"bottom side past the top", {0, 0, 100, 50}, 7, {0, 0}, {50, -30}, None, {0, -30, 100, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto shape = box(c.start);
        Manipulator& m = select({shape});
        const pf::Point handle = QVRectGetCornerPoint(static_cast<QVRectCorner>(c.handle), c.start);
        resize(m, c.handle, handle + c.grab, c.to, c.modifiers);
        EXPECT_EQ(shape->frame().standardized(), c.expected) << text(shape->frame());
        EXPECT_EQ(m.frame().standardized(), c.expected) << text(m.frame());
        EXPECT_FALSE(m.dragResizing());
        EXPECT_TRUE(m.childRatios().empty());
        page->removeShape(shape);
        settle();
    }
}

TEST_F(CanvasDragTest, ModifiersAreReadAgainAtEveryStep)
{
    const auto shape = box({0, 0, 100, 50});
    Manipulator& m = select({shape});
    m.beginDragResizeAtPointWithHandle({100, 50}, 8);
    m.mouseDragResizeEventAtPoint(dragEvent(Option), {110, 60});
    EXPECT_EQ(shape->frame(), pf::Rect(-10, -10, 120, 70));
    m.mouseDragResizeEventAtPoint(dragEvent(Shift), {150, 80});
    EXPECT_EQ(shape->frame(), pf::Rect(0, 0, 150, 75));
    m.mouseDragResizeEventAtPoint(dragEvent(), {150, 80});
    EXPECT_EQ(shape->frame(), pf::Rect(0, 0, 150, 80));
    m.endDragResize(upEvent());
    EXPECT_FALSE(m.isShiftConstrain());
    EXPECT_FALSE(m.isOptionCenter());
}

// A turned shape is an upright frame turned about its centre: after the resize the handle opposite the
// dragged one must show where it showed before, whichever way the frame is turned; with Shift the frame
// keeps its proportions too, and with Option its centre stays instead.
TEST_F(CanvasDragTest, TurnedResizeKeepsTheOppositeHandleWhereItStoodOnScreen)
{
    const pf::Rect start(300, 200, 120, 60);
    const pf::Point pull(23, 17);
    for (const pf::ModifierFlags modifiers : {None, Shift, Option}) {
        for (const std::int64_t degrees : {30, 90, 135, 300}) {
            for (const QVRectCorner h : {0, 1, 2, 3, 5, 6, 7, 8}) {
                SCOPED_TRACE("modifiers " + std::to_string(modifiers) + ", angle " + std::to_string(degrees)
                             + ", handle " + std::to_string(h));
                const auto shape = box(start, degrees);
                Manipulator& m = select({shape});
                const pf::Point grab = onScreen(h, start, degrees);
                resize(m, h, grab, grab + pull, modifiers);

                const pf::Rect n = shape->frame();
                const double tolerance = noise({n.x(), n.y(), n.width(), n.height()});
                const bool side = !QVRectCornerIsCorner(h);
                const bool across = h == QVRectCornerMidLef || h == QVRectCornerMidRit;
                EXPECT_EQ(shape->rotationAngle(), degrees);
                EXPECT_NE(n, start);
                const QVRectCorner kept = modifiers == Option ? QVRectCornerMidMid : QVRectGetOppositeCorner(h);
                const pf::Point before = onScreen(kept, start, degrees);
                const pf::Point after = onScreen(kept, n, degrees);
                EXPECT_LE(distance(before, after), tolerance)
                    << text(before) << " moved to " << text(after) << " in " << text(n);
                if (modifiers == Shift) {
                    // Sides derived from the ratio are whole points.
                    EXPECT_NEAR(n.width(), 2 * n.height(), 2.0) << text(n);
                } else if (!side && modifiers == None) {
                    // The dragged corner is at the pointer, less the whole-point rounding of the sides.
                    EXPECT_LE(distance(onScreen(h, n, degrees), grab + pull), 1.0) << text(n);
                } else if (side) {
                    EXPECT_NEAR(across ? n.height() : n.width(), across ? start.height() : start.width(), tolerance)
                        << text(n);
                }
                page->removeShape(shape);
                settle();
            }
        }
    }
}

TEST_F(CanvasDragTest, AConnectorWithShiftGoesHorizontalVerticalOrDiagonal)
{
    // The fixture's line runs from (100, 300) to (250, 350).
    struct Case {
        const char* what;
        std::int64_t handle;
        pf::Point to;
        pf::ModifierFlags modifiers;
        pf::Rect expected;
        std::vector<std::pair<bool, double>> guides;
    };
    const Case cases[] = {
        {"near 10 degrees: horizontal", 8, {300, 335}, Shift, {100, 300, 200, 0}, {{false, 300}}},
        {"near 50 degrees: diagonal", 8, {200, 420}, Shift, {100, 300, 100, 100}, {}},
        {"near 87 degrees: vertical", 8, {110, 500}, Shift, {100, 300, 0, 200}, {{true, 100}}},
        {"the other end: guide through the end that stays", 0, {40, 345}, Shift, {40, 350, 210, 0}, {{false, 350}}},
        {"no Shift: free", 8, {300, 335}, None, {100, 300, 200, 35}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line->setFrame({100, 300, 150, 50});
        settle();
        Manipulator& m = select({line});
        ASSERT_TRUE(m.isPointer());
        canvas->clearTempGuides();
        const pf::Point end = QVRectGetCornerPoint(static_cast<QVRectCorner>(c.handle), line->frame());
        m.beginDragResizeAtPointWithHandle(end, c.handle);
        m.mouseDragResizeEventAtPoint(dragEvent(c.modifiers), c.to);
        EXPECT_EQ(guides(), c.guides);
        m.endDragResize(upEvent(c.modifiers));
        endTurn();
        EXPECT_EQ(line->frame(), c.expected) << text(line->frame());
    }
}

// A start side of zero has no aspect ratio and no ratios for the children along it: the drag goes on
// unconstrained and every frame stays finite.
TEST_F(CanvasDragTest, AZeroSideStartResizesToFiniteFrames)
{
    struct Case {
        const char* what;
        std::vector<pf::Rect> frames;
        pf::Point to; // handle 8 dragged there with Shift
        std::vector<pf::Rect> expected;
    };
    const Case cases[] = {
        {"one child of zero height", {{100, 100, 100, 0}}, {250, 150}, {{100, 100, 150, 50}}},
        {"two children of zero height",
         {{100, 100, 100, 0}, {300, 100, 50, 0}},
         {450, 150},
         {{100, 100, 140, 0}, {380, 100, 70, 0}}},
        {"two children of zero width: on the left edge",
         {{100, 100, 0, 50}, {100, 200, 0, 50}},
         {150, 325},
         {{100, 100, 0, 75}, {100, 250, 0, 75}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas::Shapes shapes;
        for (const pf::Rect& f : c.frames)
            shapes.push_back(box(f));
        Manipulator& m = select(shapes);
        const pf::Rect f = m.frame();
        resize(m, 8, {f.x() + f.width(), f.y() + f.height()}, c.to, Shift);
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            EXPECT_TRUE(QVRectIsValid(shapes[i]->frame())) << text(shapes[i]->frame());
            EXPECT_EQ(shapes[i]->frame(), c.expected[i]) << text(shapes[i]->frame());
        }
        for (const auto& s : shapes)
            page->removeShape(s);
        settle();
    }
}

TEST_F(CanvasDragTest, OnTheGridSeveralChildrenAlignEachButOneKeepsItsAnchor)
{
    // Placed off the grid first (the page puts shapes added while the grid is on onto it).
    const auto a = box({103, 101, 50, 50});
    const auto b = box({203, 151, 50, 50});
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    settle();

    Manipulator& both = select({a, b});
    resize(both, 8, {253, 201}, {283.4, 231.2});
    for (const auto& s : {a, b}) {
        const pf::Rect f = s->frame();
        EXPECT_TRUE(onGrid(f.x(), 10) && onGrid(f.y(), 10) && onGrid(f.width(), 10) && onGrid(f.height(), 10))
            << text(f);
    }
    undo.undo();

    // Alone, only the size goes to the grid: the corner across from the dragged one stays put.
    Manipulator& one = select({a});
    resize(one, 8, {153, 151}, {183.4, 181.2});
    EXPECT_EQ(a->frame(), pf::Rect(103, 101, 80, 80));
}

TEST_F(CanvasDragTest, OnTheGridAMovePutsTheShownBoundsOnTheGrid)
{
    const auto upright = box({103, 101, 60, 40});
    const auto turned = box({103, 101, 60, 40}, 45);
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    settle();
    for (const auto& shape : {upright, turned}) {
        const std::int64_t degrees = shape->rotationAngle();
        SCOPED_TRACE(degrees);
        Manipulator& m = select({shape});
        m.beginDragMoveAtPoint({130, 120});
        m.mouseDragMoveEventAtPoint(dragEvent(), {142.3, 127.7});
        m.endDragMove(upEvent());
        endTurn();
        const pf::Rect shown = shownBounds(shape->frame(), degrees);
        EXPECT_TRUE(onGrid(shown.x(), 10) && onGrid(shown.y(), 10)) << text(shown);
        EXPECT_EQ(shape->frame().size, pf::Size(60, 40));
        settle();
    }
}

TEST_F(CanvasDragTest, AShiftMoveLocksToTheAxisItStartsAlong)
{
    // The rectangle is (100, 100, 100, 60): its middle lines are x 150 and y 130.
    struct Case {
        pf::Point delta;
        std::uint64_t lock;
        pf::Point origin;
        std::pair<bool, double> guide;
    };
    const Case cases[] = {
        {{10, 3}, 1, {110, 100}, {false, 130}},
        {{3, 10}, 2, {100, 110}, {true, 150}},
        {{5, 5}, 1, {105, 100}, {false, 130}},      // equal distances: horizontal
        {{4.6, 5.4}, 1, {105, 100}, {false, 130}},  // equal once rounded
        {{-8, -30}, 2, {100, 70}, {true, 150}},
    };
    const pf::Point press(150, 130);
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.delta));
        Manipulator& m = select({rectangle});
        m.beginDragMoveAtPoint(press);
        canvas->clearTempGuides();
        m.mouseDragMoveEventAtPoint(dragEvent(Shift), press + c.delta);
        EXPECT_EQ(m.lockType(), c.lock);
        EXPECT_EQ(rectangle->frame(), pf::Rect(c.origin.x, c.origin.y, 100, 60));
        EXPECT_EQ(guides(), (std::vector<std::pair<bool, double>>{c.guide}));
        const auto& g = *canvas->tempGuides().front();
        EXPECT_EQ(g.type(), 0u);
        EXPECT_EQ(g.p2(), c.guide.first ? pf::Point(150, 600) : pf::Point(800, 130)) << "across the page";
        m.endDragMove(upEvent());
        endTurn();
        undo.undo();
        settle();
    }

    // The axis holds while Shift does; without Shift the move is free, and Shift again chooses afresh.
    Manipulator& m = select({rectangle});
    m.beginDragMoveAtPoint(press);
    m.mouseDragMoveEventAtPoint(dragEvent(Shift), press + pf::Point(10, 3));
    m.mouseDragMoveEventAtPoint(dragEvent(Shift), press + pf::Point(40, 30));
    EXPECT_EQ(rectangle->frame().origin, pf::Point(140, 100));
    m.mouseDragMoveEventAtPoint(dragEvent(), press + pf::Point(40, 30));
    EXPECT_EQ(m.lockType(), 0u);
    EXPECT_EQ(rectangle->frame().origin, pf::Point(140, 130));
    m.mouseDragMoveEventAtPoint(dragEvent(Shift), press + pf::Point(2, 30));
    EXPECT_EQ(m.lockType(), 2u);
    EXPECT_EQ(rectangle->frame().origin, pf::Point(100, 130));
    m.endDragMove(upEvent());
}

TEST_F(CanvasDragTest, MovingSeveralShapesKeepsTheirPlacesRelativeToEachOther)
{
    auto* grouped = dynamic_cast<Group*>(group.get());
    ASSERT_TRUE(grouped);
    const auto member = grouped->children().front();
    Manipulator& m = select({rectangle, ellipse, group});
    m.beginDragMoveAtPoint({150, 130});
    m.mouseDragMoveEventAtPoint(dragEvent(), {187, 118});
    m.mouseDragMoveEventAtPoint(dragEvent(), {190, 120});
    m.endDragMove(upEvent());
    EXPECT_EQ(rectangle->frame(), pf::Rect(140, 90, 100, 60));
    EXPECT_EQ(ellipse->frame(), pf::Rect(340, 90, 80, 80));
    EXPECT_EQ(group->frame().origin, pf::Point(440, 290));
    EXPECT_EQ(member->frame().origin, pf::Point(440, 290));
    EXPECT_TRUE(m.childOffsets().empty());
}

TEST_F(CanvasDragTest, ResizedChildrenEndOnTheSelectionsEdgesAndStillMeet)
{
    // Side by side, the second filling the right and bottom half: resized to 777 each child's frame is
    // 388.5 points across, and the edges the two share or share with the selection stay whole.
    const auto left = box({0, 0, 100, 50});
    const auto right = box({100, 50, 100, 50});
    Manipulator& m = select({left, right});
    resize(m, 8, {200, 100}, {777, 777});
    EXPECT_EQ(m.frame(), pf::Rect(0, 0, 777, 777));
    EXPECT_EQ(right->frame().maxX(), 777) << text(right->frame());
    EXPECT_EQ(right->frame().maxY(), 777) << text(right->frame());
    EXPECT_EQ(left->frame().maxX(), right->frame().minX()) << text(left->frame()) << text(right->frame());
}

TEST_F(CanvasDragTest, RotationFollowsThePointerAroundTheCentre)
{
    const auto at = [](double degrees, double radius) {
        const double a = degrees * std::numbers::pi / 180.0;
        return pf::Point(150 + radius * std::cos(a), 130 + radius * std::sin(a));
    };
    struct Case {
        const char* what;
        pf::Point pointer; // about the centre (150, 130)
        pf::ModifierFlags modifiers;
        std::int64_t angle;
    };
    const Case cases[] = {
        {"straight below", {150, 250}, None, 90},
        {"straight left", {30, 130}, None, 180},
        {"straight above", {150, 10}, None, 270},
        {"straight right is upright, not a full turn", {270, 130}, None, 0},
        {"just below the right", at(1.5, 120), None, 1},
        {"Shift at 100", at(100, 120), Shift, 90},
        {"Shift at 350", at(350, 120), Shift, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto shape = box({100, 100, 100, 60});
        Manipulator& m = select({shape});
        rotate(m, c.pointer, c.modifiers);
        EXPECT_EQ(shape->rotationAngle(), c.angle);
        EXPECT_EQ(shape->rotationHandleRadius(), 120) << "the pointer's distance on screen";
        EXPECT_FALSE(m.dragRotating());
        page->removeShape(shape);
        settle();
    }

    // Every child turns.
    Manipulator& m = select({rectangle, ellipse});
    rotate(m, {m.center().x, m.center().y + 100});
    EXPECT_EQ(rectangle->rotationAngle(), 90);
    EXPECT_EQ(ellipse->rotationAngle(), 90);
}

TEST_F(CanvasDragTest, ALockedSelectionIgnoresEveryDrag)
{
    rectangle->setLocked(true);
    settle();
    const std::vector<std::function<void(Manipulator&)>> drags = {
        [this](Manipulator& m) { resize(m, 8, {200, 160}, {260, 200}); },
        [this](Manipulator& m) { rotate(m, {150, 230}); },
        [](Manipulator& m) {
            m.beginDragMoveAtPoint({150, 130});
            m.mouseDragMoveEventAtPoint(dragEvent(), {190, 170});
            m.endDragMove(upEvent());
        },
        [](Manipulator& m) {
            m.beginDragAdjustAtPointWithHandle({120, 110}, ManipulatorHandleAdjust);
            m.endDragAdjust(upEvent());
            m.beginDragAdjust1AtPointWithHandle({150, 130}, QVRectCornerMidMid);
            m.endDragAdjust1(upEvent());
        },
    };
    for (std::size_t i = 0; i < drags.size(); ++i) {
        SCOPED_TRACE(i);
        Manipulator& m = select({rectangle, ellipse});
        drags[i](m);
        endTurn();
        EXPECT_EQ(rectangle->frame(), pf::Rect(100, 100, 100, 60));
        EXPECT_EQ(ellipse->frame(), pf::Rect(300, 100, 80, 80));
        EXPECT_EQ(rectangle->rotationAngle(), 0);
        EXPECT_EQ(m.activeHandle(), -1);
        EXPECT_TRUE(undo.isUndoRegistrationEnabled());
        EXPECT_FALSE(undo.canUndo());
    }
}

TEST_F(CanvasDragTest, AResizeBeginsOnlyOnTheFramesOwnHandles)
{
    for (const std::int64_t handle : {-1, 9, 10, 42}) {
        SCOPED_TRACE(handle);
        Manipulator& m = select({rectangle, ellipse});
        resize(m, handle, {200, 160}, {260, 200});
        EXPECT_FALSE(m.dragResizing());
        EXPECT_EQ(m.dragResizingHandle(), -1);
        EXPECT_EQ(rectangle->frame(), pf::Rect(100, 100, 100, 60));
        EXPECT_EQ(ellipse->frame(), pf::Rect(300, 100, 80, 80));
        EXPECT_TRUE(undo.isUndoRegistrationEnabled());
        EXPECT_FALSE(undo.canUndo());
    }
}

// Every kind of drag: recording off while it runs, the dragged handle active, and at its end one undo step
// that puts back everything the drag wrote into every child, which redo writes again.
TEST_F(CanvasDragTest, EveryDragIsOneUndoStepForEveryChild)
{
    const auto loupe = addShape("Loupe", {500, 100, 80, 80});
    settle();
    auto* zoomed = dynamic_cast<Loupe*>(loupe.get());
    ASSERT_TRUE(zoomed);

    struct State {
        std::vector<pf::Rect> frames;
        std::vector<std::int64_t> angles;
        std::vector<pf::Point> ratios;
        pf::Point zoomTarget;
        bool operator==(const State&) const = default;
    };
    const Canvas::Shapes all = {rectangle, ellipse, line, group, loupe};
    const auto state = [&] {
        State s;
        for (const auto& shape : all) {
            s.frames.push_back(shape->frame());
            s.angles.push_back(shape->rotationAngle());
            s.ratios.emplace_back(shape->adjustmentRatioX(), shape->adjustmentRatioY());
        }
        s.zoomTarget = zoomed->zoomTargetPoint();
        return s;
    };

    struct Case {
        const char* what;
        Canvas::Shapes selection;
        std::int64_t activeHandle;
        std::function<void(Manipulator&)> begin, step, end;
    };
    const Case cases[] = {
        {"resize", {rectangle, ellipse, group}, 8,
         [](Manipulator& m) { m.beginDragResizeAtPointWithHandle(QVRectGetBotRitPoint(m.frame()), 8); },
         [](Manipulator& m) { m.mouseDragResizeEventAtPoint(dragEvent(), {540, 390}); },
         [](Manipulator& m) { m.endDragResize(upEvent()); }},
        {"move", {rectangle, line, group}, -1, [](Manipulator& m) { m.beginDragMoveAtPoint({150, 130}); },
         [](Manipulator& m) { m.mouseDragMoveEventAtPoint(dragEvent(), {190, 100}); },
         [](Manipulator& m) { m.endDragMove(upEvent()); }},
        {"rotate", {rectangle}, ManipulatorHandleRotation,
         [](Manipulator& m) { m.beginDragRotateAtPointWithHandle({250, 130}, ManipulatorHandleRotation); },
         [](Manipulator& m) { m.mouseDragRotateEventAtPoint(dragEvent(), {150, 230}); },
         [](Manipulator& m) { m.endDragRotate(upEvent()); }},
        {"adjust", {rectangle}, ManipulatorHandleAdjust,
         [](Manipulator& m) { m.beginDragAdjustAtPointWithHandle({110, 110}, ManipulatorHandleAdjust); },
         [this](Manipulator& m) {
             // What an adjusting kind's step writes.
             m.mouseDragAdjustEventAtPoint(dragEvent(), {130, 120});
             rectangle->setAdjustmentRatioX(0.3);
             rectangle->setAdjustmentRatioY(0.7);
         },
         [](Manipulator& m) { m.endDragAdjust(upEvent()); }},
        {"second adjust", {loupe}, QVRectCornerMidMid,
         [](Manipulator& m) { m.beginDragAdjust1AtPointWithHandle({540, 140}, QVRectCornerMidMid); },
         [zoomed](Manipulator& m) {
             m.mouseDragAdjust1EventAtPoint(dragEvent(), {560, 150});
             zoomed->setZoomTargetPoint({560, 150});
         },
         [](Manipulator& m) { m.endDragAdjust1(upEvent()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Manipulator& selection = select(c.selection);
        const State before = state();
        c.begin(selection);
        EXPECT_FALSE(undo.isUndoRegistrationEnabled());
        EXPECT_EQ(owner.activeHandleIndexForComposition(*page), c.activeHandle);
        c.step(selection);
        const State reached = state();
        EXPECT_NE(reached, before);
        c.end(selection);
        EXPECT_TRUE(undo.isUndoRegistrationEnabled());
        EXPECT_EQ(state(), reached);
        endTurn();

        // The selection follows its shapes both ways: its handles stand where they are.
        const auto fitsItsShapes = [this] {
            return canvas->manipulator()->frame() == canvas->manipulator()->childrenFrame();
        };
        ASSERT_TRUE(undo.undo());
        EXPECT_EQ(state(), before);
        EXPECT_TRUE(fitsItsShapes());
        EXPECT_FALSE(undo.canUndo()) << "one step";
        ASSERT_TRUE(undo.redo());
        EXPECT_EQ(state(), reached);
        EXPECT_TRUE(fitsItsShapes());
        undo.undo();
        settle();
    }
}

TEST_F(CanvasDragTest, TheEndLeavesAloneWhatTheBeginDidNotChange)
{
    // Recording that someone else switched off stays off.
    undo.disableUndoRegistration();
    Manipulator& m = select({rectangle});
    resize(m, 8, {200, 160}, {260, 200});
    EXPECT_FALSE(undo.isUndoRegistrationEnabled());
    undo.enableUndoRegistration();
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    EXPECT_FALSE(undo.canUndo());

    // A selection told not to switch recording off records its steps as they come.
    Manipulator& blocked = select({ellipse});
    blocked.setBlockDisableUndo(true);
    blocked.beginDragMoveAtPoint({340, 140});
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    blocked.mouseDragMoveEventAtPoint(dragEvent(), {350, 150});
    blocked.endDragMove(upEvent());
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    settle();

    // An Option-drag copy's group is closed by the one who opened it, with its token.
    const pf::Rect beforeCopy = rectangle->frame();
    canvas->setDragCopy(true);
    const pf::UndoGroupToken token = undo.beginUndoGrouping();
    Manipulator& copy = select({rectangle});
    copy.beginDragMoveAtPoint({150, 130});
    copy.mouseDragMoveEventAtPoint(dragEvent(Option), {170, 150});
    copy.endDragMove(upEvent(Option));
    EXPECT_TRUE(undo.endUndoGrouping(token));
    canvas->setDragCopy(false);
    endTurn();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(rectangle->frame(), beforeCopy);
}

// The canvas keeps the temporary guides that still lie on the selection's edges or middle lines, at any
// size and distance of the selection.
TEST_F(CanvasDragTest, CleaningUpKeepsTheGuidesOnTheSelectionsLines)
{
    struct Case {
        const char* what;
        pf::Rect rect;
        std::vector<std::pair<bool, double>> offered;
        std::vector<std::pair<bool, double>> kept;
    };
    const Case cases[] = {
        {"edges and middles",
         {100, 100, 200, 50},
         {{true, 100}, {true, 150}, {true, 200}, {true, 300}, {false, 100}, {false, 125}, {false, 130}, {false, 150}},
         {{true, 100}, {true, 200}, {true, 300}, {false, 100}, {false, 125}, {false, 150}}},
        {"far out", {1e6, 2e6, 300, 40}, {{true, 1e6 + 150}, {true, 1e6 + 150.5}, {false, 2e6 + 40}},
         {{true, 1e6 + 150}, {false, 2e6 + 40}}},
        {"tiny", {0.001, 0.002, 0.001, 0.001}, {{true, 0.0015}, {true, 0.0018}, {false, 0.003}},
         {{true, 0.0015}, {false, 0.003}}},
    };
    select({rectangle});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        canvas->clearTempGuides();
        for (const auto& [vertical, at] : c.offered)
            canvas->addTempGuide(0, vertical ? pf::Point(at, 0) : pf::Point(0, at),
                                 vertical ? pf::Point(at, 600) : pf::Point(800, at));
        const pf::Rect uncovered = canvas->cleanUpTempGuidesWithManipulatorRect(c.rect);
        EXPECT_EQ(guides(), c.kept);
        EXPECT_FALSE(QVRectIsZero(uncovered));
    }
    // The last ones gone.
    EXPECT_FALSE(QVRectIsZero(canvas->cleanUpTempGuidesWithManipulatorRect({500, 500, 10, 10})));
    EXPECT_TRUE(canvas->tempGuides().empty());
    EXPECT_TRUE(QVRectIsZero(canvas->cleanUpTempGuidesWithManipulatorRect({500, 500, 10, 10})));
}
