#pragma once

#include <array>
#include <cstdint>

namespace tamsolo {

// A resampling kernel: float32 distance in, float32 weight out, zero outside its support.
using FilterFunction = float (*)(float t);

struct FilterEntry {
  const char* name;
  FilterFunction function;
  float support;
};

inline constexpr int32_t kDefaultFilterIndex = 5;  // "Lanczos3"

// Index 0..6: "Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell".
extern const std::array<FilterEntry, 7> FilterTable;

}  // namespace tamsolo
