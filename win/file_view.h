// A window that shows one file as its owner would read it (views/view.h):
// the view chosen and why, a selector for the others, find, save as text,
// and the damage of a file not read whole said, its damaged bytes marked in
// the hex view. It deletes itself when closed.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <string>

#include "fs/filesystem.h"
#include "views/view.h"
#include "win/hex_view.h"

namespace trivane::win {

class FileView {
 public:
  enum Control { kKind = 400, kWhy, kFind, kSave, kText, kHex };
  FileView(const std::string& title, filesystems::FileBytes bytes, HWND owner);
  HWND hwnd() const { return hwnd_; }
  void Show(views::ViewKind kind);
  // Selects the next place the text is, from the selection on; false when
  // it is nowhere.
  bool Find(const std::string& text);

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void Layout();
  void SaveText();
  filesystems::FileBytes bytes_;
  std::string name_;  // as listed
  HexView hex_;
};

}  // namespace trivane::win
