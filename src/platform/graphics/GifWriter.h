// GIF encoding (Qt reads GIF but cannot write it): one frame, a palette of at most 256 colours. A picture
// with few colours keeps them exactly; any other gets a median-cut palette and Floyd–Steinberg dithering.
#pragma once

#include <QByteArray>
#include <QImage>

namespace pf {

// transparent: pixels less than half opaque become the one transparent index; otherwise every pixel is
// laid over white. Partly opaque pixels are laid over white either way. Empty for an empty image or one
// too large for the format (65,535 pixels a side).
QByteArray gifData(const QImage& image, bool transparent);

} // namespace pf
