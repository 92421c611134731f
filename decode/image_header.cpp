#include "decode/image_header.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "decode/bmp_header.h"
#include "decode/image_kind.h"
#include "decode/png/png_chunks.h"
#include "decode/png/png_header.h"
#include "decode/webp_features.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// The signature and an IHDR of its usual 13 bytes with its frame.
constexpr uint64_t kPngStartBytes = 8 + 12 + 13;

// Appends the file's next bytes to bytes until it holds min(fileSize, wanted). A file that
// shrank since it was opened ends where it ends, as the decoders see it too.
void ReadOn(FileReader& file, uint64_t& fileSize, uint64_t wanted, std::vector<uint8_t>& bytes) {
  const size_t have = bytes.size();
  bytes.resize(static_cast<size_t>(std::max<uint64_t>(have, std::min(fileSize, wanted))));
  bytes.resize(have + file.Read(bytes.data() + have, bytes.size() - have));
  if (bytes.size() < std::min(fileSize, wanted))
    fileSize = bytes.size();
}

}  // namespace

ImageHeader ReadImageHeader(FileReader& file, uint64_t memoryLimit) {
  const uint64_t size = file.Size();
  const DecoderKind kind = DecoderForPath(file.Path(), NativePathStyle());
  if (kind == DecoderKind::Bmp)
    return ReadBmpHeader(file, size, memoryLimit);
  // The JPEG and PNG decoders read the whole file first and refuse one larger than the limit.
  if (size > memoryLimit)
    throw Error("File too large: \"" + file.Path() + "\"");
  if (kind == DecoderKind::Png)
    return ReadPngHeader(file, size, memoryLimit);
  if (kind == DecoderKind::Webp)
    return ReadWebpHeader(file, size, memoryLimit);
  return ReadJpegHeader(file, size, memoryLimit);
}

// The decoder checks the first chunk whole, CRC included, before it looks at its type, so an
// IHDR longer than usual is read whole too. Another first chunk is refused unread: the
// decoder refuses it as well, if perhaps for its CRC or its length first.
ImageHeader ReadPngHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit) {
  std::vector<uint8_t> start;
  ReadOn(file, fileSize, kPngStartBytes, start);
  PngChunkReader signature(start);  // throws for a wrong signature
  if (start.size() >= 16 && ReadBigEndian32(&start[12]) == PngChunkType("IHDR")) {
    ReadOn(file, fileSize, uint64_t{8} + 12 + ReadBigEndian32(&start[8]), start);
  } else if (start.size() >= 16) {
    throw Error("PNG file does not start with IHDR");
  }
  PngChunkReader reader(start);
  const PngHeader header = ParsePngHeader(reader.Next());
  DecodeBudget{memoryLimit, fileSize}.Check(PngDecodeBytes(header));  // beside the whole file
  return {header.width, header.height, false};
}

// The features mostly lie in the first 30 bytes; a still image with alpha states its size
// only after its alpha data, so the read grows until they are known.
ImageHeader ReadWebpHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit) {
  std::vector<uint8_t> start;
  std::optional<WebpFeatures> features;
  for (uint64_t wanted = kWebpFirstPrefix; !features; wanted *= 4) {
    ReadOn(file, fileSize, wanted, start);
    features = ReadWebpFeatures(start);
    if (!features && start.size() >= fileSize)
      throw Error("WebP file ends early");
  }
  DecodeBudget{memoryLimit, fileSize}.Check(WebpDecodeBytes(*features));  // beside the file
  return {features->width, features->height, false};
}

ImageHeader ReadBmpHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit) {
  std::vector<uint8_t> start;
  ReadOn(file, fileSize, kBmpHeaderBytes, start);
  const BmpHeader header = ReadBmpHeaders(start, fileSize);
  if (header.width == 0 || header.height == 0)
    return {header.width, header.height, true};  // an empty image, no page
  const uint64_t imageBytes =
      RgbImageBytes(static_cast<uint64_t>(header.width), static_cast<uint64_t>(header.height));
  CheckDecodeBudget(imageBytes, memoryLimit);
  // The decoder reads from the file as it goes: RLE data whole, uncompressed rows a window at
  // a time. Data that ends early leaves zeros or palette entry 0, so once the headers and the
  // budget pass, the decode does too.
  const BmpDataRange pixels = BmpPixelData(header, fileSize);
  CheckBmpDataReachesATenth(header, pixels);
  const bool rle = IsRleBmp(header);
  const uint64_t buffers = rle ? pixels.size : BmpRowBytes(header) + BmpReadWindow(header, pixels);
  CheckDecodeBudget(imageBytes + buffers, memoryLimit);
  return {header.width, header.height, true};
}

}  // namespace tamsolo
