#include "decode/png/png_unfilter.h"

#include <cstdlib>

namespace tamsolo {
namespace {

void UnfilterUp(uint8_t* row, const uint8_t* prior, size_t length) {
  for (size_t i = 0; i < length; ++i)
    row[i] = static_cast<uint8_t>(row[i] + prior[i]);
}

// The pixel distance is a template argument so that each byte chain of a pixel becomes its
// own register-resident loop variable.
template <size_t kBpp>
void UnfilterSub(uint8_t* row, size_t length) {
  for (size_t i = kBpp; i < length; ++i)
    row[i] = static_cast<uint8_t>(row[i] + row[i - kBpp]);
}

template <size_t kBpp>
void UnfilterAverage(uint8_t* row, const uint8_t* prior, size_t length) {
  const size_t head = length < kBpp ? length : kBpp;
  for (size_t i = 0; i < head; ++i)
    row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
  for (size_t i = kBpp; i < length; ++i)
    row[i] = static_cast<uint8_t>(row[i] + ((row[i - kBpp] + prior[i]) >> 1));
}

inline int PaethPredictor(int left, int above, int upperLeft) {
  const int pa = std::abs(above - upperLeft);
  const int pb = std::abs(left - upperLeft);
  const int pc = std::abs(left + above - 2 * upperLeft);
  if (pa <= pb && pa <= pc)
    return left;
  return pb <= pc ? above : upperLeft;
}

template <size_t kBpp>
void UnfilterPaeth(uint8_t* row, const uint8_t* prior, size_t length) {
  const size_t head = length < kBpp ? length : kBpp;
  // With no left neighbour the predictor is the byte above.
  for (size_t i = 0; i < head; ++i)
    row[i] = static_cast<uint8_t>(row[i] + prior[i]);
  for (size_t i = kBpp; i < length; ++i) {
    row[i] =
        static_cast<uint8_t>(row[i] + PaethPredictor(row[i - kBpp], prior[i], prior[i - kBpp]));
  }
}

template <size_t kBpp>
bool Unfilter(uint8_t filterType, uint8_t* row, const uint8_t* prior, size_t length) {
  switch (filterType) {
    case 0:
      return true;
    case 1:
      UnfilterSub<kBpp>(row, length);
      return true;
    case 2:
      UnfilterUp(row, prior, length);
      return true;
    case 3:
      UnfilterAverage<kBpp>(row, prior, length);
      return true;
    case 4:
      UnfilterPaeth<kBpp>(row, prior, length);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool UnfilterPngRow(uint8_t filterType, uint8_t* row, const uint8_t* prior, size_t length,
                    size_t bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return Unfilter<1>(filterType, row, prior, length);
    case 2:
      return Unfilter<2>(filterType, row, prior, length);
    case 3:
      return Unfilter<3>(filterType, row, prior, length);
    case 4:
      return Unfilter<4>(filterType, row, prior, length);
    case 6:
      return Unfilter<6>(filterType, row, prior, length);
    default:
      return Unfilter<8>(filterType, row, prior, length);
  }
}

}  // namespace tamsolo
