#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/rgb_image.h"
#include "platform/error.h"

// Every decoder target passes this limit, so a hostile header cannot ask for gigabytes and the
// fuzzer's own malloc limit only catches real leaks or unbounded buffers.
inline constexpr uint64_t kFuzzMemoryLimit = uint64_t{64} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Any input either decodes or raises Error; a crash, a sanitizer report or another exception
// is a finding. The corner pixels are read so a wrong size or a missing buffer shows.
template <typename Decoder>
int DecodeOrReject(Decoder decode, const uint8_t* data, size_t size) {
  try {
    const tamsolo::RgbImage image = decode(std::span<const uint8_t>(data, size), kFuzzMemoryLimit);
    if (!image.Empty()) {
      volatile uint8_t sink = image.Row(0)[0];
      sink = image.Row(image.Height() - 1)[image.Stride() - 1];
      (void)sink;
    }
  } catch (const tamsolo::Error&) {
  }
  return 0;
}
