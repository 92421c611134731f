#include "support/scan_simulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

#include <jpeglib.h>

#include "support/jpeg_encoder.h"

namespace tamsolo::testing {
namespace {

// A uniform draw in [from, to) from mt19937's exact sequence, so every library gives the same.
double Uniform(std::mt19937& random, double from, double to) {
  return from + (to - from) * (static_cast<double>(random()) + 0.5) / 4294967296.0;
}

// The printed page as shares between ink (0) and paper (1), through the scanner's tone curve,
// darkened towards the binding edge.
std::vector<float> PrintedShares(const RgbImage& page, const ScanSetup& setup) {
  std::vector<float> shares(static_cast<size_t>(page.Width()) * page.Height());
  std::array<float, 256> curve{};
  for (int v = 0; v < 256; ++v)
    curve[static_cast<size_t>(v)] = static_cast<float>(std::pow(v / 255.0, setup.gamma));
  const double reach = 0.02 * page.Width();
  for (int y = 0; y < page.Height(); ++y) {
    for (int x = 0; x < page.Width(); ++x) {
      const double edge = setup.spineOnRight ? page.Width() - 0.5 - x : x + 0.5;
      const double shade = 1 - setup.spineShadow * std::exp(-edge / reach);
      shares[static_cast<size_t>(y) * page.Width() + x] =
          curve[page.Row(y)[3 * x]] * static_cast<float>(shade);
    }
  }
  return shares;
}

// Where a scan pixel's centre falls on the page: the page centred at centre, turned by angle.
struct Placement {
  double cos, sin, centreX, centreY, halfWidth, halfHeight;
  void PagePoint(double x, double y, double& u, double& v) const {
    const double dx = x - centreX, dy = y - centreY;
    u = cos * dx + sin * dy + halfWidth - 0.5;
    v = -sin * dx + cos * dy + halfHeight - 0.5;
  }
};

// One channel of the scan: the page sampled bilinearly where it lies, the bed elsewhere and on
// the share of a pixel off the page's edge.
std::vector<float> ScanChannel(const std::vector<float>& shares, int pageWidth, int pageHeight,
                               const Placement& at, int width, int height, double paper, double ink,
                               double bed) {
  std::vector<float> out(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double u = 0, v = 0;
      at.PagePoint(x + 0.5, y + 0.5, u, v);
      const double fu = std::floor(u), fv = std::floor(v);
      const int iu = static_cast<int>(fu), iv = static_cast<int>(fv);
      double onPage = 0, share = 0;
      for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
          if (iu + i < 0 || iu + i >= pageWidth || iv + j < 0 || iv + j >= pageHeight)
            continue;
          const double w = (i ? u - fu : 1 - (u - fu)) * (j ? v - fv : 1 - (v - fv));
          onPage += w;
          share += w * shares[static_cast<size_t>(iv + j) * pageWidth + iu + i];
        }
      }
      out[static_cast<size_t>(y) * width + x] =
          static_cast<float>(onPage * ink + (paper - ink) * share + (1 - onPage) * bed);
    }
  }
  return out;
}

// A mild blur: 1 2 1 across and down, the edges repeated.
void Blur(std::vector<float>& plane, int width, int height) {
  std::vector<float> across(plane.size());
  for (int y = 0; y < height; ++y) {
    const float* row = plane.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x)
      across[static_cast<size_t>(y) * width + x] =
          (row[std::max(x - 1, 0)] + 2 * row[x] + row[std::min(x + 1, width - 1)]) / 4;
  }
  for (int y = 0; y < height; ++y) {
    const float* up = across.data() + static_cast<size_t>(std::max(y - 1, 0)) * width;
    const float* mid = across.data() + static_cast<size_t>(y) * width;
    const float* down = across.data() + static_cast<size_t>(std::min(y + 1, height - 1)) * width;
    for (int x = 0; x < width; ++x)
      plane[static_cast<size_t>(y) * width + x] = (up[x] + 2 * mid[x] + down[x]) / 4;
  }
}

// Normal draws by Box-Muller, made once; the noise picks from them.
std::vector<float> NormalTable(std::mt19937& random) {
  std::vector<float> table(65536);
  for (size_t i = 0; i < table.size(); i += 2) {
    const double r = std::sqrt(-2 * std::log(Uniform(random, 0, 1)));
    const double a = 2 * std::numbers::pi * Uniform(random, 0, 1);
    table[i] = static_cast<float>(r * std::cos(a));
    table[i + 1] = static_cast<float>(r * std::sin(a));
  }
  return table;
}

}  // namespace

ScanSetup RandomScanSetup(uint32_t seed, Bleed bleed) {
  std::mt19937 random(seed);
  ScanSetup setup;
  setup.angle = (random() % 2 ? 1 : -1) * Uniform(random, 0.3, 2.5);
  const double shift = Uniform(random, -8, 8);
  for (double& c : setup.paper)
    c += shift + Uniform(random, -3, 3);
  const double lift = Uniform(random, -10, 10);
  for (double& c : setup.ink)
    c += lift;
  setup.gamma = Uniform(random, 0.9, 1.1);
  for (double& m : setup.bedMargin)
    m = Uniform(random, 0.02, 0.08);
  setup.bed = std::array{244.0, 62.0, 14.0}[random() % 3] + Uniform(random, -4, 4);
  if (random() % 2) {
    setup.spineShadow = Uniform(random, 0.2, 0.45);
    setup.spineOnRight = bleed == Bleed::Left || (bleed != Bleed::Right && random() % 2);
  }
  return setup;
}

Scan SimulateScan(const CleanPage& page, const ScanSetup& setup, uint32_t seed) {
  const int pw = page.image.Width(), ph = page.image.Height();
  const double a = setup.angle * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  // The bed margins lie round the turned page's bounding box.
  const double boxWidth = pw * std::abs(c) + ph * std::abs(s);
  const double boxHeight = pw * std::abs(s) + ph * std::abs(c);
  const double left = setup.bedMargin[0] * pw, top = setup.bedMargin[1] * ph;
  const int width = static_cast<int>(std::ceil(left + boxWidth + setup.bedMargin[2] * pw));
  const int height = static_cast<int>(std::ceil(top + boxHeight + setup.bedMargin[3] * ph));
  const Placement at{c, s, left + boxWidth / 2, top + boxHeight / 2, pw / 2.0, ph / 2.0};

  const std::vector<float> shares = PrintedShares(page.image, setup);
  std::mt19937 random(seed);
  const std::vector<float> normal = NormalTable(random);
  RgbImage scanned(width, height);
  for (size_t ch = 0; ch < 3; ++ch) {
    std::vector<float> plane =
        ScanChannel(shares, pw, ph, at, width, height, setup.paper[ch], setup.ink[ch], setup.bed);
    Blur(plane, width, height);
    for (size_t i = 0; i < plane.size(); ++i) {
      const double v = plane[i] + setup.noise * normal[random() >> 16];
      scanned.Data()[3 * i + ch] = static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
  }

  Scan scan;
  scan.jpeg = EncodeJpeg(scanned, {.quality = setup.jpegQuality});
  scan.image = DecodeJpeg(scan.jpeg);
  scan.angle = setup.angle;
  // The straight picture's point s shows page point s - centre + R(-a) (pageCentre - centre).
  const double dx = at.centreX - width / 2.0, dy = at.centreY - height / 2.0;
  const double offsetX = width / 2.0 - pw / 2.0 + (c * dx + s * dy);
  const double offsetY = height / 2.0 - ph / 2.0 + (-s * dx + c * dy);
  scan.block = {page.block.left + offsetX, page.block.top + offsetY, page.block.right + offsetX,
                page.block.bottom + offsetY};
  return scan;
}

RgbImage DecodeJpeg(const std::vector<uint8_t>& bytes) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
    throw std::runtime_error("not a JPEG");
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  RgbImage image(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.Row(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return image;
}

}  // namespace tamsolo::testing
