#include "archive/archive_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>

#include "archive/header_text.h"
#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

// libarchive may fail without a text.
std::string ReasonOf(struct archive* archive) {
  const char* text = archive_error_string(archive);
  return text ? text : "unknown error";
}

}  // namespace

// libarchive's handle on the archive, fed from our own reader so that a FIFO, a device or a
// link at the archive's name is refused as for any input.
struct ArchiveReader::Handle {
  explicit Handle(const std::string& path) : file(path), archive(archive_read_new()) {
    if (!archive)
      throw Error("out of memory");
  }
  ~Handle() { archive_read_free(archive); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  // 7z keeps its index at the end, so the reader must be able to seek: reads go by offset.
  static la_ssize_t Pull(struct archive*, void* self, const void** buffer) noexcept {
    auto* handle = static_cast<Handle*>(self);
    *buffer = handle->piece;
    try {
      const size_t got = handle->file.ReadAt(handle->position, handle->piece, sizeof handle->piece);
      handle->position += got;
      return static_cast<la_ssize_t>(got);
    } catch (...) {
      return -1;
    }
  }

  static la_int64_t Seek(struct archive*, void* self, la_int64_t offset, int whence) noexcept {
    auto* handle = static_cast<Handle*>(self);
    const auto size = static_cast<la_int64_t>(handle->file.Size());
    const la_int64_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? static_cast<la_int64_t>(handle->position)
                                                 : size;
    if (base + offset < 0)
      return ARCHIVE_FATAL;
    handle->position = static_cast<uint64_t>(base + offset);
    return base + offset;
  }

  FileReader file;
  struct archive* archive;
  archive_entry* entry = nullptr;
  uint64_t position = 0;
  uint8_t piece[256 * 1024];
};

ArchiveReader::ArchiveReader(std::string path, uint64_t memoryLimit)
    : path_(std::move(path)), memoryLimit_(memoryLimit) {}

ArchiveReader::~ArchiveReader() = default;

void ArchiveReader::Close() {
  handle_.reset();
}

std::string ArchiveReader::Where(const ArchiveEntry* entry) const {
  return "\"" + path_ + "\"" + (entry ? ", entry \"" + entry->name + "\"" : "");
}

void ArchiveReader::Open(bool forData) {
  handle_.reset();
  auto handle = std::make_unique<Handle>(path_);
  archive_read_support_format_zip(handle->archive);
  archive_read_support_format_7zip(handle->archive);
  archive_read_support_format_rar(handle->archive);
  archive_read_support_format_rar5(handle->archive);
  archive_read_support_format_tar(handle->archive);
  archive_read_support_filter_all(handle->archive);
  archive_read_set_callback_data(handle->archive, handle.get());
  archive_read_set_read_callback(handle->archive, &Handle::Pull);
  archive_read_set_seek_callback(handle->archive, &Handle::Seek);
  if (archive_read_open1(handle->archive) != ARCHIVE_OK)
    throw Error("Cannot read archive " + Where(nullptr) + ": " + ReasonOf(handle->archive));
  handle_ = std::move(handle);
  next_ = 0;
  opens_ += forData ? 1 : 0;
}

const std::vector<ArchiveEntry>& ArchiveReader::Entries() {
  if (listed_)
    return entries_;
  Open(false);
  HeaderTextScope text;
  for (;;) {
    const int status = archive_read_next_header(handle_->archive, &handle_->entry);
    if (status == ARCHIVE_EOF)
      break;
    if (status < ARCHIVE_WARN) {
      if (entries_.empty())
        throw Error("Cannot read archive " + Where(nullptr) + ": " + ReasonOf(handle_->archive));
      damage_ = ReasonOf(handle_->archive);
      break;
    }
    ArchiveEntry entry;
    entry.index = entries_.size();
    entry.name = EntryName(handle_->entry, entry.nameIsUtf8);
    entry.size =
        archive_entry_size_is_set(handle_->entry) ? archive_entry_size(handle_->entry) : -1;
    entry.encrypted = archive_entry_is_encrypted(handle_->entry) != 0;
    entry.regularFile = archive_entry_filetype(handle_->entry) == AE_IFREG;
    entries_.push_back(std::move(entry));
  }
  listed_ = true;
  handle_.reset();  // the data is read through a handle of its own, from the start
  return entries_;
}

ByteBuffer ArchiveReader::Read(size_t index, const std::function<void()>& betweenPieces) {
  const ArchiveEntry& wanted = Entries().at(index);
  if (wanted.encrypted)
    throw Error("Cannot read " + Where(&wanted) + ": it is encrypted");
  if (wanted.size > 0 && static_cast<uint64_t>(wanted.size) > memoryLimit_)
    throw Error("Cannot read " + Where(&wanted) + ": larger than the memory limit");
  if (!handle_ || index < next_)
    Open(true);
  HeaderTextScope text;
  while (next_ <= index) {
    const int status = archive_read_next_header(handle_->archive, &handle_->entry);
    if (status < ARCHIVE_WARN || status == ARCHIVE_EOF)
      throw Error(
          "Cannot read " + Where(&wanted) + ": " +
          (status == ARCHIVE_EOF ? "the archive ends before it" : ReasonOf(handle_->archive)));
    ++next_;
  }
  // Into room for the declared size and a byte more, so that an entry as large as it says
  // ends without the room growing; past that the room doubles, up to a byte past the limit.
  // A declared size can lie (or be absent), so no more than 64 MiB is taken on its word.
  const uint64_t cap = memoryLimit_ + 1;
  constexpr uint64_t kTrusted = uint64_t{64} << 20;
  const uint64_t declared = static_cast<uint64_t>(std::max<int64_t>(wanted.size, 0));
  ByteBuffer bytes(static_cast<size_t>(std::min({declared + 1, kTrusted, cap})));
  size_t at = 0;
  for (;;) {
    if (at == bytes.size()) {
      if (bytes.size() >= cap)
        throw Error("Cannot read " + Where(&wanted) + ": larger than the memory limit");
      bytes.resize(static_cast<size_t>(
          std::min<uint64_t>(std::max<uint64_t>(bytes.size() * 2, sizeof handle_->piece), cap)));
    }
    if (betweenPieces)
      betweenPieces();
    constexpr size_t kPiece = size_t{1} << 20;
    const la_ssize_t got =
        archive_read_data(handle_->archive, bytes.data() + at, std::min(bytes.size() - at, kPiece));
    if (got < 0) {
      const std::string reason = ReasonOf(handle_->archive);
      handle_.reset();  // a damaged stream is not read further; the next entry reopens
      throw Error("Cannot read " + Where(&wanted) + ": " + reason);
    }
    if (got == 0) {
      bytes.resize(at);
      return bytes;
    }
    at += static_cast<size_t>(got);
  }
}

}  // namespace tamsolo
