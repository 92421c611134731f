#pragma once

#include <cstdint>

namespace tamsolo {

class FileReader;

// The most memory the archive reader's decompressors hold at once while reading any one entry
// of the archive in file, in bytes, worked out from the archive's own headers before any data
// is read (libarchive does not say what it allocates). format and filter are what libarchive
// detected in it (archive_format(), archive_filter_code(archive, 0)). limit is the memory
// limit: a packed 7z header is unpacked here only within it. Throws Error with the reason
// when a header cannot be made sense of, rather than guess.
uint64_t DecoderMemory(FileReader& file, int format, int filter, uint64_t limit);

}  // namespace tamsolo
