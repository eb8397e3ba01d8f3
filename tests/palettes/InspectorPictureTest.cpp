// The inspector as drawn: the hint with nothing selected, a rectangle's panels all collapsed, and a row
// whose panel has no content (a header without a triangle).
#include "InspectorFixture.h"

#include "support/ReferencePicture.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

class InspectorPictureTest : public InspectorFixture {
protected:
    static QString reference(const char* state)
    {
        return QStringLiteral(QUORVEL_TEST_DATA "/palettes/inspector-") + QString::fromLatin1(state)
               + QStringLiteral(".png");
    }
    QImage paletteTop(int height)
    {
        drainTurn();
        return inspector->view()->grab(QRect(0, 0, 250, height)).toImage();
    }
};

TEST_F(InspectorPictureTest, NothingSelected)
{
    // The hint sits in the middle of the palette.
    inspector->view()->window()->resize(250, 160);
    inspector->view()->setFrame(pf::Rect(0, 0, 250, 160));
    canvas->selectNone();
    feed();
    expectMatchesReferencePicture(paletteTop(160), reference("nothing-selected"));
}

TEST_F(InspectorPictureTest, ARectangleWithEveryPanelCollapsed)
{
    select({rectangle});
    for (const auto& shown : *inspector->facets())
        shown->setCollapsed(true);
    inspector->listView()->reloadData();
    EXPECT_EQ(inspector->listView()->items().size(), 7u);
    for (QVListItem* row : inspector->listView()->items())
        EXPECT_EQ(row->frame().height(), 16);
    expectMatchesReferencePicture(paletteTop(7 * 16 + 8), reference("rectangle-collapsed"));
}

TEST_F(InspectorPictureTest, APanelWithoutContent)
{
    pf::ScopedViewBuilder noImagePanel(QStringLiteral("ImageFacet"), [](pf::Responder*) { return nullptr; });
    inspector = makeInspector();
    select({rectangle});
    InspectorListItem* row = rowOf(facet("ImageFacet"));
    ASSERT_TRUE(row);
    drainTurn();
    expectMatchesReferencePicture(row->grab().toImage(), reference("panel-without-content"));
}

} // namespace
