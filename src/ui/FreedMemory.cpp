#include "ui/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kw::ui {

void FreedMemory::mapLargeBlocks()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
}

void FreedMemory::giveBack()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace kw::ui
