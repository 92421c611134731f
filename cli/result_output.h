#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>

namespace tamsolo {

// Standard output for the results, keeping the system's reason of the first failed write, so
// that a lost summary (a full disk, a closed pipe) can be reported with it.
class ResultOutput final : public std::streambuf {
 public:
  explicit ResultOutput(std::FILE* file) : file_(file) {}
  // 0 while every write went through.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  void Failed();

  std::FILE* file_;
  int error_ = 0;
};

// After the command: flushes the results; when they did not all arrive, says why on err and
// turns a successful status into 1. When the output is the result itself (plan), a reader
// that went away early (a closed pipe: `plan | head`) is no failure: quiet, status kept.
int FinishResults(std::ostream& out, const ResultOutput& output, std::ostream& err, int status,
                  bool outputIsTheResult);

}  // namespace tamsolo
