// The file chooser's lists on the system's own controls: Dir1 (a list box
// of the chain of folders from the root, then the current one's
// subfolders; a double-click or Enter opens one) and File1 (a list box of
// the files that match the pattern; any change of the current file, by
// click or keys, chooses it, as does a click on the file already current;
// a double-click or Enter asks for its contents), and the drives.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "present/file_chooser.h"

namespace trivane::win {

// The drive roots ("C:\"), and the one that holds the path.
std::vector<std::string> DriveRoots();
std::string DriveOf(const std::string& path, const std::vector<std::string>& roots);
// A path as the window shows it (backslashes, no trailing one but a root's).
std::string Shown(const std::filesystem::path& path);

// Calls on_key when Enter is pressed in the control (which then asks the
// dialog manager for every key).
void WatchKeys(HWND control, std::function<void(UINT key)> on_key);

class DirList {
 public:
  void Create(HWND parent, RECT at, int id, HFONT font);
  HWND hwnd() const { return hwnd_; }
  const std::filesystem::path& path() const { return path_; }
  // Moves to the folder and lists it; calls on_change.
  void SetPath(const std::filesystem::path& path);
  // The list's notification: a double-click opens the folder.
  void Notify(int code);
  std::function<void()> on_change;

 private:
  HWND hwnd_ = nullptr;
  std::filesystem::path path_;
  std::vector<std::filesystem::path> items_;
};

class FileList {
 public:
  void Create(HWND parent, RECT at, int id, HFONT font);
  HWND hwnd() const { return hwnd_; }
  void Show(present::Listing listing);
  const present::Listing& listing() const { return listing_; }
  int current() const;  // -1 for none
  void SetCurrent(int row);
  void Notify(int code);
  std::function<void()> on_choose;
  std::function<void()> on_open;

 private:
  HWND hwnd_ = nullptr;
  present::Listing listing_;
};

}  // namespace trivane::win
