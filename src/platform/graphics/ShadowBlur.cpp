#include "platform/graphics/ShadowBlur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace pf {

namespace {

// Radii of three boxes whose successive application has the variance of a Gaussian of sigma
// (W. Jarosz's construction: widths wl and wl + 2, the count of each chosen to match the variance).
std::array<int, 3> boxRadii(double sigma)
{
    constexpr int n = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1.0);
    int wl = int(std::floor(ideal));
    if (wl % 2 == 0)
        --wl;
    const int wu = wl + 2;
    const double mIdeal = (12.0 * sigma * sigma - n * wl * wl - 4.0 * n * wl - 3.0 * n) / (-4.0 * wl - 4.0);
    const int m = int(std::lround(mIdeal));
    std::array<int, 3> radii{};
    for (int i = 0; i < n; ++i)
        radii[size_t(i)] = ((i < m ? wl : wu) - 1) / 2;
    return radii;
}

// One box pass along rows: out[x] = mean of in[x - r .. x + r], zero outside.
// The mean of a window as a multiplication by a 16-bit reciprocal of its size: within one level of the
// rounded division, and far cheaper than a division per pixel.
struct Mean {
    std::uint32_t reciprocal;
    explicit Mean(int size) : reciprocal(std::uint32_t((65536 + size / 2) / size)) {}
    std::uint8_t operator()(std::uint32_t sum) const { return std::uint8_t(std::min<std::uint32_t>(255, (sum * reciprocal + 32768) >> 16)); }
};

void boxRow(const std::uint8_t* in, std::uint8_t* out, int width, int r)
{
    const Mean mean(2 * r + 1);
    std::uint32_t sum = 0;
    for (int x = 0; x < r && x < width; ++x)
        sum += in[x];
    // The window enters the row, then slides inside it, then leaves it: three loops without a test per pixel.
    const int entered = std::min(width, r + 1);
    const int leaving = std::max(entered, width - r);
    int x = 0;
    for (; x < entered; ++x) {
        if (x + r < width)
            sum += in[x + r];
        out[x] = mean(sum);
    }
    for (; x < leaving; ++x) {
        sum += in[x + r];
        sum -= in[x - r - 1];
        out[x] = mean(sum);
    }
    for (; x < width; ++x) {
        if (x - r - 1 >= 0)
            sum -= in[x - r - 1];
        out[x] = mean(sum);
    }
}

// One box pass along columns, row by row with running column sums (cache-friendly).
void boxColumns(const std::uint8_t* in, std::uint8_t* out, int width, int height, int stride, int r,
                std::vector<std::uint32_t>& sums)
{
    const Mean mean(2 * r + 1);
    sums.assign(size_t(width), 0);
    for (int y = 0; y < r && y < height; ++y) {
        const std::uint8_t* row = in + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x)
            sums[size_t(x)] += row[x];
    }
    for (int y = 0; y < height; ++y) {
        if (y + r < height) {
            const std::uint8_t* add = in + size_t(y + r) * size_t(stride);
            for (int x = 0; x < width; ++x)
                sums[size_t(x)] += add[x];
        }
        if (y - r - 1 >= 0) {
            const std::uint8_t* sub = in + size_t(y - r - 1) * size_t(stride);
            for (int x = 0; x < width; ++x)
                sums[size_t(x)] -= sub[x];
        }
        std::uint8_t* o = out + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x)
            o[x] = mean(sums[size_t(x)]);
    }
}

} // namespace

int blurExtent(double sigma)
{
    if (!(sigma >= 0.3))
        return 0;
    const auto radii = boxRadii(std::min(sigma, maxBlurSigma));
    return radii[0] + radii[1] + radii[2];
}

bool blurLeavesNothing(int width, int height, double sigma)
{
    return sigma > 0 && 255.0 * double(width) * double(height) / (2 * std::numbers::pi * sigma * sigma) < 0.5;
}

void blurAlpha(std::uint8_t* data, int width, int height, int stride, double sigma)
{
    if (!(sigma >= 0.3) || width <= 0 || height <= 0)
        return;
    // Past maxBlurSigma the boxes are capped; a blur that leaves nothing must not leave a capped smear.
    if (blurLeavesNothing(width, height, sigma)) {
        for (int y = 0; y < height; ++y)
            std::fill_n(data + size_t(y) * size_t(stride), width, std::uint8_t(0));
        return;
    }
    const auto radii = boxRadii(std::min(sigma, maxBlurSigma));
    std::vector<std::uint8_t> scratch(size_t(stride) * size_t(height));
    std::vector<std::uint8_t> row(static_cast<size_t>(width));
    for (int r : radii) {
        if (r <= 0)
            continue;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* line = data + size_t(y) * size_t(stride);
            boxRow(line, row.data(), width, r);
            std::copy(row.begin(), row.end(), line);
        }
    }
    std::vector<std::uint32_t> sums;
    for (int r : radii) {
        if (r <= 0)
            continue;
        boxColumns(data, scratch.data(), width, height, stride, r, sums);
        for (int y = 0; y < height; ++y)
            std::copy_n(scratch.data() + size_t(y) * size_t(stride), width, data + size_t(y) * size_t(stride));
    }
}

} // namespace pf
