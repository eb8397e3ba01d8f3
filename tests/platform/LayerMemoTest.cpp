// A context keeps what each drawing through a layer (a shadow, a clip mask, a transparency layer) left on
// its target and draws it again for the same drawing in the same state. Two drawings that differ in any
// one input must never take each other's pictures: each case draws one, clears, draws the other in the
// same context, and must get what the other alone draws in a fresh one.
#include "platform/graphics/Gradient.h"
#include "platform/graphics/PainterContext.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>

namespace pf {
namespace {

constexpr Size pageSize{120, 90};

using Drawing = std::function<void(GraphicsContext&)>;

// A drawing under a shadow, changed by edit before it draws.
Drawing shadowed(const std::function<void(GraphicsContext&)>& edit, const std::function<void(GraphicsContext&)>& draw)
{
    return [edit, draw](GraphicsContext& context) {
        SavedGState saved(context);
        context.setShadow({4, -3}, 5, Color(0, 0, 0.5, 0.6));
        context.setFillColor(Color(0.9, 0.2, 0.1, 1));
        context.setStrokeColor(Color(0.1, 0.3, 0.9, 1));
        context.setLineWidth(3);
        edit(context);
        draw(context);
    };
}

void fillOval(GraphicsContext& context) { context.fillPath(Path::oval(Rect(20, 15, 60, 40))); }

QImage alone(const Drawing& drawing)
{
    BitmapContext context(pageSize, 2);
    drawing(context);
    return context.bitmap();
}

QImage after(const Drawing& first, const Drawing& second)
{
    BitmapContext context(pageSize, 2);
    first(context);
    context.clearRect(Rect(0, 0, pageSize.width, pageSize.height));
    second(context);
    return context.bitmap();
}

QGlyphRun glyphs(const QString& text)
{
    QRawFont font = QRawFont::fromFont(QFont(QStringLiteral("DejaVu Sans")));
    font.setPixelSize(30);
    QGlyphRun run;
    run.setRawFont(font);
    const QList<quint32> indexes = font.glyphIndexesForString(text);
    run.setGlyphIndexes(indexes);
    QList<QPointF> positions;
    for (int i = 0; i < indexes.size(); ++i)
        positions.append(QPointF(i * 20.0, 0));
    run.setPositions(positions);
    return run;
}

struct Pair {
    const char* differs;
    Drawing first;
    Drawing second;
};

TEST(LayerMemo, DrawingsThatDifferInOneInputNeverShareTheirPictures)
{
    const auto none = [](GraphicsContext&) {};
    // A grey page, without a shadow: a blend mode shows only over something.
    const auto backdrop = [](GraphicsContext& c) {
        SavedGState saved(c);
        c.clearShadow();
        c.setFillColor(Color(0.5, 0.5, 0.5, 1));
        c.fillRect(Rect(0, 0, pageSize.width, pageSize.height));
    };
    const Path oval = Path::oval(Rect(20, 15, 60, 40));
    const Gradient twoStops(Color(1, 0, 0, 1), Color(0, 0, 1, 1));
    const Gradient threeStops({{Color(1, 0, 0, 1), 0}, {Color(0, 1, 0, 1), 0.5}, {Color(0, 0, 1, 1), 1}});
    const std::vector<Pair> pairs = {
        {"fill colour", shadowed(none, fillOval),
         shadowed([](GraphicsContext& c) { c.setFillColor(Color(0.1, 0.8, 0.2, 1)); }, fillOval)},
        {"path", shadowed(none, fillOval),
         shadowed(none, [](GraphicsContext& c) { c.fillPath(Path::oval(Rect(20.5, 15, 60, 40))); })},
        {"transform", shadowed(none, fillOval), shadowed([](GraphicsContext& c) { c.rotate(0.1); }, fillOval)},
        {"shadow blur", shadowed(none, fillOval),
         shadowed([](GraphicsContext& c) { c.setShadow({4, -3}, 9, Color(0, 0, 0.5, 0.6)); }, fillOval)},
        {"shadow offset", shadowed(none, fillOval),
         shadowed([](GraphicsContext& c) { c.setShadow({-4, -3}, 5, Color(0, 0, 0.5, 0.6)); }, fillOval)},
        {"shadow colour", shadowed(none, fillOval),
         shadowed([](GraphicsContext& c) { c.setShadow({4, -3}, 5, Color(0.5, 0, 0, 0.6)); }, fillOval)},
        {"alpha", shadowed(none, fillOval), shadowed([](GraphicsContext& c) { c.setAlpha(0.5); }, fillOval)},
        {"blend mode", shadowed(backdrop, fillOval),
         shadowed([&](GraphicsContext& c) { backdrop(c), c.setBlendMode(BlendMode::Multiply); }, fillOval)},
        {"clip path", shadowed([](GraphicsContext& c) { c.clip(Path::rect(Rect(10, 10, 50, 50))); }, fillOval),
         shadowed([](GraphicsContext& c) { c.clip(Path::oval(Rect(10, 10, 50, 50))); }, fillOval)},
        {"antialiasing", shadowed(none, fillOval),
         shadowed([](GraphicsContext& c) { c.setShouldAntialias(false); }, fillOval)},
        {"stroke width", shadowed(none, [oval](GraphicsContext& c) { c.strokePath(oval); }),
         shadowed([](GraphicsContext& c) { c.setLineWidth(5); }, [oval](GraphicsContext& c) { c.strokePath(oval); })},
        {"dashes", shadowed(none, [oval](GraphicsContext& c) { c.strokePath(oval); }),
         shadowed([](GraphicsContext& c) { c.setLineDash(0, {6, 3}); }, [oval](GraphicsContext& c) { c.strokePath(oval); })},
        {"gradient stops",
         shadowed(none, [&](GraphicsContext& c) { c.drawLinearGradientInPath(twoStops, oval, 30); }),
         shadowed(none, [&](GraphicsContext& c) { c.drawLinearGradientInPath(threeStops, oval, 30); })},
        {"glyphs", shadowed(none, [](GraphicsContext& c) { c.drawGlyphRun(glyphs(QStringLiteral("Hi")), {20, 60}); }),
         shadowed(none, [](GraphicsContext& c) { c.drawGlyphRun(glyphs(QStringLiteral("Ho")), {20, 60}); })},
        {"layer contents",
         shadowed(none,
                  [](GraphicsContext& c) {
                      c.beginTransparencyLayer();
                      fillOval(c);
                      c.endTransparencyLayer();
                  }),
         shadowed(none, [](GraphicsContext& c) {
             c.beginTransparencyLayer();
             c.setFillColor(Color(0.1, 0.8, 0.2, 1));
             fillOval(c);
             c.endTransparencyLayer();
         })},
    };
    for (const Pair& pair : pairs) {
        const QImage first = alone(pair.first);
        const QImage second = alone(pair.second);
        ASSERT_NE(first, second) << pair.differs << ": the case must draw two different pictures";
        EXPECT_EQ(after(pair.first, pair.second), second) << pair.differs;
        EXPECT_EQ(after(pair.second, pair.first), first) << pair.differs;
        // The same drawing again takes its own picture.
        EXPECT_EQ(after(pair.second, pair.second), second) << pair.differs;
    }
}

} // namespace
} // namespace pf
