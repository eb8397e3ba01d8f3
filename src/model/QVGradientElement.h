// One stop of a gradient fill: a colour (possibly none) at a ratio along the gradient, 0 to 1.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Value.h"
#include "platform/foundation/Variant.h"

#include <QString>

#include <vector>

class QVGradientElement final {
public:
    constexpr QVGradientElement() = default;
    constexpr QVGradientElement(pf::OptionalColor color, double ratio) : color_(color), ratio_(ratio) {}
    static QVGradientElement gradientElementWithColorRatio(pf::OptionalColor color, double ratio)
    {
        return {color, ratio};
    }

    const pf::OptionalColor& color() const { return color_; }
    void setColor(pf::OptionalColor color) { color_ = color; }
    double ratio() const { return ratio_; }
    void setRatio(double ratio) { ratio_ = ratio; }

    // Equal colours (or both none) and exactly equal ratios.
    friend bool operator==(const QVGradientElement&, const QVGradientElement&) = default;

    QString description() const;

    // {"color": colour string, "" for none; "ratio": number}.
    pf::Value asPlist() const;
    // A non-finite ratio reads as 0.
    static QVGradientElement fromPlist(const pf::Value& plist);

private:
    pf::OptionalColor color_;
    double ratio_ = 0;
};

// Stops as key-value coding carries them: an array of {"color": colour or null, "ratio": number} maps.
// Reading skips entries that are not maps; a ratio that is missing or not finite reads as 0, and ratios
// are kept within 0 to 1.
pf::Variant variantFromGradientElements(const std::vector<QVGradientElement>& elements);
std::vector<QVGradientElement> gradientElementsFromVariant(const pf::Variant& value);
