#include "decode/webp_features.h"

#include <webp/decode.h>

#include <algorithm>

#include "decode/decode_limits.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// Huffman tables, colour cache and the like, which do not grow with the image.
constexpr uint64_t kFixedBytes = uint64_t{1} << 20;

}  // namespace

std::optional<WebpFeatures> ReadWebpFeatures(std::span<const uint8_t> data) {
  WebPBitstreamFeatures found;
  const VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &found);
  if (status == VP8_STATUS_NOT_ENOUGH_DATA)
    return std::nullopt;
  if (status != VP8_STATUS_OK)
    throw Error("Not a WebP file, or its header is invalid");
  WebpFeatures features;
  features.width = found.width;
  features.height = found.height;
  features.animated = found.has_animation != 0;
  features.lossless = found.format == 2;
  features.alpha = found.has_alpha != 0;
  return features;
}

std::optional<WebpFeatures> ReadWebpFeaturesByPrefix(std::span<const uint8_t> data) {
  for (size_t wanted = kWebpFirstPrefix;; wanted *= 4) {
    std::optional<WebpFeatures> features =
        ReadWebpFeatures(data.first(std::min(wanted, data.size())));
    if (features || wanted >= data.size())
      return features;
  }
}

uint64_t WebpDecodeBytes(const WebpFeatures& features) {
  const uint64_t width = static_cast<uint64_t>(features.width);
  const uint64_t pixels = width * static_cast<uint64_t>(features.height);
  // A lossless image is held as 32-bit pixels plus a few cache rows; a lossy one keeps a band
  // of macroblock rows, and its alpha plane whole (twice while that is itself decoded).
  const uint64_t lossless = pixels * 4 + width * 4 * 64;
  const uint64_t lossy = width * 128 + (features.alpha ? pixels * 2 : 0);
  // An animation's frames may be of either kind, decoded into one of its two RGBA canvases.
  const uint64_t decoder = features.animated   ? pixels * 8 + std::max(lossless, lossy)
                           : features.lossless ? lossless
                                               : lossy;
  return RgbImageBytes(width, static_cast<uint64_t>(features.height)) + decoder + kFixedBytes;
}

}  // namespace tamsolo
