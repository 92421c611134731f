#include <sched.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/usable_cpus.h"

namespace tamsolo {
namespace {

int AffinityCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) != 0)
    return 1;
  return CPU_COUNT(&set);
}

// The process's cgroup v2 folder, from the "0::/path" line of /proc/self/cgroup.
std::string OwnCgroup() {
  std::ifstream file("/proc/self/cgroup");
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind("0::", 0) == 0)
      return line.substr(3);
  }
  return {};
}

// "max 100000" is no quota; "150000 100000" allows 1.5 processors, which is 2 at a time.
int QuotaOf(const std::string& folder) {
  std::ifstream file("/sys/fs/cgroup" + folder + "/cpu.max");
  std::string quota;
  long long period = 0;
  if (!(file >> quota >> period) || quota == "max" || period <= 0)
    return 0;
  std::istringstream number(quota);
  long long microseconds = 0;
  if (!(number >> microseconds) || microseconds <= 0)
    return 0;
  return static_cast<int>((microseconds + period - 1) / period);
}

// A quota anywhere up the hierarchy limits the whole subtree below it.
int CgroupLimit() {
  std::string folder = OwnCgroup();
  int limit = 0;
  while (!folder.empty()) {
    const int quota = QuotaOf(folder == "/" ? "" : folder);
    if (quota > 0 && (limit == 0 || quota < limit))
      limit = quota;
    if (folder == "/")
      break;
    const size_t slash = folder.find_last_of('/');
    folder = slash == 0 ? "/" : folder.substr(0, slash);
  }
  return limit;
}

}  // namespace

int UsableCpuCount() {
  int count = AffinityCount();
  const int limit = CgroupLimit();
  if (limit > 0 && limit < count)
    count = limit;
  return count < 1 ? 1 : count;
}

}  // namespace tamsolo
