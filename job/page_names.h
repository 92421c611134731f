#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <set>
#include <string>

#include "platform/paths.h"

namespace tamsolo {

// The page file names taken in one scope (a book of the scheduler, or a whole `pages` run),
// so that a later page of the same name gets "<base>_2.bmp", "<base>_3.bmp", ... instead of
// replacing one. With folding, ASCII letters compare without case (as on Windows' file
// system); in the Windows style a double-byte character's trail byte is never folded.
class PageNames {
 public:
  enum class Folding { None, AsciiCase };

  // Whether something on disk has the name already; such a name is never free.
  using OnDisk = std::function<bool(const std::string& name)>;

  // Names longer than room bytes are shortened (the command line); the window has no room
  // set, so such a name fails as its write does.
  PageNames(PathStyle style, Folding folding, OnDisk onDisk = {},
            size_t room = std::numeric_limits<size_t>::max())
      : style_(style), folding_(folding), onDisk_(std::move(onDisk)), room_(room) {}

  // name if it is free, otherwise the first free "<base>_k<ext>", k >= 2. A name longer than
  // room loses the end of its base, keeping a page number "-v", the "_k" and the extension.
  std::string FreeName(const std::string& name) const;
  void Take(const std::string& name);
  // Starts a new scope: every name is free again.
  void Clear() { taken_.clear(); }

 private:
  std::string Key(const std::string& name) const;
  bool Taken(const std::string& name) const {
    return taken_.count(Key(name)) != 0 || (onDisk_ && onDisk_(name));
  }

  PathStyle style_;
  Folding folding_;
  OnDisk onDisk_;
  size_t room_;
  std::set<std::string> taken_;
};

}  // namespace tamsolo
