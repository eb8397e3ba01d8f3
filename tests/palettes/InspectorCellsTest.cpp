// The drawn cells of the inspector's controls, as recorded calls for their geometry and one reference
// picture of them all: the anchor arrows, plus and minus, icon positions, caps, joins, the slider's ticks
// and the field that is blank while disabled.
#include "palettes/InspectorCells.h"

#include "support/ReferencePicture.h"
#include "geometry/QVRect.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "shell/AnchorButtonCell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace {

using pf::Point;
using pf::Rect;

std::vector<pf::RecordedCall> callsOf(const pf::RecordingContext& context, const char* operation)
{
    std::vector<pf::RecordedCall> out;
    for (const pf::RecordedCall& call : context.calls())
        if (call.operation == operation)
            out.push_back(call);
    return out;
}

// Where the arrow of a recorded fill points: its tip (the triangle's second point) through the call's
// transform, as a step of -1, 0 or 1 in x and y from the frame's centre.
std::pair<int, int> arrowStep(const pf::RecordedCall& call, Point centre)
{
    const Point tip = call.state.ctm.apply(call.path.element(1).points[0]);
    const auto step = [](double d) { return std::abs(d) < 1e-6 * 24 ? 0 : (d > 0 ? 1 : -1); };
    return {step(tip.x - centre.x), step(tip.y - centre.y)};
}

bool sameRect(const Rect& a, const Rect& b)
{
    const double tolerance = 1e-9 * std::max(1.0, std::abs(a.maxX()) + std::abs(a.maxY()));
    return std::abs(a.x() - b.x()) < tolerance && std::abs(a.y() - b.y()) < tolerance
        && std::abs(a.width() - b.width()) < tolerance && std::abs(a.height() - b.height()) < tolerance;
}

} // namespace

TEST(AnchorButtonCell, ArrowsPointAwayFromTheChosenCornerToItsNeighboursOnly)
{
    const Rect frame(0, 0, 24, 24);
    const Point centre = QVRectGetMidMidPoint(frame);
    struct Case {
        std::int64_t anchor;
        std::map<std::int64_t, std::pair<int, int>> arrows;  // button → step of its arrow
    };
    const Case cases[] = {
        // MidMid: the eight outer buttons point outward; the centre is blank.
        {4, {{0, {-1, -1}}, {1, {0, -1}}, {2, {1, -1}}, {3, {-1, 0}}, {5, {1, 0}}, {6, {-1, 1}}, {7, {0, 1}}, {8, {1, 1}}}},
        // BotRit: MidRit to TopMid, BotMid to MidLef, MidMid to TopLef.
        {8, {{5, {0, -1}}, {7, {-1, 0}}, {4, {-1, -1}}}},
        // TopLef: TopMid to MidRit, MidLef to BotMid, MidMid to BotRit.
        {0, {{1, {1, 0}}, {3, {0, 1}}, {4, {1, 1}}}},
        // Outside the grid: nothing anywhere.
        {12, {}},
        {-1, {}},
    };
    for (const Case& c : cases)
        for (std::int64_t button = 0; button <= 8; ++button) {
            pf::RecordingContext context;
            AnchorButtonCell::drawInterior(context, frame, c.anchor, button, true);
            const auto fills = callsOf(context, "fill");
            const auto expected = c.arrows.find(button);
            if (expected == c.arrows.end()) {
                EXPECT_TRUE(fills.empty()) << c.anchor << " " << button;
                continue;
            }
            ASSERT_EQ(fills.size(), 1u) << c.anchor << " " << button;
            EXPECT_EQ(arrowStep(fills[0], centre), expected->second) << c.anchor << " " << button;
            EXPECT_EQ(fills[0].state.fillColor, AnchorButtonCell::arrowColor());
            // The triangle before its turn: R is the frame inset by 6 and 8.
            EXPECT_TRUE(sameRect(fills[0].path.bounds(), Rect(6, 8, 12, 8)));
        }
}

TEST(AnchorButtonCell, ADisabledButtonShowsTheDotWhateverTheCorner)
{
    for (const std::int64_t anchor : {0, 4, 8, 12}) {
        pf::RecordingContext context;
        AnchorButtonCell::drawInterior(context, Rect(10, 20, 24, 24), anchor, 4, false);
        const auto fills = callsOf(context, "fill");
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_TRUE(sameRect(fills[0].path.bounds(), Rect(18.5, 28.5, 7, 7)));
        EXPECT_EQ(fills[0].state.fillColor, AnchorButtonCell::dotColor());
    }
}

TEST(AddRemoveButtonCell, PlusForTagZeroMinusForAnyOther)
{
    const Rect frame(0, 0, 23, 21);
    for (const std::int64_t tag : {0, 1, 5}) {
        pf::RecordingContext context;
        AddRemoveButtonCell::drawInterior(context, frame, tag);
        const auto fills = callsOf(context, "fill");
        ASSERT_EQ(fills.size(), tag == 0 ? 2u : 1u) << tag;
        // Centre (11.5, 10.5): the bars rounded to whole points.
        EXPECT_TRUE(sameRect(fills[0].path.bounds(), QVRectRound(Rect(7.5, 9.5, 8, 2))));
        if (tag == 0) {
            EXPECT_TRUE(sameRect(fills[1].path.bounds(), QVRectRound(Rect(10.5, 6.5, 2, 8))));
        }
        EXPECT_EQ(fills[0].state.fillColor, AddRemoveButtonCell::glyphColor());
    }
}

TEST(ButtonPositionSegmentedCell, LineAndBoxOfEachSegment)
{
    const Rect frame(0, 0, 40, 24);
    const Rect icon = ButtonPositionSegmentedCell::iconRect(frame);
    // 21 × 13 around (20, 12), rounded, one point down.
    EXPECT_TRUE(sameRect(icon, QVRectRound(QVRectAroundPoint({20, 12}, 21, 13)).offsetBy(0, 1)));
    struct Case {
        std::int64_t segment;
        Rect line, box;
    };
    const double mx = icon.midX(), my = icon.midY();
    const Case cases[] = {
        {0, Rect(std::floor(mx - 6), my - 0.5, 12, 1), Rect(mx - 3.5, my - 3, 7, 6)},
        {1, Rect(std::floor(mx), my - 0.5, 10, 1), Rect(icon.minX(), my - 3, 7, 6)},
        {2, Rect(std::floor(icon.minX()), my - 0.5, 10, 1), Rect(icon.maxX() - 7, my - 3, 7, 6)},
        {3, Rect(std::floor(mx - 5), icon.maxY() - 3, 10, 1), Rect(mx - 3.5, icon.minY() + 2, 7, 6)},
        {4, Rect(std::floor(mx - 5), icon.minY() + 1, 10, 1), Rect(mx - 3.5, icon.maxY() - 8, 7, 6)},
        {9, Rect(0, 0, 10, 1), Rect(0, 0, 7, 6)},
    };
    for (const Case& c : cases) {
        pf::RecordingContext context;
        ButtonPositionSegmentedCell::drawSegment(context, c.segment, frame);
        const auto fills = callsOf(context, "fill");
        const auto strokes = callsOf(context, "stroke");
        ASSERT_EQ(fills.size(), 1u);
        ASSERT_EQ(strokes.size(), 1u);
        EXPECT_TRUE(sameRect(fills[0].path.bounds(), QVRectRoundPlusHalf(c.line))) << c.segment;
        EXPECT_TRUE(sameRect(strokes[0].path.bounds(), QVRectRound(c.box))) << c.segment;
        // Drawn half a point up and left.
        EXPECT_EQ(fills[0].state.ctm.apply(Point(0, 0)), Point(-0.5, -0.5));
    }
}

TEST(LineCapSegmentedCell, TheCapShowsPastTheGapWithItsEndMarker)
{
    const Rect frame(0, 0, 50, 24);
    for (const std::int64_t cap : {0, 1, 2}) {
        pf::RecordingContext context;
        LineCapSegmentedCell::drawSegment(context, cap, frame);
        const auto strokes = callsOf(context, "stroke");
        ASSERT_EQ(strokes.size(), 2u);
        const pf::RecordedCall& line = strokes[0];
        EXPECT_EQ(line.line.width, 12);
        EXPECT_EQ(line.line.cap, pf::LineCap(cap));
        EXPECT_EQ(line.path.element(0).points[0], Point(0, 12));
        EXPECT_EQ(line.path.element(1).points[0], Point(25, 12));
        // Clipped to the icon rect and to everything but the one-point strip before the end.
        const auto toIcon = callsOf(context, "clipToRect");
        ASSERT_EQ(toIcon.size(), 1u);
        EXPECT_TRUE(sameRect(toIcon[0].path.bounds(), Rect(3, 5, 44, 16)));
        const auto clips = callsOf(context, "clip");
        ASSERT_EQ(clips.size(), 1u);
        EXPECT_EQ(clips[0].rule, pf::WindingRule::EvenOdd);
        // The hole, after the rect around everything: x 24 to 25 over the frame's height.
        pf::Path hole;
        for (int i = 5; i < clips[0].path.elementCount(); ++i)
            hole.appendElement(clips[0].path.element(i));
        EXPECT_TRUE(sameRect(hole.bounds(), Rect(24, 0, 1, 24)));
        const pf::RecordedCall& marker = strokes[1];
        EXPECT_EQ(marker.line.cap, pf::LineCap::Butt);
        EXPECT_EQ(marker.line.width, 1);
        EXPECT_EQ(marker.state.strokeColor, LineCapSegmentedCell::endMarkerColor());
        EXPECT_EQ(marker.path.element(0).points[0], Point(24.5, 2));
        EXPECT_EQ(marker.path.element(1).points[0], Point(24.5, 23));
    }
}

TEST(LineJoinSegmentedCell, TheCornerOfEachJoinInsideTheIcon)
{
    const Rect frame(0, 0, 50, 24);
    for (const std::int64_t join : {0, 1, 2}) {
        pf::RecordingContext context;
        LineJoinSegmentedCell::drawSegment(context, join, frame);
        const auto strokes = callsOf(context, "stroke");
        ASSERT_EQ(strokes.size(), 1u);
        EXPECT_EQ(strokes[0].line.join, pf::LineJoin(join));
        EXPECT_EQ(strokes[0].line.width, join == 2 ? 28 : 22);
        const pf::Path& path = strokes[0].path;
        ASSERT_EQ(path.elementCount(), 3);
        EXPECT_EQ(path.element(0).points[0], Point(-25, 19));
        EXPECT_EQ(path.element(1).points[0], Point(20, 19));
        EXPECT_EQ(path.element(2).points[0], Point(20, 48));
        const auto toIcon = callsOf(context, "clipToRect");
        ASSERT_EQ(toIcon.size(), 1u);
        EXPECT_TRUE(sameRect(toIcon[0].path.bounds(), Rect(3, 5, 44, 16)));
        const auto notch = callsOf(context, "clip");
        ASSERT_EQ(notch.size(), 1u);
        EXPECT_EQ(notch[0].rule, pf::WindingRule::EvenOdd);
    }
}

TEST(PathCurveSliderCell, TicksByTheirNumber)
{
    const auto rectOf = [](int index) { return Rect(10 + 10 * index, 20, 1, 3); };
    pf::RecordingContext context;
    PathCurveSliderCell::drawTickMarks(context, 15, rectOf);
    const auto fills = callsOf(context, "fill");
    ASSERT_EQ(fills.size(), 15u);
    for (int number = 1; number <= 15; ++number) {
        const pf::RecordedCall& fill = fills[size_t(number - 1)];
        const Rect r = rectOf(number - 1);
        switch (number) {
        case 1:
        case 13:
            EXPECT_TRUE(sameRect(fill.path.bounds(), Rect(r.x(), 19, 1, 5))) << number;
            EXPECT_EQ(fill.state.fillColor, PathCurveSliderCell::gray());
            break;
        case 4:
        case 10:
            EXPECT_EQ(fill.path.elementCount(), 4) << number;  // a closed triangle
            EXPECT_TRUE(sameRect(fill.path.bounds(), Rect(r.x() - 2, 19, 5, 5))) << number;
            EXPECT_EQ(fill.path.element(2).points[0], Point(r.midX(), 24));
            EXPECT_EQ(fill.state.fillColor, PathCurveSliderCell::gray());
            break;
        case 7:
            EXPECT_TRUE(sameRect(fill.path.bounds(), Rect(r.x() - 4, 18, 9, 7))) << number;
            break;
        default:
            EXPECT_TRUE(sameRect(fill.path.bounds(), r.offsetBy(0, 1))) << number;
            EXPECT_EQ(fill.state.fillColor, PathCurveSliderCell::lightGray());
        }
    }
    // Fewer ticks keep the numbering; none draws nothing.
    pf::RecordingContext fewer;
    PathCurveSliderCell::drawTickMarks(fewer, 5, rectOf);
    const auto few = callsOf(fewer, "fill");
    ASSERT_EQ(few.size(), 5u);
    EXPECT_EQ(few[3].path.elementCount(), 4);
    EXPECT_EQ(few[4].state.fillColor, PathCurveSliderCell::lightGray());
    pf::RecordingContext none;
    PathCurveSliderCell::drawTickMarks(none, 0, rectOf);
    EXPECT_TRUE(none.calls().empty());
}

TEST(ZeroEmptyTextFieldCell, BlankWhileDisabled)
{
    EXPECT_FALSE(ZeroEmptyTextFieldCell::attributedStringValue(false, QStringLiteral("12 pt")));
    EXPECT_EQ(ZeroEmptyTextFieldCell::attributedStringValue(true, QStringLiteral("12 pt")), QStringLiteral("12 pt"));
}

TEST(InspectorCells, ReferencePicture)
{
    const double scale = 2;
    pf::BitmapContext sheet(pf::Size(330, 80), scale);
    sheet.setFillColor(pf::Color(0.93, 0.93, 0.93));
    sheet.fillRect(Rect(0, 0, 330, 80));
    for (std::int64_t button = 0; button <= 8; ++button)
        AnchorButtonCell::drawInterior(sheet, Rect(4 + 24 * (button % 3), 4 + 24 * (button / 3), 24, 24), 4, button,
                                       true);
    AddRemoveButtonCell::drawInterior(sheet, Rect(80, 4, 23, 21), 0);
    AddRemoveButtonCell::drawInterior(sheet, Rect(103, 4, 23, 21), 1);
    for (std::int64_t segment = 0; segment < 5; ++segment)
        ButtonPositionSegmentedCell::drawSegment(sheet, segment, Rect(130 + 40 * segment, 4, 40, 24));
    for (std::int64_t cap = 0; cap < 3; ++cap)
        LineCapSegmentedCell::drawSegment(sheet, cap, Rect(80 + 50 * cap, 30, 50, 24));
    for (std::int64_t join = 0; join < 3; ++join)
        LineJoinSegmentedCell::drawSegment(sheet, join, Rect(80 + 50 * join, 54, 50, 24));
    PathCurveSliderCell::drawTickMarks(sheet, 13, [](int i) { return Rect(240 + 6.5 * i, 50, 1, 3); });
    expectMatchesReferencePicture(sheet.bitmap(), QStringLiteral(QUORVEL_TEST_DATA "/palettes/inspector_cells.png"));
}
