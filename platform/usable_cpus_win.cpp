#include <windows.h>

#include <bit>

#include "platform/usable_cpus.h"

namespace tamsolo {

int UsableCpuCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0)
    return 1;
  return std::popcount(static_cast<unsigned long long>(process));
}

}  // namespace tamsolo
