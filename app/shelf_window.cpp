#include "app/shelf_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace trivane::app {

ShelfWindow::ShelfWindow(const std::filesystem::path& catalogue, QWidget* parent)
    : QWidget(parent, Qt::Window),
      view_(catalogue),
      search_(new QLineEdit),
      progress_(new QProgressBar),
      results_(new QTableWidget),
      status_(new QLabel) {
  setWindowTitle(present::kShelfTitle);
  resize(760, 520);
  auto* index = new QPushButton(present::kIndexButton);
  auto* find = new QPushButton(present::kFindButton);
  auto* dupes = new QPushButton(present::kDupesButton);
  auto* top = new QHBoxLayout;
  top->addWidget(index);
  top->addWidget(progress_, 1);
  auto* line = new QHBoxLayout;
  line->addWidget(search_, 1);
  line->addWidget(find);
  line->addWidget(dupes);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(line);
  layout->addWidget(results_, 1);
  layout->addWidget(status_);
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->setSelectionBehavior(QAbstractItemView::SelectRows);
  results_->horizontalHeader()->setStretchLastSection(true);
  status_->setText(QString::fromStdString(view_.error()));
  connect(index, &QPushButton::clicked, this, [this] {
    const QString folder =
        choose_folder ? choose_folder() : QFileDialog::getExistingDirectory(this);
    if (!folder.isEmpty()) Index(folder);
  });
  connect(find, &QPushButton::clicked, this, [this] { Search(search_->text()); });
  connect(search_, &QLineEdit::returnPressed, this, [this] { Search(search_->text()); });
  connect(dupes, &QPushButton::clicked, this, &ShelfWindow::ShowDuplicates);
  connect(results_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    if (open_image && row >= 0 && row < static_cast<int>(rows_.size()))
      open_image(QString::fromStdString(rows_[static_cast<std::size_t>(row)].image));
  });
}

void ShelfWindow::Index(const QString& folder) {
  progress_->setValue(0);
  const std::string text = view_.Index(
      std::filesystem::path(folder.toStdU16String()), [this](std::size_t done, std::size_t total) {
        progress_->setMaximum(static_cast<int>(std::max<std::size_t>(total, 1)));
        progress_->setValue(static_cast<int>(done));
        QApplication::processEvents();
      });
  progress_->setMaximum(1);
  progress_->setValue(1);
  status_->setText(QString::fromStdString(text));
}

void ShelfWindow::Fill(const std::vector<present::ShelfRow>& rows,
                       const std::array<const char*, 4>& columns) {
  rows_ = rows;
  results_->clear();
  results_->setColumnCount(static_cast<int>(columns.size()));
  QStringList headings;
  for (const char* c : columns) headings << c;
  results_->setHorizontalHeaderLabels(headings);
  results_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& cells = rows[static_cast<std::size_t>(r)].cells;
    for (int c = 0; c < static_cast<int>(cells.size()); ++c)
      results_->setItem(
          r, c, new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(c)])));
  }
  results_->resizeColumnsToContents();
}

void ShelfWindow::Search(const QString& text) {
  const std::vector<present::ShelfRow> rows = view_.Search(text.toStdString());
  Fill(rows, present::kShelfColumns);
  status_->setText(QString::number(rows.size()) + (rows.size() == 1 ? " file" : " files"));
}

void ShelfWindow::ShowDuplicates() {
  const std::vector<present::ShelfRow> rows = view_.Duplicates();
  Fill(rows, {present::kDupesColumns[0], present::kDupesColumns[1], "", ""});
  results_->setColumnCount(2);
  status_->setText(QString::number(rows.size()) + (rows.size() == 1 ? " group" : " groups"));
}

}  // namespace trivane::app
