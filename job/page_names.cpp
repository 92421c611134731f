#include "job/page_names.h"

#include "platform/name_fit.h"

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
  std::string base = BaseNameOf(name, style_);
  const std::string extension = ExtensionOf(name, style_);
  // The page number of a spread's page ("-2") is kept when the base is cut.
  const size_t dash = base.find_last_of('-');
  const bool numbered = dash != std::string::npos && dash + 1 < base.size() &&
                        base.find_first_not_of("0123456789", dash + 1) == std::string::npos;
  const std::string number = numbered ? base.substr(dash) : "";
  base.resize(base.size() - number.size());
  for (int k = 1;; ++k) {
    std::string tail = number;
    if (k > 1)
      tail.append("_").append(std::to_string(k));
    tail += extension;
    std::string candidate = FitName("", base, tail, room_, style_);
    if (!Taken(candidate))
      return candidate;
  }
}

void PageNames::Take(const std::string& name) {
  taken_.insert(Key(name));
}

}  // namespace tamsolo
