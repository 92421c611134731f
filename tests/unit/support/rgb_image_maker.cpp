#include "support/rgb_image_maker.h"

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

Rgb PixelAt(const RgbImage& image, int x, int y) {
  const uint8_t* p = image.Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

}  // namespace tamsolo::testing
