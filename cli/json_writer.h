// Writes one JSON text, compact (no blanks), member by member, straight into
// a string: the command-line tools' JSON lines. Strings are written as UTF-8;
// a byte sequence that is not UTF-8 becomes U+FFFD, one for each maximal
// invalid run, so that any name can be written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace trivane::cli {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  // The next value is this member's. Names are the program's own, plain
  // ASCII, and are written as they are.
  JsonWriter& Key(std::string_view name);
  JsonWriter& String(std::string_view text);
  JsonWriter& Number(std::int64_t n);
  JsonWriter& Bool(bool b);
  JsonWriter& Null();
  // A value already written as JSON, taken as it is.
  JsonWriter& Raw(std::string_view json);

  // A member with its value, for the common case.
  template <typename T>
  JsonWriter& Member(std::string_view name, const T& value) {
    Key(name);
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      return String(value);
    } else if constexpr (std::is_same_v<T, bool>) {
      return Bool(value);
    } else {
      return Number(static_cast<std::int64_t>(value));
    }
  }

  const std::string& text() const { return out_; }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void BeforeValue();

  static constexpr int kMaxDepth = 32;
  std::string out_;
  bool empty_[kMaxDepth] = {};  // per open container: nothing written in it yet
  int depth_ = 0;
  bool after_key_ = false;
};

// Appends the bytes as a JSON string's contents (no quotes), escaped.
void AppendEscaped(std::string& out, std::string_view text);
// True when the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view text);
// The bytes in lower-case hex, two digits each.
std::string Hex(std::string_view bytes);

}  // namespace trivane::cli
