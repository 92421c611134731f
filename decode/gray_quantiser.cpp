#include "decode/gray_quantiser.h"

#include <array>
#include <cstddef>

namespace tamsolo {
namespace {

constexpr int kLevels = 236;
constexpr int kTop = kLevels - 1;

// A value goes to the first level whose upper bound ((2k + 1) 255 + 235) div 470 it does not
// pass. That is not always the nearest level: 110 values that are level values themselves
// go to the level below. The error (value - level value) is 0 or 1 for every value.
constexpr std::array<uint8_t, 256> MakeErrors() {
  std::array<uint8_t, 256> errors{};
  int level = 0;
  for (int j = 0; j < 256; ++j) {
    while (j > ((2 * level + 1) * 255 + kTop) / (2 * kTop))
      ++level;
    errors[static_cast<size_t>(j)] = static_cast<uint8_t>(j - (255 * level + kTop / 2) / kTop);
  }
  return errors;
}

// The library rounds the carried sixteenths as (7 e(previous) + E + 8) >> 4: 1 when E >= 8,
// or when the previous pixel's error was 1 and E >= 1. The entry of a gray value and what
// comes from above (0, 1 or 2) gives the pixel's error after either previous error: bit 0
// after an error of 0, bit 1 after 1.
constexpr std::array<uint8_t, 256 * 3> MakeSteps() {
  const std::array<uint8_t, 256> errors = MakeErrors();
  std::array<uint8_t, 256 * 3> steps{};
  for (size_t gray = 0; gray < 256; ++gray) {
    const auto errorWith = [&](size_t carry) {
      return errors[gray + carry > 255 ? 255 : gray + carry];
    };
    steps[gray * 3] = static_cast<uint8_t>(errorWith(0) | errorWith(0) << 1);
    steps[gray * 3 + 1] = static_cast<uint8_t>(errorWith(0) | errorWith(1) << 1);
    steps[gray * 3 + 2] = static_cast<uint8_t>(errorWith(1) | errorWith(1) << 1);
  }
  return steps;
}

constexpr std::array<uint8_t, 256 * 3> kSteps = MakeSteps();

// The serial part: each pixel's error from the one before it in the row's direction.
[[gnu::always_inline]] inline void ChainErrors(const uint8_t* gray, const uint8_t* fromAbove,
                                               uint32_t width, bool backwards, uint8_t* errors) {
  uint32_t error = 0;
  if (backwards) {
    for (uint32_t c = width; c-- > 0;) {
      error = (kSteps[gray[c] * 3u + fromAbove[c]] >> error) & 1u;
      errors[c] = static_cast<uint8_t>(error);
    }
  } else {
    for (uint32_t c = 0; c < width; ++c) {
      error = (kSteps[gray[c] * 3u + fromAbove[c]] >> error) & 1u;
      errors[c] = static_cast<uint8_t>(error);
    }
  }
}

// The rest, independent per column: the level value (gray plus its carry, clamped, minus its
// error), written three times, and what this row passes down. before and after are the error
// rows shifted by one column against and along the row's direction.
[[gnu::always_inline]] inline void FinishRowBody(
    const uint8_t* __restrict gray, const uint8_t* __restrict before,
    const uint8_t* __restrict errors, const uint8_t* __restrict after, uint32_t width,
    uint8_t* __restrict fromAbove, uint8_t* __restrict values, uint8_t* __restrict rgb) {
  for (size_t c = 0; c < width; ++c) {
    // 255 plus a carry is clamped to 255.
    const auto above = static_cast<uint8_t>(fromAbove[c] + before[c]);
    const uint8_t carry = above > 1 && gray[c] != 255 ? 1 : 0;
    values[c] = static_cast<uint8_t>(gray[c] + carry - errors[c]);
    fromAbove[c] =
        static_cast<uint8_t>((before[c] | errors[c] | after[c]) + (errors[c] & after[c]));
  }
  for (size_t c = 0; c < width; ++c) {
    rgb[3 * c] = values[c];
    rgb[3 * c + 1] = values[c];
    rgb[3 * c + 2] = values[c];
  }
}

struct RowBuffers {
  uint8_t* fromAbove;
  uint8_t* errors;  // with a zero before and after
  uint8_t* values;
};

[[gnu::always_inline]] inline void QuantiseRowBody(const uint8_t* gray, uint32_t width,
                                                   bool backwards, const RowBuffers& buffers,
                                                   uint8_t* rgb) {
  uint8_t* errors = buffers.errors;
  ChainErrors(gray, buffers.fromAbove, width, backwards, errors);
  const uint8_t* before = backwards ? errors + 1 : errors - 1;
  const uint8_t* after = backwards ? errors - 1 : errors + 1;
  FinishRowBody(gray, before, errors, after, width, buffers.fromAbove, buffers.values, rgb);
}

void QuantiseRowPlain(const uint8_t* gray, uint32_t width, bool backwards,
                      const RowBuffers& buffers, uint8_t* rgb) {
  QuantiseRowBody(gray, width, backwards, buffers, rgb);
}

// BMI2's shift keeps the chain at two one-cycle steps per pixel; every AVX2 processor has it.
[[gnu::target("avx2,bmi2")]] void QuantiseRowAvx2(const uint8_t* gray, uint32_t width,
                                                  bool backwards, const RowBuffers& buffers,
                                                  uint8_t* rgb) {
  QuantiseRowBody(gray, width, backwards, buffers, rgb);
}

using QuantiseRowFunction = decltype(&QuantiseRowPlain);

QuantiseRowFunction ChooseQuantiseRow() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") ? QuantiseRowAvx2
                                                                          : QuantiseRowPlain;
}

}  // namespace

GrayQuantiser::GrayQuantiser(uint32_t width)
    : width_(width), fromAbove_(width, 0), errors_(width + 2, 0), values_(width) {}

// Even rows run left to right, odd rows right to left, counted from the image's first row.
void GrayQuantiser::QuantiseRow(const uint8_t* gray, uint8_t* rgb) {
  static const QuantiseRowFunction kQuantiseRow = ChooseQuantiseRow();
  kQuantiseRow(gray, width_, oddRow_, {fromAbove_.data(), errors_.data() + 1, values_.data()}, rgb);
  oddRow_ = !oddRow_;
}

}  // namespace tamsolo
