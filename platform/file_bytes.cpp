#include "platform/file_bytes.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {

namespace {

// A few milliseconds of reading from a disk cache, many more from a slow disk.
constexpr size_t kPieceBytes = size_t{4} << 20;

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes,
                                   const std::function<void()>& betweenPieces) {
  FileReader file(path);
  if (file.Size() > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  size_t done = 0;
  while (done < bytes.size()) {
    if (betweenPieces)
      betweenPieces();
    const size_t want = std::min(kPieceBytes, bytes.size() - done);
    const size_t got = file.Read(bytes.data() + done, want);
    done += got;
    if (got < want)
      break;  // the file shrank meanwhile: what is there is what is decoded
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tamsolo
