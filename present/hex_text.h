// The hex view's texts and searches, the same in every front end: its rows,
// go-to and find over any source of bytes, and what the status line says of
// each ("at 0x1A0", "offset past the end (size 512, 0x200)", "match 3 of 17
// at 0x6EA3", "not found"). Offsets are bytes from the start of what is
// shown; a selection is [start, end).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fs/filesystem.h"

namespace trivane::present {

using ByteSource = std::function<std::uint8_t(std::int64_t)>;

struct Shown {
  ByteSource byte;
  std::int64_t size = 0;
};

// The row's text: "00000010  4a 4b ... 59  |JK...Y|".
std::string HexRowText(const Shown& shown, std::int64_t row);
std::int64_t HexRows(const Shown& shown);
// The character columns where byte k of a row starts, in hex and as text.
int HexColumnOf(int k);
int TextColumnOf(int k);
// The byte under a character column of a row, or -1.
std::int64_t ByteAtColumn(const Shown& shown, std::int64_t row, int column);

// What go-to makes of the text: the offset, or the status line's complaint.
struct GoToResult {
  std::optional<std::int64_t> offset;
  std::string status;
};
GoToResult GoTo(const Shown& shown, const std::string& text);

// The bytes to find: the text itself, or with hex the pairs of hex digits
// ("fe 11"); empty with the complaint in status when they are not.
struct Needle {
  std::vector<std::uint8_t> bytes;
  std::string status;
};
Needle NeedleOf(const std::string& text, bool hex);

struct Selection {
  std::int64_t start = 0, end = 0;
};
// The next match after (or the last before) the selection; none when there
// is none.
std::optional<std::int64_t> FindNext(const Shown& shown, const std::vector<std::uint8_t>& bytes,
                                     Selection selection, bool forward);
// "match 3 of 17 at 0x6EA3" for the match selected.
std::string MatchStatus(const Shown& shown, const std::vector<std::uint8_t>& bytes,
                        Selection selection);

// The selected bytes as "fe 11 00" and as text.
std::string SelectedHex(const Shown& shown, Selection selection);
std::string SelectedText(const Shown& shown, Selection selection);

// What the hex tab shows, over its bytes.
std::string ImageTitle(std::int64_t size);
std::string FileTitle(const filesystems::Entry& file, const filesystems::FileBytes& read);

}  // namespace trivane::present
