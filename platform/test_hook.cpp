#include "platform/test_hook.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace tamsolo {
namespace {

const std::string& HookSetting() {
  static const std::string kSetting = [] {
    const char* value = std::getenv("TAMSOLO_TEST_HOOK");
    return std::string(value ? value : "");
  }();
  return kSetting;
}

}  // namespace

void TestHook(const char* point, const std::function<bool()>& seen) {
  const std::string& setting = HookSetting();
  if (setting.empty() || setting.rfind(point, 0) != 0)
    return;
  const std::string action = setting.substr(std::char_traits<char>::length(point));
  if (action == ":kill")
    EndHere();
  if (action != ":stop")
    return;
  StopHere();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen && !seen() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace tamsolo
