#include "decode/decode_limits.h"

#include <string>

#include "platform/error.h"

namespace tamsolo {

void CheckDecodeBudget(uint64_t bytes, uint64_t limit) {
  if (bytes > limit) {
    throw Error("Image too large: needs " + std::to_string(bytes) + " bytes, limit " +
                std::to_string(limit));
  }
}

namespace {

thread_local const std::atomic<bool>* decodeStop = nullptr;

}  // namespace

DecodeStopScope::DecodeStopScope(const std::atomic<bool>& stop) : previous_(decodeStop) {
  decodeStop = &stop;
}

DecodeStopScope::~DecodeStopScope() {
  decodeStop = previous_;
}

bool DecodeStopRequested() {
  return decodeStop != nullptr && decodeStop->load(std::memory_order_relaxed);
}

void ThrowIfDecodeStopped() {
  if (DecodeStopRequested())
    throw Error(kDecodeStoppedText);
}

}  // namespace tamsolo
