#include "job/prepared_pages.h"

#include "job/source_layout.h"
#include "page/page_fill.h"
#include "page/scaled_width.h"
#include "platform/error.h"
#include "platform/x87_precision.h"
#include "resample/filters.h"
#include "resample/resampler.h"

namespace tamsolo {
namespace {

constexpr uint64_t kPageFileBytes = 118 + kPageWidth / 2 * kPageHeight;

const FilterEntry& SelectedFilter(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(FilterTable.size()))
    throw Error("Invalid filter index " + std::to_string(index));
  return FilterTable[static_cast<size_t>(index)];
}

}  // namespace

void ThrowIfStopped(const std::atomic<bool>& stop) {
  if (stop)
    throw Error("Conversion stopped");
}

uint64_t PreparedPages::Bytes() const {
  uint64_t bytes = scaled ? scaled->ByteSize() : 0;
  for (const std::vector<uint8_t>& file : files)
    bytes += file.size();
  return bytes;
}

std::vector<uint8_t> PreparedPages::TakePage(int32_t v) {
  if (!scaled)
    return std::move(files.at(static_cast<size_t>(v - 1)));
  PageImage page;
  PageBitmap bitmap;
  std::vector<uint8_t> file = CutPageFile(*scaled, layout, v, page, bitmap);
  if (v == count)
    scaled.reset();  // the last page: nothing more is cut from it
  return file;
}

std::vector<uint8_t> CutPageFile(const RgbImage& scaled, const PageLayout& layout, int32_t v,
                                 PageImage& page, PageBitmap& bitmap) {
  X87ExtendedPrecision precision;
  SetUpPage(page);
  FillPage(scaled, FirstColumnOfPage(layout, v), page);
  bitmap.Assign(page);
  return bitmap.FileBytes();
}

uint64_t PagesWorkBytes(int width, int height) {
  const auto scaledWidth = static_cast<uint64_t>(ScaledWidth(width, height));
  const uint64_t intermediate = (scaledWidth * 3 + 31) * (static_cast<uint64_t>(height) + 7);
  const uint64_t pages = (scaledWidth / kPageWidth + 1) * kPageFileBytes;
  return intermediate + scaledWidth * kScaledHeight * 3 + pages;
}

PageLayout ScaleForPages(const RgbImage& source, int32_t filterIndex, RgbImage& scaled,
                         ResampleScratch& resample, const std::atomic<bool>& stop) {
  if (source.Empty())
    return {};
  X87ExtendedPrecision precision;
  const SourceLayout layout = LayoutSource(source.Width(), source.Height());
  if (layout.pages.count == 0)  // under half a page: dropped without scaling
    return layout.pages;
  const FilterEntry& filter = SelectedFilter(filterIndex);
  ThrowIfStopped(stop);
  scaled.Reshape(static_cast<int>(layout.scaledWidth), kScaledHeight);
  // A very large image takes seconds to scale; a stop request ends it part-way.
  ResampleImage(source, scaled, filter.function, filter.support, resample,
                [&stop] { ThrowIfStopped(stop); });
  return layout.pages;
}

PreparedPages PreparePages(const RgbImage& source, int32_t filterIndex, PageScratch& scratch,
                           const std::atomic<bool>& stop, uint64_t heldPagesLimit) {
  PreparedPages prepared;
  prepared.sourceWidth = source.Width();
  prepared.sourceHeight = source.Height();
  try {
    const PageLayout layout =
        ScaleForPages(source, filterIndex, scratch.scaled, scratch.resample, stop);
    prepared.count = layout.count;
    if (static_cast<uint64_t>(layout.count) * kPageFileBytes > heldPagesLimit) {
      prepared.layout = layout;
      prepared.scaled = std::make_unique<const RgbImage>(std::move(scratch.scaled));
      return prepared;
    }
    for (int32_t v = 1; v <= layout.count; ++v) {
      ThrowIfStopped(stop);
      prepared.files.push_back(
          CutPageFile(scratch.scaled, layout, v, scratch.page, scratch.bitmap));
    }
  } catch (const std::exception& error) {
    prepared = PreparedPages{};
    prepared.errorText = *error.what() ? ReasonOf(error) : "Conversion failed";
    prepared.sourceWidth = source.Width();
    prepared.sourceHeight = source.Height();
  }
  return prepared;
}

}  // namespace tamsolo
