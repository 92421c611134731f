#include "decode/decoders.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return DecodeOrReject(tamsolo::DecodeJpeg, data, size);
}
