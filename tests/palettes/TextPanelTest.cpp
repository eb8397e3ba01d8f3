// The text panels: what the appearance and the shadow enable, the line's placement pop-up, the end of
// in-place editing after a text control's edit, the font button and the font panel's way to the canvas,
// and a text colour chosen while a shape is edited in place.
#include "PanelFixture.h"

#include "canvas/CanvasFieldEditorTextView.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Panels.h"
#include "platform/text/AttributedString.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>

#include <gtest/gtest.h>

namespace {

class RecordingFontPanel : public pf::FontPanel {
public:
    void orderFront() override { ++shown; }
    int shown = 0;
};

class TextPanelTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        pf::FontPanel::setShared(&fontPanel);
    }
    void TearDown() override
    {
        pf::FontPanel::setShared(nullptr);
        PanelFixture::TearDown();
    }

    TextFacet& text() const { return static_cast<TextFacet&>(facet("TextFacet")); }
    LineTextFacet& lineText() const { return static_cast<LineTextFacet&>(facet("LineTextFacet")); }
    QAbstractButton* fontButton() const { return text().textFontButton(); }
    ColorButton* textColorButton() const { return button("TextFacet", 907); }
    ColorButton* shadowColorButton() const { return button("TextFacet", 908); }

    // Two runs of text, the first typed in place with a shadow of its own.
    void giveStyledText(Shape& shape)
    {
        pf::TextAttributes typed;
        typed.font = pf::Font(QStringLiteral("Helvetica"), 30);
        typed.foregroundColor = pf::Color(1, 0, 0, 1);
        typed.shadow = pf::Shadow();
        pf::MutableAttributedString styled(QStringLiteral("styled "), typed);
        styled.append(pf::AttributedString(QStringLiteral("text"), shape.textAttributes()));
        shape.setAttributedText(styled);
        endTurn();
    }
    // The run typed in place keeps its own shadow, which the shape (its text shadow hidden) has not.
    static bool hasStyledRuns(const Shape& shape)
    {
        const auto& text = shape.attributedText();
        return text && text->length() > 0 && text->attributesAtIndex(0).shadow.has_value();
    }

    RecordingFontPanel fontPanel;
};

TEST_F(TextPanelTest, HiddenUnlessEditedDisablesFontAndTextColourAndAHiddenShadowItsColour)
{
    rectangle->setTextAppearanceType(2);
    select({rectangle});
    ASSERT_TRUE(fontButton() && textColorButton() && shadowColorButton());
    EXPECT_FALSE(fontButton()->isEnabled());
    EXPECT_FALSE(textColorButton()->isEnabled());
    // Another appearance enables both at once, through the selection as every editor writes it.
    canvas->manipulator()->setValueForKeyPath(pf::Variant(std::int64_t(1)), QStringLiteral("textAppearanceType"));
    EXPECT_TRUE(fontButton()->isEnabled());
    EXPECT_TRUE(textColorButton()->isEnabled());

    // The shadow colour follows the shadow; its on state is left as it was.
    const auto setOnSelection = [this](const char* key, const pf::Variant& value) {
        canvas->manipulator()->setValueForKeyPath(value, QString::fromLatin1(key));
    };
    setOnSelection("textShadowHidden", pf::Variant(false));
    EXPECT_TRUE(shadowColorButton()->isEnabled());
    shadowColorButton()->performClick();
    ASSERT_TRUE(shadowColorButton()->state());
    setOnSelection("textShadowHidden", pf::Variant(true));
    EXPECT_FALSE(shadowColorButton()->isEnabled());
    EXPECT_TRUE(shadowColorButton()->state());

    // Nothing is enabled while the shape is locked, whatever its appearance.
    rectangle->setLocked(true);
    feed();
    EXPECT_FALSE(fontButton()->isEnabled());
    EXPECT_FALSE(textColorButton()->isEnabled());
    EXPECT_FALSE(shadowColorButton()->isEnabled());
}

TEST_F(TextPanelTest, TheResizingTextsShadowControlsEditItsFillShadow)
{
    auto box = addShape("ResizeText", pf::Rect(500, 100, 120, 40));
    box->setFillShadowHidden(true);
    box->setTextShadowHidden(false);
    select({box});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("ResizeTextFacet")));
    Facet& resize = facet("ResizeTextFacet");
    ColorButton* shadow = resize.colorButtonForTag(906);
    ASSERT_TRUE(shadow);
    EXPECT_FALSE(shadow->isEnabled());
    auto* box906 = resize.contentView()->findChild<QCheckBox*>();
    ASSERT_TRUE(box906);
    box906->click();
    endTurn();
    EXPECT_FALSE(box->fillShadowHidden());
    EXPECT_TRUE(shadow->isEnabled());
}

TEST_F(TextPanelTest, TheLinesPlacementPopUpShowsAndWritesThePair)
{
    select({line});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("LineTextFacet")));
    QComboBox* placement = lineText().textPopUpButton();
    ASSERT_TRUE(placement);
    struct Shown {
        bool onPath;
        std::int64_t appearance;
        int tag;
    };
    for (const Shown& c : {Shown{true, 2, 1}, Shown{true, 0, 1}, Shown{false, 2, 2}, Shown{false, 1, 0}, Shown{false, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "on path " << c.onPath << ", appearance " << c.appearance);
        line->setTextDrawOnPath(c.onPath);
        line->setTextAppearanceType(c.appearance);
        feed();
        EXPECT_EQ(placement->currentData().toInt(), c.tag);
    }

    struct Chosen {
        int tag;
        bool onPath;
        std::int64_t appearance;
    };
    line->setTextAppearanceType(1);
    line->setTextDrawOnPath(false);
    endTurn();
    undo.removeAllActions();
    for (const Chosen& c : {Chosen{1, true, 0}, Chosen{2, false, 2}, Chosen{0, false, 0}}) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag);
        choose(placement, c.tag);
        endTurn();
        EXPECT_EQ(line->textDrawOnPath(), c.onPath);
        EXPECT_EQ(std::int64_t(line->textAppearanceType()), c.appearance);
        EXPECT_EQ(placement->currentData().toInt(), c.tag);
    }
    // Each choice is one step.
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(line->textDrawOnPath());
    EXPECT_EQ(line->textAppearanceType(), 2u);
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(line->textDrawOnPath());
    EXPECT_EQ(line->textAppearanceType(), 0u);
}

TEST_F(TextPanelTest, ATextControlEndsInPlaceEditingAndDropsTheStyledRuns)
{
    rectangle->setTextShadowHidden(true);
    giveStyledText(*rectangle);
    undo.removeAllActions();
    ASSERT_TRUE(hasStyledRuns(*rectangle));
    select({rectangle});
    // Without an edit in place the action leaves the runs alone.
    text().textPropertyChanged();
    endTurn();
    EXPECT_TRUE(hasStyledRuns(*rectangle));
    EXPECT_FALSE(undo.canUndo());

    canvas->beginEditingTextIn(*rectangle);
    ASSERT_TRUE(canvas->isEditingText());
    auto* align = facet("TextFacet").outlet(QStringLiteral("textAlignControl"));
    ASSERT_TRUE(align);
    QButtonGroup* choices = align->findChild<QButtonGroup*>();
    ASSERT_TRUE(choices);
    choices->button(2)->click();
    endTurn();
    EXPECT_EQ(rectangle->textAlign(), 2);
    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_FALSE(hasStyledRuns(*rectangle));
    EXPECT_EQ(rectangle->attributedText()->string(), QStringLiteral("styled text"));
}

TEST_F(TextPanelTest, TheFontButtonOpensThePanelOnTheSettingsFontWhosChoicesReachTheCanvas)
{
    UserDefaults::instance().setSelectedFontName(QStringLiteral("Times-Roman"));
    UserDefaults::instance().setSelectedFontSize(14);
    giveStyledText(*rectangle);
    select({rectangle});
    pf::Window* main = pf::Window::attach(window.get());
    main->becomeMainWindow();
    // The keyboard is elsewhere in the window when the button is pressed.
    QWidget elsewhere(window.get());
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    ASSERT_TRUE(main->makeFirstResponder(&elsewhere));
    ASSERT_TRUE(fontButton());
    fontButton()->click();
    EXPECT_EQ(fontPanel.shown, 1);
    EXPECT_EQ(fontPanel.panelFont(), pf::Font(QStringLiteral("Times-Roman"), 14));
    // Turned off, the button opens nothing.
    fontButton()->click();
    EXPECT_EQ(fontPanel.shown, 1);

    // A choice in the panel goes along the action path of the window the user works in, to its canvas.
    fontPanel.userChoseFont(pf::Font(QStringLiteral("Times-Roman"), 40));
    endTurn();
    EXPECT_EQ(UserDefaults::instance().selectedFontSize(), 40);
    ASSERT_TRUE(rectangle->attributedText());
    EXPECT_EQ(rectangle->attributedText()->attributesAtIndex(0).font, pf::Font(QStringLiteral("Times-Roman"), 40));
}

TEST_F(TextPanelTest, ATextColourChosenWhileEditingGoesToThisWindowsSelectionOnly)
{
    // Window B: another page on its own canvas, with its own inspector.
    auto pageB = Composition::make(std::make_shared<Metrics>());
    auto canvasB = std::make_unique<Canvas>(pf::Rect(0, 0, 400, 300));
    canvasB->setComposition(pageB);
    auto shapeB = Rectangle::staticClass().newShape(pf::Rect(20, 20, 100, 60));
    pageB->addShape(shapeB);
    shapeB->setAttributedText(pf::AttributedString(QStringLiteral("B"), shapeB->textAttributes()));
    canvasB->replaceSelectionWithShapes({shapeB});
    auto inspectorB = makeInspector();
    inspectorB->setCanvasProvider([&canvasB] { return canvasB.get(); });
    inspectorB->setSelectedComposition(pageB.get());
    inspectorB->setSelectedObject(canvasB->manipulator().get());
    inspectorB->setNeedsUpdate();
    drainTurn();
    const pf::AttributedString beforeB = *shapeB->attributedText();

    giveStyledText(*rectangle);
    select({rectangle});
    textColorButton()->performClick();
    ASSERT_TRUE(textColorButton()->state());
    canvas->beginEditingTextIn(*rectangle);
    ASSERT_TRUE(canvas->isEditingText());
    canvas->fieldEditor().selectAll();
    EXPECT_EQ(facet("TextFacet").currentColorPanelKey(), QStringLiteral("textColor"));
    EXPECT_EQ(InspectorColorPanel::shared().target(), static_cast<InspectorColorPanel::Target*>(&facet("TextFacet")));
    EXPECT_EQ(canvas->fieldEditor().canvas(), canvas);
    const pf::Color green(0, 0.6, 0.1, 1);
    InspectorColorPanel::shared().userDidChooseColor(green);
    endTurn();
    EXPECT_EQ(textColorButton()->color(), pf::OptionalColor(green));
    canvas->stopEditingText();
    endTurn();

    EXPECT_EQ(rectangle->textColor(), pf::OptionalColor(green));
    EXPECT_EQ(rectangle->attributedText()->attributesAtIndex(rectangle->attributedText()->length() - 1).foregroundColor,
              pf::OptionalColor(green));
    EXPECT_EQ(*shapeB->attributedText(), beforeB);
    inspectorB.reset();
}

} // namespace
