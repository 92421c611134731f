#include <string>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "decode/decoders.h"
#include "cli/stop_signals.h"
#include "platform/control_bytes.h"
#include "platform/file_system.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// Binary PPM: a text header, then the RGB rows top to bottom exactly as decoded, written
// from the image itself so that no copy of it doubles the memory a large image takes. The
// file named by -o is replaced (the user named it); a failed write takes away only a file it
// made.
void WritePpm(const std::string& path, const RgbImage& image) {
  const std::string header =
      "P6\n" + std::to_string(image.Width()) + " " + std::to_string(image.Height()) + "\n255\n";
  WriteFileCleanly(*MakeNativeFileSystem(), path,
                   {{reinterpret_cast<const uint8_t*>(header.data()), header.size()},
                    {image.Data(), image.ByteSize()}},
                   FileSystem::Create::Replace);
}

}  // namespace

int RunDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions options = ParseOptions(args, {{"-o", true}, {"--memory-limit", true}});
  const uint64_t memoryLimit = MemoryLimitOption(options);
  const std::string& target = options.Required("-o");
  if (options.positional.size() != 1)
    throw UsageError(options.positional.empty() ? "no input file" : "one input file only");
  const std::string& source = options.positional.front();
  RgbImage image;
  DecodeNotes notes;
  try {
    const DecodeStopScope stop(StopRequested());
    image = DecodeImageFile(UnifyDelimiters(source, NativePathStyle()), memoryLimit, &notes);
  } catch (const std::exception& error) {
    if (StopRequested())
      return kCliInterrupted;
    err << "tamsolo-cli: " << EscapeControlBytes(source) << ": "
        << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliPartial;
  }
  if (StopRequested())
    return kCliInterrupted;
  try {
    WritePpm(target, image);
  } catch (const std::exception& error) {
    if (StopRequested())
      return kCliInterrupted;
    err << "tamsolo-cli: " << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliFatal;
  }
  out << EscapeControlBytes(source) << ": " << image.Width() << " x " << image.Height()
      << " written to " << EscapeControlBytes(target)
      << (notes.dataEndedEarly ? "; data ended early; image may be incomplete" : "") << "\n";
  return kCliOk;
}

}  // namespace tamsolo
