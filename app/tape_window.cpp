// The contents window of a tape (tape_window.h).
#include "app/tape_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_lists.h"
#include "app/file_view.h"
#include "loader/image_file.h"
#include "present/contents.h"
#include "present/tape_contents.h"
#include "present/texts.h"

namespace trivane::app {

TapeWindow::TapeWindow(const QString& path, const std::filesystem::path& file, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path), file_(file), tape_(ops::OpenTape(file)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(
      QString::fromStdString(present::ContentsTitle(QFileInfo(path).fileName().toStdString())));
  const std::string why = !tape_.is_tape ? "it is not a tape" : tape_.error;
  if (!why.empty()) {
    error_ = QString::fromStdString(ErrorPrompt(present::kCannotLoad + path.toStdString(), why));
    return;
  }
  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  programs_ = new QTableWidget(this);
  programs_->setSelectionBehavior(QAbstractItemView::SelectRows);
  programs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  programs_->verticalHeader()->hide();
  programs_->horizontalHeader()->setStretchLastSection(true);
  connect(programs_, &QTableWidget::cellActivated, this, [this](int row, int) { OpenView(row); });
  findings_ = new QListWidget(this);
  findings_->setMaximumHeight(90);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(programs_);
  layout->addWidget(findings_);
  layout->addWidget(BuildButtons());
  resize(700, 420);
  Fill();
}

// The table in tape order, the summary over it, the findings under it.
void TapeWindow::Fill() {
  const std::vector<std::string> columns = present::ProgramColumns();
  const tape::Tape& t = tape_.tape;
  programs_->setColumnCount(static_cast<int>(columns.size()));
  programs_->setRowCount(static_cast<int>(t.programs.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    programs_->setHorizontalHeaderItem(static_cast<int>(c),
                                       new QTableWidgetItem(QString::fromStdString(columns[c])));
  }
  for (std::size_t r = 0; r < t.programs.size(); ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::string cell = present::ProgramCell(t.programs[r], static_cast<int>(c));
      programs_->setItem(static_cast<int>(r), static_cast<int>(c),
                         new QTableWidgetItem(QString::fromStdString(cell)));
    }
  }
  summary_->setText(QString::fromStdString(present::TapeSummary(t)));
  for (const std::string& line : present::TapeFindingsLines(t))
    findings_->addItem(QString::fromStdString(line));
  findings_->setVisible(findings_->count() > 0);
}

QWidget* TapeWindow::BuildButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](const char* text, auto slot) {
    auto* button = new QPushButton(text, row);
    connect(button, &QPushButton::clicked, this, slot);
    layout->addWidget(button);
  };
  add(present::kViewButton, [this] { OpenView(programs_->currentRow()); });
  add(present::kExtractButton, [this] { Extract(); });
  add(present::kSaveAsCasButton, [this] { SaveAsDialog(tape::Container::kCas); });
  add(present::kSaveAsWavButton, [this] { SaveAsDialog(tape::Container::kWav); });
  status_ = new QLabel(row);
  status_->setObjectName("status");
  layout->addWidget(status_, 1);
  return row;
}

FileViewWindow* TapeWindow::OpenView(int row) {
  if (row < 0 || row >= static_cast<int>(tape_.tape.programs.size())) return nullptr;
  const present::ProgramFile f = present::ProgramFileOf(tape_.tape, static_cast<std::size_t>(row));
  auto* view = new FileViewWindow(QString::fromStdString(f.title), f.bytes, this);
  view->show();
  return view;
}

void TapeWindow::Extract() {
  const QString folder = choose_folder
                             ? choose_folder()
                             : QFileDialog::getExistingDirectory(this, present::kExtractToTitle);
  if (folder.isEmpty()) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : programs_->selectionModel()->selectedRows())
    rows.push_back(static_cast<std::size_t>(index.row()));
  status_->setText(
      QString::fromStdString(present::ExtractPrograms(tape_.tape, rows, ToFsPath(folder))));
}

void TapeWindow::SaveAs(const QString& file, tape::Container to) {
  status_->setText(
      QString::fromStdString(present::SaveTapeAs(tape_.tape, file_, ToFsPath(file), to)));
}

void TapeWindow::SaveAsDialog(tape::Container to) {
  const QString file = choose_file ? choose_file(to)
                                   : QFileDialog::getSaveFileName(
                                         this, present::kSaveAsTitle, QFileInfo(path_).path(),
                                         QString::fromStdString(present::TapeFilePattern(to)));
  if (!file.isEmpty()) SaveAs(file, to);
}

}  // namespace trivane::app
