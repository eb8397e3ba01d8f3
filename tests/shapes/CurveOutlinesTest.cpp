// The swoosh's wave and the fixed drawings: designs stretched to the frame, the person, torn sheets.
#include "OutlineTestSupport.h"

#include "geometry/QVRect.h"
#include "platform/graphics/RecordingContext.h"
#include "shapes/FixedCurveOutlines.h"
#include "shapes/Swoosh.h"

#include <functional>

using Texts = std::vector<std::string>;

TEST_F(OutlineTest, SwooshWaveDepthGrowsWithTheRootOfTheHeight)
{
    auto swoosh = Shape::make<Swoosh>(pf::Rect(0, 0, 100, 64));
    swoosh->setStrokeLineWidth(0);
    EXPECT_EQ(swoosh->currentSwooshHeight(), 8);
    // Sides end at 56, crest (75, 48), trough (25, 64); controls at 87.5 and the like rounded away from 0.
    EXPECT_EQ(elementTexts(swoosh->path()),
              (Texts{"M 0 0", "L 100 0", "L 100 56", "C 100 56 88 48 75 48", "C 63 48 50 56 50 56",
                     "C 50 56 38 64 25 64", "C 13 64 0 56 0 56", "Z"}));
    // Above the crest: (0, 0, 100, 48) inset by the pads.
    EXPECT_EQ(swoosh->textRect(), pf::Rect(6, 3, 88, 42));

    // No height: no wave.
    EXPECT_EQ(Shape::make<Swoosh>(pf::Rect(0, 0, 100, 0))->currentSwooshHeight(), 0);
    // A negative height mirrors the wave.
    auto flipped = Shape::make<Swoosh>(pf::Rect(0, 64, 100, -64));
    EXPECT_EQ(flipped->currentSwooshHeight(), -8);
}

TEST_F(OutlineTest, DesignsStretchToTheFrame)
{
    // Each design point (u, v) lands on (10 + 2u, 20 + v/2).
    const pf::Rect frame(10, 20, 200, 50);
    struct Case {
        std::shared_ptr<Shape> shape;
        Texts firstTwo;
    } cases[] = {
        {Shape::make<Cloud>(frame), {"M 22 42", "C 12 35.5 24 25 36 29.5"}},
        {Shape::make<Blob>(frame), {"M 26 37", "C 36 32 24 24.5 46 21"}},
        {Shape::make<Fan>(frame), {"M 110 70", "C 110 70 10 33 10 33"}},
    };
    for (const Case& c : cases) {
        const Texts texts = elementTexts(c.shape->path());
        EXPECT_EQ(Texts(texts.begin(), texts.begin() + 2), c.firstTwo) << c.shape->shapeClass().className().toStdString();
        EXPECT_EQ(texts.back(), "Z");
    }
    // The cloud's controls reach outside the frame; its outline nearly fills it.
    const pf::Path& cloud = cases[0].shape->path();
    EXPECT_LT(cloud.controlPointBounds().x(), frame.x());
    EXPECT_NEAR(cloud.bounds().width(), frame.width(), 0.05 * frame.width());
}

TEST_F(OutlineTest, BracketKeepsItsAspectAndTakesNoTextOrImage)
{
    auto bracket = Shape::make<Bracket>(pf::Rect(0, 0, 32, 100));
    EXPECT_TRUE(bracket->constrainAspectRatio());
    EXPECT_FALSE(bracket->canEditText());
    EXPECT_FALSE(bracket->canEditImage());
    // Its point at mid-height on the left, its ends on the right.
    EXPECT_EQ(bracket->path().element(0).endPoint(), pf::Point(0, 53));
    EXPECT_EQ(bracket->path().element(2).endPoint(), pf::Point(32, 95));
    bracket->setDisplayFrameWidth(64);
    EXPECT_EQ(bracket->frame(), pf::Rect(0, 0, 64, 200));
    EXPECT_EQ(bracket->path().element(0).endPoint(), pf::Point(0, 106));
}

TEST_F(OutlineTest, PersonIsAHeadAndAnOpenStickBody)
{
    auto man = Shape::make<Man>(pf::Rect(0, 0, 40, 100));
    const pf::Path& path = man->path();
    EXPECT_EQ(path.bounds(), pf::Rect(0, 0, 40, 100));
    // The head, then the body from the head's bottom through the hip (20, 55) and the shoulder (20, 29).
    const pf::Path head = pf::Path::oval(pf::Rect(12, 0, 16, 40));
    for (int i = 0; i < head.elementCount(); ++i)
        EXPECT_EQ(path.element(i), head.element(i));
    const std::vector<pf::Point> points = vertices(path);
    EXPECT_EQ(std::vector<pf::Point>(points.begin() + 5, points.end()),
              (std::vector<pf::Point>{{20, 40}, {20, 55}, {0, 100}, {20, 55}, {40, 100}, {20, 55}, {20, 29}, {0, 50},
                                      {20, 29}, {40, 50}, {20, 29}}));
    EXPECT_NE(path.elements().back().type, pf::PathElementType::Close);
}

TEST_F(OutlineTest, PersonIsHitAnywhereInItsFrameOnlyWhenUpright)
{
    auto man = Shape::make<Man>(pf::Rect(0, 0, 40, 100));
    // Between the legs, outside the figure's lines.
    const pf::Point between(20, 95);
    EXPECT_TRUE(man->containsPoint(between));
    man->setRotationAngle(180);
    EXPECT_TRUE(man->containsPoint(between));
    man->setRotationAngle(90);
    // Turned, only the figure counts: the frame's corner is far from it.
    EXPECT_FALSE(man->containsPoint(pf::Point(0, 30)));
    man->setRotationAngle(0);
    man->setHidden(true);
    EXPECT_FALSE(man->containsPoint(between));
}

TEST_F(OutlineTest, PersonCannotBecomeABezierOrTakePartInBooleans)
{
    auto man = Shape::make<Man>(pf::Rect(0, 0, 40, 100));
    EXPECT_FALSE(man->canConvertToBezier());
    EXPECT_FALSE(man->canInvert());
    EXPECT_FALSE(man->canIntersect());
    // Without text its lines are not clipped.
    EXPECT_TRUE(man->textClipPath().isEmpty());
    man->setStrokeType(0);
    man->setStrokeLineWidth(1);
    man->setStrokeShadowHidden(true);
    man->setStrokeColor(pf::Color(0, 0, 0, 1));
    pf::RecordingContext context;
    man->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    for (const pf::RecordedCall& call : context.calls())
        EXPECT_NE(call.operation, "clip");
}

namespace {

// A person whose text occupies a fixed band, as text layout would measure it.
class LabelledMan : public Man {
public:
    pf::Rect horizontalTextRectForText(const pf::AttributedString&) const override { return band; }
    pf::Rect band{0, 60, 40, 14};
};

} // namespace

TEST_F(OutlineTest, PersonLinesStopAtTheText)
{
    auto man = std::make_shared<LabelledMan>();
    man->initWithFrame(pf::Rect(0, 0, 40, 100));
    man->setStrokeType(0);
    man->setStrokeLineWidth(1);
    man->setStrokeShadowHidden(true);
    man->setStrokeColor(pf::Color(0, 0, 0, 1));
    man->setAttributedText(pf::AttributedString(QStringLiteral("Actor")));
    man->setRotationAngle(90);
    // The text's own bounds (its column within the band, 2 wider on each side), turned with the figure:
    // the lines stop at the letters, not across the whole band.
    const pf::Rect bounds = man->textBoundingRect();
    EXPECT_EQ(bounds.origin.y, 60);
    EXPECT_LT(bounds.width(), 44);
    const pf::Rect turned = man->rotationTransform(90).apply(bounds);
    EXPECT_EQ(man->textClipPath().bounds(), turned);

    pf::RecordingContext context;
    man->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    const pf::RecordedCall* clip = nullptr;
    for (const pf::RecordedCall& call : context.calls())
        if (call.operation == "clip")
            clip = &call;
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->rule, pf::WindingRule::EvenOdd);
    EXPECT_FALSE(clip->path.containsPoint(QVRectGetMidMidPoint(turned), pf::WindingRule::EvenOdd));
    EXPECT_TRUE(clip->path.containsPoint(pf::Point(20, 10), pf::WindingRule::EvenOdd));
    // The clip is the stroke's own: the text and later layers are not clipped by it.
    EXPECT_EQ(context.calls().back().operation, "stroke");
}

TEST_F(OutlineTest, TearawayTeethAndTextStayClearOfEachOther)
{
    auto tear = Shape::make<Tearaway>(pf::Rect(0, 0, 100, 40));
    tear->setStrokeLineWidth(0);
    EXPECT_EQ(tear->jaggedHeight(), 8);
    EXPECT_EQ(elementTexts(tear->path()), (Texts{"M 0 0", "L 100 0", "L 100 40", "L 50 32", "L 50 40", "L 0 32", "Z"}));
    // Height 32 before the pads.
    EXPECT_EQ(tear->textRect(), pf::Rect(6, 3, 88, 26));

    auto twice = Shape::make<DoubleTearaway>(pf::Rect(0, 0, 100, 40));
    twice->setStrokeLineWidth(0);
    EXPECT_EQ(elementTexts(twice->path()),
              (Texts{"M 0 0", "L 50 8", "L 50 0", "L 100 8", "L 100 40", "L 50 32", "L 50 40", "L 0 32", "Z"}));
    // Height 24 from 8 below the top.
    EXPECT_EQ(twice->textRect(), pf::Rect(6, 11, 88, 18));
}

// Depths shape the outline but are not stored: copies keep them, documents read back the new-shape value.
TEST_F(OutlineTest, UnstoredDepthsAreCopiedButNotRead)
{
    auto swoosh = Shape::make<Swoosh>(pf::Rect(0, 0, 100, 64));
    auto tear = Shape::make<Tearaway>(pf::Rect(0, 0, 100, 40));
    struct Case {
        std::shared_ptr<Shape> shape;
        std::function<double(const Shape&)> depth;
        std::function<void(Shape&, double)> setDepth;
        double fresh, changed;
        int element;
        pf::Point freshPoint, changedPoint;
    } cases[] = {
        {swoosh, [](const Shape& s) { return static_cast<const Swoosh&>(s).swooshHeight(); },
         [](Shape& s, double d) { static_cast<Swoosh&>(s).setSwooshHeight(d); }, 1.0, 0.5, 2, {100, 56}, {100, 60}},
        {tear, [](const Shape& s) { return static_cast<const Tearaway&>(s).jaggedHeight(); },
         [](Shape& s, double d) { static_cast<Tearaway&>(s).setJaggedHeight(d); }, 8, 12, 3, {50, 32}, {50, 28}},
    };
    for (const Case& c : cases) {
        const std::string kind = c.shape->shapeClass().className().toStdString();
        c.setDepth(*c.shape, c.changed);
        EXPECT_EQ(c.shape->path().element(c.element).endPoint(), c.changedPoint) << kind;
        auto copy = c.shape->copy();
        EXPECT_EQ(c.depth(*copy), c.changed) << kind;
        EXPECT_TRUE(copy->path().sameElements(c.shape->path())) << kind;
        auto read = Shape::fromPlist(c.shape->asPlist());
        EXPECT_EQ(c.depth(*read), c.fresh) << kind;
        EXPECT_EQ(read->path().element(c.element).endPoint(), c.freshPoint) << kind;
    }
}

TEST_F(OutlineTest, LibraryPreviewsKeepTheirDepthsAndLooks)
{
    // Teeth of 5 and a shallower wave, whatever the preview's size.
    auto tear = std::static_pointer_cast<Tearaway>(
        Tearaway::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 30, 20)));
    EXPECT_EQ(tear->jaggedHeight(), 5);
    EXPECT_EQ(tear->frame(), pf::Rect(0, 0, 30, 20));
    EXPECT_EQ(tear->path().element(3).endPoint(), pf::Point(15, 15));
    auto swoosh = std::static_pointer_cast<Swoosh>(Swoosh::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 30, 16)));
    EXPECT_EQ(swoosh->swooshHeight(), 0.5);
    EXPECT_EQ(swoosh->frame(), pf::Rect(0, 0, 30, 16));

    // The person: narrower and taller, filled with the stroke colour.
    auto man = Man::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 10, 40, 40));
    EXPECT_EQ(man->frame(), pf::Rect(5, 8, 28, 42));
    EXPECT_EQ(man->strokeLineWidth(), 2);
    EXPECT_EQ(man->fillType(), 0u);
    EXPECT_EQ(man->fillColor(), man->strokeColor());
    EXPECT_EQ(man->strokeShadowColor(), pf::Color(0, 0, 0, 0.25));

    // The pie: a point higher and larger.
    auto pie = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Pie"))->libraryListItemShapeWithFrame(pf::Rect(0, 10, 40, 40));
    EXPECT_EQ(pie->frame(), pf::Rect(0, 9, 40, 40));

    // Cloud and bracket draw their icons.
    EXPECT_EQ(Cloud::staticClass().iconImage().size(), pf::Size(32, 32));
    EXPECT_EQ(Bracket::staticClass().iconImage().size(), pf::Size(32, 32));
    EXPECT_TRUE(Cloud::staticClass().iconImageName().isNull());
}
