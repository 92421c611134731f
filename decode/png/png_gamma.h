#pragma once

#include <array>
#include <cstdint>

namespace tamsolo {

// Maps each 8-bit sample value to its displayed value.
using GammaTable = std::array<uint8_t, 256>;

GammaTable IdentityGammaTable();

// The table for a gAMA value g (> 0): T[i] = round(255 x (i / 255) ^ (100000 / (2.2 x g))),
// ties to even, T[0] = 0. The result is the same on every platform and compiler.
GammaTable PngGammaTable(uint32_t gamma);

}  // namespace tamsolo
