#include "fs/psystem/directory.h"

#include <algorithm>
#include <cstdio>

namespace trivane::psystem {
namespace {

int Word(const std::vector<std::uint8_t>& b, std::size_t at) {
  return at + 1 < b.size() ? b[at] | b[at + 1] << 8 : -1;
}

// The name of `most` characters at most from its length byte; empty when
// its length or a character is none the p-System writes.
std::string NameAt(const std::vector<std::uint8_t>& b, std::size_t at, int most) {
  if (at >= b.size() || b[at] < 1 || b[at] > most || at + b[at] >= b.size()) return "";
  std::string name;
  for (std::size_t k = at + 1; k <= at + b[at]; ++k) {
    if (b[k] <= ' ' || b[k] >= 0x7F) return "";
    name += static_cast<char>(b[k]);
  }
  return name;
}

// The file entries, each checked against the volume and the one before.
void ReadFiles(const std::vector<std::uint8_t>& b, int count, Directory& d) {
  int end = d.directory_end;
  for (int k = 1; k <= count; ++k) {
    const std::size_t at = static_cast<std::size_t>(k) * kEntry;
    File f;
    f.first = Word(b, at);
    f.next = Word(b, at + 2);
    f.kind = Word(b, at + 4) & 15;
    f.name = NameAt(b, at + 6, 15);
    f.last_bytes = Word(b, at + 22);
    f.date = Word(b, at + 24);
    if (f.name.empty() || f.next <= f.first || f.last_bytes < 0 || f.last_bytes > kBlock) {
      d.findings.push_back({"malformed-entry", "",
                            "entry " + std::to_string(k) + " is no entry the p-System writes"});
      continue;
    }
    if (f.first < end) {
      d.findings.push_back({"block-twice", f.name,
                            "its blocks from " + std::to_string(f.first) +
                                " lie under the file or directory before it"});
    }
    if (f.next > d.blocks) {
      d.findings.push_back({"block-outside", f.name,
                            "block " + std::to_string(f.next - 1) + " is past the volume's " +
                                std::to_string(d.blocks)});
    }
    end = std::max(end, f.next);
    d.files.push_back(f);
  }
}

}  // namespace

std::int64_t File::Size() const {
  return std::int64_t{next - first - 1} * kBlock + last_bytes;
}

std::string File::Kind() const {
  static const char* const kKinds[] = {"none", "bad",  "code", "text",  "info",
                                       "data", "graf", "foto", "secure"};
  return kind < static_cast<int>(std::size(kKinds)) ? kKinds[kind] : "kind " + std::to_string(kind);
}

bool ReadDirectory(const std::vector<std::uint8_t>& b, Directory& d) {
  d.volume = NameAt(b, 6, 7);
  d.directory_end = Word(b, 2);
  d.blocks = Word(b, 14);
  const int files = Word(b, 16);
  d.date = Word(b, 20);
  if (Word(b, 0) != 0 || Word(b, 4) != 0 || d.volume.empty() || d.directory_end < 6 ||
      d.directory_end > 10 || d.blocks <= d.directory_end || files < 0 || files > kMostFiles) {
    return false;
  }
  ReadFiles(b, files, d);
  return true;
}

std::string DateText(int date) {
  const int month = date & 15, day = date >> 4 & 31, year = date >> 9 & 127;
  if (month < 1 || month > 12 || day < 1) return "";
  char text[12];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", month, day, year % 100);
  return text;
}

}  // namespace trivane::psystem
