#include "decode/png/png_image_data.h"

#include <cstring>

#include "decode/decode_limits.h"
#include "decode/png/png_unfilter.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

struct Pass {
  uint32_t x0, y0, dx, dy;
};

constexpr Pass kWholeImage = {0, 0, 1, 1};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

// zlib's inflate state and its largest (32 KiB) window, rounded up.
constexpr uint64_t kInflateStateBytes = 48 * 1024;

uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

}  // namespace

uint64_t PngImageData::BufferBytes(const PngHeader& header) {
  return 2 * (PngRowBytes(header, header.width) + 1) + kInflateStateBytes;
}

PngImageData::PngImageData(const PngHeader& header, const PngSampleMapper& mapper, RgbImage& image)
    : header_(header), mapper_(mapper), image_(image) {
  const size_t rowBytes = static_cast<size_t>(PngRowBytes(header, header.width)) + 1;
  buffer_ = std::make_unique<uint8_t[]>(2 * rowBytes);
  row_ = buffer_.get();
  prior_ = row_ + rowBytes;
  if (inflateInit(&stream_) != Z_OK)
    throw Error("PNG decoder: cannot start inflate");
  passCount_ = header.interlace == 1 ? 7 : 1;
  StartPass(0);
}

PngImageData::~PngImageData() {
  inflateEnd(&stream_);
}

void PngImageData::StartPass(int pass) {
  // Adam7 passes of small images can be empty; they have no rows and no filter bytes.
  for (pass_ = pass; pass_ < passCount_; ++pass_) {
    const Pass& p = passCount_ == 1 ? kWholeImage : kAdam7[pass_];
    passWidth_ = PassExtent(header_.width, p.x0, p.dx);
    passHeight_ = PassExtent(header_.height, p.y0, p.dy);
    if (passWidth_ != 0 && passHeight_ != 0)
      break;
  }
  if (pass_ >= passCount_)
    return;
  passRow_ = 0;
  filled_ = 0;
  rowBytes_ = static_cast<size_t>(PngRowBytes(header_, passWidth_));
  std::memset(prior_, 0, rowBytes_ + 1);
}

void PngImageData::FinishRow() {
  if (!UnfilterPngRow(row_[0], row_ + 1, prior_ + 1, rowBytes_, PngFilterDistance(header_)))
    throw Error("PNG image data is corrupt: unknown filter type");
  const Pass& p = passCount_ == 1 ? kWholeImage : kAdam7[pass_];
  const uint32_t y = p.y0 + passRow_ * p.dy;
  uint8_t* dst = image_.Row(static_cast<int>(y)) + size_t{p.x0} * 3;
  mapper_.MapRow(row_ + 1, passWidth_, dst, size_t{p.dx} * 3);
  std::swap(row_, prior_);
  filled_ = 0;
  if (++passRow_ == passHeight_)
    StartPass(pass_ + 1);
}

void PngImageData::Feed(std::span<const uint8_t> bytes) {
  stream_.next_in = const_cast<Bytef*>(bytes.data());
  size_t left = bytes.size();
  while (!Complete()) {
    // avail_in is a uInt; hand over very large chunks in pieces.
    if (stream_.avail_in == 0) {
      if (left == 0)
        return;
      const size_t piece = left > (1u << 30) ? (1u << 30) : left;
      stream_.avail_in = static_cast<uInt>(piece);
      left -= piece;
    }
    const size_t want = rowBytes_ + 1;
    stream_.next_out = row_ + filled_;
    stream_.avail_out = static_cast<uInt>(want - filled_);
    const int status = inflate(&stream_, Z_NO_FLUSH);
    filled_ = want - stream_.avail_out;
    if (filled_ == want) {
      FinishRow();
      ThrowIfDecodeStopped();
      continue;
    }
    if (status == Z_STREAM_END)
      throw Error("PNG image data ends early");
    // Z_BUF_ERROR only means "no input left"; with input left it would loop for ever.
    if ((status != Z_OK && status != Z_BUF_ERROR) ||
        (status == Z_BUF_ERROR && stream_.avail_in != 0))
      throw Error("PNG image data is corrupt");
  }
}

}  // namespace tamsolo
