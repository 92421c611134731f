#include <locale.h>

#include "archive/header_text.h"

namespace tamsolo {

// libarchive on Windows takes the C locale for a code page of its own that holds ASCII only,
// so a name it reads as UTF-8 (a flagged ZIP name) would come back as none. The system's ANSI
// code page as the thread's locale gives it a code page to convert through; names still come
// back as UTF-8, through the wide form it keeps.
HeaderTextScope::HeaderTextScope()
    : savedThreadMode_(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
  if (const char* name = setlocale(LC_CTYPE, nullptr))
    savedName_ = name;
  setlocale(LC_CTYPE, "");
}

HeaderTextScope::~HeaderTextScope() {
  setlocale(LC_CTYPE, savedName_.empty() ? "C" : savedName_.c_str());
  _configthreadlocale(savedThreadMode_);
}

}  // namespace tamsolo
