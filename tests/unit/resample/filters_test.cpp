#include "resample/filters.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "support/filter_by_name.h"
#include "support/x87_thread.h"

namespace tamsolo {
namespace {

float Filter(const std::string& name, float t) {
  return testing::FilterNamed(name).function(t);
}

TEST(FilterTable, NamesAndSupportsInConfigurationOrder) {
  const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
  const float supports[] = {0.5f, 1, 1, 1.5f, 2, 3, 2};
  for (size_t i = 0; i < FilterTable.size(); ++i) {
    EXPECT_STREQ(FilterTable[i].name, names[i]);
    EXPECT_EQ(FilterTable[i].support, supports[i]);
  }
  EXPECT_STREQ(FilterTable[kDefaultFilterIndex].name, "Lanczos3");
}

TEST(FilterTable, EveryFilterIsSymmetricAndZeroFromItsSupportOn) {
  for (const FilterEntry& entry : FilterTable) {
    const bool box = std::string(entry.name) == "Box";  // half-open: checked on its own
    for (float t = 0; t < 4; t += 0.0625f) {
      if (!box) {
        EXPECT_EQ(entry.function(t), entry.function(-t)) << entry.name << " " << t;
      }
      if (t > entry.support || (t == entry.support && !box)) {
        EXPECT_EQ(entry.function(t), 0.0f) << entry.name << " " << t;
      }
    }
  }
}

TEST(FilterTable, BoxIsHalfOpen) {
  EXPECT_EQ(Filter("Box", -0.5f), 0.0f);
  EXPECT_EQ(Filter("Box", 0.5f), 1.0f);
  EXPECT_EQ(Filter("Box", std::nextafter(-0.5f, 0.0f)), 1.0f);
  EXPECT_EQ(Filter("Box", std::nextafter(0.5f, 1.0f)), 0.0f);
  EXPECT_EQ(Filter("Box", 0), 1.0f);
}

TEST(FilterTable, PolynomialsAtKeyPoints) {
  EXPECT_EQ(Filter("Triangle", 0.25f), 0.75f);
  EXPECT_EQ(Filter("Triangle", -0.5f), 0.5f);
  EXPECT_EQ(Filter("Triangle", 1), 0.0f);
  EXPECT_EQ(Filter("Hermite", 0), 1.0f);
  EXPECT_EQ(Filter("Hermite", 0.5f), 0.5f);
  EXPECT_EQ(Filter("Hermite", 0.25f), 0.84375f);
  EXPECT_EQ(Filter("Bell", 0), 0.75f);
  EXPECT_EQ(Filter("Bell", 0.5f), 0.5f);
  EXPECT_EQ(Filter("Bell", 1), 0.125f);
  EXPECT_EQ(Filter("Bell", 1.25f), 0.03125f);
  EXPECT_EQ(Filter("B-Spline", 0), static_cast<float>(2.0L / 3));
  EXPECT_EQ(Filter("B-Spline", 1), static_cast<float>(1.0L / 6));
  EXPECT_EQ(Filter("B-Spline", 1.5f), static_cast<float>(0.125L / 6));
  EXPECT_EQ(Filter("Mitchell", 0), static_cast<float>(8.0L / 9));
  EXPECT_FLOAT_EQ(Filter("Mitchell", 1), 1.0f / 18);
  EXPECT_FLOAT_EQ(Filter("Mitchell", 1.5f), -5.0f / 144);
}

TEST(FilterTable, Lanczos3AtWholeDistancesIsTinyButNotZero) {
  EXPECT_EQ(Filter("Lanczos3", 0), 1.0f);
  // pi rounded to float32 is slightly above pi, so sin of it is about -8.7e-8.
  const float one = Filter("Lanczos3", 1);
  EXPECT_LT(one, -2.0e-8f);
  EXPECT_GT(one, -2.6e-8f);
  EXPECT_NE(Filter("Lanczos3", 2), 0.0f);
  EXPECT_EQ(Filter("Lanczos3", 3), 0.0f);
  // sinc(0.5) * sinc(1/6) = (2 / pi) * (3 / pi)
  EXPECT_NEAR(Filter("Lanczos3", 0.5f), 6 / (3.14159265 * 3.14159265), 1e-6);
  EXPECT_NEAR(Filter("Lanczos3", 1.5f), -0.13509491, 1e-6);
}

// Bit patterns of every filter over a grid of arguments, for comparing two threads. The grid
// holds two arguments whose exact results are ties between two floats, so that the
// precision of the intermediate terms decides: Hermite at 0x3effff8e, Mitchell at 1229/1024.
std::vector<uint32_t> FilterBits() {
  std::vector<float> arguments = {std::bit_cast<float>(0x3effff8eu), 1229 / 1024.0f};
  for (int k = -3200; k <= 3200; ++k)
    arguments.push_back(k / 1023.0f);
  std::vector<uint32_t> bits;
  for (const FilterEntry& entry : FilterTable)
    for (float t : arguments)
      bits.push_back(std::bit_cast<uint32_t>(entry.function(t)));
  return bits;
}

TEST(FilterTable, SameBitsWhateverModeTheThreadStartedIn) {
  EXPECT_EQ(OnThreadIn53BitMode(FilterBits), OnThreadIn64BitMode(FilterBits));
}

}  // namespace
}  // namespace tamsolo
