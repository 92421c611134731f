#include "support/webp_encoder.h"

#include <webp/encode.h>

#include <stdexcept>
#include <string>

namespace tamsolo::testing {
namespace {

std::vector<uint8_t> Encode(const RgbImage& image, bool lossless, float quality,
                            const std::vector<uint8_t>* rgba) {
  WebPConfig config;
  WebPPicture picture;
  if (!WebPConfigInit(&config) || !WebPPictureInit(&picture))
    throw std::runtime_error("libwebp version mismatch");
  config.lossless = lossless ? 1 : 0;
  config.exact = 1;
  config.quality = quality;
  picture.use_argb = 1;
  picture.width = image.Width();
  picture.height = image.Height();
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool imported =
      rgba ? WebPPictureImportRGBA(&picture, rgba->data(), image.Width() * 4)
           : WebPPictureImportRGB(&picture, image.Data(), static_cast<int>(image.Stride()));
  const bool encoded = imported && WebPEncode(&config, &picture);
  WebPPictureFree(&picture);
  std::vector<uint8_t> bytes(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!encoded)
    throw std::runtime_error("WebP encoding failed");
  return bytes;
}

void Put24(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 3; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& data) {
  out.insert(out.end(), tag, tag + 4);
  Put24(out, static_cast<uint32_t>(data.size()));
  out.push_back(static_cast<uint8_t>(data.size() >> 24));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2)
    out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeWebp(const RgbImage& image, bool lossless, float quality) {
  return Encode(image, lossless, quality, nullptr);
}

std::vector<uint8_t> EncodeWebpWithAlpha(const RgbImage& image, uint8_t alphaBelowRed) {
  std::vector<uint8_t> rgba;
  for (size_t i = 0; i < image.ByteSize(); i += 3) {
    rgba.insert(rgba.end(), image.Data() + i, image.Data() + i + 3);
    rgba.push_back(image.Data()[i] < alphaBelowRed ? 0 : 255);
  }
  return Encode(image, true, 90, &rgba);
}

std::vector<uint8_t> EncodeAnimatedWebp(int canvasWidth, int canvasHeight,
                                        const std::vector<WebpFrame>& frames) {
  std::vector<uint8_t> body{'W', 'E', 'B', 'P'};
  std::vector<uint8_t> header{0x12, 0, 0, 0};  // animation and alpha
  Put24(header, static_cast<uint32_t>(canvasWidth - 1));
  Put24(header, static_cast<uint32_t>(canvasHeight - 1));
  PutChunk(body, "VP8X", header);
  PutChunk(body, "ANIM", {0x40, 0x80, 0xC0, 0xFF, 0, 0});  // a background colour, ignored
  for (const WebpFrame& frame : frames) {
    std::vector<uint8_t> data;
    Put24(data, static_cast<uint32_t>(frame.x / 2));
    Put24(data, static_cast<uint32_t>(frame.y / 2));
    Put24(data, static_cast<uint32_t>(frame.image->Width() - 1));
    Put24(data, static_cast<uint32_t>(frame.image->Height() - 1));
    Put24(data, 100);
    data.push_back(frame.blend ? 0 : 2);
    const std::vector<uint8_t> still = EncodeWebp(*frame.image, true);
    data.insert(data.end(), still.begin() + 12, still.end());  // its chunks, without RIFF
    PutChunk(body, "ANMF", data);
  }
  std::vector<uint8_t> file{'R', 'I', 'F', 'F'};
  Put24(file, static_cast<uint32_t>(body.size()));
  file.push_back(static_cast<uint8_t>(body.size() >> 24));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

}  // namespace tamsolo::testing
