#include "cli/preview_command.h"

#include <limits>

#include "preview/book_preview.h"
#include "book/book_text.h"
#include "cli/exit_codes.h"
#include "book/folder_book_sink.h"
#include "cli/options.h"
#include "platform/control_bytes.h"
#include "platform/file_bytes.h"
#include "platform/file_system.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr uint64_t kMaxBookTextBytes = uint64_t{64} << 20;

BookText ReadBook(const std::string& folder, PathStyle style) {
  const std::vector<uint8_t> bytes =
      ReadWholeFile(AddTrailingDelimiter(folder, style) + "book.txt", kMaxBookTextBytes);
  return ParseBookText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

int RunPreviewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed = ParseOptions(args, {{"-o", true}});
  if (parsed.positional.size() != 1)
    throw UsageError(parsed.positional.empty() ? "no BOOKFOLDER given" : "one BOOKFOLDER only");
  const PathStyle style = NativePathStyle();
  const std::string folder = UnifyDelimiters(parsed.positional[0], style);
  const std::string png = parsed.Has("-o") ? UnifyDelimiters(parsed.Required("-o"), style)
                                           : AddTrailingDelimiter(folder, style) + "preview.png";
  if (folder.empty() || png.empty())
    throw UsageError(folder.empty() ? "BOOKFOLDER is empty" : "-o needs a file");
  BookText book;
  std::vector<MissingPage> missing;
  try {
    book = ReadBook(folder, style);
    missing = WriteBookPreview(*MakeNativeFileSystem(), folder, book.title, book.pages, png, style,
                               FileSystem::Create::Replace);
  } catch (const std::exception& error) {
    err << "tamsolo-cli: " << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliFatal;
  }
  out << EscapeControlBytes(png) << ": " << book.pages.size() << " pages of \""
      << EscapeControlBytes(book.title) << "\", the listing in "
      << EscapeControlBytes(PreviewTextPath(png, style)) << "\n";
  if (book.pages.size() > kPreviewMaxPages)
    out << "the picture holds the first " << kPreviewMaxPages << " pages, the listing all\n";
  for (const MissingPage& page : missing) {
    out << "page " << page.position << " ("
        << EscapeControlBytes(NumberedPageName(page.position, book.pages.size(),
                                               book.pages[page.position - 1].name,
                                               std::numeric_limits<size_t>::max(), style))
        << ") could not be read and is drawn as missing: " << EscapeControlBytes(page.reason)
        << "\n";
  }
  return missing.empty() ? kCliOk : kCliPartial;
}

}  // namespace tamsolo
