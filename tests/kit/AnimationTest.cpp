// Animations on the main queue's clock: steps within the duration, 1 exactly at the end, and the end
// reported once, finished or stopped.
#include "platform/foundation/Dispatch.h"
#include "platform/kit/Animation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

void advance(pf::VirtualClock& clock, int milliseconds)
{
    clock.advance(std::chrono::milliseconds(milliseconds));
    pf::drainMainQueue();
}

} // namespace

TEST(AnimationTest, StepsRiseToOneExactlyAndTheEndIsReportedOnce)
{
    pf::VirtualClock clock;
    pf::Animation animation;
    std::vector<double> steps;
    std::vector<bool> ends;
    animation.start(std::chrono::milliseconds(100), [&](double t) { steps.push_back(t); },
                    [&](bool finished) { ends.push_back(finished); });
    EXPECT_TRUE(steps.empty()) << "nothing before the first frame";
    for (int i = 0; i < 10; ++i)
        advance(clock, 17);
    ASSERT_GE(steps.size(), 4u);
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_GT(steps[i], steps[i - 1]);
    EXPECT_EQ(steps.back(), 1.0);
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_FALSE(animation.isRunning());

    // Stopped, or replaced by a new start: unfinished, and no step to 1.
    steps.clear();
    ends.clear();
    animation.start(std::chrono::milliseconds(100), [&](double t) { steps.push_back(t); },
                    [&](bool finished) { ends.push_back(finished); });
    advance(clock, 40);
    animation.start(std::chrono::milliseconds(0), [&](double t) { steps.push_back(t); },
                    [&](bool finished) { ends.push_back(finished); });
    EXPECT_EQ(ends, (std::vector<bool>{false, true})) << "a zero duration ends at once";
    EXPECT_EQ(steps.back(), 1.0);
    advance(clock, 200);
    EXPECT_EQ(ends.size(), 2u);

    // Gone before its end: nothing more is reported.
    ends.clear();
    {
        pf::Animation shortLived;
        shortLived.start(std::chrono::milliseconds(100), {}, [&](bool finished) { ends.push_back(finished); });
    }
    advance(clock, 200);
    EXPECT_TRUE(ends.empty());
}
