// Reads of numbers from stored property lists that never let a non-finite value into the model.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"

#include <QAnyStringView>

#include <cmath>

// The key's number; 0 when absent, not a number, infinite or NaN.
inline double storedDouble(const pf::Value& plist, QAnyStringView key)
{
    const double v = plist.doubleForKey(key);
    return std::isfinite(v) ? v : 0.0;
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
