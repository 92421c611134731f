#include "platform/file_bytes.h"

#include <cstdio>
#include <memory>

#include "platform/error.h"

namespace tamsolo {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file)
    throw Error("Cannot open file \"" + path + "\"");
  if (std::fseek(file.get(), 0, SEEK_END) != 0)
    throw Error("Cannot read file \"" + path + "\"");
  const long size = std::ftell(file.get());
  if (size < 0)
    throw Error("Cannot read file \"" + path + "\"");
  if (static_cast<uint64_t>(size) > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::rewind(file.get());
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    throw Error("Cannot read file \"" + path + "\"");
  }
  return bytes;
}

}  // namespace tamsolo
