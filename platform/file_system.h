#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
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

  // A file being written. Close reports what the system could only tell at the end.
  class Writer {
   public:
    virtual ~Writer() = default;
    virtual void Write(const void* data, size_t size) = 0;
    virtual void Close() = 0;
  };
  enum class Create {
    Replace,  // create the file, or empty the one that is there
    New,      // create it only when nothing has that name; a link there is never followed
  };

  virtual ~FileSystem() = default;

  // What the path names now; a failed attribute read counts as Missing.
  virtual Kind KindOf(const std::string& path) = 0;
  // Whether anything has that name, a link that leads nowhere included.
  virtual bool Exists(const std::string& path) = 0;
  // The entries of a folder, hidden and system entries included, in the order the system
  // returns them; throws SystemError naming the folder and the system's reason.
  virtual std::vector<Entry> ReadFolder(const std::string& path) = 0;
  // The same, nullopt when the folder cannot be searched.
  std::optional<std::vector<Entry>> ListFolder(const std::string& path);
  // A key naming the folder itself, equal for every path that leads to it (links included);
  // nullopt when unknown. Guards folder walks against cycles.
  virtual std::optional<std::string> FolderIdentity(const std::string& path) = 0;
  // Creates the folder and any missing parents; throws SystemError on failure.
  virtual void CreateFolders(const std::string& path) = 0;
  // Creates one folder, failing if it exists, open to others as the user's umask allows;
  // throws SystemError on failure.
  virtual void CreateFolderExclusive(const std::string& path) = 0;
  // The same for a folder only its owner may enter (a private work folder).
  virtual void CreatePrivateFolder(const std::string& path) = 0;
  // Renames a file or folder; fails, replacing nothing, when something has the new name.
  // Throws SystemError.
  virtual void RenameNoReplace(const std::string& from, const std::string& to) = 0;
  // Deletes a file; false when it could not be deleted.
  virtual bool DeleteFile(const std::string& path) = 0;
  // Removes an empty folder; throws SystemError on failure.
  virtual void RemoveFolder(const std::string& path) = 0;
  // Copies a file, replacing nothing; throws SystemError on failure.
  virtual void CopyFile(const std::string& from, const std::string& to) = 0;
  // Gives the file a second name (a hard link) where both lie on one file system and the
  // system allows it, a copy otherwise; replaces nothing and throws SystemError on failure.
  // Deleting either name later leaves the other whole.
  virtual void LinkOrCopyFile(const std::string& from, const std::string& to) {
    CopyFile(from, to);
  }
  // Opens a file for writing; throws SystemError naming the path and the system's reason.
  virtual std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) = 0;
  // The system temp folder with a trailing delimiter.
  virtual std::string TempFolder() = 0;
  // Proves that a file can be created in the folder: by default the file probe (a path in it
  // that no user file has) created new and deleted again. The native ones leave nothing even when
  // the program is killed meanwhile: POSIX makes an unnamed file (O_TMPFILE) where the file system
  // can, Windows a file deleted when its handle closes. Throws SystemError.
  virtual void ProveWritable(const std::string& folder, const std::string& probe);
};

// A write to a FIFO or a device, which can wait for a reader for good, gives up with an error
// once flag is set: the command line's stop request, so that a signal ends such a wait at once.
void SetStreamWriteStop(const std::atomic<bool>* flag);
const std::atomic<bool>* StreamWriteStop();

// Writes bytes as a whole file. When a write or the close fails, a file this call created is
// deleted again before the error goes on, so no half file stays behind.
void WriteFileCleanly(FileSystem& fileSystem, const std::string& path,
                      std::span<const uint8_t> bytes, FileSystem::Create how);
// The same for a file made of several parts, written one after the other.
void WriteFileCleanly(FileSystem& fileSystem, const std::string& path,
                      std::initializer_list<std::span<const uint8_t>> parts,
                      FileSystem::Create how);

// The platform's own implementation (POSIX calls, or the Win32 ANSI functions).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace tamsolo
