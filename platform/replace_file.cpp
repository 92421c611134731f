#include "platform/replace_file.h"

#include "platform/error.h"
#include "platform/run_folder_name.h"

namespace tamsolo {
namespace {

const char* TypeText(EntryType type) {
  switch (type) {
    case EntryType::Link:
      return "it is a link";
    case EntryType::Folder:
      return "it is a folder";
    default:
      return "it is a FIFO or a device";
  }
}

}  // namespace

void ReplaceRegularFile(FileSystem& fs, const std::string& path,
                        std::initializer_list<std::span<const uint8_t>> parts,
                        StreamDevices devices, PathStyle style) {
  if (devices == StreamDevices::Written && IsStreamDevice(path)) {
    WriteFileCleanly(fs, path, parts, FileSystem::Create::Replace);
    return;
  }
  const EntryType type = EntryTypeOf(path);
  if (type != EntryType::Missing && type != EntryType::RegularFile)
    throw Error("Cannot replace \"" + path + "\": " + TypeText(type) +
                "; only a regular file is replaced");
  // A name no user file has: hidden, and drawn like a run folder's.
  const std::string temp = FolderPart(path, style) + ".tamsolo-new-" + MakeRunFolderName();
  WriteFileCleanly(fs, temp, parts, FileSystem::Create::New);
  try {
    RenameReplacing(temp, path);
  } catch (...) {
    fs.DeleteFile(temp);
    throw;
  }
}

}  // namespace tamsolo
