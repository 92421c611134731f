// Any bytes as an archive: listing it and reading every entry ends in entries or an Error,
// within the memory limit; a crash, a sanitizer report or another exception is a finding.
// The reader takes a file (it reads the archive as it reads every input), so each input is
// written to a file of this process's own first.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "archive/archive_reader.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kPath = (std::filesystem::temp_directory_path() /
                                    ("tamsolo-archive-fuzz-" + std::to_string(::getpid())))
                                       .string();
  std::ofstream(kPath, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    tamsolo::ArchiveReader reader(kPath, kFuzzMemoryLimit);
    const size_t count = reader.Entries().size();
    for (size_t i = 0; i < count && i < 64; ++i) {
      try {
        volatile size_t sink = reader.Read(i).size();
        (void)sink;
      } catch (const tamsolo::Error&) {
      }
    }
  } catch (const tamsolo::Error&) {
  }
  return 0;
}
