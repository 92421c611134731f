#include "platform/large_pages.h"

namespace tamsolo {

// Windows gives large pages only to a process holding the lock-pages privilege, which the
// program neither has nor asks for.
void AdviseLargePages(void*, size_t) noexcept {}

}  // namespace tamsolo
