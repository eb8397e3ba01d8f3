// The main queue, the background queue, delayed calls and the clock they run on.
//
// - Main queue: calls run one per event on the main thread's Qt event loop, in the order enqueued, never
//   inside the caller (even with delay 0). Enqueueing is safe from any thread.
// - Background queue: the global QThreadPool; hand results back with performOnMainThread
//   (performInBackground does both).
// - Delayed calls: due at clock now + delay, then enqueued on the main queue (or started on the pool) in
//   order of due time, ties in order of scheduling. The DelayedCall answered cancels the call until it has
//   run; DelayedCallOwner cancels all of an object's pending calls when it is destroyed or asks.
// - Clock: a real monotonic clock by default. Tests construct a VirtualClock, which installs itself for
//   its lifetime: delayed calls then fire only when the test advances it past their due time and then runs
//   the main queue (drainMainQueue), so no test sleeps.
//
// Qt's event loop must exist (a QCoreApplication) before the main queue is used.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace pf {

using Nanoseconds = std::chrono::nanoseconds;

// A monotonic time scale in nanoseconds, and the wake-up of delayed calls.
class Clock {
public:
    virtual ~Clock();
    virtual std::int64_t now() const = 0;
    // The earliest pending delayed call is due at `due` (on this clock's scale): arrange for due calls to
    // be fired then. A clock without real time (the virtual one) does nothing here.
    virtual void wakeAt(std::int64_t due) = 0;
};

// Time stands still until advanced. Installs itself as the clock of delayed calls while it exists; pending
// delayed calls keep their remaining delay across the change of clock.
class VirtualClock : public Clock {
public:
    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::int64_t now() const override { return now_.load(); }
    void wakeAt(std::int64_t) override {}

    // Moves time on and enqueues every delayed call now due on its queue; run them with drainMainQueue.
    void advance(Nanoseconds delta);

private:
    std::atomic<std::int64_t> now_{0};
    Clock* previous_;
};

// The clock delayed calls run on now.
Clock& currentClock();

namespace detail {
struct PendingCall;
}

// Cancels a delayed call until it has started. Copies refer to the same call; destroying it cancels nothing.
class DelayedCall {
public:
    DelayedCall() = default;
    explicit DelayedCall(std::shared_ptr<detail::PendingCall> call) : call_(std::move(call)) {}

    void cancel();
    // Not yet run and not cancelled.
    bool isPending() const;

private:
    std::shared_ptr<detail::PendingCall> call_;
};

bool isMainThread();

void performOnMainThread(std::function<void()> call);
void performOnBackgroundThread(std::function<void()> call);
DelayedCall performOnMainThreadAfterDelay(std::function<void()> call, Nanoseconds delay);
DelayedCall performOnBackgroundThreadAfterDelay(std::function<void()> call, Nanoseconds delay);

// Runs work on the background queue and hands its result to done on the main queue.
template <class Work, class Done>
void performInBackground(Work work, Done done)
{
    performOnBackgroundThread([work = std::move(work), done = std::move(done)]() mutable {
        auto result = work();
        performOnMainThread(
            [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); });
    });
}

// Main thread only: runs the main queue until it is empty, including calls enqueued meanwhile (bounded,
// so a call that keeps re-enqueueing itself cannot hang the caller). For tests and orderly shutdown.
void drainMainQueue();

// Owns the delayed main-queue calls made through it: they are cancelled when it is destroyed or on
// request, so no late call reaches a freed object. Use as a base class or a member; main thread only.
// A copy owns none of the original's calls.
class DelayedCallOwner {
public:
    DelayedCallOwner() = default;
    DelayedCallOwner(const DelayedCallOwner&) {}
    DelayedCallOwner& operator=(const DelayedCallOwner&) { return *this; }
    ~DelayedCallOwner();

    // `tag` names the request for the selective cancel below (a selector, in Cocoa's terms).
    DelayedCall performAfterDelay(std::function<void()> call, Nanoseconds delay, const QString& tag = {});
    void cancelPreviousPerformRequests();
    void cancelPreviousPerformRequests(const QString& tag);

private:
    std::vector<std::pair<QString, DelayedCall>> pending_;
};

} // namespace pf
