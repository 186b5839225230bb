// A file's bytes as its owner would read them: a BASIC listing, text, a
// load module's map or its disassembly, or hex; chosen by what the bytes
// are when not asked for, with the reason.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trivane::views {

enum class ViewKind { kAuto, kBasic, kText, kCmd, kAsm, kHex, kCom };

struct View {
  ViewKind kind = ViewKind::kHex;
  std::string why;  // why this view was chosen, or that it was asked for
  std::vector<std::string> lines;
  std::string note;  // what stopped a listing early ("line 40 has no end")
};

// Without lines, only the choice (for a front end that draws hex itself).
// The name as listed tells a CP/M program (NAME.COM), whose bytes alone do
// not: its code run from 0100 (com).
View MakeView(const std::vector<std::uint8_t>& bytes, ViewKind asked, bool choice_only = false,
              std::string_view name = {});

// The word each kind is asked for by, in the order of ViewKind: the tools'
// --as, the windows' selector, the catalogue's kind of a file.
inline constexpr std::array<const char*, 7> kViewNames = {"auto", "basic", "text", "cmd",
                                                          "asm",  "hex",   "com"};

// The kind's word, and back (false for none).
const char* ViewName(ViewKind kind);
bool ViewByName(const std::string& name, ViewKind& kind);
// The words joined by the separator, the last two by `last`.
std::string ViewWords(std::string_view separator, std::string_view last);

// Text as lines: CR, CR LF and LF end lines; a TAB moves on to the next
// eighth column, as CP/M's console and the TRS-80's screen put it; other
// control codes and bytes above 7E as \xNN; nothing dropped but a run of
// ^Z to the end (how CP/M fills out a text file's last record), where the
// text ends.
std::vector<std::string> TextLines(const std::vector<std::uint8_t>& bytes);

}  // namespace trivane::views
