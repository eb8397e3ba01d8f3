#include "platform/foundation/Color.h"

#include <QColor>

#include <algorithm>

namespace pf {

QColor Color::toQt() const
{
    auto clamp = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return QColor::fromRgbF(float(clamp(red)), float(clamp(green)), float(clamp(blue)), float(clamp(alpha)));
}

Color Color::fromQt(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

} // namespace pf
