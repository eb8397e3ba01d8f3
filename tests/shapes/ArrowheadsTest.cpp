// The arrowheads: the size table, every outline at two stroke widths, the clips, and how heads are
// painted (stroke, fill, the claw circle, the menu variants).
#include "ConnectorTestSupport.h"

#include "platform/graphics/RecordingContext.h"

#include <initializer_list>

namespace {

std::string number(double v)
{
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? std::string("0") : s;
}

// Element texts with each oval (move, four curves, close) written as "O x y w h" of its bounds.
std::vector<std::string> headTexts(const pf::Path& path)
{
    std::vector<std::string> texts;
    const auto elements = path.elements();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const bool oval = elements[i].type == pf::PathElementType::MoveTo && i + 5 < elements.size()
                          && elements[i + 1].type == pf::PathElementType::CurveTo
                          && elements[i + 4].type == pf::PathElementType::CurveTo
                          && elements[i + 5].type == pf::PathElementType::Close;
        if (oval) {
            pf::Path piece;
            for (std::size_t k = i; k <= i + 5; ++k)
                piece.appendElement(elements[k]);
            const pf::Rect b = piece.bounds();
            texts.push_back("O " + number(b.x()) + " " + number(b.y()) + " " + number(b.width()) + " " + number(b.height()));
            i += 5;
            continue;
        }
        texts.push_back(elementText(elements[i]));
    }
    return texts;
}

struct HeadCase {
    std::uint64_t type;
    double strokeWidth;
    double lineWidth;
    std::vector<std::string> elements;
};

// Written out from the outline rules, one row per head with an outline, at widths 1 and 4.
const HeadCase headCases[] = {
    {1, 1, 1, {"M -11 0", "L -11 -4", "L -1 0", "L -11 4", "Z"}},
    {1, 4, 2, {"M -12 0", "L -12 -5", "L -1 0", "L -12 5", "Z"}},
    {2, 1, 1, {"M -11 -4", "L -1 0", "L -11 4"}},
    {2, 4, 4, {"M -14 -7", "L -2 0", "L -14 7"}},
    {3, 1, 1, {"M -11 0", "L -11 -4", "L -1 0", "L -11 4", "Z"}},
    {3, 4, 2, {"M -12 0", "L -12 -5", "L -1 0", "L -12 5", "Z"}},
    {4, 1, 1, {"M -11 0", "L -11 -7", "L -1 0", "L -11 7", "Z"}},
    {4, 4, 2, {"M -12 0", "L -12 -8", "L -1 0", "L -12 8", "Z"}},
    {5, 1, 1, {"M -11 -7", "L -1 0", "L -11 7"}},
    {5, 4, 4, {"M -14 -10", "L -2 0", "L -14 10"}},
    {6, 1, 1, {"M -11 0", "L -11 -7", "L -1 0", "L -11 7", "Z"}},
    {6, 4, 2, {"M -12 0", "L -12 -8", "L -1 0", "L -12 8", "Z"}},
    {7, 1, 1, {"M -11 0", "L -11 -4", "L -1 0", "L -11 4", "L -11 0", "L -20 0", "L -20 -4", "L -9 0", "L -20 4", "L -20 0", "Z"}},
    {7, 4, 2, {"M -12 0", "L -12 -5", "L -1 0", "L -12 5", "L -12 0", "L -22 0", "L -22 -5", "L -10 0", "L -22 5", "L -22 0", "Z"}},
    {10, 1, 1, {"M -11 0", "L -11 -7", "L -1 0", "L -11 7", "L -11 0", "L -20 0", "L -20 -7", "L -9 0", "L -20 7", "L -20 0", "Z"}},
    {10, 4, 2, {"M -12 0", "L -12 -8", "L -1 0", "L -12 8", "L -12 0", "L -22 0", "L -22 -8", "L -10 0", "L -22 8", "L -22 0", "Z"}},
    {13, 1, 1, {"M -7 0", "L -7 -4", "L -1 0", "L -7 4", "Z"}},
    {13, 4, 2, {"M -8 0", "L -8 -5", "L -1 0", "L -8 5", "Z"}},
    {16, 1, 1, {"M -7 0", "L -7 -7", "L -1 0", "L -7 7", "Z"}},
    {16, 4, 1, {"M -8 0", "L -8 -8", "L -1 0", "L -8 8", "Z"}},
    {19, 1, 1, {"M -7 0", "L -7 -4", "L -1 0", "L -7 4", "L -7 0", "L -13 0", "L -13 -4", "L -6 0", "L -13 4", "L -13 0", "Z"}},
    {19, 4, 2, {"M -8 0", "L -8 -5", "L -1 0", "L -8 5", "L -8 0", "L -14 0", "L -14 -5", "L -6 0", "L -14 5", "L -14 0", "Z"}},
    {22, 1, 1, {"M -7 0", "L -7 -7", "L -1 0", "L -7 7", "L -7 0", "L -13 0", "L -13 -7", "L -6 0", "L -13 7", "L -13 0", "Z"}},
    {22, 4, 1, {"M -7 0", "L -7 -7", "L -1 0", "L -7 7", "L -7 0", "L -13 0", "L -13 -7", "L -6 0", "L -13 7", "L -13 0", "Z"}},
    {25, 1, 1, {"M -8 -4", "L -1 0", "L -8 4", "L -16 0", "Z"}},
    {25, 4, 4, {"M -10 -7", "L -2 0", "L -10 7", "L -19 0", "Z"}},
    {26, 1, 1, {"M -8 -4", "L -1 0", "L -8 4", "L -16 0", "Z"}},
    {26, 4, 4, {"M -10 -7", "L -2 0", "L -10 7", "L -19 0", "Z"}},
    {27, 1, 1, {"O -9 -5 9 10"}},
    {27, 4, 4, {"O -12 -8 12 16"}},
    {28, 1, 1, {"O -9 -5 9 10"}},
    {28, 4, 4, {"O -12 -8 12 16"}},
    {29, 1, 1, {"M -9 -5", "L 0 -5", "L 0 5", "L -9 5", "Z"}},
    {29, 4, 4, {"M -12 -8", "L 0 -8", "L 0 8", "L -12 8", "Z"}},
    {30, 1, 1, {"M -9 -5", "L 0 -5", "L 0 5", "L -9 5", "Z"}},
    {30, 4, 4, {"M -12 -8", "L 0 -8", "L 0 8", "L -12 8", "Z"}},
    {31, 1, 1, {"M -5 -5", "L 5 5", "M -5 5", "L 5 -5"}},
    {31, 4, 4, {"M -8 -8", "L 8 8", "M -8 8", "L 8 -8"}},
    {32, 1, 1, {"M 0 -5", "L 0 5"}},
    {32, 4, 4, {"M 0 -8", "L 0 8"}},
    {33, 1, 1, {"M 0 -5", "L 0 5", "M -3 -5", "L -3 5"}},
    {33, 4, 4, {"M 0 -8", "L 0 8", "M -7 -8", "L -7 8"}},
    {34, 1, 1, {"M 0 -5", "L 0 5", "M -3 -5", "L -3 5", "M -6 -5", "L -6 5"}},
    {34, 4, 4, {"M 0 -8", "L 0 8", "M -7 -8", "L -7 8", "M -14 -8", "L -14 8"}},
    {35, 1, 1, {"M -11 0", "L -11 4", "L -1 0", "Z"}},
    {35, 4, 4, {"M -14 0", "L -14 7", "L -2 0", "Z"}},
    {36, 1, 1, {"M -11 0", "L -11 -4", "L -1 0", "Z"}},
    {36, 4, 4, {"M -14 0", "L -14 -7", "L -2 0", "Z"}},
    {37, 1, 1, {"M -11 4", "L -1 0"}},
    {37, 4, 4, {"M -14 7", "L -2 0"}},
    {38, 1, 1, {"M -11 -4", "L -1 0"}},
    {38, 4, 4, {"M -14 -7", "L -2 0"}},
    {39, 1, 1, {"M -11 0", "L -11 7", "L -1 0", "Z"}},
    {39, 4, 4, {"M -14 0", "L -14 10", "L -2 0", "Z"}},
    {40, 1, 1, {"M -11 0", "L -11 -7", "L -1 0", "Z"}},
    {40, 4, 4, {"M -14 0", "L -14 -10", "L -2 0", "Z"}},
    {41, 1, 1, {"M -11 7", "L -1 0"}},
    {41, 4, 4, {"M -14 10", "L -2 0"}},
    {42, 1, 1, {"M -11 -7", "L -1 0"}},
    {42, 4, 4, {"M -14 -10", "L -2 0"}},
    {43, 1, 1, {"M -10 -7", "L -10 7", "M -7 -5", "L -7 5", "M -4 -3", "L -4 3", "M -1 -1", "L -1 1"}},
    {43, 4, 4, {"M -13 -10", "L -13 10", "M -10 -8", "L -10 8", "M -7 -6", "L -7 6", "M -4 -4", "L -4 4"}},
    {44, 1, 1, {"O -3 -1.5 3 3"}},
    {44, 4, 4, {"O -6 -4.5 6 9"}},
    {45, 1, 1, {"M -5 -5", "L -5 5"}},
    {45, 4, 4, {"M -8 -8", "L -8 8"}},
    {46, 1, 1, {"M -5 -5", "L -5 5", "M -8 -5", "L -8 5"}},
    {46, 4, 4, {"M -8 -8", "L -8 8", "M -15 -8", "L -15 8"}},
    {47, 1, 1, {"M -5 -5", "L -5 5", "M -8 -5", "L -8 5", "M -11 -5", "L -11 5"}},
    {47, 4, 4, {"M -8 -8", "L -8 8", "M -15 -8", "L -15 8", "M -22 -8", "L -22 8"}},
    {48, 1, 1, {"M -5 -5", "L -5 5", "O -16 -4 8 8"}},
    {48, 4, 4, {"M -8 -8", "L -8 8", "O -23 -7 11 14"}},
    {49, 1, 1, {"M -11 -5", "L -11 5", "O -8 -4 8 8"}},
    {49, 4, 4, {"M -14 -8", "L -14 8", "O -11 -7 11 14"}},
    {50, 1, 1, {"M -9 0", "L 0 5", "M -9 0", "L 0 -5", "O -17 -4 8 8"}},
    {50, 4, 4, {"M -12 0", "L 0 8", "M -12 0", "L 0 -8", "O -20 -7 11 14"}},
    {51, 1, 1, {"M -7 0", "L 0 5", "M -7 0", "L 0 -5", "M -10 -5", "L -10 5"}},
    {51, 4, 4, {"M -10 0", "L 0 8", "M -10 0", "L 0 -8", "M -10 -8", "L -10 8"}},
    {52, 1, 1, {"M -7 0", "L 0 5", "M -7 0", "L 0 -5"}},
    {52, 4, 4, {"M -10 0", "L 0 8", "M -10 0", "L 0 -8"}},
    {53, 1, 1, {"M 5 -5", "L -5 5"}},
    {53, 4, 4, {"M 8 -8", "L -8 8"}},
    {54, 1, 1, {"M 5 -5", "L -5 5", "M 0 -6", "L 0 6"}},
    {54, 4, 4, {"M 8 -8", "L -8 8", "M 0 -9", "L 0 9"}},
    {55, 1, 1, {"M -5 -5", "L 5 5"}},
    {55, 4, 4, {"M -8 -8", "L 8 8"}},
    {56, 1, 1, {"M -5 -5", "L 5 5", "M 0 -6", "L 0 6"}},
    {56, 4, 4, {"M -8 -8", "L 8 8", "M 0 -9", "L 0 9"}},
    {57, 1, 1, {"M -5 0", "L -5 -3", "L -1 0", "L -5 3", "Z"}},
    {57, 4, 2, {"M -6 0", "L -6 -4", "L -1 0", "L -6 4", "Z"}},
};

} // namespace

TEST_F(ConnectorTest, HeadSizesFollowTheTable)
{
    const std::pair<std::uint64_t, pf::Size> sizes[] = {{0, {0, 6}},   {1, {10, 3}},  {10, {15, 6}}, {44, {2, 0.5}},
                                                        {50, {16, 4}}, {57, {4, 2}},  {58, {0, 0}},  {1000, {0, 0}}};
    for (const auto& [type, size] : sizes)
        EXPECT_EQ(AbstractPointer::arrowHeadSizeForType(type), size) << type;
}

TEST_F(ConnectorTest, EveryHeadOutlineAtWidthsOneAndFour)
{
    for (const HeadCase& c : headCases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " at width " + number(c.strokeWidth));
        auto line = connector(pf::Rect(0, 0, 100, 0), c.strokeWidth);
        const std::optional<pf::Path> head = line->arrowPathForArrowType(c.type);
        ASSERT_TRUE(head);
        EXPECT_EQ(headTexts(*head), c.elements);
        EXPECT_DOUBLE_EQ(head->lineWidth(), c.lineWidth);
    }
    // Types with a size and a clip but no outline, and types beyond the table, draw nothing.
    auto line = connector(pf::Rect(0, 0, 100, 0));
    for (const std::uint64_t type : {0, 8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 23, 24, 58})
        EXPECT_FALSE(line->arrowPathForArrowType(type)) << type;
}

TEST_F(ConnectorTest, MenuVariantsDrawTheCrossAndSlashesBehindTheTip)
{
    auto line = connector(pf::Rect(0, 0, 100, 0));
    line->setDrawingMenuItem(true);
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(31)), (std::vector<std::string>{"M -8 -5", "L 0 5", "M -8 5", "L 0 -5"}));
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(53)), (std::vector<std::string>{"M -11 -5", "L -1 5"}));
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(54)),
              (std::vector<std::string>{"M -11 -5", "L -1 5", "M -6 -6", "L -6 6"}));
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(55)), (std::vector<std::string>{"M -1 -5", "L -11 5"}));
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(56)),
              (std::vector<std::string>{"M -1 -5", "L -11 5", "M -6 -6", "L -6 6"}));
}

TEST_F(ConnectorTest, ClawsMoveHalfAPointOffTheAxisForEvenStrokesWhenZoomedIn)
{
    auto line = connector(pf::Rect(0, 0, 100, 0), 2);
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(52))[0], "M -8 0");
    page.zoom = 2;
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(52)),
              (std::vector<std::string>{"M -8 0.5", "L 0 6.5", "M -8 0.5", "L 0 -6.5"}));
    line->setStrokeLineWidth(3);
    EXPECT_EQ(headTexts(*line->arrowPathForArrowType(52))[0], "M -9 0");
}

TEST_F(ConnectorTest, ClipsOfEachKind)
{
    auto line = connector(pf::Rect(0, 0, 100, 0), 4);
    // The solid clip of type 4 covers x -12..10, y -8..8.
    EXPECT_EQ(elementTexts(*line->clipPathForArrowType(4)),
              (std::vector<std::string>{"M -12 0", "L -12 -8", "L 10 -8", "L 10 8", "L -12 8", "Z"}));
    // The line clip cuts the stroke's end at the tip.
    EXPECT_EQ(line->clipPathForArrowType(2)->bounds(), pf::Rect(-2, -7, 5, 14));
    // The circle heads clip their circle only.
    EXPECT_EQ(line->clipPathForArrowType(49)->bounds(), pf::Rect(-11, -7, 11, 14));
    EXPECT_EQ(line->clipPathForArrowType(48)->bounds(), pf::Rect(-23, -7, 11, 14));
    EXPECT_EQ(line->clipPathForArrowType(50)->bounds(), pf::Rect(-20, -7, 11, 14));
    for (const std::uint64_t type : {0, 31, 32, 33, 34, 45, 46, 47, 51, 52, 53, 54, 55, 56})
        EXPECT_FALSE(line->clipPathForArrowType(type)) << type;
    // Beyond the table: the solid clip of a zero-size head.
    EXPECT_EQ(line->clipPathForArrowType(80)->bounds(), pf::Rect(-2, -2, 2, 4));
}

TEST_F(ConnectorTest, HeadsAreStrokedFilledOrBothInTheCurrentColour)
{
    auto line = connector(pf::Rect(0, 0, 100, 0));
    line->setStrokeLineJoin(1);
    const auto operations = [&](std::uint64_t type) {
        pf::RecordingContext context;
        line->drawFillStrokeArrowForArrowType(context, type);
        std::vector<std::string> ops;
        for (const pf::RecordedCall& call : context.calls())
            ops.push_back(call.operation);
        return std::pair{ops, context.calls()};
    };
    EXPECT_EQ(operations(25).first, (std::vector<std::string>{"stroke", "fill"}));
    EXPECT_EQ(operations(26).first, (std::vector<std::string>{"stroke"}));
    EXPECT_EQ(operations(26).second[0].line.join, pf::LineJoin::Round);
    EXPECT_TRUE(operations(8).first.empty());
    // The claw circle: the claws outside the circle, then the circle on its own.
    const auto [ops, calls] = operations(50);
    EXPECT_EQ(ops, (std::vector<std::string>{"clip", "stroke", "stroke"}));
    EXPECT_EQ(calls[0].rule, pf::WindingRule::EvenOdd);
    EXPECT_EQ(calls[2].path.bounds(), pf::Rect(-17, -4, 8, 8));
    EXPECT_EQ(calls[2].line.join, pf::LineJoin::Miter);
}

TEST_F(ConnectorTest, KeptHeadsAreTheOutlinesOfWhatEachEndIsDrawnWith)
{
    // Ends drawn one after another with every input of a head changing in turn, more of them than are
    // kept, and back: each drawn outline is the one its own end builds now.
    auto line = connector(pf::Rect(0, 0, 100, 0));
    struct Step {
        std::uint64_t type;
        double width;
        bool menu;
        double zoom;
        int cap, join;
    };
    std::vector<Step> steps;
    for (const std::uint64_t type : {1, 4, 25, 31, 44, 49, 52, 53, 57})
        for (const double width : {1.0, 2.0, 4.0})
            steps.push_back({type, width, false, 1, 0, 0});
    steps.insert(steps.end(), {{52, 2, false, 2, 0, 0}, {52, 2, false, 1, 0, 0}, {31, 1, true, 1, 0, 0},
                               {31, 1, false, 1, 0, 0}, {25, 1, false, 1, 1, 2}, {25, 1, false, 1, 0, 0}});
    steps.insert(steps.end(), steps.begin(), steps.end());
    for (const Step& step : steps) {
        SCOPED_TRACE("type " + std::to_string(step.type) + " at width " + number(step.width) + ", zoom " +
                     number(step.zoom) + (step.menu ? ", in a menu" : ""));
        line->setStrokeLineWidth(step.width);
        line->setDrawingMenuItem(step.menu);
        page.zoom = step.zoom;
        line->setStrokeLineCap(step.cap);
        line->setStrokeLineJoin(step.join);
        pf::RecordingContext context;
        line->drawFillStrokeArrowForArrowType(context, step.type);
        const std::optional<pf::Path> built = line->arrowPathForArrowType(step.type);
        ASSERT_TRUE(built);
        ASSERT_FALSE(context.calls().empty());
        const pf::RecordedCall& first = context.calls()[0];
        EXPECT_EQ(headTexts(first.path), headTexts(*built));
        if (first.operation == "stroke") {
            EXPECT_EQ(first.line.width, built->lineWidth());
            EXPECT_EQ(int(first.line.cap), step.cap);
            EXPECT_EQ(int(first.line.join), step.join);
        }
    }
}
