#include <windows.h>

#include "platform/error.h"
#include "platform/output_file.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {

OutputFile::OutputFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const int code = static_cast<int>(GetLastError());
    throw SystemError(CannotCreateFileText(path, code), code);
  }
  handle_ = reinterpret_cast<intptr_t>(file.Release());
}

OutputFile::~OutputFile() {
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void OutputFile::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle_), bytes, chunk, &written, nullptr) ||
        written != chunk)
      throw Error(WriteErrorText());
    bytes += written;
    size -= written;
  }
}

}  // namespace tamsolo
