#include "geometry/QVColor.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool isFinite(const pf::Color& c)
{
    return std::isfinite(c.red) && std::isfinite(c.green) && std::isfinite(c.blue) && std::isfinite(c.alpha);
}

// C's "%lf" without the process locale (the application sets it from the environment, which may use a
// decimal comma): exact decimal expansion rounded to six places.
void appendFixed6(std::string& out, double v)
{
    char buffer[400]; // a finite double needs at most 309 integral digits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
}

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

// The number at the start of text, read the way a string's double value is: leading white space
// skipped, then the longest decimal prefix; no number reads 0. Overflow gives ±HUGE_VAL.
double leadingDouble(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    std::string number;
    auto isDigit = [&](qsizetype k) { return k < n && text.at(k) >= u'0' && text.at(k) <= u'9'; };
    auto take = [&](qsizetype k) { number.push_back(char(text.at(k).unicode())); };
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        take(i++);
    bool digits = false;
    while (isDigit(i)) {
        take(i++);
        digits = true;
    }
    if (i < n && text.at(i) == u'.') {
        take(i++);
        while (isDigit(i)) {
            take(i++);
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype k = i + 1;
        if (k < n && (text.at(k) == u'+' || text.at(k) == u'-'))
            ++k;
        if (isDigit(k)) {
            while (i < k)
                take(i++);
            while (isDigit(i))
                take(i++);
        }
    }
    // Stored colours come from untrusted documents: an overflowing component reads as 0, so no infinity
    // reaches drawing or the next save.
    const double value = strtod_l(number.c_str(), nullptr, cLocale());
    return std::isfinite(value) ? value : 0;
}

std::optional<QString> hexString(const pf::OptionalColor& color, bool withAlpha)
{
    if (!color || !isFinite(*color))
        return std::nullopt;
    auto byte = [](double component) { return unsigned(std::clamp(component, 0.0, 1.0) * 255); };
    static constexpr char digits[] = "0123456789ABCDEF";
    QString out;
    const double components[4] = {color->red, color->green, color->blue, color->alpha};
    for (int k = 0; k < (withAlpha ? 4 : 3); ++k) {
        const unsigned b = byte(components[k]);
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 0xF]);
    }
    return out;
}

double channel(std::uint32_t value, int shift) { return double((value >> shift) & 0xFF) / 255.0; }

} // namespace

QString QVStringFromColor(const pf::OptionalColor& color)
{
    if (!color)
        return QString(QLatin1String(""));
    const pf::Color c = isFinite(*color) ? *color : pf::Color(0, 0, 0, 0);
    std::string out;
    for (double v : {c.red, c.green, c.blue, c.alpha}) {
        if (!out.empty())
            out.push_back(':');
        appendFixed6(out, v);
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

pf::OptionalColor QVColorFromString(const QString& string)
{
    const QStringList parts = string.split(QLatin1Char(':'));
    if (parts.size() != 4)
        return std::nullopt;
    return pf::Color(leadingDouble(parts[0]), leadingDouble(parts[1]), leadingDouble(parts[2]),
                     leadingDouble(parts[3]));
}

pf::Color QVHexColor(std::uint32_t rgb) { return {channel(rgb, 16), channel(rgb, 8), channel(rgb, 0), 1}; }

pf::Color QVHexaColor(std::uint32_t rgba)
{
    return {channel(rgba, 24), channel(rgba, 16), channel(rgba, 8), channel(rgba, 0)};
}

std::optional<QString> QVHexStringFromColor(const pf::OptionalColor& color) { return hexString(color, false); }

std::optional<QString> QVHexaStringFromColor(const pf::OptionalColor& color) { return hexString(color, true); }

pf::Color QVOppositeColor(const pf::Color& color)
{
    return {1 - color.red, 1 - color.green, 1 - color.blue, 1};
}

QVGradientStops QVVertGradient(std::uint32_t top, std::uint32_t bottom)
{
    return {{{QVHexColor(top), 0}, {QVHexColor(bottom), 1}}};
}
