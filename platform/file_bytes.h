#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamsolo {

// A file opened for reading (path in the program's code page). Only a regular file on a disk
// is accepted: a folder, a FIFO or a device is refused (they could block or never end), and
// on POSIX so is a symbolic link at the file's own name, which is not followed; opening never
// blocks on a FIFO. Failures throw Error naming the path and the system's reason.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& Path() const { return path_; }
  // The size when the file was opened.
  uint64_t Size() const { return size_; }
  // Copies up to count bytes from offset into out; fewer only where the file ends (it may
  // have shrunk since it was opened).
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t count);

 private:
  std::string path_;
  intptr_t handle_;
  uint64_t size_ = 0;
};

// Reads a whole file with InputFile's rules. Throws Error also when it is larger than
// maxBytes. A file that shrinks meanwhile gives what is left. betweenPieces, when set, is
// called before each piece of a few MiB; what it throws ends the read.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes,
                                   const std::function<void()>& betweenPieces = {});

}  // namespace tamsolo
