#include "present/hex_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "formats/text.h"

namespace trivane::present {
namespace {

constexpr int kHexColumn = 10;   // after "00000000  "
constexpr int kTextColumn = 61;  // after the hex bytes and " |"

// The value in hex as the printf format says ("%llX", "%llx", "%02llx").
std::string Hex(std::int64_t value, const char* format) {
  char text[24];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(value));
  return text;
}

bool MatchesAt(const Shown& shown, const std::vector<std::uint8_t>& bytes, std::int64_t at) {
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (shown.byte(at + static_cast<std::int64_t>(k)) != bytes[k]) return false;
  }
  return true;
}

}  // namespace

std::int64_t HexRows(const Shown& shown) {
  return (shown.size + kHexRowBytes - 1) / kHexRowBytes;
}

std::string HexRowText(const Shown& shown, std::int64_t row) {
  std::uint8_t bytes[kHexRowBytes];
  const int count =
      static_cast<int>(std::clamp<std::int64_t>(shown.size - row * kHexRowBytes, 0, kHexRowBytes));
  for (int k = 0; k < count; ++k) bytes[k] = shown.byte(row * kHexRowBytes + k);
  return HexRow(row * kHexRowBytes, bytes, count);
}

int HexColumnOf(int k) {
  return kHexColumn + 3 * k + (k >= 8 ? 1 : 0);
}

int TextColumnOf(int k) {
  return kTextColumn + k;
}

std::int64_t ByteAtColumn(const Shown& shown, std::int64_t row, int column) {
  int k = -1;
  if (column >= kTextColumn && column < kTextColumn + kHexRowBytes) k = column - kTextColumn;
  for (int j = 0; j < kHexRowBytes && k < 0; ++j) {
    if (column >= HexColumnOf(j) && column <= HexColumnOf(j) + 2) k = j;
  }
  const std::int64_t at = row * kHexRowBytes + std::max(k, 0);
  return k < 0 || row < 0 || at >= shown.size ? -1 : at;
}

GoToResult GoTo(const Shown& shown, const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  std::string digits = first == std::string::npos ? "" : text.substr(first, last - first + 1);
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.erase(0, 2);
  const bool hex = !digits.empty() && digits.size() <= 15 &&
                   std::all_of(digits.begin(), digits.end(),
                               [](unsigned char c) { return std::isxdigit(c) != 0; });
  if (!hex) return {std::nullopt, "not an offset in hex: " + text};
  const std::int64_t at = std::stoll(digits, nullptr, 16);
  if (at >= shown.size) {
    return {std::nullopt, "offset past the end (size " + std::to_string(shown.size) + ", 0x" +
                              Hex(shown.size, "%llx") + ")"};
  }
  return {at, "at 0x" + Hex(at, "%llX")};
}

Needle NeedleOf(const std::string& text, bool hex) {
  if (!hex) return {std::vector<std::uint8_t>(text.begin(), text.end()), {}};
  std::string digits;
  for (char c : text) {
    if (c != ' ') digits += c;
  }
  const bool pairs = !digits.empty() && digits.size() % 2 == 0 &&
                     std::all_of(digits.begin(), digits.end(),
                                 [](unsigned char c) { return std::isxdigit(c) != 0; });
  if (!pairs) return {{}, "not hex bytes: " + text};
  Needle needle;
  for (std::size_t k = 0; k < digits.size(); k += 2) {
    needle.bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(k, 2), nullptr, 16)));
  }
  return needle;
}

std::optional<std::int64_t> FindNext(const Shown& shown, const std::vector<std::uint8_t>& bytes,
                                     Selection selection, bool forward) {
  const auto length = static_cast<std::int64_t>(bytes.size());
  if (bytes.empty() || length > shown.size) return std::nullopt;
  const std::int64_t last = shown.size - length;
  if (forward) {
    for (std::int64_t at = selection.end > selection.start ? selection.start + 1 : 0; at <= last;
         ++at) {
      if (MatchesAt(shown, bytes, at)) return at;
    }
  } else {
    for (std::int64_t at = std::min(selection.start - 1, last); at >= 0; --at) {
      if (MatchesAt(shown, bytes, at)) return at;
    }
  }
  return std::nullopt;
}

std::string MatchStatus(const Shown& shown, const std::vector<std::uint8_t>& bytes,
                        Selection selection) {
  std::int64_t index = 0, total = 0;
  const auto length = static_cast<std::int64_t>(bytes.size());
  for (std::int64_t at = 0; !bytes.empty() && at + length <= shown.size; ++at) {
    if (!MatchesAt(shown, bytes, at)) continue;
    ++total;
    if (at < selection.start || (at == selection.start && selection.end > selection.start)) ++index;
  }
  return "match " + std::to_string(index) + " of " + std::to_string(total) + " at 0x" +
         Hex(selection.start, "%llX");
}

std::string SelectedHex(const Shown& shown, Selection selection) {
  std::string text;
  for (std::int64_t at = selection.start; at < selection.end; ++at) {
    if (!text.empty()) text += ' ';
    text += Hex(shown.byte(at), "%02llx");
  }
  return text;
}

std::string SelectedText(const Shown& shown, Selection selection) {
  std::string text;
  for (std::int64_t at = selection.start; at < selection.end; ++at) {
    text += static_cast<char>(shown.byte(at));
  }
  return text;
}

std::string ImageTitle(std::int64_t size) {
  return "The whole file, " + std::to_string(size) + " bytes";
}

std::string FileTitle(const filesystems::Entry& file, const filesystems::FileBytes& read) {
  std::string what = file.name + ", " + std::to_string(read.bytes.size()) + " bytes";
  if (!read.unreadable.empty()) {
    what += ", " + std::to_string(read.unreadable.size()) +
            " sectors not read whole (marked: those that failed their CRC as read, those without "
            "data as zeros)";
  }
  if (read.missing > 0) what += ", " + std::to_string(read.missing) + " bytes not on the disk";
  return what;
}

}  // namespace trivane::present
