// The window operations on Form27 (the text boxes, the drawing surface: a
// bitmap painted beneath the controls, so that it survives being covered;
// the yield and the message box) and its messages.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commdlg.h>
#include <windowsx.h>

#include <cwctype>

#include "loader/image_file.h"
#include "ops/tapes.h"
#include "present/new_disk.h"
#include "present/shelf_view.h"
#include "present/texts.h"
#include "win/contents_window.h"
#include "win/dialogs.h"
#include "win/form27.h"
#include "win/shelf_window.h"
#include "win/tape_window.h"

namespace trivane::win {

HBRUSH Form27::Brush(COLORREF colour) {
  HBRUSH& brush = brushes_[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

void Form27::SetText(Field field, const std::string& text) {
  SetTextOf(fields_.at(field), text);
}

void Form27::SetForeColor(Field field, Colour colour) {
  looks_.at(field).fore = colour;
  InvalidateRect(fields_.at(field), nullptr, TRUE);
}

void Form27::SetBackColor(Field field, Colour colour) {
  looks_.at(field).back = colour;
  InvalidateRect(fields_.at(field), nullptr, TRUE);
}

void Form27::Cls() {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(surface_dc_, &client, Brush(ToColorRef(colour::kWindowBack)));
  current_x_ = current_y_ = 0;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Form27::SetDrawColor(Colour colour) {
  draw_colour_ = ToColorRef(colour);
}

void Form27::SetPrintPosition(int x, int y) {
  current_x_ = x;
  current_y_ = y;
}

void Form27::PrintLine(const std::string& text) {
  const std::wstring wide = Wide(text);
  SetTextColor(surface_dc_, draw_colour_);
  SetBkMode(surface_dc_, TRANSPARENT);
  const int x = Pixels(current_x_), y = Pixels(current_y_);
  TextOutW(surface_dc_, x, y, wide.c_str(), static_cast<int>(wide.size()));
  SIZE size{};
  GetTextExtentPoint32W(surface_dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
  TEXTMETRICW metrics;
  GetTextMetricsW(surface_dc_, &metrics);
  current_x_ = 0;
  current_y_ += MulDiv(metrics.tmHeight, 1440, dpi_);
  // Only what was drawn is painted again (with room for an overhang).
  const RECT drawn{x, y, x + size.cx + metrics.tmMaxCharWidth, y + metrics.tmHeight};
  InvalidateRect(hwnd_, &drawn, FALSE);
}

void Form27::FilledBox(int x1, int y1, int x2, int y2, Colour colour) {
  RECT box{Pixels(std::min(x1, x2)), Pixels(std::min(y1, y2)), Pixels(std::max(x1, x2)) + 1,
           Pixels(std::max(y1, y2)) + 1};
  FillRect(surface_dc_, &box, Brush(ToColorRef(colour)));
  InvalidateRect(hwnd_, &box, FALSE);
}

void Form27::Yield() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

constexpr UINT_PTR kBoxTimer = 1;

void Form27::MessageBox(const std::string& prompt, const std::string& title) {
  if (identifying_ && (GetKeyState(VK_LBUTTON) & 0x8000)) {
    deferred_.push_back({prompt, title});
    SetTimer(hwnd_, kBoxTimer, GetDoubleClickTime(), nullptr);
    return;
  }
  ShowBox({prompt, title});
}

void Form27::ShowBox(const Box& box) {
  if (show_message) return show_message(box.prompt, box.title);
  MessageBoxW(hwnd_, WithCrLf(Wide(box.prompt)).c_str(), Wide(box.title).c_str(), MB_OK);
}

// A text box's colours, asked for each time it paints (read-only edit
// controls ask as static ones do); the options on the form's colour.
LRESULT Form27::ColourOf(HDC dc, HWND control) {
  for (const auto& [field, box] : fields_) {
    if (box != control) continue;
    const Look& look = looks_.at(field);
    SetTextColor(dc, ToColorRef(look.fore));
    SetBkColor(dc, ToColorRef(look.back));
    return reinterpret_cast<LRESULT>(Brush(ToColorRef(look.back)));
  }
  // The file chooser's lists on the fields' colour.
  const bool list = control == dir1_.hwnd() || control == file1_.hwnd() || control == drive1_ ||
                    GetParent(control) == drive1_;
  const COLORREF back = ToColorRef(list ? colour::kFieldBack : colour::kWindowBack);
  SetTextColor(dc, ToColorRef(colour::kWindowText));
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(Brush(back));
}

void Form27::Command(int id, int code) {
  if (id == kFile1) file1_.Notify(code);
  if (id == kDir1) dir1_.Notify(code);
  if (id == kDrive1 && code == CBN_SELCHANGE) Drive1_Change();
  if (id >= kOption1 && id < kOption1 + 4 && code == BN_CLICKED &&
      SendMessageW(options_[id - kOption1], BM_GETCHECK, 0, 0) == BST_CHECKED) {
    Dir1_Change();
  }
}

// File1's menu: the contents window at a tab, extracting, a new disk.
void Form27::ContextMenu(int x, int y) {
  HMENU menu = CreatePopupMenu();
  const int row = file1_.current();
  if (row >= 0) {
    for (std::size_t k = 0; k < present::kFileMenu.size(); ++k) {
      AppendMenuW(menu, MF_STRING, k + 1, Wide(present::kFileMenu[k].text).c_str());
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  }
  const UINT_PTR new_disk = present::kFileMenu.size() + 1, shelf = new_disk + 1;
  AppendMenuW(menu, MF_STRING, new_disk, Wide(present::kNewDiskItem).c_str());
  AppendMenuW(menu, MF_STRING, shelf, Wide(present::kShelfItem).c_str());
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
  DestroyMenu(menu);
  if (chosen >= 1 && chosen <= static_cast<int>(present::kFileMenu.size())) {
    const present::MenuItem& m = present::kFileMenu[static_cast<std::size_t>(chosen - 1)];
    OpenContents(m.tab, m.extract);
  }
  if (chosen == static_cast<int>(new_disk)) NewDisk();
  if (chosen == static_cast<int>(shelf)) OpenShelf({});
}

ShelfWindow* Form27::OpenShelf(const std::filesystem::path& folder) {
  if (shelf_ == nullptr) {
    shelf_ = new ShelfWindow({}, hwnd_);
    shelf_->on_destroy = [this](ShelfWindow*) { shelf_ = nullptr; };
    shelf_->open_image = [this](const std::string& image) {
      OpenImage(PathFromUtf8(image), image, ContentsWindow::kFiles, false);
    };
  }
  ShowWindow(shelf_->hwnd(), SW_SHOW);
  SetForegroundWindow(shelf_->hwnd());
  if (!folder.empty()) shelf_->Index(folder);
  return shelf_;
}

namespace {

std::filesystem::path ChooseNewFile(HWND owner, const std::filesystem::path& folder,
                                    const std::string& suffix) {
  std::wstring file = (folder / ("new." + suffix)).wstring();
  file.resize(MAX_PATH);
  std::wstring upper = Wide(suffix);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
  const std::wstring filter = upper + L" (*." + Wide(suffix) + L", *.dsk)" + L'\0' + L"*." +
                              Wide(suffix) + L";*.dsk" + L'\0';
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = owner;
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = file.data();
  save.nMaxFile = MAX_PATH;
  const std::wstring title = Wide(present::kNewDiskTitle);
  save.lpstrTitle = title.c_str();
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&save)) return {};
  return std::filesystem::path(file.c_str());
}

}  // namespace

void Form27::NewDisk() {
  filesystems::FormatRequest request;
  if (!(ask_new_disk ? ask_new_disk(request) : AskNewDisk(hwnd_, request))) return;
  const std::string suffix = present::SuffixOf(request.container);
  const std::filesystem::path file =
      choose_new_file ? choose_new_file(suffix) : ChooseNewFile(hwnd_, file_path_, suffix);
  if (file.empty()) return;
  if (const std::string error = present::MakeNewDisk(request, file); !error.empty()) {
    MessageBox(ErrorPrompt(present::kCannotMake + Shown(file), error), "Error");
    return;
  }
  Dir1_Change();
}

ContentsWindow* Form27::OpenContents(int tab, bool extract) {
  const int row = file1_.current();
  if (row < 0) return nullptr;
  const std::filesystem::path file =
      file_path_ / file1_.listing().entries[static_cast<std::size_t>(row)];
  const std::string shown = present::JoinPath(
      Shown(file_path_), file1_.listing().names[static_cast<std::size_t>(row)], '\\');
  return OpenImage(file, shown, tab, extract);
}

ContentsWindow* Form27::OpenImage(const std::filesystem::path& file, const std::string& shown,
                                  int tab, bool extract) {
  if (ops::IsTapeFile(file)) return OpenTape(file, shown, extract), nullptr;
  ContentsWindow*& window = contents_[file];
  if (window == nullptr) {
    auto* fresh = new ContentsWindow(shown, file, hwnd_);
    if (!fresh->ok()) {
      MessageBox(fresh->error(), "Error");
      DestroyWindow(fresh->hwnd());
      contents_.erase(file);
      return nullptr;
    }
    fresh->on_destroy = [this](ContentsWindow* gone) { ForgetContents(gone); };
    window = fresh;
    if (on_contents) on_contents(*window);
  }
  window->ShowTab(tab);
  ShowWindow(window->hwnd(), SW_SHOW);
  SetForegroundWindow(window->hwnd());
  if (extract) window->Extract();
  return window;
}

TapeWindow* Form27::OpenTape(const std::filesystem::path& file, const std::string& shown,
                             bool extract) {
  TapeWindow*& window = tapes_[file];
  if (window == nullptr) {
    auto* fresh = new TapeWindow(shown, file, hwnd_);
    if (!fresh->ok()) {
      MessageBox(fresh->error(), "Error");
      DestroyWindow(fresh->hwnd());
      tapes_.erase(file);
      return nullptr;
    }
    fresh->on_destroy = [this, file](TapeWindow*) { tapes_.erase(file); };
    window = fresh;
  }
  ShowWindow(window->hwnd(), SW_SHOW);
  SetForegroundWindow(window->hwnd());
  if (extract) window->Extract();
  return window;
}

void Form27::ForgetContents(ContentsWindow* window) {
  for (auto it = contents_.begin(); it != contents_.end(); ++it) {
    if (it->second == window) {
      contents_.erase(it);
      return;
    }
  }
}

LRESULT Form27::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      const RECT& r = paint.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, surface_dc_, r.left, r.top,
             SRCCOPY);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ColourOf(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_COMMAND:
      Command(LOWORD(w), HIWORD(w));
      return 0;
    case WM_TIMER:
      if (w == kBoxTimer) {
        KillTimer(hwnd_, kBoxTimer);
        std::vector<Box> boxes = std::move(deferred_);
        deferred_.clear();
        for (const Box& box : boxes) ShowBox(box);
      }
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(w) == file1_.hwnd()) ContextMenu(GET_X_LPARAM(l), GET_Y_LPARAM(l));
      return 0;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    case WM_DESTROY:
      if (quit_on_close) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT done = DefWindowProcW(hwnd_, message, w, l);
      hwnd_ = nullptr;
      return done;
    }
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace trivane::win
