// Switch and activity indicator: the switch's fixed size, knob, colours and zoom-scaled shadow; the
// spinner's spokes, fading and turning.
#include "PhoneControlTestSupport.h"

#include "geometry/QVColor.h"

#include <cmath>
#include <numbers>

namespace {

TEST_F(PhoneControlTest, SwitchIsFixedAt51By31)
{
    auto sw = make<UISwitch>(pf::Rect(10, 10, 51, 31));
    sw->setFrame(pf::Rect(10, 10, 200, 100));
    EXPECT_EQ(sw->frame(), pf::Rect(10, 10, 51, 31));
    EXPECT_FALSE(sw->isHorizontallyFlexible());
    EXPECT_FALSE(sw->isVerticallyFlexible());
    EXPECT_EQ(sw->tintColor(), QVHexColor(0x4CD355));
    EXPECT_TRUE(sw->path().sameElements(pf::Path::roundedRect(pf::Rect(10, 10, 51, 31), 15, 15)));
    EXPECT_EQ(sw->controlImageIdentifier(), QStringLiteral("uiswitch_off"));
    sw->setHighlighted(true);
    EXPECT_EQ(sw->controlImageIdentifier(), QStringLiteral("uiswitch_on"));
    // Both pictures exist, drawn by the picture generator.
    EXPECT_TRUE(sw->controlImage().isValid());
    sw->setHighlighted(false);
    EXPECT_TRUE(sw->controlImage().isValid());
    // The stored tint has six decimals: the class's green reads back a hair off, so store an exact one.
    sw->setTintColor(pf::Color(0.25, 0.75, 0.5, 1));
    expectRoundTrip(*sw);
}

TEST_F(PhoneControlTest, SwitchKnobMovesAndTheTrackTakesTheTint)
{
    auto sw = make<UISwitch>(pf::Rect(10, 10, 51, 31));
    auto calls = controlCalls(*sw);
    auto fills = only(calls, "fill");
    auto strokes = only(calls, "stroke");
    ASSERT_EQ(fills.size(), 2u);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_TRUE(fills[0].path.sameElements(UISwitch::trackPath()));
    EXPECT_EQ(fills[0].state.fillColor, pf::Color::white());
    EXPECT_EQ(strokes[0].state.strokeColor, pf::Color(0.875, 0.875, 0.875, 1));
    EXPECT_EQ(strokes[0].line.width, 1.5);
    // Off: the knob at the left, outlined in grey half a point wide. Drawn in the switch's own box.
    EXPECT_EQ(fills[1].path.bounds(), pf::Rect(1.5, 1.5, 29, 29));
    EXPECT_EQ(pageBounds(fills[1]), pf::Rect(11.5, 11.5, 29, 29));
    EXPECT_EQ(strokes[1].line.width, 0.5);

    sw->setHighlighted(true);
    calls = controlCalls(*sw);
    fills = only(calls, "fill");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].state.fillColor, QVHexColor(0x4CD355));
    EXPECT_EQ(fills[1].path.bounds(), pf::Rect(22.5, 2, 28, 28));
    EXPECT_EQ(fills[1].state.fillColor, pf::Color::white());
    EXPECT_EQ(only(calls, "stroke").size(), 1u) << "no outline on the knob when on";
}

TEST_F(PhoneControlTest, SwitchKnobShadowKeepsItsSizeOnScreen)
{
    auto sw = make<UISwitch>(pf::Rect(0, 0, 51, 31));
    for (double zoom : {1.0, 2.0, 0.5}) {
        page.zoom = zoom;
        const auto knob = only(controlCalls(*sw), "fill").at(1);
        ASSERT_TRUE(knob.state.shadow) << zoom;
        EXPECT_EQ(knob.state.shadow->offset, pf::Size(0, -2 * zoom));
        EXPECT_EQ(knob.state.shadow->blur, 2 * zoom);
        EXPECT_EQ(knob.state.shadow->color, pf::Color(0, 0, 0, 0.25));
    }
    page.zoom = 1;
    EXPECT_FALSE(only(controlCalls(*sw), "fill").at(0).state.shadow) << "the track has no shadow";
}

TEST_F(PhoneControlTest, SpinnerDrawsSixteenFadingSpokesTurningClockwise)
{
    auto spinner = make<UIActivityIndicator>(pf::Rect(0, 0, 37, 37));
    EXPECT_TRUE(spinner->constrainAspectRatio());
    const auto fills = only(controlCalls(*spinner), "fill");
    ASSERT_EQ(fills.size(), 16u);
    const double sw = 37 * 0.06, sl = 37 * 0.3;
    EXPECT_NEAR(sw, 2.22, 1e-12);
    EXPECT_NEAR(sl, 11.1, 1e-12);
    const pf::Rect spoke(18.5 - sw / 2, 0, sw, sl);
    EXPECT_TRUE(fills[0].path.sameElements(pf::Path::roundedRect(spoke, sw / 2, std::max(sw / 2, sl * 0.1))));
    const std::vector<double> alphas = {1, 0.9375, 0.875, 0.8125, 0.75, 0.6875, 0.625, 0.5625, 0.5, 0.4375,
                                        0.375, 0.3125, 0.25, 0.2, 0.2, 0.2};
    const pf::Point centre(18.5, 18.5);
    for (int i = 0; i < 16; ++i) {
        EXPECT_DOUBLE_EQ(fills[i].state.fillColor.alpha, alphas[i]) << i;
        EXPECT_EQ(fills[i].state.fillColor.withAlpha(1), pf::Color(0.5, 0.5, 0.5, 1)) << i;
        // Spoke i is turned i × 22.5 degrees about the centre: its top middle goes round a circle.
        const pf::Point tip = fills[i].state.ctm.apply(pf::Point(18.5, 0));
        const double angle = i * std::numbers::pi / 8;
        EXPECT_NEAR(tip.x, centre.x + 18.5 * std::sin(angle), 1e-9) << i;
        EXPECT_NEAR(tip.y, centre.y - 18.5 * std::cos(angle), 1e-9) << i;
    }

    // A flipped frame draws as its normalised one.
    auto flipped = Shape::make<UIActivityIndicator>(pf::Rect(37, 37, -37, -37));
    const auto flippedFills = only(controlCalls(*flipped), "fill");
    ASSERT_EQ(flippedFills.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(flippedFills[i].path.sameElements(fills[i].path)) << i;
    expectRoundTrip(*spinner);
}

} // namespace
