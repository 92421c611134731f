#include <algorithm>
#include <string>

#include "decode/decoders.h"
#include "decode/gray_quantiser.h"
#include "decode/jpeg_session.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

namespace tamsolo {
namespace {

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The first scan covers every row; the iMCU rows it finished before the data ran out are the
// rows the file holds. Later scans only refine rows the first one drew.
bool EndsBeforeATenth(const jpeg_decompress_struct& cinfo) {
  return cinfo.input_scan_number == 1 &&
         uint64_t{cinfo.input_iMCU_row} < (uint64_t{cinfo.total_iMCU_rows} + 9) / 10;
}

// Only called once the data is used up: the file ended early. Data that ends within the first
// tenth of the rows is refused here, instead of paying for libjpeg to fill the rest.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  if (EndsBeforeATenth(*cinfo))
    FailJpeg(SessionOf(cinfo), "the data ends before a tenth of the rows");
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

constexpr JDIMENSION kRowsPerCall = 16;

// Reads the next rows, several per call (with one row at a time, libjpeg upsamples two-row
// groups into a spare row and copies it out), row i to first + i x stride; returns how many.
JDIMENSION ReadSomeRows(JpegSession& session, uint8_t* first, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  if (DecodeStopRequested())
    FailJpeg(session, kDecodeStoppedText);
  JSAMPROW rows[kRowsPerCall];
  const JDIMENSION count = std::min(kRowsPerCall, cinfo.output_height - cinfo.output_scanline);
  for (JDIMENSION i = 0; i < count; ++i)
    rows[i] = first + stride * i;
  const JDIMENSION read = jpeg_read_scanlines(&cinfo, rows, count);
  if (read == 0)
    FailJpeg(session, "JPEG decoder delivered no row");
  return read;
}

void ReadRgbRows(JpegSession& session, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  while (cinfo.output_scanline < cinfo.output_height)
    ReadSomeRows(session, pixels + stride * cinfo.output_scanline, stride);
}

// Plain gray rows into a few rows of scratch, then through the program's quantiser.
void ReadGrayRows(JpegSession& session, GrayQuantiser& quantiser, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  const size_t width = cinfo.output_width;
  auto* scratch = static_cast<uint8_t*>((*cinfo.mem->alloc_large)(
      reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * kRowsPerCall));
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* out = pixels + stride * cinfo.output_scanline;
    const JDIMENSION read = ReadSomeRows(session, scratch, width);
    for (JDIMENSION i = 0; i < read; ++i, out += stride)
      quantiser.QuantiseRow(scratch + width * i, out);
  }
}

// libjpeg's own quantiser gives level indices, one row at a time.
void ReadQuantisedRows(JpegSession& session, uint8_t* pixels, size_t stride) {
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

JpegStatus ReadRowSteps(JpegSession& session, GrayQuantiser* quantiser, uint8_t* pixels,
                        size_t stride) {
  if (session.cinfo.quantize_colors)
    ReadQuantisedRows(session, pixels, stride);
  else if (session.cinfo.output_components == 1)
    ReadGrayRows(session, *quantiser, pixels, stride);
  else
    ReadRgbRows(session, pixels, stride);
  return JpegStatus::Ok;
}

JpegStatus ReadJpegRows(JpegSession* session, GrayQuantiser* quantiser, uint8_t* pixels,
                        size_t stride) {
  if (setjmp(session->jump) != 0)
    return JpegStatus::Failed;
  return ReadRowSteps(*session, quantiser, pixels, stride);
}

// The output is RGB, plain gray or quantised gray; anything else was refused while opening.
bool OutputIsUsable(const jpeg_decompress_struct& cinfo) {
  if (cinfo.quantize_colors)
    return cinfo.output_components == 1 && cinfo.colormap != nullptr &&
           cinfo.actual_number_of_colors > 0 && cinfo.actual_number_of_colors <= 256;
  return cinfo.output_components == 3 || cinfo.output_components == 1;
}

RgbImage DecodeJpegData(std::span<const uint8_t> data, const DecodeBudget& budget,
                        DecodeNotes* notes, GrayQuantising quantising) {
  if (data.empty())
    throw Error("JPEG decoding failed: the file is empty");
  jpeg_source_mgr source{};
  InstallSource(source, data);
  JpegSession session(source);
  session.libraryQuantiser = quantising == GrayQuantising::Library;
  ThrowOnJpegFailure(OpenJpegHeader(&session, &budget), session, budget);
  ThrowOnJpegFailure(StartJpeg(&session), session, budget);
  if (!OutputIsUsable(session.cinfo))
    throw Error("JPEG decoding failed: unexpected output format");
  RgbImage image(static_cast<int>(session.cinfo.output_width),
                 static_cast<int>(session.cinfo.output_height));
  // Made here, outside the steps libjpeg may jump out of, as it owns its buffer.
  GrayQuantiser quantiser(session.cinfo.output_components == 1 ? session.cinfo.output_width : 0);
  ThrowOnJpegFailure(ReadJpegRows(&session, &quantiser, image.Data(), image.Stride()), session,
                     budget);
  image.SetKnownGray(session.cinfo.output_components == 1);  // gray files give gray rows
  if (notes && session.endedEarly)
    notes->dataEndedEarly = true;
  return image;
}

}  // namespace

RgbImage DecodeJpeg(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes) {
  return DecodeJpegData(data, {memoryLimit}, notes, GrayQuantising::Own);
}

RgbImage DecodeJpeg(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes,
                    GrayQuantising quantising) {
  return DecodeJpegData(data, {memoryLimit}, notes, quantising);
}

// The file's bytes stay in memory until the decode ends, so they count against the limit.
RgbImage DecodeJpegFile(const std::string& path, uint64_t memoryLimit, DecodeNotes* notes) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, memoryLimit, ThrowIfDecodeStopped);
  return DecodeHeldJpeg(bytes, memoryLimit, notes);
}

RgbImage DecodeHeldJpeg(std::span<const uint8_t> data, uint64_t memoryLimit, DecodeNotes* notes) {
  return DecodeJpegData(data, {memoryLimit, data.size()}, notes, GrayQuantising::Own);
}

}  // namespace tamsolo
