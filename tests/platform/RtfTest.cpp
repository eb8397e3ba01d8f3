#include "platform/text/Rtf.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cfloat>
#include <utility>
#include <vector>

using namespace pf;

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/rtf/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

MutableAttributedString read(const QByteArray& data)
{
    QString error;
    auto result = attributedStringFromRtf(data, &error);
    EXPECT_TRUE(result.has_value()) << error.toStdString();
    return result ? *result : MutableAttributedString();
}

} // namespace

TEST(Rtf, OurOutputRoundTripsToAnEqualAttributedString)
{
    ParagraphStyle centred;
    centred.alignment = TextAlignment::Center;
    centred.lineSpacing = 2;
    centred.paragraphSpacing = 6;
    centred.lineHeightMultiple = 1.5;
    centred.minimumLineHeight = 10;
    centred.maximumLineHeight = 40;
    centred.firstLineHeadIndent = 4.5;
    Shadow shadow;
    shadow.color = Color(0, 0, 0, 0.25);
    shadow.offset = Size(2, -2);
    shadow.blur = 3;

    MutableAttributedString s(QStringLiteral("Title "), TextAttributes{.font = Font("Helvetica-Bold", 26),
        .foregroundColor = Color(1, 0, 0), .paragraphStyle = centred, .shadow = shadow});
    s.append(AttributedString(QStringLiteral("body\ttext\nsecond line"), TextAttributes{.font = Font("Times-Roman", 12.5),
        .foregroundColor = Color(0, 0.5, 1, 0.75), .paragraphStyle = centred}));
    s.append(AttributedString(QStringLiteral("2"), TextAttributes{.font = Font("Times-Roman", 8),
        .foregroundColor = Color(0, 0.5, 1, 0.75), .paragraphStyle = centred, .baselineOffset = 4.5}));
    s.append(AttributedString(QStringLiteral("x"), TextAttributes{.font = Font("Menlo-Italic", 9),
        .paragraphStyle = ParagraphStyle(), .baselineOffset = -2}));

    const QByteArray rtf = rtfFromAttributedString(s);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    const MutableAttributedString back = read(rtf);
    EXPECT_EQ(back.string(), s.string());
    EXPECT_TRUE(back.isEqualToAttributedString(s)) << rtf.toStdString();
    // A range writes only that range.
    EXPECT_EQ(read(rtfFromRange(s, {6, 4})).string(), QStringLiteral("body"));
}

// What a shape saves reads back as it was: colours apart in the fourth decimal, colours of 8-bit channels
// (hex colours, alpha included), a maximum line height of "no maximum", a baseline offset of zero set on
// purpose, negative and huge values, and fonts of several families and faces in one text.
TEST(Rtf, SavedTextsReadBackEqual)
{
    ParagraphStyle noMaximum; // as the shapes' default text has it
    noMaximum.alignment = TextAlignment::Center;
    noMaximum.maximumLineHeight = FLT_MAX;
    noMaximum.lineHeightMultiple = 1.0;
    ParagraphStyle tall;
    tall.maximumLineHeight = 1e7;
    tall.minimumLineHeight = 12;
    ParagraphStyle multiples;
    multiples.lineHeightMultiple = 1e6;
    ParagraphStyle negative;
    negative.lineHeightMultiple = -1.5;
    negative.lineSpacing = -2;
    negative.firstLineHeadIndent = -12.5;
    const Shadow hexShadow{Size(0, -1), 0, Color(1, 1, 1, 0x77 / 255.0)};
    const Shadow defaultShadow{Size(1.5, 2), 4, Shadow().color};
    using Runs = std::vector<std::pair<QString, TextAttributes>>;
    const struct {
        const char* name;
        Runs runs;
    } cases[] = {
        {"colours apart in the fourth decimal",
         {{"a", {.foregroundColor = Color(0.1234, 0.5, 0.5)}}, {"b", {.foregroundColor = Color(0.1235, 0.5, 0.5)}},
          {"c", {.foregroundColor = Color(0.1234, 0.5, 0.5, 0.9999)}}}},
        {"colours of 8-bit channels",
         {{"a", {.foregroundColor = Color(1 / 255.0, 2 / 255.0, 128 / 255.0)}},
          {"b", {.foregroundColor = Color(0x33 / 255.0, 0x66 / 255.0, 0x99 / 255.0, 0x77 / 255.0)}},
          {"c", {.foregroundColor = Color(0.00391, 0, 0)}}}},
        {"shadows of hex and default colours",
         {{"a", {.shadow = hexShadow}}, {"b", {.shadow = defaultShadow}}, {"c", {}}}},
        {"the shapes' default text", {{"Text", {.font = Font("Helvetica", 12), .foregroundColor = Color(0, 0, 0),
                                                .paragraphStyle = noMaximum, .shadow = hexShadow, .baselineOffset = 0.0}}}},
        {"large and negative line heights",
         {{"tall\n", {.paragraphStyle = tall}}, {"many\n", {.paragraphStyle = multiples}}, {"less", {.paragraphStyle = negative}}}},
        {"baseline offsets",
         {{"zero", {.baselineOffset = 0.0}}, {"none", {}}, {"up", {.baselineOffset = 4.5}}, {"down", {.baselineOffset = -2}},
          {"zero", {.baselineOffset = 0.0}}}},
        {"mixed fonts",
         {{"bold ", {.font = Font("Helvetica-Bold", 26)}}, {"roman ", {.font = Font("Times-Roman", 12.5)}},
          {"italic ", {.font = Font("Menlo-Italic", 9)}}, {"spaced", {.font = Font("Times New Roman", 0.5)}},
          {" large", {.font = Font("Courier", 300)}}}},
    };
    for (const auto& c : cases) {
        MutableAttributedString saved;
        for (const auto& [text, attributes] : c.runs)
            saved.append(AttributedString(text, attributes));
        const QByteArray rtf = rtfFromAttributedString(saved);
        const MutableAttributedString back = read(rtf);
        // Absent fonts read as the default font: compare with the fonts filled in.
        MutableAttributedString expected;
        for (const auto& [text, attributes] : c.runs) {
            TextAttributes withFont = attributes;
            withFont.font = attributes.fontOrDefault();
            expected.append(AttributedString(text, withFont));
        }
        EXPECT_TRUE(back.isEqualToAttributedString(expected)) << c.name << ": " << rtf.toStdString();
        EXPECT_EQ(rtfFromAttributedString(back), rtf) << c.name;
    }
}

// Colours apart only below what RTF holds are one colour, and their runs one run, as they read back.
TEST(Rtf, RunsApartOnlyBelowTheWrittenPrecisionAreWrittenAsOne)
{
    MutableAttributedString s(QStringLiteral("one"), TextAttributes{.foregroundColor = Color(0.123451, 0.5, 0.5)});
    s.append(AttributedString(QStringLiteral(" run"), TextAttributes{.foregroundColor = Color(0.123452, 0.5, 0.5)}));
    s.append(AttributedString(QStringLiteral("!"), TextAttributes{.baselineOffset = 0.2}));
    const QByteArray rtf = rtfFromAttributedString(s);
    EXPECT_EQ(rtf.count("\\cf1\\"), 1) << rtf.toStdString();
    EXPECT_FALSE(rtf.contains("\\cf2")) << rtf.toStdString();
    const MutableAttributedString back = read(rtf);
    ASSERT_EQ(back.runs().size(), 2u) << rtf.toStdString();
    EXPECT_EQ(back.runs()[0].length, 7);
    EXPECT_NEAR(back.runs()[0].attributes.foregroundColor->red, 0.12345, 1e-9);
    EXPECT_EQ(rtfFromAttributedString(back), rtf);
}

TEST(Rtf, SpecialAndNonBmpCharactersSurvive)
{
    const QString text = QStringLiteral("{braces} \\back\\slash; café € “quotes” – 😀 𝄞 日本語\u2028next\r\x01");
    const AttributedString s(text, TextAttributes{.font = Font("Helvetica", 12)});
    const QByteArray rtf = rtfFromAttributedString(s);
    for (const char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit";
    EXPECT_TRUE(rtf.contains("\\'e9"));   // é in the ANSI code page
    EXPECT_TRUE(rtf.contains("\\'80"));   // € is 0x80 in cp1252
    EXPECT_TRUE(rtf.contains("\\u-10179 ?")); // a high surrogate as a signed 16-bit number
    EXPECT_EQ(read(rtf), s);
}

TEST(Rtf, ReadsTextEditStyleOutput)
{
    const MutableAttributedString s = read(fixture("textedit_styles.rtf"));
    ASSERT_EQ(s.string(), QStringLiteral("Hello bold red\ncentred line"));
    const TextAttributes hello = s.attributesAtIndex(0);
    EXPECT_EQ(hello.font, Font("Helvetica", 12));
    EXPECT_FALSE(hello.foregroundColor.has_value());
    ASSERT_TRUE(hello.paragraphStyle.has_value());
    EXPECT_EQ(hello.paragraphStyle->alignment, TextAlignment::Natural);
    const TextAttributes bold = s.attributesAtIndex(6);
    EXPECT_EQ(bold.font, Font("Helvetica-Bold", 12));
    EXPECT_EQ(bold.foregroundColor, Color(1, 0.14913, 0));
    EXPECT_EQ(s.attributesAtIndex(14).font, Font("Helvetica-Bold", 12)); // the paragraph break
    const TextAttributes centred = s.attributesAtIndex(15);
    EXPECT_EQ(centred.font, Font("Helvetica", 12));
    EXPECT_EQ(centred.paragraphStyle->alignment, TextAlignment::Center);
}

TEST(Rtf, ReadsEscapesUnicodeAndSpacingWords)
{
    const MutableAttributedString s = read(fixture("textedit_unicode.rtf"));
    ASSERT_EQ(s.string(), QStringLiteral("Café €5 😀x2}\\{"));
    const TextAttributes first = s.attributesAtIndex(0);
    EXPECT_EQ(first.font, Font("Times-Italic", 18));
    EXPECT_EQ(first.foregroundColor, Color(0, 0, 1));
    ASSERT_TRUE(first.paragraphStyle.has_value());
    EXPECT_EQ(first.paragraphStyle->lineHeightMultiple, 1.5);
    EXPECT_EQ(first.paragraphStyle->paragraphSpacing, 12.0);
    const qsizetype x = s.string().indexOf(u'x');
    EXPECT_EQ(s.attributesAtIndex(x).font, Font("Menlo-Regular", 11));
    EXPECT_FALSE(s.attributesAtIndex(x).baselineOffset.has_value());
    EXPECT_EQ(s.attributesAtIndex(x + 1).baselineOffset, 3.0);
    EXPECT_FALSE(s.attributesAtIndex(x + 2).baselineOffset.has_value());
}

TEST(Rtf, SkipsForeignDestinationsAndKeepsFieldResults)
{
    const MutableAttributedString s = read(fixture("mixed_destinations.rtf"));
    ASSERT_EQ(s.string(), QStringLiteral("Right\taligned\u2028next\nlink"));
    const TextAttributes right = s.attributesAtIndex(0);
    EXPECT_EQ(right.font, Font("LucidaGrande", 13));
    EXPECT_EQ(right.foregroundColor, Color(0, 0, 0));
    EXPECT_EQ(right.paragraphStyle->alignment, TextAlignment::Right);
    const TextAttributes link = s.attributesAtIndex(s.length() - 1);
    EXPECT_EQ(link.font, Font("ArialMT", 10));
    EXPECT_EQ(link.paragraphStyle->alignment, TextAlignment::Left);
    EXPECT_EQ(link.paragraphStyle->minimumLineHeight, 24.0);
    EXPECT_EQ(link.paragraphStyle->maximumLineHeight, 24.0);
    ASSERT_TRUE(link.shadow.has_value());
    EXPECT_EQ(link.shadow->offset, Size(2, -2));
    EXPECT_EQ(link.shadow->blur, 3.0);
    // \c50196 is how a channel of 128/255 is written: it reads as that channel.
    EXPECT_EQ(link.shadow->color, Color(128 / 255.0, 128 / 255.0, 128 / 255.0, 0.5));
}

// Exact, at-least and multiple line heights, and bold and italic faces of two families.
static MutableAttributedString lineHeightsAndTraits()
{
    ParagraphStyle exact, atLeast, multiple;
    exact.minimumLineHeight = exact.maximumLineHeight = 18;
    atLeast.minimumLineHeight = 30;
    multiple.lineHeightMultiple = 1.5;
    MutableAttributedString s;
    const auto add = [&](const char* text, const char* font, double size, const ParagraphStyle& style) {
        s.append(AttributedString(QString::fromUtf8(text), TextAttributes{.font = Font(QString::fromLatin1(font), size),
                                                                         .paragraphStyle = style}));
    };
    add("Exact 18 points, ", "Helvetica", 12, exact);
    add("bold", "Helvetica-Bold", 12, exact);
    add(" and ", "Helvetica", 12, exact);
    add("bold oblique\n", "Helvetica-BoldOblique", 12, exact);
    add("At least 30 points in ", "Times-Roman", 14, atLeast);
    add("italic\n", "Times-Italic", 14, atLeast);
    add("One and a half lines", "Helvetica", 12, multiple);
    return s;
}

TEST(Rtf, LineHeightsAndFaceTraitsAreWrittenAsWordProcessorsReadThem)
{
    const MutableAttributedString s = lineHeightsAndTraits();
    const QByteArray rtf = rtfFromAttributedString(s);
    for (const char* words : {"\\slminimum360\\slmaximum360\\sl-360\\slmult0", "\\slminimum600\\sl600\\slmult0", "\\sl360\\slmult1"})
        EXPECT_TRUE(rtf.contains(words)) << words << " in " << rtf.toStdString();
    // Families in the font table, faces as \b and \i.
    EXPECT_TRUE(rtf.contains("Helvetica;")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("Times;")) << rtf.toStdString();
    EXPECT_FALSE(rtf.contains("-Bold")) << rtf.toStdString();
    EXPECT_FALSE(rtf.contains("-Italic")) << rtf.toStdString();
    EXPECT_TRUE(read(rtf).isEqualToAttributedString(s));

    // The same RTF opened and saved again by LibreOffice Writer keeps the heights and the faces.
    const MutableAttributedString back = read(fixture("libreoffice_line_heights.rtf"));
    ASSERT_EQ(back.string(), s.string() + u'\n');
    for (qsizetype i = 0; i < s.length(); ++i) {
        const TextAttributes theirs = back.attributesAtIndex(i), ours = s.attributesAtIndex(i);
        if (s.string()[i] != u'\n') { // LibreOffice gives paragraph breaks its paragraph's font
            ASSERT_EQ(theirs.font, ours.font) << i;
        }
        ASSERT_TRUE(theirs.paragraphStyle.has_value()) << i;
        EXPECT_EQ(theirs.paragraphStyle->minimumLineHeight, ours.paragraphStyle->minimumLineHeight) << i;
        EXPECT_EQ(theirs.paragraphStyle->maximumLineHeight, ours.paragraphStyle->maximumLineHeight) << i;
        EXPECT_EQ(theirs.paragraphStyle->lineHeightMultiple, ours.paragraphStyle->lineHeightMultiple) << i;
    }
}

TEST(Rtf, ReadsUnicodeAsOtherProgramsWriteIt)
{
    // LibreOffice Writer and pandoc write \uN with one fallback byte each ('?', or the character itself).
    EXPECT_EQ(read(fixture("libreoffice_unicode.rtf")).string(), QStringLiteral("Привет мир\n漢字 かな\ncafé\n"));
    const MutableAttributedString pandoc = read(fixture("pandoc_unicode.rtf"));
    ASSERT_EQ(pandoc.string(), QStringLiteral("Bold 漢字 and café Привет 🙂\n"));
    EXPECT_EQ(pandoc.attributesAtIndex(5).font, Font("Helvetica-Bold", 12));
    EXPECT_EQ(pandoc.attributesAtIndex(pandoc.string().indexOf(u'é')).font, Font("Helvetica-Oblique", 12));
    EXPECT_EQ(pandoc.attributesAtIndex(0).paragraphStyle->paragraphSpacing, 9.0);
}

TEST(Rtf, BytesAreDecodedByTheFontsCharacterSetElseByTheDocumentsCodePage)
{
    const struct {
        const char* what;
        QByteArray data;
        QString text;
    } cases[] = {
        {"document code page", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", QStringLiteral("Привет")},
        {"Windows-1252 when none is named", "{\\rtf1 caf\\'e9 \\'80}", QStringLiteral("café €")},
        {"Mac Roman", "{\\rtf1\\mac caf\\'8e}", QStringLiteral("café")},
        {"PC code page 437", "{\\rtf1\\pc \\'82t\\'82}", QStringLiteral("été")},
        {"font character set", "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fnil\\fcharset128 MS Mincho;}\\f0 \\'8a\\'bf\\'8e\\'9a}",
         QStringLiteral("漢字")},
        // \fcharset0 is the ANSI set, Windows-1252, whatever the document's code page (as word processors
        // that write \ansicpgN documents read it); the default set (1) follows the document.
        {"ANSI fonts are Windows-1252, others their own set",
         "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset238 Arial CE;}"
         "{\\f2\\fnil\\fcharset1 Arial;}}\\f0\\'e8\\f1\\'e8\\f2\\'e8}",
         QStringLiteral("èčи")},
        {"ANSI and Cyrillic fonts in a Cyrillic document",
         "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\froman\\fcharset204 "
         "Times New Roman Cyr;}}\\f0 caf\\'e9 \\f1 \\'cf\\'f0\\par}",
         QStringLiteral("café Пр\n")},
        {"double-byte code page, trail bytes written plainly", "{\\rtf1\\ansi\\ansicpg932 \\'83A\\'83\\'41 \\'95\\\\}",
         QStringLiteral("アア 表")},
        {"a line break of the file between two bytes", "{\\rtf1\\ansi\\ansicpg936 \\'ba\r\n\\'ba}", QStringLiteral("汉")},
        {"fallback bytes of \\u skipped by \\uc",
         "{\\rtf1\\ansi\\ansicpg932\\uc2\\u28450\\'8a\\'bf\\u23383\\'8e\\'9a}", QStringLiteral("漢字")},
        {"undecodable bytes stay visible", "{\\rtf1\\ansi\\ansicpg932 a\\'81 b\\'ff {\\'8a}c}",
         QStringLiteral("a\uFFFD b\uFFFD \uFFFDc")},
        {"unknown code page", "{\\rtf1\\ansi\\ansicpg7 caf\\'e9}", QStringLiteral("café")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.data).string(), c.text) << c.what;

    // Font names are bytes of their font's character set too.
    const MutableAttributedString named =
        read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\\f0 x}");
    EXPECT_EQ(named.attributesAtIndex(0).font->fontName(), QStringLiteral("ＭＳ 明朝"));
    const MutableAttributedString ansiName =
        read("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil\\fcharset0 Caf\\'e9 Sans;}}\\f0 x}");
    EXPECT_EQ(ansiName.attributesAtIndex(0).font->fontName(), QStringLiteral("Café Sans"));
    // A name cut after a first byte still ends at its ';'.
    const MutableAttributedString cut = read("{\\rtf1{\\fonttbl{\\f0\\fcharset128 \\'8a;}{\\f1 Next;}}\\f1 x}");
    EXPECT_EQ(cut.attributesAtIndex(0).font->fontName(), QStringLiteral("Next"));
}

TEST(Rtf, MalformedInputReadsPartiallyOrFailsCleanly)
{
    struct Case {
        QByteArray data;
        bool reads;
        QString text;
    };
    const QByteArray deep = "{\\rtf1 " + QByteArray(5000, '{') + "x" + QByteArray(5000, '}') + "}";
    const Case cases[] = {
        {"{\\rtf1 unbalanced {\\b bold", true, QStringLiteral("unbalanced bold")},
        {"{\\rtf1 a}} trailing}", true, QStringLiteral("a")},
        {deep, false, {}},
        {"{\\rtf1 \\fs99999999999999999999999 a\\cf4294967297 b\\u99999999999 c\\uc999999 d}", true, QStringLiteral("ab\uFFFDd")},
        {"{\\rtf1 a\\'4", true, QStringLiteral("a")},
        {"{\\rtf1 a\\'zz b}", true, QStringLiteral("azz b")},
        {"{\\rtf1 a\\", true, QStringLiteral("a")},
        {"{\\rtf1 a\\u", true, QStringLiteral("a")},
        {"{\\rtf1 a\\bin999999999 bcd}", true, QStringLiteral("a")},
        {"{\\rtf1 {\\fonttbl\\f0 Unterminated", true, {}},
        {"{\\rtf1 {\\colortbl;\\red999\\green-5;}\\cf1 c}", true, QStringLiteral("c")},
        {"{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz1 z}", true, QStringLiteral("z")},
        {"plain text", false, {}},
        {"", false, {}},
        {QByteArray("{\\rtf1 \0x}", 10), true, QStringLiteral("x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data.left(60).toStdString());
        QString error;
        const auto result = attributedStringFromRtf(c.data, &error);
        EXPECT_EQ(result.has_value(), c.reads);
        if (result)
            EXPECT_EQ(result->string(), c.text);
        else
            EXPECT_FALSE(error.isEmpty());
    }
    RtfReadLimits small;
    small.maximumBytes = 4;
    EXPECT_FALSE(attributedStringFromRtf("{\\rtf1 long}", nullptr, small).has_value());
}
