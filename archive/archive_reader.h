#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/byte_buffer.h"

namespace tamsolo {

// One entry of an archive, in the order the archive stores it.
struct ArchiveEntry {
  size_t index = 0;
  // UTF-8 where the format marks the name as Unicode or it is valid UTF-8; otherwise the
  // name's bytes as stored (nameIsUtf8 false), which the caller reads as CP932.
  std::string name;
  bool nameIsUtf8 = false;
  int64_t size = -1;  // declared; -1 when the header does not say
  bool encrypted = false;
  bool regularFile = true;
};

// One archive read forward, as its compressed or solid formats can only be read: the entries'
// headers once, then each entry's bytes in storage order. An entry before the last one read
// costs one stated re-read from the start. Nothing is unpacked to disk. Errors name the
// archive and, where there is one, the entry.
class ArchiveReader {
 public:
  // memoryLimit bounds one entry's bytes; an entry that inflates past it is refused.
  ArchiveReader(std::string path, uint64_t memoryLimit);
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Every entry's header, read once; throws Error when the archive cannot be opened or is
  // damaged before its first entry. A damaged later part ends the list: damage() says why.
  const std::vector<ArchiveEntry>& Entries();
  const std::string& Damage() const { return damage_; }

  // The bytes of entry index. Throws Error for an encrypted or damaged entry or one past the
  // memory limit; the reader stays usable for the entries after it. betweenPieces, when set,
  // is called before each MiB is inflated; what it throws ends the read.
  ByteBuffer Read(size_t index, const std::function<void()>& betweenPieces = {});
  // Closes the archive until an entry is read again.
  void Close();
  // How many times the archive was opened for its data (1 while read in order).
  int Opens() const { return opens_; }

 private:
  struct Handle;
  void Open(bool forData);
  std::string Where(const ArchiveEntry* entry) const;

  std::string path_;
  uint64_t memoryLimit_;
  std::vector<ArchiveEntry> entries_;
  bool listed_ = false;
  std::string damage_;
  std::unique_ptr<Handle> handle_;
  size_t next_ = 0;  // the entry the open handle reads next
  int opens_ = 0;
};

}  // namespace tamsolo
