// 7z: the signature header points at the header at the file's end, which may be packed
// itself (kEncodedHeader). Its folders list the coders that unpack each solid block; the
// decompressors of one folder are alive at once, and the largest folder is what counts.
#include <lzma.h>

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <vector>

#include "archive/format_memory.h"
#include "archive/header_bytes.h"
#include "archive/lzma_memory.h"
#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

constexpr const char* kWhat = "its 7z header";
constexpr char kSignature[] = "7z\xBC\xAF\x27\x1C";
constexpr uint64_t kStartHeaderBytes = 32;

enum Id : uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kAdditionalStreamsInfo = 0x03,
  kMainStreamsInfo = 0x04,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnpackSize = 0x0C,
  kEncodedHeader = 0x17,
};

struct Coder {
  uint64_t method = 0;
  std::span<const uint8_t> properties;
};

struct Folder {
  std::vector<Coder> coders;
  size_t outStreams = 0;
  uint64_t unpackSize = 0;  // the last stream's, which is the folder's output
};

struct Streams {
  uint64_t packPosition = 0;
  std::vector<uint64_t> packSizes;
  std::vector<Folder> folders;
};

void SkipDigests(HeaderBytes& bytes, size_t count) {
  size_t defined = count;
  if (bytes.Byte() == 0) {
    defined = 0;
    for (const uint8_t byte : bytes.Take((count + 7) / 8))
      defined += static_cast<size_t>(std::popcount(byte));
  }
  bytes.Skip(uint64_t{4} * defined);
}

void ReadPackInfo(HeaderBytes& bytes, Streams& streams) {
  streams.packPosition = bytes.SevenZipNumber();
  const size_t count = bytes.Count();
  for (uint8_t id = bytes.Byte(); id != kEnd; id = bytes.Byte()) {
    if (id == kSize) {
      for (size_t i = 0; i < count; ++i)
        streams.packSizes.push_back(bytes.SevenZipNumber());
    } else if (id == kCrc) {
      SkipDigests(bytes, count);
    } else {
      bytes.Fail("has an unknown field in its pack information");
    }
  }
}

Folder ReadFolder(HeaderBytes& bytes) {
  constexpr size_t kMostStreams = 64;  // 7z's own bound on coders and streams in a folder
  Folder folder;
  const size_t coders = bytes.Count();
  size_t inStreams = 0;
  if (coders == 0 || coders > kMostStreams)
    bytes.Fail("has a folder of " + std::to_string(coders) + " coders");
  for (size_t i = 0; i < coders; ++i) {
    const uint8_t flags = bytes.Byte();
    if (flags & 0xC0)
      bytes.Fail("has a coder with alternative methods");
    Coder coder;
    for (const uint8_t byte : bytes.Take(flags & 0x0F))
      coder.method = coder.method << 8 | byte;  // the method's id is big-endian
    const bool complex = (flags & 0x10) != 0;
    inStreams += complex ? bytes.Count() : 1;
    folder.outStreams += complex ? bytes.Count() : 1;
    if (flags & 0x20)
      coder.properties = bytes.Take(bytes.Count());
    folder.coders.push_back(coder);
  }
  if (folder.outStreams == 0 || folder.outStreams > kMostStreams || inStreams > kMostStreams ||
      inStreams < folder.outStreams - 1)
    bytes.Fail("has a folder whose streams do not join");
  for (size_t i = 0; i + 1 < folder.outStreams; ++i) {
    bytes.SevenZipNumber();  // the bind pair's in and out stream
    bytes.SevenZipNumber();
  }
  const size_t packed = inStreams - (folder.outStreams - 1);
  for (size_t i = 0; packed > 1 && i < packed; ++i)
    bytes.SevenZipNumber();
  return folder;
}

void ReadUnpackInfo(HeaderBytes& bytes, Streams& streams) {
  if (bytes.Byte() != kFolder)
    bytes.Fail("has no folders in its unpack information");
  const size_t count = bytes.Count(2);
  if (bytes.Byte() != 0)
    bytes.Fail("keeps its folders elsewhere");
  for (size_t i = 0; i < count; ++i)
    streams.folders.push_back(ReadFolder(bytes));
  if (bytes.Byte() != kCodersUnpackSize)
    bytes.Fail("has no unpacked sizes");
  for (Folder& folder : streams.folders) {
    for (size_t i = 0; i < folder.outStreams; ++i)
      folder.unpackSize = bytes.SevenZipNumber();
  }
  for (uint8_t id = bytes.Byte(); id != kEnd; id = bytes.Byte()) {
    if (id != kCrc)
      bytes.Fail("has an unknown field in its unpack information");
    SkipDigests(bytes, count);
  }
}

// The pack and unpack information; what follows them (the entries' sizes) is not needed.
Streams ReadStreams(HeaderBytes& bytes) {
  Streams streams;
  for (uint8_t id = bytes.Byte(); id != kEnd && id != kSubStreamsInfo; id = bytes.Byte()) {
    if (id == kPackInfo)
      ReadPackInfo(bytes, streams);
    else if (id == kUnpackInfo)
      ReadUnpackInfo(bytes, streams);
    else
      bytes.Fail("has an unknown field in its streams");
  }
  return streams;
}

// The main streams' folders of a plain header (kHeader read already).
std::vector<Folder> ReadMainFolders(HeaderBytes& bytes) {
  for (uint8_t id = bytes.Byte(); id != kEnd; id = bytes.Byte()) {
    if (id == kArchiveProperties) {
      while (bytes.SevenZipNumber() != 0)
        bytes.Skip(bytes.SevenZipNumber());
    } else if (id == kAdditionalStreamsInfo) {
      ReadStreams(bytes);
    } else if (id == kMainStreamsInfo) {
      return ReadStreams(bytes).folders;
    } else {
      break;  // the entries' names and times: no coders past this point
    }
  }
  return {};
}

constexpr uint64_t kCopy = 0x00, kDelta = 0x03, kLzma2 = 0x21, kLzma = 0x030101, kPpmd = 0x030401,
                   kDeflate = 0x040108, kBzip2 = 0x040202;

bool IsBranchFilter(uint64_t method) {
  // x86, x86 BCJ2, PowerPC, IA64, ARM, ARM Thumb, SPARC
  constexpr std::array<uint64_t, 7> kBranch = {0x03030103, 0x0303011B, 0x03030205, 0x03030401,
                                               0x03030501, 0x03030701, 0x03030805};
  return std::find(kBranch.begin(), kBranch.end(), method) != kBranch.end();
}

uint64_t CoderMemory(const Coder& coder) {
  switch (coder.method) {
    case kLzma:
    case kLzma2:
      return LzmaCoderMemory(coder.method == kLzma2, coder.properties, kWhat);
    case kPpmd: {
      // Order (1 byte), then the model's size, which the decoder allocates whole.
      HeaderBytes properties(coder.properties, "its 7z PPMd properties");
      properties.Byte();
      return properties.Little(4);
    }
    case kBzip2:
      return kBzip2Memory;
    case kDeflate:
      return kInflateMemory;
    case kDelta:
      return kFilterMemory;
    case kCopy:
      return 0;
  }
  // Other methods (encryption among them) the reader cannot unpack: it allocates nothing for
  // them and refuses the entries.
  return IsBranchFilter(coder.method) ? kFilterMemory : 0;
}

uint64_t FolderMemory(const Folder& folder) {
  uint64_t memory = 0;
  for (const Coder& coder : folder.coders)
    memory += CoderMemory(coder);  // each at most 4 GiB, at most 64 of them: no overflow
  return memory;
}

// A packed header: one folder of one LZMA or LZMA2 coder (or none), unpacked within the limit.
std::vector<uint8_t> UnpackHeader(FileReader& file, uint64_t base, HeaderBytes& bytes,
                                  uint64_t limit) {
  const Streams streams = ReadStreams(bytes);
  if (streams.folders.size() != 1 || streams.packSizes.empty() ||
      streams.folders[0].coders.size() != 1)
    bytes.Fail("is packed in a form not read here");
  const Folder& folder = streams.folders[0];
  const Coder& coder = folder.coders[0];
  if (coder.method != kLzma && coder.method != kLzma2)
    bytes.Fail(coder.method >> 24 == 0x06 ? "is encrypted" : "is packed in a form not read here");
  const uint64_t packSize = streams.packSizes[0];
  const uint64_t need = LzmaCoderMemory(coder.method == kLzma2, coder.properties, kWhat);
  if (packSize > file.Size() || folder.unpackSize > limit ||
      need + packSize + folder.unpackSize > limit)
    throw Error(std::string(kWhat) + " needs more memory to unpack than the memory limit");
  if (streams.packPosition > file.Size())
    bytes.Fail("is cut short");
  const std::vector<uint8_t> packed =
      ReadHeader(file, base + kStartHeaderBytes + streams.packPosition, packSize, kWhat);
  return UnpackLzma(coder.method == kLzma2, coder.properties, packed, folder.unpackSize, kWhat);
}

// The signature whose start header's checksum holds: a self-extractor's program may hold the
// signature's bytes too.
uint64_t FindStartHeader(FileReader& file, std::vector<uint8_t>& start) {
  for (uint64_t at = 0;; ++at) {
    at = FindSignature(file, kSignature, sizeof kSignature - 1, at);
    if (at == UINT64_MAX)
      throw Error(std::string(kWhat) + " is not found");
    start = ReadUpTo(file, at, kStartHeaderBytes);
    if (start.size() < kStartHeaderBytes)
      continue;
    HeaderBytes fields(start, kWhat);
    fields.Skip(8);
    if (fields.Little(4) == lzma_crc32(start.data() + 12, kStartHeaderBytes - 12, 0))
      return at;
  }
}

}  // namespace

uint64_t SevenZipMemory(FileReader& file, uint64_t limit) {
  std::vector<uint8_t> start;
  const uint64_t base = FindStartHeader(file, start);
  HeaderBytes fields(std::span<const uint8_t>(start).subspan(12), kWhat);
  const uint64_t offset = fields.Little(8);
  const uint64_t size = fields.Little(8);
  if (offset > file.Size() || size > file.Size())
    throw Error(std::string(kWhat) + " is cut short");
  if (size > limit)
    throw Error(std::string(kWhat) + " is larger than the memory limit");
  std::vector<uint8_t> header = ReadHeader(file, base + kStartHeaderBytes + offset, size, kWhat);
  // 7-Zip packs a header once; a few rounds are allowed, and no more.
  for (int round = 0; round < 4; ++round) {
    HeaderBytes bytes(header, kWhat);
    const uint8_t id = header.empty() ? uint8_t{kEnd} : bytes.Byte();
    if (id == kEnd)
      return 0;  // an archive with no entries
    if (id == kHeader) {
      uint64_t memory = 0;
      for (const Folder& folder : ReadMainFolders(bytes))
        memory = std::max(memory, FolderMemory(folder));
      return memory;
    }
    if (id != kEncodedHeader)
      bytes.Fail("starts with an unknown field");
    header = UnpackHeader(file, base, bytes, limit);
  }
  throw Error(std::string(kWhat) + " is packed too many times");
}

}  // namespace tamsolo
