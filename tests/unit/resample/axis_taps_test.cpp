#include "resample/axis_taps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "resample/tap_cache.h"
#include "support/filter_by_name.h"
#include "support/x87_thread.h"

namespace tamsolo {
namespace {

AxisTaps Taps(const std::string& filter, int32_t source, int32_t destination) {
  const FilterEntry& entry = testing::FilterNamed(filter);
  return AxisTaps(source, destination, entry.function, entry.support);
}

std::vector<int32_t> Indices(TapList list) {
  std::vector<int32_t> indices;
  for (const Tap& tap : list)
    indices.push_back(tap.index);
  return indices;
}

using V = std::vector<int32_t>;

TEST(AxisScale, MapsFirstAndLastCentresOntoEachOther) {
  EXPECT_EQ(AxisScale(2, 3), 2.0f);
  EXPECT_EQ(AxisScale(6, 4), 0.6f);
  EXPECT_EQ(AxisScale(4, 8), static_cast<float>(7.0L / 3));
  EXPECT_EQ(AxisScale(1, 5), 5.0f);
  EXPECT_EQ(AxisScale(1, 1), 1.0f);
}

TEST(AxisTaps, Lanczos3Shrinking1600RowsTo1008) {
  const AxisTaps taps = Taps("Lanczos3", 1600, 1008);
  EXPECT_NEAR(taps.Scale(), 0.62977, 1e-5);
  EXPECT_NEAR(taps.HalfWidth(), 4.7637, 1e-4);
  EXPECT_EQ(taps.Capacity(), 10);
  ASSERT_EQ(taps.Size(), 1008);
  EXPECT_EQ(Indices(taps[0]), (V{4, 3, 2, 1, 0, 1, 2, 3, 4}));
  float sum = 0;
  for (const Tap& tap : taps[0])
    sum += tap.weight;
  EXPECT_NEAR(sum, 0.998, 0.0005);
  EXPECT_EQ(Indices(taps[1]), (V{3, 2, 1, 0, 1, 2, 3, 4, 5, 6}));
  // The last row is repeated at the lower edge.
  EXPECT_EQ(Indices(taps[1007]), (V{1595, 1596, 1597, 1598, 1599, 1599, 1598, 1597, 1596}));
  EXPECT_LE(taps.MaxCount(), taps.Capacity());
}

TEST(AxisTaps, EnlargingReflectsAboutFirstSampleAndOuterBorderOfLast) {
  const AxisTaps taps = Taps("Lanczos3", 6, 11);  // scale 2
  EXPECT_EQ(taps.Capacity(), 7);
  // j = -2..2; j = -3 and 3 give weight 0 and are skipped, but sinc at +-1, +-2 is not 0.
  EXPECT_EQ(Indices(taps[0]), (V{2, 1, 0, 1, 2}));
  EXPECT_EQ(taps[0].taps[2].weight, 1.0f);
  EXPECT_NE(taps[0].taps[1].weight, 0.0f);
  // Centre 5: j = 3..7, where 6 maps to 5 and 7 to 4.
  EXPECT_EQ(Indices(taps[10]), (V{3, 4, 5, 5, 4}));
}

TEST(AxisTaps, BoxTakesTheLowerSampleAtAHalfwayCentre) {
  const AxisTaps taps = Taps("Box", 2, 3);  // centre of destination 1 is 0.5
  EXPECT_EQ(Indices(taps[1]), V{0});
  const AxisTaps doubled = Taps("Box", 4, 8);
  std::vector<int32_t> sources;
  for (int32_t i = 0; i < doubled.Size(); ++i) {
    ASSERT_EQ(doubled[i].count, 1);
    sources.push_back(doubled[i].taps[0].index);
  }
  EXPECT_EQ(sources, (V{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST(AxisTaps, ShrinkingWeightsAreNotNormalised) {
  const AxisTaps taps = Taps("Box", 6, 4);  // scale 0.6
  EXPECT_EQ(Indices(taps[0]), V{0});
  EXPECT_EQ(Indices(taps[1]), (V{1, 2}));
  for (int32_t i = 0; i < 4; ++i)
    for (const Tap& tap : taps[i])
      EXPECT_FLOAT_EQ(tap.weight, 0.6f);
}

// Tiny lengths reach beyond one reflection with the wider filters; every index must still be
// inside the image, and no weight stored is 0.
TEST(AxisTaps, IndicesStayInsideTinyImages) {
  for (const FilterEntry& entry : FilterTable) {
    for (int32_t source = 1; source <= 5; ++source) {
      for (int32_t destination = 2; destination <= 12; ++destination) {
        const AxisTaps taps(source, destination, entry.function, entry.support);
        for (int32_t i = 0; i < taps.Size(); ++i) {
          EXPECT_LE(taps[i].count, taps.Capacity());
          for (const Tap& tap : taps[i]) {
            EXPECT_GE(tap.index, 0) << entry.name << " " << source << "->" << destination;
            EXPECT_LT(tap.index, source) << entry.name << " " << source << "->" << destination;
            EXPECT_NE(tap.weight, 0.0f);
          }
        }
      }
    }
  }
  // Lanczos3 from 2 samples: j = -2 reflects to 2 and is clamped to 1.
  EXPECT_EQ(Indices(Taps("Lanczos3", 2, 4)[0]), (V{1, 1, 0, 1, 1}));
}

TEST(AxisTaps, SingleDestinationSampleFromALongerSourceIsRejected) {
  EXPECT_THROW(Taps("Lanczos3", 5, 1), Error);
  EXPECT_EQ(Taps("Lanczos3", 1, 1).Size(), 1);
  EXPECT_EQ(Taps("Lanczos3", 5, 0).Size(), 0);
}

std::vector<Tap> AllTaps() {
  std::vector<Tap> all;
  for (const FilterEntry& entry : FilterTable) {
    for (auto [source, destination] : {std::pair{1600, 1008}, {3400, 1008}, {715, 4094}}) {
      const AxisTaps taps(source, destination, entry.function, entry.support);
      for (int32_t i = 0; i < taps.Size(); ++i)
        all.insert(all.end(), taps[i].begin(), taps[i].end());
    }
  }
  return all;
}

TEST(AxisTaps, SameWhateverModeTheThreadStartedIn) {
  const std::vector<Tap> narrow = OnThreadIn53BitMode(AllTaps);
  const std::vector<Tap> wide = OnThreadIn64BitMode(AllTaps);
  ASSERT_EQ(narrow.size(), wide.size());
  for (size_t k = 0; k < narrow.size(); ++k) {
    ASSERT_EQ(narrow[k].index, wide[k].index) << k;
    ASSERT_EQ(narrow[k].weight, wide[k].weight) << k;
  }
}

// Every set the cache hands out is the one computed afresh: sizes, filter and support all
// tell sets apart, also after older ones have been dropped and made again.
TEST(TapCache, GivesTheListsOfEveryAxisAsComputedAfresh) {
  const FilterEntry& lanczos = testing::FilterNamed("Lanczos3");
  const FilterEntry& box = testing::FilterNamed("Box");
  const struct {
    const FilterEntry& filter;
    float support;
    int32_t source, destination;
  } asked[] = {{lanczos, lanczos.support, 1600, 1008},
               {lanczos, lanczos.support, 1008, 1600},
               {box, box.support, 1600, 1008},
               {box, 1.0f, 1600, 1008},
               {lanczos, lanczos.support, 1600, 1008},
               {lanczos, lanczos.support, 90, 1008},
               {box, box.support, 1600, 1008},
               {lanczos, lanczos.support, 1008, 1600},
               {box, 1.0f, 1600, 1008},
               {box, box.support, 1600, 1008}};
  TapCache cache;
  for (const auto& a : asked) {
    const AxisTaps& cached = cache.Get(a.source, a.destination, a.filter.function, a.support);
    const AxisTaps fresh(a.source, a.destination, a.filter.function, a.support);
    ASSERT_EQ(cached.Size(), fresh.Size());
    ASSERT_EQ(cached.Capacity(), fresh.Capacity());
    for (int32_t i = 0; i < fresh.Size(); ++i) {
      ASSERT_EQ(Indices(cached[i]), Indices(fresh[i])) << a.filter.name << " " << i;
      ASSERT_EQ(cached[i].taps[0].weight, fresh[i].taps[0].weight) << a.filter.name << " " << i;
    }
  }
  EXPECT_THROW(cache.Get(5, 1, lanczos.function, lanczos.support), Error);
}

}  // namespace
}  // namespace tamsolo
