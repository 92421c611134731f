#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "clean/page_clean.h"
#include "decode/decode_limits.h"
#include "decode/image_kind.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "queue/path_order.h"
#include "resample/filters.h"

namespace tamsolo {

// One run of the command line's convert: the paths are queued as one drop would queue them,
// converted until the queue is empty and the last book is built, each book into a folder of
// its own under booksFolder.
struct ConvertRunOptions {
  std::vector<std::string> paths;  // made absolute before use, ".." resolved by the system
  std::string booksFolder;         // the same
  int32_t filterIndex = kDefaultFilterIndex;
  uint64_t memoryLimit = kDefaultDecodeMemoryLimit;  // what decoding one image may use
  bool quiet = false;                                // no progress display
  bool progressIsTerminal = false;                   // draw a bar instead of plain lines
  QueueOrder order = QueueOrder::Bytes;
  bool preview = false;  // each book folder gets preview.png and preview.txt
  PathStyle style = NativePathStyle();
  int jobs = 1;                                  // files converted at once
  uint64_t memoryBudget = kDefaultMemoryBudget;  // what the files in flight may hold
  InputSet inputs = InputSet::Extended;          // which files are collected
  std::optional<CleanSteps> clean;               // --clean: the steps each image gets
};

// Returns a CliExit: kCliPartial when a file gave no page, a page was given up or a book
// failed. Progress goes to progress, the summary to summary; warnings about the order go to
// progress before the first file, even when quiet. interrupted is polled (a Ctrl-C
// handler sets it); the run then stops its job and cleans up. The private work folder is removed on
// every way out.
int RunConvert(const ConvertRunOptions& options, FileSystem& fileSystem, std::ostream& summary,
               std::ostream& progress, const std::atomic<bool>& interrupted);

}  // namespace tamsolo
