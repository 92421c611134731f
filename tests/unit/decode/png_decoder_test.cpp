#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "decode/png/halftone_palette.h"
#include "decode/png/png_gamma.h"
#include "support/error_text.h"
#include "image/png_writer.h"
#include "support/rgb_image_maker.h"

namespace tamsolo {
namespace {

using testing::PixelAt;
using testing::Rgb;
using Bytes = std::vector<uint8_t>;

int PageLevel(const Rgb& c) {
  return (30 * c[0] + 59 * c[1] + 11 * c[2] + 50) / 1700;
}

Bytes Chunk(const std::string& type, const Bytes& data = {}) {
  return PngChunkBytes(type, data);
}

Bytes GamaChunk(uint32_t gamma) {
  return Chunk("gAMA", BigEndian32(gamma));
}

Bytes PlteChunk(const std::vector<Rgb>& colors) {
  Bytes data;
  for (const Rgb& c : colors)
    data.insert(data.end(), c.begin(), c.end());
  return Chunk("PLTE", data);
}

// A 1x1 8-bit RGB image of the given colour, filter 0.
RawPng OnePixel(Rgb color, uint8_t colorType = 2, uint8_t bitDepth = 8) {
  RawPng image;
  image.colorType = colorType;
  image.bitDepth = bitDepth;
  image.sample = [color](uint32_t, uint32_t, int c) -> uint16_t { return c < 3 ? color[c] : 0; };
  return image;
}

Rgb DecodeOnePixel(const Bytes& file) {
  const RgbImage image = DecodePng(file);
  EXPECT_EQ(image.Width(), 1);
  EXPECT_EQ(image.Height(), 1);
  return PixelAt(image, 0, 0);
}

// Cycles through every filter type, and lets the encoder pick on every sixth row, so each
// filter meets first rows, short rows and rows with a previous row.
uint8_t FilterCycle(int pass, uint32_t row) {
  const uint32_t k = (row + static_cast<uint32_t>(pass)) % 6;
  return k == 5 ? kAdaptiveFilter : static_cast<uint8_t>(k);
}

// --- Image geometry: every colour type and depth, interlaced and not, every filter. ---
// The samples are chosen so that the reduction to a fixed palette keeps them, so the decoded
// image must equal the source pixel for pixel.

struct Format {
  uint8_t colorType;
  uint8_t bitDepth;
};

const Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

// A well-mixed pixel hash, so neighbouring pixels and rows differ and every filter has work.
uint32_t Hash(uint32_t x, uint32_t y, uint32_t salt) {
  uint32_t h = x * 73856093u ^ y * 19349663u ^ salt * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

struct Fixture {
  RawPng raw;
  Bytes extraChunks;
  std::function<Rgb(uint32_t x, uint32_t y)> expected;
};

// Palette colours that every fixed palette holds as they are.
const std::vector<Rgb> kExactColors = {
    {0, 0, 0},   {255, 255, 255}, {128, 0, 0},   {0, 128, 128}, {192, 192, 192}, {255, 255, 0},
    {0, 0, 255}, {128, 128, 128}, {255, 0, 255}, {0, 255, 0},   {128, 0, 128},   {0, 0, 128},
    {255, 0, 0}, {128, 128, 0},   {0, 128, 0},   {0, 255, 255}};
// Grays the halftone palette holds.
const uint8_t kHalftoneGrays[] = {0, 6, 12, 21, 51, 63, 102, 128, 153, 192, 204, 250, 254, 255};

Fixture MakeFixture(Format f, uint32_t width, uint32_t height, bool interlaced) {
  Fixture fx;
  fx.raw.width = width;
  fx.raw.height = height;
  fx.raw.colorType = f.colorType;
  fx.raw.bitDepth = f.bitDepth;
  fx.raw.interlaced = interlaced;
  fx.raw.filter = FilterCycle;
  const uint32_t salt = f.colorType * 100u + f.bitDepth;
  if (f.colorType == 2 || f.colorType == 6) {
    // Any value stands; 16-bit samples carry noise in the low byte that must be dropped.
    fx.raw.sample = [=](uint32_t x, uint32_t y, int c) -> uint16_t {
      const uint32_t h = Hash(x, y, salt + c);
      return f.bitDepth == 16 ? static_cast<uint16_t>(h) : static_cast<uint16_t>(h & 0xFF);
    };
    fx.expected = [=](uint32_t x, uint32_t y) {
      Rgb rgb;
      for (int c = 0; c < 3; ++c) {
        const uint32_t h = Hash(x, y, salt + c);
        rgb[c] = static_cast<uint8_t>(f.bitDepth == 16 ? (h >> 8) & 0xFF : h & 0xFF);
      }
      return rgb;
    };
  } else if (f.colorType == 3) {
    const uint32_t entries = f.bitDepth == 1 ? 2 : f.bitDepth == 8 ? 16 : (1u << f.bitDepth);
    std::vector<Rgb> colors(kExactColors.begin(), kExactColors.begin() + entries);
    if (f.bitDepth == 1)
      colors = {{0, 0, 0}, {255, 255, 255}};
    if (f.bitDepth == 2)
      colors = {{0, 0, 0}, {255, 0, 0}, {128, 128, 128}, {255, 255, 255}};
    fx.extraChunks = PlteChunk(colors);
    const uint32_t mask = (1u << f.bitDepth) - 1;
    fx.raw.sample = [=](uint32_t x, uint32_t y, int) -> uint16_t {
      return static_cast<uint16_t>(Hash(x, y, salt) % entries & mask);
    };
    fx.expected = [=](uint32_t x, uint32_t y) { return colors[Hash(x, y, salt) % entries]; };
  } else {
    // Gray and gray-alpha: pick among grays the reduction keeps.
    std::vector<uint8_t> grays;
    // Below 8 bits only black and white are kept exactly (17v and 85v never hit 128 or 192);
    // the other low-depth levels have their own worked test.
    if (f.bitDepth < 8)
      grays = {0, 255};
    else
      grays.assign(std::begin(kHalftoneGrays), std::end(kHalftoneGrays));
    const int depth = f.bitDepth;
    fx.raw.sample = [=](uint32_t x, uint32_t y, int c) -> uint16_t {
      if (c == 1)
        return static_cast<uint16_t>(Hash(x, y, 7) & ((1u << depth) - 1));  // alpha
      const uint8_t g = grays[Hash(x, y, salt) % grays.size()];
      if (depth == 16)
        return static_cast<uint16_t>(g << 8 | (Hash(y, x, 3) & 0xFF));
      return static_cast<uint16_t>(g * ((1u << depth) - 1) / 255);
    };
    fx.expected = [=](uint32_t x, uint32_t y) {
      const uint8_t g = grays[Hash(x, y, salt) % grays.size()];
      return Rgb{g, g, g};
    };
  }
  return fx;
}

void ExpectDecodesToFixture(const Fixture& fx) {
  std::vector<Bytes> extra;
  if (!fx.extraChunks.empty())
    extra.push_back(fx.extraChunks);
  const RgbImage image = DecodePng(MakePng(fx.raw, extra));
  ASSERT_EQ(image.Width(), static_cast<int>(fx.raw.width));
  ASSERT_EQ(image.Height(), static_cast<int>(fx.raw.height));
  // Gray types are known gray; a colour image only when nothing in it can be coloured.
  EXPECT_TRUE(image.KnownGray() || (fx.raw.colorType != 0 && fx.raw.colorType != 4));
  EXPECT_FALSE(image.KnownGray() && (fx.raw.colorType == 2 || fx.raw.colorType == 6));
  for (uint32_t y = 0; y < fx.raw.height; ++y) {
    for (uint32_t x = 0; x < fx.raw.width; ++x) {
      const Rgb expected = fx.expected(x, y);
      ASSERT_TRUE(!image.KnownGray() || (expected[0] == expected[1] && expected[1] == expected[2]));
      ASSERT_EQ(PixelAt(image, static_cast<int>(x), static_cast<int>(y)), fx.expected(x, y))
          << "pixel " << x << "," << y;
    }
  }
}

TEST(PngGeometry, EveryFormatSizeFilterAndInterlace) {
  // Sizes hit empty Adam7 passes (1x1, 3x2), partial bytes at low depths and odd widths.
  const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {3, 2}, {5, 9}, {13, 11}, {33, 17}};
  for (const Format& f : kFormats) {
    for (const auto& [w, h] : sizes) {
      for (bool interlaced : {false, true}) {
        SCOPED_TRACE("type " + std::to_string(f.colorType) + " depth " +
                     std::to_string(f.bitDepth) + " size " + std::to_string(w) + "x" +
                     std::to_string(h) + (interlaced ? " Adam7" : ""));
        ExpectDecodesToFixture(MakeFixture(f, w, h, interlaced));
      }
    }
  }
}

TEST(PngGeometry, ImageDataSplitOverManyIdatChunks) {
  Fixture fx = MakeFixture({2, 8}, 40, 30, true);
  const Bytes stream = ZlibCompress(FilteredImageData(fx.raw));
  std::vector<Bytes> chunks = {Chunk("IHDR", IhdrData(40, 30, 8, 2, 1))};
  for (size_t at = 0; at < stream.size(); at += 7) {
    const size_t n = std::min<size_t>(7, stream.size() - at);
    chunks.push_back(Chunk("IDAT", Bytes(stream.begin() + at, stream.begin() + at + n)));
    if (at == 14)
      chunks.push_back(Chunk("IDAT"));  // an empty IDAT inside the run
  }
  chunks.push_back(Chunk("IEND"));
  const RgbImage image = DecodePng(PngFileBytes(chunks));
  EXPECT_EQ(PixelAt(image, 39, 29), fx.expected(39, 29));
  EXPECT_EQ(PixelAt(image, 17, 3), fx.expected(17, 3));
}

// --- Sample values ---

TEST(PngSamples, SixteenBitTakesMostSignificantByte) {
  RawPng image = OnePixel({0, 0, 0}, 2, 16);
  image.sample = [](uint32_t, uint32_t, int c) -> uint16_t { return c == 0 ? 0x12FF : 0xAB01; };
  EXPECT_EQ(DecodeOnePixel(MakePng(image)), (Rgb{0x12, 0xAB, 0xAB}));
}

TEST(PngSamples, LowDepthGraysScaleToFullRange) {
  // 2 bits: 0, 85, 170, 255 before the 16-colour reduction, which keeps 0 and 255 and moves
  // 85 to (128,128,128) and 170 to (192,192,192).
  const Rgb expected2[4] = {{0, 0, 0}, {128, 128, 128}, {192, 192, 192}, {255, 255, 255}};
  for (uint16_t v = 0; v < 4; ++v) {
    RawPng image = OnePixel({0, 0, 0}, 0, 2);
    image.sample = [v](uint32_t, uint32_t, int) -> uint16_t { return v; };
    EXPECT_EQ(DecodeOnePixel(MakePng(image)), expected2[v]) << v;
  }
  // 4 bits: 17v. Worked by hand against the grays 0, 128, 192, 255 of the 16 colours.
  const uint8_t expected4[16] = {0,   0,   0,   0,   128, 128, 128, 128,
                                 128, 128, 192, 192, 192, 192, 255, 255};
  for (uint16_t v = 0; v < 16; ++v) {
    RawPng image = OnePixel({0, 0, 0}, 0, 4);
    image.sample = [v](uint32_t, uint32_t, int) -> uint16_t { return v; };
    const uint8_t g = expected4[v];
    EXPECT_EQ(DecodeOnePixel(MakePng(image)), (Rgb{g, g, g})) << v;
  }
}

TEST(PngSamples, AlphaAndTransparencyChangeNothing) {
  RawPng rgba = OnePixel({10, 20, 30}, 6, 8);  // alpha sample 0
  EXPECT_EQ(DecodeOnePixel(MakePng(rgba)), (Rgb{10, 20, 30}));
  const Bytes trns = Chunk("tRNS", Bytes{0, 10, 0, 20, 0, 30});
  EXPECT_EQ(DecodeOnePixel(MakePng(OnePixel({10, 20, 30}), {trns})), (Rgb{10, 20, 30}));
  RawPng grayAlpha = OnePixel({0, 0, 0}, 4, 8);
  grayAlpha.sample = [](uint32_t, uint32_t, int c) -> uint16_t { return c == 0 ? 204 : 0; };
  EXPECT_EQ(DecodeOnePixel(MakePng(grayAlpha)), (Rgb{204, 204, 204}));
}

TEST(PngSamples, PaletteIndexBeyondPlteIsBlack) {
  RawPng image = OnePixel({0, 0, 0}, 3, 8);
  image.width = 3;
  image.sample = [](uint32_t x, uint32_t, int) -> uint16_t { return x == 0 ? 1 : 200; };
  const Bytes plte = PlteChunk({{255, 255, 255}, {0, 0, 255}});
  const RgbImage decoded = DecodePng(MakePng(image, {plte, Chunk("tRNS", Bytes{0, 0})}));
  EXPECT_EQ(PixelAt(decoded, 0, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelAt(decoded, 1, 0), (Rgb{0, 0, 0}));
  // An empty PLTE leaves every index beyond it.
  EXPECT_EQ(DecodeOnePixel(MakePng(OnePixel({0, 0, 0}, 3, 1), {Chunk("PLTE")})), (Rgb{0, 0, 0}));
}

// --- Gamma ---

TEST(PngGamma, TableWorkedValues) {
  EXPECT_EQ(PngGammaTable(45455), IdentityGammaTable());
  const GammaTable bright = PngGammaTable(100000);
  EXPECT_EQ(bright[128], 186);
  EXPECT_EQ(bright[64], 136);
  // 255 x (1/255)^(1/2.2) = 20.54 and 255 x (254/255)^(1/2.2) = 254.54.
  EXPECT_EQ(bright[1], 21);
  EXPECT_EQ(bright[254], 255);
  // g = 50000: the exponent is 1/1.1; 255 x (128/255)^(1/1.1) = 136.28.
  EXPECT_EQ(PngGammaTable(50000)[128], 136);
  for (uint32_t g : {1u, 1000u, 45454u, 45456u, 100000u, 4294967295u}) {
    const GammaTable t = PngGammaTable(g);
    EXPECT_EQ(t[0], 0) << g;
    EXPECT_EQ(t[255], 255) << g;
    for (int i = 1; i < 256; ++i)
      EXPECT_LE(t[i - 1], t[i]) << g << " at " << i;
  }
}

TEST(PngGamma, DecodedSamplesFollowTheTable) {
  RawPng image = OnePixel({128, 64, 0});
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {GamaChunk(100000)})), (Rgb{186, 136, 0}));
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {GamaChunk(45455)})), (Rgb{128, 64, 0}));
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {GamaChunk(0)})), (Rgb{128, 64, 0}));
  // The last gAMA before the image data wins; one after it comes too late.
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {GamaChunk(45455), GamaChunk(100000)})),
            (Rgb{186, 136, 0}));
  RawPng plain = OnePixel({128, 64, 0});
  Bytes file = MakePng(plain);
  const Bytes late = GamaChunk(100000);
  file.insert(file.end() - 12, late.begin(), late.end());
  EXPECT_EQ(DecodeOnePixel(file), (Rgb{128, 64, 0}));
  // A very small gamma darkens everything but full white; zero stays zero.
  RawPng white = OnePixel({255, 254, 0});
  EXPECT_EQ(DecodeOnePixel(MakePng(white, {GamaChunk(1)})), (Rgb{255, 0, 0}));
}

TEST(PngGamma, PaletteTakesTheTableOfItsReading) {
  // 16-colour-exact entries so the reduction keeps the gamma result visible:
  // under g = 100000, 128 -> 186 moves to the 16-colour (192,192,192).
  RawPng image = OnePixel({0, 0, 0}, 3, 4);
  const Bytes plte = PlteChunk({{128, 128, 128}});
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {GamaChunk(100000), plte})), (Rgb{192, 192, 192}));
  EXPECT_EQ(DecodeOnePixel(MakePng(image, {plte, GamaChunk(100000)})), (Rgb{128, 128, 128}));
}

// --- Reduction to the fixed palettes ---

TEST(PngReduction, EveryGrayKeepsItsPageLevelThroughTheHalftonePalette) {
  for (uint8_t colorType : {0, 4}) {
    for (uint8_t depth : {8, 16}) {
      RawPng image = OnePixel({0, 0, 0}, colorType, depth);
      image.width = 256;
      image.sample = [depth](uint32_t x, uint32_t, int c) -> uint16_t {
        if (c == 1)
          return 0;
        return static_cast<uint16_t>(depth == 16 ? (x << 8 | 0xFF) : x);
      };
      const RgbImage decoded = DecodePng(MakePng(image));
      for (int g = 0; g < 256; ++g) {
        EXPECT_EQ(PageLevel(PixelAt(decoded, g, 0)), (100 * g + 50) / 1700)
            << "gray " << g << " type " << int{colorType} << " depth " << int{depth};
      }
    }
  }
}

TEST(PngReduction, HalftonePaletteHoldsDistinctColoursIncludingTheSixteen) {
  const auto halftone = HalftonePalette();
  ASSERT_EQ(halftone.size(), 256u);
  for (size_t i = 0; i < halftone.size(); ++i) {
    for (size_t j = i + 1; j < halftone.size(); ++j)
      EXPECT_FALSE(halftone[i] == halftone[j]) << i << " " << j;
  }
  for (const PaletteColor& c : SixteenColorPalette())
    EXPECT_EQ(halftone[NearestColorIndex(halftone, c)], c);
}

TEST(PngReduction, PaletteImagesMapToTheirFixedPalette) {
  // 1 bit: nearest of black and white; an exact tie goes to black.
  const Bytes plte1 = PlteChunk({{200, 100, 100}, {10, 60, 40}});
  RawPng one = OnePixel({0, 0, 0}, 3, 1);
  one.width = 2;
  one.sample = [](uint32_t x, uint32_t, int) -> uint16_t { return static_cast<uint16_t>(x); };
  RgbImage decoded = DecodePng(MakePng(one, {plte1}));
  EXPECT_EQ(PixelAt(decoded, 0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(decoded, 1, 0), (Rgb{0, 0, 0}));
  // 4 bits: (200, 30, 20) is nearest to red (255, 0, 0) of the 16 colours.
  RawPng four = OnePixel({0, 0, 0}, 3, 4);
  EXPECT_EQ(DecodeOnePixel(MakePng(four, {PlteChunk({{200, 30, 20}})})), (Rgb{255, 0, 0}));
  // 8 bits: (200, 30, 20) is nearest to the cube colour (204, 51, 0).
  RawPng eight = OnePixel({0, 0, 0}, 3, 8);
  EXPECT_EQ(DecodeOnePixel(MakePng(eight, {PlteChunk({{200, 30, 20}})})), (Rgb{204, 51, 0}));
}

// --- Chunk rules and failures ---

Bytes ValidFile() {
  return MakePng(OnePixel({1, 2, 3}));
}

// Signature, IHDR, then the given chunks.
Bytes WithChunks(const std::vector<Bytes>& chunks, const Bytes& ihdr = IhdrData(1, 1, 8, 2)) {
  std::vector<Bytes> all = {Chunk("IHDR", ihdr)};
  all.insert(all.end(), chunks.begin(), chunks.end());
  return PngFileBytes(all);
}

Bytes OnePixelIdat(uint8_t bytesPerPixel = 3) {
  return Chunk("IDAT", ZlibCompress(Bytes(1 + bytesPerPixel, 0)));
}

TEST(PngChunks, AncillaryAndLaterChunksAreReadButChangeNothing) {
  const Bytes idat = OnePixelIdat();
  const std::vector<Bytes> cases[] = {
      {Chunk("tIME", Bytes(7, 1)), Chunk("tEXt", Bytes{'a', 0, 'b'}), idat, Chunk("IEND")},
      {Chunk("zTXt", Bytes{'a', 0, 0}), Chunk("sRGB", Bytes{0}), idat, Chunk("IEND")},
      {Chunk("gAMA", Bytes{1, 2}), idat, Chunk("IEND")},                    // too short: ignored
      {idat, Chunk("tEXt"), Chunk("IDAT", Bytes{1, 2, 3}), Chunk("IEND")},  // later run skipped
      {idat, Chunk("IEND"), Bytes{0xDE, 0xAD}},                             // after IEND
  };
  for (const auto& chunks : cases)
    EXPECT_EQ(DecodeOnePixel(WithChunks(chunks)), (Rgb{0, 0, 0}));
  // cHRM is skipped unread: its CRC does not matter.
  Bytes chrm = Chunk("cHRM", Bytes(32, 5));
  chrm.back() ^= 0xFF;
  EXPECT_EQ(DecodeOnePixel(WithChunks({chrm, idat, Chunk("IEND")})), (Rgb{0, 0, 0}));
}

std::string DecodeError(const Bytes& file, uint64_t limit = kDefaultDecodeMemoryLimit) {
  return testing::ErrorText([&] { DecodePng(file, limit); });
}

struct Rejected {
  const char* why;
  Bytes file;
  const char* message;
};

void ExpectRejected(const std::vector<Rejected>& cases) {
  for (const Rejected& c : cases)
    EXPECT_EQ(DecodeError(c.file), c.message) << c.why;
}

TEST(PngFailures, HeaderProblems) {
  const Bytes valid = ValidFile();
  Bytes badSignature = valid;
  badSignature[1] = 'Q';
  Bytes shortIhdr = IhdrData(1, 1, 8, 2);
  shortIhdr.pop_back();
  Bytes compression = IhdrData(1, 1, 8, 2);
  compression[10] = 1;
  const std::vector<Bytes> rest = {OnePixelIdat(), Chunk("IEND")};
  std::vector<Rejected> cases = {
      {"signature", badSignature, "Not a PNG file: bad signature"},
      {"signature only", Bytes(valid.begin(), valid.begin() + 8), "PNG file ends before IEND"},
      {"first chunk not IHDR",
       PngFileBytes({Chunk("gAMA", BigEndian32(45455)), Chunk("IHDR", IhdrData(1, 1, 8, 2)),
                     OnePixelIdat(), Chunk("IEND")}),
       "PNG file does not start with IHDR"},
      {"IHDR of 12 bytes", WithChunks(rest, shortIhdr), "PNG IHDR is too short"},
      {"width", WithChunks(rest, IhdrData(65536, 1, 8, 2)),
       "PNG image is larger than 65535 pixels"},
      {"height", WithChunks(rest, IhdrData(1, 65536, 8, 2)),
       "PNG image is larger than 65535 pixels"},
      {"empty", WithChunks(rest, IhdrData(0, 1, 8, 2)), "PNG image has no pixels"},
      {"compression", WithChunks(rest, compression), "PNG compression method is unknown"},
      {"interlace", WithChunks(rest, IhdrData(1, 1, 8, 2, 2)), "PNG interlace method is unknown"},
  };
  const std::pair<uint8_t, uint8_t> badFormats[] = {{0, 3}, {0, 32}, {2, 4}, {3, 16},
                                                    {4, 4}, {6, 1},  {1, 8}, {7, 8}};
  for (const auto& [type, depth] : badFormats) {
    cases.push_back({"a type and depth not allowed", WithChunks(rest, IhdrData(1, 1, depth, type)),
                     "PNG colour type and bit depth are not allowed"});
  }
  ExpectRejected(cases);
  // The filter method is not checked, and extra IHDR bytes are allowed.
  Bytes lenient = IhdrData(1, 1, 8, 2);
  lenient[11] = 7;
  lenient.push_back(0);
  EXPECT_EQ(DecodeError(WithChunks(rest, lenient)), "no error");
}

TEST(PngFailures, ChunkProblems) {
  Bytes badCrc = WithChunks({Chunk("tEXt", Bytes{'a', 0}), OnePixelIdat(), Chunk("IEND")});
  badCrc[8 + 25 + 8 + 1] ^= 1;  // a byte of the tEXt data
  Bytes badIendCrc = ValidFile();
  badIendCrc.back() ^= 1;
  Bytes hugeLength = WithChunks({OnePixelIdat(), Chunk("IEND")});
  hugeLength[33] = 0x7F;  // IDAT length now far beyond the file
  const Bytes valid = ValidFile();
  ExpectRejected({
      {"CRC of an ancillary chunk", badCrc, "PNG chunk CRC mismatch"},
      {"CRC of IEND", badIendCrc, "PNG chunk CRC mismatch"},
      {"unknown critical chunk", WithChunks({Chunk("JUNK"), OnePixelIdat(), Chunk("IEND")}),
       "PNG file holds an unknown critical chunk"},
      {"tRNS of 257 bytes",
       WithChunks({Chunk("tRNS", Bytes(257, 0)), OnePixelIdat(), Chunk("IEND")}),
       "PNG tRNS is longer than 256 bytes"},
      {"declared length beyond the file", hugeLength, "PNG file ends before IEND"},
      {"no IEND", Bytes(valid.begin(), valid.end() - 12), "PNG file ends before IEND"},
      {"cut inside IEND", Bytes(valid.begin(), valid.end() - 3), "PNG file ends before IEND"},
      {"no IDAT", WithChunks({Chunk("IEND")}), "PNG file has no image data"},
  });
}

TEST(PngFailures, PaletteProblems) {
  const Bytes idat = OnePixelIdat(1);
  const Bytes ihdr = IhdrData(1, 1, 8, 3);
  const Bytes plte = PlteChunk({{1, 2, 3}});
  ExpectRejected({
      {"palette image without PLTE", WithChunks({idat, Chunk("IEND")}, ihdr),
       "PNG palette image has no PLTE"},
      {"second PLTE", WithChunks({plte, plte, idat, Chunk("IEND")}, ihdr),
       "PNG file holds a second PLTE"},
      // A colour image may have a PLTE, but only before its image data.
      {"PLTE after IDAT", WithChunks({OnePixelIdat(), plte, Chunk("IEND")}),
       "PNG PLTE comes after the image data"},
      {"PLTE length not a multiple of 3",
       WithChunks({Chunk("PLTE", Bytes(4, 0)), idat, Chunk("IEND")}, ihdr), "PNG PLTE is invalid"},
      {"PLTE of 257 entries",
       WithChunks({Chunk("PLTE", Bytes(257 * 3, 0)), idat, Chunk("IEND")}, ihdr),
       "PNG PLTE is invalid"},
  });
  EXPECT_EQ(DecodeError(WithChunks({Chunk("PLTE", Bytes(256 * 3, 0)), idat, Chunk("IEND")}, ihdr)),
            "no error");
  EXPECT_EQ(DecodeError(WithChunks({plte, OnePixelIdat(), Chunk("IEND")})), "no error");
}

TEST(PngFailures, ImageDataProblems) {
  const Bytes stream = ZlibCompress(Bytes(4 * 3, 0));  // three rows of one RGB pixel
  const Bytes ihdr = IhdrData(1, 4, 8, 2);
  ExpectRejected({
      {"stream too short", WithChunks({Chunk("IDAT", stream), Chunk("IEND")}, ihdr),
       "PNG image data ends early"},
      {"stream cut",
       WithChunks({Chunk("IDAT", Bytes(stream.begin(), stream.end() - 6)), Chunk("IEND")}, ihdr),
       "PNG image data ends early"},
      {"corrupt deflate data",
       WithChunks({Chunk("IDAT", Bytes{0x78, 0x9C, 0xFF, 0xFF, 0xFF}), Chunk("IEND")}),
       "PNG image data is corrupt"},
      {"bad zlib header", WithChunks({Chunk("IDAT", Bytes{0x12, 0x34}), Chunk("IEND")}),
       "PNG image data is corrupt"},
      {"filter type 5", WithChunks({Chunk("IDAT", ZlibCompress(Bytes{5, 0, 0, 0})), Chunk("IEND")}),
       "PNG image data is corrupt: unknown filter type"},
  });
  // More data than the rows need is not an error: the last row ends the image.
  EXPECT_EQ(DecodeError(WithChunks({Chunk("IDAT", ZlibCompress(Bytes(40, 0))), Chunk("IEND")})),
            "no error");
}

// The budget is the image (w x h x 3), two rows of filtered data with their filter bytes and
// 48 KiB for inflate.
TEST(PngFailures, MemoryLimitIsCheckedBeforeAllocating) {
  RawPng big = OnePixel({0, 0, 0});
  big.width = 1000;
  big.height = 1000;
  big.sample = [](uint32_t, uint32_t, int) -> uint16_t { return 9; };
  const Bytes file = MakePng(big);
  // 3,000,000 + 2 x 3,001 + 49,152
  EXPECT_EQ(DecodeError(file, 3'055'153), "Image too large: needs 3055154 bytes, limit 3055153");
  EXPECT_EQ(DecodeError(file, 3'055'154), "no error");
  // A huge declared size with almost no data fails on the budget, not on allocation.
  EXPECT_EQ(DecodeError(WithChunks({OnePixelIdat(), Chunk("IEND")}, IhdrData(65535, 65535, 16, 6)),
                        64u << 20),
            "Image too large: needs 12885606389 bytes, limit 67108864");
}

}  // namespace
}  // namespace tamsolo
