#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "page/page_image.h"

namespace tamsolo {

// The job's page copy; its SaveToFile writes the page file layout.
class PageBitmap {
 public:
  void Assign(const PageImage& page);
  void SaveToFile(const std::string& path) const;
  // The bytes SaveToFile writes.
  std::vector<uint8_t> FileBytes() const;

  const BmpInfoHeader& Header() const { return header_; }
  const std::vector<uint8_t>& ColorTable() const { return colorTable_; }  // 16 entries
  const std::vector<uint8_t>& PixelArray() const { return pixels_; }

 private:
  BmpInfoHeader header_;
  std::vector<uint8_t> colorTable_;
  std::vector<uint8_t> pixels_;
};

}  // namespace tamsolo
