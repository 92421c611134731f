#include <windows.h>

#include "platform/error.h"
#include "platform/file_bytes.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { CloseHandle(handle_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

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

}  // namespace

// Only a file on a disk is read: a pipe or a console device would block or never end.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  const Handle file(OpenForReading(path));
  if (GetFileType(file.Get()) != FILE_TYPE_DISK)
    throw Error("Cannot read file \"" + path + "\": it is not a file on a disk");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) {
    const DWORD code = GetLastError();
    Fail("Cannot read file", path, code);
  }
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD count = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, chunk, &count, nullptr)) {
      const DWORD code = GetLastError();
      Fail("Cannot read file", path, code);
    }
    if (count == 0)
      break;  // the file shrank meanwhile
    done += count;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tamsolo
