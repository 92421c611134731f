#include "platform/name_fit.h"

namespace tamsolo {
namespace {

constexpr size_t kPosixNameMax = 255;
constexpr size_t kWindowsMaxPath = 260;

// The longest head of text of at most room bytes that ends between two characters.
size_t CharacterCut(std::string_view text, size_t room, PathStyle style) {
  if (text.size() <= room)
    return text.size();
  if (style == PathStyle::Windows) {
    size_t cut = 0;
    for (;;) {
      const size_t next = cut + (IsLeadByte(static_cast<unsigned char>(text[cut])) ? 2 : 1);
      if (next > room)
        return cut;
      cut = next;
    }
  }
  size_t cut = room;  // UTF-8: never before a continuation byte 10xxxxxx
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  return cut;
}

}  // namespace

size_t NameRoom(size_t folderBytes, PathStyle style) {
  if (style == PathStyle::Posix)
    return kPosixNameMax;
  return folderBytes + 1 < kWindowsMaxPath ? kWindowsMaxPath - 1 - folderBytes : 0;
}

std::string FitName(std::string_view head, std::string_view stem, std::string_view tail,
                    size_t room, PathStyle style) {
  const size_t fixed = head.size() + tail.size();
  const size_t kept = CharacterCut(stem, fixed < room ? room - fixed : 0, style);
  std::string name(head);
  name += stem.substr(0, kept);
  name += tail;
  return name;
}

}  // namespace tamsolo
