#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tamsolo::testing {

// A JSON value as a test needs one: parsed strictly, numbers as double, \u escapes below 0x100
// as one byte (the output under test writes stray bytes that way) and others as UTF-8.
struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  // The member or item; throws std::runtime_error when there is none.
  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t index) const;
  int Int() const { return static_cast<int>(number); }
};

// Throws std::runtime_error, naming the offset, for anything that is not one JSON value.
Json ParseJson(std::string_view text);

}  // namespace tamsolo::testing
