// ZIP: the central directory at the end lists every entry's method; where the method's
// decoder has a size of its own (LZMA, XZ, PPMd, Zstandard), it is read from the first bytes
// of the entry's data, after its local header.
#include <algorithm>
#include <optional>
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
constexpr const char* kLocal = "its ZIP entry's local header";
constexpr uint64_t kEndBytes = 22, kLocalBytes = 30, kCentralBytes = 46;

struct Directory {
  uint64_t at = 0;     // where it is in the file
  uint64_t size = 0;   // bytes
  uint64_t shift = 0;  // what the offsets it holds are off by (a program before the archive)
};

bool HasSignature(std::span<const uint8_t> bytes, size_t at, const char* signature) {
  return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, signature, 4) == 0;
}

// ZIP64's end record, where its locator (just before the end record) says.
std::optional<Directory> Zip64Directory(FileReader& file, std::span<const uint8_t> locator) {
  HeaderBytes fields(locator.subspan(4), kWhat);
  const uint64_t disk = fields.Little(4), recordAt = fields.Little(8), disks = fields.Little(4);
  const std::vector<uint8_t> record = ReadUpTo(file, recordAt, 56);
  if (disk != 0 || disks != 1 || record.size() < 56 || !HasSignature(record, 0, "PK\6\6"))
    return std::nullopt;
  HeaderBytes wide(std::span<const uint8_t>(record).subspan(40), kWhat);
  const uint64_t size = wide.Little(8), offset = wide.Little(8);
  if (offset > file.Size() || size > file.Size() - offset)
    return std::nullopt;
  return Directory{offset, size, 0};
}

// As the reader's seeking half finds it: the last end record in the file's last 16 KiB (but
// not at their very start), taken when its numbers hold together; ZIP64's when a locator
// precedes it. Without one the reader reads the archive as a stream.
std::optional<Directory> FindDirectory(FileReader& file) {
  constexpr uint64_t kTail = uint64_t{16} << 10;
  const uint64_t tailAt = file.Size() - std::min(file.Size(), kTail);
  const std::vector<uint8_t> tail = ReadUpTo(file, tailAt, kTail);
  for (size_t i = tail.size() < kEndBytes ? 0 : tail.size() - kEndBytes; i > 0; --i) {
    if (!HasSignature(tail, i, "PK\5\6"))
      continue;
    if (i >= 20 && HasSignature(tail, i - 20, "PK\6\7")) {
      if (auto wide = Zip64Directory(file, std::span<const uint8_t>(tail).subspan(i - 20, 20)))
        return wide;
    }
    HeaderBytes fields(std::span<const uint8_t>(tail).subspan(i + 4), kWhat);
    const uint64_t disk = fields.Little(2), directoryDisk = fields.Little(2);
    const uint64_t here = fields.Little(2), all = fields.Little(2);
    const uint64_t size = fields.Little(4), offset = fields.Little(4);
    const uint64_t endAt = tailAt + i;
    if (disk != 0 || directoryDisk != 0 || here != all || offset + size > endAt)
      return std::nullopt;
    return Directory{endAt - size, size, endAt - size - offset};
  }
  return std::nullopt;
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

// The decoder of a method, with its size read from the first bytes of the data where it has one.
uint64_t MethodMemory(FileReader& file, uint64_t method, uint64_t data) {
  constexpr uint64_t kDeflate = 8, kBzip2 = 12, kLzma = 14, kZstd = 93, kXz = 95, kPpmd = 98;
  switch (method) {
    case kDeflate:
      return kInflateMemory;
    case kBzip2:
      return kBzip2Memory;
    case kLzma: {
      // The LZMA SDK's version (2 bytes), the properties' size (2), then the properties.
      const std::vector<uint8_t> start = ReadUpTo(file, data, 9);
      HeaderBytes bytes(start, "its ZIP entry's LZMA header");
      bytes.Skip(4);
      return LzmaCoderMemory(false, bytes.Take(5), "its ZIP entry's LZMA header");
    }
    case kXz:
      return XzStreamMemory(ReadUpTo(file, data, 12 + 1024), "its ZIP entry's XZ data");
    case kPpmd: {
      // Order (4 bits), then the model's size in MiB less one (8 bits), allocated whole.
      const std::vector<uint8_t> start = ReadUpTo(file, data, 2);
      HeaderBytes bytes(start, "its ZIP entry's PPMd header");
      return (((bytes.Little(2) >> 4) & 0xFF) + 1) << 20;
    }
    case kZstd:
      return ZstdMemory(ReadUpTo(file, data, 18));
  }
  // Stored, or a method the reader cannot unpack: it allocates nothing for it and refuses
  // the entry.
  return 0;
}

struct Local {
  uint64_t memory = 0;
  uint64_t next = 0;  // where the next local header starts; 0 when the entry does not say
};

// One entry as its local header gives it: the reader goes by its method and flags, not the
// directory's.
Local LocalEntry(FileReader& file, uint64_t at) {
  const std::vector<uint8_t> header = ReadUpTo(file, at, kLocalBytes);
  if (header.size() < kLocalBytes || !HasSignature(header, 0, "PK\3\4"))
    throw Error(std::string(kLocal) + " is not found");
  HeaderBytes fields(std::span<const uint8_t>(header).subspan(6), kLocal);
  const uint64_t flags = fields.Little(2);
  const uint64_t method = fields.Little(2) & 0xFF;  // the reader keeps only its low byte
  fields.Skip(8);                                   // time, checksum
  const uint64_t packed = fields.Little(4);
  fields.Skip(4);  // unpacked size
  const uint64_t nameBytes = fields.Little(2), extraBytes = fields.Little(2);
  const uint64_t data = at + kLocalBytes + nameBytes + extraBytes;
  Local entry;
  // An encrypted entry is never unpacked: no password is asked for.
  if ((flags & 1) == 0)
    entry.memory = MethodMemory(file, method, data);
  // Bit 3: the sizes follow the data, and only unpacking finds its end.
  if ((flags & 8) == 0 && packed != 0xFFFFFFFF)
    entry.next = data + packed;
  return entry;
}

// Where the streaming half goes on after an entry of known size: it looks ahead from the end
// of its data for the next local header, and ends at a directory or end record met first.
uint64_t NextLocalHeader(FileReader& file, uint64_t from) {
  const uint64_t local = FindSignature(file, "PK\3\4", 4, from, UINT64_MAX);
  if (local == from)
    return local;  // the usual case: nothing lies between, so no other signature is looked for
  for (const char* end : {"PK\1\2", "PK\5\6", "PK\6\6"}) {
    if (FindSignature(file, end, 4, from, local) < local)
      return UINT64_MAX;
  }
  return local;
}

// As the reader's streaming half reads it: local headers one after another; past an entry
// whose size is not said, any later local header may be the next one, so every one is read.
uint64_t StreamedMemory(FileReader& file) {
  uint64_t memory = 0;
  for (uint64_t at = FindSignature(file, "PK\3\4", 4); at < file.Size();) {
    const Local entry = LocalEntry(file, at);
    memory = std::max(memory, entry.memory);
    at = entry.next != 0 ? NextLocalHeader(file, entry.next)
                         : FindSignature(file, "PK\3\4", 4, at + 4, UINT64_MAX);
  }
  return memory;
}

}  // namespace

uint64_t ZipMemory(FileReader& file) {
  const std::optional<Directory> directory = FindDirectory(file);
  if (!directory)
    return StreamedMemory(file);
  uint64_t memory = 0;
  for (uint64_t at = directory->at; at < directory->at + directory->size;) {
    const std::vector<uint8_t> header = ReadHeader(file, at, kCentralBytes, kWhat);
    if (!HasSignature(header, 0, "PK\1\2"))
      throw Error(std::string(kWhat) + " holds an entry without its signature");
    HeaderBytes fields(std::span<const uint8_t>(header).subspan(28), kWhat);
    const uint64_t nameBytes = fields.Little(2), extraBytes = fields.Little(2);
    const uint64_t commentBytes = fields.Little(2);
    fields.Skip(8);  // disk, attributes
    uint64_t local = fields.Little(4);
    if (local == 0xFFFFFFFF)
      local = Zip64Offset(file, at + kCentralBytes + nameBytes, extraBytes, header);
    memory = std::max(memory, LocalEntry(file, local + directory->shift).memory);
    at += kCentralBytes + nameBytes + extraBytes + commentBytes;
  }
  return memory;
}

}  // namespace tamsolo
