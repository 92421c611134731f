#include "job/source_ref.h"

#include <vector>

#include "decode/decode_limits.h"
#include "platform/file_name_map.h"

namespace tamsolo {

RgbImage DecodeSource(const SourceRef& source, uint64_t memoryLimit, DecodeNotes* notes,
                      InputSet inputs) {
  return DecodeSource(source, EntryBytes(source), memoryLimit, notes, inputs);
}

ByteBuffer EntryBytes(const SourceRef& source) {
  if (!source.InArchive())
    return {};
  // Inflating a large entry of a solid archive takes a while: a stop is looked at between MiBs.
  return source.archive->Read(source.entry, ThrowIfDecodeStopped);
}

RgbImage DecodeSource(const SourceRef& source, std::span<const uint8_t> entryBytes,
                      uint64_t memoryLimit, DecodeNotes* notes, InputSet inputs) {
  if (!source.InArchive())
    return DecodeImageFile(source.path, memoryLimit, notes, inputs);
  return DecodeHeldImage(entryBytes, DecoderForPath(source.innerPath, NativePathStyle(), inputs),
                         memoryLimit, notes);
}

std::string PageBaseName(const SourceRef& source, PathStyle style) {
  if (!source.InArchive())
    return BaseNameOf(source.path, style);
  return MapFileName(BaseNameOf(source.innerPath, style), style);
}

}  // namespace tamsolo
