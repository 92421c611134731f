#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tamsolo {

inline constexpr const char* kPlanUsageLine =
    "plan PATH... [--json] [--natural-order] [--no-archives] [--memory-limit MIB]";

// Shows, without converting, the books `convert` would make of the PATHs: text or JSON on
// out. Exit: 0 every file gives pages, 1 some file gives none or a path gives nothing, 2
// usage.
int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tamsolo
