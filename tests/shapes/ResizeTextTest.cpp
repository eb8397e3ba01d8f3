// Resizing text: the font fitted to the frame's width, the frame following edits and font changes, the
// style redirected onto the letters, and the halo, letters and outlines drawn from one layout.
#include "TextShapesTestSupport.h"

#include "geometry/QVRect.h"
#include "shapes/ResizeText.h"

namespace {

class ResizeTextTest : public TextShapesTest {
protected:
    // A resizing text of `width` holding `s`, its font fitted, no shadows.
    std::shared_ptr<ResizeText> resizing(double width, const QString& s = QStringLiteral("Resizing text"))
    {
        auto shape = onPage<ResizeText>(pf::Rect(20, 20, width, 40));
        shape->setFillShadowHidden(true);
        shape->setAttributedText(styled(s));
        shape->clearTextAttributes();
        canvasPage.undo.removeAllActions();
        return shape;
    }
    static double fontSize(const Shape& shape) { return shape.attributedText()->attributesAtIndex(0).font->pointSize(); }
    static double widthAt(const Shape& shape, double size)
    {
        pf::TextAttributes a = shape.attributedText()->attributesAtIndex(0);
        a.font = a.font->withSize(size);
        return ResizeText::sizeOfText(pf::AttributedString(shape.attributedText()->string(), a)).width;
    }
};

TEST_F(ResizeTextTest, FontIsTheLargestWholeSizeThatFitsTheWidth)
{
    for (double width : {60.0, 150.0, 400.0, 1200.0}) {
        auto shape = resizing(width);
        const double size = fontSize(*shape);
        EXPECT_EQ(size, std::round(size)) << width;
        EXPECT_GE(size, 6) << width;
        EXPECT_LE(size, 500) << width;
        EXPECT_LE(widthAt(*shape, size), width) << width;
        // The search settles within a point: two points more overflow.
        if (size < 498) {
            EXPECT_GT(widthAt(*shape, size + 2), width) << width;
        }
        EXPECT_EQ(size, ResizeText::fittedFontSize(*shape->attributedText(), width));
    }
}

TEST_F(ResizeTextTest, TooNarrowForSixPointsStaysAtSix)
{
    auto shape = resizing(8);
    EXPECT_EQ(fontSize(*shape), 6);
    EXPECT_GT(widthAt(*shape, 6), 8);
}

TEST_F(ResizeTextTest, EmptyTextLeavesASixPointWFrame)
{
    auto shape = resizing(200);
    const pf::Point centre = shape->center();
    shape->setEditText(nullptr);
    EXPECT_FALSE(shape->hasText());
    pf::TextAttributes a = shape->textAttributes();
    EXPECT_EQ(a.font->pointSize(), 6);
    const pf::Size w = ResizeText::sizeOfText(pf::AttributedString(QStringLiteral("W"), a));
    // The "W" centred where the text was, its edges taken to whole points.
    const pf::Rect expected = QVRectSetAnchor(centre, QVRectCornerMidMid, pf::Rect(pf::Point(), w));
    const pf::Rect f = shape->frame();
    EXPECT_NEAR(f.minX(), expected.minX(), 0.5);
    EXPECT_NEAR(f.maxX(), expected.maxX(), 0.5);
    EXPECT_NEAR(f.minY(), expected.minY(), 0.5);
    EXPECT_NEAR(f.maxY(), expected.maxY(), 0.5);
}

TEST_F(ResizeTextTest, FrameFollowsEditsAndFontChangesFontFollowsResizes)
{
    auto shape = resizing(150, QStringLiteral("Short"));
    const double size = fontSize(*shape);
    const pf::Point centre = shape->center();

    const pf::AttributedString longer = styled(QStringLiteral("Short and longer"), size);
    shape->setEditText(&longer);
    EXPECT_NEAR(shape->frame().size.width, ResizeText::sizeOfText(longer).width, 1);
    EXPECT_NEAR(shape->center().x, centre.x, 1);
    // The frame was refitted around the text, the font then refitted to that frame: about the same size.
    EXPECT_NEAR(fontSize(*shape), size, 1);

    // Refitted around the text in the new family; the font then refitted to that frame, in whole points.
    shape->setTextFont(pf::Font(QStringLiteral("Times"), 12));
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).font->fontName(), "Times");
    EXPECT_LE(widthAt(*shape, fontSize(*shape)), shape->frame().size.width);
    EXPECT_GT(widthAt(*shape, fontSize(*shape) + 2), shape->frame().size.width);

    const double before = fontSize(*shape);
    shape->setFrame(pf::Rect(shape->frame().origin, pf::Size(shape->frame().size.width * 2, shape->frame().size.height)));
    EXPECT_GT(fontSize(*shape), before * 1.7);
    EXPECT_LE(widthAt(*shape, fontSize(*shape)), shape->frame().size.width);
}

TEST_F(ResizeTextTest, StyleIsRedirectedOntoTheLetters)
{
    auto shape = resizing(150);
    const pf::Color red(1, 0, 0, 1);
    shape->setFillColor(red);
    EXPECT_EQ(shape->textColor(), red);
    EXPECT_EQ(shape->valueForKey(QStringLiteral("fillColor")).get<pf::Color>(), red);

    shape->setStroke2Enabled(true);
    shape->setStroke2Color(red);
    shape->setTextAppearanceType(2);
    EXPECT_FALSE(shape->stroke2Enabled());
    EXPECT_FALSE(shape->stroke2Color());
    EXPECT_EQ(shape->textAppearanceType(), 0u);

    // The fill shadow is the letters' shadow, one undo step named after the setter; a halo hides it.
    canvasPage.undo.removeAllActions();
    shape->setFillShadowHidden(false);
    shape->setFillShadowBlur(4);
    EXPECT_EQ(canvasPage.undo.undoActionName(), "Fill Shadow Blur");
    ASSERT_TRUE(shape->attributedText()->attributesAtIndex(0).shadow);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).shadow->blur, 4);
    shape->setStroke1Enabled(true);
    EXPECT_TRUE(shape->textShadowHidden());
    EXPECT_FALSE(shape->attributedText()->attributesAtIndex(0).shadow);
    ASSERT_TRUE(canvasPage.undo.undo());
    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_EQ(shape->fillShadowBlur(), 0);
    ASSERT_TRUE(shape->attributedText()->attributesAtIndex(0).shadow);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).shadow->blur, 0);
}

TEST_F(ResizeTextTest, SnapsWhateverItsAlignment)
{
    auto shape = resizing(150);
    shape->setTextAlign(0);
    EXPECT_TRUE(shape->isSnapable());
    shape->setSelected(true);
    EXPECT_FALSE(shape->isSnapable());
}

class ResizeTextDrawingTest : public ResizeTextTest {
protected:
    // Bold text in black with a red stroke of width 2 and, when asked, a green halo.
    std::shared_ptr<ResizeText> styledText(bool halo)
    {
        auto shape = resizing(160, QStringLiteral("HIH"));
        shape->setTextColor(pf::Color::black());
        shape->setFillType(0); // letters drawn
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(2);
        shape->setStrokeColor(pf::Color(1, 0, 0, 1));
        shape->setStroke1Color(pf::Color(0, 1, 0, 1));
        shape->setStroke1Enabled(halo);
        return shape;
    }
    struct Inks {
        int black = 0, red = 0, green = 0;
    };
    Inks inks(ResizeText& shape)
    {
        canvasPage.zoom = 2;
        const QImage image = render(shape, pf::Size(220, 120));
        Inks n;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = colour(image, x, y);
                if (c.alpha() < 250)
                    continue;
                n.black += c.red() < 10 && c.green() < 10 && c.blue() < 10;
                n.red += c.red() > 245 && c.green() < 10;
                n.green += c.green() > 245 && c.red() < 10;
            }
        return n;
    }
};

TEST_F(ResizeTextDrawingTest, HaloSurroundsTheGlyphsInItsColour)
{
    auto plain = styledText(false);
    const Inks without = inks(*plain);
    EXPECT_GT(without.black, 100);
    EXPECT_GT(without.red, 50);
    EXPECT_EQ(without.green, 0);

    auto haloed = styledText(true);
    const Inks with = inks(*haloed);
    EXPECT_GT(with.green, with.red);
    EXPECT_GT(with.black, 100); // letters over the halo
    // The halo is round the glyphs: its pixels lie within the band grown by the halo's width.
    const pf::Rect band = haloed->horizontalTextRectForText(*haloed->attributedText());
    ASSERT_GT(haloed->borderLineWidth(), 0);
    EXPECT_FALSE(haloed->borderPaths().empty());
    for (const pf::Path& glyph : haloed->borderPaths())
        if (!glyph.isEmpty()) {
            EXPECT_TRUE(QVRectOutset(band, 1, 1).contains(glyph.bounds().origin));
        }
}

TEST_F(ResizeTextDrawingTest, OutlinesFollowATextChangedInTheSameFrame)
{
    auto shape = styledText(true);
    (void)record(*shape);
    ASSERT_FALSE(shape->borderPaths().empty());
    const double wideH = shape->borderPaths().front().bounds().size.width;
    // Same length, same frame: only the letters differ (as when an edit is undone).
    pf::TextAttributes a = shape->attributedText()->attributesAtIndex(0);
    shape->setAttributedText(pf::AttributedString(QStringLiteral("IHI"), a));
    (void)record(*shape);
    ASSERT_FALSE(shape->borderPaths().empty());
    EXPECT_LT(shape->borderPaths().front().bounds().size.width, wideH / 2);
}

TEST_F(ResizeTextDrawingTest, NoFillDrawsOnlyOutlinesAndNoStrokeNeitherHaloNorOutline)
{
    auto outlined = styledText(false);
    outlined->setFillType(5);
    const Inks outlines = inks(*outlined);
    EXPECT_EQ(outlines.black, 0);
    EXPECT_GT(outlines.red, 50);

    auto unstroked = styledText(true);
    unstroked->setStrokeType(3);
    const Inks letters = inks(*unstroked);
    EXPECT_GT(letters.black, 100);
    EXPECT_EQ(letters.red, 0);
    EXPECT_EQ(letters.green, 0);
}

} // namespace
