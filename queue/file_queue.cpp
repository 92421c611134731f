#include "queue/file_queue.h"

#include <algorithm>

#include "platform/error.h"
#include "queue/path_order.h"

namespace tamsolo {

size_t FileQueue::Add(const std::string& path) {
  Entry item{FoldAsciiCase(path, style_), path};
  const auto at =
      std::upper_bound(items_.begin(), items_.end(), item, [this](const Entry& a, const Entry& b) {
        return QueueLess(a.key, a.path, b.key, b.path, order_);
      });
  const size_t index = static_cast<size_t>(at - items_.begin());
  items_.insert(at, std::move(item));
  if (onAdded_)
    onAdded_(index, path);
  return index;
}

std::string FileQueue::TakeFirst() {
  if (items_.empty())
    throw Error("The queue is empty");
  std::string path = std::move(items_.front().path);
  items_.erase(items_.begin());
  return path;
}

std::vector<std::string> FileQueue::Paths() const {
  std::vector<std::string> paths;
  paths.reserve(items_.size());
  for (const Entry& item : items_)
    paths.push_back(item.path);
  return paths;
}

}  // namespace tamsolo
