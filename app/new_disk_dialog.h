// "New disk...": the DOS, the container and the disk's shape, name and
// date, as `trivane-disk new` takes them.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>

#include "fs/filesystem.h"

namespace trivane::app {

class NewDiskDialog : public QDialog {
  Q_OBJECT
 public:
  explicit NewDiskDialog(QWidget* parent = nullptr);

  filesystems::FormatRequest Request() const;
  // The file name's ending the container gives ("dmk").
  QString Suffix() const;
  // Makes the disk into the file (a file there is replaced), proved before
  // it is put in place; empty when done, else why not.
  std::string Make(const QString& file) const;

  QComboBox* dos = nullptr;
  QComboBox* container = nullptr;
  QSpinBox* cylinders = nullptr;  // 0: the DOS's usual
  QComboBox* heads = nullptr;     // the DOS's usual, 1, 2
  QComboBox* density = nullptr;   // the DOS's usual, single, double
  QLineEdit* name = nullptr;
  QLineEdit* date = nullptr;
};

}  // namespace trivane::app
