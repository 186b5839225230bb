// A window that shows one file as its owner would read it (views/view.h):
// the view chosen and why, a selector for the others, find, copy, save as
// text; the damage of a file not read whole said, and its damaged bytes
// marked in the hex view (drawn as it is scrolled, so a large file shows at
// once).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "app/hex_view.h"
#include "fs/filesystem.h"
#include "views/view.h"

namespace trivane::app {

class FileViewWindow : public QWidget {
  Q_OBJECT
 public:
  FileViewWindow(const QString& title, const filesystems::FileBytes& bytes,
                 QWidget* parent = nullptr);

  void Show(views::ViewKind kind);
  bool Find(const QString& text);
  // Writes the shown text into the file; empty when done, else why not.
  QString SaveText(const QString& file) const;

  QComboBox* kind() const { return kind_; }
  QLabel* why() const { return why_; }
  QPlainTextEdit* text() const { return text_; }
  HexView* hex() const { return hex_; }
  bool hex_shown() const { return pages_->currentWidget() == hex_; }

 private:
  filesystems::FileBytes bytes_;
  std::string name_;  // as listed
  QComboBox* kind_ = nullptr;
  QLabel* why_ = nullptr;
  QLineEdit* find_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  HexView* hex_ = nullptr;
  QStackedWidget* pages_ = nullptr;
};

}  // namespace trivane::app
