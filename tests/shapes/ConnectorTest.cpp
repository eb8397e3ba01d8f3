// Connectors: the attribute setters with their undo and sticky rules, the stored form, ends attached to
// shapes, the line's geometry, hit band and stroke clipping, and the block arrow.
#include "ConnectorTestSupport.h"

#include "platform/graphics/RecordingContext.h"
#include "shapes/SimpleOutlines.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace {

double distance(pf::Point a, pf::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Whether the point lies on the ellipse inscribed in r, to a relative tolerance (the outline is four
// cubic quarters, within 0.03 % of the true curve).
bool onEllipse(pf::Point p, const pf::Rect& r)
{
    const double dx = (p.x - r.midX()) / (r.width() / 2), dy = (p.y - r.midY()) / (r.height() / 2);
    return std::fabs(std::hypot(dx, dy) - 1) < 1e-3;
}

} // namespace

TEST_F(ConnectorTest, ANewConnectorHasNoHeadsFlipOrCurve)
{
    auto line = connector(pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(line->arrowTypeA(), 0u);
    EXPECT_EQ(line->arrowTypeB(), 0u);
    EXPECT_FALSE(line->flipped());
    EXPECT_EQ(line->pathType(), 0u);
    EXPECT_EQ(line->curveRatio(), 0.0);
    EXPECT_FALSE(line->canSwapArrow());
    EXPECT_TRUE(line->isPointer());
    EXPECT_EQ(line->shapeClass().stickyPhylumName(), "AbstractPointer");
    EXPECT_EQ(Pointer::staticClass().stickyPhylumName(), "Shape");

    // Dragged out of a shape's connection option: a new connector of the class, resized by BotRit.
    int handle = -1;
    const auto made = Line::staticClass().pointerFromConnectionOptionsWithFrame(pf::Rect(5, 5, 0, 0), 12, &handle);
    ASSERT_TRUE(made);
    EXPECT_EQ(&made->classObject(), &Line::staticClass());
    EXPECT_EQ(made->frame(), pf::Rect(5, 5, 0, 0));
    EXPECT_EQ(handle, QVRectCornerBotRit);
}

TEST_F(ConnectorTest, CanSwapArrowFollowsTheArrowTypes)
{
    struct Step {
        std::uint64_t a, b;
        bool canSwap;
    };
    auto line = connector(pf::Rect(0, 0, 100, 50));
    for (const Step& s : {Step{3, 0, true}, Step{3, 3, false}, Step{0, 3, true}, Step{0, 0, false}, Step{1, 2, true}}) {
        line->setArrowTypeA(s.a);
        line->setArrowTypeB(s.b);
        EXPECT_EQ(line->canSwapArrow(), s.canSwap) << s.a << " " << s.b;
    }
}

TEST_F(ConnectorTest, SettersRegisterUndoUnderTheirNamesAndOnlyPathStyleIsSticky)
{
    struct Case {
        const char* action;
        const char* stickyKey; // null: not sticky
        std::function<void(Line&)> set;
    };
    const Case cases[] = {
        {"Arrow Type", nullptr, [](Line& l) { l.setArrowTypeA(5); }},
        {"Arrow Type", nullptr, [](Line& l) { l.setArrowTypeB(7); }},
        {"Flip Line", nullptr, [](Line& l) { l.setFlipped(true); }},
        {"Path Type", "User-AbstractPointer-pathType", [](Line& l) { l.setPathType(1); }},
        {"Curve", "User-AbstractPointer-curveRatio", [](Line& l) { l.setCurveRatio(0.25); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        auto line = connector(pf::Rect(0, 0, 100, 50));
        const pf::Value before = line->asPlist();
        c.set(*line);
        const pf::Value after = line->asPlist();
        EXPECT_EQ(page.undo.undoActionName(), QString::fromLatin1(c.action));
        for (const char* key : {"arrowTypeA", "arrowTypeB", "flipped"})
            EXPECT_EQ(userValues().count(QStringLiteral("User-AbstractPointer-") + QString::fromLatin1(key)), 0u);
        if (c.stickyKey) {
            EXPECT_EQ(userValues().count(QString::fromLatin1(c.stickyKey)), 1u);
        }
        // One step back restores the stored form, and forward again.
        ASSERT_TRUE(page.undo.undo());
        EXPECT_FALSE(page.undo.canUndo());
        EXPECT_EQ(line->asPlist(), before);
        ASSERT_TRUE(page.undo.redo());
        EXPECT_EQ(line->asPlist(), after);
        // The same value again registers nothing.
        page.undo.removeAllActions();
        c.set(*line);
        EXPECT_FALSE(page.undo.canUndo());
    }
    // The curve rebuilds the outline without a step of its own.
    auto line = connector(pf::Rect(0, 0, 100, 50));
    line->setCurveRatio(0.5);
    ASSERT_TRUE(page.undo.undo());
    EXPECT_EQ(line->curveRatio(), 0.0);
    EXPECT_FALSE(page.undo.canUndo());
}

TEST_F(ConnectorTest, StoredKeysRoundTripAndMissingOnesReadAsNone)
{
    auto line = connector(pf::Rect(10, 20, -50, 40), 3);
    line->setArrowTypeA(3);
    line->setArrowTypeB(44);
    line->setFlipped(true);
    line->setPathType(1);
    line->setCurveRatio(0.375);
    const pf::Value stored = line->asPlist();
    EXPECT_EQ(stored.integerForKey("arrowTypeA"), 3);
    EXPECT_EQ(stored.integerForKey("arrowTypeB"), 44);
    EXPECT_TRUE(stored.boolForKey("flipped"));
    EXPECT_EQ(stored.integerForKey("pathType"), 1);
    EXPECT_EQ(stored.doubleForKey("curveRatio"), 0.375);
    const auto read = std::dynamic_pointer_cast<Line>(Shape::fromPlist(stored));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqual(*line));
    EXPECT_EQ(read->frame(), pf::Rect(10, 20, -50, 40));
    EXPECT_TRUE(read->canSwapArrow());

    pf::Value old = stored;
    for (const char* key : {"flipped", "pathType", "curveRatio", "arrowTypeB"})
        old.remove(QString::fromLatin1(key));
    const auto plain = std::dynamic_pointer_cast<Line>(Shape::fromPlist(old));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->flipped());
    EXPECT_EQ(plain->pathType(), 0u);
    EXPECT_EQ(plain->curveRatio(), 0.0);
    EXPECT_EQ(plain->arrowTypeB(), 0u);
    EXPECT_FALSE(plain->isEqual(*line));

    // A copy keeps the connector's own values.
    const auto copy = std::dynamic_pointer_cast<Line>(line->copy());
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isEqualToPointer(*line));
}

TEST_F(ConnectorTest, PastedStyleCarriesArrowAndPathStyle)
{
    auto from = connector(pf::Rect(0, 0, 100, 50));
    from->setArrowTypeA(4);
    from->setPathType(1);
    from->setCurveRatio(0.5);
    auto to = connector(pf::Rect(0, 0, 30, 30));
    to->applyStyle(from->extractStyle());
    EXPECT_EQ(to->arrowTypeA(), 4u);
    EXPECT_EQ(to->pathType(), 1u);
    EXPECT_EQ(to->curveRatio(), 0.5);
}

TEST_F(ConnectorTest, ContentRectIsTheSquareAboutTheCentreGrownByTheHeads)
{
    auto line = connector(pf::Rect(0, 0, 100, 20));
    line->setArrowTypeA(1);
    // Type 1 is 10 × 3 and type 0 is 0 × 6: grown by 12 across and 8 up and down.
    EXPECT_EQ(line->contentRect(), pf::Rect(-12, -48, 124, 116));
}

TEST_F(ConnectorTest, LineEndsAndAngles)
{
    auto flat = connector(pf::Rect(10, 10, 100, 0));
    EXPECT_EQ(flat->pointA(), pf::Point(10, 10));
    EXPECT_EQ(flat->pointB(), pf::Point(110, 10));
    EXPECT_DOUBLE_EQ(flat->currentAngleForArrowA(), 180);
    EXPECT_DOUBLE_EQ(flat->currentAngleForArrowB(), 360);
    EXPECT_EQ(elementTexts(flat->path()), (std::vector<std::string>{"M 10 10", "L 110 10"}));

    auto back = connector(pf::Rect(10, 10, -50, 50));
    EXPECT_EQ(back->pointA(), pf::Point(10, 10));
    EXPECT_EQ(back->pointB(), pf::Point(-40, 60));
    EXPECT_NEAR(back->currentAngleForArrowA(), 315, 1e-12);
    EXPECT_NEAR(back->currentAngleForArrowB(), 135, 1e-12);

    // Moving an end keeps the other; the frame turns negative where it must.
    back->setConnectionPointForCorner(pf::Point(0, 100), QVRectCornerTopLef);
    EXPECT_EQ(back->frame(), pf::Rect(0, 100, -40, -40));
    EXPECT_EQ(back->pointB(), pf::Point(-40, 60));
}

// The angles a line keeps between paints equal fresh ones after every change that moves an end: each
// step first reads them (so they are kept), then changes the line through the model, then compares.
TEST_F(ConnectorTest, KeptAnglesFollowEveryChangeOfTheEnds)
{
    const auto fresh = [](pf::Point a, pf::Point b) {
        return std::atan2(b.y - a.y, b.x - a.x) / (std::numbers::pi / 180) + 180;
    };
    const auto expectFresh = [&](const Line& line, const char* step) {
        EXPECT_EQ(line.currentAngleForArrowA(), fresh(line.arrowPointA(), line.pointB())) << step;
        EXPECT_EQ(line.currentAngleForArrowB(), fresh(line.arrowPointB(), line.pointA())) << step;
    };
    auto oval = Shape::make<Ellipse>(pf::Rect(-20, 30, 60, 40));
    std::shared_ptr<EndConnection> attached;
    struct Step {
        const char* name;
        std::function<void(Line&)> change;
    };
    const std::vector<Step> steps{
        {"resized", [](Line& l) { l.setFrame(pf::Rect(10, 10, 100, 40)); }},
        {"moved", [](Line& l) { l.setFrame(pf::Rect(30, 20, 100, 40)); }},
        {"turned back", [](Line& l) { l.setFrame(pf::Rect(30, 20, -100, 40)); }},
        {"end A moved", [](Line& l) { l.setConnectionPointForCorner(pf::Point(0, 100), QVRectCornerTopLef); }},
        {"end B moved", [](Line& l) { l.setConnectionPointForCorner(pf::Point(50, -20), QVRectCornerBotRit); }},
        {"flat, leftward", [](Line& l) { l.setFrame(pf::Rect(100, 0, -100, 0)); }},
        {"flat, negative zero height", [](Line& l) { l.setFrame(pf::Rect(100, 0, -100, -0.0)); }},
        {"undone", [&](Line&) { ASSERT_TRUE(page.undo.undo()); }},
        {"undone again", [&](Line&) { ASSERT_TRUE(page.undo.undo()); }},
        {"redone", [&](Line&) { ASSERT_TRUE(page.undo.redo()); }},
        {"head on A", [](Line& l) { l.setArrowTypeA(1); }},
        {"attached at A", [&](Line& l) {
             l.setFrame(pf::Rect(10, 50, 200, 30));
             attached = attach(l, QVRectCornerTopLef, oval, QVRectEdgeMid);
         }},
        {"head on B", [](Line& l) { l.setArrowTypeB(2); }},
        {"head off A", [](Line& l) { l.setArrowTypeA(0); }},
        {"head back on A", [](Line& l) { l.setArrowTypeA(3); }},
        {"attached, cut at the oval",
         [&](Line& l) { EXPECT_TRUE(l.arrowTypeA() == 0 || l.arrowPointA() != l.pointA()); }},
        {"attached end moved", [](Line& l) { l.setConnectionPointForCorner(pf::Point(0, 40), QVRectCornerTopLef); }},
        {"detached", [&](Line& l) { l.removeConnection(attached.get()); }},
        {"resized after", [](Line& l) { l.setFrame(pf::Rect(0, 40, 60, -90)); }},
    };
    for (const bool block : {false, true}) {
        std::shared_ptr<Line> line = block ? std::shared_ptr<Line>(connector<Pointer>(pf::Rect(0, 0, 100, 0)))
                                           : connector(pf::Rect(0, 0, 100, 0));
        for (const Step& s : steps) {
            expectFresh(*line, s.name);
            s.change(*line);
            expectFresh(*line, s.name);
        }
    }
}

TEST_F(ConnectorTest, TheHitBandRunsBetweenTheEndHandles)
{
    auto line = connector(pf::Rect(0, 0, 100, 100));
    EXPECT_TRUE(line->containsPoint({50, 50}));
    EXPECT_TRUE(line->containsPoint({53, 48}));
    EXPECT_FALSE(line->containsPoint({70, 30}));
    EXPECT_FALSE(line->containsPoint({110, 110}));
    // A rising line takes the other pair of corners.
    auto rising = connector(pf::Rect(0, 100, 100, -100));
    EXPECT_TRUE(rising->containsPoint({50, 50}));
    EXPECT_FALSE(rising->containsPoint({30, 30}));
    rising->setHidden(true);
    EXPECT_FALSE(rising->containsPoint({50, 50}));
}

TEST_F(ConnectorTest, AnEndAttachedAtAShapesCentreShowsOnlyOutsideIt)
{
    const pf::Rect oval(-20, 30, 60, 40);
    auto ellipse = Shape::make<Ellipse>(oval);
    auto line = connector(pf::Rect(10, 50, 200, 0));
    attach(*line, QVRectCornerTopLef, ellipse, QVRectEdgeMid);

    // Without a head the end stays at the centre.
    EXPECT_EQ(line->arrowPointA(), line->pointA());
    line->setArrowTypeA(1);
    const pf::Point a = line->arrowPointA();
    EXPECT_TRUE(onEllipse(a, oval)) << a.x << " " << a.y;
    EXPECT_NEAR(a.x, 40, 40 * 1e-3);
    EXPECT_NEAR(line->currentAngleForArrowA(), 180, 1e-9);

    // No hit inside the ellipse, even on the segment; outside it the line hits.
    EXPECT_FALSE(line->containsPoint({20, 50}));
    EXPECT_TRUE(line->containsPoint({100, 50}));

    // The stroke is clipped out of the ellipse.
    pf::RecordingContext context;
    line->drawStrokeInContext(context);
    const auto clips = std::count_if(context.calls().begin(), context.calls().end(),
                                     [](const pf::RecordedCall& c) { return c.operation == "clip"; });
    EXPECT_EQ(clips, 2); // the head and the ellipse
}

TEST_F(ConnectorTest, EdgeAttachmentsClipOnlyRotatedShapes)
{
    auto box = Shape::make<Rectangle>(pf::Rect(100, 0, 50, 50));
    auto line = connector(pf::Rect(0, 25, 100, 0));
    attach(*line, QVRectCornerBotRit, box, QVRectEdgeLeft);
    const auto clipCount = [&] {
        pf::RecordingContext context;
        line->drawStrokeInContext(context);
        return std::count_if(context.calls().begin(), context.calls().end(),
                             [](const pf::RecordedCall& c) { return c.operation == "clip"; });
    };
    EXPECT_EQ(clipCount(), 0);
    box->setRotationAngle(10);
    EXPECT_EQ(clipCount(), 1);
}

TEST_F(ConnectorTest, AHeadOnARotatedShapeStandsOnItsOutline)
{
    // An end on a turned shape is placed at its centre; its head must stand where the line leaves the
    // outline, as for an end attached at the centre, not inside the shape.
    auto box = Shape::make<Rectangle>(pf::Rect(100, 0, 50, 50));
    box->setRotationAngle(30);
    auto line = connector(pf::Rect(0, 25, 125, 0));
    attach(*line, QVRectCornerBotRit, box, QVRectEdgeLeft);
    line->setArrowTypeB(1);
    const pf::Point b = line->arrowPointB();
    EXPECT_NEAR(b.x, 125 - 25 / std::cos(30 * std::numbers::pi / 180), 0.05);
    EXPECT_NEAR(b.y, 25, 0.05);
    EXPECT_NEAR(std::fmod(line->currentAngleForArrowB(), 360), 0, 1e-6);
    EXPECT_FALSE(line->containsPoint({120, 25}));
}

TEST_F(ConnectorTest, HeadsAreDrawnAtTheEndsTurnedOutward)
{
    auto line = connector(pf::Rect(10, 10, 100, 0));
    line->setArrowTypeA(1);
    line->setArrowTypeB(1);
    pf::RecordingContext context;
    line->drawArrowsInContext(context);
    std::vector<pf::Point> tips;
    for (const pf::RecordedCall& c : context.calls())
        if (c.operation == "fill") {
            // The triangle's tip (-1, 0) in the head frame, on the page.
            tips.push_back(c.state.ctm.apply(pf::Point(-1, 0)));
        }
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_NEAR(tips[0].x, 11, 1e-12);
    EXPECT_NEAR(tips[0].y, 10, 1e-12);
    EXPECT_NEAR(tips[1].x, 109, 1e-12);
    EXPECT_NEAR(tips[1].y, 10, 1e-12);

    // Hidden, unstroked or headless lines draw no heads.
    for (const auto& change : std::vector<std::function<void(Line&)>>{
             [](Line& l) { l.setHidden(true); }, [](Line& l) { l.setStrokeType(3); },
             [](Line& l) { l.setArrowTypeA(0), l.setArrowTypeB(0); }}) {
        auto other = connector(pf::Rect(10, 10, 100, 0));
        other->setArrowTypeA(1);
        change(*other);
        pf::RecordingContext quiet;
        other->drawArrowsInContext(quiet);
        EXPECT_TRUE(quiet.calls().empty());
    }
}

TEST_F(ConnectorTest, TheLabelRectOfAStandingLineIsTwiceAsHighAsWide)
{
    auto line = connector(pf::Rect(50, 0, 0, 100));
    EXPECT_DOUBLE_EQ(line->currentAngleForArrowA(), 270);
    const pf::Rect r = line->textRect();
    EXPECT_DOUBLE_EQ(r.height(), 2 * r.width());
    EXPECT_EQ(pf::Point(r.midX(), r.midY()), line->center());
    auto flat = connector(pf::Rect(0, 0, 100, 20));
    EXPECT_EQ(flat->textRect(), pf::Rect(0, 0, 100, 20));
}

TEST_F(ConnectorTest, PointerIgnoresArrowTypes)
{
    auto pointer = connector<Pointer>(pf::Rect(0, 0, 200, 0));
    pointer->setArrowTypeA(5);
    EXPECT_EQ(pointer->arrowTypeA(), 0u);
    EXPECT_FALSE(pointer->hasArrow());
    EXPECT_FALSE(page.undo.canUndo());
    pf::RecordingContext context;
    pointer->drawArrowsInContext(context);
    EXPECT_TRUE(context.calls().empty());
    EXPECT_TRUE(pointer->wantsFill());
    EXPECT_EQ(pointer->dropColorType(), 0);
}

TEST_F(ConnectorTest, BlockArrowGeometryForLongAndShortArrows)
{
    // A long arrow from its tail at B = (210, 20) to its tip at A = (10, 20).
    auto longArrow = connector<Pointer>(pf::Rect(10, 20, 200, 0));
    const std::vector<pf::Point> points = vertices(longArrow->path());
    const std::vector<pf::Point> expected{{10, 20},   {37.5, 34},  {32, 25.5}, {210, 20.5},
                                          {210, 19.5}, {32, 14.5}, {37.5, 6}};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_LT(distance(points[i], expected[i]), 200 * 1e-12) << i;

    // A 5-long arrow: its head is longer than the arrow, so the tail reaches 17 behind end B.
    auto shortArrow = connector<Pointer>(pf::Rect(0, 0, 5, 0));
    const std::vector<pf::Point> tail = vertices(shortArrow->path());
    ASSERT_EQ(tail.size(), 7u);
    EXPECT_LT(distance(tail[3], {22, 0.5}), 1e-12);
    EXPECT_LT(distance(tail[4], {22, -0.5}), 1e-12);
    EXPECT_LT(distance(tail[0], {0, 0}), 1e-12);
}

TEST_F(ConnectorTest, AttachedBlockArrowStartsAtTheShapesOutline)
{
    auto box = Shape::make<Rectangle>(pf::Rect(-40, -40, 80, 80));
    auto pointer = connector<Pointer>(pf::Rect(0, 0, 200, 0));
    attach(*pointer, QVRectCornerTopLef, box, QVRectEdgeMid);
    // The tip moves to where the segment leaves the box; the tail stays at B.
    const std::vector<pf::Point> points = vertices(pointer->path());
    ASSERT_EQ(points.size(), 7u);
    EXPECT_LT(distance(points[0], {40, 0}), 200 * 1e-9);
    EXPECT_LT(distance(points[3], {200, 0.5}), 200 * 1e-9);
    EXPECT_TRUE(pointer->isConnectedAtCorner(QVRectCornerTopLef));
    EXPECT_FALSE(pointer->isConnectedAtCorner(QVRectCornerBotRit));

    // Detached, the arrow reaches its end again.
    pointer->removeConnectionForCorner(QVRectCornerTopLef);
    EXPECT_FALSE(pointer->isConnectedAtCorner(QVRectCornerTopLef));
    EXPECT_LT(distance(vertices(pointer->path())[0], {0, 0}), 200 * 1e-12);
}

TEST_F(ConnectorTest, ABlockArrowWhollyInsideItsAttachedShapeHasNoOutline)
{
    // Both ends inside one shape attached at its centre: nothing of the arrow shows, and it is not drawn
    // at the page's origin either.
    auto box = Shape::make<Rectangle>(pf::Rect(100, 100, 200, 200));
    auto pointer = connector<Pointer>(pf::Rect(180, 200, 40, 0));
    attach(*pointer, QVRectCornerTopLef, box, QVRectEdgeMid);
    EXPECT_TRUE(pointer->path().isEmpty());
    // Moved out of the shape, it has its outline again.
    pointer->setFrame(pf::Rect(400, 200, 40, 0));
    EXPECT_FALSE(pointer->path().isEmpty());
}

TEST_F(ConnectorTest, LibraryPreviewsAndTheBlockArrowsHitArea)
{
    const auto line = std::dynamic_pointer_cast<Line>(Line::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 32, 32)));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->strokeLineWidth(), 2.0);
    EXPECT_EQ(line->frame(), pf::Rect(0, 0, 32, 32));

    // The library's arrow has the small proportions: a head 10 long and 16 wide.
    const auto icon = std::dynamic_pointer_cast<Pointer>(Pointer::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 100, 0)));
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->isIcon());
    EXPECT_EQ(icon->strokeLineWidth(), 0.0);
    const std::vector<pf::Point> points = vertices(icon->path());
    ASSERT_EQ(points.size(), 7u);
    EXPECT_LT(distance(points[1], {12, 8}), 100 * 1e-12);

    // The block arrow hits over its head and shaft, and not beside them.
    auto pointer = connector<Pointer>(pf::Rect(0, 50, 200, 0));
    EXPECT_TRUE(pointer->containsPoint({10, 55}));
    EXPECT_TRUE(pointer->containsPoint({150, 51}));
    EXPECT_FALSE(pointer->containsPoint({150, 60}));
    EXPECT_FALSE(pointer->containsPoint({-10, 50}));
}
