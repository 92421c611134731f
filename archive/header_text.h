#pragma once

#include <string>

struct archive_entry;

namespace tamsolo {

// While it lives, libarchive on this thread converts entry names through UTF-8, whatever the
// process's locale: in the C locale it would drop every UTF-8-flagged ZIP name.
class HeaderTextScope {
 public:
  HeaderTextScope();
  ~HeaderTextScope();
  HeaderTextScope(const HeaderTextScope&) = delete;
  HeaderTextScope& operator=(const HeaderTextScope&) = delete;

 private:
  void* saved_ = nullptr;    // POSIX: the thread's locale before
  std::string savedName_;    // Windows: the thread's LC_CTYPE before
  int savedThreadMode_ = 0;  // Windows: whether the thread had its own locale
};

// The entry's name as UTF-8 (true), or its bytes as stored when they are no valid UTF-8 and the
// format does not say they are Unicode (false). Called inside a HeaderTextScope.
std::string EntryName(archive_entry* entry, bool& isUtf8);

}  // namespace tamsolo
