#include "cli/preview_command.h"

#include <limits>
#include <set>

#include "book/book_text.h"
#include "book/folder_book_sink.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/stop_signals.h"
#include "platform/control_bytes.h"
#include "platform/error.h"
#include "platform/file_bytes.h"
#include "platform/file_system.h"
#include "platform/replace_file.h"
#include "platform/test_hook.h"
#include "preview/book_preview.h"

namespace tamsolo {
namespace {

constexpr uint64_t kMaxBookTextBytes = uint64_t{64} << 20;
constexpr const char* kBookText = "book.txt";

BookText ReadBook(const std::string& folder, PathStyle style) {
  const std::vector<uint8_t> bytes =
      ReadWholeFile(AddTrailingDelimiter(folder, style) + kBookText, kMaxBookTextBytes);
  return ParseBookText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// What a listing the preview wrote begins with (book_listing's first line).
bool IsPreviewListing(const std::string& path) {
  try {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxBookTextBytes);
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())
        .starts_with("book \"");
  } catch (const Error&) {
    return false;
  }
}

// The picture and the listing replace only what a preview made or the user named: never the
// book's own book.txt or pages (however the path reaches them: links, "..", letter case), and
// never a text file beside the picture that is no listing.
void CheckOutputs(FileSystem& fs, const std::string& folder, const BookText& book,
                  const std::string& png, const std::string& text, PathStyle style) {
  std::set<std::string> own;
  const auto add = [&own](const std::string& path) {
    if (const std::optional<std::string> identity = FileIdentity(path))
      own.insert(*identity);
  };
  add(AddTrailingDelimiter(folder, style) + kBookText);
  std::optional<std::vector<FileSystem::Entry>> listing;
  for (size_t i = 0; i < book.pages.size(); ++i)
    add(FindNumberedPage(fs, folder, i + 1, book.pages.size(), book.pages[i].name, style, listing));
  for (const std::string& output : {png, text}) {
    const std::optional<std::string> identity = FileIdentity(output);
    if (identity && own.count(*identity) != 0)
      throw Error("\"" + output + "\" is a file of the book; the preview goes elsewhere");
  }
  if (EntryTypeOf(text) == EntryType::RegularFile && !IsPreviewListing(text))
    throw Error("\"" + text + "\" is there and holds no preview listing; not replaced");
}

void WriteText(FileSystem& fs, const std::string& path, const std::string& text,
               StreamDevices devices, PathStyle style) {
  ReplaceRegularFile(fs, path, {{reinterpret_cast<const uint8_t*>(text.data()), text.size()}},
                     devices, style);
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
  if (UpperAscii(ExtensionOf(png, style)) == ".TXT")
    throw UsageError("-o names a .txt file, where the listing beside the picture goes");
  const std::string text = PreviewTextPath(png, style);
  // Only a FIFO or device the user named is written to; one in the book folder is refused.
  const StreamDevices devices = parsed.Has("-o") ? StreamDevices::Written : StreamDevices::Refused;
  const std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  const auto stop = [] { return StopRequested().load(); };
  BookText book;
  BookPreview preview;
  try {
    book = ReadBook(folder, style);
    CheckOutputs(*fs, folder, book, png, text, style);
    TestHook("preview-pages", stop);
    preview = MakeBookPreview(*fs, folder, book.title, book.pages, style, stop);
    if (stop())
      return kCliInterrupted;
    ReplaceRegularFile(*fs, png, {preview.png}, devices, style);
    WriteText(*fs, text, preview.listing, devices, style);
  } catch (const std::exception& error) {
    if (stop())
      return kCliInterrupted;
    err << "tamsolo-cli: " << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliFatal;
  }
  out << EscapeControlBytes(png) << ": " << book.pages.size() << " pages of \""
      << EscapeControlBytes(book.title) << "\", the listing in " << EscapeControlBytes(text)
      << "\n";
  if (book.pages.size() > kPreviewMaxPages)
    out << "the picture holds the first " << kPreviewMaxPages << " pages, the listing all\n";
  for (const MissingPage& page : preview.missing) {
    out << "page " << page.position << " ("
        << EscapeControlBytes(NumberedPageName(page.position, book.pages.size(),
                                               book.pages[page.position - 1].name,
                                               std::numeric_limits<size_t>::max(), style))
        << ") could not be read and is drawn as missing: " << EscapeControlBytes(page.reason)
        << "\n";
  }
  return preview.missing.empty() ? kCliOk : kCliPartial;
}

}  // namespace tamsolo
