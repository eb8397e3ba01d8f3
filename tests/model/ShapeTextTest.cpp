// A shape's text: pads, band and column in the text rect, the text setters with their undo steps and
// sticky keys, fitting the frame to the text, and where the text is drawn. Font metrics may change
// with the fonts installed, so sizes are checked against the shape's own measurement, not numbers.
#include "ShapeDrawingTestSupport.h"

#include "geometry/QVRect.h"

#include <QImage>

namespace {

const pf::Font helvetica(QStringLiteral("Helvetica"), 12);

pf::AttributedString text(const QString& s, const pf::Font& font = helvetica)
{
    pf::TextAttributes a;
    a.font = font;
    a.foregroundColor = pf::Color::black();
    return pf::AttributedString(s, a);
}

class ShapeTextTest : public ShapeDrawingTest {
protected:
    // A plain box with a stroke of width 2 holding `s`.
    std::shared_ptr<Rectangle> textBox(const pf::Rect& frame, const QString& s = QStringLiteral("Hello"))
    {
        auto shape = box(frame);
        shape->setStrokeLineWidth(2);
        shape->setAttributedText(text(s));
        return shape;
    }
    static pf::Size measured(const Shape& shape)
    {
        return shape.stringSizeForTextRect(*shape.attributedText(), QVRectNotZeroSize(shape.textRect()));
    }
};

TEST_F(ShapeTextTest, PadsNeedAFrameLargerThanFourPads)
{
    struct Case {
        pf::Size size;
        pf::Size pads;
    };
    // Default pads (6, 3): room for them above 24 wide and above 12 high.
    for (const Case& c : {Case{{20, 10}, {0, 0}}, Case{{24, 12}, {0, 0}}, Case{{25, 12}, {6, 0}},
                          Case{{24, 13}, {0, 3}}, Case{{-30, -20}, {6, 3}}}) {
        auto shape = textBox(pf::Rect(pf::Point(10, 10), c.size));
        EXPECT_EQ(shape->textPadSize(), c.pads) << c.size.width << " x " << c.size.height;
        EXPECT_EQ(shape->textRect(), shape->frame().insetBy(c.pads.width + 1, c.pads.height + 1));
    }
}

TEST_F(ShapeTextTest, BandTakesTheMeasuredHeightWhereTheVerticalAlignmentPutsIt)
{
    auto shape = textBox(pf::Rect(10, 20, 200, 100));
    const pf::Rect t = shape->textRect();
    const double h = measured(*shape).height;
    ASSERT_GT(h, 10);
    struct Case {
        std::uint64_t align;
        double y;
    };
    for (const Case& c : {Case{0, t.origin.y + t.size.height / 2 - h / 2}, Case{1, t.origin.y},
                          Case{2, t.origin.y + t.size.height - h}}) {
        shape->setTextVerticalAlign(c.align);
        EXPECT_EQ(shape->horizontalTextRectForText(*shape->attributedText()), pf::Rect(t.origin.x, c.y, t.size.width, h))
            << c.align;
    }
    shape->setTextVerticalAlign(5);
    EXPECT_EQ(shape->horizontalTextRectForText(*shape->attributedText()), pf::Rect::zero());
    auto context = record(*shape);
    for (const pf::RecordedCall& call : context->calls())
        EXPECT_NE(call.operation, "glyphs");
}

TEST_F(ShapeTextTest, EmptyTextIsOneLineHigh)
{
    auto shape = textBox(pf::Rect(0, 0, 200, 100), QStringLiteral("W"));
    const double oneLine = shape->horizontalTextRectForText(*shape->attributedText()).size.height;
    shape->setAttributedText(nullptr);
    shape->clearTextAttributes();
    const pf::AttributedString empty;
    const pf::Rect band = shape->horizontalTextRectForText(empty);
    EXPECT_GT(band.size.height, 0);
    // The empty text measures in the shape's attributes (the class font), "W" here in Helvetica 12.
    const pf::AttributedString w(QStringLiteral("W"), shape->textAttributes());
    EXPECT_EQ(band.size.height, shape->stringSizeForTextRect(w, QVRectNotZeroSize(shape->textRect())).height);
    EXPECT_GT(oneLine, 0);
}

TEST_F(ShapeTextTest, ColumnTakesTheMeasuredWidthWhereTheAlignmentPutsIt)
{
    // Text rect x 10, width 100: the frame inset by the pad 6 and half the stroke.
    auto shape = textBox(pf::Rect(3, 0, 114, 10), QStringLiteral("Hi"));
    const pf::Rect t = shape->textRect();
    ASSERT_EQ(t.origin.x, 10);
    ASSERT_EQ(t.size.width, 100);
    const double w = measured(*shape).width;
    struct Case {
        std::uint64_t align;
        double x;
    };
    // Right: 10 + 100 - w (so a text 30 wide starts at 80).
    for (const Case& c : {Case{0, 10}, Case{1, 110 - w}, Case{2, 60 - w / 2}, Case{3, 60 - w / 2}, Case{4, 10}}) {
        shape->setTextAlign(c.align);
        const pf::Rect column = shape->verticalTextRect();
        EXPECT_EQ(column, QVRectRound(pf::Rect(c.x, t.origin.y, w, t.size.height))) << c.align;
    }
    // While editing the column is the whole text rect, for the editor to grow in.
    shape->setEditingText(true);
    EXPECT_EQ(shape->verticalTextRect(), QVRectRound(t));
}

TEST_F(ShapeTextTest, HiddenTextHasNoRectUntilEdited)
{
    auto shape = textBox(pf::Rect(0, 0, 200, 100));
    shape->setTextAppearanceType(2);
    EXPECT_EQ(shape->horizontalTextRectForText(*shape->attributedText()), pf::Rect::zero());
    EXPECT_EQ(shape->verticalTextRect(), pf::Rect::zero());
    auto context = record(*shape);
    for (const pf::RecordedCall& call : context->calls())
        EXPECT_NE(call.operation, "glyphs");
    shape->setEditingText(true);
    EXPECT_TRUE(QVRectIsValidNotZeroSize(shape->horizontalTextRectForText(*shape->attributedText())));
    EXPECT_TRUE(QVRectIsValidNotZeroSize(shape->fieldEditorRectForText(*shape->attributedText())));
}

TEST_F(ShapeTextTest, TextDrawnLiesInsideItsBand)
{
    canvasPage.zoom = 2; // no half-point offset
    auto shape = textBox(pf::Rect(10, 10, 180, 80), QStringLiteral("Hello world"));
    shape->setTextShadowHidden(true);
    const QImage image = render(*shape, pf::Size(200, 100));
    const pf::Rect band = shape->horizontalTextRectForText(*shape->attributedText());
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (alpha(image, x, y) > 0) {
                ++inked;
                // Ascenders reach a hair above the line (typographic metrics): a device pixel of
                // antialiasing (half a point at zoom 2) may stand outside the band.
                const pf::Point p((x + 0.5) / 2, (y + 0.5) / 2);
                EXPECT_TRUE(band.insetBy(-0.5, -0.5).contains(p)) << p.x << ", " << p.y;
            }
    EXPECT_GT(inked, 20);
}

TEST_F(ShapeTextTest, AppearanceOneClipsToTheOutlineAndTextTurnsWithTheShape)
{
    auto shape = textBox(pf::Rect(0, 0, 100, 40));
    shape->setTextAppearanceType(1);
    auto context = record(*shape);
    const auto& calls = context->calls();
    const auto clip = std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.operation == "clip"; });
    ASSERT_NE(clip, calls.end());
    EXPECT_EQ(clip->path.bounds(), shape->textClipPath().bounds());
    const auto glyphs = std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.operation == "glyphs"; });
    ASSERT_NE(glyphs, calls.end());
    EXPECT_GT(glyphs - calls.begin(), clip - calls.begin());

    shape->setRotationAngle(90);
    auto turned = record(*shape);
    const pf::AffineTransform expected = shape->rotationTransform(90);
    const double tolerance = 1e-12 * shape->diagonal();
    int runs = 0;
    for (const pf::RecordedCall& call : turned->calls())
        if (call.operation == "glyphs") {
            ++runs;
            const pf::AffineTransform& m = call.state.ctm;
            EXPECT_NEAR(m.a, expected.a, 1e-12);
            EXPECT_NEAR(m.b, expected.b, 1e-12);
            EXPECT_NEAR(m.tx, expected.tx, tolerance);
            EXPECT_NEAR(m.ty, expected.ty, tolerance);
        }
    EXPECT_GT(runs, 0);
}

TEST_F(ShapeTextTest, TextBeingEditedIsLeftToTheEditorExceptInThumbnails)
{
    auto shape = textBox(pf::Rect(0, 0, 100, 40));
    const auto glyphCount = [&] {
        auto context = record(*shape);
        return std::count_if(context->calls().begin(), context->calls().end(),
                             [](const auto& c) { return c.operation == "glyphs"; });
    };
    EXPECT_GT(glyphCount(), 0);
    shape->setEditingText(true);
    EXPECT_EQ(glyphCount(), 0);
    canvasPage.thumbnail = true;
    EXPECT_GT(glyphCount(), 0);
}

TEST_F(ShapeTextTest, BandFollowsANewTextAndWidthWithoutAnAttributeChange)
{
    auto shape = textBox(pf::Rect(0, 0, 200, 100), QStringLiteral("one"));
    const double oneLine = shape->horizontalTextRectForText(*shape->attributedText()).size.height;
    shape->setAttributedText(text(QStringLiteral("one\ntwo")));
    EXPECT_GT(shape->horizontalTextRectForText(*shape->attributedText()).size.height, oneLine);
    canvasPage.undo.undo();
    EXPECT_EQ(shape->horizontalTextRectForText(*shape->attributedText()).size.height, oneLine);
    // Narrowed until the words wrap.
    shape->setAttributedText(text(QStringLiteral("one two three four")));
    const double wide = shape->horizontalTextRectForText(*shape->attributedText()).size.height;
    shape->setFrame(pf::Rect(0, 0, 40, 100));
    EXPECT_GT(shape->horizontalTextRectForText(*shape->attributedText()).size.height, wide);
}

TEST_F(ShapeTextTest, StyleSetterOnTextIsOneStepNamedAfterTheSetter)
{
    auto shape = textBox(pf::Rect(0, 0, 100, 40));
    shape->clearTextAttributes();
    const pf::AttributedString before = *shape->attributedText();
    canvasPage.undo.removeAllActions();

    shape->setTextAlign(1);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).paragraphStyle->alignment, pf::TextAlignment::Right);
    EXPECT_EQ(canvasPage.undo.undoActionName(), "Text Horizontal Alignment");
    shape->setTextShadowHidden(true);
    EXPECT_EQ(canvasPage.undo.undoActionName(), "Hide Text Shadow");

    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_FALSE(shape->textShadowHidden());
    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_EQ(shape->textAlign(), 0u);
    EXPECT_EQ(*shape->attributedText(), before);
    EXPECT_FALSE(canvasPage.undo.canUndo());
    EXPECT_EQ(canvasPage.undo.redoActionName(), "Text Horizontal Alignment");
}

TEST_F(ShapeTextTest, FontAndColourOfTextAreOneUndoableTextEdit)
{
    auto shape = textBox(pf::Rect(0, 0, 100, 40));
    canvasPage.undo.removeAllActions();
    const pf::AttributedString before = *shape->attributedText();
    int notices = 0;
    auto token = shape->addObserver(QStringLiteral("attributedText"),
                                [&](pf::Object&, const QString&, pf::ChangePhase phase) { notices += phase == pf::ChangePhase::Did; });

    const pf::Font big(QStringLiteral("Times"), 30);
    const double smallHeight = shape->horizontalTextRectForText(*shape->attributedText()).size.height;
    shape->setTextFont(big);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).font, big);
    EXPECT_GT(shape->horizontalTextRectForText(*shape->attributedText()).size.height, smallHeight);
    EXPECT_EQ(canvasPage.undo.undoActionName(), "Edit Text");
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(userValues().at("User-Shape-textFontName"), pf::Value("Times"));
    EXPECT_EQ(userValues().at("User-Shape-textFontSize"), pf::Value(30.0));

    const pf::Color red(1, 0, 0, 1);
    shape->setTextColor(red);
    EXPECT_EQ(shape->textColor(), red);
    EXPECT_EQ(userValues().at("User-Shape-textColor"), pf::Value(QVStringFromColor(red)));

    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_EQ(shape->textColor(), pf::Color::black());
    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_EQ(*shape->attributedText(), before);
    EXPECT_FALSE(canvasPage.undo.canUndo());

    // Nothing to apply: nothing changes.
    shape->setTextFont(std::nullopt);
    shape->setTextColor(std::nullopt);
    EXPECT_FALSE(canvasPage.undo.canUndo());
}

TEST_F(ShapeTextTest, NewTextTakesTheFontAndColourLastSet)
{
    auto shape = box(pf::Rect(0, 0, 100, 40));
    const pf::Font font(QStringLiteral("Times"), 20);
    const pf::Color blue(0, 0, 1, 1);
    shape->setTextFont(font);
    shape->setTextColor(blue);
    EXPECT_EQ(shape->textAttributes().font, font);
    EXPECT_EQ(shape->textAttributes().foregroundColor, blue);
    EXPECT_EQ(shape->textColor(), blue);
    EXPECT_FALSE(shape->hasText());
}

TEST_F(ShapeTextTest, SizeToFitGrowsTheTextBoundsByTwiceThePads)
{
    auto shape = textBox(pf::Rect(0, 0, 200, 100), QStringLiteral("Hello"));
    shape->setTextAlign(2);
    const pf::Size p = shape->textPadSize();
    const pf::Rect expected = QVRectOutset(shape->textBoundingRect(), 2 * p.width, 2 * p.height);
    shape->sizeToFitText(false);
    // Frames keep whole points: each edge is the fitted rect's edge taken to the nearest whole point.
    const pf::Rect f = shape->frame();
    EXPECT_NEAR(f.minX(), expected.minX(), 0.5);
    EXPECT_NEAR(f.maxX(), expected.maxX(), 0.5);
    EXPECT_NEAR(f.minY(), expected.minY(), 0.5);
    EXPECT_NEAR(f.maxY(), expected.maxY(), 0.5);
    EXPECT_LT(shape->frame().size.width, 200);

    // Fitted already: no setFrame, so no undo step.
    canvasPage.undo.removeAllActions();
    const pf::Rect fitted = QVRectOutset(shape->textBoundingRect(), 2 * shape->textPadSize().width,
                                         2 * shape->textPadSize().height);
    shape->setFrame(fitted);
    canvasPage.undo.removeAllActions();
    shape->sizeToFitText(false);
    EXPECT_FALSE(canvasPage.undo.canUndo());
}

TEST_F(ShapeTextTest, BoundingPathOnlyWithText)
{
    auto shape = textBox(pf::Rect(0, 0, 100, 40));
    const pf::Rect r = shape->textBoundingRect();
    EXPECT_EQ(r.origin.x, shape->verticalTextRect().origin.x - 2);
    EXPECT_EQ(r.size.width, shape->verticalTextRect().size.width + 4);
    EXPECT_EQ(r.size.height, shape->horizontalTextRectForText(*shape->attributedText()).size.height);
    ASSERT_TRUE(shape->textBoundingPath());
    // The path's bounds are its corners' sums, which may round differently in the last place.
    const pf::Rect bounds = shape->textBoundingPath()->bounds();
    EXPECT_DOUBLE_EQ(bounds.origin.x, r.origin.x);
    EXPECT_DOUBLE_EQ(bounds.origin.y, r.origin.y);
    EXPECT_DOUBLE_EQ(bounds.size.width, r.size.width);
    EXPECT_DOUBLE_EQ(bounds.size.height, r.size.height);
    shape->setAttributedText(nullptr);
    EXPECT_FALSE(shape->textBoundingPath());
}

} // namespace
