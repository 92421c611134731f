#include "support/rgb_image_maker.h"

#include <algorithm>

namespace tamsolo::testing {

RgbImage MakeRgbImage(int width, int height, const std::function<Rgb(int x, int y)>& color) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = color(x, y);
      std::copy(c.begin(), c.end(), image.Row(y) + 3 * x);
    }
  }
  return image;
}

RgbImage MakeRgbImage(int width, int height,
                      const std::function<uint8_t(int x, int y, int c)>& sample) {
  return MakeRgbImage(width, height, [&](int x, int y) {
    Rgb c;
    for (int i = 0; i < 3; ++i)
      c[static_cast<size_t>(i)] = sample(x, y, i);
    return c;
  });
}

RgbImage RandomImage(int width, int height, std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  const bool edges = byte(random) < 128;
  return MakeRgbImage(width, height, [&](int, int, int) {
    const int v = byte(random);
    return static_cast<uint8_t>(edges ? (v < 128 ? 0 : 255) : v);
  });
}

bool SameImage(const RgbImage& a, const RgbImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + a.ByteSize(), b.Data());
}

Rgb PixelAt(const RgbImage& image, int x, int y) {
  const uint8_t* p = image.Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

}  // namespace tamsolo::testing
