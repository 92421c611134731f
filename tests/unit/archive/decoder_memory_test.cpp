#include "archive/decoder_memory.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "archive/archive_reader.h"
#include "platform/error.h"
#include "support/archive_writer.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
constexpr uint64_t kKiB = 1024, kMiB = kKiB * kKiB;

// What liblzma's own decoder needs for an LZMA1 or LZMA2 dictionary of that size.
uint64_t LzmaNeeds(lzma_vli id, uint32_t dictionary) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 0);
  options.dict_size = dictionary;
  const lzma_filter chain[] = {{id, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  return lzma_raw_decoder_memusage(chain);
}

uint64_t MemoryOf(const fs::path& path, uint64_t limit = uint64_t{1} << 30) {
  ArchiveReader reader(path.string(), limit);
  reader.Entries();
  return reader.DecoderMemory();
}

// Archives the free tools write, each with a decoder size chosen on the command line, counted
// as liblzma or the method's own header says. The data (2 MiB of text) is large enough that
// the tools keep the sizes asked for.
TEST(DecoderMemory, CountsWhatTheToolsChose) {
  if (std::system("7z >/dev/null 2>&1 && xz -V >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "7z or xz is not installed";
  testing::TempFolder temp;
  std::ofstream data(temp.Path() / "data");
  for (int i = 0; i < 100000; ++i)
    data << "line " << i << " of the page\n";
  data.close();
  const struct {
    const char* name;
    const char* command;
    uint64_t low, high;
  } kRows[] = {
      {"lzma2.7z", "7z a -m0=lzma2 -md=1m lzma2.7z data", LzmaNeeds(LZMA_FILTER_LZMA2, 1 << 20),
       LzmaNeeds(LZMA_FILTER_LZMA2, 1 << 20)},
      {"ppmd.7z", "7z a -m0=PPMd:mem=1m:o=6 ppmd.7z data", kMiB, kMiB},
      {"bzip2.7z", "7z a -m0=BZip2 bzip2.7z data", 3600 * 1000, 4 * kMiB},
      {"lzma.zip", "7z a -tzip -mm=LZMA -md=1m lzma.zip data",
       LzmaNeeds(LZMA_FILTER_LZMA1, 1 << 20), LzmaNeeds(LZMA_FILTER_LZMA1, 1 << 20)},
      {"ppmd.zip", "7z a -tzip -mm=PPMd:mem=2m ppmd.zip data", 2 * kMiB, 2 * kMiB},
      {"xz.zip", "7z a -tzip -mm=XZ -md=2m xz.zip data", LzmaNeeds(LZMA_FILTER_LZMA2, 2 << 20),
       LzmaNeeds(LZMA_FILTER_LZMA2, 2 << 20)},
      {"deflate.zip", "7z a -tzip -mm=Deflate deflate.zip data", 32 * kKiB, 128 * kKiB},
      {"stored.zip", "7z a -tzip -mm=Copy stored.zip data", 0, 0},
      {"a.tar.xz", "tar cf - data | xz --lzma2=dict=3MiB > a.tar.xz",
       LzmaNeeds(LZMA_FILTER_LZMA2, 3 << 20), LzmaNeeds(LZMA_FILTER_LZMA2, 3 << 20)},
      {"a.tar.lzma", "tar cf - data | lzma --lzma1=dict=3MiB > a.tar.lzma",
       LzmaNeeds(LZMA_FILTER_LZMA1, 3 << 20), LzmaNeeds(LZMA_FILTER_LZMA1, 3 << 20)},
      {"a.tar.bz2", "tar cf - data | bzip2 -2 > a.tar.bz2", 800 * 1000, 800 * 1000 + 64 * kKiB},
      {"a.tar.gz", "tar cf - data | gzip > a.tar.gz", 32 * kKiB, 128 * kKiB},
      {"a.tar", "tar cf a.tar data", 0, 0},
  };
  for (const auto& row : kRows) {
    const std::string command =
        "cd '" + temp.Path().string() + "' && (" + row.command + ") >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const uint64_t memory = MemoryOf(temp.Path() / row.name);
    EXPECT_GE(memory, row.low) << row.name;
    EXPECT_LE(memory, row.high) << row.name;
  }
  // Only the outer stream's header can be read: a tar packed twice is refused.
  ASSERT_EQ(
      std::system(("cd '" + temp.Path().string() + "' && tar cf - data | gzip | xz >t").c_str()),
      0);
  EXPECT_THROW(MemoryOf(temp.Path() / "t"), Error);
}

// libarchive's RAR samples: RAR5's window counted twice (window and filtered copy), stored
// entries nothing; an LZMA2 dictionary of 256 MiB refuses the archive under a smaller limit
// with the sizes named, and under a larger one is counted whole and leaves the rest to the
// entries.
TEST(DecoderMemory, CountsRarWindowsAndRefusesWhatPassesTheLimit) {
  for (const auto& [name, memory] :
       {std::pair{"rar5.rar", 256 * kKiB}, {"rar5_stored.rar", 0}, {"rar4.rar", 0}})
    EXPECT_EQ(MemoryOf(fs::path(TAMSOLO_ARCHIVE_SEEDS) / name), memory) << name;

  testing::TempFolder temp;
  const fs::path wide = temp.Path() / "wide.cb7";
  testing::WriteSevenZipWindow(wide, {"001.jpg", std::string(100000, 'x')}, 32);
  EXPECT_EQ(MemoryOf(wide), LzmaNeeds(LZMA_FILTER_LZMA2, 256 << 20));
  try {
    MemoryOf(wide, 128 * kMiB);
    ADD_FAILURE() << "not refused";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot read archive \"" + wide.string() +
                  "\": its decompressor needs 257 MiB, more than the memory limit (128 MiB)");
  }
  ArchiveReader reader(wide.string(), 300 * kMiB);
  EXPECT_EQ(reader.Read(0).size(), 100000u);
  // What the dictionary leaves is what an entry may take.
  ArchiveReader tight(wide.string(), LzmaNeeds(LZMA_FILTER_LZMA2, 256 << 20) + 50000);
  EXPECT_THROW(tight.Read(0), Error);
}

}  // namespace
}  // namespace tamsolo
