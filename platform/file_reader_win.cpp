#include <windows.h>

#include "platform/error.h"
#include "platform/file_reader.h"
#include "platform/last_error_win.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD code) {
  ThrowSystemError(std::string(what) + " \"" + path + "\"", code);
}

FileHandle OpenForReading(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD code = GetLastError();
    Fail("Cannot open file", path, code);
  }
  return file;
}

// Only a file on a disk is read: a pipe or a console device would block or never end.
uint64_t CheckDiskFile(HANDLE file, const std::string& path) {
  if (GetFileType(file) != FILE_TYPE_DISK)
    throw Error("Cannot read file \"" + path + "\": it is not a file on a disk");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    const DWORD code = GetLastError();
    Fail("Cannot read file", path, code);
  }
  return static_cast<uint64_t>(size.QuadPart);
}

HANDLE HandleOf(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

// The handle is owned here only once the file has passed its checks; the header keeps it as
// a number, since portable code includes it.
FileReader::FileReader(const std::string& path) : path_(path) {
  FileHandle file = OpenForReading(path);
  size_ = CheckDiskFile(file.Get(), path);
  handle_ = reinterpret_cast<intptr_t>(file.Release());
}

FileReader::~FileReader() {
  if (!inMemory_)
    CloseHandle(HandleOf(handle_));
}

int64_t FileReader::TryRead(void* data, size_t size) noexcept {
  if (inMemory_)
    return MemoryRead(data, size);
  auto* out = static_cast<uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    const size_t left = size - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD count = 0;
    if (!ReadFile(HandleOf(handle_), out + done, chunk, &count, nullptr)) {
      lastError_ = static_cast<int>(GetLastError());
      return -1;
    }
    if (count == 0)
      break;
    done += count;
    bytesRead_ += count;
  }
  return static_cast<int64_t>(done);
}

size_t FileReader::Read(void* data, size_t size) {
  const int64_t count = TryRead(data, size);
  if (count < 0)
    Fail("Cannot read file", path_, static_cast<DWORD>(lastError_));
  return static_cast<size_t>(count);
}

bool FileReader::Skip(uint64_t count) noexcept {
  if (inMemory_) {
    memoryPosition_ += count;
    return true;
  }
  LARGE_INTEGER distance{};
  distance.QuadPart = static_cast<LONGLONG>(count);
  return SetFilePointerEx(HandleOf(handle_), distance, nullptr, FILE_CURRENT) != 0;
}

size_t FileReader::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  if (inMemory_)
    return MemoryReadAt(offset, out, count);
  size_t done = 0;
  while (done < count) {
    const size_t left = count - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    const uint64_t at = offset + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!ReadFile(HandleOf(handle_), out + done, chunk, &got, &position)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF)
        break;
      Fail("Cannot read file", path_, code);
    }
    if (got == 0)
      break;  // the file shrank meanwhile
    done += got;
    bytesRead_ += got;
  }
  return done;
}

}  // namespace tamsolo
