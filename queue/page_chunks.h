#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tamsolo {

// The most bytes of quoted names the builder's open-file dialog is given at once.
inline constexpr size_t kChunkLimit = 250;

// One chunk entry: the name in double quotes followed by one blank.
std::string ChunkEntry(const std::string& name);

// Splits the page names, in order, into chunks of concatenated entries of at most limit bytes
// each. An entry longer than the limit on its own still travels, alone in its chunk. Lengths
// are bytes, so a double-byte character counts 2.
std::vector<std::string> ChunkPageNames(const std::vector<std::string>& pageList,
                                        size_t limit = kChunkLimit);

}  // namespace tamsolo
