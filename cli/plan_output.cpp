#include "cli/plan_output.h"

#include <algorithm>

#include "cli/json_text.h"

namespace tamsolo {
namespace {

std::string Plural(size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string Source(const PageOrigin& origin, PathStyle style) {
  if (origin.Blank())
    return "blank";
  const std::string name = FileNamePart(origin.source, style);
  if (origin.n == 1)
    return name;
  return name + " " + std::to_string(origin.v) + "/" + std::to_string(origin.n);
}

// A source's consecutive pages that fall in different pairs: position i (from 0) is the
// second of its pair and i + 1 the first of the next.
bool SplitAfter(const PlannedBook& book, size_t i) {
  if (i % 2 == 0 || i + 1 >= book.pages.size())
    return false;
  const PageOrigin& a = book.pages[i].origin;
  const PageOrigin& b = book.pages[i + 1].origin;
  return !a.Blank() && a.source == b.source && b.v == a.v + 1;
}

void WriteBookText(const PlannedBook& book, PathStyle style, std::ostream& out) {
  const size_t blanks = static_cast<size_t>(std::count_if(
      book.pages.begin(), book.pages.end(), [](const PlannedPage& p) { return p.origin.Blank(); }));
  out << "book \"" << book.title << "\": " << Plural(book.pages.size(), "page") << " (" << blanks
      << " blank) in " << Plural((book.pages.size() + 1) / 2, "facing pair") << "\n";
  size_t nameWidth = 0;
  for (const PlannedPage& page : book.pages)
    nameWidth = std::max(nameWidth, page.name.size());
  const size_t numberWidth = std::max<size_t>(2, std::to_string(book.pages.size()).size());
  for (size_t i = 0; i < book.pages.size(); ++i) {
    const PlannedPage& page = book.pages[i];
    const std::string pair = i % 2 == 0 ? "pair " + std::to_string(i / 2 + 1) : "";
    const std::string number = std::to_string(i + 1);
    out << "  " << pair << std::string(10 - pair.size(), ' ')
        << std::string(numberWidth - number.size(), ' ') << number << "  " << page.name
        << std::string(nameWidth - page.name.size() + 2, ' ') << Source(page.origin, style)
        << (page.ifDataDecodes ? " ?" : "") << "\n";
  }
  for (size_t i = 0; i < book.pages.size(); ++i) {
    if (SplitAfter(book, i)) {
      out << "  " << FileNamePart(book.pages[i].origin.source, style) << " is split across pairs "
          << i / 2 + 1 << " and " << i / 2 + 2 << "\n";
    }
  }
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

void WritePageJson(const PlannedPage& page, size_t position, PathStyle style, std::ostream& out) {
  out << "{\"position\": " << position << ", \"name\": " << JsonString(page.name);
  if (page.origin.Blank()) {
    out << ", \"blank\": true}";
    return;
  }
  out << ", \"source\": " << JsonString(FileNamePart(page.origin.source, style))
      << ", \"path\": " << JsonString(page.origin.source) << ", \"v\": " << page.origin.v
      << ", \"n\": " << page.origin.n
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
    out << warning << "\n";
  for (const PlannedBook& book : plan.books)
    WriteBookText(book, style, out);
  if (plan.books.empty())
    out << "no book\n";
  for (const PlannedFailure& failure : plan.noPages)
    out << "no page from " << failure.path << ": " << failure.reason << "\n";
  for (const std::string& line : plan.ignored)
    out << line << "\n";
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
