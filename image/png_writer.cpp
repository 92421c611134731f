#include "image/png_writer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <zlib.h>

#include "platform/error.h"

namespace tamsolo {
namespace {

struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

int Channels(uint8_t colorType) {
  static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  return colorType < 7 ? kChannels[colorType] : 1;
}

// Packs one row of samples, most significant bits first, 16-bit samples big-endian.
std::vector<uint8_t> PackRow(const RawPng& image, uint32_t y, const Pass& pass, uint32_t count) {
  const int channels = Channels(image.colorType);
  const size_t depth = image.bitDepth;
  std::vector<uint8_t> row((size_t{count} * static_cast<size_t>(channels) * depth + 7) / 8);
  size_t bit = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t x = pass.x0 + i * pass.dx;
    for (int c = 0; c < channels; ++c, bit += depth) {
      const uint16_t v = image.sample(x, y, c);
      if (depth == 16) {
        row[bit / 8] = static_cast<uint8_t>(v >> 8);
        row[bit / 8 + 1] = static_cast<uint8_t>(v);
      } else {
        const unsigned mask = (1u << depth) - 1;
        row[bit / 8] |= static_cast<uint8_t>((v & mask) << (8 - depth - bit % 8));
      }
    }
  }
  return row;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc)
    return a;
  return pb <= pc ? b : c;
}

std::vector<uint8_t> ApplyFilter(uint8_t type, const std::vector<uint8_t>& row,
                                 const std::vector<uint8_t>& prior, size_t bpp) {
  std::vector<uint8_t> out(row.size());
  for (size_t i = 0; i < row.size(); ++i) {
    const int a = i >= bpp ? row[i - bpp] : 0;
    const int b = prior[i];
    const int c = i >= bpp ? prior[i - bpp] : 0;
    const int predictors[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
    out[i] = static_cast<uint8_t>(row[i] - predictors[type]);
  }
  return out;
}

uint8_t AdaptiveFilter(const std::vector<uint8_t>& row, const std::vector<uint8_t>& prior,
                       size_t bpp) {
  uint8_t best = 0;
  long bestSum = -1;
  for (uint8_t type = 0; type < 5; ++type) {
    long sum = 0;
    for (uint8_t v : ApplyFilter(type, row, prior, bpp))
      sum += v < 128 ? v : 256 - v;
    if (bestSum < 0 || sum < bestSum) {
      bestSum = sum;
      best = type;
    }
  }
  return best;
}

}  // namespace

std::vector<uint8_t> BigEndian32(uint32_t value) {
  return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

std::vector<uint8_t> PngChunkBytes(const std::string& type, std::span<const uint8_t> data) {
  std::vector<uint8_t> chunk = BigEndian32(static_cast<uint32_t>(data.size()));
  chunk.insert(chunk.end(), type.begin(), type.end());
  chunk.insert(chunk.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
  const std::vector<uint8_t> crcBytes = BigEndian32(static_cast<uint32_t>(crc));
  chunk.insert(chunk.end(), crcBytes.begin(), crcBytes.end());
  return chunk;
}

std::vector<uint8_t> PngFileBytes(const std::vector<std::vector<uint8_t>>& chunks) {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const auto& chunk : chunks)
    file.insert(file.end(), chunk.begin(), chunk.end());
  return file;
}

std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                              uint8_t interlace) {
  std::vector<uint8_t> data = BigEndian32(width);
  const std::vector<uint8_t> h = BigEndian32(height);
  data.insert(data.end(), h.begin(), h.end());
  data.insert(data.end(), {bitDepth, colorType, 0, 0, interlace});
  return data;
}

std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> raw, int level,
                                  const std::function<bool()>& stop) {
  z_stream stream{};
  if (deflateInit(&stream, level) != Z_OK)
    throw Error("zlib could not compress the PNG image data");
  const uLong bound = deflateBound(&stream, static_cast<uLong>(raw.size()));
  if (bound > std::numeric_limits<uInt>::max()) {
    deflateEnd(&stream);
    throw Error("The PNG image data is too large to compress");
  }
  std::vector<uint8_t> out(bound);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  constexpr size_t kStep = size_t{1} << 20;  // input between two looks at stop
  int status = Z_OK;
  for (size_t at = 0; status == Z_OK;) {
    if (stop && stop()) {
      deflateEnd(&stream);
      throw Error("Compressing the PNG image data was stopped");
    }
    const size_t step = std::min(kStep, raw.size() - at);
    stream.next_in = const_cast<Bytef*>(raw.data() + at);
    stream.avail_in = static_cast<uInt>(step);
    at += step;
    status = deflate(&stream, at == raw.size() ? Z_FINISH : Z_NO_FLUSH);
    if (status == Z_OK && stream.avail_in != 0)
      status = Z_BUF_ERROR;  // out is deflateBound's size, so this cannot happen
  }
  const uLong size = stream.total_out;
  deflateEnd(&stream);
  if (status != Z_STREAM_END)
    throw Error("zlib could not compress the PNG image data");
  out.resize(size);
  return out;
}

std::vector<uint8_t> FilteredImageData(const RawPng& image) {
  const size_t bits = static_cast<size_t>(Channels(image.colorType)) * image.bitDepth;
  const size_t bpp = bits < 8 ? 1 : bits / 8;
  const Pass whole = {0, 0, 1, 1};
  const int passes = image.interlaced ? 7 : 1;
  std::vector<uint8_t> data;
  for (int p = 0; p < passes; ++p) {
    const Pass& pass = image.interlaced ? kAdam7[p] : whole;
    if (image.width <= pass.x0 || image.height <= pass.y0)
      continue;
    const uint32_t count = (image.width - pass.x0 + pass.dx - 1) / pass.dx;
    std::vector<uint8_t> prior((count * bits + 7) / 8, 0);
    uint32_t row = 0;
    for (uint32_t y = pass.y0; y < image.height; y += pass.dy, ++row) {
      const std::vector<uint8_t> raw = PackRow(image, y, pass, count);
      uint8_t type = image.filter(p, row);
      if (type == kAdaptiveFilter)
        type = AdaptiveFilter(raw, prior, bpp);
      const std::vector<uint8_t> filtered = ApplyFilter(type, raw, prior, bpp);
      data.push_back(type);
      data.insert(data.end(), filtered.begin(), filtered.end());
      prior = raw;
    }
  }
  return data;
}

std::vector<uint8_t> MakePng(const RawPng& image,
                             const std::vector<std::vector<uint8_t>>& chunksBeforeData) {
  std::vector<std::vector<uint8_t>> chunks;
  const uint8_t interlace = image.interlaced ? 1 : 0;
  chunks.push_back(PngChunkBytes(
      "IHDR", IhdrData(image.width, image.height, image.bitDepth, image.colorType, interlace)));
  chunks.insert(chunks.end(), chunksBeforeData.begin(), chunksBeforeData.end());
  chunks.push_back(PngChunkBytes("IDAT", ZlibCompress(FilteredImageData(image))));
  chunks.push_back(PngChunkBytes("IEND", {}));
  return PngFileBytes(chunks);
}

}  // namespace tamsolo
