#include "resample/filters.h"

#include "platform/x87_precision.h"

namespace tamsolo {
namespace {

// Each filter takes and returns a float32; in between it is one long double expression.
using Ext = long double;

constexpr Ext kPi = 3.14159265358979323846264338327950288L;

// The x87 instruction itself, so that Linux and Windows builds agree bit for bit instead of
// depending on two C libraries' sinl. Arguments stay below 3 pi, where fsin is accurate.
Ext X87Sine(Ext x) {
  Ext result;
  asm("fsin" : "=t"(result) : "0"(x));
  return result;
}

float Abs(float t) {
  return t < 0 ? -t : t;
}

float BoxFilter(float t) {
  // Half-open, so a centre halfway between two samples takes only one of them.
  return (t > -0.5f && t <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float t) {
  const Ext a = Abs(t);
  if (a < 1)
    return static_cast<float>(1.0L - a);
  return 0.0f;
}

float HermiteFilter(float t) {
  const Ext a = Abs(t);
  if (a < 1)
    return static_cast<float>((2.0L * a - 3.0L) * (a * a) + 1.0L);
  return 0.0f;
}

float BellFilter(float t) {
  const Ext a = Abs(t);
  if (a < 0.5L)
    return static_cast<float>(0.75L - a * a);
  if (a < 1.5L) {
    const Ext d = a - 1.5L;
    return static_cast<float>(0.5L * (d * d));
  }
  return 0.0f;
}

float BSplineFilter(float t) {
  const Ext a = Abs(t);
  if (a < 1)
    return static_cast<float>(0.5L * (a * a * a) - a * a + 2.0L / 3);
  if (a < 2) {
    const Ext d = 2.0L - a;
    return static_cast<float>(d * d * d / 6.0L);
  }
  return 0.0f;
}

// sin(p) / p with p = pi x rounded to float32: at whole x the result is tiny, not 0.
float Sinc(float x) {
  if (x == 0)
    return 1.0f;
  const float p = static_cast<float>(kPi * x);
  return static_cast<float>(X87Sine(p) / p);
}

float Lanczos3Filter(float t) {
  const float a = Abs(t);
  if (a < 3)
    return static_cast<float>(static_cast<Ext>(Sinc(a)) *
                              Sinc(static_cast<float>(static_cast<Ext>(a) / 3.0L)));
  return 0.0f;
}

// Mitchell-Netravali with B = C = 1/3.
float MitchellFilter(float t) {
  const Ext a = Abs(t);
  if (a < 1)
    return static_cast<float>((7.0L * (a * a * a) - 12.0L * (a * a) + 16.0L / 3) / 6.0L);
  if (a < 2)
    return static_cast<float>(
        (-(7.0L / 3) * (a * a * a) + 12.0L * (a * a) - 20.0L * a + 32.0L / 3) / 6.0L);
  return 0.0f;
}

// The table's functions set extended precision themselves, so any thread may call them
// whatever mode it started in.
template <FilterFunction Filter>
float InExtendedPrecision(float t) {
  X87ExtendedPrecision precision;
  return Filter(t);
}

}  // namespace

const std::array<FilterEntry, 7> FilterTable = {{
    {"Box", InExtendedPrecision<BoxFilter>, 0.5f},
    {"Triangle", InExtendedPrecision<TriangleFilter>, 1.0f},
    {"Hermite", InExtendedPrecision<HermiteFilter>, 1.0f},
    {"Bell", InExtendedPrecision<BellFilter>, 1.5f},
    {"B-Spline", InExtendedPrecision<BSplineFilter>, 2.0f},
    {"Lanczos3", InExtendedPrecision<Lanczos3Filter>, 3.0f},
    {"Mitchell", InExtendedPrecision<MitchellFilter>, 2.0f},
}};

}  // namespace tamsolo
