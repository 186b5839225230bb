// The contents window of a tape on Windows (tape_window.h).
#include "win/tape_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "formats/text.h"
#include "loader/image_file.h"
#include "present/contents.h"
#include "present/tape_contents.h"
#include "present/texts.h"
#include "win/dialogs.h"
#include "win/file_view.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneTape";

}  // namespace

TapeWindow::TapeWindow(const std::string& path, const std::filesystem::path& file, HWND owner)
    : path_(path), file_(file), tape_(ops::OpenTape(file)) {
  RegisterObjectClass<TapeWindow>(kClass, GetSysColorBrush(COLOR_BTNFACE));
  dpi_ = DpiOf(owner);
  const std::string name = Utf8Of(std::filesystem::path(Wide(path)).filename());
  CreateWindowExW(0, kClass, Wide(present::ContentsTitle(name)).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                  Scaled(700, dpi_), Scaled(420, dpi_), owner, nullptr, GetModuleHandleW(nullptr),
                  this);
  const std::string why = !tape_.is_tape ? "it is not a tape" : tape_.error;
  if (!why.empty()) {
    error_ = ErrorPrompt(present::kCannotLoad + path, why);
    return;
  }
  BuildControls();
  Fill();
  Layout();
}

void TapeWindow::BuildControls() {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kSummary, font);
  HWND list = AddControl(hwnd_, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, {},
                         kList, font, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddControl(hwnd_, WC_LISTBOXW, L"", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, {}, kFindings,
             font, WS_EX_CLIENTEDGE);
  for (const auto& [id, text] : {std::pair{kView, present::kViewButton},
                                 {kExtract, present::kExtractButton},
                                 {kSaveCas, present::kSaveAsCasButton},
                                 {kSaveWav, present::kSaveAsWavButton}}) {
    AddControl(hwnd_, WC_BUTTONW, Wide(text), WS_TABSTOP, {}, id, font);
  }
  AddControl(hwnd_, WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kStatus, font);
}

// The programs in tape order, the summary over them, the findings under them.
void TapeWindow::Fill() {
  HWND list = control(kList);
  const std::vector<std::string> columns = present::ProgramColumns();
  const int widths[] = {60, 80, 45, 50, 75, 90, 50, 60};
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::wstring name = Wide(columns[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = Scaled(widths[c % std::size(widths)], dpi_);
    column.pszText = const_cast<wchar_t*>(name.c_str());
    ListView_InsertColumn(list, static_cast<int>(c), &column);
  }
  const tape::Tape& t = tape_.tape;
  for (std::size_t r = 0; r < t.programs.size(); ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      std::wstring cell = Wide(present::ProgramCell(t.programs[r], static_cast<int>(c)));
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = cell.data();
      if (c == 0) ListView_InsertItem(list, &item);
      if (c != 0) ListView_SetItem(list, &item);
    }
  }
  SetTextOf(control(kSummary), present::TapeSummary(t));
  for (const std::string& line : present::TapeFindingsLines(t)) {
    SendMessageW(control(kFindings), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
  }
}

void TapeWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int m = Scaled(6, dpi_), line = Scaled(24, dpi_), button = Scaled(96, dpi_);
  const int width = client.right - 2 * m, findings = Scaled(70, dpi_);
  const int buttons_y = client.bottom - m - line;
  Place(hwnd_, kSummary, m, m, width, line);
  Place(hwnd_, kList, m, m + line, width, buttons_y - findings - 2 * m - m - line);
  Place(hwnd_, kFindings, m, buttons_y - findings - m, width, findings);
  int x = m;
  for (const Control id : {kView, kExtract, kSaveCas, kSaveWav}) {
    Place(hwnd_, id, x, buttons_y, button, line);
    x += button + m;
  }
  Place(hwnd_, kStatus, x, buttons_y + 4, client.right - m - x, line - 4);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HWND TapeWindow::OpenView(int row) {
  if (row < 0 || row >= static_cast<int>(tape_.tape.programs.size())) return nullptr;
  present::ProgramFile f = present::ProgramFileOf(tape_.tape, static_cast<std::size_t>(row));
  return (new FileView(f.title, std::move(f.bytes), hwnd_))->hwnd();
}

void TapeWindow::Extract() {
  const std::filesystem::path folder = choose_folder ? choose_folder() : ChooseFolder(hwnd_);
  if (folder.empty()) return;
  std::vector<std::size_t> rows;
  for (int r = -1; (r = ListView_GetNextItem(control(kList), r, LVNI_SELECTED)) >= 0;)
    rows.push_back(static_cast<std::size_t>(r));
  SetTextOf(control(kStatus), present::ExtractPrograms(tape_.tape, rows, folder));
}

void TapeWindow::SaveAs(const std::filesystem::path& file, tape::Container to) {
  SetTextOf(control(kStatus), present::SaveTapeAs(tape_.tape, file_, file, to));
}

// The system's save box, for the container's files only.
std::filesystem::path TapeWindow::AskFile(tape::Container to) {
  wchar_t file[MAX_PATH] = {};
  std::string globs = "*.*";
  for (const tape::TapeFormat& f : tape::TapeFormats()) {
    if (f.kind == to) globs = f.globs;
  }
  const std::wstring filter = Wide(present::TapeFilePattern(to)) + L'\0' + Wide(globs) + L'\0';
  const std::wstring suffix = Wide(globs.substr(globs.find('.') + 1));
  const std::wstring title = Wide(present::kSaveAsTitle);
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = hwnd_;
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = file;
  save.nMaxFile = MAX_PATH;
  save.lpstrTitle = title.c_str();
  save.lpstrDefExt = suffix.c_str();
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  return GetSaveFileNameW(&save) ? std::filesystem::path(file) : std::filesystem::path();
}

void TapeWindow::Command(int id) {
  if (id == kView) OpenView(ListView_GetNextItem(control(kList), -1, LVNI_FOCUSED));
  if (id == kExtract) Extract();
  if (id != kSaveCas && id != kSaveWav) return;
  const tape::Container to = id == kSaveCas ? tape::Container::kCas : tape::Container::kWav;
  const std::filesystem::path file = choose_file ? choose_file(to) : AskFile(to);
  if (!file.empty()) SaveAs(file, to);
}

LRESULT TapeWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) Command(LOWORD(w));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(l);
      if (header->idFrom == kList && header->code == NM_DBLCLK)
        OpenView(reinterpret_cast<const NMITEMACTIVATE*>(l)->iItem);
      return 0;
    }
  }
  return OwnWindowDefault(this, message, w, l);
}

}  // namespace trivane::win
