#include <gtest/gtest.h>

#include <thread>

#include "image/raster_recycler.h"
#include "image/rgb_image.h"

namespace tamsolo {
namespace {

const uint8_t* BufferOfNextImage(int width, int height) {
  const RgbImage image(width, height);
  return image.Data();
}

TEST(RasterRecycler, ARasterIsReusedOnItsThreadWithinTheLimit) {
  RasterRecycler recycler(3 * 100 * 100);
  const uint8_t* first = BufferOfNextImage(100, 100);
  EXPECT_EQ(recycler.KeptBytes(), 3u * 100 * 100);
  // A smaller image takes the kept buffer; a larger one cannot.
  EXPECT_EQ(BufferOfNextImage(50, 60), first);
  EXPECT_EQ(BufferOfNextImage(100, 100), first);
  EXPECT_NE(BufferOfNextImage(101, 100), first);
  // Over the limit nothing is kept, so the kept buffer stays the one that fits.
  EXPECT_EQ(recycler.KeptBytes(), 3u * 100 * 100);

  // Another thread has no recycler: its images free their buffers.
  std::thread([] {
    EXPECT_EQ(RasterRecycler::Current(), nullptr);
    BufferOfNextImage(10, 10);
  }).join();

  RgbImage taken(100, 100);
  EXPECT_EQ(taken.Data(), first);
  EXPECT_EQ(recycler.KeptBytes(), 0u);
  RgbImage moved = std::move(taken);
  EXPECT_TRUE(taken.Empty());
  EXPECT_EQ(taken.Data(), nullptr);
  moved.Reshape(10, 10);  // a smaller size keeps its buffer
  EXPECT_EQ(moved.Data(), first);
  EXPECT_EQ(moved.Width(), 10);
}

TEST(RasterRecycler, ScopesNestAndEndOnTheirThread) {
  EXPECT_EQ(RasterRecycler::Current(), nullptr);
  {
    RasterRecycler outer(1000);
    {
      RasterRecycler inner(1000);
      EXPECT_EQ(RasterRecycler::Current(), &inner);
    }
    EXPECT_EQ(RasterRecycler::Current(), &outer);
  }
  EXPECT_EQ(RasterRecycler::Current(), nullptr);
}

}  // namespace
}  // namespace tamsolo
