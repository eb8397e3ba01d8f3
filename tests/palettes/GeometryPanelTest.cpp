// The geometry panels: typed position and size, ruler coordinates, the lock rule, size to fit, flips and
// polygon sides.
#include "PanelFixture.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "platform/foundation/UndoManager.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class GeometryPanelTest : public PanelFixture {};

TEST_F(GeometryPanelTest, TypedPositionAndSizeMoveTheShapeEachInOneUndoStep)
{
    select({rectangle});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("GeometryFacet")));
    const pf::Rect before = rectangle->frame();
    EXPECT_DOUBLE_EQ(field("GeometryFacet", "xField")->value(), before.x());
    EXPECT_DOUBLE_EQ(field("GeometryFacet", "widthField")->value(), before.width());

    type(field("GeometryFacet", "xField"), before.x() + 37);
    endTurn();
    EXPECT_DOUBLE_EQ(rectangle->frame().x(), before.x() + 37);
    type(field("GeometryFacet", "widthField"), 150);
    endTurn();
    EXPECT_DOUBLE_EQ(rectangle->frame().width(), 150);

    undo.undo();
    EXPECT_DOUBLE_EQ(rectangle->frame().width(), before.width());
    EXPECT_DOUBLE_EQ(rectangle->frame().x(), before.x() + 37);
    undo.undo();
    EXPECT_EQ(rectangle->frame(), before);
    // The fields follow the undo.
    EXPECT_DOUBLE_EQ(field("GeometryFacet", "xField")->value(), before.x());
}

TEST_F(GeometryPanelTest, AMixedValueShowsNothingUntilTyped)
{
    const auto other = addShape("Rectangle", pf::Rect(300, 300, 80, 40));
    other->setRotationAngle(30);
    select({rectangle, other});
    QDoubleSpinBox* rotation = field("GeometryFacet", "rotationField");
    ASSERT_TRUE(rotation && rotation->isEnabled());
    EXPECT_TRUE(rotation->text().trimmed().isEmpty());
    type(rotation, 45);
    endTurn();
    EXPECT_EQ(rectangle->rotationAngle(), 45);
    EXPECT_EQ(other->rotationAngle(), 45);
    EXPECT_EQ(rotation->text().trimmed(), QStringLiteral("45°"));
}

TEST_F(GeometryPanelTest, WithTheRulerOriginAtTheBottomLeftPositionsAreRulerCoordinates)
{
    page->setRulerOriginCorner(QVRectCornerBotLef);
    select({rectangle});
    const pf::Point zero = page->rulerOriginAdjustedPoint(pf::Point(0, 0));
    ASSERT_NE(zero.y, 0);
    QDoubleSpinBox* y = field("GeometryFacet", "yField");
    EXPECT_DOUBLE_EQ(y->value(), rectangle->frame().y() + zero.y);

    type(y, -100);
    endTurn();
    EXPECT_DOUBLE_EQ(rectangle->frame().y(), -100 - zero.y);
    EXPECT_DOUBLE_EQ(y->value(), -100);
}

TEST_F(GeometryPanelTest, FieldsAreEnabledOnlyForAnUnlockedSelectionOutsideGroups)
{
    const auto child = std::dynamic_pointer_cast<Group>(group)->children().front();
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::shared_ptr<Shape> shape;
        bool editable;
    };
    const Case cases[] = {
        {"unlocked", [] {}, rectangle, true},
        {"locked", [this] { rectangle->setLocked(true); }, rectangle, false},
        {"inside a group", [] {}, child, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rectangle->setLocked(false);
        c.prepare();
        select({c.shape});
        for (const char* outlet : {"xField", "yField", "widthField", "heightField", "rotationField"}) {
            QDoubleSpinBox* f = field("GeometryFacet", outlet);
            ASSERT_TRUE(f) << outlet;
            EXPECT_EQ(f->isEnabled(), c.editable) << outlet;
            // A disabled field shows nothing.
            EXPECT_EQ(f->text().trimmed().isEmpty(), !c.editable) << outlet;
        }
    }
}

TEST_F(GeometryPanelTest, SizeToFitPassesTheOptionKeyAndObeysTheLockRule)
{
    const auto box = addShape("TitleBox", pf::Rect(100, 100, 300, 120));
    select({box});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("ClassifierGeometryFacet")));
    auto* fit = outletOf<QPushButton>("ClassifierGeometryFacet", "sizeToFitButton");
    ASSERT_TRUE(fit);

    QTest::mouseClick(fit, Qt::LeftButton);
    endTurn();
    const double plainWidth = box->frame().width();
    QTest::mouseClick(fit, Qt::LeftButton, Qt::AltModifier);
    endTurn();
    // Option fits without the 8-point margins on either side.
    EXPECT_DOUBLE_EQ(box->frame().width(), plainWidth - 16);

    box->setFrame(pf::Rect(100, 100, 300, 120));
    box->setLocked(true);
    feed();
    static_cast<TextGeometryFacet&>(facet("ClassifierGeometryFacet")).sizeToFit(false);
    EXPECT_EQ(box->frame(), pf::Rect(100, 100, 300, 120));
}

TEST_F(GeometryPanelTest, FlippingTwoArcsOfWhichOneIsFlippedFlipsBoth)
{
    const auto first = addShape("Arc", pf::Rect(100, 100, 80, 60));
    const auto second = addShape("Arc", pf::Rect(300, 100, 80, 60));
    second->setValueForKey(pf::Variant(true), QStringLiteral("flipped"));
    select({first, second});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("ArcGeometryFacet")));
    auto* flip = outletOf<QPushButton>("ArcGeometryFacet", "flipButton");
    ASSERT_TRUE(flip);
    flip->click();
    endTurn();
    for (const auto& arc : {first, second})
        EXPECT_EQ(arc->valueForKey(QStringLiteral("flipped")).get<bool>(), true);
    undo.undo();
    EXPECT_EQ(first->valueForKey(QStringLiteral("flipped")).get<bool>(), false);
    EXPECT_EQ(second->valueForKey(QStringLiteral("flipped")).get<bool>(), true);

    // A locked arc is not flipped, though the action is reached.
    first->setLocked(true);
    feed();
    static_cast<FlipGeometryFacet&>(facet("ArcGeometryFacet")).flipArc();
    EXPECT_EQ(first->valueForKey(QStringLiteral("flipped")).get<bool>(), false);
}

TEST_F(GeometryPanelTest, ChoosingPolygonSidesChangesTheOutline)
{
    const auto polygon = addShape("PolygonShape", pf::Rect(100, 100, 120, 120));
    select({polygon});
    ASSERT_TRUE(shownFacetNames().contains(QStringLiteral("PolygonGeometryFacet")));
    const int cornersBefore = polygon->path().elementCount();
    choose(outletOf<QComboBox>("PolygonGeometryFacet", "sidesPopUpButton"), 8);
    endTurn();
    EXPECT_EQ(polygon->valueForKey(QStringLiteral("numberOfSides")).get<std::int64_t>(), 8);
    // Three more corners.
    EXPECT_EQ(polygon->path().elementCount(), cornersBefore + 3);
}

TEST_F(GeometryPanelTest, TheFieldsShowTheDrawnSizeAsSoonAsAToolsDrawingEnds)
{
    // The inspector follows the palette updates, as the window's view controller feeds it.
    owner.onPaletteUpdate = [this] {
        inspector->setSelectedComposition(page.get());
        inspector->setSelectedObject(canvas->manipulator().get());
        inspector->setNeedsUpdate();
    };
    struct Case {
        int key;
        const char* text;
        pf::Point from, to;
    };
    const Case cases[] = {{Qt::Key_R, "r", {100, 400}, {180, 450}}, {Qt::Key_E, "e", {300, 300}, {450, 400}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        keyDown(c.key, {}, QString::fromLatin1(c.text));
        // Steps of a drag each followed by the event loop, as the window runs them.
        press(c.from);
        dragTo(pf::Point((c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2));
        drainTurn();
        dragTo(pf::Point(c.to.x - 10, c.to.y - 7));
        drainTurn();
        dragTo(c.to);
        drainTurn();
        release(c.to);
        drainTurn();
        ASSERT_TRUE(field("GeometryFacet", "widthField"));
        EXPECT_DOUBLE_EQ(field("GeometryFacet", "widthField")->value(), c.to.x - c.from.x);
        EXPECT_DOUBLE_EQ(field("GeometryFacet", "heightField")->value(), c.to.y - c.from.y);
        advance(0.2);
        drainTurn();
        EXPECT_DOUBLE_EQ(field("GeometryFacet", "widthField")->value(), c.to.x - c.from.x);
        EXPECT_DOUBLE_EQ(field("GeometryFacet", "heightField")->value(), c.to.y - c.from.y);
    }
    owner.onPaletteUpdate = nullptr;
}

} // namespace
