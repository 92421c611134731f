#include "platform/paths.h"

namespace tamsolo {

PathStyle NativePathStyle() {
  return PathStyle::Posix;
}

}  // namespace tamsolo
