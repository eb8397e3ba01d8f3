// The dash pattern of a stroke: solid (no lengths) or on-off (two lengths), with a phase.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <array>

class LineDash final {
public:
    // Solid: count 0, everything zero.
    constexpr LineDash() = default;
    // An on-off pattern (count 2).
    constexpr LineDash(double onLength, double offLength, double phase)
        : phase_(phase), count_(2), onLength_(onLength), offLength_(offLength)
    {
    }

    // The one shared solid dash.
    static const LineDash& solidLineDash();
    // Presets that scale with the stroke width.
    static LineDash dashedLineDashWithStrokeLineWidth(double width);
    static LineDash dottedLineDashWithStrokeLineWidth(double width);

    double phase() const { return phase_; }
    // 0 (solid) or 2 (on-off): the only counts a dash can have.
    unsigned count() const { return count_; }
    double onLength() const { return onLength_; }
    double offLength() const { return offLength_; }

    // Writes count() lengths into the caller's array and answers count().
    unsigned getLengths(std::array<double, 2>& lengths) const;

    // Phase, count and both lengths; the class is final, so "exactly the same class" always holds.
    friend bool operator==(const LineDash&, const LineDash&) = default;

    QString description() const;

    pf::Value asPlist() const;
    // Absent or non-finite numbers read as 0; a stored count other than 0 or 2 reads as 0 (solid).
    static LineDash fromPlist(const pf::Value& plist);

private:
    double phase_ = 0;
    unsigned count_ = 0;
    double onLength_ = 0;
    double offLength_ = 0;
};
