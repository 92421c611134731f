#include "platform/x87_precision.h"

namespace tamsolo {

uint16_t ReadX87ControlWord() {
  uint16_t word;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

void LoadX87ControlWord(uint16_t word) {
  asm volatile("fldcw %0" : : "m"(word));
}

X87ExtendedPrecision::X87ExtendedPrecision() : saved_(ReadX87ControlWord()) {
  const uint16_t wanted =
      static_cast<uint16_t>((saved_ & ~(kX87PrecisionMask | kX87RoundingMask)) | kX87Precision64);
  if (wanted != saved_)
    LoadX87ControlWord(wanted);
}

X87ExtendedPrecision::~X87ExtendedPrecision() {
  if (ReadX87ControlWord() != saved_)
    LoadX87ControlWord(saved_);
}

}  // namespace tamsolo
