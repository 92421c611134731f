#include "platform/path_normal.h"

namespace tamsolo {

std::string ResolveParentSteps(const std::string& path) {
  return path;
}

}  // namespace tamsolo
