#include "cli/output_folder.h"

#include <random>

#include "platform/error.h"
#include "platform/system_text.h"

namespace tamsolo {

void PrepareOutputFolder(const std::string& folder, FileSystem& fileSystem, PathStyle style) {
  const FileSystem::Kind kind = fileSystem.KindOf(folder);
  if (kind == FileSystem::Kind::File)
    throw Error("\"" + folder + "\" is not a folder");
  if (kind == FileSystem::Kind::Missing)
    fileSystem.CreateFolders(folder);
  std::random_device random;
  const std::string probe =
      AddTrailingDelimiter(folder, style) + ".tamsolo-write-test-" + std::to_string(random());
  // The message names the folder the user gave, not the probe.
  try {
    fileSystem.ProveWritable(folder, probe);
  } catch (const SystemError& error) {
    throw SystemError("Cannot write into the output folder \"" + folder +
                          "\": " + SystemErrorDescription(error.Code()),
                      error.Code());
  }
}

}  // namespace tamsolo
