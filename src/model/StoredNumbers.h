// Reads of numbers from stored property lists that never let a non-finite value into the model.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"

#include <QAnyStringView>

#include <cmath>
#include <cstdint>
#include <limits>

inline double finiteOrZero(double v)
{
    return std::isfinite(v) ? v : 0.0;
}

// The key's number; 0 when absent, not a number, infinite or NaN.
inline double storedDouble(const pf::Value& plist, QAnyStringView key)
{
    return finiteOrZero(plist.doubleForKey(key));
}

// The key's unsigned number, saturated rather than cut to 32 bits, so that an out-of-range stored value
// (a filter type, a unit type) stays out of range instead of aliasing a valid one.
inline unsigned storedUnsigned(const pf::Value& plist, QAnyStringView key)
{
    const std::uint64_t v = plist.unsignedIntegerForKey(key);
    return v > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max() : unsigned(v);
}

// The key's size, rect or point string (the string readers never answer a non-finite number); absent or
// of another kind reads as zero.
inline pf::Size storedSize(const pf::Value& plist, QAnyStringView key)
{
    return pf::sizeFromString(plist.stringForKey(key));
}

inline pf::Rect storedRect(const pf::Value& plist, QAnyStringView key)
{
    return pf::rectFromString(plist.stringForKey(key));
}

inline pf::Point storedPoint(const pf::Value& plist, QAnyStringView key)
{
    return pf::pointFromString(plist.stringForKey(key));
}

// The colour of a stored colour string, as QVColorFromString reads it, remembered: a page's shapes and
// the sticky defaults repeat a few colours thousands of times.
pf::OptionalColor storedColor(const QString& text);

// The stored string of a colour, as QVStringFromColor writes it, remembered the same way.
QString storedColorString(const pf::OptionalColor& color);
