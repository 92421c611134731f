#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "decode/decode_limits.h"
#include "image/rgb_image.h"

namespace tamsolo {

// Each decoder returns a complete image or throws Error; nothing leaks on failure.
// memoryLimit bounds every buffer of one decode (the result included).
RgbImage DecodeJpeg(std::span<const uint8_t> data,
                    uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
RgbImage DecodeBmp(std::span<const uint8_t> data, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
RgbImage DecodePng(std::span<const uint8_t> data, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

// Read the whole file, then decode it.
RgbImage DecodeJpegFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
RgbImage DecodeBmpFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
RgbImage DecodePngFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

// Chooses the decoder by the upper-cased extension of path (see DecoderForPath).
RgbImage DecodeImageFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

}  // namespace tamsolo
