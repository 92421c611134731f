#include <span>

#include "convert/decoders.h"
#include "platform/error.h"
#include "tests/fuzz/fuzz_target.h"

// Any input either decodes or raises Error; a crash, a sanitizer report or another exception
// is a finding.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const tamsolo::RgbImage image =
        tamsolo::DecodeBmp(std::span<const uint8_t>(data, size), kFuzzMemoryLimit);
    // Read the corner pixels so a wrong size or a missing buffer shows.
    if (!image.Empty()) {
      volatile uint8_t sink = image.Row(0)[0];
      sink = image.Row(image.Height() - 1)[image.Stride() - 1];
      (void)sink;
    }
  } catch (const tamsolo::Error&) {
  }
  return 0;
}
