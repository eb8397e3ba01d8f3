#include "platform/kit/Animation.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace pf {

namespace {
constexpr std::chrono::microseconds FrameInterval(16667);
}

Animation::~Animation()
{
    frames_.cancelPreviousPerformRequests();
    // The owner may be going too: the end is not reported from a destructor.
    done_ = nullptr;
}

double Animation::ease(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

void Animation::start(Nanoseconds duration, Step step, Done done)
{
    stop();
    duration_ = duration;
    step_ = std::move(step);
    done_ = std::move(done);
    running_ = true;
    start_ = currentClock().now();
    if (duration_.count() <= 0) {
        finish(true);
        return;
    }
    frames_.performAfterDelay([this] { frame(); }, FrameInterval);
}

void Animation::stop()
{
    if (running_)
        finish(false);
}

void Animation::frame()
{
    const double t = double(currentClock().now() - start_) / double(duration_.count());
    if (t >= 1) {
        finish(true);
        return;
    }
    if (step_)
        step_(ease(t));
    frames_.performAfterDelay([this] { frame(); }, FrameInterval);
}

void Animation::finish(bool finished)
{
    frames_.cancelPreviousPerformRequests();
    running_ = false;
    // Taken first: the callbacks may start this animation again.
    Step step = std::exchange(step_, nullptr);
    Done done = std::exchange(done_, nullptr);
    if (finished && step)
        step(1);
    if (done)
        done(finished);
}

} // namespace pf
