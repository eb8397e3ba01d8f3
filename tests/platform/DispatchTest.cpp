// The main queue, delayed calls on the virtual clock, cancellation and owners, the background queue.
#include "platform/foundation/Dispatch.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

class DispatchTest : public testing::Test {
protected:
    void SetUp() override { pf::drainMainQueue(); }
    void TearDown() override { pf::drainMainQueue(); }
    pf::VirtualClock clock;
    QStringList log;
};

TEST_F(DispatchTest, MainQueueCallsNeverRunInsideTheCallerAndKeepTheirOrder)
{
    pf::performOnMainThread([this] { log << "a"; });
    pf::performOnMainThreadAfterDelay([this] { log << "b"; }, 0ns);
    pf::performOnMainThread([this] {
        log << "c";
        pf::performOnMainThread([this] { log << "e"; }); // after everything already queued
    });
    pf::performOnMainThread([this] { log << "d"; });
    EXPECT_TRUE(log.isEmpty());

    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"a", "b", "c", "d", "e"}));
}

TEST_F(DispatchTest, DelayedCallsFireInDueOrderOnlyWhenTheClockPassesTheirTime)
{
    pf::performOnMainThreadAfterDelay([this] { log << "300"; }, 300ms);
    pf::performOnMainThreadAfterDelay([this] { log << "100"; }, 100ms);
    pf::performOnMainThreadAfterDelay([this] { log << "100 again"; }, 100ms); // ties keep scheduling order
    pf::performOnMainThreadAfterDelay([this] { log << "200"; }, 200ms);

    clock.advance(99ms);
    pf::drainMainQueue();
    EXPECT_TRUE(log.isEmpty());

    clock.advance(1ms);
    EXPECT_TRUE(log.isEmpty()); // due, but on the queue until the loop runs it
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"100", "100 again"}));

    clock.advance(1s);
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"100", "100 again", "200", "300"}));
}

TEST_F(DispatchTest, CancelledCallsNeverRunEvenWhenAlreadyDue)
{
    pf::DelayedCall early = pf::performOnMainThreadAfterDelay([this] { log << "early"; }, 10ms);
    pf::DelayedCall late = pf::performOnMainThreadAfterDelay([this] { log << "late"; }, 20ms);
    pf::DelayedCall kept = pf::performOnMainThreadAfterDelay([this] { log << "kept"; }, 20ms);
    early.cancel();
    clock.advance(20ms); // "late" is now on the main queue
    EXPECT_TRUE(late.isPending());
    late.cancel();
    EXPECT_FALSE(late.isPending());
    pf::drainMainQueue();

    EXPECT_EQ(log, QStringList({"kept"}));
    EXPECT_FALSE(kept.isPending());
    kept.cancel(); // after running: harmless
}

TEST_F(DispatchTest, AnOwnerCancelsItsCallsWhenDestroyedOrAsked)
{
    struct Flasher : pf::DelayedCallOwner {
        explicit Flasher(QStringList& l) : log(l) {}
        QStringList& log;
        void flash() { performAfterDelay([this] { log << "flash"; }, 50ms, "flash"); }
        void revert() { performAfterDelay([this] { log << "revert"; }, 50ms, "revert"); }
    };

    auto owner = std::make_unique<Flasher>(log);
    owner->flash();
    owner->revert();
    owner->cancelPreviousPerformRequests("flash");
    clock.advance(50ms);
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"revert"}));

    owner->flash();
    owner->revert();
    owner.reset(); // no late call reaches the freed object
    clock.advance(1s);
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"revert"}));

    Flasher asked(log);
    asked.flash();
    asked.cancelPreviousPerformRequests();
    clock.advance(1s);
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"revert"}));
}

TEST_F(DispatchTest, PendingCallsKeepTheirRemainingDelayWhenTheClockChanges)
{
    clock.advance(1s);
    pf::performOnMainThreadAfterDelay([this] { log << "outer"; }, 100ms);
    {
        pf::VirtualClock inner; // starts at zero
        pf::performOnMainThreadAfterDelay([this] { log << "inner"; }, 30ms);
        inner.advance(60ms);
        pf::drainMainQueue();
        EXPECT_EQ(log, QStringList({"inner"}));
    }
    clock.advance(39ms); // 60 of the 100 passed on the inner clock
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"inner"}));
    clock.advance(1ms);
    pf::drainMainQueue();
    EXPECT_EQ(log, QStringList({"inner", "outer"}));
}

TEST_F(DispatchTest, BackgroundWorkHandsItsResultBackOnTheMainThread)
{
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> ranOffMain{false};
    int delivered = 0;
    bool deliveredOnMain = false;
    pf::performInBackground(
        [&] {
            ranOffMain = std::this_thread::get_id() != mainThread;
            return 42;
        },
        [&](int result) {
            delivered = result;
            deliveredOnMain = std::this_thread::get_id() == mainThread;
        });
    std::atomic<int> delayed{0};
    pf::performOnBackgroundThreadAfterDelay([&] { ++delayed; }, 5ms);
    clock.advance(5ms);

    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(delivered, 0); // not before the main queue runs
    pf::drainMainQueue();
    EXPECT_TRUE(ranOffMain);
    EXPECT_EQ(delivered, 42);
    EXPECT_TRUE(deliveredOnMain);
    EXPECT_EQ(delayed.load(), 1);
}

// The real clock: the one test that lets real time pass, bounded and without a fixed sleep.
TEST(DispatchRealClock, DelayedCallsFireOnTheEventLoop)
{
    bool fired = false;
    pf::performOnMainThreadAfterDelay([&] { fired = true; }, 1ms);
    for (int i = 0; i < 2000 && !fired; ++i) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        pf::drainMainQueue();
    }
    EXPECT_TRUE(fired);
}

} // namespace
