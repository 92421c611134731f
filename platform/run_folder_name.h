#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace tamsolo {

// A run folder name: four groups of eight uppercase hexadecimal digits joined by "-", each
// group made of two numbers 0..65535 written as four digits, the first drawn first.
std::string MakeRunFolderName(const std::function<uint16_t()>& draw);

// The same with numbers from a generator seeded once per process from the clock and the
// system's random source.
std::string MakeRunFolderName();

// Creates a folder named prefix + MakeRunFolderName() inside parent (given with its trailing
// delimiter) and returns its path. A name that is taken is drawn again, up to tries times in
// all; any other failure throws at once. Private: only its owner may enter it. tried, when
// given, holds the last name tried, also when the call throws.
enum class FolderAccess { Shared, Private };
std::string CreateUniqueFolder(FileSystem& fs, const std::string& parent, const std::string& prefix,
                               int tries, FolderAccess access, std::string* tried = nullptr);

}  // namespace tamsolo
