#include "cli/plan_output.h"

#include <algorithm>

#include "book/book_listing.h"
#include "cli/json_text.h"
#include "platform/control_bytes.h"

namespace tamsolo {
namespace {

void WriteBookText(const PlannedBook& book, PathStyle style, std::ostream& out) {
  std::vector<BookPage> pages;
  std::vector<bool> marked;
  for (const PlannedPage& page : book.pages) {
    const PageOrigin& origin = page.origin;
    pages.push_back({page.name, origin.Blank() ? "" : SourceField(origin, style), origin.v,
                     origin.n, origin.Blank()});
    marked.push_back(page.ifDataDecodes);
  }
  WriteBookListing(book.title, pages, marked, out);
}

bool AnyUnsure(const BookPlan& plan) {
  for (const PlannedBook& book : plan.books) {
    for (const PlannedPage& page : book.pages) {
      if (page.ifDataDecodes)
        return true;
    }
  }
  return false;
}

// A page from an archive names it: its path is then the entry's displayed path.
void WritePageJson(const PlannedPage& page, size_t position, PathStyle style, std::ostream& out) {
  const std::string& archive = page.origin.archive;
  out << "{\"position\": " << position << ", \"name\": " << JsonString(page.name);
  if (page.origin.Blank()) {
    out << ", \"blank\": true}";
    return;
  }
  out << ", \"source\": " << JsonString(SourceField(page.origin, style))
      << ", \"path\": " << JsonString(page.origin.source);
  if (!archive.empty())
    out << ", \"archive\": " << JsonString(archive);
  out << ", \"v\": " << page.origin.v << ", \"n\": " << page.origin.n
      << ", \"ifDataDecodes\": " << (page.ifDataDecodes ? "true" : "false") << "}";
}

void WriteBookJson(const PlannedBook& book, PathStyle style, std::ostream& out) {
  out << "    {\n      \"title\": " << JsonString(book.title) << ",\n      \"pages\": [";
  for (size_t i = 0; i < book.pages.size(); ++i) {
    out << (i ? ",\n        " : "\n        ");
    WritePageJson(book.pages[i], i + 1, style, out);
  }
  out << "\n      ],\n      \"pairs\": [";
  for (size_t i = 0; i < book.pages.size(); i += 2) {
    out << (i ? ", [" : "[") << i + 1;
    if (i + 1 < book.pages.size())
      out << ", " << i + 2;
    out << "]";
  }
  out << "]\n    }";
}

void WriteStringsJson(const char* key, const std::vector<std::string>& lines, std::ostream& out) {
  out << "  \"" << key << "\": [";
  for (size_t i = 0; i < lines.size(); ++i)
    out << (i ? ", " : "") << JsonString(lines[i]);
  out << "]";
}

}  // namespace

void WritePlanText(const BookPlan& plan, PathStyle style, std::ostream& out) {
  for (const std::string& warning : plan.warnings)
    out << EscapeControlBytes(warning) << "\n";
  for (const PlannedBook& book : plan.books)
    WriteBookText(book, style, out);
  if (plan.books.empty())
    out << "no book\n";
  for (const PlannedFailure& failure : plan.noPages)
    out << EscapeControlBytes("no page from " + failure.path + ": " + failure.reason) << "\n";
  for (const std::string& line : plan.ignored)
    out << EscapeControlBytes(line) << "\n";
  if (AnyUnsure(plan))
    out << "?: pages if the data decodes (the header is sound; the image data is read only "
           "when converting)\n";
}

void WritePlanJson(const BookPlan& plan, PathStyle style, std::ostream& out) {
  out << "{\n  \"books\": [";
  for (size_t i = 0; i < plan.books.size(); ++i) {
    out << (i ? ",\n" : "\n");
    WriteBookJson(plan.books[i], style, out);
  }
  out << (plan.books.empty() ? "],\n" : "\n  ],\n") << "  \"noPages\": [";
  for (size_t i = 0; i < plan.noPages.size(); ++i) {
    out << (i ? ", " : "") << "{\"path\": " << JsonString(plan.noPages[i].path)
        << ", \"reason\": " << JsonString(plan.noPages[i].reason) << "}";
  }
  out << "],\n";
  WriteStringsJson("ignored", plan.ignored, out);
  out << ",\n";
  WriteStringsJson("warnings", plan.warnings, out);
  out << "\n}\n";
}

}  // namespace tamsolo
