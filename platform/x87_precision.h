#pragma once

#include <cfloat>
#include <cstdint>

namespace tamsolo {

// Page arithmetic is defined on the x87 80-bit type; a 64-bit double here would change results.
static_assert(LDBL_MANT_DIG == 64, "long double must be the x87 80-bit extended type");

// x87 control word fields: precision control (bits 8-9) and rounding control (bits 10-11).
inline constexpr uint16_t kX87PrecisionMask = 0x0300;
inline constexpr uint16_t kX87Precision24 = 0x0000;
inline constexpr uint16_t kX87Precision53 = 0x0200;
inline constexpr uint16_t kX87Precision64 = 0x0300;
inline constexpr uint16_t kX87RoundingMask = 0x0C00;

// The calling thread's x87 control word, read and loaded directly (fnstcw/fldcw): on x64
// Windows the C runtime's control functions may ignore precision control.
uint16_t ReadX87ControlWord();
void LoadX87ControlWord(uint16_t word);

// For its scope, the calling thread computes long double arithmetic with a 64-bit mantissa and
// rounds to nearest-even; the previous control word comes back at scope end. Windows starts
// threads in 53-bit mode, so every computation that depends on extended precision holds one.
class X87ExtendedPrecision {
 public:
  X87ExtendedPrecision();
  ~X87ExtendedPrecision();
  X87ExtendedPrecision(const X87ExtendedPrecision&) = delete;
  X87ExtendedPrecision& operator=(const X87ExtendedPrecision&) = delete;

 private:
  uint16_t saved_;
};

}  // namespace tamsolo
