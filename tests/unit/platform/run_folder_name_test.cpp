#include "platform/run_folder_name.h"

#include <gtest/gtest.h>

#include <regex>

namespace tamsolo {
namespace {

TEST(RunFolderName, FourGroupsOfTwoNumbersInUppercaseHex) {
  uint16_t next = 0;
  const uint16_t numbers[] = {0x0001, 0xABCD, 0xFFFF, 0x0000, 0x1234, 0x00EF, 0x8000, 0x0A0B};
  EXPECT_EQ(MakeRunFolderName([&] { return numbers[next++]; }),
            "0001ABCD-FFFF0000-123400EF-80000A0B");
  const std::regex form("[0-9A-F]{8}(-[0-9A-F]{8}){3}");
  const std::string first = MakeRunFolderName();
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_NE(first, MakeRunFolderName());
}

}  // namespace
}  // namespace tamsolo
