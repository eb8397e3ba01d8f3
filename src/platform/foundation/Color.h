// A colour as the model stores it: four doubles in generic RGB. Absence of a colour is an empty
// std::optional<Color>, never a special value.
#pragma once

#include <optional>

class QColor;

namespace pf {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    constexpr Color() = default;
    constexpr Color(double r, double g, double b, double a = 1) : red(r), green(g), blue(b), alpha(a) {}

    friend constexpr bool operator==(const Color&, const Color&) = default;

    static constexpr Color black() { return {0, 0, 0, 1}; }
    static constexpr Color white() { return {1, 1, 1, 1}; }
    static constexpr Color clear() { return {0, 0, 0, 0}; }

    constexpr Color withAlpha(double a) const { return {red, green, blue, a}; }

    // Qt keeps 16 bits a channel: use only at the painting boundary.
    QColor toQt() const;
    static Color fromQt(const QColor& c);
};

using OptionalColor = std::optional<Color>;

} // namespace pf
