#include "win/dialogs.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "present/new_disk.h"
#include "present/texts.h"

namespace trivane::win {
namespace {

constexpr wchar_t kClass[] = L"TrivaneAsk";
constexpr int kFirst = 1000;  // the controls asked, in order

struct Answer {
  bool done = false, accepted = false;
};

LRESULT CALLBACK AskProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* answer = reinterpret_cast<Answer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (answer != nullptr && message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    answer->accepted = LOWORD(w) == IDOK;
    answer->done = true;
    return 0;
  }
  if (answer != nullptr && message == WM_CLOSE) {
    answer->done = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

// A box of rows, each a label and a control beside it, with OK and Cancel.
struct Box {
  Box(HWND owner, const std::wstring& title, int rows, int label_width) : owner(owner) {
    RegisterClassOnce(kClass, &AskProc, GetSysColorBrush(COLOR_BTNFACE));
    dpi = DpiOf(owner);
    m = Scaled(10, dpi);
    line = Scaled(26, dpi);
    label = Scaled(label_width, dpi);
    width = label + Scaled(220, dpi);
    RECT frame{0, 0, width + 2 * m, (rows + 1) * line + 3 * m};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, title.c_str(),
                           WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer));
    const int y = m + rows * line + m, button = Scaled(80, dpi);
    AddControl(hwnd, WC_BUTTONW, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
               {m + width - 2 * button - m, y, m + width - button - m, y + line - 4}, IDOK, font);
    AddControl(hwnd, WC_BUTTONW, Wide(present::kCancel), WS_TABSTOP,
               {m + width - button, y, m + width, y + line - 4}, IDCANCEL, font);
  }
  ~Box() { DestroyWindow(hwnd); }

  // The row's label (if any) and its control, the whole width without one.
  HWND Row(int row, const std::wstring& text, const wchar_t* control_class, DWORD style,
           const std::wstring& value = L"") {
    const int y = m + row * line, left = text.empty() ? m : m + label;
    if (!text.empty())
      AddControl(hwnd, WC_STATICW, text, 0, {m, y + 4, m + label, y + line}, -1, font);
    const int height = control_class == std::wstring(WC_COMBOBOXW) ? Scaled(150, dpi) : line - 4;
    return AddControl(hwnd, control_class, value, WS_TABSTOP | style,
                      {left, y, m + width, y + height}, kFirst + row, font,
                      control_class == std::wstring(WC_EDITW) ? WS_EX_CLIENTEDGE : 0);
  }

  bool Run(HWND first) {
    EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(first);
    MSG msg;
    while (!answer.done) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the program's own loop
        break;
      }
      if (!IsDialogMessageW(hwnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    EnableWindow(owner, TRUE);
    if (owner != nullptr) SetForegroundWindow(owner);
    return answer.accepted;
  }

  HWND owner, hwnd = nullptr;
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int dpi = 96, m = 10, line = 26, label = 0, width = 0;
  Answer answer;
};

HWND Choices(Box& box, int row, const char* label, const std::vector<std::string>& items) {
  HWND combo = box.Row(row, Wide(label), WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL);
  for (const std::string& item : items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  return combo;
}

int Chosen(HWND combo) {
  return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

}  // namespace

std::filesystem::path ChooseFolder(HWND owner) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  const std::wstring title = Wide(present::kExtractToTitle);
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  return std::filesystem::path(path);
}

std::string AskText(HWND owner, const std::string& question, const std::string& suggested) {
  Box box(owner, Wide(present::kTitle), 2, 0);
  box.Row(0, L"", WC_STATICW, 0, Wide(question));
  HWND edit = box.Row(1, L"", WC_EDITW, ES_AUTOHSCROLL, Wide(suggested));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return box.Run(edit) ? Narrow(TextOf(edit)) : std::string();
}

bool AskNewDisk(HWND owner, filesystems::FormatRequest& request) {
  Box box(owner, Wide(present::kNewDiskTitle), 7, 110);
  std::vector<std::string> doses, containers;
  for (const filesystems::FormatChoice& c : present::NewDiskDoses()) doses.push_back(c.name);
  for (disk::Container c : present::NewDiskContainers())
    containers.push_back(disk::ContainerName(c));
  HWND dos = Choices(box, 0, present::kDosField, doses);
  HWND container = Choices(box, 1, present::kContainerField, containers);
  HWND cylinders = box.Row(2, L"Cylinders (empty: usual)", WC_EDITW, ES_NUMBER);
  HWND heads = Choices(box, 3, present::kHeadsField,
                       {present::kHeadChoices.begin(), present::kHeadChoices.end()});
  HWND density = Choices(box, 4, present::kDensityField,
                         {present::kDensityChoices.begin(), present::kDensityChoices.end()});
  HWND name = box.Row(5, Wide(present::kDiskNameField), WC_EDITW, ES_AUTOHSCROLL | ES_UPPERCASE,
                      Wide(present::kNewDiskName));
  SendMessageW(name, EM_SETLIMITTEXT, 8, 0);
  HWND date =
      box.Row(6, Wide(present::kDateField), WC_EDITW, ES_AUTOHSCROLL, Wide(present::Today()));
  if (!box.Run(dos)) return false;
  const std::wstring count = TextOf(cylinders);
  const filesystems::FormatChoice chosen =
      present::NewDiskDoses().at(static_cast<std::size_t>(Chosen(dos)));
  request = {chosen.word,
             chosen.format,
             count.empty() ? 0 : std::stoi(count.substr(0, 4)),
             Chosen(heads),
             Chosen(density),
             Narrow(TextOf(name)),
             Narrow(TextOf(date)),
             present::NewDiskContainers().at(static_cast<std::size_t>(Chosen(container)))};
  return true;
}

}  // namespace trivane::win
