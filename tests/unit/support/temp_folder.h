#pragma once

#include <filesystem>
#include <string>

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

}  // namespace tamsolo::testing
