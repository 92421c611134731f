#include "job/page_names.h"

namespace tamsolo {

std::string PageNames::Key(const std::string& name) const {
  if (folding_ == Folding::None)
    return name;
  std::string key = name;
  for (size_t i = 0; i < key.size(); ++i) {
    if (style_ == PathStyle::Windows && IsLeadByte(static_cast<unsigned char>(key[i])))
      ++i;  // the trail byte belongs to the character
    else if (key[i] >= 'a' && key[i] <= 'z')
      key[i] = static_cast<char>(key[i] - 'a' + 'A');
  }
  return key;
}

std::string PageNames::FreeName(const std::string& name) const {
  if (!Taken(name))
    return name;
  const std::string base = BaseNameOf(name, style_);
  const std::string extension = ExtensionOf(name, style_);
  for (int k = 2;; ++k) {
    std::string candidate = base + "_" + std::to_string(k) + extension;
    if (!Taken(candidate))
      return candidate;
  }
}

void PageNames::Take(const std::string& name) {
  taken_.insert(Key(name));
}

}  // namespace tamsolo
