#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "formats/text.h"
#include "win/file_lists.h"

namespace trivane::win {
namespace fs = std::filesystem;

std::vector<std::string> DriveRoots() {
  wchar_t buffer[512] = {};
  const DWORD length = GetLogicalDriveStringsW(511, buffer);
  std::vector<std::string> roots;
  for (const wchar_t* root = buffer; root < buffer + length && *root != 0;
       root += wcslen(root) + 1) {
    roots.push_back(Narrow(root));
  }
  return roots;
}

std::string DriveOf(const std::string& path, const std::vector<std::string>& roots) {
  std::string best = roots.empty() ? "" : roots[0];
  const std::wstring wide = Wide(path);
  for (const std::string& root : roots) {
    const std::wstring r = Wide(root);
    if (wide.size() >= r.size() && _wcsnicmp(wide.c_str(), r.c_str(), r.size()) == 0) best = root;
  }
  return best;
}

std::string Shown(const fs::path& path) {
  fs::path p = path.lexically_normal();
  if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
  std::wstring text = p.wstring();
  std::replace(text.begin(), text.end(), L'/', L'\\');
  return Narrow(text);
}

namespace {

struct Watch {
  std::function<void(UINT)> on_key;
};

LRESULT CALLBACK Watcher(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data) {
  auto* watch = reinterpret_cast<Watch*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      if (l != 0 && reinterpret_cast<MSG*>(l)->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
      break;
    case WM_KEYDOWN:
      if (w == VK_RETURN && watch->on_key) {
        watch->on_key(static_cast<UINT>(w));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Watcher, id);
      delete watch;
      break;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

}  // namespace

void WatchKeys(HWND control, std::function<void(UINT key)> on_key) {
  auto* watch = new Watch{std::move(on_key)};
  SetWindowSubclass(control, &Watcher, 1, reinterpret_cast<DWORD_PTR>(watch));
}

void DirList::Create(HWND parent, RECT at, int id, HFONT font) {
  hwnd_ = AddControl(parent, L"LISTBOX", L"",
                     WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, at, id, font,
                     WS_EX_CLIENTEDGE);
  WatchKeys(hwnd_, [this](UINT) { Notify(LBN_DBLCLK); });
}

void DirList::SetPath(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  path_ = fs::path(Wide(Shown(ec ? path : absolute)));
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  items_.clear();
  // The chain of parents from the root, each one step further in.
  std::vector<fs::path> chain;
  for (fs::path d = path_;; d = d.parent_path()) {
    chain.insert(chain.begin(), d);
    if (d == d.parent_path() || !d.has_relative_path()) break;
  }
  int depth = 0;
  auto add = [&](const std::wstring& name, const fs::path& dir) {
    SendMessageW(hwnd_, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>((std::wstring(2 * depth, L' ') + name).c_str()));
    items_.push_back(dir);
  };
  for (const fs::path& dir : chain) {
    add(depth == 0 ? Wide(Shown(dir)) : dir.filename().wstring(), dir);
    ++depth;
  }
  SendMessageW(hwnd_, LB_SETCURSEL, items_.size() - 1, 0);
  for (const fs::path& entry : present::ListSubdirectories(path_).entries)
    add(entry, path_ / entry);
  if (on_change) on_change();
}

void DirList::Notify(int code) {
  const LRESULT row = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  if (code == LBN_DBLCLK && row >= 0 && static_cast<std::size_t>(row) < items_.size())
    SetPath(fs::path(items_[static_cast<std::size_t>(row)]));
}

void FileList::Create(HWND parent, RECT at, int id, HFONT font) {
  hwnd_ = AddControl(parent, L"LISTBOX", L"",
                     WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, at, id, font,
                     WS_EX_CLIENTEDGE);
  // (The list box says LBN_SELCHANGE for every click, on the current file
  // too: that chooses it again.)
  WatchKeys(hwnd_, [this](UINT) { Notify(LBN_DBLCLK); });
}

void FileList::Show(present::Listing listing) {
  listing_ = std::move(listing);
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : listing_.names)
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int FileList::current() const {
  const LRESULT row = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  return row >= 0 && static_cast<std::size_t>(row) < listing_.names.size() ? static_cast<int>(row)
                                                                           : -1;
}

void FileList::SetCurrent(int row) {
  SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  Notify(LBN_SELCHANGE);
}

void FileList::Notify(int code) {
  if (code == LBN_SELCHANGE && current() >= 0 && on_choose) on_choose();
  if (code == LBN_DBLCLK && current() >= 0 && on_open) on_open();
}

}  // namespace trivane::win
