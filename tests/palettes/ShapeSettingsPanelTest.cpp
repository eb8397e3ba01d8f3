// The loupe, redaction, path and curve panels: each edit changes what the page draws, in one undo step.
#include "PanelFixture.h"

#include "platform/foundation/UndoManager.h"
#include "shapes/SmartPath.h"

#include <QImage>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ShapeSettingsPanelTest : public PanelFixture {
protected:
    // The page as the canvas draws it, without the selection's handles.
    QImage pagePicture()
    {
        const auto selection = canvas->selectedShapes();
        canvas->selectNone();
        endTurn();
        const QImage picture = canvas->grab().toImage();
        canvas->replaceSelectionWithShapes(selection);
        feed();
        return picture;
    }

    // The edit changes the page's pixels; one undo brings them back and leaves nothing to undo.
    void expectOneStepThatRedraws(const std::shared_ptr<Shape>& shape, const char* facetName,
                                  const std::function<void()>& edit)
    {
        endTurn();
        undo.removeAllActions();
        select({shape});
        ASSERT_TRUE(shownFacetNames().contains(QString::fromLatin1(facetName))) << shownFacetNames().join(u' ').toStdString();
        const QImage before = pagePicture();
        edit();
        endTurn();
        EXPECT_NE(pagePicture(), before);
        ASSERT_TRUE(undo.undo());
        EXPECT_FALSE(undo.canUndo());
        EXPECT_EQ(pagePicture(), before);
    }
};

TEST_F(ShapeSettingsPanelTest, TheLoupesMagnification)
{
    rectangle->setFillColor(pf::Color(0.9, 0.1, 0.1, 1));
    // Centred on the rectangle's corner, so that a change of magnification shows.
    auto loupe = addShape("Loupe", pf::Rect(150, 110, 100, 100));
    expectOneStepThatRedraws(loupe, "LoupeFacet", [&] { type(field("LoupeFacet", "zoomTargetScaleField"), 3); });
}

TEST_F(ShapeSettingsPanelTest, TheRedactionsCellSize)
{
    rectangle->setFillColor(pf::Color(0.9, 0.1, 0.1, 1));
    ellipse->setFillColor(pf::Color(0.1, 0.1, 0.9, 1));
    auto redaction = addShape("Redact", pf::Rect(150, 80, 200, 120));
    expectOneStepThatRedraws(redaction, "RedactFacet", [&] { type(field("RedactFacet", "cellSizeField"), 31); });
}

TEST_F(ShapeSettingsPanelTest, ThePathsCornersAndCurve)
{
    auto path = std::static_pointer_cast<Path>(addShape("Path", pf::Rect(100, 420, 300, 120)));
    path->setModelPoints({{100, 420}, {250, 540}, {400, 420}, {500, 540}});
    path->setStrokeLineWidth(3);
    path->setCurveRatio(0.5);
    expectOneStepThatRedraws(path, "PathFacet", [&] { choose(outletOf<QComboBox>("PathFacet", "pathTypePopUpButton"), 1); });
    expectOneStepThatRedraws(path, "PathFacet", [&] { outletOf<QSlider>("PathFacet", "curveRatioSlider")->setValue(100); });
}

TEST_F(ShapeSettingsPanelTest, TheElbowLinesCurve)
{
    auto elbow = addShape("SegmentedLine", pf::Rect(550, 400, 200, 150));
    elbow->setStrokeLineWidth(3);
    expectOneStepThatRedraws(elbow, "CurveFacet", [&] { outletOf<QSlider>("CurveFacet", "curveRatioSlider")->setValue(90); });
}

} // namespace
