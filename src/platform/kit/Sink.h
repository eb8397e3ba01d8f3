// Replaceable sinks: a service the editor calls (the beep, alerts, the log, running a menu) goes through
// one process-wide slot per sink type, which tests replace for a scope, so no test beeps, blocks on a
// dialog or runs a menu. Each sink type's slot (sinkOf) is defined next to its default.
#pragma once

#include <utility>

namespace pf {

template <class Sink>
Sink& sinkOf();

// Installs a sink for its lifetime and restores the previous one after; scopes nest.
template <class Sink>
class ScopedSink {
public:
    explicit ScopedSink(Sink sink) : previous_(std::exchange(sinkOf<Sink>(), std::move(sink))) {}
    ~ScopedSink() { sinkOf<Sink>() = std::move(previous_); }
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    Sink previous_;
};

} // namespace pf
