#pragma once

#include <cstddef>
#include <cstdint>

// Every decoder target passes this limit, so a hostile header cannot ask for gigabytes and the
// fuzzer's own malloc limit only catches real leaks or unbounded buffers.
inline constexpr uint64_t kFuzzMemoryLimit = uint64_t{64} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
