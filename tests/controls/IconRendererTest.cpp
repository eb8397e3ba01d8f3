// The icon renderer: names and menu, sizes, what each drawing records (against the icon grid's
// coordinates), the state it leaves, and the contact sheet of every icon.
#include "controls/IconRenderer.h"

#include "platform/graphics/PainterContext.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/text/StringDrawing.h"

#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color blue(0, 0, 1, 1);

std::unique_ptr<pf::RecordingContext> recordIcon(std::int64_t type, std::int64_t size, bool highlighted,
                                                 const pf::Color& color = red, pf::Point at = {})
{
    auto context = std::make_unique<pf::RecordingContext>();
    IconRenderer::instance().renderIcon(*context, type, size, highlighted, color,
                                        pf::Rect(at, IconRenderer::sizeForIconSize(size)));
    return context;
}

// A short text of a number: whole numbers without a fraction.
QString number(double v)
{
    return QString::number(std::abs(v) < 5e-13 ? 0.0 : v, 'g', 12);
}

QString pathText(const pf::Path& path)
{
    QStringList parts;
    for (const pf::PathElement& e : path.elements()) {
        static const char* const names[] = {"M", "L", "Q", "C", "Z"};
        QString part = QString::fromLatin1(names[int(e.type)]);
        if (e.type != pf::PathElementType::Close)
            for (int i = 0; i < e.pointCount(); ++i)
                part += QStringLiteral(" %1 %2").arg(number(e.points[i].x), number(e.points[i].y));
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

// One line per recorded call: the operation, its rule and line settings, and its geometry in the icon's
// grid (the recording is in the icon's own coordinates: renderIcon only translates).
QStringList callLines(const pf::RecordingContext& context)
{
    QStringList lines;
    for (const pf::RecordedCall& call : context.calls()) {
        QString line = QString::fromStdString(call.operation);
        if (call.operation == "stroke")
            line += QStringLiteral(" w%1 cap%2 join%3")
                        .arg(number(call.line.width))
                        .arg(int(call.line.cap))
                        .arg(int(call.line.join));
        if (call.operation == "fill" || call.operation == "clip")
            line += call.rule == pf::WindingRule::EvenOdd ? QStringLiteral(" evenodd") : QStringLiteral(" nonzero");
        // Painting under a knock-out shows which shapes the knock-out's saved state covers.
        if (call.operation != "clip" && !call.state.clip.unbounded)
            line += QStringLiteral(" clipped");
        // Glyph runs depend on the installed fonts; their placement is checked on its own.
        if (call.operation != "glyphs")
            line += QLatin1String(": ") + pathText(call.path);
        lines << line;
    }
    return lines;
}

TEST(IconRenderer, NamesMenuAndSizes)
{
    const IconRenderer& r = IconRenderer::instance();
    EXPECT_EQ(&r, &IconRenderer::instance());
    EXPECT_EQ(r.localizedDisplayNameForIconType(0), QStringLiteral("None"));
    EXPECT_EQ(r.localizedDisplayNameForIconType(15), QStringLiteral("Favorites List"));
    EXPECT_EQ(r.localizedDisplayNameForIconType(40), QStringLiteral("Voicemail"));
    EXPECT_TRUE(r.localizedDisplayNameForIconType(41).isEmpty());
    EXPECT_TRUE(r.localizedDisplayNameForIconType(-1).isEmpty());

    MenuModel menu;
    menu.addItem({QStringLiteral("Stale"), 99, {}});
    r.populateMenuWithAllIconTypes(menu);
    r.populateMenuWithAllIconTypes(menu);
    ASSERT_EQ(menu.items().size(), 41u);
    for (std::size_t i = 0; i < menu.items().size(); ++i) {
        EXPECT_EQ(menu.items()[i].tag, static_cast<long long>(i));
        EXPECT_EQ(menu.items()[i].title, r.localizedDisplayNameForIconType(static_cast<std::int64_t>(i)));
        EXPECT_TRUE(menu.items()[i].keyEquivalent.isEmpty());
    }
    EXPECT_EQ(menu.items().front().title, QStringLiteral("None"));

    EXPECT_EQ(IconRenderer::sizeForIconSize(0), pf::Size(28, 28));
    EXPECT_EQ(IconRenderer::sizeForIconSize(1), pf::Size(20, 20));
    EXPECT_EQ(IconRenderer::sizeForIconSize(2), pf::Size(20, 20));
}

TEST(IconRenderer, OutsideTheTypesAndSizesNothingIsDrawnAndTheStateIsKept)
{
    struct Case {
        std::int64_t type, size;
    };
    for (const Case& k : {Case{0, 0}, Case{41, 0}, Case{-1, 0}, Case{-1, 1}, Case{1, 2}, Case{13, 2}, Case{40, -1}}) {
        pf::RecordingContext context;
        context.setLineWidth(3);
        context.setFillColor(blue);
        const pf::GState before = context.gstate();
        for (bool highlighted : {false, true})
            IconRenderer::instance().renderIcon(context, k.type, k.size, highlighted, red, pf::Rect(5, 5, 28, 28));
        EXPECT_TRUE(context.calls().empty()) << k.type << " " << k.size;
        EXPECT_EQ(context.gstateDepth(), 0);
        EXPECT_EQ(context.gstate().line, before.line);
        EXPECT_EQ(context.gstate().fillColor, blue);
        EXPECT_EQ(context.gstate().ctm, before.ctm);
    }
}

// Every drawing at both sizes, plain and highlighted, against the icon grid's coordinates: the recorded
// calls of each are listed in the table, which reads as the drawings are described (one block per
// icon, size and state). Set QUORVEL_WRITE_REFERENCE_PICTURES=1 to rewrite it after a deliberate change.
TEST(IconRenderer, EveryDrawingRecordsTheGridCoordinates)
{
    QStringList table;
    for (std::int64_t type = 1; type <= 40; ++type)
        for (std::int64_t size : {0, 1})
            for (bool highlighted : {false, true}) {
                table << QStringLiteral("# %1 %2 %3")
                             .arg(type)
                             .arg(IconRenderer::instance().localizedDisplayNameForIconType(type))
                             .arg(QString::fromLatin1(size == 0 ? "28" : "20") + (highlighted ? " highlighted" : ""));
                table << callLines(*recordIcon(type, size, highlighted));
                // The drawing does not depend on where it goes, nor on the size of the rect it is given.
                pf::RecordingContext moved;
                IconRenderer::instance().renderIcon(moved, type, size, highlighted, red, pf::Rect(31.5, -7, 90, 90));
                EXPECT_EQ(callLines(moved), callLines(*recordIcon(type, size, highlighted))) << type;
                for (const pf::RecordedCall& call : moved.calls())
                    EXPECT_EQ(call.state.ctm, pf::AffineTransform::translation(31.5, -7)) << type;
            }
    const QString path = QStringLiteral(QUORVEL_TEST_DATA "/controls/icon-drawings.txt");
    if (std::getenv("QUORVEL_WRITE_REFERENCE_PICTURES")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QTextStream(&out) << table.join(QLatin1Char('\n')) << '\n';
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QStringList expected = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), expected.size());
    for (qsizetype i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], expected[i]) << "line " << i + 1;
}

// Summaries that the drawings promise beyond their coordinates.
TEST(IconRenderer, LineIconsThickenWhenHighlighted)
{
    for (std::int64_t type : {IconRenderer::IconAdd, IconRenderer::IconRemove, IconRenderer::IconBack,
                              IconRenderer::IconForward, IconRenderer::IconSearch, IconRenderer::IconStop})
        for (std::int64_t size : {0, 1})
            for (bool highlighted : {false, true}) {
                auto context = recordIcon(type, size, highlighted);
                ASSERT_FALSE(context->calls().empty());
                for (const pf::RecordedCall& call : context->calls()) {
                    EXPECT_EQ(call.operation, "stroke");
                    EXPECT_EQ(call.line.width, highlighted ? 2 : 1) << type;
                    EXPECT_EQ(call.line.miterLimit, 8);
                    EXPECT_EQ(call.state.strokeColor, red);
                }
            }
}

TEST(IconRenderer, WhichDrawingsShowTheHighlight)
{
    const auto same = [](std::int64_t type, std::int64_t size) {
        return callLines(*recordIcon(type, size, false)) == callLines(*recordIcon(type, size, true));
    };
    for (std::int64_t type : {IconRenderer::IconArchive, IconRenderer::IconCamera, IconRenderer::IconFolder,
                              IconRenderer::IconInfo, IconRenderer::IconList, IconRenderer::IconMenu,
                              IconRenderer::IconReadingList, IconRenderer::IconRefresh, IconRenderer::IconTabs})
        for (std::int64_t size : {0, 1})
            EXPECT_TRUE(same(type, size)) << type << " " << size;
    for (std::int64_t type : {IconRenderer::IconBookmarks, IconRenderer::IconCompose, IconRenderer::IconTrash}) {
        EXPECT_TRUE(same(type, 0)) << type;
        EXPECT_FALSE(same(type, 1)) << type;
        // The small form fills what it strokes.
        auto highlighted = recordIcon(type, 1, true);
        EXPECT_TRUE(std::any_of(highlighted->calls().begin(), highlighted->calls().end(),
                                [](const pf::RecordedCall& c) { return c.operation == "fill"; }));
    }
}

TEST(IconRenderer, ClockKnocksItsHandsOutOfTheFilledDial)
{
    auto plain = recordIcon(IconRenderer::IconClock, 1, false);
    ASSERT_EQ(plain->calls().size(), 3u);
    EXPECT_EQ(plain->calls()[1].path.bounds(), pf::Rect(6.5, 10.5, 5, 1));
    auto highlighted = recordIcon(IconRenderer::IconClock, 1, true);
    ASSERT_EQ(highlighted->calls().size(), 2u);
    const pf::RecordedCall& clip = highlighted->calls()[0];
    EXPECT_EQ(clip.operation, "clip");
    EXPECT_EQ(clip.rule, pf::WindingRule::EvenOdd);
    // Inside the dial, the hands are holes; the short hand sits one point lower than in the plain form.
    EXPECT_FALSE(clip.path.containsPoint(pf::Point(9, 12), pf::WindingRule::EvenOdd));
    EXPECT_TRUE(clip.path.containsPoint(pf::Point(9, 11), pf::WindingRule::EvenOdd));
    EXPECT_TRUE(clip.path.containsPoint(pf::Point(4, 4), pf::WindingRule::EvenOdd));
    EXPECT_EQ(highlighted->calls()[1].operation, "fill");
}

TEST(IconRenderer, KnockOutsStayInsideTheRenderersState)
{
    for (std::int64_t type = 1; type <= 40; ++type) {
        pf::RecordingContext context;
        for (bool highlighted : {false, true})
            for (std::int64_t size : {0, 1})
                IconRenderer::instance().renderIcon(context, type, size, highlighted, red, pf::Rect(0, 0, 28, 28));
        EXPECT_EQ(context.gstateDepth(), 0) << type;
        EXPECT_TRUE(context.gstate().clip.unbounded) << type;
        EXPECT_EQ(context.gstate().line, pf::LineStyle()) << type;
    }
}

TEST(IconRenderer, GlyphIconsDrawInTheColourOfTheCall)
{
    for (std::int64_t type : {IconRenderer::IconAtSign, IconRenderer::IconInfo})
        for (const pf::Color& color : {red, blue}) {
            auto context = recordIcon(type, 0, false, color);
            const auto glyphs = std::find_if(context->calls().begin(), context->calls().end(),
                                             [](const pf::RecordedCall& c) { return c.operation == "glyphs"; });
            ASSERT_NE(glyphs, context->calls().end()) << type;
            EXPECT_EQ(glyphs->state.fillColor, color);
            EXPECT_FALSE(glyphs->glyphs.empty());
        }
}

// The glyphs stand with their line's top-left at the given point of the grid, in the fonts the drawing
// names or, where those are not installed, the system fonts.
TEST(IconRenderer, GlyphIconsPlaceTheirTextAtTheGridPoint)
{
    struct Case {
        std::int64_t type, size;
        bool highlighted;
        const char* text;
        pf::Font font;
        pf::Point topLeft;
    };
    if (QFontDatabase::hasFamily(QStringLiteral("Helvetica Neue Ultralight"))
        || QFontDatabase::hasFamily(QStringLiteral("Helvetica Neue Light")))
        GTEST_SKIP() << "the thin faces are installed";
    const std::vector<Case> cases = {
        {IconRenderer::IconAtSign, 0, false, "@", pf::Font::systemFont(22), {5, 0}},
        {IconRenderer::IconAtSign, 0, true, "@", pf::Font::boldSystemFont(22), {5, 0}},
        {IconRenderer::IconAtSign, 1, false, "@", pf::Font::systemFont(16), {4, -3}},
        {IconRenderer::IconAtSign, 1, true, "@", pf::Font::boldSystemFont(16), {4, -3}},
        {IconRenderer::IconInfo, 0, false, "i", pf::Font::userFixedPitchFont(12), {10.2, 3}},
        {IconRenderer::IconInfo, 1, true, "i", pf::Font::userFixedPitchFont(9), {7.3, 3.2}},
    };
    for (const Case& k : cases) {
        pf::RecordingContext expected;
        pf::TextAttributes attributes;
        attributes.font = k.font;
        attributes.foregroundColor = red;
        pf::drawAttributedString(expected, pf::AttributedString(QString::fromLatin1(k.text), attributes),
                                 pf::Rect(k.topLeft, pf::Size(1000, 1000)), pf::UsesLineFragmentOrigin);
        auto drawn = recordIcon(k.type, k.size, k.highlighted);
        const auto glyphs = std::find_if(drawn->calls().begin(), drawn->calls().end(),
                                         [](const pf::RecordedCall& c) { return c.operation == "glyphs"; });
        ASSERT_NE(glyphs, drawn->calls().end());
        ASSERT_EQ(expected.calls().size(), 1u);
        EXPECT_EQ(glyphs->glyphs, expected.calls()[0].glyphs) << k.type << " " << k.size;
        EXPECT_EQ(glyphs->origin, expected.calls()[0].origin) << k.type << " " << k.size;
        EXPECT_EQ(glyphs->rect, expected.calls()[0].rect) << k.type << " " << k.size;
        EXPECT_EQ(glyphs->state.ctm, expected.calls()[0].state.ctm) << k.type << " " << k.size;
    }
}

// Every icon at both sizes, plain and highlighted, painted once: a row per icon (28 plain, 28
// highlighted, 20 plain, 20 highlighted), compared with the kept picture within a small tolerance.
TEST(IconRenderer, ContactSheetMatchesTheReferencePicture)
{
    constexpr double cell = 32;
    pf::BitmapContext context(pf::Size(4 * cell, 40 * cell), 2.0);
    const pf::Color ink(0.1, 0.2, 0.3, 1);
    for (std::int64_t type = 1; type <= 40; ++type) {
        const double y = (type - 1) * cell + 2;
        IconRenderer::instance().renderIcon(context, type, 0, false, ink, pf::Rect(2, y, 28, 28));
        IconRenderer::instance().renderIcon(context, type, 0, true, ink, pf::Rect(cell + 2, y, 28, 28));
        IconRenderer::instance().renderIcon(context, type, 1, false, ink, pf::Rect(2 * cell + 6, y + 4, 20, 20));
        IconRenderer::instance().renderIcon(context, type, 1, true, ink, pf::Rect(3 * cell + 6, y + 4, 20, 20));
    }
    const QImage sheet = context.bitmap().convertToFormat(QImage::Format_ARGB32);
    const QString path = QStringLiteral(QUORVEL_TEST_DATA "/controls/icons-contact-sheet.png");
    if (std::getenv("QUORVEL_WRITE_REFERENCE_PICTURES")) {
        ASSERT_TRUE(sheet.save(path));
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(reference.size(), sheet.size()) << qPrintable(path);
    // Antialiased edges (and glyph rasterising) may differ a little between library versions; a wrong
    // shape changes many pixels fully.
    int differing = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (std::abs(qAlpha(sheet.pixel(x, y)) - qAlpha(reference.pixel(x, y))) > 64)
                ++differing;
    EXPECT_LT(differing, sheet.width() * sheet.height() / 2000) << differing << " pixels differ";
}

} // namespace
