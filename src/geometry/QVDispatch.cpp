#include "geometry/QVDispatch.h"

#include <cmath>
#include <cstdint>
#include <limits>

void QVPerformNow(const std::function<void()>& block)
{
    if (block)
        block();
}

void QVPerformOnMainThread(std::function<void()> block)
{
    pf::performOnMainThread(std::move(block));
}

void QVPerformOnBackgroundThread(std::function<void()> block)
{
    pf::performOnBackgroundThread(std::move(block));
}

pf::Nanoseconds QVDelayFromSeconds(double seconds)
{
    const double ns = seconds * 1e9;
    if (!(ns > 0)) // also NaN
        return pf::Nanoseconds(0);
    // 2^63 and above do not fit; converting them would be undefined.
    if (ns >= 9223372036854775808.0)
        return pf::Nanoseconds(std::numeric_limits<std::int64_t>::max());
    return pf::Nanoseconds(static_cast<std::int64_t>(ns));
}

pf::DelayedCall QVPerformOnMainThreadAfterDelay(std::function<void()> block, double seconds)
{
    return pf::performOnMainThreadAfterDelay(std::move(block), QVDelayFromSeconds(seconds));
}

pf::DelayedCall QVPerformOnBackgroundThreadAfterDelay(std::function<void()> block, double seconds)
{
    return pf::performOnBackgroundThreadAfterDelay(std::move(block), QVDelayFromSeconds(seconds));
}
