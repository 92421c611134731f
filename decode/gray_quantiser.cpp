#include "decode/gray_quantiser.h"

#include <algorithm>
#include <array>

namespace tamsolo {
namespace {

constexpr int kLevels = 236;
constexpr int kTop = kLevels - 1;

struct LevelTables {
  std::array<uint8_t, 256> index{};  // the level a value is mapped to
  std::array<uint8_t, kLevels> value{};
};

// A value goes to the first level whose upper bound ((2k + 1) 255 + 235) div 470 it does not
// pass. That is not always the nearest level: 110 values that are level values themselves
// go to the level below, so the error of every pixel is 0 or +1.
LevelTables MakeLevelTables() {
  LevelTables tables;
  int level = 0;
  for (int j = 0; j < 256; ++j) {
    while (j > ((2 * level + 1) * 255 + kTop) / (2 * kTop))
      ++level;
    tables.index[j] = static_cast<uint8_t>(level);
  }
  for (int k = 0; k < kLevels; ++k)
    tables.value[k] = static_cast<uint8_t>((255 * k + kTop / 2) / kTop);
  return tables;
}

const LevelTables kTables = MakeLevelTables();

}  // namespace

GrayQuantiser::GrayQuantiser(uint32_t width) : width_(width), errors_(width + 2, 0) {}

// Even rows run left to right, odd rows right to left. errors_[c + 1] holds column c;
// `pass` is the error slot of the column before the current one in the row's direction.
void GrayQuantiser::QuantiseRow(const uint8_t* gray, uint8_t* rgb) {
  const int step = oddRow_ ? -1 : 1;
  int column = oddRow_ ? static_cast<int>(width_) - 1 : 0;
  int16_t* pass = errors_.data() + (oddRow_ ? width_ + 1 : 0);
  int cur = 0, below = 0, belowPrevious = 0;
  for (uint32_t i = 0; i < width_; ++i, column += step, pass += step) {
    // An arithmetic shift: the floor of the sixteenths, rounded.
    cur = (cur + pass[step] + 8) >> 4;
    cur = std::clamp(cur + gray[column], 0, 255);
    const uint8_t value = kTables.value[kTables.index[static_cast<size_t>(cur)]];
    std::fill_n(rgb + 3 * column, 3, value);
    const int error = cur - value;
    pass[0] = static_cast<int16_t>(belowPrevious + 3 * error);
    belowPrevious = below + 5 * error;
    below = error;
    cur = 7 * error;
  }
  pass[0] = static_cast<int16_t>(belowPrevious);
  oddRow_ = !oddRow_;
}

}  // namespace tamsolo
