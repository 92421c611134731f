#include "archive/archive_source.h"

namespace tamsolo {

ArchiveSource::ArchiveSource(std::string path, uint64_t entryLimit, uint64_t bufferLimit)
    : path_(path), bufferLimit_(bufferLimit), reader_(std::move(path), entryLimit) {}

const std::vector<ArchiveEntry>& ArchiveSource::Entries() {
  std::lock_guard lock(mutex_);
  return reader_.Entries();
}

void ArchiveSource::Want(size_t index) {
  std::lock_guard lock(mutex_);
  ++wanted_[index];
}

ByteBuffer ArchiveSource::Read(size_t index, const std::function<void()>& betweenPieces) {
  std::lock_guard lock(mutex_);
  if (auto wanted = wanted_.find(index); wanted != wanted_.end() && --wanted->second <= 0)
    wanted_.erase(wanted);
  // A run of many archives must not hold each one open to its end, read or failed.
  struct CloseWhenDone {
    ~CloseWhenDone() {
      if (source.wanted_.empty())
        source.reader_.Close();
    }
    ArchiveSource& source;
  } closeWhenDone{*this};
  if (auto kept = kept_.find(index); kept != kept_.end()) {
    Kept entry = std::move(kept->second);
    kept_.erase(kept);
    keptBytes_ -= entry.bytes.size();
    if (entry.error)
      std::rethrow_exception(entry.error);
    return std::move(entry.bytes);
  }
  KeepPassed(index, betweenPieces);
  ByteBuffer bytes = reader_.Read(index, betweenPieces);
  passed_ = std::max(passed_, index + 1);
  return bytes;
}

// Reads the wanted entries between the last one read and index while they fit; an entry's
// failure is kept too, to be thrown when it is asked for.
void ArchiveSource::KeepPassed(size_t index, const std::function<void()>& betweenPieces) {
  for (auto wanted = wanted_.lower_bound(passed_); wanted != wanted_.end() && wanted->first < index;
       ++wanted) {
    const ArchiveEntry& entry = reader_.Entries().at(wanted->first);
    if (entry.size < 0 || keptBytes_ + static_cast<uint64_t>(entry.size) > bufferLimit_)
      continue;
    Kept kept;
    try {
      kept.bytes = reader_.Read(wanted->first, betweenPieces);
    } catch (...) {
      kept.error = std::current_exception();
    }
    keptBytes_ += kept.bytes.size();
    kept_[wanted->first] = std::move(kept);
  }
}

}  // namespace tamsolo
