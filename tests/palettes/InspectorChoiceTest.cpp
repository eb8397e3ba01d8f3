// Which panels the inspector shows for a selection, and how its rows are measured, toggled and drawn.
#include "InspectorFixture.h"

#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shell/IDEPaletteListView.h"

#include <gtest/gtest.h>

namespace {

class InspectorChoiceTest : public InspectorFixture {};

TEST_F(InspectorChoiceTest, SelectionsChooseTheirPanels)
{
    const auto polygon = addShape("PolygonShape", pf::Rect(300, 300, 80, 80));
    const auto text = addShape("Text", pf::Rect(400, 100, 120, 40));
    const auto arc = addShape("Arc", pf::Rect(100, 400, 80, 60));
    const auto rectangle2 = addShape("Rectangle", pf::Rect(500, 400, 40, 40));

    struct Case {
        const char* what;
        std::vector<std::shared_ptr<Shape>> shapes;
        QStringList expected;
    };
    const Case cases[] = {
        {"a rectangle", {rectangle},
         {"OpacityFacet", "FilterFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet", "ImageFacet"}},
        {"two rectangles", {rectangle, rectangle2},
         {"OpacityFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet", "ImageFacet"}},
        // Mixed: the polygon's own geometry panel needs one kind, so the rectangle's wins; the image
        // panel needs one kind too.
        {"a rectangle and a polygon", {rectangle, polygon},
         {"OpacityFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet"}},
        {"a polygon", {polygon},
         {"OpacityFacet", "FilterFacet", "PolygonGeometryFacet", "FillFacet", "StrokeFacet", "TextFacet",
          "ImageFacet"}},
        // Both kinds' geometry panels drop out: the rotation-free one stands in.
        {"a text box and a polygon", {text, polygon},
         {"OpacityFacet", "GeometryNoConstrainNoRotationFacet", "FillFacet", "StrokeFacet", "TextFacet"}},
        // The text box's own text panel sorts above the fill.
        {"a text box", {text},
         {"OpacityFacet", "TextGeometryFacet", "TextTextFacet", "FillFacet", "StrokeFacet"}},
        {"a line and an arc", {line, arc},
         {"OpacityFacet", "GeometryNoConstrainNoRotationFacet", "StrokeFacet", "ArrowFacet", "TextFacet"}},
        // A line in the selection: no geometry panel that needs no lines; a shape in it: no arrow.
        {"a rectangle and a line", {rectangle, line},
         {"OpacityFacet", "GeometryNoConstrainNoRotationFacet", "FillFacet", "StrokeFacet", "TextFacet"}},
        {"a group", {group}, {"OpacityFacet", "GeometryFacet", "FillFacet", "StrokeFacet", "TextFacet"}},
    };
    for (const Case& c : cases) {
        select(c.shapes);
        EXPECT_EQ(shownFacetNames().join(' ').toStdString(), c.expected.join(' ').toStdString()) << c.what;
    }
}

TEST_F(InspectorChoiceTest, NothingSelectedShowsTheHint)
{
    select({rectangle});
    ASSERT_FALSE(shownFacetNames().isEmpty());
    canvas->selectNone();
    feed();
    EXPECT_TRUE(shownFacetNames().isEmpty());
    EXPECT_EQ(inspector->listView()->hintText(), QStringLiteral("Inspector"));
    EXPECT_TRUE(inspector->listView()->items().empty());

    select({rectangle});
    EXPECT_EQ(inspector->listView()->hintText(), QString());
    EXPECT_EQ(inspector->listView()->items().size(), 7u);

    // No selection object at all (no canvas yet) is as normal as an empty one.
    inspector->setSelectedObject(nullptr);
    inspector->setSelectedComposition(nullptr);
    inspector->update();
    EXPECT_FALSE(inspector->facets());
    EXPECT_EQ(inspector->listView()->hintText(), QStringLiteral("Inspector"));
    EXPECT_TRUE(facet("FillFacet").isSelectionCompletelyUnlocked());
}

TEST_F(InspectorChoiceTest, EveryFacetNamedByAKindResolves)
{
    const QStringList shown = FacetRegistry::inspectorFacetNames();
    EXPECT_EQ(shown.size(), 39);
    EXPECT_EQ(inspector->allFacets().size(), 39u);
    for (const ShapeClass* kind : pf::ClassRegistry::shared().classesOfKind<ShapeClass>())
        for (const QString& name : kind->facetClassNames())
            EXPECT_TRUE(inspector->facetNamed(name)) << kind->className().toStdString() << " names " << name.toStdString();
    // The registry's inheritance: the panel classes of one family share their base's collapsed key.
    for (const QString& name : FacetRegistry::allClassNames()) {
        const FacetClassInfo& info = *FacetRegistry::classInfo(name);
        if (info.base != QLatin1String("Facet")) {
            EXPECT_EQ(info.collapsedKey, FacetRegistry::classInfo(info.base)->collapsedKey) << name.toStdString();
        }
    }
}

TEST_F(InspectorChoiceTest, RowsMeasureAndToggleTheirOwnFacetOnly)
{
    // The image panel has no content of its own here.
    pf::ScopedViewBuilder noImagePanel(QStringLiteral("ImageFacet"), [](pf::Responder*) { return nullptr; });
    inspector = makeInspector();
    select({rectangle});
    auto* list = inspector->listView();
    const auto& facets = *inspector->facets();
    const std::size_t fill = 3, image = 6;
    ASSERT_EQ(facets[fill]->facetName(), QStringLiteral("FillFacet"));
    ASSERT_EQ(facets[image]->facetName(), QStringLiteral("ImageFacet"));
    EXPECT_EQ(inspector->listViewExtentForItemAtIndex(*list, fill), 16 + panelHeight);
    EXPECT_EQ(inspector->listViewExtentForItemAtIndex(*list, image), 16);

    // A panel without content: a header with its title at 6 and no triangle.
    InspectorListItem* imageRow = rowOf(*facets[image]);
    ASSERT_TRUE(imageRow);
    EXPECT_EQ(imageRow->titleRectForBounds(imageRow->layoutBounds()).x(), 6);
    EXPECT_FALSE(imageRow->disclosureButton()->isVisibleTo(imageRow));
    InspectorListItem* fillRow = rowOf(*facets[fill]);
    ASSERT_TRUE(fillRow);
    EXPECT_EQ(fillRow->titleRectForBounds(fillRow->layoutBounds()).x(), 14);
    EXPECT_TRUE(fillRow->disclosureButton()->isVisibleTo(fillRow));
    EXPECT_TRUE(fillRow->disclosureButton()->state());

    fillRow->disclosureButton()->performClick();
    auto& defaults = pf::UserDefaultsStore::standard();
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("InspectorFillFacetCollapsed")));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("InspectorStrokeFacetCollapsed")));
    EXPECT_EQ(inspector->listViewExtentForItemAtIndex(*list, fill), 16);
    EXPECT_EQ(inspector->listViewExtentForItemAtIndex(*list, fill + 1), 16 + panelHeight);
    fillRow = rowOf(*facets[fill]);
    ASSERT_TRUE(fillRow);
    EXPECT_EQ(fillRow->frame().height(), 16);
    EXPECT_FALSE(fillRow->disclosureButton()->state());

    rowOf(*facets[fill])->disclosureButton()->performClick();
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("InspectorFillFacetCollapsed")));
    EXPECT_EQ(rowOf(*facets[fill])->frame().height(), 16 + panelHeight);
}

TEST_F(InspectorChoiceTest, FacetsOfOneKeyCollapseTogetherInEveryInspector)
{
    auto second = makeInspector();
    Facet& loupe = facet("LoupeFacet");
    Facet& redaction = facet("RedactFacet");
    Facet& path = facet("PathFacet");
    loupe.setCollapsed(true);
    EXPECT_TRUE(redaction.isCollapsed());
    EXPECT_TRUE(second->facetNamed(QStringLiteral("RedactFacet"))->isCollapsed());
    EXPECT_FALSE(path.isCollapsed());
    second->facetNamed(QStringLiteral("CurveFacet"))->setCollapsed(true);
    EXPECT_TRUE(path.isCollapsed());
}

TEST_F(InspectorChoiceTest, RowsAreLaidOutAtLeast220Wide)
{
    inspector->view()->setFrame(pf::Rect(0, 0, 150, 600));
    select({rectangle});
    InspectorListItem* row = rowOf(facet("FillFacet"));
    ASSERT_TRUE(row);
    EXPECT_LT(row->bounds().width(), 220);
    EXPECT_EQ(row->layoutBounds().width(), 220);
    EXPECT_EQ(facet("FillFacet").contentView()->frame().width(), 220);
}

TEST_F(InspectorChoiceTest, ACollapsedFacetIsHandedNothingNew)
{
    select({rectangle});
    Facet& fill = facet("FillFacet");
    Facet& stroke = facet("StrokeFacet");
    EXPECT_EQ(fill.selectedObject(), canvas->manipulator().get());
    fill.setCollapsed(true);
    Manipulator* before = fill.selectedObject();
    select({ellipse});
    EXPECT_EQ(fill.selectedObject(), before);
    EXPECT_EQ(stroke.selectedObject(), canvas->manipulator().get());
    // The collapsed panel's selection stays a live object after its shapes are deleted.
    canvas->selectAll();
    canvas->remove();
    feed();
    ASSERT_TRUE(fill.selectedObject());
    EXPECT_TRUE(fill.selectedObject()->valueForKeyPath(QStringLiteral("fillColor")).isNull()
                || fill.selectedObject()->children().size() == 1);
    // Expanded again, it is handed the selection of the day.
    const auto fresh = addShape("Rectangle", pf::Rect(10, 10, 50, 50));
    select({fresh});
    fill.setCollapsed(false);
    inspector->listView()->reloadData();
    EXPECT_EQ(fill.selectedObject(), canvas->manipulator().get());
}

TEST_F(InspectorChoiceTest, AFacetWithoutItsInterfaceFileRaises)
{
    pf::ScopedViewBuilder none(QStringLiteral("OpacityFacet"), {});
    try {
        facet("OpacityFacet").contentView();
        FAIL() << "no FacetException";
    } catch (const FacetException& e) {
        EXPECT_EQ(e.reason(), QStringLiteral("Could not load nib named OpacityFacet in -[Facet loadContentView]"));
    }
}

} // namespace
