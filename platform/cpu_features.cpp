#include "platform/cpu_features.h"

namespace tamsolo {

bool Avx2Available() {
  static const bool kAvailable = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return kAvailable;
}

}  // namespace tamsolo
