#pragma once

namespace tamsolo {

// How many processors this process may run on: its affinity mask, limited by a CPU quota
// of its control group where there is one (Linux cgroup v2 cpu.max, rounded up). At least 1.
int UsableCpuCount();

}  // namespace tamsolo
