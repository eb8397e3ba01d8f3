// Reads of numbers from stored property lists that never let a non-finite value into the model.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"

#include <QAnyStringView>

#include <cmath>
#include <cstdint>
#include <limits>

// The key's number; 0 when absent, not a number, infinite or NaN.
inline double storedDouble(const pf::Value& plist, QAnyStringView key)
{
    const double v = plist.doubleForKey(key);
    return std::isfinite(v) ? v : 0.0;
}

// The key's unsigned number, saturated rather than cut to 32 bits, so that an out-of-range stored value
// (a filter type, a unit type) stays out of range instead of aliasing a valid one.
inline unsigned storedUnsigned(const pf::Value& plist, QAnyStringView key)
{
    const std::uint64_t v = plist.unsignedIntegerForKey(key);
    return v > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max() : unsigned(v);
}

// The key's size string; components that are not finite read as 0.
inline pf::Size storedSize(const pf::Value& plist, QAnyStringView key)
{
    pf::Size s = pf::sizeFromString(plist.stringForKey(key));
    if (!std::isfinite(s.width))
        s.width = 0;
    if (!std::isfinite(s.height))
        s.height = 0;
    return s;
}
