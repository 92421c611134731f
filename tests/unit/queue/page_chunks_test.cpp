#include "queue/page_chunks.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace tamsolo {
namespace {

std::vector<std::string> NumberedNames(int count, const char* pattern) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, i);
    names.push_back(name);
  }
  return names;
}

std::string Joined(const std::vector<std::string>& names, size_t first, size_t count) {
  std::string text;
  for (size_t i = first; i < first + count; ++i)
    text += "\"" + names[i] + "\" ";
  return text;
}

TEST(ChunkPageNames, FiftyEightByteNamesSplitAs22And22And6) {
  const auto names = NumberedNames(50, "p%03d.bmp");
  const auto chunks = ChunkPageNames(names);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0], Joined(names, 0, 22));
  EXPECT_EQ(chunks[1], Joined(names, 22, 22));
  EXPECT_EQ(chunks[2], Joined(names, 44, 6));
  EXPECT_EQ(chunks[0].size(), 242u);
  EXPECT_EQ(chunks[1].size(), 242u);
  EXPECT_EQ(chunks[2].size(), 66u);
  EXPECT_EQ(chunks[0].substr(0, 12), "\"p001.bmp\" \"");
}

TEST(ChunkPageNames, ExactlyTheLimitIsAccepted) {
  // 22-byte names make 25-byte entries: ten fill a chunk to exactly 250 bytes.
  const auto names = NumberedNames(21, "page%03d_0123456789.bmp");
  ASSERT_EQ(names[0].size(), 22u);
  const auto chunks = ChunkPageNames(names);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0], Joined(names, 0, 10));
  EXPECT_EQ(chunks[0].size(), 250u);
  EXPECT_EQ(chunks[1].size(), 250u);
  EXPECT_EQ(chunks[2], Joined(names, 20, 1));
}

TEST(ChunkPageNames, AnOverlongEntryTravelsAlone) {
  const std::string huge(300, 'h');
  const auto chunks = ChunkPageNames({"a.bmp", "b.bmp", huge, "c.bmp"});
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0], "\"a.bmp\" \"b.bmp\" ");
  EXPECT_EQ(chunks[1], "\"" + huge + "\" ");
  EXPECT_EQ(chunks[2], "\"c.bmp\" ");

  const auto last = ChunkPageNames({"a.bmp", huge});
  ASSERT_EQ(last.size(), 2u);
  EXPECT_EQ(last[1], "\"" + huge + "\" ");
}

TEST(ChunkPageNames, DoubleByteCharactersCountTwoBytes) {
  // 漫 is 0x96 0x9F: "漫漫漫.bmp" is 10 bytes, a 13-byte entry. Nineteen fit in 247 bytes;
  // read as three characters the name would let twenty-one through.
  const std::string name = "\x96\x9F\x96\x9F\x96\x9F.bmp";
  const std::vector<std::string> names(25, name);
  const auto chunks = ChunkPageNames(names);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].size(), 19u * 13u);
  EXPECT_EQ(chunks[1].size(), 6u * 13u);
}

TEST(ChunkPageNames, OnePageOneChunkAndNoPagesNoChunk) {
  EXPECT_EQ(ChunkPageNames({"p001.bmp"}), std::vector<std::string>{"\"p001.bmp\" "});
  EXPECT_TRUE(ChunkPageNames({}).empty());
}

}  // namespace
}  // namespace tamsolo
