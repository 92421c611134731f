#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "decode/decoders.h"
#include "decode/image_header.h"
#include "image/png_writer.h"
#include "platform/error.h"
#include "support/bmp_writer.h"
#include "support/jpeg_encoder.h"
#include "support/webp_encoder.h"
#include "support/rgb_image_maker.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::Bmp;
using testing::Rgb;

RgbImage Picture(int width, int height) {
  return testing::MakeRgbImage(width, height, [](int x, int y) {
    return Rgb{uint8_t(x * 7), uint8_t(y * 3), uint8_t((x ^ y) * 5)};
  });
}

void Append(Bytes& to, const Bytes& more) {
  to.insert(to.end(), more.begin(), more.end());
}

void PutLe(Bytes& to, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    to.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An APP1 segment holding EXIF data whose second IFD points at a JPEG thumbnail, padded to
// about 40 kB, as cameras write them. The thumbnail carries a frame header of its own.
Bytes ExifSegment(const Bytes& thumbnail) {
  Bytes tiff = {'I', 'I', 0x2A, 0};
  PutLe(tiff, 8, 4);   // IFD0 at 8
  PutLe(tiff, 0, 2);   // no entries
  PutLe(tiff, 14, 4);  // IFD1 at 14
  PutLe(tiff, 2, 2);
  const uint32_t thumbnailAt = 14 + 2 + 2 * 12 + 4;
  for (const auto& [tag, value] : {std::pair<uint16_t, uint32_t>{0x0201, thumbnailAt},
                                   {0x0202, static_cast<uint32_t>(thumbnail.size())}}) {
    PutLe(tiff, tag, 2);
    PutLe(tiff, 4, 2);  // LONG
    PutLe(tiff, 1, 4);
    PutLe(tiff, value, 4);
  }
  PutLe(tiff, 0, 4);
  Append(tiff, thumbnail);
  tiff.resize(40000, 0);
  Bytes segment = {0xFF, 0xE1};
  const size_t length = 2 + 6 + tiff.size();
  segment.push_back(static_cast<uint8_t>(length >> 8));
  segment.push_back(static_cast<uint8_t>(length));
  Append(segment, {'E', 'x', 'i', 'f', 0, 0});
  Append(segment, tiff);
  return segment;
}

Bytes JpegWithExifThumbnail() {
  const Bytes main = testing::EncodeJpeg(Picture(600, 400));
  const Bytes thumbnail = testing::EncodeJpeg(Picture(160, 120));
  Bytes file(main.begin(), main.begin() + 2);  // SOI
  Append(file, ExifSegment(thumbnail));
  file.insert(file.end(), main.begin() + 2, main.end());
  return file;
}

Bytes Png(uint32_t width, uint32_t height, bool flat = false) {
  RawPng image;
  image.width = width;
  image.height = height;
  image.sample = [=](uint32_t x, uint32_t y, int c) {
    return flat ? uint16_t{200} : uint16_t((x + y + c) & 0xFF);
  };
  return MakePng(image);
}

Bytes WithByte(Bytes bytes, size_t at, uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

Bytes Truncated(Bytes bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

struct Case {
  const char* name;  // the extension chooses the reader
  Bytes bytes;
  std::optional<ImageHeader> expected;  // none: refused, with the decoder's own text
  uint64_t limit = kDefaultDecodeMemoryLimit;
};

struct Outcome {
  std::optional<ImageHeader> header;
  std::string error;
  uint64_t bytesRead = 0;
};

Outcome ReadHeaderOf(const std::string& path, uint64_t limit) {
  Outcome outcome;
  FileReader file(path);
  try {
    outcome.header = ReadImageHeader(file, limit);
  } catch (const Error& error) {
    outcome.error = error.what();
  }
  outcome.bytesRead = file.BytesRead();
  return outcome;
}

std::string DecodeErrorOf(const std::string& path, uint64_t limit, RgbImage& image) {
  try {
    image = DecodeImageFile(path, limit);
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

// Each file is read by its header reader and decoded in full. A refused header must be
// refused by the decoder with the same text; a header whose data is checked must decode; any
// other header must decode to its size unless the data fails.
TEST(ImageHeader, AgreesWithTheDecoderAndReadsOnlyTheHeader) {
  const Bytes jpeg = testing::EncodeJpeg(Picture(40, 30));
  const Bytes png = Png(50, 20);
  const Bytes bmp = testing::WriteBmp(Bmp(30, 20).Pixels(Bytes(20 * 92, 7)));
  const Bytes rle = testing::WriteBmp(
      Bmp(4, 2, 8).Compression(1).Palette({{0, 0, 0}, {9, 9, 9}}).Pixels({4, 1, 0, 0, 0, 1}));
  const Bytes core = testing::WriteBmp(Bmp(3, 2).Header(12).Pixels(Bytes(24, 1)));
  const Bytes masksAfterHeader = testing::WriteBmp(
      Bmp(2, 1, 16).Compression(3).Masks(0xF800, 0x07E0, 0x1F).Pixels({1, 2, 3, 4}));
  Bytes idatBroken = png;
  idatBroken[8 + 25 + 10] ^= 0xFF;  // inside the IDAT data: its CRC no longer matches
  const Bytes tooWide =
      PngFileBytes({PngChunkBytes("IHDR", IhdrData(70000, 20, 8, 2)), PngChunkBytes("IEND", {})});
  // Files smaller than the memory limit whose pictures are not.
  const Bytes flatPng = Png(200, 200, true);
  const Bytes oneBitBmp = testing::WriteBmp(
      Bmp(30, 20, 1).Palette({{0, 0, 0}, {255, 255, 255}}).Pixels(Bytes(80, 0x55)));

  const Bytes webp = testing::EncodeWebp(Picture(40, 30), true);
  const RgbImage frame = Picture(4, 2);

  const std::vector<Case> cases = {
      {"rgb.jpg", jpeg, ImageHeader{40, 30, false}},
      {"gray.jpeg", testing::EncodeGrayJpeg(Picture(33, 17), {.progressive = true}),
       ImageHeader{33, 17, false}},
      {"exif.jpg", JpegWithExifThumbnail(), ImageHeader{600, 400, false}},
      {"cmyk.jpg", testing::EncodeCmykJpeg(Picture(8, 8)), std::nullopt},
      {"budget.jpg", jpeg, std::nullopt, 20000},
      {"empty.jpg", {}, std::nullopt},
      {"cut.jpg", Truncated(jpeg, 40), std::nullopt},
      {"not.jpg", png, std::nullopt},
      {"data-missing.jpg", Truncated(jpeg, jpeg.size() - 200), ImageHeader{40, 30, false}},
      {"rgb.png", png, ImageHeader{50, 20, false}},
      {"idat.png", idatBroken, ImageHeader{50, 20, false}},
      {"ihdr-crc.png", WithByte(png, 8 + 8 + 3, 0x33), std::nullopt},
      {"signature.png", WithByte(png, 1, 'Q'), std::nullopt},
      {"wide.png", tooWide, std::nullopt},
      {"short.png", Truncated(png, 20), std::nullopt},
      {"budget.png", flatPng, std::nullopt, 50000},
      {"bmp.png", bmp, std::nullopt},
      {"rgb.bmp", bmp, ImageHeader{30, 20, true}},
      {"rows.bmp", Truncated(bmp, bmp.size() - 100), ImageHeader{30, 20, true}},
      {"no-data.bmp", Truncated(bmp, 54), std::nullopt},
      {"tenth.bmp", Truncated(bmp, 54 + 183), std::nullopt},  // 1838 bytes declared
      {"a-tenth.bmp", Truncated(bmp, 54 + 184), ImageHeader{30, 20, true}},
      {"empty.bmp", testing::WriteBmp(Bmp(0, 5)), ImageHeader{0, 5, true}},
      {"rle.bmp", rle, ImageHeader{4, 2, true}},
      {"rle-cut.bmp", Truncated(rle, rle.size() - 3), ImageHeader{4, 2, true}},
      {"core.bmp", core, ImageHeader{3, 2, true}},
      {"masks.bmp", masksAfterHeader, ImageHeader{2, 1, true}},
      {"planes.bmp", testing::WriteBmp(Bmp(2, 2).Planes(3).Pixels(Bytes(16, 0))), std::nullopt},
      {"budget.bmp", oneBitBmp, std::nullopt, 1000},
      {"big.bmp", bmp, std::nullopt, 1000},
      {"header.bmp", Truncated(bmp, 30), std::nullopt},
      {"lossless.WebP", webp, ImageHeader{40, 30, false}},
      {"lossy.webp", testing::EncodeWebp(Picture(33, 17), false), ImageHeader{33, 17, false}},
      {"anim.webp", testing::EncodeAnimatedWebp(8, 6, {{&frame, 2, 2}}), ImageHeader{8, 6, false}},
      {"huge.webp", testing::EncodeAnimatedWebp(1 << 24, 1 << 24, {}), std::nullopt},
      {"short.webp", Truncated(webp, 20), std::nullopt},
      {"data-cut.webp", Truncated(webp, webp.size() - 10), ImageHeader{40, 30, false}},
  };
  testing::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.File(c.name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
    const Outcome outcome = ReadHeaderOf(path, c.limit);
    RgbImage image;
    const std::string decodeError = DecodeErrorOf(path, c.limit, image);
    // Two pieces at most, even past a 40 kB EXIF segment.
    EXPECT_LE(outcome.bytesRead, 2048u);
    if (!c.expected) {
      EXPECT_FALSE(outcome.header);
      EXPECT_NE(outcome.error, "");
      EXPECT_EQ(outcome.error, decodeError);
      continue;
    }
    ASSERT_TRUE(outcome.header) << outcome.error;
    EXPECT_EQ(outcome.header->width, c.expected->width);
    EXPECT_EQ(outcome.header->height, c.expected->height);
    EXPECT_EQ(outcome.header->dataChecked, c.expected->dataChecked);
    if (decodeError.empty()) {
      EXPECT_EQ(image.Width(), c.expected->width);
      EXPECT_EQ(image.Height(), c.expected->height);
    } else {
      EXPECT_FALSE(outcome.header->dataChecked) << decodeError;
    }
  }
}

TEST(ImageHeader, AFileLargerThanTheLimitIsRefusedBeforeReading) {
  testing::TempFolder folder;
  const std::string path = folder.File("big.png");
  const Bytes png = Png(50, 20);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  FileReader file(path);
  EXPECT_THROW(ReadImageHeader(file, png.size() - 1), Error);
  EXPECT_EQ(file.BytesRead(), 0u);
}

}  // namespace
}  // namespace tamsolo
