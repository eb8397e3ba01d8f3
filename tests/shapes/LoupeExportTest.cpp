// A loupe on a page being exported draws only the shapes that reach its region into its picture, and the
// picture is the same, pixel for pixel, as the region drawn with every shape.
#include "PictureKindsTestSupport.h"

#include "model/Composition.h"
#include "model/Group.h"

#include <algorithm>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color green(0, 0.5, 0, 1);
const pf::Color blue(0, 0, 1, 1);
const pf::Color grey(0.5, 0.5, 0.5, 1);

class LoupeExportTest : public OutlineTest {
protected:
    void SetUp() override
    {
        OutlineTest::SetUp();
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(400);
        metrics->setHeight(300);
        page = Composition::make(metrics);
    }

    // The fill colours of the calls a drawing made.
    static std::vector<pf::Color> fillColours(const pf::RecordingContext& context)
    {
        std::vector<pf::Color> colours;
        for (const auto& call : context.calls())
            if (call.operation == "fill")
                colours.push_back(call.state.fillColor);
        return colours;
    }
    static bool has(const std::vector<pf::Color>& colours, const pf::Color& colour)
    {
        return std::find(colours.begin(), colours.end(), colour) != colours.end();
    }

    std::shared_ptr<Composition> page;
};

TEST_F(LoupeExportTest, APictureDrawsOnlyTheShapesReachingItsRegionAndLooksTheSame)
{
    // A group turned a quarter: its green child lies far from the loupe's region unturned, inside it turned.
    auto greenChild = filledBox(pf::Rect(130, 200, 20, 10), green);
    auto group = Group::groupWithShapes({greenChild, filledBox(pf::Rect(-30, 200, 20, 10), grey)});
    page->addShape(group);
    group->setRotationAngle(90);
    const pf::Point target = QVRectGetMidMidPoint(group->rotationTransform(90).apply(greenChild->frame()));
    const pf::Rect region = QVRectAroundPoint(target, 40, 40);
    // In the region: a red box, and a shadowed one whose shadow alone reaches in. Far away: a blue box.
    page->addShape(filledBox(pf::Rect(target.x - 15, target.y - 15, 10, 10), red));
    auto shadowed = filledBox(pf::Rect(target.x + 25, target.y - 5, 10, 10), grey);
    shadowed->setFillShadowHidden(false);
    shadowed->setFillShadowBlur(6);
    shadowed->setFillShadowOffsetX(-20);
    page->addShape(shadowed);
    page->addShape(filledBox(pf::Rect(340, 10, 40, 40), blue));
    auto loupe = Shape::make<Loupe>(pf::Rect(200, 40, 120, 120));
    page->addShape(loupe);
    loupe->setZoomTargetPoint(target);
    loupe->setZoomTargetScale(3);
    ASSERT_FALSE(shadowed->frame().intersects(region));
    ASSERT_FALSE(greenChild->paintBounds().intersects(region));

    page->setExporting(true);
    page->setOverrideZoomScale(1.0);
    const pf::Image picture = loupe->image();
    ASSERT_TRUE(picture.hasDrawingHandler());

    pf::RecordingContext recording;
    picture.drawingHandler()(recording, pf::Rect(pf::Point(), picture.size()));
    const auto colours = fillColours(recording);
    EXPECT_TRUE(has(colours, red));
    EXPECT_TRUE(has(colours, grey));
    EXPECT_TRUE(has(colours, green));
    EXPECT_FALSE(has(colours, blue));

    // The region drawn with every shape, as the picture's handler draws it.
    const pf::Image everything = pf::Image::drawn(picture.size(), 2.0, [&](pf::GraphicsContext& context) {
        context.scale(3, 3);
        context.translate(-region.x(), -region.y());
        page->setDrawingLoupe(true);
        page->drawInContextDirtyRect(context, pf::Rect::zero());
        page->setDrawingLoupe(false);
    });
    const QImage culled = picture.rendered(2.0);
    EXPECT_EQ(culled, everything.rendered(2.0));
    EXPECT_EQ(culled.pixelColor(culled.width() / 2, culled.height() / 2).alpha(), 255);

    // Outside the export nothing changes: the page is drawn in full, as before.
    page->setExporting(false);
    pf::RecordingContext whole;
    page->drawInContextDirtyRect(whole, page->frame());
    EXPECT_TRUE(has(fillColours(whole), blue));
}

} // namespace
