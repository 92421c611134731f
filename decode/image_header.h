#pragma once

#include <cstdint>

#include "decode/decode_limits.h"
#include "platform/file_reader.h"

namespace tamsolo {

// What a source file's header says, read without decoding the image data.
struct ImageHeader {
  int64_t width = 0;
  int64_t height = 0;
  // True when the header and the file's size already settle that the decoder succeeds (a BMP:
  // data that ends early decodes as zeros). False when the decoder still reads data that may
  // fail: JPEG scans, PNG chunks after IHDR.
  bool dataChecked = false;
};

// Reads the header of the file open in file, from its start, with the checks and memory limit
// of the decoder DecodeImageFile would choose, and throws the Error that decoder throws for a
// file it refuses there. Reads only up to the frame header: JPEG markers through libjpeg's
// own header read (skipped segments such as an EXIF thumbnail are passed over unread), the
// PNG signature and IHDR, the BMP headers, a WebP's headers up to its frame's.
ImageHeader ReadImageHeader(FileReader& file, uint64_t memoryLimit = kDefaultDecodeMemoryLimit);

// The same for one format; fileSize is the size of the whole file.
ImageHeader ReadJpegHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit);
ImageHeader ReadPngHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit);
ImageHeader ReadWebpHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit);
ImageHeader ReadBmpHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit);

}  // namespace tamsolo
