// Status bar and home indicator: heights by sensor-array type, the boxes of the drawing, the corners and
// sensor array cut in black, the clock's style, placement on a page and the stored form.
#include "PhoneControlTestSupport.h"

#include <limits>

namespace {

TEST_F(PhoneControlTest, StatusBarHeightFollowsTheSensorArrayType)
{
    auto bar = make<UIStatusBar>(pf::Rect(0, 0, 375, 50));
    EXPECT_EQ(bar->frame(), pf::Rect(0, 0, 375, 20));
    bar->setSensorArrayType(1);
    EXPECT_EQ(bar->frame(), pf::Rect(0, 0, 375, 44));
    // Undone: first the frame the type gave, then the type, which brings back its height.
    page.undo.undo();
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Sensory Array Type"));
    page.undo.undo();
    EXPECT_EQ(bar->sensorArrayType(), 0);
    EXPECT_EQ(bar->frame().height(), 20);
    bar->setSensorArrayType(1);
    bar->setFrame(pf::Rect(0, 0, 375, 90));
    EXPECT_EQ(bar->frame().height(), 44) << "fixed to the type's height";
    bar->setSensorArrayType(2);
    EXPECT_EQ(bar->frame().height(), 44) << "another type keeps the height it has";
    bar->setSensorArrayType(0);
    EXPECT_EQ(bar->frame().height(), 20);

    page.undo.removeAllActions();
    bar->setSensorArrayType(0);
    EXPECT_FALSE(page.undo.canUndo()) << "the same type again is no change";
}

TEST_F(PhoneControlTest, StatusBarBoxesByType)
{
    auto bar = make<UIStatusBar>(pf::Rect(10.4, 0, 375, 20));
    const pf::Rect f(10.4, 0, 375, 20);
    EXPECT_EQ(bar->signalRectForFrame(f), pf::Rect(14, 0, 20, 20));
    EXPECT_EQ(bar->wifiRectForFrame(f), pf::Rect(38, 0, 20, 20));
    EXPECT_EQ(bar->batteryRectForFrame(f), pf::Rect(348, 0, 33, 20));
    bar->setSensorArrayType(1);
    const pf::Rect g(10.4, 0, 375, 44);
    EXPECT_EQ(bar->signalRectForFrame(g), pf::Rect(10.4 + 375 - 84, 12, 20, 20));
    EXPECT_EQ(bar->wifiRectForFrame(g), pf::Rect(10.4 + 375 - 62, 12, 20, 20));
    EXPECT_EQ(bar->batteryRectForFrame(g), pf::Rect(10.4 + 375 - 44, 12, 33, 20));
    // The clock moves left of the sensor array.
    EXPECT_EQ(bar->textRect().x(), bar->frame().x() + 18);
    EXPECT_EQ(bar->textRect().width(), 60);
}

TEST_F(PhoneControlTest, SensorArrayAndCornersAreCutInBlack)
{
    auto bar = make<UIStatusBar>(pf::Rect(0, 0, 375, 20));
    bar->setTintColor(pf::Color(0, 0, 1, 1));
    EXPECT_TRUE(only(controlCalls(*bar), "fill").size() == 4 + 1 + 2) << "bars, wifi dot, battery";
    bar->setSensorArrayType(1);
    const auto calls = controlCalls(*bar);
    std::vector<pf::Rect> black;
    for (const auto& call : only(calls, "fill"))
        if (call.state.fillColor == pf::Color::black())
            black.push_back(pageBounds(call));
    ASSERT_EQ(black.size(), 4u);
    EXPECT_EQ(black[0], pf::Rect(0, 0, 44, 44));
    EXPECT_EQ(black[1], pf::Rect(331, 0, 44, 44));
    // The array spans x 77 to 298, centred on the bar, 30 high.
    EXPECT_EQ(black[2], pf::Rect(77, 0, 110.5, 30));
    EXPECT_EQ(black[3], pf::Rect(187.5, 0, 110.5, 30));
    // The signal bars stand in their box in the tint.
    const auto first = only(calls, "fill").front();
    EXPECT_EQ(pageBounds(first), pf::Rect(375 - 84 + 3, 12 + 12, 2, 3));
    EXPECT_EQ(first.state.fillColor, pf::Color(0, 0, 1, 1));
    // The wifi fan is cut by the even-odd knock-out.
    const auto clips = only(calls, "clip");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].rule, pf::WindingRule::EvenOdd);
}

TEST_F(PhoneControlTest, ClockIsBoldInTheTint)
{
    auto bar = make<UIStatusBar>(pf::Rect(0, 0, 320, 20));
    ASSERT_TRUE(bar->attributedText());
    EXPECT_EQ(bar->attributedText()->string(), QStringLiteral("9:42"));
    pf::TextAttributes a = bar->attributedText()->attributesAtIndex(0);
    ASSERT_TRUE(a.font);
    EXPECT_TRUE(a.font->isBold());
    EXPECT_EQ(a.foregroundColor, pf::Color::black());
    EXPECT_EQ(bar->tintColor(), pf::Color::black());

    bar->setTintColor(pf::Color(1, 0, 0, 1));
    a = bar->attributedText()->attributesAtIndex(0);
    EXPECT_EQ(a.foregroundColor, pf::Color(1, 0, 0, 1));
    EXPECT_TRUE(a.font->isBold());
    page.undo.undo();
    page.undo.undo();
    page.undo.undo();
    EXPECT_EQ(bar->tintColor(), pf::Color::black());
    EXPECT_EQ(bar->attributedText()->attributesAtIndex(0).foregroundColor, pf::Color::black());

    // What the editor gives typed text, and what restyling applies: bold in the tint.
    const pf::TextAttributes typed = bar->textAttributes();
    ASSERT_TRUE(typed.font);
    EXPECT_TRUE(typed.font->isBold());
    EXPECT_EQ(typed.foregroundColor, pf::Color::black());

    // A font the user chose stays, bold, through a tint change and a restyle.
    bar->setTextFont(pf::Font(QStringLiteral("Times"), 14));
    bar->setTintColor(pf::Color(0, 0.5, 0, 1));
    bar->setTextAlign(0);
    a = bar->attributedText()->attributesAtIndex(0);
    ASSERT_TRUE(a.font);
    EXPECT_EQ(a.font->familyName(), QStringLiteral("Times"));
    EXPECT_EQ(a.font->pointSize(), 14);
    EXPECT_TRUE(a.font->isBold());
    EXPECT_EQ(a.foregroundColor, pf::Color(0, 0.5, 0, 1));
    EXPECT_EQ(a.paragraphStyleOrDefault().alignment, pf::TextAlignment::Left);
}

TEST_F(PhoneControlTest, StoredSensorArrayTypeOutOfRangeReadsAsPlain)
{
    auto bar = make<UIStatusBar>(pf::Rect(0, 0, 320, 20));
    bar->setSensorArrayType(1);
    auto read = std::static_pointer_cast<UIStatusBar>(expectRoundTrip(*bar));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->frame().height(), 44);

    pf::Value plist = bar->asPlist();
    for (const pf::Value& stored : {pf::Value(), pf::Value(7), pf::Value(-1), pf::Value(std::numeric_limits<double>::infinity())}) {
        if (stored.isNull())
            plist.remove("sensorArrayType");
        else
            plist.set(QStringLiteral("sensorArrayType"), stored);
        read = std::dynamic_pointer_cast<UIStatusBar>(Shape::fromPlist(plist));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->sensorArrayType(), 0);
        EXPECT_EQ(read->frame().height(), 20);
    }
}

TEST_F(PhoneControlTest, HomeIndicatorDocksToTheBottomWithItsPillCentred)
{
    const pf::Value placed = UIHomeIndicator::staticClass().plistByEnsuringFrameToPlistInRect(
        UIHomeIndicator::staticClass().plist(), pf::Rect(0, 0, 375, 812));
    EXPECT_EQ(pf::rectFromString(placed.stringForKey("frame")), pf::Rect(0, 768, 375, 44));
    const pf::Value bar = UIStatusBar::staticClass().plistByEnsuringFrameToPlistInRect(
        UIStatusBar::staticClass().plist(), pf::Rect(0, 0, 375, 812));
    EXPECT_EQ(pf::rectFromString(bar.stringForKey("frame")), pf::Rect(0, 0, 375, 20));

    auto home = make<UIHomeIndicator>(pf::Rect(0, 768, 375, 44));
    EXPECT_FALSE(home->isVerticallyFlexible());
    const auto fills = only(controlCalls(*home), "fill");
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(pageBounds(fills[0]), pf::Rect(0, 768, 44, 44));
    EXPECT_EQ(pageBounds(fills[1]), pf::Rect(331, 768, 44, 44));
    // A 134 × 5 pill, its top 14.5 above the bottom.
    EXPECT_EQ(pageBounds(fills[2]), pf::Rect(120.5, 797.5, 67, 5));
    EXPECT_EQ(pageBounds(fills[3]), pf::Rect(187.5, 797.5, 67, 5));
    EXPECT_EQ(fills[2].state.fillColor, pf::Color::black());

    auto other = make<UIHomeIndicator>(pf::Rect(0, 768, 375, 44));
    EXPECT_TRUE(other->isEqual(*home));
    EXPECT_FALSE(home->isEqualToShape(*make<UIStatusBar>(home->frame())));
    expectRoundTrip(*home);
    EXPECT_TRUE(UIHomeIndicator::staticClass().iconImage().isValid());
    EXPECT_TRUE(UIHomeIndicator::staticClass().iconImageName().isEmpty());
}

} // namespace
