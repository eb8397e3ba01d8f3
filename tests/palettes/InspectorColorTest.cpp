// The colour buttons of the panels and the one colour panel they share: who owns it, where its colours go,
// dropped colours, the in-place editor's text colour, and locked selections.
#include "InspectorFixture.h"

#include "platform/foundation/UndoManager.h"
#include "platform/kit/Dragging.h"
#include "platform/kit/Pasteboard.h"

#include <QMimeData>

#include <gtest/gtest.h>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color green(0, 1, 0, 1);
const pf::Color blue(0, 0, 1, 0.5);

class InspectorColorTest : public InspectorFixture {
protected:
    InspectorColorPanel& panel() { return InspectorColorPanel::shared(); }

    // Presses a panel's colour button as the user does.
    void press(ColorButton* b)
    {
        ASSERT_TRUE(b);
        b->performClick();
    }

    static pf::OptionalColor colorOf(const std::shared_ptr<Shape>& shape, const char* key)
    {
        return shape->valueForKey(QString::fromLatin1(key)).get<pf::OptionalColor>().value_or(std::nullopt);
    }

    // A drop of the pasteboard's content on the button.
    static bool drop(ColorButton& b, const pf::PasteboardContent& content, pf::DragOperation* answer = nullptr)
    {
        const auto mime = content.makeMimeData();
        const pf::DraggingInfo info{pf::Point(5, 5), pf::DragOp::Copy, pf::Pasteboard(mime.get())};
        if (answer)
            *answer = b.draggingEntered(info);
        return b.performDragOperation(info);
    }
    static pf::PasteboardContent colorContent(const pf::Color& c)
    {
        pf::PasteboardContent content({pf::PasteboardType::color});
        content.setColor(c);
        return content;
    }
};

TEST_F(InspectorColorTest, OnlyTheLastPressedButtonOfTheInspectorOwnsThePanel)
{
    select({rectangle, ellipse});
    press(button("FillFacet", 901));
    EXPECT_TRUE(panel().isVisible());
    EXPECT_TRUE(panel().showsAlpha());
    EXPECT_EQ(panel().target(), &facet("FillFacet"));
    press(button("StrokeFacet", 904));
    EXPECT_FALSE(button("FillFacet", 901)->state());
    EXPECT_TRUE(button("StrokeFacet", 904)->state());
    EXPECT_TRUE(facet("FillFacet").currentColorPanelKey().isEmpty());
    EXPECT_EQ(facet("StrokeFacet").currentColorPanelKey(), QStringLiteral("strokeColor"));

    const pf::OptionalColor fillBefore = colorOf(rectangle, "fillColor");
    panel().userDidChooseColor(green);
    for (const auto& shape : {rectangle, ellipse}) {
        EXPECT_EQ(colorOf(shape, "strokeColor"), green);
        EXPECT_EQ(colorOf(shape, "fillColor"), fillBefore.value_or(pf::Color()) == green ? green : fillBefore);
    }

    // The edit's own refresh of the palettes keeps the selection, and so the panel's owner.
    endTurn();
    feed();
    panel().userDidChooseColor(blue);
    EXPECT_EQ(colorOf(ellipse, "strokeColor"), blue);
    EXPECT_TRUE(button("StrokeFacet", 904)->state());
    panel().userDidChooseColor(green);

    // A second press of the active button gives the panel up.
    press(button("StrokeFacet", 904));
    EXPECT_TRUE(facet("StrokeFacet").currentColorPanelKey().isEmpty());
    panel().userDidChooseColor(red);
    EXPECT_EQ(colorOf(rectangle, "strokeColor"), green);
}

TEST_F(InspectorColorTest, OpeningLoadsTheSelectionsColourWithoutSendingIt)
{
    rectangle->setValueForKey(pf::Variant(red), QStringLiteral("strokeColor"));
    select({rectangle});
    endTurn();
    undo.removeAllActions();
    std::vector<pf::Color> shown;
    InspectorColorPanel::setPresenter({}, [&](InspectorColorPanel& p) { shown.push_back(p.color()); });
    press(button("StrokeFacet", 904));
    InspectorColorPanel::setPresenter({});
    EXPECT_EQ(panel().color(), red);
    EXPECT_EQ(shown, std::vector<pf::Color>{red});
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(InspectorColorTest, ASelectionChangeEndsEveryHoldOnThePanel)
{
    select({rectangle});
    press(button("FillFacet", 901));
    const pf::OptionalColor ellipseFill = colorOf(ellipse, "fillColor");
    // The line lists no fill panel: the fill facet is not handed the next selection.
    select({line});
    EXPECT_FALSE(button("FillFacet", 901)->state());
    EXPECT_EQ(panel().target(), nullptr);
    panel().userDidChooseColor(green);
    EXPECT_NE(colorOf(rectangle, "fillColor"), green);

    // The same for a collapsed panel of a shown kind.
    select({rectangle});
    press(button("FillFacet", 901));
    facet("FillFacet").setCollapsed(true);
    select({ellipse});
    panel().userDidChooseColor(blue);
    EXPECT_NE(colorOf(rectangle, "fillColor"), blue);
    EXPECT_EQ(colorOf(ellipse, "fillColor"), ellipseFill);
}

TEST_F(InspectorColorTest, PanelChangesLeaveALockedSelectionAlone)
{
    select({rectangle, ellipse});
    press(button("FillFacet", 901));
    ellipse->setLocked(true);
    panel().userDidChooseColor(green);
    EXPECT_NE(colorOf(rectangle, "fillColor"), green);
    EXPECT_NE(colorOf(ellipse, "fillColor"), green);
    ellipse->setLocked(false);
    panel().userDidChooseColor(green);
    EXPECT_EQ(colorOf(rectangle, "fillColor"), green);
}

// A selection whose shapes keep fill stops as {"color", "ratio"} entries and a cached gradient; it
// records what is written through it.
class StopsSelection : public Manipulator {
public:
    pf::VariantArray elements;
    std::vector<QString> writes;

    const pf::PropertyTable& propertyTable() const override
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&Shape::properties());
            t.add(QStringLiteral("gradient"), pf::Property{[](const pf::Object&) { return pf::Variant(); }, {}});
            return t;
        }();
        return table;
    }
    pf::Variant valueForKeyPath(const QString& keyPath) const override
    {
        if (keyPath == QLatin1String("fillGradientElements"))
            return pf::Variant(elements);
        return Manipulator::valueForKeyPath(keyPath);
    }
    void setValueForKeyPath(const pf::Variant& value, const QString& keyPath) override
    {
        writes.push_back(keyPath);
        if (keyPath == QLatin1String("fillGradientElements") && value.array())
            elements = *value.array();
    }
};

TEST_F(InspectorColorTest, GradientEditsWriteOnlyAnElementInRange)
{
    const auto stop = [](const pf::Color& c, double ratio) {
        return pf::Variant(pf::VariantMap{{QStringLiteral("color"), c}, {QStringLiteral("ratio"), ratio}});
    };
    struct Case {
        const char* what;
        pf::VariantArray elements;
        std::int64_t index;
        std::vector<QString> writes;
    };
    const QString gradient = QStringLiteral("gradient"), stops = QStringLiteral("fillGradientElements");
    const Case cases[] = {
        {"in range", {stop(red, 0), stop(blue, 1)}, 1, {gradient, stops}},
        {"out of range", {stop(red, 0), stop(blue, 1)}, 2, {gradient}},
        {"no elements", {}, 0, {gradient}},
    };
    for (const Case& c : cases) {
        auto selection = std::make_shared<StopsSelection>();
        selection->elements = c.elements;
        Facet& fill = facet("FillFacet");
        fill.contentView();
        fill.setSelectedObject(selection);
        // The gradient control asks for the panel for one of its stops.
        fill.showColorPanel(Facet::ColorPanelRequest{902, true, c.index, nullptr});
        EXPECT_EQ(fill.currentSelectedIndex(), c.elements.empty() ? -1 : c.index) << c.what;
        if (!c.elements.empty() && c.index < std::int64_t(c.elements.size())) {
            EXPECT_EQ(panel().color(), blue) << c.what;
        }
        EXPECT_TRUE(selection->writes.empty()) << c.what;
        panel().userDidChooseColor(green);
        EXPECT_EQ(selection->writes, c.writes) << c.what;
        if (c.writes.size() == 2) {
            const pf::VariantMap* edited = selection->elements[1].map();
            ASSERT_TRUE(edited);
            EXPECT_EQ(edited->at(QStringLiteral("color")), pf::Variant(green));
            EXPECT_EQ(selection->elements[0], c.elements[0]);
        }
        fill.setSelectedObject(nullptr);
    }
}

TEST_F(InspectorColorTest, ADroppedColourRecoloursEverySelectedShapeInOneStep)
{
    select({rectangle, ellipse});
    press(button("StrokeFacet", 904)); // another facet holds the panel
    undo.removeAllActions();
    endTurn();
    pf::DragOperation answer = pf::DragOp::None;
    EXPECT_TRUE(drop(*button("FillFacet", 901), colorContent(blue), &answer));
    EXPECT_EQ(answer, pf::DragOp::Copy);
    EXPECT_EQ(button("FillFacet", 901)->draggedColor(), blue);
    EXPECT_EQ(colorOf(rectangle, "fillColor"), blue);
    EXPECT_EQ(colorOf(ellipse, "fillColor"), blue);
    endTurn();
    undo.undo();
    EXPECT_NE(colorOf(rectangle, "fillColor"), blue);
    EXPECT_NE(colorOf(ellipse, "fillColor"), blue);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(InspectorColorTest, DisabledButtonsAndOtherDataRefuseDrops)
{
    select({rectangle});
    ColorButton* fill = button("FillFacet", 901);
    const pf::OptionalColor before = colorOf(rectangle, "fillColor");

    pf::PasteboardContent text({QStringLiteral("public.png")});
    text.setData(QStringLiteral("public.png"), QByteArray("not a colour"));
    pf::DragOperation answer = pf::DragOp::Copy;
    EXPECT_FALSE(drop(*fill, text, &answer));
    EXPECT_EQ(answer, pf::DragOp::None);

    fill->setEnabled(false);
    answer = pf::DragOp::Copy;
    EXPECT_FALSE(drop(*fill, colorContent(green), &answer));
    EXPECT_EQ(answer, pf::DragOp::None);
    EXPECT_EQ(colorOf(rectangle, "fillColor"), before);
    EXPECT_FALSE(fill->draggedColor());

    // A locked selection takes no dropped colour either, whatever the button's state.
    fill->setEnabled(true);
    rectangle->setLocked(true);
    drop(*fill, colorContent(green), nullptr);
    EXPECT_EQ(colorOf(rectangle, "fillColor"), before);
}

TEST_F(InspectorColorTest, BoundButtonsShowTheCommonColourAndTheLock)
{
    rectangle->setValueForKey(pf::Variant(red), QStringLiteral("fillColor"));
    ellipse->setValueForKey(pf::Variant(red), QStringLiteral("fillColor"));
    select({rectangle, ellipse});
    ColorButton* fill = button("FillFacet", 901);
    EXPECT_EQ(fill->color(), red);
    EXPECT_TRUE(fill->isEnabled());

    // A write through the selection shows at once; shapes that differ show no colour.
    canvas->manipulator()->setValueForKeyPath(pf::Variant(green), QStringLiteral("fillColor"));
    EXPECT_EQ(fill->color(), green);
    ellipse->setValueForKey(pf::Variant(blue), QStringLiteral("fillColor"));
    feed();
    EXPECT_FALSE(fill->color());

    // A locked shape disables the button at the next hand-over, and it then refuses drops.
    ellipse->setLocked(true);
    feed();
    EXPECT_FALSE(fill->isEnabled());
    EXPECT_FALSE(drop(*fill, colorContent(red), nullptr));
    EXPECT_EQ(colorOf(rectangle, "fillColor"), green);
}

TEST_F(InspectorColorTest, OnlyThisWindowsTextColourNoticeCounts)
{
    select({rectangle});
    press(button("TextFacet", 907));
    press(button("TextFacet", 907)); // opened the text panel's content and gave the panel up again
    InspectorColorPanel::shared().setColor(green);
    const pf::OptionalColor before = colorOf(rectangle, "textColor");

    int elsewhere = 0;
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Facet::TextColorDidChangeNotification), &elsewhere);
    EXPECT_EQ(colorOf(rectangle, "textColor"), before);

    // A collapsed text panel does not act on this window's notice either.
    facet("TextFacet").setCollapsed(true);
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Facet::TextColorDidChangeNotification), canvas);
    EXPECT_EQ(colorOf(rectangle, "textColor"), before);

    facet("TextFacet").setCollapsed(false);
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Facet::TextColorDidChangeNotification), canvas);
    EXPECT_EQ(button("TextFacet", 907)->color(), green);
    EXPECT_EQ(colorOf(rectangle, "textColor"), green);
}

} // namespace
