#pragma once

#include <atomic>
#include <cstdint>

namespace tamsolo {

// What one decode may allocate in all, unless the caller says otherwise.
inline constexpr uint64_t kDefaultDecodeMemoryLimit = uint64_t{1} << 30;

// What a run may hold in memory for the files in flight, unless told otherwise.
inline constexpr uint64_t kDefaultMemoryBudget = uint64_t{2} << 30;

// Throws Error("Image too large ...") when bytes exceed limit; call before allocating.
void CheckDecodeBudget(uint64_t bytes, uint64_t limit);

// The memory one decode may use: limit in all, of which held is taken already (the file's
// bytes, when the decoder reads from a copy of the whole file).
struct DecodeBudget {
  uint64_t limit = kDefaultDecodeMemoryLimit;
  uint64_t held = 0;

  // Throws Error("Image too large ...") when bytes more would pass the limit.
  void Check(uint64_t bytes) const;
  // What may still be allocated; 0 when nothing may.
  uint64_t Left() const { return held < limit ? limit - held : 0; }
};

// Bytes of an RgbImage of the given size, computed in 64 bits (no overflow for 32-bit sizes).
inline uint64_t RgbImageBytes(uint64_t width, uint64_t height) {
  return width * height * 3;
}

// While a scope lives, decodes on its thread look at stop between rows and end with
// Error("Decoding stopped") once it is set, so a very large image does not hold up an
// interrupt. Without a scope nothing is polled.
class DecodeStopScope {
 public:
  explicit DecodeStopScope(const std::atomic<bool>& stop);
  ~DecodeStopScope();
  DecodeStopScope(const DecodeStopScope&) = delete;
  DecodeStopScope& operator=(const DecodeStopScope&) = delete;

 private:
  const std::atomic<bool>* previous_;
};

inline constexpr const char* kDecodeStoppedText = "Decoding stopped";

bool DecodeStopRequested();
void ThrowIfDecodeStopped();

}  // namespace tamsolo
