#include <sys/mman.h>

#include "platform/large_pages.h"

namespace tamsolo {

void AdviseLargePages(void* start, size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
  madvise(start, bytes, MADV_HUGEPAGE);  // refused where the system has none: a hint only
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace tamsolo
