// Lines drawn into pixels: the stroke stops under the heads and under the label, and one page of every
// head type, block arrows and labelled lines, compared with the reference picture.
#include "ConnectorTestSupport.h"

#include "model/LineDash.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "support/ReferencePicture.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QString referencePath() { return QStringLiteral(QUORVEL_TEST_DATA "/shapes/arrowheads.png"); }

// Drawn as the canvas draws at zoom 1: with its half-point offset, so odd strokes cover whole pixels.
QImage render(Shape& shape, pf::Size size)
{
    pf::BitmapContext context(size, 1.0, true, false);
    context.translate(0.5, 0.5);
    shape.drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    return context.bitmap();
}

int alpha(const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); }

} // namespace

TEST_F(ConnectorTest, TheStrokeIsLeftOutUnderTheHeadsAndTheLabel)
{
    // An unfilled diamond at B: inside it the line is not drawn.
    auto line = connector(pf::Rect(10, 20, 180, 0));
    line->setArrowTypeB(26);
    QImage image = render(*line, {200, 40});
    EXPECT_EQ(alpha(image, 100, 20), 255);
    EXPECT_EQ(alpha(image, 182, 20), 0);
    EXPECT_EQ(alpha(image, 177, 20), 0);
    // The diamond's own outline is drawn.
    EXPECT_GT(alpha(image, 174, 20), 0);

    // With a label over the middle, the stroke stops at the label's bounds (drawn without the text, whose
    // letters would cover the gap).
    line->setArrowTypeB(0);
    line->setTextAlign(2);
    line->setAttributedText(pf::AttributedString(QStringLiteral("label"), line->textAttributes()));
    const pf::Rect label = line->textClipPath().bounds();
    ASSERT_GT(label.width(), 20);
    pf::BitmapContext stroke({200, 40}, 1.0, true, false);
    stroke.translate(0.5, 0.5);
    line->drawStrokeInContext(stroke);
    image = stroke.bitmap();
    const int left = static_cast<int>(std::ceil(label.minX())), right = static_cast<int>(std::floor(label.maxX()));
    EXPECT_EQ(alpha(image, 100, 20), 0);
    EXPECT_EQ(alpha(image, left + 1, 20), 0);
    EXPECT_EQ(alpha(image, right - 1, 20), 0);
    EXPECT_EQ(alpha(image, left - 2, 20), 255);
    EXPECT_EQ(alpha(image, right + 2, 20), 255);
}

TEST_F(ConnectorTest, EveryHeadTypeMatchesTheReferencePicture)
{
    constexpr int columns = 6;
    constexpr double cellWidth = 120, cellHeight = 34;
    const int rows = (57 + columns - 1) / columns + 3;
    const pf::Size size(columns * cellWidth, rows * cellHeight);
    pf::BitmapContext context(size, 1.0, true, false);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillPath(pf::Path::rect(pf::Rect(0, 0, size.width, size.height)));
    context.translate(0.5, 0.5);
    const auto draw = [&](Shape& shape) { shape.drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4)); };
    for (std::uint64_t type = 1; type <= 57; ++type) {
        const double x = double((type - 1) % columns) * cellWidth, y = double((type - 1) / columns) * cellHeight;
        // Type at B, and at A at the width of 2, so both widths and both directions show.
        auto line = connector(pf::Rect(x + 22, y + 17, 76, 0), type % 2 ? 1 : 2);
        line->setStrokeColor(pf::Color(0.1, 0.1, 0.3, 1));
        line->setArrowTypeA(type);
        line->setArrowTypeB(type);
        draw(*line);
    }
    const double y = double((57 + columns - 1) / columns) * cellHeight;
    // Diagonal lines with heads at a width of 3, and block arrows both ways.
    auto diagonal = connector(pf::Rect(20, y + 5, 80, 58), 3);
    diagonal->setArrowTypeA(4);
    diagonal->setArrowTypeB(27);
    draw(*diagonal);
    auto rising = connector(pf::Rect(140, y + 63, 90, -58), 3);
    rising->setArrowTypeA(50);
    rising->setArrowTypeB(2);
    draw(*rising);
    for (const pf::Rect& frame : {pf::Rect(270, y + 34, 200, 0), pf::Rect(690, y + 8, -180, 50)}) {
        auto arrow = connector<Pointer>(frame);
        arrow->setFillType(0);
        arrow->setFillColor(pf::Color(0.55, 0.75, 0.95, 1));
        draw(*arrow);
    }
    // Labels: across a flat line between two heads, and turned along a falling line.
    const double z = y + 2 * cellHeight;
    auto flat = connector(pf::Rect(20, z + 17, 300, 0));
    flat->setArrowTypeA(4);
    flat->setArrowTypeB(2);
    flat->setTextAlign(2);
    flat->setAttributedText(pf::AttributedString(QStringLiteral("across"), flat->textAttributes()));
    draw(*flat);
    auto falling = connector(pf::Rect(380, z + 2, 300, 30));
    falling->setArrowTypeB(1);
    falling->setTextAlign(2);
    falling->setTextDrawOnPath(true);
    falling->setAttributedText(pf::AttributedString(QStringLiteral("along"), falling->textAttributes()));
    draw(*falling);
    expectMatchesReferencePicture(context.bitmap(), referencePath());
}

TEST_F(ConnectorTest, AStrokeShortenedAtItsHeadsPaintsAsTheClipWould)
{
    // Heads whose clip is a rect across the stroke cut it by shortening it (no clip); the pixels are the
    // clipped stroke's but for the shading of a pixel or two at the cut.
    const auto stroke = [&](Line& line, bool clipped) {
        pf::BitmapContext context({140, 100}, 1.0, true, false);
        context.translate(0.5, 0.5);
        context.saveGState();
        if (clipped) {
            line.clipOutArrowHeads(context, line.isStrokeEven() ? 0.5 : 0.0);
            line.Shape::drawStrokeInContext(context);
        } else {
            line.drawStrokeInContext(context);
        }
        context.restoreGState();
        return context.bitmap();
    };
    const auto clips = [](Line& line) {
        pf::RecordingContext context;
        line.drawStrokeInContext(context);
        return std::count_if(context.calls().begin(), context.calls().end(),
                             [](const pf::RecordedCall& c) { return c.operation == "clip"; });
    };
    for (const double zoom : {1.0, 2.0})
        for (const std::uint64_t type : {1, 2, 4, 5, 9, 13, 25, 29, 35, 43, 57})
            for (const double width : {2.0, 3.0, 5.0})
                for (const int cap : {0, 2})
                    for (const double degrees : {0.0, 30.0, 135.0, 250.0}) {
                        page.zoom = zoom;
                        const double dx = 35 * std::cos(degrees * std::numbers::pi / 180);
                        const double dy = 35 * std::sin(degrees * std::numbers::pi / 180);
                        auto line = connector(pf::Rect(70 - dx, 50 - dy, 2 * dx, 2 * dy), width);
                        line->setStrokeLineCap(cap);
                        line->setArrowTypeA(type);
                        line->setArrowTypeB(type);
                        const std::string where = std::to_string(type) + " w " + std::to_string(width) + " cap " +
                                                  std::to_string(cap) + " at " + std::to_string(degrees) +
                                                  " zoom " + std::to_string(zoom);
                        ASSERT_EQ(clips(*line), 0) << where;
                        const QImage cut = stroke(*line, false), clipped = stroke(*line, true);
                        int worst = 0, off = 0;
                        for (int y = 0; y < cut.height(); ++y)
                            for (int x = 0; x < cut.width(); ++x) {
                                const int d = std::abs(alpha(cut, x, y) - alpha(clipped, x, y));
                                worst = std::max(worst, d);
                                off += d > 16;
                            }
                        EXPECT_LE(worst, 128) << where;
                        EXPECT_LE(off, 4) << where;
                    }
    page.zoom = 1;

    // Where a shortening could not paint the same, the clip stays: round caps, dashes, strokes of a pixel
    // or less (shaded from both ends), a shadow (clipped too), clips not across the stroke (circles).
    const auto clipped = [&](auto&& change) {
        auto line = connector(pf::Rect(10, 10, 60, 40), 3);
        line->setArrowTypeB(1);
        change(*line);
        return clips(*line) > 0;
    };
    EXPECT_FALSE(clipped([](Line&) {}));
    EXPECT_TRUE(clipped([](Line& l) { l.setStrokeLineCap(1); }));
    EXPECT_TRUE(clipped([](Line& l) { l.setStrokeLineDash(LineDash(4, 2, 0)); }));
    EXPECT_TRUE(clipped([](Line& l) { l.setStrokeLineWidth(1); }));
    EXPECT_TRUE(clipped([](Line& l) { l.setArrowTypeB(49); }));
    auto shadowed = connector(pf::Rect(10, 10, 60, 40), 3);
    shadowed->setArrowTypeB(1);
    pf::RecordingContext context;
    context.setShadow(pf::Size(2, -2), 3, pf::Color(0, 0, 0, 0.5));
    shadowed->drawStrokeInContext(context);
    EXPECT_TRUE(std::any_of(context.calls().begin(), context.calls().end(),
                            [](const pf::RecordedCall& c) { return c.operation == "clip"; }));
}
