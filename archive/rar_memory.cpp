// RAR4 and RAR5: block headers one after another from the signature on, each followed by its
// data, which is skipped. A file's header says the window its decompressor keeps. The walk
// ends at the end block, at the file's end (a cut archive keeps what lies before the cut) or
// where the headers are encrypted (the reader refuses such an archive anyway).
#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "archive/format_memory.h"
#include "archive/header_bytes.h"
#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

constexpr uint64_t kRar5MostHeader = uint64_t{2} << 20;  // RAR5's own bound on a header

uint64_t AfterSignature(FileReader& file, const char* signature, size_t length) {
  const uint64_t at = FindSignature(file, signature, length);
  if (at == UINT64_MAX)
    throw Error("its RAR signature is not found");
  return at + length;
}

// RAR4's reader sizes its window from the entry's unpacked size, up to 4 MiB, whatever the
// header's dictionary bits say; the larger of the two counts.
uint64_t Rar4Window(uint64_t dictionaryBits, uint64_t unpackedSize) {
  constexpr uint64_t kMostWindow = uint64_t{4} << 20;
  uint64_t window = kMostWindow;
  if (unpackedSize < kMostWindow)
    window = unpackedSize == 0 ? 0 : std::bit_floor(unpackedSize) << 1;
  return std::max(window, (uint64_t{64} << 10) << dictionaryBits);
}

}  // namespace

// RAR4's PPMd model size is set inside the packed stream, not in a header, and is not read
// here: it is not counted.
uint64_t Rar4Memory(FileReader& file) {
  constexpr uint8_t kMain = 0x73, kFile = 0x74, kEndBlock = 0x7B;
  constexpr uint16_t kLongBlock = 0x8000, kEncryptedHeaders = 0x0080, kLargeFile = 0x0100;
  constexpr uint8_t kStored = 0x30;
  uint64_t memory = 0;
  for (uint64_t at = AfterSignature(file, "Rar!\x1A\x07\x00", 7);;) {
    const std::vector<uint8_t> base = ReadUpTo(file, at, 7);
    if (base.size() < 7)
      return memory;
    HeaderBytes fields(base, "its RAR header");
    fields.Skip(2);
    const uint8_t type = fields.Byte();
    const auto flags = static_cast<uint16_t>(fields.Little(2));
    const uint64_t size = fields.Little(2);
    if (size < 7)
      fields.Fail("is shorter than its fields");
    const std::vector<uint8_t> header = ReadUpTo(file, at, static_cast<size_t>(size));
    if (header.size() < size || type == kEndBlock || (type == kMain && (flags & kEncryptedHeaders)))
      return memory;
    HeaderBytes bytes(std::span<const uint8_t>(header).subspan(7), "its RAR header");
    // A file's packed size sits where other blocks keep the size of their data.
    uint64_t data = (flags & kLongBlock) || type == kFile ? bytes.Little(4) : 0;
    if (type == kFile) {
      uint64_t unpacked = bytes.Little(4);
      bytes.Skip(10);  // host system, checksum, time, version
      const uint8_t method = bytes.Byte();
      bytes.Skip(6);  // name size, attributes
      if (flags & kLargeFile) {
        data |= bytes.Little(4) << 32;
        unpacked |= bytes.Little(4) << 32;
      }
      const unsigned dictionaryBits = (flags >> 5) & 7;  // 7: a folder
      if (dictionaryBits != 7 && method != kStored)
        memory = std::max(memory, Rar4Window(dictionaryBits, unpacked));
    }
    if (data > file.Size())
      return memory;  // cut short: the reader stops there as well
    at += size + data;
  }
}

// RAR5's reader keeps the window twice (the window and the filtered copy of it).
uint64_t Rar5Memory(FileReader& file) {
  constexpr uint64_t kFile = 2, kEncryption = 4, kEndBlock = 5;
  uint64_t memory = 0;
  for (uint64_t at = AfterSignature(file, "Rar!\x1A\x07\x01\x00", 8);;) {
    const std::vector<uint8_t> start = ReadUpTo(file, at, 4 + 3);
    if (start.size() < 5)
      return memory;
    HeaderBytes sizeField(std::span<const uint8_t>(start).subspan(4), "its RAR5 header");
    const uint64_t size = sizeField.RarNumber();
    if (size == 0 || size > kRar5MostHeader)
      sizeField.Fail("has a size out of range");
    const uint64_t headerAt = at + 4 + sizeField.At();
    const std::vector<uint8_t> header = ReadUpTo(file, headerAt, static_cast<size_t>(size));
    if (header.size() < size)
      return memory;
    HeaderBytes bytes(header, "its RAR5 header");
    const uint64_t type = bytes.RarNumber();
    const uint64_t flags = bytes.RarNumber();
    if (type == kEndBlock || type == kEncryption)
      return memory;
    if (flags & 1)
      bytes.RarNumber();  // the extra area's size
    const uint64_t data = (flags & 2) ? bytes.RarNumber() : 0;
    if (type == kFile) {
      const uint64_t fileFlags = bytes.RarNumber();
      bytes.RarNumber();                                                  // unpacked size
      bytes.RarNumber();                                                  // attributes
      bytes.Skip(((fileFlags & 2) ? 4 : 0) + ((fileFlags & 4) ? 4 : 0));  // time, checksum
      const uint64_t compression = bytes.RarNumber();
      const bool folder = (fileFlags & 1) != 0;
      const uint64_t method = (compression >> 7) & 7;  // 0: stored
      if (!folder && method != 0)
        memory = std::max(memory, 2 * ((uint64_t{128} << 10) << ((compression >> 10) & 15)));
    }
    if (data > file.Size())
      return memory;  // cut short: the reader stops there as well
    at = headerAt + size + data;
  }
}

}  // namespace tamsolo
