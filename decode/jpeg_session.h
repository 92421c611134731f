#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "decode/decode_limits.h"

// libjpeg reports fatal errors through error_exit, which must not return. Ours longjmps back
// to the step that called into the library. Those steps (OpenJpegHeader and the decoder's
// own, and what they call) own nothing with a destructor, so the jump skips no cleanup; they
// return a status and the C++ caller throws from ordinary code. No exception ever crosses a
// libjpeg frame.

namespace tamsolo {

enum class JpegStatus { Ok, Failed, OverBudget };

// One decompressor and its managers. source is the caller's source manager (the first member
// of a larger struct that holds its data); it must outlive the session.
struct JpegSession {
  explicit JpegSession(jpeg_source_mgr& sourceManager) : source(sourceManager) {}
  ~JpegSession() {
    if (created)
      jpeg_destroy_decompress(&cinfo);
  }
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;

  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errorManager{};
  jpeg_progress_mgr progress{};
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = {};
  jpeg_source_mgr& source;
  uint64_t bytesNeeded = 0;
  bool created = false;
  bool endedEarly = false;  // the source ran out before the image did
  // Gray output through libjpeg's own quantiser, rather than plain gray rows for the
  // program's copy of it (GrayQuantiser).
  bool libraryQuantiser = false;
};

JpegSession& SessionOf(j_common_ptr cinfo);
inline JpegSession& SessionOf(j_decompress_ptr cinfo) {
  return SessionOf(reinterpret_cast<j_common_ptr>(cinfo));
}

// Ends the current step with text as its message; only from inside a step.
[[noreturn]] void FailJpeg(JpegSession& session, const char* text);

// For a source that has run out (noted in the session): an end-of-image marker in place of more
// data lets libjpeg finish the image as it does any truncated stream.
void SupplyEndOfImage(j_decompress_ptr cinfo);

// Creates the decompressor on the session's source and reads the markers up to the first
// scan; refuses colour spaces the image cannot hold; applies the decode settings and checks
// the whole decode against the budget before anything large is allocated. Between pieces of
// its work libjpeg looks at the decode's stop request.
JpegStatus OpenJpegHeader(JpegSession* session, const DecodeBudget* budget);

// Turns a failed step into Error "JPEG decoding failed: <libjpeg's message>", or the memory
// budget's error.
void ThrowOnJpegFailure(JpegStatus status, const JpegSession& session, const DecodeBudget& budget);

}  // namespace tamsolo
