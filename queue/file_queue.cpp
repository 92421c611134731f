#include "queue/file_queue.h"

#include <algorithm>

#include "platform/error.h"
#include "queue/path_order.h"

namespace tamsolo {

size_t FileQueue::Add(SourceRef source) {
  Entry item{FoldAsciiCase(source.path, style_), std::move(source)};
  const auto at =
      std::upper_bound(items_.begin(), items_.end(), item, [this](const Entry& a, const Entry& b) {
        return QueueLess(a.key, a.source.path, b.key, b.source.path, order_);
      });
  const size_t index = static_cast<size_t>(at - items_.begin());
  items_.insert(at, std::move(item));
  if (onAdded_)
    onAdded_(index, items_[index].source);
  return index;
}

SourceRef FileQueue::TakeFirst() {
  if (items_.empty())
    throw Error("The queue is empty");
  SourceRef source = std::move(items_.front().source);
  items_.erase(items_.begin());
  return source;
}

std::vector<std::string> FileQueue::Paths() const {
  std::vector<std::string> paths;
  paths.reserve(items_.size());
  for (const Entry& item : items_)
    paths.push_back(item.source.path);
  return paths;
}

std::vector<SourceRef> FileQueue::Sources() const {
  std::vector<SourceRef> sources;
  sources.reserve(items_.size());
  for (const Entry& item : items_)
    sources.push_back(item.source);
  return sources;
}

}  // namespace tamsolo
