// The contents window of a tape: its programs (kind, name, speed, blocks,
// checksum state, load range, entry, size), the findings of its reading,
// each program shown as its owner reads it, extracted as the file a disk
// would hold, and the tape saved as CAS or WAV. Non-modal; the tape itself
// is never written.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "ops/tapes.h"

namespace trivane::app {

class FileViewWindow;

class TapeWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the tape file (shown as path); on failure says why in error.
  TapeWindow(const QString& path, const std::filesystem::path& file, QWidget* parent = nullptr);
  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }

  // The program at the row in the window that shows it as its owner reads it.
  FileViewWindow* OpenView(int row);
  // Writes the selected programs (all when none is) into the folder the user
  // picks, saying in the status line what came of it.
  void Extract();
  // Writes the tape as the container into the file, read back and verified.
  void SaveAs(const QString& file, tape::Container to);
  void SaveAsDialog(tape::Container to);

  // Where the folder for Extract and the file for Save as come from (the
  // platform's dialogs).
  std::function<QString()> choose_folder;
  std::function<QString(tape::Container)> choose_file;

  QTableWidget* programs() const { return programs_; }
  QListWidget* findings() const { return findings_; }
  QLabel* summary() const { return summary_; }
  QLabel* status() const { return status_; }

 private:
  QWidget* BuildButtons();
  void Fill();

  QString path_, error_;
  std::filesystem::path file_;
  ops::OpenedTape tape_;
  QLabel* summary_ = nullptr;
  QTableWidget* programs_ = nullptr;
  QListWidget* findings_ = nullptr;
  QLabel* status_ = nullptr;  // what the last extract or save came to
};

}  // namespace trivane::app
