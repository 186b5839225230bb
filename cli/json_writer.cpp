#include "cli/json_writer.h"

#include <charconv>

namespace trivane::cli {
namespace {

// The length of the UTF-8 sequence that starts at text[i] when it is well
// formed (no overlong form, no surrogate, nothing past U+10FFFF); otherwise
// 0, with `bad` the number of bytes that belong to the invalid run (the lead
// byte, and any continuation bytes that were still acceptable).
std::size_t Utf8Sequence(std::string_view text, std::size_t i, std::size_t& bad) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t more = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    more = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    more = 2;
    low = b == 0xE0 ? 0xA0 : low;
    high = b == 0xED ? 0x9F : high;
  } else if (b >= 0xF0 && b <= 0xF4) {
    more = 3;
    low = b == 0xF0 ? 0x90 : low;
    high = b == 0xF4 ? 0x8F : high;
  }
  bad = 1;
  if (more == 0) return 0;
  for (std::size_t k = 1; k <= more; ++k) {
    if (i + k >= text.size()) {
      bad = k;
      return 0;
    }
    const auto c = static_cast<unsigned char>(text[i + k]);
    if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) {
      bad = k;
      return 0;
    }
  }
  return more + 1;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  std::size_t bad = 0;
  for (std::size_t i = 0, n = 0; i < text.size(); i += n) {
    n = Utf8Sequence(text, i, bad);
    if (n == 0) return false;
  }
  return true;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

namespace {

bool Plain(unsigned char c) {
  return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

void AppendSpecial(std::string& out, std::string_view text, std::size_t& i) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto c = static_cast<unsigned char>(text[i]);
  if (c >= 0x80) {
    std::size_t bad = 0;
    const std::size_t n = Utf8Sequence(text, i, bad);
    if (n > 0) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      out += "\xEF\xBF\xBD";
      i += bad;
    }
    return;
  }
  ++i;
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
  }
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t run = i;
    while (run < text.size() && Plain(static_cast<unsigned char>(text[run]))) ++run;
    out.append(text.substr(i, run - i));
    i = run;
    if (i < text.size()) AppendSpecial(out, text, i);
  }
}

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (depth_ > 0 && depth_ <= kMaxDepth) {
    if (!empty_[depth_ - 1]) out_ += ',';
    empty_[depth_ - 1] = false;
  }
}

JsonWriter& JsonWriter::Open(char bracket) {
  if (depth_ == 0) out_.reserve(2048);
  BeforeValue();
  out_ += bracket;
  if (depth_ < kMaxDepth) empty_[depth_] = true;
  ++depth_;
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  out_ += bracket;
  --depth_;
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ += '"';
  out_ += name;
  out_ += "\":";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
  BeforeValue();
  out_ += '"';
  AppendEscaped(out_, text);
  out_ += '"';
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t n) {
  BeforeValue();
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out_.append(digits, end);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool b) {
  BeforeValue();
  out_ += b ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view json) {
  BeforeValue();
  out_ += json;
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

}  // namespace trivane::cli
