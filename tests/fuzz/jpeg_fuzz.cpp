#include "decode/decoders.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tamsolo::DecodeNotes notes;
  return DecodeOrReject([&](std::span<const uint8_t> bytes,
                            uint64_t limit) { return tamsolo::DecodeJpeg(bytes, limit, &notes); },
                        data, size);
}
