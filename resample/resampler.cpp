#include "resample/resampler.h"

#include "resample/resample_passes.h"
#include "platform/error.h"
#include "platform/x87_precision.h"

namespace tamsolo {

void PaddedRaster::Reshape(int32_t rowBytes, int32_t rows) {
  const size_t stride = (static_cast<size_t>(rowBytes) + 31) / 32 * 32;
  const size_t paddedRows = (static_cast<size_t>(rows) + 7) / 8 * 8;
  if (stride * paddedRows > capacity_) {
    data_.reset();
    capacity_ = 0;
    data_ = std::make_unique_for_overwrite<uint8_t[]>(stride * paddedRows);
    capacity_ = stride * paddedRows;
  }
  rowBytes_ = rowBytes;
  rows_ = rows;
  stride_ = stride;
}

void ResampleImageUsing(AccumulatePath path, const RgbImage& source, RgbImage& destination,
                        FilterFunction filter, float support, ResampleScratch& scratch,
                        const ResampleCheckpoint& checkpoint) {
  if (source.Empty())
    throw Error("Source bitmap too small");
  if (destination.Empty())
    return;
  // The tap weights are defined in extended precision, whatever mode this thread began in.
  X87ExtendedPrecision precision;
  const bool fma3 = path == AccumulatePath::Fma3;
  // Every channel of a gray image takes the same sums, so one is computed and copied.
  const int channels = source.KnownGray() ? 1 : 3;
  destination.SetKnownGray(false);
  PaddedRaster& intermediate = scratch.intermediate;
  intermediate.Reshape(destination.Width() * channels, source.Height());
  {
    const AxisTaps& columns =
        scratch.taps.Get(source.Width(), destination.Width(), filter, support);
    if (fma3)
      HorizontalPassFma3(source, channels, columns, intermediate, checkpoint);
    else
      HorizontalPassEmulated(source, channels, columns, intermediate, checkpoint);
  }
  // The vertical pass walks the intermediate with the distance between its rows 0 and 1.
  if (source.Height() == 1)
    throw Error(kOneRowSourceText);
  const AxisTaps& rows = scratch.taps.Get(source.Height(), destination.Height(), filter, support);
  if (fma3)
    VerticalPassFma3(intermediate, channels, rows, destination, checkpoint);
  else
    VerticalPassEmulated(intermediate, channels, rows, destination, checkpoint);
  destination.SetKnownGray(channels == 1);
}

void ResampleImageUsing(AccumulatePath path, const RgbImage& source, RgbImage& destination,
                        FilterFunction filter, float support,
                        const ResampleCheckpoint& checkpoint) {
  ResampleScratch scratch;
  ResampleImageUsing(path, source, destination, filter, support, scratch, checkpoint);
}

void ResampleImage(const RgbImage& source, RgbImage& destination, FilterFunction filter,
                   float support, ResampleScratch& scratch, const ResampleCheckpoint& checkpoint) {
  const AccumulatePath path = Fma3Available() ? AccumulatePath::Fma3 : AccumulatePath::Emulated;
  ResampleImageUsing(path, source, destination, filter, support, scratch, checkpoint);
}

void ResampleImage(const RgbImage& source, RgbImage& destination, FilterFunction filter,
                   float support, const ResampleCheckpoint& checkpoint) {
  ResampleScratch scratch;
  ResampleImage(source, destination, filter, support, scratch, checkpoint);
}

}  // namespace tamsolo
