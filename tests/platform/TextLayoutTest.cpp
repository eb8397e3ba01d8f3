#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/text/StringDrawing.h"
#include "platform/text/TextLayout.h"

#include <QImage>
#include <QPainterPath>
#include <QPainter>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <thread>

using namespace pf;

namespace {

TextAttributes attrs(double size = 12, TextAlignment alignment = TextAlignment::Natural)
{
    ParagraphStyle style;
    style.alignment = alignment;
    return TextAttributes{.font = Font("Helvetica", size), .foregroundColor = Color::black(), .paragraphStyle = style};
}

std::shared_ptr<const TextLayout> layOut(const QString& text, double width, TextAttributes a = attrs())
{
    return TextLayout::make(AttributedString(text, a), Size(width, unboundedTextExtent));
}

// The bounding box of the pixels that are not transparent.
Rect inkBounds(const QImage& image)
{
    int x0 = image.width(), y0 = image.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    return x1 < 0 ? Rect() : Rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

// Draws into a transparent y-down image through a graphics context.
template <typename Draw> QImage render(int width, int height, Draw&& draw)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PainterContext context(painter, image.rect(), AffineTransform::identity(), 1, false);
    draw(context);
    return image;
}

// Bounds of every point of a path (control points included, so never smaller than the outline).
Rect pointBounds(const Path& path)
{
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i) {
            x0 = std::min(x0, e.points[i].x), x1 = std::max(x1, e.points[i].x);
            y0 = std::min(y0, e.points[i].y), y1 = std::max(y1, e.points[i].y);
        }
    return path.isEmpty() ? Rect() : Rect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace

TEST(TextLayout, LineHeightsFollowTheFontAndTheParagraphStyle)
{
    const Font font("Helvetica", 12);
    const auto one = layOut(QStringLiteral("Hello"), 200);
    EXPECT_NEAR(one->usedRect().height(), font.lineHeight(), 1e-9);
    ASSERT_EQ(one->lineFragments().size(), 1u);
    EXPECT_EQ(one->glyphRange(), (TextRange{0, 5}));

    const auto two = layOut(QStringLiteral("Hello\nworld"), 200);
    EXPECT_EQ(two->lineFragments().size(), 2u);
    EXPECT_DOUBLE_EQ(two->usedRect().height(), 2 * one->usedRect().height());
    // A final paragraph break adds the empty line after it.
    EXPECT_DOUBLE_EQ(layOut(QStringLiteral("Hello\n"), 200)->usedRect().height(), 2 * one->usedRect().height());

    // Wrapping at a narrow width: every line within the width, lines stacked without gaps.
    const auto wrapped = layOut(QStringLiteral("The quick brown fox jumps over the lazy dog"), 60);
    ASSERT_GT(wrapped->lineFragments().size(), 2u);
    for (const LineFragment& f : wrapped->lineFragments())
        EXPECT_LE(f.usedRect.width(), 60.0);
    EXPECT_DOUBLE_EQ(wrapped->usedRect().height(), double(wrapped->lineFragments().size()) * font.lineHeight());

    TextAttributes tall = attrs();
    tall.paragraphStyle->minimumLineHeight = 30;
    EXPECT_DOUBLE_EQ(layOut(QStringLiteral("Hi"), 100, tall)->usedRect().height(), 30.0);
    TextAttributes capped = attrs();
    capped.paragraphStyle->maximumLineHeight = 8;
    EXPECT_DOUBLE_EQ(layOut(QStringLiteral("Hi"), 100, capped)->usedRect().height(), 8.0);
    TextAttributes doubled = attrs();
    doubled.paragraphStyle->lineHeightMultiple = 2;
    EXPECT_DOUBLE_EQ(layOut(QStringLiteral("Hi"), 100, doubled)->usedRect().height(), 2 * font.lineHeight());
    TextAttributes spaced = attrs();
    spaced.paragraphStyle->lineSpacing = 5;
    EXPECT_DOUBLE_EQ(layOut(QStringLiteral("a\nb"), 100, spaced)->lineFragments()[1].rect.y(), font.lineHeight() + 5);
}

// A paragraph of one word longer than any line (stored text may hold anything) wraps it anywhere, quickly:
// breaking at word boundaries looked for the word's end at every line, minutes for 10^6 characters.
// Ordinary words keep wrapping at their boundaries.
TEST(TextLayout, OverlongWordsWrapAnywhereQuickly)
{
    QElapsedTimer clock;
    clock.start();
    const auto word = layOut(QString(300000, QLatin1Char('w')), 150);
    EXPECT_LT(clock.elapsed(), 60'000) << "the quadratic search takes minutes; a loaded machine, seconds";
    ASSERT_GT(word->lineFragments().size(), 1000u);
    TextAttributes charWrapping = attrs();
    charWrapping.paragraphStyle->lineBreakMode = LineBreakMode::CharWrapping;
    const QString part(5000, QLatin1Char('w'));
    EXPECT_EQ(layOut(part, 150)->lineFragments().size(), layOut(part, 150, charWrapping)->lineFragments().size())
        << "broken as characters wrap";
    const QString sentence = QStringLiteral("one two three four five six seven");
    const auto words = layOut(sentence, 60);
    ASSERT_GT(words->lineFragments().size(), 1u);
    for (size_t i = 1; i < words->lineFragments().size(); ++i)
        EXPECT_EQ(sentence[words->lineFragments()[i].glyphRange.location - 1], QLatin1Char(' ')) << "after a word";
}

TEST(TextLayout, AdvancesAreInPoints)
{
    // Ten glyphs of 0.6 em in a 12-point fixed-pitch font take 72 points, at quarter-point sizes too.
    for (const double size : {12.0, 12.25, 30.0}) {
        const auto layout = layOut(QStringLiteral("MMMMMMMMMM"), 500, TextAttributes{.font = Font("Courier", size)});
        EXPECT_NEAR(layout->usedRect().width(), 6 * size, 0.05) << size;
    }
}

TEST(TextLayout, AlignmentPlacesTheUsedRect)
{
    const auto left = layOut(QStringLiteral("Hello"), 200, attrs(12, TextAlignment::Left));
    const auto right = layOut(QStringLiteral("Hello"), 200, attrs(12, TextAlignment::Right));
    const auto centre = layOut(QStringLiteral("Hello"), 200, attrs(12, TextAlignment::Center));
    const double width = left->usedRect().width();
    EXPECT_EQ(left->usedRect().x(), 0.0);
    EXPECT_NEAR(right->usedRect().maxX(), 200.0, 1e-9);
    EXPECT_NEAR(right->usedRect().width(), width, 1e-9);
    EXPECT_NEAR(centre->usedRect().midX(), 100.0, 1e-9);
    // Glyph positions move with the line.
    EXPECT_NEAR(right->boundingRectForGlyphRange({0, 5}).maxX(), 200.0, 0.01);
    EXPECT_NEAR(right->locationForGlyph(0).x, 200.0 - width, 0.01);
}

TEST(TextLayout, GlyphQueriesAgreeWithEachOther)
{
    MutableAttributedString text(QStringLiteral("Tá😀y"), attrs(20));
    const auto layout = TextLayout::make(text, Size(300, unboundedTextExtent));
    const Rect t = layout->boundingRectForGlyphRange({0, 1});
    const Path outline = layout->outlineForGlyph(0);
    ASSERT_FALSE(outline.isEmpty());
    // The outline about the glyph origin, placed at its location, lies inside the glyph's rect.
    const Point origin = layout->locationForGlyph(0);
    const Rect placed = pointBounds(outline);
    EXPECT_GE(placed.minX() + origin.x, t.minX() - 0.5);
    EXPECT_LE(placed.maxX() + origin.x, t.maxX() + 0.5);
    // Capitals reach the ascender (a line's top), give or take a thousandth of the em.
    EXPECT_GE(placed.minY() + origin.y, t.minY() - 0.001 * 20);
    EXPECT_LE(placed.maxY() + origin.y, t.maxY());
    // Glyph outlines for a range: one per glyph; the second half of a surrogate pair draws nothing.
    const auto outlines = layout->glyphOutlines({0, 5}, Point(10, 20));
    ASSERT_EQ(outlines.size(), 5u);
    EXPECT_FALSE(outlines[2].isEmpty() && outlines[1].isEmpty());
    EXPECT_TRUE(outlines[3].isEmpty());
    EXPECT_NEAR(pointBounds(outlines[0]).minX(), placed.minX() + origin.x + 10, 1e-9);
    // Later glyphs lie further along the line.
    EXPECT_GT(layout->locationForGlyph(1).x, layout->locationForGlyph(0).x);
    EXPECT_EQ(layout->lineFragmentIndexForGlyph(4), 0);
    EXPECT_EQ(layout->lineFragmentIndexForGlyph(5), -1);
}

TEST(TextLayout, DrawnTextLandsInsideItsUsedRect)
{
    const AttributedString text(QStringLiteral("Quorvel ypj"), attrs(24));
    const auto layout = TextLayout::make(text, Size(400, unboundedTextExtent));
    const QImage image = render(200, 80, [&](GraphicsContext& c) { layout->draw(c, layout->glyphRange(), Point(10, 20)); });
    const Rect ink = inkBounds(image);
    ASSERT_FALSE(ink.isEmpty());
    const Rect used = layout->usedRect();
    EXPECT_GE(ink.minX(), 10 + used.minX() - 1);
    EXPECT_LE(ink.maxX(), 10 + used.maxX() + 1);
    // Round capitals overshoot the ascender, the line's top, by about a hundredth of the em: one pixel here.
    EXPECT_GE(ink.minY(), 20 + used.minY() - 1);
    EXPECT_LE(ink.maxY(), 20 + used.maxY());
    // The ink is most of the used rect: the text was drawn at its laid-out size.
    EXPECT_GT(ink.width(), used.width() * 0.9);
}

TEST(TextLayout, CharactersTheFontLacksDrawWithAFallbackFont)
{
    // Neither Helvetica's substitute nor the other text fonts have Chinese, Japanese or emoji glyphs.
    const QString text = QStringLiteral("漢字 かな 🙂");
    const auto layout = TextLayout::make(AttributedString(text, attrs(24)), Size(400, unboundedTextExtent));
    ASSERT_EQ(layout->glyphRange().length, text.size());
    for (const TextLayout::PaintRun& run : layout->paintRuns(layout->glyphRange(), Point()))
        for (const quint32 glyph : run.glyphs.glyphIndexes())
            EXPECT_NE(glyph, 0u) << run.glyphs.rawFont().familyName().toStdString(); // 0 is the missing glyph

    const QImage image = render(300, 60, [&](GraphicsContext& c) { layout->draw(c, layout->glyphRange(), Point(10, 10)); });
    // Ink in the advance of each visible character.
    for (const qsizetype i : {0, 1, 3, 4, 6}) {
        const double x0 = 10 + layout->locationForGlyph(i).x;
        const double x1 = 10 + (i + 1 < text.size() && !text[i].isHighSurrogate() ? layout->locationForGlyph(i + 1).x : layout->usedRect().maxX());
        const Rect ink = inkBounds(image.copy(int(x0) + 1, 0, std::max(1, int(x1 - x0) - 2), image.height()));
        EXPECT_GT(ink.width() * ink.height(), 20.0) << "character " << i;
    }
}

TEST(TextLayout, GlyphOutlinesCoincideWithDrawnText)
{
    const AttributedString text(QStringLiteral("Tx"), attrs(40));
    const auto layout = TextLayout::make(text, Size(400, unboundedTextExtent));
    const QImage drawn = render(120, 80, [&](GraphicsContext& c) { layout->draw(c, layout->glyphRange(), Point(5, 5)); });
    const QImage filled = render(120, 80, [&](GraphicsContext& c) {
        for (const Path& path : layout->glyphOutlines(layout->glyphRange(), Point(5, 5)))
            c.fillPath(path);
    });
    const Rect a = inkBounds(drawn), b = inkBounds(filled);
    EXPECT_NEAR(a.minX(), b.minX(), 1.0);
    EXPECT_NEAR(a.maxX(), b.maxX(), 1.0);
    EXPECT_NEAR(a.minY(), b.minY(), 1.0);
    EXPECT_NEAR(a.maxY(), b.maxY(), 1.0);
}

TEST(TextLayout, DrawingUsesTheColourAndShadowOfEachRun)
{
    Shadow shadow;
    shadow.offset = Size(3, -4); // y-up: 4 down on the page
    shadow.color = Color(0, 0, 1, 1);
    MutableAttributedString text(QStringLiteral("ab"), attrs(20));
    text.addAttributes(TextAttributes{.foregroundColor = Color(1, 0, 0), .shadow = shadow}, {1, 1});
    const auto layout = TextLayout::make(text, Size(400, unboundedTextExtent));

    RecordingContext recording;
    recording.setShadow(Size(1, 1), 0, Color::white());
    layout->draw(recording, layout->glyphRange(), Point(0, 0));
    ASSERT_EQ(recording.calls().size(), 2u);
    EXPECT_EQ(recording.calls()[0].state.fillColor, Color::black());
    EXPECT_EQ(recording.calls()[0].state.shadow->color, Color::white()); // no attribute: the context's shadow
    EXPECT_EQ(recording.calls()[1].state.fillColor, Color(1, 0, 0));
    EXPECT_EQ(recording.calls()[1].state.shadow, shadow);
    EXPECT_EQ(recording.calls()[1].glyphs.size(), 1u);

    // The shadow lands to the right and below the letter.
    const AttributedString shadowed(QStringLiteral("I"), TextAttributes{.font = Font("Helvetica", 40), .shadow = shadow});
    const auto single = TextLayout::make(shadowed, Size(400, unboundedTextExtent));
    const QImage image = render(80, 80, [&](GraphicsContext& c) { single->draw(c, single->glyphRange(), Point(10, 10)); });
    const Rect letter = inkBounds(render(80, 80, [&](GraphicsContext& c) {
        TextLayout::make(AttributedString(QStringLiteral("I"), TextAttributes{.font = Font("Helvetica", 40)}),
                         Size(400, unboundedTextExtent))->draw(c, {0, 1}, Point(10, 10));
    }));
    const Rect both = inkBounds(image);
    EXPECT_NEAR(both.maxX(), letter.maxX() + 3, 1.0);
    EXPECT_NEAR(both.maxY(), letter.maxY() + 4, 1.0);
    EXPECT_NEAR(both.minY(), letter.minY(), 1.0);
}

TEST(TextLayout, TruncationAndStringDrawingOptions)
{
    TextAttributes tail = attrs();
    tail.paragraphStyle->lineBreakMode = LineBreakMode::TruncatingTail;
    const QString longText = QStringLiteral("A long title that cannot fit");
    const auto truncated = layOut(longText, 60, tail);
    ASSERT_EQ(truncated->lineFragments().size(), 1u);
    EXPECT_LE(truncated->usedRect().width(), 60.0);
    EXPECT_GT(truncated->usedRect().width(), 30.0);
    EXPECT_EQ(truncated->glyphRange().length, longText.size());
    TextAttributes clip = attrs();
    clip.paragraphStyle->lineBreakMode = LineBreakMode::Clipping;
    EXPECT_EQ(layOut(longText, 60, clip)->lineFragments().size(), 1u);
    EXPECT_GT(layOut(longText, 60, clip)->usedRect().width(), 60.0);

    // The controls' options: wrap at the width, stop at the height, truncate the last line that fits.
    const AttributedString text(longText, attrs());
    const double line = Font("Helvetica", 12).lineHeight();
    const Rect bounds = boundingRectWithSize(text, Size(60, line * 1.5), UsesLineFragmentOrigin | TruncatesLastVisibleLine);
    EXPECT_DOUBLE_EQ(bounds.height(), line);
    EXPECT_LE(bounds.width(), 60.0);
    const Rect wrapped = boundingRectWithSize(text, Size(60, line * 1.5), UsesLineFragmentOrigin);
    EXPECT_GT(wrapped.height(), 2 * line - 1e-9);
    // One line from a baseline origin: the rect starts one ascent above it.
    const Rect single = boundingRectWithSize(text, Size(60, 10), 0);
    EXPECT_DOUBLE_EQ(single.height(), line);
    EXPECT_LT(single.y(), 0.0);
    EXPECT_DOUBLE_EQ(sizeOfAttributedString(text).width, single.width());

    // Drawn with the controls' options, the truncated line stays inside the rect.
    RecordingContext recording;
    drawAttributedString(recording, text, Rect(10, 10, 60, line * 1.5), UsesLineFragmentOrigin | TruncatesLastVisibleLine);
    ASSERT_FALSE(recording.calls().empty());
    for (const RecordedCall& call : recording.calls()) {
        EXPECT_GE(call.rect.minX(), 10.0 - 1);
        EXPECT_LE(call.rect.maxX(), 70.0 + 1);
        EXPECT_LE(call.rect.maxY(), 10 + line * 1.5);
    }
}

TEST(TextLayout, TruncationModesHideTheRightCharacters)
{
    struct Case {
        LineBreakMode mode;
        bool firstShown;
        bool middleShown;
        bool lastShown;
    };
    const Case cases[] = {
        {LineBreakMode::TruncatingTail, true, false, false},
        {LineBreakMode::TruncatingHead, false, false, true},
        {LineBreakMode::TruncatingMiddle, true, false, true},
    };
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        TextAttributes a = attrs();
        a.paragraphStyle->lineBreakMode = c.mode;
        const auto layout = layOut(alphabet, 60, a);
        // (The first hidden character draws the ellipsis; 1 and 24 are never it.)
        EXPECT_EQ(!layout->outlineForGlyph(1).isEmpty(), c.firstShown);
        EXPECT_EQ(!layout->outlineForGlyph(13).isEmpty(), c.middleShown);
        EXPECT_EQ(!layout->outlineForGlyph(24).isEmpty(), c.lastShown);
        // What is drawn (the kept letters and the ellipsis) fits the width.
        const Rect drawn = layout->boundingRectForGlyphRange(layout->glyphRange());
        EXPECT_GE(drawn.minX(), -0.01);
        EXPECT_LE(drawn.maxX(), 60.01);
        EXPECT_GT(drawn.width(), 40.0);
        RecordingContext recording;
        layout->draw(recording, layout->glyphRange(), Point());
        size_t glyphs = 0;
        for (const RecordedCall& call : recording.calls())
            glyphs += call.glyphs.size();
        EXPECT_LT(glyphs, size_t(alphabet.size()));
        EXPECT_GT(glyphs, 4u);
    }
}

TEST(TextLayout, RightToLeftTextAlignsRightByNature)
{
    const auto layout = layOut(QStringLiteral("שלום עולם"), 200);
    EXPECT_NEAR(layout->usedRect().maxX(), 200.0, 0.01);
    EXPECT_GT(layout->usedRect().width(), 10.0);
}

// The runs a layout keeps for its draws follow the origin and the range asked for, and a layout drawn by
// another thread (a preview) draws the same pixels with fonts of its own.
TEST(TextLayout, KeptRunsFollowTheOriginTheRangeAndTheThread)
{
    const auto layout = layOut(QStringLiteral("kept runs"), 400);
    const auto glyphBounds = [&](TextRange range, Point origin) {
        RecordingContext recording;
        layout->draw(recording, range, origin);
        Rect bounds;
        for (const auto& call : recording.calls())
            bounds = bounds.isEmpty() ? call.rect : bounds.united(call.rect);
        return std::pair{bounds, recording.calls().empty() ? size_t(0) : recording.calls()[0].glyphs.size()};
    };
    const auto [first, count] = glyphBounds(layout->glyphRange(), Point(10, 20));
    const auto [again, sameCount] = glyphBounds(layout->glyphRange(), Point(10, 20));
    EXPECT_EQ(again, first);
    EXPECT_EQ(sameCount, count);
    const auto [moved, movedCount] = glyphBounds(layout->glyphRange(), Point(50, 70));
    const Rect expected = first.offsetBy(40, 50);
    const double tolerance = 1e-9 * (std::abs(expected.maxX()) + std::abs(expected.maxY()));
    EXPECT_NEAR(moved.minX(), expected.minX(), tolerance);
    EXPECT_NEAR(moved.minY(), expected.minY(), tolerance);
    EXPECT_NEAR(moved.width(), expected.width(), tolerance);
    EXPECT_NEAR(moved.height(), expected.height(), tolerance);
    EXPECT_EQ(movedCount, count);
    EXPECT_LT(glyphBounds({0, 4}, Point(10, 20)).second, count);

    const auto draw = [&] { return render(200, 60, [&](GraphicsContext& c) { layout->draw(c, layout->glyphRange(), Point(10, 10)); }); };
    const QImage here = draw();
    QImage there;
    std::thread other([&] { there = draw(); });
    other.join();
    EXPECT_FALSE(inkBounds(here).isEmpty());
    EXPECT_EQ(there, here);
}

TEST(TextLayout, LayoutsAreCachedPerTextAndWidth)
{
    const AttributedString text(QStringLiteral("cached text"), attrs());
    const auto a = TextLayout::make(text, Size(100, unboundedTextExtent));
    const auto b = TextLayout::make(AttributedString(QStringLiteral("cached text"), attrs()), Size(100, unboundedTextExtent));
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), TextLayout::make(text, Size(101, unboundedTextExtent)).get());
    EXPECT_NE(a.get(), TextLayout::make(AttributedString(QStringLiteral("cached text"), attrs(13)), Size(100, unboundedTextExtent)).get());
}

TEST(TextLayout, LayoutManagerFollowsItsStorageAndContainer)
{
    TextStorage storage;
    TextContainer container;
    LayoutManager manager;
    manager.setTextStorage(&storage);
    manager.setTextContainer(&container);
    EXPECT_EQ(manager.usedRectForTextContainer(), Rect());
    storage.setAttributedString(AttributedString(QStringLiteral("one two three four"), attrs()));
    const Rect wide = manager.usedRectForTextContainer();
    container.setSize(Size(40, unboundedTextExtent));
    const Rect narrow = manager.usedRectForTextContainer();
    EXPECT_GT(narrow.height(), wide.height());
    EXPECT_EQ(manager.glyphRangeForTextContainer(), (TextRange{0, 18}));
    int fragments = 0;
    manager.enumerateLineFragmentsForGlyphRange(manager.glyphRangeForTextContainer(),
        [&](const Rect& rect, const Rect& used, TextRange range) {
            EXPECT_EQ(rect.y(), used.y());
            EXPECT_EQ(manager.lineFragmentUsedRectForGlyphAtIndex(range.location), used);
            ++fragments;
        });
    EXPECT_GT(fragments, 1);
    // A container too short for a line lays nothing out.
    container.setSize(Size(40, 5));
    EXPECT_EQ(manager.glyphRangeForTextContainer().length, 0);
}

namespace {

// The glyph runs a draw of the whole layout records, in a context of the given device with a CTM and an
// optional clip.
std::vector<RecordedCall> drawnRuns(const TextLayout& layout, Point origin, const QRectF& device,
                                    const AffineTransform& ctm, std::optional<Rect> clip = std::nullopt)
{
    RecordingContext recording(device);
    recording.concat(ctm);
    if (clip)
        recording.clipToRect(*clip);
    recording.clearCalls();
    layout.draw(recording, layout.glyphRange(), origin);
    std::vector<RecordedCall> runs;
    for (const RecordedCall& call : recording.calls())
        if (call.operation == "glyphs")
            runs.push_back(call);
    return runs;
}

} // namespace

// A text of many pages draws the lines that can reach the clip alone, in every CTM, and those exactly as
// a draw of everything would: the same glyphs at the same places.
TEST(TextLayout, DrawingPaintsOnlyTheLinesThatReachTheClip)
{
    QString text;
    for (int i = 0; i < 4000; ++i)
        text += QStringLiteral("Line %1 of many\n").arg(i);
    const auto layout = layOut(text, 300);
    ASSERT_GE(layout->lineFragments().size(), 4000u);
    struct Case {
        const char* what;
        Point origin;
        AffineTransform ctm;
        std::optional<Rect> clip;  // in user space
    };
    const QRectF device(0, 0, 400, 300);
    const Case cases[] = {
        {"far down the text", Point(10, -30000), AffineTransform(), std::nullopt},
        {"the start", Point(10, 5), AffineTransform(), std::nullopt},
        {"scaled and moved", Point(0, 0), AffineTransform::translation(-20, -45000).concat(AffineTransform::scale(0.5, 0.5)),
         std::nullopt},
        {"turned", Point(0, -20000), AffineTransform::rotation(0.3), std::nullopt},
        {"clipped", Point(0, -30000), AffineTransform(), Rect(0, 120, 400, 30)},
        {"past the end", Point(0, 1e6), AffineTransform(), std::nullopt},
    };
    for (const Case& c : cases) {
        // What a device far larger shows; then what the device shows.
        const auto all = drawnRuns(*layout, c.origin, device.adjusted(-2000, -2000, 2000, 2000), c.ctm, c.clip);
        const auto shown = drawnRuns(*layout, c.origin, device, c.ctm, c.clip);
        // The device in user space (a turned one by its bounds), within the clip.
        QRectF visible = c.ctm.inverted().apply(Rect::fromQt(device)).toQt();
        if (c.clip)
            visible &= c.clip->toQt();
        size_t meeting = 0;
        for (const RecordedCall& run : all) {
            if (!run.rect.toQt().intersects(visible))
                continue;
            ++meeting;
            const bool drawn = std::any_of(shown.begin(), shown.end(), [&](const RecordedCall& s) {
                return s.rect == run.rect && s.glyphs == run.glyphs;
            });
            EXPECT_TRUE(drawn) << c.what << ": a run on the device left out";
        }
        // Besides those, a line or two either side (what the letters' ink may reach) and no more.
        EXPECT_LE(shown.size(), meeting + 4) << c.what;
        EXPECT_LT(shown.size(), 100u) << c.what;
        EXPECT_TRUE(meeting > 0 || c.origin.y > 0) << c.what;
    }
}

// A layout of unbounded height serves a container as tall as its lines, as it lays out the same lines; a
// shorter container is laid out afresh, without the lines that do not fit.
TEST(TextLayout, AContainerTheWholeTextFitsSharesTheUnboundedLayout)
{
    const AttributedString text(QStringLiteral("one\ntwo\nthree"), attrs());
    const auto open = TextLayout::make(text, Size(100, unboundedTextExtent));
    const double height = open->usedRect().maxY();
    EXPECT_EQ(TextLayout::make(text, Size(100, height)).get(), open.get());
    EXPECT_EQ(TextLayout::make(text, Size(100, std::ceil(height) + 10)).get(), open.get());
    const auto shorter = TextLayout::make(text, Size(100, height - 1));
    EXPECT_NE(shorter.get(), open.get());
    EXPECT_EQ(shorter->lineFragments().size(), 2u);
    EXPECT_NE(TextLayout::make(text, Size(90, height)).get(), open.get()) << "another width";
}
