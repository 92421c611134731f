#include "platform/run_folder_name.h"

#include <chrono>
#include <mutex>
#include <random>

#include "platform/error.h"

namespace tamsolo {

std::string MakeRunFolderName(const std::function<uint16_t()>& draw) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string name;
  for (int group = 0; group < 4; ++group) {
    if (group > 0)
      name += '-';
    for (int half = 0; half < 2; ++half) {
      const uint16_t number = draw();
      for (int shift = 12; shift >= 0; shift -= 4)
        name += kDigits[(number >> shift) & 0xF];
    }
  }
  return name;
}

std::string MakeRunFolderName() {
  static std::mutex mutex;
  static std::mt19937 engine = [] {
    std::random_device device;
    const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
    std::seed_seq seed{device(), device(), static_cast<unsigned>(stamp),
                       static_cast<unsigned>(stamp >> 32)};
    return std::mt19937(seed);
  }();
  std::lock_guard lock(mutex);
  std::uniform_int_distribution<int> number(0, 65535);
  return MakeRunFolderName([&] { return static_cast<uint16_t>(number(engine)); });
}

std::string CreateUniqueFolder(FileSystem& fs, const std::string& parent, const std::string& prefix,
                               int tries, FolderAccess access, std::string* tried) {
  for (int attempt = 1;; ++attempt) {
    const std::string candidate = parent + prefix + MakeRunFolderName();
    if (tried)
      *tried = candidate;
    try {
      if (access == FolderAccess::Private)
        fs.CreatePrivateFolder(candidate);
      else
        fs.CreateFolderExclusive(candidate);
      return candidate;
    } catch (const SystemError&) {
      if (attempt >= tries || !fs.Exists(candidate))
        throw;
    }
  }
}

}  // namespace tamsolo
