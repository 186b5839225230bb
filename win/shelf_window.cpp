// The Shelf window on Windows (shelf_window.h).
#include "win/shelf_window.h"

#include <commctrl.h>

#include <algorithm>

#include "formats/text.h"
#include "win/dialogs.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneShelf";

}  // namespace

ShelfWindow::ShelfWindow(const std::filesystem::path& catalogue, HWND owner) : view_(catalogue) {
  RegisterObjectClass<ShelfWindow>(kClass, GetSysColorBrush(COLOR_BTNFACE));
  dpi_ = DpiOf(owner);
  CreateWindowExW(0, kClass, Wide(present::kShelfTitle).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                  Scaled(760, dpi_), Scaled(520, dpi_), owner, nullptr, GetModuleHandleW(nullptr),
                  this);
  BuildControls();
  Layout();
  SetTextOf(control(kStatus), view_.error());
}

void ShelfWindow::BuildControls() {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kIndexButton), WS_TABSTOP, {}, kIndex, font);
  AddControl(hwnd_, PROGRESS_CLASSW, L"", 0, {}, kProgress, font);
  AddControl(hwnd_, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {}, kSearch, font,
             WS_EX_CLIENTEDGE);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kFindButton), WS_TABSTOP | BS_DEFPUSHBUTTON, {},
             kFind, font);
  AddControl(hwnd_, WC_BUTTONW, Wide(present::kDupesButton), WS_TABSTOP, {}, kDupes, font);
  HWND list = AddControl(hwnd_, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, {},
                         kList, font, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kStatus, font);
}

void ShelfWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int m = Scaled(6, dpi_), line = Scaled(24, dpi_), button = Scaled(100, dpi_);
  const int width = client.right - 2 * m;
  Place(hwnd_, kIndex, m, m, button, line);
  Place(hwnd_, kProgress, 2 * m + button, m, width - button - m, line);
  const int y = 2 * m + line;
  Place(hwnd_, kSearch, m, y, width - 2 * (button + m), line);
  Place(hwnd_, kFind, client.right - 2 * (button + m), y, button, line);
  Place(hwnd_, kDupes, client.right - button - m, y, button, line);
  Place(hwnd_, kList, m, y + line + m, width, client.bottom - y - 3 * line);
  Place(hwnd_, kStatus, m, client.bottom - line, width, line - 4);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ShelfWindow::Index(const std::filesystem::path& folder) {
  HWND bar = control(kProgress);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  const std::string text = view_.Index(folder, [bar](std::size_t done, std::size_t total) {
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max<std::size_t>(total, 1)));
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  });
  SendMessageW(bar, PBM_SETRANGE32, 0, 1);
  SendMessageW(bar, PBM_SETPOS, 1, 0);
  SetTextOf(control(kStatus), text);
}

void ShelfWindow::Fill(const std::vector<present::ShelfRow>& rows,
                       const std::vector<std::string>& columns) {
  rows_ = rows;
  HWND list = control(kList);
  ListView_DeleteAllItems(list);
  while (ListView_DeleteColumn(list, 0)) {
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::wstring name = Wide(columns[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = Scaled(c == 0 || columns.size() == 2 ? 300 : 90, dpi_);
    column.pszText = const_cast<wchar_t*>(name.c_str());
    ListView_InsertColumn(list, static_cast<int>(c), &column);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
      std::wstring cell = Wide(rows[r].cells[c]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = cell.data();
      if (c == 0) ListView_InsertItem(list, &item);
      if (c != 0) ListView_SetItem(list, &item);
    }
  }
}

void ShelfWindow::Search(const std::string& text) {
  const std::vector<present::ShelfRow> rows = view_.Search(text);
  Fill(rows, {present::kShelfColumns.begin(), present::kShelfColumns.end()});
  SetTextOf(control(kStatus),
            std::to_string(rows.size()) + (rows.size() == 1 ? " file" : " files"));
}

void ShelfWindow::ShowDuplicates() {
  const std::vector<present::ShelfRow> rows = view_.Duplicates();
  Fill(rows, {present::kDupesColumns.begin(), present::kDupesColumns.end()});
  SetTextOf(control(kStatus),
            std::to_string(rows.size()) + (rows.size() == 1 ? " group" : " groups"));
}

void ShelfWindow::Command(int id) {
  if (id == kFind) Search(Narrow(TextOf(control(kSearch))));
  if (id == kDupes) ShowDuplicates();
  if (id != kIndex) return;
  const std::filesystem::path folder = choose_folder ? choose_folder() : ChooseFolder(hwnd_);
  if (!folder.empty()) Index(folder);
}

LRESULT ShelfWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) Command(LOWORD(w));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(l);
      if (header->idFrom != kList || header->code != NM_DBLCLK || !open_image) return 0;
      const int row = reinterpret_cast<const NMITEMACTIVATE*>(l)->iItem;
      if (row >= 0 && row < static_cast<int>(rows_.size()))
        open_image(rows_[static_cast<std::size_t>(row)].image);
      return 0;
    }
  }
  return OwnWindowDefault(this, message, w, l);
}

}  // namespace trivane::win
