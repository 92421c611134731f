#include "support/json_reader.h"

#include <cstdlib>
#include <stdexcept>

namespace tamsolo::testing {
namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Json Document() {
    Json value = Value();
    Space();
    if (at_ != text_.size())
      Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw std::runtime_error("JSON at " + std::to_string(at_) + ": " + why);
  }
  void Space() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\t' || text_[at_] == '\r'))
      ++at_;
  }
  char Peek() {
    Space();
    if (at_ >= text_.size())
      Fail("unexpected end");
    return text_[at_];
  }
  void Expect(char c) {
    if (Peek() != c)
      Fail(std::string("expected ") + c);
    ++at_;
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word)
      return false;
    at_ += word.size();
    return true;
  }

  Json Value() {
    Json value;
    const char c = Peek();
    if (c == '{') {
      value.kind = Json::Kind::Object;
      ++at_;
      while (Peek() != '}') {
        if (!value.members.empty())
          Expect(',');
        Peek();
        const std::string key = String();
        Expect(':');
        value.members[key] = Value();
      }
      ++at_;
    } else if (c == '[') {
      value.kind = Json::Kind::Array;
      ++at_;
      while (Peek() != ']') {
        if (!value.items.empty())
          Expect(',');
        value.items.push_back(Value());
      }
      ++at_;
    } else if (c == '"') {
      value.kind = Json::Kind::String;
      value.text = String();
    } else if (Word("true")) {
      value.kind = Json::Kind::Bool;
      value.boolean = true;
    } else if (Word("false")) {
      value.kind = Json::Kind::Bool;
    } else if (Word("null")) {
    } else {
      value.kind = Json::Kind::Number;
      char* end = nullptr;
      const std::string rest(text_.substr(at_, 64));
      value.number = std::strtod(rest.c_str(), &end);
      if (end == rest.c_str())
        Fail("not a value");
      at_ += static_cast<size_t>(end - rest.c_str());
    }
    return value;
  }

  std::string String() {
    if (text_[at_] != '"')
      Fail("expected a string");
    std::string out;
    for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c < 0x20)
        Fail("raw control character in a string");
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      const char kind = text_.at(++at_);
      const std::string simple = "\"\\/bfnrt";
      const std::string meaning = "\"\\/\b\f\n\r\t";
      if (const size_t i = simple.find(kind); i != std::string::npos) {
        out += meaning[i];
      } else if (kind == 'u') {
        AppendCode(std::stoul(std::string(text_.substr(at_ + 1, 4)), nullptr, 16), out);
        at_ += 4;
      } else {
        Fail("bad escape");
      }
    }
    if (at_ >= text_.size())
      Fail("unterminated string");
    ++at_;
    return out;
  }

  static void AppendCode(unsigned long code, std::string& out) {
    if (code < 0x100) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  const auto found = members.find(key);
  if (kind != Kind::Object || found == members.end())
    throw std::runtime_error("JSON has no member \"" + key + "\"");
  return found->second;
}

const Json& Json::operator[](size_t index) const {
  if (kind != Kind::Array || index >= items.size())
    throw std::runtime_error("JSON has no item " + std::to_string(index));
  return items[index];
}

Json ParseJson(std::string_view text) {
  return Parser(text).Document();
}

}  // namespace tamsolo::testing
