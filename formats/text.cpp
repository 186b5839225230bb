#include "formats/text.h"

#include <cctype>
#include <cstdio>

namespace trivane {

std::string HexByte(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::string HexRow(Offset offset, const std::uint8_t* bytes, int count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  char start[24];
  std::snprintf(start, sizeof start, "%08llx  ", static_cast<unsigned long long>(offset));
  std::string out = start, ascii;
  for (int k = 0; k < kHexRowBytes; ++k) {
    if (k < count) {
      out += kDigits[bytes[k] >> 4];
      out += kDigits[bytes[k] & 15];
      out += ' ';
      ascii += bytes[k] >= 0x20 && bytes[k] < 0x7F ? static_cast<char>(bytes[k]) : '.';
    } else {
      out += "   ";
    }
    if (k == 7) out += ' ';
  }
  return out + " |" + ascii + "|";
}

#ifdef _WIN32
std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
#else
std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(text);
}

std::string Utf8Of(const std::filesystem::path& path) {
  return path.string();
}
#endif

std::string UpperAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string JoinedWords(const std::vector<std::string>& words, std::string_view separator,
                        std::string_view last) {
  std::string out;
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (k > 0) out += k + 1 == words.size() ? last : separator;
    out += words[k];
  }
  return out;
}

std::string ReplaceAll(std::string text, const std::string& mark, const std::string& value) {
  if (mark.empty()) return text;
  for (auto at = text.find(mark); at != std::string::npos;
       at = text.find(mark, at + value.size())) {
    text.replace(at, mark.size(), value);
  }
  return text;
}

}  // namespace trivane
