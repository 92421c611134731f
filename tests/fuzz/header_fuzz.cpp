// The header readers against the decoders: every input is written to a file under each of
// the four extensions and read both ways. A header the reader refuses must be refused by the
// decoder (JPEG, BMP and WebP with the same text); a header it accepts must give the decoded size,
// unless the image data fails; data it calls checked must decode. Anything else aborts. The
// BMP file is also read as the preview reads a book's page files: a page or Error, no crash.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "decode/decoders.h"
#include "decode/image_header.h"
#include "preview/book_preview.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

using namespace tamsolo;

std::string FilePath(const char* extension) {
  static const std::string kStem = [] {
    std::random_device random;
    return (std::filesystem::temp_directory_path() /
            ("tamsolo-header-fuzz-" + std::to_string(random())))
        .string();
  }();
  return kStem + extension;
}

[[noreturn]] void Disagree(const std::string& path, const std::string& what) {
  std::fprintf(stderr, "%s: header reader and decoder disagree: %s\n", path.c_str(), what.c_str());
  std::abort();
}

void ReadAsPreviewPage(const std::string& path) {
  try {
    if (ReadPreviewPage(path).size() != size_t{kPreviewPageWidth} * kPreviewPageHeight)
      Disagree(path, "the preview's page has the wrong size");
  } catch (const Error&) {
  }
}

void Compare(const uint8_t* data, size_t size, const char* extension, bool sameText) {
  const std::string path = FilePath(extension);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  std::optional<ImageHeader> header;
  std::string headerError;
  try {
    FileReader file(path);
    header = ReadImageHeader(file, kFuzzMemoryLimit);
  } catch (const Error& error) {
    headerError = error.what();
  }
  std::optional<RgbImage> image;
  std::string decodeError;
  try {
    image = DecodeImageFile(path, kFuzzMemoryLimit);
  } catch (const Error& error) {
    decodeError = error.what();
  }
  if (std::string(extension) == ".bmp")
    ReadAsPreviewPage(path);
  std::remove(path.c_str());
  if (!header && image)
    Disagree(path, "refused \"" + headerError + "\" but decodes");
  if (!header && sameText && headerError != decodeError)
    Disagree(path, "\"" + headerError + "\" against \"" + decodeError + "\"");
  if (header && image && (header->width != image->Width() || header->height != image->Height()))
    Disagree(path, "sizes differ");
  if (header && header->dataChecked && !image)
    Disagree(path, "checked data fails: " + decodeError);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Compare(data, size, ".jpg", true);
  Compare(data, size, ".bmp", true);
  // The PNG reader refuses a first chunk other than IHDR unread, where the decoder may first
  // find its CRC or its length wrong.
  Compare(data, size, ".png", false);
  Compare(data, size, ".webp", true);
  return 0;
}
