#pragma once

#include <cstddef>
#include <string>

namespace tamsolo {

// The remaining-files caption, e.g. "3ファイル", in the program's code page.
std::string RemainCaption(size_t count);

}  // namespace tamsolo
