// A connector's label: its band on a flat line, its bounds (what the stroke leaves out, what hits and
// what is redrawn), and a label turned along the line.
#include "ConnectorTestSupport.h"

#include "platform/graphics/RecordingContext.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace {

pf::AttributedString labelText(const Shape& shape, const QString& text = QStringLiteral("label"))
{
    return pf::AttributedString(text, shape.textAttributes());
}

double distance(pf::Point a, pf::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Rects of a page of a few hundred points, equal but for rounding.
void expectNearRect(const pf::Rect& actual, const pf::Rect& expected)
{
    EXPECT_LT(distance(actual.origin, expected.origin), 1e-10) << actual.x() << " " << actual.y();
    EXPECT_LT(distance({actual.width(), actual.height()}, {expected.width(), expected.height()}), 1e-10)
        << actual.width() << " " << actual.height();
}

// The corners of r turned by degrees about c, in the order a rect path visits them.
std::vector<pf::Point> turnedCorners(const pf::Rect& r, pf::Point c, double degrees)
{
    const double t = degrees * std::numbers::pi / 180, cs = std::cos(t), sn = std::sin(t);
    std::vector<pf::Point> out;
    for (const pf::Point p : {pf::Point(r.minX(), r.minY()), pf::Point(r.maxX(), r.minY()), pf::Point(r.maxX(), r.maxY()),
                              pf::Point(r.minX(), r.maxY())})
        out.push_back({c.x + (p.x - c.x) * cs - (p.y - c.y) * sn, c.y + (p.x - c.x) * sn + (p.y - c.y) * cs});
    return out;
}

std::vector<pf::RecordedCall> callsOf(const pf::RecordingContext& context, const std::string& operation)
{
    std::vector<pf::RecordedCall> out;
    for (const pf::RecordedCall& c : context.calls())
        if (c.operation == operation)
            out.push_back(c);
    return out;
}

} // namespace

TEST_F(ConnectorTest, AFlatLinesLabelIsItsTextsSizeCentredOnTheLineAndPlacedByAlignment)
{
    // n is the normalised frame, w the label's width; a natural alignment keeps the band's x, which for a
    // block arrow is inset from its frame by the stroke width + 10.
    struct Case {
        const char* name;
        bool pointer;
        pf::Rect frame;
        std::uint64_t align;
        std::function<double(const pf::Rect& n, double w)> x;
    };
    const Case cases[] = {
        {"left", false, pf::Rect(10, 50, 200, 0), 0, [](const pf::Rect& n, double) { return n.minX(); }},
        {"right", false, pf::Rect(10, 50, 200, 0), 1, [](const pf::Rect& n, double w) { return n.maxX() - w; }},
        {"centre", false, pf::Rect(10, 50, 200, 0), 2, [](const pf::Rect& n, double w) { return n.midX() - w / 2; }},
        {"justified", false, pf::Rect(10, 50, 200, 0), 3, [](const pf::Rect& n, double w) { return n.midX() - w / 2; }},
        {"left, drawn backwards", false, pf::Rect(210, 50, -200, 0), 0, [](const pf::Rect& n, double) { return n.minX(); }},
        {"right, drawn backwards", false, pf::Rect(210, 50, -200, 0), 1,
         [](const pf::Rect& n, double w) { return n.maxX() - w; }},
        {"natural, block arrow", true, pf::Rect(10, 50, 200, 0), 4, [](const pf::Rect& n, double) { return n.minX() + 11; }},
        {"left, block arrow", true, pf::Rect(10, 50, 200, 0), 0, [](const pf::Rect& n, double) { return n.minX(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<Line> line = c.pointer ? std::shared_ptr<Line>(connector<Pointer>(c.frame)) : connector(c.frame);
        line->setTextAlign(c.align);
        const pf::AttributedString text = labelText(*line);
        line->setAttributedText(text);
        const pf::Rect band = line->horizontalTextRectForText(text);
        const pf::Rect shapeBand = line->Shape::horizontalTextRectForText(text);
        const pf::Rect n = QVRectGetNormalizedRect(c.frame);
        // One line of text as high as the full-width band, much narrower than the line, centred on it.
        EXPECT_EQ(band.height(), shapeBand.height());
        EXPECT_GT(band.width(), 4);
        EXPECT_LT(band.width(), n.width() / 2);
        EXPECT_NEAR(band.width(), line->verticalTextRect().width(), 0.5);
        EXPECT_NEAR(band.midY(), 50, 50 * 1e-12);
        EXPECT_NEAR(band.x(), c.x(n, band.width()), 200 * 1e-12);
    }

    // A longer text is measured again, and so is a narrower line, where the text wraps.
    auto line = connector(pf::Rect(10, 50, 200, 0));
    line->setAttributedText(labelText(*line));
    const pf::Rect shortBand = line->horizontalTextRectForText(*line->attributedText());
    line->setAttributedText(labelText(*line, QStringLiteral("a label of several words")));
    const pf::Rect longBand = line->horizontalTextRectForText(*line->attributedText());
    EXPECT_GT(longBand.width(), 2 * shortBand.width());
    EXPECT_EQ(longBand.height(), shortBand.height());
    line->setFrame(pf::Rect(10, 50, 40, 0));
    const pf::Rect wrapped = line->horizontalTextRectForText(*line->attributedText());
    EXPECT_LT(wrapped.width(), longBand.width() / 2);
    EXPECT_GT(wrapped.height(), 2 * shortBand.height());
    EXPECT_NEAR(wrapped.midY(), 50, 50 * 1e-12);
}

TEST_F(ConnectorTest, ALabelWithRoomInTheTextRectKeepsTheShapesBand)
{
    // A steep line that is not near vertical: the text rect is the frame, 200 high.
    auto steep = connector(pf::Rect(0, 0, 40, 200));
    const pf::AttributedString text = labelText(*steep);
    steep->setAttributedText(text);
    const pf::Rect band = steep->horizontalTextRectForText(text);
    EXPECT_EQ(band, steep->Shape::horizontalTextRectForText(text));
    EXPECT_EQ(band.width(), 40);

    // An empty text has the one-line band of the shape; hidden text has none.
    auto flat = connector(pf::Rect(10, 50, 200, 0));
    const pf::AttributedString empty;
    EXPECT_EQ(flat->horizontalTextRectForText(empty), flat->Shape::horizontalTextRectForText(empty));
    EXPECT_EQ(flat->horizontalTextRectForText(empty).width(), 200);
    flat->setAttributedText(labelText(*flat));
    flat->setTextAppearanceType(2);
    EXPECT_EQ(flat->horizontalTextRectForText(*flat->attributedText()), pf::Rect::zero());
}

TEST_F(ConnectorTest, TheLabelsBoundsAreLeftOutOfTheStrokeAndHit)
{
    // A standing line: its label is wider than the line's hit band.
    auto line = connector(pf::Rect(50, 0, 0, 100));
    line->setTextAlign(2);
    line->setAttributedText(labelText(*line));
    const pf::Rect column = line->verticalTextRect();
    const pf::Rect band = line->horizontalTextRectForText(*line->attributedText());
    const pf::Rect label(column.x() - 2, band.y(), column.width() + 4, band.height());
    EXPECT_EQ(line->textBoundingRect(), label);
    expectNearRect(line->textClipPath().bounds(), label);
    EXPECT_NEAR(label.midX(), 50, 0.5 + 50 * 1e-12); // the column is rounded to whole points
    EXPECT_NEAR(label.midY(), 50, 50 * 1e-12);

    // The stroke is clipped to everything outside the label.
    pf::RecordingContext context;
    line->drawStrokeInContext(context);
    const auto clips = callsOf(context, "clip");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].rule, pf::WindingRule::EvenOdd);
    const std::vector<pf::Point> clip = vertices(clips[0].path);
    ASSERT_EQ(clip.size(), 8u);
    const std::vector<pf::Point> corners = turnedCorners(label, line->center(), 0);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(clip[4 + i], corners[i]), 100 * 1e-12) << i;
    ASSERT_EQ(callsOf(context, "stroke").size(), 1u);

    // The label hits beyond the line's band, and is redrawn with the line.
    const pf::Point inLabel(label.maxX() - 1, label.midY());
    EXPECT_FALSE(line->intersectionPath().containsPoint(inLabel));
    EXPECT_TRUE(line->containsPoint(inLabel));
    EXPECT_FALSE(line->containsPoint({label.maxX() + 1, label.midY()}));
    EXPECT_TRUE(line->dirtyRect().contains(label));

    // Hidden text leaves the stroke whole and neither hits nor widens the redrawn area.
    line->setTextAppearanceType(2);
    pf::RecordingContext hidden;
    line->drawStrokeInContext(hidden);
    for (const pf::RecordedCall& c : callsOf(hidden, "clip")) {
        // Whatever follows the page-wide rect encloses no area.
        const std::vector<pf::Point> v = vertices(c.path);
        for (std::size_t i = 5; i < v.size(); ++i)
            EXPECT_TRUE(v[i].x == v[4].x || v[i].y == v[4].y) << i;
    }
    EXPECT_FALSE(line->containsPoint(inLabel));
    EXPECT_FALSE(line->dirtyRect().contains(pf::Point(0, 0)));

    // A label being typed where there was none: the stroke already leaves room for the editor.
    auto typing = connector(pf::Rect(10, 50, 200, 0));
    typing->setEditingText(true);
    pf::RecordingContext editing;
    typing->drawStrokeInContext(editing);
    const auto editorClips = callsOf(editing, "clip");
    ASSERT_EQ(editorClips.size(), 1u);
    const std::vector<pf::Point> room = vertices(editorClips[0].path);
    ASSERT_EQ(room.size(), 8u);
    const pf::Rect editor = typing->textBoundingRect();
    EXPECT_GT(editor.height(), 4);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(room[4 + i], turnedCorners(editor, typing->center(), 0)[i]), 200 * 1e-12) << i;
}

TEST_F(ConnectorTest, TextOnThePathTurnsAlongTheLine)
{
    auto line = connector(pf::Rect(0, 0, 100, 100));
    line->setTextAlign(2);
    line->setTextDrawOnPath(true);
    line->setAttributedText(labelText(*line));
    EXPECT_DOUBLE_EQ(line->currentAngleForArrowB(), 45);

    // Laid out flat across the centre, as long as the line, then turned by θB about the centre.
    const pf::Rect label = line->textBoundingRect();
    EXPECT_NEAR(label.midX(), 50, 0.5 + 100 * 1e-12);
    EXPECT_NEAR(label.midY(), 50, 100 * 1e-12);
    const std::vector<pf::Point> turned = turnedCorners(label, line->center(), 45);
    const std::vector<pf::Point> clip = vertices(line->textClipPath());
    ASSERT_EQ(clip.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(clip[i], turned[i]), 100 * 1e-12) << i;

    // The stroke leaves out the turned label; the text is drawn in a context turned the same way.
    pf::RecordingContext context;
    line->drawStrokeInContext(context);
    const auto clips = callsOf(context, "clip");
    ASSERT_EQ(clips.size(), 1u);
    const std::vector<pf::Point> stroked = vertices(clips[0].path);
    ASSERT_EQ(stroked.size(), 8u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(stroked[4 + i], turned[i]), 100 * 1e-12) << i;

    pf::RecordingContext text;
    line->drawTextInContext(text);
    const auto glyphs = callsOf(text, "glyphs");
    ASSERT_FALSE(glyphs.empty());
    const pf::AffineTransform& ctm = glyphs[0].state.ctm;
    EXPECT_LT(distance(ctm.apply(pf::Point(50, 50)), {50, 50}), 100 * 1e-12);
    const double r = std::sqrt(0.5);
    EXPECT_LT(distance(ctm.apply(pf::Point(60, 50)), {50 + 10 * r, 50 + 10 * r}), 100 * 1e-12);
    // The glyphs lie in the label, before the turn (their ink may reach a little past the line height).
    for (const pf::RecordedCall& g : glyphs)
        EXPECT_TRUE(QVRectOutset(label, 1, 1).contains(g.rect));

    // While it is edited the label stays flat, where the editor shows it.
    line->setEditingText(true);
    const pf::Rect flat = line->textClipPath().bounds();
    const std::vector<pf::Point> unturned = turnedCorners(flat, line->center(), 0);
    const std::vector<pf::Point> edited = vertices(line->textClipPath());
    ASSERT_EQ(edited.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(edited[i], unturned[i]), 100 * 1e-12) << i;
    line->setEditingText(false);
}
