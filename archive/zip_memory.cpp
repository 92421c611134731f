// ZIP: the central directory at the end lists every entry's method; where the method's
// decoder has a size of its own (LZMA, XZ, PPMd, Zstandard), it is read from the first bytes
// of the entry's data, after its local header.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "archive/format_memory.h"
#include "archive/header_bytes.h"
#include "archive/lzma_memory.h"
#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

constexpr const char* kWhat = "its ZIP directory";
constexpr uint64_t kEndBytes = 22, kMostComment = 0xFFFF;
constexpr uint64_t kZip64EndBytes = 56, kZip64LocatorBytes = 20;

struct Directory {
  uint64_t at = 0;    // where it is in the file
  uint64_t size = 0;  // bytes
  int64_t shift = 0;  // what the offsets it holds are off by (a program before the archive)
};

bool HasSignature(std::span<const uint8_t> bytes, size_t at, const char* signature) {
  return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, signature, 4) == 0;
}

// The directory found from its end record, the last one in the file's last 64 KiB and a bit;
// ZIP64's record, when there is one, just before.
Directory FindDirectory(FileReader& file) {
  const uint64_t tailAt = file.Size() - std::min(file.Size(), kEndBytes + kMostComment);
  const std::vector<uint8_t> tail = ReadUpTo(file, tailAt, kEndBytes + kMostComment);
  size_t end = tail.size() < kEndBytes ? 0 : tail.size() - kEndBytes + 1;
  while (end-- > 0 && !HasSignature(tail, end, "PK\5\6")) {
  }
  if (end == SIZE_MAX)
    throw Error(std::string(kWhat) + " is not found");
  HeaderBytes fields(std::span<const uint8_t>(tail).subspan(end + 12), kWhat);
  uint64_t size = fields.Little(4);
  uint64_t offset = fields.Little(4);
  uint64_t endAt = tailAt + end;
  if (endAt >= kZip64EndBytes + kZip64LocatorBytes) {
    const uint64_t zip64At = endAt - kZip64LocatorBytes - kZip64EndBytes;
    const std::vector<uint8_t> zip64 = ReadUpTo(file, zip64At, kZip64EndBytes);
    if (HasSignature(zip64, 0, "PK\6\6")) {
      HeaderBytes wide(std::span<const uint8_t>(zip64).subspan(40), kWhat);
      size = wide.Little(8);
      offset = wide.Little(8);
      endAt = zip64At;
    }
  }
  if (size > endAt)
    throw Error(std::string(kWhat) + " is cut short");
  return {endAt - size, size, static_cast<int64_t>(endAt - size - offset)};
}

// The first bytes of an entry's data, found through its local header.
std::vector<uint8_t> DataStart(FileReader& file, uint64_t local, size_t count) {
  const std::vector<uint8_t> header = ReadUpTo(file, local, 30);
  if (!HasSignature(header, 0, "PK\3\4") || header.size() < 30)
    throw Error("its ZIP entry's local header is not found");
  HeaderBytes lengths(std::span<const uint8_t>(header).subspan(26), "its ZIP entry's local header");
  const uint64_t skip = lengths.Little(2) + lengths.Little(2);
  return ReadUpTo(file, local + 30 + skip, count);
}

// Zstandard's frame header: the window its decoder keeps, and a block or two more.
uint64_t ZstdMemory(std::span<const uint8_t> data) {
  HeaderBytes frame(data, "its ZIP entry's Zstandard header");
  if (frame.Little(4) != 0xFD2FB528)
    frame.Fail("has no Zstandard frame");
  const uint8_t descriptor = frame.Byte();
  constexpr uint64_t kBlocks = uint64_t{256} << 10;
  if ((descriptor & 0x20) == 0) {
    const uint8_t window = frame.Byte();
    const uint64_t base = uint64_t{1} << (10 + (window >> 3));
    return base + (base >> 3) * (window & 7) + kBlocks;
  }
  // A single segment: the window is the content, whose size follows the dictionary id.
  constexpr size_t kIdBytes[] = {0, 1, 2, 4}, kSizeBytes[] = {1, 2, 4, 8};
  frame.Skip(kIdBytes[descriptor & 3]);
  const size_t sizeBytes = kSizeBytes[descriptor >> 6];
  return frame.Little(sizeBytes) + (sizeBytes == 2 ? 256 : 0) + kBlocks;
}

// ZIP64's extra field holds the 8-byte forms of the central header's fields set to all ones,
// in order: unpacked size, packed size, the local header's offset.
uint64_t Zip64Offset(FileReader& file, uint64_t extraAt, uint64_t extraBytes,
                     std::span<const uint8_t> header) {
  const std::vector<uint8_t> extra = ReadHeader(file, extraAt, extraBytes, kWhat);
  HeaderBytes fields(extra, kWhat);
  while (fields.Left() >= 4) {
    const uint64_t tag = fields.Little(2);
    HeaderBytes field(fields.Take(fields.Little(2)), kWhat);
    if (tag != 1)
      continue;
    HeaderBytes central(header.subspan(20), kWhat);
    const uint64_t packed = central.Little(4), unpacked = central.Little(4);
    field.Skip((unpacked == 0xFFFFFFFF ? 8u : 0u) + (packed == 0xFFFFFFFF ? 8u : 0u));
    return field.Little(8);
  }
  throw Error(std::string(kWhat) + " has no ZIP64 offset for an entry");
}

uint64_t EntryMemory(FileReader& file, uint64_t method, uint64_t local) {
  constexpr uint64_t kDeflate = 8, kBzip2 = 12, kLzma = 14, kZstd = 93, kXz = 95, kPpmd = 98;
  switch (method) {
    case kDeflate:
      return kInflateMemory;
    case kBzip2:
      return kBzip2Memory;
    case kLzma: {
      // The LZMA SDK's version (2 bytes), the properties' size (2), then the properties.
      const std::vector<uint8_t> start = DataStart(file, local, 9);
      HeaderBytes bytes(start, "its ZIP entry's LZMA header");
      bytes.Skip(4);
      return LzmaCoderMemory(false, bytes.Take(5), "its ZIP entry's LZMA header");
    }
    case kXz:
      return XzStreamMemory(DataStart(file, local, 12 + 1024), "its ZIP entry's XZ data");
    case kPpmd: {
      // Order (4 bits), then the model's size in MiB less one (8 bits), allocated whole.
      const std::vector<uint8_t> start = DataStart(file, local, 2);
      HeaderBytes bytes(start, "its ZIP entry's PPMd header");
      return (((bytes.Little(2) >> 4) & 0xFF) + 1) << 20;
    }
    case kZstd:
      return ZstdMemory(DataStart(file, local, 18));
  }
  // Stored, or a method the reader cannot unpack: it allocates nothing for it and refuses
  // the entry.
  return 0;
}

}  // namespace

uint64_t ZipMemory(FileReader& file) {
  const Directory directory = FindDirectory(file);
  uint64_t memory = 0;
  for (uint64_t at = directory.at; at < directory.at + directory.size;) {
    const std::vector<uint8_t> header = ReadHeader(file, at, 46, kWhat);
    if (!HasSignature(header, 0, "PK\1\2"))
      throw Error(std::string(kWhat) + " holds an entry without its signature");
    HeaderBytes fields(std::span<const uint8_t>(header).subspan(8), kWhat);
    const uint64_t flags = fields.Little(2);
    const uint64_t method = fields.Little(2);
    fields.Skip(16);  // time, checksum, sizes
    const uint64_t nameBytes = fields.Little(2), extraBytes = fields.Little(2);
    const uint64_t commentBytes = fields.Little(2);
    fields.Skip(8);  // disk, attributes
    uint64_t local = fields.Little(4);
    if (local == 0xFFFFFFFF)
      local = Zip64Offset(file, at + 46 + nameBytes, extraBytes, header);
    // An encrypted entry is never unpacked: no password is asked for.
    if ((flags & 1) == 0)
      memory = std::max(memory,
                        EntryMemory(file, method, local + static_cast<uint64_t>(directory.shift)));
    at += 46 + nameBytes + extraBytes + commentBytes;
  }
  return memory;
}

}  // namespace tamsolo
