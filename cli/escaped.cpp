#include "cli/escaped.h"

#include <algorithm>
#include <cstdio>

namespace trivane::cli {
namespace {

bool Plain(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u != 0x7F;
}

}  // namespace

std::string Escaped(const std::string& text) {
  // Most names need nothing: they are given back as they are, uncopied
  // character by character.
  auto at = std::find_if_not(text.begin(), text.end(), Plain);
  if (at == text.end()) return text;
  std::string out(text.begin(), at);
  for (; at != text.end(); ++at) {
    const char c = *at;
    if (Plain(c)) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
      out += hex;
    }
  }
  return out;
}

}  // namespace trivane::cli
