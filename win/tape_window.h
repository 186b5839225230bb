// The contents window of a tape on Windows: its programs in a list view
// (kind, name, speed, blocks, checksum state, load range, entry, size), the
// findings of its reading, and buttons to view a program as its owner reads
// it (or a double-click), extract programs as a disk's files and save the
// tape as CAS or WAV. What it shows and does is the shared layer's; this
// window maps it onto the system's controls. It deletes itself when closed.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <functional>
#include <string>

#include "ops/tapes.h"

namespace trivane::win {

class TapeWindow {
 public:
  enum Control { kSummary = 500, kList, kFindings, kView, kExtract, kSaveCas, kSaveWav, kStatus };

  // Reads the tape file (shown as path); on failure says why in error.
  TapeWindow(const std::string& path, const std::filesystem::path& file, HWND owner);
  HWND hwnd() const { return hwnd_; }
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  HWND control(Control id) const { return GetDlgItem(hwnd_, id); }

  // The program at the row in a window that shows it as its owner reads it.
  HWND OpenView(int row);
  // Writes the selected programs (all when none is) into the folder chosen.
  void Extract();
  // Writes the tape as the container into the file, read back and verified.
  void SaveAs(const std::filesystem::path& file, tape::Container to);

  // The folder and file asked for, by the system's dialogs unless set (for tests).
  std::function<std::filesystem::path()> choose_folder;
  std::function<std::filesystem::path(tape::Container)> choose_file;
  std::function<void(TapeWindow*)> on_destroy;

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void BuildControls();
  void Fill();
  void Layout();
  void Command(int id);
  std::filesystem::path AskFile(tape::Container to);

  std::string path_, error_;
  std::filesystem::path file_;
  ops::OpenedTape tape_;
  int dpi_ = 96;
};

}  // namespace trivane::win
