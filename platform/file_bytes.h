#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamsolo {

// Reads a whole file with FileReader's rules (path in the program's code page). Throws Error
// naming the path and the system's reason when it cannot be opened or read, when it is no
// regular file on a disk (a folder, a FIFO, a device; on POSIX also a symbolic link, which is
// not followed), or when it is larger than maxBytes. Never blocks on a FIFO. A file that
// shrinks meanwhile gives what is left. betweenPieces, when set, is called before each piece
// of a few MiB; what it throws ends the read.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes,
                                   const std::function<void()>& betweenPieces = {});

}  // namespace tamsolo
