#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "decode/decoders.h"
#include "platform/file_bytes.h"
#include "support/bmp_writer.h"
#include "support/error_text.h"
#include "support/jpeg_encoder.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

// "W x H" of the decoded image, or the error's text.
std::string Outcome(const std::string& path) {
  std::string size;
  const std::string error = testing::ErrorText([&] {
    const RgbImage image = DecodeImageFile(path);
    size = std::to_string(image.Width()) + " x " + std::to_string(image.Height());
  });
  return size.empty() ? error : size;
}

// Files through the entry: only the extension picks the decoder (the same BMP bytes under
// several names), and each decoder reads its file from disk.
TEST(DecodeImageFile, ReadsEachFileWithTheDecoderItsExtensionNames) {
  testing::TempFolder folder;
  const std::vector<uint8_t> bmp = testing::WriteBmp(testing::Bmp(1, 1).Pixels({1, 2, 3, 0}));
  const std::vector<uint8_t> jpeg = testing::EncodeJpeg(RgbImage(8, 3));
  const std::string notJpeg = "JPEG decoding failed: Not a JPEG file: starts with 0x42 0x4d";
  const struct {
    const char* name;
    std::optional<std::vector<uint8_t>> bytes;  // none: no such file
    std::string outcome;
  } cases[] = {
      {"a.bmp", bmp, "1 x 1"},
      {"b.BmP", bmp, "1 x 1"},
      {"c.jpg", bmp, notJpeg},
      {"d.jpeg", bmp, notJpeg},
      {"e", bmp, notJpeg},
      {"f.png", bmp, "Not a PNG file: bad signature"},
      {"g.JPG", jpeg, "8 x 3"},
      {"h.jpg", std::vector<uint8_t>{}, "JPEG decoding failed: the file is empty"},
      {"missing.bmp", std::nullopt, "Cannot open file \"" + folder.File("missing.bmp") + "\": "},
  };
  for (const auto& c : cases) {
    if (c.bytes)
      testing::WriteFileBytes(folder.File(c.name), *c.bytes);
    const std::string outcome = Outcome(folder.File(c.name));
    // A missing file's text ends in the system's own reason, which differs between systems.
    EXPECT_EQ(c.bytes ? outcome : outcome.substr(0, c.outcome.size()), c.outcome) << c.name;
  }
}

// A decode asked to stop ends at its next row, whichever decoder runs; without the request
// the same file decodes whole.
TEST(DecodeImageFile, AStopRequestEndsTheDecodeBetweenRows) {
  testing::TempFolder folder;
  for (const char* name : {"a.bmp", "a.jpg", "a.png", "a.webp"}) {
    const std::string path = testing::WriteSampleFile(folder.File(name), 64, 48, 1);
    std::atomic<bool> stop{false};
    const DecodeStopScope scope(stop);
    EXPECT_EQ(DecodeImageFile(path).Height(), 48) << name;
    stop = true;
    EXPECT_NE(testing::ErrorText([&] { DecodeImageFile(path); }).find(kDecodeStoppedText),
              std::string::npos)
        << name;
  }
}

// What decoding bytes in memory needs, as its refusal under a limit of 1 byte says.
uint64_t BytesNeeded(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string text = testing::ErrorText([&] {
    if (path.ends_with(".png"))
      DecodePng(bytes, 1);
    else if (path.ends_with(".webp"))
      DecodeWebp(bytes, 1);
    else
      DecodeJpeg(bytes, 1);
  });
  const size_t at = text.find("needs ");
  return at == std::string::npos ? 0 : std::stoull(text.substr(at + 6));
}

// A JPEG, PNG or WebP file is held whole while it decodes, so its bytes count against the limit on
// top of what decoding the same bytes in memory needs.
TEST(DecodeImageFile, TheFilesBytesCountAgainstTheLimit) {
  testing::TempFolder folder;
  for (const char* name : {"a.jpg", "a.png", "a.webp"}) {
    const std::string path = folder.File(name);
    testing::WriteSampleFile(path, 300, 200, 1);
    const std::vector<uint8_t> bytes = ReadWholeFile(path, uint64_t{1} << 20);
    const uint64_t needed = BytesNeeded(path, bytes);
    EXPECT_GT(needed, 300u * 200 * 3) << name;
    const uint64_t limit = needed + bytes.size();
    EXPECT_EQ(testing::ErrorText([&] { DecodeImageFile(path, limit - 1); }),
              "Image too large: needs " + std::to_string(needed) + " bytes besides the file's " +
                  std::to_string(bytes.size()) + ", limit " + std::to_string(limit - 1))
        << name;
    EXPECT_EQ(DecodeImageFile(path, limit).Width(), 300) << name;
  }
}

}  // namespace
}  // namespace tamsolo
