// The Shelf window on Windows: a folder indexed into the catalogue with a
// progress bar, a search box whose hits (image, drive, file, size) open
// their image's contents window on a double-click, and the duplicates.
// What it shows is the shared shelf view's; this window maps it onto the
// system's controls. It deletes itself when closed.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "present/shelf_view.h"

namespace trivane::win {

class ShelfWindow {
 public:
  enum Control { kIndex = 600, kProgress, kSearch, kFind, kDupes, kList, kStatus };

  ShelfWindow(const std::filesystem::path& catalogue, HWND owner);
  HWND hwnd() const { return hwnd_; }
  bool ok() const { return view_.error().empty(); }
  HWND control(Control id) const { return GetDlgItem(hwnd_, id); }
  void Index(const std::filesystem::path& folder);
  void Search(const std::string& text);
  void ShowDuplicates();
  // The folder to index, by the system's dialog unless set (for tests).
  std::function<std::filesystem::path()> choose_folder;
  // Opens an image's contents window; set by whoever opened this one.
  std::function<void(const std::string& image)> open_image;
  std::function<void(ShelfWindow*)> on_destroy;

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void BuildControls();
  void Layout();
  void Command(int id);
  void Fill(const std::vector<present::ShelfRow>& rows, const std::vector<std::string>& columns);

  present::ShelfView view_;
  std::vector<present::ShelfRow> rows_;
  int dpi_ = 96;
};

}  // namespace trivane::win
