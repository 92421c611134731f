#include "queue/unpadded_numbers.h"

#include <map>

#include "queue/path_order.h"

namespace tamsolo {
namespace {

// The folded name with each digit run replaced by one NUL, which no file name holds: names
// that differ only in their numbers share it.
std::string NumberlessForm(const std::string& folded) {
  std::string form;
  bool previousDigit = false;
  for (const char c : folded) {
    const bool digit = c >= '0' && c <= '9';
    if (!digit)
      form += c;
    else if (!previousDigit)
      form += '\0';
    previousDigit = digit;
  }
  return form;
}

struct Name {
  std::string original;
  std::string folded;
};

// In queue order: the first name with a naturally smaller one after it, and the smallest.
bool FindMisorder(const std::vector<Name>& names, std::string& first, std::string& second) {
  if (names.size() < 2)
    return false;
  std::vector<size_t> smallestAfter(names.size());
  smallestAfter.back() = names.size() - 1;
  for (size_t i = names.size() - 1; i-- > 0;) {
    const size_t later = smallestAfter[i + 1];
    smallestAfter[i] = NaturalLess(names[i].folded, names[later].folded) ? i : later;
  }
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    const Name& smallest = names[smallestAfter[i + 1]];
    if (NaturalLess(smallest.folded, names[i].folded)) {
      first = names[i].original;
      second = smallest.original;
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<UnpaddedNumbers> FindUnpaddedNumbers(const std::vector<std::string>& paths,
                                                 PathStyle style) {
  std::vector<std::string> folders;  // in order of first appearance
  std::map<std::string, std::map<std::string, std::vector<Name>>> groups;
  for (const std::string& path : paths) {
    const std::string folder = FolderPart(path, style);
    const std::string name = FileNamePart(path, style);
    const std::string folded = FoldAsciiCase(name, style);
    if (groups.find(folder) == groups.end())
      folders.push_back(folder);
    groups[folder][NumberlessForm(folded)].push_back({name, folded});
  }
  std::vector<UnpaddedNumbers> found;
  for (const std::string& folder : folders) {
    for (const auto& [form, names] : groups[folder]) {
      UnpaddedNumbers finding{folder, "", ""};
      if (FindMisorder(names, finding.first, finding.second)) {
        found.push_back(finding);
        break;
      }
    }
  }
  return found;
}

}  // namespace tamsolo
