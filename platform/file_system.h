#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamsolo {

// The few file-system calls the portable code needs, so that the queue and the command line
// run on the native calls of either platform and tests can use a fake. Paths are byte
// strings in the program's code page, in the platform's path style.
class FileSystem {
 public:
  enum class Kind { Missing, File, Folder };
  struct Entry {
    std::string name;  // without folder; "." and ".." are never listed
    bool isFolder = false;
  };

  virtual ~FileSystem() = default;

  // What the path names now; a failed attribute read counts as Missing.
  virtual Kind KindOf(const std::string& path) = 0;
  // The entries of a folder, hidden and system entries included, in the order the system
  // returns them; nullopt when the folder cannot be searched.
  virtual std::optional<std::vector<Entry>> ListFolder(const std::string& path) = 0;
  // A key naming the folder itself, equal for every path that leads to it (links included);
  // nullopt when unknown. Guards folder walks against cycles.
  virtual std::optional<std::string> FolderIdentity(const std::string& path) = 0;
  // Creates the folder and any missing parents; throws SystemError on failure.
  virtual void CreateFolders(const std::string& path) = 0;
  // Creates one folder, failing if it exists; throws SystemError on failure.
  virtual void CreateFolderExclusive(const std::string& path) = 0;
  // Deletes a file; false when it could not be deleted.
  virtual bool DeleteFile(const std::string& path) = 0;
  // Removes an empty folder; throws SystemError on failure.
  virtual void RemoveFolder(const std::string& path) = 0;
  // Copies a file, replacing nothing; throws SystemError on failure.
  virtual void CopyFile(const std::string& from, const std::string& to) = 0;
  // The system temp folder with a trailing delimiter.
  virtual std::string TempFolder() = 0;
};

// The platform's own implementation (POSIX calls, or the Win32 ANSI functions).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace tamsolo
