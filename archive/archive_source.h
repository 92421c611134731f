#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

namespace tamsolo {

// One dropped archive as a source of images: listed once, then read forward by whichever
// thread asks, one at a time. The entries that will be asked for are announced as they are
// queued; one passed on the way to a later one is kept in memory (up to bufferLimit bytes in
// all) so that asking for it later costs no re-read. Past that, an earlier entry costs one
// re-read from the archive's start.
class ArchiveSource {
 public:
  // entryLimit bounds one entry's bytes (the decode's memory limit, which they count against).
  ArchiveSource(std::string path, uint64_t entryLimit, uint64_t bufferLimit);

  const std::string& Path() const { return path_; }
  // Throws Error when the archive cannot be opened at all.
  const std::vector<ArchiveEntry>& Entries();
  // Why the listing stopped early; empty when the archive was listed whole.
  const std::string& Damage() const { return reader_.Damage(); }

  // The entry will be asked for once more.
  void Want(size_t index);
  // The entry's bytes; throws the reader's Error (encrypted, damaged, past the limit) or what
  // betweenPieces throws (see ArchiveReader::Read).
  ByteBuffer Read(size_t index, const std::function<void()>& betweenPieces = {});
  int Opens() const { return reader_.Opens(); }

 private:
  struct Kept {
    ByteBuffer bytes;
    std::exception_ptr error;
  };
  void KeepPassed(size_t index, const std::function<void()>& betweenPieces);

  std::string path_;
  uint64_t bufferLimit_;
  std::mutex mutex_;
  ArchiveReader reader_;
  std::map<size_t, int> wanted_;  // entry -> times it will still be asked for
  std::map<size_t, Kept> kept_;
  uint64_t keptBytes_ = 0;
  size_t passed_ = 0;  // entries before this one were passed by the forward read
};

}  // namespace tamsolo
