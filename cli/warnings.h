#pragma once

namespace tamsolo {

// Said of an image whose file ended before the image did: its pages are made from what was
// there, so the run goes on and does not fail.
inline constexpr const char* kDataEndedEarlyText = "data ended early; page may be incomplete";

}  // namespace tamsolo
