#include "platform/file_name_map.h"

#include <algorithm>
#include <cstdio>

#include "platform/control_bytes.h"

namespace tamsolo {
namespace {

// Full-width forms rather than "_": the page keeps what its name said, and a name that
// already held the full-width form meets it only as any two sources of one base name meet,
// which the same-name rule settles.
struct Replacement {
  char from;
  const char* to;  // code page 932 bytes
};
constexpr Replacement kReplacements[] = {
    {':', "\x81\x46"}, {'*', "\x81\x96"}, {'?', "\x81\x48"}, {'"', "\xFA\x57"},  {'<', "\x81\x83"},
    {'>', "\x81\x84"}, {'|', "\x81\x62"}, {'/', "\x81\x5E"}, {'\\', "\x81\x5F"},
};

std::string ReplaceRefused(std::string_view name) {
  std::string out;
  for (size_t at = 0; at < name.size(); ++at) {
    const auto c = static_cast<unsigned char>(name[at]);
    const auto* hit = std::find_if(std::begin(kReplacements), std::end(kReplacements),
                                   [&](const Replacement& r) { return r.from == name[at]; });
    if (IsLeadByte(c) && at + 1 < name.size()) {
      out.append(name, at, 2);  // its trail byte may be "|" or "\"
      ++at;
    } else if (IsControlByte(c)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "_u%04X", static_cast<unsigned>(c));
      out += escape;
    } else if (hit != std::end(kReplacements)) {
      out += hit->to;
    } else {
      out += name[at];
    }
  }
  return out;
}

// Windows takes these as devices whatever the extension, and ignores spaces before it.
bool IsDeviceName(std::string_view name) {
  std::string device = UpperAscii(name.substr(0, name.find('.')));
  while (!device.empty() && device.back() == ' ')
    device.pop_back();
  for (const char* reserved : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (device == reserved)
      return true;
  return device.size() == 4 &&
         (device.compare(0, 3, "COM") == 0 || device.compare(0, 3, "LPT") == 0) &&
         device[3] >= '1' && device[3] <= '9';
}

}  // namespace

std::string MapFileName(std::string_view name, PathStyle style) {
  if (style == PathStyle::Posix)
    return std::string(name);
  std::string mapped = ReplaceRefused(name);
  while (!mapped.empty() && (mapped.back() == '.' || mapped.back() == ' '))
    mapped.pop_back();
  if (IsDeviceName(mapped))
    mapped = "_" + mapped;
  return mapped;
}

}  // namespace tamsolo
