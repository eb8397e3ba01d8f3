// The Boolean and path commands sent as the menus send them: which results they leave, whose style each
// takes, where they go in the page, what is refused (with a beep), and that each is one undo step.
#include "canvas/support/CanvasFixture.h"

#include "model/Group.h"
#include "platform/graphics/PainterContext.h"
#include "platform/kit/Services.h"
#include "shapes/Bezier.h"

#include <QImage>

#include <functional>

namespace {

const pf::Color red(0.8, 0.1, 0.1, 1), blue(0.1, 0.2, 0.8, 1);

void expectRectNear(const pf::Rect& actual, const pf::Rect& expected, const char* what)
{
    const double tolerance = 1e-6 * std::max(1.0, expected.width() + expected.height());
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
    EXPECT_NEAR(actual.width(), expected.width(), tolerance) << what;
    EXPECT_NEAR(actual.height(), expected.height(), tolerance) << what;
}

} // namespace

class CanvasPathCommandsTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
    }
    std::shared_ptr<Shape> inked(const char* kind, const pf::Rect& frame, const pf::Color& colour)
    {
        auto shape = addShape(kind, frame);
        shape->setFillType(0);
        shape->setFillColor(colour);
        return shape;
    }
    void select(const Canvas::Shapes& shapes)
    {
        canvas->selectNone();
        canvas->addShapesToSelection(shapes);
    }
    // The command as a menu sends it, at the end of its turn; answers the beeps.
    int perform(const char* action)
    {
        int beeps = 0;
        pf::ScopedBeepSink sink([&] { ++beeps; });
        canvas->tryToPerform(QString::fromLatin1(action), nullptr);
        endTurn();
        return beeps;
    }
    // One undo gives the page back as it was, one redo as the command left it.
    void expectOneUndoStep(const Canvas::Shapes& before, const Canvas::Shapes& after)
    {
        ASSERT_TRUE(undo.undo());
        endTurn();
        EXPECT_EQ(pageShapes(), before);
        ASSERT_TRUE(undo.redo());
        endTurn();
        EXPECT_EQ(pageShapes(), after);
    }
};

TEST_F(CanvasPathCommandsTest, BooleanResultsTakeTheirSourcesStyleAndAPlace)
{
    // Each result from the bottom up: the source whose style it wears and the bounds of its outline.
    struct Result {
        bool fromA;
        pf::Rect bounds;
    };
    struct Case {
        const char* name;
        const char* kindA;
        pf::Rect a;
        pf::Rect b;
        const char* action;
        std::vector<Result> results;
        // A point of the results' outlines, and one that must be outside them.
        std::optional<pf::Point> inside, outside;
    };
    const pf::Rect wide(100, 400, 100, 100), shifted(150, 450, 100, 100);
    const Case cases[] = {
        {"difference of disjoint shapes", "Rectangle", {100, 400, 80, 60}, {300, 400, 80, 60}, "difference:",
         {{true, {100, 400, 80, 60}}}, {}, {}},
        {"union of overlapping shapes", "Rectangle", wide, shifted, "union:", {{true, {100, 400, 150, 150}}},
         pf::Point(240, 540), pf::Point(110, 540)},
        {"intersection of overlapping shapes", "Rectangle", wide, shifted, "intersection:",
         {{true, {150, 450, 50, 50}}}, {}, {}},
        {"exclusion of overlapping shapes: A - B above B - A", "Rectangle", wide, shifted, "exclusion:",
         {{false, shifted}, {true, wide}}, {}, pf::Point(175, 475)},
        {"exclusion with A inside B: B - A alone, in B's style", "Rectangle", {150, 420, 40, 40},
         {100, 400, 150, 100}, "exclusion:", {{false, {100, 400, 150, 100}}}, pf::Point(110, 410),
         pf::Point(170, 440)},
        // The ellipse takes part as the round rectangle of its frame with ratio 0.5 (the same curve), and
        // the result keeps the ellipse's own style, not the stand-in's.
        {"difference of an ellipse", "Ellipse", {100, 400, 100, 60}, {300, 400, 80, 60}, "difference:",
         {{true, {100, 400, 100, 60}}}, pf::Point(150, 430), pf::Point(104, 404)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeCanvas();
        const Canvas::Shapes fixture = pageShapes();
        const auto a = inked(c.kindA, c.a, red);
        const auto b = inked("Rectangle", c.b, blue);
        const auto top = inked("Rectangle", pf::Rect(600, 500, 20, 20), red);
        // Selected top first: the page's order decides which is A.
        select({b, a});
        endTurn();
        ASSERT_EQ(perform(c.action), 0);

        Canvas::Shapes results;
        for (const auto& shape : pageShapes())
            if (std::find(fixture.begin(), fixture.end(), shape) == fixture.end() && shape != top)
                results.push_back(shape);
        ASSERT_EQ(results.size(), c.results.size());
        Canvas::Shapes expected = fixture;
        expected.insert(expected.end(), results.begin(), results.end());
        expected.push_back(top);
        EXPECT_EQ(pageShapes(), expected) << "the results go where A was";
        for (std::size_t i = 0; i < results.size(); ++i) {
            const auto& result = results[i];
            ASSERT_TRUE(result->isBezier());
            EXPECT_EQ(result->fillColor(), pf::OptionalColor(c.results[i].fromA ? red : blue));
            expectRectNear(result->path().bounds(), c.results[i].bounds, "outline bounds");
            EXPECT_TRUE(result->isSelected());
        }
        if (c.inside) {
            EXPECT_TRUE(results.back()->containsPoint(*c.inside));
        }
        for (const auto& result : results) {
            if (c.outside) {
                EXPECT_FALSE(result->containsPoint(*c.outside));
            }
        }

        Canvas::Shapes before = fixture;
        before.insert(before.end(), {a, b, top});
        expectOneUndoStep(before, expected);
    }
}

TEST_F(CanvasPathCommandsTest, TheGridLeavesResultsWhereTheirSourcesWere)
{
    const auto a = inked("Rectangle", pf::Rect(100, 400, 80, 60), red);
    const auto b = inked("Rectangle", pf::Rect(153, 437, 80, 60), blue);
    page->setGridTolerance(10);
    page->setGridEnabled(true);
    select({a, b});
    endTurn();
    ASSERT_EQ(perform("union:"), 0);
    const auto result = canvas->selectedShapes().front();
    const pf::Rect outline = result->path().bounds();
    expectRectNear(outline, pf::Rect(100, 400, 133, 97), "the union, not moved onto the grid");
    ASSERT_TRUE(undo.undo());
    endTurn();
    EXPECT_EQ(b->frame(), pf::Rect(153, 437, 80, 60)) << "undo puts the source back as it was";
    ASSERT_TRUE(undo.redo());
    endTurn();
    expectRectNear(result->path().bounds(), outline, "redo puts the result back as it was");
}

TEST_F(CanvasPathCommandsTest, RefusedOperationsBeepAndChangeNothing)
{
    const Canvas::Shapes fixture = pageShapes();
    const auto a = inked("Rectangle", pf::Rect(100, 400, 80, 60), red);
    const auto b = inked("Rectangle", pf::Rect(300, 400, 80, 60), blue);
    const auto all = pageShapes();

    // Disjoint shapes have no intersection.
    select({a, b});
    EXPECT_EQ(perform("intersection:"), 1);
    EXPECT_EQ(pageShapes(), all);
    EXPECT_TRUE(a->isSelected() && b->isSelected());

    // Operands inside a group: the results could not take the group's place, nor undo put them back.
    auto* grouped = dynamic_cast<Group*>(group.get());
    ASSERT_TRUE(grouped);
    const auto members = grouped->children();
    select(members);
    for (const char* action : {"difference:", "union:", "exclusion:"})
        EXPECT_EQ(perform(action), 1) << action;
    EXPECT_EQ(pageShapes(), all);
    EXPECT_EQ(grouped->children(), members);

    // A locked operand.
    a->setLocked(true);
    select({a, b});
    EXPECT_EQ(perform("union:"), 1);
    EXPECT_EQ(pageShapes(), all);
    (void)fixture;
}

TEST_F(CanvasPathCommandsTest, InvertCutsTheShapeOutOfThePage)
{
    makeCanvas(320, 480);
    for (const auto& shape : pageShapes())
        page->removeShape(shape);
    endTurn();
    const auto ellipse = inked("Ellipse", pf::Rect(60, 140, 200, 200), blue);
    select({ellipse});
    endTurn();
    ASSERT_EQ(perform("invert:"), 0);

    const auto shapes = pageShapes();
    ASSERT_EQ(shapes.size(), 1u);
    const auto& result = shapes.front();
    ASSERT_TRUE(result->isBezier());
    EXPECT_FALSE(result->isSelected());
    EXPECT_FALSE(canvas->hasSelection());
    EXPECT_EQ(result->fillColor(), pf::OptionalColor(blue));
    expectRectNear(result->path().bounds(), pf::Rect(0, 0, 320, 480), "over the page");
    // The outline as filled (a hit test would also answer for the text area the ellipse handed on).
    const pf::Path& outline = result->path();
    EXPECT_TRUE(outline.containsPoint(pf::Point(10, 10)));
    EXPECT_TRUE(outline.containsPoint(pf::Point(75, 155))) << "the corner outside the ellipse";
    EXPECT_FALSE(outline.containsPoint(pf::Point(160, 240))) << "the hole";
    EXPECT_FALSE(outline.containsPoint(pf::Point(75, 240))) << "the hole";

    // The page as it shows: blue around an elliptical hole of page colour.
    const pf::Rect view = canvas->scaledCompositionFrame();
    pf::BitmapContext context(view.size, 1.0, true, true);
    context.translate(-view.x(), -view.y());
    canvas->drawRect(context, view);
    const QImage picture = context.bitmap();
    if (const char* dir = std::getenv("QUORVEL_TEST_PICTURES"))
        picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/invert-ellipse.png"));
    const auto isBlue = [&](int x, int y) {
        const QColor c = picture.pixelColor(x, y);
        return c.blue() > 150 && c.red() < 80;
    };
    EXPECT_TRUE(isBlue(20, 20));
    EXPECT_TRUE(isBlue(300, 460));
    EXPECT_TRUE(isBlue(75, 155));
    EXPECT_FALSE(isBlue(160, 240));
    EXPECT_FALSE(isBlue(75, 240));

    expectOneUndoStep({ellipse}, shapes);
}

TEST_F(CanvasPathCommandsTest, SliceCombineAndConvertAreOneUndoStepEach)
{
    for (const auto& shape : pageShapes())
        page->removeShape(shape);
    endTurn();
    const auto open = [&](const pf::Point& from, const pf::Point& to) {
        pf::Path line;
        line.moveTo(from);
        line.lineTo(to);
        auto bezier = Bezier::fromBezierPath(line);
        page->addShape(bezier);
        return std::static_pointer_cast<Shape>(bezier);
    };
    const auto below = addShape("Rectangle", pf::Rect(500, 100, 40, 40));
    const auto first = open(pf::Point(100, 100), pf::Point(300, 100));
    const auto above = addShape("Rectangle", pf::Rect(500, 200, 40, 40));
    endTurn();

    // A press away from the path: no piece, nothing changes.
    select({first});
    canvas->setDragStartCanvasPoint(canvas->convertPointFromComposition(pf::Point(200, 300)));
    const Canvas::Shapes unsliced = pageShapes();
    perform("slicePath:");
    EXPECT_EQ(pageShapes(), unsliced);

    // On the path: two pieces where it was, selected.
    canvas->setDragStartCanvasPoint(canvas->convertPointFromComposition(pf::Point(200, 100)));
    EXPECT_EQ(perform("slicePath:"), 0);
    const auto sliced = pageShapes();
    ASSERT_EQ(sliced.size(), 4u);
    EXPECT_EQ(sliced.front(), below);
    EXPECT_EQ(sliced.back(), above);
    EXPECT_TRUE(sliced[1]->isSelected() && sliced[2]->isSelected());
    expectOneUndoStep(unsliced, sliced);

    // Combined: the first selected keeps both outlines, the other leaves.
    select({sliced[2], sliced[1]});
    EXPECT_EQ(perform("combineShapes:"), 0);
    const auto combined = pageShapes();
    ASSERT_EQ(combined.size(), 3u);
    EXPECT_EQ(combined[1], sliced[2]);
    expectOneUndoStep(sliced, combined);

    // Converted: the rectangles become Beziers on top, the sources go.
    select({below, above});
    EXPECT_EQ(perform("convertToBezier:"), 0);
    const auto converted = pageShapes();
    ASSERT_EQ(converted.size(), 3u);
    EXPECT_EQ(converted[0], combined[1]);
    EXPECT_TRUE(converted[1]->isBezier() && converted[2]->isBezier());
    expectRectNear(converted[1]->path().bounds(), below->frame(), "converted outline");
    expectOneUndoStep(combined, converted);
}

TEST_F(CanvasPathCommandsTest, ConvertWithALockedShapeIsRefused)
{
    const Canvas::Shapes all = pageShapes();
    ellipse->setLocked(true);
    select({rectangle, ellipse});
    EXPECT_EQ(perform("convertToBezier:"), 1);
    EXPECT_EQ(pageShapes(), all) << "no copy beside its source";
}

TEST_F(CanvasPathCommandsTest, FlipsAndPathEditsReselectTheShapes)
{
    pf::Path zigzag;
    zigzag.moveTo(pf::Point(100, 400));
    zigzag.lineTo(pf::Point(200, 400));
    zigzag.lineTo(pf::Point(200, 480));
    auto bezier = Bezier::fromBezierPath(zigzag);
    page->addShape(bezier);
    select({bezier});
    const pf::Rect frame = bezier->frame();

    EXPECT_EQ(perform("flipHorizontal:"), 0);
    EXPECT_TRUE(bezier->isSelected());
    EXPECT_EQ(bezier->frame(), frame);
    EXPECT_EQ(bezier->modelPoints().front(), pf::Point(200, 400));
    EXPECT_EQ(perform("closePath:"), 0);
    EXPECT_TRUE(bezier->closed());
    EXPECT_EQ(perform("closePath:"), 1) << "already closed";

    // A rectangle cannot be flipped.
    select({rectangle});
    EXPECT_EQ(perform("flipVertical:"), 1);
}
