#include "platform/graphics/Gradient.h"

#include <QBrush>
#include <QColor>
#include <QGradient>

#include <array>

#include <algorithm>
#include <cmath>

namespace pf {

Gradient::Gradient(std::vector<GradientStop> stops) : stops_(std::move(stops)) {}

Gradient::Gradient(const Color& start, const Color& end) : stops_{{start, 0.0}, {end, 1.0}} {}

struct Gradient::Brushes {
    QGradientStops stops;
    // The geometry of the kept brush: radial, then the points and radii.
    std::array<double, 7> key{};
    QBrush brush;
};

Gradient::Brushes& Gradient::brushes() const
{
    if (!brushes_) {
        brushes_ = std::make_shared<Brushes>();
        QLinearGradient stops;
        applyTo(stops);
        brushes_->stops = stops.stops();
    }
    return *brushes_;
}

QBrush Gradient::linearBrush(Point start, Point end) const
{
    Brushes& b = brushes();
    const std::array<double, 7> key{0, start.x, start.y, end.x, end.y, 0, 0};
    if (b.brush.style() != Qt::LinearGradientPattern || b.key != key) {
        QLinearGradient q(start.toQt(), end.toQt());
        q.setStops(b.stops);
        b.brush = QBrush(q);
        b.key = key;
    }
    return b.brush;
}

QBrush Gradient::radialBrush(Point focal, double focalRadius, Point centre, double radius) const
{
    Brushes& b = brushes();
    const std::array<double, 7> key{1, focal.x, focal.y, centre.x, centre.y, focalRadius, radius};
    if (b.brush.style() != Qt::RadialGradientPattern || b.key != key) {
        QRadialGradient q(centre.toQt(), radius, focal.toQt(), focalRadius);
        q.setStops(b.stops);
        b.brush = QBrush(q);
        b.key = key;
    }
    return b.brush;
}

void Gradient::applyTo(QGradient& gradient) const
{
    std::vector<GradientStop> sorted = stops_;
    for (GradientStop& s : sorted)
        s.location = std::isfinite(s.location) ? std::clamp(s.location, 0.0, 1.0) : 0.0;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const GradientStop& a, const GradientStop& b) { return a.location < b.location; });
    QGradientStops qstops;
    if (sorted.size() == 1) {
        qstops.append({0.0, sorted[0].color.toQt()});
        qstops.append({1.0, sorted[0].color.toQt()});
    }
    else {
        // QGradient keeps one colour per position: a stop on the same location as the previous one moves
        // by the smallest step that keeps it after it, which paints as the hard edge the stops describe.
        double last = -1;
        for (const GradientStop& s : sorted) {
            double at = s.location;
            if (at <= last)
                at = std::nextafter(last, 2.0);
            if (at > 1.0)
                continue;
            qstops.append({at, s.color.toQt()});
            last = at;
        }
    }
    gradient.setStops(qstops);
}

} // namespace pf
