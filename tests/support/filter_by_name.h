#pragma once

#include <stdexcept>
#include <string_view>

#include "resample/filters.h"

namespace tamsolo::testing {

// The FilterTable entry with exactly this name; tests name filters as the table does.
inline const FilterEntry& FilterNamed(std::string_view name) {
  for (const FilterEntry& entry : FilterTable)
    if (name == entry.name)
      return entry;
  throw std::invalid_argument(std::string(name));
}

}  // namespace tamsolo::testing
