// Pixel helpers for the rendering tests of the graphics context.
#pragma once

#include "platform/graphics/Path.h"

#include <QColor>
#include <QImage>

namespace pf::test {

inline int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

// Un-premultiplied colour of a pixel.
inline QColor colorAt(const QImage& image, int x, int y) { return image.pixelColor(x, y).toRgb(); }

} // namespace pf::test
