#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include <jpeglib.h>

#include "decode/decoders.h"
#include "platform/error.h"
#include "platform/file_bytes.h"

// libjpeg reports fatal errors through error_exit, which must not return. Ours longjmps back
// to the step that called into the library. Those steps (OpenJpeg, ReadJpegRows and what they
// call) own nothing with a destructor, so the jump skips no cleanup; they return a status and
// the C++ caller throws from ordinary code. No exception ever crosses a libjpeg frame.

namespace tamsolo {
namespace {

// The one-pass quantiser's level count for grayscale files: level k is (255k + 117) div 235.
constexpr int kGrayLevels = 236;
// Far above any real progressive file (about ten scans). A hostile file of thousands of tiny
// scans would make each one walk the whole coefficient buffer again.
constexpr int kMaxScans = 1000;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

enum class JpegStatus { Ok, Failed, OverBudget };

struct JpegSession {
  explicit JpegSession(std::span<const uint8_t> bytes) : data(bytes) {}
  ~JpegSession() {
    if (created)
      jpeg_destroy_decompress(&cinfo);
  }
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;

  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errorManager{};
  jpeg_source_mgr source{};
  jpeg_progress_mgr progress{};
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = {};
  std::span<const uint8_t> data;
  uint64_t bytesNeeded = 0;
  bool created = false;
  bool endedEarly = false;
};

JpegSession& SessionOf(j_common_ptr cinfo) {
  return *static_cast<JpegSession*>(cinfo->client_data);
}

[[noreturn]] void FailWith(JpegSession& session, const char* text) {
  std::snprintf(session.message, sizeof session.message, "%s", text);
  std::longjmp(session.jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  JpegSession& session = SessionOf(cinfo);
  (*cinfo->err->format_message)(cinfo, session.message);
  std::longjmp(session.jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

// libjpeg calls this between pieces of its work, also while jpeg_start_decompress reads every
// scan of a file with several, which for a large progressive file takes seconds.
void WatchProgress(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    FailWith(SessionOf(cinfo), "JPEG file has too many scans");
  if (DecodeStopRequested())
    FailWith(SessionOf(cinfo), kDecodeStoppedText);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Only called once the data is used up: the file ended early. An end-of-image marker in
// place of more data lets libjpeg finish the image as it does any truncated stream.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  SessionOf(reinterpret_cast<j_common_ptr>(cinfo)).endedEarly = true;
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
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

void InstallManagers(JpegSession& session) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  cinfo.err = jpeg_std_error(&session.errorManager);
  session.errorManager.error_exit = ErrorExit;
  session.errorManager.emit_message = IgnoreMessage;
  session.errorManager.output_message = IgnoreOutput;
  cinfo.client_data = &session;
}

void InstallSource(JpegSession& session) {
  jpeg_source_mgr& source = session.source;
  source.next_input_byte = session.data.data();
  source.bytes_in_buffer = session.data.size();
  source.init_source = InitSource;
  source.fill_input_buffer = FillInputBuffer;
  source.skip_input_data = SkipInputData;
  source.resync_to_restart = jpeg_resync_to_restart;
  source.term_source = TermSource;
  session.cinfo.src = &source;
  session.progress.progress_monitor = WatchProgress;
  session.cinfo.progress = &session.progress;
}

void ApplySettings(jpeg_decompress_struct& cinfo) {
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_ISLOW;  // the library's default, the accurate integer method
  cinfo.do_fancy_upsampling = TRUE;
  cinfo.do_block_smoothing = TRUE;
  cinfo.buffered_image = FALSE;
  // out_color_space keeps the library's choice: RGB for three components, gray for one.
  cinfo.quantize_colors = cinfo.out_color_space == JCS_GRAYSCALE ? TRUE : FALSE;
  if (cinfo.quantize_colors) {
    cinfo.two_pass_quantize = FALSE;
    cinfo.dither_mode = JDITHER_FS;
    cinfo.desired_number_of_colors = kGrayLevels;
  }
}

// libjpeg keeps its counts and sampling factors in int; none is ever negative.
uint64_t Unsigned(int value) {
  return static_cast<uint64_t>(value);
}

uint64_t RoundUp(uint64_t value, uint64_t step) {
  return (value + step - 1) / step * step;
}

// Files with more than one scan keep every DCT coefficient until the last scan.
uint64_t CoefficientBytes(const jpeg_decompress_struct& cinfo) {
  if (!cinfo.progressive_mode && cinfo.comps_in_scan >= cinfo.num_components)
    return 0;
  uint64_t total = 0;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& component = cinfo.comp_info[i];
    total += RoundUp(component.width_in_blocks, Unsigned(component.h_samp_factor)) *
             RoundUp(component.height_in_blocks, Unsigned(component.v_samp_factor)) * DCTSIZE2 *
             sizeof(JCOEF);
  }
  return total;
}

// Row buffers of the upsampler, colour converter and dithering: a few block rows at most.
uint64_t RowWorkingBytes(const jpeg_decompress_struct& cinfo) {
  const uint64_t rows = 4ull * DCTSIZE * Unsigned(cinfo.max_v_samp_factor);
  return uint64_t{cinfo.output_width} * Unsigned(cinfo.num_components) * rows + 65536;
}

// Checks the whole decode against the budget before libjpeg allocates its large buffers, and
// caps libjpeg's own large allocations at what the result leaves over.
JpegStatus Budget(JpegSession& session, const DecodeBudget& budget) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  const uint64_t imageBytes = RgbImageBytes(cinfo.output_width, cinfo.output_height);
  const uint64_t libraryBytes = CoefficientBytes(cinfo) + RowWorkingBytes(cinfo);
  session.bytesNeeded = imageBytes + libraryBytes;
  if (session.bytesNeeded > budget.Left())
    return JpegStatus::OverBudget;
  const uint64_t cap =
      std::min<uint64_t>(budget.Left() - imageBytes, std::numeric_limits<long>::max());
  cinfo.mem->max_memory_to_use = static_cast<long>(cap);
  return JpegStatus::Ok;
}

JpegStatus OpenSteps(JpegSession& session, const DecodeBudget& budget) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  session.created = true;  // destroying a half-created object is safe
  jpeg_create_decompress(&cinfo);
  InstallSource(session);
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.out_color_space != JCS_RGB && cinfo.out_color_space != JCS_GRAYSCALE) {
    FailWith(session, cinfo.num_components == 4 ? "CMYK and YCCK JPEG images are not supported"
                                                : "JPEG colour space is not supported");
  }
  ApplySettings(cinfo);
  jpeg_calc_output_dimensions(&cinfo);
  if (Budget(session, budget) != JpegStatus::Ok)
    return JpegStatus::OverBudget;
  jpeg_start_decompress(&cinfo);
  return JpegStatus::Ok;
}

JpegStatus OpenJpeg(JpegSession* session, const DecodeBudget* budget) {
  InstallManagers(*session);
  if (setjmp(session->jump) != 0)
    return JpegStatus::Failed;
  return OpenSteps(*session, *budget);
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
      FailWith(session, kDecodeStoppedText);
    const JDIMENSION count = std::min(kRowsPerCall, cinfo.output_height - cinfo.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = pixels + stride * (cinfo.output_scanline + i);
    if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
      FailWith(session, "JPEG decoder delivered no row");
  }
}

void ReadGrayRows(JpegSession& session, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  JSAMPARRAY indices = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                  JPOOL_IMAGE, cinfo.output_width, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    if (DecodeStopRequested())
      FailWith(session, kDecodeStoppedText);
    uint8_t* out = pixels + stride * cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, indices, 1) != 1)
      FailWith(session, "JPEG decoder delivered no row");
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

void ThrowOnFailure(JpegStatus status, const JpegSession& session, const DecodeBudget& budget) {
  if (status == JpegStatus::OverBudget)
    budget.Check(session.bytesNeeded);
  if (status != JpegStatus::Ok)
    throw Error(std::string("JPEG decoding failed: ") + session.message);
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
  JpegSession session(data);
  ThrowOnFailure(OpenJpeg(&session, &budget), session, budget);
  if (!OutputIsUsable(session.cinfo))
    throw Error("JPEG decoding failed: unexpected output format");
  RgbImage image(static_cast<int>(session.cinfo.output_width),
                 static_cast<int>(session.cinfo.output_height));
  ThrowOnFailure(ReadJpegRows(&session, image.Data(), image.Stride()), session, budget);
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
