#include "geometry/QVColor.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

using pf::Color;

namespace {

// What C's "%lf" writes in the C locale, for comparison.
std::string cFormat(double v)
{
    const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = uselocale(c);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%lf", v);
    uselocale(previous);
    freelocale(c);
    return buffer;
}

} // namespace

TEST(QVStringFromColor, WritesSixDecimalsLikeC)
{
    EXPECT_EQ(QVStringFromColor(Color(1, 0, 0, 1)), "1.000000:0.000000:0.000000:1.000000");
    EXPECT_EQ(QVStringFromColor(Color::white()), "1.000000:1.000000:1.000000:1.000000");
    EXPECT_EQ(QVStringFromColor(std::nullopt), "");
    // Components are written as stored, even outside 0..1.
    EXPECT_EQ(QVStringFromColor(Color(-0.25, 2, 0.1234567, 0.5)), "-0.250000:2.000000:0.123457:0.500000");

    for (double v : {0.1, 1.0 / 3.0, 0.0078125 /* an exact tie at six places */, 0.9999995, -0.0, 1e-7,
                     123456789.123456789, 1e300}) {
        const QString written = QVStringFromColor(Color(v, 0, 0, 1));
        EXPECT_EQ(written.section(QLatin1Char(':'), 0, 0).toStdString(), cFormat(v)) << v;
    }
}

TEST(QVStringFromColor, ANonFiniteComponentWritesFourZeros)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Color& c : {Color(nan, 0, 0, 1), Color(0, inf, 0, 1), Color(0, 0, 0, -inf)})
        EXPECT_EQ(QVStringFromColor(c), "0.000000:0.000000:0.000000:0.000000");
}

TEST(QVStringFromColor, WritingIgnoresTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            comma = true;
            break;
        }
    }
    if (!comma)
        GTEST_SKIP() << "no decimal-comma locale installed";
    const QString written = QVStringFromColor(Color(0.5, 0.25, 0, 1));
    const pf::OptionalColor read = QVColorFromString(QStringLiteral("0.5:0.25:0:1"));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(written, "0.500000:0.250000:0.000000:1.000000");
    EXPECT_EQ(read, Color(0.5, 0.25, 0, 1));
}

TEST(QVColorFromString, FourPartsReadAsLeadingNumbers)
{
    struct Case {
        const char* text;
        pf::OptionalColor expected;
    };
    const std::vector<Case> cases{
        {"0.5:0.5:0.5:1", Color(0.5, 0.5, 0.5, 1)},
        {"1.000000:0.000000:0.000000:1.000000", Color(1, 0, 0, 1)},
        {"a:b:c:d", Color(0, 0, 0, 0)},
        {"::: ", Color(0, 0, 0, 0)},
        {"  .5:+1e-1:-2x:1.5e", Color(0.5, 0.1, -2, 1.5)},
        {"0.5abc:1e2:0x10:inf", Color(0.5, 100, 0, 0)}, // no hex, no words
        {"\t0.25 :\n7.:1E+1:.", Color(0.25, 7, 10, 0)},
        {"0.5:0.5:0.5", std::nullopt},
        {"0.5:0.5:0.5:1:1", std::nullopt},
        {"", std::nullopt},
        {"1,5:0:0:1", Color(1, 0, 0, 1)}, // the C locale: a comma ends the number
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVColorFromString(QString::fromLatin1(c.text)), c.expected) << c.text;
    EXPECT_EQ(QVColorFromString(QString()), std::nullopt);

    // A component that overflows reads as 0: documents are untrusted and an infinite component would
    // reach drawing and the next save.
    EXPECT_EQ(QVColorFromString(QStringLiteral("1e999:-1e999:1e-999:0.5")), Color(0, 0, 0, 0.5));
}

TEST(QVColorFromString, RoundTripsWhatItWrites)
{
    for (const Color& c : {Color(1, 0.5, 0.25, 1), Color(0.123456, 0.654321, 0, 0.5), Color::clear()}) {
        const QString s = QVStringFromColor(c);
        EXPECT_EQ(QVColorFromString(s), c) << s.toStdString();
        EXPECT_EQ(QVStringFromColor(QVColorFromString(s)), s);
    }
}

TEST(QVHexColor, ComponentsOver255)
{
    EXPECT_EQ(QVHexColor(0xFF8000), Color(1, 128.0 / 255, 0, 1));
    EXPECT_EQ(QVHexColor(0xFFFF8000), Color(1, 128.0 / 255, 0, 1)); // bits above 24 are ignored
    EXPECT_EQ(QVHexaColor(0x11223380), Color(17.0 / 255, 34.0 / 255, 51.0 / 255, 128.0 / 255));
    EXPECT_EQ(QVCGHexColor(0x102030), QVHexColor(0x102030));
    EXPECT_EQ(QVCGHexaColor(0x10203040), QVHexaColor(0x10203040));
}

TEST(QVHexStringFromColor, TruncatesAndClamps)
{
    struct Case {
        Color color;
        const char* hex;
        const char* hexa;
    };
    const std::vector<Case> cases{
        {Color(0.999, 0, 1, 1), "FE00FF", "FE00FFFF"},
        {Color(128.0 / 255, 0.5, 0.0039, 0.5), "807F00", "807F007F"},
        // Out of range clamps to 00..FF rather than wrapping or growing a digit.
        {Color(1.5, -0.2, 2, 7), "FF00FF", "FF00FFFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QVHexStringFromColor(c.color), QString::fromLatin1(c.hex));
        EXPECT_EQ(QVHexaStringFromColor(c.color), QString::fromLatin1(c.hexa));
    }
    EXPECT_EQ(QVHexStringFromColor(std::nullopt), std::nullopt);
    EXPECT_EQ(QVHexaStringFromColor(Color(std::nan(""), 0, 0, 1)), std::nullopt);
    // Every byte survives the trip through a hex colour.
    for (std::uint32_t v : {0x000000u, 0xFFFFFFu, 0x7F8081u, 0x123456u})
        EXPECT_EQ(QVHexStringFromColor(QVHexColor(v)), QString::asprintf("%06X", v));
}

TEST(QVColorMisc, OppositeAndVerticalGradient)
{
    EXPECT_EQ(QVOppositeColor(Color(0.25, 1, 0, 0.3)), Color(0.75, 0, 1, 1));
    const QVGradientStops g = QVVertGradient(0xFF0000, 0x0000FF);
    EXPECT_EQ(g[0], (QVGradientStop{Color(1, 0, 0, 1), 0}));
    EXPECT_EQ(g[1], (QVGradientStop{Color(0, 0, 1, 1), 1}));
}
