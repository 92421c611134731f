#include <gtest/gtest.h>

#include <functional>

#include "decode/decoders.h"
#include "support/bmp_writer.h"
#include "support/error_text.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using testing::Bmp;
using testing::BmpFields;
using testing::PadRows;
using testing::PixelAt;
using testing::Rgb;
using testing::WriteBmp;

RgbImage Decode(const BmpFields& fields, uint64_t limit = kDefaultDecodeMemoryLimit) {
  return DecodeBmp(WriteBmp(fields), limit);
}

std::string DecodeError(const std::vector<uint8_t>& bytes, uint64_t limit) {
  return testing::ErrorText([&] { DecodeBmp(bytes, limit); });
}

std::vector<Rgb> Row(const RgbImage& image, int y) {
  std::vector<Rgb> row;
  for (int x = 0; x < image.Width(); ++x)
    row.push_back(PixelAt(image, x, y));
  return row;
}

// Packs palette indices most significant bits first, as BMP rows store them.
std::vector<uint8_t> PackIndices(const std::vector<int>& indices, int bits) {
  std::vector<uint8_t> row((indices.size() * bits + 7) / 8);
  for (size_t i = 0; i < indices.size(); ++i)
    row[i * bits / 8] |= indices[i] << (8 - bits - i * bits % 8);
  return row;
}

TEST(BmpDecoder, PaletteImagesInBothHeaderForms) {
  for (uint32_t headerSize : {12u, 40u, 124u}) {
    for (int bits : {1, 4, 8}) {
      SCOPED_TRACE("header " + std::to_string(headerSize) + ", bits " + std::to_string(bits));
      BmpFields f = Bmp(5, 2, static_cast<uint16_t>(bits)).Header(headerSize);
      for (int i = 0; i < 1 << bits; ++i)
        f.palette.push_back({uint8_t(i * 10), uint8_t(255 - i), uint8_t(i * 3)});
      const auto index = [&](int x, int y) { return (x + 2 * y + 1) % (1 << bits); };
      std::vector<std::vector<uint8_t>> rows;
      for (int y : {1, 0})  // bottom row first
        rows.push_back(
            PackIndices({index(0, y), index(1, y), index(2, y), index(3, y), index(4, y)}, bits));
      f.pixels = PadRows(rows);
      const RgbImage image = Decode(f);
      ASSERT_EQ(image.Width(), 5);
      ASSERT_EQ(image.Height(), 2);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x)
          EXPECT_EQ(PixelAt(image, x, y), f.palette[index(x, y)]) << x << "," << y;
      }
    }
  }
}

TEST(BmpDecoder, TrueColorForms) {
  // 24 bits: blue, green, red; 32 bits: blue, green, red and an ignored fourth byte.
  BmpFields f = Bmp(1, 2).ImageSize(0xFFFFFFFF).Pixels(PadRows({{3, 2, 1}, {6, 5, 4}}));
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{4, 5, 6}}));
  f = Bmp(2, -1, 32).Pixels({30, 20, 10, 0xAB, 1, 2, 3, 0xFF});
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{10, 20, 30}, {3, 2, 1}}));
  // 16 bits without masks: 5-5-5, each field widened by repeating its top bits.
  f = Bmp(4, -1, 16).Pixels({0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00, 0x01, 0x00});
  EXPECT_EQ(Row(Decode(f), 0),
            (std::vector<Rgb>{{255, 255, 255}, {255, 0, 0}, {0, 0, 132}, {0, 0, 8}}));
}

TEST(BmpDecoder, BitFieldMasksDecideTheChannels) {
  // 5-6-5 with the masks after a 40-byte header.
  BmpFields f = Bmp(3, -1, 16).Compression(3).Masks(0xF800, 0x07E0, 0x001F);
  f.Pixels(PadRows({{0xE0, 0x07, 0x20, 0x00, 0x00, 0x08}}));
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{0, 255, 0}, {0, 4, 0}, {8, 0, 0}}));
  // 32 bits, masks inside a 108-byte header: red in the low byte, a 10-bit green field
  // (its top 8 bits are kept), a 4-bit blue field and no mask for the rest.
  f = Bmp(1, 1, 32).Header(108).Compression(3).Masks(0x000000FF, 0x3FF00000, 0x0000F000);
  f.Pixels({0x12, 0x70, 0xA0, 0xEA});  // 0xEAA07012
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{0x12, 0xAA, 0x77}}));
}

TEST(BmpDecoder, Rle8RunsAndEscapes) {
  BmpFields f = Bmp(6, 3, 8).Compression(1);
  f.Palette({{1, 1, 1}, {10, 0, 0}, {0, 20, 0}, {0, 0, 30}});
  f.pixels = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0,  // run, odd absolute run with its pad, end of line
              8, 3, 0, 0,                    // a run longer than the row is cut at its end
              0, 2, 2, 0, 1, 2, 0, 1,        // delta right by 2, one pixel, end of bitmap
              9, 9};                         // after the end: never read
  const RgbImage image = Decode(f);
  const Rgb k{1, 1, 1}, r{10, 0, 0}, g{0, 20, 0}, b{0, 0, 30};
  EXPECT_EQ(Row(image, 2), (std::vector<Rgb>{r, r, r, g, b, g}));
  EXPECT_EQ(Row(image, 1), (std::vector<Rgb>(6, b)));
  EXPECT_EQ(Row(image, 0), (std::vector<Rgb>{k, k, g, k, k, k}));  // skipped: entry 0
}

TEST(BmpDecoder, Rle4RunsAndEscapes) {
  BmpFields f = Bmp(5, 2, 4).Compression(2);
  for (int i = 0; i < 16; ++i)
    f.palette.push_back({uint8_t(i), 0, 0});
  f.pixels = {5, 0x12, 0,    0,                  // alternating nibbles, end of line
              0, 3,    0x34, 0x50, 0, 2, 1, 5};  // absolute run, then a delta past the last row
  const RgbImage image = Decode(f);
  const auto reds = [&](int y) {
    std::vector<int> out;
    for (const Rgb& c : Row(image, y))
      out.push_back(c[0]);
    return out;
  };
  EXPECT_EQ(reds(1), (std::vector<int>{1, 2, 1, 2, 1}));
  EXPECT_EQ(reds(0), (std::vector<int>{3, 4, 5, 0, 0}));
}

TEST(BmpDecoder, ShortOrMissingPaletteReadsBlack) {
  BmpFields f = Bmp(3, 1, 8).ColorsUsed(2).Palette({{9, 9, 9}, {50, 60, 70}});
  f.Pixels(PadRows({{1, 5, 255}}));
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{50, 60, 70}, {0, 0, 0}, {0, 0, 0}}));
  f.colorsUsed = 0;  // 256 declared, 2 present before the pixel data
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>{{50, 60, 70}, {0, 0, 0}, {0, 0, 0}}));
  f.palette.clear();
  f.pixels = {0x80, 0, 0, 0};
  f.bitCount = 1;
  EXPECT_EQ(Row(Decode(f), 0), (std::vector<Rgb>(3, {0, 0, 0})));
}

TEST(BmpDecoder, ZeroSizeGivesAnEmptyImage) {
  EXPECT_TRUE(Decode(Bmp(0, 5)).Empty());
  EXPECT_TRUE(Decode(Bmp(7, 0)).Empty());
}

TEST(BmpDecoder, RefusesMalformedFiles) {
  const BmpFields good = Bmp(3, 2).Pixels(std::vector<uint8_t>(24, 7));
  std::vector<uint8_t> noBm = WriteBmp(good);
  noBm[1] = 'A';
  std::vector<uint8_t> cut = WriteBmp(good);
  cut.resize(30);
  const struct {
    const char* why;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"no \"BM\"", {}},
      {"no \"BM\"", noBm},
      {"truncated", cut},
      {"planes", WriteBmp(BmpFields(good).Planes(2))},
      {"header size", WriteBmp(BmpFields(good).Header(20))},
      {"bit count", WriteBmp(Bmp(3, 2, 2))},
      {"compression", WriteBmp(BmpFields(good).Compression(4))},
      {"compression", WriteBmp(Bmp(3, 2, 4).Compression(1))},
      {"offset", WriteBmp(Bmp(1, 1).Pixels({1, 2, 3}).PixelOffset(99))},
      {"no pixel data", WriteBmp(Bmp(100'000'000, 2))},
      {"no pixel data", WriteBmp(Bmp(3, 2, 8).Compression(1))},
      {"too large", WriteBmp(Bmp(INT32_MAX, INT32_MIN + 1))},
      {"invalid image size", WriteBmp(Bmp(-4, 2))},
      // A few bytes declaring a large image: refused from the header, not decoded as black.
      {"before a tenth of the rows", WriteBmp(Bmp(4000, 4000).Pixels({1}))},
      {"before a tenth of the rows", WriteBmp(Bmp(3, 20).Pixels(std::vector<uint8_t>(23, 7)))},
  };
  for (const auto& c : cases)
    EXPECT_NE(DecodeError(c.bytes, kDefaultDecodeMemoryLimit).find(c.why), std::string::npos)
        << c.why << ": " << DecodeError(c.bytes, kDefaultDecodeMemoryLimit);
  EXPECT_EQ(DecodeError(WriteBmp(good), kDefaultDecodeMemoryLimit), "no error");
}

// Pixel data is read no further than the file (or the image size field) goes: the rows that
// are there are decoded, and what is missing reads as zeros, colour-table entry 0 or black.
TEST(BmpDecoder, PixelDataThatEndsEarlyIsDecodedAsFarAsItGoes) {
  const Rgb k{0, 0, 0}, e0{9, 8, 7}, e1{50, 60, 70};
  const std::vector<Rgb> indexed = {e0, e1};
  const struct {
    const char* what;
    BmpFields fields;
    std::vector<std::vector<Rgb>> rows;  // top to bottom
    bool endedEarly;
  } cases[] = {
      {"24 bits, bottom-up, cut inside the second stored row",
       Bmp(2, 3).Pixels({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9}),
       {{k, k}, {{9, 8, 7}, k}, {{3, 2, 1}, {6, 5, 4}}},
       true},
      {"24 bits, top-down, the last row without its padding",
       Bmp(1, -2).Pixels({1, 2, 3, 0, 4, 5, 6}),
       {{{3, 2, 1}}, {{6, 5, 4}}},
       false},
      {"8 bits, missing pixels take entry 0",
       Bmp(3, -2, 8).Palette(indexed).Pixels({1, 1, 1, 0, 1}),
       {{e1, e1, e1}, {e1, e0, e0}},
       true},
      {"the image size field ends the data before the file does",
       Bmp(2, -2, 8).Palette(indexed).ImageSize(4).Pixels({1, 1, 0, 0, 1, 1, 0, 0}),
       {{e1, e1}, {e0, e0}},
       true},
      {"16 bits, 5-5-5", Bmp(2, -1, 16).Pixels({0xFF, 0x7F}), {{{255, 255, 255}, k}}, true},
      {"RLE8 cut inside an absolute run",
       Bmp(4, 2, 8).Compression(1).Palette(indexed).Pixels({2, 1, 0, 0, 0, 4, 1, 1}),
       {{e1, e1, e0, e0}, {e1, e1, e0, e0}},
       true},
      {"RLE8 that ends without its end-of-bitmap, after the last row",
       Bmp(2, 1, 8).Compression(1).Palette(indexed).Pixels({2, 1, 0, 0}),
       {{e1, e1}},
       false},
  };
  for (const auto& c : cases) {
    DecodeNotes notes;
    const RgbImage image = DecodeBmp(WriteBmp(c.fields), kDefaultDecodeMemoryLimit, &notes);
    ASSERT_EQ(image.Height(), static_cast<int>(c.rows.size())) << c.what;
    for (int y = 0; y < image.Height(); ++y)
      EXPECT_EQ(Row(image, y), c.rows[y]) << c.what << ", row " << y;
    EXPECT_EQ(notes.dataEndedEarly, c.endedEarly) << c.what;
  }
}

TEST(BmpDecoder, MemoryLimitRefusesBeforeAllocating) {
  // The image (300 bytes) and one row of 30 bytes for data that ends inside a row.
  BmpFields f = Bmp(10, 10).Pixels(std::vector<uint8_t>(320));
  EXPECT_EQ(DecodeError(WriteBmp(f), 329), "Image too large: needs 330 bytes, limit 329");
  EXPECT_EQ(DecodeError(WriteBmp(f), 330), "no error");
  // RLE data cannot prove its size; the limit alone stops a 100,000,000 x 2 image.
  f = Bmp(100'000'000, 2, 8).Compression(1).Pixels({0, 1});
  EXPECT_NE(DecodeError(WriteBmp(f), 1 << 20).find("too large"), std::string::npos);
}

// A file is read a piece at a time, the way its bytes decode in memory: whole, cut short
// inside a later piece, or cut short by the image size field.
TEST(BmpDecoder, DecodesFilesPieceByPieceAsInMemory) {
  testing::TempFolder folder;
  testing::WriteFileBytes(folder.File("a.bmp"), WriteBmp(Bmp(1, 1).Pixels(PadRows({{3, 2, 1}}))));
  EXPECT_EQ(PixelAt(DecodeBmpFile(folder.File("a.bmp")), 0, 0), (Rgb{1, 2, 3}));
  EXPECT_THROW(DecodeBmpFile(folder.File("missing.bmp")), Error);
  // 700 x 1000 at 24 bits: 2100 bytes a row, about 2 MB, so several pieces of 1 MiB.
  std::vector<uint8_t> pixels(2100 * 1000);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint8_t>(i * 7 + i / 2100);
  const std::vector<uint8_t> whole = WriteBmp(Bmp(700, 1000).Pixels(pixels));
  const std::vector<uint8_t> cut(whole.begin(), whole.begin() + 54 + 2100 * 700 + 1000);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool endedEarly;
  } cases[] = {
      {"whole.bmp", whole, false},
      {"cut.bmp", cut, true},
      {"declared-short.bmp", WriteBmp(Bmp(700, 1000).Pixels(pixels).ImageSize(2100 * 900)), true},
  };
  // Stored bottom-up as blue, green, red.
  const auto expected = [&](int x, int y) {
    const uint8_t* p = pixels.data() + 2100 * static_cast<size_t>(999 - y) + 3 * x;
    return Rgb{p[2], p[1], p[0]};
  };
  EXPECT_TRUE(testing::SameImage(DecodeBmp(whole), testing::MakeRgbImage(700, 1000, expected)));
  for (const auto& c : cases) {
    testing::WriteFileBytes(folder.File(c.name), c.bytes);
    DecodeNotes fromFile, inMemory;
    const RgbImage image = DecodeBmpFile(folder.File(c.name), kDefaultDecodeMemoryLimit, &fromFile);
    EXPECT_TRUE(testing::SameImage(image, DecodeBmp(c.bytes, kDefaultDecodeMemoryLimit, &inMemory)))
        << c.name;
    EXPECT_EQ(fromFile.dataEndedEarly, c.endedEarly) << c.name;
    EXPECT_EQ(inMemory.dataEndedEarly, c.endedEarly) << c.name;
  }
}

// From a file, the limit also counts the piece of pixel data read at once: here all of it.
TEST(BmpDecoder, MemoryLimitCountsWhatAFileIsReadInto) {
  testing::TempFolder folder;
  testing::WriteFileBytes(folder.File("a.bmp"),
                          WriteBmp(Bmp(10, 10).Pixels(std::vector<uint8_t>(320))));
  try {
    DecodeBmpFile(folder.File("a.bmp"), 300 + 30 + 320 - 1);
    ADD_FAILURE() << "decoded over the limit";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos) << error.what();
  }
  EXPECT_EQ(DecodeBmpFile(folder.File("a.bmp"), 300 + 30 + 320).Height(), 10);
}

}  // namespace
}  // namespace tamsolo
