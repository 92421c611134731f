#include "cli/result_output.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/exit_codes.h"

namespace tamsolo {

void ResultOutput::Failed() {
  if (error_ == 0)
    error_ = errno != 0 ? errno : EIO;
}

ResultOutput::int_type ResultOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  errno = 0;
  if (std::fputc(c, file_) == EOF) {
    Failed();
    return traits_type::eof();
  }
  return c;
}

std::streamsize ResultOutput::xsputn(const char* data, std::streamsize size) {
  errno = 0;
  const size_t written = std::fwrite(data, 1, static_cast<size_t>(size), file_);
  if (written != static_cast<size_t>(size))
    Failed();
  return static_cast<std::streamsize>(written);
}

int ResultOutput::sync() {
  errno = 0;
  if (std::fflush(file_) != 0) {
    Failed();
    return -1;
  }
  return 0;
}

int FinishResults(std::ostream& out, const ResultOutput& output, std::ostream& err, int status,
                  bool outputIsTheResult) {
  out.flush();
  if (output.Error() == 0 && out)
    return status;
  if (output.Error() == EPIPE && outputIsTheResult)
    return status;
  err << "tamsolo-cli: cannot write the results to standard output: "
      << std::strerror(output.Error() != 0 ? output.Error() : EIO) << "\n";
  return status == kCliOk ? kCliPartial : status;
}

}  // namespace tamsolo
