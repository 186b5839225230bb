#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <windowsx.h>

#include <algorithm>

#include "present/flux_view.h"
#include "win/sector_map.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneSectorMap";

RECT ToRect(const present::Box& box) {
  return {box.left, box.top, box.left + box.width, box.top + box.height};
}

COLORREF ToColorRef(present::Rgb c) {
  return RGB(c.r, c.g, c.b);
}

void Text(HDC dc, const std::string& text, RECT at, UINT format) {
  const std::wstring wide = Wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &at, format | DT_SINGLELINE);
}

}  // namespace

void SectorMap::Create(HWND parent, int id) {
  RegisterClassOnce(kClass, &ObjectProc<SectorMap>, GetSysColorBrush(COLOR_BTNFACE));
  CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                  this);
  dpi_ = DpiOf(hwnd_);
}

void SectorMap::SetDisk(const disk::Disk* disk, int directory_cylinder, int reserved_cylinders) {
  disk_ = disk;
  picture_ = present::SectorPicture(disk);
  picture_.SetDirectoryCylinder(directory_cylinder);
  picture_.SetReservedCylinders(reserved_cylinders);
  hovered_ = -1;
  Fit();
}

// Two lines under the picture: the legend, and the totals or the cell hovered.
int SectorMap::legend_height() const {
  return Scaled(40, dpi_);
}

void SectorMap::Fit() {
  RECT client;
  GetClientRect(hwnd_, &client);
  picture_.Fit(client.right, client.bottom - legend_height());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT SectorMap::CellOf(int index) const {
  return ToRect(picture_.CellOf(index));
}

void SectorMap::PaintLegend(HDC dc, const RECT& client) {
  const int line = legend_height() / 2, swatch = Scaled(12, dpi_);
  int x = Scaled(4, dpi_);
  const int y = client.bottom - legend_height();
  for (const present::SectorState state : present::kSectorStates) {
    const RECT box{x, y + (line - swatch) / 2, x + swatch, y + (line + swatch) / 2};
    HBRUSH brush = CreateSolidBrush(ToColorRef(present::ColourOf(state)));
    FillRect(dc, &box, brush);
    DeleteObject(brush);
    const std::wstring text = Wide(present::LegendText(*disk_, state));
    SIZE size;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    Text(dc, present::LegendText(*disk_, state), {x + swatch + 4, y, client.right, y + line},
         DT_LEFT | DT_VCENTER);
    x += swatch + 4 + size.cx + Scaled(12, dpi_);
  }
  if (const std::string some = present::RevolutionsLegend(*disk_); !some.empty()) {
    const RECT box{x, y + (line - swatch) / 2, x + swatch, y + (line + swatch) / 2};
    HBRUSH brush = CreateSolidBrush(ToColorRef(present::kRevolutionsMarkColour));
    FillRect(dc, &box, brush);
    DeleteObject(brush);
    Text(dc, some, {x + swatch + 4, y, client.right, y + line}, DT_LEFT | DT_VCENTER);
  }
  std::string bottom = present::TotalLine(*disk_);
  if (hovered_ >= 0) {
    bottom = present::SectorTip(disk_->sectors[static_cast<std::size_t>(hovered_)]);
    if (const std::string note = present::RevolutionsNote(*disk_, hovered_); !note.empty())
      bottom += ", " + note;
  }
  Text(dc, bottom, {Scaled(4, dpi_), y + line, client.right, client.bottom}, DT_LEFT | DT_VCENTER);
}

void SectorMap::Paint(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (disk_ == nullptr) return;
  SelectObject(dc, WindowFont(false, dpi_));
  SetBkMode(dc, TRANSPARENT);
  for (int h = 0; h < picture_.heads(); ++h)
    Text(dc, "head " + std::to_string(h), ToRect(picture_.HeadLabel(h)), DT_LEFT | DT_TOP);
  for (int row = 0; row < picture_.rows(); ++row) {
    RECT line = ToRect(picture_.RowLabel(row));
    InflateRect(&line, 0, 4);
    Text(dc, picture_.RowText(row, Scaled(11, dpi_)), line, DT_RIGHT | DT_VCENTER);
    if (row == picture_.directory()) {
      const RECT frame = ToRect(picture_.DirectoryFrame());
      FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
  }
  for (std::size_t i = 0; i < disk_->sectors.size(); ++i) {
    const RECT cell = CellOf(static_cast<int>(i));
    HBRUSH brush =
        CreateSolidBrush(ToColorRef(present::ColourOf(present::StateOf(disk_->sectors[i]))));
    FillRect(dc, &cell, brush);
    DeleteObject(brush);
    if (present::GoodOnSomeRevolutions(*disk_, static_cast<int>(i))) {
      const RECT mark = ToRect(present::RevolutionsMark(picture_.CellOf(static_cast<int>(i))));
      HBRUSH dark = CreateSolidBrush(ToColorRef(present::kRevolutionsMarkColour));
      FillRect(dc, &mark, dark);
      DeleteObject(dark);
    }
  }
  PaintLegend(dc, client);
}

LRESULT SectorMap::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      RECT client;
      GetClientRect(hwnd_, &client);
      // Drawn off screen first, so that a repaint does not flicker.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      HGDIOBJ old = SelectObject(memory, bitmap);
      Paint(memory, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Fit();
      return 0;
    case WM_MOUSEMOVE: {
      const int at = picture_.SectorAt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
      if (at != hovered_) {
        hovered_ = at;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const int at = picture_.SectorAt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
      if (at >= 0 && on_click) on_click(at);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace trivane::win
