#pragma once

#include <string>

#include "platform/error.h"

namespace tamsolo::testing {

// The text of the Error that body throws, or "no error" when it returns.
template <typename Body>
std::string ErrorText(Body body) {
  try {
    body();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace tamsolo::testing
