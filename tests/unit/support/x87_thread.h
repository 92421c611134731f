#pragma once

#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "platform/x87_precision.h"

namespace tamsolo {

// Runs body on a new thread whose x87 precision is first set to 53 bits, the mode Windows
// starts threads in, and returns its result (or rethrows its exception). Code that relies on
// the mode a thread happens to have gives different answers here.
template <typename Body>
auto OnThreadIn53BitMode(Body body) {
  std::optional<decltype(body())> result;
  std::exception_ptr error;
  std::thread worker([&] {
    LoadX87ControlWord(
        static_cast<uint16_t>((ReadX87ControlWord() & ~kX87PrecisionMask) | kX87Precision53));
    try {
      result.emplace(body());
    } catch (...) {
      error = std::current_exception();
    }
  });
  worker.join();
  if (error)
    std::rethrow_exception(error);
  return std::move(*result);
}

}  // namespace tamsolo
