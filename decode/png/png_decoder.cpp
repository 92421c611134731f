#include <optional>
#include <vector>

#include "decode/decoders.h"
#include "decode/png/halftone_palette.h"
#include "decode/png/png_chunks.h"
#include "decode/png/png_format.h"
#include "decode/png/png_gamma.h"
#include "decode/png/png_header.h"
#include "decode/png/png_image_data.h"
#include "decode/png/png_samples.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

namespace tamsolo {
namespace {

constexpr uint32_t kIhdr = PngChunkType("IHDR");
constexpr uint32_t kPlte = PngChunkType("PLTE");
constexpr uint32_t kIdat = PngChunkType("IDAT");
constexpr uint32_t kIend = PngChunkType("IEND");
constexpr uint32_t kGama = PngChunkType("gAMA");
constexpr uint32_t kTrns = PngChunkType("tRNS");
constexpr uint32_t kTime = PngChunkType("tIME");
constexpr uint32_t kText = PngChunkType("tEXt");
constexpr uint32_t kZtxt = PngChunkType("zTXt");
constexpr uint32_t kChrm = PngChunkType("cHRM");

// Everything one decode has read so far.
class PngDecode {
 public:
  PngDecode(const PngHeader& header, const DecodeBudget& budget)
      : header_(header), budget_(budget), gamma_(IdentityGammaTable()) {}

  // Returns false once IEND has been read.
  bool Take(const PngChunk& chunk);
  RgbImage Finish();

 private:
  void TakeImageData(const PngChunk& chunk);
  void TakePalette(const PngChunk& chunk);
  void TakeGamma(const PngChunk& chunk);
  void EndImageDataRun();

  enum class DataState { NotStarted, InFirstRun, Done };

  const PngHeader header_;
  const DecodeBudget budget_;
  GammaTable gamma_;
  bool hasPalette_ = false;
  std::vector<PaletteColor> palette_;
  DataState dataState_ = DataState::NotStarted;
  RgbImage image_;
  std::optional<PngSampleMapper> mapper_;
  std::optional<PngImageData> imageData_;
};

bool PngDecode::Take(const PngChunk& chunk) {
  if (chunk.type == kIdat) {
    TakeImageData(chunk);
    return true;
  }
  if (dataState_ == DataState::InFirstRun)
    EndImageDataRun();
  switch (chunk.type) {
    case kIend:
      return false;
    case kPlte:
      TakePalette(chunk);
      break;
    case kGama:
      TakeGamma(chunk);
      break;
    case kTrns:
      if (chunk.data.size() > 256)
        throw Error("PNG tRNS is longer than 256 bytes");
      break;
    case kIhdr:
    case kTime:
    case kText:
    case kZtxt:
    case kChrm:
      break;
    default:
      if (!IsAncillaryChunk(chunk.type))
        throw Error("PNG file holds an unknown critical chunk");
  }
  return true;
}

void PngDecode::TakeImageData(const PngChunk& chunk) {
  if (dataState_ == DataState::Done)
    return;  // image data after the first run is skipped
  if (dataState_ == DataState::NotStarted) {
    if (header_.colorType == kPngPalette && !hasPalette_)
      throw Error("PNG palette image has no PLTE");
    budget_.Check(PngDecodeBytes(header_));
    image_ = RgbImage(static_cast<int>(header_.width), static_cast<int>(header_.height));
    mapper_.emplace(header_, palette_, gamma_);
    imageData_.emplace(header_, *mapper_, image_);
    dataState_ = DataState::InFirstRun;
  }
  imageData_->Feed(chunk.data);
}

void PngDecode::EndImageDataRun() {
  if (!imageData_->Complete())
    throw Error("PNG image data ends early");
  imageData_.reset();
  dataState_ = DataState::Done;
}

void PngDecode::TakePalette(const PngChunk& chunk) {
  if (hasPalette_)
    throw Error("PNG file holds a second PLTE");
  if (dataState_ != DataState::NotStarted)
    throw Error("PNG PLTE comes after the image data");
  if (chunk.data.size() % 3 != 0 || chunk.data.size() / 3 > 256)
    throw Error("PNG PLTE is invalid");
  hasPalette_ = true;
  const uint8_t* d = chunk.data.data();
  for (size_t i = 0; i < chunk.data.size(); i += 3)
    palette_.push_back({gamma_[d[i]], gamma_[d[i + 1]], gamma_[d[i + 2]]});
}

void PngDecode::TakeGamma(const PngChunk& chunk) {
  // A gAMA too short to hold its value says nothing; it is ignored like any ancillary chunk.
  if (chunk.data.size() < 4)
    return;
  const uint32_t gamma = ReadBigEndian32(chunk.data.data());
  if (gamma != 0)
    gamma_ = PngGammaTable(gamma);
}

RgbImage PngDecode::Finish() {
  if (dataState_ == DataState::NotStarted)
    throw Error("PNG file has no image data");
  if (dataState_ == DataState::InFirstRun)
    EndImageDataRun();
  image_.SetKnownGray(mapper_->OnlyGrays());
  return std::move(image_);
}

RgbImage DecodePngData(std::span<const uint8_t> data, const DecodeBudget& budget) {
  PngChunkReader reader(data);
  PngDecode decode(ParsePngHeader(reader.Next()), budget);
  while (decode.Take(reader.Next())) {
  }
  return decode.Finish();
}

}  // namespace

RgbImage DecodePng(std::span<const uint8_t> data, uint64_t memoryLimit) {
  return DecodePngData(data, {memoryLimit});
}

// The file's bytes stay in memory until the decode ends, so they count against the limit.
RgbImage DecodePngFile(const std::string& path, uint64_t memoryLimit) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, memoryLimit, ThrowIfDecodeStopped);
  return DecodeHeldPng(bytes, memoryLimit);
}

RgbImage DecodeHeldPng(std::span<const uint8_t> data, uint64_t memoryLimit) {
  return DecodePngData(data, {memoryLimit, data.size()});
}

}  // namespace tamsolo
