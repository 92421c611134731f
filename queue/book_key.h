#pragma once

#include <string>
#include <string_view>

#include "job/source_ref.h"
#include "platform/paths.h"

namespace tamsolo {

// The book key of a source path: its parent folder name and the delimiter ("vol1\" for
// C:\scans\vol1\p001.jpg, "\" alone for a file in a drive's root).
std::string BookKeyOf(std::string_view path, PathStyle style);

// Which book a queued image goes to: the parent folder's name for a file; for an archive
// entry, the archive's title whatever folders it holds, and the archive itself, so that it
// never joins a folder or another archive of the same name.
struct BookSource {
  std::string key;      // as BookKeyOf gives, for an archive "<title><delimiter>"
  std::string archive;  // the archive's path; empty for a file
  bool operator==(const BookSource&) const = default;
};
BookSource BookSourceOf(const SourceRef& source, PathStyle style);

// The title a book gets: its key without the trailing delimiter (a 0x5C trail byte stays).
std::string BookTitleOf(std::string_view bookKey, PathStyle style);

}  // namespace tamsolo
