// The contents window's controls, their layout on each tab and its messages.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>
#include <shellapi.h>

#include "disk/container.h"
#include "loader/image_file.h"
#include "ops/filesystems.h"
#include "ops/open.h"
#include "present/contents.h"
#include "present/texts.h"
#include "win/contents_window.h"
#include "win/file_lists.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneContents";

// Which tab each control is on.
int TabOf(int id) {
  using C = ContentsWindow;
  if (id >= C::kSummary && id <= C::kFindings) return C::kFiles;
  if (id == C::kPicture) return C::kSectors;
  if (id >= C::kFluxFirst) return C::kFlux;
  return C::kHex;
}

}  // namespace

ContentsWindow::ContentsWindow(const std::string& path, const std::filesystem::path& file,
                               HWND owner)
    : path_(path), file_(file) {
  RegisterObjectClass<ContentsWindow>(kClass, GetSysColorBrush(COLOR_BTNFACE));
  const std::string name = Utf8Of(std::filesystem::path(Wide(path)).filename());
  dpi_ = DpiOf(owner);
  CreateWindowExW(0, kClass, Wide(present::ContentsTitle(name)).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                  Scaled(760, dpi_), Scaled(560, dpi_), owner, nullptr, GetModuleHandleW(nullptr),
                  this);
  BuildControls();
  Load();
  Layout();
}

void ContentsWindow::BuildControls() {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND tabs = AddControl(hwnd_, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, {}, kTabs, font);
  AddControl(hwnd_, WC_COMBOBOXW, L"", WS_TABSTOP | CBS_DROPDOWNLIST, {0, 0, 10, Scaled(200, dpi_)},
             kDrives, font);
  for (const char* tab : present::kTabs) {
    std::wstring name = Wide(tab);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = name.data();
    TabCtrl_InsertItem(tabs, TabCtrl_GetItemCount(tabs), &item);
  }
  BuildFiles(font);
  map_.Create(hwnd_, kPicture);
  map_.on_click = [this](int index) { ShowSector(index); };
  BuildHex(font);
  flux_.Create(hwnd_, kFluxFirst, font);
  for (int id = kSummary; id < kLast; ++id)
    SetWindowPos(control(static_cast<Control>(id)), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowTab(kFiles);
}

void ContentsWindow::BuildFiles(HFONT font) {
  HWND summary =
      AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOTIFY, {}, kSummary, font);
  // Why the DOS is what it is, on hover.
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX, 0, 0,
                             0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(summary);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, Scaled(600, dpi_));
  HWND list = AddControl(hwnd_, WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, {}, kList,
                         font, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kShowDeleted), WS_TABSTOP | BS_AUTOCHECKBOX, {},
             kShowDeleted, font);
  AddControl(hwnd_, WC_STATICW, L"", SS_RIGHT, {}, kExtracted, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kExtractButton), WS_TABSTOP, {}, kExtract, font);
  AddControl(hwnd_, WC_STATICW, L"", SS_RIGHT, {}, kSaved, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kSaveAsButton), WS_TABSTOP, {}, kSaveAs, font);
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kChanged, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kAddFilesButton), WS_TABSTOP, {}, kAddFiles, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kUndoButton), WS_TABSTOP, {}, kUndo, font);
  AddControl(hwnd_, WC_LISTBOXW, L"", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, {}, kFindings,
             font, WS_EX_CLIENTEDGE);
  DragAcceptFiles(hwnd_, TRUE);
}

void ContentsWindow::BuildHex(HFONT font) {
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kHexWhat, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kWholeFile), WS_TABSTOP, {}, kWholeFile, font);
  HWND offset = AddControl(hwnd_, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {}, kOffset, font,
                           WS_EX_CLIENTEDGE);
  SendMessageW(offset, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"go to offset (hex)"));
  HWND find = AddControl(hwnd_, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {}, kFind, font,
                         WS_EX_CLIENTEDGE);
  SendMessageW(find, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"find"));
  HWND mode = AddControl(hwnd_, WC_COMBOBOXW, L"", WS_TABSTOP | CBS_DROPDOWNLIST,
                         {0, 0, 10, Scaled(100, dpi_)}, kMode, font);
  SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Text"));
  SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Hex"));
  SendMessageW(mode, CB_SETCURSEL, 0, 0);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kPrevious), WS_TABSTOP, {}, kPrevious, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kNext), WS_TABSTOP, {}, kNext, font);
  hex_.Create(hwnd_, kHexView);
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kHexStatus, font);
  // Enter in the offset goes to it; in the find box it finds the next.
  WatchKeys(offset, [this](UINT) { GoToOffset(Narrow(TextOf(control(kOffset)))); });
  WatchKeys(find, [this](UINT) { Command(kNext, BN_CLICKED); });
}

// Reads the image file and shows it anew on every tab.
void ContentsWindow::Load() {
  ops::OpenedImage opened = ops::OpenImage(file_, ops::Purpose::kWindow);
  if (!opened.loaded) {
    error_ = ErrorPrompt(present::kCannotLoad + path_, opened.error);
    return;
  }
  present::DriveChoice choice = present::ChooseDrive(opened.disk, drive_);
  disk_ = std::move(choice.disk);
  fs_ = ops::FilesystemToChange(disk_);
  ShowDrives(choice);
  SetTextOf(control(kSummary), present::SummaryLine(disk_, *fs_));
  evidence_.clear();
  for (const std::string& e : fs_->Evidence())
    evidence_ += (evidence_.empty() ? L"" : L"\r\n") + Wide(e);
  HWND findings = control(kFindings);
  SendMessageW(findings, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : present::FindingsLines(disk_, *fs_))
    SendMessageW(findings, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
  SendMessageW(findings, LB_SETHORIZONTALEXTENT, Scaled(1600, dpi_), 0);
  SetColumns();
  FillFiles();
  EnableWindow(control(kExtract), fs_->Score() > 0);
  EnableWindow(control(kSaveAs), disk_.error.empty());
  const std::string why = WhyReadOnly();
  SetTextOf(control(kChanged), why.empty() ? changes_.text() : why);
  EnableWindow(control(kAddFiles), why.empty());
  EnableWindow(control(kUndo), changes_.can_undo());
  map_.SetDisk(&disk_, fs_->DirectoryCylinder(), fs_->ReservedCylinders());
  flux_.SetDisk(disk_);
  ShowFluxTab();
  ShowImage();
}

// The flux tab's item, there only while the disk is read from flux.
void ContentsWindow::ShowFluxTab() {
  HWND tabs = control(kTabs);
  const bool there = TabCtrl_GetItemCount(tabs) > kFlux;
  if (there == !flux_.empty()) return;
  if (there) {
    if (TabCtrl_GetCurSel(tabs) == kFlux) ShowTab(kFiles);
    TabCtrl_DeleteItem(tabs, kFlux);
    return;
  }
  std::wstring name = Wide(present::kFluxTab);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = name.data();
  TabCtrl_InsertItem(tabs, kFlux, &item);
}

// A hard disk's drives, one entry each, the one shown chosen; the list is
// shown only when there are drives.
void ContentsWindow::ShowDrives(const present::DriveChoice& choice) {
  HWND drives = control(kDrives);
  drive_numbers_ = choice.numbers;
  SendMessageW(drives, CB_RESETCONTENT, 0, 0);
  for (const std::string& label : choice.labels)
    SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(label).c_str()));
  SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(choice.shown), 0);
  ShowWindow(drives, choice.labels.empty() ? SW_HIDE : SW_SHOW);
  if (choice.shown >= 0) drive_ = choice.numbers[static_cast<std::size_t>(choice.shown)];
}

// The filesystem's columns, made anew only when they are other than shown.
void ContentsWindow::SetColumns() {
  const std::vector<std::string> headings = present::FileColumns(*fs_);
  if (headings == columns_) return;
  HWND list = control(kList);
  while (ListView_DeleteColumn(list, 0)) {
  }
  const int widths[] = {110, 70, 45, 60, 85, 300};
  for (std::size_t c = 0; c < headings.size(); ++c) {
    const std::wstring name = Wide(headings[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = Scaled(c < std::size(widths) ? widths[c] : 80, dpi_);
    column.pszText = const_cast<wchar_t*>(name.c_str());
    ListView_InsertColumn(list, static_cast<int>(c), &column);
  }
  columns_ = headings;
  sort_column_ = -1;
}

// The rows in the order of the column sorted by (directory order when none).
void ContentsWindow::FillFiles() {
  const bool deleted = SendMessageW(control(kShowDeleted), BM_GETCHECK, 0, 0) == BST_CHECKED;
  rows_ = present::FileRows(*fs_, deleted);
  if (sort_column_ >= 0) {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const filesystems::Entry& a, const filesystems::Entry& b) {
                       return sort_down_ ? present::FileBefore(*fs_, b, a, sort_column_)
                                         : present::FileBefore(*fs_, a, b, sort_column_);
                     });
  }
  HWND list = control(kList);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemCountEx(list, static_cast<int>(rows_.size()), 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ContentsWindow::ShowTab(int tab) {
  TabCtrl_SetCurSel(control(kTabs), tab);
  for (int id = kSummary; id < kLast; ++id)
    ShowWindow(control(static_cast<Control>(id)), TabOf(id) == tab ? SW_SHOW : SW_HIDE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ContentsWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int m = Scaled(6, dpi_);
  const int top = drive_numbers_.empty() ? m : m + Scaled(30, dpi_);
  Place(hwnd_, kDrives, m, m, Scaled(360, dpi_), Scaled(200, dpi_));
  MoveWindow(control(kTabs), m, top, client.right - 2 * m, client.bottom - top - m, TRUE);
  RECT page{m, top, client.right - m, client.bottom - m};
  TabCtrl_AdjustRect(control(kTabs), FALSE, &page);
  InflateRect(&page, -m / 2, -m / 2);
  LayoutFiles(page);
  Place(hwnd_, kPicture, page.left, page.top, page.right - page.left, page.bottom - page.top);
  LayoutHex(page);
  flux_.Layout(page);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ContentsWindow::LayoutFiles(RECT p) {
  const int line = Scaled(24, dpi_), gap = Scaled(6, dpi_), button = Scaled(88, dpi_);
  const int width = p.right - p.left, rest = p.bottom - p.top - 4 * line - 3 * gap;
  const int table = rest * 3 / 4;
  Place(hwnd_, kSummary, p.left, p.top, width, line);
  int y = p.top + line;
  Place(hwnd_, kList, p.left, y, width, table);
  y += table + gap;
  Place(hwnd_, kShowDeleted, p.left, y, Scaled(140, dpi_), line);
  Place(hwnd_, kSaveAs, p.right - button, y, button, line);
  Place(hwnd_, kSaved, p.right - 4 * button - gap, y + 4, 3 * button, line - 4);
  y += line + gap;
  Place(hwnd_, kChanged, p.left, y + 4, width - 3 * button - 3 * gap, line - 4);
  Place(hwnd_, kAddFiles, p.right - 3 * button - 2 * gap, y, button, line);
  Place(hwnd_, kUndo, p.right - 2 * button - gap, y, button, line);
  Place(hwnd_, kExtract, p.right - button, y, button, line);
  y += line + gap;
  Place(hwnd_, kExtracted, p.left, y, width, line);
  y += line;
  Place(hwnd_, kFindings, p.left, y, width, p.bottom - y);
}

void ContentsWindow::LayoutHex(RECT p) {
  const int line = Scaled(24, dpi_), gap = Scaled(6, dpi_), button = Scaled(80, dpi_);
  const int edit = Scaled(130, dpi_), width = p.right - p.left;
  Place(hwnd_, kHexWhat, p.left, p.top, width, line);
  const int y = p.top + line;
  int x = p.left;
  for (const auto& [id, w] : {std::pair{kWholeFile, button},
                              {kOffset, edit},
                              {kFind, edit},
                              {kMode, Scaled(60, dpi_)},
                              {kPrevious, button},
                              {kNext, button}}) {
    Place(hwnd_, id, x, y, w, id == kMode ? Scaled(100, dpi_) : line);
    x += w + gap;
  }
  Place(hwnd_, kHexView, p.left, y + line + gap, width, p.bottom - y - 2 * line - 2 * gap);
  Place(hwnd_, kHexStatus, p.left, p.bottom - line + 4, width, line - 4);
}

LRESULT ContentsWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(w);
      const RECT& r = *reinterpret_cast<const RECT*>(l);
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_COMMAND:
      Command(LOWORD(w), HIWORD(w));
      return 0;
    case WM_NOTIFY:
      return Notify(reinterpret_cast<NMHDR*>(l));
    case WM_DROPFILES:
      Dropped(reinterpret_cast<HDROP>(w));
      return 0;
  }
  return OwnWindowDefault(this, message, w, l);
}

}  // namespace trivane::win
