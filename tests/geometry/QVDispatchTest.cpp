// The dispatch wrappers: immediate, queued, and delayed by whole nanoseconds.
#include "geometry/QVDispatch.h"

#include <QThreadPool>

#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace {

TEST(QVDispatch, DelaysAreWholeNanosecondsTruncated)
{
    struct Case {
        double seconds;
        std::int64_t nanoseconds;
    };
    const Case cases[] = {
        {0.1, 100'000'000},
        {1.5, 1'500'000'000},
        {1e-9, 1},
        {0.9e-9, 0},
        {0, 0},
        {-2, 0},
        {std::nan(""), 0},
        {1e30, std::numeric_limits<std::int64_t>::max()},
        {INFINITY, std::numeric_limits<std::int64_t>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVDelayFromSeconds(c.seconds).count(), c.nanoseconds) << c.seconds;
}

TEST(QVDispatch, EachWrapperRunsWhereAndWhenItSays)
{
    pf::VirtualClock clock;
    pf::drainMainQueue();
    QStringList log;
    QVPerformNow([&] { log << "now"; });
    EXPECT_EQ(log, QStringList({"now"}));

    QVPerformOnMainThread([&] { log << "main"; });
    QVPerformOnMainThreadAfterDelay([&] { log << "0.1 s"; }, 0.1);
    std::atomic<int> background{0};
    QVPerformOnBackgroundThread([&] { ++background; });
    QVPerformOnBackgroundThreadAfterDelay([&] { ++background; }, 0.1);
    EXPECT_EQ(log, QStringList({"now"}));

    clock.advance(std::chrono::nanoseconds(99'999'999));
    pf::drainMainQueue();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(log, QStringList({"now", "main"}));
    EXPECT_EQ(background.load(), 1);

    clock.advance(std::chrono::nanoseconds(1));
    pf::drainMainQueue();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(log, QStringList({"now", "main", "0.1 s"}));
    EXPECT_EQ(background.load(), 2);
}

} // namespace
