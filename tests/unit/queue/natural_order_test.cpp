#include <gtest/gtest.h>

#include "queue/file_queue.h"
#include "queue/path_order.h"
#include "queue/unpadded_numbers.h"

namespace tamsolo {
namespace {

using Names = std::vector<std::string>;
constexpr PathStyle kPosix = PathStyle::Posix;

Names Queued(const Names& paths, QueueOrder order) {
  FileQueue queue(kPosix, order);
  for (const std::string& path : paths)
    queue.Add(path);
  return queue.Paths();
}

TEST(NaturalOrder, NumbersCompareByValueAndTheDropKeepsByteOrder) {
  const Names paths = {"/s/10.jpg", "/s/B2.jpg",   "/s/2.jpg",     "/s/b10.jpg",    "/s/1.jpg",
                       "/s/01.jpg", "/s/a.jpg",    "/s/9z.jpg",    "/s/3_1.jpg",    "/s/3-1.jpg",
                       "/s/3.jpg",  "/s/v2/x.jpg", "/s/v10/x.jpg", "/s/page1b.jpg", "/s/page1.jpg"};
  // The stem before the extension: 3 before 3-1 and 3_1, page1 before page1b.
  EXPECT_EQ(Queued(paths, QueueOrder::Natural),
            (Names{"/s/01.jpg", "/s/1.jpg", "/s/2.jpg", "/s/3.jpg", "/s/3-1.jpg", "/s/3_1.jpg",
                   "/s/9z.jpg", "/s/10.jpg", "/s/a.jpg", "/s/B2.jpg", "/s/b10.jpg", "/s/page1.jpg",
                   "/s/page1b.jpg", "/s/v2/x.jpg", "/s/v10/x.jpg"}));
  EXPECT_EQ(Queued(paths, QueueOrder::Bytes),
            (Names{"/s/01.jpg", "/s/1.jpg", "/s/10.jpg", "/s/2.jpg", "/s/3-1.jpg", "/s/3.jpg",
                   "/s/3_1.jpg", "/s/9z.jpg", "/s/a.jpg", "/s/b10.jpg", "/s/B2.jpg", "/s/page1.jpg",
                   "/s/page1b.jpg", "/s/v10/x.jpg", "/s/v2/x.jpg"}));
  EXPECT_TRUE(NaturalLess("vol", "vol2"));
  EXPECT_FALSE(NaturalLess("vol2", "vol"));
}

Names Findings(const Names& names) {
  FileQueue queue(kPosix);
  for (const std::string& name : names)
    queue.Add(name);
  Names found;
  for (const UnpaddedNumbers& finding : FindUnpaddedNumbers(queue.Paths(), kPosix))
    found.push_back(finding.folder + ": " + finding.first + " < " + finding.second);
  return found;
}

TEST(UnpaddedNumbers, FoundPerFolderOnlyWhereTheOrderIsWrong) {
  Names oneTo120, padded;
  for (int i = 1; i <= 120; ++i) {
    oneTo120.push_back("/v/" + std::to_string(i) + ".jpg");
    padded.push_back("/p/" +
                     std::string(i < 10    ? "00"
                                 : i < 100 ? "0"
                                           : "") +
                     std::to_string(i) + ".jpg");
  }
  EXPECT_EQ(Findings(oneTo120), (Names{"/v/: 10.jpg < 2.jpg"}));
  EXPECT_EQ(Findings(padded), Names{});

  const struct {
    Names names;
    Names found;
  } cases[] = {
      {{"/a/1.jpg", "/a/2.jpg", "/a/9.jpg"}, {}},
      {{"/a/p1.jpg", "/a/p10.jpg", "/a/q2.jpg"}, {}},  // p10 and q2 differ in more than numbers
      {{"/a/p10.jpg", "/a/p9.jpg"}, {"/a/: p10.jpg < p9.jpg"}},
      {{"/a/P10.jpg", "/a/p9.png", "/a/p9.jpg"}, {"/a/: P10.jpg < p9.jpg"}},
      {{"/a/v1p10.jpg", "/a/v1p9.jpg", "/a/v2p1.jpg"}, {"/a/: v1p10.jpg < v1p9.jpg"}},
      {{"/a/01.jpg", "/a/1.jpg"}, {}},  // only the padding differs
      {{"/a/01.jpg", "/a/1.jpg", "/a/02.jpg"}, {"/a/: 02.jpg < 1.jpg"}},  // padded now and then
      {{"/b/3.jpg", "/b/20.jpg", "/a/1.jpg", "/a/5.jpg", "/a/12.jpg", "/c/x11.jpg", "/c/x2.jpg"},
       {"/a/: 12.jpg < 5.jpg", "/b/: 20.jpg < 3.jpg", "/c/: x11.jpg < x2.jpg"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Findings(c.names), c.found) << c.names.front();
}

}  // namespace
}  // namespace tamsolo
