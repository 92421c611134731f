#pragma once

#include <cstddef>
#include <cstdint>

namespace tamsolo {

// Undoes one PNG row filter in place. row holds length bytes after the filter-type byte; prior
// is the previous unfiltered row of the same pass (all zero for a pass's first row);
// bytesPerPixel is the filter's pixel distance (1 for depths below 8). Returns false for a
// filter type other than 0 to 4.
bool UnfilterPngRow(uint8_t filterType, uint8_t* row, const uint8_t* prior, size_t length,
                    size_t bytesPerPixel);

}  // namespace tamsolo
