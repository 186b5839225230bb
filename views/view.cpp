#include "views/view.h"

#include <cctype>
#include <cstdio>

#include "formats/text.h"
#include "views/basic.h"
#include "views/load_module.h"

namespace trivane::views {
namespace {

std::vector<std::string> HexLines(const std::vector<std::uint8_t>& b) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < b.size(); at += kHexRowBytes) {
    const int count = static_cast<int>(std::min<std::size_t>(kHexRowBytes, b.size() - at));
    lines.push_back(HexRow(static_cast<Offset>(at), b.data() + at, count));
  }
  return lines;
}

// Where text ends: at a ^Z that only ^Z follows (CP/M fills out a text
// file's last record so), else at the end.
std::size_t TextEnd(const std::vector<std::uint8_t>& b) {
  std::size_t end = b.size();
  while (end > 0 && b[end - 1] == 0x1A) --end;
  return end;
}

int PrintablePercent(const std::vector<std::uint8_t>& b) {
  std::size_t printable = 0;
  const std::size_t end = TextEnd(b);
  for (std::size_t k = 0; k < end; ++k) {
    const std::uint8_t c = b[k];
    printable += (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t';
  }
  return end == 0 ? 0 : static_cast<int>(printable * 100 / end);
}

// A CP/M program's name as listed: NAME.COM, in any user area.
bool ComName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string end(name.substr(name.size() - 4));
  for (char& c : end) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return end == ".COM";
}

// The view the bytes are, and why.
ViewKind Choose(const std::vector<std::uint8_t>& b, std::string_view name, std::string& why) {
  const BasicListing basic = ListBasic(b);
  if (basic.damage.empty() && !basic.lines.empty()) {
    why = std::string(basic.model4 ? "Model 4" : "Model I/III") + " BASIC: a chain of " +
          std::to_string(basic.lines.size()) + " lines that ends in its end mark";
    return ViewKind::kBasic;
  }
  const LoadModule m = ReadLoadModule(b);
  if (m.damage.empty() && m.transfer >= 0 && !m.blocks.empty()) {
    char t[16];
    std::snprintf(t, sizeof t, "%04X", m.transfer & 0xFFFF);
    why = "load module: " + std::to_string(m.blocks.size()) + " blocks and a transfer to " + t;
    return ViewKind::kCmd;
  }
  const int printable = PrintablePercent(b);
  if (printable >= 95) {
    why = "text: " + std::to_string(printable) + "% of the bytes are printable";
    return ViewKind::kText;
  }
  if (ComName(name) && !b.empty()) {
    why = "com: a CP/M program, its Z80 code run from 0100";
    return ViewKind::kCom;
  }
  why = "hex: not a BASIC program, a load module or text";
  return ViewKind::kHex;
}

}  // namespace

const char* ViewName(ViewKind kind) {
  return kViewNames[static_cast<std::size_t>(kind)];
}

bool ViewByName(const std::string& name, ViewKind& kind) {
  for (std::size_t k = 0; k < kViewNames.size(); ++k) {
    if (name != kViewNames[k]) continue;
    kind = static_cast<ViewKind>(k);
    return true;
  }
  return false;
}

std::string ViewWords(std::string_view separator, std::string_view last) {
  return JoinedWords({kViewNames.begin(), kViewNames.end()}, separator, last);
}

std::vector<std::string> TextLines(const std::vector<std::uint8_t>& b) {
  std::vector<std::string> lines(1);
  const std::size_t end = TextEnd(b);
  for (std::size_t k = 0; k < end; ++k) {
    const std::uint8_t c = b[k];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && k + 1 < end && b[k + 1] == '\n') ++k;
      lines.emplace_back();
    } else if (c == '\t') {
      lines.back().append(8 - lines.back().size() % 8, ' ');
    } else if (c >= 0x20 && c < 0x7F && c != '\\') {
      lines.back() += static_cast<char>(c);
    } else {
      char t[8];
      std::snprintf(t, sizeof t, "\\x%02X", c);
      lines.back() += t;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

View MakeView(const std::vector<std::uint8_t>& b, ViewKind asked, bool choice_only,
              std::string_view name) {
  View v;
  v.kind = asked == ViewKind::kAuto ? Choose(b, name, v.why) : asked;
  if (asked != ViewKind::kAuto) v.why = std::string(ViewName(asked)) + ": as asked";
  if (choice_only) return v;
  if (v.kind == ViewKind::kBasic) {
    BasicListing l = ListBasic(b);
    v.lines = std::move(l.lines);
    v.note = l.damage;
  } else if (v.kind == ViewKind::kText) {
    v.lines = TextLines(b);
  } else if (v.kind == ViewKind::kCmd || v.kind == ViewKind::kAsm) {
    const LoadModule m = ReadLoadModule(b);
    v.lines = v.kind == ViewKind::kCmd ? LoadMap(m) : Disassembly(m, b);
    v.note = m.damage;
  } else if (v.kind == ViewKind::kCom) {
    v.lines = Disassembly(ComImage(b), b);
  } else {
    v.lines = HexLines(b);
  }
  return v;
}

}  // namespace trivane::views
