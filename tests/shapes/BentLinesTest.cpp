// The arc and the segmented line: routes, head angles (including the quarter turns of flat frames and of
// middle runs with no length), hit areas and the heads placed on the drawing.
#include "ConnectorTestSupport.h"

#include "platform/graphics/RecordingContext.h"
#include "shapes/BentLines.h"

#include <cmath>

namespace {

using Texts = std::vector<std::string>;

// The tips of the filled heads (type 1's tip is (-1, 0) in its own frame), and the turns of the frames.
struct Head {
    pf::Point tip;
    double degrees;
};
std::vector<Head> drawnHeads(AbstractPointer& pointer)
{
    pf::RecordingContext context;
    pointer.drawArrowsInContext(context);
    std::vector<Head> heads;
    for (const pf::RecordedCall& c : context.calls())
        if (c.operation == "fill") {
            const pf::AffineTransform& m = c.state.ctm;
            const pf::Point o = m.apply(pf::Point(0, 0)), x = m.apply(pf::Point(1, 0));
            double degrees = std::atan2(x.y - o.y, x.x - o.x) * 180 / M_PI;
            heads.push_back({m.apply(pf::Point(-1, 0)), degrees < 0 ? degrees + 360 : degrees});
        }
    return heads;
}

// Type 1 at both ends, drawn: each tip where expected, each head frame turned as expected.
void expectHeads(AbstractPointer& pointer, const Head& a, const Head& b)
{
    pointer.setArrowTypeA(1);
    pointer.setArrowTypeB(1);
    const std::vector<Head> heads = drawnHeads(pointer);
    ASSERT_EQ(heads.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const Head& expected = i == 0 ? a : b;
        EXPECT_NEAR(heads[i].tip.x, expected.tip.x, 1e-9);
        EXPECT_NEAR(heads[i].tip.y, expected.tip.y, 1e-9);
        EXPECT_NEAR(heads[i].degrees, expected.degrees, 1e-9);
    }
}

} // namespace

TEST_F(ConnectorTest, ArcIsOneCubicBendingTowardsTheChosenCorner)
{
    auto arc = connector<Arc>(pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(elementTexts(arc->path()), (Texts{"M 0 0", "C 0 25 50 50 100 50"}));
    arc->setFlipped(true);
    EXPECT_EQ(elementTexts(arc->path()), (Texts{"M 0 0", "C 50 0 100 25 100 50"}));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Flip Arc"));

    // Ends anywhere: a negative width runs the curve leftward, still bending towards the frame's BotLef.
    auto left = connector<Arc>(pf::Rect(100, 0, -100, 50));
    EXPECT_EQ(elementTexts(left->path()), (Texts{"M 100 0", "C 100 25 50 50 0 50"}));
    EXPECT_TRUE(Arc::staticClass().isSubclassOf(Line::staticClass()));
    EXPECT_EQ(Arc::staticClass().facetClassNames()[2], QStringLiteral("ArcGeometryFacet"));
}

TEST_F(ConnectorTest, ArcHeadsFollowTheTangentsAndTurnOnFlatFrames)
{
    struct Case {
        pf::Rect frame;
        bool flipped;
        double a, b;
    };
    const Case cases[] = {
        {{0, 0, 100, 50}, false, 270, 0},
        {{0, 0, 100, 50}, true, 180, 90},
        // Nearly flat: the chord runs along the tangent at A (at B when flipped), so that head turns.
        {{0, 0, 100, 2}, false, 180, 0},
        {{0, 0, 100, 2}, true, 180, 0},
        // Nearly upright: the same at the other end.
        {{0, 0, 2, 100}, false, 270, 90},
        {{0, 0, 2, 100}, true, 270, 90},
        // Negative sizes mirror the tangents.
        {{100, 0, -100, 50}, false, 270, 180},
        {{0, 50, 100, -50}, false, 90, 0},
        {{0, 2, 100, -2}, false, 180, 0},
        {{100, 2, -100, -2}, true, 0, 180},
    };
    for (const Case& c : cases) {
        auto arc = connector<Arc>(c.frame);
        arc->setFlipped(c.flipped);
        SCOPED_TRACE(testing::Message() << c.frame.x() << "," << c.frame.y() << "," << c.frame.width() << ","
                                        << c.frame.height() << (c.flipped ? " flipped" : ""));
        EXPECT_EQ(std::fmod(arc->currentAngleForArrowA(), 360), c.a);
        EXPECT_EQ(std::fmod(arc->currentAngleForArrowB(), 360), c.b);
    }

    // The heads are drawn at the ends, turned by those angles.
    expectHeads(*connector<Arc>(pf::Rect(10, 20, 100, 50)), {{10, 21}, 270}, {{109, 70}, 0});
}

TEST_F(ConnectorTest, ArcHitsBetweenItsEndsAndTheCornerItBendsTowards)
{
    struct Case {
        pf::Rect frame;
        bool flipped;
        pf::Point in, out;
    };
    // The middle of the curve hits, the far side of the chord does not, in all eight placements.
    const Case cases[] = {
        {{0, 0, 100, 50}, false, {31, 34}, {90, 5}},
        {{0, 0, 100, 50}, true, {69, 16}, {10, 45}},
        {{100, 0, -100, 50}, false, {69, 34}, {10, 5}},
        {{100, 0, -100, 50}, true, {31, 16}, {90, 45}},
        {{0, 50, 100, -50}, false, {31, 16}, {90, 45}},
        {{0, 50, 100, -50}, true, {69, 34}, {10, 5}},
        {{100, 50, -100, -50}, false, {69, 16}, {10, 45}},
        {{100, 50, -100, -50}, true, {31, 34}, {90, 5}},
    };
    for (const Case& c : cases) {
        auto arc = connector<Arc>(c.frame);
        arc->setFlipped(c.flipped);
        SCOPED_TRACE(testing::Message() << c.frame.x() << "," << c.frame.y() << "," << c.frame.width() << ","
                                        << c.frame.height() << (c.flipped ? " flipped" : ""));
        EXPECT_TRUE(arc->containsPoint(c.in));
        EXPECT_FALSE(arc->containsPoint(c.out));
    }

    // With a label the whole frame hits, from the moment it is set.
    auto labelled = connector<Arc>(pf::Rect(0, 0, 100, 50));
    EXPECT_FALSE(labelled->containsPoint({90, 5}));
    labelled->setAttributedText(pf::AttributedString(QStringLiteral("label")));
    EXPECT_TRUE(labelled->containsPoint({90, 5}));
}

TEST_F(ConnectorTest, SegmentedLineRoutesAndHeadAngles)
{
    struct Case {
        const char* name;
        pf::Rect frame;
        bool flipped;
        double x, y;
        std::vector<pf::Point> bends; // extPoint1, midPoint1, midPoint2, extPoint2
        double a, b;
    };
    const Case cases[] = {
        {"new", {0, 0, 100, 50}, true, 0.5, 0, {{0, 0}, {0, 25}, {100, 25}, {100, 50}}, 270, 90},
        {"not flipped", {0, 0, 100, 50}, false, 0.5, 0, {{0, 0}, {50, 0}, {50, 50}, {100, 50}}, 180, 0},
        {"stubs", {0, 0, 100, 50}, true, 0.5, 0.2, {{-20, 0}, {-20, 25}, {120, 25}, {120, 50}}, 0, 180},
        {"stubs, not flipped", {0, 0, 100, 50}, false, 0.5, 0.2, {{0, -10}, {50, -10}, {50, 60}, {100, 60}}, 90, 270},
        // A middle run on an end's own row: that head follows the middle run.
        {"X 0", {0, 0, 100, 50}, true, 0, 0, {{0, 0}, {0, 0}, {100, 0}, {100, 50}}, 180, 90},
        {"X 1", {0, 0, 100, 50}, true, 1, 0, {{0, 0}, {0, 50}, {100, 50}, {100, 50}}, 270, 0},
        {"X 0, not flipped", {0, 0, 100, 50}, false, 0, 0, {{0, 0}, {0, 0}, {0, 50}, {100, 50}}, 270, 0},
        {"X 1, not flipped", {0, 0, 100, 50}, false, 1, 0, {{0, 0}, {100, 0}, {100, 50}, {100, 50}}, 180, 90},
        // Negative sizes mirror the route; the heads follow the signs.
        {"negative width", {100, 0, -100, 50}, true, 0.5, 0, {{100, 0}, {100, 25}, {0, 25}, {0, 50}}, 270, 90},
        {"negative width, X 0", {100, 0, -100, 50}, true, 0, 0, {{100, 0}, {100, 0}, {0, 0}, {0, 50}}, 360, 90},
        {"negative width, stubs", {100, 0, -100, 50}, true, 0.5, 0.2, {{120, 0}, {120, 25}, {-20, 25}, {-20, 50}}, 180, 0},
        {"negative height, stubs", {0, 50, 100, -50}, false, 0.5, 0.2, {{0, 60}, {50, 60}, {50, -10}, {100, -10}}, 270, 90},
        // Rounded half away from zero.
        {"odd", {0, 0, 99, 51}, true, 0.5, 0.25, {{-25, 0}, {-25, 26}, {124, 26}, {124, 51}}, 0, 180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto line = connector<SegmentedLine>(c.frame);
        line->setFlipped(c.flipped);
        line->setAdjustmentRatioX(c.x);
        line->setAdjustmentRatioY(c.y);
        EXPECT_EQ((std::vector<pf::Point>{line->extPoint1(), line->midPoint1(), line->midPoint2(), line->extPoint2()}),
                  c.bends);
        EXPECT_EQ(line->currentAngleForArrowA(), c.a);
        EXPECT_EQ(line->currentAngleForArrowB(), c.b);
        EXPECT_EQ(line->adjustPoint(), c.bends[1]);
        // Sharp bends: the path runs A, the four bends, B, each corner entered and left at itself.
        const std::vector<pf::Point> expected{line->pointA(), c.bends[0], c.bends[0], c.bends[1], c.bends[1],
                                              c.bends[2], c.bends[2], c.bends[3], c.bends[3], line->pointB()};
        EXPECT_EQ(vertices(line->path()), expected);
    }
}

TEST_F(ConnectorTest, SegmentedLineRoundsItsBendsByTheCurveRatio)
{
    auto line = connector<SegmentedLine>(pf::Rect(0, 0, 100, 50));
    line->setAdjustmentRatioY(0.2);
    line->setCurveRatio(1);
    // Cuts of half the long run's length: 12.5 on each side of every bend, rounded away from zero.
    SegmentedLine::Route r = line->route();
    EXPECT_EQ((std::vector<pf::Point>{r.ext1A, r.ext1B, r.mid1A, r.mid1B, r.mid2A, r.mid2B, r.ext2A, r.ext2B}),
              (std::vector<pf::Point>{{-8, 0}, {-20, 13}, {-20, 13}, {-8, 25}, {108, 25}, {120, 38}, {120, 38}, {108, 50}}));
    EXPECT_EQ(elementTexts(line->path()),
              (Texts{"M 0 0", "C 0 0 -8 0 -8 0", "C -20 0 -20 0 -20 13", "C -20 13 -20 13 -20 13",
                     "C -20 25 -20 25 -8 25", "C -8 25 108 25 108 25", "C 120 25 120 25 120 38",
                     "C 120 38 120 38 120 38", "C 120 50 120 50 108 50", "C 108 50 100 50 100 50"}));

    // A stub shorter than its cut: the cut stops at the end.
    line->setAdjustmentRatioY(0.1);
    r = line->route();
    EXPECT_EQ(r.ext1A, pf::Point(0, 0));
    EXPECT_EQ(r.ext2B, pf::Point(100, 50));

    // Not flipped, no stubs: at 1 the two cuts on each run meet in its middle.
    line->setFlipped(false);
    line->setAdjustmentRatioY(0);
    r = line->route();
    EXPECT_EQ((std::vector<pf::Point>{r.ext1A, r.ext1B, r.mid1A, r.mid1B, r.mid2A, r.mid2B, r.ext2A, r.ext2B}),
              (std::vector<pf::Point>{{0, 0}, {25, 0}, {25, 0}, {50, 25}, {50, 25}, {75, 50}, {75, 50}, {100, 50}}));

    // The cut on the middle run never passes half the frame.
    line->setFlipped(true);
    line->setFrame(pf::Rect(0, 0, 20, 100));
    r = line->route();
    EXPECT_EQ(r.mid1B, pf::Point(10, 50));
    EXPECT_EQ(r.mid2A, pf::Point(10, 50));
}

TEST_F(ConnectorTest, SegmentedLineStartsFlippedAtTheMiddleAndCoversItsRoute)
{
    auto line = Shape::make<SegmentedLine>(pf::Rect(0, 0, 100, 50));
    EXPECT_TRUE(line->flipped());
    EXPECT_EQ(line->adjustmentRatioX(), 0.5);
    EXPECT_EQ(line->cornerCp1(), QVRectCornerMidLef);
    EXPECT_EQ(line->cornerCp2(), QVRectCornerMidRit);

    // Dragged out of a shape: option 13 gives the other orientation; the line is resized by BotRit.
    for (const int option : {12, 13}) {
        int handle = -1;
        const auto made = std::dynamic_pointer_cast<SegmentedLine>(
            SegmentedLine::staticClass().pointerFromConnectionOptionsWithFrame(pf::Rect(5, 5, 0, 0), option, &handle));
        ASSERT_TRUE(made);
        EXPECT_EQ(made->flipped(), option != 13);
        EXPECT_EQ(handle, QVRectCornerBotRit);
    }

    // The library preview is a segmented line too.
    const auto preview = SegmentedLine::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 40, 30));
    ASSERT_TRUE(preview);
    EXPECT_EQ(&preview->classObject(), &SegmentedLine::staticClass());

    // The drawing bounds take in the stubs and the heads.
    auto stubbed = connector<SegmentedLine>(pf::Rect(0, 0, 100, 50));
    EXPECT_EQ(stubbed->contentRect(), pf::Rect(-2, -8, 104, 66));
    stubbed->setAdjustmentRatioY(0.2);
    stubbed->setArrowTypeA(10);
    EXPECT_EQ(stubbed->contentRect(), pf::Rect(-37, -8, 174, 66));

    // Hits along the route, not in the open corners.
    auto hit = connector<SegmentedLine>(pf::Rect(0, 0, 100, 50));
    for (const pf::Point p : {pf::Point(50, 25), pf::Point(0, 12), pf::Point(100, 37), pf::Point(53, 28)})
        EXPECT_TRUE(hit->containsPoint(p)) << p.x << "," << p.y;
    for (const pf::Point p : {pf::Point(50, 10), pf::Point(50, 40), pf::Point(80, 5), pf::Point(20, 45)})
        EXPECT_FALSE(hit->containsPoint(p)) << p.x << "," << p.y;
    hit->setAttributedText(pf::AttributedString(QStringLiteral("label")));
    EXPECT_TRUE(hit->containsPoint({50, 40}));
}

TEST_F(ConnectorTest, SegmentedLineHeadsAreDrawnAlongItsEndRuns)
{
    expectHeads(*connector<SegmentedLine>(pf::Rect(10, 20, 100, 50)), {{10, 21}, 270}, {{110, 69}, 90});
    // A stub turns its head along it (the line comes into the end from outside the frame); mirrored too.
    auto stubbed = connector<SegmentedLine>(pf::Rect(10, 20, 100, 50));
    stubbed->setAdjustmentRatioY(0.2);
    expectHeads(*stubbed, {{9, 20}, 0}, {{111, 70}, 180});
    auto mirrored = connector<SegmentedLine>(pf::Rect(110, 20, -100, 50));
    mirrored->setAdjustmentRatioY(0.2);
    expectHeads(*mirrored, {{111, 20}, 180}, {{9, 70}, 0});
}
