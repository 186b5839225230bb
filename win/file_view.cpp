#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "dos/host_files.h"
#include "win/file_lists.h"
#include "win/file_view.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneFileView";

}  // namespace

FileView::FileView(const std::string& title, dos::FileBytes bytes, HWND owner)
    : bytes_(std::move(bytes)) {
  RegisterObjectClass<FileView>(kClass, GetSysColorBrush(COLOR_BTNFACE));
  const int dpi = DpiOf(owner);
  CreateWindowExW(0, kClass, Wide(title + " - Trivane").c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                  CW_USEDEFAULT, Scaled(720, dpi), Scaled(560, dpi), owner, nullptr,
                  GetModuleHandleW(nullptr), this);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND kind = AddControl(hwnd_, WC_COMBOBOXW, L"", WS_TABSTOP | CBS_DROPDOWNLIST,
                         {0, 0, 10, Scaled(160, dpi)}, kKind, font);
  for (const wchar_t* name : {L"auto", L"basic", L"text", L"cmd", L"asm", L"hex"})
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendMessageW(kind, CB_SETCURSEL, 0, 0);
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kWhy, font);
  HWND find = AddControl(hwnd_, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {}, kFind, font,
                         WS_EX_CLIENTEDGE);
  SendMessageW(find, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Find"));
  WatchKeys(find, [this](UINT) { Find(Narrow(TextOf(GetDlgItem(hwnd_, kFind)))); });
  AddControl(hwnd_, WC_EDITW, L"",
             WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                 ES_AUTOVSCROLL | ES_NOHIDESEL,
             {}, kText, FixedFont(dpi), WS_EX_CLIENTEDGE);
  Show(views::ViewKind::kAuto);
  Layout();
  ShowWindow(hwnd_, SW_SHOW);
}

void FileView::Show(views::ViewKind kind) {
  std::string damage;
  for (const std::string& line : dos::DamageLines(bytes_)) damage += "; " + line;
  const views::View chosen = views::MakeView(bytes_.bytes, kind, true);
  SetTextOf(GetDlgItem(hwnd_, kWhy),
            chosen.why + (damage.empty() ? "" : "; damaged" + damage.substr(1)));
  const views::View v = views::MakeView(bytes_.bytes, chosen.kind);
  std::wstring text;
  for (const std::string& line : v.lines) {
    for (unsigned char c : line) text += static_cast<wchar_t>(c);  // the lines are Latin-1
    text += L"\r\n";
  }
  if (!v.note.empty()) text += L"-- " + Wide(v.note) + L"\r\n";
  SetWindowTextW(GetDlgItem(hwnd_, kText), text.c_str());
}

bool FileView::Find(const std::string& text) {
  HWND edit = GetDlgItem(hwnd_, kText);
  const std::wstring all = TextOf(edit), wanted = Wide(text);
  if (wanted.empty()) return false;
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  auto at = all.find(wanted, end > start ? start + 1 : start);
  if (at == std::wstring::npos) at = all.find(wanted);
  if (at == std::wstring::npos) return false;
  SendMessageW(edit, EM_SETSEL, at, at + wanted.size());
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  return true;
}

void FileView::Layout() {
  RECT c;
  GetClientRect(hwnd_, &c);
  const int dpi = DpiOf(hwnd_), m = Scaled(6, dpi), line = Scaled(24, dpi);
  const int kind = Scaled(80, dpi), find = Scaled(160, dpi);
  MoveWindow(GetDlgItem(hwnd_, kKind), m, m, kind, Scaled(160, dpi), TRUE);
  MoveWindow(GetDlgItem(hwnd_, kWhy), 2 * m + kind, m + 4, c.right - find - kind - 4 * m, line - 4,
             TRUE);
  MoveWindow(GetDlgItem(hwnd_, kFind), c.right - find - m, m, find, line, TRUE);
  MoveWindow(GetDlgItem(hwnd_, kText), m, 2 * m + line, c.right - 2 * m, c.bottom - 3 * m - line,
             TRUE);
}

LRESULT FileView::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kKind && HIWORD(w) == CBN_SELCHANGE)
        Show(static_cast<views::ViewKind>(
            SendMessageW(GetDlgItem(hwnd_, kKind), CB_GETCURSEL, 0, 0)));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(l) == GetDlgItem(hwnd_, kText)) break;
      SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_NCDESTROY: {
      const LRESULT done = DefWindowProcW(hwnd_, message, w, l);
      delete this;
      return done;
    }
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace trivane::win
