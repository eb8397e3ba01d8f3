// Star, polygon and cylinder: outlines, handles, inner line, text areas and clip paths.
#include "OutlineTestSupport.h"

#include "../model/ShapeTestSupport.h"
#include "geometry/QVRect.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/StarPolygonCylinder.h"

#include <cmath>

namespace {

// Within a millionth of the frame's size.
void expectNear(const pf::Rect& actual, const pf::Rect& expected)
{
    const double tolerance = 1e-6 * std::max(std::fabs(expected.width()), std::fabs(expected.height()));
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

int strokes(const pf::RecordingContext& context)
{
    int count = 0;
    for (const pf::RecordedCall& call : context.calls())
        count += call.operation == "stroke";
    return count;
}

} // namespace

TEST_F(OutlineTest, StarFillsItsFrameForAnyRatioAndSize)
{
    for (const pf::Rect& frame : {pf::Rect(10, 20, 100, 100), pf::Rect(-40, 5, 30, 120), pf::Rect(1e6, 1e6, 4e5, 1e5),
                                  pf::Rect(0, 0, 3, 2)})
        for (double x : {0.0, 0.3, 0.5, 1.0}) {
            auto star = make<Star>(frame, x);
            expectNear(star->path().bounds(), frame);
            // Five outer and five inner points, all on the way round.
            EXPECT_EQ(star->path().elementCount(), 12) << x;
        }
}

TEST_F(OutlineTest, StarSpikesMeetAtTheCentreAtRatioZero)
{
    auto star = make<Star>(pf::Rect(0, 0, 100, 100), 0);
    const pf::Path& path = star->path();
    int atCentre = 0;
    for (const pf::Point& p : vertices(path))
        atCentre += std::fabs(p.x - 50) < 1e-9 && std::fabs(p.y - path.bounds().midY()) < 30;
    // Every inner point sits on the vertical centre line.
    EXPECT_EQ(atCentre, 5);
    EXPECT_EQ(star->adjustPoint(), pf::Point(50, 50));
    star->setAdjustmentRatioX(1);
    EXPECT_EQ(star->adjustPoint(), pf::Point(70, 25));
}

TEST_F(OutlineTest, StarWithoutWidthOrHeightHasNoOutlineAndIsNeitherHitNorStroked)
{
    for (const pf::Rect& frame : {pf::Rect(10, 10, 0, 50), pf::Rect(10, 10, 50, 0)}) {
        auto star = make<Star>(frame, 0.5);
        EXPECT_TRUE(star->path().isEmpty());
        EXPECT_FALSE(star->containsPoint({10, 20}));
        star->setStrokeType(0);
        star->setStrokeLineWidth(2);
        star->setStrokeColor(pf::Color(0, 0, 0, 1));
        pf::RecordingContext context;
        star->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        EXPECT_EQ(strokes(context), 0);
    }
}

TEST_F(OutlineTest, PolygonDrawsFiveToEightSidesFromItsTables)
{
    auto polygon = Shape::make<PolygonShape>(pf::Rect(0, 0, 100, 200));
    EXPECT_EQ(polygon->numberOfSides(), 5u);
    const std::vector<std::pair<std::uint64_t, std::vector<pf::Point>>> cases{
        {5, {{50, 0}, {100, 84}, {82, 200}, {18, 200}, {0, 84}}},
        {0, {{50, 0}, {100, 84}, {82, 200}, {18, 200}, {0, 84}}},
        {6, {{28, 0}, {73, 0}, {100, 100}, {73, 200}, {28, 200}, {0, 100}}},
        {7, {{50, 0}, {90, 40}, {100, 126}, {73, 200}, {28, 200}, {0, 126}, {10, 40}}},
        {8, {{28, 0}, {73, 0}, {100, 55}, {100, 145}, {73, 200}, {28, 200}, {0, 145}, {0, 55}}},
        {4, {}},
        {9, {}},
    };
    for (const auto& [sides, expected] : cases) {
        polygon->setNumberOfSides(sides);
        EXPECT_EQ(vertices(polygon->path()), expected) << sides;
    }
}

TEST_F(OutlineTest, PolygonSidesAreUndoableRotatedAndStored)
{
    FakePage page;
    auto polygon = Shape::make<PolygonShape>(pf::Rect(0, 0, 100, 100));
    polygon->setRotationAngle(90);
    polygon->setComposition(&page);
    polygon->setNumberOfSides(6);
    polygon->setNumberOfSides(6);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Number of Sides"));
    // The new outline is turned like the old one: the flat ends of the hexagon now face left and right.
    EXPECT_EQ(polygon->path().element(0).endPoint(), pf::Point(100, 28));
    page.undo.undo();
    EXPECT_EQ(polygon->numberOfSides(), 5u);
    EXPECT_FALSE(page.undo.canUndo());

    polygon->setComposition(nullptr);
    polygon->setNumberOfSides(8);
    auto back = std::static_pointer_cast<PolygonShape>(Shape::fromPlist(polygon->asPlist()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->numberOfSides(), 8u);
    EXPECT_TRUE(back->path().sameElements(polygon->path()));
    EXPECT_EQ(std::static_pointer_cast<PolygonShape>(polygon->copy())->numberOfSides(), 8u);
    // Stored without the key: drawn as a pentagon.
    pf::Value plist = polygon->asPlist();
    plist.remove("numberOfSides");
    auto pentagon = std::static_pointer_cast<PolygonShape>(Shape::fromPlist(plist));
    EXPECT_EQ(pentagon->numberOfSides(), 0u);
    EXPECT_EQ(pentagon->path().elementCount(), 6);
}

TEST_F(OutlineTest, CylinderCapsFollowTheDepthRatio)
{
    auto cylinder = make<Cylinder>(pf::Rect(0, 0, 100, 200), 0, 0.2);
    EXPECT_EQ(cylinder->adjustPoint(), pf::Point(50, 40));
    EXPECT_EQ(elementTexts(cylinder->path()),
              (std::vector<std::string>{"M 50 200", "C 50 200 0 200 0 180", "L 0 20", "C 0 20 0 0 50 0",
                                        "C 50 0 100 0 100 20", "L 100 180", "C 100 200 50 200 50 200", "Z"}));
    // The body runs along the front edge of the top cap; the inner line is the whole cap.
    EXPECT_EQ(elementTexts(cylinder->bodyPath())[3], "C 0 40 50 40 50 40");
    EXPECT_EQ(cylinder->interiorStrokePath()->bounds(), pf::Rect(0, 0, 100, 40));

    // Flat caps.
    cylinder->setAdjustmentRatioY(0);
    EXPECT_EQ(cylinder->path().element(2).endPoint(), pf::Point(0, 0));
}

TEST_F(OutlineTest, CylinderTextSitsBelowAShallowCapAndInsideADeepOne)
{
    auto cylinder = make<Cylinder>(pf::Rect(0, 0, 100, 200), 0, 0);
    cylinder->setStrokeLineWidth(0);
    EXPECT_EQ(cylinder->defaultTextPadSize(), pf::Size(3, 6));
    // Flat: from the top edge.
    EXPECT_EQ(cylinder->textRect(), pf::Rect(3, 6, 94, 188));
    EXPECT_TRUE(cylinder->textClipPath().sameElements(cylinder->bodyPath()));

    cylinder->setAdjustmentRatioY(0.3);
    // 0.7 of the way down to the front edge at 60.
    EXPECT_EQ(cylinder->textRect(), pf::Rect(3, 48, 94, 146));

    cylinder->setAdjustmentRatioY(0.6);
    EXPECT_EQ(cylinder->textRect(), pf::Rect(3, 6, 94, 108));
    EXPECT_TRUE(cylinder->textClipPath().sameElements(*cylinder->interiorStrokePath()));
    EXPECT_TRUE(cylinder->imageClipPath().sameElements(cylinder->textClipPath()));

    // The clip turns with the shape, about the frame's centre (50, 100).
    cylinder->setRotationAngle(90);
    EXPECT_EQ(cylinder->textClipPath().bounds(), pf::Rect(30, 50, 120, 100));
}

TEST_F(OutlineTest, CylinderDrawsTheFrontEdgeOnlyWithAVisibleStroke)
{
    auto cylinder = make<Cylinder>(pf::Rect(0, 0, 100, 200), 0, 0.2);
    cylinder->setFillType(5);
    cylinder->setStrokeShadowHidden(true);
    cylinder->setStrokeColor(pf::Color(0, 0, 1, 1));
    cylinder->setStrokeType(0);
    struct Case {
        std::uint64_t type;
        double width;
        int strokes;
    } cases[] = {{0, 1, 2}, {3, 1, 0}, {0, 0.5, 0}};
    for (const Case& c : cases) {
        cylinder->setStrokeType(c.type);
        cylinder->setStrokeLineWidth(c.width);
        pf::RecordingContext context;
        cylinder->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        EXPECT_EQ(strokes(context), c.strokes) << c.type << " " << c.width;
        if (c.strokes == 2) {
            const pf::RecordedCall& edge = context.calls().back();
            EXPECT_EQ(elementTexts(edge.path), (std::vector<std::string>{"M 0 20", "C 0 40 50 40 50 40", "C 50 40 100 40 100 20"}));
            EXPECT_EQ(edge.state.strokeColor, pf::Color(0, 0, 1, 1));
        }
    }
}
