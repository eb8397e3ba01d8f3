// A context keeps what each drawing through a layer (a shadow, a clip mask, a transparency layer) left on
// its target and draws it again for the same drawing in the same state; a thread keeps the masks of its
// path clips from one context to the next. Two drawings that differ in any one input must never take each
// other's pictures or masks: each case draws one, then the other, and must get what the other alone
// draws where nothing was kept.
#include "platform/graphics/Gradient.h"
#include "platform/graphics/PainterContext.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

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

// Drawn on a thread of its own: nothing kept by an earlier drawing on this one can take part.
QImage aloneOnAFreshThread(const Drawing& drawing)
{
    QImage image;
    std::thread([&] { image = alone(drawing); }).join();
    return image;
}

// A stroke clipped out of a far rect about a small shape (as a connector under its heads), or clipped to
// a shape, drawn over where the clip changes.
Drawing clipped(const Path& cut, WindingRule rule, double strokeWidth = 1, bool antialias = true,
                Point lineEnd = {100, 70})
{
    return [=](GraphicsContext& context) {
        SavedGState saved(context);
        context.setShouldAntialias(antialias);
        context.clip(cut, rule);
        context.setStrokeColor(Color(0.1, 0.3, 0.9, 1));
        context.setLineWidth(strokeWidth);
        Path line;
        line.moveTo({5, 5});
        line.lineTo(lineEnd);
        context.strokePath(line);
    };
}

Path farRectLess(const Rect& hole)
{
    Path everythingBut = Path::rect(Rect(-32767, -32767, 65535, 65535));
    everythingBut.append(Path::oval(hole));
    return everythingBut;
}

TEST(KeptClipMasks, ClipsThatDifferInOneInputNeverShareAMask)
{
    // Masks are kept on the thread from one context to the next (a page drawn again): the second drawing
    // of each pair, after the first, must draw what it draws on a thread that never drew the first.
    const Rect hole(40, 25, 20, 16);
    const std::vector<Pair> pairs = {
        {"cut moved a quarter pixel", clipped(farRectLess(hole), WindingRule::EvenOdd),
         clipped(farRectLess(hole.offsetBy(0.125, 0)), WindingRule::EvenOdd)},
        {"fill rule", clipped(farRectLess(hole), WindingRule::EvenOdd), clipped(farRectLess(hole), WindingRule::NonZero)},
        {"antialiasing", clipped(farRectLess(hole), WindingRule::EvenOdd),
         clipped(farRectLess(hole), WindingRule::EvenOdd, 1, false)},
        {"clip to a shape", clipped(Path::oval(Rect(10, 10, 60, 50)), WindingRule::NonZero),
         clipped(Path::oval(Rect(10, 10, 60, 51)), WindingRule::NonZero)},
        // The first's mask covers only what its short stroke reaches; the long one needs more of it.
        {"a drawing reaching past the mask made",
         clipped(farRectLess(hole), WindingRule::EvenOdd, 1, true, {55, 40}),
         clipped(farRectLess(hole), WindingRule::EvenOdd, 1, true, {100, 70})},
    };
    for (const Pair& pair : pairs) {
        const QImage first = aloneOnAFreshThread(pair.first);
        const QImage second = aloneOnAFreshThread(pair.second);
        ASSERT_NE(first, second) << pair.differs << ": the case must draw two different pictures";
        QImage secondAfterFirst, firstAfterSecond, again;
        std::thread([&] {
            alone(pair.first);
            secondAfterFirst = alone(pair.second);
            firstAfterSecond = alone(pair.first);
            again = alone(pair.first);
        }).join();
        EXPECT_EQ(secondAfterFirst, second) << pair.differs;
        EXPECT_EQ(firstAfterSecond, first) << pair.differs;
        // The same clip again takes its own mask.
        EXPECT_EQ(again, first) << pair.differs;
    }
}

} // namespace
} // namespace pf
