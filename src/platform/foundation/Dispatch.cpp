#include "platform/foundation/Dispatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <map>
#include <mutex>

namespace pf {

namespace detail {

struct PendingCall {
    std::function<void()> call;
    bool background = false;
    std::pair<std::int64_t, std::uint64_t> key; // due time, sequence: the timer list's order
    std::atomic<bool> cancelled{false};
    std::atomic<bool> started{false};
};

} // namespace detail

namespace {

// ---- main queue: one posted event per call ----

int callEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

class CallEvent : public QEvent {
public:
    explicit CallEvent(std::function<void()> call)
        : QEvent(static_cast<QEvent::Type>(callEventType())), call_(std::move(call))
    {
    }
    std::function<void()> call_;
};

std::atomic<int> queuedMainCalls{0};

class MainQueueReceiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != callEventType())
            return QObject::event(e);
        --queuedMainCalls;
        // Moved out first, so the closure's captures are released once it has run.
        std::function<void()> call = std::move(static_cast<CallEvent*>(e)->call_);
        call();
        return true;
    }
};

MainQueueReceiver* mainReceiver()
{
    static MainQueueReceiver* receiver = [] {
        Q_ASSERT_X(QCoreApplication::instance(), "pf::dispatch", "the main queue needs a QCoreApplication");
        auto* r = new MainQueueReceiver; // lives as long as the process
        r->moveToThread(QCoreApplication::instance()->thread());
        return r;
    }();
    return receiver;
}

void enqueueMain(std::function<void()> call)
{
    ++queuedMainCalls;
    QCoreApplication::postEvent(mainReceiver(), new CallEvent(std::move(call)));
}

// ---- clocks and the timer list ----

class RealClock : public Clock {
public:
    RealClock() { elapsed_.start(); }
    std::int64_t now() const override { return elapsed_.nsecsElapsed(); }
    void wakeAt(std::int64_t due) override;

private:
    QElapsedTimer elapsed_;
    QTimer* timer_ = nullptr; // main thread only
};

struct Timers {
    std::mutex mutex;
    std::map<std::pair<std::int64_t, std::uint64_t>, std::shared_ptr<detail::PendingCall>> pending;
    std::uint64_t sequence = 0;
    RealClock realClock;
    Clock* clock = &realClock;
};

Timers& timers()
{
    static Timers* t = new Timers; // never destroyed: delayed calls may be scheduled during exit
    return *t;
}

void runPending(const std::shared_ptr<detail::PendingCall>& p)
{
    if (p->cancelled.load() || p->started.exchange(true))
        return;
    std::function<void()> call = std::move(p->call);
    call();
}

void armClock();

// Moves every call due now, in order, to its queue; then arms the clock for the next one.
void fireDueCalls()
{
    std::vector<std::shared_ptr<detail::PendingCall>> due;
    {
        Timers& t = timers();
        std::lock_guard lock(t.mutex);
        const std::int64_t now = t.clock->now();
        auto it = t.pending.begin();
        while (it != t.pending.end() && it->first.first <= now) {
            due.push_back(std::move(it->second));
            it = t.pending.erase(it);
        }
    }
    for (auto& p : due) {
        if (p->background)
            QThreadPool::globalInstance()->start([p] { runPending(p); });
        else
            enqueueMain([p] { runPending(p); });
    }
    armClock();
}

void armClock()
{
    Timers& t = timers();
    std::int64_t earliest = 0;
    Clock* clock = nullptr;
    {
        std::lock_guard lock(t.mutex);
        if (t.pending.empty())
            return;
        earliest = t.pending.begin()->first.first;
        clock = t.clock;
    }
    clock->wakeAt(earliest);
}

void RealClock::wakeAt(std::int64_t due)
{
    if (!isMainThread()) {
        enqueueMain([] { armClock(); });
        return;
    }
    if (!timer_) {
        timer_ = new QTimer; // lives as long as the process, like the timer list
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, [] { fireDueCalls(); });
    }
    const std::int64_t wait = std::max<std::int64_t>(0, due - now());
    // Whole milliseconds, rounded up: firing early would only re-arm.
    const std::int64_t ms = std::min<std::int64_t>((wait + 999'999) / 1'000'000, std::numeric_limits<int>::max());
    timer_->start(static_cast<int>(ms));
}

void installClock(Clock* clock)
{
    Timers& t = timers();
    {
        std::lock_guard lock(t.mutex);
        Clock* next = clock ? clock : &t.realClock;
        // Pending calls keep their remaining delay on the new time scale.
        const std::int64_t shift = next->now() - t.clock->now();
        decltype(t.pending) rebased;
        for (auto& [key, p] : t.pending) {
            p->key = {key.first + shift, key.second};
            rebased.emplace(p->key, std::move(p));
        }
        t.pending = std::move(rebased);
        t.clock = next;
    }
    armClock();
}

DelayedCall schedule(std::function<void()> call, Nanoseconds delay, bool background)
{
    auto p = std::make_shared<detail::PendingCall>();
    p->call = std::move(call);
    p->background = background;
    bool dueNow = false;
    {
        Timers& t = timers();
        std::lock_guard lock(t.mutex);
        const std::int64_t now = t.clock->now();
        const std::int64_t d = std::max<std::int64_t>(0, delay.count());
        const std::int64_t due = d > std::numeric_limits<std::int64_t>::max() - now ? std::numeric_limits<std::int64_t>::max() : now + d;
        p->key = {due, t.sequence++};
        t.pending.emplace(p->key, p);
        dueNow = due <= now;
    }
    if (dueNow)
        fireDueCalls();
    else
        armClock();
    return DelayedCall(std::move(p));
}

} // namespace

// ---- public interface ----

Clock::~Clock() = default;

VirtualClock::VirtualClock() : previous_(&currentClock())
{
    installClock(this);
}

VirtualClock::~VirtualClock()
{
    installClock(previous_ == &timers().realClock ? nullptr : previous_);
}

void VirtualClock::advance(Nanoseconds delta)
{
    now_ += std::max<std::int64_t>(0, delta.count());
    fireDueCalls();
}

Clock& currentClock()
{
    Timers& t = timers();
    std::lock_guard lock(t.mutex);
    return *t.clock;
}

void DelayedCall::cancel()
{
    if (!call_)
        return;
    call_->cancelled = true;
    Timers& t = timers();
    std::lock_guard lock(t.mutex);
    const auto found = t.pending.find(call_->key);
    if (found != t.pending.end() && found->second == call_)
        t.pending.erase(found);
}

bool DelayedCall::isPending() const
{
    return call_ && !call_->cancelled.load() && !call_->started.load();
}

bool isMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void performOnMainThread(std::function<void()> call)
{
    enqueueMain(std::move(call));
}

void performOnBackgroundThread(std::function<void()> call)
{
    QThreadPool::globalInstance()->start(std::move(call));
}

DelayedCall performOnMainThreadAfterDelay(std::function<void()> call, Nanoseconds delay)
{
    return schedule(std::move(call), delay, false);
}

DelayedCall performOnBackgroundThreadAfterDelay(std::function<void()> call, Nanoseconds delay)
{
    return schedule(std::move(call), delay, true);
}

void drainMainQueue()
{
    Q_ASSERT(isMainThread());
    MainQueueReceiver* receiver = mainReceiver();
    for (int round = 0; round < 10'000 && queuedMainCalls.load() > 0; ++round)
        QCoreApplication::sendPostedEvents(receiver, callEventType());
}

DelayedCallOwner::~DelayedCallOwner()
{
    cancelPreviousPerformRequests();
}

DelayedCall DelayedCallOwner::performAfterDelay(std::function<void()> call, Nanoseconds delay, const QString& tag)
{
    // Forget the calls that have run, so a long-lived owner's list stays short.
    std::erase_if(pending_, [](const auto& entry) { return !entry.second.isPending(); });
    DelayedCall handle = performOnMainThreadAfterDelay(std::move(call), delay);
    pending_.emplace_back(tag, handle);
    return handle;
}

void DelayedCallOwner::cancelPreviousPerformRequests()
{
    for (auto& entry : pending_)
        entry.second.cancel();
    pending_.clear();
}

void DelayedCallOwner::cancelPreviousPerformRequests(const QString& tag)
{
    std::erase_if(pending_, [&tag](auto& entry) {
        if (entry.first != tag)
            return false;
        entry.second.cancel();
        return true;
    });
}

} // namespace pf
