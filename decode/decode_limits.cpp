#include "decode/decode_limits.h"

#include <string>

#include "platform/error.h"

namespace tamsolo {

void CheckDecodeBudget(uint64_t bytes, uint64_t limit) {
  DecodeBudget{limit}.Check(bytes);
}

void DecodeBudget::Check(uint64_t bytes) const {
  if (bytes <= Left())
    return;
  std::string text = "Image too large: needs " + std::to_string(bytes) + " bytes";
  if (held > 0)
    text += " besides the file's " + std::to_string(held);
  throw Error(text + ", limit " + std::to_string(limit));
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
