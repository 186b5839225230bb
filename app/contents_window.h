// The contents window of one image: its files (extracting them, and
// changing them as their DOS would), a picture of every sector, and its
// bytes. Non-modal; the image is changed only by a change the user makes
// there, proved before it is written.
#pragma once

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/hex_view.h"
#include "app/sector_map.h"
#include "fs/filesystem.h"
#include "ops/extract.h"
#include "present/changes.h"
#include "present/contents.h"

namespace trivane::app {

// The files of a filesystem as a table: live ones, and the deleted on request.
class FilesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FilesModel(QObject* parent) : QAbstractTableModel(parent) {}
  void SetFilesystem(const filesystems::Filesystem* fs, bool deleted);
  const filesystems::Entry* FileAt(int row) const;
  int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(files_.size()); }
  int columnCount(const QModelIndex& = {}) const override {
    return static_cast<int>(headings_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const filesystems::Filesystem* fs_ = nullptr;
  std::vector<filesystems::Entry> files_;
  std::vector<std::string> headings_;
};

class FileViewWindow;

class ContentsWindow : public QWidget {
  Q_OBJECT
 public:
  enum Tab { kFiles, kSectors, kHex };

  // Reads the image file (shown as path); on failure says why in error and
  // shows nothing.
  ContentsWindow(const QString& path, const std::filesystem::path& file, QWidget* parent = nullptr);
  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }
  const QString& path() const { return path_; }

  void ShowTab(Tab tab);
  // Writes the selected files (all when none is selected) into the folder
  // the user picks, asking at most once before replacing files and once
  // before writing those not read whole (each with "to all" answers), with
  // progress that can be cancelled, and saying at the end what was written.
  void Extract();
  // Shows one sector's data, one file's, or the whole image in the hex tab.
  void ShowSector(int index);
  void ShowFile(const filesystems::Entry& file);
  // Opens a window that shows the file as its owner reads it (a double-click).
  FileViewWindow* OpenView(const filesystems::Entry& file);
  void ShowImage();
  // The hex tab's go-to and find, each saying in its status line what came
  // of it ("offset past the end (size ...)", "match 3 of 17 at 0x6EA3",
  // "not found"); hex: the text is hex bytes, else the text itself.
  void GoToOffset(const QString& text);
  void FindInHex(const QString& text, bool hex, bool forward);
  // Writes the disk as the container into the file, never over the image
  // itself: what the container cannot hold is shown first (to go on or
  // not), and the new image is read back and verified before it is put in
  // place; says in the saved line what came of it.
  void SaveAs(const QString& file, disk::Container to);
  void SaveAsDialog();

  // Changing the image as its DOS would: each change proved before the
  // image is written (beside itself, then renamed over it), the tabs read
  // anew after it; Undo puts back the image as it was before the window's
  // first change. A write-protected or read-only image offers none of them.
  void PutHostFiles(const QStringList& files);
  void DeleteSelected();
  void RenameSelected();
  void Undo();
  // Why the image may not be changed here; empty when it may.
  QString WhyReadOnly() const;

  // Where the folder for Extract comes from (the platform's dialog).
  std::function<QString()> choose_folder;
  // Whether to save although the lines listed would be lost (a question box).
  std::function<bool(const QStringList&)> accept_losses;
  // A yes or no to the question (a question box), and a name asked for with
  // the name suggested (an input box; empty: cancelled).
  std::function<bool(const QString&)> confirm;
  std::function<QString(const QString& question, const QString& suggested)> ask_name;

  QTableView* files_view() const { return files_view_; }
  QListWidget* findings() const { return findings_; }
  QLabel* extracted() const { return extracted_; }
  QLabel* hex_status() const { return hex_status_; }
  QLabel* saved() const { return saved_; }
  QLabel* changed() const { return changed_; }
  const filesystems::Filesystem& filesystem() const { return *fs_; }
  SectorMap* sector_map() const { return map_; }
  HexView* hex_view() const { return hex_; }
  QTabWidget* tabs() const { return tabs_; }
  const disk::Disk& disk() const { return disk_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load();
  void ShowDrives(const present::DriveChoice& choice);
  QLayout* BuildChanges();
  // Keeps a proved change: writes the image, reads it anew, says so.
  void Changed(bool written);
  present::Questions Questions();
  bool Confirm(const QString& question);
  QString AskName(const QString& question, const QString& suggested);
  std::vector<filesystems::Entry> SelectedFiles() const;
  ops::Choice AskAll(const QString& question);
  QListWidget* BuildFindings();
  QLabel* BuildSummary();
  QTableView* BuildFilesTable();
  QWidget* BuildFiles();
  QWidget* BuildSectors();
  QWidget* BuildHex();
  void CopySelectedRows();

  bool AcceptLosses(const std::vector<std::string>& lines);

  QString path_, error_;
  std::filesystem::path file_;
  QComboBox* drives_ = nullptr;  // a hard disk's drives
  std::vector<int> drive_numbers_;
  int drive_ = -1;   // the drive shown, kept when the image is read again
  disk::Disk disk_;  // with the image it was read from
  std::unique_ptr<filesystems::Filesystem> fs_;
  std::vector<std::uint8_t> shown_;  // the sector's or file's bytes in the hex tab

  QTabWidget* tabs_ = nullptr;
  FilesModel* model_ = nullptr;
  QTableView* files_view_ = nullptr;
  QCheckBox* show_deleted_ = nullptr;
  QLabel* extracted_ = nullptr;  // what the last extract wrote
  QLabel* saved_ = nullptr;      // what the last save as came to
  QLabel* changed_ = nullptr;    // what the last change came to
  QPushButton* undo_ = nullptr;
  present::ImageChanges changes_{file_};
  QLabel* hex_status_ = nullptr;  // what the last go-to or find came to
  QListWidget* findings_ = nullptr;
  SectorMap* map_ = nullptr;
  HexView* hex_ = nullptr;
  QLabel* hex_what_ = nullptr;
};

}  // namespace trivane::app
