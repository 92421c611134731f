#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tamsolo::testing {

// A fresh folder under the system temp folder, removed with everything in it at scope end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder with a trailing delimiter, as a native path string.
  std::string WithDelimiter() const;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Writes bytes to path, replacing it; throws std::runtime_error on failure. The path's bytes
// go to the system as they are (the ANSI code page on Windows, where std::filesystem would
// read them as UTF-8), so Shift-JIS names stay whole.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The whole file as text, empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
// The names in folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

}  // namespace tamsolo::testing
