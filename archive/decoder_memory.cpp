#include "archive/decoder_memory.h"

#include <archive.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/format_memory.h"
#include "archive/header_bytes.h"
#include "archive/lzma_memory.h"
#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

// The compressed stream around a tar, from its first bytes.
uint64_t FilterMemory(FileReader& file, int filter) {
  switch (filter) {
    case ARCHIVE_FILTER_GZIP:
      return kInflateMemory;
    case ARCHIVE_FILTER_BZIP2: {
      // "BZh" and the block size in 100 kB, which sets the decoder's tables.
      const std::vector<uint8_t> start = ReadUpTo(file, 0, 4);
      if (start.size() < 4 || start[3] < '1' || start[3] > '9')
        throw Error("its bzip2 header cannot be read");
      return static_cast<uint64_t>(start[3] - '0') * 100000 * 4 + (uint64_t{64} << 10);
    }
    case ARCHIVE_FILTER_LZMA: {
      // The .lzma header: LZMA1's 5 property bytes (the dictionary's size among them).
      const std::vector<uint8_t> start = ReadUpTo(file, 0, 5);
      return LzmaCoderMemory(false, start, "its .lzma header");
    }
    case ARCHIVE_FILTER_XZ:
      return XzStreamMemory(ReadUpTo(file, 0, 12 + 1024), "its .xz header");
  }
  throw Error("its compression is not one read here");
}

}  // namespace

uint64_t FindSignature(FileReader& file, const char* signature, size_t length, uint64_t from,
                       uint64_t until) {
  constexpr size_t kPiece = size_t{64} << 10;
  for (uint64_t at = from; at < until; at += kPiece - length) {
    const std::vector<uint8_t> piece = ReadUpTo(file, at, kPiece);
    const auto found =
        std::search(piece.begin(), piece.end(), signature, signature + length,
                    [](uint8_t byte, char wanted) { return byte == static_cast<uint8_t>(wanted); });
    if (found != piece.end())
      return at + static_cast<uint64_t>(found - piece.begin());
    if (piece.size() < kPiece)
      break;
  }
  return UINT64_MAX;
}

uint64_t DecoderMemory(FileReader& file, int format, int filter, uint64_t limit) {
  const int base = format & ARCHIVE_FORMAT_BASE_MASK;
  if (filter != ARCHIVE_FILTER_NONE) {
    // Only a tar is read from inside a compressed stream: another format's index would have
    // to be unpacked to be read, and comic archives never come so.
    if (base != ARCHIVE_FORMAT_TAR)
      throw Error("an archive other than tar inside a compressed stream is not read");
    return FilterMemory(file, filter);
  }
  switch (base) {
    case ARCHIVE_FORMAT_TAR:
      return 0;
    case ARCHIVE_FORMAT_ZIP:
      return ZipMemory(file);
    case ARCHIVE_FORMAT_7ZIP:
      return SevenZipMemory(file, limit);
    case ARCHIVE_FORMAT_RAR:
      return Rar4Memory(file);
    case ARCHIVE_FORMAT_RAR_V5:
      return Rar5Memory(file);
  }
  throw Error("its format is not one read here");
}

}  // namespace tamsolo
