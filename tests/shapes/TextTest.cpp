// The text box: its text fills the whole frame, its own sticky family, snapping and colour drops by its
// alignment and stroke, its stored form and library preview.
#include "TextShapesTestSupport.h"

#include "geometry/QVRect.h"
#include "shapes/ResizeText.h"
#include "shapes/TitleBox.h"

namespace {

TEST_F(TextShapesTest, NewTextBoxHoldsTextInTheFamilysCurrentFont)
{
    registerDefault(QStringLiteral("Text-textFontName"), pf::Value(QStringLiteral("Times")));
    registerDefault(QStringLiteral("Text-textFontSize"), pf::Value(18.0));
    auto text = Shape::make<Text>(pf::Rect(0, 0, 200, 50));
    ASSERT_TRUE(text->hasText());
    EXPECT_EQ(text->attributedText()->string(), "Text");
    EXPECT_EQ(text->attributedText()->attributesAtIndex(0).font, pf::Font(QStringLiteral("Times"), 18));
    EXPECT_TRUE(text->isText());
    EXPECT_FALSE(text->canConvertToBezier() || text->canInvert() || text->canIntersect());
}

TEST_F(TextShapesTest, TextFillsTheWholeFrameWhateverTheStroke)
{
    auto text = onPage<Text>(pf::Rect(10, 20, 200, 50));
    for (double width : {0.0, 1.0, 10.0}) {
        text->setStrokeLineWidth(width);
        EXPECT_EQ(text->textPadSize(), pf::Size(0, 0));
        EXPECT_EQ(text->textRect(), pf::Rect(10, 20, 200, 50)) << width;
        const pf::Rect band = text->horizontalTextRectForText(*text->attributedText());
        EXPECT_EQ(band.origin.x, 10);
        EXPECT_EQ(band.size.width, 200);
    }
}

TEST_F(TextShapesTest, ABoxDraggedInsideOutLaysItsTextInTheBoxMadePositive)
{
    auto text = onPage<Text>(pf::Rect(10, 20, 200, 50));
    text->setFrame(pf::Rect(210, 70, -200, -50)); // both handles dragged past the opposite sides
    EXPECT_EQ(text->textRect(), pf::Rect(10, 20, 200, 50));
    const pf::Rect band = text->horizontalTextRectForText(*text->attributedText());
    EXPECT_EQ(band.origin.x, 10);
    EXPECT_EQ(band.size.width, 200);
    EXPECT_GE(band.origin.y, 20);
    EXPECT_LE(band.maxY(), 70);

    text->setRotationAngle(30);
    text->setFrame(pf::Rect(10.25, 20.5, 200.5, 50.25));
    EXPECT_EQ(text->textRect(), pf::Rect(10.25, 20.5, 200.5, 50.25));
}

TEST_F(TextShapesTest, OnlyCentredAndJustifiedBoxesAreSnapTargets)
{
    auto text = onPage<Text>(pf::Rect(0, 0, 100, 40));
    struct Case {
        std::uint64_t align;
        bool snapable;
    };
    for (const Case& c : {Case{0, false}, Case{1, false}, Case{2, true}, Case{3, true}, Case{4, true}}) {
        text->setTextAlign(c.align);
        EXPECT_EQ(text->isSnapable(), c.snapable) << c.align;
    }
    text->setSelected(true);
    EXPECT_FALSE(text->isSnapable());
    text->setSelected(false);
    text->setHidden(true);
    EXPECT_FALSE(text->isSnapable());
}

TEST_F(TextShapesTest, DroppedColourRecoloursTheTextOnlyWithoutStroke)
{
    auto text = onPage<Text>(pf::Rect(0, 0, 100, 40));
    text->setStrokeType(0);
    EXPECT_EQ(text->dropColorType(), 0);
    text->setStrokeType(3);
    EXPECT_EQ(text->dropColorType(), 2);
}

TEST_F(TextShapesTest, StyleIsStickyForTextBoxesOnly)
{
    auto text = onPage<Text>(pf::Rect(0, 0, 100, 40));
    text->setTextAlign(1);
    EXPECT_EQ(userValues().count(QStringLiteral("User-Text-textAlign")), 1u);
    EXPECT_EQ(userValues().count(QStringLiteral("User-Shape-textAlign")), 0u);
}

TEST_F(TextShapesTest, StoredFormRoundTrips)
{
    auto text = onPage<Text>(pf::Rect(5, 6, 120, 40));
    text->setAttributedText(styled(QStringLiteral("Stored\ntext"), 15, pf::Color(1, 0, 0, 1)));
    text->setTextAlign(2);
    const pf::Value plist = text->asPlist();
    EXPECT_EQ(plist.stringForKey("className"), "Text");
    auto read = Shape::fromPlist(plist);
    ASSERT_TRUE(read);
    ASSERT_EQ(&read->shapeClass(), &Text::staticClass());
    EXPECT_EQ(read->frame(), text->frame());
    // What the stored form keeps of the text: characters, fonts and colours.
    const pf::AttributedString& back = *read->attributedText();
    EXPECT_EQ(back.string(), text->attributedText()->string());
    for (qsizetype i : {qsizetype(0), back.length() - 1}) {
        EXPECT_EQ(back.attributesAtIndex(i).font, text->attributedText()->attributesAtIndex(i).font);
        EXPECT_EQ(back.attributesAtIndex(i).foregroundColor, pf::Color(1, 0, 0, 1));
    }
}

TEST_F(TextShapesTest, LibraryPreviewIsALargeCentredT)
{
    StickyDefaults::WithoutSetting noSticky;
    auto preview = Text::staticClass().libraryListItemShapeWithFrame(pf::Rect(0, 0, 32, 32));
    ASSERT_TRUE(preview->hasText());
    EXPECT_EQ(preview->attributedText()->string(), "T");
    const pf::TextAttributes a = preview->attributedText()->attributesAtIndex(0);
    EXPECT_EQ(a.font->pointSize(), 26);
    EXPECT_TRUE(a.font->isBold());
    EXPECT_EQ(a.foregroundColor, Text::staticClass().libraryListItemShapeStrokeColor());
    EXPECT_EQ(preview->textAlign(), 2u);
    EXPECT_TRUE(preview->textShadowHidden());
    EXPECT_EQ(preview->textShadowBlur(), 3.0);
    EXPECT_EQ(preview->textShadowColor(), pf::Color(0, 0, 0, 0.25));
    EXPECT_TRUE(userValues().empty());
}

} // namespace

namespace {

// The library icons drawn in code: where their shapes land on the 32-point icon.
TEST_F(TextShapesTest, LibraryIconsDrawnInCode)
{
    struct Case {
        const ShapeClass* kind;
        const char* operation;
        pf::Rect bounds;
    };
    // The resizing text's "T" (moved right by 1); the title box's white box under its outline.
    for (const Case& c : {Case{&ResizeText::staticClass(), "fill", pf::Rect(6, 2, 22, 28)},
                          Case{&TitleBox::staticClass(), "fill", pf::Rect(2.5, 3, 27, 26.5)}}) {
        const pf::Image icon = c.kind->iconImage();
        ASSERT_TRUE(icon.hasDrawingHandler()) << c.kind->className().toStdString();
        EXPECT_EQ(icon.size(), pf::Size(32, 32));
        pf::RecordingContext context;
        icon.drawingHandler()(context, pf::Rect(0, 0, 32, 32));
        const auto& calls = context.calls();
        const auto first = std::find_if(calls.begin(), calls.end(), [&](const auto& call) { return call.operation == c.operation; });
        ASSERT_NE(first, calls.end()) << c.kind->className().toStdString();
        EXPECT_EQ(first->path.bounds().offsetBy(first->state.ctm.tx, first->state.ctm.ty), c.bounds)
            << c.kind->className().toStdString();
    }
}

} // namespace
