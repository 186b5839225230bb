#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwctype>

#include "present/file_view.h"
#include "present/texts.h"
#include "win/file_lists.h"
#include "win/file_view.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneFileView";

}  // namespace

FileView::FileView(const std::string& title, filesystems::FileBytes bytes, HWND owner)
    : bytes_(std::move(bytes)), name_(title) {
  RegisterObjectClass<FileView>(kClass, GetSysColorBrush(COLOR_BTNFACE));
  const int dpi = DpiOf(owner);
  CreateWindowExW(0, kClass, Wide(title + " - Trivane").c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                  CW_USEDEFAULT, Scaled(720, dpi), Scaled(560, dpi), owner, nullptr,
                  GetModuleHandleW(nullptr), this);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND kind = AddControl(hwnd_, WC_COMBOBOXW, L"", WS_TABSTOP | CBS_DROPDOWNLIST,
                         {0, 0, 10, Scaled(160, dpi)}, kKind, font);
  for (const char* name : views::kViewNames)
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  SendMessageW(kind, CB_SETCURSEL, 0, 0);
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kWhy, font);
  HWND find = AddControl(hwnd_, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {}, kFind, font,
                         WS_EX_CLIENTEDGE);
  const std::wstring cue = Wide(present::kFind);
  SendMessageW(find, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
  WatchKeys(find, [this](UINT) { Find(Narrow(TextOf(GetDlgItem(hwnd_, kFind)))); });
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kSaveAsTextButton), WS_TABSTOP, {}, kSave, font);
  AddControl(hwnd_, WC_EDITW, L"",
             WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                 ES_AUTOVSCROLL | ES_NOHIDESEL,
             {}, kText, FixedFont(dpi), WS_EX_CLIENTEDGE);
  hex_.Create(hwnd_, kHex);
  hex_.SetSource([this](std::int64_t at) { return bytes_.bytes[static_cast<std::size_t>(at)]; },
                 static_cast<std::int64_t>(bytes_.bytes.size()));
  std::vector<std::pair<std::int64_t, std::int64_t>> marks;
  for (const filesystems::Damaged& d : bytes_.unreadable)
    marks.emplace_back(d.offset, d.offset + d.length);
  hex_.SetMarks(std::move(marks));
  Show(views::ViewKind::kAuto);
  Layout();
  ShowWindow(hwnd_, SW_SHOW);
}

void FileView::Show(views::ViewKind kind) {
  const present::ShownView shown = present::ViewOf(bytes_, kind, name_);
  SetTextOf(GetDlgItem(hwnd_, kWhy), shown.why);
  const bool hex = shown.kind == views::ViewKind::kHex;
  SetWindowTextW(GetDlgItem(hwnd_, kText), hex ? L"" : WithCrLf(Wide(shown.text)).c_str());
  ShowWindow(GetDlgItem(hwnd_, kText), hex ? SW_HIDE : SW_SHOW);
  ShowWindow(hex_.hwnd(), hex ? SW_SHOW : SW_HIDE);
}

void FileView::SaveText() {
  wchar_t file[MAX_PATH] = {};
  const std::wstring title = TextOf(hwnd_) + L".txt";
  title.copy(file, MAX_PATH - 1);
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = hwnd_;
  save.lpstrFile = file;
  save.nMaxFile = MAX_PATH;
  const std::wstring dialog_title = Wide(present::kSaveAsTextTitle);
  save.lpstrTitle = dialog_title.c_str();
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&save)) return;
  const auto kind =
      static_cast<views::ViewKind>(SendMessageW(GetDlgItem(hwnd_, kKind), CB_GETCURSEL, 0, 0));
  const std::string failed =
      present::SaveViewText(bytes_, kind, name_, std::filesystem::path(file));
  SetTextOf(GetDlgItem(hwnd_, kWhy),
            failed.empty() ? present::kSavedAs + Narrow(file) : "Not saved: " + failed);
}

bool FileView::Find(const std::string& text) {
  if (IsWindowVisible(hex_.hwnd())) {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const auto at = present::FindNext(hex_.shown(), bytes, hex_.selection(), true);
    if (!at) return false;
    hex_.GoTo(*at);
    hex_.Select(*at, *at + static_cast<std::int64_t>(bytes.size()));
    return true;
  }
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
  const int kind = Scaled(80, dpi), find = Scaled(160, dpi), save = Scaled(100, dpi);
  MoveWindow(GetDlgItem(hwnd_, kKind), m, m, kind, Scaled(160, dpi), TRUE);
  MoveWindow(GetDlgItem(hwnd_, kWhy), 2 * m + kind, m + 4, c.right - find - save - kind - 5 * m,
             line - 4, TRUE);
  MoveWindow(GetDlgItem(hwnd_, kFind), c.right - find - save - 2 * m, m, find, line, TRUE);
  MoveWindow(GetDlgItem(hwnd_, kSave), c.right - save - m, m, save, line, TRUE);
  for (HWND page : {GetDlgItem(hwnd_, kText), hex_.hwnd()})
    MoveWindow(page, m, 2 * m + line, c.right - 2 * m, c.bottom - 3 * m - line, TRUE);
}

LRESULT FileView::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kSave && HIWORD(w) == BN_CLICKED) SaveText();
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
