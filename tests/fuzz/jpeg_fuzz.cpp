#include <cstdlib>
#include <cstring>
#include <optional>

#include "decode/decoders.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

std::optional<tamsolo::RgbImage> TryDecode(std::span<const uint8_t> bytes,
                                           tamsolo::GrayQuantising quantising) {
  try {
    tamsolo::DecodeNotes notes;
    return tamsolo::DecodeJpeg(bytes, kFuzzMemoryLimit, &notes, quantising);
  } catch (const tamsolo::Error&) {
    return std::nullopt;
  }
}

// Any input either decodes or raises Error; a crash, a sanitizer report or another exception
// is a finding. The program's gray quantiser must also give libjpeg's own bytes (the
// comparison reads every byte, so a wrong size or a missing buffer shows too).
void CompareGrayQuantisers(std::span<const uint8_t> bytes) {
  const auto own = TryDecode(bytes, tamsolo::GrayQuantising::Own);
  const auto library = TryDecode(bytes, tamsolo::GrayQuantising::Library);
  if (own.has_value() != library.has_value())
    std::abort();
  if (own && (own->ByteSize() != library->ByteSize() ||
              std::memcmp(own->Data(), library->Data(), own->ByteSize()) != 0))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompareGrayQuantisers({data, size});
  return 0;
}
