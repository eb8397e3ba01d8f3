#include "GraphicsContextTestSupport.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RecordingContext.h"

#include <gtest/gtest.h>

namespace pf {
namespace {

std::vector<Point> pointsOf(const Path& path)
{
    std::vector<Point> points;
    for (const PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i)
            points.push_back(e.points[i]);
    return points;
}

TEST(RecordingContext, RecordsUserCoordinatesWithTheStateAtEachCall)
{
    RecordingContext context;
    context.translate(10, 20);
    context.scale(2, 2);
    context.setFillColor(Color(0.25, 0.5, 0.75, 1));
    context.fillRect(Rect(1, 2, 3, 4));
    context.setLineDash(1.5, {4, 2});
    context.setLineWidth(3);
    Path line;
    line.moveTo({0.5, 0.25});
    line.lineTo({7, 9});
    context.strokePath(line);
    line.setLineWidth(6);
    context.strokeBezierPath(line);

    const auto& calls = context.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].operation, "fill");
    EXPECT_EQ(pointsOf(calls[0].path), (std::vector<Point>{{1, 2}, {4, 2}, {4, 6}, {1, 6}, {1, 2}}));
    EXPECT_EQ(calls[0].state.ctm, (AffineTransform{2, 0, 0, 2, 10, 20}));
    EXPECT_EQ(calls[0].state.fillColor, Color(0.25, 0.5, 0.75, 1));
    EXPECT_EQ(calls[1].operation, "stroke");
    EXPECT_EQ(pointsOf(calls[1].path), (std::vector<Point>{{0.5, 0.25}, {7, 9}}));
    EXPECT_EQ(calls[1].line.width, 3.0);
    EXPECT_EQ(calls[1].line.dashPattern, (std::vector<double>{4, 2}));
    EXPECT_EQ(calls[1].line.dashPhase, 1.5);
    EXPECT_EQ(calls[2].line.width, 6.0) << "the bezier path's own style";
    EXPECT_TRUE(calls[2].line.dashPattern.empty());
}

TEST(RecordingContext, ClipsLayersGradientsAndImages)
{
    RecordingContext context;
    context.saveGState();
    const Path oval = Path::oval(Rect(0, 0, 10, 10));
    context.clip(oval, WindingRule::EvenOdd);
    context.setAlpha(0.5);
    context.setShadow({2, -3}, 4);
    context.beginTransparencyLayer();
    context.drawLinearGradientInRect(Gradient(Color::white(), Color::black()), Rect(0, 0, 40, 20), 90);
    context.drawImage(Image(QImage(4, 2, QImage::Format_ARGB32_Premultiplied), {2, 1}), Rect(5, 6, 7, 8),
                      Rect(1, 0, 1, 1), BlendMode::Multiply, 0.25);
    context.endTransparencyLayer();
    context.restoreGState();

    const auto& calls = context.calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].operation, "clip");
    EXPECT_EQ(calls[0].rule, WindingRule::EvenOdd);
    EXPECT_TRUE(calls[0].path.sameElements(oval));
    EXPECT_EQ(calls[1].operation, "beginLayer");
    EXPECT_EQ(calls[1].state.alpha, 1.0);
    EXPECT_FALSE(calls[1].state.shadow);
    EXPECT_EQ(calls[2].operation, "gradient");
    EXPECT_EQ(calls[2].start, Point(20, 0)) << "angle 90 from the top of the bounds";
    EXPECT_EQ(calls[2].end, Point(20, 20));
    EXPECT_EQ(calls[3].operation, "image");
    EXPECT_EQ(calls[3].rect, Rect(5, 6, 7, 8));
    EXPECT_EQ(calls[3].source, Rect(2, 0, 2, 2)) << "points to pixels";
    EXPECT_FALSE(calls[3].flipRows) << "upright in a y-down context";
    EXPECT_EQ(calls[3].operationMode, BlendMode::Multiply);
    EXPECT_EQ(calls[3].fraction, 0.25);
    EXPECT_EQ(calls[4].operation, "endLayer");
    EXPECT_EQ(calls[4].state.alpha, 0.5) << "composited with the state at begin";
    ASSERT_TRUE(calls[4].state.shadow);
    EXPECT_EQ(calls[4].state.shadow->offset, Size(2, -3));
    EXPECT_FALSE(context.gstate().clip.hasPaths()) << "restored";
}

} // namespace
} // namespace pf
