#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_buffer.h"

namespace tamsolo {

// A source file read from its start piece by piece, without read-ahead, so that a reader that
// needs only the first bytes reads only those and can say how many it read. It is opened as
// every input is: without blocking and without following a symbolic link at the file's own
// name (POSIX), and only a regular file on a disk is read, so that a FIFO or a device can
// neither hang nor feed the run. The path is in the program's code page.
class FileReader {
 public:
  // Throws Error "Cannot open file "<path>": <reason>" or "Cannot read file "<path>":
  // <reason>" naming the system's reason or the kind of thing the path is.
  explicit FileReader(const std::string& path);
  // Bytes already in memory (an archive entry's), read as the file name would be.
  FileReader(std::string name, ByteBuffer bytes);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // The size when it was opened.
  uint64_t Size() const { return size_; }
  // Up to size bytes at the current position; fewer only at the end of the file. Throws
  // Error "Cannot read file "<path>": <reason>" on a fault.
  size_t Read(void* data, size_t size);
  // The same without throwing, for a C library's callback: -1 on a fault.
  int64_t TryRead(void* data, size_t size) noexcept;
  // Moves forward by count bytes without reading them (past the end is allowed: later reads
  // then give nothing); false on a fault. Never throws.
  bool Skip(uint64_t count) noexcept;
  // Up to count bytes from offset on, whatever the current position; fewer only where the
  // file ends (it may have shrunk since it was opened). Throws as Read does. For readers that
  // jump about: on Windows it moves the current position, so it is not mixed with Read.
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t count);

  uint64_t BytesRead() const { return bytesRead_; }
  const std::string& Path() const { return path_; }

 private:
  int64_t MemoryRead(void* data, size_t size) noexcept;
  size_t MemoryReadAt(uint64_t offset, uint8_t* out, size_t count) noexcept;

  std::string path_;
  bool inMemory_ = false;
  ByteBuffer memory_;
  uint64_t memoryPosition_ = 0;
  intptr_t handle_ = -1;
  uint64_t size_ = 0;
  uint64_t bytesRead_ = 0;
  int lastError_ = 0;  // the system's code of the last failed read
};

}  // namespace tamsolo
