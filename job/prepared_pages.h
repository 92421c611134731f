#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clean/page_clean.h"
#include "image/rgb_image.h"
#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "page/page_layout.h"
#include "resample/resample_passes.h"

namespace tamsolo {

// The pages of one source image, made ahead of its job: the same scaling, cutting and gray
// fill as TConvertThread's own, down to each page file's bytes. A job given them only
// announces the count and has each page written, so the owner sees exactly what it would
// have seen from a job that computed them itself.
struct PreparedPages {
  int32_t count = 0;                        // pages the layout gives; 0 under half a page
  std::vector<std::vector<uint8_t>> files;  // page v's file bytes at v - 1, or none (below)
  std::string errorText;  // why the job ends before its first page; empty otherwise
  int sourceWidth = 0;
  int sourceHeight = 0;
  // A source with more pages than are worth holding keeps its scaled image instead, and each
  // page is cut when it is taken, so that its pages are never all in memory at once.
  std::unique_ptr<const RgbImage> scaled;
  PageLayout layout;
  std::optional<CleanReport> clean;  // what the clean-up did, when it ran

  // What the pages hold in memory.
  uint64_t Bytes() const;
  // Page v's file bytes, moved out or cut now; each page is taken once.
  std::vector<uint8_t> TakePage(int32_t v);
};

// Past this many bytes of page files, a source's pages are cut as they are taken.
constexpr uint64_t kHeldPagesLimit = 32ull << 20;

// What one thread keeps from image to image, so that the large buffers are reused rather
// than allocated (and faulted in) afresh for every file.
struct PageScratch {
  RgbImage scaled;
  ResampleScratch resample;
  PageImage page;
  tamsolo::PageBitmap bitmap;
};

// What scaling a width x height source for its pages needs besides the source: the
// intermediate, the scaled image and the page files.
uint64_t PagesWorkBytes(int width, int height);

// Scales source to 1008 rows with the filter at filterIndex into scaled, through the
// resample scratch, after the checks every job makes; returns the layout. Nothing is scaled for
// an empty source or one under half a page (count 0). Throws Error for a bad filter index, a
// scaled image over the limit (see LayoutSource), or stop set before or while it scales. Holds
// extended precision itself.
PageLayout ScaleForPages(const RgbImage& source, int32_t filterIndex, RgbImage& scaled,
                         ResampleScratch& resample, const std::atomic<bool>& stop);

// Page v's file bytes, cut from the scaled image through the given page buffers. Holds
// extended precision itself.
std::vector<uint8_t> CutPageFile(const RgbImage& scaled, const PageLayout& layout, int32_t v,
                                 PageImage& page, PageBitmap& bitmap);

// Throws Error("Conversion stopped") once stop is set.
void ThrowIfStopped(const std::atomic<bool>& stop);

// Every page of source as TConvertThread would write it. An error that would end the job
// is kept in errorText; stop, once set, ends the work as a stop request ends a job.
PreparedPages PreparePages(const RgbImage& source, int32_t filterIndex, PageScratch& scratch,
                           const std::atomic<bool>& stop,
                           uint64_t heldPagesLimit = kHeldPagesLimit);

}  // namespace tamsolo
