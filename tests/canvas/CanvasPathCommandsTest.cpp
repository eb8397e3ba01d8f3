// The Boolean and path commands sent as the menus send them: which results they leave, whose style each
// takes, where they go in the page, what is refused (with a beep), and that each is one undo step.
#include "canvas/support/CanvasFixture.h"

#include "geometry/FBPathBoolean.h"
#include "model/Group.h"
#include "platform/graphics/PainterContext.h"
#include "platform/kit/Services.h"
#include "shapes/Bezier.h"
#include "shapes/TitleBox.h"

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

// The page's area at the scale, with the path filled (non-zero) and stroked 2 wide in black.
QImage rasterised(const pf::Path& path, const pf::Size& page, double scale)
{
    pf::BitmapContext context(page, scale, true, false);
    context.setFillColor(pf::Color(0, 0, 0, 1));
    context.fillPath(path, pf::WindingRule::NonZero);
    context.setStrokeColor(pf::Color(0, 0, 0, 0.5));
    context.setLineWidth(2);
    context.strokePath(path);
    return context.bitmap();
}

// A shape drawn as a preview or an export draws it: its whole style, off screen.
QImage drawn(Shape& shape, const pf::Size& page, double scale)
{
    pf::BitmapContext context(page, scale, true, false);
    shape.drawInContextDirtyRect(context, pf::Rect(pf::Point(), page));
    return context.bitmap();
}

// The number of subpaths (moves) of a path.
int subpathCount(const pf::Path& path)
{
    return int(std::count_if(path.elements().begin(), path.elements().end(),
                             [](const pf::PathElement& e) { return e.type == pf::PathElementType::MoveTo; }));
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
    // The shapes of the page that were not there before.
    Canvas::Shapes added(const Canvas::Shapes& before) const
    {
        Canvas::Shapes out;
        for (const auto& shape : pageShapes())
            if (std::find(before.begin(), before.end(), shape) == before.end())
                out.push_back(shape);
        return out;
    }
    // The result draws the outline it was made from, pixel for pixel at 1x and 2x, keeps it when saved
    // and read again, and the reread shape draws off screen (as a preview does) as the result does.
    void expectDrawsExactly(const std::shared_ptr<Shape>& result, const pf::Path& expected)
    {
        ASSERT_TRUE(result && result->isBezier());
        const pf::Size size = page->frame().size;
        EXPECT_EQ(subpathCount(result->path()), subpathCount(expected)) << "one subpath for each outline";
        const auto reread = Shape::fromPlist(result->asPlist());
        ASSERT_TRUE(reread);
        EXPECT_TRUE(reread->path().sameElements(result->path())) << "saved and read again";
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << "at " << scale << "x");
            const QImage want = rasterised(expected, size, scale);
            const QImage got = rasterised(result->path(), size, scale);
            EXPECT_TRUE(got == want) << "the outline";
            if (const char* dir = std::getenv("QUORVEL_TEST_PICTURES"); dir && got != want) {
                want.save(QString::fromLocal8Bit(dir) + QStringLiteral("/want.png"));
                got.save(QString::fromLocal8Bit(dir) + QStringLiteral("/got.png"));
            }
            EXPECT_TRUE(drawn(*reread, size, scale) == drawn(*result, size, scale)) << "previewed";
        }
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

// Each command on pairs of shapes that lie apart, touch, nest or make a ring: its results draw exactly
// the outlines the path algebra (or the concatenation the command stands for) returns, with nothing
// drawn between one outline and the next.
TEST_F(CanvasPathCommandsTest, ResultsDrawEveryOutlineTheyWereMadeFromAndNothingBetween)
{
    struct Operand {
        const char* kind; // "Ring": a Bezier of the frame with a hole 40 in from its edges
        pf::Rect frame;
    };
    struct Case {
        const char* name;
        Operand a, b;
    };
    const Case cases[] = {
        {"apart", {"TitleBox", {20, 420, 75, 60}}, {"Triangle", {115, 420, 75, 60}}},
        {"touching at a corner", {"Rectangle", {100, 100, 80, 60}}, {"Rectangle", {180, 160, 80, 60}}},
        {"one inside the other", {"Rectangle", {100, 100, 200, 150}}, {"Triangle", {150, 130, 80, 60}}},
        {"a ring crossed", {"Ring", {100, 100, 200, 150}}, {"Rectangle", {180, 80, 40, 200}}},
    };
    const auto place = [&](const Operand& o, const pf::Color& colour) -> std::shared_ptr<Shape> {
        auto shape = inked(o.kind == std::string("Ring") ? "Rectangle" : o.kind, o.frame, colour);
        shape->setStrokeType(3);
        if (o.kind != std::string("Ring"))
            return shape;
        const pf::Path ring = CGPath_FBCreateDifference(shape->path(), pf::Path::rect(QVRectOutset(o.frame, -40, -40)));
        auto bezier = Bezier::fromBezierPath(ring, shape->asPlist(), true);
        page->removeShape(shape);
        page->addShape(bezier);
        return bezier;
    };
    struct Command {
        const char* action;
        std::function<std::vector<pf::Path>(const pf::Path&, const pf::Path&)> algebra;
    };
    const Command booleans[] = {
        {"difference:", [](const pf::Path& a, const pf::Path& b) { return std::vector{CGPath_FBCreateDifference(a, b)}; }},
        {"intersection:", [](const pf::Path& a, const pf::Path& b) { return std::vector{CGPath_FBCreateIntersect(a, b)}; }},
        {"union:", [](const pf::Path& a, const pf::Path& b) { return std::vector{CGPath_FBCreateUnion(a, b)}; }},
        {"exclusion:",
         [](const pf::Path& a, const pf::Path& b) {
             return std::vector{CGPath_FBCreateDifference(a, b), CGPath_FBCreateDifference(b, a)};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Command& command : booleans) {
            SCOPED_TRACE(command.action);
            makeCanvas();
            const auto a = place(c.a, red), b = place(c.b, blue);
            const Canvas::Shapes before = pageShapes();
            std::vector<pf::Path> expected;
            for (const pf::Path& path : command.algebra(a->path(), b->path()))
                if (!path.isEmpty())
                    expected.push_back(path);
            select({a, b});
            endTurn();
            EXPECT_EQ(perform(command.action), expected.empty() ? 1 : 0);
            // Later results go under earlier ones.
            Canvas::Shapes made = added(before);
            std::reverse(made.begin(), made.end());
            ASSERT_EQ(made.size(), expected.size());
            for (std::size_t i = 0; i < made.size(); ++i)
                expectDrawsExactly(made[i], expected[i]);
        }

        SCOPED_TRACE("invert:");
        makeCanvas();
        const auto a = place(c.a, red);
        const Canvas::Shapes before = pageShapes();
        pf::Path inverted = pf::Path::rect(page->frame());
        inverted.append(a->path().reversed());
        select({a});
        endTurn();
        ASSERT_EQ(perform("invert:"), 0);
        ASSERT_EQ(added(before).size(), 1u);
        expectDrawsExactly(added(before).front(), inverted);

        SCOPED_TRACE("convertToBezier:");
        makeCanvas();
        for (const Operand& o : {c.a, c.b}) {
            const auto shape = place(o, red);
            if (!shape->canConvertToBezier())
                continue;
            const Canvas::Shapes kept = pageShapes();
            select({shape});
            endTurn();
            ASSERT_EQ(perform("convertToBezier:"), 0);
            ASSERT_EQ(added(kept).size(), 1u);
            expectDrawsExactly(added(kept).front(), shape->path());
        }
    }
}

TEST_F(CanvasPathCommandsTest, CombinedAndSlicedPathsKeepTheirOutlinesApart)
{
    const auto line = [&](std::initializer_list<pf::Point> points) {
        pf::Path path;
        for (const pf::Point& p : points)
            path.isEmpty() ? path.moveTo(p) : path.lineTo(p);
        auto bezier = Bezier::fromBezierPath(path);
        bezier->setFillType(5);
        page->addShape(bezier);
        return std::static_pointer_cast<Shape>(bezier);
    };
    const auto together = [](const Canvas::Shapes& shapes) {
        pf::Path all;
        for (const auto& shape : shapes)
            all.append(shape->path());
        return all;
    };
    // Lines apart stay two subpaths; lines whose ends meet become one.
    for (const bool apart : {true, false}) {
        SCOPED_TRACE(apart ? "apart" : "meeting");
        makeCanvas();
        const auto first = line({{100, 300}, {200, 300}});
        const auto second = apart ? line({{100, 340}, {200, 340}, {260, 400}}) : line({{200, 300}, {260, 360}});
        const pf::Path expected = together({first, second});
        select({first, second});
        endTurn();
        ASSERT_EQ(perform("combineShapes:"), 0);
        ASSERT_EQ(canvas->selectedShapes().size(), 1u);
        const auto combined = canvas->selectedShapes().front();
        if (apart) {
            expectDrawsExactly(combined, expected);
        } else {
            EXPECT_EQ(subpathCount(combined->path()), 1);
            EXPECT_EQ(combined->path().bounds(), expected.bounds());
        }
    }

    // A ring sliced on its rim: the rim opens at the cut, the hole stays a hole.
    makeCanvas();
    const auto rim = inked("Rectangle", pf::Rect(100, 100, 200, 150), red);
    const pf::Path ringPath = CGPath_FBCreateDifference(rim->path(), pf::Path::rect(pf::Rect(150, 140, 100, 70)));
    auto ring = Bezier::fromBezierPath(ringPath, rim->asPlist(), true);
    page->removeShape(rim);
    page->addShape(ring);
    select({ring});
    canvas->setDragStartCanvasPoint(canvas->convertPointFromComposition(pf::Point(100, 180)));
    ASSERT_EQ(perform("slicePath:"), 0);
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    const auto sliced = canvas->selectedShapes().front();
    EXPECT_EQ(subpathCount(sliced->path()), 2);
    const pf::Size size = page->frame().size;
    pf::BitmapContext want(size, 1.0, true, false), got(size, 1.0, true, false);
    want.fillPath(ringPath, pf::WindingRule::NonZero);
    got.fillPath(sliced->path(), pf::WindingRule::NonZero);
    EXPECT_TRUE(got.bitmap() == want.bitmap()) << "the same area";
    EXPECT_FALSE(sliced->containsPoint(pf::Point(200, 175))) << "the hole";

    // Slicing the open lines combined apart cuts only the line under the press.
    makeCanvas();
    const auto upper = line({{100, 300}, {200, 300}});
    const auto lower = line({{100, 340}, {200, 340}});
    const pf::Path both = together({upper, lower});
    select({upper, lower});
    endTurn();
    ASSERT_EQ(perform("combineShapes:"), 0);
    canvas->setDragStartCanvasPoint(canvas->convertPointFromComposition(pf::Point(150, 340)));
    ASSERT_EQ(perform("slicePath:"), 0);
    const Canvas::Shapes pieces = canvas->selectedShapes();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(subpathCount(pieces[0]->path()) + subpathCount(pieces[1]->path()), 3);
    pf::BitmapContext whole(size, 2.0, true, false), cut(size, 2.0, true, false);
    whole.setLineWidth(2);
    cut.setLineWidth(2);
    whole.strokePath(both);
    cut.strokePath(together(pieces));
    EXPECT_TRUE(cut.bitmap() == whole.bitmap()) << "the pieces cover the lines and nothing else";
}

TEST_F(CanvasPathCommandsTest, AResultKeepsBothTextsOfATitleBox)
{
    const auto box = inked("TitleBox", pf::Rect(20, 420, 75, 60), red);
    const auto triangle = inked("Triangle", pf::Rect(115, 420, 75, 60), blue);
    ASSERT_TRUE(box->attributedText());
    const QString title = box->attributedText()->string();
    const auto* titled = dynamic_cast<TitleBox*>(box.get());
    ASSERT_TRUE(titled && titled->attributedText1());
    const QString body = titled->attributedText1()->string();
    box->setTitle(QStringLiteral("Class box"));
    select({box, triangle});
    endTurn();
    ASSERT_EQ(perform("union:"), 0);
    const auto result = canvas->selectedShapes().front();
    ASSERT_TRUE(result->attributedText());
    EXPECT_EQ(result->attributedText()->string(), title + QStringLiteral("\n") + body);
    EXPECT_EQ(result->title(), QStringLiteral("Class box"));
}
