#include <algorithm>
#include <string>

#include "decode/decoders.h"
#include "decode/jpeg_session.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

namespace tamsolo {
namespace {

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Only called once the data is used up: the file ended early.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  SupplyEndOfImage(cinfo);
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0)
    return;
  jpeg_source_mgr& source = *cinfo->src;
  if (static_cast<unsigned long>(count) >= source.bytes_in_buffer) {
    FillInputBuffer(cinfo);
    return;
  }
  source.next_input_byte += count;
  source.bytes_in_buffer -= static_cast<size_t>(count);
}

// The whole file, held in memory.
void InstallSource(jpeg_source_mgr& manager, std::span<const uint8_t> data) {
  manager.next_input_byte = data.data();
  manager.bytes_in_buffer = data.size();
  manager.init_source = InitSource;
  manager.fill_input_buffer = FillInputBuffer;
  manager.skip_input_data = SkipInputData;
  manager.resync_to_restart = jpeg_resync_to_restart;
  manager.term_source = TermSource;
}

JpegStatus StartJpeg(JpegSession* session) {
  if (setjmp(session->jump) != 0)
    return JpegStatus::Failed;
  jpeg_start_decompress(&session->cinfo);
  return JpegStatus::Ok;
}

void ExpandGrayRow(const JSAMPLE* indices, const JSAMPLE* levels, JDIMENSION width, uint8_t* out) {
  for (JDIMENSION x = 0; x < width; ++x) {
    const uint8_t value = levels[indices[x]];
    out[0] = value;
    out[1] = value;
    out[2] = value;
    out += 3;
  }
}

// Several rows per call: with one row at a time, libjpeg upsamples two-row groups into a
// spare row and copies it out.
void ReadRgbRows(JpegSession& session, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  constexpr JDIMENSION kRowsPerCall = 16;
  JSAMPROW rows[kRowsPerCall];
  while (cinfo.output_scanline < cinfo.output_height) {
    if (DecodeStopRequested())
      FailJpeg(session, kDecodeStoppedText);
    const JDIMENSION count = std::min(kRowsPerCall, cinfo.output_height - cinfo.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = pixels + stride * (cinfo.output_scanline + i);
    if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
      FailJpeg(session, "JPEG decoder delivered no row");
  }
}

void ReadGrayRows(JpegSession& session, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  JSAMPARRAY indices = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                  JPOOL_IMAGE, cinfo.output_width, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    if (DecodeStopRequested())
      FailJpeg(session, kDecodeStoppedText);
    uint8_t* out = pixels + stride * cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, indices, 1) != 1)
      FailJpeg(session, "JPEG decoder delivered no row");
    ExpandGrayRow(indices[0], cinfo.colormap[0], cinfo.output_width, out);
  }
}

JpegStatus ReadRowSteps(JpegSession& session, uint8_t* pixels, size_t stride) {
  if (session.cinfo.quantize_colors)
    ReadGrayRows(session, pixels, stride);
  else
    ReadRgbRows(session, pixels, stride);
  return JpegStatus::Ok;
}

JpegStatus ReadJpegRows(JpegSession* session, uint8_t* pixels, size_t stride) {
  if (setjmp(session->jump) != 0)
    return JpegStatus::Failed;
  return ReadRowSteps(*session, pixels, stride);
}

// The output is RGB or quantised gray; anything else was refused while opening.
bool OutputIsUsable(const jpeg_decompress_struct& cinfo) {
  if (cinfo.quantize_colors)
    return cinfo.output_components == 1 && cinfo.colormap != nullptr &&
           cinfo.actual_number_of_colors > 0 && cinfo.actual_number_of_colors <= 256;
  return cinfo.output_components == 3;
}

RgbImage DecodeJpegData(std::span<const uint8_t> data, const DecodeBudget& budget,
                        DecodeNotes* notes) {
  if (data.empty())
    throw Error("JPEG decoding failed: the file is empty");
  jpeg_source_mgr source{};
  InstallSource(source, data);
  JpegSession session(source);
  ThrowOnJpegFailure(OpenJpegHeader(&session, &budget), session, budget);
  ThrowOnJpegFailure(StartJpeg(&session), session, budget);
  if (!OutputIsUsable(session.cinfo))
    throw Error("JPEG decoding failed: unexpected output format");
  RgbImage image(static_cast<int>(session.cinfo.output_width),
                 static_cast<int>(session.cinfo.output_height));
  ThrowOnJpegFailure(ReadJpegRows(&session, image.Data(), image.Stride()), session, budget);
  image.SetKnownGray(session.cinfo.quantize_colors != 0);  // only gray files are quantised
  if (notes && session.endedEarly)
    notes->dataEndedEarly = true;
  return image;
}

}  // namespace

RgbImage DecodeJpeg(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes) {
  return DecodeJpegData(data, {memoryLimit}, notes);
}

// The file's bytes stay in memory until the decode ends, so they count against the limit.
RgbImage DecodeJpegFile(const std::string& path, uint64_t memoryLimit, DecodeNotes* notes) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, memoryLimit, ThrowIfDecodeStopped);
  return DecodeJpegData(bytes, {memoryLimit, bytes.size()}, notes);
}

}  // namespace tamsolo
