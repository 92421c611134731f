#pragma once

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

// What decoding the image needs besides the file's bytes: the result and libwebp's own buffers
// (a lossless image decodes to 32-bit pixels first; an animation composites on two canvases).
uint64_t WebpDecodeBytes(const WebpFeatures& features);

}  // namespace tamsolo
