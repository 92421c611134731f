#pragma once

#include <filesystem>
#include <string>

#include "image/rgb_image.h"

namespace tamsolo::testing {

enum class SampleFormat { Jpeg, Bmp, Png, Webp };

// A made-up scanned page: white paper, black panel borders and gray panels whose shades
// depend on seed, so pages of different images look different.
RgbImage MakeSamplePage(int width, int height, int seed);

// Writes image to path as a baseline JPEG (libjpeg's compressor, quality 90), a 24-bit
// bottom-up BMP, an 8-bit RGB PNG (zlib) or a lossless WebP. Throws std::runtime_error on failure.
void WriteImageFile(const std::string& path, const RgbImage& image, SampleFormat format);

// The format an extension asks for (".bmp", ".png", ".webp", anything else JPEG), any letter case.
SampleFormat SampleFormatFor(const std::string& path);

// Writes MakeSamplePage(width, height, seed) to path in the format its extension asks for,
// making its folders; returns path as a native string.
std::string WriteSampleFile(const std::filesystem::path& path, int width, int height, int seed);

// The README's sample volume under root: vol1 and vol2 of made-up scans, single pages and
// spreads of two and three pages, as JPEG, PNG and BMP files.
void WriteSampleVolume(const std::string& root);

// The benchmark volume: 100 files in four folders, singles, spreads and large scans as JPEG,
// PNG and BMP; 23 spreads among them give 123 pages.
void WriteBenchmarkVolume(const std::string& root);

// A volume shaped like scanned books: 100 files of screentone, gradients, text strokes and
// scanner noise, mostly gray; gray and colour JPEGs (quality 90, 4:2:0), gray and colour PNGs
// and BMPs, singles and spreads of 2 and 3 pages at about 1700 and 3400 rows (127 pages).
void WriteScanVolume(const std::string& root);

// Home scans for the clean-up: count simulated scans of synthetic comic pages (every third a
// spread, every fourth with art bleeding to one side) as JPEGs, "scan<first>.jpg" and on
// ("scan01.jpg"); scan k is drawn from seed k.
void WriteDegradedScans(const std::string& root, int count, int first = 1);

}  // namespace tamsolo::testing
