// Thin wrappers round the dispatch queues: the only way the model defers work.
#pragma once

#include "platform/foundation/Dispatch.h"

#include <functional>

// Calls block at once on the calling thread.
void QVPerformNow(const std::function<void()>& block);
// Enqueue block and return at once.
void QVPerformOnMainThread(std::function<void()> block);
void QVPerformOnBackgroundThread(std::function<void()> block);
// Due after seconds × 1,000,000,000 nanoseconds, truncated to a whole number (negative and NaN delays are
// no delay; delays beyond the clock's range never come due). The answer cancels the call.
pf::DelayedCall QVPerformOnMainThreadAfterDelay(std::function<void()> block, double seconds);
pf::DelayedCall QVPerformOnBackgroundThreadAfterDelay(std::function<void()> block, double seconds);

// The delay of the two calls above.
pf::Nanoseconds QVDelayFromSeconds(double seconds);
