// The contents window's changes to the image: files added (the button, or
// dropped on the files table), deleted (Delete, after a question), renamed
// (F2), and Undo; each made and proved by dos/change.h before the image is
// written.
#include <QDate>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <fstream>
#include <iterator>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "loader/image_file.h"

namespace trivane::app {

QString ContentsWindow::WhyReadOnly() const {
  if (disk_.write_protected) return "This image is write-protected: nothing here changes it.";
  if (!QFileInfo(path_).isWritable()) return "This image is read-only: nothing here changes it.";
  return QString::fromStdString(dos::WhyNotChangeable(disk_));
}

QLayout* ContentsWindow::BuildChanges() {
  auto* row = new QHBoxLayout;
  const QString why = WhyReadOnly();
  auto* add = new QPushButton("Add files...");
  add->setObjectName("add_files");
  connect(add, &QPushButton::clicked, this, [this] {
    PutHostFiles(QFileDialog::getOpenFileNames(this, "Add files", QFileInfo(path_).path()));
  });
  undo_ = new QPushButton("Undo");
  undo_->setObjectName("undo");
  undo_->setEnabled(!original_.empty());
  connect(undo_, &QPushButton::clicked, this, &ContentsWindow::Undo);
  changed_ = new QLabel(why.isEmpty() ? change_text_ : why);
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
  return QMessageBox::question(this, "Trivane", question) == QMessageBox::Yes;
}

QString ContentsWindow::AskName(const QString& question, const QString& suggested) {
  if (ask_name) return ask_name(question, suggested);
  return QInputDialog::getText(this, "Trivane", question, QLineEdit::Normal, suggested);
}

std::vector<const dos::File*> ContentsWindow::SelectedFiles() const {
  const auto* proxy = static_cast<QSortFilterProxyModel*>(files_view_->model());
  std::vector<const dos::File*> files;
  for (const QModelIndex& row : files_view_->selectionModel()->selectedRows()) {
    const dos::File* f = model_->FileAt(proxy->mapToSource(row).row());
    if (f != nullptr && !catalogue_.IsDeleted(f)) files.push_back(f);
  }
  return files;
}

void ContentsWindow::Keep(const dos::Changed& change, const QString& what) {
  if (!change.error.empty()) {
    change_text_ = what + ": not done, " + QString::fromStdString(change.error);
    changed_->setText(change_text_);
    return;
  }
  if (original_.empty()) {
    const LoadedImage now = ReadImageFile(file_);
    original_.resize(static_cast<std::size_t>(now.buffer.size()));
    now.buffer.Read(0, original_.data(), original_.size());
  }
  const std::string error = SaveImageFile(file_, change.bytes, true);
  change_text_ = error.empty() ? what + ": written, read back and verified"
                               : what + ": not written, " + QString::fromStdString(error);
  Load();
}

void ContentsWindow::PutHostFiles(const QStringList& files) {
  if (files.isEmpty() || !WhyReadOnly().isEmpty()) return;
  const std::string today = QDate::currentDate().toString("MM/dd/yy").toStdString();
  dos::Changed now{disk_, {}, "", false};
  QStringList put;
  for (const QString& file : files) {
    std::ifstream in(ToFsPath(file), std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    std::string name, ext;
    QString text = QFileInfo(file).fileName();
    while (!dos::DosName(text.toStdString(), name, ext)) {
      text = AskName(QFileInfo(file).fileName() + " needs a DOS name (NAME/EXT):", "");
      if (text.isEmpty()) return;
    }
    const QString shown = QString::fromStdString(ext.empty() ? name : name + "/" + ext);
    const bool there = dos::NamedFile(dos::ReadCatalogue(now.disk), shown.toStdString()) != nullptr;
    if (there && !Confirm(shown + " is on the disk already. Replace it?")) continue;
    dos::Changed next = dos::PutFile(now.disk, name, ext, bytes, there, today);
    if (!next.error.empty()) return Keep(next, "Put " + shown);
    now = std::move(next);
    put << shown;
  }
  if (!put.isEmpty()) Keep(now, "Put " + put.join(", "));
}

void ContentsWindow::DeleteSelected() {
  const std::vector<const dos::File*> files = SelectedFiles();
  if (files.empty() || !WhyReadOnly().isEmpty()) return;
  QStringList names;
  for (const dos::File* f : files) names << QString::fromStdString(f->Shown());
  if (!Confirm("Delete " + names.join(", ") + " from the disk?")) return;
  dos::Changed now{disk_, {}, "", false};
  for (const QString& name : names) {
    dos::Changed next = dos::DeleteFile(now.disk, name.toStdString());
    if (!next.error.empty()) return Keep(next, "Delete " + name);
    now = std::move(next);
  }
  Keep(now, "Deleted " + names.join(", "));
}

void ContentsWindow::RenameSelected() {
  const std::vector<const dos::File*> files = SelectedFiles();
  if (files.size() != 1 || !WhyReadOnly().isEmpty()) return;
  const QString old = QString::fromStdString(files[0]->Shown());
  const QString text = AskName("Rename " + old + " to (NAME/EXT):", old);
  std::string name, ext;
  if (text.isEmpty() || text == old) return;
  if (!dos::DosName(text.toStdString(), name, ext)) {
    change_text_ = text + " is not a DOS name (letters and digits, first a letter, up to 8 and 3)";
    changed_->setText(change_text_);
    return;
  }
  Keep(dos::RenameFile(disk_, old.toStdString(), name, ext), "Renamed " + old);
}

void ContentsWindow::Undo() {
  if (original_.empty()) return;
  const std::string error = SaveImageFile(file_, original_, true);
  change_text_ = error.empty() ? QString("Undone: the image is as it was")
                               : "Not undone: " + QString::fromStdString(error);
  if (error.empty()) original_.clear();
  Load();
}

}  // namespace trivane::app
