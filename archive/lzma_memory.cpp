#include "archive/lzma_memory.h"

#include <lzma.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/error.h"

namespace tamsolo {
namespace {

[[noreturn]] void Refuse(const char* what, const std::string& problem) {
  throw Error(std::string(what) + " " + problem);
}

// A filter whose options liblzma allocated, freed with them.
struct DecodedFilter {
  lzma_filter filter{LZMA_VLI_UNKNOWN, nullptr};
  DecodedFilter() = default;
  DecodedFilter(const DecodedFilter&) = delete;
  DecodedFilter& operator=(const DecodedFilter&) = delete;
  ~DecodedFilter() { std::free(filter.options); }
};

void DecodeCoder(bool lzma2, std::span<const uint8_t> properties, const char* what,
                 DecodedFilter& out) {
  out.filter.id = lzma2 ? LZMA_FILTER_LZMA2 : LZMA_FILTER_LZMA1;
  if (lzma_properties_decode(&out.filter, nullptr, properties.data(), properties.size()) != LZMA_OK)
    Refuse(what, "has LZMA properties that cannot be read");
}

uint64_t ChainMemory(const lzma_filter* chain, const char* what) {
  const uint64_t memory = lzma_raw_decoder_memusage(chain);
  if (memory == UINT64_MAX)
    Refuse(what, "has a filter chain that cannot be read");
  return memory;
}

}  // namespace

uint64_t LzmaCoderMemory(bool lzma2, std::span<const uint8_t> properties, const char* what) {
  DecodedFilter coder;
  DecodeCoder(lzma2, properties, what, coder);
  const lzma_filter chain[] = {coder.filter, {LZMA_VLI_UNKNOWN, nullptr}};
  return ChainMemory(chain, what);
}

uint64_t XzStreamMemory(std::span<const uint8_t> start, const char* what) {
  lzma_stream_flags flags;
  if (start.size() < LZMA_STREAM_HEADER_SIZE + 1 ||
      lzma_stream_header_decode(&flags, start.data()) != LZMA_OK)
    Refuse(what, "has no .xz stream header");
  const std::span<const uint8_t> header = start.subspan(LZMA_STREAM_HEADER_SIZE);
  if (header[0] == 0)
    return 0;  // the index follows at once: no block
  DecodedFilter filters[LZMA_FILTERS_MAX + 1];
  lzma_filter chain[LZMA_FILTERS_MAX + 1];
  lzma_block block{};
  block.version = 1;
  block.check = flags.check;
  block.header_size = lzma_block_header_size_decode(header[0]);
  block.filters = chain;
  if (header.size() < block.header_size ||
      lzma_block_header_decode(&block, nullptr, header.data()) != LZMA_OK)
    Refuse(what, "has a block header that cannot be read");
  for (size_t i = 0; i < LZMA_FILTERS_MAX && chain[i].id != LZMA_VLI_UNKNOWN; ++i)
    filters[i].filter = chain[i];  // owned from here on
  return ChainMemory(chain, what);
}

std::vector<uint8_t> UnpackLzma(bool lzma2, std::span<const uint8_t> properties,
                                std::span<const uint8_t> packed, uint64_t size, const char* what) {
  DecodedFilter coder;
  DecodeCoder(lzma2, properties, what, coder);
  const lzma_filter chain[] = {coder.filter, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_decoder(&stream, chain) != LZMA_OK)
    Refuse(what, "cannot be unpacked");
  const std::unique_ptr<lzma_stream, void (*)(lzma_stream*)> end(&stream, lzma_end);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  stream.next_in = packed.data();
  stream.avail_in = packed.size();
  stream.next_out = bytes.data();
  stream.avail_out = bytes.size();
  // A raw LZMA1 stream need not end with a mark: the size says where it ends. liblzma says
  // LZMA_BUF_ERROR once a call makes no progress, so a short input cannot loop.
  while (stream.avail_out > 0) {
    const lzma_ret status = lzma_code(&stream, LZMA_RUN);
    if (status == LZMA_STREAM_END)
      break;
    if (status != LZMA_OK)
      Refuse(what, "cannot be unpacked");
  }
  if (stream.avail_out > 0)
    Refuse(what, "unpacks to fewer bytes than it says");
  return bytes;
}

}  // namespace tamsolo
