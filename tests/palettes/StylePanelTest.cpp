// The opacity, fill and stroke panels: what the fill and stroke types show and enable, shadows, nothing
// selected, and edits through the controls as single undo steps.
#include "PanelFixture.h"

#include "platform/foundation/UndoManager.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <typeinfo>
#include <vector>

namespace {

class StylePanelTest : public PanelFixture {
protected:
    QVGradientControl* gradientControl() const { return outletOf<QVGradientControl>("FillFacet", "fillGradientControl"); }
    ColorButton* fillColorButton() const { return button("FillFacet", 901); }
    // A change made through the selection, as every editor makes it.
    void setOnSelection(const char* key, const pf::Variant& value)
    {
        canvas->manipulator()->setValueForKeyPath(value, QString::fromLatin1(key));
    }
};

TEST_F(StylePanelTest, TheFillTypeChoosesBetweenColourButtonAndGradientEditor)
{
    struct Case {
        std::uint64_t type;
        bool gradient;
        bool colorEnabled;
    };
    const Case cases[] = {
        {0, false, true}, {1, true, false}, {2, true, false}, {3, true, false},         {4, true, false},
        {5, false, false}, {6, false, false}, {7, false, false}, {std::uint64_t(-1), false, false},
    };
    select({rectangle});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fill type " << std::int64_t(c.type));
        setOnSelection("fillType", pf::Variant(std::int64_t(c.type)));
        ASSERT_TRUE(fillColorButton() && gradientControl());
        EXPECT_EQ(fillColorButton()->isVisibleTo(fillColorButton()->parentWidget()), !c.gradient);
        EXPECT_EQ(fillColorButton()->isEnabled(), c.colorEnabled);
        EXPECT_EQ(gradientControl()->isVisibleTo(gradientControl()->parentWidget()), c.gradient);
        if (c.gradient) {
            EXPECT_TRUE(gradientControl()->isEnabled());
            EXPECT_EQ(gradientControl()->elements(), rectangle->fillGradientElements());
        }
    }
}

TEST_F(StylePanelTest, TheFillPanelClosesUpWhereTheHiddenGradientRowStands)
{
    // The visible controls of the panel from the top, and the panel's row as the list lays it out.
    const auto shownRows = [this] {
        std::vector<QRect> rows;
        pf::View* panel = facet("FillFacet").contentView();
        // The controls: children of the panel and of its plain container views, not those views.
        const auto plain = [](const QWidget* w) { return typeid(*w) == typeid(pf::View); };
        for (QWidget* w : panel->findChildren<QWidget*>())
            if (w->isVisibleTo(panel) && plain(w->parentWidget()) && !plain(w))
                rows.emplace_back(w->mapTo(panel, QPoint(0, 0)), w->size());
        std::sort(rows.begin(), rows.end(), [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
        return rows;
    };
    const auto expectNoBand = [&](const char* state) {
        SCOPED_TRACE(state);
        drainTurn();
        const std::vector<QRect> rows = shownRows();
        ASSERT_FALSE(rows.empty());
        int bottom = 0;
        for (const QRect& r : rows) {
            EXPECT_LE(r.top() - bottom, 12) << "an empty band above the control at y " << r.top();
            bottom = std::max(bottom, r.bottom() + 1);
        }
        InspectorListItem* row = rowOf(facet("FillFacet"));
        ASSERT_TRUE(row);
        const double contentBottom = row->frame().height() - InspectorListItem::defaultHeight;
        EXPECT_LE(contentBottom - bottom, 12) << "an empty band under the last control";
        EXPECT_GE(contentBottom, bottom) << "the last control is cut";
    };
    select({rectangle});
    auto* type = outletOf<QComboBox>("FillFacet", "fillTypePopUpButton");
    expectNoBand("colour");
    const double colourHeight = rowOf(facet("FillFacet"))->frame().height();
    choose(type, 1);
    expectNoBand("linear gradient");
    EXPECT_TRUE(gradientControl()->isVisible());
    EXPECT_GT(rowOf(facet("FillFacet"))->frame().height(), colourHeight);
    choose(type, 5);
    expectNoBand("none");
    EXPECT_EQ(rowOf(facet("FillFacet"))->frame().height(), colourHeight);
}

TEST_F(StylePanelTest, TheGradientEditorHoldsACopyAndIsEnabledForOneUnlockedShapeOnly)
{
    rectangle->setFillType(1);
    ellipse->setFillType(1);
    select({rectangle, ellipse});
    EXPECT_FALSE(gradientControl()->isEnabled());
    select({rectangle});
    EXPECT_TRUE(gradientControl()->isEnabled());
    // The control's stops are its own until it reports a change.
    const GradientElements stored = rectangle->fillGradientElements();
    auto copy = gradientControl()->elements();
    copy.front().setRatio(0.42);
    gradientControl()->setElements(copy);
    EXPECT_EQ(rectangle->fillGradientElements(), stored);
    rectangle->setLocked(true);
    feed();
    EXPECT_FALSE(gradientControl()->isEnabled());
}

TEST_F(StylePanelTest, ShadowButtonsFollowTheirShadowAtOnceAndStrokeNoneDisablesItsColour)
{
    rectangle->setFillShadowHidden(true);
    select({rectangle});
    ColorButton* fillShadow = button("FillFacet", 906);
    ASSERT_TRUE(fillShadow);
    EXPECT_FALSE(fillShadow->isEnabled());
    auto* shadowBox = facet("FillFacet").contentView()->findChild<QCheckBox*>();
    ASSERT_TRUE(shadowBox);
    EXPECT_FALSE(shadowBox->isChecked());
    shadowBox->click();
    endTurn();
    EXPECT_FALSE(rectangle->fillShadowHidden());
    EXPECT_TRUE(fillShadow->isEnabled());
    // An undo edits the shape; the window then refreshes its palettes.
    undo.undo();
    feed();
    EXPECT_TRUE(rectangle->fillShadowHidden());
    EXPECT_FALSE(fillShadow->isEnabled());

    ColorButton* strokeColor = button("StrokeFacet", 904);
    EXPECT_TRUE(strokeColor->isEnabled());
    choose(outletOf<QComboBox>("StrokeFacet", "strokeTypePopUpButton"), 3);
    endTurn();
    EXPECT_EQ(rectangle->strokeType(), 3u);
    EXPECT_FALSE(strokeColor->isEnabled());
}

TEST_F(StylePanelTest, WithNothingSelectedColourButtonsAreOffDisabledAndEmpty)
{
    rectangle->setFillType(5);
    select({rectangle});
    button("StrokeFacet", 904)->performClick();
    ASSERT_TRUE(button("StrokeFacet", 904)->state());
    for (const char* name : {"FillFacet", "StrokeFacet"})
        facet(name).setSelectedObject(nullptr);
    for (const char* name : {"FillFacet", "StrokeFacet"})
        for (ColorButton* b : facet(name).allColorButtons()) {
            EXPECT_FALSE(b->state()) << name;
            EXPECT_FALSE(b->isEnabled()) << name;
            EXPECT_FALSE(b->color().has_value()) << name;
        }
    EXPECT_EQ(outletOf<QComboBox>("FillFacet", "fillTypePopUpButton")->currentIndex(), 0);
    EXPECT_EQ(outletOf<QComboBox>("StrokeFacet", "strokeTypePopUpButton")->currentIndex(), 0);
}

TEST_F(StylePanelTest, ControlsEditEverySelectedShapeInOneUndoStep)
{
    select({rectangle, ellipse});
    const double widthBefore = rectangle->strokeLineWidth();
    const std::uint64_t fillTypeBefore = ellipse->fillType();
    type(field("StrokeFacet", "strokeLineWidthField"), 7);
    endTurn();
    choose(outletOf<QComboBox>("FillFacet", "fillTypePopUpButton"), 2);
    endTurn();
    QWidget* join = outletOf<QWidget>("StrokeFacet", "strokeLineJoinControl");
    ASSERT_TRUE(join);
    const auto joins = join->findChildren<QToolButton*>();
    ASSERT_EQ(joins.size(), 3);
    joins[2]->click();
    endTurn();
    EXPECT_TRUE(joins[2]->isChecked());
    EXPECT_FALSE(joins[0]->isChecked());
    auto* opacity = outletOf<QSlider>("OpacityFacet", "opacitySlider");
    ASSERT_TRUE(opacity);
    opacity->setValue(40);
    endTurn();
    for (const auto& shape : {rectangle, ellipse}) {
        EXPECT_DOUBLE_EQ(shape->strokeLineWidth(), 7);
        EXPECT_EQ(shape->fillType(), 2u);
        EXPECT_EQ(shape->strokeLineJoin(), 2);
        EXPECT_DOUBLE_EQ(shape->opacity(), 0.4);
    }
    EXPECT_DOUBLE_EQ(field("OpacityFacet", "opacityField")->value(), 40);
    undo.undo();
    EXPECT_DOUBLE_EQ(ellipse->opacity(), 1);
    undo.undo();
    undo.undo();
    EXPECT_EQ(ellipse->fillType(), fillTypeBefore);
    undo.undo();
    EXPECT_DOUBLE_EQ(rectangle->strokeLineWidth(), widthBefore);
}

TEST_F(StylePanelTest, AStopAddedOnTheStripAndColouredInThePanelPaintsTheShapeAndUndoesBack)
{
    const pf::Color red(1, 0, 0, 1), green(0, 1, 0, 1), blue(0, 0, 1, 1);
    rectangle->setFillGradientElements({{red, 0}, {blue, 1}});
    // Left to right.
    rectangle->setFillAngle(0);
    const std::uint64_t typeBefore = rectangle->fillType();
    const GradientElements stopsBefore = rectangle->fillGradientElements();
    select({rectangle});
    choose(outletOf<QComboBox>("FillFacet", "fillTypePopUpButton"), 1);
    endTurn();
    ASSERT_EQ(rectangle->fillType(), 1u);
    QVGradientControl* control = gradientControl();
    ASSERT_TRUE(control->isVisibleTo(control->parentWidget()) && control->isEnabled());

    // A click in the middle of the strip: a red stop (the tie goes to the first), open in the panel.
    const QPointF middle(5.5 + 189 * 0.5, 8);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, middle, control->mapToGlobal(middle), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        e.setTimestamp(50000);
        QApplication::sendEvent(control, &e);
    }
    endTurn();
    ASSERT_EQ(rectangle->fillGradientElements().size(), 3u);
    EXPECT_EQ(InspectorColorPanel::shared().target(), &facet("FillFacet"));
    InspectorColorPanel::shared().userDidChooseColor(green);
    endTurn();
    EXPECT_EQ(rectangle->fillGradientElements()[2], QVGradientElement(green, 0.5));
    EXPECT_EQ(control->elements()[2].color(), pf::OptionalColor(green));

    // Across the shape on the page: red, green, blue.
    const QImage page = canvas->grab().toImage();
    const pf::Rect f = rectangle->frame();
    const auto colorAt = [&](double ratio) {
        // Above the middle, clear of any label.
        const pf::Point p = viewPoint(pf::Point(f.x() + f.width() * ratio, f.y() + f.height() * 0.25));
        return QColor(page.pixel(int(p.x), int(p.y)));
    };
    EXPECT_GT(colorAt(0.04).red(), 200);
    EXPECT_GT(colorAt(0.5).green(), 200);
    EXPECT_GT(colorAt(0.96).blue(), 200);

    // Colour, stop and type are three steps.
    for (int i = 0; i < 3; ++i)
        undo.undo();
    EXPECT_EQ(rectangle->fillType(), typeBefore);
    EXPECT_EQ(rectangle->fillGradientElements(), stopsBefore);
}

} // namespace
