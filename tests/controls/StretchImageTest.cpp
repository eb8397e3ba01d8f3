// Stretchable images: insets clamped to the picture and the rect, plain, nine- and twenty-five-slice
// drawing, and insets and centre rects that survive loading, updates and copies.
#include "ControlKindTestSupport.h"

#include "controls/StretchImage.h"

#include <QImage>

#include <limits>

namespace {

using StretchImageTest = ControlKindTest;

constexpr double inf = std::numeric_limits<double>::infinity();

pf::Image picture(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::red);
    return pf::Image(bitmap);
}

std::vector<const pf::RecordedCall*> imageCalls(const pf::RecordingContext& context)
{
    return callsNamed(context, "image");
}

// A nine-slice control whose picture is the test swatch (4 × 4).
class SwatchStretch : public StretchImage9 {
public:
    void updateControlImageIdentifier() override { setControlImageIdentifier(QStringLiteral("test-swatch.png")); }
};

TEST_F(StretchImageTest, InsetsAreClampedToThePictureAndTheRect)
{
    const struct {
        pf::EdgeInsets insets;
        pf::Size image, rect;
        pf::EdgeInsets expected;
    } cases[] = {
        {{10, 10, 10, 10}, {100, 100}, {12, 100}, {10, 6, 10, 6}},   // a rect 12 wide
        {{10, 10, 10, 10}, {12, 12}, {100, 100}, {6, 6, 6, 6}},      // a picture 12 wide
        {{10, 10, 10, 10}, {1, 100}, {100, 100}, {10, 0, 10, 0}},    // a picture 1 wide
        {{10, 10, 10, 10}, {100, 100}, {-13, 100}, {10, 6, 10, 6}},  // a mirrored rect
        {{3, 4, 5, 6}, {100, 100}, {100, 100}, {3, 4, 5, 6}},        // room enough
        {{-2, inf, -inf, 5}, {100, 100}, {100, 100}, {0, 0, 0, 5}},  // unreadable values
        {{4, 4, 4, 4}, {0, 0}, {100, 100}, {0, 0, 0, 0}},            // no picture
    };
    for (const auto& k : cases)
        EXPECT_EQ(StretchImage9::clampedInsets(k.insets, k.image, k.rect), k.expected)
            << k.insets.top << " " << k.insets.left << " " << k.image.width << " " << k.rect.width;
}

TEST_F(StretchImageTest, NineSlicesOrThePlainPicture)
{
    auto shape = make<StretchImage9>(pf::Rect(0, 0, 100, 50));
    shape->setOpacity(0.5);
    const pf::Image image = picture(12, 12);
    const pf::Rect rect(10, 20, 100, 50), source(0, 0, 100, 50);

    // Insets under a point: the picture as it is, from the top-left, at the shape's opacity.
    pf::RecordingContext plain;
    shape->drawStretchImageInRectFromRectInsets(plain, image, rect, source, {0.5, 0.5, 0.5, 0.5});
    auto calls = imageCalls(plain);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]->rect, pf::Rect(10, 20, 12, 12));
    EXPECT_EQ(calls[0]->fraction, 0.5);

    // Nine slices: corners keep their size.
    pf::RecordingContext nine;
    shape->drawStretchImageInRectFromRectInsets(nine, image, rect, source, {4, 3, 4, 3});
    calls = imageCalls(nine);
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls.front()->rect, pf::Rect(10, 20, 3, 4));
    EXPECT_EQ(calls.back()->rect, pf::Rect(107, 66, 3, 4));
    EXPECT_EQ(calls.back()->fraction, 0.5);

    // Insets larger than the picture share it: 10 + 10 on 12 points are 6 + 6, and the slices still fill
    // the rect.
    pf::RecordingContext clamped;
    shape->drawStretchImageInRectFromRectInsets(clamped, image, rect, source, {10, 10, 10, 10});
    calls = imageCalls(clamped);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front()->rect, pf::Rect(10, 20, 6, 6));
    EXPECT_EQ(calls.back()->rect, pf::Rect(104, 64, 6, 6));

    // Insets on two sides only stretch the middle column: three slices rather than nothing.
    pf::RecordingContext sides;
    shape->drawStretchImageInRectFromRectInsets(sides, image, rect, source, {0, 4, 0, 4});
    calls = imageCalls(sides);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0]->rect, pf::Rect(10, 20, 4, 50));
    EXPECT_EQ(calls[1]->rect, pf::Rect(14, 20, 92, 50));
    EXPECT_EQ(calls[2]->rect, pf::Rect(106, 20, 4, 50));

    // A picture 1 point wide and high cannot be cut: it is drawn as it is rather than not at all.
    pf::RecordingContext tiny;
    shape->drawStretchImageInRectFromRectInsets(tiny, picture(1, 1), rect, source, {10, 10, 10, 10});
    calls = imageCalls(tiny);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]->rect, pf::Rect(10, 20, 1, 1));
}

TEST_F(StretchImageTest, TwentyFiveSlicesKeepTheCentrePieceWithinThePicture)
{
    auto shape = make<StretchImage25>(pf::Rect(0, 0, 100, 40));
    EXPECT_EQ(shape->centerRect(), pf::Rect(25, 10, 50, 20)) << "a new shape's centre is the middle half";
    const pf::Image image = picture(20, 20);
    const pf::Rect rect(0, 0, 100, 40), source(0, 0, 100, 40);

    pf::RecordingContext plain;
    shape->drawStretchImageInRectFromRectInsets(plain, image, rect, source, {0, 0, 0, 0});
    ASSERT_EQ(imageCalls(plain).size(), 1u);
    EXPECT_EQ(imageCalls(plain)[0]->rect, pf::Rect(0, 0, 20, 20));

    // Insets 5 on a picture 40 wide: corners 5, a centre piece of 10 that keeps its size and centres, and
    // stretching pieces between.
    shape->setCenterRect(pf::Rect(0, 0, 10, 10));
    pf::RecordingContext slices;
    shape->drawStretchImageInRectFromRectInsets(slices, picture(40, 40), rect, source, {5, 5, 5, 5});
    auto calls = imageCalls(slices);
    ASSERT_EQ(calls.size(), 25u);
    EXPECT_EQ(calls.front()->rect, pf::Rect(0, 0, 5, 5));
    EXPECT_EQ(calls[12]->rect, pf::Rect(45, 15, 10, 10));
    EXPECT_EQ(calls.back()->rect, pf::Rect(95, 35, 5, 5));

    // A centre piece larger than what the insets leave of the picture (10 of 20) is cut to it.
    shape->setCenterRect(pf::Rect(25, 10, 50, 20));
    pf::RecordingContext larger;
    shape->drawStretchImageInRectFromRectInsets(larger, image, rect, source, {5, 5, 5, 5});
    calls = imageCalls(larger);
    ASSERT_FALSE(calls.empty());
    bool centre = false;
    for (const auto* call : calls)
        centre = centre || call->rect == pf::Rect(45, 15, 10, 10);
    EXPECT_TRUE(centre);

    // A stored centre rect that cannot be read leaves no centre piece.
    shape->setCenterRect(pf::Rect(0, 0, -inf, std::numeric_limits<double>::quiet_NaN()));
    pf::RecordingContext unreadable;
    shape->drawStretchImageInRectFromRectInsets(unreadable, image, rect, source, {5, 5, 5, 5});
    for (const auto* call : imageCalls(unreadable))
        EXPECT_TRUE(QVRectIsValid(call->rect));
}

TEST_F(StretchImageTest, TheControlDrawsItsPictureInTheFrameOnHalfPoints)
{
    auto shape = make<SwatchStretch>(pf::Rect(10, 20, 30, 30));
    shape->setEdgeInsets({1, 1, 1, 1});
    shape->update();
    ASSERT_FALSE(shape->controlImage().isNull());
    pf::RecordingContext context;
    shape->drawControlInContextDirtyRect(context, shape->frame());
    const auto calls = imageCalls(context);
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls.front()->rect, pf::Rect(10, 20, 1, 1));
    EXPECT_EQ(calls.front()->state.ctm, pf::AffineTransform::translation(0.5, 0.5));
    EXPECT_EQ(context.gstateDepth(), 0);

    // Without a picture nothing is drawn.
    auto bare = make<StretchImage9>(pf::Rect(10, 20, 30, 30));
    pf::RecordingContext none;
    bare->drawControlInContextDirtyRect(none, bare->frame());
    EXPECT_TRUE(none.calls().empty());
}

TEST_F(StretchImageTest, StoredInsetsAndCentreSurviveLoadUpdateAndCopy)
{
    auto nine = make<StretchImage9>(pf::Rect(0, 0, 60, 40));
    nine->setEdgeInsets({1, 2, 3, 4});
    pf::Value plist = nine->asPlist();
    EXPECT_EQ(plist.doubleForKey("edgeInsets-top"), 1);
    EXPECT_EQ(plist.doubleForKey("edgeInsets-left"), 2);
    EXPECT_EQ(plist.doubleForKey("edgeInsets-bottom"), 3);
    EXPECT_EQ(plist.doubleForKey("edgeInsets-right"), 4);
    EXPECT_EQ(nine->minSize(), pf::Size(7, 5));

    auto read = std::static_pointer_cast<StretchImage9>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    read->setComposition(&page);
    read->setThemeType(1); // any setter runs an update
    EXPECT_EQ(read->edgeInsets(), (pf::EdgeInsets{1, 2, 3, 4}));
    EXPECT_EQ(std::static_pointer_cast<StretchImage9>(read->copy())->edgeInsets(), (pf::EdgeInsets{1, 2, 3, 4}));

    auto twentyFive = make<StretchImage25>(pf::Rect(0, 0, 100, 40));
    twentyFive->setEdgeInsets({2, 2, 2, 2});
    twentyFive->setCenterRect(pf::Rect(30, 12, 40, 16));
    EXPECT_EQ(twentyFive->minSize(), pf::Size(44, 20));
    const pf::Value stored = twentyFive->asPlist();
    EXPECT_EQ(pf::rectFromString(stored.stringForKey("centerRect")), pf::Rect(30, 12, 40, 16));
    auto loaded = std::static_pointer_cast<StretchImage25>(Shape::fromPlist(stored));
    ASSERT_TRUE(loaded);
    loaded->setComposition(&page);
    loaded->setHighlighted(true);
    loaded->setFrame(pf::Rect(0, 0, 200, 80));
    EXPECT_EQ(loaded->centerRect(), pf::Rect(30, 12, 40, 16));
    EXPECT_EQ(loaded->edgeInsets(), (pf::EdgeInsets{2, 2, 2, 2}));
    auto copied = std::static_pointer_cast<StretchImage25>(loaded->copy());
    EXPECT_EQ(copied->centerRect(), pf::Rect(30, 12, 40, 16));
    EXPECT_EQ(copied->edgeInsets(), (pf::EdgeInsets{2, 2, 2, 2}));
    expectRoundTrip(*loaded);
    expectRoundTrip(*nine);

}

} // namespace
