#include "platform/paths.h"

namespace tamsolo {

PathStyle NativePathStyle() {
  return PathStyle::Windows;
}

}  // namespace tamsolo
