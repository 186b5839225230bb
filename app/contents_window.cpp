#include "app/contents_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>
#include <filesystem>

#include "app/file_lists.h"
#include "app/file_view.h"
#include "app/flux_view.h"
#include "disk/container.h"
#include "loader/image_file.h"
#include "ops/filesystems.h"
#include "ops/open.h"
#include "present/contents.h"
#include "present/flux_view.h"
#include "present/texts.h"

namespace trivane::app {

void FilesModel::SetFilesystem(const filesystems::Filesystem* fs, bool deleted) {
  beginResetModel();
  fs_ = fs;
  files_ = fs != nullptr ? present::FileRows(*fs, deleted) : std::vector<filesystems::Entry>{};
  headings_ = fs != nullptr ? present::FileColumns(*fs) : std::vector<std::string>{};
  endResetModel();
}

const filesystems::Entry* FilesModel::FileAt(int row) const {
  return row >= 0 && row < rowCount() ? &files_[static_cast<std::size_t>(row)] : nullptr;
}

QVariant FilesModel::data(const QModelIndex& index, int role) const {
  const filesystems::Entry* f = FileAt(index.row());
  if (f == nullptr || (role != Qt::DisplayRole && role != Qt::UserRole)) return {};
  const std::string cell = present::FileCell(*fs_, *f, index.column());
  if (role == Qt::UserRole && present::SortsByNumber(*fs_, index.column())) {
    return QString::fromStdString(cell).toLongLong();
  }
  return QString::fromStdString(cell);
}

QVariant FilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromStdString(headings_.at(static_cast<std::size_t>(section)));
}

ContentsWindow::ContentsWindow(const QString& path, const std::filesystem::path& file,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path), file_(file) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(
      QString::fromStdString(present::ContentsTitle(QFileInfo(path).fileName().toStdString())));
  tabs_ = new QTabWidget(this);
  drives_ = new QComboBox(this);
  drives_->setObjectName("drives");
  drives_->hide();
  connect(drives_, &QComboBox::activated, this, [this](int index) {
    drive_ = drive_numbers_.at(static_cast<std::size_t>(index));
    Load();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(drives_);
  layout->addWidget(tabs_);
  resize(760, 560);
  Load();
}

// Reads the image file and builds the tabs anew from it, on the tab shown.
void ContentsWindow::Load() {
  ops::OpenedImage opened = ops::OpenImage(file_, ops::Purpose::kWindow);
  if (!opened.loaded) {
    error_ = QString::fromStdString(
        ErrorPrompt(present::kCannotLoad + path_.toStdString(), opened.error));
    return;
  }
  present::DriveChoice choice = present::ChooseDrive(opened.disk, drive_);
  disk_ = std::move(choice.disk);
  fs_ = ops::FilesystemToChange(disk_);
  ShowDrives(choice);
  const int shown = std::max(tabs_->currentIndex(), 0);
  while (tabs_->count() > 0) {
    QWidget* page = tabs_->widget(0);
    tabs_->removeTab(0);
    page->deleteLater();
  }
  tabs_->addTab(BuildFiles(), present::kTabs[0]);
  tabs_->addTab(BuildSectors(), present::kTabs[1]);
  tabs_->addTab(BuildHex(), present::kTabs[2]);
  if (!present::FluxView(disk_).empty()) tabs_->addTab(new FluxPage(disk_), present::kFluxTab);
  tabs_->setCurrentIndex(shown);
}

// A hard disk's drives, one entry each, the one shown chosen.
void ContentsWindow::ShowDrives(const present::DriveChoice& choice) {
  drive_numbers_ = choice.numbers;
  drives_->clear();
  for (const std::string& label : choice.labels) drives_->addItem(QString::fromStdString(label));
  drives_->setCurrentIndex(choice.shown);
  drives_->setVisible(!choice.labels.empty());
  if (choice.shown >= 0) drive_ = choice.numbers[static_cast<std::size_t>(choice.shown)];
}

// The DOS, the disk's name and date and its free space; why, on hover.
QLabel* ContentsWindow::BuildSummary() {
  QStringList evidence;
  for (const std::string& e : fs_->Evidence()) evidence << QString::fromStdString(e);
  auto* summary = new QLabel(QString::fromStdString(present::SummaryLine(disk_, *fs_)));
  summary->setObjectName("summary");
  summary->setToolTip(evidence.join('\n'));
  return summary;
}

// The files, sortable (directory order first), several selectable, copied
// with Ctrl+C; a double-click shows one's bytes.
QTableView* ContentsWindow::BuildFilesTable() {
  model_ = new FilesModel(this);
  model_->SetFilesystem(fs_.get(), false);
  auto* proxy = new QSortFilterProxyModel(this);
  proxy->setSourceModel(model_);
  proxy->setSortRole(Qt::UserRole);
  files_view_ = new QTableView;
  files_view_->setModel(proxy);
  files_view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // directory order
  files_view_->setSortingEnabled(true);
  files_view_->setWordWrap(false);
  files_view_->verticalHeader()->setDefaultSectionSize(files_view_->fontMetrics().height() + 4);
  files_view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  files_view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  files_view_->horizontalHeader()->setStretchLastSection(true);
  // Room for a whole 12-character name and its marks.
  files_view_->setColumnWidth(0,
                              files_view_->fontMetrics().horizontalAdvance("MMMMMMMM/MMM !") + 12);
  files_view_->verticalHeader()->hide();
  connect(files_view_, &QTableView::doubleClicked, this, [this, proxy](const QModelIndex& index) {
    if (const filesystems::Entry* f = model_->FileAt(proxy->mapToSource(index).row())) {
      OpenView(*f);
    }
  });
  new QShortcut(QKeySequence::Copy, files_view_, [this] { CopySelectedRows(); });
  return files_view_;
}

QWidget* ContentsWindow::BuildFiles() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(BuildSummary());
  layout->addWidget(BuildFilesTable(), 3);

  auto* row = new QHBoxLayout;
  show_deleted_ = new QCheckBox(present::kShowDeleted);
  connect(show_deleted_, &QCheckBox::toggled, this,
          [this](bool on) { model_->SetFilesystem(fs_.get(), on); });
  auto* extract = new QPushButton(present::kExtractButton);
  extract->setObjectName("extract");
  extract->setEnabled(fs_->Score() > 0);
  connect(extract, &QPushButton::clicked, this, &ContentsWindow::Extract);
  extracted_ = new QLabel;
  extracted_->setObjectName("extracted");
  auto* save_as = new QPushButton(present::kSaveAsButton);
  save_as->setObjectName("save_as");
  save_as->setEnabled(disk_.error.empty());
  connect(save_as, &QPushButton::clicked, this, &ContentsWindow::SaveAsDialog);
  saved_ = new QLabel;
  saved_->setObjectName("saved");
  row->addWidget(show_deleted_);
  row->addStretch();
  row->addWidget(extracted_);
  row->addWidget(extract);
  row->addWidget(saved_);
  row->addWidget(save_as);
  layout->addLayout(row);
  layout->addLayout(BuildChanges());

  layout->addWidget(BuildFindings(), 1);
  return page;
}

// The filesystem's findings, the sector reader's problems, and on a disk no
// unit explains what was looked at.
QListWidget* ContentsWindow::BuildFindings() {
  findings_ = new QListWidget;
  for (const std::string& line : present::FindingsLines(disk_, *fs_)) {
    findings_->addItem(QString::fromStdString(line));
  }
  return findings_;
}

QWidget* ContentsWindow::BuildSectors() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  map_ = new SectorMap;
  map_->SetDisk(&disk_);
  map_->SetMarks(fs_->DirectoryCylinder(), fs_->ReservedCylinders());
  connect(map_, &SectorMap::sectorClicked, this, &ContentsWindow::ShowSector);
  auto* scroll = new QScrollArea;
  scroll->setWidget(map_);
  scroll->setWidgetResizable(true);  // the picture fills the space it is given
  layout->addWidget(scroll, 1);

  auto* legend = new QHBoxLayout;
  for (const present::SectorState state : present::kSectorStates) {
    auto* swatch = new QLabel;
    swatch->setFixedSize(12, 12);
    swatch->setStyleSheet("background: " + SectorMap::ColourOf(state).name());
    legend->addWidget(swatch);
    legend->addWidget(new QLabel(QString::fromStdString(present::LegendText(disk_, state))));
  }
  if (const std::string some = present::RevolutionsLegend(disk_); !some.empty()) {
    auto* swatch = new QLabel;
    swatch->setFixedSize(12, 12);
    const present::Rgb c = present::kRevolutionsMarkColour;
    swatch->setStyleSheet("background: " + QColor(c.r, c.g, c.b).name());
    legend->addWidget(swatch);
    legend->addWidget(new QLabel(QString::fromStdString(some)));
  }
  legend->addStretch();
  layout->addLayout(legend);
  auto* total = new QLabel(QString::fromStdString(present::TotalLine(disk_)));
  layout->addWidget(total);
  return page;
}

QWidget* ContentsWindow::BuildHex() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  hex_what_ = new QLabel;
  auto* whole = new QPushButton(present::kWholeFile);
  connect(whole, &QPushButton::clicked, this, &ContentsWindow::ShowImage);
  auto* offset = new QLineEdit;
  offset->setPlaceholderText("go to offset (hex)");
  connect(offset, &QLineEdit::returnPressed, this, [this, offset] { GoToOffset(offset->text()); });
  auto* find = new QLineEdit;
  find->setPlaceholderText("find");
  auto* mode = new QComboBox;
  mode->addItems({"Text", "Hex"});
  mode->setToolTip("Find the text as typed, or hex bytes (\"fe 11\")");
  auto* next = new QPushButton(present::kNext);
  auto* previous = new QPushButton(present::kPrevious);
  connect(next, &QPushButton::clicked, this,
          [this, find, mode] { FindInHex(find->text(), mode->currentIndex() == 1, true); });
  connect(previous, &QPushButton::clicked, this,
          [this, find, mode] { FindInHex(find->text(), mode->currentIndex() == 1, false); });
  connect(find, &QLineEdit::returnPressed, next, &QPushButton::click);
  layout->addWidget(hex_what_);
  row->addWidget(whole);
  row->addWidget(offset);
  row->addWidget(find);
  row->addWidget(mode);
  row->addWidget(previous);
  row->addWidget(next);
  row->addStretch();
  layout->addLayout(row);
  hex_ = new HexView;
  layout->addWidget(hex_, 1);
  hex_status_ = new QLabel;
  hex_status_->setObjectName("hex_status");
  layout->addWidget(hex_status_);
  ShowImage();
  return page;
}

void ContentsWindow::GoToOffset(const QString& text) {
  const present::GoToResult to = present::GoTo(hex_->shown(), text.toStdString());
  if (to.offset) hex_->GoTo(*to.offset);
  hex_status_->setText(QString::fromStdString(to.status));
}

void ContentsWindow::FindInHex(const QString& text, bool hex, bool forward) {
  const present::Needle needle = present::NeedleOf(text.toLatin1().toStdString(), hex);
  const QByteArray bytes(reinterpret_cast<const char*>(needle.bytes.data()),
                         static_cast<qsizetype>(needle.bytes.size()));
  if (!needle.status.empty()) {
    hex_status_->setText(QString::fromStdString(needle.status));
  } else if (!hex_->Find(bytes, forward)) {
    hex_status_->setText("not found");
  } else {
    hex_status_->setText(QString::fromStdString(
        present::MatchStatus(hex_->shown(), needle.bytes, hex_->selection())));
  }
}

void ContentsWindow::ShowTab(Tab tab) {
  if (tabs_ != nullptr) tabs_->setCurrentIndex(tab);
}

void ContentsWindow::ShowImage() {
  hex_->SetSource([this](qint64 at) { return disk_.image.at(at); }, disk_.image.size());
  hex_what_->setText(QString::fromStdString(present::ImageTitle(disk_.image.size())));
  hex_status_->clear();
}

void ContentsWindow::ShowSector(int index) {
  const disk::Sector& s = disk_.sectors.at(static_cast<std::size_t>(index));
  shown_ = disk::SectorData(disk_, s);
  hex_->SetSource([this](qint64 at) { return shown_[static_cast<std::size_t>(at)]; },
                  static_cast<qint64>(shown_.size()));
  hex_what_->setText(QString::fromStdString(present::SectorTitle(s)));
  hex_status_->clear();
  ShowTab(kHex);
}

// The file's bytes as read, the sectors that could not be read marked; a
// part its extents do not hold is said, not shown.
void ContentsWindow::ShowFile(const filesystems::Entry& file) {
  const filesystems::FileBytes read = fs_->Read(file);
  shown_ = read.bytes;
  hex_->SetSource([this](qint64 at) { return shown_[static_cast<std::size_t>(at)]; },
                  static_cast<qint64>(shown_.size()));
  std::vector<std::pair<qint64, qint64>> marks;
  for (const filesystems::Damaged& d : read.unreadable)
    marks.emplace_back(d.offset, d.offset + d.length);
  hex_->SetMarks(marks);
  hex_what_->setText(QString::fromStdString(present::FileTitle(file, read)));
  hex_status_->clear();
  ShowTab(kHex);
}

void ContentsWindow::CopySelectedRows() {
  QApplication::clipboard()->setText(
      QString::fromStdString(present::CopyText(*fs_, SelectedFiles())));
}

// One question of a run, asked at most once: yes or no for this file, or
// for all the files still to come, or Cancel.
ops::Choice ContentsWindow::AskAll(const QString& question) {
  QMessageBox ask(QMessageBox::Question, present::kExtractTitle, question, QMessageBox::NoButton,
                  this);
  QPushButton* yes = ask.addButton("Yes", QMessageBox::YesRole);
  QPushButton* all = ask.addButton(present::kYesToAll, QMessageBox::YesRole);
  QPushButton* no = ask.addButton("No", QMessageBox::NoRole);
  QPushButton* none = ask.addButton(present::kNoToAll, QMessageBox::NoRole);
  ask.addButton(QMessageBox::Cancel);
  ask.exec();
  const QAbstractButton* c = ask.clickedButton();
  return c == yes    ? ops::Choice::kYes
         : c == all  ? ops::Choice::kAll
         : c == no   ? ops::Choice::kNo
         : c == none ? ops::Choice::kNone
                     : ops::Choice::kCancel;
}

FileViewWindow* ContentsWindow::OpenView(const filesystems::Entry& file) {
  auto* view = new FileViewWindow(QString::fromStdString(file.name), fs_->Read(file), this);
  view->show();
  return view;
}

void ContentsWindow::Extract() {
  const QString folder = choose_folder
                             ? choose_folder()
                             : QFileDialog::getExistingDirectory(this, present::kExtractToTitle);
  if (folder.isEmpty()) return;
  const auto* proxy = static_cast<QSortFilterProxyModel*>(files_view_->model());
  std::vector<filesystems::Entry> files;
  for (const QModelIndex& row : files_view_->selectionModel()->selectedRows()) {
    files.push_back(*model_->FileAt(proxy->mapToSource(row).row()));
  }
  if (files.empty()) {
    for (int r = 0; r < model_->rowCount(); ++r) files.push_back(*model_->FileAt(r));
  }
  QProgressDialog progress("Extracting files...", present::kCancel, 0,
                           static_cast<int>(files.size()), this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  const ops::ExtractQuestions ask{
      [&](const filesystems::Entry& f, const std::string& why) {
        return AskAll(QString::fromStdString(present::DamagedQuestion(f, why)));
      },
      [&](const std::string& host) {
        return AskAll(QString::fromStdString(present::ReplaceQuestion(host)));
      },
      [&](std::size_t done, std::size_t) {
        progress.setValue(static_cast<int>(done));
        return !progress.wasCanceled();
      }};
  const ops::ExtractSummary done = ops::ExtractFiles(*fs_, files, ToFsPath(folder), ask);
  progress.reset();
  if (!done.folder_failure.empty()) {
    QMessageBox::warning(
        this, present::kExtractTitle,
        QString::fromStdString(present::FolderFailure(folder.toStdString(), done.folder_failure)));
    return;
  }
  // The end in one line beside the button; what befell single files on hover.
  QStringList lines;
  for (const std::string& line : done.lines) lines << QString::fromStdString(line);
  extracted_->setText(QString::fromStdString(done.Line()) + (lines.isEmpty() ? "" : " (hover)"));
  extracted_->setToolTip(lines.join('\n'));
}

}  // namespace trivane::app
