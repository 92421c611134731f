#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "decode/webp_features.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

namespace tamsolo {
namespace {

// libwebp decodes what it is given so far; feeding the file in pieces lets a stop be seen
// between them.
constexpr size_t kPieceBytes = 64 * 1024;

struct IdecDelete {
  void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

struct AnimDelete {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// The colours as stored: decoding to RGB drops alpha without premultiplying, as for PNG.
RgbImage DecodeStill(std::span<const uint8_t> data, RgbImage image) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config))
    throw Error("WebP decoder does not match its library");
  config.output.colorspace = MODE_RGB;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = image.Data();
  config.output.u.RGBA.stride = static_cast<int>(image.Stride());
  config.output.u.RGBA.size = image.ByteSize();
  const std::unique_ptr<WebPIDecoder, IdecDelete> decoder(WebPIDecode(nullptr, 0, &config));
  if (!decoder)
    throw Error("out of memory");
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  size_t fed = 0;
  while (status == VP8_STATUS_SUSPENDED && fed < data.size()) {
    ThrowIfDecodeStopped();
    fed = std::min(data.size(), fed + kPieceBytes);
    status = WebPIUpdate(decoder.get(), data.data(), fed);
  }
  if (status == VP8_STATUS_SUSPENDED)
    throw Error("WebP data ends early");
  if (status == VP8_STATUS_OUT_OF_MEMORY)
    throw Error("out of memory");
  if (status != VP8_STATUS_OK)
    throw Error("WebP image data is invalid");
  return image;
}

// The first frame, composited as libwebp's animation decoder does: on a transparent black
// canvas (the file's background colour is only a hint), blending without premultiplication.
// Alpha is then dropped, so what the frame leaves uncovered is black.
RgbImage DecodeFirstFrame(std::span<const uint8_t> data, RgbImage image) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options))
    throw Error("WebP decoder does not match its library");
  options.color_mode = MODE_RGBA;
  options.use_threads = 0;
  const WebPData whole{data.data(), data.size()};
  const std::unique_ptr<WebPAnimDecoder, AnimDelete> decoder(WebPAnimDecoderNew(&whole, &options));
  if (!decoder)
    throw Error("WebP animation is invalid or ends early");
  WebPAnimInfo info;
  uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info) ||
      static_cast<int64_t>(info.canvas_width) != image.Width() ||
      static_cast<int64_t>(info.canvas_height) != image.Height() ||
      !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
    throw Error("WebP animation's first frame is invalid");
  ThrowIfDecodeStopped();
  const size_t pixels = static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height());
  uint8_t* out = image.Data();
  for (size_t i = 0; i < pixels; ++i)
    std::memcpy(out + i * 3, canvas + i * 4, 3);
  return image;
}

RgbImage DecodeWebpData(std::span<const uint8_t> data, const DecodeBudget& budget) {
  const std::optional<WebpFeatures> features = ReadWebpFeaturesByPrefix(data);
  if (!features)
    throw Error("WebP file ends early");
  budget.Check(WebpDecodeBytes(*features));
  RgbImage image(static_cast<int>(features->width), static_cast<int>(features->height));
  if (features->animated)
    return DecodeFirstFrame(data, std::move(image));
  return DecodeStill(data, std::move(image));
}

}  // namespace

RgbImage DecodeWebp(std::span<const uint8_t> data, uint64_t memoryLimit) {
  return DecodeWebpData(data, {memoryLimit});
}

// The file's bytes stay in memory until the decode ends, so they count against the limit.
RgbImage DecodeWebpFile(const std::string& path, uint64_t memoryLimit) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, memoryLimit, ThrowIfDecodeStopped);
  return DecodeHeldWebp(bytes, memoryLimit);
}

RgbImage DecodeHeldWebp(std::span<const uint8_t> data, uint64_t memoryLimit) {
  return DecodeWebpData(data, {memoryLimit, data.size()});
}

}  // namespace tamsolo
