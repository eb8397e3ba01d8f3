// A colour gradient in generic RGB: stops of colour and location in [0, 1], as the model builds them from
// its gradient elements. The context paints it (GraphicsContext::drawLinearGradient and friends).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"

#include <QBrush>
#include <QGradient>

#include <array>
#include <vector>

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

    // The brush along an axis (linear), or from a focal circle out to a circle (radial), in user space.
    // The last brush made is kept in the gradient (a shape paints its gradient with the same geometry
    // every time), so paint a gradient from one thread at a time.
    const QBrush& linearBrush(Point start, Point end) const;
    const QBrush& radialBrush(Point focal, double focalRadius, Point centre, double radius) const;
    // The stops as Qt takes them (applyTo's), made once.
    const QGradientStops& qtStops() const;

    // A brush a context made from this gradient for one placement on its device (its own key: the axis,
    // transform and pixels covered), kept like the brush above for the next paint of the same placement.
    using PlacementKey = std::array<double, 12>;
    const QBrush* keptPlacementBrush(const PlacementKey& key) const
    {
        return placementBrush_.style() != Qt::NoBrush && placementKey_ == key ? &placementBrush_ : nullptr;
    }
    void keepPlacementBrush(const PlacementKey& key, const QBrush& brush) const
    {
        placementKey_ = key;
        placementBrush_ = brush;
    }

private:
    std::vector<GradientStop> stops_;
    // Kept in the object rather than behind a pointer: drawing reads it from gradients gone cold.
    mutable QGradientStops qtStops_;
    mutable QBrush brush_;
    mutable std::array<double, 7> brushKey_{};  // radial, then the points and radii of brush_
    mutable QBrush placementBrush_;
    mutable PlacementKey placementKey_{};
};

} // namespace pf
