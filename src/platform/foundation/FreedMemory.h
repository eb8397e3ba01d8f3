// Giving freed memory back to the system. The allocator keeps what a large piece of work freed (the
// value tree and bytes of a document read or saved) resident for reuse; a document keeps nothing of
// them, so after such work the process lets the system have the pages back.
#pragma once

namespace pf {

// On the background queue: the allocator's free pages go back to the system (a no-op where the C
// library has no way to ask).
void returnFreedMemoryInBackground();

} // namespace pf
