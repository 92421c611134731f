#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_source.h"
#include "decode/decoders.h"
#include "platform/paths.h"

namespace tamsolo {

// One queued image: a file, or an entry of a dropped archive.
struct SourceRef {
  // What the queue sorts by and shows: the file's path, or for an entry
  // "<archive path><delimiter><inner path>" with the inner path's separators the style's.
  std::string path;
  std::shared_ptr<ArchiveSource> archive;  // null for a file
  size_t entry = 0;
  std::string innerPath;  // the entry's name as front-end text; empty for a file

  bool InArchive() const { return archive != nullptr; }
  static SourceRef File(std::string path) { return {std::move(path), nullptr, 0, {}}; }
};

// The image, decoded from the file or from the entry's bytes, with the same limit either way
// (an entry's bytes count against it as a file's do).
RgbImage DecodeSource(const SourceRef& source, uint64_t memoryLimit, DecodeNotes* notes,
                      InputSet inputs);
// The same from an entry's bytes read already (EntryBytes), for a caller that may decode twice
// and must not read a forward-only archive twice; a file is read here as above.
ByteBuffer EntryBytes(const SourceRef& source);
RgbImage DecodeSource(const SourceRef& source, std::span<const uint8_t> entryBytes,
                      uint64_t memoryLimit, DecodeNotes* notes, InputSet inputs);

// The base name its pages are named after: an entry's made one the file system can hold.
std::string PageBaseName(const SourceRef& source, PathStyle style);

}  // namespace tamsolo
