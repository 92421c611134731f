#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tamsolo {

// What a WebP's headers say about the image, before any pixel is decoded.
struct WebpFeatures {
  int64_t width = 0;  // the canvas, for an animation
  int64_t height = 0;
  bool animated = false;
  bool lossless = false;
  bool alpha = false;
};

// The features of the WebP whose first bytes are data, or none when data ends before they are
// known. Throws Error for data that is no WebP.
std::optional<WebpFeatures> ReadWebpFeatures(std::span<const uint8_t> data);

// The features as the header reader finds them: from the shortest of the prefixes it reads
// (64 bytes, then four times more each time) that tells them. libwebp may accept the start of a
// file whose later chunks it refuses, so the reader and the decoder look at the same bytes.
std::optional<WebpFeatures> ReadWebpFeaturesByPrefix(std::span<const uint8_t> data);
constexpr size_t kWebpFirstPrefix = 64;

// What decoding the image needs besides the file's bytes: the result and libwebp's own buffers
// (a lossless image decodes to 32-bit pixels first; an animation composites on two canvases).
uint64_t WebpDecodeBytes(const WebpFeatures& features);

}  // namespace tamsolo
