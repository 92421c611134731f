#include <windows.h>

#include "platform/test_hook.h"

namespace tamsolo {

void EndHere() {
  TerminateProcess(GetCurrentProcess(), 137);
}

// Windows cannot stop a process from inside as SIGSTOP does; the hook then only waits.
void StopHere() {}

}  // namespace tamsolo
