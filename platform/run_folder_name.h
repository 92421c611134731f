#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tamsolo {

// A run folder name: four groups of eight uppercase hexadecimal digits joined by "-", each
// group made of two numbers 0..65535 written as four digits, the first drawn first.
std::string MakeRunFolderName(const std::function<uint16_t()>& draw);

// The same with numbers from a generator seeded once per process from the clock and the
// system's random source.
std::string MakeRunFolderName();

}  // namespace tamsolo
