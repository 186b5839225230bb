// The hex view on Windows: a window of its own class that draws the rows
// in view (offset, 16 bytes in hex, the same as text) in a fixed-width font,
// so that 64 MiB scroll as smoothly as a sector. Bytes are selected with the
// mouse, copied as hex with Ctrl+C (or as text from its menu), found, and
// gone to; bytes not read as written are shown in a warning colour.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <cstdint>
#include <utility>
#include <vector>

#include "present/hex_text.h"

namespace trivane::win {

class HexView {
 public:
  void Create(HWND parent, int id);
  HWND hwnd() const { return hwnd_; }
  void SetSource(present::ByteSource source, std::int64_t size);
  void SetMarks(std::vector<std::pair<std::int64_t, std::int64_t>> marks);
  const present::Shown& shown() const { return shown_; }
  present::Selection selection() const { return {start_, end_}; }
  std::int64_t top_row() const { return top_; }
  // Scrolls to the byte and selects it; false past the end.
  bool GoTo(std::int64_t offset);
  // Selects the bytes from the offset, scrolled into view.
  void Select(std::int64_t from, std::int64_t to);
  // The byte under a point of the window, or -1.
  std::int64_t ByteAt(int x, int y) const;
  int line_height() const { return line_height_; }

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void Paint(HDC dc);
  int VisibleRows() const;
  void ScrollTo(std::int64_t row);
  void Scroll(int code);
  void Copy(bool hex) const;
  void Mouse(UINT message, WPARAM w, LPARAM l);
  bool Marked(std::int64_t at) const;

  present::Shown shown_;
  std::int64_t start_ = 0, end_ = 0, anchor_ = 0, top_ = 0;
  std::vector<std::pair<std::int64_t, std::int64_t>> marks_;
  int line_height_ = 16, char_width_ = 8;
};

// Puts the text on the clipboard.
void CopyText(HWND owner, const std::wstring& text);

}  // namespace trivane::win
