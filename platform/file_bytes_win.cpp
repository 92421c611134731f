#include <windows.h>

#include "platform/error.h"
#include "platform/file_bytes.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD code) {
  throw SystemError(
      std::string(what) + " \"" + path + "\": " + SystemErrorDescription(static_cast<int>(code)),
      static_cast<int>(code));
}

HANDLE OpenForReading(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
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

}  // namespace

InputFile::InputFile(const std::string& path)
    : path_(path), handle_(reinterpret_cast<intptr_t>(OpenForReading(path))) {
  try {
    size_ = CheckDiskFile(reinterpret_cast<HANDLE>(handle_), path);
  } catch (...) {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    throw;
  }
}

InputFile::~InputFile() {
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

size_t InputFile::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  size_t done = 0;
  while (done < count) {
    const size_t left = count - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    const uint64_t at = offset + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), out + done, chunk, &got, &position)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF)
        break;
      Fail("Cannot read file", path_, code);
    }
    if (got == 0)
      break;  // the file shrank meanwhile
    done += got;
  }
  return done;
}

}  // namespace tamsolo
