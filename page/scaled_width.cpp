#include "page/scaled_width.h"

#include <cmath>

#include "platform/x87_precision.h"

namespace tamsolo {
namespace {

// Kept out of line so that no part of the arithmetic can be scheduled before the caller's
// guard has loaded the control word.
[[gnu::noinline]] int64_t FlooredProduct(int64_t width, int64_t height) {
  // Quotient first, then the product: some products fall just below a whole number, and the
  // floor depends on exactly that.
  const long double quotient = 1008.0L / static_cast<long double>(height);
  const long double product = quotient * static_cast<long double>(width);
  // Far beyond any image the memory limit admits; saturating keeps the conversion defined.
  if (product >= 0x1p62L)
    return INT64_C(1) << 62;
  return static_cast<int64_t>(std::floor(product));
}

}  // namespace

int64_t ScaledWidth(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0)
    return 0;
  X87ExtendedPrecision precision;
  const int64_t floored = FlooredProduct(width, height);
  return floored % 2 == 0 ? floored : floored + 1;
}

}  // namespace tamsolo
