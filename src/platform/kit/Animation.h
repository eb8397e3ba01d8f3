// A short animation stepped on the main queue's clock, so that tests play it with the virtual clock: the
// step is given the eased progress from 0 to 1 about sixty times a second, then 1 exactly, then the
// end is reported as finished. Stopping it reports an unfinished end, and a new start stops the one
// running first; destroying it reports nothing (its owner may be going too).
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Geometry.h"

#include <cstdint>
#include <functional>

namespace pf {

class Animation {
public:
    using Step = std::function<void(double progress)>;
    using Done = std::function<void(bool finished)>;

    Animation() = default;
    ~Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // A duration of 0 or less steps to 1 at once and reports the end (finished) before returning.
    void start(Nanoseconds duration, Step step, Done done = {});
    void stop();
    bool isRunning() const { return running_; }

    // Ease in and out, as the platform's default timing.
    static double ease(double t);
    // a + (b − a) × t, and so for each side of a rectangle.
    static double mix(double a, double b, double t) { return a + (b - a) * t; }
    static Rect mix(const Rect& a, const Rect& b, double t)
    {
        return Rect(mix(a.x(), b.x(), t), mix(a.y(), b.y(), t), mix(a.width(), b.width(), t),
                    mix(a.height(), b.height(), t));
    }

private:
    void frame();
    void finish(bool finished);

    Nanoseconds duration_{0};
    std::int64_t start_ = 0;
    Step step_;
    Done done_;
    bool running_ = false;
    DelayedCallOwner frames_;
};

} // namespace pf
