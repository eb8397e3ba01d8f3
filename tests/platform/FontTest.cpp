#include "platform/text/Font.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using pf::Font;
using pf::FontTrait;

TEST(Font, TwelvePointFontHasAnEmOfTwelveUnits)
{
    const Font courier("Courier", 12);
    EXPECT_EQ(courier.rawFont().pixelSize(), 12.0);
    // Every glyph of the fixed-pitch substitute advances 600 units of 1000: 0.6 em.
    EXPECT_NEAR(courier.widthOfString(QStringLiteral("MMMMMMMMMM")), 72.0, 0.05);
    // Fractional sizes stay fractional.
    EXPECT_NEAR(Font("Courier", 12.5).widthOfString(QStringLiteral("MMMMMMMMMM")), 75.0, 0.05);
    EXPECT_NEAR(Font("Courier", 24).widthOfString(QStringLiteral("M")), 14.4, 0.05);
}

TEST(Font, DocumentNamesMapToInstalledFamiliesAndKeepTheirName)
{
    struct Case {
        const char* name;
        const char* family;
        const char* substitute;
        bool bold;
        bool italic;
    };
    const Case cases[] = {
        {"Helvetica", "Helvetica", "Nimbus Sans", false, false},
        {"Helvetica Bold", "Helvetica", "Nimbus Sans", true, false},
        {"Helvetica-Bold", "Helvetica", "Nimbus Sans", true, false},
        {"Helvetica-BoldOblique", "Helvetica", "Nimbus Sans", true, true},
        {"Helvetica Neue", "Helvetica Neue", "Nimbus Sans", false, false},
        {"Times", "Times", "Nimbus Roman", false, false},
        {"Times-Roman", "Times", "Nimbus Roman", false, false},
        {"Times New Roman", "Times New Roman", "Liberation Serif", false, false},
        {"TimesNewRomanPS-ItalicMT", "Times New Roman", "Liberation Serif", false, true},
        {"Menlo", "Menlo", "DejaVu Sans Mono", false, false},
        {"Monaco", "Monaco", "DejaVu Sans Mono", false, false},
        {"Courier", "Courier", "Nimbus Mono PS", false, false},
        {"Lucida Grande", "Lucida Grande", "DejaVu Sans", false, false},
        {".SFNSText", ".SF NS Text", "DejaVu Sans", false, false},
        {"DejaVu Serif Bold", "DejaVu Serif", "DejaVu Serif", true, false},
        {"No Such Family", "No Such Family", "Nimbus Sans", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Font font(QString::fromLatin1(c.name), 12);
        EXPECT_EQ(font.fontName(), QString::fromLatin1(c.name));
        EXPECT_EQ(font.familyName(), QString::fromLatin1(c.family));
        EXPECT_EQ(font.substituteFamily(), QString::fromLatin1(c.substitute));
        EXPECT_EQ(font.isBold(), c.bold);
        EXPECT_EQ(font.isItalic(), c.italic);
    }
}

TEST(Font, HelveticaDrawsWithNimbusSansAndStillReportsHelvetica)
{
    const Font helvetica("Helvetica", 12);
    EXPECT_TRUE(QFontInfo(helvetica.layoutFont()).family().startsWith(QStringLiteral("Nimbus Sans")));
    EXPECT_TRUE(helvetica.rawFont().familyName().startsWith(QStringLiteral("Nimbus Sans")));
    EXPECT_EQ(helvetica.fontName(), QStringLiteral("Helvetica"));
    EXPECT_TRUE(QFontInfo(Font("Helvetica-Bold", 12).layoutFont()).bold());
}

TEST(Font, SystemFontsAndTraitConversion)
{
    const Font system = Font::systemFont();
    EXPECT_EQ(system.pointSize(), 13.0);
    EXPECT_EQ(system.substituteFamily(), QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(Font::boldSystemFont().isBold());
    EXPECT_EQ(Font::boldSystemFont().pointSize(), 13.0);
    EXPECT_TRUE(Font::userFixedPitchFont().isFixedPitch());
    EXPECT_EQ(Font::userFixedPitchFont().pointSize(), 11.0);

    const Font bold = Font("Helvetica", 12).withTrait(FontTrait::Bold);
    EXPECT_EQ(bold.fontName(), QStringLiteral("Helvetica-Bold"));
    EXPECT_EQ(bold.withTrait(FontTrait::Italic).fontName(), QStringLiteral("Helvetica-BoldOblique"));
    EXPECT_EQ(bold.withTrait(FontTrait::Italic).withoutTrait(FontTrait::Bold).fontName(), QStringLiteral("Helvetica-Oblique"));
    EXPECT_EQ(Font("Times", 12).withTrait(FontTrait::Italic).fontName(), QStringLiteral("Times-Italic"));
    // A family without the face stays as it is.
    EXPECT_EQ(Font("Monaco", 10).withTrait(FontTrait::Bold).fontName(), QStringLiteral("Monaco"));
    EXPECT_EQ(Font("Helvetica", 12).withSize(26), Font("Helvetica", 26));
    EXPECT_EQ(Font("Helvetica", 0).pointSize(), 12.0);
}

TEST(Font, MetricsAreInPoints)
{
    const Font small("Helvetica", 12), large("Helvetica", 24);
    EXPECT_GT(small.ascender(), 0);
    EXPECT_LT(small.descender(), 0);
    EXPECT_NEAR(large.lineHeight(), 2 * small.lineHeight(), 0.05);
    EXPECT_GT(small.lineHeight(), 12.0);
    EXPECT_LT(small.lineHeight(), 18.0);
}

TEST(Font, LinesAreSetByTheTypographicMetricsNotTheTallestGlyphs)
{
    // Lines of the substitutes of Helvetica and Times are 1.15 to 1.2 em apart, as the documents were
    // designed with; the tallest glyphs' box would give 1.33 to 1.37 em and overflow fixed rows.
    for (const char* name : {"Helvetica", "Helvetica-Bold", "Times-Roman", "Times-Italic"})
        for (const double size : {12.0, 1000.0}) {
            const Font font(QString::fromLatin1(name), size);
            const double line = font.lineHeight() / size;
            EXPECT_GE(line, 1.15 - 1e-12) << name << ' ' << size;
            EXPECT_LE(line, 1.2 + 1e-12) << name << ' ' << size;
            EXPECT_NEAR(font.ascender() - font.descender() + font.leading(), font.lineHeight(), 1e-12 * size);
            // Capitals and descenders still fit between the baseline and the line's ascent and descent.
            EXPECT_GT(font.ascender() / size, 0.68) << name;
            EXPECT_LT(font.descender() / size, -0.2) << name;
        }
}
