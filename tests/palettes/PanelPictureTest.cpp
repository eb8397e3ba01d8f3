// The panels as drawn, row by row, against their reference pictures.
#include "PanelFixture.h"

#include <gtest/gtest.h>

namespace {

using PanelPictureTest = PanelFixture;

TEST_F(PanelPictureTest, GeometryFillAndStrokeOfARectangle)
{
    rectangle->setFillColor(pf::Color(0.2, 0.5, 0.8, 1));
    select({rectangle});
    expectRowMatches("GeometryFacet", "geometry");
    expectRowMatches("FillFacet", "fill-colour");
    expectRowMatches("StrokeFacet", "stroke");
}

TEST_F(PanelPictureTest, AGradientWithThreeStopsOneSelected)
{
    rectangle->setFillType(1);
    rectangle->setFillGradientElements(
        {{pf::Color(1, 0, 0, 1), 0}, {pf::Color(0, 0, 1, 1), 1}, {pf::Color(0, 0.8, 0, 1), 0.4}});
    select({rectangle});
    auto* control = outletOf<QVGradientControl>("FillFacet", "fillGradientControl");
    ASSERT_TRUE(control);
    // The third stop open in the colour panel.
    control->editElementAtIndex(2);
    expectRowMatches("FillFacet", "fill-gradient");
}

TEST_F(PanelPictureTest, ALockedShapeAndTwoShapes)
{
    rectangle->setLocked(true);
    select({rectangle});
    expectRowMatches("GeometryFacet", "locked");
    rectangle->setLocked(false);
    rectangle->setFillType(1);
    ellipse->setFillType(1);
    select({rectangle, ellipse});
    expectRowMatches("FillFacet", "two-shapes");
}

} // namespace
