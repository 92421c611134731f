#include "page/page_fill.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/error.h"
#include "platform/cpu_features.h"

namespace tamsolo {
namespace {

// (L + 50) div 1700 for L + 50 <= 25550 as a 16-bit high multiply and a shift, exact over that
// whole range (the tests check every colour), so the loop vectorises in 16-bit lanes.
constexpr uint32_t kGrayMultiplier = 9869;
constexpr int kGrayShift = 24;

// The interleaved three-byte loads vectorise only with byte shuffles (SSSE3 and later); the
// same loop is compiled once more for AVX2 and chosen at run time.
[[gnu::always_inline]] inline void GrayRunBody(const uint8_t* rgb, int32_t count, uint8_t* gray) {
  for (int32_t i = 0; i < count; ++i) {
    const auto level =
        static_cast<uint16_t>(30 * rgb[3 * i] + 59 * rgb[3 * i + 1] + 11 * rgb[3 * i + 2] + 50);
    const auto high = static_cast<uint16_t>((uint32_t{level} * kGrayMultiplier) >> 16);
    gray[i] = static_cast<uint8_t>(high >> (kGrayShift - 16));
  }
}

void GrayRunPlain(const uint8_t* rgb, int32_t count, uint8_t* gray) {
  GrayRunBody(rgb, count, gray);
}

[[gnu::target("avx2")]] void GrayRunAvx2(const uint8_t* rgb, int32_t count, uint8_t* gray) {
  GrayRunBody(rgb, count, gray);
}

using GrayRunFunction = void (*)(const uint8_t*, int32_t, uint8_t*);

void GrayRun(const uint8_t* rgb, int32_t count, uint8_t* gray) {
  static const GrayRunFunction kChosen = Avx2Available() ? GrayRunAvx2 : GrayRunPlain;
  kChosen(rgb, count, gray);
}

void PackRow(const uint8_t* gray, uint8_t* packed) {
  for (int32_t i = 0; i < kPageWidth / 2; ++i)
    packed[i] = static_cast<uint8_t>(gray[2 * i] << 4 | gray[2 * i + 1]);
}

}  // namespace

void FillPage(const RgbImage& scaled, int32_t firstColumn, PageImage& page) {
  if (scaled.Height() != kScaledHeight)
    throw Error("The scaled image must be 1008 rows high");
  const BmpInfoHeader& header = page.Header();
  if (header.width != kPageWidth || page.Rows() != kPageHeight || header.bitCount != 4)
    throw Error("The page is not set up");
  // Page columns [begin, end) show the image; the rest stays white in every row.
  const int64_t first = firstColumn;
  const int32_t begin = static_cast<int32_t>(std::clamp<int64_t>(-first, 0, kPageWidth));
  const int32_t end =
      static_cast<int32_t>(std::clamp<int64_t>(scaled.Width() - first, begin, kPageWidth));
  std::array<uint8_t, kPageWidth> gray;
  gray.fill(kWhiteIndex);
  for (int32_t y = 0; y < kScaledHeight; ++y) {
    if (end > begin)
      GrayRun(scaled.Row(y) + (first + begin) * 3, end - begin, gray.data() + begin);
    PackRow(gray.data(), page.PictureRow(y));
  }
  for (int32_t y = kScaledHeight; y < kPageHeight; ++y)
    std::memset(page.PictureRow(y), 0xFF, static_cast<size_t>(page.Stride()));
}

}  // namespace tamsolo
