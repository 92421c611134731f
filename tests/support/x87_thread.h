#pragma once

#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "platform/x87_precision.h"

namespace tamsolo {

// Runs body on a new thread whose x87 precision control is first set to precision (one of
// the kX87Precision values), and returns its result or rethrows its exception.
template <typename Body>
auto OnThreadWithPrecision(uint16_t precision, Body body) {
  std::optional<decltype(body())> result;
  std::exception_ptr error;
  std::thread worker([&] {
    LoadX87ControlWord(
        static_cast<uint16_t>((ReadX87ControlWord() & ~kX87PrecisionMask) | precision));
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

// Windows starts threads in 53-bit mode: code that relies on the mode a thread happens to
// have gives different answers here than on a thread in 64-bit mode.
template <typename Body>
auto OnThreadIn53BitMode(Body body) {
  return OnThreadWithPrecision(kX87Precision53, body);
}

template <typename Body>
auto OnThreadIn64BitMode(Body body) {
  return OnThreadWithPrecision(kX87Precision64, body);
}

}  // namespace tamsolo
