// The panels as drawn, row by row, against their reference pictures.
#include "PanelFixture.h"

#include "support/ReferencePicture.h"

#include "platform/kit/Menu.h"
#include "shapes/SmartPath.h"

#include <QImage>
#include <QPainter>

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

TEST_F(PanelPictureTest, TheTextPanelOfARectangle)
{
    rectangle->setTextColor(pf::Color(0.8, 0.1, 0.1, 1));
    rectangle->setTextAlign(2);
    rectangle->setTextShadowHidden(false);
    select({rectangle});
    expectRowMatches("TextFacet", "text");
}

TEST_F(PanelPictureTest, BothArrowMenusSideBySide)
{
    auto& arrows = static_cast<ArrowFacet&>(facet("ArrowFacet"));
    const auto& a = arrows.menuA();
    const auto& b = arrows.menuB();
    const int rows = a->numberOfItems();
    QImage sheet(2 * 96 + 8, rows * 14, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        for (int i = 0; i < rows; ++i) {
            painter.drawImage(QPoint(0, i * 14), a->itemAt(i).image().rendered(1));
            painter.drawImage(QPoint(96 + 8, i * 14), b->itemAt(i).image().rendered(1));
        }
    }
    expectMatchesReferencePicture(sheet, QStringLiteral(QUORVEL_TEST_DATA "/palettes/inspector-arrow-menus.png"));
}

TEST_F(PanelPictureTest, TheLoupeAndPathPanels)
{
    auto loupe = addShape("Loupe", pf::Rect(150, 110, 100, 100));
    select({loupe});
    expectRowMatches("LoupeFacet", "loupe");
    auto path = std::static_pointer_cast<Path>(addShape("Path", pf::Rect(100, 420, 300, 120)));
    path->setModelPoints({{100, 420}, {250, 540}, {400, 420}});
    path->setPathType(1);
    path->setCurveRatio(0.3);
    select({path});
    expectRowMatches("PathFacet", "path");
}

TEST_F(PanelPictureTest, ThePicturePanelAnchoredAtTheTopLeftAndScaled)
{
    QImage bitmap(60, 40, QImage::Format_ARGB32);
    bitmap.fill(QColor(40, 120, 200));
    document.images[QStringLiteral("photo")] = {QByteArray(), pf::Image(bitmap), 0};
    auto picture = addShape("Image", pf::Rect(300, 300, 120, 90));
    picture->setImageIdentifier(QStringLiteral("photo"));
    picture->setScaleImage(false);
    picture->setImageAnchorRatio(pf::Point(0, 0));
    select({picture});
    expectRowMatches("ImageImageFacet", "image");
    picture->setScaleImage(true);
    feed();
    expectRowMatches("ImageImageFacet", "image-scaled");
}

} // namespace
