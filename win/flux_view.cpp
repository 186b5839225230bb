#include "win/flux_view.h"
// (win_util.h, through it, first: it sets up windows.h.)
#include <commctrl.h>

#include <algorithm>

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneFluxHistogram";

}  // namespace

void FluxPage::Create(HWND parent, int first, HFONT font) {
  parent_ = parent;
  first_ = first;
  dpi_ = DpiOf(parent);
  for (const Part list : {kTrack, kRevolution})
    AddControl(parent, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
               {0, 0, 10, Scaled(300, dpi_)}, first + list, font);
  RegisterClassOnce(kClass, &ObjectProc<FluxPage>, GetSysColorBrush(COLOR_WINDOW));
  CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", WS_CHILD, 0, 0, 10, 10, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(first + kHistogram)),
                  GetModuleHandleW(nullptr), this);
  AddControl(parent, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, first + kCaption, font);
}

void FluxPage::SetDisk(const disk::Disk& disk) {
  view_ = present::FluxView(disk);
  HWND tracks = control(kTrack);
  SendMessageW(tracks, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : view_.TrackNames())
    SendMessageW(tracks, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  SendMessageW(tracks, CB_SETCURSEL, 0, 0);
  ShowTrack(0);
}

void FluxPage::ShowTrack(int track) {
  HWND revolutions = control(kRevolution);
  SendMessageW(revolutions, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : view_.RevolutionNames(track))
    SendMessageW(revolutions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  SendMessageW(revolutions, CB_SETCURSEL, 0, 0);
  Show();
}

void FluxPage::Show() {
  track_ = static_cast<int>(SendMessageW(control(kTrack), CB_GETCURSEL, 0, 0));
  revolution_ = static_cast<int>(SendMessageW(control(kRevolution), CB_GETCURSEL, 0, 0));
  SetTextOf(control(kCaption), view_.Caption(track_, revolution_));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool FluxPage::Command(int id, int code) {
  if (id != first_ + kTrack && id != first_ + kRevolution) return false;
  if (code != CBN_SELCHANGE) return true;
  if (id == first_ + kTrack)
    ShowTrack(static_cast<int>(SendMessageW(control(kTrack), CB_GETCURSEL, 0, 0)));
  else
    Show();
  return true;
}

void FluxPage::Layout(RECT p) {
  const int line = Scaled(24, dpi_), gap = Scaled(6, dpi_), list = Scaled(170, dpi_);
  Place(parent_, first_ + kTrack, p.left, p.top, list, Scaled(300, dpi_));
  Place(parent_, first_ + kRevolution, p.left + list + gap, p.top, list, Scaled(300, dpi_));
  const int top = p.top + line + gap;
  Place(parent_, first_ + kHistogram, p.left, top, p.right - p.left, p.bottom - top - line);
  Place(parent_, first_ + kCaption, p.left, p.bottom - line + 4, p.right - p.left, line - 4);
}

void FluxPage::Paint(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  SelectObject(dc, WindowFont(false, dpi_));
  SetBkMode(dc, TRANSPARENT);
  HBRUSH bar = CreateSolidBrush(RGB(0x2E, 0x8B, 0x57));
  for (const present::Box& b : view_.Bars(track_, revolution_, client.right, client.bottom)) {
    const RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
    FillRect(dc, &r, bar);
  }
  DeleteObject(bar);
  for (const auto& [b, label] : view_.Axis(client.right, client.bottom)) {
    const RECT tick{b.left, b.top, b.left + 1, b.top + 4};
    FillRect(dc, &tick, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (label.empty()) continue;
    const std::wstring text = Wide(label);
    RECT at{b.left + 2, b.top, b.left + Scaled(60, dpi_), b.top + b.height};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at,
              DT_LEFT | DT_BOTTOM | DT_SINGLELINE);
  }
}

LRESULT FluxPage::Handle(UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    RECT client;
    GetClientRect(hwnd_, &client);
    Paint(dc, client);
    EndPaint(hwnd_, &paint);
    return 0;
  }
  if (message == WM_SIZE) InvalidateRect(hwnd_, nullptr, TRUE);
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace trivane::win
