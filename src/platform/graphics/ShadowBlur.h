// The blur of Quartz-style shadows: a Gaussian approximated by three box blurs per axis, run on the 8-bit
// coverage of the shadow only (the shadow is one colour, so its alpha is all there is to blur).
#pragma once

#include <cstdint>

namespace pf {

// The widest blur drawn, in pixels: wider ones come out as a flat tint anyway, and stored documents may
// ask for any size.
inline constexpr double maxBlurSigma = 512;

// How far, in pixels, a blur of sigma spreads coverage: the sum of the three box radii. Sigma is capped
// at maxBlurSigma.
int blurExtent(double sigma);

// True when a Gaussian of sigma spreads a whole plane of width × height full pixels so thin that no pixel
// keeps half a level (its peak weight is 1 / (2π sigma²)): the blur of anything that size is empty.
bool blurLeavesNothing(int width, int height, double sigma);

// Blurs width × height bytes (rows stride bytes apart) in place; sigma below 0.3 leaves them as they are.
// Pixels outside the plane count as 0.
void blurAlpha(std::uint8_t* data, int width, int height, int stride, double sigma);

} // namespace pf
