#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// One run of the command line's convert: the paths are queued as one drop would queue them,
// converted until the queue is empty and the last book is built, each book into a folder of
// its own under outputFolder.
struct ConvertRunOptions {
  std::vector<std::string> paths;  // made absolute and lexically normal before use
  std::string outputFolder;        // absolute
  int32_t filterIndex = 5;
  bool quiet = false;               // no progress display
  bool progressIsTerminal = false;  // draw a bar instead of plain lines
  PathStyle style = NativePathStyle();
};

enum ConvertExit : int {
  kConvertOk = 0,          // every file gave pages and every book was written
  kConvertIncomplete = 1,  // a file gave no page, a page was given up or a book failed
  kConvertUsage = 2,
  kConvertFatal = 3,
  kConvertInterrupted = 130,
};

// Progress goes to progress, the summary to summary. interrupted is polled (a Ctrl-C handler
// sets it); the run then stops its job and cleans up. The private work folder is removed on
// every way out.
int RunConvert(const ConvertRunOptions& options, FileSystem& fileSystem, std::ostream& summary,
               std::ostream& progress, const std::atomic<bool>& interrupted);

}  // namespace tamsolo
