#include <algorithm>

#include "decode/image_header.h"
#include "decode/jpeg_session.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// Small pieces: the markers up to the first scan of a typical file fit in one; a large
// segment libjpeg does not keep (EXIF and its thumbnail, ICC profiles, comments) is skipped
// by moving on in the file.
constexpr size_t kPieceBytes = 1024;

// libjpeg's source manager first, so that the source manager's address is the struct's.
struct FileSource {
  jpeg_source_mgr manager{};
  FileReader* file = nullptr;
  JOCTET piece[kPieceBytes] = {};
};

FileSource& SourceOf(j_decompress_ptr cinfo) {
  return *reinterpret_cast<FileSource*>(cinfo->src);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// At the end of the file an end-of-image marker, as the decoder's in-memory source gives.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  FileSource& source = SourceOf(cinfo);
  const int64_t got = source.file->TryRead(source.piece, sizeof source.piece);
  if (got < 0)
    FailJpeg(SessionOf(cinfo), "the file cannot be read");
  if (got == 0) {
    SupplyEndOfImage(cinfo);
    return TRUE;
  }
  source.manager.next_input_byte = source.piece;
  source.manager.bytes_in_buffer = static_cast<size_t>(got);
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0)
    return;
  jpeg_source_mgr& manager = *cinfo->src;
  if (static_cast<unsigned long>(count) < manager.bytes_in_buffer) {
    manager.next_input_byte += count;
    manager.bytes_in_buffer -= static_cast<size_t>(count);
    return;
  }
  const uint64_t beyond = static_cast<unsigned long>(count) - manager.bytes_in_buffer;
  manager.bytes_in_buffer = 0;  // the next access refills from the new position
  if (!SourceOf(cinfo).file->Skip(beyond))
    FailJpeg(SessionOf(cinfo), "the file cannot be read");
}

void InstallSource(FileSource& source, FileReader& file) {
  jpeg_source_mgr& manager = source.manager;
  source.file = &file;
  manager.next_input_byte = source.piece;
  manager.bytes_in_buffer = 0;
  manager.init_source = InitSource;
  manager.fill_input_buffer = FillInputBuffer;
  manager.skip_input_data = SkipInputData;
  manager.resync_to_restart = jpeg_resync_to_restart;
  manager.term_source = TermSource;
}

}  // namespace

ImageHeader ReadJpegHeader(FileReader& file, uint64_t fileSize, uint64_t memoryLimit) {
  if (fileSize == 0)
    throw Error("JPEG decoding failed: the file is empty");
  FileSource source;
  InstallSource(source, file);
  JpegSession session(source.manager);
  // convert holds the whole file while it decodes, so the file counts as it does there.
  const DecodeBudget budget{memoryLimit, fileSize};
  ThrowOnJpegFailure(OpenJpegHeader(&session, &budget), session, budget);
  return {session.cinfo.output_width, session.cinfo.output_height, false};
}

}  // namespace tamsolo
