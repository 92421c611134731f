#include "preview/book_preview.h"

#include <sstream>

#include "book/book_listing.h"
#include "book/folder_book_sink.h"
#include "decode/decoders.h"
#include "platform/error.h"
#include "preview/preview_render.h"

namespace tamsolo {
namespace {

// About fourteen times what a 768 x 1024 page decodes to.
constexpr uint64_t kPreviewPageMemoryLimit = uint64_t{32} << 20;

}  // namespace

ShrunkPage ReadPreviewPage(const std::string& path) {
  return ShrinkPage(DecodeBmpFile(path, kPreviewPageMemoryLimit));
}

BookPreview MakeBookPreview(FileSystem& fs, const std::string& bookFolder, const std::string& title,
                            const std::vector<BookPage>& pages, PathStyle style,
                            const std::function<bool()>& stop) {
  BookPreview preview;
  std::optional<std::vector<FileSystem::Entry>> entries;
  const PageLoader load = [&](size_t position) -> std::optional<ShrunkPage> {
    if (stop && stop())
      throw Error("Interrupted while drawing the preview");
    const std::string file = FindNumberedPage(fs, bookFolder, position + 1, pages.size(),
                                              pages[position].name, style, entries);
    try {
      return ReadPreviewPage(file);
    } catch (const std::exception& error) {
      preview.missing.push_back({position + 1, ReasonOf(error)});
      return std::nullopt;
    }
  };
  preview.png = PreviewPng(RenderPreview(title, pages, load, style), stop);
  std::ostringstream listing;
  WriteBookListing(title, pages, {}, listing);
  preview.listing = listing.str();
  return preview;
}

std::vector<MissingPage> WriteBookPreview(FileSystem& fs, const std::string& bookFolder,
                                          const std::string& title,
                                          const std::vector<BookPage>& pages,
                                          const std::string& pngPath, PathStyle style,
                                          FileSystem::Create how) {
  const BookPreview preview = MakeBookPreview(fs, bookFolder, title, pages, style);
  WriteFileCleanly(fs, pngPath, preview.png, how);
  WriteFileCleanly(
      fs, PreviewTextPath(pngPath, style),
      {reinterpret_cast<const uint8_t*>(preview.listing.data()), preview.listing.size()}, how);
  return preview.missing;
}

std::string PreviewTextPath(const std::string& pngPath, PathStyle style) {
  const std::string extension = ExtensionOf(pngPath, style);
  return pngPath.substr(0, pngPath.size() - extension.size()) + ".txt";
}

}  // namespace tamsolo
