#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <windowsx.h>

#include <algorithm>

#include "formats/text.h"
#include "present/texts.h"
#include "win/hex_view.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneHexView";
constexpr int kMargin = 4;
constexpr COLORREF kDamaged = RGB(0xF4, 0xB0, 0xB0);

}  // namespace

void CopyText(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

void HexView::Create(HWND parent, int id) {
  RegisterClassOnce(kClass, &ObjectProc<HexView>, nullptr);
  CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP, 0,
                  0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                  GetModuleHandleW(nullptr), this);
  HDC dc = GetDC(hwnd_);
  SelectObject(dc, FixedFont(DpiOf(hwnd_)));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(hwnd_, dc);
  line_height_ = metrics.tmHeight;
  char_width_ = metrics.tmAveCharWidth;
}

void HexView::SetSource(present::ByteSource source, std::int64_t size) {
  marks_.clear();
  shown_.byte = std::move(source);
  shown_.size = shown_.byte ? size : 0;
  start_ = end_ = anchor_ = 0;
  ScrollTo(0);
}

void HexView::SetMarks(std::vector<std::pair<std::int64_t, std::int64_t>> marks) {
  marks_ = std::move(marks);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool HexView::Marked(std::int64_t at) const {
  return std::any_of(marks_.begin(), marks_.end(),
                     [at](const auto& m) { return at >= m.first && at < m.second; });
}

int HexView::VisibleRows() const {
  RECT client;
  GetClientRect(hwnd_, &client);
  return std::max(1, static_cast<int>(client.bottom / line_height_));
}

void HexView::ScrollTo(std::int64_t row) {
  const std::int64_t rows = present::HexRows(shown_);
  top_ = std::clamp<std::int64_t>(row, 0, std::max<std::int64_t>(0, rows - VisibleRows()));
  SCROLLINFO info{sizeof info,
                  SIF_ALL | SIF_DISABLENOSCROLL,
                  0,
                  static_cast<int>(std::max<std::int64_t>(0, rows - 1)),
                  static_cast<UINT>(VisibleRows()),
                  static_cast<int>(top_),
                  0};
  SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void HexView::Scroll(int code) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd_, SB_VERT, &info);
  const int page = VisibleRows();
  switch (code) {
    case SB_LINEUP:
      return ScrollTo(top_ - 1);
    case SB_LINEDOWN:
      return ScrollTo(top_ + 1);
    case SB_PAGEUP:
      return ScrollTo(top_ - page);
    case SB_PAGEDOWN:
      return ScrollTo(top_ + page);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return ScrollTo(info.nTrackPos);
    case SB_TOP:
      return ScrollTo(0);
    case SB_BOTTOM:
      return ScrollTo(present::HexRows(shown_));
  }
}

void HexView::Select(std::int64_t from, std::int64_t to) {
  start_ = std::clamp<std::int64_t>(from, 0, shown_.size);
  end_ = std::clamp<std::int64_t>(to, start_, shown_.size);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool HexView::GoTo(std::int64_t offset) {
  if (offset < 0 || offset >= shown_.size) return false;
  ScrollTo(offset / kHexRowBytes);
  anchor_ = offset;
  Select(offset, offset + 1);
  return true;
}

std::int64_t HexView::ByteAt(int x, int y) const {
  const std::int64_t row = top_ + y / line_height_;
  return present::ByteAtColumn(shown_, row, (x - kMargin) / std::max(1, char_width_));
}

void HexView::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  HBRUSH back = GetSysColorBrush(COLOR_WINDOW);
  FillRect(dc, &client, back);
  SelectObject(dc, FixedFont(DpiOf(hwnd_)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const std::int64_t rows = present::HexRows(shown_);
  HBRUSH selected = CreateSolidBrush(RGB(0xB8, 0xD8, 0xFF));
  HBRUSH damaged = CreateSolidBrush(kDamaged);
  for (std::int64_t r = top_; r < std::min(rows, top_ + VisibleRows() + 1); ++r) {
    const int y = static_cast<int>(r - top_) * line_height_;
    for (int k = 0; k < kHexRowBytes; ++k) {
      const std::int64_t at = r * kHexRowBytes + k;
      const bool in_selection = at >= start_ && at < end_;
      if (!in_selection && (marks_.empty() || !Marked(at))) continue;
      for (const auto& [column, width] :
           {std::pair{present::HexColumnOf(k), 2}, {present::TextColumnOf(k), 1}}) {
        const RECT cell{kMargin + column * char_width_, y, kMargin + (column + width) * char_width_,
                        y + line_height_};
        FillRect(dc, &cell, in_selection ? selected : damaged);
      }
    }
    const std::wstring text = Wide(present::HexRowText(shown_, r));
    TextOutW(dc, kMargin, y, text.c_str(), static_cast<int>(text.size()));
  }
  DeleteObject(selected);
  DeleteObject(damaged);
}

void HexView::Copy(bool hex) const {
  const std::string text =
      hex ? present::SelectedHex(shown_, selection()) : present::SelectedText(shown_, selection());
  std::wstring wide;
  for (unsigned char c : text) wide += static_cast<wchar_t>(c);  // the bytes as Latin-1
  CopyText(hwnd_, wide);
}

// A press selects the byte under it; a move with the button down extends
// the selection from there.
void HexView::Mouse(UINT message, WPARAM w, LPARAM l) {
  const std::int64_t at = ByteAt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
  if (message == WM_LBUTTONDOWN) {
    SetFocus(hwnd_);
    if (at >= 0) {
      anchor_ = at;
      Select(at, at + 1);
    }
  } else if (at >= 0 && (w & MK_LBUTTON) != 0) {
    Select(std::min(anchor_, at), std::max(anchor_, at) + 1);
  }
}

LRESULT HexView::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;  // the arrows scroll; Tab still moves on
    case WM_SIZE:
      ScrollTo(top_);
      return 0;
    case WM_VSCROLL:
      Scroll(LOWORD(w));
      return 0;
    case WM_MOUSEWHEEL:
      ScrollTo(top_ - GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA * 3);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
      Mouse(message, w, l);
      return 0;
    case WM_KEYDOWN:
      if (w == 'C' && GetKeyState(VK_CONTROL) < 0) Copy(true);
      if (w == VK_NEXT) Scroll(SB_PAGEDOWN);
      if (w == VK_PRIOR) Scroll(SB_PAGEUP);
      if (w == VK_DOWN) Scroll(SB_LINEDOWN);
      if (w == VK_UP) Scroll(SB_LINEUP);
      return 0;
    case WM_CONTEXTMENU: {
      HMENU menu = CreatePopupMenu();
      AppendMenuW(menu, MF_STRING, 1, Wide(present::kCopyAsHex).c_str());
      AppendMenuW(menu, MF_STRING, 2, Wide(present::kCopyAsText).c_str());
      const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, GET_X_LPARAM(l),
                                        GET_Y_LPARAM(l), 0, hwnd_, nullptr);
      DestroyMenu(menu);
      if (chosen != 0) Copy(chosen == 1);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace trivane::win
