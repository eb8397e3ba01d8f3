// Colour encodings of stored documents: the colour string "%lf:%lf:%lf:%lf" (red, green, blue, alpha in
// generic RGB) and integer hex colours, plus the hex strings the scripting layer shows.
#pragma once

#include "platform/foundation/Color.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Six decimals per component, exactly as C's "%lf" writes them (always in the C locale). No colour
// writes as "", and a colour with a non-finite component, which has no generic-RGB form, as four zeros.
QString QVStringFromColor(const pf::OptionalColor& color);
// Exactly four ":"-separated parts, each read as a number from its start (leading white space skipped,
// the longest decimal prefix, C locale; no number reads 0); anything else is no colour.
pf::OptionalColor QVColorFromString(const QString& string);

// 0xRRGGBB, alpha 1; each 8-bit component c becomes c / 255.
pf::Color QVHexColor(std::uint32_t rgb);
// 0xRRGGBBAA.
pf::Color QVHexaColor(std::uint32_t rgba);
// The same colours for Quartz drawing: the model has one colour record.
inline pf::Color QVCGHexColor(std::uint32_t rgb) { return QVHexColor(rgb); }
inline pf::Color QVCGHexaColor(std::uint32_t rgba) { return QVHexaColor(rgba); }

// "RRGGBB" / "RRGGBBAA" of each component times 255, truncated toward zero. Components are clamped to
// 0..1 first so the digits stay in 00..FF; no colour, or a non-finite component, gives none.
std::optional<QString> QVHexStringFromColor(const pf::OptionalColor& color);
std::optional<QString> QVHexaStringFromColor(const pf::OptionalColor& color);

// (1 − red, 1 − green, 1 − blue), opaque.
pf::Color QVOppositeColor(const pf::Color& color);

struct QVGradientStop {
    pf::Color color;
    double location = 0;
    friend constexpr bool operator==(const QVGradientStop&, const QVGradientStop&) = default;
};
using QVGradientStops = std::array<QVGradientStop, 2>;

// From a 0xRRGGBB start colour at 0 to a 0xRRGGBB end colour at 1.
QVGradientStops QVVertGradient(std::uint32_t top, std::uint32_t bottom);
