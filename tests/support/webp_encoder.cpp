#include "support/webp_encoder.h"

#include <webp/encode.h>

#include <stdexcept>

namespace tamsolo::testing {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& data) {
  out.insert(out.end(), tag, tag + 4);
  Put(out, static_cast<uint32_t>(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2)
    out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeWebp(const RgbImage& image, bool lossless, float quality,
                                int alphaBelowRed) {
  std::vector<uint8_t> rgba;
  for (size_t i = 0; i < image.ByteSize(); i += 3) {
    rgba.insert(rgba.end(), image.Data() + i, image.Data() + i + 3);
    rgba.push_back(image.Data()[i] < alphaBelowRed ? 0 : 255);
  }
  WebPConfig config;
  WebPPicture picture;
  WebPMemoryWriter writer;
  if (!WebPConfigInit(&config) || !WebPPictureInit(&picture))
    throw std::runtime_error("libwebp version mismatch");
  WebPMemoryWriterInit(&writer);
  config.lossless = lossless;
  config.quality = quality;
  config.exact = 1;
  picture.use_argb = 1;
  picture.width = image.Width();
  picture.height = image.Height();
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool encoded = WebPPictureImportRGBA(&picture, rgba.data(), image.Width() * 4) &&
                       WebPEncode(&config, &picture);
  WebPPictureFree(&picture);
  std::vector<uint8_t> bytes(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!encoded)
    throw std::runtime_error("WebP encoding failed");
  return bytes;
}

std::vector<uint8_t> EncodeAnimatedWebp(int width, int height,
                                        const std::vector<WebpFrame>& frames) {
  std::vector<uint8_t> header{0x12, 0, 0, 0}, body{'W', 'E', 'B', 'P'};  // animation, alpha
  Put(header, static_cast<uint32_t>(width - 1), 3);
  Put(header, static_cast<uint32_t>(height - 1), 3);
  PutChunk(body, "VP8X", header);
  PutChunk(body, "ANIM", {0x40, 0x80, 0xC0, 0xFF, 0, 0});  // a background colour, a hint only
  for (const WebpFrame& frame : frames) {
    std::vector<uint8_t> data;
    for (const int value :
         {frame.x / 2, frame.y / 2, frame.image->Width() - 1, frame.image->Height() - 1, 100})
      Put(data, static_cast<uint32_t>(value), 3);
    data.push_back(frame.blend ? 0 : 2);
    const std::vector<uint8_t> still = EncodeWebp(*frame.image, true);
    data.insert(data.end(), still.begin() + 12, still.end());  // its chunks, without RIFF
    PutChunk(body, "ANMF", data);
  }
  std::vector<uint8_t> file{'R', 'I', 'F', 'F'};
  Put(file, static_cast<uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

}  // namespace tamsolo::testing
