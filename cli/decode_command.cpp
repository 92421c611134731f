#include <string>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "decode/decoders.h"
#include "platform/output_file.h"

namespace tamsolo {
namespace {

// Binary PPM: a text header, then the RGB rows top to bottom exactly as decoded.
void WritePpm(const std::string& path, const RgbImage& image) {
  const std::string header =
      "P6\n" + std::to_string(image.Width()) + " " + std::to_string(image.Height()) + "\n255\n";
  OutputFile file(path);
  file.Write(header.data(), header.size());
  if (image.ByteSize() != 0)
    file.Write(image.Data(), image.ByteSize());
}

}  // namespace

int RunDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions options = ParseOptions(args, {{"-o", true}});
  const std::string& target = options.Required("-o");
  if (options.positional.size() != 1)
    throw UsageError(options.positional.empty() ? "no input file" : "one input file only");
  const std::string& source = options.positional.front();
  RgbImage image;
  try {
    image = DecodeImageFile(UnifyDelimiters(source, NativePathStyle()));
  } catch (const std::exception& error) {
    err << "tamsolo-cli: " << source << ": " << error.what() << "\n";
    return kCliPartial;
  }
  try {
    WritePpm(target, image);
  } catch (const std::exception& error) {
    err << "tamsolo-cli: " << error.what() << "\n";
    return kCliFatal;
  }
  out << source << ": " << image.Width() << " x " << image.Height() << " written to " << target
      << "\n";
  return kCliOk;
}

}  // namespace tamsolo
