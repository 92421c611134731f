#include "decode/bmp_header.h"

#include <algorithm>

#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMasksInHeaderSize = 52;  // from here on the masks live in the header

uint16_t U16(std::span<const uint8_t> bytes, uint64_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t U32(std::span<const uint8_t> bytes, uint64_t at) {
  return static_cast<uint32_t>(U16(bytes, at)) | static_cast<uint32_t>(U16(bytes, at + 2)) << 16;
}

// The leading bytes of a file, checked against the size of the whole file: every offset read
// lies below kBmpHeaderBytes, so a range within the file is also within the bytes held.
class Start {
 public:
  Start(std::span<const uint8_t> bytes, uint64_t fileSize) : bytes_(bytes), fileSize_(fileSize) {}
  void Require(uint64_t end) const {
    if (end > fileSize_ || end > bytes_.size())
      FailBmp("the file is truncated");
  }
  uint16_t U16At(uint64_t at) const { return U16(bytes_, at); }
  uint32_t U32At(uint64_t at) const { return U32(bytes_, at); }

 private:
  std::span<const uint8_t> bytes_;
  uint64_t fileSize_;
};

void ReadCoreHeader(const Start& file, BmpHeader& header) {
  file.Require(kBmpFileHeaderSize + kBmpCoreHeaderSize);
  header.width = file.U16At(18);
  header.height = file.U16At(20);
  header.planes = file.U16At(22);
  header.bitCount = file.U16At(24);
}

void ReadMasks(const Start& file, BmpHeader& header) {
  const uint64_t at =
      kBmpFileHeaderSize +
      (header.headerSize >= kMasksInHeaderSize ? kInfoHeaderSize : uint64_t{header.headerSize});
  file.Require(at + 12);
  for (size_t i = 0; i < 3; ++i)
    header.masks[i] = file.U32At(at + 4 * i);
}

void ReadInfoHeader(const Start& file, BmpHeader& header) {
  file.Require(kBmpFileHeaderSize + kInfoHeaderSize);
  header.width = static_cast<int32_t>(file.U32At(18));
  const int64_t height = static_cast<int32_t>(file.U32At(22));
  header.topDown = height < 0;
  header.height = height < 0 ? -height : height;
  header.planes = file.U16At(26);
  header.bitCount = file.U16At(28);
  header.compression = file.U32At(30);
  header.imageSize = file.U32At(34);
  header.colorsUsed = file.U32At(46);
  if (header.compression == kBmpBitFields)
    ReadMasks(file, header);
}

void CheckForm(const BmpHeader& header) {
  if (header.planes != 1)
    FailBmp("the number of planes must be 1, not " + std::to_string(header.planes));
  if (header.width < 0 || header.width > INT32_MAX || header.height > INT32_MAX)
    FailBmp("invalid image size");
  const uint16_t bits = header.bitCount;
  const bool known = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!known)
    FailBmp("unsupported bit count " + std::to_string(bits));
  const uint32_t compression = header.compression;
  const bool fits = compression == kBmpRgb || (compression == kBmpRle8 && bits == 8) ||
                    (compression == kBmpRle4 && bits == 4) ||
                    (compression == kBmpBitFields && (bits == 16 || bits == 32));
  if (!fits) {
    FailBmp("unsupported compression " + std::to_string(compression) + " for " +
            std::to_string(bits) + " bits per pixel");
  }
}

}  // namespace

void FailBmp(const std::string& why) {
  throw Error("BMP decoding failed: " + why);
}

BmpHeader ReadBmpHeaders(std::span<const uint8_t> start, uint64_t fileSize) {
  if (fileSize < 2 || start.size() < 2 || start[0] != 'B' || start[1] != 'M')
    throw Error("BMP decoding failed: not a BMP file (no \"BM\")");
  const Start file(start, fileSize);
  file.Require(kBmpFileHeaderSize + 4);
  BmpHeader header;
  header.pixelOffset = file.U32At(10);
  header.headerSize = file.U32At(14);
  if (header.headerSize == kBmpCoreHeaderSize)
    ReadCoreHeader(file, header);
  else if (header.headerSize >= kInfoHeaderSize)
    ReadInfoHeader(file, header);
  else
    FailBmp("unsupported info header size " + std::to_string(header.headerSize));
  CheckForm(header);
  return header;
}

bool IsRleBmp(const BmpHeader& header) {
  return header.compression == kBmpRle8 || header.compression == kBmpRle4;
}

uint64_t BmpRowStride(const BmpHeader& header) {
  return (static_cast<uint64_t>(header.width) * header.bitCount + 31) / 32 * 4;
}

BmpDataRange BmpPixelData(const BmpHeader& header, uint64_t fileSize) {
  if (header.pixelOffset > fileSize)
    FailBmp("the pixel data offset lies outside the file");
  const uint64_t remaining = fileSize - header.pixelOffset;
  uint64_t amount = header.imageSize;
  if (amount == 0)
    amount =
        IsRleBmp(header) ? remaining : BmpRowStride(header) * static_cast<uint64_t>(header.height);
  if (amount == 0 || remaining == 0)
    FailBmp("the file holds no pixel data");
  return {header.pixelOffset, std::min(amount, remaining)};
}

void CheckBmpDataReachesATenth(const BmpHeader& header, const BmpDataRange& range) {
  if (IsRleBmp(header))
    return;
  // The bytes every row needs, the last without its padding; a size past 64 bits counts as
  // the largest.
  const uint64_t rowBytes = BmpRowBytes(header);
  const uint64_t stride = BmpRowStride(header);
  const uint64_t rowsBefore = static_cast<uint64_t>(header.height) - 1;
  const uint64_t declared =
      rowsBefore > (UINT64_MAX - rowBytes) / stride ? UINT64_MAX : stride * rowsBefore + rowBytes;
  if (range.size < declared / 10 + (declared % 10 != 0 ? 1 : 0))
    FailBmp("the pixel data ends before a tenth of the rows");
}

uint64_t BmpRowBytes(const BmpHeader& header) {
  return (static_cast<uint64_t>(header.width) * header.bitCount + 7) / 8;
}

uint64_t BmpReadWindow(const BmpHeader& header, const BmpDataRange& range) {
  constexpr uint64_t kReadBytes = uint64_t{1} << 20;
  const uint64_t stride = BmpRowStride(header);
  return std::min(std::max(stride, kReadBytes / stride * stride), range.size);
}

// Divides rather than multiplies, so no size a header can declare overflows.
bool BmpRowsPresent(const BmpHeader& header, uint64_t available) {
  const uint64_t lastRowBytes = BmpRowBytes(header);
  if (lastRowBytes > available)
    return false;
  return (available - lastRowBytes) / BmpRowStride(header) >=
         static_cast<uint64_t>(header.height) - 1;
}

}  // namespace tamsolo
