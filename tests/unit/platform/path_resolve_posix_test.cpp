#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path_normal.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;

// The system resolves the part up to the last "..": through the link to its target's parent.
TEST(ResolveParentSteps, LeavesParentStepsToTheSystem) {
  testing::TempFolder temp;
  const std::string root = fs::canonical(temp.Path()).string();
  fs::create_directories(root + "/real/deep");
  fs::create_directory_symlink(root + "/real/deep", root + "/dl");
  const struct {
    std::string path, resolved;
  } cases[] = {
      {root + "/dl/../books", root + "/real/books"},
      {root + "/dl/..", root + "/real"},
      {root + "/dl/../deep/../x/y", root + "/real/x/y"},
      {root + "/dl/x", root + "/dl/x"},                  // no "..": as it is
      {root + "/new/../books", root + "/new/../books"},  // leads nowhere yet: as typed
      {root + "/dl/..x/y", root + "/dl/..x/y"},
      {"/../x", "/x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveParentSteps(c.path), c.resolved) << c.path;
}

}  // namespace
}  // namespace tamsolo
