#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decode/decode_limits.h"
#include "decode/image_kind.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "queue/book_pages.h"
#include "queue/path_order.h"

namespace tamsolo {

// The books a convert run would make, worked out from the image headers alone: the inputs
// walked and sorted as convert does, each file's page count from its header through the
// job's own layout, and the scheduler's book, blank-page and same-name rules.
struct PlannedPage {
  std::string name;    // the page file's name, as in book.txt
  PageOrigin origin;   // source path and v/n, or a blank
  bool ifDataDecodes;  // its source's image data is read only when converting
};

struct PlannedBook {
  std::string title;
  std::vector<PlannedPage> pages;
};

// A queued file that gives no page, with the reason convert would report.
struct PlannedFailure {
  std::string path;
  std::string reason;
};

struct BookPlan {
  std::vector<PlannedBook> books;
  std::vector<PlannedFailure> noPages;
  std::vector<std::string> ignored;   // typed paths that give nothing
  std::vector<std::string> warnings;  // numbers that sort wrong
  size_t filesRead = 0;
  uint64_t bytesRead = 0;  // by the header readers, all files together
  bool stopped = false;    // the stop came first: the plan is not whole
};

struct PlanOptions {
  std::vector<std::string> paths;  // absolute and lexically normal
  QueueOrder order = QueueOrder::Bytes;
  PathStyle style = NativePathStyle();
  uint64_t memoryLimit = kDefaultDecodeMemoryLimit;  // the decoders' own
  InputSet inputs = InputSet::Extended;              // which files are collected
  std::function<bool()> stop = {};  // polled before each folder and file; true ends the plan
};

BookPlan MakeBookPlan(const PlanOptions& options, FileSystem& fileSystem);

}  // namespace tamsolo
