// Pixel helpers for the rendering tests of the graphics context.
#pragma once

#include "platform/graphics/Path.h"

#include <QColor>
#include <QImage>

namespace pf::test {

inline Path rectPath(double x, double y, double w, double h)
{
    Path p;
    p.moveTo({x, y});
    p.lineTo({x + w, y});
    p.lineTo({x + w, y + h});
    p.lineTo({x, y + h});
    p.close();
    return p;
}

// An ellipse of four cubic quarters (curves, so clips with it take the antialiased mask).
inline Path ovalPath(double x, double y, double w, double h)
{
    constexpr double k = 0.5522847498;
    const double cx = x + w / 2, cy = y + h / 2, rx = w / 2, ry = h / 2;
    Path p;
    p.moveTo({cx + rx, cy});
    p.curveTo({cx + rx, cy + k * ry}, {cx + k * rx, cy + ry}, {cx, cy + ry});
    p.curveTo({cx - k * rx, cy + ry}, {cx - rx, cy + k * ry}, {cx - rx, cy});
    p.curveTo({cx - rx, cy - k * ry}, {cx - k * rx, cy - ry}, {cx, cy - ry});
    p.curveTo({cx + k * rx, cy - ry}, {cx + rx, cy - k * ry}, {cx + rx, cy});
    p.close();
    return p;
}

inline int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

// Un-premultiplied colour of a pixel.
inline QColor colorAt(const QImage& image, int x, int y) { return image.pixelColor(x, y).toRgb(); }

} // namespace pf::test
