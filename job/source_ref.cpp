#include "job/source_ref.h"

#include <vector>

#include "platform/file_name_map.h"

namespace tamsolo {

RgbImage DecodeSource(const SourceRef& source, uint64_t memoryLimit, DecodeNotes* notes,
                      InputSet inputs) {
  return DecodeSource(source, EntryBytes(source), memoryLimit, notes, inputs);
}

std::vector<uint8_t> EntryBytes(const SourceRef& source) {
  return source.InArchive() ? source.archive->Read(source.entry) : std::vector<uint8_t>();
}

RgbImage DecodeSource(const SourceRef& source, std::span<const uint8_t> entryBytes,
                      uint64_t memoryLimit, DecodeNotes* notes, InputSet inputs) {
  if (!source.InArchive())
    return DecodeImageFile(source.path, memoryLimit, notes, inputs);
  return DecodeHeldImage(entryBytes,
                         DecoderForPath(source.innerPath, NativePathStyle(), inputs),
                         memoryLimit, notes);
}

std::string PageBaseName(const SourceRef& source, PathStyle style) {
  if (!source.InArchive())
    return BaseNameOf(source.path, style);
  return MapFileName(BaseNameOf(source.innerPath, style), style);
}

std::string OriginText(const SourceRef& source, PathStyle style) {
  if (!source.InArchive())
    return source.path;
  std::string inner = source.innerPath;
  if (style == PathStyle::Windows) {
    for (size_t i = 0; i < inner.size(); ++i) {
      if (IsLeadByte(static_cast<unsigned char>(inner[i])))
        ++i;  // a trail byte 0x5C is part of its character
      else if (inner[i] == '\\')
        inner[i] = '/';
    }
  }
  return source.archive->Path() + "/" + inner;
}

}  // namespace tamsolo
