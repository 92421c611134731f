#include "preview/book_preview.h"

#include <sstream>

#include "book/book_listing.h"
#include "book/folder_book_sink.h"
#include "preview/preview_render.h"
#include "decode/decoders.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// About fourteen times what a 768 x 1024 page decodes to.
constexpr uint64_t kPreviewPageMemoryLimit = uint64_t{32} << 20;

}  // namespace

ShrunkPage ReadPreviewPage(const std::string& path) {
  return ShrinkPage(DecodeBmpFile(path, kPreviewPageMemoryLimit));
}

std::vector<MissingPage> WriteBookPreview(FileSystem& fs, const std::string& bookFolder,
                                          const std::string& title,
                                          const std::vector<BookPage>& pages,
                                          const std::string& pngPath, PathStyle style,
                                          FileSystem::Create how) {
  std::vector<MissingPage> missing;
  std::optional<std::vector<FileSystem::Entry>> entries;
  const PageLoader load = [&](size_t position) -> std::optional<ShrunkPage> {
    const std::string file = FindNumberedPage(fs, bookFolder, position + 1, pages.size(),
                                              pages[position].name, style, entries);
    try {
      return ReadPreviewPage(file);
    } catch (const std::exception& error) {
      missing.push_back({position + 1, ReasonOf(error)});
      return std::nullopt;
    }
  };
  const std::vector<uint8_t> png = PreviewPng(RenderPreview(title, pages, load, style));
  WriteFileCleanly(fs, pngPath, png, how);
  std::ostringstream listing;
  WriteBookListing(title, pages, {}, listing);
  const std::string text = listing.str();
  WriteFileCleanly(fs, PreviewTextPath(pngPath, style),
                   {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, how);
  return missing;
}

std::string PreviewTextPath(const std::string& pngPath, PathStyle style) {
  const std::string extension = ExtensionOf(pngPath, style);
  return pngPath.substr(0, pngPath.size() - extension.size()) + ".txt";
}

}  // namespace tamsolo
