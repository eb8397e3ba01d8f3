#include "platform/foundation/FreedMemory.h"

#include "platform/foundation/Dispatch.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pf {

void returnFreedMemoryInBackground()
{
#if defined(__GLIBC__)
    performOnBackgroundThread([] { malloc_trim(0); });
#endif
}

} // namespace pf
