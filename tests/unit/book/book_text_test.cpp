#include <gtest/gtest.h>

#include "book/book_text.h"
#include "platform/control_bytes.h"
#include "platform/error.h"
#include "platform/paths.h"

namespace tamsolo {
namespace {

BookPage Blank(const char* name) {
  return {name, "", 0, 0, true};
}

BookPage Cut(const char* name, const char* source, int v, int n) {
  return {name, source, v, n, false};
}

// Names holding what the format uses itself (TAB, LF, backslash), a source named like a
// blank page, and a page of each kind.
TEST(BookText, PagesSayWhereTheyComeFromAndReadBackExactly) {
  BookText book;
  book.title = "vol\t1\\";
  book.author = "Tamsolo";
  book.lost = {{"b\n.jpg", "No space left on device"}};
  book.pages = {Blank("PGXblnk1_2.bmp"), Cut("PGXblnk1.bmp", "PGXblnk1.jpg", 1, 1),
                Cut("a\tb-1.bmp", "a\tb.jpg", 1, 2), Cut("a\tb-2.bmp", "a\tb.jpg", 2, 2),
                Cut("x.bmp", "back\\slash.png", 1, 1)};
  book.pages[2].clean = book.pages[3].clean = CleanReport{1.23456, {12, 0, 2790, 1999}};
  book.pages[4].clean = CleanReport{-0.5, {0, 0, 300, 400}};
  const std::string text = FormatBookText(book);
  EXPECT_EQ(text,
            "title: vol\\t1\\\\\nauthor: Tamsolo\nstatus: incomplete\n"
            "lost: b\\n.jpg\tNo space left on device\n"
            "page: PGXblnk1_2.bmp\tblank\n"
            "page: PGXblnk1.bmp\tPGXblnk1.jpg\t1/1\n"
            "page: a\\tb-1.bmp\ta\\tb.jpg\t1/2\n"
            "page: a\\tb-2.bmp\ta\\tb.jpg\t2/2\n"
            "clean: a\\tb.jpg\t1.235\t12,0,2790,1999\n"
            "page: x.bmp\tback\\\\slash.png\t1/1\n"
            "clean: back\\\\slash.png\t-0.500\t0,0,300,400\n");
  const BookText read = ParseBookText(text);
  EXPECT_EQ(read.title, book.title);
  EXPECT_EQ(read.author, book.author);
  ASSERT_EQ(read.lost.size(), 1u);
  EXPECT_EQ(read.lost[0].source, "b\n.jpg");
  EXPECT_EQ(read.lost[0].reason, "No space left on device");
  for (BookPage& page : book.pages)
    page.clean.reset();  // skipped like any key the reader does not know
  EXPECT_EQ(read.pages, book.pages);
}

TEST(BookText, ReaderSkipsWhatItDoesNotKnowAndReadsNameOnlyPages) {
  const BookText read = ParseBookText(
      "title: v\r\nauthor: Tamsolo\r\nrating: 5\nno record here\npage: a.bmp\npage: b.bmp\tblank");
  EXPECT_EQ(read.title, "v");
  EXPECT_EQ(read.author, "Tamsolo");
  ASSERT_EQ(read.pages.size(), 2u);
  EXPECT_FALSE(read.pages[0].Blank());  // written before pages said where they come from
  EXPECT_FALSE(read.pages[0].HasSource());
  EXPECT_TRUE(read.pages[1].Blank());
}

// Values of every kind survive the round trip, and the control-byte escaping of the terminal
// texts writes the same spellings.
TEST(BookText, EscapesRoundTripAndBadEscapesAreRefused) {
  const struct {
    std::string value;
    std::string escaped;
  } cases[] = {
      {"plain \x83\x5c name", "plain \x83\\\\ name"},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {std::string("\0\x1f\x7f", 3), "\\x00\\x1F\\x7F"},
      {"C:\\x\\n", "C:\\\\x\\\\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeBookValue(c.value), c.escaped);
    EXPECT_EQ(UnescapeBookValue(c.escaped), c.value);
  }
  for (const char* bad : {"\\", "\\q", "\\x1", "\\xZZ"})
    EXPECT_THROW(UnescapeBookValue(bad), Error) << bad;
  // On POSIX a\nb must not read like a<LF>b; on Windows a backslash is the delimiter.
  const bool posix = NativePathStyle() == PathStyle::Posix;
  EXPECT_EQ(EscapeControlBytes("a\\nb\tc\x1b"), posix ? "a\\\\nb\\tc\\x1B" : "a\\nb\\tc\\x1B");
}

TEST(BookText, PageLinesOfAnotherFormAreRefused) {
  for (const char* line :
       {"page: a.bmp\tx.jpg", "page: a.bmp\tx.jpg\t0/1", "page: a.bmp\tx.jpg\t3/2",
        "page: a.bmp\tx.jpg\t1/", "page: a.bmp\tx.jpg\t1/2\textra", "page: a.bmp\tblnk",
        "page: a.bmp\tx.jpg\t+1/2", "page: a\\q.bmp"}) {
    EXPECT_THROW(ParseBookText(line), Error) << line;
  }
  for (const char* bad : {"\t1/0", "\\q"}) {  // a line of a megabyte: the message quotes its start
    try {
      ParseBookText("page: " + std::string(1 << 20, 'a') + bad);
      ADD_FAILURE() << bad;
    } catch (const Error& error) {
      EXPECT_LT(std::string(error.what()).size(), 300u) << bad;
    }
  }
}

}  // namespace
}  // namespace tamsolo
