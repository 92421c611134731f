#include "archive/header_text.h"

#include <archive_entry.h>

namespace tamsolo {

std::string EntryName(archive_entry* entry, bool& isUtf8) {
  const char* utf8 = archive_entry_pathname_utf8(entry);
  isUtf8 = utf8 != nullptr;
  const char* name = utf8 ? utf8 : archive_entry_pathname(entry);
  return name ? name : "";
}

}  // namespace tamsolo
