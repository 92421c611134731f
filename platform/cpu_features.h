#pragma once

namespace tamsolo {

// Whether this processor runs AVX2, asked once: loops compiled a second time for AVX2 are
// chosen by it at run time.
bool Avx2Available();

}  // namespace tamsolo
