#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "decode/decode_limits.h"
#include "decode/image_kind.h"
#include "image/rgb_image.h"

namespace tamsolo {

// What a decode noticed without failing, for a caller that wants to tell the user.
struct DecodeNotes {
  // The file ended before the image did (a JPEG finished by libjpeg, BMP pixel data that
  // stops short): the image is whole in size, but part of it was never in the file.
  bool dataEndedEarly = false;
};

// Each decoder returns a complete image or throws Error; nothing leaks on failure.
// memoryLimit bounds every buffer of one decode (the result included). notes, when given,
// learns what the decode noticed; PNG data never ends early (that is an error).
RgbImage DecodeJpeg(std::span<const uint8_t> data, uint64_t memoryLimit = kDefaultDecodeMemoryLimit,
                    DecodeNotes* notes = nullptr);
// How a gray JPEG reaches its 236 levels: through the program's copy of libjpeg's one-pass
// quantiser (the default: the same bytes, in a fraction of the time) or through the library's
// own, kept to compare against and to fall back on.
enum class GrayQuantising { Own, Library };
RgbImage DecodeJpeg(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes,
                    GrayQuantising quantising);
RgbImage DecodeBmp(std::span<const uint8_t> data, uint64_t memoryLimit = kDefaultDecodeMemoryLimit,
                   DecodeNotes* notes = nullptr);
RgbImage DecodePng(std::span<const uint8_t> data, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
// Lossy or lossless; an animation gives its first frame (see README for its canvas).
RgbImage DecodeWebp(std::span<const uint8_t> data,
                    uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

// The file's decoders. JPEG, PNG and WebP read the whole file, then decode it; its bytes count
// against the limit. BMP reads the file as it goes: uncompressed rows a piece at a time
// (counted), RLE data whole (counted).
RgbImage DecodeJpegFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit,
                        DecodeNotes* notes = nullptr);
RgbImage DecodeBmpFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit,
                       DecodeNotes* notes = nullptr);
RgbImage DecodePngFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);
RgbImage DecodeWebpFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

// Bytes the caller holds whole (an archive entry's), counted against the limit as the file
// decoders count a file's. A BMP's are not, as its file decoder holds none of them, so that
// an entry and the same file meet the limit alike.
RgbImage DecodeHeldJpeg(std::span<const uint8_t> data, uint64_t memoryLimit,
                        DecodeNotes* notes = nullptr);
RgbImage DecodeHeldPng(std::span<const uint8_t> data, uint64_t memoryLimit);
RgbImage DecodeHeldWebp(std::span<const uint8_t> data, uint64_t memoryLimit);
RgbImage DecodeHeldImage(std::span<const uint8_t> data, DecoderKind kind, uint64_t memoryLimit,
                         DecodeNotes* notes = nullptr);

// Chooses the decoder by the upper-cased extension of path (see DecoderForPath).
RgbImage DecodeImageFile(const std::string& path, uint64_t memoryLimit = kDefaultDecodeMemoryLimit,
                         DecodeNotes* notes = nullptr, InputSet inputs = InputSet::Extended);

}  // namespace tamsolo
