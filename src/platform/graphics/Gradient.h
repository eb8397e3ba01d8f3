// A colour gradient in generic RGB: stops of colour and location in [0, 1], as the model builds them from
// its gradient elements. The context paints it (GraphicsContext::drawLinearGradient and friends).
#pragma once

#include "platform/foundation/Color.h"

#include <vector>

class QGradient;

namespace pf {

struct GradientStop {
    Color color;
    double location = 0;
    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

class Gradient {
public:
    Gradient() = default;
    explicit Gradient(std::vector<GradientStop> stops);
    // Two stops, at 0 and at 1.
    Gradient(const Color& start, const Color& end);

    const std::vector<GradientStop>& stops() const { return stops_; }
    bool isEmpty() const { return stops_.empty(); }

    // Stops in location order, clamped to [0, 1]; one stop paints its colour everywhere. Stops at the same
    // location keep their order and give a hard edge.
    void applyTo(QGradient& gradient) const;

private:
    std::vector<GradientStop> stops_;
};

} // namespace pf
