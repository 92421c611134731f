#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "decode/bmp_header.h"
#include "decode/bmp_source.h"
#include "decode/decoders.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

// Sizes and offsets in a BMP are untrusted: every one is widened to 64 bits and checked
// against the bytes actually present before it is used, and nothing is allocated until the
// image has passed the memory limit.

namespace tamsolo {
namespace {

struct Field {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

using Palette = std::array<std::array<uint8_t, 3>, 256>;

// Reads the headers from the file's first bytes; a field those lack lies past the file's end.
BmpHeader ReadHeaders(BmpSource& source) {
  std::vector<uint8_t> scratch;
  return ReadBmpHeaders(source.Bytes(0, kBmpHeaderBytes, scratch), source.Size());
}

// Entries missing from the file stay black, so an index past the palette reads black.
Palette ReadPalette(BmpSource& source, const BmpHeader& header) {
  Palette palette{};
  const uint64_t entrySize = header.headerSize == kBmpCoreHeaderSize ? 3 : 4;
  const uint64_t start = kBmpFileHeaderSize + header.headerSize;
  // The palette ends where the pixel data begins, unless the offset points before it.
  const uint64_t end = header.pixelOffset >= start
                           ? std::min<uint64_t>(header.pixelOffset, source.Size())
                           : source.Size();
  const uint64_t present = end > start ? (end - start) / entrySize : 0;
  const uint64_t declared = header.colorsUsed != 0 ? header.colorsUsed : 1u << header.bitCount;
  const uint64_t count = std::min<uint64_t>({declared, present, palette.size()});
  std::vector<uint8_t> scratch;
  const std::span<const uint8_t> entries =
      source.Bytes(start, static_cast<size_t>(count * entrySize), scratch);
  for (uint64_t i = 0; i < entries.size() / entrySize; ++i) {
    const uint64_t at = i * entrySize;
    palette[i] = {entries[at + 2], entries[at + 1], entries[at]};
  }
  return palette;
}

Field MakeField(uint32_t mask) {
  Field field{mask, 0, 0};
  if (mask != 0) {
    field.shift = std::countr_zero(mask);
    field.bits = static_cast<int>(std::bit_width(mask >> field.shift));
  }
  return field;
}

// Fields narrower than 8 bits are widened by repeating their bits from the top (5 bits
// abcde give abcdeabc), so full scale maps to 255; wider fields keep their top 8 bits.
uint8_t Widen(const Field& field, uint32_t pixel) {
  if (field.bits == 0)
    return 0;
  const uint32_t value = (pixel & field.mask) >> field.shift;
  if (field.bits >= 8)
    return static_cast<uint8_t>(value >> (field.bits - 8));
  uint32_t out = 0;
  int position = 8 - field.bits;
  for (; position > 0; position -= field.bits)
    out |= value << position;
  return static_cast<uint8_t>(out | value >> -position);
}

std::array<Field, 3> FieldsFor(const BmpHeader& header) {
  std::array<uint32_t, 3> masks = header.masks;
  if (header.compression != kBmpBitFields) {
    masks = header.bitCount == 16 ? std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                                  : std::array<uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
  }
  return {MakeField(masks[0]), MakeField(masks[1]), MakeField(masks[2])};
}

void PutColor(uint8_t* out, const std::array<uint8_t, 3>& color) {
  out[0] = color[0];
  out[1] = color[1];
  out[2] = color[2];
}

void DecodeIndexedRow(const uint8_t* in, int width, int bits, const Palette& palette,
                      uint8_t* out) {
  const int perByte = 8 / bits;
  const unsigned valueMask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    const int shift = 8 - bits * (x % perByte + 1);
    PutColor(out + 3 * x, palette[(in[x / perByte] >> shift) & valueMask]);
  }
}

void DecodeMaskedRow(const uint8_t* in, int width, int bytesPerPixel,
                     const std::array<Field, 3>& fields, uint8_t* out) {
  for (int x = 0; x < width; ++x, in += bytesPerPixel, out += 3) {
    uint32_t pixel = in[0] | static_cast<uint32_t>(in[1]) << 8;
    if (bytesPerPixel == 4)
      pixel |= static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    out[0] = Widen(fields[0], pixel);
    out[1] = Widen(fields[1], pixel);
    out[2] = Widen(fields[2], pixel);
  }
}

void DecodeBgrRow(const uint8_t* in, int width, uint8_t* out) {
  for (int x = 0; x < width; ++x, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

class RowDecoder {
 public:
  RowDecoder(const BmpHeader& header, const Palette& palette)
      : header_(header), palette_(palette), fields_(FieldsFor(header)) {}

  void Decode(const uint8_t* in, int width, uint8_t* out) const {
    if (header_.bitCount <= 8)
      DecodeIndexedRow(in, width, header_.bitCount, palette_, out);
    else if (header_.bitCount == 24)
      DecodeBgrRow(in, width, out);
    else
      DecodeMaskedRow(in, width, header_.bitCount / 8, fields_, out);
  }

 private:
  const BmpHeader& header_;
  const Palette& palette_;
  std::array<Field, 3> fields_;
};

// Rows the data does not hold in full are decoded from what is there followed by zeros, so
// the missing pixels take colour-table entry 0 or black. Returns whether every row was there.
bool DecodeUncompressed(BmpSource& source, const BmpDataRange& range, const BmpHeader& header,
                        const Palette& palette, RgbImage& image) {
  const uint64_t stride = BmpRowStride(header);
  const uint64_t rowBytes = BmpRowBytes(header);
  const uint64_t window = BmpReadWindow(header, range);
  const int width = image.Width();
  const int height = image.Height();
  const RowDecoder decoder(header, palette);
  std::vector<uint8_t> scratch, partial;
  std::span<const uint8_t> piece;  // the data from pieceStart on
  uint64_t pieceStart = 0;
  uint64_t end = range.size;  // sooner when the file shrank meanwhile
  for (int row = 0; row < height; ++row) {
    ThrowIfDecodeStopped();
    const uint64_t start = stride * static_cast<uint64_t>(row);
    if (start + rowBytes > pieceStart + piece.size() && start < end) {
      const uint64_t want = std::min(window, end - start);
      piece = source.Bytes(range.offset + start, static_cast<size_t>(want), scratch);
      pieceStart = start;
      if (piece.size() < want)
        end = start + piece.size();
    }
    const uint64_t pieceEnd = pieceStart + piece.size();
    const uint64_t present = start < pieceEnd ? std::min(rowBytes, pieceEnd - start) : 0;
    const uint8_t* in = present > 0 ? piece.data() + (start - pieceStart) : nullptr;
    if (present < rowBytes) {
      partial.assign(rowBytes, 0);
      std::copy_n(in, present, partial.begin());
      in = partial.data();
    }
    decoder.Decode(in, width, image.Row(header.topDown ? row : height - 1 - row));
  }
  return BmpRowsPresent(header, end);
}

// Fills the image first with palette entry 0, the colour of pixels RLE data skips.
class RleWriter {
 public:
  RleWriter(RgbImage& image, const Palette& palette, bool topDown)
      : image_(image), palette_(palette), topDown_(topDown) {
    for (int x = 0; x < image.Width(); ++x)
      PutColor(image.Row(0) + 3 * x, palette[0]);
    for (int y = 1; y < image.Height(); ++y)
      std::copy_n(image.Row(0), image.Stride(), image.Row(y));
  }

  bool Done() const { return row_ >= image_.Height(); }
  void EndLine() {
    x_ = 0;
    ++row_;
  }
  void Move(int dx, int dy) {
    x_ += dx;
    row_ += dy;
  }
  // Writes one pixel at the cursor and advances; pixels beyond the row are dropped.
  void Put(unsigned index) {
    if (x_ < image_.Width() && row_ < image_.Height()) {
      const int64_t y = topDown_ ? row_ : image_.Height() - 1 - row_;
      PutColor(image_.Row(static_cast<int>(y)) + 3 * x_, palette_[index]);
    }
    ++x_;
  }

 private:
  RgbImage& image_;
  const Palette& palette_;
  bool topDown_;
  int64_t x_ = 0;
  int64_t row_ = 0;
};

void PutEncodedRun(RleWriter& writer, unsigned count, uint8_t value, bool four) {
  for (unsigned i = 0; i < count; ++i)
    writer.Put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
}

// An absolute run: count pixels stored literally, padded to an even number of bytes. Of a run
// the data cuts short, the pixels present are put; the returned position then lies past the
// end of the data.
size_t PutAbsoluteRun(RleWriter& writer, std::span<const uint8_t> data, size_t at, unsigned count,
                      bool four) {
  const size_t bytes = four ? (count + 1) / 2 : count;
  for (unsigned i = 0; i < count && at + (four ? i / 2 : i) < data.size(); ++i) {
    const uint8_t byte = data[at + (four ? i / 2 : i)];
    writer.Put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
  }
  return at + bytes + (bytes & 1);
}

// False when the data ends before the image does: what follows keeps palette entry 0.
bool DecodeRle(std::span<const uint8_t> data, const BmpHeader& header, const Palette& palette,
               RgbImage& image) {
  const bool four = header.compression == kBmpRle4;
  RleWriter writer(image, palette, header.topDown);
  size_t at = 0;
  while (!writer.Done()) {
    ThrowIfDecodeStopped();
    if (at + 2 > data.size())
      return false;
    const uint8_t count = data[at];
    const uint8_t value = data[at + 1];
    at += 2;
    if (count != 0) {
      PutEncodedRun(writer, count, value, four);
    } else if (value == 0) {
      writer.EndLine();
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 2 > data.size())
        return false;
      writer.Move(data[at], data[at + 1]);
      at += 2;
    } else {
      at = PutAbsoluteRun(writer, data, at, value, four);
    }
  }
  return true;
}

// A header declaring a width or height of 0 gives an empty image (the job makes no page
// from it) rather than an error: the file is well formed, it just holds no pixels. Pixel data
// that ends early is decoded as far as it goes (the rest reads as zeros); a file that holds
// none at all, or uncompressed data for less than a tenth of the rows, is refused. The budget
// counts the image and what the source allocates to read the pixel data: the whole RLE data, or a
// window of rows and one more row for data that ends inside a row.
RgbImage DecodeBmpFrom(BmpSource& source, uint64_t memoryLimit, DecodeNotes* notes) {
  const BmpHeader header = ReadHeaders(source);
  const int width = static_cast<int>(header.width);
  const int height = static_cast<int>(header.height);
  if (width == 0 || height == 0)
    return RgbImage(width, height);
  const uint64_t imageBytes =
      RgbImageBytes(static_cast<uint64_t>(header.width), static_cast<uint64_t>(header.height));
  CheckDecodeBudget(imageBytes, memoryLimit);  // first, so that the sum below cannot overflow
  const BmpDataRange range = BmpPixelData(header, source.Size());
  CheckBmpDataReachesATenth(header, range);
  const bool rle = IsRleBmp(header);
  const uint64_t buffers =
      rle ? source.BufferBytes(range.size)
          : BmpRowBytes(header) + source.BufferBytes(BmpReadWindow(header, range));
  CheckDecodeBudget(imageBytes + buffers, memoryLimit);
  const Palette palette = header.bitCount <= 8 ? ReadPalette(source, header) : Palette{};
  RgbImage image(width, height);
  bool whole = true;
  if (rle) {
    std::vector<uint8_t> scratch;
    whole = DecodeRle(source.Bytes(range.offset, static_cast<size_t>(range.size), scratch), header,
                      palette, image);
  } else {
    whole = DecodeUncompressed(source, range, header, palette, image);
  }
  if (notes && !whole)
    notes->dataEndedEarly = true;
  return image;
}

}  // namespace

RgbImage DecodeBmp(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes) {
  MemoryBmpSource source(data);
  return DecodeBmpFrom(source, memoryLimit, notes);
}

// Read from the file as the decode goes: the file's bytes are never held whole beside the
// image (for RLE data, what is held counts against the limit).
RgbImage DecodeBmpFile(const std::string& path, uint64_t memoryLimit, DecodeNotes* notes) {
  FileReader file(path);
  FileBmpSource source(file);
  return DecodeBmpFrom(source, memoryLimit, notes);
}

}  // namespace tamsolo
