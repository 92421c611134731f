#include "decode/jpeg_session.h"

#include <algorithm>
#include <limits>
#include <string>

#include "decode/decode_limits.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// The one-pass quantiser's level count for grayscale files: level k is (255k + 117) div 235.
constexpr int kGrayLevels = 236;
// Far above any real progressive file (about ten scans). A hostile file of thousands of tiny
// scans would make each one walk the whole coefficient buffer again.
constexpr int kMaxScans = 1000;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

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
    FailJpeg(SessionOf(cinfo), "JPEG file has too many scans");
  if (DecodeStopRequested())
    FailJpeg(SessionOf(cinfo), kDecodeStoppedText);
}

void InstallManagers(JpegSession& session) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  cinfo.err = jpeg_std_error(&session.errorManager);
  session.errorManager.error_exit = ErrorExit;
  session.errorManager.emit_message = IgnoreMessage;
  session.errorManager.output_message = IgnoreOutput;
  cinfo.client_data = &session;
}

void ApplySettings(jpeg_decompress_struct& cinfo, bool libraryQuantiser) {
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_ISLOW;  // the library's default, the accurate integer method
  cinfo.do_fancy_upsampling = TRUE;
  cinfo.do_block_smoothing = TRUE;
  cinfo.buffered_image = FALSE;
  // out_color_space keeps the library's choice: RGB for three components, gray for one.
  // Buffered-image mode stays off either way: it would start the quantiser again with each
  // output pass.
  cinfo.quantize_colors = cinfo.out_color_space == JCS_GRAYSCALE && libraryQuantiser ? TRUE : FALSE;
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

JpegStatus HeaderSteps(JpegSession& session, const DecodeBudget& budget) {
  jpeg_decompress_struct& cinfo = session.cinfo;
  session.created = true;  // destroying a half-created object is safe
  jpeg_create_decompress(&cinfo);
  cinfo.src = &session.source;
  session.progress.progress_monitor = WatchProgress;
  cinfo.progress = &session.progress;
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.out_color_space != JCS_RGB && cinfo.out_color_space != JCS_GRAYSCALE) {
    FailJpeg(session, cinfo.num_components == 4 ? "CMYK and YCCK JPEG images are not supported"
                                                : "JPEG colour space is not supported");
  }
  ApplySettings(cinfo, session.libraryQuantiser);
  jpeg_calc_output_dimensions(&cinfo);
  return Budget(session, budget);
}

}  // namespace

JpegSession& SessionOf(j_common_ptr cinfo) {
  return *static_cast<JpegSession*>(cinfo->client_data);
}

void FailJpeg(JpegSession& session, const char* text) {
  std::snprintf(session.message, sizeof session.message, "%s", text);
  std::longjmp(session.jump, 1);
}

void SupplyEndOfImage(j_decompress_ptr cinfo) {
  SessionOf(cinfo).endedEarly = true;
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
}

JpegStatus OpenJpegHeader(JpegSession* session, const DecodeBudget* budget) {
  InstallManagers(*session);
  if (setjmp(session->jump) != 0)
    return JpegStatus::Failed;
  return HeaderSteps(*session, *budget);
}

void ThrowOnJpegFailure(JpegStatus status, const JpegSession& session, const DecodeBudget& budget) {
  if (status == JpegStatus::OverBudget)
    budget.Check(session.bytesNeeded);
  if (status != JpegStatus::Ok)
    throw Error(std::string("JPEG decoding failed: ") + session.message);
}

}  // namespace tamsolo
