#include "platform/file_bytes.h"

#include <algorithm>

#include "platform/error.h"

namespace tamsolo {

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  InputFile file(path);
  if (file.Size() > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

}  // namespace tamsolo
