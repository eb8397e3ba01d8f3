#include "platform/graphics/Gradient.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace pf {

Gradient::Gradient(std::vector<GradientStop> stops) : stops_(std::move(stops)) {}

Gradient::Gradient(const Color& start, const Color& end) : stops_{{start, 0.0}, {end, 1.0}} {}

const QGradientStops& Gradient::qtStops() const
{
    if (qtStops_.isEmpty() && !stops_.empty()) {
        QLinearGradient stops;
        applyTo(stops);
        qtStops_ = stops.stops();
    }
    return qtStops_;
}

const QBrush& Gradient::linearBrush(Point start, Point end) const
{
    const std::array<double, 7> key{0, start.x, start.y, end.x, end.y, 0, 0};
    if (brush_.style() != Qt::LinearGradientPattern || brushKey_ != key) {
        QLinearGradient q(start.toQt(), end.toQt());
        q.setStops(qtStops());
        brush_ = QBrush(q);
        brushKey_ = key;
    }
    return brush_;
}

const QBrush& Gradient::radialBrush(Point focal, double focalRadius, Point centre, double radius) const
{
    const std::array<double, 7> key{1, focal.x, focal.y, centre.x, centre.y, focalRadius, radius};
    if (brush_.style() != Qt::RadialGradientPattern || brushKey_ != key) {
        QRadialGradient q(centre.toQt(), radius, focal.toQt(), focalRadius);
        q.setStops(qtStops());
        brush_ = QBrush(q);
        brushKey_ = key;
    }
    return brush_;
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
            // A stop between two of its own colour changes nothing: it is left out (stored data may hold
            // thousands, and each is written out again wherever the gradient paints).
            const QColor color = s.color.toQt();
            if (qstops.size() >= 2 && qstops[qstops.size() - 2].second == color && qstops.back().second == color)
                qstops.back().first = at;
            else
                qstops.append({at, color});
            last = at;
        }
    }
    gradient.setStops(qstops);
}

} // namespace pf
