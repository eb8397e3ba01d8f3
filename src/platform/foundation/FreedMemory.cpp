#include "platform/foundation/FreedMemory.h"

#include "platform/foundation/Dispatch.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pf {

void returnFreedMemoryInBackground()
{
    freeInBackground(std::function<void()>());
}

void freeInBackground(std::function<void()> release)
{
    performOnBackgroundThread([release = std::move(release)]() mutable {
        if (release)
            release();
        release = nullptr;
#if defined(__GLIBC__)
        malloc_trim(0);
#endif
    });
}

} // namespace pf
