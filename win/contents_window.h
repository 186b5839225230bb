// The contents window of one image on Windows: a tab control over its files
// (a list view: sort by a column's header, several selected, Ctrl+C copies
// them, a double-click shows one as its owner reads it; extract, save as,
// add files, Delete, F2 and Undo), a picture of every sector, and its bytes
// (go to, find). What it shows and does is the shared layer's; this window
// maps it onto the system's controls. A disk read from flux has a fourth
// tab, its tracks' flux. It deletes itself when closed.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "disk/sector_store.h"
#include "fs/filesystem.h"
#include "ops/extract.h"
#include "present/changes.h"
#include "present/contents.h"
#include "win/flux_view.h"
#include "win/hex_view.h"
#include "win/sector_map.h"

namespace trivane::win {

class ContentsWindow {
 public:
  enum Tab { kFiles, kSectors, kHex, kFlux };  // the flux tab for a disk read from flux
  // The controls, by identifier.
  enum Control {
    kTabs = 300,
    kSummary,
    kList,
    kShowDeleted,
    kExtracted,
    kExtract,
    kSaved,
    kSaveAs,
    kChanged,
    kAddFiles,
    kUndo,
    kFindings,
    kPicture,
    kHexWhat,
    kWholeFile,
    kOffset,
    kFind,
    kMode,
    kPrevious,
    kNext,
    kHexView,
    kHexStatus,
    kFluxFirst,  // the flux tab's controls, FluxPage::kParts of them
    kLast = kFluxFirst + FluxPage::kParts,
    kDrives  // a hard disk's drives, over the tabs
  };

  // Reads the image file (shown as path); on failure says why in error.
  ContentsWindow(const std::string& path, const std::filesystem::path& file, HWND owner);
  HWND hwnd() const { return hwnd_; }
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  HWND control(Control id) const { return GetDlgItem(hwnd_, id); }
  const filesystems::Filesystem& filesystem() const { return *fs_; }
  const disk::Disk& disk() const { return disk_; }
  HexView& hex_view() { return hex_; }
  SectorMap& sector_map() { return map_; }
  FluxPage& flux_page() { return flux_; }

  void ShowTab(int tab);
  void Extract();
  void ShowSector(int index);
  void ShowFile(const filesystems::Entry& file);
  void ShowImage();
  void GoToOffset(const std::string& text);
  void FindInHex(const std::string& text, bool hex, bool forward);
  void SortBy(int column);
  void CopySelectedRows();
  std::vector<filesystems::Entry> SelectedFiles(bool with_deleted = true) const;
  HWND OpenView(const filesystems::Entry& file);
  void SaveAs(const std::filesystem::path& file, disk::Container to);
  void PutHostFiles(const std::vector<std::filesystem::path>& files);
  void DeleteSelected();
  void RenameSelected();
  void Undo();
  std::string WhyReadOnly() const;

  // The questions, answered by the system's dialogs unless set (for tests).
  std::function<std::filesystem::path()> choose_folder;
  std::function<ops::Choice(const std::string& question)> ask_all;
  std::function<bool(const std::string& question)> confirm;
  std::function<std::string(const std::string& question, const std::string& suggested)> ask_name;
  std::function<bool(const std::vector<std::string>& lines)> accept_losses;
  std::function<void(ContentsWindow*)> on_destroy;

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void Load();
  void ShowDrives(const present::DriveChoice& choice);
  void ShowFluxTab();
  void BuildControls();
  void BuildFiles(HFONT font);
  void BuildHex(HFONT font);
  void Layout();
  void LayoutFiles(RECT page);
  void LayoutHex(RECT page);
  void SetColumns();
  void FillFiles();
  void Command(int id, int code);
  LRESULT Notify(NMHDR* header);
  void Changed(bool written);
  present::Questions Questions();
  ops::Choice AskAll(const std::string& question);
  void SaveAsDialog();
  void AddFilesDialog();
  void Dropped(HDROP drop);

  std::string path_, error_;
  std::filesystem::path file_;
  int dpi_ = 96;
  std::vector<int> drive_numbers_;  // a hard disk's drives, as listed
  int drive_ = -1;                  // the drive shown, kept when the image is read again
  disk::Disk disk_;
  std::unique_ptr<filesystems::Filesystem> fs_;
  std::vector<std::string> columns_;      // the list view's headings
  std::vector<filesystems::Entry> rows_;  // the list view's rows, in their order
  int sort_column_ = -1;
  bool sort_down_ = false;
  std::vector<std::uint8_t> shown_;  // the sector's or file's bytes in the hex tab
  present::ImageChanges changes_{file_};
  std::wstring evidence_;  // the summary's tip
  SectorMap map_;
  HexView hex_;
  FluxPage flux_;
};

}  // namespace trivane::win
