// Form27's layout and its handlers: the file chooser, loading and the hand
// over to identification.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>

#include "identification/identify_image.h"
#include "loader/image_file.h"
#include "present/form_layout.h"
#include "present/texts.h"
#include "win/contents_window.h"
#include "win/form27.h"

namespace trivane::win {
namespace fs = std::filesystem;

namespace {

constexpr wchar_t kClass[] = L"TrivaneForm27";
constexpr UINT kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

}  // namespace

Form27::Form27() {
  RegisterObjectClass<Form27>(kClass);
  dpi_ = DpiOf(nullptr);
  RECT frame{0, 0, TwipsToPixels(present::kFormWidth, dpi_),
             TwipsToPixels(present::kFormHeight, dpi_)};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, static_cast<UINT>(dpi_));
  CreateWindowExW(0, kClass, Wide(present::kFormTitle).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = DpiOf(hwnd_);
  HDC screen = GetDC(hwnd_);
  surface_dc_ = CreateCompatibleDC(screen);
  ReleaseDC(hwnd_, screen);
  NewSurface();
  draw_colour_ = ToColorRef(colour::kNavy);
  Cls();
  BuildControls();
  drives_ = DriveRoots();
  wchar_t here[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, here);
  for (const std::string& root : drives_)
    SendMessageW(drive1_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(root).c_str()));
  const std::string drive = DriveOf(Narrow(here), drives_);
  const auto at = std::find(drives_.begin(), drives_.end(), drive) - drives_.begin();
  SendMessageW(drive1_, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  dir1_.on_change = [this] { Dir1_Change(); };
  dir1_.SetPath(fs::path(here));
  Form_Load();
}

Form27::~Form27() {
  // The contents windows go with it: the form owns them.
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  SelectObject(surface_dc_, old_bitmap_);
  DeleteObject(surface_);
  DeleteDC(surface_dc_);
  for (auto& [colour, brush] : brushes_) DeleteObject(brush);
}

// The drawing surface at the client area's size; what was drawn on the one
// before is kept, scaled to the new size.
void Form27::NewSurface() {
  RECT client;
  GetClientRect(hwnd_, &client);
  HDC screen = GetDC(hwnd_);
  HBITMAP fresh = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(hwnd_, screen);
  HBITMAP old = static_cast<HBITMAP>(SelectObject(surface_dc_, fresh));
  if (surface_ != nullptr) {
    BITMAP before;
    GetObjectW(surface_, sizeof before, &before);
    HDC from = CreateCompatibleDC(surface_dc_);
    HGDIOBJ kept = SelectObject(from, surface_);
    SetStretchBltMode(surface_dc_, HALFTONE);
    StretchBlt(surface_dc_, 0, 0, client.right, client.bottom, from, 0, 0, before.bmWidth,
               before.bmHeight, SRCCOPY);
    SelectObject(from, kept);
    DeleteDC(from);
    DeleteObject(surface_);
  } else {
    old_bitmap_ = old;
  }
  surface_ = fresh;
  SelectObject(surface_dc_, WindowFont(true, dpi_));
}

// Every control at its place in twips, in the fonts of the window's DPI.
void Form27::PlaceControls() {
  for (const Placed& p : placed_) {
    RECT at = Twips(p.place.left, p.place.top, p.place.width, p.place.height);
    if (p.control == drive1_) at.bottom += Pixels(2400);  // the list that drops down
    MoveWindow(p.control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(p.bold, dpi_)), TRUE);
  }
}

// Moved to a display of another DPI: the window in the size the system
// suggests, its controls, fonts and surface scaled to it.
void Form27::DpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  NewSurface();
  PlaceControls();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT Form27::Twips(int left, int top, int width, int height) const {
  return {Pixels(left), Pixels(top), Pixels(left) + Pixels(width), Pixels(top) + Pixels(height)};
}

void Form27::BuildControls() {
  drive1_ = AddControl(hwnd_, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, {},
                       kDrive1, nullptr);
  placed_.push_back({drive1_, present::kDrive1, false});
  file1_.Create(hwnd_, {}, kFile1, nullptr);
  placed_.push_back({file1_.hwnd(), present::kFile1, true});
  dir1_.Create(hwnd_, {}, kDir1, nullptr);
  placed_.push_back({dir1_.hwnd(), present::kDir1, false});
  for (Field f : kAllFields) {
    for (const present::Place& place : present::kTextBoxes) {
      if (place.name == FieldName(f)) AddTextBox(f, place);
    }
  }
  for (std::size_t k = 0; k < present::kOptions.size(); ++k) AddOption(static_cast<int>(k));
  PlaceControls();
  file1_.on_choose = [this] { File1_Click(); };
  file1_.on_open = [this] { OpenContents(0, false); };
}

void Form27::AddTextBox(Field field, const present::Place& place) {
  const int index =
      static_cast<int>(std::find(kAllFields.begin(), kAllFields.end(), field) - kAllFields.begin());
  fields_[field] = AddControl(hwnd_, WC_EDITW, Wide(std::string(place.name)),
                              WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, {}, kFieldId + index,
                              nullptr, WS_EX_CLIENTEDGE);
  placed_.push_back({fields_[field], place, true});
  looks_[field] = {};
}

void Form27::AddOption(int index) {
  const present::Option& o = present::kOptions[static_cast<std::size_t>(index)];
  options_[index] = AddControl(hwnd_, WC_BUTTONW, Wide(std::string(o.caption)),
                               WS_TABSTOP | BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP : 0), {},
                               kOption1 + index, nullptr);
  placed_.push_back({options_[index], o.place, true});
}

void Form27::Form_Load() {
  SendMessageW(options_[0], BM_SETCHECK, BST_CHECKED, 0);
  Dir1_Change();
}

// Each option is tested on its own; exactly one is selected.
void Form27::ApplyFilter() {
  auto checked = [this](int k) {
    return SendMessageW(options_[k], BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  for (int k = 0; k < 4; ++k) {
    if (checked(k)) pattern_ = present::kOptions[static_cast<std::size_t>(k)].patterns;
  }
}

void Form27::Dir1_Change() {
  ApplyFilter();
  file_path_ = dir1_.path();
  file1_.Show(present::ListFiles(file_path_, pattern_));
  if (!file1_.listing().error.empty()) {
    MessageBox(ErrorPrompt(present::kCannotList + Shown(file_path_), file1_.listing().error),
               "Error");
  }
}

void Form27::Drive1_Change() {
  const LRESULT row = SendMessageW(drive1_, CB_GETCURSEL, 0, 0);
  if (row < 0 || static_cast<std::size_t>(row) >= drives_.size()) return;
  const std::string root = drives_[static_cast<std::size_t>(row)];
  const DWORD attributes = GetFileAttributesW(Wide(root).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const std::string back = DriveOf(Shown(dir1_.path()), drives_);
    const auto at = std::find(drives_.begin(), drives_.end(), back) - drives_.begin();
    SendMessageW(drive1_, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    MessageBox(ErrorPrompt("Cannot read the drive " + root, "it is not ready or cannot be read"),
               "Error");
    return;
  }
  dir1_.SetPath(fs::path(Wide(root)));
}

// A file chosen while an identification runs (during its yield) is identified
// when that one has finished; only the latest such choice is kept.
void Form27::File1_Click() {
  const int row = file1_.current();
  if (row < 0) return;
  pending_dir_ = file_path_;
  pending_name_ = file1_.listing().names[static_cast<std::size_t>(row)];
  pending_entry_ = file1_.listing().entries[static_cast<std::size_t>(row)];
  if (identifying_) return;
  while (!pending_name_.empty()) {
    const fs::path dir = pending_dir_;
    const std::string name = pending_name_;
    pending_name_.clear();
    LoadAndIdentify(dir, name, pending_entry_);
  }
}

bool Form27::ChooseFile(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  dir1_.SetPath(absolute.parent_path());
  const std::string name = Utf8Of(absolute.filename());
  auto row = [&] {
    const auto& names = file1_.listing().names;
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  if (row() >= static_cast<long long>(file1_.listing().names.size())) {
    for (int k = 0; k < 4; ++k)  // "Show all Files"
      SendMessageW(options_[k], BM_SETCHECK, k == 3 ? BST_CHECKED : BST_UNCHECKED, 0);
    Dir1_Change();
  }
  if (row() >= static_cast<long long>(file1_.listing().names.size())) return false;
  file1_.SetCurrent(static_cast<int>(row()));
  return true;
}

// The file is opened by the file system's own name, which the name shown may
// not spell exactly.
void Form27::LoadAndIdentify(const fs::path& dir, const std::string& name, const fs::path& entry) {
  ApplyFilter();
  const std::string filea = present::JoinPath(Shown(dir), name, '\\');
  identifying_ = true;
  deferred_.clear();  // a click's boxes give way to the next click's identification
  const std::string error = trivane::LoadAndIdentify(dir / entry, record_, *this);
  if (!error.empty()) MessageBox(ErrorPrompt(present::kCannotLoad + filea, error), "Error");
  identifying_ = false;
}

}  // namespace trivane::win
