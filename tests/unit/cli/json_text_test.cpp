#include <gtest/gtest.h>

#include "cli/json_text.h"

namespace tamsolo {
namespace {

// Whatever bytes a name holds, the result is one valid JSON string.
TEST(JsonString, EscapesWhatJsonForbidsAndKeepsValidUtf8) {
  const struct {
    std::string bytes;
    std::string json;
  } cases[] = {
      {"vol1", "\"vol1\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {std::string("t\tn\nz\0x\x7F", 8), "\"t\\u0009n\\u000Az\\u0000x\\u007F\""},
      {"\xE5\xB7\xBB 1", "\"\xE5\xB7\xBB 1\""},       // UTF-8 kept
      {"\xF0\x9F\x93\x96", "\"\xF0\x9F\x93\x96\""},   // four bytes
      {"\x95\x5C.jpg", "\"\\uDC95\\\\.jpg\""},        // Shift-JIS: not UTF-8
      {"\xC0\x80", "\"\\uDCC0\\uDC80\""},             // overlong
      {"\xED\xA0\x80", "\"\\uDCED\\uDCA0\\uDC80\""},  // a surrogate
      {"\xE5\xB7", "\"\\uDCE5\\uDCB7\""},             // cut short
      {"\xFF", "\"\\uDCFF\""},                        // not the \u00FF of U+00FF (\xC3\xBF)
  };
  for (const auto& c : cases)
    EXPECT_EQ(JsonString(c.bytes), c.json) << c.json;
}

}  // namespace
}  // namespace tamsolo
