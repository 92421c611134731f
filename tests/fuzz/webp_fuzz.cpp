#include "decode/decoders.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return DecodeOrReject([](std::span<const uint8_t> bytes,
                           uint64_t limit) { return tamsolo::DecodeWebp(bytes, limit); },
                        data, size);
}
