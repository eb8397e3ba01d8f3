// Arrows, note, folder, box and pie: outlines, handles, inner lines, text areas and clip paths.
#include "OutlineTestSupport.h"

#include "platform/graphics/RecordingContext.h"
#include "shapes/RatioOutlines.h"

using Texts = std::vector<std::string>;

TEST_F(OutlineTest, ArrowHeadAndShaftFollowTheRatios)
{
    const pf::Rect frame(0, 0, 200, 100);
    auto arrow = make<Arrow>(frame, 0.5, 0.5);
    EXPECT_EQ(arrow->adjustPoint(), pf::Point(150, 25));
    EXPECT_EQ(elementTexts(arrow->path()),
              (Texts{"M 0 25", "L 150 25", "L 150 0", "L 200 50", "L 150 100", "L 150 75", "L 0 75", "Z"}));
    // No head: a shaft to the right edge; a full-height shaft.
    EXPECT_EQ(vertices(make<Arrow>(frame, 0, 0.5)->path())[1], pf::Point(200, 25));
    EXPECT_EQ(vertices(make<Arrow>(frame, 0.5, 1)->path())[0], pf::Point(0, 0));
    EXPECT_EQ(vertices(make<Arrow>(frame, 0.5, 1)->path())[6], pf::Point(0, 100));
}

TEST_F(OutlineTest, DoubleArrowHasEqualHeadsAtBothEnds)
{
    auto arrow = make<DoubleArrow>(pf::Rect(0, 0, 200, 100), 0.5, 0.5);
    EXPECT_EQ(arrow->adjustPoint(), pf::Point(150, 25));
    EXPECT_EQ(elementTexts(arrow->path()),
              (Texts{"M 100 25", "L 150 25", "L 150 0", "L 200 50", "L 150 100", "L 150 75", "L 100 75", "L 50 75",
                     "L 50 100", "L 0 50", "L 50 0", "L 50 25", "Z"}));
    EXPECT_EQ(arrow->shapeClass().manipulatorClassName(), QStringLiteral("ArrowManipulator"));
}

TEST_F(OutlineTest, NoteFoldsItsTopRightCorner)
{
    auto note = make<Note>(pf::Rect(0, 0, 100, 100), 0.4, 0.6);
    EXPECT_EQ(note->adjustPoint(), pf::Point(80, 20));
    EXPECT_EQ(elementTexts(note->path()), (Texts{"M 50 0", "L 80 0", "L 100 20", "L 100 100", "L 0 100", "L 0 0", "Z"}));
    EXPECT_EQ(elementTexts(*note->interiorStrokePath()), (Texts{"M 80 0", "L 80 20", "L 100 20"}));
    // Images leave the folded triangle out.
    EXPECT_EQ(elementTexts(note->imageClipPath()),
              (Texts{"M 50 0", "L 80 0", "L 80 20", "L 100 20", "L 100 100", "L 0 100", "L 0 0", "Z"}));
    // Without a fold: the extra points lie on the right edge and the fold runs down it.
    auto flat = make<Note>(pf::Rect(0, 0, 100, 100), 0, 0.6);
    EXPECT_EQ(flat->path().bounds(), pf::Rect(0, 0, 100, 100));
    EXPECT_EQ(elementTexts(*flat->interiorStrokePath()), (Texts{"M 100 0", "L 100 20", "L 100 20"}));
}

TEST_F(OutlineTest, FolderTextAndClipStayInTheBodyBelowTheTab)
{
    auto folder = make<Folder>(pf::Rect(0, 0, 100, 80), 0.4, 0.5);
    folder->setStrokeLineWidth(0);
    EXPECT_EQ(folder->adjustPoint(), pf::Point(40, 20));
    EXPECT_EQ(elementTexts(folder->path()), (Texts{"M 100 20", "L 100 80", "L 0 80", "L 0 0", "L 40 0", "L 40 20", "Z"}));
    EXPECT_EQ(elementTexts(*folder->interiorStrokePath()), (Texts{"M 0 20", "L 40 20"}));
    EXPECT_EQ(folder->textRect(), pf::Rect(6, 23, 88, 54));
    EXPECT_EQ(folder->textClipPath().bounds(), pf::Rect(0, 20, 100, 60));
    // No tab height: the tab line is the top edge.
    folder->setAdjustmentRatioY(0);
    EXPECT_EQ(folder->adjustPoint().y, 0);
    // The clip turns with the shape.
    folder->setRotationAngle(180);
    EXPECT_EQ(folder->textClipPath().bounds(), pf::Rect(0, 0, 100, 80));
    folder->setAdjustmentRatioY(0.5);
    EXPECT_EQ(folder->textClipPath().bounds(), pf::Rect(0, 0, 100, 60));
}

TEST_F(OutlineTest, BoxTextLivesInTheFrontFace)
{
    auto box = make<Box>(pf::Rect(0, 0, 100, 100), 0.2, 0.3);
    box->setStrokeLineWidth(0);
    EXPECT_EQ(box->adjustPoint(), pf::Point(80, 30));
    EXPECT_EQ(elementTexts(box->path()), (Texts{"M 0 100", "L 0 30", "L 20 0", "L 100 0", "L 100 70", "L 80 100", "Z"}));
    EXPECT_EQ(elementTexts(*box->interiorStrokePath()), (Texts{"M 0 30", "L 80 30", "L 100 0", "M 80 30", "L 80 100"}));
    EXPECT_EQ(box->textRect(), pf::Rect(6, 36, 68, 58));
    // The text clip is never turned by the box itself; the image clip is.
    box->setRotationAngle(90);
    EXPECT_EQ(box->textClipPath().bounds(), pf::Rect(0, 30, 80, 70));
    EXPECT_EQ(box->imageClipPath().bounds(), pf::Rect(0, 0, 70, 80));
}

TEST_F(OutlineTest, InnerLinesAreStrokedAfterTheOutlineWithTheStrokeStyle)
{
    for (auto shape : std::initializer_list<std::shared_ptr<Shape>>{
             make<Note>(pf::Rect(0, 0, 100, 100), 0.4, 0.6), make<Folder>(pf::Rect(0, 0, 100, 100), 0.4, 0.6),
             make<Box>(pf::Rect(0, 0, 100, 100), 0.4, 0.6)}) {
        shape->setFillType(5);
        shape->setStrokeType(0);
        shape->setStrokeShadowHidden(true);
        shape->setStrokeLineWidth(3);
        shape->setStrokeLineJoin(1);
        shape->setStrokeColor(pf::Color(1, 0, 0, 1));
        pf::RecordingContext context;
        shape->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        std::vector<const pf::RecordedCall*> strokes;
        for (const pf::RecordedCall& call : context.calls())
            if (call.operation == "stroke")
                strokes.push_back(&call);
        ASSERT_EQ(strokes.size(), 2u) << shape->shapeClass().className().toStdString();
        EXPECT_TRUE(strokes[1]->path.sameElements(*shape->interiorStrokePath()));
        EXPECT_EQ(strokes[1]->line.width, 3);
        EXPECT_EQ(strokes[1]->line.join, pf::LineJoin::Round);
        EXPECT_EQ(strokes[1]->state.strokeColor, pf::Color(1, 0, 0, 1));
    }
}

TEST_F(OutlineTest, PieIsAWedgeClockwiseFromThreeOClock)
{
    // A quarter wedge from 3 to 6 o'clock on screen: centre, right, bottom.
    auto quarter = make<Pie>(pf::Rect(0, 0, 100, 100), 0.25);
    const pf::Path& wedge = quarter->path();
    EXPECT_EQ(wedge.element(0).endPoint(), pf::Point(50, 50));
    EXPECT_EQ(wedge.element(1).endPoint(), pf::Point(100, 50));
    EXPECT_EQ(wedge.element(2).type, pf::PathElementType::CurveTo);
    EXPECT_NEAR(wedge.element(2).endPoint().x, 50, 1e-9);
    EXPECT_NEAR(wedge.element(2).endPoint().y, 100, 1e-9);
    EXPECT_EQ(wedge.elements().back().type, pf::PathElementType::Close);
    EXPECT_TRUE(wedge.containsPoint({75, 75}));
    EXPECT_FALSE(wedge.containsPoint({25, 75}));
    EXPECT_FALSE(wedge.containsPoint({75, 25}));

    // Squashed to half its height in a frame twice as wide as high.
    auto wide = make<Pie>(pf::Rect(0, 0, 200, 100), 0.5);
    EXPECT_EQ(wide->path().bounds(), pf::Rect(0, 50, 200, 50));

    // The whole ellipse, with no centre point.
    auto full = make<Pie>(pf::Rect(0, 0, 200, 100), 1.0);
    EXPECT_TRUE(full->path().sameElements(pf::Path::oval(pf::Rect(0, 0, 200, 100))));
}

TEST_F(OutlineTest, PieWithoutWidthHasNoOutline)
{
    auto pie = make<Pie>(pf::Rect(10, 10, 0, 40), 0.25);
    EXPECT_TRUE(pie->path().isEmpty());
    EXPECT_FALSE(pie->containsPoint({10, 20}));
}

TEST_F(OutlineTest, PieHandleRunsAlongTheLongerSide)
{
    EXPECT_EQ(make<Pie>(pf::Rect(0, 0, 200, 100), 0.25)->adjustPoint(), pf::Point(150, 0));
    EXPECT_EQ(make<Pie>(pf::Rect(0, 0, 100, 200), 0.25)->adjustPoint(), pf::Point(0, 150));
    EXPECT_EQ(make<Pie>(pf::Rect(0, 0, 100, 100), 0.25)->adjustPoint(), pf::Point(0, 75));
}

TEST_F(OutlineTest, PieGradientAndBoundsCoverTheWholeEllipse)
{
    auto pie = make<Pie>(pf::Rect(0, 0, 200, 100), 0.25);
    EXPECT_EQ(pie->gradientFillPath()->bounds(), pf::Rect(0, 0, 200, 100));
    EXPECT_EQ(pie->boundingRect(), pf::Rect(0, 0, 200, 100));
    pie->setRotationAngle(90);
    EXPECT_EQ(pie->gradientFillPath()->bounds(), pf::Rect(50, -50, 100, 200));
    EXPECT_EQ(pie->boundingRect(), pf::Rect(50, -50, 100, 200));
}
