// The title box: compartments measured from both texts, editType routing the editor and the font and
// colour setters, fitting, the body's undo and stored form, the title band in the stroke colour, and an
// outline that never rotates.
#include "TextShapesTestSupport.h"

#include "geometry/QVRect.h"
#include "shapes/TitleBox.h"

namespace {

class TitleBoxTest : public TextShapesTest {
protected:
    std::shared_ptr<TitleBox> titleBox(const pf::Rect& frame = pf::Rect(10, 10, 200, 120))
    {
        auto box = onPage<TitleBox>(frame);
        box->setStrokeLineWidth(2);
        box->setAttributedText(styled(QStringLiteral("Account"), 13));
        const pf::AttributedString body = styled(QStringLiteral("name\nbalance"));
        box->setAttributedText1(&body);
        canvasPage.undo.removeAllActions();
        return box;
    }
    static pf::Rect normalised(const Shape& s) { return QVRectGetNormalizedRect(s.frame()); }
};

TEST_F(TitleBoxTest, NewBoxHasABoldTitleAndABody)
{
    auto box = Shape::make<TitleBox>(pf::Rect(0, 0, 120, 80));
    ASSERT_TRUE(box->hasText() && box->hasBody());
    EXPECT_EQ(box->attributedText()->string(), "Title");
    EXPECT_TRUE(box->attributedText()->attributesAtIndex(0).font->isBold());
    EXPECT_EQ(box->attributedText1()->string(), "Body");
    EXPECT_EQ(box->editType(), 0u);

    // The class's own defaults are those of a title: bold and centred; other kinds keep their font.
    const pf::TextAttributes& defaults = TitleBox::staticClass().defaultTextAttributes();
    ASSERT_TRUE(defaults.font && defaults.paragraphStyle);
    EXPECT_TRUE(defaults.font->isBold());
    EXPECT_EQ(defaults.paragraphStyle->alignment, pf::TextAlignment::Center);
    EXPECT_FALSE(Rectangle::staticClass().defaultTextAttributes().font->isBold());
}

TEST_F(TitleBoxTest, TitleBandIsTheTitleHeightPlusPadding)
{
    auto box = titleBox();
    const pf::Rect f = normalised(*box);
    const pf::Size title = box->titleTextSize();
    EXPECT_GT(title.height, 13);
    const pf::Rect band = box->titleBoxRectForFrame(f);
    EXPECT_EQ(band, pf::Rect(f.origin.x, f.origin.y, f.size.width, title.height + 8));
    // The title centred in it, the body's box below it down to the bottom.
    const pf::Rect text = box->titleTextRectForFrame(f);
    EXPECT_NEAR(text.origin.x + text.size.width / 2, f.origin.x + f.size.width / 2, 1);
    EXPECT_NEAR(text.origin.y + text.size.height / 2, band.origin.y + band.size.height / 2, 1);
    const pf::Rect body = box->bodyBoxRectForFrame(f);
    EXPECT_EQ(body.origin.y, band.origin.y + band.size.height);
    EXPECT_EQ(body.origin.y + body.size.height, f.origin.y + f.size.height);
}

TEST_F(TitleBoxTest, EmptyBodyKeepsAMinimalCompartmentUntilEdited)
{
    auto box = titleBox();
    box->setAttributedText1(nullptr);
    const pf::Rect f = normalised(*box);
    EXPECT_EQ(box->bodyBoxRectForFrame(f).size.height, box->minBodyBoxHeight());
    // An empty compartment measures one line.
    EXPECT_GT(box->bodyTextSize().height, 10);
    box->setEditType(2);
    box->setEditingText(true);
    EXPECT_EQ(box->editType(), 2u);
    EXPECT_EQ(box->bodyBoxRectForFrame(f).size.height, box->remainderBoxHeight(f));
    box->setEditingText(false);
    EXPECT_EQ(box->editType(), 0u);
}

TEST_F(TitleBoxTest, EditTypeChoosesWhatTheEditorShowsAndStores)
{
    auto box = titleBox();
    const pf::Rect f = normalised(*box);
    box->setEditingText(true); // without a choice, the title
    EXPECT_EQ(box->editType(), 1u);
    EXPECT_EQ(box->editText()->string(), "Account");
    EXPECT_EQ(box->editTextAlign(), pf::TextAlignment::Center);
    EXPECT_EQ(box->fieldEditorRectForText(*box->editText()), box->titleTextRectForFrame(f));
    box->setEditText(&static_cast<const pf::AttributedString&>(styled(QStringLiteral("Customer"), 13)));
    EXPECT_EQ(box->attributedText()->string(), "Customer");
    box->setEditingText(false);

    box->setTextAlign(3);
    box->setEditType(2);
    box->setEditingText(true);
    EXPECT_EQ(box->editText()->string(), "name\nbalance");
    EXPECT_EQ(box->editTextAlign(), pf::TextAlignment::Left); // justified edits left-aligned
    EXPECT_EQ(box->fieldEditorRect(), box->bodyTextRectForFrame(f));
    const pf::AttributedString typed = styled(QStringLiteral("id"));
    box->setEditText(&typed);
    EXPECT_EQ(box->attributedText1()->string(), "id");
    box->setEditingText(false);
    EXPECT_EQ(box->editText(), nullptr);
    EXPECT_EQ(box->fieldEditorRect(), pf::Rect::zero());
}

TEST_F(TitleBoxTest, FontAndColourSettersFollowTheEditType)
{
    const pf::Color red(1, 0, 0, 1);
    const pf::Font big(QStringLiteral("Times"), 20);
    struct Case {
        std::uint64_t editType;
        bool title;
        bool body;
    };
    for (const Case& c : {Case{0, true, true}, Case{1, true, false}, Case{2, false, true}, Case{7, false, false}}) {
        auto box = titleBox();
        const pf::AttributedString title = *box->attributedText();
        const pf::AttributedString body = *box->attributedText1();
        const pf::Size bodySize = box->bodyTextSize();
        box->setEditType(c.editType);
        box->setTextColor(red);
        box->setTextFont(big);
        EXPECT_EQ(box->attributedText()->attributesAtIndex(0).foregroundColor == red, c.title) << c.editType;
        EXPECT_EQ(box->attributedText()->attributesAtIndex(0).font == big, c.title) << c.editType;
        EXPECT_EQ(box->attributedText1()->attributesAtIndex(0).foregroundColor == red, c.body) << c.editType;
        EXPECT_EQ(box->attributedText1()->attributesAtIndex(0).font == big, c.body) << c.editType;
        // Measured again: the body grows with its font.
        EXPECT_EQ(box->bodyTextSize().height > bodySize.height, c.body) << c.editType;
        // Undoable, as any edit.
        while (canvasPage.undo.canUndo())
            canvasPage.undo.undo();
        EXPECT_EQ(*box->attributedText(), title);
        EXPECT_EQ(*box->attributedText1(), body);
    }
}

TEST_F(TitleBoxTest, SizeToFitFitsBothTextsWithRoomUnlessOptionIsHeld)
{
    auto box = titleBox(pf::Rect(0, 0, 400, 300));
    const pf::Point centre = box->center();
    const pf::Size ideal = box->idealSize();
    box->sizeToFitText(true);
    const pf::Rect tight = box->frame();
    box->sizeToFitText(false);
    const pf::Rect roomy = box->frame();
    // Stroke 2: half a point more on every side.
    EXPECT_NEAR(tight.size.width, ideal.width + 1, 1);
    EXPECT_NEAR(tight.size.height, ideal.height + 1, 1);
    EXPECT_EQ(roomy.size.width, tight.size.width + 16);
    EXPECT_EQ(roomy.size.height, tight.size.height);
    EXPECT_NEAR(box->center().x, centre.x, 1);
    EXPECT_NEAR(box->center().y, centre.y, 1);
    const pf::Size body = box->bodyTextSize();
    EXPECT_GE(ideal.width, std::max(box->titleTextSize().width, body.width) + 4);
    // Line heights are not whole points: the sum may round differently in its last place.
    EXPECT_DOUBLE_EQ(ideal.height, box->titleTextSize().height + 8 + body.height + 8);
}

TEST_F(TitleBoxTest, BodyTextRectByAlignment)
{
    auto box = titleBox();
    const pf::Rect f = normalised(*box);
    const pf::Rect b = box->bodyBoxRectForFrame(f).insetBy(1, 1); // half the stroke
    const pf::Size s = box->bodyTextSize();
    const double wider = std::max(s.width, box->titleTextSize().width);
    struct Case {
        std::uint64_t align;
        double x;
    };
    for (const Case& c : {Case{0, b.origin.x + 2}, Case{1, b.origin.x + b.size.width - 2 - s.width},
                          Case{2, b.origin.x + b.size.width / 2 - s.width / 2},
                          Case{3, b.origin.x + b.size.width / 2 - wider / 2}}) {
        box->setTextAlign(c.align);
        box->setTextVerticalAlign(1);
        EXPECT_EQ(box->bodyTextRectForFrame(f), QVRectRound(pf::Rect(c.x, b.origin.y + 4, s.width, s.height))) << c.align;
    }
    // A text taller than its box starts at the top padding, not above it.
    box->setTextVerticalAlign(2);
    box->setFrame(pf::Rect(10, 10, 200, box->titleBoxRectForFrame(f).size.height + 12));
    const pf::Rect f2 = normalised(*box);
    EXPECT_EQ(box->bodyTextRectForFrame(f2).origin.y, std::round(box->bodyBoxRectForFrame(f2).origin.y + 1 + 4));
}

TEST_F(TitleBoxTest, BodyEditIsUndoableAndStored)
{
    auto box = titleBox();
    const pf::AttributedString before = *box->attributedText1();
    const pf::AttributedString after = styled(QStringLiteral("changed"), 15, pf::Color(0, 0.5, 0, 1));
    box->setAttributedText1(&after);
    box->setAttributedText1(&after); // the same text again: no second step
    EXPECT_EQ(canvasPage.undo.undoActionName(), "Edit Attributes");
    ASSERT_TRUE(canvasPage.undo.undo());
    EXPECT_EQ(*box->attributedText1(), before);
    EXPECT_FALSE(canvasPage.undo.canUndo());
    ASSERT_TRUE(canvasPage.undo.redo());

    const pf::Value plist = box->asPlist();
    EXPECT_FALSE(plist.dataForKey("attributedText1Data").isEmpty());
    auto read = std::dynamic_pointer_cast<TitleBox>(Shape::fromPlist(plist));
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->hasBody());
    EXPECT_EQ(read->attributedText1()->string(), "changed");
    EXPECT_EQ(read->attributedText1()->attributesAtIndex(0).font, after.attributesAtIndex(0).font);
    EXPECT_EQ(read->attributedText1()->attributesAtIndex(0).foregroundColor, pf::Color(0, 0.5, 0, 1));

    // A stored box without a body reads without one (not with the new box's "Body").
    box->setAttributedText1(nullptr);
    const pf::Value bodiless = box->asPlist();
    EXPECT_FALSE(bodiless.objectForKey("attributedText1Data").isData());
    auto readBodiless = std::dynamic_pointer_cast<TitleBox>(Shape::fromPlist(bodiless));
    ASSERT_TRUE(readBodiless);
    EXPECT_FALSE(readBodiless->hasBody());

    auto copy = std::dynamic_pointer_cast<TitleBox>(read->copy());
    auto other = read->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->attributedText1()->string(), "changed");
    EXPECT_TRUE(copy->isEqualToShape(*other));
    copy->setAttributedText1(nullptr);
    EXPECT_FALSE(copy->isEqualToShape(*other));
}

TEST_F(TitleBoxTest, StyleChangeKeepsTheBodysFontWhenTheTitleIsEmpty)
{
    auto box = titleBox();
    box->setAttributedText(nullptr);
    const pf::Font bodyFont = *box->attributedText1()->attributesAtIndex(0).font;
    box->setTextAlign(1);
    EXPECT_EQ(box->attributedText1()->attributesAtIndex(0).font, bodyFont);
    EXPECT_EQ(box->attributedText1()->attributesAtIndex(0).paragraphStyle->alignment, pf::TextAlignment::Right);
}

TEST_F(TitleBoxTest, TitleBandIsFilledInTheStrokeColour)
{
    canvasPage.zoom = 2;
    auto box = titleBox(pf::Rect(10, 10, 160, 100));
    box->setAttributedText(nullptr); // only the band, no letters over it
    box->setFillType(5);
    box->setStrokeType(0);
    box->setStrokeColor(pf::Color(0, 0, 1, 1));
    box->setStrokeShadowHidden(true);
    const QImage image = render(*box, pf::Size(200, 130));
    const pf::Rect band = box->titleBoxRectForFrame(normalised(*box));
    const pf::Rect body = box->bodyBoxRectForFrame(normalised(*box));
    const auto at = [&](double x, double y) { return colour(image, int(x * 2), int(y * 2)); };
    EXPECT_EQ(at(band.origin.x + 40, band.origin.y + band.size.height / 2), QColor(0, 0, 255));
    // Below the band's line the body shows its (absent) fill.
    EXPECT_EQ(at(body.origin.x + 40, body.origin.y + body.size.height / 2).alpha(), 0);
}

TEST_F(TitleBoxTest, TextIsDrawnInsideItsCompartments)
{
    auto box = titleBox();
    box->setTextShadowHidden(true);
    auto context = record(*box);
    const pf::Rect f = normalised(*box);
    std::vector<pf::Rect> clips;
    int runs = 0;
    for (const pf::RecordedCall& call : context->calls()) {
        if (call.operation == "clipToRect")
            clips.push_back(call.path.bounds());
        if (call.operation == "glyphs")
            ++runs;
    }
    EXPECT_EQ(runs >= 2, true);
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0], box->titleBoxRectForFrame(f));
    EXPECT_EQ(clips[1], box->bodyBoxRectForFrame(f));

    // While the body is edited the editor shows it: only the title is drawn.
    box->setEditType(2);
    box->setEditingText(true);
    auto editing = record(*box);
    const auto count = std::count_if(editing->calls().begin(), editing->calls().end(),
                                     [](const auto& c) { return c.operation == "clipToRect"; });
    EXPECT_EQ(count, 1);
}

TEST_F(TitleBoxTest, OutlineRoundsByTheRatioAndNeverRotates)
{
    auto box = titleBox(pf::Rect(0, 0, 100, 60));
    box->setAdjustmentRatioX(0);
    EXPECT_EQ(box->path().bounds(), pf::Rect(0, 0, 100, 60));
    EXPECT_TRUE(box->containsPoint({0.5, 0.5}));
    box->setAdjustmentRatioX(0.2); // radius 20 at all corners
    EXPECT_FALSE(box->containsPoint({1, 1}));
    EXPECT_FALSE(box->containsPoint({1, 59}));
    box->setAdjustmentRatioX(0.9); // radius 10, top corners only
    EXPECT_FALSE(box->containsPoint({1, 1}));
    EXPECT_TRUE(box->containsPoint({1, 59}));
    EXPECT_EQ(box->adjustPoint(), pf::Point(10, 0));

    box->setRotationAngle(45);
    EXPECT_EQ(box->rotationAngle(), 0);
    EXPECT_FALSE(canvasPage.undo.undoActionName() == "Rotation");
}

TEST_F(TitleBoxTest, CornerRatioComesFromTheStickyDefaultWithoutWritingIt)
{
    registerDefault(QStringLiteral("TitleBox-adjustmentRatioX"), pf::Value(0.25));
    auto box = Shape::make<TitleBox>(pf::Rect(0, 0, 100, 60));
    EXPECT_EQ(box->adjustmentRatioX(), 0.25);
    EXPECT_FALSE(box->containsPoint({1, 1}));
    EXPECT_TRUE(userValues().empty());
    EXPECT_EQ(TitleBox::staticClass().plist().doubleForKey("adjustmentRatioX"), 0.25);
}

} // namespace
