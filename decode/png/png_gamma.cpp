#include "decode/png/png_gamma.h"

#include <cmath>

namespace tamsolo {
namespace {

// The power is computed from +, -, *, / and exact scaling only, so every IEEE double platform
// gets the same bits; the C runtimes' pow and log differ in their last bits, and a value close
// to a half would then round differently natively and under the Windows build.
constexpr double kLn2 = 0.6931471805599453094;

// Natural logarithm of x > 0 from x = f * 2^k, f in [sqrt(1/2), sqrt(2)), and the series
// ln f = 2 atanh(s) with s = (f - 1) / (f + 1), |s| < 0.172.
double PortableLog(double x) {
  int exponent = 0;
  double f = std::frexp(x, &exponent);
  if (f < 0.70710678118654752440) {
    f *= 2.0;
    --exponent;
  }
  const double s = (f - 1.0) / (f + 1.0);
  const double s2 = s * s;
  double term = s;
  double sum = 0.0;
  for (int n = 1; n <= 41; n += 2) {
    sum += term / n;
    term *= s2;
  }
  return 2.0 * sum + exponent * kLn2;
}

// e^y for y <= 0, from y = k ln 2 + r, |r| <= ln 2 / 2, and the Taylor series of e^r.
double PortableExpNonPositive(double y) {
  if (y < -1000.0)
    return 0.0;
  const double k = std::floor(y / kLn2 + 0.5);
  const double r = y - k * kLn2;
  double term = 1.0;
  double sum = 1.0;
  for (int n = 1; n <= 24; ++n) {
    term *= r / n;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

// Nearest whole number, ties to even, by explicit comparison (no rounding-mode dependence).
int RoundHalfEven(double value) {
  const double whole = std::floor(value);
  const double fraction = value - whole;
  int result = static_cast<int>(whole);
  if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
    ++result;
  return result;
}

}  // namespace

GammaTable IdentityGammaTable() {
  GammaTable table{};
  for (unsigned i = 0; i < 256; ++i)
    table[i] = static_cast<uint8_t>(i);
  return table;
}

GammaTable PngGammaTable(uint32_t gamma) {
  // 100000 / (2.2 g) = 1000000 / (22 g); 22 g is exact in a double, 2.2 is not.
  const double exponent = 1000000.0 / (22.0 * static_cast<double>(gamma));
  GammaTable table{};
  table[0] = 0;
  for (unsigned i = 1; i < 256; ++i) {
    const double logRatio = PortableLog(i / 255.0);
    const double value = 255.0 * PortableExpNonPositive(exponent * logRatio);
    const int rounded = RoundHalfEven(value);
    table[i] = static_cast<uint8_t>(rounded > 255 ? 255 : rounded);
  }
  return table;
}

}  // namespace tamsolo
