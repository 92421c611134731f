#include "platform/file_bytes.h"

#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  FileReader file(path);
  if (file.Size() > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t count = file.Read(bytes.data() + done, bytes.size() - done);
    if (count == 0)
      break;  // the file shrank meanwhile: what is there is what is decoded
    done += count;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tamsolo
