#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "job/source_ref.h"
#include "platform/paths.h"
#include "queue/path_order.h"

namespace tamsolo {

// The conversion queue (FileList): full paths kept in ascending order of their ASCII-folded
// bytes (or, when asked, in natural order of them). A path equal to queued ones goes after
// them, so equal paths keep the order they came in; duplicates are kept. This is the one
// source of order: whatever shows the queue shows it in this order.
class FileQueue {
 public:
  explicit FileQueue(PathStyle style, QueueOrder order = QueueOrder::Bytes)
      : style_(style), order_(order) {}

  // Returns the index the path took.
  size_t Add(const std::string& path) { return Add(SourceRef::File(path)); }
  size_t Add(SourceRef source);
  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  const std::string& Item(size_t index) const { return items_.at(index).source.path; }
  const SourceRef& Source(size_t index) const { return items_.at(index).source; }
  // Takes item 0 out of the queue; the queue must not be empty.
  SourceRef TakeFirst();
  std::vector<std::string> Paths() const;
  std::vector<SourceRef> Sources() const;
  PathStyle Style() const { return style_; }
  // Told of every path added, with its index, so that a view of the queue can follow it.
  void SetOnAdded(std::function<void(size_t index, const SourceRef& source)> onAdded) {
    onAdded_ = std::move(onAdded);
  }
  QueueOrder Order() const { return order_; }

 private:
  struct Entry {
    std::string key;  // the folded path, computed once
    SourceRef source;
  };
  PathStyle style_;
  QueueOrder order_;
  std::vector<Entry> items_;
  std::function<void(size_t, const SourceRef&)> onAdded_;
};

}  // namespace tamsolo
