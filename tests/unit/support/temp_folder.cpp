#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <random>

namespace tamsolo::testing {

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device device;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    path_ = std::filesystem::temp_directory_path() /
            ("tamsolo-test-" + std::to_string(device()) + "-" + std::to_string(stamp) + "-" +
             std::to_string(counter++));
    if (std::filesystem::create_directory(path_))
      return;
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::WithDelimiter() const {
  return (path_ / "").string();
}

}  // namespace tamsolo::testing
