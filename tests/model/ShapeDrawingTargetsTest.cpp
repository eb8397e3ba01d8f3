// Connection targets while a connector end is dragged over a shape, and the off-screen renderings.
#include "ShapeDrawingTestSupport.h"

#include <QColor>

#include <cmath>
#include <memory>
#include <vector>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color cyan(0, 1, 1, 1);

// Each target begins with the white fill of its outer oval.
std::vector<pf::Rect> targetRects(const pf::RecordingContext& context)
{
    std::vector<pf::Rect> rects;
    for (const pf::RecordedCall& call : context.calls())
        if (call.operation == "fill" && call.state.fillColor == pf::Color::white())
            rects.push_back(call.path.bounds());
    return rects;
}

std::vector<pf::Point> centres(const std::vector<pf::Rect>& rects)
{
    std::vector<pf::Point> points;
    for (const pf::Rect& r : rects)
        points.emplace_back(r.midX(), r.midY());
    return points;
}

} // namespace

class ShapeTargetsTest : public ShapeDrawingTest {
protected:
    // A 100 x 50 rectangle at (100, 100) with a connection being made to it, on a flashing page.
    void SetUp() override
    {
        ShapeDrawingTest::SetUp();
        canvasPage.connectionFlash = true;
        shape = box(pf::Rect(100, 100, 100, 50));
        shape->setProvisionalConnection(connectionOwner);
    }

    std::shared_ptr<Rectangle> shape;
    std::shared_ptr<TestConnection> connectionOwner = std::make_shared<TestConnection>();
    TestConnection& connection = *connectionOwner;
};

TEST_F(ShapeTargetsTest, CandidateTargetsOnTheSidesAndTheCentre)
{
    const auto recording = record(*shape);
    // Left, right, top, bottom, centre; each the 10-point handle square grown by 2.
    EXPECT_EQ(centres(targetRects(*recording)),
              (std::vector<pf::Point>{{100, 125}, {200, 125}, {150, 100}, {150, 150}, {150, 125}}));
    for (const pf::Rect& r : targetRects(*recording))
        EXPECT_EQ(r.size, pf::Size(14, 14));
    // First the outline in cyan, 3 points wide.
    const pf::RecordedCall& outline = recording->calls().front();
    EXPECT_EQ(outline.operation, "stroke");
    EXPECT_EQ(outline.state.strokeColor, cyan);
    EXPECT_EQ(outline.line.width, 3.0);
    EXPECT_EQ(recording->gstateDepth(), 0);

    // In pixels: every target is painted, the area between them is not.
    const QImage image = render(*shape, pf::Size(300, 200));
    for (const pf::Point p : {pf::Point(100, 125), pf::Point(200, 125), pf::Point(150, 100), pf::Point(150, 150),
                              pf::Point(150, 125)})
        EXPECT_EQ(alpha(image, int(p.x), int(p.y)), 255) << p.x << ", " << p.y;
    EXPECT_EQ(alpha(image, 125, 112), 0);
}

TEST_F(ShapeTargetsTest, TakenEdgesRotationAndCommittingHideTargets)
{
    connection.edge = QVRectEdgeLeft;
    EXPECT_EQ(centres(targetRects(*record(*shape))),
              (std::vector<pf::Point>{{200, 125}, {150, 100}, {150, 150}, {150, 125}}));
    connection.edge = QVRectEdgeMid;
    EXPECT_EQ(targetRects(*record(*shape)).size(), 4u);

    connection.edge = QVRectEdgeNone;
    shape->setRotationAngle(30);
    const std::vector<pf::Point> rotated = centres(targetRects(*record(*shape)));
    ASSERT_EQ(rotated.size(), 1u);
    EXPECT_NEAR(rotated[0].x, shape->snapRect().midX(), 1e-9);
    EXPECT_NEAR(rotated[0].y, shape->snapRect().midY(), 1e-9);

    // The active target stands where the connection is; once committed it is the only one.
    shape->setRotationAngle(0);
    connection.location = pf::Point(150, 100);
    connection.committed = true;
    const std::vector<pf::Rect> committed = targetRects(*record(*shape));
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0], pf::Rect(138, 88, 24, 24)); // grown by 5 when active
}

TEST_F(ShapeTargetsTest, InnerRingHasItsOwnWidthAndChangesNothingForLaterStrokes)
{
    canvasPage.zoom = 2.0;
    connection.committed = true;
    connection.location = pf::Point(100, 125);
    auto recording = record(*shape);
    std::vector<double> widths;
    for (const pf::RecordedCall& call : recording->calls())
        if (call.operation == "stroke")
            widths.push_back(call.line.width);
    // The outline (3 / 2 rounded), the outer oval (2 / 2) and the inner ring (1 / 2).
    EXPECT_EQ(widths, (std::vector<double>{2.0, 1.0, 0.5}));
    EXPECT_EQ(recording->gstateDepth(), 0);
    EXPECT_EQ(recording->gstate().line.width, 1.0);

    // A stroke drawn afterwards keeps the default width.
    recording->clearCalls();
    recording->strokePath(pf::Path::rect(pf::Rect(0, 0, 10, 10)));
    EXPECT_EQ(recording->calls().at(0).line.width, 1.0);
}

TEST_F(ShapeTargetsTest, OnlyOnScreenWhileThePageFlashesAndNotInThumbnailsOrLoupes)
{
    EXPECT_TRUE(targetRects(*record(*shape, false)).empty());
    for (bool DrawingPage::*flag : {&DrawingPage::thumbnail, &DrawingPage::loupe}) {
        canvasPage.*flag = true;
        EXPECT_TRUE(targetRects(*record(*shape)).empty());
        canvasPage.*flag = false;
    }
    canvasPage.connectionFlash = false;
    EXPECT_TRUE(targetRects(*record(*shape)).empty());
    canvasPage.connectionFlash = true;
    // A drag that ends without attaching releases the connection: nothing is drawn from it afterwards.
    connectionOwner.reset();
    EXPECT_TRUE(targetRects(*record(*shape)).empty());
}

// ---- off-screen renderings ----

TEST_F(ShapeDrawingTest, RenderedImageCoversTheRenderRectAtTheScale)
{
    auto shape = box(pf::Rect(10, 10, 100, 50));
    shape->setFillType(0);
    shape->setFillColor(red);
    canvasPage.exporting = true;
    for (const double scale : {1.0, 2.0}) {
        const pf::Image image = shape->renderedImageAtScale(scale);
        EXPECT_EQ(image.size(), pf::Size(100 * scale, 50 * scale));
        ASSERT_EQ(image.bitmapCount(), 1);
        EXPECT_EQ(image.bitmap(0).size(), QSize(int(100 * scale), int(50 * scale)));
        EXPECT_EQ(image.bitmap(0).pixelColor(int(50 * scale), int(25 * scale)), QColor(255, 0, 0));
    }
    // At scale 1 the fill lands exactly on the image's pixels.
    const QImage one = shape->renderedImage().bitmap(0);
    EXPECT_EQ(one.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(one.pixelColor(99, 49), QColor(255, 0, 0));

    // A stroke widens the render rect by half its width.
    shape->setStrokeType(0);
    shape->setStrokeLineWidth(4);
    shape->setStrokeColor(pf::Color(0, 0, 0, 1));
    EXPECT_EQ(shape->renderRect(), pf::Rect(8, 8, 104, 54));
    EXPECT_EQ(shape->renderedImageAtScale(2.0).size(), pf::Size(208, 108));
}

TEST_F(ShapeDrawingTest, RenderedImageDrawsOnlyWhileThePageExports)
{
    auto shape = box(pf::Rect(10, 10, 100, 50));
    shape->setFillType(0);
    shape->setFillColor(red);
    EXPECT_EQ(shape->renderedImage().bitmap(0).pixelColor(50, 25).alpha(), 0);
    auto loose = box(pf::Rect(10, 10, 100, 50), false);
    loose->setFillType(0);
    loose->setFillColor(red);
    EXPECT_EQ(loose->renderedImage().bitmap(0).pixelColor(50, 25), QColor(255, 0, 0));
}

TEST_F(ShapeDrawingTest, RenderedImageOfADenserUnitHasMorePixelsThanPoints)
{
    canvasPage.pageMetrics.setResolution(144);
    canvasPage.exporting = true;
    auto shape = box(pf::Rect(10, 10, 100, 50));
    const pf::Image image = shape->renderedImageAtScale(2.0);
    EXPECT_EQ(image.size(), pf::Size(100, 50));
    EXPECT_EQ(image.bitmap(0).size(), QSize(200, 100));
}

TEST_F(ShapeDrawingTest, RenderedImagesOfShapesWithoutAreaOrAtBadScalesAreNull)
{
    canvasPage.exporting = true;
    EXPECT_TRUE(box(pf::Rect(10, 10, 0, 50))->renderedImage().isNull());
    auto shape = box(pf::Rect(10, 10, 100, 50));
    for (double scale : {0.0, -1.0, std::nan("")})
        EXPECT_TRUE(shape->renderedImageAtScale(scale).isNull()) << scale;
}

TEST_F(ShapeDrawingTest, DraggingImageIsTheSelectionRectPlusTwoWithTheShapeWhereItStands)
{
    auto shape = box(pf::Rect(0, 0, 100, 50));
    shape->setFillType(0);
    shape->setFillColor(red);
    // The selection rect is the frame grown by half a handle (5).
    const pf::Image image = shape->draggingImage();
    EXPECT_EQ(image.size(), pf::Size(112, 62));
    const QImage bitmap = image.bitmap(0);
    EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(bitmap.pixelColor(99, 49), QColor(255, 0, 0));
    EXPECT_EQ(bitmap.pixelColor(100, 25).alpha(), 0);
}
