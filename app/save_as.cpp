// The contents window's "Save as...": the disk in another container (or the
// same), proved before it is kept (dos/convert.h).
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "dos/convert.h"
#include "loader/image_file.h"

namespace trivane::app {

bool ContentsWindow::AcceptLosses(const QStringList& lines) {
  if (accept_losses) return accept_losses(lines);
  QMessageBox ask(
      QMessageBox::Warning, "Save as",
      "The container cannot hold all of the disk. Not kept:\n\n" + lines.mid(0, 12).join('\n') +
          (lines.size() > 12 ? QString("\n... and %1 more").arg(lines.size() - 12) : ""),
      QMessageBox::Save | QMessageBox::Cancel, this);
  ask.setDefaultButton(QMessageBox::Cancel);
  return ask.exec() == QMessageBox::Save;
}

void ContentsWindow::SaveAs(const QString& file, disk::Container to) {
  const std::filesystem::path out = ToFsPath(file);
  std::error_code ec;
  if (std::filesystem::equivalent(out, file_, ec)) {
    saved_->setText("Not saved: the image itself is never written over");
    return;
  }
  dos::Proved proved = dos::Convert(disk_, to, {}, false);
  if (!proved.losses.empty()) {
    QStringList lines;
    for (const std::string& line : proved.losses) lines << QString::fromStdString(line);
    if (!AcceptLosses(lines)) {
      saved_->setText("Not saved");
      return;
    }
    proved = dos::Convert(disk_, to, {}, true);
  }
  const std::string error =
      proved.error.empty() ? SaveImageFile(out, proved.bytes, true) : proved.error;
  const QString name = QFileInfo(file).fileName();
  saved_->setText(
      error.empty()
          ? QString("Saved as %1 (%2), read back and verified").arg(name, disk::ContainerName(to))
          : "Not saved: " + QString::fromStdString(error));
}

void ContentsWindow::SaveAsDialog() {
  QString filter;
  const QString file =
      QFileDialog::getSaveFileName(this, "Save as", QFileInfo(path_).path(),
                                   "DMK (*.dmk);;JV3 (*.jv3 *.dsk);;JV1 (*.jv1 *.dsk)", &filter);
  if (file.isEmpty()) return;
  const disk::Container to = filter.startsWith("JV1")   ? disk::Container::kJv1
                             : filter.startsWith("JV3") ? disk::Container::kJv3
                                                        : disk::Container::kDmk;
  SaveAs(file, to);
}

}  // namespace trivane::app
