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

}  // namespace tamsolo
