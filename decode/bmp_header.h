#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tamsolo {

enum BmpCompression : uint32_t { kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitFields = 3 };

inline constexpr uint64_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kBmpCoreHeaderSize = 12;  // the OS/2 form: 16-bit sizes, 3-byte entries

// The most leading bytes ReadBmpHeaders looks at: the file header, the 40-byte info header
// and, for a header shorter than 52 bytes, the three masks after it.
inline constexpr uint64_t kBmpHeaderBytes = kBmpFileHeaderSize + 51 + 12;

struct BmpHeader {
  uint64_t pixelOffset = 0;
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // always positive; topDown keeps the sign
  bool topDown = false;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = kBmpRgb;
  uint32_t imageSize = 0;
  uint32_t colorsUsed = 0;
  std::array<uint32_t, 3> masks{};  // red, green, blue
};

// Sizes and offsets in a BMP are untrusted: each is widened to 64 bits and checked against
// the file's size before it is used. Every failure throws Error "BMP decoding failed: ...".
[[noreturn]] void FailBmp(const std::string& why);

// Reads and checks the headers. start holds the file's first min(fileSize, kBmpHeaderBytes)
// bytes (or more); fileSize is the size of the whole file.
BmpHeader ReadBmpHeaders(std::span<const uint8_t> start, uint64_t fileSize);

bool IsRleBmp(const BmpHeader& header);
uint64_t BmpRowStride(const BmpHeader& header);

// Where the pixel data may be read from: the image size field, or the computed size when it
// is 0 (uncompressed) or the rest of the file (RLE); never past the end of the file. A file
// that holds no pixel data at all is refused.
struct BmpDataRange {
  uint64_t offset = 0;
  uint64_t size = 0;
};
BmpDataRange BmpPixelData(const BmpHeader& header, uint64_t fileSize);

// Uncompressed pixel data that ends before a tenth of the rows is refused, from the header
// and the file's size alone, before anything is allocated: a file of a few bytes declaring a
// huge image would otherwise cost seconds and gigabytes for a black page. Data that ends
// later decodes as far as it goes. RLE data is not judged: a few bytes may fill any image.
void CheckBmpDataReachesATenth(const BmpHeader& header, const BmpDataRange& range);

// The bytes a row needs to be decoded: its pixels without the padding.
uint64_t BmpRowBytes(const BmpHeader& header);

// How much uncompressed pixel data the decoder reads from a file at once: whole rows, about a
// MiB of them.
uint64_t BmpReadWindow(const BmpHeader& header, const BmpDataRange& range);

// Whether every row of uncompressed data is within available bytes; the last row may lack its
// padding.
bool BmpRowsPresent(const BmpHeader& header, uint64_t available);

}  // namespace tamsolo
