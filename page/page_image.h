#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "page/bmp_layout.h"

namespace tamsolo {

// Red in bits 0-7, green in bits 8-15, blue in bits 16-23, bits 24-31 zero.
using PackedColor = uint32_t;

inline constexpr int kPageWidth = 768;
inline constexpr int kPageHeight = 1024;
inline constexpr int kPagePaletteSize = 16;

// A 4-bit palette raster, rows stored bottom row first as in the file. Set-up operations that
// repeat the current values change nothing, so one image serves every page of a source.
// Its own SaveToFile writes the blank page layout.
class PageImage {
 public:
  PageImage();

  void SetWidth(int32_t width);
  void SetHeight(int32_t height);
  void SetPixelFormat4Bit();
  void SetPaletteSize(int32_t count);
  void SetColor(int32_t index, PackedColor color);      // Colors[i] := c
  void SetPixel(int32_t x, int32_t y, uint32_t value);  // Pixels[x, y] := v (low 4 bits)
  uint8_t GetPixel(int32_t x, int32_t y) const;         // checked read, for tests and tools

  // Bulk access for hot loops: picture row y (0 = top), width / 2 packed bytes, even x in the
  // high nibble. No bounds check: callers stay inside.
  uint8_t* PictureRow(int32_t y);
  const uint8_t* PictureRow(int32_t y) const;

  void SaveToFile(const std::string& path) const;  // blank page file layout
  std::vector<uint8_t> FileBytes() const;          // the bytes SaveToFile writes

  const BmpInfoHeader& Header() const { return header_; }
  const std::vector<uint8_t>& ColorTable() const { return colorTable_; }  // 4 bytes an entry
  const std::vector<uint8_t>& PixelArray() const { return pixels_; }
  int32_t Stride() const;
  int32_t Rows() const;  // |height|

 private:
  size_t RowOffset(int32_t y) const;
  void CheckPosition(int32_t x, int32_t y) const;
  void ReplacePixels(std::vector<uint8_t> pixels);

  BmpInfoHeader header_;
  std::vector<uint8_t> colorTable_;  // 256 entries of blue, green, red, 0
  std::vector<uint8_t> pixels_;
};

// The set-up every page gets before its pixels are written: 768 x 1024, 4 bits, 16 grays
// (entry i = 17 x i). Repeating it on a page that has it keeps the pixels.
void SetUpPage(PageImage& page);

// A page set up as every page is (768 x 1024, 4 bits, 16 grays) and filled with white.
PageImage MakeWhitePage();

}  // namespace tamsolo
