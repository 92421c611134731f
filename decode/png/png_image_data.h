#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include <zlib.h>

#include "decode/png/png_format.h"
#include "decode/png/png_samples.h"
#include "image/rgb_image.h"

namespace tamsolo {

// The image data of one PNG: the zlib stream of the first IDAT run, inflated straight into a
// row buffer, unfiltered in place against the previous row and mapped into the result, pass
// by pass for Adam7. Bytes after the last row are not read.
class PngImageData {
 public:
  // What the row buffers and the inflate state need, for the memory budget; call before
  // constructing.
  static uint64_t BufferBytes(const PngHeader& header);

  // image must already have the header's size; it is written row by row.
  PngImageData(const PngHeader& header, const PngSampleMapper& mapper, RgbImage& image);
  ~PngImageData();
  PngImageData(const PngImageData&) = delete;
  PngImageData& operator=(const PngImageData&) = delete;

  // Inflates the data of one IDAT chunk. Throws Error for corrupt data or a stream that ends
  // before the last row.
  void Feed(std::span<const uint8_t> bytes);
  bool Complete() const { return pass_ >= passCount_; }

 private:
  void StartPass(int pass);
  void FinishRow();

  const PngHeader header_;
  const PngSampleMapper& mapper_;
  RgbImage& image_;
  z_stream stream_{};
  std::unique_ptr<uint8_t[]> buffer_;
  uint8_t* row_ = nullptr;    // filter-type byte, then the row
  uint8_t* prior_ = nullptr;  // same layout, the previous row of the pass
  size_t filled_ = 0;         // bytes of row_ inflated so far
  size_t rowBytes_ = 0;       // of the current pass, without the filter-type byte
  uint32_t passWidth_ = 0;
  uint32_t passHeight_ = 0;
  uint32_t passRow_ = 0;
  int pass_ = 0;
  int passCount_ = 1;
};

}  // namespace tamsolo
