// The contents window's changes to the image: files added (the button, or
// dropped on the files table), deleted (Delete, after a question), renamed
// (F2), and Undo; each made by the filesystem and proved by ops/prove.h
// before the image is written.
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QSortFilterProxyModel>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "loader/image_file.h"
#include "present/new_disk.h"
#include "present/texts.h"

namespace trivane::app {

QString ContentsWindow::WhyReadOnly() const {
  return QString::fromStdString(
      present::WhyReadOnly(disk_, fs_.get(), QFileInfo(path_).isWritable(), file_));
}

QLayout* ContentsWindow::BuildChanges() {
  auto* row = new QHBoxLayout;
  const QString why = WhyReadOnly();
  auto* add = new QPushButton("Add files...");
  add->setObjectName("add_files");
  connect(add, &QPushButton::clicked, this, [this] {
    PutHostFiles(
        QFileDialog::getOpenFileNames(this, present::kAddFilesTitle, QFileInfo(path_).path()));
  });
  undo_ = new QPushButton(present::kUndoButton);
  undo_->setObjectName("undo");
  undo_->setEnabled(changes_.can_undo());
  connect(undo_, &QPushButton::clicked, this, &ContentsWindow::Undo);
  changed_ = new QLabel(why.isEmpty() ? QString::fromStdString(changes_.text()) : why);
  changed_->setObjectName("changed");
  add->setEnabled(why.isEmpty());
  files_view_->setAcceptDrops(why.isEmpty());
  files_view_->viewport()->installEventFilter(this);
  if (why.isEmpty()) {
    auto* del =
        new QShortcut(QKeySequence::Delete, files_view_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &ContentsWindow::DeleteSelected);
    auto* f2 =
        new QShortcut(QKeySequence(Qt::Key_F2), files_view_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(f2, &QShortcut::activated, this, &ContentsWindow::RenameSelected);
  }
  row->addWidget(changed_, 1);
  row->addWidget(add);
  row->addWidget(undo_);
  return row;
}

bool ContentsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != files_view_->viewport() || !files_view_->acceptDrops()) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
    return true;
  }
  if (event->type() != QEvent::Drop) return false;
  QStringList files;
  for (const QUrl& url : static_cast<QDropEvent*>(event)->mimeData()->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  PutHostFiles(files);
  return true;
}

bool ContentsWindow::Confirm(const QString& question) {
  if (confirm) return confirm(question);
  return QMessageBox::question(this, present::kTitle, question) == QMessageBox::Yes;
}

QString ContentsWindow::AskName(const QString& question, const QString& suggested) {
  if (ask_name) return ask_name(question, suggested);
  return QInputDialog::getText(this, present::kTitle, question, QLineEdit::Normal, suggested);
}

std::vector<filesystems::Entry> ContentsWindow::SelectedFiles() const {
  const auto* proxy = static_cast<QSortFilterProxyModel*>(files_view_->model());
  std::vector<filesystems::Entry> files;
  for (const QModelIndex& row : files_view_->selectionModel()->selectedRows()) {
    const filesystems::Entry* f = model_->FileAt(proxy->mapToSource(row).row());
    if (f != nullptr && !f->deleted) files.push_back(*f);
  }
  return files;
}

present::Questions ContentsWindow::Questions() {
  return {
      [this](const std::string& q) { return Confirm(QString::fromStdString(q)); },
      [this](const std::string& q, const std::string& suggested) {
        return AskName(QString::fromStdString(q), QString::fromStdString(suggested)).toStdString();
      }};
}

// The change's line under the table; the tabs read anew when the image may
// have been written.
void ContentsWindow::Changed(bool written) {
  if (written) {
    Load();
  } else {
    changed_->setText(QString::fromStdString(changes_.text()));
  }
}

void ContentsWindow::PutHostFiles(const QStringList& files) {
  if (files.isEmpty() || !WhyReadOnly().isEmpty()) return;
  std::vector<present::HostFile> host;
  for (const QString& file : files)
    host.push_back({ToFsPath(file), QFileInfo(file).fileName().toStdString()});
  Changed(changes_.Put(*fs_, host, present::Today(), Questions()));
}

void ContentsWindow::DeleteSelected() {
  if (!WhyReadOnly().isEmpty()) return;
  std::vector<std::string> names;
  for (const filesystems::Entry& f : SelectedFiles()) names.push_back(f.name);
  Changed(changes_.Delete(*fs_, names, Questions()));
}

void ContentsWindow::RenameSelected() {
  const std::vector<filesystems::Entry> files = SelectedFiles();
  if (files.size() != 1 || !WhyReadOnly().isEmpty()) return;
  Changed(changes_.Rename(*fs_, files[0].name, Questions()));
}

void ContentsWindow::Undo() {
  Changed(changes_.Undo());
}

}  // namespace trivane::app
