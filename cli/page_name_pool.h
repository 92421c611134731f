#pragma once

#include <set>
#include <string>

#include "platform/paths.h"

namespace tamsolo {

// The page file names one run has written into its output folder, so that a later page of
// the same name gets a "_2", "_3", ... form instead of replacing it. Windows names compare
// without letter case, as its file system does.
class PageNamePool {
 public:
  explicit PageNamePool(PathStyle style) : style_(style) {}

  // name if nothing of that name was written, otherwise the first free "stem_k.ext", k >= 2.
  std::string FreeName(const std::string& name) const;
  void Take(const std::string& name);

 private:
  std::string Key(const std::string& name) const;
  bool Taken(const std::string& name) const { return taken_.count(Key(name)) != 0; }

  PathStyle style_;
  std::set<std::string> taken_;
};

}  // namespace tamsolo
