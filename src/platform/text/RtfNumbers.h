// Numbers as RTF holds them, shared by the RTF reader and writer so that what one writes the other reads
// back as it was: integer parameters of a bounded size, colour channels in hundred-thousandths.
#pragma once

#include <algorithm>
#include <cmath>

namespace pf::rtf {

// The largest parameter magnitude the reader takes; larger ones read as this.
constexpr long long largestParameter = 2000000000LL;

// A distance or size in the written unit (`perPoint` units to the point), rounded and bounded as the
// reader takes it; not-a-number writes as 0.
inline long long parameter(double points, double perPoint)
{
    const double v = points * perPoint;
    if (std::isnan(v))
        return 0;
    return std::llround(std::clamp(v, double(-largestParameter), double(largestParameter)));
}

inline long long colorChannelToRtf(double v)
{
    return std::isnan(v) ? 0 : std::llround(std::clamp(v, 0.0, 1.0) * 100000.0);
}

// Colours of 8-bit channels (hex colours, the 8-bit colour table, the shape defaults) are by far the most
// common, and a hundred-thousandth cannot hold them exactly: a written value that is the rounding of an
// 8-bit channel reads as that channel, any other as written. What the writer writes of either reads back
// as it was.
inline double colorChannelFromRtf(long long written)
{
    const long long c = std::clamp(written, 0LL, 100000LL);
    const double eightBit = double(std::llround(double(c) * 255.0 / 100000.0)) / 255.0;
    return colorChannelToRtf(eightBit) == c ? eightBit : double(c) / 100000.0;
}

} // namespace pf::rtf
