#include "platform/graphics/PathMath.h"

#include <algorithm>
#include <cmath>

namespace pf::pathmath {

int derivativeRoots(double a, double b, double c, double d, double out[2])
{
    // B'(t) / 3 = qa·t² + qb·t + qc
    const double qa = d - 3 * c + 3 * b - a;
    const double qb = 2 * (c - 2 * b + a);
    const double qc = b - a;
    int n = 0;
    auto keep = [&](double t) {
        if (t > 0 && t < 1 && std::isfinite(t))
            out[n++] = t;
    };
    const double scale = std::max({std::abs(qa), std::abs(qb), std::abs(qc)});
    if (scale == 0)
        return 0;
    if (std::abs(qa) <= 1e-12 * scale) {
        if (qb != 0)
            keep(-qc / qb);
        return n;
    }
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0)
        return 0;
    if (disc == 0) {
        keep(-qb / (2 * qa));
        return n;
    }
    // The stable form: no cancellation between -qb and the root of the discriminant.
    const double q = -0.5 * (qb + std::copysign(std::sqrt(disc), qb));
    keep(q / qa);
    if (q != 0)
        keep(qc / q);
    if (n == 2) {
        if (out[0] > out[1])
            std::swap(out[0], out[1]);
        if (out[0] == out[1])
            n = 1;
    }
    return n;
}

void splitCubic(const Cubic& c, double t, Cubic& left, Cubic& right)
{
    const Point p01 = lerp(c[0], c[1], t);
    const Point p12 = lerp(c[1], c[2], t);
    const Point p23 = lerp(c[2], c[3], t);
    const Point p012 = lerp(p01, p12, t);
    const Point p123 = lerp(p12, p23, t);
    const Point mid = lerp(p012, p123, t);
    left = {c[0], p01, p012, mid};
    right = {mid, p123, p23, c[3]};
}

} // namespace pf::pathmath
