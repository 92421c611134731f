#include "convert/scaled_width.h"

#include <cmath>

#include "platform/x87_precision.h"

namespace tamsolo {

int64_t ScaledWidth(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0)
    return 0;
  X87ExtendedPrecision precision;
  // Quotient first, then the product: some products fall just below a whole number, and the
  // floor depends on exactly that.
  volatile long double quotient = 1008.0L / static_cast<long double>(height);
  volatile long double product = quotient * static_cast<long double>(width);
  const int64_t floored = static_cast<int64_t>(std::floor(product));
  return floored % 2 == 0 ? floored : floored + 1;
}

}  // namespace tamsolo
