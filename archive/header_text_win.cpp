#include <archive_entry.h>

#include "archive/header_text.h"

namespace tamsolo {

// libarchive converts names on Windows through the wide API, not the C locale.
HeaderTextScope::HeaderTextScope() = default;
HeaderTextScope::~HeaderTextScope() = default;

std::string EntryName(archive_entry* entry, bool& isUtf8) {
  const char* utf8 = archive_entry_pathname_utf8(entry);
  isUtf8 = utf8 != nullptr;
  const char* name = utf8 ? utf8 : archive_entry_pathname(entry);
  return name ? name : "";
}

}  // namespace tamsolo
