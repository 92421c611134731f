#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace tamsolo {

// Every failure the system raises: the message is the system's own text, in the
// program's working code page (ANSI on Windows, UTF-8 elsewhere).
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure reported by the operating system; keeps its error code for the caller.
class SystemError : public Error {
 public:
  SystemError(const std::string& message, int code) : Error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// The text a user is shown for a caught exception: the library's "std::bad_alloc" says
// nothing to a reader, so a refused allocation reads as what it is. The caller names the file.
inline std::string ReasonOf(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error))
    return "out of memory";
  return error.what();
}
// The message of a caught error, for the places that report it rather than rethrow it; an
// error that is no std::exception has no text of its own.
std::string MessageOf(const std::exception_ptr& error);

}  // namespace tamsolo
