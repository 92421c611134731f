#include "cli/page_name_pool.h"

namespace tamsolo {

// Letters are folded byte by byte, except the trail byte of a double-byte character, which
// may fall in the ASCII letter range without being a letter.
std::string PageNamePool::Key(const std::string& name) const {
  if (style_ != PathStyle::Windows)
    return name;
  std::string key = name;
  for (size_t i = 0; i < key.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(key[i])))
      ++i;
    else if (key[i] >= 'a' && key[i] <= 'z')
      key[i] = static_cast<char>(key[i] - 'a' + 'A');
  }
  return key;
}

std::string PageNamePool::FreeName(const std::string& name) const {
  if (!Taken(name))
    return name;
  const std::string extension = ExtensionOf(name, style_);
  const std::string stem = name.substr(0, name.size() - extension.size());
  for (int k = 2;; ++k) {
    std::string candidate = stem + "_" + std::to_string(k) + extension;
    if (!Taken(candidate))
      return candidate;
  }
}

void PageNamePool::Take(const std::string& name) {
  taken_.insert(Key(name));
}

}  // namespace tamsolo
