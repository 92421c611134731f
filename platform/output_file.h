#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamsolo {

// A file opened for writing, created or emptied when opened. Failures carry the system's
// texts: SystemError "ファイル "<path>". <cause> を作成できません" when it cannot be created,
// Error "ストリームへの書き込みエラー" when fewer bytes are written than asked for.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(const void* data, size_t size);

 private:
  intptr_t handle_;
};

// The two texts, in the program's code page; shared by both platforms' implementations.
std::string CannotCreateFileText(const std::string& path, int code);
std::string WriteErrorText();

}  // namespace tamsolo
