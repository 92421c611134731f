#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamsolo {

// Reads a whole file (path in the program's code page). Throws Error when it cannot be
// opened or read, or when it is larger than maxBytes.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes);

}  // namespace tamsolo
