// Giving freed memory back to the system. The allocator keeps what a large piece of work freed (the
// value tree and bytes of a document read or saved) resident for reuse; a document keeps nothing of
// them, so after such work the process lets the system have the pages back.
#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace pf {

// On the background queue: the allocator's free pages go back to the system (a no-op where the C
// library has no way to ask).
void returnFreedMemoryInBackground();

// On the background queue: runs `release` (which frees something large), then gives the pages back.
void freeInBackground(std::function<void()> release);

// Frees the value on the background queue (a large value tree takes a while to free, and nobody waits
// for it), then gives the pages back.
template <class T>
void freeInBackground(T&& garbage)
{
    auto held = std::make_shared<std::decay_t<T>>(std::forward<T>(garbage));
    freeInBackground(std::function<void()>([held = std::move(held)]() mutable { held.reset(); }));
}

} // namespace pf
