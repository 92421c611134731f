#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/path_normal.h"

namespace tamsolo {

std::string ResolveParentSteps(const std::string& path) {
  size_t end = std::string::npos;  // just past the last ".." component
  for (size_t at = path.find("/.."); at != std::string::npos; at = path.find("/..", at + 1)) {
    if (at + 3 == path.size() || path[at + 3] == '/')
      end = at + 3;
  }
  if (end == std::string::npos)
    return path;
  const std::unique_ptr<char, decltype(&std::free)> resolved(
      ::realpath(path.substr(0, end).c_str(), nullptr), &std::free);
  if (!resolved)
    return path;
  std::string result = resolved.get();
  if (end < path.size())
    result += (result == "/" ? path.substr(end + 1) : path.substr(end));
  return result;
}

}  // namespace tamsolo
