#pragma once

#include <cstdint>

namespace tamsolo {

class FileReader;

// The decompressor memory of one archive format, read from the archive's own headers (see
// DecoderMemory). Each throws Error with the reason its headers cannot be read.
uint64_t SevenZipMemory(FileReader& file, uint64_t limit);
uint64_t ZipMemory(FileReader& file);
uint64_t Rar4Memory(FileReader& file);
uint64_t Rar5Memory(FileReader& file);

// Fixed costs of the decoders whose memory their headers do not set.
// zlib's inflate: a 32 KiB window and about 7 KiB of state, with room to spare.
inline constexpr uint64_t kInflateMemory = uint64_t{64} << 10;
// libbz2's decoder at the largest block size (900k): four bytes per block byte and its state.
inline constexpr uint64_t kBzip2Memory = 900000 * 4 + (uint64_t{64} << 10);
// The branch converters and delta of 7z: a few buffers of the reader's.
inline constexpr uint64_t kFilterMemory = uint64_t{256} << 10;

// Where the signature first starts at or after from and before until (by default within the
// first MiB of the file, where a self-extracting archive's program ends), or UINT64_MAX.
uint64_t FindSignature(FileReader& file, const char* signature, size_t length, uint64_t from = 0,
                       uint64_t until = uint64_t{1} << 20);

}  // namespace tamsolo
