// The Shelf window on Qt widgets: a folder indexed into the catalogue with
// a progress bar, a search box whose hits (image, drive, file, size) open
// their image's contents window on a double-click, and the duplicates. What
// it shows is the shared shelf view's; this window maps it onto widgets.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QWidget>
#include <functional>

#include "present/shelf_view.h"

namespace trivane::app {

class ShelfWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShelfWindow(const std::filesystem::path& catalogue = {}, QWidget* parent = nullptr);
  bool ok() const { return view_.error().empty(); }
  void Index(const QString& folder);
  void Search(const QString& text);
  void ShowDuplicates();
  QTableWidget* results() const { return results_; }
  QLabel* status() const { return status_; }
  QLineEdit* search() const { return search_; }
  // Asked for the folder to index; a system dialog unless set (for tests).
  std::function<QString()> choose_folder;
  // Opens an image's contents window; set by whoever opened this one.
  std::function<void(const QString& image)> open_image;

 private:
  void Fill(const std::vector<present::ShelfRow>& rows, const std::array<const char*, 4>& columns);

  present::ShelfView view_;
  QLineEdit* search_;
  QProgressBar* progress_;
  QTableWidget* results_;
  QLabel* status_;
  std::vector<present::ShelfRow> rows_;
};

}  // namespace trivane::app
