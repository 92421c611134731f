#include "cli/output_folder.h"

#include <random>

#include "platform/error.h"

namespace tamsolo {

void PrepareOutputFolder(const std::string& folder, FileSystem& fileSystem, PathStyle style) {
  const FileSystem::Kind kind = fileSystem.KindOf(folder);
  if (kind == FileSystem::Kind::File)
    throw Error("\"" + folder + "\" is not a folder");
  if (kind == FileSystem::Kind::Missing)
    fileSystem.CreateFolders(folder);
  std::random_device random;
  fileSystem.ProveWritable(folder, AddTrailingDelimiter(folder, style) + ".tamsolo-write-test-" +
                                       std::to_string(random()));
}

}  // namespace tamsolo
