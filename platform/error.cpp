#include "platform/error.h"

namespace tamsolo {

std::string MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& caught) {
    return ReasonOf(caught);
  } catch (...) {
    return "Unknown error";
  }
}

}  // namespace tamsolo
