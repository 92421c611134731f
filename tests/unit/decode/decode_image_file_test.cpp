#include <gtest/gtest.h>

#include <atomic>

#include "decode/decoders.h"
#include "platform/error.h"
#include "support/bmp_writer.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

std::string ErrorFor(const std::string& path) {
  try {
    DecodeImageFile(path);
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

// The same BMP bytes under several names: only the extension picks the decoder.
TEST(DecodeImageFile, ChoosesTheDecoderByExtension) {
  testing::TempFolder folder;
  const std::vector<uint8_t> bmp = testing::WriteBmp(testing::Bmp(1, 1).Pixels({1, 2, 3, 0}));
  for (const char* name : {"a.bmp", "b.BmP", "c.jpg", "d.jpeg", "e", "f.png"})
    testing::WriteFileBytes(folder.File(name), bmp);
  EXPECT_EQ(ErrorFor(folder.File("a.bmp")), "no error");
  EXPECT_EQ(ErrorFor(folder.File("b.BmP")), "no error");
  for (const char* name : {"c.jpg", "d.jpeg", "e"})
    EXPECT_NE(ErrorFor(folder.File(name)).find("JPEG"), std::string::npos) << name;
  EXPECT_NE(ErrorFor(folder.File("f.png")).find("PNG"), std::string::npos);
}

// A decode asked to stop ends at its next row, whichever decoder runs; without the request
// the same file decodes whole.
TEST(DecodeImageFile, AStopRequestEndsTheDecodeBetweenRows) {
  testing::TempFolder folder;
  for (const char* name : {"a.bmp", "a.jpg", "a.png"}) {
    const std::string path = folder.File(name);
    testing::WriteImageFile(path, testing::MakeSamplePage(64, 48, 1),
                            testing::SampleFormatFor(path));
    std::atomic<bool> stop{false};
    const DecodeStopScope scope(stop);
    EXPECT_EQ(DecodeImageFile(path).Height(), 48) << name;
    stop = true;
    try {
      DecodeImageFile(path);
      ADD_FAILURE() << name << " decoded in spite of the stop";
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(kDecodeStoppedText), std::string::npos) << name;
    }
  }
}

}  // namespace
}  // namespace tamsolo
